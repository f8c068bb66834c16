// The identify window's lists and their clicks, and layer encodings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>

#include "attributes/attribute_windows.h"
#include "attributes/identify.h"
#include "text/layer_codec.h"
#include "core/attributes.h"
#include "core/shp_reader.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance() ? static_cast<QApplication*>(QApplication::instance())
                                                        : new QApplication(argc, argv);
    return *app;
}

Result Open(LayerStore& s, const std::string& path) { return test::OpenShapefile(s, path); }

void Hit(LayerStore& s, std::vector<HitEntry> hits) {
    s.HitList.assign(1, HitEntry{});
    for (const HitEntry& h : hits) s.HitList.push_back(h);
    s.HitCount = static_cast<std::int32_t>(hits.size());
}

}  // namespace

TEST(Identify, ListsForAPolygonAndItsParts) {
    LayerStore s;
    ASSERT_TRUE(Open(s, DataPath("nc.shp")));
    ASSERT_TRUE(Open(s, DataPath("types/point.shp")));
    AttributeHooks hooks;
    std::vector<std::vector<int>> drawn;
    bool selected = false;
    hooks.DisplayGraphicShape = [&](int l, int sh, int p) { drawn.push_back({l, sh, p}); };
    hooks.DisplayEditPoint = [&](int l, int sh, int pt, int p) { drawn.push_back({l, sh, pt, p}); };
    hooks.ShapeSelected = [&] { selected = true; };
    IdentifyLogic id(s, hooks);
    Hit(s, {{1, 4}, {2, 1}, {7, 1}});  // the last names no layer and is left out
    id.IDInit();
    ASSERT_EQ(id.Candidates, (std::vector<std::string>{"Obj : 1.4 Type: Areas", "Obj : 2.1 Type: Points"}));
    EXPECT_TRUE(selected);
    EXPECT_EQ(drawn.front(), (std::vector<int>{1, 4, 0}));
    const ShpLayer& nc = s.ShapeLayers[1];
    ASSERT_GE(id.Info.size(), 6u);
    EXPECT_EQ(id.Info[0], "Layer : 1 nc.shp");
    EXPECT_EQ(id.Info[1], "Obj : 4");
    EXPECT_EQ(id.Info[2], "Parts : " + std::to_string(nc.Shapes[4].NumParts));
    EXPECT_EQ(id.Info.back(), nc.Fields.back().Name + " : " + nc.Shapes[4].Values.back());
    EXPECT_EQ(id.Parts.size(), static_cast<std::size_t>(nc.Shapes[4].NumParts));

    id.PartClick(0);
    EXPECT_EQ(drawn.back(), (std::vector<int>{1, 4, 1}));
    ASSERT_EQ(id.Points.size(), static_cast<std::size_t>(nc.Shapes[4].PartSizes[1]));
    EXPECT_EQ(id.Points[0], "X: " + GeneralFloat(nc.Shapes[4].Parts[1].Pts[1].X) + " ,Y: " +
                                GeneralFloat(nc.Shapes[4].Parts[1].Pts[1].Y));
    id.PointClick(2);
    EXPECT_EQ(drawn.back(), (std::vector<int>{1, 4, 3, 1}));

    id.CandidateClick(1);  // a point: no parts, its one point
    EXPECT_TRUE(id.Parts.empty());
    ASSERT_EQ(id.Points.size(), 1u);
    EXPECT_EQ(id.Points[0], "X: " + GeneralFloat(s.ShapeLayers[2].Shapes[1].XMin) + " ,Y: " +
                                GeneralFloat(s.ShapeLayers[2].Shapes[1].YMin));
    id.PartClick(5);  // out of range: nothing
}

TEST(Identify, DeletedShapesAndShapesPastTheTable) {
    LayerStore s;
    ASSERT_TRUE(Open(s, DataPath("nc.shp")));
    ShpLayer& L = s.ShapeLayers[1];
    L.NullShape.assign(L.NumRecords + 1, 0);
    L.NullShape[2] = 1;
    std::vector<std::string> info = InformationList(s, 1, 2);
    EXPECT_EQ(info[2], "Deleted");
    L.Shapes[3].Values.clear();
    info = InformationList(s, 1, 3);
    EXPECT_EQ(info.back(), L.Fields.back().Name + " : ");
    EXPECT_TRUE(InformationList(s, 1, 101).empty());
    EXPECT_TRUE(InformationList(s, 2, 1).empty());
}

TEST(Identify, MultipointPointsComeFromItsOnePart) {
    LayerStore s;
    ASSERT_TRUE(Open(s, DataPath("types/multipoint.shp")));
    const ShpObj& o = s.ShapeLayers[1].Shapes[1];
    EXPECT_TRUE(PartsList(s, 1, 1).empty());
    EXPECT_EQ(PointsList(s, 1, 1, 1).size(), static_cast<std::size_t>(o.NumPoints));
    EXPECT_TRUE(PointsList(s, 1, 1, 2).empty());
}

TEST(IdentifyWindow, ShowsTheListsAndForgetsThemWhenLayersChange) {
    App();
    LayerStore s;
    ASSERT_TRUE(Open(s, DataPath("nc.shp")));
    s.ShapeLayers[1].CodePage = "UTF-8";
    s.ShapeLayers[1].Shapes[5].Values[4] = "C\xC3\xB4te";
    SilentPrompter p;
    AttributeWindows w(s, p, nullptr);
    Hit(s, {{1, 5}, {1, 6}});
    w.ShowIdentify();
    TIDForm& id = w.Identify();
    EXPECT_EQ(id.windowTitle(), "Identify");
    ASSERT_EQ(id.CandidateList()->count(), 2);
    EXPECT_EQ(id.CandidateList()->currentRow(), 0);
    bool found = false;
    for (int r = 0; r < id.InfoList()->count(); ++r)
        found = found || id.InfoList()->item(r)->text() == QString::fromUtf8("NAME : C\xC3\xB4te");
    EXPECT_TRUE(found);
    id.CandidateList()->setCurrentRow(1);
    EXPECT_EQ(id.InfoList()->item(1)->text(), "Obj : 6");
    id.PartsList()->setCurrentRow(0);
    EXPECT_GT(id.PointsList()->count(), 3);

    w.LayerTableChanged();
    EXPECT_EQ(id.CandidateList()->count(), 0);
    EXPECT_EQ(id.Logic().Layer, 0);
}

TEST(LayerCodec, CodePageNames) {
    EXPECT_EQ(CodePageName("UTF-8\r\n"), "UTF-8");
    EXPECT_EQ(CodePageName("1252"), "windows-1252");
    EXPECT_EQ(CodePageName("ANSI 1251"), "windows-1251");
    EXPECT_EQ(CodePageName("88591"), "ISO-8859-1");
    EXPECT_EQ(CodePageName("437"), "IBM437");
    EXPECT_EQ(CodePageName(""), "");
    LayerCodec cyr("1251");
    EXPECT_EQ(cyr.ToUnicode("\xCC\xE8\xF0"), QString::fromUtf8("Мир"));
    EXPECT_EQ(cyr.FromUnicode(QString::fromUtf8("Мир")), "\xCC\xE8\xF0");
    LayerCodec none;
    EXPECT_TRUE(none.IsLatin1());
    EXPECT_EQ(none.ToUnicode("\xF4"), QString::fromUtf8("ô"));
    EXPECT_TRUE(LayerCodec("no-such-encoding").IsLatin1());
}
