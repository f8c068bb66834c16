#include "attributes/find_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "text/layer_codec.h"
#include "view/styles.h"

namespace zemba {

namespace {

// Values are shown and typed in the layer's own encoding.
const LayerCodec& CodecOf(const LayerStore& store) {
    const std::int32_t i = store.CurrentLayer;
    static const std::string none;
    return LayerCodec::For(i >= 1 && i < static_cast<std::int32_t>(store.ShapeLayers.size()) ? store.ShapeLayers[i].CodePage
                                                                                             : none);
}

// Greys out the combo entries that have no meaning here.
void DisableItems(QComboBox* c, bool (*available)(int)) {
    auto* m = qobject_cast<QStandardItemModel*>(c->model());
    if (!m) return;
    for (int i = 0; i < c->count(); ++i)
        if (!available(i)) m->item(i)->setEnabled(false);
}

}  // namespace

TSearchForm::TSearchForm(LayerStore& store, SearchFormHooks hooks, QWidget* parent)
    : QDialog(parent), store_(store), hooks_(std::move(hooks)) {
    setObjectName("TSearchForm");
    setWindowTitle("Find features in");
    auto* top = new QVBoxLayout(this);
    auto* pick = new QHBoxLayout;
    layerCombo_ = new QComboBox(this);
    fieldCombo_ = new QComboBox(this);
    pick->addWidget(layerCombo_);
    pick->addWidget(fieldCombo_);
    top->addLayout(pick);

    pages_ = new QTabWidget(this);
    auto* textPage = new QWidget(this);
    auto* tl = new QGridLayout(textPage);
    tl->addWidget(new QLabel("Search for ___ ", this), 0, 0);
    text_ = new QLineEdit(this);
    tl->addWidget(text_, 0, 1);
    findText_ = new QPushButton("Find", this);
    tl->addWidget(findText_, 0, 2);
    textInfo_ = new QLabel(this);
    tl->addWidget(textInfo_, 1, 0, 1, 3);
    pages_->addTab(textPage, "Text");

    auto* valuePage = new QWidget(this);
    auto* vl = new QGridLayout(valuePage);
    selected_ = new QLabel("Select a Value", this);
    vl->addWidget(selected_, 0, 0, 1, 2);
    compare_ = new QComboBox(this);
    compare_->addItems({"<", "=", ">", ">=", "<>", "<=", "like"});
    compare_->setCurrentIndex(-1);
    vl->addWidget(compare_, 1, 0);
    findValue_ = new QPushButton("Find", this);
    vl->addWidget(findValue_, 1, 1);
    values_ = new QListWidget(this);
    vl->addWidget(values_, 2, 0, 1, 2);
    pages_->addTab(valuePage, "Field Values");

    auto* spatialPage = new QWidget(this);
    auto* sl = new QGridLayout(spatialPage);
    relation_ = new QComboBox(this);
    relation_->addItems({"Within", "Larger then", "Smaller than", "Surrounded by", "Next to"});
    DisableItems(relation_, SpatialRelationAvailable);
    distance_ = new QLineEdit("10", this);
    units_ = new QComboBox(this);
    units_->addItems({"Units", "Kilometers", "Meters", "Miles", "Feet"});
    DisableItems(units_, DistanceUnitAvailable);
    sl->addWidget(relation_, 0, 0);
    sl->addWidget(distance_, 0, 1);
    sl->addWidget(units_, 0, 2);
    sl->addWidget(new QLabel("of shapes in these layers", this), 1, 0, 1, 3);
    checked_ = new QListWidget(this);
    checked_->setSelectionMode(QAbstractItemView::MultiSelection);
    sl->addWidget(checked_, 2, 0, 1, 3);
    findSpatial_ = new QPushButton("Find", this);
    sl->addWidget(findSpatial_, 3, 2);
    pages_->addTab(spatialPage, "Spatial");
    top->addWidget(pages_);

    auto* result = new QHBoxLayout;
    found_ = new QLabel(QString::fromStdString(FoundText(0)), this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->hide();
    progress_.SetBar(bar_);
    result->addWidget(found_);
    result->addWidget(bar_);
    top->addLayout(result);
    grid_ = new QTableWidget(0, 2, this);
    grid_->setHorizontalHeaderLabels({"Attribute", "Value"});
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->verticalHeader()->setDefaultSectionSize(17);
    grid_->horizontalHeader()->setDefaultSectionSize(88);
    grid_->horizontalHeader()->setStretchLastSection(true);
    top->addWidget(grid_);

    auto* buttons = new QHBoxLayout;
    zoom_ = new QPushButton("Zoom", this);
    highlight_ = new QPushButton("Highlight", this);
    id_ = new QPushButton("ID", this);
    close_ = new QPushButton("Close", this);
    help_ = new QPushButton("Help", this);
    zoom_->setToolTip("Box All");
    highlight_->setToolTip("All");
    id_->setToolTip("ID 1 by 1");
    for (QPushButton* b : {zoom_, highlight_, id_, close_, help_}) buttons->addWidget(b);
    top->addLayout(buttons);

    connect(layerCombo_, QOverload<int>::of(&QComboBox::activated), this, [this](int i) { LayerChanged(i); });
    connect(fieldCombo_, QOverload<int>::of(&QComboBox::activated), this, [this](int i) { FieldChanged(i); });
    connect(compare_, QOverload<int>::of(&QComboBox::activated), this, [this](int) { FillValues(); });
    connect(values_, &QListWidget::currentTextChanged, this,
            [this](const QString& t) { selected_->setText("Selected Value: " + t); });
    connect(findText_, &QPushButton::clicked, this, [this] { FindTextClick(); });
    connect(text_, &QLineEdit::returnPressed, this, [this] { FindTextClick(); });
    connect(findValue_, &QPushButton::clicked, this, [this] { FindValueClick(); });
    connect(findSpatial_, &QPushButton::clicked, this, [this] { FindSpatialClick(); });
    connect(zoom_, &QPushButton::clicked, this, [this] { ZoomClick(); });
    connect(highlight_, &QPushButton::clicked, this, [this] { HighlightClick(); });
    connect(id_, &QPushButton::clicked, this, [this] { IdClick(); });
    connect(close_, &QPushButton::clicked, this, [this] { reject(); });
    connect(help_, &QPushButton::clicked, this, [this] {
        if (hooks_.Help) hooks_.Help();
    });
    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int) {
        const int k = row + 1;
        if (k < 1 || k > store_.HitCount || static_cast<std::size_t>(k) >= store_.HitList.size()) return;
        if (hooks_.ShowShape) hooks_.ShowShape(store_.HitList[k].Layer, store_.HitList[k].Shape);
    });
    id_->setEnabled(static_cast<bool>(hooks_.ShowIdentify));
}

std::vector<QWidget*> TSearchForm::Controls() const {
    return {layerCombo_, fieldCombo_, pages_, zoom_, highlight_, id_, close_, help_, grid_};
}

void TSearchForm::reject() {
    if (progress_.Busy()) return;
    QDialog::reject();
}

void TSearchForm::Init() {
    cacheValid_ = false;
    bar_->hide();
    found_->setText(QString::fromStdString(FoundText(0)));
    layerCombo_->clear();
    checked_->clear();
    fieldCombo_->clear();
    grid_->setRowCount(0);
    values_->clear();
    if (store_.LayerCount < 1) return;
    for (int i = 1; i <= store_.LayerCount; ++i) {
        layerCombo_->addItem(QString::fromStdString(store_.ShapeLayers[i].ShpName));
        checked_->addItem(QString::fromStdString(store_.ShapeLayers[i].ShpName));
    }
    layerCombo_->setCurrentIndex(ValidLayer(store_, store_.CurrentLayer) ? store_.CurrentLayer - 1 : 0);
    LayerChanged(layerCombo_->currentIndex());
}

void TSearchForm::LayerChanged(int index) {
    if (index < 0 || index >= store_.LayerCount) return;
    const bool changed = store_.CurrentLayer != index + 1;
    store_.CurrentLayer = index + 1;
    if (changed && hooks_.LayerChosen) hooks_.LayerChosen(store_.CurrentLayer);
    fieldCombo_->clear();
    for (const FieldDefRec& f : store_.ShapeLayers[store_.CurrentLayer].Fields)
        fieldCombo_->addItem(QString::fromStdString(f.Name));
    fieldCombo_->setCurrentIndex(fieldCombo_->count() > 0 ? 0 : -1);
    FieldChanged(fieldCombo_->currentIndex());
}

void TSearchForm::FieldChanged(int index) {
    store_.CurrentField = std::max(0, index);
    cacheValid_ = false;
    values_->clear();
    textInfo_->setText(QString::fromStdString(TextFindLabel(store_, store_.CurrentLayer, store_.CurrentField)));
}

void TSearchForm::FillValues() {
    if (cacheValid_) return;
    {
        WindowProgress::Scope busy(progress_, Controls());
        cache_ = DistinctValues(store_, store_.CurrentLayer, store_.CurrentField);
    }
    values_->clear();
    const LayerCodec& codec = CodecOf(store_);
    for (const std::string& v : cache_.Values) values_->addItem(codec.ToUnicode(v));
    cacheValid_ = true;
}

void TSearchForm::Show(const FindResult& r) {
    StoreHits(store_, r);
    box_ = r.Box;
    field_ = store_.CurrentField;
    found_->setText(QString::fromStdString(FoundText(store_.HitCount)));
    const auto rows = ResultRows(store_, field_);
    const std::string fieldName =
        HasField(store_, store_.CurrentLayer, field_) ? store_.ShapeLayers[store_.CurrentLayer].Fields[field_].Name : "";
    grid_->setHorizontalHeaderLabels({"Shape", QString::fromStdString(fieldName)});
    grid_->setRowCount(static_cast<int>(rows.size()));
    for (int k = 0; k < static_cast<int>(rows.size()); ++k) {
        grid_->setItem(k, 0, new QTableWidgetItem(QString::number(rows[k].Shape)));
        grid_->setItem(k, 1, new QTableWidgetItem(CodecOf(store_).ToUnicode(rows[k].Value)));
    }
}

void TSearchForm::FindTextClick() {
    textInfo_->setText(QString::fromStdString(TextFindLabel(store_, store_.CurrentLayer, store_.CurrentField)));
    FindResult r;
    {
        WindowProgress::Scope busy(progress_, Controls());
        r = FindText(store_, store_.CurrentLayer, store_.CurrentField, CodecOf(store_).FromUnicode(text_->text()), progress_);
    }
    Show(r);
}

void TSearchForm::FindValueClick() {
    if (!values_->currentItem() || compare_->currentIndex() < 0) return;
    selected_->setText("Selected Value: " + values_->currentItem()->text());
    FindResult r;
    {
        WindowProgress::Scope busy(progress_, Controls());
        r = FindValue(store_, store_.CurrentLayer, store_.CurrentField, static_cast<CompareOp>(compare_->currentIndex()),
                      CodecOf(store_).FromUnicode(values_->currentItem()->text()), progress_);
    }
    if (r.ErrorNumber == 4) {
        if (hooks_.prompter)
            hooks_.prompter->Message(MsgFamily::Info, 4);
        else
            QMessageBox::information(this, "Information", "Not a Number");
        return;
    }
    Show(r);
    QString text = QString::number(store_.HitCount);
    if (!r.Notice.empty()) text += "\n" + QString::fromStdString(r.Notice);
    QMessageBox::information(this, windowTitle(), text);
}

void TSearchForm::FindSpatialClick() {
    if (!SpatialRelationAvailable(relation_->currentIndex()) || !DistanceUnitAvailable(units_->currentIndex())) return;
    bool ok = false;
    const double d = distance_->text().toDouble(&ok);
    if (!ok) {
        QMessageBox::warning(this, windowTitle(), "'" + distance_->text() + "' is not a valid distance");
        return;
    }
    std::vector<int> layers;
    for (int i = 0; i < checked_->count(); ++i)
        if (checked_->item(i)->isSelected()) layers.push_back(i + 1);
    FindResult r;
    {
        WindowProgress::Scope busy(progress_, Controls());
        r = FindSpatial(store_, store_.CurrentLayer, layers, static_cast<SpatialRelation>(relation_->currentIndex()), d,
                        progress_);
    }
    Show(r);
}

void TSearchForm::ZoomClick() {
    if (!ZoomToFound(store_, box_)) return;
    HighlightClick();
}

void TSearchForm::HighlightClick() {
    const COLORREF c = hooks_.Highlight ? hooks_.Highlight() : hooks_.HighlightColor;
    if (store_.HitCount <= 0) return;
    if (HighlightFound(store_, store_.HitList[1].Layer, c) && hooks_.Redraw) hooks_.Redraw();
}

void TSearchForm::IdClick() {
    if (store_.HitCount <= 0 || !hooks_.ShowIdentify) return;
    // The identify window takes over: Find closes, so both can be used.
    accept();
    hooks_.ShowIdentify();
}

}  // namespace zemba
