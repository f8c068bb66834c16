#include "view/label_prop_form.h"

#include "text/layer_codec.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSlider>

#include "view/prop_form.h"
#include "view/renderer.h"
#include "view/styles.h"

namespace zemba {

TLabelPropFrm::TLabelPropFrm(LayerStore& store, QWidget* parent) : QDialog(parent), store_(store) {
    setObjectName("TLabelPropFrm");
    setWindowTitle("Label Properties");
    auto* g = new QGridLayout(this);
    g->addWidget(new QLabel("Label Text", this), 0, 0);
    text_ = new QLineEdit(this);
    g->addWidget(text_, 0, 1, 1, 2);
    g->addWidget(new QLabel("Label Rotation", this), 1, 0);
    rotationEdit_ = new QLineEdit("0", this);
    rotationEdit_->setValidator(new QIntValidator(0, 360, this));
    g->addWidget(rotationEdit_, 1, 1);
    rotation_ = new QSlider(Qt::Horizontal, this);
    rotation_->setRange(0, 360);
    g->addWidget(rotation_, 1, 2);
    background_ = new QCheckBox("Background...", this);
    colour_ = new QPushButton(this);
    g->addWidget(background_, 2, 0);
    g->addWidget(colour_, 2, 1);
    auto* fontBtn = new QPushButton("Select &Font", this);
    sampleLabel_ = new QLabel("o+=>", this);
    g->addWidget(fontBtn, 3, 0);
    g->addWidget(sampleLabel_, 3, 1);
    auto* row = new QHBoxLayout;
    auto* ok = new QPushButton("OK", this);
    auto* cancel = new QPushButton("Cancel", this);
    auto* help = new QPushButton("Help", this);
    ok->setDefault(true);
    for (QPushButton* b : {ok, cancel, help}) row->addWidget(b);
    g->addLayout(row, 4, 0, 1, 3);

    connect(rotation_, &QSlider::valueChanged, this, [this](int v) {
        rotationEdit_->setText(QString::number(v));
        // The track bar stores the rotation at once.
        if (ValidLayer(store_, layer_) && shape_ >= 1 &&
            static_cast<std::size_t>(shape_) < store_.SymLayers[layer_].SymObjs.size())
            store_.SymLayers[layer_].SymObjs[shape_].LabelRotation = v;
    });
    connect(rotationEdit_, &QLineEdit::editingFinished, this,
            [this] { rotation_->setValue(std::clamp(rotationEdit_->text().toInt(), 0, 360)); });
    connect(colour_, &QPushButton::clicked, this, [this] {
        const QColor q = QColorDialog::getColor(ColorFromRef(back_), this);
        if (!q.isValid()) return;
        back_ = RefFromColor(q);
        ShowColour();
    });
    connect(fontBtn, &QPushButton::clicked, this, [this] {
        bool okPressed = false;
        QFont start = FontFromDesc(sample_);
        if (sample_.Family.empty()) start = QFont("Arial");
        const QFont f = QFontDialog::getFont(&okPressed, start, this, "Font",
                                             QFontDialog::ScalableFonts);
        if (!okPressed) return;
        sample_ = DescFromFont(f, sample_);
        sample_.PointSize = std::clamp(sample_.PointSize, 3, 100);
        ShowSample();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        Ok();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        if (Help) Help();
    });
}

void TLabelPropFrm::InitFromInfo(int layer, int shape) {
    layer_ = layer;
    shape_ = shape;
    if (!ValidLayer(store_, layer) || shape < 1 ||
        static_cast<std::size_t>(shape) >= store_.SymLayers[layer].SymObjs.size())
        return;
    const SymObj& o = store_.SymLayers[layer].SymObjs[shape];
    text_->setText(LayerCodec::For(store_.ShapeLayers[layer].CodePage).ToUnicode(o.LabelText));
    const int rot = o.LabelRotation;
    rotationEdit_->setText(QString::number(rot));
    {
        QSignalBlocker block(rotation_);
        rotation_->setValue(std::clamp(rot, 0, 360));
    }
    background_->setChecked(o.LabelBackgrounded != 0);
    back_ = o.LabelBackColor;
    const FontRef f = o.LabelFont ? o.LabelFont : store_.SymLayers[layer].LabelFont;
    sample_ = f ? *f : FontDesc{};
    ShowColour();
    ShowSample();
}

void TLabelPropFrm::Ok() {
    ObjectLabelSettings st;
    st.Text = LayerCodec::For(ValidLayer(store_, layer_) ? store_.ShapeLayers[layer_].CodePage : std::string())
                  .FromUnicode(text_->text());
    st.Rotation = std::clamp(rotationEdit_->text().toInt(), 0, 360);
    st.Backgrounded = background_->isChecked();
    st.BackColor = back_;
    st.Font = sample_;
    st.FontHeight = ValidLayer(store_, layer_) && shape_ >= 1 &&
                            static_cast<std::size_t>(shape_) < store_.SymLayers[layer_].SymObjs.size()
                        ? store_.SymLayers[layer_].SymObjs[shape_].LabelFontHeight
                        : 0;
    ApplyObjectLabel(store_, layer_, shape_, st);
}

void TLabelPropFrm::ShowColour() {
    colour_->setStyleSheet(QString("background-color: %1").arg(ColorFromRef(back_).name()));
}

void TLabelPropFrm::ShowSample() {
    const QFont f = FontFromDesc(sample_);
    sampleLabel_->setFont(f);
    text_->setFont(f);
}

QMenu* BuildSetObjectMenu(QWidget* menuParent, QWidget* dialogParent, LayerStore& store,
                          std::function<bool()> shapeSelected, std::function<void(std::function<void()>)> defer,
                          std::function<void()> changed, std::function<void(TLabelPropFrm&)> prepare) {
    auto* menu = new QMenu("Set current Object", menuParent);
    menu->setObjectName("SetCurrentObjectPMI");
    auto selected = [shapeSelected] { return shapeSelected && shapeSelected(); };
    auto later = [defer](std::function<void()> fn) {
        if (defer)
            defer(std::move(fn));
        else
            fn();
    };
    auto run = [&store, selected, changed](ObjectStyleKind kind, std::uint32_t v) {
        if (ObjectStyleCommand(store, selected(), kind, v) && changed) changed();
    };
    auto items = [&](const QString& title, const QStringList& names, ObjectStyleKind kind) {
        QMenu* sub = menu->addMenu(title);
        for (int k = 0; k < names.size(); ++k)
            QObject::connect(sub->addAction(names[k]), &QAction::triggered, menu,
                             [run, later, kind, k] { later([run, kind, k] { run(kind, static_cast<std::uint32_t>(k)); }); });
    };
    items("Point Types", {"Box", "Circle", "Triangle", "Dot", "Dot Circle", "X Box (Reg)"}, ObjectStyleKind::PointType);
    items("Line Types", {"Solid", "Dash", "Dot", "DashDot", "DashDotDot"}, ObjectStyleKind::LineType);
    QPointer<QWidget> owner(dialogParent);
    auto colour = [selected, run, owner](ObjectStyleKind kind) {
        if (!selected()) return;
        const QColor q = QColorDialog::getColor(Qt::white, owner.data());
        if (q.isValid()) run(kind, RefFromColor(q));
    };
    QObject::connect(menu->addAction("Line Color..."), &QAction::triggered, menu,
                     [colour, later] { later([colour] { colour(ObjectStyleKind::LineColor); }); });
    items("Poly Fill", {"Solid", "Horizontal", "Vertical", "FDiagonal", "BDiagonal", "Cross", "DiagCross", "Clear"},
          ObjectStyleKind::PolyFill);
    QObject::connect(menu->addAction("Fill Color..."), &QAction::triggered, menu,
                     [colour, later] { later([colour] { colour(ObjectStyleKind::FillColor); }); });
    auto label = [&store, selected, changed, owner, prepare] {
        if (!BeginObjectLabel(store, selected())) return;
        TLabelPropFrm form(store, owner.data());
        if (prepare) prepare(form);
        form.InitFromInfo(store.CurrentLayer, store.CurrentShape);
        if (form.exec() == QDialog::Accepted && changed) changed();
    };
    QObject::connect(menu->addAction("Label..."), &QAction::triggered, menu, [label, later] { later(label); });
    return menu;
}

}  // namespace zemba
