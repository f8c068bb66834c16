#include "core/exports.h"

#include <cmath>

#include "core/attributes.h"
#include "core/file_io.h"

namespace zemba {

namespace {

struct Doubles {
    AtomicFile& f;
    std::string buf;
    void Put(double v) {
        unsigned char t[8];
        StoreLEDouble(t, v);
        buf.append(reinterpret_cast<char*>(t), 8);
        if (buf.size() >= (1u << 20)) Flush();
    }
    void Flush() {
        f.Write(buf);
        buf.clear();
    }
};

std::int32_t PartCount(const ShpObj& s, std::int32_t k) {
    if (k >= static_cast<std::int32_t>(s.PartSizes.size()) || k >= static_cast<std::int32_t>(s.Parts.size()))
        return 0;
    std::int32_t n = s.PartSizes[k];
    std::int32_t have = static_cast<std::int32_t>(s.Parts[k].Pts.size()) - 1;
    return n < 0 ? 0 : (n > have ? have : n);
}

std::int32_t MultiPointCount(const ShpObj& s) {
    if (s.Parts.size() < 2) return 0;
    std::int32_t have = static_cast<std::int32_t>(s.Parts[1].Pts.size()) - 1;
    return s.NumPoints < have ? (s.NumPoints < 0 ? 0 : s.NumPoints) : have;
}

}  // namespace

Result ExportCoordinates(const LayerStore& store, std::int32_t i, const std::string& path, Progress& progress) {
    const ShpLayer& L = store.ShapeLayers[i];
    AtomicFile file(ChangeFileExt(path, ".dat"));
    Result r = file.Open();
    if (!r) return r;
    progress.SetRange(0, 100);
    progress.SetPosition(0);
    progress.Pump();
    Doubles d{file, {}};
    const std::int32_t type = L.ShapeType;
    d.Put(type);
    for (double v : {L.XMin, L.YMin, L.XMax, L.YMax, L.ZMin, L.ZMax, L.MMin, L.MMax}) d.Put(v);
    progress.SetMessage("Writing Shape File");
    progress.Pump();

    const std::int32_t n = std::min<std::int32_t>(L.NumRecords, static_cast<std::int32_t>(L.Shapes.size()) - 1);
    const bool known = type == 1 || type == 11 || type == 21 || IsMultiPointType(type) || IsMultiPartType(type);
    if (known) d.Put(n);
    for (std::int32_t k = 1; known && k <= n; ++k) {
        if ((k & 1023) == 0) progress.SetPosition(static_cast<long long>(k) * 100 / n);
        progress.Pump();
        const ShpObj& s = L.Shapes[k];
        const ShpObj3* s3 = L.KeptZM(k);
        const bool null = L.IsNullShape(k);
        if (type == 1 || type == 11 || type == 21) {
            // A null point has no position: NaN says so.
            double x = null ? NAN : s.XMin, y = null ? NAN : s.YMin;
            d.Put(x);
            d.Put(y);
            if (type == 11) d.Put(s3 && !null ? s3->ZMin : 0.0);
            if (type != 1) d.Put(s3 && !null ? s3->MMin : 0.0);
        } else if (IsMultiPointType(type)) {
            // As the shapefile record: box, count, points, then Z and M.
            const std::int32_t c = MultiPointCount(s);
            for (double v : {s.XMin, s.YMin, s.XMax, s.YMax}) d.Put(v);
            d.Put(c);
            for (std::int32_t j = 1; j <= c; ++j) {
                d.Put(s.Parts[1].Pts[j].X);
                d.Put(s.Parts[1].Pts[j].Y);
            }
            auto section = [&](bool z, double lo, double hi) {
                d.Put(s3 ? (z ? s3->ZMin : s3->MMin) : lo);
                d.Put(s3 ? (z ? s3->ZMax : s3->MMax) : hi);
                for (std::int32_t j = 1; j <= c; ++j)
                    d.Put(s3 ? (z ? s3->Parts[1].Pts[j].Z : s3->Parts[1].Pts[j].M) : 0.0);
            };
            if (type == 18) section(true, L.ZMin, L.ZMax);
            if (type == 18 || type == 28) section(false, L.MMin, L.MMax);
        } else {
            d.Put(s.NumParts);
            for (std::int32_t p = 1; p <= s.NumParts; ++p) {
                const std::int32_t c = PartCount(s, p);
                d.Put(c);
                for (std::int32_t j = 1; j <= c; ++j) {
                    d.Put(s.Parts[p].Pts[j].X);
                    d.Put(s.Parts[p].Pts[j].Y);
                }
            }
        }
    }
    d.Flush();
    progress.SetPosition(0);
    return file.Commit();
}

Result ExportDxf(const LayerStore& store, std::int32_t i, const std::string& path, Progress& progress) {
    const ShpLayer& L = store.ShapeLayers[i];
    AtomicFile file(path);
    Result r = file.Open();
    if (!r) return r;
    std::string out;
    auto line = [&out](const std::string& s) {
        out += s;
        out += "\r\n";
    };
    auto lines = [&line](std::initializer_list<const char*> items) {
        for (const char* s : items) line(s);
    };
    lines({"999", "Ver 1.0 ZEMBA 2D dxf"});
    lines({"0", "SECTION", "2", "HEADER", "0", "ENDSEC"});
    lines({"0", "SECTION", "2", "TABLES", "0", "TABLE", "2", "LAYER", "0", "LAYER", "2", "0", "0", "ENDTAB", "0",
           "ENDSEC"});
    lines({"0", "SECTION", "2", "BLOCKS", "0", "ENDSEC"});
    lines({"0", "SECTION", "2", "ENTITIES"});

    const std::int32_t type = L.ShapeType;
    const std::int32_t n = std::min<std::int32_t>(L.NumRecords, static_cast<std::int32_t>(L.Shapes.size()) - 1);
    const bool withZ = type == 13 || type == 15;
    progress.SetRange(0, 100);
    for (std::int32_t k = 1; k <= n; ++k) {
        progress.SetPosition(static_cast<long long>(std::llround(100.0 * k / n)));
        progress.Pump();
        if (L.IsNullShape(k)) continue;
        const ShpObj& s = L.Shapes[k];
        if (type == 1 || type == 11 || type == 21) {
            lines({"0", "POINT", "8", "0", "10"});
            line(RoundTripNumber(s.XMin));
            line("20");
            line(RoundTripNumber(s.YMin));
            lines({"30", "0.000000"});
        } else if (IsMultiPartType(type)) {
            const ShpObj3* s3 = withZ ? L.KeptZM(k) : nullptr;
            const bool closed = IsPolygonType(type);
            for (std::int32_t p = 1; p <= s.NumParts; ++p) {
                lines({"0", "POLYLINE", "8", "0", "70", closed ? "1" : "8", "66", "1", "10", "0.000000", "20",
                       "0.000000", "30", "0.000000"});
                const std::int32_t c = PartCount(s, p);
                // A closed ring leaves its repeated last vertex to the flag.
                const std::int32_t last = closed ? c - 1 : c;
                for (std::int32_t j = 1; j <= last; ++j) {
                    lines({"0", "VERTEX", "8", "0", "10"});
                    line(RoundTripNumber(s.Parts[p].Pts[j].X));
                    line("20");
                    line(RoundTripNumber(s.Parts[p].Pts[j].Y));
                    line("30");
                    line(s3 ? RoundTripNumber(s3->Parts[p].Pts[j].Z) : std::string("0.000000"));
                }
                lines({"0", "SEQEND", "8", "0"});
            }
        }
        if (out.size() >= (1u << 20)) {
            file.Write(out);
            out.clear();
        }
    }
    lines({"0", "ENDSEC", "0", "EOF"});
    file.Write(out);
    return file.Commit();
}

}  // namespace zemba
