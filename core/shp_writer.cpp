#include "core/shp_writer.h"

#include "core/attributes.h"
#include "core/file_io.h"

namespace zemba {

namespace {

// Content length in 16-bit words of shape k as the layer's type writes it.
std::int64_t ContentWords(std::int32_t type, const ShpObj& s, bool null) {
    if (null) return 2;
    const std::int64_t P = s.NumParts, N = s.NumPoints;
    switch (type) {
        case 1: return 10;
        case 11: return 18;
        case 21: return 14;
        case 3: case 5: return 22 + 2 * P + 8 * N;
        case 13: case 15: return 38 + 2 * P + 16 * N;
        case 23: case 25: return 30 + 2 * P + 12 * N;
        case 8: return 20 + 8 * N;
        case 18: return 36 + 16 * N;
        case 28: return 28 + 12 * N;
        default: return 2;
    }
}

// The stored arrays must hold what the counts say, or the file would not
// match its own lengths.
bool ShapeIsSound(std::int32_t type, const ShpObj& s) {
    if (IsPointType(type)) return true;
    if (s.NumPoints < 0 || s.NumParts < 0) return false;
    if (IsMultiPointType(type)) {
        if (s.NumPoints == 0) return true;
        return s.Parts.size() >= 2 && s.Parts[1].Pts.size() >= static_cast<std::size_t>(s.NumPoints) + 1;
    }
    if (s.PartSizes.size() < static_cast<std::size_t>(s.NumParts) + 1 ||
        s.Parts.size() < static_cast<std::size_t>(s.NumParts) + 1)
        return false;
    std::int64_t sum = 0;
    for (std::int32_t k = 1; k <= s.NumParts; ++k) {
        if (s.PartSizes[k] < 0 || s.Parts[k].Pts.size() < static_cast<std::size_t>(s.PartSizes[k]) + 1)
            return false;
        sum += s.PartSizes[k];
    }
    return sum == s.NumPoints;
}

using Out = ByteSink;

void Header(Out& o, const ShpLayer& L, std::int64_t lengthWords, std::int32_t type) {
    o.I32BE(9994);
    for (int k = 0; k < 5; ++k) o.I32BE(0);
    o.I32BE(lengthWords);
    o.I32LE(1000);
    o.I32LE(type);
    o.F64(L.XMin);
    o.F64(L.YMin);
    o.F64(L.XMax);
    o.F64(L.YMax);
    o.F64(L.ZMin);
    o.F64(L.ZMax);
    o.F64(L.MMin);
    o.F64(L.MMax);
}

// Writes one section (Z or M) of a record: the range and one value a vertex.
// `none` is the value written for a vertex without a kept one.
void Section(Out& o, const ShpObj& s, const ShpObj3* s3, bool z, double lo, double hi, double none) {
    if (s3) {
        o.F64(z ? s3->ZMin : s3->MMin);
        o.F64(z ? s3->ZMax : s3->MMax);
    } else {
        o.F64(none == 0.0 ? lo : none);
        o.F64(none == 0.0 ? hi : none);
    }
    for (std::size_t p = 1; p < s.Parts.size(); ++p) {
        std::size_t count = s.PartSizes.empty() ? static_cast<std::size_t>(s.NumPoints)
                                                : static_cast<std::size_t>(s.PartSizes[p]);
        for (std::size_t j = 1; j <= count; ++j)
            o.F64(s3 ? (z ? s3->Parts[p].Pts[j].Z : s3->Parts[p].Pts[j].M) : none);
        if (s.PartSizes.empty()) break;  // a multipoint keeps one part
    }
}

// A shape without kept measures in a layer without measures gets "no data".
void Content(Out& o, std::int32_t type, const ShpLayer& L, const ShpObj& s, const ShpObj3* s3,
             double noM) {
    o.I32LE(type);
    if (type == 1 || type == 11 || type == 21) {
        o.F64(s.XMin);
        o.F64(s.YMin);
        if (type == 11) o.F64(s3 ? s3->ZMin : 0.0);
        if (type != 1) o.F64(s3 ? s3->MMin : noM);
        return;
    }
    o.F64(s.XMin);
    o.F64(s.YMin);
    o.F64(s.XMax);
    o.F64(s.YMax);
    if (IsMultiPointType(type)) {
        o.I32LE(s.NumPoints);
        if (s.NumPoints > 0)
            o.b.append(reinterpret_cast<const char*>(&s.Parts[1].Pts[1]), 16 * static_cast<std::size_t>(s.NumPoints));
    } else {
        o.I32LE(s.NumParts);
        o.I32LE(s.NumPoints);
        std::int64_t start = 0;
        for (std::int32_t k = 1; k <= s.NumParts; ++k) {
            o.I32LE(start);
            start += s.PartSizes[k];
        }
        for (std::int32_t k = 1; k <= s.NumParts; ++k)
            if (s.PartSizes[k] > 0)
                o.b.append(reinterpret_cast<const char*>(&s.Parts[k].Pts[1]), 16 * static_cast<std::size_t>(s.PartSizes[k]));
    }
    if (HasZ(type)) Section(o, s, s3, true, L.ZMin, L.ZMax, 0.0);
    if (HasM(type)) Section(o, s, s3, false, L.MMin, L.MMax, noM);
}

// A Z layer has measures when any kept vertex holds a real one.
bool LayerHasMeasures(const ShpLayer& L) {
    if (!HasZ(L.ShapeType)) return true;
    for (std::int32_t k = 1; k <= L.NumRecords; ++k) {
        const ShpObj3* s3 = L.KeptZM(k);
        if (!s3 || L.IsNullShape(k)) continue;
        if (IsPointType(L.ShapeType)) {
            if (!IsNoMeasure(s3->MMin)) return true;
            continue;
        }
        for (std::size_t p = 1; p < s3->Parts.size(); ++p)
            for (std::size_t j = 1; j < s3->Parts[p].Pts.size(); ++j)
                if (!IsNoMeasure(s3->Parts[p].Pts[j].M)) return true;
    }
    return false;
}

}  // namespace

Result WriteShapefile(const LayerStore& store, std::int32_t i, const std::string& path, Progress& progress) {
    AtomicFile shp(path), shx(ChangeFileExt(path, ".shx"));
    Result r = WriteShapefileTo(store, i, shp, shx, progress);
    if (!r) return r;
    return CommitAll({&shp, &shx});
}

Result WriteShapefileTo(const LayerStore& store, std::int32_t i, AtomicFile& shp, AtomicFile& shx,
                        Progress& progress) {
    if (i <= 0 || i >= static_cast<std::int32_t>(store.ShapeLayers.size()))
        return Result::Fail("no such layer");
    const ShpLayer& L = store.ShapeLayers[i];
    // A text layer's shapes are its label points: a Point file other
    // programs read, with the labels in the side files beside it.
    const std::int32_t type = L.ShapeType == 2 ? 1 : L.ShapeType;
    const bool writable = type == 1 || type == 11 || type == 21 || IsMultiPointType(type) || IsMultiPartType(type);
    const std::int32_t n = writable ? L.NumRecords : 0;
    if (static_cast<std::int64_t>(L.Shapes.size()) < static_cast<std::int64_t>(n) + 1)
        return Result::Fail("the layer holds fewer shapes than its record count");

    std::int64_t total = 50;
    for (std::int32_t k = 1; k <= n; ++k) {
        const ShpObj& s = L.Shapes[k];
        if (!L.IsNullShape(k) && !ShapeIsSound(type, s))
            return Result::Fail("shape " + std::to_string(k) + " does not hold the points its counts say");
        total += 4 + ContentWords(type, s, L.IsNullShape(k));
    }
    if (total > INT32_MAX) return Result::Fail("the layer is too large for one shapefile (over 4 GB)");

    const double noM = LayerHasMeasures(L) ? 0.0 : kNoMeasure;
    Result r = shp.Open();
    if (!r) return r;
    r = shx.Open();
    if (!r) return r;
    progress.SetRange(0, 100);
    progress.SetPosition(0);
    progress.Pump();

    Out a, x;
    // Types the format has no records for get an empty pair whose length
    // field holds 1, as such files always have.
    Header(a, L, writable ? total : 1, type);
    Header(x, L, writable ? 50 + 4 * static_cast<std::int64_t>(n) : 1, type);
    progress.SetMessage("Writing Shape File");
    progress.Pump();

    std::int64_t offset = 50;
    for (std::int32_t k = 1; k <= n; ++k) {
        if ((k & 1023) == 0) {
            progress.SetPosition(static_cast<long long>(k) * 100 / n);
            shp.Write(a.b);
            shx.Write(x.b);
            a.b.clear();
            x.b.clear();
        }
        progress.Pump();
        const ShpObj& s = L.Shapes[k];
        const bool null = L.IsNullShape(k);
        const std::int64_t words = ContentWords(type, s, null);
        a.I32BE(k);
        a.I32BE(words);
        x.I32BE(offset);
        x.I32BE(words);
        offset += 4 + words;
        if (null)
            a.I32LE(0);
        else
            Content(a, type, L, s, L.KeptZM(k), noM);
    }
    shp.Write(a.b);
    shx.Write(x.b);
    progress.SetPosition(0);
    return Result::Ok();
}

}  // namespace zemba
