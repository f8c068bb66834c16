#include <gtest/gtest.h>

#include "core/attributes.h"
#include "core/shp_reader.h"
#include "tests/core/shp_builder.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

// A point layer of `n` points with the given table beside it.
std::string MakeLayer(const TempDir& d, int n, const std::string& dbf) {
    ShpBuilder b(1);
    for (int k = 0; k < n; ++k) b.Point(k, k);
    WriteFileBytes(d.file("t.shp"), b.Bytes());
    WriteFileBytes(d.file("t.dbf"), dbf);
    return d.file("t.shp");
}

Result OpenWithTable(LayerStore& s, const std::string& path) {
    SilentPrompter p;
    NullProgress g;
    s.AppendLayerSlot();
    s.LayerFileName = path;
    Result r = ReadShapefile(s, p, g);
    if (r) r = LoadAttributes(s, s.CurrentLayer, g);
    return r;
}

}  // namespace

TEST(Attributes, ValuesReadAsTheLayerKeepsThem) {
    TempDir d;
    std::string dbf = MakeDbf({{"NAME", 'C', 10, 0},
                               {"OK", 'L', 1, 0},
                               {"COUNT", 'N', 5, 0},
                               {"BIG", 'N', 12, 0},
                               {"AREA", 'N', 12, 3},
                               {"WHEN", 'D', 8, 0},
                               {"NOTE", 'M', 10, 0}},
                              {{"Ashe", "T", "   42", "12345678901", "    0.114000", "19991231", "1"},
                               {"", "F", "*****", "", "-3.5", "        ", ""},
                               {std::string(10, '\0'), "?", "  -7", "0", "1e3", "20200229", ""}});
    LayerStore s;
    ASSERT_TRUE(OpenWithTable(s, MakeLayer(d, 3, dbf)));
    const ShpLayer& L = s.ShapeLayers[1];
    ASSERT_EQ(L.NumFields, 7);
    EXPECT_EQ(L.DbfName, "t.dbf");
    EXPECT_EQ(L.Fields[0].FieldNo, 1);
    EXPECT_EQ(L.Fields[0].DataType, ftString);
    EXPECT_EQ(L.Fields[0].Size, 10);
    EXPECT_EQ(L.Fields[1].DataType, ftBoolean);
    EXPECT_EQ(L.Fields[2].DataType, ftInteger);
    EXPECT_EQ(L.Fields[3].DataType, ftLargeint);
    EXPECT_EQ(L.Fields[4].DataType, ftFloat);
    EXPECT_EQ(L.Fields[4].Precision, 3);
    EXPECT_EQ(L.Fields[5].DataType, ftDate);
    EXPECT_EQ(L.Fields[6].DataType, ftUnknown);

    const auto& a = L.Shapes[1].Values;
    EXPECT_EQ(a[0], "Ashe");
    EXPECT_EQ(a[1], "True");
    EXPECT_EQ(a[2], "42");
    EXPECT_EQ(a[3], "12345678901");
    EXPECT_EQ(a[4], "0.114");
    EXPECT_EQ(a[5], "12/31/1999");  // the C locale's short date, year in full
    EXPECT_EQ(a[6], "Unknown Lost Value");
    const auto& b = L.Shapes[2].Values;
    EXPECT_EQ(b[0], "Null");  // empty text
    EXPECT_EQ(b[1], "False");
    EXPECT_EQ(b[2], "x");  // asterisks: null number
    EXPECT_EQ(b[3], "x");
    EXPECT_EQ(b[4], "-3.5");
    EXPECT_EQ(b[5], "x");
    const auto& c = L.Shapes[3].Values;
    EXPECT_EQ(c[0], "x");  // a null character field
    EXPECT_EQ(c[1], "x");
    EXPECT_EQ(c[2], "-7");
    EXPECT_EQ(c[4], "1000");
    EXPECT_EQ(c[5], "02/29/2020");
}

TEST(Attributes, SmallIntegerWidthsAndFloats) {
    FieldDefRec f;
    f.DataType = ftSmallint;
    EXPECT_EQ(FieldValueText(f, "  12", 4), "12");
    f.DataType = ftFloat;
    EXPECT_EQ(FieldValueText(f, "0.1234567890123456789", 21), "0.123456789012346");
    EXPECT_EQ(FieldValueText(f, "garbage", 7), "x");
}

TEST(Attributes, MoreOrFewerRowsThanShapes) {
    TempDir d;
    std::vector<std::vector<std::string>> rows;
    for (int k = 1; k <= 5; ++k) rows.push_back({std::to_string(k)});
    LayerStore more;
    ASSERT_TRUE(OpenWithTable(more, MakeLayer(d, 3, MakeDbf({{"ID", 'N', 4, 0}}, rows))));
    EXPECT_EQ(more.ShapeLayers[1].Shapes.size(), 4u);
    EXPECT_EQ(more.ShapeLayers[1].Shapes[3].Values[0], "3");

    rows.resize(2);
    LayerStore fewer;
    ASSERT_TRUE(OpenWithTable(fewer, MakeLayer(d, 3, MakeDbf({{"ID", 'N', 4, 0}}, rows))));
    EXPECT_EQ(fewer.ShapeLayers[1].Shapes[2].Values[0], "2");
    EXPECT_TRUE(fewer.ShapeLayers[1].Shapes[3].Values.empty());
}

TEST(Attributes, DamagedTablesFailWithAReason) {
    TempDir d;
    std::string dbf = MakeDbf({{"NAME", 'C', 10, 0}}, {{"a"}, {"b"}, {"c"}});
    for (std::string bad : {std::string(), dbf.substr(0, 20), dbf.substr(0, dbf.size() - 15)}) {
        LayerStore s;
        Result r = OpenWithTable(s, MakeLayer(d, 3, bad));
        EXPECT_FALSE(r);
        EXPECT_FALSE(r.reason.empty());
    }
    // A field wider than the record.
    std::string wide = dbf;
    wide[32 + 16] = static_cast<char>(200);
    LayerStore s;
    EXPECT_FALSE(OpenWithTable(s, MakeLayer(d, 3, wide)));
}

TEST(Attributes, RealTablesMatchTheirShapes) {
    LayerStore s;
    ASSERT_TRUE(OpenWithTable(s, DataPath("nc.shp")));
    const ShpLayer& L = s.ShapeLayers[1];
    EXPECT_EQ(L.NumFields, 14);
    EXPECT_EQ(L.Fields[4].Name, "NAME");
    EXPECT_EQ(L.Shapes[1].Values[4], "Ashe");
    EXPECT_EQ(L.Shapes[100].Values[4], "Brunswick");
    LayerStore w;
    ASSERT_TRUE(OpenWithTable(w, DataPath("world.shp")));
    // Asterisk-filled numbers are nulls.
    int nulls = 0;
    for (std::size_t k = 1; k < w.ShapeLayers[1].Shapes.size(); ++k)
        for (auto& v : w.ShapeLayers[1].Shapes[k].Values) nulls += v == "x";
    EXPECT_GT(nulls, 0);
}

// ---------------------------------------------------------------------------

namespace {
LayerStore ThreeShapeLayer() {
    LayerStore s;
    s.AppendLayerSlot();
    s.ShapeLayers[1].ShapeType = 1;
    s.ShapeLayers[1].NumRecords = 3;
    s.ShapeLayers[1].Shapes.resize(4);
    s.SetLoadedLayerDefaults(1);
    return s;
}
}  // namespace

TEST(SideFiles, LayoutAndRoundTrip) {
    TempDir d;
    LayerStore s = ThreeShapeLayer();
    SymLayer& S = s.SymLayers[1];
    S.Visible = 5;
    S.SpareA = -2;
    S.Labeled = 1;
    S.LabelBackColor = 0x123456;
    S.LabelBackgrounded = 0;
    S.LabelRotation = 45;
    S.LabelField = 2;
    S.ClassBreaks = {0.5, 1, 2, 3, 4, 9.25};
    for (int k = 1; k <= 3; ++k) {
        SymObj& o = S.SymObjs[k];
        o.StyleSet = k;
        o.BrushColor = 0xFF0000u + k;
        o.PenWidth = k + 1;
        o.LabelPlaced = 1;
        o.LabelX = k * 1.5;
        o.LabelY = -k;
        o.ObjSpare4 = 77;
        o.LabelText = "label " + std::to_string(k);
    }
    S.SymObjs[2].LabelText = "two\r\nlines";
    NullProgress g;
    ASSERT_TRUE(WriteSideFiles(s, d.file("a.shp"), 1, g));
    std::string att = ReadFileBytes(d.file("a.att"));
    ASSERT_EQ(att.size(), 324u);
    EXPECT_EQ(GetLE(att, 0), 5);     // Visible
    EXPECT_EQ(GetLE(att, 12), 5);    // NumClasses
    EXPECT_EQ(att[24], 1);           // Editable
    EXPECT_EQ(GetLE(att, 26), 1);    // Labeled
    EXPECT_EQ(GetLE(att, 30), 0x123456);
    EXPECT_EQ(GetLE(att, 35), 0);    // font slot
    EXPECT_EQ(GetLE(att, 43), 45);   // rotation
    EXPECT_EQ(GetD(att, 51), 0.5);
    EXPECT_EQ(GetD(att, 91), 9.25);
    EXPECT_EQ(GetLE(att, 99 + 75 + 0), 2);          // shape 2 StyleSet
    EXPECT_EQ(GetD(att, 99 + 75 + 59), 3.0);        // shape 2 LabelX
    EXPECT_EQ(ReadFileBytes(d.file("a.atx")), "label 1\r\ntwo  lines\r\nlabel 3\r\n");

    LayerStore t = ThreeShapeLayer();
    ASSERT_TRUE(ReadSideFiles(t, d.file("a.att"), 1, g));
    const SymLayer& R = t.SymLayers[1];
    EXPECT_EQ(R.Visible, 5);
    EXPECT_EQ(R.SpareA, -2);
    EXPECT_EQ(R.LabelBackColor, 0x123456u);
    EXPECT_EQ(R.LabelBackgrounded, 0);
    EXPECT_EQ(R.ClassBreaks, S.ClassBreaks);
    EXPECT_EQ(R.SymObjs[3].BrushColor, 0xFF0003u);
    EXPECT_EQ(R.SymObjs[3].LabelY, -3);
    EXPECT_EQ(R.SymObjs[1].ObjSpare4, 77);
    EXPECT_EQ(R.SymObjs[3].LabelText, "label 3");
    EXPECT_EQ(R.SymObjs[2].LabelFont, R.LabelFont);  // the layer's font, never the slot
    EXPECT_TRUE(R.SymObjs[2].LabelFont);
}

TEST(SideFiles, SevenClassesWriteEightBreaks) {
    TempDir d;
    LayerStore s = ThreeShapeLayer();
    s.SymLayers[1].NumClasses = 7;
    s.SymLayers[1].ClassBreaks = {0, 1, 2, 3, 4, 5, 6, 7};
    NullProgress g;
    ASSERT_TRUE(WriteSideFiles(s, d.file("a.shp"), 1, g));
    EXPECT_EQ(ReadFileBytes(d.file("a.att")).size(), 51u + 64 + 225);
    LayerStore t = ThreeShapeLayer();
    ASSERT_TRUE(ReadSideFiles(t, d.file("a.att"), 1, g));
    EXPECT_EQ(t.SymLayers[1].ClassBreaks.size(), 8u);
    EXPECT_EQ(t.SymLayers[1].ClassBreaks[7], 7);
}

TEST(SideFiles, ShortOrMissingFilesLeaveTheDefaults) {
    TempDir d;
    LayerStore s = ThreeShapeLayer();
    s.SymLayers[1].Visible = 9;
    NullProgress g;
    ASSERT_TRUE(WriteSideFiles(s, d.file("a.shp"), 1, g));
    const std::string att = ReadFileBytes(d.file("a.att"));
    const std::string atx = ReadFileBytes(d.file("a.atx"));

    auto check = [&](const char* what) {
        LayerStore t = ThreeShapeLayer();
        Result r = ReadSideFiles(t, d.file("a.att"), 1, g);
        EXPECT_FALSE(r) << what;
        EXPECT_FALSE(r.reason.empty()) << what;
        EXPECT_EQ(t.SymLayers[1].Visible, 1) << what;
    };
    WriteFileBytes(d.file("a.att"), att.substr(0, att.size() - 1));
    check("short .att");
    WriteFileBytes(d.file("a.att"), att);
    WriteFileBytes(d.file("a.atx"), "one\r\ntwo\r\n");
    check("short .atx");
    std::remove(d.file("a.atx").c_str());
    check("missing .atx");
    std::string huge = att;
    huge[12] = huge[13] = huge[14] = '\x7f';
    WriteFileBytes(d.file("a.att"), huge);
    WriteFileBytes(d.file("a.atx"), atx);
    check("absurd class count");
}

TEST(SideFiles, ReaderAppliesThemWhenPresent) {
    TempDir d;
    CopySample("types/point", d.path());
    LayerStore s;
    SilentPrompter p;
    NullProgress g;
    s.AppendLayerSlot();
    s.LayerFileName = d.file("point.shp");
    ASSERT_TRUE(ReadShapefile(s, p, g));
    s.SymLayers[1].Labeled = 3;
    s.SymLayers[1].SymObjs[2].LabelText = "here";
    ASSERT_TRUE(WriteSideFiles(s, d.file("point.shp"), 1, g));

    LayerStore t;
    t.AppendLayerSlot();
    t.LayerFileName = d.file("point.shp");
    ASSERT_TRUE(ReadShapefile(t, p, g));
    EXPECT_EQ(t.SymLayers[1].Labeled, 3);
    EXPECT_EQ(t.SymLayers[1].SymObjs[2].LabelText, "here");
    EXPECT_EQ(t.SymLayers[1].FillColor, palette(1));  // not kept in the file
}
