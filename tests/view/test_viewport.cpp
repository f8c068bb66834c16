// World/pixel conversion, zoom, pan and the bitmap size entry.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/test_support.h"
#include "tests/view/view_fixture.h"
#include "view/viewport.h"

namespace zemba {
namespace {

using test::ScriptedPrompter;

struct Viewport : ::testing::Test {
    LayerStore store;
    ViewState view;  // 640 x 480
    void Extent(double x0, double x1, double y0, double y1, double ox = 0, double oy = 0) {
        store.MapXMin = x0, store.MapXMax = x1, store.MapYMin = y0, store.MapYMax = y1;
        store.MapXOffset = ox, store.MapYOffset = oy;
        UpdateViewScale(store, view);
    }
    // World point under the bitmap's centre pixel.
    std::pair<double, double> Centre() const {
        return {XtoWorld(store, view, view.BitmapWidth / 2),
                YtoWorld(store, view, view.BitmapHeight - view.BitmapHeight / 2)};
    }
};

TEST_F(Viewport, WorldToPixelTruncatesAndTheInverseIsOnePixelOffInY) {
    Extent(0, 640, 0, 100);  // width decides: one unit per pixel
    EXPECT_DOUBLE_EQ(view.ViewScale, 1.0);
    PixelPoint p = WorldToPixel(store, view, 10.7, 20.2);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 458);  // Trunc(479 - 20.2)
    EXPECT_DOUBLE_EQ(XtoWorld(store, view, 10), 10.0);
    EXPECT_DOUBLE_EQ(YtoWorld(store, view, view.BitmapHeight - 458), 22.0);
    // Toward zero, not down.
    EXPECT_EQ(WorldToPixel(store, view, -0.5, 0).x, 0);
    EXPECT_EQ(WorldToPixel(store, view, -1.5, 0).x, -1);

    // Offsets are added before scaling.
    Extent(100, 420, 50, 60, -100, -50);  // scale 0.5
    EXPECT_DOUBLE_EQ(view.ViewScale, 0.5);
    p = WorldToPixel(store, view, 150, 60);
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 459);
    EXPECT_DOUBLE_EQ(XtoWorld(store, view, 100), 150.0);
}

TEST_F(Viewport, TheLargerSpanDecidesTheScale) {
    // Wider than tall, but by less than 4:3: scaled by the width, so the top
    // lies above the bitmap.
    Extent(0, 100, 0, 90);
    EXPECT_DOUBLE_EQ(view.ViewScale, 100.0 / 640);
    EXPECT_LT(WorldToPixel(store, view, 0, 90).y, 0);
    Extent(0, 90, 0, 100);
    EXPECT_DOUBLE_EQ(view.ViewScale, 100.0 / 480);
    EXPECT_DOUBLE_EQ(store.MapWidth, 90);
    EXPECT_DOUBLE_EQ(store.MapHeight, 100);
}

TEST_F(Viewport, ZoomInAndOutKeepTheCentreButDoNotUndoEachOther) {
    Extent(0, 640, 0, 480);
    const auto c0 = Centre();
    ZoomIn(store, view);
    EXPECT_DOUBLE_EQ(store.MapWidth, 320);
    EXPECT_DOUBLE_EQ(view.ViewScale, 0.5);
    EXPECT_NEAR(Centre().first, c0.first, 1e-9);
    EXPECT_NEAR(Centre().second, c0.second, 1e-9);
    UpdateViewScale(store, view);  // as the redraw does
    ZoomOut(store, view);
    EXPECT_DOUBLE_EQ(store.MapWidth, 480);  // x0.5 then x1.5
    EXPECT_DOUBLE_EQ(view.ViewScale, 0.75);
    EXPECT_NEAR(Centre().first, c0.first, 1e-9);
    EXPECT_NEAR(Centre().second, c0.second, 1e-9);
}

TEST_F(Viewport, ClickZoomCentresTheClickedPoint) {
    Extent(0, 640, 0, 480);
    const double X = XtoWorld(store, view, 100), Y = YtoWorld(store, view, 480 - 50);
    ClickZoomIn(store, view, 100, 50);
    EXPECT_DOUBLE_EQ(view.ViewScale, 0.5);
    EXPECT_NEAR(Centre().first, X, 1e-9);
    EXPECT_NEAR(Centre().second, Y, 1e-9);
    const double X2 = XtoWorld(store, view, 600), Y2 = YtoWorld(store, view, 480 - 400);
    ClickZoomOut(store, view, 600, 400);
    EXPECT_DOUBLE_EQ(view.ViewScale, 0.75);
    EXPECT_NEAR(Centre().first, X2, 1e-9);
    EXPECT_NEAR(Centre().second, Y2, 1e-9);
}

TEST_F(Viewport, ZoomAreaTakesTheFixedProportionAroundTheVerticalCentre) {
    Extent(0, 640, 0, 480);
    // Corners in any order. Height becomes 160 * 480 / 640 = 120: y 140..260.
    ASSERT_TRUE(ZoomArea(store, view, 260, 300, 100, 100));
    // The extent is stored as world coordinates, in order.
    EXPECT_DOUBLE_EQ(store.MapXMin, 100);
    EXPECT_DOUBLE_EQ(store.MapXMax, 260);
    EXPECT_DOUBLE_EQ(store.MapYMin, 220);  // YtoWorld(480 - 260)
    EXPECT_DOUBLE_EQ(store.MapYMax, 340);  // YtoWorld(480 - 140)
    EXPECT_DOUBLE_EQ(store.MapXOffset, -100);
    EXPECT_DOUBLE_EQ(store.MapYOffset, -220);
    EXPECT_DOUBLE_EQ(view.ViewScale, 0.25);
    // The lower-left corner of the adjusted rectangle is the bottom-left pixel.
    PixelPoint p = WorldToPixel(store, view, 100, 220);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 479);

    // Halves round to even: d = 4 - 3 = 1, y1 = Round(0.5) = 0, y2 = Round(3.5) = 4.
    Extent(0, 640, 0, 480);
    ASSERT_TRUE(ZoomArea(store, view, 0, 0, 4, 4));
    EXPECT_DOUBLE_EQ(store.MapYMax, 480);
    EXPECT_DOUBLE_EQ(store.MapYMin, 476);

    // A click without a drag leaves the view alone.
    Extent(0, 640, 0, 480);
    EXPECT_FALSE(ZoomArea(store, view, 50, 50, 50, 90));
    EXPECT_DOUBLE_EQ(store.MapXMax, 640);
    EXPECT_DOUBLE_EQ(view.ViewScale, 1);
}

TEST_F(Viewport, ZoomsKeepTheCentreWhateverTheOrderOfTheStoredExtent) {
    // After a Zoom Area, and with an extent stored the wrong way round (as
    // older projects may hold it), Zoom In halves and Zoom Out widens the
    // spans around the same centre: they used to run backwards and drift.
    for (bool reversed : {false, true}) {
        Extent(0, 640, 0, 480);
        ASSERT_TRUE(ZoomArea(store, view, 100, 100, 260, 220));
        if (reversed) {
            std::swap(store.MapXMin, store.MapXMax);
            std::swap(store.MapYMin, store.MapYMax);
        }
        const auto c0 = Centre();
        const double w0 = store.MapWidth, s0 = view.ViewScale;
        ZoomIn(store, view);
        EXPECT_DOUBLE_EQ(store.MapWidth, w0 / 2);
        EXPECT_DOUBLE_EQ(view.ViewScale, s0 / 2);
        ZoomIn(store, view);
        EXPECT_DOUBLE_EQ(view.ViewScale, s0 / 4);
        EXPECT_NEAR(Centre().first, c0.first, 1e-9);
        EXPECT_NEAR(Centre().second, c0.second, 1e-9);
        ZoomOut(store, view);
        EXPECT_DOUBLE_EQ(view.ViewScale, s0 * 3 / 8);
        EXPECT_NEAR(Centre().first, c0.first, 1e-9);
        EXPECT_NEAR(Centre().second, c0.second, 1e-9);
        // A click zoom centres the clicked point and shrinks the scale too.
        const double X = XtoWorld(store, view, 10), Y = YtoWorld(store, view, 480 - 20);
        ClickZoomIn(store, view, 10, 20);
        EXPECT_DOUBLE_EQ(view.ViewScale, s0 * 3 / 16);
        EXPECT_NEAR(Centre().first, X, 1e-9);
        EXPECT_NEAR(Centre().second, Y, 1e-9);
        EXPECT_LT(store.MapXMin, store.MapXMax);
    }
}

TEST_F(Viewport, PanMovesTheOffsetsByTheDragInMapUnits) {
    Extent(0, 1280, 0, 100);  // scale 2
    Pan(store, view, 10, 10, 15, 20);
    EXPECT_DOUBLE_EQ(store.MapXOffset, 10);
    EXPECT_DOUBLE_EQ(store.MapYOffset, -20);
    EXPECT_DOUBLE_EQ(store.MapXMax, 1280);  // extent unchanged
    // The point under the press is under the release afterwards (Y is one
    // pixel off by the inverse's definition, so compare pixels).
    Extent(0, 1280, 0, 100);
    const double X = XtoWorld(store, view, 40), Y = YtoWorld(store, view, 480 - 30);
    Pan(store, view, 40, 30, 90, 130);
    const PixelPoint p = WorldToPixel(store, view, X, Y);
    EXPECT_EQ(p.x, 90);
    EXPECT_EQ(p.y, 129);
}

TEST_F(Viewport, FitShowsTheLayerAndASinglePointDoesNotDivideByZero) {
    test::AddLayer(store, 5);
    test::AddShape(store, 1, {test::Square(1000, 2000, 1640, 2480)});
    store.ApplyLayerExtents(1);
    ASSERT_TRUE(FitToLayer(store, view, 1));
    // A few pixels of margin: the corners are drawn inside the bitmap.
    EXPECT_GT(view.ViewScale, 1);
    EXPECT_LT(view.ViewScale, 1.02);
    const PixelPoint lo = WorldToPixel(store, view, 1000, 2000), hi = WorldToPixel(store, view, 1640, 2480);
    EXPECT_GE(lo.x, 2);
    EXPECT_LE(lo.y, 477);
    EXPECT_LE(hi.x, 637);
    EXPECT_GE(hi.y, 0);  // the larger span decides: the height just fits
    EXPECT_FALSE(FitToLayer(store, view, 2));

    LayerStore one;
    ViewState v;
    test::AddLayer(one, 1);
    test::AddPoint(one, 1, 5, 7);
    one.ApplyLayerExtents(1);
    ASSERT_TRUE(FitToLayer(one, v, 1));
    EXPECT_GT(v.ViewScale, 0);
    EXPECT_TRUE(std::isfinite(v.ViewScale));
    const PixelPoint p = WorldToPixel(one, v, 5, 7);
    EXPECT_EQ(p.x, 320);
    EXPECT_EQ(p.y, 239);
    // Zooming a widened extent still works.
    ZoomIn(one, v);
    EXPECT_GT(v.ViewScale, 0);
    EXPECT_NEAR(WorldToPixel(one, v, 5, 7).x, 320, 1);
}

TEST(BitmapSizeEntry, IntegerParserReportsTheFailingPosition) {
    long v = 0;
    EXPECT_EQ(ParseIntPos("640", v), 0);
    EXPECT_EQ(v, 640);
    EXPECT_EQ(ParseIntPos("  -12", v), 0);
    EXPECT_EQ(v, -12);
    EXPECT_EQ(ParseIntPos("$1F", v), 0);
    EXPECT_EQ(v, 31);
    EXPECT_EQ(ParseIntPos("", v), 1);
    EXPECT_EQ(ParseIntPos("12a", v), 3);
    EXPECT_EQ(ParseIntPos("12 ", v), 3);
    EXPECT_EQ(ParseIntPos("-", v), 2);
    EXPECT_EQ(ParseIntPos("99999999999", v), 10);
}

TEST(BitmapSizeEntry, CheckShowsTheNumberMessageOrARangeMessage) {
    ScriptedPrompter pr;
    int w = 0, h = 0;
    EXPECT_FALSE(CheckBitmapSizeEntry("8x0", "600", pr, w, h));
    ASSERT_EQ(pr.shown.size(), 1u);
    EXPECT_EQ(pr.shown[0].family, MsgFamily::ErrorNumber);
    EXPECT_EQ(pr.shown[0].number, 2);
    EXPECT_EQ(pr.shown[0].value, "8x0");
    EXPECT_FALSE(CheckBitmapSizeEntry("800", "0", pr, w, h));
    EXPECT_EQ(pr.shown.size(), 2u);
    EXPECT_EQ(pr.shown[1].number, -1);  // free text: out of range
    EXPECT_TRUE(CheckBitmapSizeEntry("800", "600", pr, w, h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    ViewState view;
    EXPECT_FALSE(SetBitmapSize(view, 0, 600));
    EXPECT_FALSE(SetBitmapSize(view, 800, kMaxBitmapSide + 1));
    EXPECT_EQ(view.BitmapWidth, 640);
}

TEST(PrintPlacementTest, DoubleNormalOrHalfSizeCentred) {
    PixelRect r = PrintPlacement(320, 240, 641, 481);
    EXPECT_EQ(r.width, 640);
    EXPECT_EQ(r.height, 480);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 0);
    r = PrintPlacement(320, 240, 640, 1000);  // 2W not < PW: 1:1
    EXPECT_EQ(r.width, 320);
    EXPECT_EQ(r.x, 160);
    EXPECT_EQ(r.y, 380);
    r = PrintPlacement(2001, 1000, 800, 600);  // half, though it does not fit
    EXPECT_EQ(r.width, 1000);
    EXPECT_EQ(r.height, 500);
    EXPECT_EQ(r.x, -100);
    EXPECT_EQ(r.y, 50);
}

TEST(StatusText, PixelWorldAndOrigin) {
    ViewState view;
    EXPECT_EQ(PixelXYText(view, 12, 400), "   X: 12, Y: 80");
    EXPECT_EQ(WorldXYText(0.1, -78.5), "   X: 0.1, Y: -78.5");
    EXPECT_EQ(FloatToStr(1e20), "1E20");
    EXPECT_EQ(FloatToStr(0.00001), "0.00001");
    EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
    EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(OriginText(1234567.891, -5), "Origin: (1,234,567.89, -5.00)");
    EXPECT_EQ(OriginText(999.999, 0), "Origin: (1,000.00, 0.00)");
}

}  // namespace
}  // namespace zemba
