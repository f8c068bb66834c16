// Reading USGS Digital Line Graphs in the optional (character) format:
// records, the number rules, the header, the elements, the quick view
// picture and the names the import page proposes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/ui.h"

namespace zemba {

enum DlgRecordMode { dlgTextLines, dlgLfRecords, dlgFixed80 };

// Splits a DLG file into records. Records come back without their line end.
class DlgRecordReader {
public:
    DlgRecordReader() = default;
    ~DlgRecordReader();
    DlgRecordReader(const DlgRecordReader&) = delete;
    DlgRecordReader& operator=(const DlgRecordReader&) = delete;

    // Opens the file, decides how it is split into records from its first
    // 170 bytes and leaves it at its start.
    Result DetectDlgRecordMode(const std::string& path);
    // Reads from memory instead (fuzzing, tests).
    void DetectDlgRecordMode(const char* data, std::size_t size);
    DlgRecordMode mode() const { return mode_; }

    // The next record; false at the end of the file (or after a read error,
    // which error() then names).
    bool ReadDlgRecord(std::string& record);
    bool eof();
    // Back to the first record.
    void Rewind();
    const std::string& error() const { return error_; }
    std::uint64_t bytesRead() const { return consumed_; }
    std::uint64_t size() const { return size_; }
    void Close();

private:
    int Get();  // next byte or -1
    int Peek();
    bool Fill();
    void Detect();

    std::FILE* file_ = nullptr;
    const char* mem_ = nullptr;
    std::uint64_t size_ = 0;
    std::uint64_t consumed_ = 0;
    std::vector<char> buf_;
    std::size_t pos_ = 0, end_ = 0;
    bool ended_ = false;  // ^Z seen in text mode
    DlgRecordMode mode_ = dlgTextLines;
    std::string error_;
};

// Field text of columns a..b (1-based), clipped to the record.
std::string DlgField(const std::string& record, int a, int b);
std::string TrimBlanks(const std::string& s);
std::string TrimRight(const std::string& s);

// Whole number of columns a..b: leading and trailing blanks skipped, an
// optional sign, digits. Returns false for an empty field or another
// character; `value` then holds what the digits before it gave.
bool DlgWhole(const std::string& record, int a, int b, std::int64_t& value);
bool ParseWhole(const std::string& text, std::int64_t& value);
// Real number of columns a..b (decimal, optional exponent E or D); false
// leaves `value` untouched.
bool DlgReal(const std::string& record, int a, int b, double& value);
bool ParseReal(const std::string& text, double& value);

struct DlgHeader {
    std::vector<std::string> Records;  // records 1..15 as read (index 0 = record 1)
    std::string Banner;
    std::string Name;
    std::int64_t Date = 0;
    std::int64_t Scale = 0;
    // Reference system of record 4: 0 geographic, 1 UTM, 2 state plane...
    std::int64_t RefSystem = -1, Zone = 0, Units = -1, HorizontalDatum = 0;
    double CpX[4] = {0, 0, 0, 0}, CpY[4] = {0, 0, 0, 0};
    bool CpOk[4] = {false, false, false, false};
    std::string CpXText[4], CpYText[4];
    bool HaveExtent = false;  // at least one usable control point
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
    std::string NodeText, AreaText, LineText;
    std::int64_t DlgNodeCount = 0, DlgAreaCount = 0, DlgLineCount = 0;
    bool CountsOk = false;
    bool Complete = false;  // all 15 records were there
};

// Reads the 15 header records from the reader's position. Bad values are
// reported through `prompter` (the boxes the import page shows) and reading
// goes on. Fails only when the file ends inside the header or a count is
// negative.
Result ReadDlgHeader(DlgRecordReader& in, DlgHeader& header, Prompter* prompter);

// One element of the body, with its continuation records already parsed.
struct DlgNode {
    std::int64_t Id = 0;
    double X = 0, Y = 0;
    bool XYOk = false;
    std::string XText, YText;
    std::int64_t AttrCount = 0;
    std::string AttrText;  // columns 1-72 of each attribute record, joined
};

struct MyLineRecord {
    std::int32_t LineId = 0;
    std::int32_t PointCount = 0;  // pairs actually stored
    std::int32_t AttrCount = 0;
    std::string AttrText;
    std::vector<double> Coords;
    bool CountOk = true;          // the pair count could be read
    std::int64_t DeclaredCount = 0;
};

struct MyAreaRecord {
    std::int32_t AreaId = 0;
    std::int32_t LineCount = 0;
    std::int32_t PointCount = 0;
    std::int32_t AttrCount = 0;
    std::int32_t IslandCount = 0;
    std::string AttrText;
    std::vector<std::int32_t> PartTable;
    std::vector<std::int32_t> LineList;
    std::vector<double> Coords;
    bool Present = false;
};

// Attribute pair w (1-based) of an element's joined attribute text.
bool DlgAttributePair(const std::string& attrText, int w, std::int64_t& major, std::int64_t& minor);

// What the body reader keeps and tells.
struct DlgBodyOptions {
    bool keepNodes = true, keepAreas = true, keepLines = true;
    bool numberingCheck = true;  // Abort/Retry/Ignore on numbering gaps
    bool quickView = false;      // the quick view's own warnings instead
    bool allowCut = false;       // a file cut short is read as far as it goes (the quick view's picture)
};

struct DlgBody {
    std::vector<DlgNode> Nodes;          // file order
    std::vector<MyAreaRecord> Areas;     // index = running area index (0 unused)
    std::vector<MyLineRecord> Lines;     // index = i-th "L" record (0 unused)
    std::int64_t NodeAttrMax = 0, AreaAttrMax = 0, LineAttrMax = 0;
    std::int64_t NodesSeen = 0, AreasSeen = 0, LinesSeen = 0;
    std::int64_t IslandsTotal = 0;
    std::int64_t TotalLinePoints = 0;
    bool aborted = false;
    std::string failure;  // why reading stopped, empty when it did not
};

// Reads every element after the header. Warnings go to `prompter` as the
// passes show them; progress is 0-100 over the file's bytes.
void ReadDlgBody(DlgRecordReader& in, const DlgHeader& header, const DlgBodyOptions& options,
                 DlgBody& body, Prompter& prompter, Progress& progress);

// County soil survey names: "s1234567.1af" is such a file unless its name
// already has the "-" form.
bool IsSsurgoDlgName(const std::string& path);
struct SsurgoRename {
    std::string dlgName;        // new DLG name
    std::string companionFrom;  // ".1aa" file
    std::string companionTo;    // its new name
    bool companionExists = false;
};
// quickView picks the companion's name for the quick view (x-1aa.1aa);
// otherwise the import page's (x-1af.sat).
SsurgoRename PlanSsurgoRename(const std::string& path, const std::string& dlgDir, bool quickView);
// Renames as planned; messages 3 and (import page) 4 through `prompter`.
// Returns the name the DLG has afterwards.
std::string PrepareSsurgoDlgName(const std::string& path, const std::string& dlgDir, bool quickView,
                                 Prompter& prompter);

// Extension test of the import page.
bool IsDlgFileName(const std::string& path);
// ".DXF" name and the shapefile name for an export layer ("Points",
// "Lines", "Areas", "MPoint").
std::string ProposeDxfName(const std::string& dlgPath);
std::string ProposeShapeName(const std::string& dxfName, const std::string& exportLayer);

// The quick view: a 313 x 313 white picture with the lines drawn in.
struct DlgPicture {
    static constexpr int kSize = 313;
    std::vector<std::uint32_t> Pixels = std::vector<std::uint32_t>(kSize * kSize, 0xFFFFFF);  // COLORREF
    void Set(int x, int y, std::uint32_t c) {
        if (x >= 0 && y >= 0 && x < kSize && y < kSize) Pixels[y * kSize + x] = c;
    }
    std::uint32_t At(int x, int y) const { return Pixels[y * kSize + x]; }
    void Line(int x0, int y0, int x1, int y1, std::uint32_t c);
};

// World to picture placement.
struct DlgPictureScale {
    double XMin = 0, YMin = 0, T = 1;
    int PX(double x) const;
    int PY(double y) const;
};

struct QuickViewResult {
    DlgHeader Header;
    DlgPicture Picture;
    std::int64_t NodeAttrMax = 0, AreaAttrMax = 0, LineAttrMax = 0;
    std::int64_t LinesRead = 0;
    std::vector<std::string> Memo;  // header records and the area samples
    std::string Hint;
};

// Reads and draws a DLG as the quick view does. Fails on an input error.
Result MakeDLGImage(const std::string& path, QuickViewResult& out, Prompter& prompter, Progress& progress);

// "View selected Line(s)": lines first..last drawn in their colours, and the
// 15 records after area `area` (1-based count of "A" records).
Result DrawSelectedLines(const std::string& path, std::int64_t first, std::int64_t last, std::int64_t area,
                         DlgPicture& picture, std::vector<std::string>& memo, Progress& progress);

// 24-bit bottom-up BMP of the picture, written under a temporary name.
Result WriteBmp(const DlgPicture& picture, const std::string& path);

// Control-point box, or the lines' extent when the header has none usable.
DlgPictureScale PictureScaleFor(const DlgHeader& header, const std::string& path);

// Header lines for the import page's memo.
std::vector<std::string> ImportHeaderMemo(const DlgHeader& header);

}  // namespace zemba
