// The editing workers on their own: every code's counts, Z and M in step,
// boxes, re-extent, layer creation and what the writer and GDAL make of it.
#include <gtest/gtest.h>

#include <filesystem>

#include <cstdio>
#include <memory>

#include "core/shp_writer.h"
#include "tests/view/edit_fixture.h"
#include "view/editing.h"

namespace zemba::test {
namespace {

using test::Shell;

bool HaveOgr() { return Shell("command -v ogrinfo").find("ogrinfo") != std::string::npos; }

TEST(Editing, CopyMoveAndVertexCodesKeepZAndMInStep) {
    LayerStore store;
    const int L = LoadSample(store, "types/polygonz.shp");
    ASSERT_GT(L, 0);
    ShpLayer& l = store.ShapeLayers[L];
    ASSERT_EQ(l.Shapes3.size(), l.Shapes.size());
    const std::int32_t n = l.NumRecords, points = l.NumPoints, extra = l.NumExtraParts;
    const ShpObj src = l.Shapes[1];
    const double z1 = l.Shapes3[1].Parts[1].Pts[1].Z;
    store.CurrentShape = 1;

    ASSERT_TRUE(EditSelected(store, kCopyMoveShape, 100, -50));
    EXPECT_EQ(l.NumRecords, n + 1);
    EXPECT_EQ(l.NumPoints, points + src.NumPoints);
    EXPECT_EQ(l.NumExtraParts, extra + src.NumParts - 1);
    EXPECT_EQ(store.SymLayers[L].SymObjs.size(), l.Shapes.size());
    ASSERT_NE(l.KeptZM(n + 1), nullptr);
    EXPECT_DOUBLE_EQ(l.Shapes[n + 1].Parts[1].Pts[1].X, src.Parts[1].Pts[1].X);  // the copy stays
    EXPECT_DOUBLE_EQ(l.Shapes[1].Parts[1].Pts[1].X, src.Parts[1].Pts[1].X + 100);  // the source moves
    EXPECT_DOUBLE_EQ(l.Shapes[1].XMin, src.XMin + 100);
    EXPECT_DOUBLE_EQ(l.Shapes3[1].Parts[1].Pts[1].Z, z1);
    EXPECT_DOUBLE_EQ(l.Shapes3[n + 1].Parts[1].Pts[1].Z, z1);
    EXPECT_GE(l.XMax, src.XMax + 100);  // the layer box grew

    // Duplicate vertex 2 and move the new one: Z/M follow.
    store.CurrentPart = 1;
    store.CurrentPoint = 2;
    const int size = l.Shapes[1].PartSizes[1];
    const PointXY v2 = l.Shapes[1].Parts[1].Pts[2];
    ASSERT_TRUE(EditSelected(store, kDuplicateVertex, 1, 1));
    EXPECT_EQ(l.Shapes[1].PartSizes[1], size + 1);
    EXPECT_DOUBLE_EQ(l.Shapes[1].Parts[1].Pts[2].X, v2.X + 1);
    EXPECT_DOUBLE_EQ(l.Shapes[1].Parts[1].Pts[3].X, v2.X);  // the unmoved one follows
    ASSERT_NE(l.KeptZM(1), nullptr);
    EXPECT_DOUBLE_EQ(l.Shapes3[1].Parts[1].Pts[2].Z, l.Shapes3[1].Parts[1].Pts[3].Z);
    ASSERT_TRUE(EditSelected(store, kDeleteVertex, 0, 0));
    EXPECT_EQ(l.Shapes[1].PartSizes[1], size);
    ASSERT_NE(l.KeptZM(1), nullptr);
    ASSERT_TRUE(EditSelected(store, kMoveVertex, 0, 7));
    EXPECT_DOUBLE_EQ(l.Shapes3[1].Parts[1].Pts[2].Y, l.Shapes[1].Parts[1].Pts[2].Y);
    EXPECT_EQ(l.NumPoints, points + src.NumPoints);

    // Delete: a null record, counts down, box kept, Z/M emptied with it.
    const ShpObj before = l.Shapes[n + 1];
    store.CurrentShape = n + 1;
    ASSERT_TRUE(EditSelected(store, kDeleteShape, 0, 0));
    EXPECT_TRUE(l.IsNullShape(n + 1));
    EXPECT_EQ(l.NumPoints, points);
    EXPECT_DOUBLE_EQ(l.Shapes[n + 1].XMin, before.XMin);
    EXPECT_NE(l.KeptZM(n + 1), nullptr);
    EXPECT_FALSE(EditSelected(store, kMoveShape, 1, 1));  // a deleted shape is not edited

    // The writer writes the deleted shape as a null record and the rest
    // with their Z.
    TempDir dir;
    NullProgress none;
    ASSERT_TRUE(WriteShapefile(store, L, dir.file("out.shp"), none));
    LayerStore back;
    back.AppendLayerSlot();
    back.LayerFileName = dir.file("out.shp");
    SilentPrompter quiet;
    ASSERT_TRUE(ReadShapefile(back, quiet, none));
    const ShpLayer& b = back.ShapeLayers[1];
    EXPECT_EQ(b.NumRecords, n + 1);
    EXPECT_TRUE(b.IsNullShape(n + 1));
    ASSERT_EQ(b.Shapes3.size(), b.Shapes.size());
    ASSERT_GE(b.Shapes3[1].Parts.size(), 2u);
    EXPECT_DOUBLE_EQ(b.Shapes3[1].Parts[1].Pts[1].Z, z1);
}

TEST(Editing, PointAndMultipointCodes) {
    LayerStore store;
    const int P = AddLayer(store, 1);
    AddPoint(store, P, 5, 6);
    store.ShapeLayers[P].NumPoints = 1;
    store.CurrentShape = 1;
    ASSERT_TRUE(EditSelected(store, kCopyMoveShape, 2, 3));
    const ShpLayer& p = store.ShapeLayers[P];
    EXPECT_EQ(p.NumRecords, 2);
    EXPECT_EQ(p.NumPoints, 2);
    EXPECT_DOUBLE_EQ(p.Shapes[1].XMin, 7);
    EXPECT_DOUBLE_EQ(p.Shapes[1].YMax, 9);
    EXPECT_DOUBLE_EQ(p.Shapes[2].XMax, 5);
    EXPECT_FALSE(EditSelected(store, kDeleteVertex, 0, 0));  // points have no vertices
    ASSERT_TRUE(EditSelected(store, kDeleteShape, 0, 0));
    EXPECT_EQ(p.NumPoints, 1);
    EXPECT_TRUE(p.IsNullShape(1));

    const int M = AddLayer(store, 8);
    ShpObj s;
    s.NumParts = 1;
    s.NumPoints = 2;
    s.Parts.resize(2);
    s.Parts[1].Pts.resize(3);
    s.Parts[1].Pts[1] = {1, 1};
    s.Parts[1].Pts[2] = {3, 4};
    s.XMin = 1, s.YMin = 1, s.XMax = 3, s.YMax = 4;
    Grow(store, M, s);
    store.CurrentLayer = M;
    store.CurrentShape = 1;
    store.CurrentPart = 1;
    store.CurrentPoint = 2;
    ASSERT_TRUE(EditSelected(store, kDuplicateVertex, 10, 0));
    const ShpObj& m = store.ShapeLayers[M].Shapes[1];
    EXPECT_EQ(m.NumPoints, 3);
    EXPECT_TRUE(m.PartSizes.empty());
    EXPECT_DOUBLE_EQ(m.XMax, 13);
    ASSERT_TRUE(EditSelected(store, kDeleteVertex, 0, 0));
    ASSERT_TRUE(EditSelected(store, kDeleteVertex, 0, 0));
    store.CurrentPoint = 1;
    EXPECT_FALSE(EditSelected(store, kDeleteVertex, 0, 0));  // keeps one point
    EXPECT_EQ(store.ShapeLayers[M].NumPoints, 1);
}

TEST(Editing, ReExtentRecomputesBoxesAndKeepsEmptyOnes) {
    LayerStore store;
    const int L = AddLayer(store, 3);
    AddShape(store, L, {{{0, 0}, {10, 10}}});
    AddShape(store, L, {{{20, 20}, {30, 35}}});
    const int T = AddLayer(store, 9);
    AddPoint(store, T, 3, 3);
    store.ShapeLayers[T].Shapes[1].XMax = 99;
    ShpLayer& l = store.ShapeLayers[L];
    l.Shapes[1].Parts[1].Pts[2] = {50, -5};  // stale box
    l.Shapes[2].NumParts = 0;
    l.Shapes[2].NumPoints = 0;
    l.Shapes[2].Parts.resize(1);
    l.Shapes[2].PartSizes.resize(1);
    ReExtentAll(store, store.LayerCount);  // only the last layer
    EXPECT_DOUBLE_EQ(l.Shapes[1].XMax, 10);
    EXPECT_DOUBLE_EQ(store.ShapeLayers[T].Shapes[1].XMax, 99);  // type 9 untouched
    ReExtentAll(store, 0);
    EXPECT_DOUBLE_EQ(l.Shapes[1].XMax, 50);
    EXPECT_DOUBLE_EQ(l.Shapes[1].YMin, -5);
    EXPECT_DOUBLE_EQ(l.Shapes[2].XMin, 20);  // empty: previous box
    EXPECT_DOUBLE_EQ(l.Shapes[2].YMax, 35);
    EXPECT_DOUBLE_EQ(l.XMax, 50);
    EXPECT_DOUBLE_EQ(l.YMax, 0);  // the empty shape holds no place
    EXPECT_DOUBLE_EQ(l.YShift, 5);
}

TEST(Editing, LayerCommandsRefuseTakenNamesAndFeaturesKeepLoadedStyles) {
    LayerStore store;
    ScriptedPrompter prompter;
    TempDir dir;
    const int L = LoadSample(store, "nc.shp");
    ASSERT_GT(L, 0);
    WriteFileBytes(dir.file("taken.dbf"), "x");
    EXPECT_EQ(LayerCommand(store, 5, "taken.shp", dir.path(), prompter, nullptr), 0);
    EXPECT_EQ(LayerCommand(store, 5, "NC.SHP", dir.path(), prompter, nullptr), 0);
    EXPECT_EQ(prompter.Count(MsgFamily::Info, 7), 2);
    EXPECT_EQ(store.LayerCount, 1);

    const int n = LayerCommand(store, 2, "labels.txt", dir.path(), prompter, nullptr);
    ASSERT_EQ(n, 2);
    EXPECT_TRUE(store.AnnoLayerMade);
    EXPECT_EQ(store.AnnoLayerIndex, 2);
    EXPECT_EQ(LayerCommand(store, 2, "again", dir.path(), prompter, nullptr), 0);  // made once
    const ShpLayer& t = store.ShapeLayers[n];
    EXPECT_EQ(t.ShpName, "labels.shp");
    EXPECT_EQ(t.DbfName, "labels.dbf");
    EXPECT_EQ(t.ShpPath, dir.path() + "/");
    EXPECT_EQ(t.Fields.at(0).Name, "LabelName");
    EXPECT_DOUBLE_EQ(t.XMin, store.ShapeLayers[L].XMin);
    EXPECT_EQ(store.SymLayers[n].Visible, 5);
    EXPECT_EQ(store.LayerOrder.back(), n);
    EXPECT_EQ(store.CurrentLayer, L);

    // A point in the loaded layer (current) would not fit a polygon layer.
    EXPECT_EQ(MakeFeature(store, kMakePoint, 1, 1, 1, 1, &prompter), 0);
    // An area in the loaded polygon layer keeps its uniform style.
    const std::int32_t records = store.ShapeLayers[L].NumRecords;
    ASSERT_EQ(MakeFeature(store, kMakePolygon, -80, 35, -79, 36), L);
    EXPECT_EQ(store.SymLayers[L].Visible, 1);
    const ShpObj& made = store.ShapeLayers[L].Shapes[records + 1];
    EXPECT_EQ(made.Values, store.ShapeLayers[L].Shapes[records].Values);  // copied from the one before
    EXPECT_EQ(store.SymLayers[L].SymObjs[records + 1].BrushColor, store.SymLayers[L].FillColor);
    EXPECT_DOUBLE_EQ(made.XMin, -80);
    EXPECT_DOUBLE_EQ(made.YMax, 36);

    // Text points go to the made text layer, with empty values first.
    ASSERT_EQ(MakeFeature(store, kMakeTextPoint, -81, 35.5, -81, 35.5), n);
    EXPECT_EQ(store.ShapeLayers[n].Shapes[1].Values, std::vector<std::string>{""});
    // Its label is its label-field value: empty until typed, never a path.
    EXPECT_EQ(store.SymLayers[n].SymObjs[1].LabelText, "");
    const std::string typed = "Raleigh";
    ASSERT_EQ(MakeFeature(store, kMakeTextPoint, -80, 35.5, -80, 35.5, nullptr, &typed), n);
    EXPECT_EQ(store.ShapeLayers[n].Shapes[2].Values, std::vector<std::string>{"Raleigh"});
    EXPECT_EQ(store.SymLayers[n].SymObjs[2].LabelText, "Raleigh");
    // The next one copies the record before it, label and all.
    ASSERT_EQ(MakeFeature(store, kMakeTextPoint, -79, 35.5, -79, 35.5), n);
    EXPECT_EQ(store.SymLayers[n].SymObjs[3].LabelText, "Raleigh");
    // A feature of a loaded layer labels with its own value of the layer's
    // label field.
    store.SymLayers[L].LabelField = 4;  // NAME
    ASSERT_EQ(MakeFeature(store, kMakePolygon, -80, 35, -79, 36), L);
    EXPECT_EQ(store.SymLayers[L].SymObjs[records + 2].LabelText, store.ShapeLayers[L].Shapes[records].Values[4]);
}

TEST(Editing, NewLayerGoesToTheFolderTypedWithItsName) {
    LayerStore store;
    ScriptedPrompter prompter;
    TempDir shapes, other;
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(0, 0, 100, 100)});
    store.CurrentLayer = L;
    std::filesystem::create_directories(shapes.path() + "/out");

    // A folder of its own, absolute or inside the Shape directory.
    const int p = LayerCommand(store, 1, other.file("newpts.shp"), shapes.path(), prompter, nullptr);
    ASSERT_GT(p, 0);
    EXPECT_EQ(store.ShapeLayers[p].ShpPath, other.path() + "/");
    EXPECT_EQ(store.ShapeLayers[p].DbfPath, other.path() + "/");
    EXPECT_EQ(store.ShapeLayers[p].ShpName, "newpts.shp");
    const int l = LayerCommand(store, 3, "out/roads", shapes.path(), prompter, nullptr);
    ASSERT_GT(l, 0);
    EXPECT_EQ(store.ShapeLayers[l].ShpPath, shapes.path() + "/out/");
    // A bare name: the Shape directory.
    const int a = LayerCommand(store, 5, "areas", shapes.path(), prompter, nullptr);
    ASSERT_GT(a, 0);
    EXPECT_EQ(store.ShapeLayers[a].ShpPath, shapes.path() + "/");
    // A folder that is not there is refused with a word; nothing is made.
    EXPECT_EQ(LayerCommand(store, 2, shapes.path() + "/missing/texts", shapes.path(), prompter, nullptr), 0);
    ASSERT_FALSE(prompter.shown.empty());
    EXPECT_NE(prompter.shown.back().value.find("does not exist"), std::string::npos);
    EXPECT_EQ(store.LayerCount, a);
    EXPECT_FALSE(store.AnnoLayerMade);
    // Taken names are looked for in the typed folder.
    WriteFileBytes(other.file("texts.dbf"), "x");
    EXPECT_EQ(LayerCommand(store, 2, other.file("texts"), shapes.path(), prompter, nullptr), 0);
    EXPECT_EQ(prompter.Count(MsgFamily::Info, 7), 1);
}

TEST(Editing, CreatedPolygonLayerIsValidForGdal) {
    if (!HaveOgr()) GTEST_SKIP() << "ogrinfo is not installed";
    LayerStore store;
    ScriptedPrompter prompter;
    TempDir dir;
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(0, 0, 100, 100)});
    const int n = LayerCommand(store, 5, "made.shp", dir.path(), prompter, nullptr);
    ASSERT_GT(n, 0);
    ASSERT_EQ(MakeFeature(store, kMakePolygon, 10, 10, 40, 30), n);   // from lower-left
    ASSERT_EQ(MakeFeature(store, kMakePolygon, 60, 90, 20, 50), n);   // from upper-right
    ASSERT_EQ(MakeFeature(store, kMakePolygon, 70, 10, 90, 40), n);
    store.CurrentLayer = n;
    store.CurrentShape = 3;
    ASSERT_TRUE(EditSelected(store, kDeleteShape, 0, 0));
    ReExtentLayer(store, n);
    NullProgress none;
    const std::string shp = dir.file("made.shp");
    ASSERT_TRUE(WriteShapefile(store, n, shp, none));
    const std::string out = Shell("ogrinfo -q -dialect sqlite -sql \"SELECT ST_IsValid(geometry) AS v, "
                                "ST_IsClosed(ST_ExteriorRing(geometry)) AS c FROM made\" " + shp + " 2>&1");
    EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
    std::size_t valid = 0, pos = 0;
    while ((pos = out.find("v (Integer) = 1", pos)) != std::string::npos) ++valid, ++pos;
    EXPECT_EQ(valid, 2u) << out;
    std::size_t closed = 0;
    pos = 0;
    while ((pos = out.find("c (Integer) = 1", pos)) != std::string::npos) ++closed, ++pos;
    EXPECT_EQ(closed, 2u) << out;
}

}  // namespace
}  // namespace zemba::test
