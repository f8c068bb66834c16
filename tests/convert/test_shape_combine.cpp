// zemba-convert combine, read back by the program and (where installed) GDAL.
#include <gtest/gtest.h>

#include <shapefil.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "core/file_io.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

// zemba-convert combine ARGS: exit status, standard error in `err`.
int Combine(const std::string& args, std::string& err, const TempDir& dir) {
    const std::string errFile = dir.file("err.txt");
    int st = std::system((std::string(ZEMBA_BIN_DIR) + "/zemba-convert combine " + args + " 2>" + errFile).c_str());
    err = ReadFileBytes(errFile);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// nc's shapes with a table of its own: `rows` records of an integer field
// NAME or CRESS_ID (as `field` says) and a text field NOTE.
void MakeSecond(const TempDir& dir, const std::string& base, const char* field, int width) {
    CopySample("nc", dir.path());
    std::rename(dir.file("nc.shp").c_str(), dir.file(base + ".shp").c_str());
    std::rename(dir.file("nc.shx").c_str(), dir.file(base + ".shx").c_str());
    std::remove(dir.file("nc.dbf").c_str());
    WriteFileBytes(dir.file(base + ".prj"), ReadFileBytes(DataPath("nc.prj")));
    DBFHandle h = DBFCreate(dir.file(base + ".dbf").c_str());
    ASSERT_TRUE(h);
    DBFAddField(h, field, FTInteger, width, 0);
    DBFAddField(h, "NOTE", FTString, 12, 0);
    for (int r = 0; r < 100; ++r) {
        DBFWriteIntegerAttribute(h, r, 0, 100000 + r);
        // The first row's text is left blank.
        DBFWriteStringAttribute(h, r, 1, r == 0 ? "" : ("second " + std::to_string(r)).c_str());
    }
    DBFClose(h);
}

bool HaveOgr() { return Shell("command -v ogrinfo").find("ogrinfo") != std::string::npos; }

}  // namespace

TEST(ShapeCombine, NcWithItselfGivesTwiceTheShapesAndTheTable) {
    TempDir dir;
    std::string err;
    const std::string out = dir.file("twice.shp");
    ASSERT_EQ(Combine(DataPath("nc.shp") + " " + DataPath("nc.shp") + " " + out, err, dir), 0) << err;
    EXPECT_NE(err.find("200 shapes"), std::string::npos) << err;

    LayerStore nc, both;
    ASSERT_TRUE(OpenShapefile(nc, DataPath("nc.shp")));
    ASSERT_TRUE(OpenShapefile(both, out));
    const ShpLayer &a = nc.ShapeLayers[1], &b = both.ShapeLayers[1];
    ASSERT_EQ(b.NumRecords, 200);
    EXPECT_EQ(b.ShapeType, a.ShapeType);
    ASSERT_EQ(b.NumFields, a.NumFields);
    for (int f = 0; f < a.NumFields; ++f) EXPECT_EQ(b.Fields[f].Name, a.Fields[f].Name);
    for (int k = 1; k <= 100; ++k) {
        for (int copy : {0, 100}) {
            const ShpObj& s = b.Shapes[k + copy];
            EXPECT_EQ(s.Values, a.Shapes[k].Values) << "shape " << k + copy;
            ASSERT_EQ(s.NumParts, a.Shapes[k].NumParts);
            ASSERT_EQ(s.NumPoints, a.Shapes[k].NumPoints);
            EXPECT_EQ(s.Parts[1].Pts[1].X, a.Shapes[k].Parts[1].Pts[1].X);
        }
    }
    EXPECT_EQ(ReadFileBytes(dir.file("twice.prj")), ReadFileBytes(DataPath("nc.prj")));

    if (!HaveOgr()) GTEST_SKIP() << "ogrinfo is not installed";
    const std::string info = Shell("ogrinfo -so -al " + out + " 2>&1");
    EXPECT_NE(info.find("Feature Count: 200"), std::string::npos) << info;
    const std::string last = Shell("ogrinfo -q -al -fid 199 " + out + " 2>&1");
    EXPECT_NE(last.find(a.Shapes[100].Values[4]), std::string::npos) << last;  // NAME of nc's last county
}

TEST(ShapeCombine, FieldsJoinByNameAndRowsLackingOneStayBlank) {
    TempDir dir;
    MakeSecond(dir, "second", "CRESS_ID", 12);
    std::string err;
    const std::string out = dir.file("joined.shp");
    ASSERT_EQ(Combine(DataPath("nc.shp") + " " + dir.file("second.shp") + " " + out, err, dir), 0) << err;
    LayerStore nc, s;
    ASSERT_TRUE(OpenShapefile(nc, DataPath("nc.shp")));
    ASSERT_TRUE(OpenShapefile(s, out));
    const ShpLayer &a = nc.ShapeLayers[1], &L = s.ShapeLayers[1];
    ASSERT_EQ(L.NumRecords, 200);
    // nc's fields, then the one only the second has; CRESS_ID widened for both.
    ASSERT_EQ(L.NumFields, a.NumFields + 1);
    EXPECT_EQ(L.Fields.back().Name, "NOTE");
    int cress = -1;
    for (int f = 0; f < L.NumFields; ++f)
        if (L.Fields[f].Name == "CRESS_ID") cress = f;
    ASSERT_GE(cress, 0);
    EXPECT_GE(L.Fields[cress].Size, 12);
    EXPECT_EQ(L.Shapes[1].Values[cress], a.Shapes[1].Values[cress]);
    EXPECT_EQ(L.Shapes[101].Values[cress], "100000");
    EXPECT_EQ(L.Shapes[200].Values.back(), "second 99");
    // Cells a file lacks, and the second's blank text, are blank in the table
    // (shown as "Null"), not the word.
    DBFHandle h = DBFOpen(dir.file("joined.dbf").c_str(), "rb");
    ASSERT_TRUE(h);
    const int note = DBFGetFieldIndex(h, "NOTE"), name = DBFGetFieldIndex(h, "NAME");
    EXPECT_TRUE(DBFIsAttributeNULL(h, 0, note));
    EXPECT_TRUE(DBFIsAttributeNULL(h, 100, note));
    EXPECT_TRUE(DBFIsAttributeNULL(h, 100, name));
    EXPECT_STREQ(DBFReadStringAttribute(h, 101, note), "second 1");
    EXPECT_STREQ(DBFReadStringAttribute(h, 0, name), a.Shapes[1].Values[4].c_str());
    DBFClose(h);
    EXPECT_EQ(L.Shapes[101].Values[4], "Null");
    EXPECT_EQ(ReadFileBytes(dir.file("joined.prj")), ReadFileBytes(DataPath("nc.prj")));

    // A second file without a .prj is taken as in the first's system.
    std::remove(dir.file("second.prj").c_str());
    ASSERT_EQ(Combine(DataPath("nc.shp") + " " + dir.file("second.shp") + " " + out, err, dir), 0) << err;
    EXPECT_EQ(ReadFileBytes(dir.file("joined.prj")), ReadFileBytes(DataPath("nc.prj")));
}

TEST(ShapeCombine, RefusalsNameTheirCauseAndWriteNothing) {
    TempDir dir;
    std::string err;
    // Points with polygons.
    EXPECT_EQ(Combine(DataPath("types/point.shp") + " " + DataPath("types/polygon.shp") + " " + dir.file("o.shp"),
                      err, dir),
              1);
    EXPECT_NE(err.find("not of the same shape type"), std::string::npos) << err;
    // NAME is text in nc, a number in the second.
    MakeSecond(dir, "second", "NAME", 8);
    EXPECT_EQ(Combine(DataPath("nc.shp") + " " + dir.file("second.shp") + " " + dir.file("o.shp"), err, dir), 1);
    EXPECT_NE(err.find("field NAME has a different type"), std::string::npos) << err;
    // Another coordinate system on the second.
    MakeSecond(dir, "other", "CRESS_ID", 9);
    WriteFileBytes(dir.file("other.prj"), "PROJCS[\"NAD_1983_UTM_Zone_17N\"]");
    EXPECT_EQ(Combine(DataPath("nc.shp") + " " + dir.file("other.shp") + " " + dir.file("o.shp"), err, dir), 1);
    EXPECT_NE(err.find(".prj files differ"), std::string::npos) << err;
    // Tables in two encodings.
    WriteFileBytes(dir.file("other.prj"), ReadFileBytes(DataPath("nc.prj")));
    WriteFileBytes(dir.file("other.cpg"), "UTF-8");
    CopySample("nc", dir.path());
    WriteFileBytes(dir.file("nc.prj"), ReadFileBytes(DataPath("nc.prj")));
    WriteFileBytes(dir.file("nc.cpg"), "ISO-8859-1\n");
    EXPECT_EQ(Combine(dir.file("nc.shp") + " " + dir.file("other.shp") + " " + dir.file("o.shp"), err, dir), 1);
    EXPECT_NE(err.find("different encodings"), std::string::npos) << err;
    // A missing input, and usage.
    EXPECT_EQ(Combine(DataPath("nc.shp") + " " + dir.file("none.shp") + " " + dir.file("o.shp"), err, dir), 1);
    EXPECT_NE(err.find("none.shp"), std::string::npos) << err;
    EXPECT_EQ(Combine(DataPath("nc.shp") + " " + DataPath("nc.shp"), err, dir), 2);
    for (const char* ext : {".shp", ".shx", ".dbf", ".prj"}) EXPECT_FALSE(FileExistsAny(dir.file(std::string("o") + ext)));
}

TEST(ShapeCombine, MeasuresAndHeightsOfTheSecondFileAreKept) {
    TempDir dir;
    std::string err;
    for (const std::string t : {"pointm", "polygonz"}) {
        const std::string out = dir.file(t + ".shp");
        ASSERT_EQ(Combine(DataPath("types/" + t + ".shp") + " " + DataPath("types/" + t + ".shp") + " " + out, err, dir), 0)
            << err;
        LayerStore one, two;
        ASSERT_TRUE(OpenShapefile(one, DataPath("types/" + t + ".shp")));
        ASSERT_TRUE(OpenShapefile(two, out));
        const ShpLayer &a = one.ShapeLayers[1], &b = two.ShapeLayers[1];
        ASSERT_EQ(b.NumRecords, 2 * a.NumRecords);
        for (int k = 1; k <= a.NumRecords; ++k) {
            const ShpObj3* x = a.KeptZM(k);
            const ShpObj3* y = b.KeptZM(k + a.NumRecords);
            ASSERT_TRUE(x && y) << t << " " << k;
            EXPECT_EQ(y->MMax, x->MMax);
            EXPECT_EQ(y->ZMax, x->ZMax);
            if (x->NumParts > 0) {
                EXPECT_EQ(y->Parts[1].Pts[3].Z, x->Parts[1].Pts[3].Z);
            }
        }
    }
}
