// View state and the arithmetic of the map view: world <-> pixel conversion,
// the scale, zoom, pan, fit and the bitmap size. Plain C++ over the layer
// store so that every command can be checked without a window. Nothing here
// draws; the caller runs DVDORedraw (view/renderer.h) after a command.
#pragma once

#include <cstdint>
#include <string>

#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

struct PixelPoint {
    int x = 0;
    int y = 0;
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// DrawFigure codes (what DrawShape draws next).
enum DrawFigureCode : int {
    kFigureBox = 0,
    kFigureCircle = 1,
    kFigureTriangle = 2,
    kFigureDot = 3,
    kFigureDotCircle = 4,
    kFigureXBox = 5,
    kFigureRubberRect = 14,
    kFigureRubberLine = 26,
    kFigureMarkBox = 27,
};

// The map view's own state. The map extent and translation (MapXMin ...
// MapXOffset) live in the LayerStore; the view colours are copied in from the
// program options by the main window.
struct ViewState {
    double ViewScale = 1;  // map units per pixel
    int BitmapWidth = 640;
    int BitmapHeight = 480;
    int DrawFigure = 0;
    PixelPoint RubberStart;
    PixelPoint RubberEnd;
    bool RubberBandActive = false;

    COLORREF BackgroundColor = 0xFFFFFF;
    COLORREF HighlightColor = 0x00FFFF;
    COLORREF EditColor = 0x0000FF;
    COLORREF EditingColor = 0xFF00FF;

    // Size of the view control (the visible part of the scroll box). The
    // redraw fills only this rectangle with BackgroundColor; the rest of a
    // larger bitmap is left white. <= 0 means "the whole bitmap".
    int ClientWidth = 0;
    int ClientHeight = 0;

    // A label that would cover one drawn earlier in the same redraw is left
    // out, so that a labelled dense layer stays readable.
    bool SkipOverlappingLabels = true;
};

// Largest bitmap side we accept; a bigger image would not be allocated.
constexpr int kMaxBitmapSide = 10000;

// Span used when the extent is a single point (both spans zero), so that
// the scale never becomes zero.
constexpr double kMinViewSpan = 1.0;
// Full View leaves this many pixels around the layer's extent.
constexpr double kFitMarginPixels = 4.0;

// MapWidth, MapHeight and ViewScale from the extent (the larger span decides,
// not the larger ratio). When both spans are zero the extent is widened to
// kMinViewSpan around its point and the offsets move so that the point lies
// at the centre of the bitmap.
void UpdateViewScale(LayerStore& store, ViewState& view);

// Keeps the view and the map extent and translation as they are, and puts
// them back when it goes: for drawing the map at another size for a while.
class KeptMapView {
public:
    KeptMapView(LayerStore& store, ViewState& view)
        : store_(store), view_(view), saved_(view), x0_(store.MapXMin), x1_(store.MapXMax), y0_(store.MapYMin),
          y1_(store.MapYMax), xo_(store.MapXOffset), yo_(store.MapYOffset), mw_(store.MapWidth),
          mh_(store.MapHeight) {}
    ~KeptMapView() {
        view_ = saved_;
        store_.MapXMin = x0_, store_.MapXMax = x1_, store_.MapYMin = y0_, store_.MapYMax = y1_;
        store_.MapXOffset = xo_, store_.MapYOffset = yo_, store_.MapWidth = mw_, store_.MapHeight = mh_;
    }
    KeptMapView(const KeptMapView&) = delete;
    KeptMapView& operator=(const KeptMapView&) = delete;
    const ViewState& saved() const { return saved_; }

private:
    LayerStore& store_;
    ViewState& view_;
    const ViewState saved_;
    const double x0_, x1_, y0_, y1_, xo_, yo_, mw_, mh_;
};

// World to bitmap pixel: Trunc((X + MapXOffset) / ViewScale) and
// Trunc((BitmapHeight - 1) - (Y + MapYOffset) / ViewScale). Results are
// clamped to +-kPixelLimit so absurd zooms cannot overflow an int.
constexpr double kPixelLimit = 1.0e9;
PixelPoint WorldToPixel(const LayerStore& store, const ViewState& view, double X, double Y);
int WorldToPixelX(const LayerStore& store, const ViewState& view, double X);
int WorldToPixelY(const LayerStore& store, const ViewState& view, double Y);

// Pixel x to world X: -MapXOffset + x * ViewScale.
double XtoWorld(const LayerStore& store, const ViewState& view, int x);
// Pixel distance d from the bottom edge to world Y: -MapYOffset + d * ViewScale.
// Callers pass d = BitmapHeight - y.
double YtoWorld(const LayerStore& store, const ViewState& view, int d);

// Fit: extent and offsets := those of `layer` (its XShift/YShift and box).
// Returns false (nothing changed) when the layer does not exist.
bool FitToLayer(LayerStore& store, ViewState& view, int layer);

// Zoom In button: spans halve, the view centre stays.
void ZoomIn(LayerStore& store, ViewState& view);
// Zoom Out button: spans grow by half (x1.5), the view centre stays.
void ZoomOut(LayerStore& store, ViewState& view);
// Ctrl+click: spans halve like Zoom In and the clicked pixel (x, y) becomes
// the centre of the bitmap.
void ClickZoomIn(LayerStore& store, ViewState& view, int x, int y);
// Shift+click: spans grow like Zoom Out, the clicked pixel becomes the centre.
void ClickZoomOut(LayerStore& store, ViewState& view, int x, int y);
// The mouse wheel: spans times `factor` about the pointer at pixel (x, y);
// the world point under the pointer stays under it.
void PointerZoom(LayerStore& store, ViewState& view, double factor, int x, int y);
// Zoom Area (ZoomMouseDo) after a drag from (x1, y1) to (x2, y2), in pixels;
// the corners may come in any order. The rectangle is given the 640:480
// proportion around its vertical centre. A drag of zero width changes
// nothing and returns false (it would leave an empty extent).
bool ZoomArea(LayerStore& store, ViewState& view, int x1, int y1, int x2, int y2);
// Pan after a drag from (xs, ys) to (xe, ye); the extent is unchanged.
void Pan(LayerStore& store, ViewState& view, int xs, int ys, int xe, int ye);

// The six fixed bitmap sizes ("Resize 320w" ... "Resize 1600w").
struct BitmapSizeEntry {
    int width;
    int height;
    const char* caption;
};
constexpr int kBitmapSizeCount = 6;
extern const BitmapSizeEntry kBitmapSizes[kBitmapSizeCount];

// BitmapWidth x BitmapHeight := w x h. Returns false and changes nothing
// when a side is outside 1..kMaxBitmapSide.
bool SetBitmapSize(ViewState& view, int w, int h);

// The standard integer parser: on success returns 0 and sets value; on
// failure returns the 1-based position of the first character it could not
// take (1 for an empty text). Leading blanks are allowed, an optional sign,
// decimal digits or '$' hex digits; overflow fails at the offending digit.
int ParseIntPos(const std::string& text, long& value);

// The OK check of the "Create Bitmap" form: both texts must be integers
// (else "Error in File data Number" with the error position and the text,
// through prompter, and false), and within 1..kMaxBitmapSide (else a plain
// error text and false). On success sets w and h.
bool CheckBitmapSizeEntry(const std::string& widthText, const std::string& heightText,
                          Prompter& prompter, int& w, int& h);

// Visible := 1 / 0 for every layer ("All layers Visible", "Current Layer only").
void SetAllVisible(LayerStore& store, bool flag);
// Editable := flag for every layer ("All layers Editable").
void SetAllEditable(LayerStore& store, bool flag);

// Where Print puts a W x H bitmap on a PW x PH printable page: double size
// when that fits, else 1:1 when that fits, else half size; always centred.
PixelRect PrintPlacement(int W, int H, int PW, int PH);

// Status texts. "   X: 12, Y: 34" with y counted from the bottom edge.
std::string PixelXYText(const ViewState& view, int x, int y);
// "   X: " + world X + ", Y: " + world Y, numbers in the general format.
std::string WorldXYText(double X, double Y);
// "Origin: (1,234.50, 6.00)" shown when a rubber figure starts.
std::string OriginText(double X, double Y);
// A double in the general format, up to 15 significant digits ("0.1", "1E20").
std::string FloatToStr(double v);

}  // namespace zemba
