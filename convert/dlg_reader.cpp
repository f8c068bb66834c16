#include "convert/dlg_reader.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "core/attributes.h"
#include "core/file_io.h"

namespace zemba {

namespace {

constexpr std::size_t kBlock = 1 << 16;
constexpr int kEndOfText = 26;  // ^Z

bool IsElement(const std::string& r) { return !r.empty() && (r[0] == 'N' || r[0] == 'A' || r[0] == 'L'); }

// Columns 1-72 of a continuation record, padded with blanks (73-80 may hold
// sequence numbers).
std::string Body72(const std::string& r) {
    std::string s = r.substr(0, std::min<std::size_t>(r.size(), 72));
    s.resize(72, ' ');
    return s;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return a <= 0 ? 0 : (a + b - 1) / b; }

}  // namespace

// ---- records ---------------------------------------------------------------

DlgRecordReader::~DlgRecordReader() { Close(); }

void DlgRecordReader::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    mem_ = nullptr;
}

bool DlgRecordReader::Fill() {
    if (!file_) return false;
    if (buf_.size() < kBlock) buf_.resize(kBlock);
    std::size_t got = std::fread(buf_.data(), 1, kBlock, file_);
    if (got == 0 && std::ferror(file_)) error_ = std::string("cannot read the DLG file: ") + std::strerror(errno);
    pos_ = 0;
    end_ = got;
    return got > 0;
}

int DlgRecordReader::Get() {
    if (pos_ >= end_ && (mem_ || !Fill())) return -1;
    ++consumed_;
    return static_cast<unsigned char>(mem_ ? mem_[pos_++] : buf_[pos_++]);
}

int DlgRecordReader::Peek() {
    if (pos_ >= end_ && (mem_ || !Fill())) return -1;
    return static_cast<unsigned char>(mem_ ? mem_[pos_] : buf_[pos_]);
}

void DlgRecordReader::Detect() {
    bool cr = false, lf = false;
    for (int k = 0; k < 170; ++k) {
        int c = Get();
        if (c < 0) break;
        if (c == 13) cr = true;
        if (c == 10) lf = true;
    }
    mode_ = cr ? dlgTextLines : lf ? dlgLfRecords : dlgFixed80;
    Rewind();
}

void DlgRecordReader::Rewind() {
    ended_ = false;
    consumed_ = 0;
    if (mem_) {
        pos_ = 0;
        end_ = static_cast<std::size_t>(size_);
    } else if (file_) {
        std::rewind(file_);
        pos_ = end_ = 0;
    }
}

Result DlgRecordReader::DetectDlgRecordMode(const std::string& path) {
    Close();
    error_.clear();
    Result kind = CheckRegularFile(path);  // a pipe would block the open
    if (!kind) return kind;
    NoteFileBeingRead(path);
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) return Result::Fail("cannot open " + path + ": " + std::strerror(errno));
    if (std::fseek(file_, 0, SEEK_END) == 0) {
        long n = std::ftell(file_);
        size_ = n > 0 ? static_cast<std::uint64_t>(n) : 0;
    }
    std::rewind(file_);
    pos_ = end_ = 0;
    Detect();
    return Result::Ok();
}

void DlgRecordReader::DetectDlgRecordMode(const char* data, std::size_t size) {
    Close();
    error_.clear();
    mem_ = data ? data : "";
    size_ = size;
    pos_ = 0;
    end_ = size;
    Detect();
}

bool DlgRecordReader::eof() {
    if (ended_) return true;
    if (mode_ != dlgFixed80) return Peek() < 0;
    // A last block of padding (blanks, ^Z, line ends) is no record.
    if (Peek() < 0) return true;
    return false;
}

bool DlgRecordReader::ReadDlgRecord(std::string& record) {
    record.clear();
    if (ended_ || !error_.empty()) return false;
    switch (mode_) {
        case dlgTextLines:
        case dlgLfRecords: {
            // Scan the buffer for the line end rather than byte by byte.
            const bool text = mode_ == dlgTextLines;
            bool any = false;
            for (;;) {
                if (pos_ >= end_ && (mem_ || !Fill())) return any && (error_.empty() || !record.empty());
                any = true;
                const char* data = mem_ ? mem_ : buf_.data();
                std::size_t k = pos_;
                if (text) {
                    while (k < end_ && data[k] != 13 && data[k] != kEndOfText) ++k;
                } else {
                    const void* lf = std::memchr(data + pos_, 10, end_ - pos_);
                    k = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : end_;
                }
                record.append(data + pos_, k - pos_);
                consumed_ += k - pos_;
                pos_ = k;
                if (k == end_) continue;
                const char end = data[k];
                ++pos_;
                ++consumed_;
                if (end == kEndOfText) {
                    ended_ = true;
                    return !record.empty();
                }
                if (end == 13 && Peek() == 10) Get();
                if (!text && !record.empty() && record.back() == 13) record.pop_back();
                return true;
            }
        }
        case dlgFixed80: {
            int c;
            while (record.size() < 80 && (c = Get()) >= 0) record.push_back(static_cast<char>(c));
            if (record.empty()) return false;
            if (record.size() < 80) {
                bool padding = std::all_of(record.begin(), record.end(), [](char ch) {
                    return ch == ' ' || ch == kEndOfText || ch == 10 || ch == 13 || ch == 0;
                });
                if (padding) {
                    record.clear();
                    ended_ = true;
                    return false;
                }
            }
            return true;
        }
    }
    return false;
}

// ---- numbers ---------------------------------------------------------------

std::string DlgField(const std::string& record, int a, int b) {
    if (a < 1) a = 1;
    if (b < a || static_cast<std::size_t>(a) > record.size()) return {};
    std::size_t len = std::min<std::size_t>(static_cast<std::size_t>(b - a + 1), record.size() - (a - 1));
    return record.substr(static_cast<std::size_t>(a - 1), len);
}

std::string TrimBlanks(const std::string& s) {
    std::size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    std::size_t b = s.find_last_not_of(' ');
    return s.substr(a, b - a + 1);
}

std::string TrimRight(const std::string& s) {
    std::size_t b = s.find_last_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(0, b + 1);
}

bool ParseWhole(const std::string& text, std::int64_t& value) {
    std::string t = TrimBlanks(text);
    value = 0;
    std::size_t k = 0;
    bool neg = false;
    if (k < t.size() && (t[k] == '+' || t[k] == '-')) neg = t[k++] == '-';
    std::size_t digits = 0;
    std::int64_t v = 0;
    for (; k < t.size() && t[k] >= '0' && t[k] <= '9'; ++k, ++digits) {
        if (v > (INT64_MAX - 9) / 10) return false;  // far beyond any DLG field
        v = v * 10 + (t[k] - '0');
    }
    value = neg ? -v : v;
    return digits > 0 && k == t.size();
}

bool DlgWhole(const std::string& record, int a, int b, std::int64_t& value) {
    return ParseWhole(DlgField(record, a, b), value);
}

bool ParseReal(const std::string& text, double& value) {
    std::string t = TrimBlanks(text);
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    if (t.empty()) return false;
    for (char& c : t)
        if (c == 'D' || c == 'd') c = 'E';  // Fortran exponent
    for (char c : t)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'E' || c == 'e')) return false;
    double v = 0;
    auto res = std::from_chars(t.data(), t.data() + t.size(), v);
    if (res.ec != std::errc() || res.ptr != t.data() + t.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool DlgReal(const std::string& record, int a, int b, double& value) {
    return ParseReal(DlgField(record, a, b), value);
}

bool DlgAttributePair(const std::string& attrText, int w, std::int64_t& major, std::int64_t& minor) {
    const int a = 12 * (w - 1) + 1;
    bool okMajor = ParseWhole(DlgField(attrText, a, a + 5), major);
    bool okMinor = ParseWhole(DlgField(attrText, a + 6, a + 11), minor);
    return okMajor && okMinor;
}

// ---- header ----------------------------------------------------------------

Result ReadDlgHeader(DlgRecordReader& in, DlgHeader& h, Prompter* prompter) {
    h = DlgHeader();
    std::string r;
    for (int k = 1; k <= 15; ++k) {
        if (!in.ReadDlgRecord(r)) {
            if (!in.error().empty()) return Result::Fail(in.error());
            return Result::Fail("the DLG file ends inside its header (record " + std::to_string(k) + " of 15)");
        }
        h.Records.push_back(r);
    }
    h.Complete = true;
    h.Banner = h.Records[0];
    const std::string& r2 = h.Records[1];
    h.Name = TrimBlanks(DlgField(r2, 1, 40));
    DlgWhole(r2, 42, 50, h.Date);
    DlgWhole(r2, 53, 60, h.Scale);
    const std::string& r4 = h.Records[3];
    if (!DlgWhole(r4, 7, 12, h.RefSystem)) h.RefSystem = -1;
    DlgWhole(r4, 13, 18, h.Zone);
    if (!DlgWhole(r4, 19, 24, h.Units)) h.Units = -1;
    if (!DlgWhole(r4, 67, 69, h.HorizontalDatum)) h.HorizontalDatum = 0;

    bool first = true;
    for (int c = 0; c < 4; ++c) {
        const std::string& rc = h.Records[10 + c];
        h.CpXText[c] = TrimBlanks(DlgField(rc, 37, 48));
        h.CpYText[c] = TrimBlanks(DlgField(rc, 49, 60));
        bool xOk = ParseReal(h.CpXText[c], h.CpX[c]);
        bool yOk = ParseReal(h.CpYText[c], h.CpY[c]);
        if (prompter) {
            if (!xOk && c == 0)
                prompter->ShowWarningText("X Error " + h.CpXText[c]);
            else if (!xOk)
                prompter->Message(MsgFamily::Error, 9);
            if (!yOk) prompter->Message(MsgFamily::Error, 10);
        }
        h.CpOk[c] = xOk && yOk;
        if (!h.CpOk[c]) continue;
        if (first) {
            h.XMin = h.XMax = h.CpX[c];
            h.YMin = h.YMax = h.CpY[c];
            first = false;
        } else {
            h.XMin = std::min(h.XMin, h.CpX[c]);
            h.XMax = std::max(h.XMax, h.CpX[c]);
            h.YMin = std::min(h.YMin, h.CpY[c]);
            h.YMax = std::max(h.YMax, h.CpY[c]);
        }
    }
    h.HaveExtent = !first;

    const std::string& r15 = h.Records[14];
    h.NodeText = TrimBlanks(DlgField(r15, 31, 36));
    h.AreaText = TrimBlanks(DlgField(r15, 47, 52));
    h.LineText = TrimBlanks(DlgField(r15, 63, 68));
    h.CountsOk = true;
    const std::string* texts[3] = {&h.NodeText, &h.AreaText, &h.LineText};
    std::int64_t* counts[3] = {&h.DlgNodeCount, &h.DlgAreaCount, &h.DlgLineCount};
    for (int k = 0; k < 3; ++k) {
        if (!ParseWhole(*texts[k], *counts[k])) {
            h.CountsOk = false;
            if (prompter) prompter->Message(MsgFamily::ErrorNumber, 1, *texts[k]);
        }
        if (*counts[k] < 0)
            return Result::Fail("the DLG header gives a negative count (" + *texts[k] + ")");
        if (*counts[k] > 99999999) return Result::Fail("the DLG header gives an impossible count (" + *texts[k] + ")");
    }
    // Without its counts nothing tells a DLG from any other text.
    if (!h.CountsOk)
        return Result::Fail("not a DLG file: the node, area and line counts of its header (record 15) cannot be read");
    return Result::Ok();
}

namespace {

std::string Printable(std::string s) {
    for (char& c : s)
        if (c == 0) c = ' ';
    return s;
}

std::string Fixed24(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%24.12f", v);
    return buf;
}

}  // namespace

std::vector<std::string> ImportHeaderMemo(const DlgHeader& h) {
    std::vector<std::string> memo;
    for (std::size_t k = 0; k < h.Records.size(); ++k) {
        memo.push_back(Printable(h.Records[k]));
        if (k >= 10 && k <= 13) {
            const int c = static_cast<int>(k) - 10;
            memo.push_back("X: " + Fixed24(h.CpX[c]) + " Y: " + Fixed24(h.CpY[c]));
            if (c == 3) {
                memo.push_back("XMIN: " + Fixed24(h.XMin));
                memo.push_back("YMIN: " + Fixed24(h.YMin));
                memo.push_back("XMAX: " + Fixed24(h.XMax));
                memo.push_back("YMAX: " + Fixed24(h.YMax));
            }
        }
    }
    return memo;
}

// ---- body ------------------------------------------------------------------

namespace {

class BodyReader {
public:
    BodyReader(DlgRecordReader& in, const DlgHeader& h, const DlgBodyOptions& o, DlgBody& b, Prompter& p,
               Progress& g)
        : in_(in), h_(h), o_(o), b_(b), p_(p), g_(g), check_(o.numberingCheck) {}

    void Run() {
        // Tables sized from the header, but never beyond what the file can hold.
        const std::int64_t room = static_cast<std::int64_t>(in_.size() / 80) + 2;
        if (o_.keepAreas) b_.Areas.resize(static_cast<std::size_t>(std::min(h_.DlgAreaCount, room)) + 1);
        if (o_.keepLines) b_.Lines.resize(static_cast<std::size_t>(std::min(h_.DlgLineCount, room)) + 1);
        g_.SetRange(0, 100);
        std::string r;
        std::uint64_t tick = 0;
        while (!b_.aborted && Next(r)) {
            if ((++tick & 255) == 0) {
                g_.SetPosition(static_cast<long long>(in_.bytesRead() * 100 / std::max<std::uint64_t>(in_.size(), 1)));
            }
            g_.Pump();
            switch (r[0]) {
                case 'N': Node(r); break;
                case 'A': Area(r); break;
                case 'L': Line(r); break;
                default: break;  // stray continuation record
            }
        }
        if (!in_.error().empty() && b_.failure.empty()) {
            b_.failure = in_.error();
            b_.aborted = true;
        }
        if (o_.keepAreas) b_.Areas.resize(std::max<std::size_t>(b_.Areas.size(), 1));
        g_.SetPosition(0);
    }

private:
    bool Next(std::string& r) {
        if (havePending_) {
            r.swap(pending_);
            havePending_ = false;
            return true;
        }
        while (in_.ReadDlgRecord(r)) {
            if (!r.empty()) return true;
        }
        return false;
    }
    // A continuation record; an element record ends the element early and
    // is kept for the main loop.
    bool Cont(std::string& r) {
        if (!Next(r)) return false;
        if (IsElement(r)) {
            pending_.swap(r);
            havePending_ = true;
            return false;
        }
        return true;
    }

    std::string ReadAttributes(std::int64_t count) {
        std::string text, r;
        for (std::int64_t k = 0; k < CeilDiv(count, 6); ++k) {
            if (!Cont(r)) break;
            text += Body72(r);
        }
        return text;
    }

    // Handles a numbering mismatch; returns false when the user aborted.
    bool Numbering(const char* what, std::int64_t& running, std::int64_t id) {
        if (!check_ || running == id) return true;
        if (o_.quickView) {
            p_.ShowWarningText("Lines are maligned at " + std::to_string(running));
            running = id;
            return true;
        }
        Answer a = p_.AbortRetryIgnore(std::string(what) + std::to_string(running));
        if (a == Answer::Ignore) {
            check_ = false;
        } else if (a == Answer::Retry && id >= 1) {
            running = id;
        } else if (a != Answer::Retry) {
            b_.aborted = true;
            b_.failure = std::string(what) + std::to_string(running);
            return false;
        }
        return true;
    }

    void Node(const std::string& r) {
        ++b_.NodesSeen;
        DlgNode n;
        DlgWhole(r, 2, 6, n.Id);
        n.XText = TrimBlanks(DlgField(r, 7, 18));
        n.YText = TrimBlanks(DlgField(r, 19, 30));
        n.XYOk = ParseReal(n.XText, n.X) && ParseReal(n.YText, n.Y);
        std::int64_t lines = 0;
        DlgWhole(r, 37, 42, lines);
        std::string t = DlgField(r, 49, 54);
        if (!ParseWhole(t, n.AttrCount) && !TrimBlanks(t).empty()) p_.Message(MsgFamily::ErrorNumber, 49, t);
        if (n.AttrCount < 0) n.AttrCount = 0;
        b_.NodeAttrMax = std::max(b_.NodeAttrMax, n.AttrCount);
        std::string c;
        for (std::int64_t k = 0; k < CeilDiv(lines, 12); ++k)
            if (!Cont(c)) break;
        n.AttrText = ReadAttributes(n.AttrCount);
        if (o_.keepNodes) b_.Nodes.push_back(std::move(n));
    }

    void Area(const std::string& r) {
        ++b_.AreasSeen;
        if (!o_.keepAreas) return;
        std::int64_t id = 0, count = 0, attrs = 0, islands = 0;
        std::string countText = DlgField(r, 37, 42);
        bool idOk = DlgWhole(r, 2, 6, id);
        bool countOk = DlgWhole(r, 37, 42, count) && count >= 0;
        if (!idOk || !countOk) {
            memo_.push_back(r);
            b_.failure = "Bad Areas " + TrimBlanks(countText) + " lines " + countText;
            p_.ShowWarningText(b_.failure);
            b_.aborted = true;
            return;
        }
        std::int64_t j = areaIndex_;
        if (!Numbering("Wrong numbered Area at ", j, id)) return;
        areaIndex_ = j;
        if (!DlgWhole(r, 49, 54, attrs) || attrs < 0) attrs = 0;
        if (!DlgWhole(r, 61, 66, islands) || islands < 0) islands = 0;
        if (j >= static_cast<std::int64_t>(b_.Areas.size())) {
            if (j > 99999999) {
                b_.aborted = true;
                b_.failure = "area number " + std::to_string(j) + " is beyond any DLG";
                return;
            }
            if (!warnedAreas_ && j > h_.DlgAreaCount) {
                p_.ShowWarningText("The DLG holds more areas than its header counts (" +
                                   std::to_string(h_.DlgAreaCount) + ")");
                warnedAreas_ = true;
            }
            b_.Areas.resize(static_cast<std::size_t>(std::max<std::int64_t>(j + 1, b_.Areas.size() * 2)));
        }
        MyAreaRecord& a = b_.Areas[static_cast<std::size_t>(j)];
        a = MyAreaRecord();
        a.Present = true;
        a.AreaId = static_cast<std::int32_t>(id);
        a.AttrCount = static_cast<std::int32_t>(std::min<std::int64_t>(attrs, INT32_MAX));
        a.IslandCount = static_cast<std::int32_t>(std::min<std::int64_t>(islands, 1 << 24));
        b_.IslandsTotal += a.IslandCount;
        b_.AreaAttrMax = std::max(b_.AreaAttrMax, attrs);
        std::string c;
        std::int64_t records = CeilDiv(count, 12), entries = 0;
        for (std::int64_t k = 0; k < records; ++k) {
            if (!Cont(c)) break;
            std::string body = Body72(c);
            for (int e = 0; e < 12 && entries < count; ++e, ++entries) {
                std::string f = body.substr(static_cast<std::size_t>(6 * e), 6);
                std::int64_t v = 0;
                if (!ParseWhole(f, v)) {
                    p_.Message(MsgFamily::ErrorNumber, 6 * e + 1, f);
                    continue;
                }
                if (v > INT32_MAX || v < -INT32_MAX) continue;
                a.LineList.push_back(static_cast<std::int32_t>(v));
            }
        }
        a.LineCount = static_cast<std::int32_t>(a.LineList.size());
        a.AttrText = ReadAttributes(attrs);
        ++areaIndex_;
    }

    void Line(const std::string& r) {
        ++b_.LinesSeen;
        if (!o_.keepLines) return;
        const std::int64_t i = ++lineIndex_;
        if (i >= static_cast<std::int64_t>(b_.Lines.size())) {
            if (!warnedLines_ && i > h_.DlgLineCount) {
                p_.ShowWarningText("The DLG holds more lines than its header counts (" +
                                   std::to_string(h_.DlgLineCount) + ")");
                warnedLines_ = true;
            }
            b_.Lines.resize(static_cast<std::size_t>(std::max<std::int64_t>(i + 1, b_.Lines.size() * 2)));
        }
        MyLineRecord& L = b_.Lines[static_cast<std::size_t>(i)];
        L = MyLineRecord();
        std::int64_t id = 0, pairs = 0, attrs = 0;
        std::string idText = DlgField(r, 2, 6);
        if (!ParseWhole(idText, id)) p_.Message(MsgFamily::ErrorNumber, 2, idText);
        std::string pairText = DlgField(r, 42, 49);
        bool pairsOk = ParseWhole(pairText, pairs) && pairs >= 0;
        std::string attrText = DlgField(r, 49, 54);
        if (!ParseWhole(attrText, attrs) || attrs < 0) attrs = 0;
        L.LineId = static_cast<std::int32_t>(id);
        L.AttrCount = static_cast<std::int32_t>(std::min<std::int64_t>(attrs, INT32_MAX));
        ++linePos_;
        if (!pairsOk) {
            L.CountOk = false;
            p_.Message(MsgFamily::ErrorNumber, 42, pairText);
            p_.ShowWarningText("Points this Line WRONG" + pairText);
            if (id >= 1) linePos_ = id;  // keep the numbering in step with the file
            return;
        }
        if (!Numbering(o_.quickView ? "" : "Wrong numbered line at ", linePos_, id)) return;
        L.DeclaredCount = pairs;
        b_.LineAttrMax = std::max(b_.LineAttrMax, attrs);
        std::string c;
        std::int64_t left = pairs;
        L.Coords.reserve(static_cast<std::size_t>(2 * std::min<std::int64_t>(pairs, 1 << 16)));
        while (left > 0) {
            if (!Cont(c)) {
                if (!havePending_ && cut_.empty())
                    cut_ = "the DLG file ends inside line " + std::to_string(i) + " (" +
                           std::to_string(pairs - left) + " of its " + std::to_string(pairs) + " points)";
                break;
            }
            const int here = static_cast<int>(std::min<std::int64_t>(left, 3));
            const bool full = here == 3;
            for (int k = 1; k <= here; ++k) {
                std::string xt = TrimBlanks(DlgField(c, 24 * (k - 1) + 1, 24 * (k - 1) + 12));
                std::string yt = TrimBlanks(DlgField(c, 24 * (k - 1) + 13, 24 * k));
                double x = 0, y = 0;
                if (!ParseReal(xt, x) || !ParseReal(yt, y)) {
                    if (o_.quickView) {
                        if (full) p_.ShowWarningText("X " + xt + " Y " + yt);
                    } else {
                        p_.Message(MsgFamily::ErrorNumber, 24 * (k - 1) + 1, xt + " " + yt);
                        p_.ShowWarningText("Bad X " + xt + " Y " + yt);
                    }
                    continue;
                }
                L.Coords.push_back(x);
                L.Coords.push_back(y);
            }
            left -= here;
        }
        if (L.Coords.size() / 2 > static_cast<std::size_t>(INT32_MAX)) L.Coords.resize(0);
        L.PointCount = static_cast<std::int32_t>(L.Coords.size() / 2);
        b_.TotalLinePoints += L.PointCount;
        if (L.PointCount != pairs && !o_.quickView)
            p_.ShowWarningText("Bad LinePointCount " + std::to_string(L.Coords.size()) + " Count " + std::to_string(i));
        L.AttrText = ReadAttributes(attrs);
    }

    DlgRecordReader& in_;
    const DlgHeader& h_;
    const DlgBodyOptions& o_;
    DlgBody& b_;
    Prompter& p_;
    Progress& g_;
    bool check_;
    std::string pending_;
    bool havePending_ = false;
    std::int64_t areaIndex_ = 1;
    std::int64_t lineIndex_ = 0;
    std::int64_t linePos_ = 0;
    bool warnedAreas_ = false, warnedLines_ = false;
    std::vector<std::string> memo_;

public:
    std::string cut_;  // where the file ended inside an element, if it did
};

}  // namespace

void ReadDlgBody(DlgRecordReader& in, const DlgHeader& header, const DlgBodyOptions& options, DlgBody& body,
                 Prompter& prompter, Progress& progress) {
    body = DlgBody();
    BodyReader reader(in, header, options, body, prompter, progress);
    reader.Run();
    // Entries past the last element read were room, not elements.
    if (options.keepLines) body.Lines.resize(static_cast<std::size_t>(body.LinesSeen) + 1);
    if (options.keepAreas) {
        std::size_t used = body.Areas.size();
        while (used > 1 && !body.Areas[used - 1].Present) --used;
        body.Areas.resize(std::max<std::size_t>(used, 1));
    }
    if (!body.aborted) {
        // A file that holds less than its header counts was cut short: what
        // was read of it is not the map, and no export makes one from it.
        // The quick view shows what there is.
        const char* what[3] = {"nodes", "areas", "lines"};
        const std::int64_t seen[3] = {body.NodesSeen, body.AreasSeen, body.LinesSeen};
        const std::int64_t counted[3] = {header.DlgNodeCount, header.DlgAreaCount, header.DlgLineCount};
        const bool kept[3] = {options.keepNodes, options.keepAreas, options.keepLines};
        std::string fewer;
        for (int k = 0; k < 3; ++k)
            if (seen[k] < counted[k] && (kept[k] || !options.allowCut)) {
                fewer = "The DLG holds fewer " + std::string(what[k]) + " (" + std::to_string(seen[k]) +
                        ") than its header counts (" + std::to_string(counted[k]) + ")";
                break;
            }
        if (options.allowCut) {
            if (!fewer.empty()) prompter.ShowWarningText(fewer);
        } else if (!reader.cut_.empty() || !fewer.empty()) {
            body.aborted = true;
            body.failure = !reader.cut_.empty() ? reader.cut_ : fewer;
            if (!reader.cut_.empty() && !fewer.empty()) body.failure += "; " + fewer;
        }
    }
}

// ---- names -----------------------------------------------------------------

namespace {

std::string Extension(const std::string& path) {
    std::string name = FileNamePart(path);
    auto dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string WithDir(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

}  // namespace

bool IsSsurgoDlgName(const std::string& path) {
    std::string ext = UpperCase(Extension(path));
    if (ext.size() != 4 || ext[3] != 'F') return false;
    if (path.size() >= 8 && path[path.size() - 8] == '-') return false;
    return true;
}

SsurgoRename PlanSsurgoRename(const std::string& path, const std::string& dlgDir, bool /*quickView*/) {
    SsurgoRename plan;
    std::string name = FileNamePart(path);
    std::string dashed = name;
    if (dashed.size() >= 4 && dashed[dashed.size() - 4] == '.') dashed[dashed.size() - 4] = '-';
    plan.dlgName = WithDir(dlgDir, dashed + ".dlg");
    plan.companionFrom = path.substr(0, path.size() - 1) + "a";
    plan.companionExists = FileExists(plan.companionFrom);
    // The soil attribute file sits beside the renamed DLG under the name the
    // shapefile export looks for, whichever page chose the file.
    plan.companionTo = ChangeFileExt(plan.dlgName, ".sat");
    return plan;
}

std::string PrepareSsurgoDlgName(const std::string& path, const std::string& dlgDir, bool quickView,
                                 Prompter& prompter) {
    SsurgoRename plan = PlanSsurgoRename(path, dlgDir, quickView);
    if (std::rename(path.c_str(), plan.dlgName.c_str()) != 0) prompter.Message(MsgFamily::Error, 3);
    if (plan.companionExists) {
        if (std::rename(plan.companionFrom.c_str(), plan.companionTo.c_str()) != 0)
            prompter.Message(MsgFamily::Error, 3);
    } else if (!quickView) {
        prompter.Message(MsgFamily::Error, 4);
    }
    return plan.dlgName;
}

bool IsDlgFileName(const std::string& path) {
    std::string ext = UpperCase(Extension(path));
    return ext == ".DLG" || ext == ".OPT" || (!ext.empty() && ext.back() == 'F');
}

std::string ProposeDxfName(const std::string& dlgPath) {
    std::string name = FileNamePart(dlgPath);
    auto dot = name.find_last_of('.');
    if (dot != std::string::npos) name.resize(dot);
    return name + ".DXF";
}

std::string ProposeShapeName(const std::string& dxfName, const std::string& exportLayer) {
    std::string base = dxfName.size() >= 4 ? dxfName.substr(0, dxfName.size() - 4) : std::string();
    if (exportLayer == "Points") base += "_p";
    else if (exportLayer == "Lines") base += "_l";
    else if (exportLayer == "Areas") base += "_a";
    std::string name = base + ".shp";
    if (name.size() < 13) return name;
    // An 8.3 name: seven characters before the layer letter, fewer when the
    // name is short, never from before its start.
    const std::size_t p = name.size() - 3;  // 1-based position of the dot
    const std::size_t from = p >= 12 ? p - 11 : 1;
    std::string out = name.substr(from - 1, (p - 5) - from + 1);
    out += name[p - 2];
    return out + ".shp";
}

// ---- picture ---------------------------------------------------------------

void DlgPicture::Line(int x0, int y0, int x1, int y1, std::uint32_t c) {
    // Points far outside the picture are pulled in so the walk stays short.
    auto clampc = [](int v) { return std::clamp(v, -4 * kSize, 5 * kSize); };
    x0 = clampc(x0), y0 = clampc(y0), x1 = clampc(x1), y1 = clampc(y1);
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        Set(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += sx;
        if (e2 <= dx) err += dx, y0 += sy;
    }
}

namespace {
int ToPixel(double v) {
    if (!std::isfinite(v)) return 1 << 20;
    v = std::trunc(v);
    return static_cast<int>(std::clamp(v, -1e6, 1e6));
}
}  // namespace

int DlgPictureScale::PX(double x) const { return ToPixel((x - XMin) / T); }
int DlgPictureScale::PY(double y) const { return 312 - ToPixel((y - YMin) / T); }

namespace {

bool UsableScale(double xmin, double ymin, double xmax, double ymax, DlgPictureScale& s) {
    double t = std::max(std::fabs(xmax - xmin), std::fabs(ymax - ymin)) / 312.0;
    if (!(t > 0) || !std::isfinite(t)) return false;
    s.XMin = xmin;
    s.YMin = ymin;
    s.T = t;
    return true;
}

DlgPictureScale ScaleFromLines(const DlgBody& body) {
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (std::size_t i = 1; i < body.Lines.size(); ++i) {
        const auto& c = body.Lines[i].Coords;
        for (std::size_t k = 0; k + 1 < c.size(); k += 2) {
            if (!any) {
                x0 = x1 = c[k];
                y0 = y1 = c[k + 1];
                any = true;
            }
            x0 = std::min(x0, c[k]), x1 = std::max(x1, c[k]);
            y0 = std::min(y0, c[k + 1]), y1 = std::max(y1, c[k + 1]);
        }
    }
    DlgPictureScale s;
    if (!UsableScale(x0, y0, x1, y1, s)) {
        // One point or none: centre it with a unit scale.
        s.XMin = x0 - 156;
        s.YMin = y0 - 156;
        s.T = 1;
    }
    return s;
}

DlgPictureScale ScaleOf(const DlgHeader& h, const DlgBody& body) {
    DlgPictureScale s;
    if (h.HaveExtent && UsableScale(h.XMin, h.YMin, h.XMax, h.YMax, s)) return s;
    return ScaleFromLines(body);
}

void DrawLine(DlgPicture& pic, const DlgPictureScale& s, const MyLineRecord& L, std::uint32_t colour) {
    const auto& c = L.Coords;
    if (c.size() < 2) return;
    int px = s.PX(c[0]), py = s.PY(c[1]);
    pic.Set(px, py, colour);
    for (std::size_t k = 2; k + 1 < c.size(); k += 2) {
        int qx = s.PX(c[k]), qy = s.PY(c[k + 1]);
        pic.Line(px, py, qx, qy, colour);
        px = qx, py = qy;
    }
}

}  // namespace

DlgPictureScale PictureScaleFor(const DlgHeader& header, const std::string& path) {
    DlgPictureScale s;
    if (header.HaveExtent && UsableScale(header.XMin, header.YMin, header.XMax, header.YMax, s)) return s;
    DlgRecordReader in;
    DlgBody body;
    if (in.DetectDlgRecordMode(path)) {
        DlgHeader h;
        if (ReadDlgHeader(in, h, nullptr)) {
            DlgBodyOptions o;
            o.allowCut = true;
            o.keepNodes = o.keepAreas = false;
            o.numberingCheck = false;
            SilentPrompter quiet;
            NullProgress none;
            ReadDlgBody(in, h, o, body, quiet, none);
        }
    }
    return ScaleFromLines(body);
}

Result MakeDLGImage(const std::string& path, QuickViewResult& out, Prompter& prompter, Progress& progress) {
    out = QuickViewResult();
    DlgRecordReader in;
    Result r = in.DetectDlgRecordMode(path);
    if (!r) return r;
    r = ReadDlgHeader(in, out.Header, &prompter);
    if (!r) return r;
    for (const auto& rec : out.Header.Records) out.Memo.push_back(Printable(rec));
    out.Hint = "Points " + out.Header.NodeText + " Areas " + out.Header.AreaText + " Lines " + out.Header.LineText;

    // Samples: the first four nodes' and the first two areas' attribute
    // counts, and the 15 records after each of those two areas.
    {
        std::string rec;
        int nodes = 0, areas = 0, copy = 0;
        while (in.ReadDlgRecord(rec)) {
            if (copy > 0) {
                out.Memo.push_back(Printable(rec));
                if (--copy == 0 && areas == 2) break;
                continue;
            }
            std::int64_t v = 0;
            if (!rec.empty() && rec[0] == 'N' && nodes < 4) {
                ++nodes;
                std::string t = DlgField(rec, 49, 54);
                if (!ParseWhole(t, v) && !TrimBlanks(t).empty()) prompter.Message(MsgFamily::ErrorNumber, 49, t);
                out.NodeAttrMax = std::max(out.NodeAttrMax, v);
            } else if (!rec.empty() && rec[0] == 'A' && areas < 2) {
                ++areas;
                out.Memo.push_back(Printable(rec));
                if (DlgWhole(rec, 49, 54, v)) out.AreaAttrMax = std::max(out.AreaAttrMax, v);
                copy = 15;
            } else if (!rec.empty() && rec[0] == 'L') {
                break;
            }
        }
    }

    in.Rewind();
    DlgHeader again;
    ReadDlgHeader(in, again, nullptr);
    DlgBodyOptions o;
    o.keepNodes = o.keepAreas = false;
    o.quickView = true;
    o.allowCut = true;
    DlgBody body;
    ReadDlgBody(in, again, o, body, prompter, progress);
    if (!body.failure.empty()) return Result::Fail(body.failure);
    out.LineAttrMax = body.LineAttrMax;
    DlgPictureScale s = ScaleOf(out.Header, body);
    for (std::size_t i = 1; i < body.Lines.size(); ++i) DrawLine(out.Picture, s, body.Lines[i], 0x000000);
    out.LinesRead = body.LinesSeen;
    return Result::Ok();
}

Result DrawSelectedLines(const std::string& path, std::int64_t first, std::int64_t last, std::int64_t area,
                         DlgPicture& picture, std::vector<std::string>& memo, Progress& progress) {
    picture = DlgPicture();
    DlgRecordReader in;
    Result r = in.DetectDlgRecordMode(path);
    if (!r) return r;
    DlgHeader h;
    r = ReadDlgHeader(in, h, nullptr);
    if (!r) return r;
    if (area >= 1) {
        std::string rec;
        std::int64_t areas = 0;
        while (in.ReadDlgRecord(rec)) {
            if (rec.empty() || rec[0] != 'A' || ++areas != area) continue;
            for (int k = 0; k < 15 && in.ReadDlgRecord(rec); ++k) memo.push_back(Printable(rec));
            break;
        }
        in.Rewind();
        ReadDlgHeader(in, h, nullptr);
    }
    DlgBodyOptions o;
    o.keepNodes = o.keepAreas = false;
    o.numberingCheck = false;
    o.quickView = true;
    o.allowCut = true;
    DlgBody body;
    SilentPrompter quiet;
    ReadDlgBody(in, h, o, body, quiet, progress);
    DlgPictureScale s = ScaleOf(h, body);
    for (std::int64_t l = std::max<std::int64_t>(first, 1); l <= last && l < static_cast<std::int64_t>(body.Lines.size()); ++l) {
        const MyLineRecord& L = body.Lines[static_cast<std::size_t>(l)];
        if (!L.CountOk) continue;
        const long blue = (123 + std::lround(static_cast<double>(L.DeclaredCount) * static_cast<double>(l) / 100.0)) % 256;
        DrawLine(picture, s, L, 0x00FFFFu | (static_cast<std::uint32_t>(blue) << 16));
    }
    return Result::Ok();
}

Result WriteBmp(const DlgPicture& pic, const std::string& path) {
    const int n = DlgPicture::kSize;
    const int row = (3 * n + 3) / 4 * 4;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(row * n);
    std::vector<unsigned char> b(54 + dataSize, 0);
    b[0] = 'B';
    b[1] = 'M';
    StoreLE32(&b[2], 54 + dataSize);
    StoreLE32(&b[10], 54);
    StoreLE32(&b[14], 40);
    StoreLE32(&b[18], n);
    StoreLE32(&b[22], n);
    b[26] = 1;
    b[28] = 24;
    StoreLE32(&b[34], dataSize);
    StoreLE32(&b[38], 2835);
    StoreLE32(&b[42], 2835);
    for (int y = 0; y < n; ++y) {
        unsigned char* p = &b[54 + static_cast<std::size_t>(n - 1 - y) * row];
        for (int x = 0; x < n; ++x) {
            std::uint32_t c = pic.At(x, y);
            p[3 * x] = static_cast<unsigned char>(c >> 16);
            p[3 * x + 1] = static_cast<unsigned char>(c >> 8);
            p[3 * x + 2] = static_cast<unsigned char>(c);
        }
    }
    AtomicFile f(path);
    Result r = f.Open();
    if (!r) return r;
    f.Write(b.data(), b.size());
    return f.Commit();
}

}  // namespace zemba
