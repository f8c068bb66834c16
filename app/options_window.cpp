#include "app/options_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStatusTipEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/help.h"
#include "app/main_window.h"
#include "app/option_tools.h"
#include "core/file_io.h"

namespace zemba {

namespace {

// File names are the file system's bytes; option texts are Latin-1.
QString FromPath(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }
std::string ToPath(const QString& s) { return QFile::encodeName(s).toStdString(); }
QString L1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }
std::string ToL1(const QString& s) { return s.toLatin1().toStdString(); }

QColor ToQColor(COLORREF c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
COLORREF FromQColor(const QColor& c) { return MakeColorRef(c.red(), c.green(), c.blue()); }

void PaintPanel(QPushButton* panel, COLORREF c) {
    panel->setStyleSheet(QString("background-color: %1; border: 1px solid #606060;")
                             .arg(ToQColor(c).name()));
}

std::string DirOf(const std::string& path) {
    std::string d = DirectoryPart(path);
    return d.empty() ? std::string("./") : d;
}

}  // namespace

// The 16 x 16 grid of 15-pixel cells, entry 0 at the top left, row by row.
class PaletteGrid : public QWidget {
public:
    static constexpr int kCell = 15;
    PaletteGrid(const PaletteEditor& editor, QWidget* parent) : QWidget(parent), editor_(editor) {
        setObjectName("PaletteGrid");
        setFixedSize(16 * kCell + 1, 16 * kCell + 1);
        setCursor(Qt::PointingHandCursor);
    }
    std::function<void(int)> onCellClicked;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QColor(96, 96, 96));
        for (int i = 0; i < 256; ++i) {
            p.setBrush(ToQColor(editor_.Entry(i)));
            p.drawRect((i % 16) * kCell, (i / 16) * kCell, kCell, kCell);
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        const int col = static_cast<int>(e->position().x()) / kCell;
        const int row = static_cast<int>(e->position().y()) / kCell;
        if (col >= 0 && col < 16 && row >= 0 && row < 16 && onCellClicked) onCellClicked(row * 16 + col);
    }

private:
    const PaletteEditor& editor_;
};

TOptionsForm::TOptionsForm(const OptionsFormSetup& setup, QWidget* parent)
    : QDialog(parent),
      setup_(setup),
      options_(*setup.options),
      prompter_(*setup.prompter),
      filesDir_(DirOf(setup.optionsPath)),
      palette_(*setup.options, *setup.prompter, DirOf(setup.optionsPath)) {
    setObjectName("TOptionsForm");
    setWindowTitle("ZEMBA Program Options");
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("OptionsPageControl");
    tabs_->addTab(BuildBaseTab(), "Base Options");
    tabs_->addTab(BuildDirectoriesTab(), "Directories");
    tabs_->addTab(BuildPaletteTab(), "256 Color Sets");
    tabs_->addTab(BuildThumbnailsTab(), "Thumbnails");
    tabs_->addTab(BuildExtensionsTab(), "Extensions");
    layout->addWidget(tabs_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        Result r = ShowHelp(kHelpOptions, this);
        if (!r) prompter_.ShowErrorText("Help is not available:\r\n" + r.reason);
    });
    layout->addWidget(buttons);
}

// ---- Base Options ----

QWidget* TOptionsForm::BuildBaseTab() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    auto* sounds = new QGroupBox("Sounds", page);
    auto* sl = new QVBoxLayout(sounds);
    static const char* const kSoundCaptions[SndCount] = {"Errors", "Warning", "Info", "Confirmation",
                                                         "Completion"};
    static const char* const kSoundNames[SndCount] = {"ErrorsCB", "WarningCB", "InfoCB",
                                                      "ConfirmationCB", "CompletionCB"};
    for (int s = 0; s < SndCount; ++s) {
        soundBoxes_[s] = new QCheckBox(kSoundCaptions[s], sounds);
        soundBoxes_[s]->setObjectName(kSoundNames[s]);
        sl->addWidget(soundBoxes_[s]);
    }
    wavBox_ = new QCheckBox("Wav else beep", sounds);
    wavBox_->setObjectName("WavCB");
    connect(wavBox_, &QCheckBox::clicked, this, [this] { StoreSounds(); });
    sl->addWidget(wavBox_);
    sl->addStretch();
    grid->addWidget(sounds, 0, 0, 3, 1);

    auto* where = new QGroupBox("Message X,Y Location", page);
    auto* wl = new QHBoxLayout(where);
    messageXEdit_ = new QLineEdit(where);
    messageXEdit_->setObjectName("MessageXEdit");
    messageYEdit_ = new QLineEdit(where);
    messageYEdit_->setObjectName("MessageYEdit");
    for (QLineEdit* e : {messageXEdit_, messageYEdit_}) e->setMaximumWidth(70);
    auto* at = new QPushButton("@", where);
    at->setObjectName("WhereAmIBtn");
    at->setToolTip("where am i?");
    at->setMaximumWidth(32);
    connect(at, &QPushButton::clicked, this, [this] {
        // The box goes where the boxes say, so store them first.
        StoreNumberBoxes(options_, ToL1(messageXEdit_->text()), ToL1(messageYEdit_->text()),
                         ToL1(radiusEdit_->text()), prompter_);
        prompter_.Message(MsgFamily::Info, 9999);
    });
    wl->addWidget(messageXEdit_);
    wl->addWidget(messageYEdit_);
    wl->addWidget(at);
    wl->addStretch();
    grid->addWidget(where, 0, 1);

    auto* radiusBox = new QGroupBox("Selection Radius+1", page);
    auto* rl = new QHBoxLayout(radiusBox);
    radiusEdit_ = new QLineEdit(radiusBox);
    radiusEdit_->setObjectName("RadiusEdit");
    radiusEdit_->setMaximumWidth(70);
    radiusEdit_->setToolTip("Pixels around the pointer that count as a hit (0 to 100)");
    rl->addWidget(radiusEdit_);
    rl->addStretch();
    grid->addWidget(radiusBox, 1, 1);

    auto* colours = new QGroupBox("View Colors", page);
    auto* cl = new QGridLayout(colours);
    struct Panel {
        const char* caption;
        const char* name;
        QPushButton** field;
        COLORREF Options::*option;
    } panels[] = {{"Background", "BackgroundPanel", &backgroundPanel_, &Options::BackgroundColor},
                  {"Highlight", "HighlightPanel", &highlightPanel_, &Options::HighlightColor},
                  {"Edit", "EditPanel", &editPanel_, &Options::EditColor},
                  {"Editing", "EditingPanel", &editingPanel_, &Options::EditingColor}};
    int col = 0;
    for (const Panel& p : panels) {
        auto* b = new QPushButton(colours);
        b->setObjectName(p.name);
        b->setFixedSize(48, 24);
        b->setToolTip(QString("%1 color").arg(p.caption));
        *p.field = b;
        COLORREF Options::*option = p.option;
        connect(b, &QPushButton::clicked, this, [this, b, option] { PickViewColour(options_.*option, b); });
        cl->addWidget(new QLabel(p.caption, colours), 0, col, Qt::AlignHCenter);
        cl->addWidget(b, 1, col, Qt::AlignHCenter);
        ++col;
    }
    grid->addWidget(colours, 2, 1);

    auto* defaults = new QPushButton("Defaults", page);
    defaults->setObjectName("DefaultsBtn");
    defaults->setToolTip("Reset to Menu Defaults");
    connect(defaults, &QPushButton::clicked, this, [this] {
        SetMenuDefaults(options_, setup_.programDir);
        FillFromOptions();
        if (setup_.Redraw) setup_.Redraw();
    });
    grid->addWidget(defaults, 3, 1, Qt::AlignRight);
    grid->setRowStretch(4, 1);
    return page;
}

void TOptionsForm::StoreSounds() {
    for (int s = 0; s < SndCount; ++s) options_.SoundOn[s] = soundBoxes_[s]->isChecked();
    options_.SoundIsWave = wavBox_->isChecked();
}

void TOptionsForm::PickViewColour(COLORREF& option, QPushButton* panel) {
    const QColor c = QColorDialog::getColor(ToQColor(option), this, panel->toolTip());
    if (!c.isValid()) return;
    option = FromQColor(c);
    PaintPanel(panel, option);
    if (setup_.Redraw) setup_.Redraw();
}

// ---- Directories ----

QWidget* TOptionsForm::BuildDirectoriesTab() {
    auto* page = new QWidget;
    auto* form = new QGridLayout(page);
    static const char* const kButtonNames[DirKindCount] = {"TigerBtn", "DotBtn",   "SdtsBtn",
                                                           "DlgBtn",   "DxfBtn",   "ShapeBtn",
                                                           "DbBtn",    "ImagesBtn", "ProjectsBtn"};
    for (int k = 0; k < DirKindCount; ++k) {
        const auto kind = static_cast<DirKind>(k);
        auto* edit = new QLineEdit(page);
        edit->setReadOnly(true);
        edit->setObjectName(QString(kButtonNames[k]).replace("Btn", "Edit"));
        dirEdits_[k] = edit;
        auto* button = new QPushButton("...", page);
        button->setObjectName(kButtonNames[k]);
        button->setToolTip(QString("Choose a file in the folder for %1").arg(DirCaption(kind)));
        button->setMaximumWidth(32);
        connect(button, &QPushButton::clicked, this, [this, kind] {
            const std::string chosen =
                prompter_.ChooseOpenFile(DirCaption(kind), DirOption(options_, kind), DirFilter(kind));
            if (StoreChosenDirectory(options_, kind, chosen))
                dirEdits_[kind]->setText(FromPath(DirOption(options_, kind)));
        });
        form->addWidget(new QLabel(DirCaption(kind), page), k, 0);
        form->addWidget(edit, k, 1);
        form->addWidget(button, k, 2);
    }
    form->setColumnStretch(1, 1);
    form->setRowStretch(DirKindCount, 1);
    return page;
}

// ---- 256 Color Sets ----

QWidget* TOptionsForm::BuildPaletteTab() {
    auto* page = new QWidget;
    auto* row = new QHBoxLayout(page);

    auto* left = new QVBoxLayout;
    grid_ = new PaletteGrid(palette_, page);
    grid_->onCellClicked = [this](int i) { PaletteCellClicked(i); };
    left->addWidget(grid_);
    auto* fileRow = new QHBoxLayout;
    colorFileEdit_ = new QLineEdit(page);
    colorFileEdit_->setObjectName("ColorFileEdit");
    colorFileEdit_->setToolTip("Colour file (relative names are in the options folder)");
    fileRow->addWidget(new QLabel("File", page));
    fileRow->addWidget(colorFileEdit_, 1);
    left->addLayout(fileRow);
    left->addStretch();
    row->addLayout(left);

    auto* verts = new QGroupBox("Verts", page);
    auto* vl = new QVBoxLayout(verts);
    vertsGroup_ = new QButtonGroup(this);
    for (int type = csBlue; type <= csFiled; ++type) {
        auto* rb = new QRadioButton(ColorSetName(type), verts);
        rb->setObjectName(QString("Verts%1RB").arg(type));
        vertsGroup_->addButton(rb, type);
        vl->addWidget(rb);
    }
    auto* seedRow = new QHBoxLayout;
    seedEdit_ = new QLineEdit(verts);
    seedEdit_->setObjectName("ColorSeedEdit");
    seedEdit_->setMaximumWidth(80);
    seedEdit_->setToolTip("Seed of the #Set colours");
    seedRow->addWidget(new QLabel("Seed", verts));
    seedRow->addWidget(seedEdit_);
    vl->addLayout(seedRow);
    vl->addStretch();
    connect(vertsGroup_, &QButtonGroup::idClicked, this, [this](int type) { SelectPaletteType(type); });
    row->addWidget(verts);

    auto* buttons = new QVBoxLayout;
    auto add = [&](const char* caption, const char* name, const char* hint, auto&& fn) {
        auto* b = new QPushButton(caption, page);
        b->setObjectName(name);
        if (hint) b->setToolTip(hint);
        connect(b, &QPushButton::clicked, this, fn);
        buttons->addWidget(b);
    };
    add("&Open", "ColorOpenBtn", "Open Colors", [this] {
        const std::string path = prompter_.ChooseOpenFile(
            "Open Colors", palette_.BaseDir(), "Color files (*.2cp)|*.2cp|All files (*)|*");
        if (palette_.OpenFile(path)) ShowPalette();
    });
    add("&Save", "ColorSaveBtn", "Save Colors", [this] {
        palette_.SaveFile(ToPath(colorFileEdit_->text()));
    });
    add("&Clear", "ColorClearBtn", "All white", [this] {
        palette_.Clear();
        grid_->update();
    });
    add("Se&t 256", "Set256Btn", "Give every layer its default colours", [this] {
        if (setup_.IsBusy && setup_.IsBusy()) return;
        if (setup_.store) SetLayerColours(*setup_.store);
        if (setup_.Redraw) setup_.Redraw();
    });
    add("&Random", "ColorRandomBtn", "Random Fill", [this] { SelectPaletteType(csSeeded); });
    add("Sub&vert", "SubvertBtn", "Sixteen blocks of shades", [this] {
        palette_.Subvert();
        grid_->update();
    });
    add("&Invert", "InvertBtn", "Ramps of the channels full in the first colour", [this] {
        palette_.Invert();
        grid_->update();
    });
    buttons->addStretch();
    row->addLayout(buttons);
    return page;
}

void TOptionsForm::SelectPaletteType(int type) {
    if (type == csSeeded) {
        std::int32_t seed = options_.ColorSeed;
        if (!ReadNumberBox(ToL1(seedEdit_->text()), seed, prompter_)) {
            seedEdit_->setText(QString::number(options_.ColorSeed));
            return;
        }
        palette_.SelectSeeded(seed);
    } else if (type == csFiled && !colorFileEdit_->text().isEmpty() &&
               ToPath(colorFileEdit_->text()) != options_.ColorFileName) {
        // "Filed" reads the file named in the box; it becomes the colour
        // file only when it is one.
        palette_.OpenFile(ToPath(colorFileEdit_->text()));
    } else {
        palette_.SelectType(type);
    }
    ShowPalette();
}

void TOptionsForm::ShowPalette() {
    if (QAbstractButton* b = vertsGroup_->button(options_.ColorSetType)) b->setChecked(true);
    colorFileEdit_->setText(FromPath(options_.ColorFileName));
    seedEdit_->setText(QString::number(options_.ColorSeed));
    grid_->update();
}

void TOptionsForm::PaletteCellClicked(int index) {
    const QColor c = QColorDialog::getColor(ToQColor(palette_.Entry(index)), this, "Palette colour");
    if (!c.isValid()) return;
    palette_.SetEntry(index, FromQColor(c));
    grid_->update();
    Status("  Red: " + std::to_string(c.red()) + ", Green: " + std::to_string(c.green()) +
           ", Blue: " + std::to_string(c.blue()));
}

void TOptionsForm::Setup() {
    colorFileEdit_->setText(FromPath(options_.ColorFileName));
    palette_.Setup();
    ShowPalette();
}

// ---- Thumbnails ----

QWidget* TOptionsForm::BuildThumbnailsTab() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    grid->addWidget(new QLabel("Thumbnail Directory", page), 0, 0);
    thumbDirEdit_ = new QLineEdit(page);
    thumbDirEdit_->setObjectName("ThumbDirEdit");
    thumbDirEdit_->setReadOnly(true);
    thumbDirEdit_->setPlaceholderText("(none chosen)");
    grid->addWidget(thumbDirEdit_, 0, 1, 1, 2);
    auto* choose = new QPushButton("...", page);
    choose->setObjectName("ThumbDirBtn");
    choose->setToolTip("Choose the Thumbnail Directory");
    choose->setMaximumWidth(32);
    connect(choose, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, "Thumbnail Directory",
                                                              thumbDirEdit_->text());
        if (!dir.isEmpty()) thumbDirEdit_->setText(dir);
    });
    grid->addWidget(choose, 0, 3);

    grid->addWidget(new QLabel("Size", page), 1, 0);
    thumbSize_ = new QSpinBox(page);
    thumbSize_->setObjectName("ThumbSizeEdit");
    thumbSize_->setRange(10, 200);
    thumbSize_->setValue(128);
    grid->addWidget(thumbSize_, 1, 1);
    thumbPreview_ = new QLabel(page);
    thumbPreview_->setObjectName("ThumbPreview");
    thumbPreview_->setFrameShape(QFrame::Box);
    auto showPreview = [this] {
        const int s = thumbSize_->value();
        thumbPreview_->setFixedSize(s, s);
        thumbPreview_->setStyleSheet(QString("background-color: %1;").arg(ToQColor(thumbFillColor_).name()));
    };
    connect(thumbSize_, &QSpinBox::valueChanged, this, showPreview);
    grid->addWidget(thumbPreview_, 1, 2, 4, 2, Qt::AlignLeft | Qt::AlignTop);

    grid->addWidget(new QLabel("Fill", page), 2, 0);
    thumbFill_ = new QPushButton(page);
    thumbFill_->setObjectName("ThumbFillPanel");
    thumbFill_->setFixedSize(48, 24);
    PaintPanel(thumbFill_, thumbFillColor_);
    connect(thumbFill_, &QPushButton::clicked, this, [this, showPreview] {
        const QColor c = QColorDialog::getColor(ToQColor(thumbFillColor_), this, "Fill color");
        if (!c.isValid()) return;
        thumbFillColor_ = FromQColor(c);
        PaintPanel(thumbFill_, thumbFillColor_);
        showPreview();
    });
    grid->addWidget(thumbFill_, 2, 1);
    useThumbs_ = new QCheckBox("Use Thumbnails", page);
    useThumbs_->setObjectName("UseThumbsCB");
    grid->addWidget(useThumbs_, 3, 1);

    auto* del = new QPushButton("Delete .bmp Thumbnails", page);
    del->setObjectName("DeleteBmpThumbsBtn");
    del->setToolTip("Delete all .bmp in Thumbnail Directory");
    connect(del, &QPushButton::clicked, this, [this] {
        const std::string dir = ThumbnailDir();
        if (dir.empty()) {
            prompter_.ShowErrorText(kSetThumbDirText);
            return;
        }
        const QStringList picked = QFileDialog::getOpenFileNames(
            this, "Delete .bmp Thumbnails", FromPath(dir), "Thumbnails (*.bmp)");
        std::vector<std::string> files;
        for (const QString& f : picked) files.push_back(ToPath(f));
        DeleteChosenThumbnails(files, prompter_);
    });
    grid->addWidget(del, 5, 0, 1, 2);
    auto* kill = new QPushButton("Kill All Thumbs", page);
    kill->setObjectName("KillAllThumbsBtn");
    kill->setToolTip("Delete every file of the Thumbnail Directory but index.dat");
    connect(kill, &QPushButton::clicked, this,
            [this] { KillAllThumbs(ThumbnailDir(), setup_.programDir, prompter_); });
    grid->addWidget(kill, 6, 0, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(7, 1);
    showPreview();
    return page;
}

std::string TOptionsForm::ThumbnailDir() const { return ToPath(thumbDirEdit_->text()); }

void TOptionsForm::SetThumbnailDir(const std::string& dir) { thumbDirEdit_->setText(FromPath(dir)); }

// ---- Extensions ----

QWidget* TOptionsForm::BuildExtensionsTab() {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    column->addLayout(row, 1);
    extensionsEdit_ = new QPlainTextEdit(page);
    extensionsEdit_->setObjectName("ExtensionsMemo");
    extensionsEdit_->setToolTip("File name patterns, one a line");
    row->addWidget(extensionsEdit_, 1);

    auto* side = new QVBoxLayout;
    auto* sets = new QGroupBox("Extension Set", page);
    auto* sl = new QGridLayout(sets);
    extGroup_ = new QButtonGroup(this);
    static const char* const kHints[ExtSetCount] = {
        "Vector", "Raster", "Terrain", "Temporary and backup", "Word processing", "Database",
        "Header and side files"};
    for (int s = 0; s < ExtSetCount; ++s) {
        auto* rb = new QRadioButton(ExtSetCaption(s), sets);
        rb->setObjectName(QString("ExtSet%1RB").arg(s));
        rb->setToolTip(kHints[s]);
        extGroup_->addButton(rb, s);
        sl->addWidget(rb, s / 2, s % 2);
    }
    extGroup_->button(ExtV)->setChecked(true);
    side->addWidget(sets);
    auto add = [&](const char* caption, const char* name, const char* hint, auto&& fn) {
        auto* b = new QPushButton(caption, page);
        b->setObjectName(name);
        b->setToolTip(hint);
        connect(b, &QPushButton::clicked, this, fn);
        side->addWidget(b);
    };
    add("Open", "ExtOpenBtn", "Open the chosen set's file", [this] { ExtensionsOpen(); });
    add("Save", "ExtSaveBtn", "Save the list as the chosen set's file", [this] { ExtensionsSave(); });
    add("Clear", "ExtClearBtn", "Empty the list", [this] { extensionsEdit_->clear(); });
    add("Defaults", "ExtDefaultsBtn", "Reset Extensions to Defaults", [this] {
        extensionsEdit_->setPlainText(
            L1(AppendDefaultExtensions(ToL1(extensionsEdit_->toPlainText()), ExtensionSet())));
    });
    side->addStretch();
    row->addLayout(side);
    auto* where = new QLabel("Set files (Grafext.et0 to .et6) in " + FromPath(filesDir_), page);
    where->setObjectName("ExtDirLabel");
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(where);
    return page;
}

int TOptionsForm::ExtensionSet() const { return extGroup_->checkedId() < 0 ? 0 : extGroup_->checkedId(); }

void TOptionsForm::ExtensionsOpen() {
    std::string text = ToL1(extensionsEdit_->toPlainText());
    bool found = false;
    Result r = LoadExtensionSet(filesDir_, ExtensionSet(), text, found);
    if (!r) {
        prompter_.ShowErrorText("The extension set could not be read:\r\n" + r.reason);
        return;
    }
    if (found) extensionsEdit_->setPlainText(L1(text));
}

void TOptionsForm::ExtensionsSave() {
    Result r = SaveExtensionSet(filesDir_, ExtensionSet(), ToL1(extensionsEdit_->toPlainText()));
    if (!r) prompter_.ShowErrorText("The extension set could not be saved:\r\n" + r.reason);
}

// ---- Showing and closing ----

void TOptionsForm::FillFromOptions() {
    for (int s = 0; s < SndCount; ++s) soundBoxes_[s]->setChecked(options_.SoundOn[s]);
    wavBox_->setChecked(options_.SoundIsWave);
    messageXEdit_->setText(QString::number(options_.MessageX));
    messageYEdit_->setText(QString::number(options_.MessageY));
    radiusEdit_->setText(QString::number(options_.SelectionRadius));
    PaintPanel(backgroundPanel_, options_.BackgroundColor);
    PaintPanel(highlightPanel_, options_.HighlightColor);
    PaintPanel(editPanel_, options_.EditColor);
    PaintPanel(editingPanel_, options_.EditingColor);
    for (int k = 0; k < DirKindCount; ++k)
        dirEdits_[k]->setText(FromPath(DirOption(options_, static_cast<DirKind>(k))));
}

void TOptionsForm::showEvent(QShowEvent* e) {
    if (!e->spontaneous()) {
        move(options_.WindowLeft[WinOptions], options_.WindowTop[WinOptions]);
        Setup();
        FillFromOptions();
    }
    QDialog::showEvent(e);
}

void TOptionsForm::done(int r) {
    options_.WindowLeft[WinOptions] = x();
    options_.WindowTop[WinOptions] = y();
    StoreSounds();
    StoreNumberBoxes(options_, ToL1(messageXEdit_->text()), ToL1(messageYEdit_->text()),
                     ToL1(radiusEdit_->text()), prompter_);
    // The boxes show what was kept.
    messageXEdit_->setText(QString::number(options_.MessageX));
    messageYEdit_->setText(QString::number(options_.MessageY));
    radiusEdit_->setText(QString::number(options_.SelectionRadius));
    if (!setup_.optionsPath.empty()) SaveOptions(options_, setup_.optionsPath, prompter_);
    QDialog::done(r);
}

void TOptionsForm::Status(const std::string& text) {
    if (setup_.ShowStatus) setup_.ShowStatus(text);
}

TOptionsForm* AttachOptionsWindow(TZeEditForm& main, const MainWindowSetup& setup) {
    OptionsFormSetup os;
    os.options = setup.options;
    os.store = setup.store;
    os.prompter = setup.prompter;
    os.programDir = setup.programDir;
    os.optionsPath = setup.optionsPath;
    TZeEditForm* form = &main;
    QtProgress* progress = setup.progress;
    os.Redraw = [form] { form->Redraw(); };
    os.ShowStatus = [form](const std::string& text) {
        // The main window shows status tips in its status panel.
        QStatusTipEvent tip(L1(text));
        QCoreApplication::sendEvent(form, &tip);
    };
    os.IsBusy = [form, progress] { return form->State().Busy > 0 || (progress && progress->Busy()); };
    auto* options = new TOptionsForm(os, &main);
    main.Commands().hooks().RefreshPalette = [options] { options->Setup(); };
    return options;
}

void ShowOptionsWindow(QWidget* main) {
    auto* options = main ? main->findChild<TOptionsForm*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!options) return;
    options->show();
    options->raise();
    options->activateWindow();
}

}  // namespace zemba
