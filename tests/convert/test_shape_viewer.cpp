#include <gtest/gtest.h>

#include <cstring>

#include "convert/shape_viewer.h"
#include "core/file_io.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

ShapeViewReport ViewBytes(const std::string& bytes, bool index, std::vector<std::string>* dump = nullptr) {
    ShapeViewReport r;
    NullProgress none;
    ShapeDumpSink sink;
    if (dump) sink = [dump](const std::string& l) { dump->push_back(l); };
    ViewShapeBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), index, r, sink, none);
    return r;
}

std::string BE(std::int32_t v) {
    std::string s(4, '\0');
    StoreBE32(reinterpret_cast<unsigned char*>(s.data()), static_cast<std::uint32_t>(v));
    return s;
}
std::string LE(std::int32_t v) {
    std::string s(4, '\0');
    StoreLE32(reinterpret_cast<unsigned char*>(s.data()), static_cast<std::uint32_t>(v));
    return s;
}
std::string D(double v) {
    std::string s(8, '\0');
    StoreLEDouble(reinterpret_cast<unsigned char*>(s.data()), v);
    return s;
}

std::string Header(std::int32_t type, std::int32_t lengthWords, double x0 = 0, double y0 = 0, double x1 = 10,
                   double y1 = 10) {
    std::string h = BE(9994);
    for (int k = 0; k < 5; ++k) h += BE(0);
    h += BE(lengthWords) + LE(1000) + LE(type) + D(x0) + D(y0) + D(x1) + D(y1) + D(0) + D(0) + D(0) + D(0);
    return h;
}

std::string Record(std::int32_t number, const std::string& content) {
    return BE(number) + BE(static_cast<std::int32_t>(content.size() / 2)) + content;
}

std::string Polygon(const std::vector<std::pair<double, double>>& pts, const std::vector<int>& starts) {
    std::string c = LE(5) + D(0) + D(0) + D(10) + D(10) + LE(static_cast<int>(starts.size())) +
                    LE(static_cast<int>(pts.size()));
    for (int s : starts) c += LE(s);
    for (auto& p : pts) c += D(p.first) + D(p.second);
    return c;
}

std::string WithLength(std::string file) {
    const std::string len = BE(static_cast<std::int32_t>(file.size() / 2));
    file.replace(24, 4, len);
    return file;
}

}  // namespace

// Every intact sample, main and index file, is accounted for to the last word.
TEST(ShapeViewer, CountersMatchFileLengthForEverySampleType) {
    const char* names[] = {"point",     "pointm",    "pointz",      "polyline",    "polylinem",  "polylinez",
                           "polygon",   "polygonm",  "polygonz",    "multipoint",  "multipointm", "multipointz",
                           "multipatch"};
    for (const char* n : names) {
        for (const char* ext : {".shp", ".shx"}) {
            SCOPED_TRACE(std::string(n) + ext);
            const std::string bytes = ReadFileBytes(DataPath(std::string("types/") + n + ext));
            ShapeViewReport r = ViewBytes(bytes, std::string(ext) == ".shx");
            EXPECT_TRUE(r.HeaderRead);
            EXPECT_FALSE(r.Truncated);
            EXPECT_EQ(2 * r.WordsDone, static_cast<std::int64_t>(bytes.size()));
            if (std::string(n) + ext == "multipatch.shp") {
                // This sample's header understates its length; the viewer says so.
                ASSERT_EQ(r.Notes.size(), 1u);
                EXPECT_NE(r.Notes[0].find("the file holds 1192 bytes"), std::string::npos);
                continue;
            }
            EXPECT_EQ(r.WordsDone, r.FileLengthWords);
            EXPECT_TRUE(r.Notes.empty()) << r.Notes.front();
            EXPECT_GT(r.Records, 0);
        }
    }
}

TEST(ShapeViewer, HeaderLinesAndTypeItems) {
    ShapeViewReport r = ViewBytes(ReadFileBytes(DataPath("nc.shp")), false);
    ASSERT_EQ(r.Memo.size(), 17u);
    EXPECT_EQ(r.Memo[0], "9994 file code: 9994");
    EXPECT_EQ(r.Memo[1], "zero: 0");
    EXPECT_EQ(r.Memo[6].rfind("File size: " + std::to_string(r.FileLengthWords) + "  Bytes: ", 0), 0u);
    EXPECT_EQ(r.Memo[7], "Version 1000: 1000");
    EXPECT_EQ(r.Memo[8], "Shapetype: 5");
    EXPECT_EQ(r.Memo[9].substr(0, 6), "XMIN: ");
    EXPECT_EQ(r.Memo[9].size(), 6u + 24u);
    EXPECT_EQ(r.Records, 100);
    EXPECT_EQ(ShapeFileTypeItem(5), 2);
    EXPECT_EQ(ShapeFileTypeItem(21), 8);
    // The labels follow the format: 13 is a Z type, 21 an M type.
    EXPECT_STREQ(kShapeViewerTypeItems[ShapeFileTypeItem(13)], "LinesZ");
    EXPECT_STREQ(kShapeViewerTypeItems[ShapeFileTypeItem(21)], "PointsM");
    EXPECT_STREQ(kShapeViewerTypeItems[ShapeFileTypeItem(28)], "MPntM");
    EXPECT_EQ(ShapeFileTypeItem(34), 12);
    EXPECT_EQ(ShapeFileTypeItem(2), -1);
    EXPECT_EQ(ShapeViewReal(-1.5), "         -1.500000000000");
}

TEST(ShapeViewer, DumpOfNcHasALineForEveryField) {
    std::vector<std::string> dump;
    ShapeViewReport r = ViewBytes(ReadFileBytes(DataPath("nc.shp")), false, &dump);
    // 17 header lines; per record 9 lines (number, length, type, box,
    // counts), one per part and two per point.
    const std::int64_t expected = 17 + 9 * r.Records + r.Parts + r.Points;
    EXPECT_EQ(static_cast<std::int64_t>(dump.size()), expected);
    EXPECT_EQ(r.Parts, 108);
    EXPECT_EQ(dump[17], "Record Number: 1");
    EXPECT_EQ(dump[19], "Shapetype: 5");
    EXPECT_EQ(dump[26].rfind("Area 1 Part 1:0", 0), 0u);
    // Something was drawn in the picture.
    EXPECT_NE(std::count(r.Picture.Pixels.begin(), r.Picture.Pixels.end(), 0u), 0);
}

TEST(ShapeViewer, DumpFileNameAndWriting) {
    EXPECT_EQ(ShapeViewDumpName("/d", "roads.shp"), "/d/roads-shp.txt");
    EXPECT_EQ(ShapeViewDumpName("/d/", "roads.shx"), "/d/roads-shx.txt");
    TempDir dir;
    CopySample("types/point", dir.path());
    ShapeViewOptions o;
    o.DumpPath = ShapeViewDumpName(dir.path(), "point.shp");
    ShapeViewReport r;
    ScriptedPrompter p;
    NullProgress none;
    ASSERT_TRUE(ViewShapeFile(dir.file("point.shp"), o, r, p, none));
    auto lines = Lines(ReadFileBytes(o.DumpPath));
    ASSERT_GT(lines.size(), 17u);
    EXPECT_EQ(lines[0], "9994 file code: 9994");
    EXPECT_EQ(lines[17], "Record Number: 1");
    EXPECT_EQ(lines[18], "Content length: 10");
    EXPECT_EQ(lines[20].substr(0, 9), "X Point: ");
    EXPECT_TRUE(p.shown.empty());
    // Another extension is refused and writes nothing.
    WriteFileBytes(dir.file("x.dbf"), "abc");
    EXPECT_FALSE(ViewShapeFile(dir.file("x.dbf"), o, r, p, none));
}

TEST(ShapeViewer, PointRecordsTooBigAndDrawing) {
    // A point record of 12 words: four bytes beyond X and Y.
    std::string f = Header(1, 0, 0, 0, 312, 312) + Record(1, LE(1) + D(100) + D(200) + "\x01\x02\x03\xff");
    f = WithLength(f);
    std::vector<std::string> dump;
    ShapeViewReport r = ViewBytes(f, false, &dump);
    EXPECT_EQ(r.WordsDone, r.FileLengthWords);
    ASSERT_GE(dump.size(), 4u);
    EXPECT_EQ(dump[dump.size() - 4], "too big: 1");
    EXPECT_EQ(dump.back(), "too big: 255");
    // The square around (100, 312 - 200).
    EXPECT_EQ(r.Picture.At(98, 114), 0u);
    EXPECT_EQ(r.Picture.At(102, 110), 0u);
    EXPECT_EQ(r.Picture.At(100, 112), 0xFFFFFFu);
}

TEST(ShapeViewer, TwoPartsDrawnAsOnePathAndZeroExtentScale) {
    std::string poly = Polygon({{0, 0}, {0, 10}, {10, 10}, {10, 0}}, {0, 2});
    ShapeViewReport r = ViewBytes(WithLength(Header(5, 0) + Record(1, poly)), false);
    EXPECT_EQ(r.Parts, 2);
    EXPECT_EQ(r.Points, 8);
    // The pen is not lifted between the parts: (0,10) to (10,10) is drawn.
    EXPECT_EQ(r.Picture.At(156, 0), 0u);
    // A header box without extent: scale 1, nothing undefined.
    ShapeViewReport z = ViewBytes(WithLength(Header(5, 0, 3, 3, 3, 3) + Record(1, poly)), false);
    EXPECT_EQ(z.Points, 8);
    // Huge coordinates are pulled in before they become pixels.
    std::string wild = Polygon({{1e300, -1e300}, {-1e308, 1e308}}, {0});
    ShapeViewReport w = ViewBytes(WithLength(Header(5, 0) + Record(1, wild)), false);
    EXPECT_EQ(w.Points, 4);
}

TEST(ShapeViewer, NullRecordsAndZeroPointRecords) {
    // A null record between two polygons, then a polygon with no points.
    std::string poly = Polygon({{0, 0}, {0, 10}, {10, 0}, {0, 0}}, {0});
    std::string empty = LE(5) + D(0) + D(0) + D(0) + D(0) + LE(0) + LE(0);
    std::string f = WithLength(Header(5, 0) + Record(1, poly) + Record(2, LE(0)) + Record(3, empty) + Record(4, poly));
    std::vector<std::string> dump;
    ShapeViewReport r = ViewBytes(f, false, &dump);
    EXPECT_EQ(r.Records, 4);
    EXPECT_EQ(r.Parts, 2);
    EXPECT_EQ(r.Points, 16);
    EXPECT_EQ(r.WordsDone, r.FileLengthWords);
    EXPECT_TRUE(r.Notes.empty());
    auto at = std::find(dump.begin(), dump.end(), "Record Number: 2");
    ASSERT_NE(at, dump.end());
    EXPECT_EQ(at[2], "Shapetype: 0");
    EXPECT_EQ(at[3], "Record Number: 3");
}

TEST(ShapeViewer, CountsBeyondTheContentAreReportedNotRead) {
    // A record claiming 1,074,790,400 parts in 44 bytes of content.
    std::string bad = LE(5) + D(0) + D(0) + D(1) + D(1) + LE(1074790400) + LE(3);
    std::string poly = Polygon({{0, 0}, {0, 10}, {10, 0}, {0, 0}}, {0});
    ShapeViewReport r = ViewBytes(WithLength(Header(5, 0) + Record(1, bad) + Record(2, poly)), false);
    EXPECT_EQ(r.Records, 2);
    EXPECT_EQ(r.Parts, 1);
    EXPECT_EQ(r.WordsDone, r.FileLengthWords);
    ASSERT_EQ(r.Notes.size(), 1u);
    EXPECT_NE(r.Notes[0].find("1074790400 parts"), std::string::npos);
}

TEST(ShapeViewer, TruncatedFilesShowWhatWasCounted) {
    const std::string whole = ReadFileBytes(DataPath("nc.shp"));
    ShapeViewReport full = ViewBytes(whole, false);
    // Cut in the header, after it, in a record header, in a record, at the end.
    for (std::size_t cut : {std::size_t(50), std::size_t(100), std::size_t(104), std::size_t(300), whole.size() - 1}) {
        SCOPED_TRACE(cut);
        ShapeViewReport r = ViewBytes(whole.substr(0, cut), false);
        EXPECT_TRUE(r.Truncated);
        EXPECT_LE(r.Records, full.Records);
        EXPECT_LE(r.WordsDone, static_cast<std::int64_t>(cut / 2));
        ASSERT_FALSE(r.Notes.empty());
        EXPECT_NE(r.Notes[0].find("The file ends at byte " + std::to_string(cut)), std::string::npos) << r.Notes[0];
    }
    ShapeViewReport h = ViewBytes(whole.substr(0, 50), false);
    EXPECT_FALSE(h.HeaderRead);
    EXPECT_EQ(h.WordsDone, 0);
    // An index cut inside a record.
    ShapeViewReport ix = ViewBytes(ReadFileBytes(DataPath("nc.shx")).substr(0, 100 + 8 * 3 + 5), true);
    EXPECT_EQ(ix.Records, 3);
    EXPECT_TRUE(ix.Truncated);
}

TEST(ShapeViewer, IndexCases) {
    // An index with only its header.
    ShapeViewReport h = ViewBytes(WithLength(Header(5, 0)), true);
    EXPECT_EQ(h.Records, 0);
    EXPECT_EQ(h.WordsDone, 50);
    EXPECT_EQ(h.FileLengthWords, 50);
    EXPECT_FALSE(h.HasPicture);
    std::vector<std::string> dump;
    ShapeViewReport r = ViewBytes(ReadFileBytes(DataPath("nc.shx")), true, &dump);
    EXPECT_EQ(r.Records, 100);
    EXPECT_EQ(r.Points, 0);
    EXPECT_EQ(dump[17], "Offset: 50 Content length: " + std::to_string(LoadBEInt(reinterpret_cast<const unsigned char*>(
                                                              ReadFileBytes(DataPath("nc.shx")).data() + 104))));
}

TEST(ShapeViewer, IndexThatDisagreesWithItsMainFileIsReported) {
    TempDir dir;
    CopySample("nc", dir.path());
    ShapeViewOptions o;
    ShapeViewReport r;
    ScriptedPrompter p;
    NullProgress none;
    ASSERT_TRUE(ViewShapeFile(dir.file("nc.shx"), o, r, p, none));
    EXPECT_TRUE(r.Notes.empty());
    std::string shx = ReadFileBytes(dir.file("nc.shx"));
    shx.replace(100 + 8 * 4 + 4, 4, BE(7));  // record 5's content length
    WriteFileBytes(dir.file("nc.shx"), shx.substr(0, shx.size() - 8));
    ASSERT_TRUE(ViewShapeFile(dir.file("nc.shx"), o, r, p, none));
    bool record5 = false, count = false;
    for (const auto& n : r.Notes) {
        record5 |= n.find("Index record 5 ") != std::string::npos;
        count |= n.find("The index lists 99 records, the main file holds 100") != std::string::npos;
    }
    EXPECT_TRUE(record5);
    EXPECT_TRUE(count);
}

TEST(ShapeViewer, TypesNotDrawnGiveMessage13ButAreCounted) {
    TempDir dir;
    CopySample("types/multipoint", dir.path());
    CopySample("types/polygonz", dir.path());
    for (const char* n : {"multipoint.shp", "polygonz.shp"}) {
        ShapeViewReport r;
        ScriptedPrompter p;
        NullProgress none;
        std::vector<std::string> dump;
        ShapeViewOptions o;
        o.DumpPath = dir.file("dump.txt");
        ASSERT_TRUE(ViewShapeFile(dir.file(n), o, r, p, none));
        EXPECT_EQ(p.Count(MsgFamily::Error, 13), 1);
        EXPECT_EQ(r.WordsDone, r.FileLengthWords);
        EXPECT_EQ(std::count(r.Picture.Pixels.begin(), r.Picture.Pixels.end(), 0u), 0);
        if (std::string(n) == "polygonz.shp") {
            const std::string text = ReadFileBytes(o.DumpPath);
            EXPECT_NE(text.find("ZMIN: "), std::string::npos);
            EXPECT_NE(text.find("Z Point 1: "), std::string::npos);
        }
    }
}
