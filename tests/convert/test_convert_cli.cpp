#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

#include "core/file_io.h"
#include "tests/convert/dlg_builder.h"

using namespace zemba;
using namespace zemba::test;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

// Runs zemba-convert with `args`; standard error goes to `err`.
Outcome Convert(const std::string& args, const std::string& err) {
    Outcome o;
    std::string cmd = std::string(ZEMBA_BIN_DIR) + "/zemba-convert " + args + " 2>" + err;
    FILE* p = popen(cmd.c_str(), "r");
    char buf[4096];
    while (std::size_t n = fread(buf, 1, sizeof buf, p)) o.out.append(buf, n);
    int st = pclose(p);
    o.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return o;
}

}  // namespace

TEST(ConvertCli, DlgInfoAndConversions) {
    TempDir dir;
    const std::string err = dir.file("err.txt");
    Outcome o = Convert("dlginfo --json " + SamplePath(), err);
    ASSERT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("\"scale\": 24000"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("\"nodes\": 1461, \"areas\": 545, \"lines\": 1838"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("[446357.81, 4386114.46]"), std::string::npos) << o.out;

    o = Convert("dlg2shp --lines --number-items " + SamplePath() + " " + dir.file("l.shp"), err);
    EXPECT_EQ(o.status, 0) << ReadFileBytes(err);
    EXPECT_TRUE(FileExists(dir.file("l.dbf")));
    EXPECT_TRUE(FileExists(dir.file("l.prj")));
    o = Convert("dlg2dxf --layer hy --width 3 " + SamplePath() + " " + dir.file("l.dxf"), err);
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(ReadFileBytes(dir.file("l.dxf")).find("\r\n8\r\nHY\r\n"), std::string::npos);

    // Usage errors and failures: non-zero, a message, no output.
    EXPECT_EQ(Convert("dlg2shp " + SamplePath() + " " + dir.file("x.shp"), err).status, 2);
    EXPECT_EQ(Convert("dlg2dxf --width 7 a b", err).status, 2);
    std::string all = ReadFileBytes(SamplePath());
    WriteFileBytes(dir.file("cut.dlg"), all.substr(0, all.size() / 2));
    // A cut file: every export fails, and writes nothing.
    for (const std::string what : {"dlg2shp --areas", "dlg2shp --lines", "dlg2shp --points", "dlg2dxf"}) {
        const std::string out = dir.file(what == "dlg2dxf" ? "cut.dxf" : "cut.shp");
        o = Convert(what + " " + dir.file("cut.dlg") + " " + out, err);
        EXPECT_EQ(o.status, 1) << what;
        const std::string why = ReadFileBytes(err);
        EXPECT_TRUE(why.find("ends inside line") != std::string::npos || why.find("fewer lines") != std::string::npos)
            << what << why;
        EXPECT_FALSE(FileExists(out)) << what;
        EXPECT_FALSE(FileExists(dir.file("cut.dbf"))) << what;
    }
    EXPECT_EQ(Convert("dlginfo " + dir.file("none.dlg"), err).status, 1);
}

TEST(ConvertCli, NumberingFlag) {
    TempDir dir;
    DlgBuilder b;
    b.lines.push_back({1, {{0, 0}, {1, 1}}, {}});
    b.lines.push_back({3, {{0, 0}, {1, 1}}, {}});
    b.Write(dir.file("g.dlg"));
    const std::string err = dir.file("err.txt");
    EXPECT_EQ(Convert("dlg2shp --lines " + dir.file("g.dlg") + " " + dir.file("g.shp"), err).status, 1);
    EXPECT_NE(ReadFileBytes(err).find("Wrong numbered line at 2"), std::string::npos);
    EXPECT_FALSE(FileExists(dir.file("g.shp")));
    EXPECT_EQ(Convert("dlg2shp --lines --numbering ignore " + dir.file("g.dlg") + " " + dir.file("g.shp"), err).status, 0);
    EXPECT_TRUE(FileExists(dir.file("g.shp")));
}
