#include "core/attributes.h"

#include <shapefil.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include "core/dbf_table.h"
#include "core/file_io.h"

namespace zemba {

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    std::size_t slash = path.find_last_of('/');
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ext;
    return path.substr(0, dot) + ext;
}

std::string CompanionFile(const std::string& path, const std::string& ext) {
    std::string lower = ChangeFileExt(path, ext);
    if (FileExists(lower)) return lower;
    std::string upper = ChangeFileExt(path, UpperCase(ext));
    return FileExists(upper) ? upper : lower;
}

// ---------------------------------------------------------------------------
// The table is read whole into memory and handed to the table library
// through its file hooks: one read of the file instead of a seek and a read
// for every record, and the library can never see the file change under it.

namespace {

std::string Trimmed(const char* raw, int width) {
    int b = 0, e = width;
    while (b < e && (raw[b] == ' ' || raw[b] == '\0')) ++b;
    while (e > b && (raw[e - 1] == ' ' || raw[e - 1] == '\0')) --e;
    return std::string(raw + b, raw + e);
}


std::uint8_t FieldCode(char native, int width, int decimals) {
    switch (native) {
        case 'C': return ftString;
        case 'L': return ftBoolean;
        case 'D': return ftDate;
        case 'F': return ftFloat;
        case 'N':
            if (decimals > 0) return ftFloat;
            if (width <= 4) return ftSmallint;
            if (width <= 9) return ftInteger;
            return ftLargeint;
        default: return ftUnknown;
    }
}

}  // namespace

std::string ShortDate(int year, int month, int day) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    const char* loc = std::setlocale(LC_TIME, nullptr);
    // The C locale's short date has a two-digit year; spell the year out there.
    bool plain = !loc || std::strcmp(loc, "C") == 0 || std::strcmp(loc, "POSIX") == 0;
    char buf[64];
    std::size_t n = std::strftime(buf, sizeof buf, plain ? "%m/%d/%Y" : "%x", &tm);
    return std::string(buf, n);
}

std::string FieldValueText(const FieldDefRec& field, const char* raw, int width) {
    switch (field.DataType) {
        case ftString: {
            if (width <= 0 || raw[0] == '\0') return "x";
            int e = width;
            while (e > 0 && (raw[e - 1] == ' ' || raw[e - 1] == '\0')) --e;
            if (e == 0) return "Null";
            return std::string(raw, raw + e);
        }
        case ftBoolean: {
            std::string t = Trimmed(raw, width);
            if (t.empty()) return "x";
            char c = t[0];
            if (c == 'T' || c == 't' || c == 'Y' || c == 'y') return "True";
            if (c == 'F' || c == 'f' || c == 'N' || c == 'n') return "False";
            return "x";
        }
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftLargeint:
        case ftFloat:
        case ftCurrency: {
            std::string t = Trimmed(raw, width);
            if (t.empty() || t[0] == '*') return "x";
            char* end = nullptr;
            if (field.DataType != ftFloat && field.DataType != ftCurrency) {
                errno = 0;
                long long v = std::strtoll(t.c_str(), &end, 10);
                if (end && *end == '\0' && errno == 0) return std::to_string(v);
            }
            // Numbers are written with a point whatever the user's locale,
            // so parse them in the C locale's terms.
            std::istringstream in(t);
            in.imbue(std::locale::classic());
            double d;
            if (!(in >> d)) return "x";
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.15g", d);
            std::string s(buf);
            // snprintf follows LC_NUMERIC; keep a point in the kept text.
            std::replace(s.begin(), s.end(), ',', '.');
            return s;
        }
        case ftDate: {
            std::string t = Trimmed(raw, width);
            if (t.empty() || t == "00000000") return "x";
            if (t.size() == 8 && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; })) {
                int y = std::atoi(t.substr(0, 4).c_str());
                int m = std::atoi(t.substr(4, 2).c_str());
                int d = std::atoi(t.substr(6, 2).c_str());
                if (m >= 1 && m <= 12 && d >= 1 && d <= 31) return ShortDate(y, m, d);
            }
            return t;
        }
        default:
            return "Unknown Lost Value";
    }
}

Result ReadDbfHeader(BlockReader& in, const std::string& path, std::string& head) {
    auto bad = [&](const std::string& why) { return Result::Fail(path + " is not a sound dBase table: " + why); };
    unsigned char h[32];
    if (in.size() < 32 || !in.Read(h, 32)) return bad("it is shorter than a table header (32 bytes)");
    const std::uint64_t headerLength = h[8] | (h[9] << 8), recordLength = h[10] | (h[11] << 8);
    if (headerLength < 33 || headerLength > in.size())
        return bad("its header length (" + std::to_string(headerLength) + " bytes) does not fit the file");
    head.assign(reinterpret_cast<const char*>(h), 32);
    head.resize(static_cast<std::size_t>(headerLength));
    if (!in.Read(head.data() + 32, head.size() - 32)) return bad("its header cannot be read");
    // Field descriptors of 32 bytes each, ended by a 0x0D byte that the
    // header length must take in.
    std::uint64_t widths = 0;
    std::size_t at = 32;
    int fields = 0;
    for (;; at += 32, ++fields) {
        if (at >= head.size())
            return bad("the field list has no end mark within the header length (" + std::to_string(headerLength) +
                       " bytes)");
        if (head[at] == '\x0D') break;
        if (at + 32 > head.size())
            return bad("field " + std::to_string(fields + 1) + " runs past the header length (" +
                       std::to_string(headerLength) + " bytes)");
        const auto* d = reinterpret_cast<const unsigned char*>(head.data() + at);
        const char type = static_cast<char>(d[11]);
        widths += (type == 'N' || type == 'F') ? d[16] : d[16] + 256u * d[17];
    }
    if (widths + 1 != recordLength)
        return bad("its record length (" + std::to_string(recordLength) + ") is not the " + std::to_string(fields) +
                   " field widths (" + std::to_string(widths) + ") plus 1");
    return Result::Ok();
}

Result LoadAttributes(LayerStore& store, std::int32_t i, Progress& progress) {
    ShpLayer& L = store.ShapeLayers[i];
    progress.SetPosition(0);
    const std::string path = CompanionFile(L.ShpPath + L.ShpName, ".dbf");
    L.DbfName = FileNamePart(path);
    L.DbfPath = L.ShpPath;

    std::string bytes;
    {
        BlockReader in;
        Result r = in.Open(path);
        if (!r) return r;
        // The header first: it must agree with itself before any of it is
        // trusted, and only the records that have a shape are read.
        std::string head;
        r = ReadDbfHeader(in, path, head);
        if (!r) return r;
        const auto* h = reinterpret_cast<const unsigned char*>(head.data());
        const std::uint64_t headerLength = h[8] | (h[9] << 8), recordLength = h[10] | (h[11] << 8);
        const std::uint64_t want = std::min<std::uint64_t>(LoadLE32(h + 4), std::max(L.NumRecords, 0));
        const std::uint64_t need = std::min<std::uint64_t>(in.size(), headerLength + want * recordLength);
        bytes = std::move(head);
        const std::size_t have = bytes.size();
        bytes.resize(static_cast<std::size_t>(std::max<std::uint64_t>(need, have)));
        if (bytes.size() > have && !in.Read(bytes.data() + have, bytes.size() - have))
            return Result::Fail("cannot read " + path + (in.error().empty() ? "" : ": " + in.error()));
    }
    // The table's encoding and the layer's projection come back on save.
    {
        const std::string cpg = CompanionFile(path, ".cpg");
        L.CodePage = FileExists(cpg) ? ReadSmallTextFile(cpg) : std::string();
        const std::string prj = CompanionFile(L.ShpPath + L.ShpName, ".prj");
        L.Prj = FileExists(prj) ? ReadSmallTextFile(prj) : std::string();
    }
    DBFHandle h = OpenMemoryTable(bytes);
    if (!h) return Result::Fail(path + " is not a readable dBase table");

    const int nFields = DBFGetFieldCount(h);
    const int nRecords = DBFGetRecordCount(h);
    std::vector<FieldDefRec> fields(static_cast<std::size_t>(std::max(nFields, 0)));
    std::vector<int> offsets(fields.size()), widths(fields.size());
    for (int f = 0; f < nFields; ++f) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {0};
        int width = 0, decimals = 0;
        DBFGetFieldInfo(h, f, name, &width, &decimals);
        char native = DBFGetNativeFieldType(h, f);
        FieldDefRec& d = fields[f];
        d.FieldNo = f + 1;
        d.Name = name;
        d.DataType = FieldCode(native, width, decimals);
        d.Size = width;
        d.Precision = decimals;
        d.Required = 0;
        offsets[f] = h->panFieldOffset[f];
        widths[f] = width;
    }
    const int recordLength = h->nRecordLength;
    for (int f = 0; f < nFields; ++f) {
        if (widths[f] < 0 || offsets[f] < 1 || offsets[f] + widths[f] > recordLength) {
            DBFClose(h);
            return Result::Fail(path + ": field " + fields[f].Name + " does not fit in the record length");
        }
    }

    // Records beyond the last shape have no shape to hold them; shapes beyond
    // the last record keep empty values.
    const std::int64_t rows = std::min<std::int64_t>(nRecords, L.NumRecords);
    // The library trusts the header's record count; read no record that the
    // file does not hold in full.
    const std::int64_t headerLength = h->nHeaderLength;
    std::int64_t whole = recordLength > 0
                             ? (static_cast<std::int64_t>(bytes.size()) - headerLength) / recordLength
                             : 0;
    const std::int64_t readable = std::max<std::int64_t>(0, std::min(rows, whole));

    progress.SetRange(1, std::max<std::int64_t>(1, rows));
    for (std::int64_t r = 1; r <= readable; ++r) {
        if ((r & 1023) == 1) {
            progress.SetMessage(std::to_string(r));
            progress.SetPosition(r);
        }
        progress.Pump();
        const char* tuple = DBFReadTuple(h, static_cast<int>(r - 1));
        auto& values = L.Shapes[r].Values;
        values.resize(fields.size());
        if (!tuple) continue;
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const char* raw = tuple + offsets[f];
            values[f] = FieldValueText(fields[f], raw, widths[f]);
        }
    }
    DBFClose(h);

    L.NumFields = static_cast<std::int32_t>(fields.size());
    L.Fields = std::move(fields);
    progress.SetPosition(0);
    if (readable < rows)
        return Result::Fail(path + " ends inside record " + std::to_string(readable + 1));
    return Result::Ok();
}

std::string ReadSmallTextFile(const std::string& path) {
    // Names of encodings and projections: a few hundred bytes. A larger
    // file is not one of them.
    constexpr std::uint64_t kLimit = 1 << 16;
    BlockReader in;
    if (!in.Open(path) || in.size() > kLimit) return {};
    std::string text(static_cast<std::size_t>(in.size()), '\0');
    if (!text.empty() && !in.Read(text.data(), text.size())) return {};
    return text;
}

// ---------------------------------------------------------------------------
// Style side files.

namespace {

constexpr std::size_t kShapeBlock = 75;

std::size_t LayerBlockSize(std::int32_t numClasses) {
    return 51 + (numClasses >= 0 ? 8 * (static_cast<std::size_t>(numClasses) + 1) : 0);
}

struct ByteCursor {
    const unsigned char* p;
    const unsigned char* end;
    std::int32_t I32() {
        std::int32_t v = LoadLEInt(p);
        p += 4;
        return v;
    }
    std::uint32_t U32() {
        std::uint32_t v = LoadLE32(p);
        p += 4;
        return v;
    }
    std::uint8_t U8() { return *p++; }
    double F64() {
        double v = LoadLEDouble(p);
        p += 8;
        return v;
    }
};

void PutI32(std::string& out, std::uint32_t v) {
    unsigned char b[4];
    StoreLE32(b, v);
    out.append(reinterpret_cast<char*>(b), 4);
}
void PutU8(std::string& out, std::uint8_t v) { out.push_back(static_cast<char>(v)); }
void PutF64(std::string& out, double v) {
    unsigned char b[8];
    StoreLEDouble(b, v);
    out.append(reinterpret_cast<char*>(b), 8);
}

}  // namespace

Result ReadSideFiles(LayerStore& store, const std::string& path, std::int32_t i, Progress& progress) {
    // `path` may name the shapefile or the .att itself, in either case.
    const bool namesAtt = UpperCase(ChangeFileExt(FileNamePart(path), "")) + ".ATT" == UpperCase(FileNamePart(path));
    const std::string attPath = namesAtt ? path : ChangeFileExt(path, ".att");
    const std::string atxPath = CompanionFile(path, ".atx");
    const std::int64_t n = store.ShapeLayers[i].NumRecords;

    // The counts at the front say how long the file is: it must be that
    // long exactly, or its blocks would be read from the wrong places.
    std::string att;
    {
        BlockReader in;
        Result r = in.Open(attPath);
        if (!r) return r;
        const std::size_t front = LayerBlockSize(-1);
        if (in.size() < front) return Result::Fail(attPath + " is shorter than its layer block");
        att.resize(front);
        if (!in.Read(att.data(), front)) return Result::Fail("cannot read " + attPath);
        const std::int32_t numClasses = LoadLEInt(reinterpret_cast<const unsigned char*>(att.data()) + 12);
        if (numClasses > 1000000)
            return Result::Fail(attPath + " holds an impossible number of classes (" + std::to_string(numClasses) + ")");
        const std::uint64_t need = LayerBlockSize(numClasses) + kShapeBlock * static_cast<std::uint64_t>(n);
        if (in.size() != need)
            return Result::Fail(attPath + " is " + std::to_string(in.size()) + " bytes; a layer of " +
                                std::to_string(n) + " shapes and " + std::to_string(std::max(numClasses, 0)) +
                                " classes has " + std::to_string(need));
        att.resize(static_cast<std::size_t>(need));
        if (need > front && !in.Read(att.data() + front, att.size() - front))
            return Result::Fail("cannot read " + attPath);
    }
    progress.Pump();
    const auto* base = reinterpret_cast<const unsigned char*>(att.data());

    std::vector<std::string> labels;
    {
        if (!FileExistsAny(atxPath)) return Result::Fail("the label file " + atxPath + " is missing");
        Result kind = CheckRegularFile(atxPath);
        if (!kind) return kind;
        std::ifstream atx(atxPath, std::ios::binary);
        if (!atx) return Result::Fail("the label file " + atxPath + " cannot be opened");
        std::string line;
        while (static_cast<std::int64_t>(labels.size()) < n && std::getline(atx, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            labels.push_back(std::move(line));
        }
        if (static_cast<std::int64_t>(labels.size()) < n)
            return Result::Fail("the label file " + atxPath + " has " + std::to_string(labels.size()) +
                                " lines; the layer has " + std::to_string(n) + " shapes");
    }

    // Fill a copy, so a failure leaves the layer's style as it was.
    SymLayer S = store.SymLayers[i];
    ByteCursor c{base, base + att.size()};
    S.Visible = c.I32();
    S.SpareA = c.I32();
    S.SpareB = c.I32();
    S.NumClasses = c.I32();
    S.SpareColorA = c.U32();
    S.SpareColorB = c.U32();
    S.Editable = c.U8();
    S.Outlined = c.U8();
    S.Labeled = c.I32();
    S.LabelBackColor = c.U32();
    S.LabelBackgrounded = c.U8();
    c.I32();  // font slot: a reference from another run means nothing here
    S.LabelFontHeight = c.I32();
    S.LabelRotation = c.I32();
    S.LabelField = c.I32();
    S.ClassBreaks.assign(S.NumClasses >= 0 ? static_cast<std::size_t>(S.NumClasses) + 1 : 0, 0.0);
    for (double& b : S.ClassBreaks) b = c.F64();
    S.SymObjs.resize(static_cast<std::size_t>(n) + 1);
    for (std::int64_t k = 1; k <= n; ++k) {
        if ((k & 1023) == 0) progress.Pump();
        SymObj& o = S.SymObjs[k];
        o.StyleSet = c.I32();
        o.LabelSet = c.I32();
        o.ObjSpare1 = c.I32();
        o.BrushStyle = c.I32();
        o.PenStyle = c.I32();
        o.PenWidth = c.I32();
        o.LabelBackColor = c.U32();
        o.PenColor = c.U32();
        o.BrushColor = c.U32();
        o.ObjSpare2 = c.U8();
        o.LabelPlaced = c.U8();
        o.LabelBackgrounded = c.U8();
        c.I32();  // font slot
        o.LabelFont = S.LabelFont;
        o.LabelFontHeight = c.I32();
        o.LabelRotation = c.I32();
        o.ObjSpare3 = c.I32();
        o.ObjSpare4 = c.I32();
        o.LabelX = c.F64();
        o.LabelY = c.F64();
        o.LabelText = std::move(labels[k - 1]);
    }
    store.SymLayers[i] = std::move(S);
    return Result::Ok();
}

Result WriteSideFiles(const LayerStore& store, const std::string& path, std::int32_t i, Progress& progress) {
    AtomicFile att(ChangeFileExt(path, ".att")), atx(ChangeFileExt(path, ".atx"));
    Result r = WriteSideFilesTo(store, i, att, atx, progress);
    if (!r) return r;
    return CommitAll({&att, &atx});
}

Result WriteSideFilesTo(const LayerStore& store, std::int32_t i, AtomicFile& att, AtomicFile& atx,
                        Progress& progress) {
    const SymLayer& S = store.SymLayers[i];
    const std::int64_t n = store.ShapeLayers[i].NumRecords;
    if (static_cast<std::int64_t>(S.SymObjs.size()) < n + 1)
        return Result::Fail("the layer's shape styles are incomplete");

    Result r = att.Open();
    if (!r) return r;
    r = atx.Open();
    if (!r) return r;
    progress.Pump();

    std::string out;
    out.reserve(LayerBlockSize(S.NumClasses));
    PutI32(out, static_cast<std::uint32_t>(S.Visible));
    PutI32(out, static_cast<std::uint32_t>(S.SpareA));
    PutI32(out, static_cast<std::uint32_t>(S.SpareB));
    PutI32(out, static_cast<std::uint32_t>(S.NumClasses));
    PutI32(out, S.SpareColorA);
    PutI32(out, S.SpareColorB);
    PutU8(out, S.Editable);
    PutU8(out, S.Outlined);
    PutI32(out, static_cast<std::uint32_t>(S.Labeled));
    PutI32(out, S.LabelBackColor);
    PutU8(out, S.LabelBackgrounded);
    PutI32(out, 0);  // font slot
    PutI32(out, static_cast<std::uint32_t>(S.LabelFontHeight));
    PutI32(out, static_cast<std::uint32_t>(S.LabelRotation));
    PutI32(out, static_cast<std::uint32_t>(S.LabelField));
    if (S.NumClasses >= 0)
        for (std::int32_t k = 0; k <= S.NumClasses; ++k)
            PutF64(out, static_cast<std::size_t>(k) < S.ClassBreaks.size() ? S.ClassBreaks[k] : 0.0);
    att.Write(out);

    std::string labels;
    for (std::int64_t k = 1; k <= n; ++k) {
        if ((k & 1023) == 0) progress.Pump();
        const SymObj& o = S.SymObjs[k];
        out.clear();
        PutI32(out, static_cast<std::uint32_t>(o.StyleSet));
        PutI32(out, static_cast<std::uint32_t>(o.LabelSet));
        PutI32(out, static_cast<std::uint32_t>(o.ObjSpare1));
        PutI32(out, static_cast<std::uint32_t>(o.BrushStyle));
        PutI32(out, static_cast<std::uint32_t>(o.PenStyle));
        PutI32(out, static_cast<std::uint32_t>(o.PenWidth));
        PutI32(out, o.LabelBackColor);
        PutI32(out, o.PenColor);
        PutI32(out, o.BrushColor);
        PutU8(out, o.ObjSpare2);
        PutU8(out, o.LabelPlaced);
        PutU8(out, o.LabelBackgrounded);
        PutI32(out, 0);  // font slot
        PutI32(out, static_cast<std::uint32_t>(o.LabelFontHeight));
        PutI32(out, static_cast<std::uint32_t>(o.LabelRotation));
        PutI32(out, static_cast<std::uint32_t>(o.ObjSpare3));
        PutI32(out, static_cast<std::uint32_t>(o.ObjSpare4));
        PutF64(out, o.LabelX);
        PutF64(out, o.LabelY);
        att.Write(out);
        // One line a label: a line break inside a label would shift every
        // later label onto the wrong shape.
        std::string text = o.LabelText;
        std::replace(text.begin(), text.end(), '\r', ' ');
        std::replace(text.begin(), text.end(), '\n', ' ');
        labels += text;
        labels += "\r\n";
    }
    atx.Write(labels);
    return Result::Ok();
}

}  // namespace zemba
