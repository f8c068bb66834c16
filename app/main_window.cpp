#include "app/main_window.h"
#include "mapping/mapping_windows.h"
#include "app/style_actions.h"

#include "convert/transformer_window.h"
#include "app/output_actions.h"
#include "soils/soil_window.h"
#include "app/mapping_actions.h"

#include <algorithm>
#include <cstdlib>

#include <QAction>
#include <QActionGroup>
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

#include "app/edit_actions.h"
#include "app/help.h"
#include "app/window_place.h"
#include "app/messages.h"
#include "app/qt_prompter.h"
#include "app/options_window.h"
#include "app/program_info.h"
#include "attributes/attribute_windows.h"
#include "view/cbit_form.h"
#include "view/editing.h"
#include "view/map_view.h"
#include "view/print_view.h"
#include "view/renderer.h"

namespace zemba {

namespace {

QString L1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }
std::string ToL1(const QString& s) { return s.toLatin1().toStdString(); }

// Small drawn icons for the buttons that have no standard one.
QIcon Glyph(const QString& kind) {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(30, 30, 30), 1.6);
    p.setPen(pen);
    auto lens = [&](const QString& sign) {
        p.setBrush(QColor(220, 235, 255));
        p.drawEllipse(QRectF(3, 3, 13, 13));
        p.setPen(QPen(QColor(30, 30, 30), 3));
        p.drawLine(QPointF(14, 14), QPointF(21, 21));
        p.setPen(QPen(QColor(30, 30, 30), 1.6));
        p.drawLine(QPointF(6, 9.5), QPointF(13, 9.5));
        if (sign == "+") p.drawLine(QPointF(9.5, 6), QPointF(9.5, 13));
    };
    if (kind == "zoomin") {
        lens("+");
    } else if (kind == "zoomout") {
        lens("-");
    } else if (kind == "fullview") {
        p.setBrush(QColor(180, 220, 180));
        p.drawRect(QRectF(3, 3, 18, 18));
        p.drawLine(QPointF(3, 3), QPointF(8, 8));
        p.drawLine(QPointF(21, 3), QPointF(16, 8));
        p.drawLine(QPointF(3, 21), QPointF(8, 16));
        p.drawLine(QPointF(21, 21), QPointF(16, 16));
    } else if (kind == "zoomwin") {
        p.setPen(QPen(QColor(30, 30, 30), 1.4, Qt::DashLine));
        p.drawRect(QRectF(3, 5, 18, 14));
        p.setPen(pen);
        p.drawLine(QPointF(12, 9), QPointF(12, 15));
        p.drawLine(QPointF(9, 12), QPointF(15, 12));
    } else if (kind == "pan") {
        p.setBrush(QColor(30, 30, 30));
        p.drawLine(QPointF(12, 3), QPointF(12, 21));
        p.drawLine(QPointF(3, 12), QPointF(21, 12));
        for (QPointF tip : {QPointF(12, 2), QPointF(12, 22), QPointF(2, 12), QPointF(22, 12)}) {
            p.drawEllipse(tip, 1.8, 1.8);
        }
    } else if (kind == "info" || kind == "infoatt" || kind == "infoext") {
        p.setBrush(QColor(255, 255, 200));
        p.drawEllipse(QRectF(3, 3, 18, 18));
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(13);
        p.setFont(f);
        p.drawText(QRectF(3, 3, 18, 18), Qt::AlignCenter, "i");
        if (kind != "info") {
            p.setBrush(kind == "infoatt" ? QColor(120, 160, 255) : QColor(255, 140, 80));
            p.drawRect(QRectF(14, 14, 8, 8));
        }
    } else if (kind == "editshp" || kind == "editpt") {
        p.setBrush(QColor(200, 230, 255));
        QPolygonF poly({QPointF(3, 18), QPointF(8, 4), QPointF(20, 7), QPointF(17, 20)});
        p.drawPolygon(poly);
        p.setBrush(QColor(255, 0, 255));
        if (kind == "editpt")
            p.drawRect(QRectF(5.5, 1.5, 5, 5));
        else
            for (QPointF v : poly) p.drawRect(QRectF(v.x() - 2, v.y() - 2, 4, 4));
    } else if (kind == "move" || kind == "newmove") {
        p.setBrush(QColor(200, 230, 255));
        p.drawRect(QRectF(3, 3, 10, 10));
        if (kind == "newmove") p.drawRect(QRectF(11, 11, 10, 10));
        p.drawLine(QPointF(13, 13), QPointF(21, 21));
        p.drawLine(QPointF(21, 21), QPointF(16, 21));
        p.drawLine(QPointF(21, 21), QPointF(21, 16));
    } else if (kind == "delete") {
        p.setPen(QPen(QColor(200, 0, 0), 3));
        p.drawLine(QPointF(5, 5), QPointF(19, 19));
        p.drawLine(QPointF(19, 5), QPointF(5, 19));
    } else if (kind == "undo") {
        QPainterPath path;
        path.moveTo(19, 18);
        path.cubicTo(19, 6, 8, 6, 6, 12);
        p.setPen(QPen(QColor(30, 30, 30), 2));
        p.drawPath(path);
        p.drawLine(QPointF(6, 12), QPointF(4, 7));
        p.drawLine(QPointF(6, 12), QPointF(11, 11));
    } else if (kind == "find") {
        lens("");
    } else if (kind == "props") {
        for (int k = 0; k < 3; ++k) {
            p.setBrush(k == 0 ? QColor(255, 0, 0) : k == 1 ? QColor(0, 160, 0) : QColor(0, 0, 255));
            p.drawRect(QRectF(3, 3 + 6.5 * k, 6, 5));
            p.drawLine(QPointF(11, 5.5 + 6.5 * k), QPointF(21, 5.5 + 6.5 * k));
        }
    } else if (kind == "classify") {
        const QColor c[4] = {QColor(255, 240, 160), QColor(255, 190, 90), QColor(240, 120, 40),
                             QColor(180, 40, 20)};
        for (int k = 0; k < 4; ++k) {
            p.setBrush(c[k]);
            p.drawRect(QRectF(3 + 4.5 * k, 21 - 4 * (k + 1), 4.5, 4 * (k + 1)));
        }
    } else if (kind == "map") {
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QRectF(3, 3, 18, 18));
        p.drawLine(QPointF(3, 12), QPointF(21, 12));
        p.drawEllipse(QRectF(8, 3, 8, 18));
    } else if (kind == "legend") {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 3, 18, 18));
        p.setBrush(QColor(0, 160, 0));
        p.drawRect(QRectF(6, 7, 4, 3));
        p.setBrush(QColor(0, 0, 255));
        p.drawRect(QRectF(6, 14, 4, 3));
        p.drawLine(QPointF(12, 8.5), QPointF(18, 8.5));
        p.drawLine(QPointF(12, 15.5), QPointF(18, 15.5));
    } else if (kind == "layout") {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 2, 14, 20));
        p.setBrush(QColor(180, 220, 180));
        p.drawRect(QRectF(7, 4, 10, 8));
        p.drawLine(QPointF(7, 15), QPointF(17, 15));
        p.drawLine(QPointF(7, 18), QPointF(14, 18));
    } else if (kind == "cut" || kind == "copy" || kind == "paste") {
        p.setBrush(Qt::white);
        if (kind == "copy") p.drawRect(QRectF(3, 3, 12, 14));
        if (kind == "paste") {
            p.setBrush(QColor(220, 190, 140));
            p.drawRect(QRectF(3, 4, 14, 17));
            p.setBrush(Qt::white);
        }
        p.drawRect(QRectF(8, 7, 13, 15));
        if (kind == "cut") {
            p.setPen(QPen(QColor(30, 30, 30), 1.2, Qt::DashLine));
            p.drawLine(QPointF(8, 14), QPointF(21, 14));
        }
    } else if (kind == "export") {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 3, 12, 18));
        p.setPen(QPen(QColor(0, 120, 0), 2.2));
        p.drawLine(QPointF(9, 12), QPointF(21, 12));
        p.drawLine(QPointF(21, 12), QPointF(17, 8));
        p.drawLine(QPointF(21, 12), QPointF(17, 16));
    }
    p.end();
    return QIcon(pm);
}

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
    hooks.LongWork = [this](bool begin) { WorkBegins(begin); };
    hooks.IsBusy = [this] { return progress_.Busy(); };
    hooks.LayerTableChanged = [this] { if (attributes_) attributes_->LayerTableChanged(); };
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

void TZeEditForm::BuildActions() {
    // Vector menu.
    auto* clearAll = MakeAction("ClearAllMI", "Clear All", "Clear All");
    connect(clearAll, &QAction::triggered, this, [this] { commands_->ClearAll(); });
    auto* open = MakeAction("OpenMI", "Open...", "Open");
    connect(open, &QAction::triggered, this, [this] { commands_->Open(); });
    for (int k = 0; k < 5; ++k) {
        reopenItems_[k] = MakeAction(QString("Reopen%1MI").arg(k), QString::number(k),
                                     "Reopen a recent file");
        connect(reopenItems_[k], &QAction::triggered, this, [this, k] { commands_->Reopen(k); });
    }
    auto* save = MakeAction("SaveMI", "Save", "Save Current Layer");
    save->setShortcut(QKeySequence("Ctrl+S"));
    connect(save, &QAction::triggered, this, [this] { commands_->Save(); });
    auto* saveAs = MakeAction("SaveAsMI", "Save As...", "Save As");
    connect(saveAs, &QAction::triggered, this, [this] { commands_->SaveAs(); });
    auto* importMI = MakeAction("ImportMI", "Import...", "Import");
    connect(importMI, &QAction::triggered, this, [this] {
        ShowConversionWindow(*this, options_, prompter_);
    });
    auto* exportMI = MakeAction("ExportMI", "Export...", "Export");
    connect(exportMI, &QAction::triggered, this, [this] { commands_->Export(); });
    auto* optionsMI = MakeAction("OptionsMI", "Options...", "Options");
    connect(optionsMI, &QAction::triggered, this, [this] { ShowOptionsWindow(this); });
    auto* setupPrinter = MakeAction("SetupPrinterMI", "Setup Printer...", "Setup Printer");
    connect(setupPrinter, &QAction::triggered, this, [this] { SetupPrinterClick(); });
    auto* print = MakeAction("PrintMI", "Print...", "Print");
    connect(print, &QAction::triggered, this, [this] { PrintClick(); });
    auto* exitMI = MakeAction("ExitMI", "Exit", "Exit");
    exitMI->setShortcut(QKeySequence("Alt+X"));
    connect(exitMI, &QAction::triggered, this, &QWidget::close);
    levelMenuItems_.insert(levelMenuItems_.end(), {save, saveAs, exportMI, print});

    // Overlay menu.
    auto* viewModes = new QActionGroup(this);
    auto* fit = MakeAction("FitToWindowMI", "Fit To Window", "Full View");
    auto* zoomArea = MakeAction("ZoomAreaMI", "Zoom Area", "Zoom Win");
    auto* pan = MakeAction("PanMI", "Pan", "Pan");
    for (QAction* a : {fit, zoomArea, pan}) {
        a->setCheckable(true);
        viewModes->addAction(a);
    }
    viewModes->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    fit->setChecked(true);
    // The view tools act on a loaded layer: off, like their buttons, until then.
    for (QAction* a : {fit, zoomArea, pan}) levelMenuItems_.push_back(a);
    connect(fit, &QAction::triggered, this, [this] { FitToWindowFresh(); });
    connect(zoomArea, &QAction::triggered, this, [this](bool on) { ZoomAreaClick(on); });
    connect(pan, &QAction::triggered, this, [this](bool on) { PanClick(on); });
    auto* refresh = MakeAction("RefreshMI", "Refresh", "Refresh");
    connect(refresh, &QAction::triggered, this, [this] { RefreshClick(); });
    auto* resetFresh = MakeAction("ResetFreshMI", "Reset Fresh", "Reset Fresh");
    connect(resetFresh, &QAction::triggered, this, [this] { ResetFresh(); });
    auto* reExtent = MakeAction("ReExtentFreshMI", "ReExtent Fresh", "ReExtent Fresh");
    connect(reExtent, &QAction::triggered, this, [this] { ReExtentFresh(); });
    auto* sizes = new QActionGroup(this);
    for (int k = 0; k < kBitmapSizeCount; ++k) {
        const BitmapSizeEntry& e = kBitmapSizes[k];
        auto* a = MakeAction(QString("Resize%1wMI").arg(e.width), e.caption, e.caption);
        a->setCheckable(true);
        a->setChecked(e.width == 640);
        sizes->addAction(a);
        connect(a, &QAction::triggered, this, [this, e] { ResizeBitmap(e.width, e.height); });
    }
    auto* windowSize = MakeAction("ResizeWindowMI", "Resize Window",
                                  "Resize Window|The bitmap follows the size of the window");
    windowSize->setCheckable(true);
    sizes->addAction(windowSize);
    connect(windowSize, &QAction::triggered, this, [this](bool on) { FollowWindowSize(on); });
    sizes->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    auto* createSize = MakeAction("CreateSizeMI", "Create Size...", "Create Size");
    connect(createSize, &QAction::triggered, this, [this] { CreateSizeClick(); });
    auto* statusTop = MakeAction("StatusTopMI", "Status at Top", "Status at Top");
    auto* statusBottom = MakeAction("StatusBottomMI", "Status at Bottom", "Status at Bottom");
    statusTop->setCheckable(true);
    statusBottom->setCheckable(true);
    statusBottom->setChecked(true);
    connect(statusTop, &QAction::triggered, this, [this] { SetStatusAtTop(true); });
    connect(statusBottom, &QAction::triggered, this, [this] { SetStatusAtTop(false); });
    auto* showXY = MakeAction("ShowXYMI", "Show X,Y values", "Show X,Y values");
    showXY->setCheckable(true);

    // Information menu: the info and editing tools come with their windows.
    for (const char* n : {"Object Info", "Db Info", "Soils Info", "Edit Shape", "Edit Point", "Move",
                          "Delete", "Copy+Move", "Undo"}) {
        QString name = QString(n).remove(' ').remove('+') + "MI";
        MakeAction(name, n, n, kNoTag, false);
    }
    auto* snapGroup = new QActionGroup(this);
    for (const char* n : {"Off", "Near Point", "End of Near", "Grid"}) {
        auto* a = MakeAction("Snap" + QString(n).remove(' ') + "MI", n, QString("Snap ") + n,
                             kNoTag, false);
        a->setCheckable(true);
        a->setChecked(QString(n) == "Off");
        snapGroup->addAction(a);
    }
    static const char* const kToolbarNames[TbCount] = {"Menu", "Clip",  "Exit",  "File",
                                                       "Edit", "Zoom", "Layer", "Tools"};
    for (int t = 0; t < TbCount; ++t) {
        auto* a = MakeAction(QString("Toolbar%1MI").arg(kToolbarNames[t]), kToolbarNames[t],
                             QString("Show or hide the %1 toolbar").arg(kToolbarNames[t]));
        a->setCheckable(true);
        a->setChecked(true);
        toolbarToggles_[t] = a;
        connect(a, &QAction::triggered, this, [this, t](bool on) { ToggleToolbar(t, on); });
    }
    auto* help = MakeAction("HelpMI", "Help", "Help");
    help->setShortcut(QKeySequence::HelpContents);
    connect(help, &QAction::triggered, this, [this] { HelpClick(); });
    auto* about = MakeAction("AboutMI", "About", "About");
    connect(about, &QAction::triggered, this, [this] { AboutClick(); });

    // Classification and Extraction: their windows come later.
    auto level = [this](QAction* a) { levelMenuItems_.push_back(a); };
    level(MakeAction("PropertiesMI", "Properties", "Properties", kNoTag, false));
    level(MakeAction("ClassifyMI", "Classify", "Classify", kNoTag, false));
    const QString dbHint = "Activate Db|Activate the Db before selecting an object";
    level(MakeAction("SsurgoSoilsDbMI", "Ssurgo Soils Db", dbHint, kNoTag, false));
    level(MakeAction("StatsgoSoilsDbMI", "Statsgo Soils Db", dbHint, kNoTag, false));
    level(MakeAction("ExternalDbLinkerMI", "External Db linker", dbHint, kNoTag, false));
    level(MakeAction("FindMI", "Find", "Find", kNoTag, false));
    level(MakeAction("MapMI", "Map", "Map"));
    connect(Action("MapMI"), &QAction::triggered, this, [this] { mapping_->ShowMap(); });
    level(MakeAction("LegendMI", "Legend", "Legend", kNoTag, false));
    level(MakeAction("PrintLayoutMI", "Print Layout", "Print Layout", kNoTag, false));
    auto* cutBmp = MakeAction("CutbmpMI", "Cut bmp", "Cut bmp", kNoTag, false);
    cutBmp->setShortcut(QKeySequence("Ctrl+X"));
    auto* copyBmp = MakeAction("CopybmpMI", "Copy bmp", "Copy bmp", kNoTag, false);
    copyBmp->setShortcut(QKeySequence("Ctrl+C"));
    level(cutBmp);
    level(copyBmp);
    auto* pasteBmp = MakeAction("PastebmpMI", "Paste bmp", "Paste bmp", kNoTag, false);
    pasteBmp->setShortcut(QKeySequence("Ctrl+V"));

    // Toolbar buttons: their own actions (they follow the tags, the menu
    // items follow their own rule) running the same commands.
    QStyle* st = style();
    auto* clearTB = MakeAction("ClearAllNewTB", "Clear All New", "Clear All New", -1);
    clearTB->setIcon(st->standardIcon(QStyle::SP_FileIcon));
    connect(clearTB, &QAction::triggered, clearAll, &QAction::trigger);
    auto* openTB = MakeAction("OpenTB", "Open", "Open", -1);
    openTB->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
    connect(openTB, &QAction::triggered, open, &QAction::trigger);
    auto* exportTB = MakeAction("ExportTB", "Export", "Export", 1);
    exportTB->setIcon(Glyph("export"));
    connect(exportTB, &QAction::triggered, this, [this] { commands_->Export(); });
    auto* saveTB = MakeAction("SaveCurrentLayerTB", "Save Current Layer", "Save Current Layer", 0);
    saveTB->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    connect(saveTB, &QAction::triggered, this, [this] { commands_->Save(); });

    auto* fullTB = MakeAction("FullViewTB", "Full View", "Full View", 1);
    fullTB->setIcon(Glyph("fullview"));
    connect(fullTB, &QAction::triggered, this, [this] { FitToWindowFresh(); });
    auto* zoomWinTB = MakeAction("ZoomWinTB", "Zoom Win", "Zoom Win", 1);
    zoomWinTB->setIcon(Glyph("zoomwin"));
    connect(zoomWinTB, &QAction::triggered, this, [this](bool on) { ZoomAreaClick(on); });
    auto* zoomInTB = MakeAction("ZoomInTB", "Zoom In", "Zoom In", 1);
    zoomInTB->setIcon(Glyph("zoomin"));
    connect(zoomInTB, &QAction::triggered, this, [this] { ZoomInClick(); });
    auto* zoomOutTB = MakeAction("ZoomOutTB", "Zoom Out", "Zoom Out", 1);
    zoomOutTB->setIcon(Glyph("zoomout"));
    connect(zoomOutTB, &QAction::triggered, this, [this] { ZoomOutClick(); });
    auto* panTB = MakeAction("PanTB", "Pan", "Pan", 1);
    panTB->setIcon(Glyph("pan"));
    connect(panTB, &QAction::triggered, this, [this](bool on) { PanClick(on); });
    for (QAction* a : {fullTB, zoomWinTB, panTB}) a->setCheckable(true);
    fullTB->setChecked(true);

    struct Later {
        const char* name;
        const char* hint;
        const char* glyph;
        int tag;
    };
    const Later edit[] = {{"ObjInfoTB", "Obj Info", "info", 1},
                          {"ObjInfoAttDbTB", "Obj Info + Att db", "infoatt", 1},
                          {"ObjInfoExtDbTB", "Obj Info + Ext db", "infoext", 1},
                          {"EditShpTB", "Edit Shp", "editshp", 1},
                          {"EditPtTB", "Edit Pt", "editpt", 2},
                          {"MoveTB", "Move", "move", 1},
                          {"DeleteTB", "Delete", "delete", 1},
                          {"NewAndMoveTB", "New and Move", "newmove", 1},
                          {"UndoEditTB", "Undo Edit", "undo", 2},
                          {"FindTB", "Find", "find", 0},
                          {"PropertiesTB", "Properties", "props", 0},
                          {"ClassifyTB", "Classify", "classify", 0},
                          {"MapTB", "Map", "map", 0},
                          {"LegendTB", "Legend", "legend", 0},
                          {"PrintLayoutTB", "Print Layout", "layout", 0},
                          {"CutTB", "Cut", "cut", kNoTag},
                          {"CopyTB", "Copy", "copy", kNoTag},
                          {"PasteTB", "Paste", "paste", kNoTag}};
    for (const Later& l : edit) MakeAction(l.name, l.hint, l.hint, l.tag, false)->setIcon(Glyph(l.glyph));
    Action("MapTB")->setProperty("available", true);
    connect(Action("MapTB"), &QAction::triggered, Action("MapMI"), &QAction::trigger);

    auto* helpTB = MakeAction("HelpTB", "Help", "Help");
    helpTB->setIcon(st->standardIcon(QStyle::SP_DialogHelpButton));
    connect(helpTB, &QAction::triggered, this, [this] { HelpClick(); });
    auto* aboutTB = MakeAction("AboutTB", "About", "About");
    aboutTB->setIcon(st->standardIcon(QStyle::SP_MessageBoxInformation));
    connect(aboutTB, &QAction::triggered, this, [this] { AboutClick(); });
    auto* exitTB = MakeAction("ExitTB", "Exit", "Exit");
    exitTB->setIcon(st->standardIcon(QStyle::SP_DialogCloseButton));
    connect(exitTB, &QAction::triggered, this, &QWidget::close);

    // Shortcuts of the menu items work without a menu bar once the window
    // holds the actions.
    for (auto& [name, a] : actions_)
        if (!a->shortcut().isEmpty()) addAction(a);
}

void TZeEditForm::BuildMenus() {
    auto* vector = new QMenu("Vector", this);
    vector->addAction(Action("ClearAllMI"));
    vector->addAction(Action("OpenMI"));
    reopenMenu_ = vector->addMenu("Reopen");
    reopenMenu_->setObjectName("ReopenMI");
    for (QAction* a : reopenItems_) reopenMenu_->addAction(a);
    vector->addAction(Action("SaveMI"));
    vector->addAction(Action("SaveAsMI"));
    vector->addSeparator();
    vector->addAction(Action("ImportMI"));
    vector->addAction(Action("ExportMI"));
    vector->addSeparator();
    vector->addAction(Action("OptionsMI"));
    vector->addSeparator();
    vector->addAction(Action("SetupPrinterMI"));
    vector->addAction(Action("PrintMI"));
    vector->addSeparator();
    vector->addAction(Action("ExitMI"));

    auto* overlay = new QMenu("Overlay", this);
    overlay->addAction(Action("FitToWindowMI"));
    overlay->addAction(Action("ZoomAreaMI"));
    overlay->addAction(Action("PanMI"));
    overlay->addSeparator();
    overlay->addAction(Action("RefreshMI"));
    overlay->addAction(Action("ResetFreshMI"));
    overlay->addAction(Action("ReExtentFreshMI"));
    overlay->addSeparator();
    QMenu* resize = overlay->addMenu("Bitmap Resize");
    resize->setObjectName("BitmapResizeMI");
    for (int k = 0; k < kBitmapSizeCount; ++k)
        resize->addAction(Action(QString("Resize%1wMI").arg(kBitmapSizes[k].width)));
    resize->addAction(Action("ResizeWindowMI"));
    resize->addAction(Action("CreateSizeMI"));
    overlay->addSeparator();
    overlay->addAction(Action("StatusTopMI"));
    overlay->addAction(Action("StatusBottomMI"));
    overlay->addSeparator();
    overlay->addAction(Action("ShowXYMI"));

    auto* info = new QMenu("Information", this);
    for (const char* n : {"ObjectInfoMI", "DbInfoMI", "SoilsInfoMI"}) info->addAction(Action(n));
    info->addSeparator();
    for (const char* n : {"EditShapeMI", "EditPointMI", "MoveMI", "DeleteMI", "CopyMoveMI", "UndoMI"})
        info->addAction(Action(n));
    QMenu* snap = info->addMenu("Snap");
    snap->setObjectName("SnapMI");
    for (const char* n : {"SnapOffMI", "SnapNearPointMI", "SnapEndofNearMI", "SnapGridMI"})
        snap->addAction(Action(n));
    info->addSeparator();
    QMenu* bars = info->addMenu("Toolbars");
    bars->setObjectName("ToolbarsMI");
    // Menu order: Menu, Clip, Exit, File, Edit, Zoom, Layer, Tools.
    for (QAction* a : toolbarToggles_) bars->addAction(a);
    info->addSeparator();
    info->addAction(Action("HelpMI"));
    info->addAction(Action("AboutMI"));

    auto* classification = new QMenu("Classification", this);
    classification->addAction(Action("PropertiesMI"));
    classification->addAction(Action("ClassifyMI"));
    classification->addSeparator();
    classification->addAction(Action("SsurgoSoilsDbMI"));
    classification->addAction(Action("StatsgoSoilsDbMI"));
    classification->addAction(Action("ExternalDbLinkerMI"));

    auto* extraction = new QMenu("Extraction", this);
    for (const char* n : {"FindMI", "MapMI", "LegendMI", "PrintLayoutMI"})
        extraction->addAction(Action(n));
    extraction->addSeparator();
    for (const char* n : {"CutbmpMI", "CopybmpMI", "PastebmpMI"}) extraction->addAction(Action(n));

    QMenu* menus[5] = {vector, overlay, info, classification, extraction};
    // Alt plus the caption's first letter opens a menu, F10 the first.
    static const char* const kKeys[5] = {"Alt+V", "Alt+O", "Alt+I", "Alt+C", "Alt+E"};
    for (int k = 0; k < 5; ++k) {
        menus_[k] = menus[k];
        menus[k]->setToolTipsVisible(true);
        auto* b = new QToolButton(this);
        b->setText("&" + menus[k]->title());
        b->setObjectName(menus[k]->title() + "TB");
        b->setToolTip(menus[k]->title());
        b->setStatusTip(menus[k]->title());
        auto* key = new QAction(this);
        key->setShortcut(QKeySequence(kKeys[k]));
        key->setEnabled(false);  // the button's own mnemonic serves while it shows
        connect(key, &QAction::triggered, this, [this, k] { PopupMenu(k); });
        addAction(key);
        menuKeys_.push_back(key);
        b->setMenu(menus[k]);
        b->setPopupMode(QToolButton::InstantPopup);
        // Captions only, sized to the text.
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setAutoRaise(true);
        menuButtons_[k] = b;
    }
    auto* f10 = new QAction(this);
    f10->setObjectName("MenuKeyF10");
    f10->setShortcut(QKeySequence(Qt::Key_F10));
    connect(f10, &QAction::triggered, this, [this] { PopupMenu(0); });
    addAction(f10);
}

void TZeEditForm::PopupMenu(int k) {
    if (k < 0 || k > 4 || !menus_[k]) return;
    QToolButton* b = menuButtons_[k];
    if (b && b->isVisible()) {
        b->showMenu();
        return;
    }
    menus_[k]->popup(mapView_->mapToGlobal(QPoint(0, 0)));
}

void TZeEditForm::BuildToolbars() {
    static const char* const kNames[TbCount] = {"Menu", "Clip",  "Exit",  "File",
                                                "Edit", "Zoom", "Layer", "Tools"};
    for (int t = 0; t < TbCount; ++t) {
        auto* bar = new QToolBar(kNames[t], this);
        bar->setObjectName(QString(kNames[t]) + "ToolBar");
        bar->setIconSize(QSize(24, 24));
        toolbars_[t] = bar;
    }
    for (QToolButton* b : menuButtons_) toolbars_[TbMenu]->addWidget(b);
    for (const char* n : {"CutTB", "CopyTB", "PasteTB"}) toolbars_[TbClip]->addAction(Action(n));

    shapeTypeBox_ = new QLineEdit(this);
    shapeTypeBox_->setObjectName("ShapeTypeEdit");
    shapeTypeBox_->setReadOnly(true);
    shapeTypeBox_->setFixedWidth(86);
    shapeTypeBox_->setToolTip("Shape Type");
    shapeTypeBox_->setStatusTip("Shape Type");
    layerCombo_ = new QComboBox(this);
    layerCombo_->setObjectName("LayerComboBox");
    layerCombo_->setMinimumWidth(150);
    layerCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    layerCombo_->setToolTip("Layer");
    layerCombo_->setStatusTip("Layer");
    fieldCombo_ = new QComboBox(this);
    fieldCombo_->setObjectName("FieldComboBox");
    fieldCombo_->setMinimumWidth(110);
    fieldCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    fieldCombo_->setToolTip("Layer fields");
    fieldCombo_->setStatusTip("Layer fields");
    shapeTypeAction_ = toolbars_[TbLayer]->addWidget(shapeTypeBox_);
    layerComboAction_ = toolbars_[TbLayer]->addWidget(layerCombo_);
    fieldComboAction_ = toolbars_[TbLayer]->addWidget(fieldCombo_);
    for (QAction* a : {shapeTypeAction_, layerComboAction_, fieldComboAction_}) {
        a->setProperty("tag", 0);
        a->setProperty("available", true);
    }
    connect(layerCombo_, QOverload<int>::of(&QComboBox::activated), this, [this](int i) {
        commands_->LayerComboBoxChange(i);
        SyncFromState();
    });
    connect(fieldCombo_, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { commands_->FieldComboBoxChange(i); });

    QToolBar* edit = toolbars_[TbEdit];
    for (const char* n : {"ObjInfoTB", "ObjInfoAttDbTB", "ObjInfoExtDbTB"}) edit->addAction(Action(n));
    edit->addSeparator();
    for (const char* n : {"EditShpTB", "EditPtTB", "MoveTB", "DeleteTB", "NewAndMoveTB", "UndoEditTB"})
        edit->addAction(Action(n));
    for (const char* n : {"ClearAllNewTB", "OpenTB", "ExportTB", "SaveCurrentLayerTB"})
        toolbars_[TbFile]->addAction(Action(n));
    for (const char* n : {"HelpTB", "AboutTB", "ExitTB"}) toolbars_[TbExit]->addAction(Action(n));
    for (const char* n : {"FindTB", "PropertiesTB", "ClassifyTB", "MapTB", "LegendTB", "PrintLayoutTB"})
        toolbars_[TbTools]->addAction(Action(n));
    for (const char* n : {"FullViewTB", "ZoomWinTB", "ZoomInTB", "ZoomOutTB", "PanTB"})
        toolbars_[TbZoom]->addAction(Action(n));

    // Control bar order: Menu, Clip, Layer, Edit, File, Exit, Tools, Zoom.
    // Two rows, so that no toolbar hides its buttons behind an extension
    // arrow in a window of ordinary width.
    for (int t : {TbMenu, TbClip, TbLayer}) addToolBar(Qt::TopToolBarArea, toolbars_[t]);
    addToolBarBreak(Qt::TopToolBarArea);
    for (int t : {TbEdit, TbFile, TbExit, TbTools, TbZoom}) addToolBar(Qt::TopToolBarArea, toolbars_[t]);
}

void TZeEditForm::BuildCentre() {
    centre_ = new QWidget(this);
    auto* layout = new QVBoxLayout(centre_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    mapView_ = new MapView(centre_);
    mapView_->setObjectName("AScrollBox");
    mapView_->ImageWidget()->setObjectName("ShapeViewImage");

    hintPanel_ = new QFrame(centre_);
    hintPanel_->setObjectName("HintPanel");
    hintPanel_->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(hintPanel_);
    row->setContentsMargins(4, 2, 4, 2);
    hintLabel_ = new QLabel(hintPanel_);
    hintLabel_->setObjectName("HintLabel");
    progressBar_ = new QProgressBar(hintPanel_);
    progressBar_->setObjectName("VEProgressBar");
    progressBar_->setRange(0, 100);
    progressBar_->setTextVisible(false);
    progressBar_->setMaximumHeight(14);
    progressBar_->hide();
    xyPanel_ = new QLabel(hintPanel_);
    xyPanel_->setObjectName("XYPanel");
    xyPanel_->setFrameShape(QFrame::StyledPanel);
    row->addWidget(hintLabel_, 1);
    row->addWidget(progressBar_);
    row->addWidget(xyPanel_);
    // The readers' messages belong to the progress window, not to the hints.
    progress_.Attach(progressBar_, nullptr);

    layout->addWidget(mapView_, 1);
    layout->addWidget(hintPanel_);
    setCentralWidget(centre_);

    connect(mapView_, &MapView::mousePressed, this,
            [this](QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers) {
                if (b != Qt::LeftButton || Refused()) return;
                if (Action("ZoomAreaMI")->isChecked())
                    renderer_->StartRubberBand(kFigureRubberRect, p);
                else if (Action("PanMI")->isChecked())
                    renderer_->StartRubberBand(kFigureRubberLine, p);
                else
                    return;
                mapView_->RefreshImage();
            });
    connect(mapView_, &MapView::mouseMoved, this,
            [this](QPoint p, Qt::MouseButtons, Qt::KeyboardModifiers) {
                if (view_.RubberBandActive) {
                    renderer_->MoveRubberBand(p);
                    mapView_->RefreshImage();
                    xyPanel_->setText(L1(PixelXYText(view_, p.x(), p.y())));
                } else {
                    xyPanel_->setText(L1(WorldXYText(
                        XtoWorld(store_, view_, p.x()),
                        YtoWorld(store_, view_, view_.BitmapHeight - p.y()))));
                }
            });
    connect(mapView_, &MapView::mouseReleased, this,
            [this](QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers mods) {
                if (b != Qt::LeftButton) return;
                if (view_.RubberBandActive) {
                    const PixelPoint s = view_.RubberStart;
                    renderer_->EndRubberBand();
                    mapView_->RefreshImage();
                    if (Refused()) return;
                    if (Action("ZoomAreaMI")->isChecked()) {
                        // A click without a drag would zoom to a zero-sized
                        // rectangle; the tool stays on for a real drag.
                        if (std::abs(p.x() - s.x) < 3 && std::abs(p.y() - s.y) < 3) return;
                        ZoomArea(store_, view_, s.x, s.y, p.x(), p.y());
                        // Zoom Area is one-shot.
                        AllOff();
                        Redraw();
                    } else if (Action("PanMI")->isChecked()) {
                        Pan(store_, view_, s.x, s.y, p.x(), p.y());
                        Redraw();
                    }
                    return;
                }
                if (Refused() || store_.LayerCount == 0) return;
                // A pointer tool, edit or creation that is armed owns the click.
                if (EditActions* edit = EditActions::Of(this)) {
                    const ToolFlags& f = edit->Controller().Flags();
                    if (f.PointerTool != kToolNone || f.MoveMode || f.CopyMoveMode || f.DeleteMode ||
                        f.CreatingPoint || f.CreatingLine || f.CreatingPolygon || f.CreatingLabel ||
                        f.BitmapClipMode > 0)
                        return;
                }
                const Qt::KeyboardModifiers m =
                    mods & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
                if (m == Qt::ControlModifier) {
                    ClickZoomIn(store_, view_, p.x(), p.y());
                    Redraw();
                } else if (m == Qt::ShiftModifier) {
                    ClickZoomOut(store_, view_, p.x(), p.y());
                    Redraw();
                }
            });

    // The pop-up menu of the view: the items of this program's view.
    mapView_->ImageWidget()->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* showMenuBar = MakeAction("DisplayMenuToolbarPMI", "Display Menu Toolbar",
                                   "Display Menu Toolbar");
    showMenuBar->setCheckable(true);
    showMenuBar->setChecked(true);
    connect(showMenuBar, &QAction::triggered, this, [this](bool on) { ToggleToolbar(TbMenu, on); });
    auto* allVisible = MakeAction("AllLayersVisiblePMI", "All layers Visible", "All layers Visible");
    allVisible->setCheckable(true);
    allVisible->setChecked(true);
    auto* currentOnly = MakeAction("CurrentLayerOnlyPMI", "Current Layer only", "Current Layer only");
    auto visibility = [this] {
        if (Refused()) return;
        SetAllVisible(store_, Action("AllLayersVisiblePMI")->isChecked());
        Redraw();
    };
    connect(allVisible, &QAction::triggered, this, visibility);
    connect(currentOnly, &QAction::triggered, this, visibility);
    auto* allEditable = MakeAction("AllLayersEditablePMI", "All layers Editable", "All layers Editable");
    allEditable->setCheckable(true);
    allEditable->setChecked(true);
    connect(allEditable, &QAction::triggered, this, [this](bool on) {
        if (!Refused()) SetAllEditable(store_, on);
    });
    auto* sep = new QAction(this);
    sep->setSeparator(true);
    mapView_->ImageWidget()->addActions(
        {Action("RefreshMI"), sep, allVisible, currentOnly, allEditable, showMenuBar});
    // The same menu over the rest of the view area, beside a small bitmap.
    mapView_->setContextMenuPolicy(Qt::ActionsContextMenu);
    mapView_->addActions(mapView_->ImageWidget()->actions());

    // The wheel zooms around the pointer, as a Ctrl or Shift click does.
    connect(mapView_, &MapView::wheelTurned, this, [this](QPoint p, int steps) {
        if (Refused() || store_.LayerCount == 0 || steps == 0) return;
        if (steps > 0)
            ClickZoomIn(store_, view_, p.x(), p.y());
        else
            ClickZoomOut(store_, view_, p.x(), p.y());
        Redraw();
    });
}

void TZeEditForm::RestoreToolbars() {
    for (int t : {TbClip, TbExit, TbFile, TbEdit, TbZoom, TbLayer, TbTools}) {
        toolbarToggles_[t]->setChecked(options_.ToolbarVisible[t]);
        toolbars_[t]->setVisible(toolbarToggles_[t]->isChecked());
    }
    toolbarToggles_[TbMenu]->setChecked(options_.ToolbarVisible[TbMenu]);
    toolbars_[TbMenu]->setVisible(options_.ToolbarVisible[TbMenu]);
    Action("DisplayMenuToolbarPMI")->setChecked(options_.ToolbarVisible[TbMenu]);
    for (QAction* a : menuKeys_) a->setEnabled(!options_.ToolbarVisible[TbMenu]);
    if (BitmapFollowsWindow(options_)) {
        Action("ResizeWindowMI")->setChecked(true);
        FollowWindowSize(true);
    }
}

void TZeEditForm::ToggleToolbar(int index, bool checked) {
    toolbarToggles_[index]->setChecked(checked);
    toolbars_[index]->setVisible(checked);
    options_.ToolbarVisible[index] = checked;
    if (index == TbMenu) {
        Action("DisplayMenuToolbarPMI")->setChecked(checked);
        for (QAction* a : menuKeys_) a->setEnabled(!checked);
    }
}

void TZeEditForm::MakeFirstBitmap() {
    view_.BitmapWidth = 640;
    view_.BitmapHeight = 480;
    renderer_->ResetBitmap();
    renderer_->Pen() = QPen(Qt::black, 1, Qt::SolidLine);
    renderer_->Brush() = QBrush(ColorFromRef(0xFFFF00), Qt::SolidPattern);
    mapView_->SetImage(&renderer_->Image());
}

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

void TZeEditForm::AllOff() {
    for (const char* n : {"FitToWindowMI", "ZoomAreaMI", "PanMI", "FullViewTB", "ZoomWinTB", "PanTB"})
        Action(n)->setChecked(false);
    mapView_->ImageWidget()->unsetCursor();
}

void TZeEditForm::FitToWindowFresh() {
    if (Refused()) return;
    AllOff();
    Action("FitToWindowMI")->setChecked(true);
    Action("FullViewTB")->setChecked(true);
    if (FitToLayer(store_, view_, store_.CurrentLayer)) Redraw();
}

void TZeEditForm::ZoomAreaClick(bool on) {
    AllOff();
    if (on) {
        Action("ZoomAreaMI")->setChecked(true);
        Action("ZoomWinTB")->setChecked(true);
        mapView_->ImageWidget()->setCursor(Qt::CrossCursor);
    }
}

void TZeEditForm::PanClick(bool on) {
    AllOff();
    if (on) {
        Action("PanMI")->setChecked(true);
        Action("PanTB")->setChecked(true);
        mapView_->ImageWidget()->setCursor(Qt::PointingHandCursor);
    }
}

void TZeEditForm::ZoomInClick() {
    if (Refused()) return;
    AllOff();
    ZoomIn(store_, view_);
    Redraw();
}

void TZeEditForm::ZoomOutClick() {
    if (Refused()) return;
    AllOff();
    ZoomOut(store_, view_);
    Redraw();
}

void TZeEditForm::UpdatePasteEnabled() {
    // Pasting bitmaps comes with the clip tools; until then it stays off.
    const bool available = Action("PastebmpMI")->property("available").toBool();
    const QMimeData* m = QApplication::clipboard()->mimeData();
    const bool hasBitmap = m && m->hasImage();
    Action("PastebmpMI")->setEnabled(available && hasBitmap);
    Action("PasteTB")->setEnabled(available && hasBitmap);
}

void TZeEditForm::RefreshClick() {
    if (Refused()) return;
    UpdatePasteEnabled();
    commands_->LayerComboUpdate(store_.CurrentLayer);
    Redraw();
}

void TZeEditForm::ResetFresh() {
    if (Refused()) return;
    UpdatePasteEnabled();
    commands_->LayerComboUpdate(store_.CurrentLayer);
    if (commands_->hooks().EndEditing) commands_->hooks().EndEditing();
    FitToWindowFresh();
}

void TZeEditForm::ReExtentFresh() {
    if (Refused()) return;
    ReExtentAll(store_, 0);
    ResetFresh();
}

void TZeEditForm::CheckSizeItem() {
    if (BitmapFollowsWindow(options_)) return;
    for (int k = 0; k < kBitmapSizeCount; ++k)
        Action(QString("Resize%1wMI").arg(kBitmapSizes[k].width))
            ->setChecked(kBitmapSizes[k].width == view_.BitmapWidth &&
                         kBitmapSizes[k].height == view_.BitmapHeight);
}

void TZeEditForm::ResizeBitmap(int w, int h) {
    SetBitmapFollowsWindow(options_, false);
    if (!Refused() && SetBitmapSize(view_, w, h)) Redraw();
    CheckSizeItem();
}

void TZeEditForm::CreateSizeClick() {
    SetBitmapFollowsWindow(options_, false);
    Action("ResizeWindowMI")->setChecked(false);
    if (!Refused() && RunCreateSizeDialog(prompter_, view_, this)) Redraw();
    CheckSizeItem();
}

void TZeEditForm::SetStatusAtTop(bool top) {
    Action("StatusTopMI")->setChecked(top);
    Action("StatusBottomMI")->setChecked(!top);
    statusAtTop_ = top;
    auto* layout = static_cast<QVBoxLayout*>(centre_->layout());
    layout->removeWidget(hintPanel_);
    layout->insertWidget(top ? 0 : 1, hintPanel_);
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
    const QString file = FsName(path);
    if (!renderer_->Image().save(file, "BMP")) return Result::Fail("The file could not be written.");
    return Result::Ok();
}

Result TZeEditForm::LoadBackground(const std::string& path) {
    QImageReader reader(FsName(path), "BMP");
    QImage img = reader.read();
    if (img.isNull()) return Result::Fail(ToL1(reader.errorString()));
    renderer_->SetBaseImage(img);
    return Result::Ok();
}

void TZeEditForm::ResetViewAfterClearAll() {
    Action("FitToWindowMI")->setChecked(true);
    Action("ZoomAreaMI")->setChecked(false);
    Action("ZoomWinTB")->setChecked(false);
    Action("FullViewTB")->setChecked(true);
    Action("PanMI")->setChecked(false);
    Action("PanTB")->setChecked(false);
    mapView_->ImageWidget()->unsetCursor();
    view_.ViewScale = 1;
    view_.RubberBandActive = false;
    view_.BackgroundColor = options_.BackgroundColor;
    renderer_->ClearBaseImage();
    renderer_->ResetBitmap();
    renderer_->Pen() = QPen(Qt::black, 1, Qt::SolidLine);
    renderer_->Brush() = QBrush(ColorFromRef(options_.HighlightColor), Qt::SolidPattern);
    mapView_->SetImage(&renderer_->Image());
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

void TZeEditForm::FollowWindowSize(bool on) {
    SetBitmapFollowsWindow(options_, on);
    if (!windowSizeTimer_) {
        // Redraw once the resize has settled, not at every step of a drag.
        windowSizeTimer_ = new QTimer(this);
        windowSizeTimer_->setSingleShot(true);
        windowSizeTimer_->setInterval(250);
        connect(windowSizeTimer_, &QTimer::timeout, this, [this] { FitBitmapToWindow(); });
    }
    if (on) windowSizeTimer_->start();
}

void TZeEditForm::FitBitmapToWindow() {
    if (!BitmapFollowsWindow(options_)) return;
    if (Refused()) {
        windowSizeTimer_->start();
        return;
    }
    const QSize c = mapView_->ClientSize();
    if (c.width() < 1 || c.height() < 1) return;
    if (c.width() == view_.BitmapWidth && c.height() == view_.BitmapHeight) return;
    if (SetBitmapSize(view_, c.width(), c.height())) Redraw();
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
