#include "output/preview_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cmath>

namespace zemba {

TPreviewForm::TPreviewForm(Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), prompter_(prompter), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setObjectName("TPreviewForm");
    setWindowTitle("Print Preview");
    auto* outer = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    struct B {
        const char* caption;
        const char* name;
        void (TPreviewForm::*fn)();
    } const kButtons[] = {{"Zoom In", "ZoomInBtn", &TPreviewForm::ZoomIn},
                          {"Zoom Out", "ZoomOutBtn", &TPreviewForm::ZoomOut},
                          {"Print...", "PrintBtn", &TPreviewForm::PrintClick},
                          {"Page Setup...", "PageSetupBtn", &TPreviewForm::PageSetupClick},
                          {"Save as PDF...", "SaveBtn", &TPreviewForm::SaveClick}};
    for (const B& b : kButtons) {
        auto* w = new QPushButton(b.caption, this);
        w->setObjectName(b.name);
        auto fn = b.fn;
        connect(w, &QPushButton::clicked, this, [this, fn] { (this->*fn)(); });
        bar->addWidget(w);
    }
    zoomLabel_ = new QLabel(this);
    zoomLabel_->setObjectName("ZoomLabel");
    bar->addWidget(zoomLabel_);
    bar->addStretch();
    auto* close = new QPushButton("Close", this);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    bar->addWidget(close);
    outer->addLayout(bar);
    scroll_ = new QScrollArea(this);
    scroll_->setBackgroundRole(QPalette::Dark);
    label_ = new QLabel;
    label_->setObjectName("PreviewPage");
    scroll_->setWidget(label_);
    outer->addWidget(scroll_, 1);
    resize(900, 760);
}

TPreviewForm::~TPreviewForm() = default;

void TPreviewForm::SetPage(const Page& page, const MapSource& map, const std::string& title) {
    page_ = page;
    map_ = map;
    title_ = title;
    zoom_ = kZoomStart;
    SetUpPrinterForPage(*printer_, page);
    Render();
}

void TPreviewForm::Render() {
    std::vector<std::string> failures;
    const QImage img = RenderPageImage(page_, map_, zoom_, logicalDpiY() > 0 ? logicalDpiY() : 96, &failures);
    label_->setPixmap(QPixmap::fromImage(img));
    label_->adjustSize();
    zoomLabel_->setText(QString("%1 %").arg(zoom_));
    ReportFailures(failures);
}

void TPreviewForm::ReportFailures(const std::vector<std::string>& failures) {
    for (const std::string& f : failures) prompter_.ShowErrorText("Picture not loaded, left off the page: " + f);
}

void TPreviewForm::ZoomIn() {
    const int z = NextZoom(zoom_, 1);
    if (z == zoom_) return;
    zoom_ = z;
    Render();
}

void TPreviewForm::ZoomOut() {
    const int z = NextZoom(zoom_, -1);
    if (z == zoom_) return;
    zoom_ = z;
    Render();
}

void TPreviewForm::PrintClick() {
    // The sheet and orientation are the layout's.
    SetUpPrinterForPage(*printer_, page_);
    QPrintDialog dialog(printer_.get(), this);
    dialog.setWindowTitle("Print");
    if (dialog.exec() != QDialog::Accepted) return;
    std::vector<std::string> failures;
    Result r = PrintPage(*printer_, page_, map_, &failures);
    ReportFailures(failures);
    if (!r) prompter_.ShowErrorText("The page could not be printed: " + r.reason);
}

void TPreviewForm::PageSetupClick() {
    SetUpPrinterForPage(*printer_, page_);
    QPageSetupDialog dialog(printer_.get(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    double w = 0, h = 0;
    if (!SheetOfPrinter(*printer_, w, h)) return;
    if (std::abs(w - page_.WidthMm) < 0.5 && std::abs(h - page_.HeightMm) < 0.5) return;
    if (SheetChanged) SheetChanged(w, h);
}

void TPreviewForm::SaveClick() {
    const std::string path = prompter_.ChooseSaveFile("Save Page as PDF", "", "PDF files (*.pdf)|*.pdf", "page.pdf");
    if (!path.empty()) SavePdf(path);
}

bool TPreviewForm::SavePdf(const std::string& path) {
    std::vector<std::string> failures;
    Result r = WritePagePdf(path, page_, map_, title_, &failures);
    ReportFailures(failures);
    if (!r) prompter_.ShowErrorText("The page was not saved: " + r.reason);
    return r.ok;
}

}  // namespace zemba
