// Layer and object styles, labels and the layer list of the properties
// window, with what the redraw makes of them.
#include <gtest/gtest.h>

#include "tests/test_support.h"
#include "tests/view/view_fixture.h"
#include "view/styles.h"

namespace zemba {
namespace {

using namespace zemba::test;

::testing::Environment* const kQtEnv = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Four one-square polygon layers named a..d.
struct Layers : ::testing::Test {
    LayerStore store;
    ScriptedPrompter prompter;
    NullProgress progress;
    void SetUp() override {
        for (const char* n : {"a", "b", "c", "d"}) {
            const int L = AddLayer(store, 5);
            store.ShapeLayers[L].ShpName = n;
            AddShape(store, L, {Square(L, 0, L + 1, 1)});
            AddShape(store, L, {Square(L, 5, L + 1, 6)});
        }
    }
    std::vector<std::string> Names() const { return LayerRows(store); }
};

TEST_F(Layers, UpAndDownSwapLayerOrderAndStopAtTheEnds) {
    EXPECT_EQ(MoveLayerUp(store, 2), 1);
    EXPECT_EQ(store.LayerOrder, (std::vector<int>{1, 3, 2, 4}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "c", "b", "d"}));
    EXPECT_EQ(MoveLayerUp(store, 1), 0);
    EXPECT_EQ(MoveLayerUp(store, 0), 0);  // already on top
    EXPECT_EQ(store.LayerOrder, (std::vector<int>{3, 1, 2, 4}));
    EXPECT_EQ(MoveLayerDown(store, 3), 3);
    EXPECT_EQ(MoveLayerDown(store, 0), 1);
    EXPECT_EQ(store.LayerOrder, (std::vector<int>{1, 3, 2, 4}));
    EXPECT_EQ(LayerOfRow(store, 1), 3);
    EXPECT_EQ(RowOfLayer(store, 2), 2);
    EXPECT_EQ(LayerOfRow(store, 7), 0);
}

TEST_F(Layers, DeleteFirstMiddleAndLastKeepNumbersConsistent) {
    store.LayerOrder = {2, 1, 4, 3};
    store.HitList = {{}, {1, 1}, {3, 2}, {4, 1}};
    store.HitCount = 3;
    store.CurrentLayer = 4;
    store.CurrentShape = 2;
    store.PolygonLayerIndex = 3;
    store.PolygonLayerMade = true;
    store.LineLayerIndex = 1;
    store.LineLayerMade = true;

    // Middle row (layer 4, current, with a selection).
    auto out = DeleteLayer(store, 2, prompter);
    ASSERT_TRUE(out.Deleted);
    EXPECT_TRUE(out.SelectionLost);
    EXPECT_EQ(store.LayerCount, 3);
    EXPECT_EQ(store.LayerOrder, (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(store.CurrentLayer, 1);
    EXPECT_EQ(store.CurrentShape, 0);
    EXPECT_EQ(store.HitCount, 2);
    EXPECT_EQ(store.HitList[2].Layer, 3);
    EXPECT_EQ(store.ShapeLayers.size(), 4u);
    EXPECT_EQ(store.SymLayers.size(), 4u);
    EXPECT_EQ(store.ShapeLayers[3].LayerIndex, 3);
    EXPECT_EQ(store.PolygonLayerIndex, 3);

    // First row (layer 2): layer 3 ("c", the made polygon layer) becomes 2.
    store.CurrentLayer = 3;
    out = DeleteLayer(store, 0, prompter);
    ASSERT_TRUE(out.Deleted);
    EXPECT_EQ(store.LayerOrder, (std::vector<int>{1, 2}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(store.CurrentLayer, 2);
    EXPECT_EQ(store.PolygonLayerIndex, 2);
    EXPECT_EQ(store.HitList[2].Layer, 2);

    // Last row: the made polygon layer frees its command.
    out = DeleteLayer(store, 1, prompter);
    EXPECT_TRUE(out.PolygonLayerFreed);
    EXPECT_FALSE(store.PolygonLayerMade);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a"}));
    EXPECT_EQ(store.HitCount, 1);

    // The only layer left: everything is cleared, as Clear All does.
    int cleared = 0;
    out = DeleteLayer(store, 0, prompter, [&] {
        ++cleared;
        store.ClearAll();
    });
    EXPECT_TRUE(out.ClearedAll);
    EXPECT_TRUE(out.LineLayerFreed);
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(store.LayerCount, 0);
    EXPECT_TRUE(store.LayerOrder.empty());
}

TEST_F(Layers, DeleteAsksBeforeDiscardingChanges) {
    store.ShapeLayers[2].Modified = 1;
    prompter.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(DeleteLayer(store, 1, prompter).Deleted);
    EXPECT_EQ(store.LayerCount, 4);
    EXPECT_TRUE(DeleteLayer(store, 1, prompter).Deleted);
    EXPECT_EQ(store.LayerCount, 3);
    EXPECT_EQ(prompter.shown.size(), 2u);
}

TEST_F(Layers, ResetGivesEveryLayerItsDefaultsAndAFontOfItsOwn) {
    SymLayer& s = store.SymLayers[2];
    s.Visible = 3;
    s.Labeled = 1;
    s.LineWidth = 7;
    s.FillColor = 0x123456;
    s.Outlined = 0;
    s.LabelRotation = 45;
    s.ClassBreaks = {1, 2};
    FontDesc f;
    f.Family = "Serif";
    ResetStyles(store, f);
    EXPECT_EQ(s.Visible, 1);
    EXPECT_EQ(s.Labeled, 0);
    EXPECT_EQ(s.LineWidth, 1);
    EXPECT_EQ(s.FillColor, palette(2));
    EXPECT_EQ(s.Outlined, 1);
    EXPECT_EQ(s.LabelRotation, 0);
    EXPECT_EQ(s.ClassBreaks, (std::vector<double>{0, 1, 2, 3, 4, 5}));
    ASSERT_TRUE(s.LabelFont);
    EXPECT_EQ(s.LabelFont->Family, "Serif");
    EXPECT_NE(s.LabelFont, store.SymLayers[1].LabelFont);
}

TEST_F(Layers, ControlsOfThePropertiesWindow) {
    // Hide then show brings a classification back.
    store.SymLayers[1].Visible = 3;
    SetLayerVisible(store, 1, false);
    EXPECT_LT(store.SymLayers[1].Visible, 1);
    SetLayerVisible(store, 1, true);
    EXPECT_EQ(store.SymLayers[1].Visible, 3);
    SetLayerVisible(store, 2, false);
    EXPECT_EQ(store.SymLayers[2].Visible, 0);
    SetLayerVisible(store, 2, true);
    EXPECT_EQ(store.SymLayers[2].Visible, 1);

    EXPECT_TRUE(SetLineWidthText(store, 1, "25", prompter));
    EXPECT_EQ(store.SymLayers[1].LineWidth, 10);
    EXPECT_TRUE(SetLineWidthText(store, 1, "0", prompter));
    EXPECT_EQ(store.SymLayers[1].LineWidth, 1);
    EXPECT_TRUE(SetLineWidthText(store, 1, "4", prompter));
    EXPECT_FALSE(SetLineWidthText(store, 1, "4.5", prompter));
    EXPECT_EQ(store.SymLayers[1].LineWidth, 4);
    EXPECT_EQ(prompter.Count(MsgFamily::ErrorNumber, 2), 1);

    SetOutlined(store, 1, false, 0xABCDEF);
    EXPECT_EQ(store.SymLayers[1].LineStyle, 5);
    EXPECT_EQ(store.SymLayers[1].LineColor, 0xABCDEFu);
    SetOutlined(store, 1, true, 0xABCDEF);
    EXPECT_EQ(store.SymLayers[1].LineStyle, 0);
    EXPECT_EQ(store.SymLayers[1].LineColor, 0u);

    EXPECT_EQ(SymbolStyleNames(1).front(), "Square Marker");
    EXPECT_TRUE(LineStyleNames(8).empty());
    EXPECT_EQ(SymbolStyleNames(5).back(), "Transparent Fill");
}

TEST_F(Layers, TwoLayersKeepSeparateFontsAndRotations) {
    store.ShapeLayers[1].Fields = {FieldDefRec{1, "N", ftString, 10, 0, 0}};
    store.ShapeLayers[1].Shapes[1].Values = {"one"};
    store.ShapeLayers[1].Shapes[2].Values = {};  // a short row reads as empty
    LabelSettings a;
    a.Rotation = 90;
    a.Font.Family = "Serif";
    LabelAsSelected(store, 1, a, progress);
    LabelSettings b;
    b.Rotation = 0;
    b.Field = 5;  // not a field of layer 2: empty labels, no read past the row
    b.Font.Family = "Sans";
    LabelAsSelected(store, 2, b, progress);

    const SymLayer& A = store.SymLayers[1];
    const SymLayer& B = store.SymLayers[2];
    EXPECT_EQ(A.SymObjs[1].LabelText, "one");
    EXPECT_EQ(A.SymObjs[2].LabelText, "");
    EXPECT_EQ(A.SymObjs[1].LabelFont, A.LabelFont);  // shared within the layer
    EXPECT_NE(A.LabelFont, B.LabelFont);
    EXPECT_EQ(A.LabelFont->Family, "Serif");
    EXPECT_EQ(A.LabelFont->Escapement, 900);
    EXPECT_EQ(B.LabelFont->Escapement, 0);
    EXPECT_EQ(A.SymObjs[1].LabelRotation, 90);
    EXPECT_EQ(B.SymObjs[1].LabelRotation, 0);
    EXPECT_EQ(B.SymObjs[1].LabelText, "");
    EXPECT_EQ(A.Labeled, 1);
}

TEST_F(Layers, ObjectStyleCommandsWorkOnEveryLayer) {
    SymLayer& s = store.SymLayers[3];
    s.FillColor = 0x010203;
    store.CurrentLayer = 3;
    store.CurrentShape = 2;
    EXPECT_FALSE(ObjectStyleCommand(store, false, ObjectStyleKind::FillColor, 0xFF));
    ASSERT_TRUE(ObjectStyleCommand(store, true, ObjectStyleKind::FillColor, 0xFF));
    EXPECT_EQ(s.Visible, 5);
    EXPECT_EQ(s.SymObjs[2].BrushColor, 0xFFu);
    EXPECT_EQ(s.SymObjs[1].BrushColor, 0x010203u);  // the other shape keeps its look
    EXPECT_EQ(s.SymObjs[2].StyleSet, 1);
    ASSERT_TRUE(ObjectStyleCommand(store, true, ObjectStyleKind::PolyFill, 7));
    EXPECT_EQ(s.SymObjs[2].BrushStyle, 7);
    ASSERT_TRUE(ObjectStyleCommand(store, true, ObjectStyleKind::LineType, 9));  // out of the table
    EXPECT_EQ(s.SymObjs[2].PenStyle, s.LineStyle);

    ASSERT_TRUE(BeginObjectLabel(store, true));
    EXPECT_EQ(s.SymObjs[2].LabelSet, 1);
    ObjectLabelSettings l;
    l.Text = "here";
    l.Rotation = 30;
    ApplyObjectLabel(store, 3, 2, l);
    EXPECT_EQ(s.Labeled, 4);
    EXPECT_EQ(s.SymObjs[2].LabelPlaced, 1);
    EXPECT_DOUBLE_EQ(s.SymObjs[2].LabelX, 3.5);
    EXPECT_DOUBLE_EQ(s.SymObjs[2].LabelY, 5.5);
    EXPECT_EQ(s.SymObjs[2].LabelFont->Escapement, 300);
}

constexpr COLORREF kRed = 0x0000FF, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

TEST(StyleRedraw, MinusOneDrawsInTheLayerStyle) {
    LayerStore store;
    ViewState view;
    NullProgress progress;
    MapRenderer r(store, view);
    UnitView(store, view);
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(10, 10, 40, 40)});
    AddShape(store, L, {Square(60, 10, 90, 40)});
    SymLayer& s = store.SymLayers[L];
    s.ShapeStyle = 0;  // solid
    s.LineStyle = 0;
    s.Visible = 3;
    s.SymObjs[1] = SymObj{};
    s.SymObjs[1].BrushStyle = 7;  // clear: the first shape leaves the brush off
    s.SymObjs[1].BrushColor = kBlue;
    s.SymObjs[2].BrushStyle = -1;
    s.SymObjs[2].BrushColor = kRed;
    r.DVDORedraw(progress);
    EXPECT_EQ(r.Image().pixel(25, 74), Rgb(kWhite));
    EXPECT_EQ(r.Image().pixel(75, 74), Rgb(kRed));  // solid, as the layer, not clear
}

TEST(StyleRedraw, OverlappingLabelsAreSkippedUnlessAsked) {
    LayerStore store;
    ViewState view;
    NullProgress progress;
    MapRenderer r(store, view);
    UnitView(store, view);
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(20, 20, 30, 30)});
    AddShape(store, L, {Square(21, 20, 31, 30)});
    SymLayer& s = store.SymLayers[L];
    s.ShapeStyle = 7;
    s.LineStyle = 5;
    s.Labeled = 1;
    s.LabelBackColor = kBlue;
    auto font = std::make_shared<FontDesc>();
    for (int i : {1, 2}) {
        s.SymObjs[i].LabelText = "WW";
        s.SymObjs[i].LabelBackgrounded = 1;
        s.SymObjs[i].LabelFont = font;
    }
    r.DVDORedraw(progress);
    const int one = CountColour(r.Image(), kBlue);
    view.SkipOverlappingLabels = false;
    r.DVDORedraw(progress);
    EXPECT_GT(CountColour(r.Image(), kBlue), one);
}

}  // namespace
}  // namespace zemba
