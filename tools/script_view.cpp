// Script commands of the map view: opening and clearing layers, the zooms,
// pan, bitmap size, the extent and a render of the view.
#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QString>
#include <QFile>
#include <cstdio>

#include "core/file_io.h"
#include "tools/script.h"
#include "view/renderer.h"

namespace zemba {
namespace {

// World coordinates to the pixel the window would have been clicked at.
PixelPoint ClickAt(ScriptSession& s, const ScriptArgs& a) {
    s.NeedLayer();
    return WorldToPixel(s.store, s.view, ScriptNumber(a[0]), ScriptNumber(a[1]));
}

ZEMBA_SCRIPT_COMMAND("open", "open FILE", 1, 1, [](ScriptSession& s, const ScriptArgs& a) {
    if (!s.files->LoadFromFile(a[0])) throw ScriptError(a[0] + ": not loaded");
    s.out << "Opened " << a[0] << " as layer " << s.store.LayerCount << "\n";
});

ZEMBA_SCRIPT_COMMAND("clear-all", "clear-all [--discard]", 0, 1, [](ScriptSession& s, const ScriptArgs& a) {
    const bool discard = !a.empty() && a[0] == "--discard";
    if (!a.empty() && !discard) throw ScriptError("clear-all takes only --discard");
    // A batch run has nobody to ask: modified layers stop it unless the
    // script says to drop them.
    if (!discard)
        for (std::int32_t i = 1; i <= s.store.LayerCount; ++i)
            if (s.store.ShapeLayers[i].Modified)
                throw ScriptError("layer " + std::to_string(i) + " (" + s.store.ShapeLayers[i].ShpName +
                                  ") has changes that are not saved: save it, or clear-all --discard");
    s.files->ClearAll(false);
});

ZEMBA_SCRIPT_COMMAND("fit", "fit", 0, 0, [](ScriptSession& s, const ScriptArgs&) {
    s.NeedLayer();
    FitToLayer(s.store, s.view, s.store.CurrentLayer);
});

ZEMBA_SCRIPT_COMMAND("zoom-area", "zoom-area X1 Y1 X2 Y2", 4, 4, [](ScriptSession& s, const ScriptArgs& a) {
    PixelPoint p1 = ClickAt(s, {a[0], a[1]});
    PixelPoint p2 = ClickAt(s, {a[2], a[3]});
    if (!ZoomArea(s.store, s.view, p1.x, p1.y, p2.x, p2.y)) throw ScriptError("the area has no width");
});

ZEMBA_SCRIPT_COMMAND("zoom-in", "zoom-in", 0, 0, [](ScriptSession& s, const ScriptArgs&) {
    s.NeedLayer();
    ZoomIn(s.store, s.view);
});

ZEMBA_SCRIPT_COMMAND("zoom-out", "zoom-out", 0, 0, [](ScriptSession& s, const ScriptArgs&) {
    s.NeedLayer();
    ZoomOut(s.store, s.view);
});

ZEMBA_SCRIPT_COMMAND("click-zoom-in", "click-zoom-in X Y", 2, 2, [](ScriptSession& s, const ScriptArgs& a) {
    PixelPoint p = ClickAt(s, a);
    ClickZoomIn(s.store, s.view, p.x, p.y);
});

ZEMBA_SCRIPT_COMMAND("click-zoom-out", "click-zoom-out X Y", 2, 2, [](ScriptSession& s, const ScriptArgs& a) {
    PixelPoint p = ClickAt(s, a);
    ClickZoomOut(s.store, s.view, p.x, p.y);
});

ZEMBA_SCRIPT_COMMAND("pan", "pan DX DY", 2, 2, [](ScriptSession& s, const ScriptArgs& a) {
    s.NeedLayer();
    // A drag moves the map with the pointer: the view moves the other way.
    const double dx = ScriptNumber(a[0]), dy = ScriptNumber(a[1]);
    s.store.MapXOffset -= dx;
    s.store.MapYOffset -= dy;
});

ZEMBA_SCRIPT_COMMAND("bitmap", "bitmap W H", 2, 2, [](ScriptSession& s, const ScriptArgs& a) {
    if (!SetBitmapSize(s.view, ScriptInt(a[0]), ScriptInt(a[1])))
        throw ScriptError("a bitmap side must be 1.." + std::to_string(kMaxBitmapSide));
    UpdateViewScale(s.store, s.view);
});

ZEMBA_SCRIPT_COMMAND("extent", "extent", 0, 0, [](ScriptSession& s, const ScriptArgs&) {
    s.NeedLayer();
    const double x0 = XtoWorld(s.store, s.view, 0);
    const double y0 = YtoWorld(s.store, s.view, 0);
    const double x1 = XtoWorld(s.store, s.view, s.view.BitmapWidth);
    const double y1 = YtoWorld(s.store, s.view, s.view.BitmapHeight);
    s.out << FloatToStr(x0) << ' ' << FloatToStr(y0) << ' ' << FloatToStr(x1) << ' ' << FloatToStr(y1) << "\n";
});

ZEMBA_SCRIPT_COMMAND("render", "render OUT.png", 1, 1, [](ScriptSession& s, const ScriptArgs& a) {
    MapRenderer& r = s.Renderer();
    r.DVDORedraw(s.progress);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    QImageWriter w(&buf, "png");
    if (!w.write(r.Image())) throw ScriptError(a[0] + ": " + w.errorString().toStdString());
    Result put = WriteWholeFile(a[0], bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!put) throw ScriptError(put.reason);
});

}  // namespace
}  // namespace zemba
