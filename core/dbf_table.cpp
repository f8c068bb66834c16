#include "core/dbf_table.h"

#include <clocale>
#include <cmath>
#include <cstring>
#include <ctime>
#include <locale.h>
#include <map>
#include <utility>
#include <sstream>
#include <vector>

#include "core/attributes.h"

namespace zemba {

// ---------------------------------------------------------------------------
// The table library reads and writes through file hooks. These serve named
// strings in memory: a read is one read of the file, and a written table
// lands in a string that the save commits with the other files of the layer.

namespace {

struct MemFs {
    std::map<std::string, std::string*> files;
    std::map<std::string, bool> writable;
};

thread_local MemFs* g_fs = nullptr;

struct MemFile {
    std::string* data;
    SAOffset pos;
    bool writable;
};

SAFile MemOpen(const char* name, const char* access) {
    if (!g_fs) return nullptr;
    auto it = g_fs->files.find(name);
    if (it == g_fs->files.end()) return nullptr;
    const bool wants = std::strchr(access, 'w') || std::strchr(access, '+') || std::strchr(access, 'a');
    if (wants && !g_fs->writable[name]) return nullptr;
    if (std::strchr(access, 'w')) it->second->clear();
    return reinterpret_cast<SAFile>(new MemFile{it->second, 0, wants});
}
SAOffset MemRead(void* p, SAOffset size, SAOffset nmemb, SAFile file) {
    auto* f = reinterpret_cast<MemFile*>(file);
    if (size == 0) return 0;
    SAOffset avail = f->pos < f->data->size() ? f->data->size() - f->pos : 0;
    SAOffset items = std::min<SAOffset>(nmemb, avail / size);
    if (items == 0 || !p) return 0;
    std::memcpy(p, f->data->data() + f->pos, items * size);
    f->pos += items * size;
    return items;
}
SAOffset MemWrite(void* p, SAOffset size, SAOffset nmemb, SAFile file) {
    auto* f = reinterpret_cast<MemFile*>(file);
    if (!f->writable || size == 0) return 0;
    const SAOffset n = size * nmemb;
    if (n == 0 || !p) return nmemb;  // the library writes empty field lists
    if (f->pos + n > f->data->size()) f->data->resize(f->pos + n);
    std::memcpy(f->data->data() + f->pos, p, n);
    f->pos += n;
    return nmemb;
}
SAOffset MemSeek(SAFile file, SAOffset offset, int whence) {
    auto* f = reinterpret_cast<MemFile*>(file);
    SAOffset base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f->pos : f->data->size();
    f->pos = base + offset;
    return 0;
}
SAOffset MemTell(SAFile file) { return reinterpret_cast<MemFile*>(file)->pos; }
int MemFlush(SAFile) { return 0; }
int MemClose(SAFile file) {
    delete reinterpret_cast<MemFile*>(file);
    return 0;
}
int MemRemove(const char*) { return 0; }
void MemError(const char*) {}

SAHooks MemHooks() {
    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.FOpen = MemOpen;
    hooks.FRead = MemRead;
    hooks.FWrite = MemWrite;
    hooks.FSeek = MemSeek;
    hooks.FTell = MemTell;
    hooks.FFlush = MemFlush;
    hooks.FClose = MemClose;
    hooks.Remove = MemRemove;
    hooks.Error = MemError;
    return hooks;
}

// Makes `fs` the hooks' file system for the life of the scope.
struct FsScope {
    explicit FsScope(MemFs& fs) : previous(g_fs) { g_fs = &fs; }
    ~FsScope() { g_fs = previous; }
    MemFs* previous;
};

// The table library formats numbers with printf: keep them in the C form
// whatever the user's locale, for this thread only.
struct CNumeric {
    CNumeric() {
        base = duplocale(LC_GLOBAL_LOCALE);
        if (base) c = newlocale(LC_NUMERIC_MASK, "C", base);
        if (c) old = uselocale(c);
        else if (base) freelocale(base);
    }
    ~CNumeric() {
        if (c) {
            uselocale(old);
            freelocale(c);
        }
    }
    locale_t base = nullptr, c = nullptr, old = nullptr;
};

char Kind(char native) { return native == 'F' ? 'N' : native; }

bool ParseNumber(std::string t, double& v) {
    std::size_t b = t.find_first_not_of(' '), e = t.find_last_not_of(' ');
    if (b == std::string::npos) return false;
    t = t.substr(b, e - b + 1);
    if (t.find('.') == std::string::npos) {
        auto comma = t.find(',');
        if (comma != std::string::npos) t[comma] = '.';
    }
    std::istringstream in(t);
    in.imbue(std::locale::classic());
    in >> v;
    return in && in.peek() == std::char_traits<char>::eof() && std::isfinite(v);
}

// False when a number does not fit its column (the library would keep a
// cut-off figure).
bool WriteCell(DBFHandle h, int r, int f, const std::string* text) {
    if (!text) {
        DBFWriteNULLAttribute(h, r, f);
        return true;
    }
    const char type = DBFGetNativeFieldType(h, f);
    int width = 0, decimals = 0;
    DBFGetFieldInfo(h, f, nullptr, &width, &decimals);
    switch (type) {
        case 'C':
            // A text longer than its column is cut, as every dBase writer does.
            DBFWriteStringAttribute(h, r, f, text->c_str());
            return true;
        case 'N':
        case 'F': {
            double v;
            if (!ParseNumber(*text, v)) {
                DBFWriteNULLAttribute(h, r, f);
                return true;
            }
            if (decimals == 0 && v == std::floor(v) && std::fabs(v) < 2147483647.0)
                return DBFWriteIntegerAttribute(h, r, f, static_cast<int>(v)) != 0;
            return DBFWriteDoubleAttribute(h, r, f, v) != 0;
        }
        case 'L': {
            const std::string& t = *text;
            char c = t.empty() ? '?' : t[0];
            if (c == 'T' || c == 't' || c == 'Y' || c == 'y')
                DBFWriteLogicalAttribute(h, r, f, 'T');
            else if (c == 'F' || c == 'f' || c == 'N' || c == 'n')
                DBFWriteLogicalAttribute(h, r, f, 'F');
            else
                DBFWriteNULLAttribute(h, r, f);
            return true;
        }
        case 'D': {
            std::string d = DbaseDate(*text);
            if (d.empty())
                DBFWriteNULLAttribute(h, r, f);
            else
                DBFWriteAttributeDirectly(h, r, f, d.data());
            return true;
        }
        default: {
            // A type this program keeps no values of: the text as it stands.
            std::string raw = *text;
            raw.resize(static_cast<std::size_t>(std::max(width, 0)), ' ');
            DBFWriteAttributeDirectly(h, r, f, raw.data());
            return true;
        }
    }
}

}  // namespace

DBFHandle OpenMemoryTable(const std::string& bytes) {
    // The library also looks for a .cpg beside the table: there is none
    // here, and the layer reads its own.
    MemFs fs;
    std::string* data = const_cast<std::string*>(&bytes);
    fs.files["table.dbf"] = data;
    fs.writable["table.dbf"] = false;
    FsScope scope(fs);
    SAHooks hooks = MemHooks();
    return DBFOpenLL("table.dbf", "rb", &hooks);
}

NativeField NativeFieldFor(const FieldDefRec& f) {
    const bool sized = f.Size > 0;
    auto clampW = [](int w) { return std::min(std::max(w, 1), 254); };
    switch (f.DataType) {
        case ftString: return {'C', sized ? clampW(f.Size) : 25, 0};
        case ftSmallint: return {'N', sized ? clampW(f.Size) : 6, 0};
        case ftInteger:
        case ftWord: return {'N', sized ? clampW(f.Size) : 9, 0};
        case ftLargeint: return {'N', sized ? clampW(f.Size) : 18, 0};
        case ftFloat:
        case ftCurrency: {
            int w = sized ? clampW(f.Size) : (f.DataType == ftFloat ? 24 : 20);
            int d = sized ? f.Precision : (f.DataType == ftFloat ? 15 : 4);
            d = std::min(std::max(d, 0), std::max(w - 2, 0));
            return {'N', w, d};
        }
        case ftBoolean: return {'L', 1, 0};
        case ftDate:
        case ftDateTime: return {'D', 8, 0};
        default: return {'C', sized ? clampW(f.Size) : 25, 0};
    }
}

std::string TodayText() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return ShortDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

std::string DbaseDate(const std::string& text) {
    auto digits = [](const std::string& s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
    };
    int y = 0, m = 0, d = 0;
    std::string t = text;
    while (!t.empty() && t.back() == ' ') t.pop_back();
    while (!t.empty() && t.front() == ' ') t.erase(t.begin());
    if (t.size() == 8 && digits(t)) {
        y = std::stoi(t.substr(0, 4));
        m = std::stoi(t.substr(4, 2));
        d = std::stoi(t.substr(6, 2));
    } else if (t.size() == 10 && t[4] == '-' && t[7] == '-' && digits(t.substr(0, 4)) &&
               digits(t.substr(5, 2)) && digits(t.substr(8, 2))) {
        y = std::stoi(t.substr(0, 4));
        m = std::stoi(t.substr(5, 2));
        d = std::stoi(t.substr(8, 2));
    } else {
        // The short date the loader wrote, in this locale's form or the
        // plain month/day/year one.
        for (const char* form : {"%x", "%m/%d/%Y", "%d.%m.%Y"}) {
            std::tm tm{};
            const char* end = strptime(t.c_str(), form, &tm);
            if (end && *end == '\0') {
                y = tm.tm_year + 1900;
                m = tm.tm_mon + 1;
                d = tm.tm_mday;
                break;
            }
        }
    }
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return {};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

Result BuildDbf(const ShpLayer& L, const std::string& source, std::string& out, Progress& progress) {
    CNumeric cNumeric;
    out.clear();
    // Served read-only: the hooks refuse to open it for writing.
    std::string& src = const_cast<std::string&>(source);
    MemFs fs;
    fs.files["src.dbf"] = &src;
    fs.writable["src.dbf"] = false;
    fs.files["out.dbf"] = &out;
    fs.writable["out.dbf"] = true;
    FsScope scope(fs);
    SAHooks hooks = MemHooks();

    DBFHandle in = src.empty() ? nullptr : DBFOpenLL("src.dbf", "rb", &hooks);
    int srcFields = 0;
    std::int64_t srcRows = 0;
    bool clone = false;
    std::vector<FieldDefRec> srcDefs;
    std::vector<int> srcOffsets, srcWidths;
    bool srcEof = true;
    if (in) {
        srcFields = DBFGetFieldCount(in);
        clone = srcFields >= 0 && srcFields <= L.NumFields;
        const int recordLength = in->nRecordLength;
        for (int f = 0; clone && f < srcFields; ++f) {
            char name[XBASE_FLDNAME_LEN_READ + 1] = {0};
            int width = 0, decimals = 0;
            DBFGetFieldInfo(in, f, name, &width, &decimals);
            const char native = DBFGetNativeFieldType(in, f);
            const FieldDefRec& mine = L.Fields[f];
            const NativeField nf = NativeFieldFor(mine);
            const bool sameKind = mine.DataType == ftUnknown || Kind(nf.type) == Kind(native);
            const int offset = in->panFieldOffset[f];
            if (mine.Name != name || !sameKind || nf.width != width || (Kind(native) == 'N' && nf.decimals != decimals) ||
                offset < 1 || width < 0 || offset + width > recordLength) {
                clone = false;
                break;
            }
            // The text the loader made of a cell, to tell an edited one.
            srcDefs.push_back(mine);
            srcOffsets.push_back(offset);
            srcWidths.push_back(width);
        }
        if (clone) {
            const std::int64_t whole = recordLength > 0
                ? (static_cast<std::int64_t>(src.size()) - in->nHeaderLength) / recordLength
                : 0;
            srcRows = std::max<std::int64_t>(0, std::min<std::int64_t>(DBFGetRecordCount(in), whole));
            const std::int64_t end = in->nHeaderLength + srcRows * recordLength;
            srcEof = end < static_cast<std::int64_t>(src.size()) && src[end] == 0x1A;
        }
    }

    // The library's own clone reopens its copy by name outside the hooks, so
    // the source's fields are made anew here, in its language and order.
    std::string language = "LDID/87";  // ANSI, as the library's own tables say
    if (clone) {
        const int ldid = static_cast<unsigned char>(src[29]);
        language = "LDID/" + std::to_string(ldid);
    } else {
        srcFields = 0;
    }
    DBFHandle h = DBFCreateLL("out.dbf", !clone && !L.CodePage.empty() ? nullptr : language.c_str(), &hooks);
    if (!h) {
        if (in) DBFClose(in);
        return Result::Fail("the attribute table could not be made");
    }
    for (int f = 0; f < srcFields; ++f) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {0};
        int width = 0, decimals = 0;
        DBFGetFieldInfo(in, f, name, &width, &decimals);
        if (DBFAddNativeFieldType(h, name, DBFGetNativeFieldType(in, f), width, decimals) < 0) {
            DBFClose(h);
            DBFClose(in);
            return Result::Fail(std::string("the field ") + name + " cannot be copied to the table");
        }
    }
    DBFSetWriteEndOfFileChar(h, srcEof ? 1 : 0);
    {
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        DBFSetLastModifiedDate(h, tm.tm_year, tm.tm_mon + 1, tm.tm_mday);
    }
    for (int f = srcFields; f < L.NumFields && f < static_cast<int>(L.Fields.size()); ++f) {
        const NativeField nf = NativeFieldFor(L.Fields[f]);
        std::string name = L.Fields[f].Name.substr(0, XBASE_FLDNAME_LEN_WRITE);
        if (DBFAddNativeFieldType(h, name.c_str(), nf.type, nf.width, nf.decimals) < 0) {
            DBFClose(h);
            if (in) DBFClose(in);
            return Result::Fail("the field " + L.Fields[f].Name + " cannot be added to the table");
        }
    }
    // A table needs a field to hold rows; other programs number them in one
    // called FID.
    const bool numbered = DBFGetFieldCount(h) == 0;
    if (numbered && DBFAddNativeFieldType(h, "FID", 'N', 10, 0) < 0) {
        DBFClose(h);
        if (in) DBFClose(in);
        return Result::Fail("the attribute table could not be made");
    }
    const int outFields = DBFGetFieldCount(h);
    const int outLength = h->nRecordLength;

    std::vector<char> tuple;
    std::pair<int, int> tooWide{0, 0};  // (shape, field) of a number that does not fit
    for (std::int32_t k = 1; k <= L.NumRecords; ++k) {
        if ((k & 1023) == 0) progress.Pump();
        const int r = k - 1;
        const std::vector<std::string>& values =
            static_cast<std::size_t>(k) < L.Shapes.size() ? L.Shapes[k].Values : std::vector<std::string>{};
        auto value = [&](int f) -> const std::string* {
            return static_cast<std::size_t>(f) < values.size() ? &values[f] : nullptr;
        };
        int firstNew = 0;
        bool copied = false;
        if (clone && r < srcRows) {
            const char* raw = DBFReadTuple(in, r);
            if (raw) {
                // Added fields lie past the source's record: blank until written.
                tuple.assign(raw, raw + std::min(in->nRecordLength, outLength));
                tuple.resize(static_cast<std::size_t>(outLength), ' ');
                DBFWriteTuple(h, r, tuple.data());
                copied = true;
                for (int f = 0; f < srcFields; ++f) {
                    const std::string* v = value(f);
                    if (!v) continue;  // no value held: the row's own stays
                    if (*v != FieldValueText(srcDefs[f], tuple.data() + srcOffsets[f], srcWidths[f]) &&
                        !WriteCell(h, r, f, v))
                        tooWide = {k, f};
                }
                firstNew = srcFields;
            }
        }
        if (numbered) {
            DBFWriteIntegerAttribute(h, r, 0, k);
            firstNew = outFields;
        }
        for (int f = firstNew; f < outFields; ++f)
            if (!WriteCell(h, r, f, value(f))) tooWide = {k, f};
        if (tooWide.first) {
            char name[XBASE_FLDNAME_LEN_READ + 1] = {0};
            int width = 0;
            DBFGetFieldInfo(h, tooWide.second, name, &width, nullptr);
            const std::string* v = value(tooWide.second);
            DBFClose(h);
            if (in) DBFClose(in);
            out.clear();
            return Result::Fail("shape " + std::to_string(k) + ": the value " + (v ? *v : std::string()) +
                                " of " + name + " does not fit its column of " + std::to_string(width) +
                                " characters");
        }
        const bool deleted = L.IsNullShape(k);
        if (deleted || (copied && tuple[0] == '*')) DBFMarkRecordDeleted(h, r, deleted ? 1 : 0);
    }
    DBFClose(h);
    if (in) DBFClose(in);
    if (out.empty()) return Result::Fail("the attribute table could not be written");
    return Result::Ok();
}

}  // namespace zemba
