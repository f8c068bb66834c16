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
    // A tail of zeros: record 3 is numbered 0, and the reading stops there.
    cases.push_back({"zero tail", bytes + std::string(4096, '\0')});
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

// One unsound record costs that record only: it is an empty shape with its
// number (and table row), and one warning names it.
TEST(ShpReaderDamaged, UnsoundRecordsBecomeNullShapesAndTheRestIsRead) {
    TempDir d;
    auto build = [](const std::string& bad) {
        ShpBuilder b(5);
        b.box[2] = b.box[3] = 100;
        b.Raw(ShpBuilder::Poly(5, {Ring(5)}));
        b.Raw(bad);
        b.Raw(ShpBuilder::Poly(5, {Ring(4, 9)}));
        return b.Bytes();
    };
    const std::string sound = ShpBuilder::Poly(5, {Ring(3), Ring(3)});
    auto with = [&](std::size_t at, std::int32_t v) {
        std::string c = sound, put;
        PutLE(put, v);
        c.replace(at, 4, put);
        return c;
    };
    const std::size_t parts = 4 + 32, points = 4 + 32 + 4, start1 = 4 + 32 + 8 + 4;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"huge point count", with(points, 0x7fffffff)},
        {"negative part count", with(parts, -5)},
        {"part start past the points", with(start1, 1000)},
        {"part start going backwards", with(start1, -1)},
    };
    for (const auto& [name, bad] : cases) {
        LayerStore s;
        ScriptedPrompter p;
        NullProgress g;
        ASSERT_TRUE(Open(s, Write(d, "u.shp", build(bad)), p, g)) << name;
        const ShpLayer& L = s.ShapeLayers[1];
        ASSERT_EQ(L.NumRecords, 3) << name;
        EXPECT_FALSE(L.IsNullShape(1)) << name;
        EXPECT_TRUE(L.IsNullShape(2)) << name;
        EXPECT_EQ(L.Shapes[2].NumPoints, 0) << name;
        EXPECT_EQ(L.Shapes[3].Parts[1].Pts[1].X, 9) << name;
        EXPECT_EQ(L.NumPoints, 9) << name;
        EXPECT_EQ(L.DamagedRecords, 1) << name;
        ASSERT_EQ(p.shown.size(), 1u) << name;
        EXPECT_NE(p.shown[0].value.find("empty shapes: 2"), std::string::npos) << p.shown[0].value;
    }

    // Shorter than its type needs: an empty shape, as before, and no warning.
    std::string shortRec;
    PutLE(shortRec, 5);
    PutD(shortRec, 1);
    {
        LayerStore s;
        ScriptedPrompter p;
        NullProgress g;
        ASSERT_TRUE(Open(s, Write(d, "s.shp", build(shortRec)), p, g));
        EXPECT_TRUE(s.ShapeLayers[1].IsNullShape(2));
        EXPECT_EQ(s.ShapeLayers[1].DamagedRecords, 0);
        EXPECT_TRUE(p.shown.empty());
    }
}

TEST(ShpReaderDamaged, ACutFileKeepsTheRecordsBeforeTheCut) {
    TempDir d;
    ShpBuilder b(5);
    b.box[2] = b.box[3] = 100;
    b.Raw(ShpBuilder::Poly(5, {Ring(5)}));
    b.Raw(ShpBuilder::Poly(5, {Ring(4, 9)}));
    b.Raw(ShpBuilder::Poly(5, {Ring(4, 20)}));
    const std::string bytes = b.Bytes();
    const std::size_t last = ShpBuilder::Poly(5, {Ring(4, 20)}).size() + 8;
    struct Case {
        std::string name, data;
        std::int32_t records;
        std::string says;
    };
    std::string pastEnd = bytes;
    {
        std::string len;
        PutBE(len, 0x40000000);
        pastEnd.replace(bytes.size() - last + 4, 4, len);
    }
    const std::vector<Case> cases = {
        {"cut inside a record", bytes.substr(0, bytes.size() - 10), 3, "record 3 runs past the end"},
        {"cut inside a record header", bytes.substr(0, bytes.size() - last + 3), 2, "inside the header of record 3"},
        {"content length past the end", pastEnd, 3, "record 3 runs past the end"},
    };
    for (const Case& c : cases) {
        LayerStore s;
        ScriptedPrompter p;
        NullProgress g;
        ASSERT_TRUE(Open(s, Write(d, "c.shp", c.data), p, g)) << c.name;
        const ShpLayer& L = s.ShapeLayers[1];
        EXPECT_EQ(L.NumRecords, c.records) << c.name;
        EXPECT_EQ(L.Shapes[2].Parts[1].Pts[1].X, 9) << c.name;
        if (c.records == 3) {
            EXPECT_TRUE(L.IsNullShape(3)) << c.name;
        }
        EXPECT_GT(L.DamagedRecords, 0) << c.name;
        ASSERT_EQ(p.shown.size(), 1u) << c.name;
        EXPECT_NE(p.shown[0].value.find(c.says), std::string::npos) << p.shown[0].value;
        EXPECT_NE(p.shown[0].value.find("the rest is lost"), std::string::npos) << p.shown[0].value;
    }
}

TEST(ShpReaderDamaged, HeaderExtentThatIsNotANumberOrTooSmallIsTakenFromTheShapes) {
    TempDir d;
    ShpBuilder b(5);
    b.Raw(ShpBuilder::Poly(5, {Ring(5)}));       // 0..4, 0..8
    b.Raw(ShpBuilder::Poly(5, {Ring(4, 10)}));   // 10..13, 10..16
    std::string bytes = b.Bytes();
    for (const std::string name : {"nan", "small"}) {
        std::string v = bytes;
        for (int k = 0; k < 4; ++k) {
            std::string dv;
            PutD(dv, name == "nan" ? std::nan("") : 1.0);
            v.replace(36 + 8 * k, 8, dv);
        }
        LayerStore s;
        ScriptedPrompter p;
        NullProgress g;
        ASSERT_TRUE(Open(s, Write(d, "x.shp", v), p, g)) << name;
        const ShpLayer& L = s.ShapeLayers[1];
        EXPECT_EQ(L.XMin, 0) << name;
        EXPECT_EQ(L.YMin, 0) << name;
        EXPECT_EQ(L.XMax, 13) << name;
        EXPECT_EQ(L.YMax, 16) << name;
        EXPECT_EQ(s.MapXMax, 13) << name;
        ASSERT_EQ(p.shown.size(), 1u) << name;
        EXPECT_NE(p.shown[0].value.find("the shapes' own extent is used"), std::string::npos) << p.shown[0].value;
    }
    // A header box wider than the shapes is the file's to choose.
    std::string wide = bytes;
    std::string dv;
    PutD(dv, 100.0);
    wide.replace(36 + 16, 8, dv);
    wide.replace(36 + 24, 8, dv);
    LayerStore s;
    ScriptedPrompter p;
    NullProgress g;
    ASSERT_TRUE(Open(s, Write(d, "w.shp", wide), p, g));
    EXPECT_EQ(s.ShapeLayers[1].XMax, 100);
    EXPECT_TRUE(p.shown.empty());
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
