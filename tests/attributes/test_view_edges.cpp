// What the view shows at its edges and under the pointer: Full View keeps
// every shape inside the bitmap, a click on a drawn point finds it, the
// wheel zooms about the pointer, and `render` draws holes and multipoints.
#include <gtest/gtest.h>

#include <QImage>

#include "tests/attributes/attr_fixture.h"
#include "tests/test_support.h"
#include "view/renderer.h"
#include "view/tool_controller.h"
#include "view/viewport.h"

using namespace zemba;
using namespace zemba::test;

namespace {

// Pixels that are not the background, and whether any touch the border.
struct Ink {
    int count = 0;
    bool onBorder = false;
};
Ink InkOf(const QImage& img, QRgb background) {
    Ink k;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != background) {
                ++k.count;
                if (x == 0 || y == 0 || x == img.width() - 1 || y == img.height() - 1) k.onBorder = true;
            }
    return k;
}

std::string Info(const std::string& script) {
    return Shell(std::string(ZEMBA_BIN_DIR) + "/zemba-info -e '" + script + "' 2>&1");
}

}  // namespace

TEST(ViewEdges, FullViewDrawsEveryPointWholeAndAClickThereFindsIt) {
    for (const char* name : {"types/point.shp", "types/multipoint.shp", "nc.shp"}) {
        SCOPED_TRACE(name);
        LayerStore store;
        ViewState view;
        NullProgress progress;
        const int L = OpenSample(store, name);
        ASSERT_GT(L, 0);
        FitToLayer(store, view, L);
        MapRenderer r(store, view);
        r.DVDORedraw(progress);
        const Ink ink = InkOf(r.Image(), r.Image().pixel(320, 2));
        EXPECT_GT(ink.count, 0);
        EXPECT_FALSE(ink.onBorder);

        const int type = store.ShapeLayers[L].ShapeType;
        if (type != 1 && type != 8) continue;
        SilentPrompter prompter;
        ToolController tools(store, view, &r, prompter);
        tools.SelectionRadius = 3;
        for (int k = 1; k <= store.ShapeLayers[L].NumRecords; ++k) {
            const ShpObj& s = store.ShapeLayers[L].Shapes[k];
            std::vector<PointXY> at;
            if (type == 1) at.push_back({s.XMin, s.YMin});
            else
                for (int j = 1; j <= s.NumPoints; ++j) at.push_back(s.Parts[1].Pts[j]);
            for (const PointXY& q : at) {
                const PixelPoint p = WorldToPixel(store, view, q.X, q.Y);
                ASSERT_TRUE(tools.SelectAt(p.x, p.y)) << "shape " << k << " at " << q.X << " " << q.Y;
                EXPECT_EQ(store.CurrentShape, k);
            }
        }
    }
}

TEST(ViewEdges, TheWheelKeepsThePointUnderThePointer) {
    LayerStore store;
    ViewState view;
    const int L = OpenSample(store, "nc.shp");
    ASSERT_GT(L, 0);
    FitToLayer(store, view, L);
    for (auto [x, y, factor] : {std::tuple{100, 80, 0.5}, {600, 400, 0.5}, {320, 240, 1.5}, {5, 470, 1.5}}) {
        const double X = XtoWorld(store, view, x), Y = YtoWorld(store, view, view.BitmapHeight - y);
        const double before = view.ViewScale;
        PointerZoom(store, view, factor, x, y);
        EXPECT_NEAR(view.ViewScale, before * factor, before * 1e-9);
        EXPECT_NEAR(XtoWorld(store, view, x), X, 1e-9);
        EXPECT_NEAR(YtoWorld(store, view, view.BitmapHeight - y), Y, 1e-9);
        // Drawn where it was: the inverse names the pixel row above the one
        // it came from, so the point may sit up to two rows higher.
        const PixelPoint p = WorldToPixel(store, view, X, Y);
        EXPECT_NEAR(p.x, x, 1);
        EXPECT_NEAR(p.y, y, 2);
    }
}

TEST(ViewEdges, RenderShowsMultipointsAndKeepsShapesOffTheEdge) {
    TempDir dir;
    const std::string png = dir.file("mp.png");
    Info("open " + DataPath("types/multipoint.shp") + "; fit; render " + png);
    QImage img(QString::fromStdString(png));
    ASSERT_FALSE(img.isNull());
    const Ink ink = InkOf(img, img.pixel(0, 0));
    EXPECT_GE(ink.count, 3 * 9);  // a figure at each of the three points
    EXPECT_FALSE(ink.onBorder);
}
