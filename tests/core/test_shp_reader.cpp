#include <gtest/gtest.h>

#include <cmath>

#include "core/attributes.h"
#include "core/shp_reader.h"
#include "tests/core/shp_builder.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

class RecordingProgress : public NullProgress {
public:
    std::vector<std::string> messages;
    void SetMessage(const std::string& t) override { messages.push_back(t); }
};

// Opens a shapefile into a new slot the way the open command does; rolls the
// slot back on failure.
Result Open(LayerStore& s, const std::string& path, Prompter& p, Progress& g) {
    s.AppendLayerSlot();
    s.LayerFileName = path;
    Result r = ReadShapefile(s, p, g);
    if (!r) s.RollBackAppend();
    return r;
}
Result Open(LayerStore& s, const std::string& path) {
    SilentPrompter p;
    NullProgress g;
    return Open(s, path, p, g);
}

std::string Write(const TempDir& d, const std::string& name, const std::string& bytes) {
    WriteFileBytes(d.file(name), bytes);
    return d.file(name);
}

std::vector<std::pair<double, double>> Ring(int n, double off = 0) {
    std::vector<std::pair<double, double>> r;
    for (int k = 0; k < n; ++k) r.push_back({off + k, off + k * 2});
    return r;
}

}  // namespace

TEST(ShpReader, HeaderOnlyFileIsAnEmptyLayer) {
    TempDir d;
    ShpBuilder b(5);
    LayerStore s;
    ASSERT_TRUE(Open(s, Write(d, "e.shp", b.Bytes())));
    const ShpLayer& L = s.ShapeLayers[1];
    EXPECT_EQ(L.NumRecords, 0);
    EXPECT_EQ(L.Shapes.size(), 1u);
    EXPECT_EQ(s.SymLayers[1].SymObjs.size(), 1u);
    EXPECT_EQ(L.ShpName, "e.shp");
    EXPECT_EQ(L.ShpPath, d.path() + "/");
    EXPECT_EQ(L.LayerIndex, 1);
}

TEST(ShpReader, RecordNumbersMustRunFromOne) {
    TempDir d;
    for (std::vector<int> numbers : {std::vector<int>{0, 1}, {1, 3}, {2, 3, 4}}) {
        ShpBuilder b(1);
        for (int n : numbers) {
            std::string c;
            PutLE(c, 1);
            PutD(c, 1);
            PutD(c, 2);
            b.Raw(c, n == 0 ? -1 : n);
        }
        if (numbers[0] == 0) {  // the builder cannot number 0 directly
            std::string bytes = b.Bytes();
            bytes[100] = bytes[101] = bytes[102] = bytes[103] = 0;
            Write(d, "n.shp", bytes);
        } else {
            Write(d, "n.shp", b.Bytes());
        }
        LayerStore s;
        Result r = Open(s, d.file("n.shp"));
        EXPECT_FALSE(r) << numbers[0] << "," << numbers[1];
        EXPECT_NE(r.reason.find("numbered"), std::string::npos) << r.reason;
        EXPECT_EQ(s.LayerCount, 0);
        EXPECT_EQ(s.ShapeLayers.size(), 1u);
    }
}

TEST(ShpReader, PointZAndPointMKeepEveryPointAndItsValues) {
    TempDir d;
    for (int type : {11, 21}) {
        ShpBuilder b(type);
        b.Point(1, 2);
        b.Point(3, 4);
        LayerStore s;
        ASSERT_TRUE(Open(s, Write(d, "p.shp", b.Bytes())));
        const ShpLayer& L = s.ShapeLayers[1];
        ASSERT_EQ(L.NumRecords, 2);
        EXPECT_EQ(L.NumPoints, 2);
        EXPECT_EQ(L.Shapes[2].XMin, 3);
        EXPECT_EQ(L.Shapes[2].YMax, 4);
        EXPECT_EQ(L.Shapes[1].NumPoints, 0);
        ASSERT_EQ(L.Shapes3.size(), 3u);
        EXPECT_EQ(L.Shapes3[1].ZMin, type == 11 ? 7.5 : 0.0);
        EXPECT_EQ(L.Shapes3[1].MMin, 1.25);
    }
}

TEST(ShpReader, OverlongPointRecordIsSkippedToTheNextRecord) {
    TempDir d;
    ShpBuilder b(1);
    std::string c;
    PutLE(c, 1);
    PutD(c, 5);
    PutD(c, 6);
    c += std::string(12, '\x7f');  // excess bytes
    b.Raw(c);
    b.Point(7, 8);
    LayerStore s;
    ASSERT_TRUE(Open(s, Write(d, "p.shp", b.Bytes())));
    EXPECT_EQ(s.ShapeLayers[1].Shapes[1].XMin, 5);
    EXPECT_EQ(s.ShapeLayers[1].Shapes[2].XMin, 7);
    EXPECT_EQ(s.ShapeLayers[1].Shapes[2].YMin, 8);
}

TEST(ShpReader, PartStartsBecomePartSizes) {
    TempDir d;
    ShpBuilder b(5);
    b.Raw(ShpBuilder::Poly(5, {Ring(5), Ring(4, 10), Ring(3, 20)}));
    b.Raw(ShpBuilder::Poly(5, {Ring(4)}));
    LayerStore s;
    ASSERT_TRUE(Open(s, Write(d, "poly.shp", b.Bytes())));
    const ShpLayer& L = s.ShapeLayers[1];
    const ShpObj& o = L.Shapes[1];
    ASSERT_EQ(o.NumParts, 3);
    EXPECT_EQ(o.NumPoints, 12);
    EXPECT_EQ(o.PartSizes, (std::vector<std::int32_t>{0, 5, 4, 3}));
    EXPECT_EQ(o.Parts[1].Pts.size(), 6u);
    EXPECT_EQ(o.Parts[2].Pts.size(), 5u);
    EXPECT_EQ(o.Parts[3].Pts.size(), 4u);
    EXPECT_EQ(o.Parts[2].Pts[1].X, 10);
    EXPECT_EQ(o.Parts[3].Pts[3].Y, 24);
    EXPECT_EQ(L.NumExtraParts, 2);
    EXPECT_EQ(L.NumPoints, 16);
}

TEST(ShpReader, ZeroPartsWithPointsAsksAndKeepsReadingOnNo) {
    TempDir d;
    ShpBuilder b(3);
    std::string bad = ShpBuilder::Poly(3, {Ring(3)});
    // NumParts = 0 but the start index is still there: drop it to keep the
    // record consistent with its own counts.
    std::string c = bad.substr(0, 36);
    PutLE(c, 0);
    PutLE(c, 3);
    c += bad.substr(48);
    b.Raw(c);
    b.Raw(ShpBuilder::Poly(3, {Ring(2, 50)}));
    Write(d, "z.shp", b.Bytes());

    ScriptedPrompter yes;
    yes.answers = {Answer::Yes};
    NullProgress g;
    LayerStore s1;
    EXPECT_FALSE(Open(s1, d.file("z.shp"), yes, g));
    ASSERT_EQ(yes.shown.size(), 1u);
    EXPECT_EQ(yes.shown[0].value, "Count Wrong ICOIN= 0 <>NumPoints: 3 Exit now?");
    EXPECT_EQ(s1.LayerCount, 0);

    ScriptedPrompter no;
    no.answers = {Answer::No};
    LayerStore s2;
    ASSERT_TRUE(Open(s2, d.file("z.shp"), no, g));
    const ShpLayer& L = s2.ShapeLayers[1];
    EXPECT_EQ(L.Shapes[1].NumParts, 1);
    EXPECT_EQ(L.Shapes[1].PartSizes[1], 3);
    EXPECT_EQ(L.Shapes[1].Parts[1].Pts[3].X, 2);
    EXPECT_EQ(L.Shapes[2].Parts[1].Pts[1].X, 50);  // the next record is in step
}

TEST(ShpReader, MultiPatchFailsWithItsProgressLabel) {
    LayerStore s;
    SilentPrompter p;
    RecordingProgress g;
    EXPECT_FALSE(Open(s, DataPath("types/multipatch.shp"), p, g));
    ASSERT_FALSE(g.messages.empty());
    EXPECT_EQ(g.messages.back(), "Error loading Shape Fan or Strip");
    EXPECT_EQ(s.LayerCount, 0);
}

TEST(ShpReader, NullShapesAreKeptAsEmptyShapes) {
    TempDir d;
    ShpBuilder b(1);
    b.Point(1, 1);
    b.Null();
    b.Point(3, 3);
    ShpBuilder c(5);
    c.Null();
    c.Raw(ShpBuilder::Poly(5, {Ring(4)}));
    LayerStore s;
    ASSERT_TRUE(Open(s, Write(d, "pn.shp", b.Bytes())));
    ASSERT_TRUE(Open(s, Write(d, "cn.shp", c.Bytes())));
    const ShpLayer& P = s.ShapeLayers[1];
    EXPECT_EQ(P.NumRecords, 3);
    EXPECT_EQ(P.NumPoints, 2);
    EXPECT_FALSE(P.IsNullShape(1));
    EXPECT_TRUE(P.IsNullShape(2));
    EXPECT_FALSE(P.IsNullShape(3));
    EXPECT_EQ(P.Shapes[3].XMin, 3);
    const ShpLayer& C = s.ShapeLayers[2];
    EXPECT_TRUE(C.IsNullShape(1));
    EXPECT_EQ(C.Shapes[1].NumParts, 0);
    EXPECT_EQ(C.Shapes[2].NumPoints, 4);
    EXPECT_EQ(s.SymLayers[2].SymObjs.size(), 3u);
}

TEST(ShpReader, EveryShapeTypeSampleReads) {
    struct Want {
        const char* name;
        int type, records, points;
    };
    for (Want w : {Want{"point", 1, 3, 3}, {"pointz", 11, 3, 3}, {"pointm", 21, 3, 3}, {"multipoint", 8, 1, 3},
                   {"multipointz", 18, 1, 3}, {"multipointm", 28, 1, 3}, {"polyline", 3, 2, 6},
                   {"polylinez", 13, 2, 6}, {"polylinem", 23, 2, 6}, {"polygon", 5, 1, 5}, {"polygonz", 15, 1, 5},
                   {"polygonm", 25, 1, 5}}) {
        LayerStore s;
        ASSERT_TRUE(Open(s, DataPath(std::string("types/") + w.name + ".shp"))) << w.name;
        EXPECT_EQ(s.ShapeLayers[1].ShapeType, w.type) << w.name;
        EXPECT_EQ(s.ShapeLayers[1].NumRecords, w.records) << w.name;
        EXPECT_EQ(s.ShapeLayers[1].NumPoints, w.points) << w.name;
    }
    LayerStore z;
    ASSERT_TRUE(Open(z, DataPath("types/polygonz.shp")));
    double zmax = 0;
    for (auto& p : z.ShapeLayers[1].Shapes3[1].Parts)
        for (std::size_t j = 1; j < p.Pts.size(); ++j) zmax = std::max(zmax, p.Pts[j].Z);
    EXPECT_EQ(zmax, z.ShapeLayers[1].ZMax);  // elevations are kept
}

// Damaged files: each a clean failure with a reason, or a clean partial read.
TEST(ShpReaderDamaged, FailsCleanlyWithAReason) {
    TempDir d;
    ShpBuilder good(5);
    good.Raw(ShpBuilder::Poly(5, {Ring(5)}));
    good.Raw(ShpBuilder::Poly(5, {Ring(4)}));
    const std::string bytes = good.Bytes();

    std::vector<std::pair<std::string, std::string>> cases;
    cases.push_back({"truncated header", bytes.substr(0, 60)});
    cases.push_back({"empty file", ""});
    cases.push_back({"truncated record header", bytes.substr(0, bytes.size() - (8 + 4 + 32 + 8 + 4 + 64) + 3)});
    cases.push_back({"truncated record", bytes.substr(0, bytes.size() - 10)});
    {
        std::string v = bytes;
        v[28] = 0x01;  // version
        cases.push_back({"version", v});
    }
    {
        std::string v = bytes;
        v[32] = 77;  // shape type
        cases.push_back({"unknown type", v});
    }
    {
        // NumPoints far beyond the record (and near INT32_MAX)
        std::string v = bytes;
        std::string np;
        PutLE(np, 0x7fffffff);
        v.replace(100 + 8 + 4 + 32 + 4, 4, np);
        cases.push_back({"absurd points", v});
    }
    {
        std::string v = bytes;
        std::string np;
        PutLE(np, -5);
        v.replace(100 + 8 + 4 + 32, 4, np);
        cases.push_back({"negative parts", v});
    }
    {
        std::string v = bytes;
        std::string len;
        PutBE(len, 0x40000000);
        v.replace(104, 4, len);
        cases.push_back({"content length past the end", v});
    }
    for (auto& [name, data] : cases) {
        LayerStore s;
        ScriptedPrompter p;
        NullProgress g;
        Result r = Open(s, Write(d, "bad.shp", data), p, g);
        EXPECT_FALSE(r) << name;
        EXPECT_FALSE(r.reason.empty()) << name;
        EXPECT_EQ(s.LayerCount, 0) << name;
        EXPECT_EQ(s.ShapeLayers.size(), 1u) << name;
    }
    LayerStore s;
    EXPECT_FALSE(Open(s, d.file("missing.shp")));
}

TEST(ShpReaderDamaged, UnsoundRecordsAreReadAsFarAsTheyGo) {
    TempDir d;
    ShpBuilder b(5);
    // A part start outside the points.
    std::string c = ShpBuilder::Poly(5, {Ring(3), Ring(3)});
    std::string start;
    PutLE(start, 1000);
    c.replace(4 + 32 + 8 + 4, 4, start);
    b.Raw(c);
    // Shorter than its type needs: kept as an empty shape.
    std::string shortRec;
    PutLE(shortRec, 5);
    PutD(shortRec, 1);
    b.Raw(shortRec);
    b.Raw(ShpBuilder::Poly(5, {Ring(4, 9)}));
    // A record cut short by its content length: its counts do not fit, so it
    // holds nothing, and the reading goes on from its stated end.
    std::string full = ShpBuilder::Poly(5, {Ring(4)});
    b.Raw(full.substr(0, 20));
    LayerStore s;
    ASSERT_TRUE(Open(s, Write(d, "u.shp", b.Bytes())));
    const ShpLayer& L = s.ShapeLayers[1];
    ASSERT_EQ(L.NumRecords, 4);
    EXPECT_EQ(L.Shapes[1].PartSizes[1] + L.Shapes[1].PartSizes[2], 6);
    EXPECT_GE(L.Shapes[1].PartSizes[2], 0);
    EXPECT_TRUE(L.IsNullShape(2));
    EXPECT_EQ(L.Shapes[3].Parts[1].Pts[1].X, 9);
    EXPECT_TRUE(L.IsNullShape(4));
}

TEST(ShpReaderDamaged, ZRecordWithoutItsMSectionKeepsZ) {
    TempDir d;
    ShpBuilder b(13);
    std::string c = ShpBuilder::Poly(13, {Ring(3)});
    PutD(c, 1);
    PutD(c, 3);
    for (double z : {1.0, 2.0, 3.0}) PutD(c, z);
    b.Raw(c);  // no M section
    b.Raw(ShpBuilder::Poly(13, {Ring(2, 40)}));
    LayerStore s;
    ASSERT_TRUE(Open(s, Write(d, "z.shp", b.Bytes())));
    const ShpLayer& L = s.ShapeLayers[1];
    EXPECT_EQ(L.Shapes3[1].Parts[1].Pts[3].Z, 3.0);
    EXPECT_EQ(L.Shapes3[1].ZMax, 3.0);
    EXPECT_EQ(L.Shapes[2].Parts[1].Pts[2].X, 41);
}

TEST(ShpReader, DamagedSideFileIsReportedAndDefaultsStay) {
    TempDir d;
    CopySample("types/polygon", d.path());
    WriteFileBytes(d.file("polygon.att"), std::string(40, '\1'));
    LayerStore s;
    ScriptedPrompter p;
    NullProgress g;
    ASSERT_TRUE(Open(s, d.file("polygon.shp"), p, g));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_NE(p.shown[0].value.find("polygon.att"), std::string::npos);
    EXPECT_EQ(s.SymLayers[1].Visible, 1);
    EXPECT_EQ(s.SymLayers[1].NumClasses, 5);
}
