#include "convert/shape_viewer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>

#include "core/file_io.h"

namespace zemba {

// Types 11..18 carry Z (and M), types 21..28 M only, as the format has it.
const char* const kShapeViewerTypeItems[16] = {"Points",  "Lines",   "Areas",  "MultiPnt", "PointsZ",  "LinesZ",
                                               "AreasZ",  "MPntZ",   "PointsM", "LinesM",  "AreasM",   "MPntM",
                                               "Fan MZ",  "Strip MZ", "OIPoly", "Rings"};

int ShapeFileTypeItem(std::int32_t type) {
    switch (type) {
        case 1: return 0;
        case 3: return 1;
        case 5: return 2;
        case 8: return 3;
        case 11: return 4;
        case 13: return 5;
        case 15: return 6;
        case 18: return 7;
        case 21: return 8;
        case 23: return 9;
        case 25: return 10;
        case 28: return 11;
        case 31: case 32: case 34: return 12;
        case 36: return 13;
        case 37: return 14;
        case 39: return 15;
        default: return -1;
    }
}

bool ShapeViewerDraws(std::int32_t type) { return type == 1 || type == 3 || type == 4 || type == 5; }

namespace {

// Types whose records the viewer reads; of these it draws only the plain
// points, lines and polygons.
bool ReadsType(std::int32_t type) {
    switch (type) {
        case 1: case 3: case 4: case 5: case 8: case 11: case 13: case 15:
        case 18: case 21: case 23: case 25: case 28: case 31:
            return true;
        default:
            return false;
    }
}

bool NotDrawnMessageType(std::int32_t type) { return ReadsType(type) && !ShapeViewerDraws(type); }

std::string Int(std::int64_t v) { return std::to_string(v); }

// A bounded cursor over one record's content (or the whole file).
struct Cursor {
    const unsigned char* p;
    std::size_t n;
    std::size_t at = 0;
    std::size_t left() const { return n - at; }
    bool I32LE(std::int32_t& v) {
        if (left() < 4) return false;
        v = LoadLEInt(p + at);
        at += 4;
        return true;
    }
    bool I32BE(std::int32_t& v) {
        if (left() < 4) return false;
        v = LoadBEInt(p + at);
        at += 4;
        return true;
    }
    bool F64(double& v) {
        if (left() < 8) return false;
        v = LoadLEDouble(p + at);
        at += 8;
        return true;
    }
};

class Viewer {
public:
    Viewer(ShapeViewReport& out, const ShapeDumpSink& dump, Progress& progress)
        : out_(out), dump_(dump), progress_(progress) {}

    void Run(const unsigned char* data, std::size_t size, bool indexFile) {
        out_.IndexFile = indexFile;
        out_.FileBytes = static_cast<std::int64_t>(size);
        out_.HasPicture = !indexFile;
        out_.Picture = DlgPicture();
        Cursor c{data, size};
        if (!Header(c)) return;
        if (indexFile)
            IndexRecords(c);
        else
            MainRecords(c);
        const std::int64_t promised = 2 * static_cast<std::int64_t>(out_.FileLengthWords);
        if (out_.Truncated) return;
        if (promised > out_.FileBytes)
            EndedAt(size, "before the length its header gives (" + Int(promised) + " bytes)");
        else if (promised != out_.FileBytes)
            out_.Notes.push_back("The header gives a file size of " + Int(promised) + " bytes; the file holds " +
                                 Int(out_.FileBytes) + " bytes.");
    }

private:
    void Text(const std::string& line) {
        if (dump_) dump_(line);
    }
    void Both(const std::string& line) {
        out_.Memo.push_back(line);
        Text(line);
    }
    void EndedAt(std::size_t at, const std::string& inside) {
        out_.Truncated = true;
        out_.Notes.push_back("The file ends at byte " + Int(static_cast<std::int64_t>(at)) + ", " + inside +
                             ".");
    }

    bool Header(Cursor& c) {
        std::int32_t v = 0;
        auto cut = [&] {
            EndedAt(c.n, "inside the file header");
            return false;
        };
        if (!c.I32BE(v)) return cut();
        out_.FileCode = v;
        Both("9994 file code: " + Int(v));
        for (int k = 0; k < 5; ++k) {
            if (!c.I32BE(v)) return cut();
            Both("zero: " + Int(v));
        }
        if (!c.I32BE(v)) return cut();
        out_.FileLengthWords = v;
        Both("File size: " + Int(v) + "  Bytes: " + Int(2 * static_cast<std::int64_t>(v)));
        if (!c.I32LE(v)) return cut();
        out_.Version = v;
        Both("Version 1000: " + Int(v));
        if (!c.I32LE(v)) return cut();
        out_.ShapeType = v;
        Both("Shapetype: " + Int(v));
        const char* names[] = {"XMIN: ", "YMIN: ", "XMAX: ", "YMAX: ", "ZMIN: ", "ZMAX: ", "MMIN: ", "MMAX: "};
        double box[8] = {};
        for (int k = 0; k < 8; ++k) {
            if (!c.F64(box[k])) return cut();
            Both(names[k] + ShapeViewReal(box[k]));
        }
        out_.HeaderRead = true;
        out_.WordsDone += 50;
        // The picture's placement is fixed by the header's box; a box
        // without extent still gets a usable scale.
        double t = std::max(std::fabs(box[2] - box[0]), std::fabs(box[3] - box[1])) / 312;
        if (!(t > 0) || !std::isfinite(t)) t = 1;
        scale_ = DlgPictureScale{box[0], box[1], t};
        return true;
    }

    void IndexRecords(Cursor& c) {
        while (c.left() > 0) {
            progress_.Pump();
            if (c.left() < 8) {
                EndedAt(c.n, "inside index record " + Int(out_.Records + 1));
                return;
            }
            std::int32_t offset = 0, length = 0;
            c.I32BE(offset);
            c.I32BE(length);
            ++out_.Records;
            out_.WordsDone += 4;
            Text("Offset: " + Int(offset) + " Content length: " + Int(length));
        }
    }

    void MainRecords(Cursor& c) {
        const std::int32_t fileType = out_.ShapeType;
        out_.NotDrawnType = NotDrawnMessageType(fileType);
        if (!ReadsType(fileType)) return;
        draw_ = ShapeViewerDraws(fileType);
        while (c.left() > 0) {
            progress_.Pump();
            const std::int64_t number = out_.Records + 1;
            if (c.left() < 8) {
                EndedAt(c.n, "inside the header of record " + Int(number));
                return;
            }
            std::int32_t recNo = 0, length = 0;
            c.I32BE(recNo);
            c.I32BE(length);
            ++out_.Records;
            out_.WordsDone += 4;
            Text("Record Number: " + Int(recNo));
            Text("Content length: " + Int(length));
            if (length < 0) {
                out_.Notes.push_back("Record " + Int(number) + " has a negative content length (" + Int(length) +
                                     "); reading stops there.");
                return;
            }
            const std::size_t want = 2 * static_cast<std::size_t>(static_cast<std::uint32_t>(length));
            const std::size_t have = std::min(want, c.left());
            Cursor rec{c.p + c.at, have};
            c.at += have;
            out_.WordsDone += static_cast<std::int64_t>(have / 2);
            const std::size_t notes = out_.Notes.size();
            Record(rec, number);
            if (have < want) {
                // What is missing is the file's end, not the record's fault.
                out_.Notes.resize(notes);
                EndedAt(c.n, "inside record " + Int(number) + " (content length " + Int(length) + " words, " +
                                 Int(static_cast<std::int64_t>(have / 2)) + " present)");
                return;
            }
        }
    }

    void Short(std::int64_t number) {
        out_.Notes.push_back("Record " + Int(number) + " ends before its fields do.");
    }

    void Record(Cursor& r, std::int64_t number) {
        std::int32_t type = 0;
        if (!r.I32LE(type)) {
            if (r.n > 0) Short(number);
            Rest(r);
            return;
        }
        Text("Shapetype: " + Int(type));
        bool ok = true;
        switch (type) {
            case 0: break;  // a null record holds nothing but its type
            case 1: case 11: case 21: ok = PointRecord(r, type); break;
            case 3: case 4: case 5: case 13: case 15: case 23: case 25: case 31: ok = PolyRecord(r, type, number); break;
            case 8: case 18: case 28: ok = MultiPointRecord(r, type, number); break;
            default:
                out_.Notes.push_back("Record " + Int(number) + " has the unknown shape type " + Int(type) + ".");
                return;
        }
        if (!ok) Short(number);
        Rest(r);
    }

    // Bytes of a record beyond what its type holds.
    void Rest(Cursor& r) {
        for (; r.at < r.n; ++r.at) Text("too big: " + Int(r.p[r.at]));
    }

    bool PointRecord(Cursor& r, std::int32_t type) {
        double x = 0, y = 0;
        if (!r.F64(x)) return false;
        Text("X Point: " + ShapeViewReal(x));
        if (!r.F64(y)) return false;
        Text("Y Point: " + ShapeViewReal(y));
        if (draw_ && type == 1) {
            const int px = scale_.PX(x), py = scale_.PY(y);
            DlgPicture& p = out_.Picture;
            p.Line(px - 2, py + 2, px + 2, py + 2, 0);
            p.Line(px + 2, py + 2, px + 2, py - 2, 0);
            p.Line(px + 2, py - 2, px - 2, py - 2, 0);
            p.Line(px - 2, py - 2, px - 2, py + 2, 0);
        }
        double v = 0;
        if (type == 11) {
            if (!r.F64(v)) return false;
            Text("Z Point: " + ShapeViewReal(v));
        }
        if ((type == 11 || type == 21) && r.left() >= 8) {
            r.F64(v);
            Text("M Point: " + ShapeViewReal(v));
        }
        return true;
    }

    bool Box(Cursor& r) {
        const char* names[] = {"XMIN: ", "YMIN: ", "XMAX: ", "YMAX: "};
        for (const char* n : names) {
            double v = 0;
            if (!r.F64(v)) return false;
            Text(n + ShapeViewReal(v));
        }
        return true;
    }

    // The Z or M range and one value per point; M is optional in files.
    bool Measures(Cursor& r, std::int32_t points, const char* letter, bool optional) {
        const std::size_t need = 16 + 8 * static_cast<std::size_t>(points);
        if (r.left() < need) return optional && r.left() == 0;
        double v = 0;
        r.F64(v);
        Text(std::string(letter) + "MIN: " + ShapeViewReal(v));
        r.F64(v);
        Text(std::string(letter) + "MAX: " + ShapeViewReal(v));
        for (std::int32_t i = 1; i <= points; ++i) {
            r.F64(v);
            Text(std::string(letter) + " Point " + Int(i) + ": " + ShapeViewReal(v));
        }
        return true;
    }

    bool ZAndM(Cursor& r, std::int32_t type, std::int32_t points) {
        const bool z = type == 13 || type == 15 || type == 18 || type == 31;
        const bool m = z || type == 23 || type == 25 || type == 28;
        if (z && !Measures(r, points, "Z", false)) return false;
        if (m && !Measures(r, points, "M", true)) return false;
        return true;
    }

    bool Points(Cursor& r, std::int32_t points, bool path) {
        bool first = true;
        int lx = 0, ly = 0;
        for (std::int32_t i = 1; i <= points; ++i) {
            double x = 0, y = 0;
            r.F64(x);
            r.F64(y);
            out_.Points += 2;
            if (i == 1) {
                Text("X Point: " + ShapeViewReal(x));
            } else {
                Text("X Point " + Int(i) + ":" + ShapeViewReal(x));
            }
            Text("Y Point: " + ShapeViewReal(y));
            if (!path) continue;
            const int px = scale_.PX(x), py = scale_.PY(y);
            if (!first) out_.Picture.Line(lx, ly, px, py, 0);
            first = false;
            lx = px, ly = py;
        }
        return true;
    }

    bool PolyRecord(Cursor& r, std::int32_t type, std::int64_t number) {
        if (!Box(r)) return false;
        std::int32_t parts = 0, points = 0;
        if (!r.I32LE(parts)) return false;
        Text("Numparts: " + Int(parts));
        if (!r.I32LE(points)) return false;
        Text("NumPoints: " + Int(points));
        // Counts are checked against what the content holds before anything
        // is read by them.
        const std::size_t perPart = type == 31 ? 8 : 4;
        if (parts < 0 || points < 0 ||
            static_cast<std::uint64_t>(parts) * perPart + static_cast<std::uint64_t>(points) * 16 > r.left()) {
            out_.Notes.push_back("Record " + Int(number) + " claims " + Int(parts) + " parts and " + Int(points) +
                                 " points, more than its content length holds.");
            r.at = r.n;  // nothing of it can be trusted
            return true;
        }
        for (std::int32_t p = 1; p <= parts; ++p) {
            std::int32_t start = 0;
            r.I32LE(start);
            ++out_.Parts;
            Text("Area " + Int(out_.Records) + " Part " + Int(out_.Parts) + ":" + Int(start));
        }
        if (type == 31) {
            for (std::int32_t p = 1; p <= parts; ++p) {
                std::int32_t kind = 0;
                r.I32LE(kind);
                Text("Part type " + Int(p) + ": " + Int(kind));
            }
        }
        Points(r, points, draw_ && ShapeViewerDraws(type));
        return ZAndM(r, type, points);
    }

    bool MultiPointRecord(Cursor& r, std::int32_t type, std::int64_t number) {
        if (!Box(r)) return false;
        std::int32_t points = 0;
        if (!r.I32LE(points)) return false;
        Text("NumPoints: " + Int(points));
        if (points < 0 || static_cast<std::uint64_t>(points) * 16 > r.left()) {
            out_.Notes.push_back("Record " + Int(number) + " claims " + Int(points) +
                                 " points, more than its content length holds.");
            r.at = r.n;
            return true;
        }
        Points(r, points, false);
        return ZAndM(r, type, points);
    }

    ShapeViewReport& out_;
    const ShapeDumpSink& dump_;
    Progress& progress_;
    DlgPictureScale scale_;
    bool draw_ = false;
};

bool ReadWhole(const std::string& path, std::vector<unsigned char>& bytes, std::string& why) {
    BlockReader r;
    Result o = r.Open(path);
    if (!o) {
        why = o.reason;
        return false;
    }
    bytes.resize(static_cast<std::size_t>(r.size()));
    if (!bytes.empty() && !r.Read(bytes.data(), bytes.size())) {
        why = r.error().empty() ? "read error" : r.error();
        return false;
    }
    return true;
}

// The companion of a.shp is a.shx (or a.SHX), and the other way round.
std::string Companion(const std::string& path, bool indexFile) {
    const std::string stem = path.substr(0, path.size() - 4);
    static const char* const mains[] = {".shp", ".SHP", ".Shp"};
    static const char* const indexes[] = {".shx", ".SHX", ".Shx"};
    for (const char* ext : indexFile ? mains : indexes)
        if (FileExists(stem + ext)) return stem + ext;
    return {};
}

}  // namespace

std::string ShapeViewReal(double v) {
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 12);
    std::string s = res.ec == std::errc() ? std::string(buf, res.ptr) : std::string("?");
    if (s.size() < 24) s.insert(0, 24 - s.size(), ' ');
    return s;
}

std::string ShapeViewDumpName(const std::string& dir, const std::string& fileName) {
    std::string name = fileName;
    if (name.size() >= 4) name[name.size() - 4] = '-';
    std::string d = dir;
    if (!d.empty() && d.back() != '/') d += '/';
    return d + name + ".txt";
}

void ViewShapeBytes(const unsigned char* data, std::size_t size, bool indexFile, ShapeViewReport& out,
                    const ShapeDumpSink& dump, Progress& progress) {
    out = ShapeViewReport();
    Viewer(out, dump, progress).Run(data, size, indexFile);
}

std::vector<std::string> CompareShapeIndex(const std::vector<unsigned char>& shp,
                                           const std::vector<unsigned char>& shx) {
    std::vector<std::string> diffs;
    if (shp.size() < 100 || shx.size() < 100) return diffs;  // the viewer reports short headers itself
    if (LoadLEInt(shp.data() + 32) != LoadLEInt(shx.data() + 32))
        diffs.push_back("The index gives shape type " + Int(LoadLEInt(shx.data() + 32)) + ", the main file " +
                        Int(LoadLEInt(shp.data() + 32)) + ".");
    std::size_t at = 100, ix = 100;
    std::int64_t record = 0, reported = 0;
    for (; at + 8 <= shp.size() && ix + 8 <= shx.size(); ix += 8) {
        ++record;
        const std::int64_t offset = LoadBEInt(shx.data() + ix), length = LoadBEInt(shx.data() + ix + 4);
        const std::int64_t realLength = LoadBEInt(shp.data() + at + 4);
        if ((offset * 2 != static_cast<std::int64_t>(at) || length != realLength) && reported < 3) {
            ++reported;
            diffs.push_back("Index record " + Int(record) + " gives offset " + Int(offset) + " and content length " +
                            Int(length) + "; the main file has that record at offset " +
                            Int(static_cast<std::int64_t>(at / 2)) + " with content length " + Int(realLength) + ".");
        }
        if (realLength < 0) break;
        at += 8 + 2 * static_cast<std::size_t>(realLength);
    }
    // Whatever is left on one side has no partner on the other.
    std::int64_t mainRecords = record, indexRecords = record;
    for (; at + 8 <= shp.size(); ++mainRecords) {
        const std::int64_t len = LoadBEInt(shp.data() + at + 4);
        if (len < 0) break;
        at += 8 + 2 * static_cast<std::size_t>(len);
    }
    indexRecords += static_cast<std::int64_t>((shx.size() - std::min(ix, shx.size())) / 8);
    if (mainRecords != indexRecords)
        diffs.push_back("The index lists " + Int(indexRecords) + " records, the main file holds " + Int(mainRecords) +
                        ".");
    return diffs;
}

Result ViewShapeFile(const std::string& path, const ShapeViewOptions& options, ShapeViewReport& out,
                     Prompter& prompter, Progress& progress) {
    out = ShapeViewReport();
    const std::string ext = path.size() >= 4 ? UpperCase(path.substr(path.size() - 4)) : std::string();
    if (ext != ".SHP" && ext != ".SHX") return Result::Fail("not a shapefile or index: " + path);
    const bool index = ext == ".SHX";
    std::vector<unsigned char> bytes;
    std::string why;
    if (!ReadWhole(path, bytes, why)) return Result::Fail("cannot read " + path + ": " + why);

    std::unique_ptr<AtomicFile> dumpFile;
    ShapeDumpSink sink;
    if (!options.DumpPath.empty()) {
        dumpFile = std::make_unique<AtomicFile>(options.DumpPath);
        Result o = dumpFile->Open();
        if (!o) return Result::Fail("cannot write " + options.DumpPath + ": " + o.reason);
        AtomicFile* f = dumpFile.get();
        sink = [f](const std::string& line) {
            f->Write(line);
            f->Write("\r\n", 2);
        };
    }
    // Message 13 comes after the header, as the reading reaches the records.
    ViewShapeBytes(bytes.data(), bytes.size(), index, out, sink, progress);
    if (out.NotDrawnType) prompter.Message(MsgFamily::Error, 13);
    if (options.CompareCompanion) {
        const std::string other = Companion(path, index);
        std::vector<unsigned char> otherBytes;
        if (!other.empty() && ReadWhole(other, otherBytes, why)) {
            std::vector<std::string> d =
                index ? CompareShapeIndex(otherBytes, bytes) : CompareShapeIndex(bytes, otherBytes);
            out.Notes.insert(out.Notes.end(), d.begin(), d.end());
        }
    }
    if (dumpFile) {
        Result c = dumpFile->Commit();
        if (!c) return Result::Fail("cannot write " + options.DumpPath + ": " + c.reason);
    }
    return Result::Ok();
}

}  // namespace zemba
