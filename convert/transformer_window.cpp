#include "convert/transformer_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QPainter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "convert/dlg_to_dxf.h"
#include "convert/shape_combine.h"
#include "convert/shape_viewer.h"
#include "convert/soil_tables.h"
#include "core/attributes.h"
#include "core/file_io.h"

namespace zemba {

namespace {

QString Q(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }
std::string S(const QString& s) { return s.toLatin1().toStdString(); }
QString FileQ(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }
// File names typed in the boxes, in the file system's encoding.
std::string FileS(const QString& s) { return QFile::encodeName(s).toStdString(); }

}  // namespace

// The hint panel and the gauge on top of the window.
class TTransformer::GaugeProgress : public Progress {
public:
    GaugeProgress(QProgressBar* bar, QLabel* label) : bar_(bar), label_(label) { timer_.start(); }
    void SetMessage(const std::string& text) override { label_->setText(Q(text)); }
    void SetRange(long long min, long long max) override {
        min_ = min;
        max_ = max > min ? max : min + 1;
    }
    void SetPosition(long long pos) override {
        int v = static_cast<int>(100 * (pos - min_) / (max_ - min_));
        if (v != bar_->value()) bar_->setValue(std::clamp(v, 0, 100));
    }
    void Pump() override {
        if (timer_.elapsed() < 30) return;
        timer_.restart();
        QApplication::processEvents();
    }

private:
    QProgressBar* bar_;
    QLabel* label_;
    long long min_ = 0, max_ = 100;
    QElapsedTimer timer_;
};

TTransformer::TTransformer(Prompter& prompter, std::string& dlgDir, std::string& shapeDir, QWidget* parent)
    : QWidget(parent, Qt::Window), prompter_(prompter), dlgDir_(dlgDir), shapeDir_(shapeDir) {
    setObjectName("TTransformer");
    setWindowTitle("Transformer");
    auto* top = new QVBoxLayout(this);
    auto* hintBox = new QGroupBox("Progressive confusion, hints, and comments...");
    auto* hintLayout = new QVBoxLayout(hintBox);
    hints_ = new QLabel;
    hints_->setObjectName("THints");
    gauge_ = new QProgressBar;
    gauge_->setObjectName("DLGGauge");
    gauge_->setRange(0, 100);
    gauge_->setValue(0);
    hintLayout->addWidget(hints_);
    hintLayout->addWidget(gauge_);
    top->addWidget(hintBox);
    progress_ = std::make_unique<GaugeProgress>(gauge_, hints_);

    pages_ = new QTabWidget;
    pages_->setObjectName("TransPageControl");
    pages_->addTab(BuildQuickViewPage(), "Quick DLG View");
    pages_->addTab(BuildImportPage(), "DLG Import");
    pages_->addTab(BuildSoilPage(), "USDA NRCS db");
    pages_->addTab(BuildShapeViewerPage(), "Shape Viewer");
    pages_->addTab(BuildCombinePage(), "Shape File Combine");
    pages_->addTab(BuildShifterPage(), "Shape Shifter");
    pages_->addTab(BuildSundryPage(), "Sundry Importer");
    top->addWidget(pages_, 1);

    auto* buttons = new QHBoxLayout;
    auto* help = new QPushButton("Help");
    help->setObjectName("TransHelpBtn");
    connect(help, &QPushButton::clicked, this, [this] { emit helpRequested(8000); });
    auto* close = new QPushButton("Close");
    close->setObjectName("TransCloseBtn");
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    buttons->addStretch();
    buttons->addWidget(help);
    buttons->addWidget(close);
    top->addLayout(buttons);

    ChooseFolder = [this](const std::string& title, const std::string& dir) {
        // A folder chooser: a file dialog's "*.*" would hide the survey's
        // extensionless tables.
        QString d = QFileDialog::getExistingDirectory(this, Q(title), FileQ(dir));
        return std::string(QFile::encodeName(d).constData());
    };
}

TTransformer::~TTransformer() = default;

void TTransformer::showEvent(QShowEvent* e) {
    hints_->setText("File Transformer Progress Hints");
    QWidget::showEvent(e);
}

QLineEdit* TTransformer::Edit(const char* name, const char* text, bool readOnly) {
    auto* e = new QLineEdit(text);
    e->setObjectName(name);
    e->setReadOnly(readOnly);
    return e;
}

namespace {

QPushButton* Button(const char* name, const char* text, const char* hint = nullptr) {
    auto* b = new QPushButton(text);
    b->setObjectName(name);
    if (hint) b->setToolTip(hint);
    return b;
}

void Row(QGridLayout* g, int row, int col, const char* label, QWidget* w) {
    g->addWidget(new QLabel(label), row, col);
    g->addWidget(w, row, col + 1);
}

}  // namespace

QWidget* TTransformer::BuildQuickViewPage() {
    auto* page = new QWidget;
    auto* g = new QGridLayout(page);
    auto* choose = Button("QuickDLGViewFileBtn", "DLG File Selector");
    connect(choose, &QPushButton::clicked, this, &TTransformer::QuickDLGViewFileBtnClick);
    g->addWidget(choose, 0, 0);
    g->addWidget(Edit("QuickViewEdit", "", true), 0, 1, 1, 3);
    quickViewImage_ = new QLabel;
    quickViewImage_->setObjectName("QuickViewImage");
    quickViewImage_->setFrameShape(QFrame::Box);
    // The frame is drawn inside the widget: the picture keeps its full size within it.
    quickViewImage_->setFixedSize(DlgPicture::kSize + 2 * quickViewImage_->frameWidth(), DlgPicture::kSize + 2 * quickViewImage_->frameWidth());
    g->addWidget(quickViewImage_, 1, 0, 8, 2);
    Row(g, 1, 2, "DLG Name", Edit("DLGName", "", true));
    Row(g, 2, 2, "Date", Edit("DLGDate", "", true));
    Row(g, 3, 2, "Scale  1:", Edit("ScaleEdit", "", true));
    Row(g, 4, 2, "Points", Edit("PointIn", "", true));
    Row(g, 5, 2, "Areas", Edit("AreaIn", "", true));
    Row(g, 6, 2, "Lines", Edit("LineIn", "", true));
    Row(g, 7, 2, "Lines read", Edit("LineOut", "", true));
    auto* atts = new QHBoxLayout;
    atts->addWidget(new QLabel("Attributes P/A/L"));
    atts->addWidget(Edit("AttPEdit", "", true));
    atts->addWidget(Edit("AttAEdit", "", true));
    atts->addWidget(Edit("AttLEdit", "", true));
    g->addLayout(atts, 8, 2, 1, 2);
    quickViewMemo_ = new QPlainTextEdit;
    quickViewMemo_->setObjectName("QuickViewMemo");
    quickViewMemo_->setReadOnly(true);
    quickViewMemo_->setFont(QFont("Monospace"));
    g->addWidget(quickViewMemo_, 9, 0, 1, 4);
    auto* pick = new QHBoxLayout;
    auto* pickBtn = Button("PickALineBtn", "View selected Line(s)");
    connect(pickBtn, &QPushButton::clicked, this, &TTransformer::PickALineBtnClick);
    pick->addWidget(pickBtn);
    pick->addWidget(new QLabel("from"));
    pick->addWidget(Edit("PickALineEdit1", "100"));
    pick->addWidget(new QLabel("to"));
    pick->addWidget(Edit("PickALineEdit2", "101"));
    pick->addWidget(new QLabel("Area"));
    pick->addWidget(Edit("DLGVAreaEdit", "0"));
    auto* help = Button("TDLGViewHelpBtn", "Help");
    connect(help, &QPushButton::clicked, this, [this] { emit helpRequested(8010); });
    pick->addWidget(help);
    g->addLayout(pick, 10, 0, 1, 4);
    return page;
}

QWidget* TTransformer::BuildImportPage() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* head = new QGridLayout;
    auto* choose = Button("DLGImportBtn", "DLG File Selector");
    connect(choose, &QPushButton::clicked, this, &TTransformer::DLGImportBtnClick);
    head->addWidget(choose, 0, 0);
    head->addWidget(Edit("DLGFileEdit", "", true), 0, 1, 1, 3);
    auto* dlgPath = new QLabel;
    dlgPath->setObjectName("DlgPathLabel");
    auto* shapePath = new QLabel;
    shapePath->setObjectName("ShapePathLabel");
    head->addWidget(new QLabel("DLG Path"), 1, 0);
    head->addWidget(dlgPath, 1, 1, 1, 3);
    head->addWidget(new QLabel("Shape Path"), 2, 0);
    head->addWidget(shapePath, 2, 1, 1, 3);
    Row(head, 3, 0, "DLG Name", Edit("DLGNameEdit", "", true));
    Row(head, 3, 2, "Date", Edit("DLGDateEdit", "", true));
    Row(head, 4, 0, "Scale  1:", Edit("DIScale", "", true));
    Row(head, 4, 2, "Points in/out", Edit("DIPointIn", "", true));
    head->addWidget(Edit("DIPointOut", "", true), 4, 4);
    Row(head, 5, 0, "Areas in/out", Edit("DIAreaIn", "", true));
    head->addWidget(Edit("DIAreaOut", "", true), 5, 2);
    Row(head, 5, 3, "Lines in/out", Edit("DILineIn", "", true));
    head->addWidget(Edit("DILineOut", "", true), 5, 5);
    Row(head, 6, 0, "Attributes P", Edit("IAttPEdit", "", true));
    Row(head, 6, 2, "L", Edit("IAttLEdit", "", true));
    Row(head, 6, 4, "A", Edit("IAttAEdit", "", true));
    v->addLayout(head);
    dlgMemo_ = new QPlainTextEdit;
    dlgMemo_->setObjectName("DLGMemo");
    dlgMemo_->setReadOnly(true);
    dlgMemo_->setFont(QFont("Monospace"));
    v->addWidget(dlgMemo_, 1);

    auto* shape = new QGroupBox("Shape File Export");
    auto* sg = new QGridLayout(shape);
    auto* layerBox = new QGroupBox("Export Layer");
    layerBox->setObjectName("DLGIRG");
    auto* lb = new QHBoxLayout(layerBox);
    layerGroup_ = new QButtonGroup(this);
    const char* layers[] = {"Points", "Lines", "Areas", "MPoint"};
    for (int k = 0; k < 4; ++k) {
        auto* r = new QRadioButton(layers[k]);
        r->setObjectName(QString("DLGIRG_%1").arg(layers[k]));
        layerGroup_->addButton(r, k);
        lb->addWidget(r);
    }
    layerGroup_->button(2)->setChecked(true);
    connect(layerGroup_, &QButtonGroup::idClicked, this, [this] { DLGIRGClick(); });
    sg->addWidget(layerBox, 0, 0, 1, 2);
    auto check = [&](QCheckBox*& box, const char* name, const char* text, bool on, int row, int col) {
        box = new QCheckBox(text);
        box->setObjectName(name);
        box->setChecked(on);
        sg->addWidget(box, row, col);
    };
    check(skipFirst_, "DLGSkipFirstCB", "Skip First Area", true, 1, 0);
    check(skipSsurgo_, "SkipSsurgoBlankHalfCB", "Skip Ssurgo Blank half", false, 1, 1);
    check(single_, "DLGSingleCodeCB", "Single Attribute Code, Not Major+Minor pairs", false, 2, 0);
    check(minor_, "DLGMinorCodesCB", "Many Minor Codes, else: Major and Minor Code", false, 2, 1);
    check(soil_, "DLGAttSymCB", "Soil: att(Nats), sym(Statsgo), xaa(Ssurgo) Attributes", false, 3, 0);
    check(special_, "SsurgoSpecialFeatureCB", "Ssurgo Special Feature", false, 3, 1);
    check(numberItems_, "DLGNumberItemsCB", "Number items", false, 4, 0);
    check(mapAttributes_, "AddMapAttributesCB", "Add Map Attributes (blank)", false, 4, 1);
    for (QCheckBox* b : {single_, minor_, soil_})
        connect(b, &QCheckBox::clicked, this, [this, b](bool on) {
            if (on) ExclusiveAttribute(b);
        });
    auto* names = new QHBoxLayout;
    names->addWidget(new QLabel("Shape file"));
    names->addWidget(Edit("ShapeNameEdit", "ShapeNameEdit"));
    names->addWidget(Edit("ShapeLayerEdit", "", true));
    auto* dir = Button("DLGShapeExportDIRBtn", "...", "Optional Shape Path Locator");
    connect(dir, &QPushButton::clicked, this, &TTransformer::DLGShapeExportDIRBtnClick);
    names->addWidget(dir);
    auto* ok = Button("DLGShapeExportBtn", "OK", "All set to Export?");
    connect(ok, &QPushButton::clicked, this, &TTransformer::DLGShapeExportBtnClick);
    names->addWidget(ok);
    sg->addLayout(names, 5, 0, 1, 2);
    auto* results = new QHBoxLayout;
    for (const char* n : {"MaxShapeIslandsEdit", "MaxShapeAttEdit", "TotalPointsaddedEdit", "TotalLinePointsaddedEdit"})
        results->addWidget(Edit(n, "", true));
    sg->addLayout(results, 6, 0, 1, 2);
    v->addWidget(shape);

    auto* dxf = new QGroupBox("DXF Line Export");
    auto* dg = new QHBoxLayout(dxf);
    dg->addWidget(Edit("DXFNameEdit", "DXF FileName.dxf"));
    dg->addWidget(Edit("DXFLayerEdit", "LAYERNAME"));
    auto* widthBox = new QGroupBox("DXF Line Width");
    widthBox->setObjectName("DXFLineWidthRG");
    auto* wb = new QHBoxLayout(widthBox);
    widthGroup_ = new QButtonGroup(this);
    for (int k = 0; k < 4; ++k) {
        auto* r = new QRadioButton(QString::number(k));
        widthGroup_->addButton(r, k);
        wb->addWidget(r);
    }
    widthGroup_->button(0)->setChecked(true);
    dg->addWidget(widthBox);
    auto* dxfOk = Button("DLGDXFExportBtn", "OK", "OK to do it");
    connect(dxfOk, &QPushButton::clicked, this, &TTransformer::DLGDXFExportBtnClick);
    dg->addWidget(dxfOk);
    v->addWidget(dxf);
    auto* help = Button("TDLGImportHelpBtn", "Help");
    connect(help, &QPushButton::clicked, this, [this] { emit helpRequested(8100); });
    v->addWidget(help, 0, Qt::AlignRight);
    return page;
}

QWidget* TTransformer::HelpRow(const char* helpName, int context) {
    auto* help = Button(helpName, "Help");
    connect(help, &QPushButton::clicked, this, [this, context] { emit helpRequested(context); });
    return help;
}

namespace {

// The sixteen "File type" items, four columns, item 2 selected.
QGroupBox* ShapeTypeGroup(QObject* owner, const char* name, QButtonGroup** group) {
    auto* box = new QGroupBox("File type");
    box->setObjectName(name);
    auto* g = new QGridLayout(box);
    auto* bg = new QButtonGroup(owner);
    for (int k = 0; k < 16; ++k) {
        auto* b = new QRadioButton(kShapeViewerTypeItems[k]);
        bg->addButton(b, k);
        g->addWidget(b, k / 4, k % 4);
    }
    bg->button(2)->setChecked(true);
    if (group) *group = bg;
    return box;
}

}  // namespace

QWidget* TTransformer::BuildShapeViewerPage() {
    auto* page = new QWidget;
    page->setObjectName("TShapeViewHelpBtnPage");
    auto* g = new QGridLayout(page);
    auto* view = Button("ShapeViewOpen", "View", "Shape File Selector");
    connect(view, &QPushButton::clicked, this, &TTransformer::ShapeViewOpenClick);
    g->addWidget(view, 0, 0);
    g->addWidget(Edit("ShapeViewEditFileName", "Shape File"), 0, 1);
    auto* dump = new QCheckBox("Data to Text File");
    dump->setObjectName("DatatoTextFileBox");
    g->addWidget(dump, 0, 2);
    shapeViewImage_ = new QLabel;
    shapeViewImage_->setObjectName("ShapeViewImage");
    shapeViewImage_->setFrameShape(QFrame::Box);
    // The frame is drawn inside the widget: the picture keeps its full size within it.
    shapeViewImage_->setFixedSize(DlgPicture::kSize + 2 * shapeViewImage_->frameWidth(), DlgPicture::kSize + 2 * shapeViewImage_->frameWidth());
    g->addWidget(shapeViewImage_, 1, 0, 6, 2);
    Row(g, 1, 2, "File size words", Edit("ShapeViewEditFile", "0", true));
    Row(g, 2, 2, "Words read", Edit("ShapeViewEditFileDone", "0", true));
    Row(g, 3, 2, "Points", Edit("ShapeViewEditPtP", "0", true));
    Row(g, 4, 2, "Islands", Edit("ShapeViewEditArP", "0", true));
    Row(g, 5, 2, "Areas or Lines", Edit("ShapeViewEditLnP", "0", true));
    g->addWidget(ShapeTypeGroup(this, "ShapeViewerRG", &shapeTypeGroup_), 6, 2, 1, 2);
    shapeViewMemo_ = new QPlainTextEdit;
    shapeViewMemo_->setObjectName("ShapeViewMemo");
    shapeViewMemo_->setReadOnly(true);
    shapeViewMemo_->setFont(QFont("Monospace"));
    g->addWidget(shapeViewMemo_, 7, 0, 1, 4);
    g->addWidget(HelpRow("TShapeViewHelpBtn", 8300), 8, 3, Qt::AlignRight);
    return page;
}

QWidget* TTransformer::BuildSoilPage() {
    auto* page = new QWidget;
    page->setObjectName("TNRCSdbHelpBtnPage");
    auto* v = new QVBoxLayout(page);
    auto* state = new QGroupBox("State Statsgo");
    state->setObjectName("StateStatsgoGroup");
    auto* g = new QGridLayout(state);
    auto* data = Button("StateStatsgoBtn", "Data", "StatsGo File Selector");
    connect(data, &QPushButton::clicked, this, &TTransformer::StateStatsgoBtnClick);
    auto* shape = Button("StateStatsgoBtnShape", "Shape", "Statsgo,Surgo Shape file");
    connect(shape, &QPushButton::clicked, this, &TTransformer::StateStatsgoBtnShapeClick);
    auto* go = Button("StateStatsgoBtnGO", "OK");
    connect(go, &QPushButton::clicked, this, &TTransformer::StateStatsgoBtnGOClick);
    g->addWidget(data, 0, 0);
    g->addWidget(Edit("StatsgoEdit", "Data directory", true), 0, 1);
    g->addWidget(shape, 1, 0);
    g->addWidget(Edit("StatsgoShapeEdit", "Shape Directory", true), 1, 1);
    g->addWidget(go, 2, 1, Qt::AlignRight);
    v->addWidget(state);
    // Present, without operations.
    auto* nri = new QGroupBox("NRI: Natsgo");
    auto* n = new QHBoxLayout(nri);
    const std::pair<const char*, const char*> kNri[] = {
        {"NRINatsgoPointsBtn", "Natsgo Points"}, {"NRINatsgoPointsBtnShape", "Points Shape"},
        {"NRINatsgoPointsBtnGO", "Points GO"},   {"NRIDataBtn", "Data"},
        {"NRIShapeBtn", "Shape"},                {"NRIGOBtn", "GO"}};
    for (const auto& b : kNri) n->addWidget(Button(b.first, b.second));
    v->addWidget(nri);
    soilMemo_ = new QPlainTextEdit;
    soilMemo_->setObjectName("SoilSummaryMemo");
    soilMemo_->setReadOnly(true);
    v->addWidget(soilMemo_, 1);
    v->addWidget(HelpRow("TNRCSdbHelpBtn", 8200), 0, Qt::AlignRight);
    return page;
}

QWidget* TTransformer::BuildCombinePage() {
    auto* page = new QWidget;
    page->setObjectName("ShapeCombineHelpPage");
    auto* g = new QGridLayout(page);
    for (int k = 0; k < 2; ++k) {
        auto* open = Button(k ? "ShapeCombineOpen2" : "ShapeCombineOpen1", "Open", "Shape File Selector");
        connect(open, &QPushButton::clicked, this, [this, k] { CombineOpenClick(k); });
        g->addWidget(open, k, 0);
        g->addWidget(Edit(k ? "ShapeCombineName2" : "ShapeCombineName1", "Shape File"), k, 1);
        g->addWidget(new QLabel("Objects"), k, 2);
        g->addWidget(Edit(k ? "ShapeCombineObjects2" : "ShapeCombineObjects1", "0", true), k, 3);
    }
    g->addWidget(new QLabel("Total Objects"), 2, 2);
    g->addWidget(Edit("ShapeCombineTotal", "0", true), 2, 3);
    auto* name = Edit("ShapeCombineExportName", "ShapeNameEdit");
    name->setToolTip("Shape File name to export");
    g->addWidget(name, 3, 1);
    auto* ok = Button("ShapeCombineOK", "OK", "All set to Export?");
    ok->setEnabled(false);
    connect(ok, &QPushButton::clicked, this, &TTransformer::CombineOKClick);
    g->addWidget(ok, 3, 3);
    auto* types = new QHBoxLayout;
    for (int k = 0; k < 3; ++k) {
        QGroupBox* box = ShapeTypeGroup(this, k == 0 ? "CombineRG1" : k == 1 ? "CombineRG2" : "CombineRG3",
                                        &combineTypes_[k]);
        // The groups show the files' types; the user does not set them.
        for (QAbstractButton* b : combineTypes_[k]->buttons()) b->setEnabled(false);
        if (k == 1) box->setToolTip("Must be same file type");
        types->addWidget(box);
    }
    g->addLayout(types, 4, 0, 1, 4);
    g->setRowStretch(5, 1);
    g->addWidget(HelpRow("ShapeCombineHelp", 8400), 6, 3, Qt::AlignRight);
    return page;
}

QWidget* TTransformer::BuildShifterPage() {
    auto* page = new QWidget;
    page->setObjectName("ShapeShifterHelpBtnPage");
    auto* v = new QVBoxLayout(page);
    for (const char* t : {"Copy and Combine selected Lines into a Polygon in this layer",
                          "Copy selected Object into this layer", "Move selected Object into this layer"})
        v->addWidget(new QLabel(t));
    auto* lines = new QHBoxLayout;
    lines->addWidget(new QLabel("Lines: "));
    lines->addWidget(Edit("ShapeShifterLines", "0", true));
    lines->addWidget(Button("ShapeShifterBtn", "Shift"));
    v->addLayout(lines);
    auto* list = new QListWidget;
    list->setObjectName("ShapeShifterList");
    v->addWidget(list, 1);
    v->addWidget(HelpRow("ShapeShifterHelpBtn", 8500), 0, Qt::AlignRight);
    return page;
}

QWidget* TTransformer::BuildSundryPage() {
    auto* page = new QWidget;
    page->setObjectName("SundryImporterHelpBtnPage");
    auto* v = new QVBoxLayout(page);
    v->addWidget(new QLabel("Data Types Not Transformed: SDTS, TIGER(R), DOT BTS, DXF, CDF HDF, ..."));
    auto* row = new QHBoxLayout;
    for (const char* n : {"SDTS", "TIGER", "DOT BTS", "DXF"}) row->addWidget(Button(n, n));
    v->addLayout(row);
    v->addStretch();
    v->addWidget(HelpRow("SundryImporterHelpBtn", 8600), 0, Qt::AlignRight);
    return page;
}

void TTransformer::CombineOpenClick(int k) {
    std::string chosen = prompter_.ChooseOpenFile("Shape File Selector", shapeDir_, "Shape File (*.shp)|*.shp");
    if (chosen.empty()) return;
    CombineFile(k, chosen);
}

void TTransformer::CombineFile(int k, const std::string& path) {
    if (k < 0 || k > 1) return;
    ShapeFileSummary sum;
    Result r = SummarizeShapeFile(path, sum);
    auto* name = findChild<QLineEdit*>(k ? "ShapeCombineName2" : "ShapeCombineName1");
    auto* count = findChild<QLineEdit*>(k ? "ShapeCombineObjects2" : "ShapeCombineObjects1");
    if (!r) {
        combinePath_[k].clear();
        combine_[k] = ShapeFileSummary{};
        name->setText("Shape File");
        count->setText("0");
        UpdateCombine();
        prompter_.ShowErrorText(r.reason);
        return;
    }
    combinePath_[k] = path;
    combine_[k] = sum;
    shapeDir_ = DirectoryPart(path);
    name->setText(FileQ(FileNamePart(path)));
    count->setText(QString::number(sum.Objects));
    const int item = ShapeFileTypeItem(sum.ShapeType);
    if (item >= 0) combineTypes_[k]->button(item)->setChecked(true);
    // The export name: the two names joined, beside the first, until the
    // user types one of their own.
    auto* out = findChild<QLineEdit*>("ShapeCombineExportName");
    if (!combinePath_[0].empty() && !combinePath_[1].empty() &&
        (out->text() == "ShapeNameEdit" || out->text().isEmpty() || FileS(out->text()) == lastCombineName_)) {
        auto stem = [](const std::string& p) {
            std::string n = FileNamePart(p);
            return n.size() > 4 ? n.substr(0, n.size() - 4) : n;
        };
        lastCombineName_ = DirectoryPart(combinePath_[0]) + stem(combinePath_[0]) + "_" + stem(combinePath_[1]) + ".shp";
        out->setText(FileQ(lastCombineName_));
    }
    UpdateCombine();
}

void TTransformer::UpdateCombine() {
    const bool both = !combinePath_[0].empty() && !combinePath_[1].empty();
    const bool same = both && combine_[0].ShapeType == combine_[1].ShapeType;
    findChild<QLineEdit*>("ShapeCombineTotal")
        ->setText(QString::number(std::int64_t(combine_[0].Objects) + combine_[1].Objects));
    findChild<QPushButton*>("ShapeCombineOK")->setEnabled(same);
    const int item = ShapeFileTypeItem(combine_[0].ShapeType);
    if (same && item >= 0) combineTypes_[2]->button(item)->setChecked(true);
    if (both && !same) {
        auto kind = [](std::int32_t t) {
            const int i = ShapeFileTypeItem(t);
            return i >= 0 ? std::string(kShapeViewerTypeItems[i]) : "type " + std::to_string(t);
        };
        hints_->setText(Q("Must be same file type: " + FileNamePart(combinePath_[0]) + " holds " +
                          kind(combine_[0].ShapeType) + ", " + FileNamePart(combinePath_[1]) + " holds " +
                          kind(combine_[1].ShapeType)));
    } else if (same) {
        hints_->setText("All set to Export?");
    }
}

void TTransformer::CombineOKClick() {
    if (combinePath_[0].empty() || combinePath_[1].empty()) return;
    std::string out = FileS(findChild<QLineEdit*>("ShapeCombineExportName")->text().trimmed());
    if (out.empty() || out == "ShapeNameEdit") {
        prompter_.ShowErrorText("Give the Shape File name to export");
        return;
    }
    if (out.find('/') == std::string::npos) out = DirectoryPart(combinePath_[0]) + out;
    if (UpperCase(out.size() >= 4 ? out.substr(out.size() - 4) : out) != ".SHP") out += ".shp";
    if (out == combinePath_[0] || out == combinePath_[1]) {
        prompter_.ShowErrorText(out + " is one of the files being combined: give another name");
        return;
    }
    if (FileExistsAny(out) && prompter_.AskYesNoText(out + " exists. Replace it?") != Answer::Yes) return;
    auto* ok = findChild<QPushButton*>("ShapeCombineOK");
    ok->setEnabled(false);
    hints_->setText("Combining...");
    Result r = CombineShapeFiles(combinePath_[0], combinePath_[1], out, *progress_);
    ok->setEnabled(true);
    if (!r) {
        hints_->setText("Not combined");
        prompter_.ShowErrorText(r.reason);
        return;
    }
    hints_->setText(Q(std::to_string(std::int64_t(combine_[0].Objects) + combine_[1].Objects) + " objects written to " +
                      FileNamePart(out)));
}

void TTransformer::ShapeViewOpenClick() {
    std::string chosen =
        prompter_.ChooseOpenFile("Shape File Selector", shapeDir_, "Shape File (*.shp,*.shx)|*.shp;*.shx");
    if (chosen.empty()) return;
    ShapeViewFile(chosen);
}

void TTransformer::ShapeViewFile(const std::string& path) {
    auto set = [this](const char* name, long long v) { findChild<QLineEdit*>(name)->setText(QString::number(v)); };
    hints_->setText("Shape Display Display");
    findChild<QLineEdit*>("ShapeViewEditFileName")->setText(FileQ(FileNamePart(path)));
    const std::string ext = path.size() >= 4 ? UpperCase(path.substr(path.size() - 4)) : std::string();
    if (ext != ".SHP" && ext != ".SHX") return;
    if (ext == ".SHP") shapeDir_ = DirectoryPart(path);
    ShapeViewOptions o;
    if (findChild<QCheckBox*>("DatatoTextFileBox")->isChecked())
        o.DumpPath = ShapeViewDumpName(shapeDir_, FileNamePart(path));
    // One viewing at a time: the window pumps messages while it reads.
    auto* view = findChild<QPushButton*>("ShapeViewOpen");
    view->setEnabled(false);
    ShapeViewReport rep;
    Result r = ViewShapeFile(path, o, rep, prompter_, *progress_);
    view->setEnabled(true);
    if (!r && !rep.HeaderRead && rep.Memo.empty()) {
        prompter_.ShowErrorText(r.reason);
        return;
    }
    shapeViewMemo_->clear();
    for (const auto& line : rep.Memo) shapeViewMemo_->appendPlainText(Q(line));
    for (const auto& line : rep.Notes) shapeViewMemo_->appendPlainText(Q(line));
    const int item = ShapeFileTypeItem(rep.ShapeType);
    if (rep.HeaderRead && item >= 0) shapeTypeGroup_->button(item)->setChecked(true);
    // What was counted is shown even when the file ended early.
    set("ShapeViewEditFile", rep.FileLengthWords);
    set("ShapeViewEditFileDone", rep.WordsDone);
    set("ShapeViewEditPtP", rep.Points);
    set("ShapeViewEditArP", rep.Parts);
    set("ShapeViewEditLnP", rep.Records);
    if (rep.HasPicture) ShowPicture(rep.Picture, shapeViewImage_);
    if (!r) prompter_.ShowErrorText(r.reason);
    if (!rep.Notes.empty()) hints_->setText(Q(rep.Notes.front()));
}

void TTransformer::StateStatsgoBtnClick() {
    std::string dir = ChooseFolder ? ChooseFolder("StatsGo File Selector", *vectorDbDir_) : std::string();
    if (dir.empty()) return;
    StateStatsgoDataDir(dir);
}

void TTransformer::StateStatsgoDataDir(const std::string& dir) {
    soilDataDir_ = dir;
    *vectorDbDir_ = dir;
    findChild<QLineEdit*>("StatsgoEdit")->setText(FileQ(dir));
}

void TTransformer::StateStatsgoBtnShapeClick() {
    std::string chosen =
        prompter_.ChooseOpenFile("Shape File Selector", shapeDir_, "Statsgo,Surgo Shape file(*.shp)|*.shp;*.*");
    if (chosen.empty()) return;
    StateStatsgoShapeFile(chosen);
}

void TTransformer::StateStatsgoShapeFile(const std::string& path) {
    soilShapeFile_ = path;
    shapeDir_ = DirectoryPart(path);
    findChild<QLineEdit*>("StatsgoShapeEdit")->setText(FileQ(FileNamePart(path)));
}

void TTransformer::StateStatsgoBtnGOClick() {
    if (findChild<QLineEdit*>("StatsgoEdit")->text() == "Data directory" ||
        findChild<QLineEdit*>("StatsgoShapeEdit")->text() == "Shape Directory") {
        prompter_.Message(MsgFamily::Error, 30003);
        return;
    }
    SoilBuildRequest req;
    req.DataDir = soilDataDir_;
    req.ShapeFile = soilShapeFile_;
    QWidget* owner = parentWidget();
    req.BeforeBuild = [owner] {
        // The soil window's tables are about to be replaced.
        if (QObject* soil = owner ? owner->findChild<QObject*>("TStatSurGoForm") : nullptr)
            QMetaObject::invokeMethod(soil, "DeactivateForBuild");
    };
    auto* go = findChild<QPushButton*>("StateStatsgoBtnGO");
    go->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SoilBuildSummary sum;
    Result r = BuildSoilTables(req, prompter_, *progress_, sum);
    QApplication::restoreOverrideCursor();
    go->setEnabled(true);
    gauge_->setValue(0);
    soilMemo_->clear();
    for (const auto& line : sum.Lines()) soilMemo_->appendPlainText(FileQ(line));
    if (!r) hints_->setText(FileQ(sum.Failure));
}

void TTransformer::ExclusiveAttribute(QCheckBox* checked) {
    for (QCheckBox* b : {single_, minor_, soil_})
        if (b != checked) b->setChecked(false);
}

void TTransformer::ShowPicture(const DlgPicture& pic, QLabel* target) {
    QImage img(DlgPicture::kSize, DlgPicture::kSize, QImage::Format_RGB32);
    for (int y = 0; y < DlgPicture::kSize; ++y)
        for (int x = 0; x < DlgPicture::kSize; ++x) {
            std::uint32_t c = pic.At(x, y);
            img.setPixel(x, y, qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        }
    (target ? target : quickViewImage_)->setPixmap(QPixmap::fromImage(img));
}

void TTransformer::QuickDLGViewFileBtnClick() {
    std::string chosen = prompter_.ChooseOpenFile("DLG File Selector", dlgDir_, "DLG data|*.DLG;*.*f;*.OPT");
    if (chosen.empty()) return;
    QuickViewFile(chosen);
}

void TTransformer::QuickViewFile(const std::string& chosen) {
    auto set = [this](const char* name, const std::string& text) { findChild<QLineEdit*>(name)->setText(Q(text)); };
    progress_->SetMessage("DLG File Display");
    gauge_->setValue(10);
    dlgDir_ = DirectoryPart(chosen);
    quickViewChosen_ = chosen;
    std::string cached = ChooseQuickViewDlg(state_, chosen, dlgDir_, prompter_);
    findChild<QLineEdit*>("QuickViewEdit")->setText(FileQ(FileNamePart(state_.QuickViewFileName)));
    if (!cached.empty()) {
        QImage img(FileQ(cached));
        if (!img.isNull()) {
            quickViewImage_->setPixmap(QPixmap::fromImage(img));
            gauge_->setValue(0);
            return;
        }
    }
    quickViewMemo_->clear();
    QuickViewResult q;
    Result r = MakeDLGImage(state_.QuickViewFileName, q, prompter_, *progress_);
    gauge_->setValue(0);
    if (!r) {
        prompter_.ShowErrorText(r.reason);
        return;
    }
    for (const auto& line : q.Memo) quickViewMemo_->appendPlainText(Q(line));
    set("ScaleEdit", std::to_string(q.Header.Scale));
    set("DLGDate", std::to_string(q.Header.Date));
    set("DLGName", q.Header.Name);
    set("PointIn", q.Header.NodeText);
    set("AreaIn", q.Header.AreaText);
    set("LineIn", q.Header.LineText);
    set("AttPEdit", std::to_string(q.NodeAttrMax));
    set("AttAEdit", std::to_string(q.AreaAttrMax));
    set("AttLEdit", std::to_string(q.LineAttrMax));
    set("LineOut", std::to_string(q.LinesRead));
    progress_->SetMessage("Number of Lines Read " + std::to_string(q.LinesRead));
    ShowPicture(q.Picture);
    r = WriteBmp(q.Picture, ChangeFileExt(state_.QuickViewFileName, ".BMP"));
    if (!r) prompter_.ShowErrorText(r.reason);
}

void TTransformer::PickALineBtnClick() {
    if (state_.QuickViewFileName.empty()) {
        prompter_.Message(MsgFamily::Error, 12);
        return;
    }
    auto number = [this](const char* name, std::int64_t fallback) {
        std::int64_t v = fallback;
        if (!ParseWhole(S(findChild<QLineEdit*>(name)->text()), v)) v = fallback;
        return v;
    };
    DlgPicture pic;
    std::vector<std::string> memo;
    Result r = DrawSelectedLines(state_.QuickViewFileName, number("PickALineEdit1", 100), number("PickALineEdit2", 101),
                                 number("DLGVAreaEdit", 0), pic, memo, *progress_);
    gauge_->setValue(0);
    if (!r) {
        prompter_.ShowErrorText(r.reason);
        return;
    }
    for (const auto& line : memo) quickViewMemo_->appendPlainText(Q(line));
    ShowPicture(pic);
}

void TTransformer::DLGImportBtnClick() {
    state_.DlgSelected = false;
    std::string chosen =
        prompter_.ChooseOpenFile("DLG File Selector", dlgDir_, "DLG data (*.dlg,*.*f, *.opt)|*.dlg;*.*f;*.opt");
    if (chosen.empty()) {
        gauge_->setValue(0);
        return;
    }
    ImportFile(chosen);
}

void TTransformer::ImportFile(const std::string& chosen) {
    auto set = [this](const char* name, const std::string& text) { findChild<QLineEdit*>(name)->setText(Q(text)); };
    dlgMemo_->clear();
    dlgDir_ = DirectoryPart(chosen);
    progress_->SetMessage("DLG Header Display");
    findChild<QLineEdit*>("DLGFileEdit")->setText(FileQ(FileNamePart(chosen)));
    findChild<QLabel*>("DlgPathLabel")->setText(FileQ(dlgDir_));
    findChild<QLabel*>("ShapePathLabel")->setText(FileQ(shapeDir_));
    DlgImportPage page;
    Result r = ChooseImportDlg(state_, chosen, dlgDir_, prompter_, page);
    if (!state_.DlgSelected) return;
    findChild<QLineEdit*>("DLGFileEdit")->setText(FileQ(FileNamePart(state_.DlgFileName)));
    findChild<QLineEdit*>("DXFNameEdit")->setText(FileQ(page.DxfName));
    DLGIRGClick();
    if (!r) {
        prompter_.ShowErrorText(r.reason);
        return;
    }
    for (const auto& line : page.Memo) dlgMemo_->appendPlainText(Q(line));
    set("DIScale", std::to_string(page.Header.Scale));
    set("DLGDateEdit", std::to_string(page.Header.Date));
    set("DLGNameEdit", page.Header.Name);
    set("DIPointIn", page.Header.NodeText);
    set("DIAreaIn", page.Header.AreaText);
    set("DILineIn", page.Header.LineText);
    progress_->SetMessage(page.Hint);
    gauge_->setValue(0);
}

void TTransformer::DLGIRGClick() {
    const char* layers[] = {"Points", "Lines", "Areas", "MPoint"};
    const std::string layer = layers[std::max(layerGroup_->checkedId(), 0)];
    findChild<QLineEdit*>("ShapeLayerEdit")->setText(Q(ShapeLayerText(layer)));
    auto* name = findChild<QLineEdit*>("ShapeNameEdit");
    const std::string dxf = FileS(findChild<QLineEdit*>("DXFNameEdit")->text());
    std::string current = FileS(name->text());
    if (current == "ShapeNameEdit") current.clear();
    std::string proposed = ShapeNameForLayer(current, lastProposedShapeName_, dxf, layer);
    if (proposed != current) lastProposedShapeName_ = proposed;
    name->setText(FileQ(proposed));
}

DlgShapeOptions TTransformer::ExportOptions() const {
    DlgShapeOptions o;
    const ExportLayer kinds[] = {ExportLayer::Points, ExportLayer::Lines, ExportLayer::Areas, ExportLayer::MPoint};
    o.Layer = kinds[std::max(layerGroup_->checkedId(), 0)];
    o.SkipFirstArea = skipFirst_->isChecked();
    o.SkipSsurgoBlankHalf = skipSsurgo_->isChecked();
    o.Mode = single_->isChecked() ? amSingleCode : minor_->isChecked() ? amMinorCodes : soil_->isChecked() ? amSoil : amMajorMinor;
    o.SsurgoSpecialFeature = special_->isChecked();
    o.NumberItems = numberItems_->isChecked();
    o.MapAttributes = mapAttributes_->isChecked();
    return o;
}

void TTransformer::DLGShapeExportBtnClick() {
    auto set = [this](const char* name, long long v) { findChild<QLineEdit*>(name)->setText(QString::number(v)); };
    DlgShapeReport rep;
    setEnabled(false);
    Result r = DLGShapeExport(state_, shapeDir_, FileS(findChild<QLineEdit*>("ShapeNameEdit")->text()), ExportOptions(),
                              prompter_, *progress_, rep);
    setEnabled(true);
    for (const auto& line : rep.Memo) dlgMemo_->appendPlainText(Q(line));
    set("IAttPEdit", rep.NodeAttrMax);
    set("IAttLEdit", rep.LineAttrMax);
    set("IAttAEdit", rep.AreaAttrMax);
    set("DILineOut", rep.LinesRead);
    set("DIAreaOut", rep.AreasRead);
    set("DIPointOut", ExportOptions().Layer == ExportLayer::Points ? rep.Written : 0);
    set("MaxShapeIslandsEdit", rep.IslandsDone);
    set("MaxShapeAttEdit", rep.AreaAttrMax);
    set("TotalPointsaddedEdit", rep.PointsAdded);
    set("TotalLinePointsaddedEdit", rep.LinePointsAdded);
    gauge_->setValue(0);
    if (!r) {
        hints_->setText("Shape Exporter Finished");
        return;
    }
    hints_->setText(Q(rep.Hint));
}

void TTransformer::DLGShapeExportDIRBtnClick() {
    std::string name = FileS(findChild<QLineEdit*>("ShapeNameEdit")->text());
    if (name == "ShapeNameEdit") name += ".shp";
    std::string chosen = prompter_.ChooseSaveFile("Optional Shape Path Locator", shapeDir_, "Shape file here TOO(*.*)|*.*", name);
    if (chosen.empty()) return;
    shapeDir_ = DirectoryPart(chosen);
    findChild<QLabel*>("ShapePathLabel")->setText(FileQ(shapeDir_));
}

void TTransformer::DLGDXFExportBtnClick() {
    if (!state_.DlgSelected) {
        prompter_.Message(MsgFamily::Error, 12);
        return;
    }
    auto* layer = findChild<QLineEdit*>("DXFLayerEdit");
    const std::string name = DxfLayerName(layer->text().toStdString());
    layer->setText(QString::fromStdString(name));
    std::string dir = dlgDir_;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    const std::string path = dir + FileS(findChild<QLineEdit*>("DXFNameEdit")->text());
    findChild<QLineEdit*>("DIPointOut")->setText("0");
    findChild<QLineEdit*>("DIAreaOut")->setText("0");
    DlgDxfReport rep;
    setEnabled(false);
    Result r = ExportDlgToDxf(state_.DlgFileName, path, name, std::max(widthGroup_->checkedId(), 0), prompter_,
                              *progress_, rep);
    setEnabled(true);
    gauge_->setValue(0);
    if (!r) {
        prompter_.ShowErrorText(r.reason);
        return;
    }
    findChild<QLineEdit*>("DILineOut")->setText(QString::number(rep.LinesWritten));
    hints_->setText(Q(rep.Hint));
}

void TTransformer::closeEvent(QCloseEvent* e) {
    emit closed();
    QWidget::closeEvent(e);
}

TTransformer* ShowTransformer(QWidget* parent, Prompter& prompter, std::string& dlgDir, std::string& shapeDir,
                              std::function<void(int)> help, WindowPlace place, std::string* vectorDbDir) {
    auto* w = parent ? parent->findChild<TTransformer*>("TTransformer") : nullptr;
    if (!w) {
        w = new TTransformer(prompter, dlgDir, shapeDir, parent);
        if (help) QObject::connect(w, &TTransformer::helpRequested, w, help);
        if (place.Left && place.Top) {
            w->move(*place.Left, *place.Top);
            QObject::connect(w, &TTransformer::closed, w, [w, place] {
                *place.Left = w->x();
                *place.Top = w->y();
            });
        }
    }
    if (vectorDbDir) w->SetVectorDbDir(vectorDbDir);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

}  // namespace zemba
