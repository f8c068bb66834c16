// DVDORedraw and the drawing on the map bitmap, on small hand-made layers
// and on the North Carolina sample.
#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>

#include "core/shp_reader.h"
#include "tests/test_support.h"
#include "tests/view/view_fixture.h"
#include "view/renderer.h"

namespace zemba {
namespace {

using namespace zemba::test;

::testing::Environment* const kQtEnv = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

constexpr COLORREF kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF,
                   kBlack = 0x000000;

struct Redraw : ::testing::Test {
    LayerStore store;
    ViewState view;
    NullProgress progress;
    MapRenderer r{store, view};
    void SetUp() override { UnitView(store, view); }
    QRgb At(int x, int y) const { return r.Image().pixel(x, y); }
    // Pixel of world (x, y) in the unit view.
    QRgb AtWorld(double x, double y) const {
        return r.Image().pixel(static_cast<int>(x), static_cast<int>(99 - y));
    }
    void Style(int layer, COLORREF line, COLORREF fill, int shapeStyle = 0, int lineStyle = 0) {
        SymLayer& s = store.SymLayers[layer];
        s.LineColor = line;
        s.FillColor = fill;
        s.ShapeStyle = shapeStyle;
        s.LineStyle = lineStyle;
    }
};

TEST_F(Redraw, PolygonsFillInsideAndLeaveTheBackgroundOutside) {
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(20, 20, 80, 80)});
    Style(L, kBlack, kRed);
    r.DVDORedraw(progress);
    ASSERT_EQ(r.Image().size(), QSize(100, 100));
    EXPECT_EQ(AtWorld(50, 50), Rgb(kRed));
    EXPECT_EQ(AtWorld(10, 10), Rgb(kWhite));
    EXPECT_EQ(AtWorld(20, 50), Rgb(kBlack));  // outline
    EXPECT_EQ(AtWorld(90, 50), Rgb(kWhite));
}

TEST_F(Redraw, MultipointLayersDrawEveryPoint) {
    const int L = AddLayer(store, 8);
    ShpObj m;
    m.ShapeType = 8;
    m.NumPoints = 3;
    m.NumParts = 1;
    m.PartSizes = {0, 3};
    m.Parts.resize(2);
    m.Parts[1].Pts = {{0, 0}, {20, 20}, {50, 70}, {80, 30}};
    m.XMin = 20, m.YMin = 20, m.XMax = 80, m.YMax = 70;
    test::Grow(store, L, m);
    Style(L, kBlue, kBlue, 0);
    r.DVDORedraw(progress);
    for (auto [x, y] : {std::pair{20, 20}, {50, 70}, {80, 30}}) {
        int ink = 0;
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy) ink += AtWorld(x + dx, y + dy) != Rgb(kWhite);
        EXPECT_GT(ink, 4) << x << "," << y;
    }
    EXPECT_EQ(AtWorld(50, 50), Rgb(kWhite));
}

TEST_F(Redraw, HolesShowWhatIsBelowAndLaterLayersLieOnTop) {
    // A donut with an island in its hole: rings of one polygon fill even-odd.
    const int A = AddLayer(store, 5);
    AddShape(store, A, {Square(10, 10, 90, 90), Square(30, 30, 70, 70), Square(45, 45, 55, 55)});
    Style(A, kBlack, kRed);
    r.DVDORedraw(progress);
    EXPECT_EQ(AtWorld(20, 50), Rgb(kRed));    // the ring
    EXPECT_EQ(AtWorld(37, 50), Rgb(kWhite));  // the hole
    EXPECT_EQ(AtWorld(50, 50), Rgb(kRed));    // the island
    EXPECT_EQ(AtWorld(30, 40), Rgb(kBlack));  // every ring is outlined
    EXPECT_EQ(AtWorld(45, 50), Rgb(kBlack));
    // The connecting segments between rings draw nothing.
    EXPECT_EQ(AtWorld(25, 25), Rgb(kRed));
    EXPECT_EQ(AtWorld(40, 40), Rgb(kWhite));
    Style(A, kRed, kRed);

    const int B = AddLayer(store, 5);
    AddShape(store, B, {Square(30, 30, 70, 70)});
    Style(B, kBlue, kBlue);
    r.DVDORedraw(progress);
    EXPECT_EQ(AtWorld(50, 50), Rgb(kBlue));
    store.LayerOrder = {B, A};
    r.DVDORedraw(progress);
    EXPECT_EQ(AtWorld(50, 50), Rgb(kRed));   // the island
    EXPECT_EQ(AtWorld(35, 50), Rgb(kBlue));  // seen through the hole
    store.SymLayers[A].Visible = 0;
    r.DVDORedraw(progress);
    EXPECT_EQ(AtWorld(50, 50), Rgb(kBlue));
    EXPECT_EQ(AtWorld(20, 20), Rgb(kWhite));
}

TEST_F(Redraw, ObjectStylesWhenVisibleIsNotOne) {
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(10, 10, 40, 40)});
    AddShape(store, L, {Square(60, 60, 90, 90)});
    Style(L, kBlack, kRed);
    SymObj& a = store.SymLayers[L].SymObjs[1];
    a.BrushColor = kGreen, a.PenColor = kGreen, a.BrushStyle = 0, a.PenStyle = 0;
    SymObj& b = store.SymLayers[L].SymObjs[2];
    b.BrushColor = kBlue, b.PenColor = kBlue, b.BrushStyle = 7, b.PenStyle = 0;
    r.DVDORedraw(progress);
    EXPECT_EQ(AtWorld(25, 25), Rgb(kRed));
    EXPECT_EQ(AtWorld(75, 75), Rgb(kRed));
    store.SymLayers[L].Visible = 5;
    r.DVDORedraw(progress);
    EXPECT_EQ(AtWorld(25, 25), Rgb(kGreen));
    EXPECT_EQ(AtWorld(75, 75), Rgb(kWhite));  // transparent fill
    EXPECT_EQ(AtWorld(60, 75), Rgb(kBlue));   // its outline
}

TEST_F(Redraw, FillStyles) {
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(10, 10, 90, 90)});
    const QRect inside(20, 20, 60, 60);  // pixels well inside the ring
    auto fillFraction = [&](int style) {
        Style(L, kBlack, kRed, style, 5);
        r.DVDORedraw(progress);
        return CountColour(r.Image(), kRed, inside) / double(inside.width() * inside.height());
    };
    EXPECT_DOUBLE_EQ(fillFraction(0), 1.0);
    EXPECT_DOUBLE_EQ(fillFraction(7), 0.0);
    for (int s = 1; s <= 6; ++s) {
        const double f = fillFraction(s);
        EXPECT_GT(f, 0.05) << s;
        EXPECT_LT(f, 0.5) << s;
    }
    const QImage& img = r.Image();
    auto rowFull = [&](int y) { return CountColour(img, kRed, QRect(20, y, 60, 1)) == 60; };
    auto colFull = [&](int x) { return CountColour(img, kRed, QRect(x, 20, 1, 60)) == 60; };
    auto lines = [&](auto full) {
        int n = 0;
        for (int k = 20; k < 80; ++k) n += full(k);
        return n;
    };
    fillFraction(1);
    EXPECT_GE(lines(rowFull), 5);
    EXPECT_EQ(lines(colFull), 0);
    fillFraction(2);
    EXPECT_GE(lines(colFull), 5);
    EXPECT_EQ(lines(rowFull), 0);
    // 3 rises to the right, 4 falls to the right.
    auto slope = [&](int style) {
        fillFraction(style);
        int up = 0, down = 0;
        for (int y = 21; y < 79; ++y)
            for (int x = 21; x < 79; ++x)
                if (img.pixel(x, y) == Rgb(kRed)) {
                    up += img.pixel(x + 1, y - 1) == Rgb(kRed);
                    down += img.pixel(x + 1, y + 1) == Rgb(kRed);
                }
        return up - down;
    };
    EXPECT_GT(slope(3), 0);
    EXPECT_LT(slope(4), 0);
    // An unlisted index leaves the brush as the previous layer left it.
    Style(L, kBlack, kRed, 2, 5);
    const int M = AddLayer(store, 5);
    AddShape(store, M, {Square(0, 0, 5, 5)});
    Style(M, kBlack, kBlue, -1, 5);
    store.LayerOrder = {L, M};
    r.DVDORedraw(progress);
    EXPECT_EQ(r.Brush().style(), Qt::VerPattern);
}

TEST_F(Redraw, PenStylesAndTheUnlistedLineStyle) {
    const int L = AddLayer(store, 3);
    AddShape(store, L, {Ring{{10, 50}, {90, 50}}});
    auto onLine = [&](int style) {
        Style(L, kRed, kRed, 0, style);
        r.DVDORedraw(progress);
        return CountColour(r.Image(), kRed, QRect(10, 49, 80, 1));
    };
    const int solid = onLine(0);
    EXPECT_GE(solid, 79);
    for (int s = 1; s <= 4; ++s) {
        EXPECT_LT(onLine(s), solid) << s;
        EXPECT_GT(onLine(s), 10) << s;
    }
    EXPECT_EQ(onLine(5), 0);
    // -1 (every sixth layer) draws solid, whatever the layer before used.
    const int M = AddLayer(store, 3);
    AddShape(store, M, {Ring{{10, 30}, {90, 30}}});
    Style(L, kBlue, kBlue, 0, 1);
    Style(M, kRed, kRed, 0, -1);
    r.DVDORedraw(progress);
    EXPECT_GE(CountColour(r.Image(), kRed, QRect(10, 69, 80, 1)), 79);
    // Width from the layer.
    store.SymLayers[M].LineWidth = 5;
    r.DVDORedraw(progress);
    EXPECT_EQ(AtWorld(50, 32), Rgb(kRed));
    EXPECT_EQ(AtWorld(50, 28), Rgb(kRed));
}

TEST_F(Redraw, PointFigures) {
    const int L = AddLayer(store, 1);
    AddPoint(store, L, 50, 49);  // pixel (50, 50)
    auto draw = [&](int figure) {
        Style(L, kBlack, kRed, figure);
        r.DVDORedraw(progress);
        return r.Image().copy(45, 45, 11, 11);
    };
    auto px = [](const QImage& img, int dx, int dy) { return img.pixel(5 + dx, 5 + dy); };

    QImage box = draw(0);
    EXPECT_EQ(px(box, -2, -2), Rgb(kBlack));
    EXPECT_EQ(px(box, 2, 0), Rgb(kBlack));
    EXPECT_EQ(px(box, 0, 0), Rgb(kRed));
    EXPECT_EQ(px(box, 3, 0), Rgb(kWhite));

    QImage circle = draw(1);
    EXPECT_NE(px(circle, -2, -2), Rgb(kBlack));  // rounded corners
    EXPECT_EQ(px(circle, 0, -2), Rgb(kBlack));

    QImage tri = draw(2);
    EXPECT_EQ(px(tri, -2, -2), Rgb(kBlack));
    EXPECT_EQ(px(tri, 2, -2), Rgb(kBlack));
    EXPECT_EQ(px(tri, 0, 2), Rgb(kBlack));
    EXPECT_EQ(px(tri, -2, 2), Rgb(kWhite));

    QImage dot = draw(3);
    EXPECT_NE(px(dot, 0, 0), Rgb(kWhite));
    EXPECT_EQ(px(dot, 2, 0), Rgb(kWhite));
    EXPECT_EQ(px(dot, -2, -2), Rgb(kWhite));

    // Dot Circle: a ring in the line colour around a dot in the fill colour.
    store.SymLayers[L].LineColor = kBlue;
    Style(L, kBlue, kRed, 4);
    r.DVDORedraw(progress);
    QImage dc = r.Image().copy(45, 45, 11, 11);
    EXPECT_EQ(px(dc, 0, -2), Rgb(kBlue));
    EXPECT_EQ(px(dc, 0, 0), Rgb(kRed));

    QImage xbox = draw(5);
    EXPECT_EQ(px(xbox, -1, -1), Rgb(kBlack));
    EXPECT_EQ(px(xbox, 1, -1), Rgb(kBlack));
    EXPECT_EQ(px(xbox, -2, 0), Rgb(kBlack));

    // An unlisted style keeps the figure of the previous layer.
    Style(L, kBlack, kRed, 2);
    const int M = AddLayer(store, 1);
    AddPoint(store, M, 20, 20);
    Style(M, kBlack, kRed, -1);
    r.DVDORedraw(progress);
    EXPECT_EQ(view.DrawFigure, 2);
}

TEST_F(Redraw, PointObjectStylesUseTheBrushStyleAsFigure) {
    const int L = AddLayer(store, 1);
    AddPoint(store, L, 30, 49);
    AddPoint(store, L, 70, 49);
    store.SymLayers[L].Visible = 5;
    SymObj& a = store.SymLayers[L].SymObjs[1];
    a.BrushStyle = 0, a.PenColor = kBlue, a.BrushColor = kBlue;  // box
    SymObj& b = store.SymLayers[L].SymObjs[2];
    b.BrushStyle = 3, b.PenColor = kGreen, b.BrushColor = kGreen;  // dot
    r.DVDORedraw(progress);
    EXPECT_EQ(At(28, 48), Rgb(kBlue));
    EXPECT_EQ(At(32, 52), Rgb(kBlue));
    EXPECT_GT(CountColour(r.Image(), kGreen, QRect(69, 49, 3, 3)), 0);
    EXPECT_EQ(At(68, 48), Rgb(kWhite));
}

TEST_F(Redraw, NullAndDeletedShapesDrawNothing) {
    const int P = AddLayer(store, 1);
    AddPoint(store, P, 0, 0);  // a null record keeps a zero box
    store.ShapeLayers[P].NullShape = {0, 1};
    Style(P, kRed, kRed, 0);
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(20, 20, 80, 80)});
    ShpObj& s = store.ShapeLayers[L].Shapes[1];
    s.NumParts = 0, s.NumPoints = 0, s.Parts.clear(), s.PartSizes.clear();
    Style(L, kRed, kRed);
    r.DVDORedraw(progress);
    EXPECT_EQ(CountColour(r.Image(), kRed), 0);
    // Counts that disagree with the arrays are not trusted past their end.
    ShpObj& t = store.ShapeLayers[L].Shapes[1];
    t.NumParts = 3;
    t.PartSizes = {0, 50};
    t.Parts.resize(2);
    t.Parts[1].Pts.resize(3);
    t.Parts[1].Pts[1] = {10, 10};
    t.Parts[1].Pts[2] = {90, 90};
    store.ShapeLayers[L].NumRecords = 7;
    r.DVDORedraw(progress);
    EXPECT_GT(CountColour(r.Image(), kRed), 0);
}

TEST_F(Redraw, MixedLayersDrawEachShapeByItsOwnTypeInItsOwnStyle) {
    const int L = AddLayer(store, 9);
    AddShape(store, L, {Square(10, 10, 40, 40)}, 5);
    AddShape(store, L, {Square(60, 60, 90, 90)}, 3);
    AddPoint(store, L, 50, 10);
    store.ShapeLayers[L].Shapes[3].ShapeType = 1;
    auto& o = store.SymLayers[L].SymObjs;
    o[1].BrushColor = kGreen, o[1].PenColor = kGreen;
    o[2].BrushColor = kBlue, o[2].PenColor = kBlue;
    o[3].BrushColor = kRed, o[3].PenColor = kRed;
    r.DVDORedraw(progress);  // Visible 1: still the shapes' own styles
    EXPECT_EQ(AtWorld(25, 25), Rgb(kGreen));
    EXPECT_EQ(AtWorld(75, 75), Rgb(kWhite));  // a line: not filled
    EXPECT_EQ(AtWorld(60, 75), Rgb(kBlue));
    EXPECT_EQ(AtWorld(50, 10), Rgb(kRed));
}

TEST_F(Redraw, LabelsAreDrawnInTheLayersEncoding) {
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(10, 10, 30, 30)});
    Style(L, kWhite, kWhite, 7, 5);
    SymLayer& sl = store.SymLayers[L];
    sl.Labeled = 1;
    SymObj& o = sl.SymObjs[1];
    o.LabelFont = std::make_shared<FontDesc>();
    o.LabelFont->Color = kRed;
    o.LabelFont->PointSize = 14;
    // "Côte" from a UTF-8 table with its .cpg and from a Latin-1 one look alike;
    // the UTF-8 bytes read as Latin-1 ("CÃ´te") would be wider.
    store.ShapeLayers[L].CodePage = "UTF-8";
    o.LabelText = "C\xc3\xb4te";
    r.DVDORedraw(progress);
    const QImage utf8 = r.Image().copy();
    store.ShapeLayers[L].CodePage.clear();
    o.LabelText = "C\xf4te";
    r.DVDORedraw(progress);
    EXPECT_EQ(r.Image(), utf8);
    o.LabelText = "C\xc3\xb4te";
    r.DVDORedraw(progress);
    EXPECT_NE(r.Image(), utf8);
}

TEST_F(Redraw, LabelsOnOpaqueOrTransparentBackgroundsFollowTheirShapes) {
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(10, 10, 30, 30)});
    Style(L, kWhite, kWhite, 7, 5);  // nothing but the label shows
    SymLayer& sl = store.SymLayers[L];
    sl.Labeled = 1;
    sl.LabelBackColor = kBlue;
    SymObj& o = sl.SymObjs[1];
    o.LabelText = "WW";
    o.LabelBackgrounded = 1;
    o.LabelFont = std::make_shared<FontDesc>();
    o.LabelFont->Color = kRed;
    o.LabelFont->PointSize = 12;
    r.DVDORedraw(progress);
    EXPECT_DOUBLE_EQ(o.LabelX, 20);
    EXPECT_DOUBLE_EQ(o.LabelY, 20);
    EXPECT_EQ(o.LabelPlaced, 0);
    // Top-left corner at the pixel of the box centre (20, 79).
    EXPECT_EQ(At(21, 80), Rgb(kBlue));
    EXPECT_EQ(At(19, 78), Rgb(kWhite));
    const int opaqueRed = CountColour(r.Image(), kRed);
    EXPECT_GT(opaqueRed, 5);
    EXPECT_GT(CountColour(r.Image(), kBlue), 20);

    o.LabelBackgrounded = 0;
    r.DVDORedraw(progress);
    EXPECT_EQ(CountColour(r.Image(), kBlue), 0);
    EXPECT_GT(CountColour(r.Image(), kRed), 5);

    // Rotated by the font's escapement: the text runs upward.
    auto extent = [&](bool vertical) {
        int lo = 1000, hi = -1;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                if (r.Image().pixel(x, y) == Rgb(kRed)) {
                    const int v = vertical ? y : x;
                    lo = std::min(lo, v), hi = std::max(hi, v);
                }
        return hi - lo;
    };
    const int wide = extent(false), tall = extent(true);
    EXPECT_GT(wide, tall);
    o.LabelFont->Escapement = 900;
    r.DVDORedraw(progress);
    EXPECT_GT(extent(true), extent(false));
    for (int y = 80; y < 100; ++y)
        EXPECT_NE(r.Image().pixel(25, y), Rgb(kRed));  // drawn above its anchor

    // A shape without its own font labels with the layer's; a placed label
    // stays where it was put.
    o.LabelFont.reset();
    o.LabelPlaced = 1;
    o.LabelX = 60, o.LabelY = 60;
    sl.LabelFont = std::make_shared<FontDesc>();
    sl.LabelFont->Color = kGreen;
    r.DVDORedraw(progress);
    EXPECT_LT(CountColour(r.Image(), kWhite, QRect(60, 39, 30, 20)), 600 - 10);
    EXPECT_DOUBLE_EQ(o.LabelX, 60);
}

TEST_F(Redraw, ALaterShapeNeverCoversAnEarlierShapesLabel) {
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(10, 10, 30, 30)});
    AddShape(store, L, {Square(0, 0, 90, 90)});  // drawn after, over the first
    Style(L, kBlack, kBlack, 0, 0);
    SymLayer& sl = store.SymLayers[L];
    sl.Labeled = 1;
    sl.LabelBackColor = kBlue;
    SymObj& o = sl.SymObjs[1];
    o.LabelText = "WW";
    o.LabelBackgrounded = 1;
    o.LabelFont = std::make_shared<FontDesc>();
    o.LabelFont->Color = kRed;
    o.LabelFont->PointSize = 12;
    r.DVDORedraw(progress);
    EXPECT_EQ(At(21, 80), Rgb(kBlue));
    EXPECT_GT(CountColour(r.Image(), kRed), 5);
    // A deleted shape keeps no label.
    store.ShapeLayers[L].NullShape.assign(3, 0);
    store.ShapeLayers[L].NullShape[1] = 1;
    r.DVDORedraw(progress);
    EXPECT_EQ(CountColour(r.Image(), kBlue), 0);
}

TEST_F(Redraw, BackgroundImageOrTheBackgroundColourInTheClientRectangle) {
    view.BackgroundColor = kGreen;
    view.ClientWidth = 50, view.ClientHeight = 200;
    for (int depth : {24, 32}) {
        r.SetPixelDepth(depth);
        r.DVDORedraw(progress);
        EXPECT_EQ(At(10, 10), Rgb(kGreen)) << depth;
        EXPECT_EQ(At(80, 10), Rgb(kWhite)) << depth;
    }

    QImage base(2, 2, QImage::Format_RGB32);
    base.fill(Qt::blue);
    base.setPixel(1, 1, qRgb(255, 0, 0));
    r.SetBaseImage(base);
    r.DVDORedraw(progress);
    EXPECT_EQ(At(80, 10), Rgb(kWhite));  // not loaded: the picture is ignored
    store.BaseImageLoaded = true;
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(40, 40, 60, 60)});
    Style(L, kBlack, kBlack);
    r.DVDORedraw(progress);
    EXPECT_EQ(At(10, 10), qRgb(0, 0, 255));   // stretched over the whole bitmap
    EXPECT_EQ(At(90, 90), qRgb(255, 0, 0));
    EXPECT_EQ(AtWorld(50, 50), Rgb(kBlack));  // layers on top
}

TEST_F(Redraw, ASinglePointLayerIsDrawnAtTheCentre) {
    const int L = AddLayer(store, 1);
    AddPoint(store, L, 1234.5, -77.25);
    Style(L, kRed, kRed, 0);
    store.ApplyLayerExtents(L);
    store.MapXOffset = store.ShapeLayers[L].XShift;
    store.MapYOffset = store.ShapeLayers[L].YShift;
    r.DVDORedraw(progress);
    EXPECT_GT(view.ViewScale, 0);
    EXPECT_TRUE(std::isfinite(view.ViewScale));
    EXPECT_EQ(At(50, 49), Rgb(kRed));
    EXPECT_EQ(CountColour(r.Image(), kRed), 25);
}

TEST_F(Redraw, ProgressRunsPerShapeAndNestedRedrawsAndStoreChangesRestart) {
    const int L = AddLayer(store, 5);
    for (int k = 0; k < 10; ++k) AddShape(store, L, {Square(k * 10, 0, k * 10 + 8, 8)});
    Style(L, kRed, kRed);

    struct Recorder : Progress {
        std::function<void()> onPump;
        std::vector<long long> positions;
        int pumps = 0;
        void SetMessage(const std::string&) override {}
        void SetRange(long long, long long) override {}
        void SetPosition(long long p) override { positions.push_back(p); }
        void Pump() override {
            ++pumps;
            if (onPump) onPump();
        }
    } rec;
    r.DVDORedraw(rec);
    EXPECT_EQ(rec.pumps, 10);
    ASSERT_GE(rec.positions.size(), 3u);
    EXPECT_EQ(rec.positions[1], 10);
    EXPECT_EQ(rec.positions[rec.positions.size() - 2], 100);
    EXPECT_EQ(rec.positions.back(), 0);

    // A handler that redraws in the middle, and one that adds shapes.
    int nested = 0;
    rec.onPump = [&] {
        if (nested++ == 3) r.DVDORedraw(rec);
        if (nested == 5) {
            AddShape(store, L, {Square(50, 50, 90, 90)});
            r.DVDORedraw(rec);
        }
    };
    r.DVDORedraw(rec);
    rec.onPump = nullptr;
    EXPECT_EQ(AtWorld(95, 5), Rgb(kRed));  // the last small square
    EXPECT_EQ(AtWorld(70, 70), Rgb(kRed));  // the shape added mid-redraw
}

TEST_F(Redraw, RubberBandInvertsAndRestores) {
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(20, 20, 80, 80)});
    Style(L, kBlack, kRed);
    for (int depth : {24, 32}) {
        SCOPED_TRACE(depth);
        r.SetPixelDepth(depth);
        r.DVDORedraw(progress);
        const QImage before = r.Image().copy();
        r.StartRubberBand(kFigureRubberRect, QPoint(10, 10));
        EXPECT_TRUE(view.RubberBandActive);
        r.MoveRubberBand(QPoint(60, 70));
        EXPECT_NE(r.Image(), before);
        EXPECT_EQ(At(30, 10), qRgb(0, 0, 0));                 // white inverted
        EXPECT_EQ(At(60, 40), qRgb(0, 255, 255));             // red inverted
        EXPECT_EQ(At(40, 40), Rgb(kRed));                      // inside untouched
        r.MoveRubberBand(QPoint(90, 30));
        r.EndRubberBand();
        EXPECT_EQ(r.Image(), before);
        EXPECT_FALSE(view.RubberBandActive);
        EXPECT_EQ(view.DrawFigure, kFigureRubberLine);

        r.StartRubberBand(kFigureRubberLine, QPoint(5, 5));
        r.MoveRubberBand(QPoint(95, 95));
        EXPECT_EQ(At(50, 50), qRgb(0, 255, 255));
        r.EndRubberBand();
        EXPECT_EQ(r.Image(), before);
        EXPECT_EQ(r.Image().depth(), depth);
    }
}

TEST_F(Redraw, SelectionHighlightAndTheWorkingCopy) {
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(10, 10, 40, 40)});
    AddShape(store, L, {Square(60, 60, 90, 90), Square(65, 10, 90, 30)});
    Style(L, kBlack, kRed);
    view.HighlightColor = kGreen;
    r.DVDORedraw(progress);

    r.DisplayGraphicShape(L, 1, 0, false);
    EXPECT_EQ(store.CurrentLayer, L);
    EXPECT_EQ(store.CurrentShape, 1);
    EXPECT_EQ(AtWorld(25, 25), Rgb(kGreen));
    const ShpObj& copy = store.ShapeLayers[L].Shapes[0];
    EXPECT_EQ(copy.RecNum, 1);
    EXPECT_EQ(copy.ShapeType, 5);
    EXPECT_EQ(copy.NumParts, 1);
    EXPECT_DOUBLE_EQ(copy.XMax, 40);

    // Selecting part 2 of the other shape puts the first back in its style.
    r.DisplayGraphicShape(L, 2, 2, true);
    EXPECT_EQ(AtWorld(25, 25), Rgb(kRed));
    EXPECT_EQ(AtWorld(75, 20), Rgb(kGreen));
    EXPECT_EQ(AtWorld(75, 75), Rgb(kRed));  // only the named part
    EXPECT_EQ(store.CurrentPart, 2);
    EXPECT_EQ(store.ShapeLayers[L].Shapes[0].RecNum, 2);
    EXPECT_EQ(store.ShapeLayers[L].Shapes[0].Parts.size(), 3u);

    r.DisplayGraphicShape(L, 99, 0, true);  // no such shape: nothing happens
    EXPECT_EQ(store.CurrentShape, 2);
    r.DVDORedraw(progress);
    EXPECT_EQ(AtWorld(75, 20), Rgb(kRed));
}

TEST_F(Redraw, NorthCarolinaLiesInsideItsOutline) {
    store.AppendLayerSlot();
    store.LayerFileName = DataPath("nc.shp");
    SilentPrompter prompter;
    ASSERT_TRUE(ReadShapefile(store, prompter, progress).ok);
    SetBitmapSize(view, 640, 480);
    ASSERT_TRUE(FitToLayer(store, view, 1));
    const SymLayer& s = store.SymLayers[1];
    r.DVDORedraw(progress);
    const QImage& img = r.Image();
    auto near = [&](double lon, double lat, COLORREF c) {
        const PixelPoint p = WorldToPixel(store, view, lon, lat);
        return CountColour(img, c, QRect(p.x - 1, p.y - 1, 3, 3)) > 0;
    };
    EXPECT_TRUE(near(-78.64, 35.78, s.FillColor));   // Raleigh
    EXPECT_TRUE(near(-80.84, 35.23, s.FillColor));   // Charlotte
    EXPECT_TRUE(near(-82.55, 35.60, s.FillColor));   // Asheville
    const PixelPoint sc = WorldToPixel(store, view, -80.0, 34.0);  // South Carolina
    EXPECT_EQ(img.pixel(sc.x, sc.y), Rgb(kWhite));
    const PixelPoint va = WorldToPixel(store, view, -78.0, 37.5);  // Virginia
    EXPECT_EQ(img.pixel(va.x, va.y), Rgb(kWhite));
    EXPECT_GT(CountColour(img, s.FillColor), 640 * 480 / 10);
    EXPECT_GT(CountColour(img, s.LineColor), 1000);

    // The same picture as every vertex drawn with plain QPainter calls, also
    // zoomed in with most counties off the bitmap.
    for (int zoom = 0; zoom < 2; ++zoom) {
        if (zoom == 1) {
            for (int k = 0; k < 3; ++k) {
                ZoomIn(store, view);
                r.DVDORedraw(progress);
            }
        }
        QImage plain(view.BitmapWidth, view.BitmapHeight, QImage::Format_RGB32);
        plain.fill(Qt::white);
        QPainter p(&plain);
        p.setPen(QPen(ColorFromRef(s.LineColor), 1));
        p.setBrush(ColorFromRef(s.FillColor));
        const ShpLayer& l = store.ShapeLayers[1];
        for (int i = 1; i <= l.NumRecords; ++i)
            for (int k = 1; k <= l.Shapes[i].NumParts; ++k) {
                QPolygon poly;
                for (int j = 1; j <= l.Shapes[i].PartSizes[k]; ++j) {
                    const PointXY& v = l.Shapes[i].Parts[k].Pts[j];
                    const PixelPoint px = WorldToPixel(store, view, v.X, v.Y);
                    poly << QPoint(px.x, px.y);
                }
                p.drawPolygon(poly);
            }
        p.end();
        EXPECT_TRUE(plain == r.Image()) << "zoom " << zoom;
    }
}

}  // namespace
}  // namespace zemba
