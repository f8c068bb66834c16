// The pointer tools driven with synthetic presses: hit tests, the pick, the
// release rules in their order, creation, undo and the pop-up enabling.
#include <gtest/gtest.h>

#include "tests/view/edit_fixture.h"
#include "view/editing.h"
#include "view/hit_test.h"

namespace zemba::test {
namespace {

struct Tools : ::testing::Test {
    LayerStore store;
    ViewState view;
    ScriptedPrompter prompter;
    MapRenderer renderer{store, view};
    ToolController tc{store, view, &renderer, prompter};
    Pointer ptr{tc, store, view};
    int identifyInits = 0, identifyShows = 0;
    std::vector<std::pair<int, int>> newRecords;

    void SetUp() override {
        UnitView(store, view);
        tc.Hooks().IdentifyInit = [this](std::int32_t) { ++identifyInits; };
        tc.Hooks().IdentifyShow = [this] { ++identifyShows; };
        tc.Hooks().NewRecord = [this](std::int32_t l, std::int32_t s) { newRecords.push_back({l, s}); };
    }
    int Polygons() {
        const int L = AddLayer(store, 5);
        AddShape(store, L, {Square(10, 10, 40, 40)});
        AddShape(store, L, {Square(60, 60, 90, 90)});
        return L;
    }
};

TEST_F(Tools, PointHitBoxIsInclusiveAndTextLayersHitLikePoints) {
    const int P = AddLayer(store, 1);
    // Click pixel (50, 49) is world (50, 51); radius 2 reaches X 48..52.
    AddPoint(store, P, 52, 51);
    AddPoint(store, P, 53, 51);
    AddPoint(store, P, 50, 53);
    const int T = AddLayer(store, 2);
    AddPoint(store, T, 48, 49);
    ASSERT_TRUE(ShapeSearcher(store, view, 50, 49, 50, 51, 2));
    ASSERT_EQ(store.HitCount, 3);
    EXPECT_EQ(store.HitList[1].Shape, 1);
    EXPECT_EQ(store.HitList[2].Shape, 3);
    EXPECT_EQ(store.HitList[3].Layer, T);
}

TEST_F(Tools, CandidatesFollowDrawOrderSkipLockedAndDeletedShapes) {
    const int A = AddLayer(store, 5);
    AddShape(store, A, {Square(0, 0, 80, 80)});
    AddShape(store, A, {Square(20, 20, 70, 70)});
    const int B = AddLayer(store, 5);
    AddShape(store, B, {Square(10, 10, 60, 60)});
    store.LayerOrder = {B, A};
    ASSERT_TRUE(ShapeSearcher(store, view, 50, 49, 50, 51, 2));
    ASSERT_EQ(store.HitCount, 3);
    EXPECT_EQ(store.HitList[1].Layer, B);
    EXPECT_EQ(store.HitList[2].Layer, A);
    EXPECT_EQ(store.HitList[2].Shape, 1);

    store.SymLayers[B].Editable = 0;
    ASSERT_TRUE(Copier(store, A, 1, 1, kDeleteShape));
    ASSERT_TRUE(ShapeSearcher(store, view, 50, 49, 50, 51, 2));
    ASSERT_EQ(store.HitCount, 1);
    EXPECT_EQ(store.HitList[1].Shape, 2);

    store.CurrentLayer = 0;  // nothing current: nothing found
    EXPECT_FALSE(ShapeSearcher(store, view, 50, 49, 50, 51, 2));
}

TEST_F(Tools, ThePickIsTheCandidateThatContainsTheClick) {
    const int L = AddLayer(store, 5);
    // Shape 1 is an L whose box holds the click but whose area does not.
    AddShape(store, L, {{{0, 0}, {0, 90}, {20, 90}, {20, 20}, {90, 20}, {90, 0}, {0, 0}}});
    AddShape(store, L, {Square(40, 40, 70, 70)});
    ASSERT_TRUE(ShapeSearcher(store, view, 50, 49, 50, 51, 2));
    EXPECT_EQ(store.HitCount, 2);
    EXPECT_EQ(PickCandidate(store, view, 50, 51, 2), 2);
    // Outside both areas the first candidate stays the pick.
    EXPECT_EQ(PickCandidate(store, view, 30, 80, 2), 1);

    const int Ln = AddLayer(store, 3);
    AddShape(store, Ln, {{{0, 0}, {90, 90}}});
    AddShape(store, Ln, {{{0, 45}, {99, 58}}});
    store.LayerOrder = {Ln};
    ASSERT_TRUE(ShapeSearcher(store, view, 50, 49, 50, 51, 2));
    ASSERT_TRUE(ShapeSearcher(store, view, 70, 44, 70, 55, 2));
    EXPECT_EQ(store.HitCount, 2);
    EXPECT_EQ(PickCandidate(store, view, 70, 55, 2), 2);  // within 2.5 world units of line 2 only
    EXPECT_EQ(PickCandidate(store, view, 50, 50, 2), 1);
}

TEST_F(Tools, ClickInsideWataugaSelectsWatauga) {
    const int L = LoadSample(store, "nc.shp");
    ASSERT_GT(L, 0);
    SetBitmapSize(view, 640, 480);
    FitToLayer(store, view, L);
    UpdateViewScale(store, view);
    int name = -1;
    for (std::size_t f = 0; f < store.ShapeLayers[L].Fields.size(); ++f)
        if (store.ShapeLayers[L].Fields[f].Name == "NAME") name = static_cast<int>(f);
    ASSERT_GE(name, 0);
    tc.InfoToolClick(kToolObjectInfo);
    ptr.Click(-81.70, 36.25);
    ASSERT_GE(store.HitCount, 2);  // Ashe's box holds the click too
    EXPECT_EQ(store.ShapeLayers[L].Shapes[store.HitList[1].Shape].Values[name], "Ashe");
    EXPECT_EQ(store.ShapeLayers[L].Shapes[store.CurrentShape].Values[name], "Watauga");
    EXPECT_EQ(store.HitList[tc.Flags().HitPick].Shape, store.CurrentShape);
    EXPECT_EQ(identifyShows, 1);

    // Delete in Edit Shape deletes Watauga, the county under the pointer.
    tc.EditShpClick();
    tc.DeleteitClick();
    const int watauga = store.CurrentShape;
    ptr.Click(-81.70, 36.25);
    EXPECT_TRUE(store.ShapeLayers[L].IsNullShape(watauga));
    EXPECT_EQ(store.ShapeLayers[L].Shapes[watauga].NumParts, 0);
}

TEST_F(Tools, VertexHitTakesTheLastInStorageOrderAndMultipointsUsePartOne) {
    const int L = AddLayer(store, 3);
    AddShape(store, L, {{{50, 51}, {10, 10}}, {{30, 30}, {51, 52}}});
    store.CurrentShape = 1;
    ASSERT_TRUE(PointSearcher(store, view, 50, 49, 2));
    EXPECT_EQ(store.CurrentPart, 2);
    EXPECT_EQ(store.CurrentPoint, 2);

    const int M = AddLayer(store, 8);
    ShpObj s;
    s.NumParts = 1;
    s.NumPoints = 3;
    s.Parts.resize(2);
    s.Parts[1].Pts.resize(4);
    s.Parts[1].Pts[1] = {50, 51};
    s.Parts[1].Pts[2] = {51, 50};
    s.Parts[1].Pts[3] = {5, 5};
    s.XMin = 5, s.YMin = 5, s.XMax = 51, s.YMax = 51;
    Grow(store, M, s);
    store.CurrentShape = 1;
    ASSERT_TRUE(PointSearcher(store, view, 50, 49, 2));
    EXPECT_EQ(store.CurrentPart, 1);
    EXPECT_EQ(store.CurrentPoint, 2);
}

TEST_F(Tools, ReleaseRulesTakeTheirOrderAndNeedTheirOwnPress) {
    const int L = Polygons();
    tc.EditShpClick();
    tc.MoveitClick();
    // A move drags the selected shape by the drag vector.
    ptr.Drag(20, 20, 25, 30);
    const ShpObj& s = store.ShapeLayers[L].Shapes[1];
    EXPECT_DOUBLE_EQ(s.Parts[1].Pts[1].X, 15);
    EXPECT_DOUBLE_EQ(s.Parts[1].Pts[1].Y, 20);
    EXPECT_DOUBLE_EQ(s.XMin, 15);  // the box moved with it
    EXPECT_DOUBLE_EQ(s.YMax, 50);
    EXPECT_FALSE(tc.Flags().ShapeSelected);
    EXPECT_TRUE(store.ShapeLayers[L].Modified);
    EXPECT_TRUE(tc.Flags().EditsMade);

    // Delete armed with a shape selected earlier: a press on empty map
    // selects nothing, and its release must not delete the old selection.
    tc.DeleteitClick();
    ptr.Press(65, 65);
    ptr.Release(65, 65, kRightButton);  // the pop-up menu's click
    EXPECT_FALSE(store.ShapeLayers[L].IsNullShape(2));
    ptr.Click(95, 5);
    EXPECT_FALSE(store.ShapeLayers[L].IsNullShape(2));
    ptr.Click(65, 65);
    EXPECT_TRUE(store.ShapeLayers[L].IsNullShape(2));

    // The clip drag wins over an armed edit and leaves the map alone.
    tc.NewitClick();
    QImage clip;
    tc.Hooks().SetClipboardImage = [&](const QImage& i) { clip = i; };
    renderer.DVDORedraw(*std::make_unique<NullProgress>());
    tc.CutBmpClick();
    ptr.Drag(15, 25, 40, 10);
    EXPECT_EQ(clip.size(), QSize(25, 15));
    EXPECT_EQ(store.ShapeLayers[L].NumRecords, 2);
    EXPECT_EQ(tc.Flags().BitmapClipMode, 0);

    // Ctrl with Shift does nothing; Ctrl alone zooms in only when no tool
    // claims the release.
    tc.DisableEditing(0);
    const double scale = view.ViewScale;
    ptr.Click(50, 50, kL | kCtrlKey | kShiftKey);
    EXPECT_DOUBLE_EQ(view.ViewScale, scale);
    ptr.Click(50, 50, kL | kCtrlKey);
    EXPECT_LT(view.ViewScale, scale);
}

TEST_F(Tools, DoubleClickSwitchesToEditPointAndVertexEditsKeepTheSelection) {
    const int L = Polygons();
    ptr.Click(20, 20, kL | kDoubleClick);
    EXPECT_EQ(tc.Flags().PointerTool, kToolEditPoint);
    EXPECT_TRUE(tc.Flags().ShapeSelected);
    EXPECT_EQ(identifyShows, 1);

    // Move the first vertex of the closed ring: the last follows.
    tc.MoveitClick();
    ptr.Drag(10, 10, 5, 8);
    const ShpObj& s = store.ShapeLayers[L].Shapes[1];
    EXPECT_DOUBLE_EQ(s.Parts[1].Pts[1].X, 5);
    EXPECT_DOUBLE_EQ(s.Parts[1].Pts[5].X, 5);
    EXPECT_DOUBLE_EQ(s.Parts[1].Pts[5].Y, 8);
    EXPECT_DOUBLE_EQ(s.XMin, 5);  // box recomputed
    EXPECT_DOUBLE_EQ(s.YMin, 8);
    EXPECT_TRUE(tc.Flags().ShapeSelected);
    EXPECT_FALSE(tc.Flags().VertexGrabbed);

    // Deleting down to a triangle is refused: a ring keeps 4 points.
    tc.DeleteitClick();
    ptr.Click(10, 40);
    EXPECT_EQ(s.PartSizes[1], 4);
    ptr.Click(40, 40);
    EXPECT_EQ(s.PartSizes[1], 4);
    EXPECT_FALSE(prompter.shown.empty());
}

TEST_F(Tools, CreationMakesValidFeaturesAndOpensNewRecordMode) {
    const int L = Polygons();
    store.ShapeLayers[L].Prj = "GEOGCS[\"GCS_North_American_1927\"]";
    const int n = tc.CreateLayer(5, "fields.shp", "/nonexistent-dir", nullptr);
    ASSERT_EQ(n, L + 1);
    EXPECT_EQ(store.ShapeLayers[n].Prj, store.ShapeLayers[L].Prj);  // saved with the current layer's .prj
    EXPECT_TRUE(tc.Popup().CreatePolygon);
    EXPECT_FALSE(tc.Popup().PolygonLayer);
    tc.ArmCreate(kMakePolygon);
    ptr.Press(10, 10);
    ptr.Release(10, 10);  // no width: refused, nothing made
    EXPECT_EQ(store.ShapeLayers[n].NumRecords, 0);
    ptr.Drag(10, 10, 40, 30);
    ASSERT_EQ(store.ShapeLayers[n].NumRecords, 1);
    const ShpObj& s = store.ShapeLayers[n].Shapes[1];
    ASSERT_EQ(s.NumPoints, 4);
    EXPECT_DOUBLE_EQ(s.Parts[1].Pts[1].X, s.Parts[1].Pts[4].X);
    EXPECT_DOUBLE_EQ(s.Parts[1].Pts[1].Y, s.Parts[1].Pts[4].Y);
    double area2 = 0;
    for (int j = 1; j < 4; ++j)
        area2 += s.Parts[1].Pts[j].X * s.Parts[1].Pts[j + 1].Y - s.Parts[1].Pts[j + 1].X * s.Parts[1].Pts[j].Y;
    EXPECT_LT(area2, 0);  // clockwise
    EXPECT_FALSE(tc.Flags().CreatingPolygon);
    ASSERT_EQ(newRecords.size(), 1u);
    EXPECT_EQ(newRecords[0], std::make_pair(n, 1));

    // A drag from the lower-left corner takes the lower-right as its third.
    tc.ArmCreate(kMakePolygon);
    ptr.Drag(10, 10, 40, 40);
    const ShpObj& t = store.ShapeLayers[n].Shapes[2];
    EXPECT_LT(std::abs(t.Parts[1].Pts[1].X - t.Parts[1].Pts[2].X) + std::abs(t.Parts[1].Pts[2].X - t.Parts[1].Pts[3].X), 1e9);
    double area = 0;
    for (int j = 1; j < 4; ++j)
        area += t.Parts[1].Pts[j].X * t.Parts[1].Pts[j + 1].Y - t.Parts[1].Pts[j + 1].X * t.Parts[1].Pts[j].Y;
    EXPECT_LT(area, 0);

    // A release with no press of its own does not make a line.
    const int lines = AddLayer(store, 3);
    store.CurrentLayer = lines;
    tc.ArmCreate(kMakeLine);
    ptr.Release(30, 30);
    EXPECT_EQ(store.ShapeLayers[lines].NumRecords, 0);
    EXPECT_TRUE(tc.Flags().CreatingLine);
}

TEST_F(Tools, UndoAndRedoStepThroughEveryEditKind) {
    const int L = Polygons();
    const ShpLayer before = store.ShapeLayers[L];
    tc.EditShpClick();
    tc.MoveitClick();
    ptr.Drag(20, 20, 30, 20);          // move
    tc.NewitClick();
    ptr.Drag(70, 70, 70, 75);          // copy+move: shape 3 is the copy
    tc.DeleteitClick();
    ptr.Click(20, 20);                 // delete the moved shape 1? it is at 20..50 now
    ptr.Click(95, 95);
    ASSERT_EQ(store.ShapeLayers[L].NumRecords, 3);
    EXPECT_TRUE(store.ShapeLayers[L].IsNullShape(1));
    EXPECT_EQ(tc.UndoStack().count(), 3);

    ASSERT_TRUE(tc.UndoEditClick());
    EXPECT_FALSE(store.ShapeLayers[L].IsNullShape(1));
    EXPECT_EQ(tc.Flags().PointerTool, kToolEditShape);
    ASSERT_TRUE(tc.UndoEditClick());
    EXPECT_EQ(store.ShapeLayers[L].NumRecords, 2);
    EXPECT_EQ(store.ShapeLayers[L].Shapes.size(), 3u);
    EXPECT_EQ(store.SymLayers[L].SymObjs.size(), 3u);
    ASSERT_TRUE(tc.UndoEditClick());
    EXPECT_FALSE(tc.UndoEditClick());
    const ShpLayer& now = store.ShapeLayers[L];
    EXPECT_EQ(now.NumPoints, before.NumPoints);
    EXPECT_DOUBLE_EQ(now.Shapes[1].Parts[1].Pts[1].X, 10);
    EXPECT_DOUBLE_EQ(now.Shapes[1].XMin, 10);
    EXPECT_EQ(now.Modified, before.Modified);
    EXPECT_FALSE(tc.Flags().EditsMade);

    ASSERT_TRUE(tc.RedoEditClick());
    ASSERT_TRUE(tc.RedoEditClick());
    EXPECT_EQ(store.ShapeLayers[L].NumRecords, 3);
    EXPECT_DOUBLE_EQ(store.ShapeLayers[L].Shapes[2].YMin, 65);
    EXPECT_DOUBLE_EQ(store.ShapeLayers[L].Shapes[3].YMin, 60);
    ASSERT_TRUE(tc.RedoEditClick());
    EXPECT_TRUE(store.ShapeLayers[L].IsNullShape(1));
    EXPECT_TRUE(tc.UndoStack().canUndo());

    // An info tool keeps the history (attribute edits made with it join
    // it); a changed layer table ends it.
    tc.InfoToolClick(kToolDbInfo);
    EXPECT_TRUE(tc.UndoStack().canUndo());
    tc.DisableEditing(0);
    EXPECT_FALSE(tc.UndoStack().canUndo());
    EXPECT_FALSE(tc.UndoEditClick());
}

TEST_F(Tools, UndoRestoresVertexEditsAndCreation) {
    const int L = Polygons();
    const ShpObj orig = store.ShapeLayers[L].Shapes[1];
    ptr.Click(20, 20, kL | kDoubleClick);
    tc.NewitClick();
    ptr.Drag(40, 40, 45, 45);  // duplicate a vertex and move the new one
    EXPECT_EQ(store.ShapeLayers[L].Shapes[1].PartSizes[1], 6);
    EXPECT_EQ(store.ShapeLayers[L].NumPoints, 11);
    ASSERT_TRUE(tc.UndoEditClick());
    EXPECT_EQ(store.ShapeLayers[L].Shapes[1].PartSizes[1], 5);
    EXPECT_EQ(store.ShapeLayers[L].NumPoints, 10);

    store.CurrentLayer = AddLayer(store, 1);
    tc.ArmCreate(kMakePoint);
    ptr.Click(33, 44);
    ASSERT_EQ(store.ShapeLayers[store.CurrentLayer].NumRecords, 1);
    ASSERT_TRUE(tc.UndoEditClick());
    EXPECT_EQ(store.ShapeLayers[store.CurrentLayer].NumRecords, 0);
    EXPECT_EQ(store.ShapeLayers[store.CurrentLayer].Shapes.size(), 1u);
    EXPECT_EQ(store.ShapeLayers[L].Shapes[1].Parts[1].Pts.size(), orig.Parts[1].Pts.size());
}

// A shape step swaps geometry only: what was typed or styled after it
// stays, and a copy taken away comes back as it was when it went.
TEST_F(Tools, ShapeStepsLeaveLaterValuesAndStylesAlone) {
    const int L = Polygons();
    ShpLayer& l = store.ShapeLayers[L];
    SymLayer& y = store.SymLayers[L];
    tc.EditShpClick();
    tc.NewitClick();
    ptr.Drag(20, 20, 20, 25);  // shape 3 is the copy of 1, left in place
    ASSERT_EQ(l.NumRecords, 3);
    l.Shapes[1].Values = {"typed"};
    y.SymObjs[1].BrushColor = 0x0000FF;
    y.SymObjs[3].LabelText = "the copy";
    ASSERT_TRUE(tc.UndoEditClick());
    EXPECT_EQ(l.NumRecords, 2);
    EXPECT_EQ(y.SymObjs.size(), 3u);
    EXPECT_DOUBLE_EQ(l.Shapes[1].YMin, 10);
    EXPECT_EQ(l.Shapes[1].Values, std::vector<std::string>{"typed"});
    EXPECT_EQ(y.SymObjs[1].BrushColor, 0x0000FFu);
    ASSERT_TRUE(tc.RedoEditClick());
    EXPECT_EQ(l.NumRecords, 3);
    EXPECT_DOUBLE_EQ(l.Shapes[1].YMin, 15);
    EXPECT_EQ(y.SymObjs[3].LabelText, "the copy");
    EXPECT_EQ(l.Shapes[1].Values, std::vector<std::string>{"typed"});
}

// Stepping back to the state of the file clears the layer's mark; stepping
// back over a save (which clears it) marks the layer again, however many
// steps lie before the save.
TEST_F(Tools, UndoOverASaveMarksTheLayerModified) {
    const int L = Polygons();
    ShpLayer& l = store.ShapeLayers[L];
    l.Modified = 0;
    tc.EditShpClick();
    tc.MoveitClick();
    ptr.Drag(20, 20, 30, 20);  // A
    EXPECT_EQ(l.Modified, 1);
    ASSERT_TRUE(tc.UndoEditClick());
    EXPECT_EQ(l.Modified, 0);  // as on disk
    ASSERT_TRUE(tc.RedoEditClick());
    EXPECT_EQ(l.Modified, 1);
    tc.MoveitClick();
    ptr.Drag(70, 70, 70, 80);  // B
    l.Modified = 0;            // saved with A and B
    ASSERT_TRUE(tc.UndoEditClick());
    EXPECT_EQ(l.Modified, 1);
    ASSERT_TRUE(tc.UndoEditClick());
    EXPECT_EQ(l.Modified, 1);  // the file still holds both moves
    EXPECT_DOUBLE_EQ(l.Shapes[1].Parts[1].Pts[1].X, 10);
    ASSERT_TRUE(tc.RedoEditClick());
    l.Modified = 0;  // saved with A only
    tc.MoveitClick();
    ptr.Drag(70, 70, 70, 80);  // C
    ASSERT_TRUE(tc.UndoEditClick());
    EXPECT_EQ(l.Modified, 0);  // back to what was saved
    ASSERT_TRUE(tc.UndoEditClick());
    EXPECT_EQ(l.Modified, 1);
}

TEST_F(Tools, PopupOffersOnlyRefreshWithoutLayersAndFollowsTheCurrentLayer) {
    PopupEnables e = tc.Popup();
    EXPECT_TRUE(e.Refresh);
    EXPECT_FALSE(e.CreatePlat || e.InfoObject || e.EditObject || e.CreatePoint || e.PointLayer);
    const int P = AddLayer(store, 1);
    store.SymLayers[P].Editable = 0;
    e = tc.Popup();
    EXPECT_TRUE(e.CreatePlat && e.InfoObject && e.CreatePoint && e.PointLayer && e.TextLayer);
    EXPECT_FALSE(e.EditObject || e.CreateLine || e.CreateLabel);
}

TEST(CropRectTest, CutsToTheBitmapAndIgnoresEmptyRectangles) {
    PixelRect r = CropRect({90, 5}, {-10, 50}, 64, 48);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 5);
    EXPECT_EQ(r.width, 64);
    EXPECT_EQ(r.height, 43);
    EXPECT_EQ(CropRect({10, 10}, {10, 30}, 64, 48).width, 0);
    EXPECT_EQ(CropRect({100, 100}, {120, 130}, 64, 48).width, 0);
}

}  // namespace
}  // namespace zemba::test
