#include "output/legend_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/file_io.h"
#include "output/legend.h"
#include "output/page_painter.h"
#include "view/renderer.h"

namespace zemba {
namespace {

QString L1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }

QButtonGroup* RadioGroup(QWidget* parent, QBoxLayout* into, const QString& title, const QString& name,
                         const std::vector<QString>& items) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    auto* lay = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (std::size_t k = 0; k < items.size(); ++k) {
        auto* b = new QRadioButton(items[k], box);
        lay->addWidget(b);
        group->addButton(b, static_cast<int>(k));
    }
    group->button(0)->setChecked(true);
    into->addWidget(box);
    return group;
}

FontDesc DescOf(const QFont& f, COLORREF color) {
    FontDesc d;
    d.Family = f.family().toLatin1().toStdString();
    d.PointSize = f.pointSize() > 0 ? f.pointSize() : 10;
    d.Bold = f.bold();
    d.Italic = f.italic();
    d.Underline = f.underline();
    d.StrikeOut = f.strikeOut();
    d.Color = color;
    return d;
}

}  // namespace

TLegendForm::TLegendForm(LegendCommands& commands, LayerStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window), c_(commands), store_(store) {
    setObjectName("TLegendForm");
    setWindowTitle("Legend");
    auto* outer = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    projectName_ = new QLabel(this);
    projectName_->setObjectName("ProjectNameLabel");
    projectPath_ = new QLabel(this);
    projectPath_->setObjectName("ProjectPathLabel");
    auto* help = new QPushButton("Help", this);
    help->setObjectName("HelpBitBtn");
    connect(help, &QPushButton::clicked, this, [this] {
        if (Help) Help(14000);
    });
    top->addWidget(projectName_);
    top->addWidget(projectPath_, 1);
    top->addWidget(help);
    outer->addLayout(top);

    tabs_ = new QTabWidget(this);
    outer->addWidget(tabs_);

    // "Legend": what is filled in.
    auto* page = new QWidget;
    auto* pl = new QVBoxLayout(page);
    auto* finished = new QGroupBox("Map Selections Finished", page);
    auto* grid = new QGridLayout(finished);
    for (int k = 0; k < 14; ++k) {
        boxes_[k] = new QCheckBox(kLegendBoxNames[k], finished);
        boxes_[k]->setAttribute(Qt::WA_TransparentForMouseEvents);
        boxes_[k]->setFocusPolicy(Qt::NoFocus);
        grid->addWidget(boxes_[k], k % 7, k / 7);
    }
    pl->addWidget(finished);
    auto* validate = new QPushButton("Validate / Save", page);
    validate->setObjectName("ValidateBtn");
    connect(validate, &QPushButton::clicked, this, [this] { ValidateBtnClick(); });
    pl->addWidget(validate);
    pl->addStretch();
    tabs_->addTab(page, "Legend");

    // "Legend Text": one element at a time in the memo.
    page = new QWidget;
    auto* tl = new QHBoxLayout(page);
    std::vector<QString> names;
    for (const char* n : kLegendTextNames) names.push_back(n);
    textRG_ = RadioGroup(page, tl, "", "LegendTextRG", names);
    auto* right = new QVBoxLayout;
    memo_ = new QPlainTextEdit(page);
    memo_->setObjectName("LegendMemo");
    memo_->setFont(FontFromDesc(*c_.MemoFont));
    right->addWidget(memo_);
    auto* buttons = new QHBoxLayout;
    for (auto [caption, name] : {std::pair{"Font", "FontTextBtn"}, {"Load", "LoadTextBtn"}, {"Save", "SaveTextBtn"}}) {
        auto* b = new QPushButton(caption, page);
        b->setObjectName(name);
        buttons->addWidget(b);
        const QString n = name;
        connect(b, &QPushButton::clicked, this, [this, n] {
            if (n == "FontTextBtn") FontTextBtnClick();
            else if (n == "LoadTextBtn") LoadTextBtnClick();
            else SaveTextBtnClick();
        });
    }
    right->addLayout(buttons);
    tl->addLayout(right, 1);
    tabs_->addTab(page, "Legend Text");

    // "Legend Bitmaps".
    page = new QWidget;
    auto* bl = new QHBoxLayout(page);
    names.clear();
    for (const char* n : kLegendBitmapNames) names.push_back(n);
    auto* leftCol = new QVBoxLayout;
    bitmapRG_ = RadioGroup(page, leftCol, "", "LegendLegionBitmapsRG", names);
    connect(bitmapRG_, &QButtonGroup::idClicked, this, [this](int) { BitmapEntryChanged(); });
    auto* load = new QPushButton("Load", page);
    load->setObjectName("LoadBitmapsBtn");
    connect(load, &QPushButton::clicked, this, [this] { LoadBitmapsBtnClick(); });
    leftCol->addWidget(load);
    drawn_ = new QCheckBox("Drawn by the program", page);
    drawn_->setObjectName("DrawnByProgramCB");
    drawn_->setToolTip("The program draws this element from the map's extent and units");
    connect(drawn_, &QCheckBox::clicked, this, [this](bool on) {
        c_.SetDrawn(bitmapRG_->checkedId(), on);
        BitmapEntryChanged();
    });
    leftCol->addWidget(drawn_);
    leftCol->addStretch();
    bl->addLayout(leftCol);
    auto* pictureCol = new QVBoxLayout;
    pathLabel_ = new QLabel("Path and File Name", page);
    pathLabel_->setObjectName("PathLabel");
    sizeLabel_ = new QLabel(page);
    sizeLabel_->setObjectName("SizeLabel");
    auto* scroll = new QScrollArea(page);
    picture_ = new QLabel;
    picture_->setObjectName("LegendImage");
    scroll->setWidget(picture_);
    pictureCol->addWidget(pathLabel_);
    pictureCol->addWidget(sizeLabel_);
    pictureCol->addWidget(scroll, 1);
    bl->addLayout(pictureCol, 1);
    tabs_->addTab(page, "Legend Bitmaps");

    // "Legendary": grid and map location.
    page = new QWidget;
    auto* gl = new QHBoxLayout(page);
    gridRG_ = RadioGroup(page, gl, "Grids", "GridsRG", {"None", "Lat Long", "UTM Grid"});
    connect(gridRG_, &QButtonGroup::idClicked, this, [this](int) { GridsRGClick(); });
    auto* loc = new QVBoxLayout;
    locationRG_ = RadioGroup(page, loc, "Map Location", "MapLocationRG", {"State", "Country", "Variable"});
    connect(locationRG_, &QButtonGroup::idClicked, this, [this](int) { MapLocationRGClick(); });
    stateCB_ = new QComboBox(page);
    stateCB_->setObjectName("StateCB");
    for (const char* s : kStateNames) stateCB_->addItem(s);
    stateCB_->setEditable(true);
    stateCB_->setCurrentIndex(-1);
    stateCB_->setEditText(kDefaultState);
    countryCB_ = new QComboBox(page);
    countryCB_->setObjectName("CountryCB");
    for (const char* s : kCountryNames) countryCB_->addItem(s);
    countryCB_->setEditable(true);
    countryCB_->setCurrentIndex(-1);
    countryCB_->setEditText(kDefaultCountry);
    variable_ = new QLineEdit(page);
    variable_->setObjectName("VariableEdit");
    loc->addWidget(stateCB_);
    loc->addWidget(countryCB_);
    loc->addWidget(variable_);
    loc->addStretch();
    gl->addLayout(loc, 1);
    tabs_->addTab(page, "Legendary");

    for (const char* t : {"Field Generator", "Symbol Set", "Symbol Control"}) {
        auto* w = new QWidget;
        auto* l = new QVBoxLayout(w);
        l->addWidget(new QLabel(t, w));
        l->addStretch();
        tabs_->addTab(w, t);
    }
    BitmapEntryChanged();
    resize(560, 420);
}

void TLegendForm::ShowProject() {
    projectName_->setText(QFile::decodeName(store_.ProjectName.c_str()));
    projectPath_->setText(QFile::decodeName(store_.ProjectPath.c_str()));
}

void TLegendForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    c_.FormShow();
    ShowProject();
    if (auto* b = gridRG_->button(c_.Legend().GridKind)) b->setChecked(true);
}

void TLegendForm::closeEvent(QCloseEvent* e) {
    if (Closed) Closed(this);
    QWidget::closeEvent(e);
}

void TLegendForm::CheckMapLegendRec() {
    const std::array<bool, 14> b = zemba::CheckMapLegendRec(c_.Legend());
    for (int k = 0; k < 14; ++k) boxes_[k]->setChecked(b[k]);
}

void TLegendForm::ValidateBtnClick() {
    CheckMapLegendRec();
    c_.ValidateSave();
    ShowProject();
}

void TLegendForm::FontTextBtnClick() {
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, memo_->font(), this, "Font");
    if (!ok) return;
    c_.SetMemoFont(DescOf(f, c_.MemoFont->Color));
    memo_->setFont(FontFromDesc(*c_.MemoFont));
}

void TLegendForm::LoadTextBtnClick() {
    const std::vector<std::string> lines = c_.LoadText(textRG_->checkedId());
    memo_->clear();
    memo_->setFont(FontFromDesc(*c_.MemoFont));
    QStringList all;
    for (const std::string& l : lines) all << L1(l);
    memo_->setPlainText(all.join('\n'));
}

void TLegendForm::SaveTextBtnClick() {
    const QByteArray text = memo_->toPlainText().toLatin1();
    c_.SaveText(textRG_->checkedId(), MemoLines(text.toStdString()));
}

void TLegendForm::BitmapEntryChanged() {
    const int entry = bitmapRG_->checkedId();
    drawn_->setEnabled(LegendCommands::Drawable(entry));
    const std::string& file = BitmapEntryFile(c_.Legend(), entry);
    drawn_->setChecked(file == kDrawnByProgram);
    picture_->clear();
    sizeLabel_->clear();
    pathLabel_->setText("Path and File Name");
    if (!FileElementPresent(file)) return;
    pathLabel_->setText(QFile::decodeName(file.c_str()));
    const QImage img = QImageReader(QFile::decodeName(file.c_str())).read();
    if (img.isNull()) return;
    picture_->setPixmap(QPixmap::fromImage(img));
    picture_->adjustSize();
    sizeLabel_->setText(QString("%1 x %2").arg(img.width()).arg(img.height()));
}

void TLegendForm::LoadBitmapsBtnClick() {
    const int entry = bitmapRG_->checkedId();
    const std::string& current = BitmapEntryFile(c_.Legend(), entry);
    const std::string dir = NamesFile(current) ? DirectoryPart(current) : store_.ProjectPath;
    const std::string path = c_.UserPrompter().ChooseOpenFile(
        "Open", dir, "Pictures (*.bmp *.png *.jpg *.jpeg)|*.bmp;*.BMP;*.png;*.PNG;*.jpg;*.JPG;*.jpeg;*.JPEG|All files (*)|*");
    c_.LoadBitmap(entry, path, PictureSize);
    BitmapEntryChanged();
}

void TLegendForm::GridsRGClick() { c_.SetGrid(gridRG_->checkedId()); }

void TLegendForm::MapLocationRGClick() {
    c_.SetLocation(locationRG_->checkedId(), stateCB_->currentText().toLatin1().toStdString(),
                   countryCB_->currentText().toLatin1().toStdString(), variable_->text().toLatin1().toStdString());
}

}  // namespace zemba
