#include "attributes/classify_window.h"

#include "text/layer_codec.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "attributes/values.h"
#include "view/renderer.h"
#include "view/styles.h"

namespace zemba {

TRenderFrm::TRenderFrm(LayerStore& store, RenderFrmHooks hooks, QWidget* parent)
    : QDialog(parent), store_(store), hooks_(std::move(hooks)), session_(store) {
    setObjectName("TRenderFrm");
    setWindowTitle("Classify Attributes");
    auto* top = new QVBoxLayout(this);
    caption_ = new QLabel(this);
    top->addWidget(caption_);

    auto* pick = new QGridLayout;
    pick->addWidget(new QLabel("Layer", this), 0, 0);
    layerCombo_ = new QComboBox(this);
    pick->addWidget(layerCombo_, 0, 1);
    pick->addWidget(new QLabel("Field", this), 1, 0);
    fieldCombo_ = new QComboBox(this);
    pick->addWidget(fieldCombo_, 1, 1);
    pick->addWidget(new QLabel("Number of Classes", this), 2, 0);
    classCount_ = new QComboBox(this);
    classCount_->addItems({"5", "7", "9", "11"});
    pick->addWidget(classCount_, 2, 1);
    top->addLayout(pick);

    auto* modes = new QHBoxLayout;
    auto* modeBox = new QGroupBox(this);
    auto* ml = new QHBoxLayout(modeBox);
    symbol_ = new QRadioButton("Symbol", this);
    colour_ = new QRadioButton("Color", this);
    both_ = new QRadioButton("Both", this);
    colour_->setChecked(true);
    for (QRadioButton* b : {symbol_, colour_, both_}) ml->addWidget(b);
    modes->addWidget(modeBox);
    auto* breaksBox = new QGroupBox("Statistical Breaks", this);
    auto* bl = new QHBoxLayout(breaksBox);
    equal_ = new QRadioButton("Equal", this);
    quantiles_ = new QRadioButton("Quantiles", this);
    equal_->setChecked(true);
    bl->addWidget(equal_);
    bl->addWidget(quantiles_);
    modes->addWidget(breaksBox);
    top->addLayout(modes);

    auto* ramp = new QHBoxLayout;
    start_ = new QPushButton("Start", this);
    finish_ = new QPushButton("Finish", this);
    start_->setToolTip("Select Symbol Color");
    finish_->setToolTip("Computed... Click to Invert");
    ramp->addWidget(start_);
    ramp->addWidget(finish_);
    top->addLayout(ramp);

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel("Unique Values", this), 0, 0);
    lists->addWidget(new QLabel("Class breaks", this), 0, 1);
    values_ = new QListWidget(this);
    classes_ = new QListWidget(this);
    lists->addWidget(values_, 1, 0);
    lists->addWidget(classes_, 1, 1);
    top->addLayout(lists);

    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->hide();
    progress_.SetBar(bar_);
    top->addWidget(bar_);
    auto* buttons = new QHBoxLayout;
    setValues_ = new QPushButton("Set Values", this);
    setClasses_ = new QPushButton("Set Classes", this);
    cancel_ = new QPushButton("Cancel", this);
    apply_ = new QPushButton("Apply", this);
    close_ = new QPushButton("&Close", this);
    help_ = new QPushButton("Help", this);
    setValues_->setToolTip("NAMES: AlphaNumeric");
    setClasses_->setToolTip("NUMBERS");
    cancel_->setToolTip("Restore");
    apply_->setToolTip("Display");
    for (QPushButton* b : {setValues_, setClasses_, cancel_, apply_, close_, help_}) buttons->addWidget(b);
    top->addLayout(buttons);

    connect(layerCombo_, QOverload<int>::of(&QComboBox::activated), this, [this](int i) {
        session_.SetLayer(i + 1);
        LoadFields();
    });
    connect(fieldCombo_, QOverload<int>::of(&QComboBox::activated), this, [this](int i) {
        session_.SetField(i);
        values_->clear();
        classes_->clear();
        ShowState();
    });
    connect(classCount_, QOverload<int>::of(&QComboBox::activated), this, [this](int) {
        session_.SetNumClasses(classCount_->currentText().toInt());
        classes_->clear();
        ShowRamp();
    });
    auto mode = [this] {
        session_.Mode = symbol_->isChecked() ? ClassStyleMode::Symbol
                        : both_->isChecked() ? ClassStyleMode::Both
                                             : ClassStyleMode::Color;
    };
    for (QRadioButton* b : {symbol_, colour_, both_}) connect(b, &QRadioButton::toggled, this, mode);
    connect(quantiles_, &QRadioButton::toggled, this, [this](bool on) { session_.Quantiles = on; });
    connect(start_, &QPushButton::clicked, this, [this] {
        const QColor q = QColorDialog::getColor(ColorFromRef(session_.StartColor()), this);
        if (!q.isValid()) return;
        session_.SetStartColor(RefFromColor(q));
        if (hooks_.StartColorChanged) hooks_.StartColorChanged(session_.StartColor());
        classes_->clear();
        ShowRamp();
    });
    connect(finish_, &QPushButton::clicked, this, [this] { InvertClick(); });
    connect(setValues_, &QPushButton::clicked, this, [this] { SetValuesClick(); });
    connect(setClasses_, &QPushButton::clicked, this, [this] { SetClassesClick(); });
    connect(apply_, &QPushButton::clicked, this, [this] { ApplyClick(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { CancelClick(); });
    connect(close_, &QPushButton::clicked, this, [this] { accept(); });
    connect(help_, &QPushButton::clicked, this, [this] {
        if (hooks_.Help) hooks_.Help();
    });
}

std::vector<QWidget*> TRenderFrm::Controls() const {
    return {layerCombo_, fieldCombo_, classCount_, symbol_, colour_, both_, equal_, quantiles_, start_,
            finish_,     setValues_,  setClasses_, cancel_, apply_,  close_, help_};
}

void TRenderFrm::Init(COLORREF startColor) {
    session_.Init(startColor);
    ++loading_;
    layerCombo_->clear();
    for (int i = 1; i <= store_.LayerCount; ++i)
        layerCombo_->addItem(QString::fromStdString(store_.ShapeLayers[i].ShpName));
    layerCombo_->setCurrentIndex(session_.Layer() - 1);
    session_.SetNumClasses(classCount_->currentText().toInt());
    session_.Mode = symbol_->isChecked() ? ClassStyleMode::Symbol
                    : both_->isChecked() ? ClassStyleMode::Both
                                         : ClassStyleMode::Color;
    session_.Quantiles = quantiles_->isChecked();
    --loading_;
    LoadFields();
}

void TRenderFrm::LoadFields() {
    fieldCombo_->clear();
    if (ValidLayer(store_, session_.Layer()))
        for (const FieldDefRec& f : store_.ShapeLayers[session_.Layer()].Fields)
            fieldCombo_->addItem(QString::fromStdString(f.Name));
    fieldCombo_->setCurrentIndex(fieldCombo_->count() > 0 ? 0 : -1);
    values_->clear();
    classes_->clear();
    ShowRamp();
}

void TRenderFrm::ShowRamp() {
    auto paint = [](QPushButton* b, COLORREF c) {
        b->setStyleSheet(QString("background-color: %1").arg(ColorFromRef(c).name()));
    };
    paint(start_, session_.RampStart());
    paint(finish_, session_.RampFinish());
    ShowState();
}

void TRenderFrm::ShowState() {
    caption_->setText(QString::fromStdString(session_.Caption()));
    apply_->setEnabled(session_.ApplyEnabled());
    const bool haveField = HasField(store_, session_.Layer(), session_.Field());
    setValues_->setEnabled(haveField);
    setClasses_->setEnabled(haveField);
}

void TRenderFrm::SetValuesClick() {
    SetValuesResult r;
    {
        WindowProgress::Scope busy(progress_, Controls());
        r = session_.DoSetValues(progress_);
    }
    if (r.Ok) {
        values_->clear();
        const int L = session_.Layer();
        const LayerCodec& codec = LayerCodec::For(
            L >= 1 && L < static_cast<int>(store_.ShapeLayers.size()) ? store_.ShapeLayers[L].CodePage : std::string());
        for (std::size_t k = 0; k < r.Values.size(); ++k)
            values_->addItem(codec.ToUnicode(r.Values[k]) + "  (" + QString::number(r.Counts[k]) + ")");
        classes_->clear();
        if (!r.Notice.empty()) QMessageBox::information(this, windowTitle(), QString::fromStdString(r.Notice));
    }
    ShowState();
}

void TRenderFrm::SetClassesClick() {
    SetClassesResult r;
    {
        WindowProgress::Scope busy(progress_, Controls());
        r = session_.DoSetClasses(progress_);
    }
    ShowRamp();
    if (!r.Error.empty()) {
        if (hooks_.prompter)
            hooks_.prompter->ShowWarningText(r.Error);
        else
            QMessageBox::warning(this, windowTitle(), QString::fromStdString(r.Error));
        return;
    }
    if (!r.Ok) return;
    classes_->clear();
    for (const std::string& l : r.Labels) classes_->addItem(QString::fromStdString(l));
    values_->clear();
    if (!r.Notice.empty()) QMessageBox::information(this, windowTitle(), QString::fromStdString(r.Notice));
    ShowState();
}

void TRenderFrm::ApplyClick() {
    if (session_.Apply() && hooks_.Redraw) hooks_.Redraw();
    ShowState();
}

void TRenderFrm::CancelClick() {
    if (session_.Cancel() && hooks_.Redraw) hooks_.Redraw();
    values_->clear();
    classes_->clear();
    ShowState();
}

void TRenderFrm::InvertClick() {
    session_.InvertRamp();
    classes_->clear();
    ShowRamp();
}

void TRenderFrm::reject() {
    if (progress_.Busy()) return;
    QDialog::reject();
}

void TRenderFrm::done(int r) {
    // Closing in the middle of Set Classes would pull the window away from
    // the loop; the close waits until the loop is over.
    if (progress_.Busy()) return;
    if (hooks_.LayerChosen && ValidLayer(store_, session_.Layer())) hooks_.LayerChosen(session_.Layer());
    QDialog::done(r);
}

}  // namespace zemba
