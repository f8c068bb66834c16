#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>

#include "convert/dlg_to_shp.h"
#include "core/attributes.h"
#include "core/file_io.h"
#include "core/layer_store.h"
#include "core/shp_reader.h"
#include "tests/convert/dlg_builder.h"

using namespace zemba;
using namespace zemba::test;

namespace {

std::vector<std::string> Listing(const std::string& dir) {
    std::vector<std::string> out;
    DIR* d = opendir(dir.c_str());
    while (dirent* e = readdir(d))
        if (e->d_name[0] != '.' || std::string(e->d_name).size() > 2) out.push_back(e->d_name);
    closedir(d);
    std::sort(out.begin(), out.end());
    out.erase(std::remove_if(out.begin(), out.end(), [](const std::string& s) { return s == "." || s == ".."; }), out.end());
    return out;
}

std::string RunCommand(const std::string& cmd) {
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    while (std::size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    pclose(p);
    return out;
}

double RingArea(const PointArray& pts, std::int32_t n) {
    double s = 0;
    for (std::int32_t k = 1; k < n; ++k) s += pts[k].X * pts[k + 1].Y - pts[k + 1].X * pts[k].Y;
    return s / 2;
}

// Reads a written shapefile and its table back with the program's own readers.
struct Loaded {
    LayerStore store;
    Result r;
    explicit Loaded(const std::string& shp) {
        NullProgress none;
        SilentPrompter quiet;
        store.AppendLayerSlot();
        store.LayerFileName = shp;
        r = ReadShapefile(store, quiet, none);
        if (r) r = LoadAttributes(store, store.LayerCount, none);
    }
    const ShpLayer& L() const { return store.ShapeLayers[store.LayerCount]; }
    std::string Value(int shape, const std::string& field) const {
        for (std::size_t k = 0; k < L().Fields.size(); ++k)
            if (L().Fields[k].Name == field) return L().Shapes[shape].Values[k];
        return "<none>";
    }
};

}  // namespace

TEST(DlgToShp, SampleAreas) {
    TempDir dir;
    ScriptedPrompter p;
    NullProgress none;
    DlgShapeReport rep;
    DlgShapeOptions o;
    const std::string shp = dir.file("hy01_a.shp");
    ASSERT_TRUE(ExportDlgToShape(SamplePath(), shp, o, p, none, rep)) << (p.shown.empty() ? "" : p.shown[0].value);
    EXPECT_TRUE(p.shown.empty()) << p.shown[0].value;
    EXPECT_EQ(rep.Written, 544);
    EXPECT_EQ(rep.Parts, 739);
    EXPECT_EQ(rep.Holes, 195);
    EXPECT_EQ(rep.Points, 29716);
    EXPECT_EQ(rep.NullShapes, 0);
    EXPECT_EQ(Listing(dir.path()),
              (std::vector<std::string>{"hy01_a.dbf", "hy01_a.prj", "hy01_a.shp", "hy01_a.shx", "hy01_a_.dbf"}));

    Loaded back(shp);
    ASSERT_TRUE(back.r) << back.r.reason;
    ASSERT_EQ(back.L().NumRecords, 544);
    EXPECT_EQ(back.L().ShapeType, 5);
    // Areas of the polygons sum to the area inside area 1's ring.
    double sum = 0;
    for (int k = 1; k <= 544; ++k) {
        const ShpObj& s = back.L().Shapes[k];
        for (int part = 1; part <= s.NumParts; ++part) sum -= RingArea(s.Parts[part].Pts, s.PartSizes[part]);
    }
    DlgShapeOptions all = o;
    all.SkipFirstArea = false;
    ASSERT_TRUE(ExportDlgToShape(SamplePath(), dir.file("all.shp"), all, p, none, rep));
    EXPECT_EQ(rep.Written, 545);
    Loaded whole(dir.file("all.shp"));
    const ShpObj& outside = whole.L().Shapes[1];
    ASSERT_EQ(outside.NumParts, 1);
    const double quad = std::fabs(RingArea(outside.Parts[1].Pts, outside.PartSizes[1]));
    EXPECT_NEAR(sum, quad, quad * 1e-9);
    // The table: one row per shape, COUNT-less major-minor schema with CODE.
    EXPECT_EQ(back.L().NumFields, 3);
    EXPECT_EQ(back.Value(1, "MAJOR"), "x");  // area 2 has no codes
    EXPECT_EQ(back.Value(3, "MAJOR"), "50");
    EXPECT_EQ(back.Value(3, "MINOR"), "412");
    EXPECT_EQ(back.Value(3, "CODE"), "0500412");
}

TEST(DlgToShp, SampleLinesAndPoints) {
    TempDir dir;
    ScriptedPrompter p;
    NullProgress none;
    DlgShapeReport rep;
    DlgShapeOptions o;
    o.Layer = ExportLayer::Lines;
    ASSERT_TRUE(ExportDlgToShape(SamplePath(), dir.file("l.shp"), o, p, none, rep));
    EXPECT_EQ(rep.Written, 1838);
    EXPECT_EQ(rep.Points, 17547);
    Loaded lines(dir.file("l.shp"));
    ASSERT_TRUE(lines.r);
    EXPECT_EQ(lines.L().NumRecords, 1838);
    EXPECT_EQ(lines.L().NumPoints, 17547);

    o.Layer = ExportLayer::Points;
    ASSERT_TRUE(ExportDlgToShape(SamplePath(), dir.file("p.shp"), o, p, none, rep));
    EXPECT_EQ(rep.Written, 1461);
    EXPECT_TRUE(p.shown.empty()) << p.shown[0].value;
    Loaded pts(dir.file("p.shp"));
    ASSERT_TRUE(pts.r);
    ASSERT_EQ(pts.L().NumRecords, 1461);
    EXPECT_DOUBLE_EQ(pts.L().Shapes[1].XMin, 446357.81);  // node 1, not a header record
    EXPECT_DOUBLE_EQ(pts.L().Shapes[1].YMin, 4386114.46);
    // 454 nodes carry one code; node 1 none (its line list is no code).
    EXPECT_EQ(pts.Value(1, "MAJOR"), "x");
    int coded = 0;
    for (int k = 1; k <= 1461; ++k) coded += pts.Value(k, "MAJOR") != "x";
    EXPECT_EQ(coded, 454);
}

TEST(DlgToShp, SampleReadByGdal) {
    if (std::system("command -v ogrinfo >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ogrinfo";
    TempDir dir;
    SilentPrompter quiet;
    NullProgress none;
    DlgShapeReport rep;
    ASSERT_TRUE(ExportDlgToShape(SamplePath(), dir.file("a.shp"), DlgShapeOptions(), quiet, none, rep));
    std::string out = RunCommand("ogrinfo -q -dialect SQLite -sql \"SELECT SUM(ST_IsValid(geometry)) AS valid, COUNT(*) AS n, "
                          "SUM(ST_NumInteriorRing(geometry)) AS holes, SUM(ST_NPoints(geometry)) AS np, "
                          "SUM(MAJOR IS NOT NULL) AS coded FROM a\" " + dir.file("a.shp") + " 2>&1");
    EXPECT_NE(out.find("valid (Integer) = 544"), std::string::npos) << out;
    EXPECT_NE(out.find("n (Integer) = 544"), std::string::npos) << out;
    EXPECT_NE(out.find("holes (Integer) = 195"), std::string::npos) << out;
    EXPECT_NE(out.find("np (Integer) = 29716"), std::string::npos) << out;
    // GDAL places it: NAD27 / UTM 18N from header record 4.
    out = RunCommand("ogrinfo -so " + dir.file("a.shp") + " a 2>&1");
    EXPECT_NE(out.find("UTM zone 18N"), std::string::npos) << out;
}

TEST(DlgToShp, TruncatedFileStopsAndLeavesNothing) {
    TempDir dir;
    std::string all = ReadFileBytes(SamplePath());
    // Cut inside the line section: lines and areas are lost.
    WriteFileBytes(dir.file("cut.dlg"), all.substr(0, all.size() / 2));
    NullProgress none;
    DlgShapeReport rep;
    // No export makes a map of what is left: areas, lines and points alike.
    for (ExportLayer layer : {ExportLayer::Areas, ExportLayer::Lines, ExportLayer::Points}) {
        ScriptedPrompter p;
        p.fallback = Answer::Abort;
        DlgShapeOptions o;
        o.Layer = layer;
        Result r = ExportDlgToShape(dir.file("cut.dlg"), dir.file("cut.shp"), o, p, none, rep);
        EXPECT_FALSE(r) << static_cast<int>(layer);
        EXPECT_TRUE(r.reason.find("ends inside line") != std::string::npos ||
                    r.reason.find("fewer") != std::string::npos)
            << r.reason;
        EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"cut.dlg"});
    }

    // An export over an older shapefile that fails keeps the older one.
    WriteFileBytes(dir.file("cut_a.shp"), "old");
    ScriptedPrompter p;
    EXPECT_FALSE(ExportDlgToShape(dir.file("cut.dlg"), dir.file("cut_a.shp"), DlgShapeOptions(), p, none, rep));
    EXPECT_EQ(ReadFileBytes(dir.file("cut_a.shp")), "old");
}

TEST(DlgToShp, WhatIsNotADlgIsRefused) {
    TempDir dir;
    std::string noise;
    for (int k = 0; k < 5000; ++k) noise.push_back(static_cast<char>((k * 7919 + 13) % 256));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"blank", std::string(80 * 20, ' ')},
        {"random bytes", noise},
        {"text", std::string(2000, 'x')},
    };
    for (const auto& [name, bytes] : cases) {
        WriteFileBytes(dir.file("x.dlg"), bytes);
        ScriptedPrompter p;
        NullProgress none;
        DlgShapeReport rep;
        Result r = ExportDlgToShape(dir.file("x.dlg"), dir.file("x.shp"), DlgShapeOptions(), p, none, rep);
        EXPECT_FALSE(r) << name;
        EXPECT_TRUE(r.reason.find("not a DLG file") != std::string::npos ||
                    r.reason.find("ends inside its header") != std::string::npos)
            << name << ": " << r.reason;
        EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"x.dlg"}) << name;
    }
}

TEST(DlgToShp, TableNotMadeWritesNothing) {
    TempDir dir;
    ScriptedPrompter p;
    NullProgress none;
    DlgShapeReport rep;
    Result r = ExportDlgToShape(SamplePath(), dir.file("no/such/dir/x.shp"), DlgShapeOptions(), p, none, rep);
    EXPECT_FALSE(r);
    EXPECT_EQ(p.Count(MsgFamily::Error, 8), 1);
}

namespace {

// A square area (lines 1-4) holding a square island (line 5), and an
// open-ringed area whose line list leaves a spike.
DlgBuilder TwoAreas() {
    DlgBuilder b;
    b.lines.push_back({1, {{0, 0}, {0, 100}}, {{50, 100}}});
    b.lines.push_back({2, {{0, 100}, {100, 100}}, {}});
    b.lines.push_back({3, {{100, 100}, {100, 0}}, {}});
    b.lines.push_back({4, {{100, 0}, {0, 0}}, {{50, 200}, {51, 201}}});
    b.lines.push_back({5, {{40, 40}, {60, 40}, {60, 60}, {40, 60}, {40, 40}}, {}});
    // Open ring: a long first segment, then short ones (the Part's spike).
    b.lines.push_back({6, {{500, 0}, {200, 0}, {200, 10}, {210, 10}, {210, 0}}, {}});
    b.areas.push_back({1, {1, 2, 3, 4}, {{0, 0}}});
    b.areas.push_back({2, {1, 2, 3, 4, 0, -5}, {{50, 421}, {50, 605}}, 1});
    b.areas.push_back({3, {6}, {{50, 421}}});
    return b;
}

}  // namespace

TEST(DlgToShp, RingsIslandsSpikesAndClosing) {
    TempDir dir;
    DlgBuilder b = TwoAreas();
    b.Write(dir.file("t.dlg"));
    ScriptedPrompter p;
    NullProgress none;
    DlgShapeReport rep;
    ASSERT_TRUE(ExportDlgToShape(dir.file("t.dlg"), dir.file("t_a.shp"), DlgShapeOptions(), p, none, rep));
    EXPECT_TRUE(p.shown.empty()) << p.shown[0].value;
    Loaded back(dir.file("t_a.shp"));
    ASSERT_TRUE(back.r) << back.r.reason;
    ASSERT_EQ(back.L().NumRecords, 2);
    const ShpObj& a2 = back.L().Shapes[1];
    ASSERT_EQ(a2.NumParts, 2);
    // Closed rings are left as they are: 8 points (junction points doubled), 5 island points.
    EXPECT_EQ(a2.PartSizes[1], 8);
    EXPECT_EQ(a2.PartSizes[2], 5);
    EXPECT_LT(RingArea(a2.Parts[1].Pts, a2.PartSizes[1]), 0);  // outer clockwise
    EXPECT_GT(RingArea(a2.Parts[2].Pts, a2.PartSizes[2]), 0);  // island counter-clockwise
    // The open ring loses its spiky first point and is closed.
    const ShpObj& a3 = back.L().Shapes[2];
    ASSERT_EQ(a3.NumParts, 1);
    ASSERT_EQ(a3.PartSizes[1], 5);
    EXPECT_EQ(a3.XMax, 210);
    EXPECT_DOUBLE_EQ(a3.Parts[1].Pts[1].X, a3.Parts[1].Pts[5].X);
    EXPECT_DOUBLE_EQ(a3.Parts[1].Pts[1].Y, a3.Parts[1].Pts[5].Y);
    EXPECT_EQ(rep.LinePointsAdded, 1);
    // Major-minor: the last pair wins MAJOR and MINOR; CODE is the first
    // pair, the feature's entity label.
    EXPECT_EQ(back.Value(1, "MINOR"), "605");
    EXPECT_EQ(back.Value(1, "CODE"), "0500421");
}

TEST(DlgToShp, AttributeModesAndSchemas) {
    TempDir dir;
    DlgBuilder b = TwoAreas();
    b.Write(dir.file("t.dlg"));
    NullProgress none;
    struct Case {
        AttributeMode mode;
        bool number, map;
        std::vector<std::string> fields;
    } cases[] = {
        {amMajorMinor, false, false, {"MAJOR", "MINOR", "CODE"}},
        {amMajorMinor, true, true, {"COUNT", "MAJOR", "MINOR", "CODE", "MAPI", "MAPF"}},
        {amSingleCode, false, false, {"MINOR"}},
        {amMinorCodes, true, false, {"COUNT", "MINOR1", "MINOR2"}},
        {amSoil, false, false, {"COUNT"}},  // no side file
    };
    for (const Case& c : cases) {
        DlgShapeOptions o;
        o.Mode = c.mode;
        o.NumberItems = c.number;
        o.MapAttributes = c.map;
        ScriptedPrompter p;
        DlgShapeReport rep;
        ASSERT_TRUE(ExportDlgToShape(dir.file("t.dlg"), dir.file("m.shp"), o, p, none, rep));
        Loaded back(dir.file("m.shp"));
        ASSERT_TRUE(back.r);
        std::vector<std::string> names;
        for (const auto& f : back.L().Fields) names.push_back(f.Name);
        EXPECT_EQ(names, c.fields) << c.mode;
        if (c.mode == amSingleCode) {
            EXPECT_EQ(back.Value(1, "MINOR"), "50");  // the major code of the last pair
        }
        if (c.mode == amMinorCodes) {
            EXPECT_EQ(back.Value(1, "MINOR1"), "421");
            EXPECT_EQ(back.Value(1, "MINOR2"), "605");
            EXPECT_EQ(back.Value(2, "COUNT"), "3");
        }
        if (c.map) {
            EXPECT_EQ(back.Value(2, "MAPI"), "0");
        }
        if (c.mode == amSoil) {
            EXPECT_EQ(p.Count(MsgFamily::Error, 5), 1);
            EXPECT_EQ(back.Value(1, "COUNT"), "2");
        }
    }
    // A node-less, code-less DLG numbers its points.
    DlgBuilder plain;
    plain.nodes.push_back({1, 5, 5, {1}, {}});
    plain.nodes.push_back({2, 6, 6, {}, {}});
    plain.Write(dir.file("n.dlg"));
    DlgShapeOptions o;
    o.Layer = ExportLayer::Points;
    ScriptedPrompter p;
    DlgShapeReport rep;
    ASSERT_TRUE(ExportDlgToShape(dir.file("n.dlg"), dir.file("n.shp"), o, p, none, rep));
    Loaded back(dir.file("n.shp"));
    ASSERT_TRUE(back.r);
    ASSERT_EQ(back.L().NumRecords, 2);
    EXPECT_EQ(back.Value(2, "COUNT"), "2");
}

TEST(DlgToShp, SoilSideFiles) {
    TempDir dir;
    DlgBuilder b = TwoAreas();
    const std::string dlg = b.Write(dir.file("s1234567-1af.dlg"));
    NullProgress none;
    DlgShapeOptions o;
    o.Mode = amSoil;
    o.SkipFirstArea = true;
    // .sat: records split at LF, CR LF or CR; the first belongs to area 1.
    WriteFileBytes(dir.file("s1234567-1af.sat"), "a\tb\t7\tSKIP\r\nx\ty\t12\tKEY12 \rx\ty\t\t\n");
    ScriptedPrompter p;
    DlgShapeReport rep;
    ASSERT_TRUE(ExportDlgToShape(dlg, dir.file("s.shp"), o, p, none, rep));
    Loaded sat(dir.file("s.shp"));
    ASSERT_TRUE(sat.r);
    EXPECT_EQ(sat.Value(1, "MINORI"), "12");
    EXPECT_EQ(sat.Value(1, "MUIDS"), "KEY12");
    EXPECT_EQ(sat.Value(2, "MINORI"), "0");  // empty fields count as "0"
    EXPECT_EQ(sat.Value(2, "MUIDS"), "0");
    std::remove(dir.file("s1234567-1af.sat").c_str());

    // .sym: the key from line <minor code>; a code past the end gives none.
    std::string sym;
    for (int k = 0; k < 500; ++k) sym += std::to_string(k) + " MU" + std::to_string(k) + "\n";
    WriteFileBytes(dir.file("s1234567-1af.sym"), sym);
    ASSERT_TRUE(ExportDlgToShape(dlg, dir.file("y.shp"), o, p, none, rep));
    Loaded y(dir.file("y.shp"));
    ASSERT_TRUE(y.r);
    EXPECT_EQ(y.Value(1, "MINORI"), "421");
    EXPECT_EQ(y.Value(1, "MUIDS"), "MU421");
    WriteFileBytes(dir.file("s1234567-1af.sym"), "0 A\n");
    ASSERT_TRUE(ExportDlgToShape(dlg, dir.file("y.shp"), o, p, none, rep));
    Loaded y2(dir.file("y.shp"));
    EXPECT_EQ(y2.Value(1, "MINORI"), "421");
    EXPECT_EQ(y2.Value(1, "MUIDS").find("MU"), std::string::npos);  // empty
    std::remove(dir.file("s1234567-1af.sym").c_str());

    // .att: the fourth letter of the name picks the field (L: MLRAS).
    const std::string dlg2 = b.Write(dir.file("abcl.dlg"));
    WriteFileBytes(dir.file("abcl.att"), "1 111\n2 22A\n3 33B \n");
    ASSERT_TRUE(ExportDlgToShape(dlg2, dir.file("t.shp"), o, p, none, rep));
    Loaded att(dir.file("t.shp"));
    ASSERT_TRUE(att.r);
    ASSERT_EQ(att.L().Fields.size(), 1u);
    EXPECT_EQ(att.L().Fields[0].Name, "MLRAS");
    EXPECT_EQ(att.Value(1, "MLRAS"), "22A");
    EXPECT_EQ(att.Value(2, "MLRAS"), "33B");

    // Points are not soiled; nothing is written.
    o.Layer = ExportLayer::Points;
    ScriptedPrompter q;
    EXPECT_FALSE(ExportDlgToShape(dlg, dir.file("p.shp"), o, q, none, rep));
    EXPECT_EQ(q.Count(MsgFamily::Error, 21), 1);
    EXPECT_FALSE(FileExists(dir.file("p.shp")));
}

TEST(DlgToShp, NumberingWarnings) {
    TempDir dir;
    DlgBuilder b = TwoAreas();
    // Lines 1, 2, 7, 8, 9, 10 and areas 1, 2, 9.
    for (int k = 2; k < 6; ++k) b.lines[k].id = k + 5;
    b.areas[0].lines = {1, 2, 7, 8};
    b.areas[1].lines = {1, 2, 7, 8, 0, -9};
    b.areas[2].lines = {10};
    b.areas[2].id = 9;
    b.Write(dir.file("t.dlg"));
    NullProgress none;
    DlgShapeReport rep;
    {
        // Ignore: asked once for the areas, never again (lines included).
        ScriptedPrompter p;
        p.answers = {Answer::Ignore};
        EXPECT_TRUE(ExportDlgToShape(dir.file("t.dlg"), dir.file("a.shp"), DlgShapeOptions(), p, none, rep));
        ASSERT_EQ(p.shown.size(), 1u);
        EXPECT_EQ(p.shown[0].value, "Wrong numbered Area at 3");
    }
    {
        // Abort stops and leaves nothing.
        ScriptedPrompter p;
        p.answers = {Answer::Abort};
        DlgShapeOptions o;
        o.Layer = ExportLayer::Lines;
        EXPECT_FALSE(ExportDlgToShape(dir.file("t.dlg"), dir.file("l.shp"), o, p, none, rep));
        ASSERT_EQ(p.shown.size(), 1u);
        EXPECT_EQ(p.shown[0].value, "Wrong numbered line at 3");
        EXPECT_FALSE(FileExists(dir.file("l.shp")));
        EXPECT_FALSE(FileExists(dir.file("l.dbf")));
    }
    {
        // Retry follows the file's number: one box for the gap, records 1..n.
        ScriptedPrompter p;
        p.answers = {Answer::Retry};
        DlgShapeOptions o;
        o.Layer = ExportLayer::Lines;
        EXPECT_TRUE(ExportDlgToShape(dir.file("t.dlg"), dir.file("l.shp"), o, p, none, rep));
        EXPECT_EQ(p.shown.size(), 1u);
        EXPECT_EQ(rep.Written, 6);
        // Areas answered with Retry: area 9 lands at 9, 3..8 are null shapes.
        ScriptedPrompter q;
        q.answers = {Answer::Retry, Answer::Retry};
        EXPECT_TRUE(ExportDlgToShape(dir.file("t.dlg"), dir.file("a.shp"), DlgShapeOptions(), q, none, rep));
        // The gaps of areas and lines, and the table grown past the header's count.
        ASSERT_EQ(q.shown.size(), 3u);
        EXPECT_EQ(q.shown[0].value, "Wrong numbered Area at 3");
        EXPECT_NE(q.shown[1].value.find("more areas"), std::string::npos);
        Loaded back(dir.file("a.shp"));
        ASSERT_TRUE(back.r) << back.r.reason;
        EXPECT_EQ(back.L().NumRecords, 8);
        EXPECT_EQ(rep.NullShapes, 6);
        EXPECT_TRUE(back.L().IsNullShape(2));
        EXPECT_FALSE(back.L().IsNullShape(8));
    }
}

TEST(DlgToShp, IslandCountsNullLinesAndBadControlPoints) {
    TempDir dir;
    DlgBuilder b = TwoAreas();
    b.areas[1].islands = 2;  // one island ring in the list
    // Four equal control points: the picture falls back to the data extent.
    for (auto& c : b.cp) c[0] = c[1] = 7;
    std::vector<std::string> recs = b.Records();
    for (auto& r : recs)
        if (r.rfind("L    3", 0) == 0) r.replace(42, 6, "   ???");  // line 3's pair count unreadable
    WriteFileBytes(dir.file("t.dlg"), Join(recs, "\r\n"));
    NullProgress none;
    {
        ScriptedPrompter p;
        DlgShapeReport rep;
        DlgShapeOptions o;
        o.Layer = ExportLayer::Lines;
        ASSERT_TRUE(ExportDlgToShape(dir.file("t.dlg"), dir.file("l.shp"), o, p, none, rep));
        Loaded back(dir.file("l.shp"));
        ASSERT_TRUE(back.r);
        EXPECT_EQ(back.L().NumRecords, 6);  // shapes and rows stay aligned
        EXPECT_TRUE(back.L().IsNullShape(3));
        EXPECT_FALSE(back.L().IsNullShape(4));
    }
    {
        // Areas: line 3 is lost now (its record is unreadable): the export stops.
        ScriptedPrompter p;
        DlgShapeReport rep;
        EXPECT_FALSE(ExportDlgToShape(dir.file("t.dlg"), dir.file("a.shp"), DlgShapeOptions(), p, none, rep));
        EXPECT_EQ(p.Count(MsgFamily::Error, 14), 1);
    }
    b.cp[0][0] = 0;  // back to a usable header; only the island count is off
    b = TwoAreas();
    b.areas[1].islands = 2;
    b.Write(dir.file("i.dlg"));
    ScriptedPrompter p;
    DlgShapeReport rep;
    ASSERT_TRUE(ExportDlgToShape(dir.file("i.dlg"), dir.file("i.shp"), DlgShapeOptions(), p, none, rep));
    EXPECT_EQ(rep.IslandMismatches, 1);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_NE(p.shown[0].value.find("island"), std::string::npos);
    EXPECT_EQ(rep.Parts, 3);  // parts follow the rings found

    QuickViewResult q;
    ScriptedPrompter quiet;
    ASSERT_TRUE(MakeDLGImage(dir.file("t.dlg"), q, quiet, none));
    int black = 0;
    for (auto px : q.Picture.Pixels) black += px == 0;
    EXPECT_GT(black, 300);
}
