// Plays a Page (output/page.h) on a QPainter: the preview image, the
// printer and the PDF writer all go through PaintPage, so what is
// previewed is what prints.
#pragma once

#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "core/ui.h"
#include "output/layout.h"
#include "output/page.h"

class QPainter;
class QPrinter;

namespace zemba {

// The map element's source: the map picture's size in pixels and a drawer
// that paints the map for a bitmap `detail` times that size (MapRenderer's
// DrawMapOnto). An empty drawer leaves the map's box blank.
struct MapSource {
    int width = 0, height = 0;
    std::function<void(QPainter&, int detail)> draw;
};

// Text measured as the page prints it: paper units at 254 units an inch.
class QtTextMeasurer : public TextMeasurer {
public:
    void Measure(const FontDesc& font, const std::string& line, double& w, double& h) override;
};

// Paints `page` with the painter's transform already mapping paper units to
// its device. Pictures that fail to load are left out and named in `failures`.
void PaintPage(QPainter& p, const Page& page, const MapSource& map, std::vector<std::string>* failures = nullptr);

// The page as an image at `zoom` percent of its size on a `dpi` screen.
QImage RenderPageImage(const Page& page, const MapSource& map, double zoom, double dpi = 96,
                       std::vector<std::string>* failures = nullptr);

// The page as a one-page PDF of the sheet's size (text as text, the map as
// paths). Written beside the target and renamed over it when complete.
Result WritePagePdf(const std::string& path, const Page& page, const MapSource& map, const std::string& title,
                    std::vector<std::string>* failures = nullptr);

// The page on a printer set up by the caller.
Result PrintPage(QPrinter& printer, const Page& page, const MapSource& map,
                 std::vector<std::string>* failures = nullptr);

// Picture size for the legend's chooser (QImageReader).
Result PictureSize(const std::string& path, int& width, int& height);

// The preview's zoom steps: 100 % at first, 25 % a step, 25 % to 568 %.
constexpr int kZoomStart = 100, kZoomStep = 25, kZoomMin = 25, kZoomMax = 568;
int NextZoom(int zoom, int direction);

}  // namespace zemba
