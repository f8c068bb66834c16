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
class QPageLayout;
class QPrinter;

namespace zemba {

// The map element's source: the map picture's size in pixels and a drawer
// that paints the map for a bitmap `detail` times that size (MapRenderer's
// DrawMapOnto). An empty drawer leaves the map's box blank.
struct MapSource {
    int width = 0, height = 0;
    std::function<void(QPainter&, int detail)> draw;
    // Draws the view's extent, centred and whole, into a w x h box (paper
    // units) `detail` times finer, filling the box; when set it is used
    // instead of `draw`.
    std::function<void(QPainter&, int w, int h, int detail)> drawPanel;
    // The world rectangle such a box shows (for the grid); false when unknown.
    std::function<bool(int w, int h, double& x0, double& y0, double& x1, double& y1)> extentOf;
};

// Grid lines over a map box: positions along x and y in world units at a
// round step for about `wanted` lines across the longer side.
std::vector<double> GridLines(double from, double to, double step);
double RoundGridStep(double span, int wanted, bool degrees = false);

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

// The page layout of a page's sheet: the upright sheet, turned when wider
// than tall; no margins.
QPageLayout PageLayoutOf(const Page& page);
// One printer set-up for the page: its sheet and orientation, full page.
void SetUpPrinterForPage(QPrinter& printer, const Page& page);
// The sheet a printer is set up for, in whole millimetres (turned).
bool SheetOfPrinter(const QPrinter& printer, double& widthMm, double& heightMm);

// The page on a printer set up by the caller.
Result PrintPage(QPrinter& printer, const Page& page, const MapSource& map,
                 std::vector<std::string>* failures = nullptr);

// Refuses a .bmp whose header claims more pixel data than the file holds
// (a cut-off file would print as noise).
Result CheckBitmapComplete(const std::string& path);

// Picture size for the legend's chooser (QImageReader); a cut-off .bmp is
// refused.
Result PictureSize(const std::string& path, int& width, int& height);

// The preview's zoom steps: 100 % at first, 25 % a step, 25 % to 568 %.
constexpr int kZoomStart = 100, kZoomStep = 25, kZoomMin = 25, kZoomMax = 568;
int NextZoom(int zoom, int direction);

}  // namespace zemba
