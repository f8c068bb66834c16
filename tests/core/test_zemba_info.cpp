#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/core/shp_builder.h"
#include "tests/test_support.h"

using namespace zemba::test;

namespace {
struct Outcome {
    int status;
    std::string out;
};
Outcome Info(const std::string& args) {
    std::string cmd = std::string(ZEMBA_BIN_DIR) + "/zemba-info " + args;
    Outcome r{-1, {}};
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}
}  // namespace

TEST(ZembaInfo, JsonSummaryOfARealMap) {
    Outcome r = Info("--json '" + DataPath("nc.shp") + "'");
    ASSERT_EQ(r.status, 0) << r.out;
    // A real JSON parser checks the numbers against an independent reader.
    TempDir d;
    WriteFileBytes(d.file("out.json"), r.out);
    std::string check =
        "/usr/bin/python3 -c \"import json,sys; j=json.load(open(sys.argv[1])); "
        "print(j['shape_type'], j['records'], j['nulls'], j['parts'], j['points'], len(j['fields']), "
        "len(j['values']), j['values'][0][4], j['fields'][4]['name'], j['fields'][4]['type'], "
        "repr(j['header_extent'][0]), j['vertex_extent'][0] >= j['header_extent'][0])\" '" +
        d.file("out.json") + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(check.c_str(), "r"), pclose);
    char buf[512] = {0};
    std::size_t n = fread(buf, 1, sizeof buf - 1, p.get());
    std::string got(buf, n);
    EXPECT_EQ(got, "5 100 0 108 2529 14 100 Ashe NAME 1 -84.3238525390625 True\n");
}

TEST(ZembaInfo, ReadableSummaryAndRewrite) {
    TempDir d;
    Outcome r = Info("'" + DataPath("types/pointz.shp") + "'");
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Shape type:    11 (PointsZ)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Records:       3"), std::string::npos) << r.out;

    Outcome w = Info("--rewrite '" + d.file("nc2.shp") + "' --dat --dxf '" + DataPath("nc.shp") + "'");
    ASSERT_EQ(w.status, 0);
    EXPECT_EQ(ReadFileBytes(d.file("nc2.shp")), ReadFileBytes(DataPath("nc.shp")));
    EXPECT_FALSE(ReadFileBytes(d.file("nc2.dat")).empty());
    EXPECT_NE(ReadFileBytes(d.file("nc2.dxf")).find("POLYLINE"), std::string::npos);
}

TEST(ZembaInfo, UnreadableFileIsOneLineAndStatusOne) {
    TempDir d;
    WriteFileBytes(d.file("bad.shp"), std::string(50, 'x'));
    for (std::string f : {d.file("bad.shp"), d.file("missing.shp"), DataPath("types/multipatch.shp")}) {
        std::string cmd = std::string(ZEMBA_BIN_DIR) + "/zemba-info '" + f + "' 2>&1 >/dev/null";
        std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
        char buf[1024] = {0};
        std::size_t n = fread(buf, 1, sizeof buf - 1, p.get());
        std::string err(buf, n);
        int st = pclose(p.release());
        EXPECT_EQ(WEXITSTATUS(st), 1) << f;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(err.rfind("zemba-info: ", 0), 0u) << err;
    }
}

namespace {
std::vector<double> Numbers(const std::string& line) {
    std::vector<double> v;
    std::istringstream in(line);
    double d;
    while (in >> d) v.push_back(d);
    return v;
}
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}
}  // namespace

TEST(ZembaInfoScript, ZoomInAfterAZoomAreaHalvesTheSpanAroundTheSameCentre) {
    Outcome r = Info("-e 'zoom-area -81 35 -79 36; extent; zoom-in; extent; zoom-in; extent; zoom-out; extent' '" +
                     DataPath("nc.shp") + "'");
    ASSERT_EQ(r.status, 0) << r.out;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 5u) << r.out;  // "Opened ..." and four extents
    std::vector<std::vector<double>> e;
    for (std::size_t k = 1; k < lines.size(); ++k) e.push_back(Numbers(lines[k]));
    for (auto& v : e) ASSERT_EQ(v.size(), 4u);
    auto width = [](const std::vector<double>& v) { return v[2] - v[0]; };
    auto cx = [](const std::vector<double>& v) { return (v[0] + v[2]) / 2; };
    auto cy = [](const std::vector<double>& v) { return (v[1] + v[3]) / 2; };
    EXPECT_NEAR(width(e[1]), width(e[0]) / 2, 1e-9);
    EXPECT_NEAR(width(e[2]), width(e[0]) / 4, 1e-9);
    EXPECT_NEAR(width(e[3]), width(e[0]) * 3 / 8, 1e-9);
    for (int k = 1; k < 4; ++k) {
        EXPECT_NEAR(cx(e[k]), cx(e[0]), 1e-9);
        EXPECT_NEAR(cy(e[k]), cy(e[0]), 1e-9);
    }
}

TEST(ZembaInfoScript, ClearAllForgetsTheZoomsAndAFileFarAwayLeavesTheView) {
    const std::string nc = DataPath("nc.shp");
    Outcome r = Info("-e 'open " + nc + "; extent; zoom-out; zoom-out; zoom-out; clear-all; open " + nc +
                     "; extent; open " + DataPath("world.shp") + "; extent'");
    ASSERT_EQ(r.status, 0) << r.out;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 6u) << r.out;
    EXPECT_EQ(lines[1], lines[3]);
    EXPECT_EQ(lines[3], lines[5]);
}

TEST(ZembaInfoScript, RendersAPictureAndFailsOnBadCommands) {
    TempDir d;
    Outcome r = Info("-e 'bitmap 320 240; fit; render " + d.file("v.png") + "' '" + DataPath("nc.shp") + "'");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string png = ReadFileBytes(d.file("v.png"));
    ASSERT_GT(png.size(), 100u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(Info("-e 'zoom-in' 2>/dev/null").status, 1);          // no layer
    EXPECT_EQ(Info("-e 'frobnicate' 2>/dev/null").status, 1);       // unknown
    EXPECT_EQ(Info("-e 'bitmap 0 10' 2>/dev/null").status, 1);      // out of range
    EXPECT_EQ(Info("-e 'open /nonexistent.shp' 2>/dev/null").status, 1);
    WriteFileBytes(d.file("s.zs"), "# a comment\nopen \"" + DataPath("nc.shp") + "\"\nextent\n");
    r = Info("--script " + d.file("s.zs"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Lines(r.out).size(), 2u);
}

TEST(ZembaInfoScript, ClassifiesFindsAndStyles) {
    Outcome r = Info("-e 'classify BIR74 --classes 5; find-text NAME ab; find-value BIR74 like 487; "
                     "highlight; label NAME --rotation 90; style width 30 fill 00ff00 up' '" +
                     DataPath("nc.shp") + "' 2>/dev/null");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("class 1: 248 - 4516 (81)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("class 5: 17320 - 21588 (2)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Found 1\n69\n"), std::string::npos) << r.out;  // Cabarrus
    EXPECT_NE(r.out.find("Found 1\n2\n"), std::string::npos) << r.out;   // Alleghany
    EXPECT_EQ(Info("-e 'classify NAME' '" + DataPath("nc.shp") + "' 2>/dev/null").status, 1);
    EXPECT_EQ(Info("-e 'find-text NOPE x' '" + DataPath("nc.shp") + "' 2>/dev/null").status, 1);
    EXPECT_EQ(Info("-e 'highlight' '" + DataPath("nc.shp") + "' 2>/dev/null").status, 1);
    r = Info("-e 'classify pop --quantiles' '" + DataPath("world.shp") + "' 2>&1");
    EXPECT_NE(r.out.find("10 shapes have no number in pop"), std::string::npos) << r.out;
}

TEST(ZembaInfo, JsonTextInTheLayersEncodingAndNullForBlankCells) {
    // A UTF-8 table (its .cpg says so) beside a shapefile with a non-ASCII name.
    TempDir d;
    const std::string base = d.file("\xc3\xa7\xc3\xa0");
    WriteFileBytes(base + ".shp", ReadFileBytes(DataPath("types/point.shp")));
    WriteFileBytes(base + ".shx", ReadFileBytes(DataPath("types/point.shx")));
    WriteFileBytes(base + ".dbf", MakeDbf({{"NAME", 'C', 20, 0}, {"POP", 'N', 8, 0}},
                                          {{"C\xc3\xb4te d'Ivoire     ", "      12"},
                                           {"                    ", "        "},
                                           {"Null                ", "       7"}}));
    WriteFileBytes(base + ".cpg", "UTF-8");
    Outcome r = Info("--json '" + base + ".shp'");
    ASSERT_EQ(r.status, 0) << r.out;
    WriteFileBytes(d.file("out.json"), r.out);
    // Python's own JSON reader sees the text, the nulls and the file name as they are meant.
    const std::string check =
        "/usr/bin/python3 -c \"import json,sys,os; j=json.load(open(sys.argv[1], encoding='utf-8')); "
        "print(ascii(j['values']), ascii(os.path.basename(j['file'])), 'parts' in j)\" '" + d.file("out.json") +
        "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(check.c_str(), "r"), pclose);
    char buf[512] = {0};
    std::size_t n = fread(buf, 1, sizeof buf - 1, p.get());
    EXPECT_EQ(std::string(buf, n),
              "[[\"C\\xf4te d'Ivoire\", '12'], [None, None], ['Null', '7']] '\\xe7\\xe0.shp' False\n");
}
