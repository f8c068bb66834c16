#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>

#include "core/attributes.h"
#include "core/file_io.h"
#include "core/shp_reader.h"
#include "core/shp_writer.h"
#include "tests/core/shp_builder.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

Result Open(LayerStore& s, const std::string& path) { return test::OpenShapefile(s, path); }

Result Save(const LayerStore& s, std::int32_t i, const std::string& path) {
    NullProgress g;
    return WriteShapefile(s, i, path, g);
}

using test::Shell;

void ExpectSameLayer(const ShpLayer& a, const ShpLayer& b, const std::string& what) {
    ASSERT_EQ(a.ShapeType, b.ShapeType) << what;
    ASSERT_EQ(a.NumRecords, b.NumRecords) << what;
    EXPECT_EQ(a.NumPoints, b.NumPoints) << what;
    EXPECT_EQ(a.NumExtraParts, b.NumExtraParts) << what;
    EXPECT_EQ(a.XMin, b.XMin) << what;
    EXPECT_EQ(a.YMax, b.YMax) << what;
    EXPECT_EQ(a.ZMax, b.ZMax) << what;
    EXPECT_EQ(a.MMin, b.MMin) << what;
    ASSERT_EQ(a.Fields.size(), b.Fields.size()) << what;
    for (std::int32_t k = 1; k <= a.NumRecords; ++k) {
        const ShpObj& x = a.Shapes[k];
        const ShpObj& y = b.Shapes[k];
        EXPECT_EQ(a.IsNullShape(k), b.IsNullShape(k)) << what << " shape " << k;
        EXPECT_EQ(x.NumParts, y.NumParts) << what << " shape " << k;
        EXPECT_EQ(x.NumPoints, y.NumPoints) << what << " shape " << k;
        EXPECT_EQ(x.PartSizes, y.PartSizes) << what << " shape " << k;
        EXPECT_EQ(x.XMin, y.XMin) << what << " shape " << k;
        EXPECT_EQ(x.YMax, y.YMax) << what << " shape " << k;
        EXPECT_EQ(x.Values, y.Values) << what << " shape " << k;
        ASSERT_EQ(x.Parts.size(), y.Parts.size()) << what << " shape " << k;
        for (std::size_t p = 1; p < x.Parts.size(); ++p) {
            ASSERT_EQ(x.Parts[p].Pts.size(), y.Parts[p].Pts.size());
            for (std::size_t j = 1; j < x.Parts[p].Pts.size(); ++j) {
                EXPECT_EQ(x.Parts[p].Pts[j].X, y.Parts[p].Pts[j].X);
                EXPECT_EQ(x.Parts[p].Pts[j].Y, y.Parts[p].Pts[j].Y);
            }
        }
        if (!a.Shapes3.empty()) {
            ASSERT_EQ(b.Shapes3.size(), a.Shapes3.size()) << what;
            EXPECT_EQ(a.Shapes3[k].ZMin, b.Shapes3[k].ZMin) << what;
            EXPECT_EQ(a.Shapes3[k].MMax, b.Shapes3[k].MMax) << what;
            for (std::size_t p = 1; p < a.Shapes3[k].Parts.size(); ++p)
                for (std::size_t j = 1; j < a.Shapes3[k].Parts[p].Pts.size(); ++j) {
                    EXPECT_EQ(a.Shapes3[k].Parts[p].Pts[j].Z, b.Shapes3[k].Parts[p].Pts[j].Z) << what;
                    EXPECT_EQ(a.Shapes3[k].Parts[p].Pts[j].M, b.Shapes3[k].Parts[p].Pts[j].M) << what;
                }
        }
    }
}

}  // namespace

TEST(ShpWriter, ThreePointsLayout) {
    TempDir d;
    LayerStore s;
    s.AppendLayerSlot();
    ShpLayer& L = s.ShapeLayers[1];
    L.ShapeType = 1;
    L.NumRecords = 3;
    L.Shapes.resize(4);
    for (int k = 1; k <= 3; ++k) L.Shapes[k].XMin = L.Shapes[k].XMax = k, L.Shapes[k].YMin = L.Shapes[k].YMax = -k;
    L.XMax = 3;
    ASSERT_TRUE(Save(s, 1, d.file("p.shp")));
    std::string shp = ReadFileBytes(d.file("p.shp")), shx = ReadFileBytes(d.file("p.shx"));
    ASSERT_EQ(shp.size(), 100u + 3 * 28);
    ASSERT_EQ(shx.size(), 100u + 3 * 8);
    EXPECT_EQ(GetBE(shp, 0), 9994);
    EXPECT_EQ(GetBE(shp, 24), 92);
    EXPECT_EQ(GetBE(shx, 24), 62);
    EXPECT_EQ(GetLE(shp, 28), 1000);
    EXPECT_EQ(GetLE(shx, 32), 1);
    EXPECT_EQ(GetD(shp, 52), 3.0);
    EXPECT_EQ(GetBE(shx, 100), 50);
    EXPECT_EQ(GetBE(shx, 108), 64);
    EXPECT_EQ(GetBE(shx, 116), 78);
    EXPECT_EQ(GetBE(shx, 104), 10);
    EXPECT_EQ(GetBE(shp, 128), 2);  // second record number
    EXPECT_EQ(GetD(shp, 128 + 12), 2.0);
    EXPECT_EQ(GetD(shp, 128 + 20), -2.0);
}

TEST(ShpWriter, PolygonRingsAndMultipointLayout) {
    TempDir d;
    ShpBuilder b(5);
    std::vector<std::pair<double, double>> r5 = {{0, 0}, {0, 4}, {4, 4}, {4, 0}, {0, 0}};
    std::vector<std::pair<double, double>> r4 = {{1, 1}, {2, 1}, {2, 2}, {1, 1}};
    b.Raw(ShpBuilder::Poly(5, {r5, r4}));
    WriteFileBytes(d.file("in.shp"), b.Bytes());
    LayerStore s;
    ASSERT_TRUE(Open(s, d.file("in.shp")));
    ASSERT_TRUE(Save(s, 1, d.file("out.shp")));
    std::string shp = ReadFileBytes(d.file("out.shp"));
    EXPECT_EQ(GetBE(shp, 104), 98);
    EXPECT_EQ(GetLE(shp, 108 + 36 + 8), 0);
    EXPECT_EQ(GetLE(shp, 108 + 36 + 12), 5);
    EXPECT_EQ(shp, b.Bytes());  // a plain file is written back byte for byte

    LayerStore m;
    ASSERT_TRUE(Open(m, DataPath("types/multipoint.shp")));
    ASSERT_TRUE(Save(m, 1, d.file("mp.shp")));
    std::string mp = ReadFileBytes(d.file("mp.shp"));
    EXPECT_EQ(GetBE(mp, 104), 20 + 8 * 3);
    EXPECT_EQ(GetLE(mp, 108 + 36), 3);                  // count, then straight to the points
    EXPECT_EQ(GetD(mp, 108 + 40), m.ShapeLayers[1].Shapes[1].Parts[1].Pts[1].X);
}

TEST(ShpWriter, EmptyLayerAndUnsavableTypes) {
    TempDir d;
    LayerStore s;
    s.AppendLayerSlot();
    s.ShapeLayers[1].ShapeType = 5;
    ASSERT_TRUE(Save(s, 1, d.file("e.shp")));
    EXPECT_EQ(ReadFileBytes(d.file("e.shp")).size(), 100u);
    EXPECT_EQ(GetBE(ReadFileBytes(d.file("e.shx")), 24), 50);
    LayerStore back;
    EXPECT_TRUE(Open(back, d.file("e.shp")));

    s.ShapeLayers[1].ShapeType = 2;  // a text layer: its label points
    s.ShapeLayers[1].NumRecords = 1;
    s.ShapeLayers[1].Shapes.resize(2);
    s.ShapeLayers[1].Shapes[1].XMin = s.ShapeLayers[1].Shapes[1].XMax = 4;
    ASSERT_TRUE(Save(s, 1, d.file("t.shp")));
    std::string t = ReadFileBytes(d.file("t.shp"));
    EXPECT_EQ(t.size(), 128u);
    EXPECT_EQ(GetLE(t, 32), 1);
    EXPECT_EQ(GetD(t, 112), 4.0);

    s.ShapeLayers[1].ShapeType = 9;  // a mixed layer has no shapefile type: header only
    ASSERT_TRUE(Save(s, 1, d.file("m.shp")));
    t = ReadFileBytes(d.file("m.shp"));
    EXPECT_EQ(t.size(), 100u);
    EXPECT_EQ(GetBE(t, 24), 1);
}

TEST(ShpWriter, EveryTypeAndRealMapsRoundTrip) {
    TempDir d;
    for (std::string name : {"types/point", "types/pointz", "types/pointm", "types/multipoint", "types/multipointz",
                             "types/multipointm", "types/polyline", "types/polylinez", "types/polylinem",
                             "types/polygon", "types/polygonz", "types/polygonm", "nc", "world"}) {
        LayerStore a;
        ASSERT_TRUE(Open(a, DataPath(name + ".shp"))) << name;
        std::string base = d.file(FileNamePart(name));
        ASSERT_TRUE(Save(a, 1, base + ".shp")) << name;
        // The table is not written by a save; bring the original along.
        std::string tbl = ReadFileBytes(DataPath(name + ".dbf"));
        WriteFileBytes(base + ".dbf", tbl);
        LayerStore b;
        ASSERT_TRUE(Open(b, base + ".shp")) << name;
        ExpectSameLayer(a.ShapeLayers[1], b.ShapeLayers[1], name);

        // Saving twice gives the same bytes.
        std::string first = ReadFileBytes(base + ".shp");
        ASSERT_TRUE(Save(b, 1, base + ".shp"));
        EXPECT_EQ(first, ReadFileBytes(base + ".shp")) << name;

        // A real peer reads the same counts and extent.
        std::string dump = Shell("shpdump '" + base + ".shp' 2>&1");
        std::smatch m;
        ASSERT_TRUE(std::regex_search(dump, m, std::regex("# of Shapes: (\\d+)"))) << dump.substr(0, 200);
        EXPECT_EQ(std::stoi(m[1]), a.ShapeLayers[1].NumRecords) << name;
        int verts = 0;
        const std::regex vre("nVertices=(\\d+)");
        for (std::sregex_iterator it(dump.begin(), dump.end(), vre), end; it != end; ++it)
            verts += std::stoi((*it)[1]);
        if (!IsPointType(a.ShapeLayers[1].ShapeType)) {
            EXPECT_EQ(verts, a.ShapeLayers[1].NumPoints) << name;
        }
        std::string info = Shell("ogrinfo -ro -so -al '" + base + ".shp' 2>&1");
        EXPECT_NE(info.find("Feature Count: " + std::to_string(a.ShapeLayers[1].NumRecords)), std::string::npos)
            << name << "\n" << info;
        EXPECT_EQ(info.find("ERROR"), std::string::npos) << info;
    }
}

TEST(ShpWriter, GdalReadsTheExtentWeWrote) {
    TempDir d;
    LayerStore a;
    ASSERT_TRUE(Open(a, DataPath("nc.shp")));
    ASSERT_TRUE(Save(a, 1, d.file("nc.shp")));
    WriteFileBytes(d.file("nc.dbf"), ReadFileBytes(DataPath("nc.dbf")));
    std::string info = Shell("ogrinfo -ro -so -al '" + d.file("nc.shp") + "' 2>&1");
    EXPECT_NE(info.find("Extent: (-84.323853, 33.881992) - (-75.456978, 36.589649)"), std::string::npos) << info;
}

TEST(ShpWriter, NullShapesAndKeptZSurvive) {
    TempDir d;
    ShpBuilder b(11);
    b.Point(1, 2);
    b.Null();
    b.Point(5, 6);
    WriteFileBytes(d.file("z.shp"), b.Bytes());
    LayerStore a;
    ASSERT_TRUE(Open(a, d.file("z.shp")));
    ASSERT_TRUE(Save(a, 1, d.file("z2.shp")));
    std::string z2 = ReadFileBytes(d.file("z2.shp"));
    EXPECT_EQ(GetBE(z2, 100 + 8 + 36 + 4), 2);  // the null record's content length
    LayerStore c;
    ASSERT_TRUE(Open(c, d.file("z2.shp")));
    ExpectSameLayer(a.ShapeLayers[1], c.ShapeLayers[1], "pointz with a null");
    EXPECT_EQ(c.ShapeLayers[1].Shapes3[3].ZMin, 7.5);
}

TEST(ShpWriter, PointZWithoutKeptValuesWritesZeroZAndNoMeasure) {
    TempDir d;
    LayerStore a;
    ASSERT_TRUE(Open(a, DataPath("types/pointz.shp")));
    a.ShapeLayers[1].Shapes3.clear();
    ASSERT_TRUE(Save(a, 1, d.file("z.shp")));
    std::string z = ReadFileBytes(d.file("z.shp"));
    EXPECT_EQ(GetBE(z, 104), 18);
    EXPECT_EQ(GetD(z, 108 + 20), 0.0);
    EXPECT_LT(GetD(z, 108 + 28), -1e38);  // no measures known: "no data"
    LayerStore b;
    ASSERT_TRUE(Open(b, d.file("z.shp")));
    EXPECT_EQ(b.ShapeLayers[1].Shapes[3].XMin, a.ShapeLayers[1].Shapes[3].XMin);
}

TEST(ShpWriter, FailedSaveLeavesThePreviousFiles) {
    TempDir d;
    LayerStore a;
    ASSERT_TRUE(Open(a, DataPath("types/polygon.shp")));
    ASSERT_TRUE(Save(a, 1, d.file("p.shp")));
    const std::string before = ReadFileBytes(d.file("p.shp"));
    // Counts that the arrays do not back up: refused before anything is written.
    a.ShapeLayers[1].Shapes[1].PartSizes[1] = 99;
    a.ShapeLayers[1].Shapes[1].NumPoints = 99;
    Result r = Save(a, 1, d.file("p.shp"));
    EXPECT_FALSE(r);
    EXPECT_FALSE(r.reason.empty());
    EXPECT_EQ(ReadFileBytes(d.file("p.shp")), before);
    LayerStore sound;
    ASSERT_TRUE(Open(sound, DataPath("types/polygon.shp")));
    Result r2 = Save(sound, 1, d.file("no/such/dir/p.shp"));
    EXPECT_FALSE(r2);
    EXPECT_NE(r2.reason.find("no/such/dir"), std::string::npos) << r2.reason;
    // No temporary files are left behind.
    std::string listing = Shell("ls -A '" + d.path() + "'");
    EXPECT_EQ(listing, "p.shp\np.shx\n");
}
