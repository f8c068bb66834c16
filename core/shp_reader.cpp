#include "core/shp_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/attributes.h"
#include "core/file_io.h"
#include "core/vertex_arena.h"

namespace zemba {

namespace {

constexpr int kLabelEvery = 256;  // records between progress label updates

struct RecordContext {
    BlockReader& in;
    std::int32_t recNo;
    std::uint64_t left;  // content bytes of the record not yet consumed
    std::string reason;

    bool Take(void* dst, std::size_t n) {
        if (n > left) return false;
        if (!in.Read(dst, n)) {
            reason = in.error().empty() ? "the file ends inside record " + std::to_string(recNo)
                                        : "read error in record " + std::to_string(recNo) + ": " +
                                              in.error();
            return false;
        }
        left -= n;
        return true;
    }
    bool SkipRest() {
        if (left == 0) return true;
        if (!in.Skip(left)) {
            reason = "the file ends inside record " + std::to_string(recNo);
            return false;
        }
        left = 0;
        return true;
    }
};

std::string Counts(std::int32_t rec, const char* what) {
    return "record " + std::to_string(rec) + " has " + what + " that do not fit in the record";
}

// Point records: X, Y, and for Z and M types the values that follow.
bool ReadPoint(RecordContext& rc, std::int32_t type, ShpObj& s, ShpObj3* s3) {
    unsigned char b[32];
    if (rc.left < 16) return true;  // too short to hold a point: left empty
    if (!rc.Take(b, 16)) return false;
    double x = LoadLEDouble(b), y = LoadLEDouble(b + 8);
    s.XMin = s.XMax = x;
    s.YMin = s.YMax = y;
    if (s3) {
        s3->XMin = s3->XMax = x;
        s3->YMin = s3->YMax = y;
        if (type == 11 && rc.left >= 8) {
            if (!rc.Take(b, 8)) return false;
            s3->ZMin = s3->ZMax = LoadLEDouble(b);
        }
        if (rc.left >= 8) {
            if (!rc.Take(b, 8)) return false;
            s3->MMin = s3->MMax = LoadLEDouble(b);
        } else if (type == 11) {
            s3->MMin = s3->MMax = kNoMeasure;
        }
    }
    return true;
}

// Reads `count` doubles (a Z or M section's values) into component `comp`
// (2 = Z, 3 = M) of the kept vertices.
bool ReadMeasures(RecordContext& rc, std::int32_t count, ShpObj3& s3, int comp, double* lo,
                  double* hi) {
    unsigned char range[16];
    if (!rc.Take(range, 16)) return false;
    *lo = LoadLEDouble(range);
    *hi = LoadLEDouble(range + 8);
    std::vector<double> vals(static_cast<std::size_t>(count));
    if (count > 0 && !rc.Take(vals.data(), vals.size() * 8)) return false;
    std::size_t v = 0;
    for (std::size_t k = 1; k < s3.Parts.size(); ++k) {
        auto& pts = s3.Parts[k].Pts;
        for (std::size_t j = 1; j < pts.size() && v < vals.size(); ++j, ++v) {
            double d;
            std::memcpy(&d, &vals[v], 8);  // file doubles are little-endian, as is this machine
            (comp == 2 ? pts[j].Z : pts[j].M) = d;
        }
    }
    return true;
}

void CopyToShape3(const ShpObj& s, ShpObj3& s3) {
    s3.NumPoints = s.NumPoints;
    s3.NumParts = s.NumParts;
    s3.PartSizes = s.PartSizes;
    s3.XMin = s.XMin;
    s3.YMin = s.YMin;
    s3.XMax = s.XMax;
    s3.YMax = s.YMax;
    s3.Parts.resize(s.Parts.size());
    for (std::size_t k = 1; k < s.Parts.size(); ++k) {
        const auto& src = s.Parts[k].Pts;
        auto& dst = s3.Parts[k].Pts;
        dst.resize(src.size());
        for (std::size_t j = 1; j < src.size(); ++j) dst[j] = {src[j].X, src[j].Y, 0.0, 0.0};
    }
}

// Multipart (PolyLine, Polygon and their Z and M forms) and multipoint records.
bool ReadMultiPart(RecordContext& rc, std::int32_t type, ShpObj& s, ShpObj3* s3, Prompter& prompter,
                   bool* stop) {
    const bool multiPoint = IsMultiPointType(type);
    unsigned char head[40];
    const std::size_t headSize = multiPoint ? 36 : 40;
    if (rc.left < headSize) {
        // Too short for even its counts: an empty shape.
        return true;
    }
    if (!rc.Take(head, headSize)) return false;
    s.XMin = LoadLEDouble(head);
    s.YMin = LoadLEDouble(head + 8);
    s.XMax = LoadLEDouble(head + 16);
    s.YMax = LoadLEDouble(head + 24);
    std::int64_t numParts = multiPoint ? 1 : LoadLEInt(head + 32);
    std::int64_t numPoints = LoadLEInt(head + (multiPoint ? 32 : 36));
    const std::uint64_t startBytes = multiPoint ? 0 : 4 * static_cast<std::uint64_t>(numParts);
    if (numParts < 0 || numPoints < 0 ||
        startBytes + 16 * static_cast<std::uint64_t>(numPoints) > rc.left) {
        rc.reason = Counts(rc.recNo, "part or point counts");
        return false;
    }

    if (multiPoint) {
        s.NumParts = 1;
        s.NumPoints = static_cast<std::int32_t>(numPoints);
        s.Parts.resize(2);
        s.Parts[1].Pts.resize(static_cast<std::size_t>(numPoints) + 1);
        if (numPoints > 0 && !rc.Take(&s.Parts[1].Pts[1], 16 * static_cast<std::size_t>(numPoints)))
            return false;
    } else {
        // Reused between records: one allocation for the whole file.
        static thread_local std::vector<std::int32_t> starts;
        starts.resize(static_cast<std::size_t>(numParts));
        if (numParts > 0 && !rc.Take(starts.data(), startBytes)) return false;
        s.NumPoints = static_cast<std::int32_t>(numPoints);
        s.NumParts = static_cast<std::int32_t>(numParts);
        if (numParts == 0 && numPoints > 0) {
            Answer a = prompter.AskYesNoText("Count Wrong ICOIN= 0 <>NumPoints: " +
                                             std::to_string(numPoints) + " Exit now?");
            if (a == Answer::Yes) {
                *stop = true;
                return false;
            }
            // Keep the points, all in one part, so nothing is lost and the
            // next record is read from the right place.
            s.NumParts = 1;
            numParts = 1;
            starts.assign(1, 0);
        }
        s.PartSizes.resize(static_cast<std::size_t>(numParts) + 1);
        s.Parts.resize(static_cast<std::size_t>(numParts) + 1);
        // A start outside the points, or going backwards, leaves no sound
        // way to cut the points into parts: the record is unsound.
        std::int64_t prev = 0;
        for (std::int64_t k = 1; k < numParts; ++k) {
            std::int64_t st = LoadLEInt(reinterpret_cast<unsigned char*>(&starts[k]));
            if (st < prev || st > numPoints) {
                rc.reason = "record " + std::to_string(rc.recNo) + " has part starts outside its points";
                return false;
            }
            s.PartSizes[k] = static_cast<std::int32_t>(st - prev);
            prev = st;
        }
        if (numParts > 0) s.PartSizes[numParts] = static_cast<std::int32_t>(numPoints - prev);
        for (std::int64_t k = 1; k <= numParts; ++k) {
            auto& pts = s.Parts[k].Pts;
            pts.resize(static_cast<std::size_t>(s.PartSizes[k]) + 1);
            if (s.PartSizes[k] > 0 && !rc.Take(&pts[1], 16 * static_cast<std::size_t>(s.PartSizes[k])))
                return false;
        }
    }

    if (s3) {
        CopyToShape3(s, *s3);
        const std::uint64_t section = 16 + 8 * static_cast<std::uint64_t>(numPoints);
        if (HasZ(type) && rc.left >= section) {
            if (!ReadMeasures(rc, s.NumPoints, *s3, 2, &s3->ZMin, &s3->ZMax)) return false;
        }
        // The M section is optional in Z records; read it only when present.
        if (rc.left >= section) {
            if (!ReadMeasures(rc, s.NumPoints, *s3, 3, &s3->MMin, &s3->MMax)) return false;
        } else if (HasZ(type)) {
            // No measures: keep "no data", so a rewrite stays Z only.
            s3->MMin = s3->MMax = kNoMeasure;
            for (std::size_t k = 1; k < s3->Parts.size(); ++k)
                for (std::size_t j = 1; j < s3->Parts[k].Pts.size(); ++j) s3->Parts[k].Pts[j].M = kNoMeasure;
        }
    }
    return true;
}

// The header's box is what the view fits to: when it is not finite, or
// does not hold the shapes, the shapes' own boxes give the extent.
void FixLayerExtent(LayerStore& store, std::int32_t i, Prompter& prompter) {
    ShpLayer& L = store.ShapeLayers[i];
    double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
    for (std::size_t k = 1; k < L.Shapes.size(); ++k) {
        if (L.IsNullShape(static_cast<std::int32_t>(k))) continue;
        const ShpObj& s = L.Shapes[k];
        if (!std::isfinite(s.XMin) || !std::isfinite(s.YMin) || !std::isfinite(s.XMax) || !std::isfinite(s.YMax))
            continue;
        x0 = std::min(x0, s.XMin);
        y0 = std::min(y0, s.YMin);
        x1 = std::max(x1, s.XMax);
        y1 = std::max(y1, s.YMax);
    }
    const bool finite = std::isfinite(L.XMin) && std::isfinite(L.YMin) && std::isfinite(L.XMax) && std::isfinite(L.YMax);
    const bool haveShapes = x0 <= x1 && y0 <= y1;
    // Boxes written in single precision are a little off: not a fault.
    const double tol = 1e-7 * (std::fabs(x0) + std::fabs(x1) + std::fabs(y0) + std::fabs(y1) + 1);
    if (finite && (!haveShapes || (L.XMin <= x0 + tol && L.YMin <= y0 + tol && L.XMax >= x1 - tol &&
                                   L.YMax >= y1 - tol)))
        return;
    if (haveShapes) {
        L.XMin = x0, L.YMin = y0, L.XMax = x1, L.YMax = y1;
    } else {
        L.XMin = L.YMin = L.XMax = L.YMax = 0;
    }
    store.ApplyLayerExtents(i);
    prompter.ShowWarningText("The extent in the header of " + L.ShpName +
                             (finite ? " does not hold its shapes" : " is not a number") +
                             ": the shapes' own extent is used");
}

// The file is read in a helper so that every early return closes it.
Result ReadBody(LayerStore& store, BlockReader& in, Prompter& prompter, Progress& progress) {
    const std::int32_t i = store.CurrentLayer;
    ShpLayer& L = store.ShapeLayers[i];
    L.Modified = 0;

    unsigned char h[100];
    if (in.size() < 100 || !in.Read(h, 100))
        return Result::Fail("the file is shorter than a shapefile header (100 bytes)");
    std::int32_t version = LoadLEInt(h + 28);
    if (version != 1000)
        return Result::Fail("not a shapefile: version " + std::to_string(version) + ", expected 1000");

    L.LayerIndex = i;
    L.ShapeType = LoadLEInt(h + 32);
    L.ShpName = FileNamePart(store.LayerFileName);
    L.ShpPath = DirectoryPart(store.LayerFileName);
    L.XMin = LoadLEDouble(h + 36);
    L.YMin = LoadLEDouble(h + 44);
    L.XMax = LoadLEDouble(h + 52);
    L.YMax = LoadLEDouble(h + 60);
    L.ZMin = LoadLEDouble(h + 68);
    L.ZMax = LoadLEDouble(h + 76);
    L.MMin = LoadLEDouble(h + 84);
    L.MMax = LoadLEDouble(h + 92);
    store.ApplyLayerExtents(i);

    const std::int32_t type = L.ShapeType;
    if (type == 31) {
        progress.SetMessage("Error loading Shape Fan or Strip");
        return Result::Fail("MultiPatch shapefiles cannot be read");
    }
    const bool point = type == 1 || type == 11 || type == 21;
    if (!point && !IsMultiPointType(type) && !IsMultiPartType(type))
        return Result::Fail("unknown shape type " + std::to_string(type));

    const bool keep3 = HasM(type);  // Z types carry M too
    L.Shapes.assign(1, ShpObj{});
    L.Shapes3.clear();
    if (keep3) L.Shapes3.assign(1, ShpObj3{});
    // The index beside the file tells how many records to expect; it is only
    // a capacity hint, the records themselves are read from the main file.
    {
        BlockReader shx;
        const std::string idx = CompanionFile(store.LayerFileName, ".shx");
        if (shx.Open(idx) && shx.size() > 100) {
            std::uint64_t hint = (shx.size() - 100) / 8;
            // A record takes at least 12 bytes of the main file.
            hint = std::min<std::uint64_t>(hint, in.size() / 12);
            L.Shapes.reserve(hint + 1);
            if (keep3) L.Shapes3.reserve(hint + 1);
            // The shape styles get their room now too, so that it can be
            // faulted in while the file is read.
            if (static_cast<std::int32_t>(store.SymLayers.size()) <= i) store.SymLayers.resize(i + 1);
            store.SymLayers[i].SymObjs.reserve(hint + 1);
        }
    }
    // Vertex arrays of big line and polygon files come from one bulk arena;
    // the file's size bounds what they need.
    std::vector<VertexArena::Region> room{{L.Shapes.data(), L.Shapes.capacity() * sizeof(ShpObj)}};
    if (static_cast<std::int32_t>(store.SymLayers.size()) > i) {
        auto& objs = store.SymLayers[i].SymObjs;
        room.push_back({objs.data(), objs.capacity() * sizeof(SymObj)});
    }
    VertexArena arena(point ? 0 : in.size(), std::move(room));
    L.NullShape.clear();

    progress.SetRange(0, 100);
    std::int64_t n = 0, lastRec = 0, totalPoints = 0, extraParts = 0;
    const std::uint64_t size = in.size();
    // Records that cannot be sound are read as empty shapes, keeping their
    // number and table row; the user hears of them once, at the end.
    std::vector<std::int64_t> unsound;
    std::string cut;
    auto markNull = [&] {
        if (L.NullShape.empty()) L.NullShape.resize(L.Shapes.size() - 1, 0);
        L.NullShape.push_back(1);
    };
    while (in.remaining() > 0) {
        unsigned char rh[8];
        if (in.remaining() < 8) {
            cut = "the file ends inside the header of record " + std::to_string(n + 1);
            break;
        }
        if (!in.Read(rh, 8))
            return Result::Fail("read error in the header of record " + std::to_string(n + 1) + ": " + in.error());
        std::int32_t recNo = LoadBEInt(rh);
        std::int32_t words = LoadBEInt(rh + 4);
        // Checked here, before anything is kept for the record: a tail of
        // zeros would otherwise cost a shape per 8 bytes.
        if (recNo != n + 1)
            return Result::Fail("the records are not numbered 1, 2, 3 ...: record " + std::to_string(n + 1) +
                                " is numbered " + std::to_string(recNo));
        if ((n & (kLabelEvery - 1)) == 0) {
            progress.SetMessage(std::to_string(recNo));
            progress.SetPosition(static_cast<long long>(in.position() * 100 / (size ? size : 1)));
        }
        progress.Pump();

        ++n;
        lastRec = recNo;
        L.Shapes.emplace_back();
        if (keep3) L.Shapes3.emplace_back();
        ShpObj& s = L.Shapes.back();
        ShpObj3* s3 = keep3 ? &L.Shapes3.back() : nullptr;

        if (words < 0 || 2 * static_cast<std::uint64_t>(words) > in.remaining()) {
            // Where the next record starts is lost: this one is the last.
            markNull();
            unsound.push_back(recNo);
            cut = "record " + std::to_string(recNo) + " runs past the end of the file";
            break;
        }

        RecordContext rc{in, recNo, 2 * static_cast<std::uint64_t>(words), {}};
        unsigned char tb[4];
        std::int32_t recType = 0;
        if (rc.left >= 4) {
            if (!rc.Take(tb, 4)) return Result::Fail(rc.reason);
            recType = LoadLEInt(tb);
        }
        bool ok = true, stop = false;
        const std::uint64_t minSize = point ? 16 : IsMultiPointType(type) ? 36 : 40;
        const bool isNull = recType != type || rc.left < minSize;
        if (isNull) {
            // Null shapes, and records of another type, are kept as empty
            // shapes of the layer: numbered, with an attribute row.
            if (L.NullShape.empty()) L.NullShape.resize(L.Shapes.size() - 1, 0);
        } else if (point) {
            ok = ReadPoint(rc, type, s, s3);
        } else {
            ok = ReadMultiPart(rc, type, s, s3, prompter, &stop);
        }
        if (!ok) {
            if (stop) return Result::Fail("the part counts of record " + std::to_string(recNo) +
                                          " are wrong");
            if (!in.error().empty()) return Result::Fail(rc.reason);
            s = ShpObj{};
            if (s3) *s3 = ShpObj3{};
            markNull();
            unsound.push_back(recNo);
        } else if (!L.NullShape.empty()) {
            L.NullShape.push_back(isNull ? 1 : 0);
        }
        if (!rc.SkipRest()) return Result::Fail(rc.reason);

        totalPoints += point ? ((isNull || !ok) ? 0 : 1) : s.NumPoints;
        if (IsMultiPartType(type) && s.NumParts > 1) extraParts += s.NumParts - 1;
        if (totalPoints > INT32_MAX || n >= INT32_MAX)
            return Result::Fail("the layer holds more than 2147483647 points or records");
    }

    L.NumRecords = static_cast<std::int32_t>(lastRec);
    L.NumPoints = static_cast<std::int32_t>(totalPoints);
    L.NumExtraParts = static_cast<std::int32_t>(extraParts);
    L.DamagedRecords = static_cast<std::int32_t>(unsound.size()) + (cut.empty() ? 0 : 1);
    if (!unsound.empty() || !cut.empty()) {
        std::string text = "The layer " + L.ShpName + " is damaged";
        if (!unsound.empty()) {
            text += "; these records could not be read and are empty shapes:";
            for (std::size_t k = 0; k < unsound.size() && k < 20; ++k) text += " " + std::to_string(unsound[k]);
            if (unsound.size() > 20) text += " ... (" + std::to_string(unsound.size()) + " in all)";
        }
        if (!cut.empty()) text += "; " + cut + ", the rest is lost";
        prompter.ShowWarningText(text);
    }
    FixLayerExtent(store, i, prompter);
    if (!L.NullShape.empty()) L.NullShape.resize(L.Shapes.size(), 0);
    progress.SetPosition(0);
    return Result::Ok();
}

}  // namespace

Result ReadShapefile(LayerStore& store, Prompter& prompter, Progress& progress) {
    const std::int32_t i = store.CurrentLayer;
    if (i <= 0 || i >= static_cast<std::int32_t>(store.ShapeLayers.size()))
        return Result::Fail("no layer slot to read into");
    // A save of this folder that a crash cut short is finished or undone
    // before anything of it is read.
    for (const std::string& note : RecoverInterruptedCommits(store.LayerFileName)) prompter.ShowWarningText(note);
    Result r;
    {
        BlockReader in;
        r = in.Open(store.LayerFileName);
        if (!r) return r;
        progress.Pump();
        r = ReadBody(store, in, prompter, progress);
    }
    if (!r) return r;

    store.SetLoadedLayerDefaults(i);
    const std::string att = CompanionFile(store.LayerFileName, ".att");
    if (FileExists(att)) {
        Result side = ReadSideFiles(store, att, i, progress);
        if (!side) prompter.ShowErrorText("The style file " + att + " was not applied: " + side.reason);
    }
    return Result::Ok();
}

}  // namespace zemba
