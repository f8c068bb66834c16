#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "attributes/classify.h"
#include "attributes/values.h"
#include "core/attributes.h"
#include "core/file_io.h"
#include "tests/attributes/attr_fixture.h"

using namespace zemba;
using namespace zemba::test;

namespace {

::testing::Environment* const kQtEnv = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

std::vector<std::string> Numbers(int from, int to) {
    std::vector<std::string> v;
    for (int k = from; k <= to; ++k) v.push_back(std::to_string(k));
    return v;
}

}  // namespace

TEST(ColorRamp, RunsSteadilyTowardWhiteWithoutWrapping) {
    const auto r = ColorRamp(0x00FF00, 5);
    ASSERT_EQ(r.size(), 6u);
    const COLORREF want[] = {0x00FF00, 0x33FF33, 0x66FF66, 0x99FF99, 0xCCFFCC};
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(r[i], want[i - 1]) << i;
    // Every channel rises with the class for any start colour and count.
    for (COLORREF start : {0x000000u, 0x123456u, 0xFFFFFFu, 0x0000FFu})
        for (int n : {5, 7, 9, 11}) {
            const auto q = ColorRamp(start, n);
            for (int i = 2; i <= n; ++i)
                for (int sh : {0, 8, 16}) EXPECT_GE((q[i] >> sh) & 0xFF, (q[i - 1] >> sh) & 0xFF);
        }
}

TEST(ColorRamp, InvertReversesTheRampSetClassesUses) {
    LayerStore store;
    const int L = ValueLayer(store, Numbers(1, 5), ftInteger);
    ClassifySession s(store);
    s.Init(0x00FF00);
    EXPECT_EQ(s.RampStart(), 0x00FF00u);
    EXPECT_EQ(s.RampFinish(), 0xCCFFCCu);
    s.InvertRamp();
    EXPECT_EQ(s.RampStart(), 0xCCFFCCu);
    EXPECT_EQ(s.RampFinish(), 0x00FF00u);
    NullProgress g;
    ASSERT_TRUE(s.DoSetClasses(g).Ok);
    EXPECT_EQ(store.SymLayers[L].SymObjs[1].BrushColor, 0xCCFFCCu);
    EXPECT_EQ(store.SymLayers[L].SymObjs[5].BrushColor, 0x00FF00u);
}

TEST(DistinctValues, CaseKeepsValuesApartAndNumbersSortByValue) {
    LayerStore store;
    const int A = ValueLayer(store, {"abc", "ABC", "abc", "b", "Abc"});
    auto d = DistinctValues(store, A, 0);
    EXPECT_EQ(d.Values, (std::vector<std::string>{"ABC", "Abc", "abc", "b"}));
    const int N = ValueLayer(store, {"10", "9", "100", "x", "9", ""}, ftInteger);
    d = DistinctValues(store, N, 0);
    EXPECT_EQ(d.Values, (std::vector<std::string>{"9", "10", "100"}));
    EXPECT_EQ(d.Skipped, 2);
    // A field index the layer does not have gives nothing.
    EXPECT_TRUE(DistinctValues(store, N, 3).Values.empty());
    EXPECT_TRUE(DistinctValues(store, 9, 0).Values.empty());
}

TEST(SetValues, EachValueItsPaletteColourAndTheLongListNotice) {
    LayerStore store;
    NullProgress g;
    const int L = ValueLayer(store, {"b", "a", "b", "c"});
    auto r = SetValues(store, L, 0, ClassStyleMode::Color, g);
    ASSERT_TRUE(r.Ok);
    EXPECT_EQ(r.Values, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(r.Counts, (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(store.SymLayers[L].SymObjs[1].BrushColor, palette(1));
    EXPECT_EQ(store.SymLayers[L].SymObjs[2].PenColor, palette(0));
    EXPECT_EQ(r.Notice, "");

    const int L101 = ValueLayer(store, Numbers(1, 101), ftInteger);
    EXPECT_EQ(SetValues(store, L101, 0, ClassStyleMode::Color, g).Notice, "");
    const int L102 = ValueLayer(store, Numbers(1, 102), ftInteger);
    r = SetValues(store, L102, 0, ClassStyleMode::Color, g);
    EXPECT_EQ(r.Notice, "last one is 101");
    EXPECT_EQ(store.SymLayers[L102].SymObjs[102].BrushColor, palette(101));
}

TEST(SetValues, SymbolModeStartsWithTheLayerStyle) {
    LayerStore store;
    NullProgress g;
    const int L = ValueLayer(store, {"a", "b"});
    store.SymLayers[L].FillColor = 0x123456;
    store.SymLayers[L].ShapeStyle = 2;
    ASSERT_TRUE(SetValues(store, L, 0, ClassStyleMode::Symbol, g).Ok);
    const SymObj& a = store.SymLayers[L].SymObjs[1];
    const SymObj& b = store.SymLayers[L].SymObjs[2];
    // Colours come from the layer the shapes were drawn in; k = 0 keeps -1.
    EXPECT_EQ(a.BrushColor, 0x123456u);
    EXPECT_EQ(a.BrushStyle, -1);
    EXPECT_EQ(b.BrushStyle, 0);
}

TEST(SetClasses, EqualIntervalsClassTheTopAndAllEqualValues) {
    LayerStore store;
    NullProgress g;
    const int L = ValueLayer(store, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, ftInteger);
    auto ramp = ColorRamp(0x00FF00, 5);
    auto r = SetClasses(store, L, 0, 5, ClassStyleMode::Color, ramp, false, g);
    ASSERT_TRUE(r.Ok);
    EXPECT_EQ(r.Breaks, (std::vector<double>{0, 2, 4, 6, 8, 10}));
    EXPECT_EQ(r.Counts, (std::vector<int>{0, 3, 2, 2, 2, 2}));
    EXPECT_EQ(r.Labels.front(), "0 - 2 (3)");
    EXPECT_EQ(store.SymLayers[L].SymObjs[11].BrushColor, ramp[5]);
    // The layer keeps them as its files mean them: offsets from the minimum.
    EXPECT_EQ(store.SymLayers[L].ClassBreaks, (std::vector<double>{0, 2, 4, 6, 8, 10}));
    EXPECT_EQ(store.SymLayers[L].NumClasses, 5);

    const int E = ValueLayer(store, {"7", "7", "7"}, ftInteger);
    r = SetClasses(store, E, 0, 5, ClassStyleMode::Color, ramp, false, g);
    ASSERT_TRUE(r.Ok);
    EXPECT_EQ(r.Counts[1], 3);
}

TEST(SetClasses, SideFileHoldsOffsetsFromTheMinimumAndKeepsThemWhenRead) {
    LayerStore store;
    NullProgress g;
    const int L = OpenSample(store, "nc.shp");
    ASSERT_GT(L, 0);
    // BIR74 runs from 248 to 21588: five classes 4268 wide.
    auto r = SetClasses(store, L, FieldIndex(store, L, "BIR74"), 5, ClassStyleMode::Color, ColorRamp(0x00FF00, 5),
                        false, g);
    ASSERT_TRUE(r.Ok);
    EXPECT_EQ(r.Labels.front().rfind("248 - 4516", 0), 0u) << r.Labels.front();
    TempDir d;
    ASSERT_TRUE(WriteSideFiles(store, d.file("nc.shp"), L, g));
    const std::string att = ReadFileBytes(d.file("nc.att"));
    ASSERT_GE(att.size(), 51u + 48);
    auto breakAt = [](const std::string& bytes, int k) {
        double v = 0;
        std::memcpy(&v, bytes.data() + 51 + 8 * k, 8);
        return v;
    };
    EXPECT_EQ(breakAt(att, 0), 0);
    EXPECT_DOUBLE_EQ(breakAt(att, 1), 4268);
    EXPECT_DOUBLE_EQ(breakAt(att, 5), 21340);

    // A side file written with offsets reads back as offsets and is written again unchanged.
    LayerStore again;
    const int A = OpenSample(again, "nc.shp");
    ASSERT_TRUE(ReadSideFiles(again, d.file("nc.att"), A, g));
    EXPECT_DOUBLE_EQ(again.SymLayers[A].ClassBreaks[5], 21340);
    ASSERT_TRUE(WriteSideFiles(again, d.file("again.shp"), A, g));
    EXPECT_EQ(ReadFileBytes(d.file("again.att")).substr(0, 99), att.substr(0, 99));
}

TEST(SetClasses, LargestCountyOfTheSampleIsClassed) {
    LayerStore store;
    NullProgress g;
    const int L = OpenSample(store, "nc.shp");
    ASSERT_GT(L, 0);
    const int area = FieldIndex(store, L, "AREA");
    auto ramp = ColorRamp(0x00FF00, 11);
    auto r = SetClasses(store, L, area, 11, ClassStyleMode::Color, ramp, false, g);
    ASSERT_TRUE(r.Ok);
    int total = 0;
    for (int c : r.Counts) total += c;
    EXPECT_EQ(total, 100);
    EXPECT_GE(r.Counts[11], 1);
    int largest = 1;
    double best = -1;
    for (int i = 1; i <= 100; ++i) {
        double v = std::stod(store.ShapeLayers[L].Shapes[i].Values[area]);
        if (v > best) best = v, largest = i;
    }
    EXPECT_EQ(store.SymLayers[L].SymObjs[largest].BrushColor, ramp[11]);
}

TEST(SetClasses, NullsAreSkippedAndCounted) {
    LayerStore store;
    NullProgress g;
    const int L = OpenSample(store, "world.shp");
    ASSERT_GT(L, 0);
    const int pop = FieldIndex(store, L, "pop");
    ASSERT_GE(pop, 0);
    auto ramp = ColorRamp(0x00FF00, 5);
    auto r = SetClasses(store, L, pop, 5, ClassStyleMode::Color, ramp, false, g);
    ASSERT_TRUE(r.Ok);
    EXPECT_EQ(r.Skipped, 10);
    EXPECT_NE(r.Notice.find("10 shapes have no number in pop"), std::string::npos);
    int total = 0;
    for (int c : r.Counts) total += c;
    EXPECT_EQ(total, store.ShapeLayers[L].NumRecords - 10);
    // An unclassed shape keeps the layer's colour it was drawn in.
    for (int i = 1; i <= store.ShapeLayers[L].NumRecords; ++i)
        if (store.ShapeLayers[L].Shapes[i].Values[pop] == "x") {
            EXPECT_EQ(store.SymLayers[L].SymObjs[i].BrushColor, store.SymLayers[L].FillColor);
            break;
        }

    // Text fields and numeric fields without a single number are refused.
    const int T = ValueLayer(store, {"a"});
    EXPECT_EQ(SetClasses(store, T, 0, 5, ClassStyleMode::Color, ramp, false, g).Error, "Not a Numeric Field");
    const int X = ValueLayer(store, {"x", ""}, ftFloat);
    const SymObj before = store.SymLayers[X].SymObjs[1];
    EXPECT_EQ(SetClasses(store, X, 0, 5, ClassStyleMode::Color, ramp, false, g).Error, "Not a Numeric Field");
    EXPECT_EQ(store.SymLayers[X].SymObjs[1].BrushColor, before.BrushColor);
}

TEST(SetClasses, SymbolAndBothCycleDifferentlyOnPolygons) {
    LayerStore store;
    NullProgress g;
    const int L = ValueLayer(store, Numbers(1, 7), ftInteger);
    auto ramp = ColorRamp(0x00FF00, 7);
    ASSERT_TRUE(SetClasses(store, L, 0, 7, ClassStyleMode::Symbol, ramp, false, g).Ok);
    // Class 6: (6 mod 6) - 1 with Symbol, (6 mod 7) - 1 with Both.
    EXPECT_EQ(store.SymLayers[L].SymObjs[6].BrushStyle, -1);
    EXPECT_EQ(store.SymLayers[L].SymObjs[7].BrushStyle, 0);
    EXPECT_NE(store.SymLayers[L].SymObjs[6].BrushColor, ramp[6]);
    ASSERT_TRUE(SetClasses(store, L, 0, 7, ClassStyleMode::Both, ramp, false, g).Ok);
    EXPECT_EQ(store.SymLayers[L].SymObjs[6].BrushStyle, 5);
    EXPECT_EQ(store.SymLayers[L].SymObjs[7].BrushStyle, -1);
    EXPECT_EQ(store.SymLayers[L].SymObjs[6].BrushColor, ramp[6]);
}

TEST(SetClasses, QuantilesPutEqualCountsInEachClass) {
    LayerStore store;
    NullProgress g;
    const int L = ValueLayer(store, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "1000"}, ftFloat);
    auto r = SetClasses(store, L, 0, 5, ClassStyleMode::Color, ColorRamp(0xFF0000, 5), true, g);
    ASSERT_TRUE(r.Ok);
    EXPECT_EQ(r.Breaks, (std::vector<double>{1, 2, 4, 6, 8, 1000}));
    EXPECT_EQ(r.Counts, (std::vector<int>{0, 2, 2, 2, 2, 2}));
}

TEST(ClassifySession, ApplyShowsAndCancelRestoresTheEarlierStyles) {
    LayerStore store;
    NullProgress g;
    const int L = ValueLayer(store, {"1", "2", "3"}, ftInteger);
    store.SymLayers[L].Visible = 5;
    store.SymLayers[L].SymObjs[2].BrushColor = 0x0000FF;
    store.CurrentLayer = L;
    ClassifySession s(store);
    s.Init(0x00FF00);
    EXPECT_EQ(s.Caption(), "Classify the F Integer attributes of layer1.shp");
    EXPECT_FALSE(s.ApplyEnabled());
    ASSERT_TRUE(s.DoSetClasses(g).Ok);
    EXPECT_TRUE(s.ApplyEnabled());
    EXPECT_TRUE(s.Apply());
    EXPECT_EQ(store.SymLayers[L].Visible, 3);
    EXPECT_TRUE(s.Cancel());
    EXPECT_EQ(store.SymLayers[L].Visible, 5);
    EXPECT_EQ(store.SymLayers[L].SymObjs[2].BrushColor, 0x0000FFu);
    EXPECT_FALSE(s.ApplyEnabled());

    ASSERT_TRUE(s.DoSetValues(g).Ok);
    EXPECT_TRUE(s.Apply());
    EXPECT_EQ(store.SymLayers[L].Visible, 2);
    // A string field through the session: refused, nothing written.
    SetClassesResult bad;
    store.ShapeLayers[L].Fields[0].DataType = ftString;
    s.SetField(0);
    bad = s.DoSetClasses(g);
    EXPECT_EQ(bad.Error, "Not a Numeric Field");
}
