#include "view/viewport.h"

#include <algorithm>
#include <cctype>
#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zemba {

const BitmapSizeEntry kBitmapSizes[kBitmapSizeCount] = {
    {320, 240, "Resize 320w"},   {640, 480, "Resize 640w"},   {800, 600, "Resize 800w"},
    {1024, 768, "Resize 1024w"}, {1280, 960, "Resize 1280w"}, {1600, 1200, "Resize 1600w"},
};

namespace {

int SafeWidth(const ViewState& v) { return std::max(1, v.BitmapWidth); }
int SafeHeight(const ViewState& v) { return std::max(1, v.BitmapHeight); }

int TruncPixel(double v) {
    if (!(v > -kPixelLimit)) return static_cast<int>(-kPixelLimit);  // also NaN
    if (v > kPixelLimit) return static_cast<int>(kPixelLimit);
    return static_cast<int>(v);  // truncates toward zero
}

// Round half to even, like the Pascal Round.
long RoundEven(double v) { return std::lrint(v); }

}  // namespace

void UpdateViewScale(LayerStore& store, ViewState& view) {
    store.MapWidth = std::fabs(store.MapXMax - store.MapXMin);
    store.MapHeight = std::fabs(store.MapYMax - store.MapYMin);
    const double W = SafeWidth(view), H = SafeHeight(view);
    if (!(store.MapWidth > 0) && !(store.MapHeight > 0)) {
        // A single point (or an unusable extent): give it a small square
        // around the point so the scale stays positive, and bring the point,
        // which sits at the offsets' origin, to the centre of the bitmap.
        const double s = kMinViewSpan;
        if (std::isfinite(store.MapXMin) && std::isfinite(store.MapYMin)) {
            store.MapXMin -= s / 2;
            store.MapXMax = store.MapXMin + s;
            store.MapYMin -= s / 2;
            store.MapYMax = store.MapYMin + s;
        }
        store.MapWidth = s;
        store.MapHeight = s;
        view.ViewScale = s / H;
        if (std::isfinite(store.MapXOffset) && std::isfinite(store.MapYOffset)) {
            store.MapXOffset += (W / 2) * view.ViewScale;
            store.MapYOffset += (H / 2) * view.ViewScale;
        }
        return;
    }
    if (store.MapWidth > store.MapHeight)
        view.ViewScale = store.MapWidth / W;
    else
        view.ViewScale = store.MapHeight / H;
}

int WorldToPixelX(const LayerStore& store, const ViewState& view, double X) {
    return TruncPixel((X + store.MapXOffset) / view.ViewScale);
}

int WorldToPixelY(const LayerStore& store, const ViewState& view, double Y) {
    return TruncPixel((view.BitmapHeight - 1) - (Y + store.MapYOffset) / view.ViewScale);
}

PixelPoint WorldToPixel(const LayerStore& store, const ViewState& view, double X, double Y) {
    return {WorldToPixelX(store, view, X), WorldToPixelY(store, view, Y)};
}

double XtoWorld(const LayerStore& store, const ViewState& view, int x) {
    return -store.MapXOffset + x * view.ViewScale;
}

double YtoWorld(const LayerStore& store, const ViewState& view, int d) {
    return -store.MapYOffset + d * view.ViewScale;
}

bool FitToLayer(LayerStore& store, ViewState& view, int layer) {
    if (layer < 1 || layer > store.LayerCount ||
        static_cast<std::size_t>(layer) >= store.ShapeLayers.size())
        return false;
    const ShpLayer& l = store.ShapeLayers[layer];
    store.MapXOffset = l.XShift;
    store.MapYOffset = l.YShift;
    store.MapXMin = l.XMin;
    store.MapYMin = l.YMin;
    store.MapXMax = l.XMax;
    store.MapYMax = l.YMax;
    UpdateViewScale(store, view);
    // A margin of a few pixels, so the shapes on the layer's edges are drawn
    // whole (a point's figure spreads around it) and can be clicked.
    const bool spread = l.XMax > l.XMin || l.YMax > l.YMin;  // a single point is centred instead
    if (spread && std::isfinite(view.ViewScale) && view.ViewScale > 0) {
        const double pad = kFitMarginPixels * view.ViewScale;
        store.MapXMin -= pad;
        store.MapYMin -= pad;
        store.MapXMax += pad;
        store.MapYMax += pad;
        store.MapXOffset += pad;
        store.MapYOffset += pad;
        UpdateViewScale(store, view);
    }
    return true;
}

namespace {

// World point at the centre of the bitmap.
void ViewCentre(const LayerStore& store, const ViewState& view, double& Xc, double& Yc) {
    Xc = -store.MapXOffset + (SafeWidth(view) / 2.0) * view.ViewScale;
    Yc = -store.MapYOffset + (SafeHeight(view) / 2.0) * view.ViewScale;
}

// Scales the spans by `factor` around the world point (Xc, Yc) and brings
// that point to the centre of the bitmap. The spans are taken whatever the
// order of the stored extent (a Zoom Area leaves Max below Min), and the
// extent is stored in order afterwards, so every zoom keeps working.
void ZoomAbout(LayerStore& store, ViewState& view, double factor, double Xc, double Yc) {
    const double w = std::fabs(store.MapXMax - store.MapXMin) * factor;
    const double h = std::fabs(store.MapYMax - store.MapYMin) * factor;
    store.MapXMin = Xc - w / 2;
    store.MapXMax = Xc + w / 2;
    store.MapYMin = Yc - h / 2;
    store.MapYMax = Yc + h / 2;
    UpdateViewScale(store, view);
    store.MapXOffset = (SafeWidth(view) / 2.0) * view.ViewScale - Xc;
    store.MapYOffset = (SafeHeight(view) / 2.0) * view.ViewScale - Yc;
}

}  // namespace

void ZoomIn(LayerStore& store, ViewState& view) {
    double Xc, Yc;
    ViewCentre(store, view, Xc, Yc);
    ZoomAbout(store, view, 0.5, Xc, Yc);
}

void ZoomOut(LayerStore& store, ViewState& view) {
    double Xc, Yc;
    ViewCentre(store, view, Xc, Yc);
    ZoomAbout(store, view, 1.5, Xc, Yc);
}

// Click zoom brings the clicked point to the centre of the bitmap at the new
// scale (rather than halving a distance from the centre, which threw a click
// on the centre to the right edge).
void ClickZoomIn(LayerStore& store, ViewState& view, int x, int y) {
    ZoomAbout(store, view, 0.5, XtoWorld(store, view, x), YtoWorld(store, view, view.BitmapHeight - y));
}

void PointerZoom(LayerStore& store, ViewState& view, double factor, int x, int y) {
    const int H = view.BitmapHeight;
    const double Xp = XtoWorld(store, view, x), Yp = YtoWorld(store, view, H - y);
    ZoomAbout(store, view, factor, Xp, Yp);
    // Zoomed about the point it now sits at the centre; move the view so it
    // is back under the pointer.
    const double s = view.ViewScale;
    const double dx = (x - SafeWidth(view) / 2.0) * s;
    const double dy = (SafeHeight(view) / 2.0 - (H - y)) * s;
    store.MapXMin -= dx;
    store.MapXMax -= dx;
    store.MapYMin += dy;
    store.MapYMax += dy;
    store.MapXOffset += dx;
    store.MapYOffset -= dy;
}

void ClickZoomOut(LayerStore& store, ViewState& view, int x, int y) {
    ZoomAbout(store, view, 1.5, XtoWorld(store, view, x), YtoWorld(store, view, view.BitmapHeight - y));
}

bool ZoomArea(LayerStore& store, ViewState& view, int x1, int y1, int x2, int y2) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    // A click without a drag would leave an empty extent.
    if (x2 == x1) return false;
    const double m = (x2 - x1) * 480.0 / 640.0;
    const double d = (y2 - y1) - m;
    y1 = static_cast<int>(RoundEven(y1 + d / 2));
    y2 = static_cast<int>(RoundEven(y2 - d / 2));
    const int H = view.BitmapHeight;
    // The extent is kept in world coordinates and in order; the world point
    // at the rectangle's lower-left corner comes to the bitmap's bottom-left.
    const double X1 = XtoWorld(store, view, x1), X2 = XtoWorld(store, view, x2);
    const double Y1 = YtoWorld(store, view, H - y2), Y2 = YtoWorld(store, view, H - y1);
    store.MapXMin = X1;
    store.MapXMax = X2;
    store.MapYMin = Y1;
    store.MapYMax = Y2;
    store.MapXOffset = -X1;
    store.MapYOffset = -Y1;
    UpdateViewScale(store, view);
    return true;
}

void Pan(LayerStore& store, ViewState& view, int xs, int ys, int xe, int ye) {
    store.MapXOffset += (xe - xs) * view.ViewScale;
    store.MapYOffset -= (ye - ys) * view.ViewScale;
}

bool SetBitmapSize(ViewState& view, int w, int h) {
    if (w < 1 || h < 1 || w > kMaxBitmapSide || h > kMaxBitmapSide) return false;
    view.BitmapWidth = w;
    view.BitmapHeight = h;
    return true;
}

int ParseIntPos(const std::string& text, long& value) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;
    bool neg = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        neg = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n) return static_cast<int>(i) + 1;
    long long v = 0;
    const long long limit = neg ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int digit;
        if (std::isdigit(c))
            digit = c - '0';
        else if (base == 16 && std::isxdigit(c))
            digit = std::tolower(c) - 'a' + 10;
        else
            return static_cast<int>(i) + 1;
        v = v * base + digit;
        if (v > limit) return static_cast<int>(i) + 1;
    }
    value = static_cast<long>(neg ? -v : v);
    return 0;
}

bool CheckBitmapSizeEntry(const std::string& widthText, const std::string& heightText,
                          Prompter& prompter, int& w, int& h) {
    long vw = 0, vh = 0;
    int pos = ParseIntPos(widthText, vw);
    if (pos != 0) {
        prompter.Message(MsgFamily::ErrorNumber, pos, widthText);
        return false;
    }
    pos = ParseIntPos(heightText, vh);
    if (pos != 0) {
        prompter.Message(MsgFamily::ErrorNumber, pos, heightText);
        return false;
    }
    if (vw < 1 || vh < 1 || vw > kMaxBitmapSide || vh > kMaxBitmapSide) {
        prompter.ShowErrorText("The bitmap width and height must be from 1 to " +
                               std::to_string(kMaxBitmapSide) + " pixels.");
        return false;
    }
    w = static_cast<int>(vw);
    h = static_cast<int>(vh);
    return true;
}

void SetAllVisible(LayerStore& store, bool flag) {
    for (int i = 1; i <= store.LayerCount && static_cast<std::size_t>(i) < store.SymLayers.size();
         ++i)
        store.SymLayers[i].Visible = flag ? 1 : 0;
}

void SetAllEditable(LayerStore& store, bool flag) {
    for (int i = 1; i <= store.LayerCount && static_cast<std::size_t>(i) < store.SymLayers.size();
         ++i)
        store.SymLayers[i].Editable = flag ? 1 : 0;
}

PixelRect PrintPlacement(int W, int H, int PW, int PH) {
    if (2 * W < PW && 2 * H < PH) return {(PW - 2 * W) / 2, (PH - 2 * H) / 2, 2 * W, 2 * H};
    if (W < PW && H < PH) return {(PW - W) / 2, (PH - H) / 2, W, H};
    return {(PW - W / 2) / 2, (PH - H / 2) / 2, W / 2, H / 2};
}

std::string PixelXYText(const ViewState& view, int x, int y) {
    return "   X: " + std::to_string(x) + ", Y: " + std::to_string(view.BitmapHeight - y);
}

std::string FloatToStr(double v) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    char buf[64];
    const double a = std::fabs(v);
    if (v == 0) return "0";
    if (a >= 1e-5 && a < 1e15) {
        // Fixed notation with 15 significant digits, trailing zeros dropped.
        const int exp10 = static_cast<int>(std::floor(std::log10(a)));
        const int decimals = std::clamp(14 - exp10, 0, 20);
        std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
        std::string s = buf;
        if (s.find('.') != std::string::npos) {
            while (!s.empty() && s.back() == '0') s.pop_back();
            if (!s.empty() && s.back() == '.') s.pop_back();
        }
        return s;
    }
    std::snprintf(buf, sizeof buf, "%.15G", v);
    std::string s = buf;
    const std::size_t e = s.find('E');
    if (e == std::string::npos) return s;
    std::string mant = s.substr(0, e);
    std::string ex = s.substr(e + 1);
    bool neg = !ex.empty() && ex[0] == '-';
    if (!ex.empty() && (ex[0] == '+' || ex[0] == '-')) ex.erase(0, 1);
    while (ex.size() > 1 && ex[0] == '0') ex.erase(0, 1);
    return mant + "E" + (neg ? "-" : "") + ex;
}

std::string WorldXYText(double X, double Y) {
    return "   X: " + FloatToStr(X) + ", Y: " + FloatToStr(Y);
}

static std::string NumberWithSeparators(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", std::fabs(v));
    std::string s = buf;
    const std::size_t dot = s.find('.');
    std::string ip = s.substr(0, dot), frac = s.substr(dot);
    std::string out;
    for (std::size_t i = 0; i < ip.size(); ++i) {
        if (i > 0 && (ip.size() - i) % 3 == 0) out += ',';
        out += ip[i];
    }
    const bool neg = v < 0 && s != "0.00";
    return (neg ? "-" : "") + out + frac;
}

std::string OriginText(double X, double Y) {
    return "Origin: (" + NumberWithSeparators(X) + ", " + NumberWithSeparators(Y) + ")";
}

}  // namespace zemba
