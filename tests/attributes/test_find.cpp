#include <gtest/gtest.h>

#include "attributes/find.h"
#include "tests/attributes/attr_fixture.h"

using namespace zemba;
using namespace zemba::test;

namespace {

::testing::Environment* const kQtEnv = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

std::vector<int> Shapes(const FindResult& r) {
    std::vector<int> v;
    for (const HitEntry& h : r.Hits) v.push_back(h.Shape);
    return v;
}

}  // namespace

TEST(FindText, CaseSensitiveSubstring) {
    LayerStore store;
    NullProgress g;
    const int L = ValueLayer(store, {"cab", "AB", "abc", "xyz"});
    auto r = FindText(store, L, 0, "ab", g);
    EXPECT_EQ(Shapes(r), (std::vector<int>{1, 3}));
    EXPECT_EQ(r.Hits[0].Layer, L);
    EXPECT_DOUBLE_EQ(r.Box.XMin, 0);
    EXPECT_DOUBLE_EQ(r.Box.XMax, 5);
    EXPECT_TRUE(FindText(store, L, 0, "", g).Hits.empty());
    EXPECT_TRUE(FindText(store, L, 4, "ab", g).Hits.empty());
    EXPECT_EQ(TextFindLabel(store, L, 0), "in selected layer1.shp F Attributes");
    // A shape without values counts as empty text.
    store.ShapeLayers[L].Shapes[4].Values.clear();
    EXPECT_EQ(FindText(store, L, 0, "x", g).Hits.size(), 0u);
}

TEST(FindValue, SevenComparisonsAndLikeAsEquals) {
    LayerStore store;
    NullProgress g;
    const int L = ValueLayer(store, {"1", "2", "3", "x", "2"}, ftInteger);
    auto run = [&](const char* op) {
        CompareOp o;
        EXPECT_TRUE(ParseCompareOp(op, o));
        return Shapes(FindValue(store, L, 0, o, "2", g));
    };
    EXPECT_EQ(run("<"), (std::vector<int>{1}));
    EXPECT_EQ(run("="), (std::vector<int>{2, 5}));
    EXPECT_EQ(run(">"), (std::vector<int>{3}));
    EXPECT_EQ(run(">="), (std::vector<int>{2, 3, 5}));
    EXPECT_EQ(run("<>"), (std::vector<int>{1, 3}));
    EXPECT_EQ(run("<="), (std::vector<int>{1, 2, 5}));
    EXPECT_EQ(run("like"), run("="));
    auto r = FindValue(store, L, 0, CompareOp::NotEqual, "2", g);
    EXPECT_EQ(r.Skipped, 1);
    EXPECT_FALSE(r.Notice.empty());

    const int T = ValueLayer(store, {"a"});
    EXPECT_EQ(FindValue(store, T, 0, CompareOp::Equal, "1", g).ErrorNumber, 4);
    EXPECT_EQ(FindValue(store, L, 0, CompareOp::Equal, "two", g).ErrorNumber, 4);
}

TEST(FindResults, ZoomHighlightAndRows) {
    LayerStore store;
    NullProgress g;
    const int L = ValueLayer(store, {"a", "b", "a"});
    SymLayer& s = store.SymLayers[L];
    s.FillColor = 0x112233;
    s.LineColor = 0x445566;
    store.MapXMin = -100, store.MapXMax = 100;

    // Nothing found: no zoom, no highlight.
    auto none = FindText(store, L, 0, "q", g);
    StoreHits(store, none);
    EXPECT_EQ(FoundText(store.HitCount), "Found 0");
    EXPECT_FALSE(ZoomToFound(store, none.Box));
    EXPECT_FALSE(HighlightFound(store, L, 0x00FFFF));
    EXPECT_EQ(store.MapXMin, -100);
    EXPECT_EQ(s.Visible, 1);

    auto r = FindText(store, L, 0, "a", g);
    StoreHits(store, r);
    EXPECT_EQ(store.HitCount, 2);
    ASSERT_TRUE(ZoomToFound(store, r.Box));
    EXPECT_DOUBLE_EQ(store.MapXMin, 0);
    EXPECT_DOUBLE_EQ(store.MapXMax, 5);
    EXPECT_DOUBLE_EQ(store.MapYMax, 1);
    EXPECT_DOUBLE_EQ(store.MapXOffset, 0);
    EXPECT_DOUBLE_EQ(store.MapYOffset, 0);

    ASSERT_TRUE(HighlightFound(store, L, 0x00FFFF));
    EXPECT_EQ(s.Visible, 5);
    EXPECT_EQ(s.SymObjs[1].BrushColor, 0x00FFFFu);
    EXPECT_EQ(s.SymObjs[3].PenColor, 0x00FFFFu);
    // The shape not found keeps the colours it was drawn in.
    EXPECT_EQ(s.SymObjs[2].BrushColor, 0x112233u);
    EXPECT_EQ(s.SymObjs[2].PenColor, 0x445566u);

    auto rows = ResultRows(store, 0);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].Shape, 3);
    EXPECT_EQ(rows[1].Value, "a");
}

TEST(FindSpatial, PairsNameTheSearchLayer) {
    LayerStore store;
    NullProgress g;
    // Search layer: squares at x = 0, 2, 4 (1 wide). Other layer: one
    // square around the first (0.8 from the second, 2.8 from the third) and
    // a small one 3 units right of the last.
    const int S = ValueLayer(store, {"a", "b", "c"});
    const int O = AddLayer(store, 5);
    AddShape(store, O, {Square(-1, -1, 1.2, 2)});
    AddShape(store, O, {Square(8, 0, 9, 1)});

    auto within = FindSpatial(store, S, {O}, SpatialRelation::Within, 1, g);
    EXPECT_EQ(Shapes(within), (std::vector<int>{1, 2}));
    for (const HitEntry& h : within.Hits) EXPECT_EQ(h.Layer, S);
    EXPECT_EQ(Shapes(FindSpatial(store, S, {O}, SpatialRelation::Within, 0.5, g)), (std::vector<int>{1}));
    EXPECT_EQ(Shapes(FindSpatial(store, S, {O}, SpatialRelation::Within, 3, g)), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Shapes(FindSpatial(store, S, {O}, SpatialRelation::NextTo, 99, g)), (std::vector<int>{1}));
    EXPECT_EQ(Shapes(FindSpatial(store, S, {O}, SpatialRelation::SurroundedBy, 0, g)), (std::vector<int>{1}));
    // A shape is not next to itself, but to its neighbour within reach.
    EXPECT_TRUE(FindSpatial(store, S, {S}, SpatialRelation::NextTo, 0, g).Hits.empty());
    EXPECT_EQ(Shapes(FindSpatial(store, S, {S}, SpatialRelation::Within, 1, g)), (std::vector<int>{1, 2, 3}));

    EXPECT_FALSE(SpatialRelationAvailable(static_cast<int>(SpatialRelation::LargerThen)));
    EXPECT_TRUE(FindSpatial(store, S, {O}, SpatialRelation::LargerThen, 3, g).Hits.empty());
    EXPECT_TRUE(DistanceUnitAvailable(0));
    EXPECT_FALSE(DistanceUnitAvailable(1));
}
