// Saving a layer with its table, checked byte by byte and through GDAL.
#include <gtest/gtest.h>

#include <shapefil.h>

#include <cstdio>
#include <memory>

#include "core/attributes.h"
#include "core/dbf_table.h"
#include "core/file_io.h"
#include "core/layer_save.h"
#include "core/shp_reader.h"
#include "tests/core/shp_builder.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

Result Open(LayerStore& s, const std::string& path) { return test::OpenShapefile(s, path); }

Result Save(const LayerStore& s, std::int32_t i, const std::string& path) {
    NullProgress g;
    return SaveLayer(s, i, path, g);
}

using test::Shell;

bool HaveGdal() { return Shell("command -v ogrinfo").find("ogrinfo") != std::string::npos; }

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Offset of record r's (0-based) field f in a .dbf.
std::size_t CellOffset(const std::string& dbf, int r, int f) {
    const int header = static_cast<unsigned char>(dbf[8]) | (static_cast<unsigned char>(dbf[9]) << 8);
    const int length = static_cast<unsigned char>(dbf[10]) | (static_cast<unsigned char>(dbf[11]) << 8);
    std::size_t at = static_cast<std::size_t>(header) + static_cast<std::size_t>(r) * length + 1;
    for (int k = 0; k < f; ++k) at += static_cast<unsigned char>(dbf[32 + 32 * k + 16]);
    return at;
}

int FieldIndex(const ShpLayer& L, const std::string& name) {
    for (std::size_t f = 0; f < L.Fields.size(); ++f)
        if (L.Fields[f].Name == name) return static_cast<int>(f);
    return -1;
}

void MakePolygonLayer(LayerStore& s) {
    s.AppendLayerSlot();
    ShpLayer& L = s.ShapeLayers[1];
    L.ShapeType = 5;
    L.NumFields = 2;
    L.Fields = {{1, "LabelName", ftString, 25, 0, 0}, {2, "Height", ftFloat, 0, 0, 0}};
    L.NumRecords = 2;
    L.Shapes.resize(3);
    for (int k = 1; k <= 2; ++k) {
        ShpObj& o = L.Shapes[k];
        const double x = 10.0 * k;
        o.ShapeType = 5;
        o.NumParts = 1;
        o.NumPoints = 5;
        o.PartSizes = {0, 5};
        o.Parts.resize(2);
        // Clockwise and closed.
        o.Parts[1].Pts = {{0, 0}, {x, 0}, {x, 5}, {x + 5, 5}, {x + 5, 0}, {x, 0}};
        o.XMin = x, o.YMin = 0, o.XMax = x + 5, o.YMax = 5;
        o.Values = {k == 1 ? "Barn" : "Silo", k == 1 ? "3.5" : "12"};
    }
    L.XMin = 10, L.YMin = 0, L.XMax = 25, L.YMax = 5;
    s.SetLoadedLayerDefaults(1);
}

}  // namespace

TEST(LayerSave, EditedCellIsTheOnlyChangeInTheTable) {
    TempDir d;
    LayerStore s;
    ASSERT_TRUE(Open(s, DataPath("nc.shp")));
    ShpLayer& L = s.ShapeLayers[1];
    const int name = FieldIndex(L, "NAME"), bir = FieldIndex(L, "BIR74");
    ASSERT_GE(name, 0);
    L.Shapes[5].Values[name] = "Zebulon";
    L.Shapes[7].Values[bir] = "1234";
    ASSERT_TRUE(Save(s, 1, d.file("nc.shp")));

    const std::string before = ReadFileBytes(DataPath("nc.dbf"));
    const std::string after = ReadFileBytes(d.file("nc.dbf"));
    ASSERT_EQ(after.size(), before.size());
    const std::size_t nameAt = CellOffset(before, 4, name), birAt = CellOffset(before, 6, bir);
    for (std::size_t k = 0; k < before.size(); ++k) {
        if (k >= 1 && k <= 3) continue;  // the date of the last change
        if (k >= nameAt && k < nameAt + 80) continue;
        if (k >= birAt && k < birAt + 24) continue;
        ASSERT_EQ(before[k], after[k]) << "byte " << k;
    }
    EXPECT_EQ(after.substr(nameAt, 8), "Zebulon ");
    EXPECT_EQ(after.substr(birAt, 24), "    1234.000000000000000");
    // The projection comes along.
    EXPECT_EQ(ReadFileBytes(d.file("nc.prj")), ReadFileBytes(DataPath("nc.prj")));

    LayerStore back;
    ASSERT_TRUE(Open(back, d.file("nc.shp")));
    for (int k = 1; k <= 100; ++k) EXPECT_EQ(back.ShapeLayers[1].Shapes[k].Values, L.Shapes[k].Values) << k;

    if (!HaveGdal()) GTEST_SKIP() << "ogrinfo is not installed";
    const std::string info = Shell("ogrinfo -q -fid 4 " + d.file("nc.shp") + " nc 2>&1");
    EXPECT_NE(info.find("NAME (String) = Zebulon"), std::string::npos) << info;
}

TEST(LayerSave, DeletedShapesAreNullRecordsWithFlaggedRows) {
    TempDir d;
    LayerStore s;
    ASSERT_TRUE(Open(s, DataPath("nc.shp")));
    ShpLayer& L = s.ShapeLayers[1];
    L.NullShape.assign(L.NumRecords + 1, 0);
    L.NullShape[3] = 1;
    ASSERT_TRUE(Save(s, 1, d.file("nc.shp")));

    DBFHandle h = DBFOpen(d.file("nc.dbf").c_str(), "rb");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(DBFGetRecordCount(h), 100);
    EXPECT_TRUE(DBFIsRecordDeleted(h, 2));
    EXPECT_FALSE(DBFIsRecordDeleted(h, 3));
    DBFClose(h);

    LayerStore back;
    ASSERT_TRUE(Open(back, d.file("nc.shp")));
    EXPECT_TRUE(back.ShapeLayers[1].IsNullShape(3));
    EXPECT_EQ(back.ShapeLayers[1].NumRecords, 100);

    // Undeleted again, the row loses its flag.
    back.ShapeLayers[1].NullShape[3] = 0;
    back.ShapeLayers[1].Shapes[3] = L.Shapes[3];
    ASSERT_TRUE(Save(back, 1, d.file("nc.shp")));
    EXPECT_EQ(ReadFileBytes(d.file("nc.dbf")).substr(4), ReadFileBytes(DataPath("nc.dbf")).substr(4));

    back.ShapeLayers[1].NullShape[3] = 1;
    ASSERT_TRUE(Save(back, 1, d.file("nc.shp")));
    if (!HaveGdal()) GTEST_SKIP() << "ogrinfo is not installed";
    const std::string all = Shell("ogrinfo -q -al " + d.file("nc.shp") + " 2>&1");
    EXPECT_EQ(Count(all, "OGRFeature("), 99);
    EXPECT_EQ(all.find("= Surry"), std::string::npos);  // the third county is gone
    EXPECT_NE(all.find("= Ashe"), std::string::npos);
}

TEST(LayerSave, RowsFollowTheShapesAndAddedFieldsKeepTheirType) {
    TempDir d;
    LayerStore s;
    ASSERT_TRUE(Open(s, DataPath("nc.shp")));
    ShpLayer& L = s.ShapeLayers[1];
    const int oldFields = L.NumFields;
    // A new field of each kind, as Add Field makes them.
    L.Fields.push_back({oldFields + 1, "Flag", ftBoolean, 1, 0, 0});
    L.Fields.push_back({oldFields + 2, "Ratio", ftFloat, 24, 15, 0});
    L.Fields.push_back({oldFields + 3, "Note", ftString, 25, 0, 0});
    L.Fields.push_back({oldFields + 4, "Seen", ftDateTime, 8, 0, 0});
    L.NumFields = static_cast<std::int32_t>(L.Fields.size());
    for (int k = 1; k <= L.NumRecords; ++k) {
        auto& v = L.Shapes[k].Values;
        v.push_back(k % 2 ? "True" : "False");
        v.push_back(std::to_string(k) + ".25");
        v.push_back("n" + std::to_string(k));
        v.push_back(ShortDate(2024, 2, 29));
    }
    // One shape more than the table has rows: its cells are empty.
    L.NumRecords = 101;
    L.Shapes.resize(102);
    L.Shapes[101] = L.Shapes[100];
    L.Shapes[101].Values.clear();
    s.SymLayers[1].SymObjs.resize(102);
    ASSERT_TRUE(Save(s, 1, d.file("nc.shp")));

    const std::string before = ReadFileBytes(DataPath("nc.dbf"));
    const std::string after = ReadFileBytes(d.file("nc.dbf"));
    // Every old cell is where the new header puts it, unchanged.
    const int nameField = FieldIndex(L, "NAME");
    EXPECT_EQ(after.substr(CellOffset(after, 41, nameField), 80), before.substr(CellOffset(before, 41, nameField), 80));

    DBFHandle h = DBFOpen(d.file("nc.dbf").c_str(), "rb");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(DBFGetRecordCount(h), 101);
    EXPECT_EQ(DBFGetNativeFieldType(h, oldFields), 'L');
    EXPECT_EQ(DBFGetNativeFieldType(h, oldFields + 1), 'N');
    EXPECT_EQ(DBFGetNativeFieldType(h, oldFields + 3), 'D');
    EXPECT_TRUE(DBFIsAttributeNULL(h, 100, oldFields + 2));
    EXPECT_STREQ(DBFReadStringAttribute(h, 99, oldFields + 3), "20240229");
    DBFClose(h);

    LayerStore back;
    ASSERT_TRUE(Open(back, d.file("nc.shp")));
    const ShpLayer& B = back.ShapeLayers[1];
    ASSERT_EQ(B.NumFields, oldFields + 4);
    EXPECT_EQ(B.Fields[oldFields].DataType, ftBoolean);
    EXPECT_EQ(B.Fields[oldFields + 1].DataType, ftFloat);
    EXPECT_EQ(B.Shapes[3].Values[oldFields], "True");
    EXPECT_EQ(B.Shapes[3].Values[oldFields + 1], "3.25");
    EXPECT_EQ(B.Shapes[3].Values[oldFields + 2], "n3");
    EXPECT_EQ(B.Shapes[3].Values[oldFields + 3], ShortDate(2024, 2, 29));
    EXPECT_EQ(B.Shapes[3].Values[nameField], L.Shapes[3].Values[nameField]);
}

TEST(LayerSave, CreatedPolygonLayerIsReadByGdalAndByUs) {
    TempDir d;
    LayerStore s;
    MakePolygonLayer(s);
    ASSERT_TRUE(Save(s, 1, d.file("made.shp")));
    EXPECT_FALSE(FileExists(d.file("made.cpg")));
    EXPECT_FALSE(FileExists(d.file("made.prj")));

    LayerStore back;
    ASSERT_TRUE(Open(back, d.file("made.shp")));
    const ShpLayer& B = back.ShapeLayers[1];
    ASSERT_EQ(B.NumFields, 2);
    EXPECT_EQ(B.Fields[0].Name, "LabelName");
    EXPECT_EQ(B.Shapes[1].Values, (std::vector<std::string>{"Barn", "3.5"}));
    EXPECT_EQ(B.Shapes[2].Values, (std::vector<std::string>{"Silo", "12"}));

    if (!HaveGdal()) GTEST_SKIP() << "ogrinfo is not installed";
    const std::string info = Shell("ogrinfo -q -al " + d.file("made.shp") + " 2>&1");
    EXPECT_NE(info.find("LabelName (String) = Barn"), std::string::npos) << info;
    EXPECT_NE(info.find("Height (Real) = 12"), std::string::npos) << info;
    EXPECT_NE(info.find("POLYGON ((10 0,10 5,15 5,15 0,10 0))"), std::string::npos) << info;
    // GDAL's own check of the rings.
    const std::string valid = Shell("ogrinfo -q -dialect sqlite -sql \"SELECT ST_IsValid(geometry) AS ok FROM made\" " +
                                    d.file("made.shp") + " 2>&1");
    EXPECT_EQ(Count(valid, "ok (Integer) = 1"), 2) << valid;
}

TEST(LayerSave, TextLayerIsAPointFileWithItsLabels) {
    TempDir d;
    LayerStore s;
    s.AppendLayerSlot();
    ShpLayer& L = s.ShapeLayers[1];
    L.ShapeType = 2;
    L.NumFields = 1;
    L.Fields = {{1, "LabelName", ftString, 25, 0, 0}};
    L.NumRecords = 2;
    L.Shapes.resize(3);
    s.SetLoadedLayerDefaults(1);
    s.SymLayers[1].Labeled = 5;
    for (int k = 1; k <= 2; ++k) {
        L.Shapes[k].XMin = L.Shapes[k].XMax = k;
        L.Shapes[k].YMin = L.Shapes[k].YMax = 2 * k;
        L.Shapes[k].Values = {k == 1 ? "Mill Pond" : "Old Road"};
        s.SymLayers[1].SymObjs[k].LabelText = L.Shapes[k].Values[0];
        s.SymLayers[1].SymObjs[k].LabelX = k;
    }
    ASSERT_TRUE(Save(s, 1, d.file("text.shp")));
    EXPECT_TRUE(FileExists(d.file("text.att")));

    LayerStore back;
    ASSERT_TRUE(Open(back, d.file("text.shp")));
    EXPECT_EQ(back.ShapeLayers[1].ShapeType, 1);
    EXPECT_EQ(back.SymLayers[1].Labeled, 5);
    EXPECT_EQ(back.SymLayers[1].SymObjs[2].LabelText, "Old Road");
    EXPECT_EQ(back.ShapeLayers[1].Shapes[2].YMin, 4.0);
    EXPECT_EQ(back.ShapeLayers[1].Shapes[1].Values[0], "Mill Pond");

    if (!HaveGdal()) GTEST_SKIP() << "ogrinfo is not installed";
    const std::string info = Shell("ogrinfo -q -al " + d.file("text.shp") + " 2>&1");
    EXPECT_NE(info.find("POINT (2 4)"), std::string::npos) << info;
    EXPECT_NE(info.find("= Old Road"), std::string::npos) << info;
}

TEST(LayerSave, ZFileWithoutMeasuresStaysZOnly) {
    if (!HaveGdal()) GTEST_SKIP() << "ogr2ogr is not installed";
    TempDir d;
    // GDAL writes PolyLineZ records without the optional M section.
    Shell("ogr2ogr -q " + d.file("z.shp") + " " + DataPath("types/polylinez.shp") + " 2>&1");
    ASSERT_TRUE(FileExists(d.file("z.shp")));
    LayerStore s;
    ASSERT_TRUE(Open(s, d.file("z.shp")));
    ASSERT_EQ(s.ShapeLayers[1].ShapeType, 13);
    ASSERT_TRUE(Save(s, 1, d.file("again.shp")));
    const std::string info = Shell("ogrinfo -so -al " + d.file("again.shp") + " 2>&1");
    EXPECT_NE(info.find("Geometry: 3D Line String"), std::string::npos) << info;
    EXPECT_EQ(info.find("Measured"), std::string::npos) << info;
    LayerStore back;
    ASSERT_TRUE(Open(back, d.file("again.shp")));
    EXPECT_EQ(back.ShapeLayers[1].Shapes3[1].Parts[1].Pts[2].Z, s.ShapeLayers[1].Shapes3[1].Parts[1].Pts[2].Z);
}

TEST(LayerSave, CodePageFileIsKeptAndValuesStayBytes) {
    TempDir d;
    CopySample("nc", d.path());
    WriteFileBytes(d.file("nc.cpg"), "UTF-8\n");
    LayerStore s;
    ASSERT_TRUE(Open(s, d.file("nc.shp")));
    ShpLayer& L = s.ShapeLayers[1];
    EXPECT_EQ(L.CodePage, "UTF-8\n");
    const int name = FieldIndex(L, "NAME");
    L.Shapes[1].Values[name] = "C\xC3\xB4te";  // bytes of the file's encoding
    ASSERT_TRUE(Save(s, 1, d.file("out.shp")));
    EXPECT_EQ(ReadFileBytes(d.file("out.cpg")), "UTF-8\n");
    LayerStore back;
    ASSERT_TRUE(Open(back, d.file("out.shp")));
    EXPECT_EQ(back.ShapeLayers[1].Shapes[1].Values[name], "C\xC3\xB4te");

    // Saved over a layer that had a .cpg, a layer without one leaves none.
    LayerStore plain;
    ASSERT_TRUE(Open(plain, DataPath("nc.shp")));
    ASSERT_TRUE(Save(plain, 1, d.file("out.shp")));
    EXPECT_FALSE(FileExists(d.file("out.cpg")));
}

TEST(LayerSave, DatesAndNumbersConvertBack) {
    EXPECT_EQ(DbaseDate(ShortDate(1999, 12, 31)), "19991231");
    EXPECT_EQ(DbaseDate("2001-02-03"), "20010203");
    EXPECT_EQ(DbaseDate("20010203"), "20010203");
    EXPECT_EQ(DbaseDate("x"), "");
    EXPECT_EQ(DbaseDate("2001-13-03"), "");
    FieldDefRec f{1, "S", ftString, 0, 0, 0};
    EXPECT_EQ(NativeFieldFor(f).width, 25);
    f.Size = 400;
    EXPECT_EQ(NativeFieldFor(f).width, 254);
    f.DataType = ftCurrency;
    f.Size = 0;
    EXPECT_EQ(NativeFieldFor(f).type, 'N');
    EXPECT_EQ(NativeFieldFor(f).decimals, 4);
}

TEST(LayerSave, NumbersThatDoNotParseAreWrittenAsNull) {
    TempDir d;
    LayerStore s;
    MakePolygonLayer(s);
    s.ShapeLayers[1].Shapes[2].Values[1] = "tall";
    ASSERT_TRUE(Save(s, 1, d.file("made.shp")));
    LayerStore back;
    ASSERT_TRUE(Open(back, d.file("made.shp")));
    EXPECT_EQ(back.ShapeLayers[1].Shapes[2].Values[1], "x");
    EXPECT_EQ(back.ShapeLayers[1].Shapes[1].Values[1], "3.5");
}

TEST(LayerSave, NumberTooWideForItsColumnFailsAndKeepsThePreviousFiles) {
    TempDir d;
    CopySample("nc", d.path());
    LayerStore s;
    ASSERT_TRUE(Open(s, d.file("nc.shp")));
    ShpLayer& L = s.ShapeLayers[1];
    const int cress = FieldIndex(L, "CRESS_ID");  // N(9)
    ASSERT_GE(cress, 0);
    const std::string before = ReadFileBytes(d.file("nc.dbf"));
    const std::string shpBefore = ReadFileBytes(d.file("nc.shp"));
    L.Shapes[9].Values[cress] = "12345678901";
    NullProgress g;
    Result r = SaveLayer(s, 1, d.file("nc.shp"), g);
    ASSERT_FALSE(r);
    EXPECT_NE(r.reason.find("shape 9"), std::string::npos) << r.reason;
    EXPECT_NE(r.reason.find("CRESS_ID"), std::string::npos) << r.reason;
    EXPECT_EQ(ReadFileBytes(d.file("nc.dbf")), before);
    EXPECT_EQ(ReadFileBytes(d.file("nc.shp")), shpBefore);
}

TEST(LayerSave, ADamagedSourceTableStillGivesEveryRow) {
    TempDir d;
    CopySample("nc", d.path());
    LayerStore s;
    ASSERT_TRUE(Open(s, d.file("nc.shp")));
    // The table on disk lost its last half after the layer was read.
    const std::string whole = ReadFileBytes(d.file("nc.dbf"));
    WriteFileBytes(d.file("nc.dbf"), whole.substr(0, whole.size() / 2));
    ASSERT_TRUE(Save(s, 1, d.file("nc.shp")));
    EXPECT_EQ(ReadFileBytes(d.file("nc.dbf")).substr(32), whole.substr(32));
    // Not a table at all: the layer's values are written afresh.
    WriteFileBytes(d.file("nc.dbf"), "garbage");
    ASSERT_TRUE(Save(s, 1, d.file("nc.shp")));
    LayerStore back;
    ASSERT_TRUE(Open(back, d.file("nc.shp")));
    EXPECT_EQ(back.ShapeLayers[1].Shapes[77].Values, s.ShapeLayers[1].Shapes[77].Values);
}

TEST(LayerSave, ALayerWithoutFieldsGetsNumberedRows) {
    TempDir d;
    LayerStore s;
    s.AppendLayerSlot();
    ShpLayer& L = s.ShapeLayers[1];
    L.ShapeType = 1;
    L.NumRecords = 3;
    L.Shapes.resize(4);
    for (int k = 1; k <= 3; ++k) L.Shapes[k].XMin = L.Shapes[k].XMax = k;
    L.NullShape = {0, 0, 1, 0};
    ASSERT_TRUE(Save(s, 1, d.file("bare.shp")));
    DBFHandle h = DBFOpen(d.file("bare.dbf").c_str(), "rb");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(DBFGetRecordCount(h), 3);
    EXPECT_EQ(DBFGetFieldCount(h), 1);
    EXPECT_EQ(DBFReadIntegerAttribute(h, 2, 0), 3);
    EXPECT_TRUE(DBFIsRecordDeleted(h, 1));
    DBFClose(h);
}
