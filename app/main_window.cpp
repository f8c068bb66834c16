#include "app/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QBuffer>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QSplashScreen>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

#include "app/edit_actions.h"
#include "app/help.h"
#include "app/mapping_actions.h"
#include "app/messages.h"
#include "app/options_window.h"
#include "app/output_actions.h"
#include "app/program_info.h"
#include "app/qt_prompter.h"
#include "app/style_actions.h"
#include "core/file_io.h"
#include "app/window_place.h"
#include "attributes/attribute_windows.h"
#include "convert/transformer_window.h"
#include "mapping/mapping_windows.h"
#include "soils/soil_window.h"
#include "view/cbit_form.h"
#include "view/editing.h"
#include "view/map_view.h"
#include "view/print_view.h"
#include "view/renderer.h"

namespace zemba {

namespace {

QString L1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }
std::string ToL1(const QString& s) { return s.toLatin1().toStdString(); }

// The splash picture: the program name on a simple map-like background.
QPixmap SplashPicture() {
    QPixmap pm(360, 200);
    pm.fill(QColor(235, 242, 250));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 90, 40), 2));
    p.setBrush(QColor(190, 225, 170));
    p.drawPolygon(QPolygonF({QPointF(20, 150), QPointF(80, 60), QPointF(170, 80),
                             QPointF(250, 40), QPointF(340, 120), QPointF(300, 180),
                             QPointF(120, 185)}));
    QFont f = p.font();
    f.setPixelSize(44);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(20, 40, 90));
    p.drawText(pm.rect(), Qt::AlignCenter, "ZEMBA");
    return pm;
}

}  // namespace

TZeEditForm::TZeEditForm(const MainWindowSetup& setup, QWidget* parent)
    : QMainWindow(parent),
      store_(*setup.store),
      options_(*setup.options),
      prompter_(*setup.prompter),
      progress_(*setup.progress),
      programDir_(setup.programDir),
      screenDepth_(setup.screenDepth) {
    setObjectName("TZeEditForm");
    setWindowTitle("ZEMBA");

    // 1. Colour depth.
    if (!DepthSupported(screenDepth_)) {
        terminate_ = true;
        QMessageBox::information(nullptr, "ZEMBA", "Requires True Color (24 or 36 bit) Colors Setting");
    } else if (setup.showSplash) {
        auto* splash = new QSplashScreen(SplashPicture());
        splash->showMessage(QString::fromStdString(ProgramTitle()), Qt::AlignBottom | Qt::AlignHCenter);
        splash->setAttribute(Qt::WA_DeleteOnClose);
        splash->show();
        splash_ = splash;
    }
    renderer_ = std::make_unique<MapRenderer>(store_, view_);
    renderer_->SetPixelDepth(ViewUses32BitFormat(screenDepth_) ? 32 : 24);

    // 2. The first show is pending (firstShowPending_). 3. Database links off.
    state_.SoilDbLinked = state_.ExtDbLinked = state_.SoilDbActive = false;

    // 4. Options: read the file, or write one with the defaults.
    if (setup.readOptions)
        LoadOrCreateOptions(options_, setup.optionsPath, programDir_, prompter_);
    // The bitmap size and new layer name box opens where it was last closed
    // (a spare slot of the options).
    TCBitForm::KeepPlaceIn(&options_.WindowLeft[WinSpare7], &options_.WindowTop[WinSpare7]);
    FileHooks hooks;
    hooks.Redraw = [this] { DoRedraw(); };
    hooks.Hourglass = [this](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    hooks.LoadBackground = [this](const std::string& p) { return LoadBackground(p); };
    hooks.ReleaseBackground = [this] { renderer_->ClearBaseImage(); };
    hooks.SaveViewBitmap = [this](const std::string& p) { return SaveViewBitmap(p); };
    hooks.ResetView = [this] { ResetViewAfterClearAll(); };
    hooks.Changed = [this] { SyncFromState(); };
    hooks.FirstLayerOpened = [this] { FitToLayer(store_, view_, 1); };
    hooks.Status = [this](const std::string& text) { hintLabel_->setText(FsName(text)); };
    hooks.LongWork = [this](bool begin) { WorkBegins(begin); };
    hooks.IsBusy = [this] { return progress_.Busy(); };
    hooks.LayerTableChanged = [this] {
        if (!attributes_) return;
        attributes_->LayerTableChanged();
        attributes_->Database().Logic().LinkActive = false;  // as the layer table's link flags
    };
    commands_ = std::make_unique<FileCommands>(store_, options_, prompter_, progress_, state_,
                                               std::move(hooks));
    commands_->OptionsPath = setup.optionsPath;
    WireMapping();

    BuildActions();
    BuildMenus();
    BuildToolbars();
    WireOutputActions(*this, store_, view_, *mapping_, options_, prompter_, progress_);
    BuildCentre();
    WireStyleActions(*this, store_, options_, prompter_);
    new EditActions(*this, store_, options_, prompter_);  // pointer tools and editing
    WireAttributeWindows();
    // "Paste" follows the clipboard: a bitmap cut or copied is pasteable at once.
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { UpdatePasteEnabled(); });
    KeepWindowPlace(InstallSoilWindow(this, store_, state_.SoilDbActive, state_.ExtDbLinked, prompter_,
                                      [this](int c) { ShowHelp(c, this); }),
                    &options_.WindowLeft[WinSoilsDb], &options_.WindowTop[WinSoilsDb]);

    // 5. Toolbars from their saved visibility.
    RestoreToolbars();

    // 6. Help file beside the program; hints go to the status panel
    // (event()).
    SetHelpFile(programDir_ + kHelpFileName);

    // 7. No layer file, no map project yet; the main window is open.
    store_.LayerFileName = "NoName.duh";
    store_.ProjectName = "Nada";
    store_.ProjectPath = options_.ProjectPath;
    state_.MainWindowOpen = true;

    // 8. The sound facility (a wave player) was looked for by the program.
    // Beeps work without it, so its absence only matters to a user who has
    // asked for sounds.
    if (WarnNoWavePlayer(options_, setup.soundFacilityFound)) prompter_.Message(MsgFamily::Error, 2);

    // 9. Layer store and map state at their start values.
    store_.ClearAll();
    store_.MapXOffset = store_.MapYOffset = 0;
    view_ = ViewState{};
    view_.BackgroundColor = options_.BackgroundColor;
    view_.HighlightColor = options_.HighlightColor;
    view_.EditColor = options_.EditColor;
    view_.EditingColor = options_.EditingColor;

    // 10. Tool status level -1.
    commands_->UpdateToolStatus(-1);
    commands_->RebuildReopenMenu();

    // 11. Saved position.
    move(options_.MainPos.Left, options_.MainPos.Top);
    resize(1060, 760);

    // 12. The first view bitmap.
    MakeFirstBitmap();
    SyncFromState();
}

void TZeEditForm::WireMapping() {
    mapping_ = std::make_unique<MappingWindows>(store_, prompter_, progress_, this);
    mapping_->Commands().Refresh = [this] { ReExtentFresh(); };
    WireMappingWindows(*this, *mapping_, options_, prompter_);
    LoadMapHooks load;
    load.OpenLayer = [this] {
        const bool ok = commands_->NewLayer();
        if (ok) commands_->SetCaption(store_.LayerFileName);
        return ok;
    };
    load.LoadBackground = [this](const std::string& p) { return LoadBackground(p); };
    load.SetDataDir = [this](const std::string& dir) { options_.ShapeDir = dir; };
    commands_->hooks().LoadProject = [this, load](const std::string& p) { return mapping_->LoadProject(p, load); };
    commands_->hooks().SaveProject = [this](const std::string& p) { return mapping_->SaveProjectAs(p); };
    commands_->hooks().LayerOpened = [this](int layer) { mapping_->Commands().NoteLayerDatum(layer); };
    commands_->hooks().ProjectCleared = [this] { mapping_->Commands().ClearProject(); };
}

TZeEditForm::~TZeEditForm() {
    while (!work_.empty()) work_.pop_back();
    if (splash_) splash_->close();
}

const QImage& TZeEditForm::ViewImage() const { return renderer_->Image(); }

QAction* TZeEditForm::Action(const QString& name) const {
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

QAction* TZeEditForm::MakeAction(const QString& name, const QString& text, const QString& hint,
                                 int tag, bool available) {
    auto* a = new QAction(text, this);
    a->setObjectName(name);
    QString shortHint = hint.section('|', 0, 0);
    QString longHint = hint.contains('|') ? hint.section('|', 1) : hint;
    a->setToolTip(shortHint);
    a->setStatusTip(longHint);
    a->setProperty("tag", tag);
    a->setProperty("available", available);
    if (!available) a->setEnabled(false);
    actions_[name] = a;
    return a;
}

bool TZeEditForm::Refused() const { return state_.Busy > 0 || progress_.Busy(); }

void TZeEditForm::WorkBegins(bool begin) {
    if (begin) {
        work_.push_back(std::make_unique<QtProgress::BusyGuard>(progress_));
        // Commands that would be refused meanwhile show as disabled.
        if (work_.size() == 1) ApplyToolStatus();
        return;
    }
    if (!work_.empty()) work_.pop_back();
    if (work_.empty()) ApplyToolStatus();
    if (work_.empty() && closePending_ && state_.Busy == 0) {
        closePending_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TZeEditForm::Redraw() {
    // A redraw asked for by a handler that ran inside another loop would read
    // a layer that is being filled; the loop's own end redraws.
    if (Refused()) return;
    DoRedraw();
}

void TZeEditForm::DoRedraw() {
    view_.BackgroundColor = options_.BackgroundColor;
    view_.HighlightColor = options_.HighlightColor;
    view_.EditColor = options_.EditColor;
    view_.EditingColor = options_.EditingColor;
    // A hidden window has no meaningful client area: fill the whole bitmap.
    const QSize client = isVisible() ? mapView_->ClientSize() : QSize(0, 0);
    view_.ClientWidth = client.width();
    view_.ClientHeight = client.height();
    WorkBegins(true);
    ++state_.Busy;
    renderer_->DVDORedraw(progress_);
    --state_.Busy;
    WorkBegins(false);
    mapView_->SetImage(&renderer_->Image());
}

namespace {
QPrinter& ThePrinter() {
    static QPrinter printer;
    return printer;
}
}  // namespace

void TZeEditForm::SetupPrinterClick() {
    QPageSetupDialog dialog(&ThePrinter(), this);
    dialog.exec();
}

void TZeEditForm::PrintClick() {
    if (Refused()) return;
    QPrintDialog dialog(&ThePrinter(), this);
    dialog.setWindowTitle("Print");
    if (dialog.exec() != QDialog::Accepted) return;
    if (!PrintTo(ThePrinter())) prompter_.ShowErrorText("The view could not be printed.");
}

bool TZeEditForm::PrintTo(QPrinter& printer) {
    // The page is placed in printer pixels; at a fixed 300 dpi a 640 x 480
    // view prints about 11 cm wide, as on the printers the sizes were made
    // for, whatever the device's own resolution.
    printer.setResolution(kPrintDpi);
    return PrintViewImage(printer, renderer_->Image());
}

void TZeEditForm::HelpClick() {
    // Help asked for from the main window opens at the contents.
    Result r = ShowHelp(kHelpContents, this);
    if (!r) prompter_.ShowErrorText("Help is not available:\r\n" + r.reason);
}

void TZeEditForm::AboutClick() {
    if (aboutBox_) {
        aboutBox_->show();
        aboutBox_->raise();
    }
}

void TZeEditForm::SetAboutWindow(QWidget* about) { aboutBox_ = about; }

Result TZeEditForm::SaveViewBitmap(const std::string& path) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    if (!renderer_->Image().save(&buf, "BMP")) return Result::Fail("The file could not be written.");
    Result r = WriteWholeFile(path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!r) return r;
    return Result::Ok();
}

Result TZeEditForm::LoadBackground(const std::string& path) {
    QImageReader reader(FsName(path), "BMP");
    QImage img = reader.read();
    if (img.isNull()) return Result::Fail(ToL1(reader.errorString()));
    renderer_->SetBaseImage(img);
    return Result::Ok();
}

void TZeEditForm::ApplyToolStatus() {
    const int level = state_.ToolLevel;
    for (auto& [name, a] : actions_) {
        const int tag = a->property("tag").toInt();
        if (tag == kNoTag) continue;
        a->setEnabled(a->property("available").toBool() && TagEnabled(tag, level));
    }
    for (QAction* a : {shapeTypeAction_, layerComboAction_, fieldComboAction_}) {
        if (!a) continue;
        const bool on = TagEnabled(a->property("tag").toInt(), level);
        a->setEnabled(on);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{shapeTypeBox_, layerCombo_, fieldCombo_})
        if (w) w->setEnabled(TagEnabled(0, level));
    for (QAction* a : levelMenuItems_) a->setEnabled(a->property("available").toBool() && level > 0);
    UpdatePasteEnabled();
    if (!work_.empty() || state_.Busy > 0) {
        // A read, redraw or export runs: what would change the store waits.
        for (const char* n : {"ClearAllMI", "OpenMI", "SaveMI", "SaveAsMI", "ExportMI", "PrintMI",
                              "FitToWindowMI", "ZoomAreaMI", "PanMI", "ClearAllNewTB", "OpenTB",
                              "ExportTB", "SaveCurrentLayerTB", "FullViewTB", "ZoomWinTB", "ZoomInTB",
                              "ZoomOutTB", "PanTB", "ResetFreshMI", "ReExtentFreshMI", "RefreshMI"})
            if (QAction* a = Action(n)) a->setEnabled(false);
        for (QAction* a : reopenItems_) a->setEnabled(false);
        if (layerCombo_) layerCombo_->setEnabled(false);
    } else {
        for (QAction* a : {Action("ResetFreshMI"), Action("ReExtentFreshMI"), Action("RefreshMI"),
                           Action("ClearAllMI"), Action("OpenMI")})
            if (a) a->setEnabled(a->property("available").toBool());
        for (QAction* a : reopenItems_) a->setEnabled(true);
    }
}

void TZeEditForm::SyncFromState() {
    if (syncing_) return;
    ++syncing_;
    setWindowTitle(FsName(state_.Caption));
    layerCombo_->clear();
    for (const std::string& s : state_.LayerItems) layerCombo_->addItem(FsName(s));
    layerCombo_->setCurrentIndex(state_.LayerIndex);
    fieldCombo_->clear();
    for (const std::string& s : state_.FieldItems) fieldCombo_->addItem(L1(s));
    fieldCombo_->setCurrentIndex(state_.FieldIndex);
    shapeTypeBox_->setText(L1(state_.ShapeTypeText));
    for (int k = 0; k < 5; ++k) reopenItems_[k]->setText(FsName(state_.ReopenCaptions[k]));
    ApplyToolStatus();
    --syncing_;
}

void TZeEditForm::OpenStartFiles(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) {
        QFileInfo fi(FsName(p));
        if (!fi.exists()) {
            prompter_.ShowErrorText("File not found: " + p);
            continue;
        }
        const std::string abs = FromFsName(fi.absoluteFilePath());
        state_.LastOpenedFile = abs;
        if (commands_->LoadFromFile(abs)) {
            PushRecent(options_.Recent, abs);
            commands_->RebuildReopenMenu();
        }
    }
}

void TZeEditForm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    UpdatePasteEnabled();
    if (splash_) QTimer::singleShot(1200, splash_.data(), &QWidget::close);
    if (firstShowPending_) {
        firstShowPending_ = false;
        if (ViewUses32BitFormat(screenDepth_))
            QTimer::singleShot(0, this, [this] { prompter_.Message(MsgFamily::Warning, 40); });
    }
}

void TZeEditForm::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    const StatusLayout s = StatusLayoutFor(width());
    xyPanel_->setFixedWidth(std::max(0, s.XYWidth));
    progressBar_->setFixedWidth(s.ProgressWidth);
    if (!Refused()) progressBar_->hide();
    if (windowSizeTimer_ && BitmapFollowsWindow(options_)) windowSizeTimer_->start();
}

void TZeEditForm::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(e);
}

bool TZeEditForm::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) {
        hintLabel_->setText(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QMainWindow::event(e);
}

void TZeEditForm::closeEvent(QCloseEvent* e) {
    if (closing_) {
        e->accept();
        return;
    }
    // Never release the store under a running loop: close when it ends.
    if (Refused()) {
        closePending_ = true;
        e->ignore();
        return;
    }
    commands_->CloseQuery(x(), y());
    if (!commands_->CloseSaveQuestions()) {
        state_.MainWindowOpen = true;
        e->ignore();
        return;
    }
    commands_->ReleaseAll();
    closing_ = true;
    e->accept();
}

}  // namespace zemba
