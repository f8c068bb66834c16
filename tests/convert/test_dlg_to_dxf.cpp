#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "convert/dlg_to_dxf.h"
#include "core/file_io.h"
#include "tests/convert/dlg_builder.h"

using namespace zemba;
using namespace zemba::test;

namespace {

std::string Capture(const std::string& cmd) {
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    while (std::size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    pclose(p);
    return out;
}

int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(DlgToDxf, Numbers) {
    EXPECT_EQ(DxfNumber(446357.81), " 4.46357810000000E+0005");
    EXPECT_EQ(DxfNumber(-0.00125), "-1.25000000000000E-0003");
    EXPECT_EQ(DxfNumber(0), " 0.00000000000000E+0000");
    EXPECT_EQ(DxfNumber(446357.81).size(), 23u);
    EXPECT_EQ(DxfLayerName("  roads "), "ROADS");
    EXPECT_EQ(DxfLayerName("   "), "LAYERNAME");
    // Names DXF forbids and characters the drawing's code page lacks.
    EXPECT_EQ(DxfLayerName("a;b/c*d"), "A_B_C_D");
    EXPECT_EQ(DxfLayerName("Rivi\xc3\xa8re \xe2\x82\xac \xe4\xb8\xad"), "RIVI\xc3\xa8RE \xe2\x82\xac _");
    EXPECT_EQ(DxfCodePageText("RIVI\xc3\xa8RE \xe2\x82\xac"), "RIVI\xe8RE \x80");
}

TEST(DlgToDxf, OddLayerNamesAreReadByEzdxf) {
    TempDir dir;
    ScriptedPrompter p;
    NullProgress none;
    DlgDxfReport rep;
    const std::string dxf = dir.file("hy01.dxf");
    ASSERT_TRUE(ExportDlgToDxf(SamplePath(), dxf, "eaux;rivi\xc3\xa8res", 0, p, none, rep));
    const std::string text = ReadFileBytes(dxf);
    EXPECT_EQ(text.find("0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$DWGCODEPAGE\r\n3\r\nANSI_1252\r\n0\r\nENDSEC\r\n"), 0u);
    EXPECT_NE(text.find("\r\nEAUX_RIVI\xe8RES\r\n"), std::string::npos);
    if (std::system("/usr/bin/python3 -c 'import ezdxf' 2>/dev/null") != 0) GTEST_SKIP() << "no ezdxf";
    std::string out = Capture("/usr/bin/python3 -c \"import ezdxf,sys; d=ezdxf.readfile(sys.argv[1]); "
                              "print(set(x.dxf.layer for x in d.modelspace().query('POLYLINE')) == {'EAUX_RIVI\\u00e8RES'}, "
                              "d.layers.has_entry('EAUX_RIVI\\u00e8RES'))\" " +
                              dxf + " 2>&1");
    EXPECT_EQ(out, "True True\n");
}

TEST(DlgToDxf, SampleReadByEzdxf) {
    TempDir dir;
    ScriptedPrompter p;
    NullProgress none;
    DlgDxfReport rep;
    const std::string dxf = dir.file("hy01.dxf");
    ASSERT_TRUE(ExportDlgToDxf(SamplePath(), dxf, " hydro ", 2, p, none, rep));
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(rep.LinesWritten, 1838);
    EXPECT_EQ(rep.Vertices, 17547);
    const std::string text = ReadFileBytes(dxf);
    EXPECT_EQ(Occurrences(text, "\r\nPOLYLINE\r\n"), 1838);
    EXPECT_EQ(Occurrences(text, "\r\n40\r\n2\r\n41\r\n2\r\n"), 1838);
    EXPECT_EQ(text.rfind("0\r\nENDSEC\r\n0\r\nEOF\r\n"), text.size() - 19);
    if (std::system("/usr/bin/python3 -c 'import ezdxf' 2>/dev/null") != 0) GTEST_SKIP() << "no ezdxf";
    std::string out = Capture("/usr/bin/python3 -c \"import ezdxf,sys; d=ezdxf.readfile(sys.argv[1]); "
                              "p=list(d.modelspace().query('POLYLINE')); "
                              "print(len(p), sum(len(list(x.points())) for x in p), set(x.dxf.layer for x in p))\" " +
                              dxf + " 2>&1");
    EXPECT_EQ(out, "1838 17547 {'HYDRO'}\n");
}

TEST(DlgToDxf, BadCountsAndMalignedLines) {
    TempDir dir;
    DlgBuilder b;
    b.lines.push_back({1, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}, {}});
    b.lines.push_back({2, {{0, 0}, {1, 1}}, {}});
    b.lines.push_back({4, {{5, 5}, {6, 6}}, {}});
    std::vector<std::string> recs = b.Records();
    // Line 2's pair count cannot be read.
    for (auto& r : recs)
        if (r.rfind("L    2", 0) == 0) r.replace(42, 6, "    x2");
    WriteFileBytes(dir.file("t.dlg"), Join(recs, "\r\n"));
    ScriptedPrompter p;
    NullProgress none;
    DlgDxfReport rep;
    ASSERT_TRUE(ExportDlgToDxf(dir.file("t.dlg"), dir.file("t.dxf"), "", 0, p, none, rep));
    EXPECT_EQ(rep.LinesWritten, 2);
    EXPECT_EQ(rep.Vertices, 6);  // 4 pairs: one full record and a partial one
    ASSERT_EQ(p.shown.size(), 3u);
    EXPECT_EQ(p.shown[1].value, "Points this Line WRONG     x2 ");
    EXPECT_EQ(p.shown[2].value, "Lines are maligned at 3");
    EXPECT_EQ(Occurrences(ReadFileBytes(dir.file("t.dxf")), "\r\nLAYERNAME\r\n"), 1 + 2 * 2 + 6);

    // A missing input leaves no drawing.
    EXPECT_FALSE(ExportDlgToDxf(dir.file("none.dlg"), dir.file("n.dxf"), "", 0, p, none, rep));
    EXPECT_FALSE(FileExists(dir.file("n.dxf")));
}
