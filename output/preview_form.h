// The print preview window: the recorded page at a zoom (100 % at first,
// 25 % a step, up to 568 %), print, page set-up and saving as PDF.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "core/ui.h"
#include "output/page.h"
#include "output/page_painter.h"

class QLabel;
class QPrinter;
class QScrollArea;

namespace zemba {

class TPreviewForm : public QWidget {
    Q_OBJECT
public:
    TPreviewForm(Prompter& prompter, QWidget* parent = nullptr);
    ~TPreviewForm() override;

    // The page to show and the map it draws.
    void SetPage(const Page& page, const MapSource& map, const std::string& title);
    const Page& CurrentPage() const { return page_; }
    int Zoom() const { return zoom_; }
    void ZoomIn();
    void ZoomOut();
    void PrintClick();
    void PageSetupClick();
    void SaveClick();
    // Saves the page as PDF to `path`; false (and a message) on failure.
    bool SavePdf(const std::string& path);
    QLabel* PageLabel() const { return label_; }
    // The one printer set-up of the layout, the preview, Print and PDF.
    QPrinter& Printer() { return *printer_; }
    // Page Setup chose another sheet (millimetres, turned): the layout
    // takes it and sends the page again.
    std::function<void(double widthMm, double heightMm)> SheetChanged;

private:
    void Render();
    void ReportFailures(const std::vector<std::string>& failures);

    Prompter& prompter_;
    Page page_;
    MapSource map_;
    std::string title_;
    int zoom_ = kZoomStart;
    QScrollArea* scroll_ = nullptr;
    QLabel* label_ = nullptr;
    QLabel* zoomLabel_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace zemba
