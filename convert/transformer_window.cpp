#include "convert/transformer_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFile>
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
#include "core/attributes.h"
#include "core/file_io.h"

namespace zemba {

namespace {

QString Q(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }
std::string S(const QString& s) { return s.toLatin1().toStdString(); }
QString FileQ(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

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
    pages_->addTab(BuildPlaceholderPage("TNRCSdbHelpBtn", 8200, "Soil survey tables (STATSGO, SSURGO)"), "USDA NRCS db");
    pages_->addTab(BuildPlaceholderPage("TShapeViewHelpBtn", 8300, "Shape file viewer"), "Shape Viewer");
    pages_->addTab(BuildPlaceholderPage("ShapeCombineHelp", 8400, "Shape file combiner"), "Shape File Combine");
    pages_->addTab(BuildPlaceholderPage("ShapeShifterHelpBtn", 8500, "Shape shifter"), "Shape Shifter");
    pages_->addTab(BuildPlaceholderPage("SundryImporterHelpBtn", 8600, "Sundry importer"), "Sundry Importer");
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
    quickViewImage_->setFixedSize(DlgPicture::kSize, DlgPicture::kSize);
    quickViewImage_->setFrameShape(QFrame::Box);
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

QWidget* TTransformer::BuildPlaceholderPage(const char* helpName, int context, const char* text) {
    auto* page = new QWidget;
    page->setObjectName(QString(helpName) + "Page");
    auto* v = new QVBoxLayout(page);
    v->addWidget(new QLabel(text));
    v->addStretch();
    auto* help = Button(helpName, "Help");
    connect(help, &QPushButton::clicked, this, [this, context] { emit helpRequested(context); });
    v->addWidget(help, 0, Qt::AlignRight);
    return page;
}

void TTransformer::ExclusiveAttribute(QCheckBox* checked) {
    for (QCheckBox* b : {single_, minor_, soil_})
        if (b != checked) b->setChecked(false);
}

void TTransformer::ShowPicture(const DlgPicture& pic) {
    QImage img(DlgPicture::kSize, DlgPicture::kSize, QImage::Format_RGB32);
    for (int y = 0; y < DlgPicture::kSize; ++y)
        for (int x = 0; x < DlgPicture::kSize; ++x) {
            std::uint32_t c = pic.At(x, y);
            img.setPixel(x, y, qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        }
    quickViewImage_->setPixmap(QPixmap::fromImage(img));
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
    set("DXFNameEdit", page.DxfName);
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
    const std::string dxf = S(findChild<QLineEdit*>("DXFNameEdit")->text());
    std::string current = S(name->text());
    if (current == "ShapeNameEdit") current.clear();
    std::string proposed = ShapeNameForLayer(current, lastProposedShapeName_, dxf, layer);
    if (proposed != current) lastProposedShapeName_ = proposed;
    name->setText(Q(proposed));
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
    Result r = DLGShapeExport(state_, shapeDir_, S(findChild<QLineEdit*>("ShapeNameEdit")->text()), ExportOptions(),
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
    std::string name = S(findChild<QLineEdit*>("ShapeNameEdit")->text());
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
    const std::string name = DxfLayerName(S(layer->text()));
    layer->setText(Q(name));
    std::string dir = dlgDir_;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    const std::string path = dir + S(findChild<QLineEdit*>("DXFNameEdit")->text());
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
                              std::function<void(int)> help, WindowPlace place) {
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
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

}  // namespace zemba
