#include <gtest/gtest.h>

#include "convert/dlg_reader.h"
#include "core/file_io.h"
#include "tests/convert/dlg_builder.h"

using namespace zemba;
using namespace zemba::test;

namespace {

std::vector<std::string> AllRecords(DlgRecordReader& in) {
    std::vector<std::string> out;
    std::string r;
    while (in.ReadDlgRecord(r)) out.push_back(r);
    return out;
}

}  // namespace

TEST(DlgReader, SampleHeaderAndCounts) {
    DlgRecordReader in;
    ASSERT_TRUE(in.DetectDlgRecordMode(SamplePath()));
    EXPECT_EQ(in.mode(), dlgTextLines);
    DlgHeader h;
    ScriptedPrompter p;
    ASSERT_TRUE(ReadDlgHeader(in, h, &p));
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(h.Name, "WILMINGTON SOUTH, DE-NJ");
    EXPECT_EQ(h.Date, 1967);
    EXPECT_EQ(h.Scale, 24000);  // not 2400
    EXPECT_EQ(h.RefSystem, 1);
    EXPECT_EQ(h.Zone, 18);
    EXPECT_EQ(h.Units, 2);
    // Control points keep their hundredths.
    EXPECT_DOUBLE_EQ(h.CpX[0], 446357.81);
    EXPECT_DOUBLE_EQ(h.CpY[0], 4386114.46);
    EXPECT_DOUBLE_EQ(h.CpX[2], 457163.70);
    EXPECT_DOUBLE_EQ(h.XMin, 446357.81);
    EXPECT_DOUBLE_EQ(h.XMax, 457163.70);
    EXPECT_DOUBLE_EQ(h.YMin, 4386047.28);
    EXPECT_DOUBLE_EQ(h.YMax, 4399987.43);
    EXPECT_EQ(h.DlgNodeCount, 1461);
    EXPECT_EQ(h.DlgAreaCount, 545);
    EXPECT_EQ(h.DlgLineCount, 1838);
    // The NUL bytes of record 3 are kept as they are.
    EXPECT_EQ(h.Records[2].size(), 80u);
    EXPECT_EQ(h.Records[2][60], '\0');

    DlgBody body;
    NullProgress none;
    ReadDlgBody(in, h, DlgBodyOptions(), body, p, none);
    EXPECT_TRUE(p.shown.empty()) << p.shown[0].value;
    EXPECT_EQ(body.NodesSeen, 1461);
    EXPECT_EQ(body.AreasSeen, 545);
    EXPECT_EQ(body.LinesSeen, 1838);
    EXPECT_EQ(body.IslandsTotal, 195);
    ASSERT_EQ(body.Nodes.size(), 1461u);
    EXPECT_DOUBLE_EQ(body.Nodes[0].X, 446357.81);  // node 1, not the NW record
    EXPECT_EQ(body.Nodes[0].AttrCount, 0);
    int withIslands = 0;
    for (const auto& a : body.Areas) withIslands += a.IslandCount > 0;
    EXPECT_EQ(withIslands, 24);
    EXPECT_EQ(body.TotalLinePoints, 17547);
}

TEST(DlgReader, LayoutsGiveTheSameRecordsHeaderAndPicture) {
    TempDir dir;
    std::vector<std::string> recs = SampleRecords();
    ASSERT_EQ(recs.size(), 15098u);
    WriteFileBytes(dir.file("lf.dlg"), Join(recs, "\n"));
    WriteFileBytes(dir.file("cr.dlg"), Join(recs, "\r"));
    // A fixed-80 file ending in a short block of padding reads cleanly.
    WriteFileBytes(dir.file("fixed.dlg"), JoinFixed(recs) + "   \x1a");
    const std::pair<const char*, DlgRecordMode> files[] = {
        {"lf.dlg", dlgLfRecords}, {"cr.dlg", dlgTextLines}, {"fixed.dlg", dlgFixed80}};
    QuickViewResult ref;
    ScriptedPrompter p;
    NullProgress none;
    ASSERT_TRUE(MakeDLGImage(SamplePath(), ref, p, none));
    EXPECT_EQ(ref.LinesRead, 1838);
    for (const auto& f : files) {
        DlgRecordReader in;
        ASSERT_TRUE(in.DetectDlgRecordMode(dir.file(f.first)));
        EXPECT_EQ(in.mode(), f.second) << f.first;
        EXPECT_EQ(AllRecords(in), recs) << f.first;
        QuickViewResult q;
        ASSERT_TRUE(MakeDLGImage(dir.file(f.first), q, p, none)) << f.first;
        EXPECT_EQ(q.Header.Scale, 24000);
        EXPECT_EQ(q.Header.DlgLineCount, 1838);
        EXPECT_TRUE(q.Picture.Pixels == ref.Picture.Pixels) << f.first;
    }
    EXPECT_TRUE(p.shown.empty());
}

TEST(DlgReader, ShortFilesAndNumberRules) {
    // Fewer than 170 bytes, no line ends: fixed records; a partial last
    // block with text is still a record.
    DlgRecordReader in;
    std::string data = Pad("ONE") + "TWO";
    in.DetectDlgRecordMode(data.data(), data.size());
    EXPECT_EQ(in.mode(), dlgFixed80);
    auto recs = AllRecords(in);
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[1], "TWO");
    // ^Z ends a text file.
    std::string z = "A\r\nB\x1a" "C\r\n";
    in.DetectDlgRecordMode(z.data(), z.size());
    EXPECT_EQ(AllRecords(in), (std::vector<std::string>{"A", "B"}));

    std::int64_t v = 0;
    EXPECT_TRUE(ParseWhole("  12  ", v));  // trailing blanks are no error
    EXPECT_EQ(v, 12);
    EXPECT_FALSE(ParseWhole(" 19x7", v));
    EXPECT_EQ(v, 19);  // the digits before the error still count
    EXPECT_FALSE(ParseWhole("   ", v));
    EXPECT_TRUE(ParseWhole("-42", v));
    EXPECT_EQ(v, -42);
    double d = 7;
    EXPECT_TRUE(ParseReal(" 6.10000000000D-01", d));
    EXPECT_DOUBLE_EQ(d, 0.61);
    EXPECT_FALSE(ParseReal("1.5x", d));
    EXPECT_FALSE(ParseReal("nan", d));
    EXPECT_DOUBLE_EQ(d, 0.61);
    EXPECT_EQ(DlgField("abc", 2, 10), "bc");
    EXPECT_EQ(DlgField("abc", 5, 10), "");
}

TEST(DlgReader, FiveDigitNumbersNegativeListEntriesAndSequenceColumns) {
    DlgBuilder b;
    b.countAreas = I(12345);  // the header counts as in a big file
    b.lines.push_back({12345, {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}, {{50, 412}}});
    b.areas.push_back({1, {-12345}, {{50, 421}}});
    std::vector<std::string> recs = b.Records();
    // Sequence numbers in columns 73-80 of continuation records.
    for (auto& r : recs)
        if (r[0] == ' ') r.replace(72, 8, "00000042");
    TempDir dir;
    WriteFileBytes(dir.file("five.dlg"), Join(recs, "\n"));
    DlgRecordReader in;
    ASSERT_TRUE(in.DetectDlgRecordMode(dir.file("five.dlg")));
    DlgHeader h;
    ASSERT_TRUE(ReadDlgHeader(in, h, nullptr));
    DlgBody body;
    ScriptedPrompter p;
    NullProgress none;
    DlgBodyOptions o;
    o.numberingCheck = false;
    ReadDlgBody(in, h, o, body, p, none);
    ASSERT_GE(body.Lines.size(), 2u);
    EXPECT_EQ(body.Lines[1].LineId, 12345);
    EXPECT_EQ(body.Lines[1].PointCount, 5);
    std::int64_t major = 0, minor = 0;
    EXPECT_TRUE(DlgAttributePair(body.Lines[1].AttrText, 1, major, minor));
    EXPECT_EQ(minor, 412);
    ASSERT_GE(body.Areas.size(), 2u);
    EXPECT_EQ(body.Areas[1].LineList, std::vector<std::int32_t>{-12345});
}

TEST(DlgReader, DamagedHeadersAndCounts) {
    TempDir dir;
    std::vector<std::string> recs = SampleRecords();
    // Ends inside the header.
    WriteFileBytes(dir.file("short.dlg"), Join(std::vector<std::string>(recs.begin(), recs.begin() + 9), "\r\n"));
    DlgRecordReader in;
    ASSERT_TRUE(in.DetectDlgRecordMode(dir.file("short.dlg")));
    DlgHeader h;
    Result r = ReadDlgHeader(in, h, nullptr);
    EXPECT_FALSE(r);
    EXPECT_NE(r.reason.find("header"), std::string::npos);
    // A negative count is refused.
    std::vector<std::string> bad = recs;
    bad[14].replace(30, 6, I(-5));
    WriteFileBytes(dir.file("neg.dlg"), Join(std::vector<std::string>(bad.begin(), bad.begin() + 15), "\r\n"));
    ASSERT_TRUE(in.DetectDlgRecordMode(dir.file("neg.dlg")));
    EXPECT_FALSE(ReadDlgHeader(in, h, nullptr));
    // A missing file is a reason, not a crash.
    EXPECT_FALSE(in.DetectDlgRecordMode(dir.file("none.dlg")));
}

TEST(DlgReader, NamesProposed) {
    EXPECT_EQ(ProposeDxfName("/d/hy01.dlg"), "hy01.DXF");
    EXPECT_EQ(ProposeShapeName("hy01.DXF", "Areas"), "hy01_a.shp");
    EXPECT_EQ(ProposeShapeName("collinsville.DXF", "Areas"), "linsvila.shp");
    EXPECT_EQ(ProposeShapeName("hy01.DXF", "MPoint"), "hy01.shp");
    // 13 and 14 characters: from the first character on.
    EXPECT_EQ(ProposeShapeName("abcdefgh.DXF", "Lines"), "abcdefl.shp");
    EXPECT_EQ(ProposeShapeName("abcdefg.DXF", "Points"), "abcdep.shp");
    EXPECT_TRUE(IsDlgFileName("x.dlg"));
    EXPECT_TRUE(IsDlgFileName("x.OPT"));
    EXPECT_TRUE(IsDlgFileName("s1234567.1af"));
    EXPECT_FALSE(IsDlgFileName("ab.txt"));
    EXPECT_TRUE(IsSsurgoDlgName("/d/s1234567.1af"));
    EXPECT_FALSE(IsSsurgoDlgName("/d/s1234567.dlg"));
}

TEST(DlgReader, SsurgoRenamesTheDlgAndItsCompanionToSat) {
    TempDir dir;
    WriteFileBytes(dir.file("s1234567.1af"), "dlg");
    WriteFileBytes(dir.file("s1234567.1aa"), "att");
    ScriptedPrompter p;
    std::string name = PrepareSsurgoDlgName(dir.file("s1234567.1af"), dir.path(), false, p);
    EXPECT_EQ(name, dir.file("s1234567-1af.dlg"));
    EXPECT_EQ(ReadFileBytes(name), "dlg");
    EXPECT_EQ(ReadFileBytes(dir.file("s1234567-1af.sat")), "att");
    EXPECT_TRUE(p.shown.empty());
    // The quick view names the companion the same way; without one it is quiet.
    WriteFileBytes(dir.file("t7654321.2af"), "dlg");
    name = PrepareSsurgoDlgName(dir.file("t7654321.2af"), dir.path(), true, p);
    EXPECT_EQ(name, dir.file("t7654321-2af.dlg"));
    EXPECT_TRUE(p.shown.empty());
    // The import page reports the missing companion.
    WriteFileBytes(dir.file("u1111111.3af"), "dlg");
    PrepareSsurgoDlgName(dir.file("u1111111.3af"), dir.path(), false, p);
    EXPECT_EQ(p.Count(MsgFamily::Error, 4), 1);
}
