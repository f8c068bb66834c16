#include "output/print_layout_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace zemba {

ElementPanel::ElementPanel(const QString& caption, QWidget* sheet) : QFrame(sheet) {
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(225, 235, 250));
    setPalette(pal);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(1, 1, 1, 1);
    auto* label = new QLabel(caption, this);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont f = label->font();
    f.setPointSize(6);
    label->setFont(f);
    l->addWidget(label, 0, Qt::AlignLeft | Qt::AlignTop);
    setCursor(Qt::SizeAllCursor);
    setToolTip(caption);
}

void ElementPanel::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QFrame::mousePressEvent(e);
    grab_ = e->position().toPoint();
    dragging_ = true;
    raise();
}

void ElementPanel::mouseMoveEvent(QMouseEvent* e) {
    if (!dragging_ || !parentWidget()) return;
    QPoint p = mapToParent(e->position().toPoint()) - grab_;
    // Within the sheet.
    p.setX(std::clamp(p.x(), 0, std::max(0, parentWidget()->width() - width())));
    p.setY(std::clamp(p.y(), 0, std::max(0, parentWidget()->height() - height())));
    move(p);
}

void ElementPanel::mouseReleaseEvent(QMouseEvent* e) {
    if (dragging_ && e->button() == Qt::LeftButton) {
        dragging_ = false;
        emit Moved();
    }
}

TPrintLayoutForm::TPrintLayoutForm(LayoutCommands& commands, QWidget* parent)
    : QWidget(parent, Qt::Window), c_(commands) {
    setObjectName("TPrintLayoutForm");
    setWindowTitle("Print Layout");
    auto* outer = new QHBoxLayout(this);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("PaperScroll");
    sheet_ = new QWidget;
    sheet_->setObjectName("BaseMapPanel");
    sheet_->setToolTip("Paper");
    sheet_->setAutoFillBackground(true);
    QPalette pal = sheet_->palette();
    pal.setColor(QPalette::Window, Qt::white);
    sheet_->setPalette(pal);
    sheet_->resize(172, 230);
    scroll->setWidget(sheet_);
    scroll->setMinimumWidth(300);
    outer->addWidget(scroll, 1);
    for (int k = 0; k < kLayoutElementCount; ++k) {
        const LayoutElementInfo& i = kLayoutElements[k];
        if (!*i.panel) continue;
        auto* p = new ElementPanel(i.caption, sheet_);
        p->setObjectName(i.panel);
        panels_[k] = p;
        const auto e = static_cast<LayoutElement>(k);
        connect(p, &ElementPanel::Moved, this, [this, e] { PanelMoved(e); });
    }

    auto* tabs = new QTabWidget(this);
    outer->addWidget(tabs);
    c_.ShowSize = [this](double w, double h) { ShowSize(w, h); };

    // "Layout": include boxes, the buttons and the Mover.
    auto* page = new QWidget;
    auto* pl = new QVBoxLayout(page);
    auto* inc = new QGroupBox("Include", page);
    auto* ig = new QGridLayout(inc);
    int row = 0;
    for (int k = 0; k < kLayoutElementCount; ++k) {
        const LayoutElementInfo& i = kLayoutElements[k];
        if (!*i.includeBox) continue;
        auto* b = new QCheckBox(i.includeBox, inc);
        b->setObjectName(QString(i.mover) + "IncludeCB");
        b->setChecked(true);
        b->setAutoFillBackground(true);
        include_[k] = b;
        ig->addWidget(b, row % 7, row / 7);
        ++row;
        connect(b, &QCheckBox::toggled, this, [this, k](bool on) {
            c_.Include[k] = on;
            if (panels_[k]) panels_[k]->setVisible(on);
        });
    }
    pl->addWidget(inc);
    auto* buttons = new QGridLayout;
    struct B {
        const char* caption;
        const char* name;
        void (TPrintLayoutForm::*fn)();
    } const kButtons[] = {{"Check Sizes.. data ready?", "CheckLayoutBtn", &TPrintLayoutForm::CheckLayoutBtnClick},
                          {"Store Layout", "PrePrintLayoutBtn", &TPrintLayoutForm::PrePrintLayoutBtnClick},
                          {"Print Preview", "PrintMapBtn", &TPrintLayoutForm::PrintMapBtnClick},
                          {"Setup Printer.. bogus", "SetupPrinterBtn", &TPrintLayoutForm::SetupPrinterBtnClick}};
    int n = 0;
    for (const B& b : kButtons) {
        auto* w = new QPushButton(b.caption, page);
        w->setObjectName(b.name);
        auto fn = b.fn;
        connect(w, &QPushButton::clicked, this, [this, fn] { (this->*fn)(); });
        buttons->addWidget(w, n / 2, n % 2);
        ++n;
    }
    pl->addLayout(buttons);

    auto* mover = new QGroupBox("Mover", page);
    auto* ml = new QGridLayout(mover);
    moverRG_ = new QButtonGroup(mover);
    for (int k = 0; k < kLayoutElementCount; ++k) {
        auto* r = new QRadioButton(kLayoutElements[kMoverOrder[k]].mover, mover);
        moverRG_->addButton(r, k);
        ml->addWidget(r, k / 5, k % 5);
    }
    moverRG_->button(0)->setChecked(true);
    connect(moverRG_, &QButtonGroup::idClicked, this, [this](int) { MoverRGClick(); });
    moverX_ = new QSpinBox(mover);
    moverX_->setObjectName("MoverXEdit");
    moverY_ = new QSpinBox(mover);
    moverY_->setObjectName("MoverYEdit");
    scaled_ = new QCheckBox("Scaled: little movement", mover);
    scaled_->setObjectName("ScaledCB");
    auto* reset = new QPushButton("Mover Reset to 10,10", mover);
    reset->setObjectName("MoverResetBtn");
    ml->addWidget(new QLabel("X", mover), 3, 0);
    ml->addWidget(moverX_, 3, 1);
    ml->addWidget(new QLabel("Y", mover), 3, 2);
    ml->addWidget(moverY_, 3, 3);
    ml->addWidget(scaled_, 4, 0, 1, 3);
    ml->addWidget(reset, 4, 3, 1, 2);
    connect(moverX_, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int v) {
        if (syncing_) return;
        c_.MoverSetX(moverRG_->checkedId(), v, scaled_->isChecked());
        PlacePanels();
    });
    connect(moverY_, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int v) {
        if (syncing_) return;
        c_.MoverSetY(moverRG_->checkedId(), v, scaled_->isChecked());
        PlacePanels();
    });
    connect(scaled_, &QCheckBox::toggled, this, [this] { MoverRGClick(); });
    connect(reset, &QPushButton::clicked, this, [this] { MoverResetBtnClick(); });
    pl->addWidget(mover);
    auto* help = new QPushButton("Help", page);
    help->setObjectName("DISRegDIPHelp");
    connect(help, &QPushButton::clicked, this, [this] {
        if (Help) Help(16000);
    });
    pl->addWidget(help);
    pl->addStretch();
    tabs->addTab(page, "Layout");

    // "Size Matters".
    page = new QWidget;
    auto* sl = new QGridLayout(page);
    oscList_ = new QListWidget(page);
    oscList_->setObjectName("ObjectSizeComputation");
    for (const char* s : {"Title, series (top)", "Author (top)", "Title, series (bottom)", "Author (bottom)",
                          "Source, projection, etc.", "Feature Text", "Grid (s)", "North Arrow Bit",
                          "North Arrow Text", "Legend", "Inset Map Location", "Scale bar", "Feature Bitmap",
                          "Contour interval", "Map Size", "Paper Size", "Boundary Top", "Bottom", "Left", "Right"})
        oscList_->addItem(s);
    oscList_->setCurrentRow(0);
    sl->addWidget(new QLabel("Object Size Computation", page), 0, 0, 1, 2);
    sl->addWidget(oscList_, 1, 0, 1, 2);
    auto edit = [&](const char* name) {
        auto* e = new QLineEdit(page);
        e->setObjectName(name);
        return e;
    };
    widthEdit_ = edit("SizeWidthEdit");
    heightEdit_ = edit("SizeHeightEdit");
    imageX_ = edit("ImageXEdit");
    imageY_ = edit("ImageYEdit");
    scaleEdit_ = edit("ScaleEdit");
    pageWidthEdit_ = edit("PageWidthEdit");
    pageHeightEdit_ = edit("PageHeightEdit");
    pageSizeLabel_ = new QLabel(page);
    imageSizeLabel_ = new QLabel(page);
    scaleLabel_ = new QLabel(page);
    auto* osc = new QPushButton("OSC", page);
    osc->setObjectName("SizeMattersOSCBtn");
    osc->setToolTip("Check Selected Size");
    connect(osc, &QPushButton::clicked, this, [this] { SizeMattersOSCBtnClick(); });
    auto* set = new QPushButton("Set", page);
    set->setObjectName("SizeMattersSetBtn");
    set->setToolTip("Scale<>Image Size");
    connect(set, &QPushButton::clicked, this, [this] { SizeMattersSetBtnClick(); });
    int r = 2;
    for (auto [label, w] : {std::pair<const char*, QWidget*>{"Width", widthEdit_}, {"Height", heightEdit_},
                            {"Image X", imageX_}, {"Image Y", imageY_}, {"Scale", scaleEdit_},
                            {"Page width", pageWidthEdit_}, {"Page height", pageHeightEdit_}}) {
        sl->addWidget(new QLabel(label, page), r, 0);
        sl->addWidget(w, r++, 1);
    }
    sl->addWidget(pageSizeLabel_, r++, 0, 1, 2);
    sl->addWidget(imageSizeLabel_, r++, 0, 1, 2);
    sl->addWidget(scaleLabel_, r++, 0, 1, 2);
    sl->addWidget(osc, r, 0);
    sl->addWidget(set, r, 1);
    tabs->addTab(page, "Size Matters");

    c_.SetDataToForm();
    PlacePanels();
    resize(900, 640);
}

void TPrintLayoutForm::PlacePanels() {
    sheet_->resize(c_.PaperPanel.width, c_.PaperPanel.height);
    for (int k = 0; k < kLayoutElementCount; ++k) {
        if (!panels_[k]) continue;
        const MockRect& m = c_.Panels[k];
        panels_[k]->setGeometry(m.left, m.top, std::max(1, m.width), std::max(1, m.height));
    }
    ++syncing_;
    moverX_->setRange(0, c_.MoverMaxX(scaled_->isChecked()));
    moverY_->setRange(0, c_.MoverMaxY(scaled_->isChecked()));
    --syncing_;
}

void TPrintLayoutForm::PanelMoved(LayoutElement e) {
    const QRect g = panels_[e]->geometry();
    c_.Panels[e] = {g.x(), g.y(), g.width(), g.height()};
}

void TPrintLayoutForm::ShowSize(double w, double h) {
    widthEdit_->setText(QString::number(w, 'g', 6));
    heightEdit_->setText(QString::number(h, 'g', 6));
}

void TPrintLayoutForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    c_.FormShow();
    int w = 0, h = 0;
    if (c_.MapPictureSize) c_.MapPictureSize(w, h);
    imageX_->setText(QString::number(w));
    imageY_->setText(QString::number(h));
    int pw = 0, ph = 0;
    if (PrinterPagePixels) PrinterPagePixels(pw, ph);
    pageWidthEdit_->setText(QString::number(pw));
    PlacePanels();
}

void TPrintLayoutForm::closeEvent(QCloseEvent* e) {
    if (Closed) Closed(this);
    QWidget::closeEvent(e);
}

void TPrintLayoutForm::CheckLayoutBtnClick() {
    const auto red = c_.CheckSizes();
    for (int k = 0; k < kLayoutElementCount; ++k) {
        if (!include_[k]) continue;
        QPalette pal = include_[k]->palette();
        pal.setColor(QPalette::Window, red[k] ? QColor(255, 0, 0) : palette().color(QPalette::Button));
        include_[k]->setPalette(pal);
        if (panels_[k]) panels_[k]->setVisible(include_[k]->isChecked());
    }
}

void TPrintLayoutForm::PrePrintLayoutBtnClick() {
    if (!c_.LayoutChecked) CheckLayoutBtnClick();
    c_.StoreLayout();
    PlacePanels();
}

void TPrintLayoutForm::PrintMapBtnClick() {
    // What the preview shows is the mock-up as it stands: store it first.
    PrePrintLayoutBtnClick();
    Page page = c_.Draw(MetresPerPixel ? MetresPerPixel() : 0);
    if (MapGridUnits) page.MapUnits = MapGridUnits();
    if (OpenPreview) OpenPreview(page);
}

void TPrintLayoutForm::SetupPrinterBtnClick() {
    zemba::Sheet s = c_.sheet;
    if (PageSetup && !PageSetup(s)) return;
    c_.SetupPrinterBtnClick(s);
    PlacePanels();
}

void TPrintLayoutForm::MoverRGClick() {
    int x = 0, y = 0;
    c_.MoverSelect(moverRG_->checkedId(), scaled_->isChecked(), x, y);
    ++syncing_;
    moverX_->setRange(0, c_.MoverMaxX(scaled_->isChecked()));
    moverY_->setRange(0, c_.MoverMaxY(scaled_->isChecked()));
    moverX_->setValue(x);
    moverY_->setValue(y);
    --syncing_;
}

void TPrintLayoutForm::MoverResetBtnClick() {
    c_.MoverReset(moverRG_->checkedId());
    PlacePanels();
    MoverRGClick();
}

void TPrintLayoutForm::SizeMattersOSCBtnClick() {
    c_.SizeMattersOsc(oscList_->currentRow());
    PlacePanels();
}

void TPrintLayoutForm::SizeMattersSetBtnClick() {
    int w = 0, h = 0;
    if (c_.MapPictureSize) c_.MapPictureSize(w, h);
    int pw = 0, ph = 0;
    if (PrinterPagePixels) PrinterPagePixels(pw, ph);
    imageX_->setText(QString::number(w));
    imageY_->setText(QString::number(h));
    scaleEdit_->setText(MapScaleText ? QString::fromLatin1(MapScaleText().c_str()) : QString());
    pageSizeLabel_->setText(QString("%1 x %2").arg(pw).arg(ph));
    imageSizeLabel_->setText(QString("%1 x %2").arg(w).arg(h));
    scaleLabel_->setText(h > 0 ? QString::number(std::lround(static_cast<double>(ph) / h)) : QString());
    pageHeightEdit_->setText(QString::number(ph));
}

}  // namespace zemba
