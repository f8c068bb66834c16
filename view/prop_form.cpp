#include "view/prop_form.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "view/renderer.h"
#include "view/styles.h"

namespace zemba {

FontDesc DescFromFont(const QFont& f, const FontDesc& keep) {
    FontDesc d = keep;
    d.Family = f.family().toStdString();
    if (f.pointSize() > 0) d.PointSize = f.pointSize();
    d.Bold = f.bold();
    d.Italic = f.italic();
    d.Underline = f.underline();
    d.StrikeOut = f.strikeOut();
    return d;
}

TPropForm::TPropForm(LayerStore& store, ViewState& view, Prompter& prompter, PropFormHooks hooks,
                     QWidget* parent)
    : QDialog(parent), store_(store), view_(view), prompter_(prompter), hooks_(std::move(hooks)) {
    setObjectName("TPropForm");
    setWindowTitle("Layer Properties");
    if (store_.DefaultLabelFont) sample_ = *store_.DefaultLabelFont;
    Build();
}

void TPropForm::Build() {
    auto* top = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    list_ = new QListWidget(this);
    list_->setObjectName("LayerList");
    left->addWidget(list_);
    auto* order = new QHBoxLayout;
    up_ = new QPushButton("Up", this);
    down_ = new QPushButton("Down", this);
    delete_ = new QPushButton("Delete", this);
    up_->setObjectName("UpBtn");
    down_->setObjectName("DownBtn");
    delete_->setObjectName("DeleteBtn");
    up_->setToolTip("PERMANENT!");
    down_->setToolTip("PERMANENT!");
    order->addWidget(up_);
    order->addWidget(down_);
    order->addWidget(delete_);
    left->addLayout(order);
    top->addLayout(left);

    auto* right = new QVBoxLayout;
    auto* styleBox = new QGroupBox("Style", this);
    auto* g = new QGridLayout(styleBox);
    visible_ = new QCheckBox("Visible", this);
    editable_ = new QCheckBox("Edit able", this);
    outlined_ = new QCheckBox("Outlined", this);
    visible_->setObjectName("VisibleCB");
    outlined_->setObjectName("OutlinedCB");
    g->addWidget(visible_, 0, 0);
    g->addWidget(editable_, 0, 1);
    g->addWidget(outlined_, 0, 2);
    symbolCombo_ = new QComboBox(this);
    lineCombo_ = new QComboBox(this);
    symbolCombo_->setObjectName("SymbolCombo");
    lineCombo_->setObjectName("LineCombo");
    g->addWidget(symbolCombo_, 1, 0, 1, 2);
    g->addWidget(lineCombo_, 1, 2);
    g->addWidget(new QLabel("Line Width", this), 2, 0);
    lineWidth_ = new QLineEdit(this);
    lineWidth_->setObjectName("LineWidthEdit");
    g->addWidget(lineWidth_, 2, 1);
    shapeColour_ = new QPushButton("Shape Color", this);
    lineColour_ = new QPushButton("Line Color", this);
    shapeColour_->setObjectName("ShapeColorPanel");
    lineColour_->setObjectName("LineColorPanel");
    g->addWidget(shapeColour_, 3, 0);
    g->addWidget(lineColour_, 3, 1);
    right->addWidget(styleBox);

    auto* labelBox = new QGroupBox("Labels", this);
    auto* lg = new QGridLayout(labelBox);
    labeled_ = new QCheckBox("Labeled?", this);
    background_ = new QCheckBox("Background", this);
    backColour_ = new QPushButton("Background Color", this);
    labeled_->setObjectName("LabeledCB");
    lg->addWidget(labeled_, 0, 0);
    lg->addWidget(background_, 0, 1);
    lg->addWidget(backColour_, 0, 2);
    rotationEdit_ = new QLineEdit("0", this);
    rotationEdit_->setValidator(new QIntValidator(0, 359, this));
    rotation_ = new QSlider(Qt::Horizontal, this);
    rotation_->setRange(0, 359);
    rotation_->setToolTip("Rotate the label");
    lg->addWidget(rotationEdit_, 1, 0);
    lg->addWidget(rotation_, 1, 1, 1, 2);
    font_ = new QPushButton("Font", this);
    sampleLabel_ = new QLabel("o+=>", this);
    lg->addWidget(font_, 2, 0);
    lg->addWidget(sampleLabel_, 2, 1);
    fieldCombo_ = new QComboBox(this);
    fieldCombo_->setObjectName("FieldCombo");
    fieldCombo_->setToolTip("Layer field");
    lg->addWidget(fieldCombo_, 3, 0, 1, 2);
    labelAll_ = new QPushButton("Label as Selected", this);
    labelAll_->setObjectName("LabelAllBtn");
    labelAll_->setToolTip("Label ALL Shapes");
    lg->addWidget(labelAll_, 3, 2);
    skipOverlaps_ = new QCheckBox("Skip overlapping labels", this);
    skipOverlaps_->setObjectName("SkipOverlapsCB");
    lg->addWidget(skipOverlaps_, 4, 0, 1, 3);
    right->addWidget(labelBox);

    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->hide();
    progress_.SetBar(bar_);
    right->addWidget(bar_);
    auto* buttons = new QHBoxLayout;
    apply_ = new QPushButton("Apply", this);
    reset_ = new QPushButton("Reset", this);
    ok_ = new QPushButton("OK", this);
    help_ = new QPushButton("Help", this);
    apply_->setObjectName("ApplyBtn");
    reset_->setObjectName("ResetBtn");
    ok_->setObjectName("OKBtn");
    reset_->setToolTip("Reset to Defaults");
    for (QPushButton* b : {apply_, reset_, ok_, help_}) buttons->addWidget(b);
    right->addLayout(buttons);
    top->addLayout(right);

    connect(list_, &QListWidget::currentRowChanged, this, [this](int r) { RowChanged(r); });
    connect(up_, &QPushButton::clicked, this, [this] { Up(); });
    connect(down_, &QPushButton::clicked, this, [this] { Down(); });
    connect(delete_, &QPushButton::clicked, this, [this] { Delete(); });
    connect(visible_, &QCheckBox::clicked, this, [this](bool on) {
        SetLayerVisible(store_, SelectedLayer(), on);
        RowChanged(list_->currentRow());
    });
    connect(editable_, &QCheckBox::clicked, this, [this](bool on) {
        if (int L = SelectedLayer()) store_.SymLayers[L].Editable = on ? 1 : 0;
    });
    connect(outlined_, &QCheckBox::clicked, this, [this](bool on) {
        const int L = SelectedLayer();
        SetOutlined(store_, L, on, view_.BackgroundColor);
        if (L) ShowColour(lineColour_, store_.SymLayers[L].LineColor);
    });
    connect(symbolCombo_, QOverload<int>::of(&QComboBox::activated), this, [this](int i) {
        if (int L = SelectedLayer()) store_.SymLayers[L].ShapeStyle = i;
    });
    connect(lineCombo_, QOverload<int>::of(&QComboBox::activated), this, [this](int i) {
        if (int L = SelectedLayer()) store_.SymLayers[L].LineStyle = i;
    });
    connect(lineWidth_, &QLineEdit::editingFinished, this, [this] {
        const int L = SelectedLayer();
        if (!L || !lineWidth_->isModified()) return;
        lineWidth_->setModified(false);
        SetLineWidthText(store_, L, lineWidth_->text().toStdString(), prompter_);
        lineWidth_->setText(QString::number(store_.SymLayers[L].LineWidth));
    });
    connect(shapeColour_, &QPushButton::clicked, this, [this] {
        const int L = SelectedLayer();
        if (L && ChooseColour(store_.SymLayers[L].FillColor)) ShowColour(shapeColour_, store_.SymLayers[L].FillColor);
    });
    connect(lineColour_, &QPushButton::clicked, this, [this] {
        const int L = SelectedLayer();
        if (L && ChooseColour(store_.SymLayers[L].LineColor)) {
            store_.SymLayers[L].Visible = 1;
            ShowColour(lineColour_, store_.SymLayers[L].LineColor);
        }
    });
    connect(background_, &QCheckBox::clicked, this, [this](bool on) {
        const int L = SelectedLayer();
        SetLabelBackground(store_, L, on, view_.BackgroundColor);
        if (L) ShowColour(backColour_, store_.SymLayers[L].LabelBackColor);
    });
    connect(backColour_, &QPushButton::clicked, this, [this] {
        const int L = SelectedLayer();
        if (L && ChooseColour(store_.SymLayers[L].LabelBackColor))
            ShowColour(backColour_, store_.SymLayers[L].LabelBackColor);
    });
    connect(labeled_, &QCheckBox::clicked, this, [this](bool on) {
        if (int L = SelectedLayer()) store_.SymLayers[L].Labeled = on ? 1 : 0;
    });
    connect(rotation_, &QSlider::valueChanged, this, [this](int v) {
        rotationEdit_->setText(QString::number(v));
        if (loading_) return;
        if (int L = SelectedLayer()) store_.SymLayers[L].LabelRotation = v;
    });
    connect(rotationEdit_, &QLineEdit::editingFinished, this,
            [this] { rotation_->setValue(std::clamp(rotationEdit_->text().toInt(), 0, 359)); });
    connect(font_, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, FontFromDesc(sample_), this);
        if (!ok) return;
        sample_ = DescFromFont(f, sample_);
        // A font of its own for this layer: other layers keep theirs.
        if (int L = SelectedLayer()) store_.SymLayers[L].LabelFont = MakeLabelFont(sample_, 0);
        ShowSample();
    });
    connect(fieldCombo_, QOverload<int>::of(&QComboBox::activated), this, [this](int i) {
        if (int L = SelectedLayer(); L && i >= 0) store_.SymLayers[L].LabelField = i;
    });
    connect(skipOverlaps_, &QCheckBox::clicked, this, [this](bool on) { view_.SkipOverlappingLabels = on; });
    connect(labelAll_, &QPushButton::clicked, this, [this] { LabelAll(); });
    connect(apply_, &QPushButton::clicked, this, [this] {
        const int L = SelectedLayer();
        if (!L) return;
        store_.SymLayers[L].Visible = 1;
        visible_->setChecked(true);
        SetActive(true);
        if (hooks_.Redraw) hooks_.Redraw();
    });
    connect(reset_, &QPushButton::clicked, this, [this] { Reset(); });
    connect(ok_, &QPushButton::clicked, this, [this] { Ok(); });
    connect(help_, &QPushButton::clicked, this, [this] {
        if (hooks_.Help) hooks_.Help();
    });
}

std::vector<QWidget*> TPropForm::Controls() const {
    return {list_,      up_,         down_,    delete_,  visible_,   editable_,  outlined_,
            symbolCombo_, lineCombo_, lineWidth_, shapeColour_, lineColour_, labeled_, background_,
            backColour_, rotationEdit_, rotation_, font_, fieldCombo_, labelAll_, skipOverlaps_,
            apply_,     reset_,      ok_,      help_};
}

void TPropForm::showEvent(QShowEvent* e) {
    Init();
    QDialog::showEvent(e);
}

void TPropForm::reject() {
    if (progress_.Busy()) return;  // Label as Selected runs
    QDialog::reject();
}

int TPropForm::SelectedLayer() const { return LayerOfRow(store_, list_->currentRow()); }

void TPropForm::Init() {
    ++loading_;
    list_->clear();
    for (const std::string& n : LayerRows(store_)) list_->addItem(QString::fromStdString(n));
    const int rows = list_->count();
    const bool any = rows > 0;
    for (QWidget* w : std::initializer_list<QWidget*>{shapeColour_, lineColour_, backColour_, font_, delete_, outlined_})
        w->setEnabled(any);
    skipOverlaps_->setChecked(view_.SkipOverlappingLabels);
    int row = RowOfLayer(store_, store_.CurrentLayer);
    if (row < 0 && any) row = 0;
    --loading_;
    list_->setCurrentRow(row);
    RowChanged(row);
}

void TPropForm::SetActive(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{editable_, outlined_, symbolCombo_, lineCombo_, lineWidth_,
                                                      shapeColour_, lineColour_})
        w->setEnabled(on);
}

void TPropForm::SetupStyleCombo(int layer) {
    const int t = ValidLayer(store_, layer) ? store_.ShapeLayers[layer].ShapeType : 5;
    symbolCombo_->clear();
    for (const std::string& n : SymbolStyleNames(t)) symbolCombo_->addItem(QString::fromStdString(n));
    lineCombo_->clear();
    for (const std::string& n : LineStyleNames(t)) lineCombo_->addItem(QString::fromStdString(n));
    lineCombo_->setVisible(lineCombo_->count() > 0);
}

void TPropForm::RowChanged(int row) {
    if (loading_) return;
    const int rows = list_->count();
    up_->setEnabled(rows > 1 && row > 0);
    down_->setEnabled(rows > 1 && row >= 0 && row < rows - 1);
    LoadLayer(LayerOfRow(store_, row));
}

void TPropForm::LoadLayer(int L) {
    if (!ValidLayer(store_, L)) {
        SetActive(false);
        labelAll_->setEnabled(false);
        return;
    }
    ++loading_;
    labelAll_->setEnabled(true);
    const SymLayer& s = store_.SymLayers[L];
    const int t = store_.ShapeLayers[L].ShapeType;
    const bool shown = s.Visible >= 1;
    visible_->setChecked(shown);
    SetActive(shown);
    if (shown) {
        const bool line = t == 3 || t == 13 || t == 23;
        outlined_->setEnabled(!line);
        shapeColour_->setEnabled(!line);
        lineColour_->setEnabled(true);
        if (!line) outlined_->setChecked(s.Outlined != 0);
    }
    SetupStyleCombo(L);
    symbolCombo_->setCurrentIndex(s.ShapeStyle >= 0 && s.ShapeStyle < symbolCombo_->count() ? s.ShapeStyle : -1);
    lineCombo_->setCurrentIndex(s.LineStyle >= 0 && s.LineStyle < lineCombo_->count() ? s.LineStyle : -1);
    editable_->setChecked(s.Editable != 0);
    ShowColour(shapeColour_, s.FillColor);
    ShowColour(lineColour_, s.LineColor);
    lineWidth_->setText(QString::number(s.LineWidth));
    lineWidth_->setModified(false);
    labeled_->setChecked(s.Labeled >= 1);
    rotation_->setValue(std::clamp(s.LabelRotation, 0, 359));
    rotationEdit_->setText(QString::number(s.LabelRotation));
    background_->setChecked(s.LabelBackgrounded != 0);
    if (s.LabelFont) sample_ = *s.LabelFont;
    ShowSample();
    ShowColour(backColour_, s.LabelBackColor);
    fieldCombo_->clear();
    for (const FieldDefRec& f : store_.ShapeLayers[L].Fields) fieldCombo_->addItem(QString::fromStdString(f.Name));
    fieldCombo_->setCurrentIndex(s.LabelField >= 0 && s.LabelField < fieldCombo_->count() ? s.LabelField : -1);
    --loading_;
}

void TPropForm::ShowColour(QPushButton* b, COLORREF c) {
    const QColor q = ColorFromRef(c);
    b->setStyleSheet(QString("background-color: %1; color: %2").arg(q.name(), q.lightness() < 128 ? "white" : "black"));
}

bool TPropForm::ChooseColour(COLORREF& c) {
    const QColor q = QColorDialog::getColor(ColorFromRef(c), this);
    if (!q.isValid()) return false;
    c = RefFromColor(q);
    return true;
}

void TPropForm::ShowSample() {
    QFont f = FontFromDesc(sample_);
    sampleLabel_->setFont(f);
    sampleLabel_->setStyleSheet(QString("color: %1").arg(ColorFromRef(sample_.Color).name()));
}

void TPropForm::Up() {
    const int row = MoveLayerUp(store_, list_->currentRow());
    Init();
    list_->setCurrentRow(row);
}

void TPropForm::Down() {
    const int row = MoveLayerDown(store_, list_->currentRow());
    Init();
    list_->setCurrentRow(row);
}

void TPropForm::Delete() {
    const DeleteOutcome out = DeleteLayer(store_, list_->currentRow(), prompter_, hooks_.ClearAll);
    if (!out.Deleted) return;
    if (hooks_.LayerDeleted) hooks_.LayerDeleted(out);
    if (out.ClearedAll) {
        accept();
        return;
    }
    Init();
    list_->setCurrentRow(0);
    if (hooks_.Redraw) hooks_.Redraw();
}

void TPropForm::LabelAll() {
    const int L = SelectedLayer();
    if (!L) return;
    LabelSettings st;
    st.Rotation = std::clamp(rotationEdit_->text().toInt(), 0, 359);
    st.Backgrounded = background_->isChecked();
    st.BackColor = store_.SymLayers[L].LabelBackColor;
    st.Field = fieldCombo_->currentIndex();
    st.Font = sample_;
    st.FontHeight = store_.SymLayers[L].LabelFontHeight;
    {
        WindowProgress::Scope busy(progress_, Controls());
        LabelAsSelected(store_, L, st, progress_);
    }
    labeled_->setChecked(true);
}

void TPropForm::Reset() {
    ResetStyles(store_, sample_);
    Init();
}

void TPropForm::Ok() {
    const int L = SelectedLayer();
    if (L && hooks_.LayerChosen) hooks_.LayerChosen(L);
    accept();
}

}  // namespace zemba
