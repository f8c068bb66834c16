#include "convert/dlg_to_shp.h"

#include <proj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unordered_map>

#include "core/attributes.h"
#include "core/file_io.h"
#include "core/layer_store.h"

namespace zemba {

namespace {

using db::FieldDef;
using db::FieldKind;

std::string ReadWholeFile(const std::string& path, bool& ok) {
    std::ifstream f(path, std::ios::binary);
    ok = static_cast<bool>(f);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::vector<std::string> SplitLines(const std::string& text) { return SplitSatRecords(text); }

std::string Trim(const std::string& s, const char* set = " ") {
    std::size_t a = s.find_first_not_of(set);
    if (a == std::string::npos) return {};
    std::size_t b = s.find_last_not_of(set);
    return s.substr(a, b - a + 1);
}

// The soil side file in use and where it has got to.
struct SoilSide {
    std::string kind;  // "att", "sym", "sat" or ""
    std::vector<std::string> lines;
    std::size_t next = 0;
    std::string attField;  // MLRAS, FIPSS, HYDROS or ""

    std::string NextLine() { return next < lines.size() ? lines[next++] : std::string(); }
};

struct OutShape {
    bool null = true;
    std::vector<std::int32_t> starts;
    std::vector<PointXY> pts;
};

double SignedArea(const std::vector<PointXY>& p, std::size_t a, std::size_t b) {
    double s = 0;
    for (std::size_t k = a; k + 1 < b; ++k) s += p[k].X * p[k + 1].Y - p[k + 1].X * p[k].Y;
    return s / 2;
}

double Dist(const PointXY& a, const PointXY& b) { return std::hypot(a.X - b.X, a.Y - b.Y); }

bool SamePoint(const PointXY& a, const PointXY& b) { return a.X == b.X && a.Y == b.Y; }

using Out = ByteSink;

std::int64_t ContentWords(int type, const OutShape& s) {
    if (s.null) return 2;
    if (type == 1) return 10;
    return 22 + 2 * static_cast<std::int64_t>(s.starts.size()) + 8 * static_cast<std::int64_t>(s.pts.size());
}

Result WriteShapes(const std::vector<OutShape>& shapes, int type, AtomicFile& shp, AtomicFile& shx,
                   std::vector<std::string>& memo) {
    std::int64_t total = 50;
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (const OutShape& s : shapes) {
        total += 4 + ContentWords(type, s);
        for (const PointXY& p : s.pts) {
            if (!any) x0 = x1 = p.X, y0 = y1 = p.Y, any = true;
            x0 = std::min(x0, p.X), x1 = std::max(x1, p.X);
            y0 = std::min(y0, p.Y), y1 = std::max(y1, p.Y);
        }
    }
    if (total > INT32_MAX) return Result::Fail("the shapefile would pass the format's 4 GB limit");
    const std::int64_t index = 50 + 4 * static_cast<std::int64_t>(shapes.size());
    auto header = [&](Out& o, std::int64_t words) {
        o.I32BE(9994);
        for (int k = 0; k < 5; ++k) o.I32BE(0);
        o.I32BE(words);
        o.I32LE(1000);
        o.I32LE(type);
        o.F64(x0), o.F64(y0), o.F64(x1), o.F64(y1);
        for (int k = 0; k < 4; ++k) o.F64(0);
    };
    Out a, x;
    header(a, total);
    header(x, index);
    std::int64_t offset = 50;
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        const OutShape& s = shapes[k];
        const std::int64_t words = ContentWords(type, s);
        a.I32BE(static_cast<std::int64_t>(k) + 1);
        a.I32BE(words);
        x.I32BE(offset);
        x.I32BE(words);
        offset += 4 + words;
        if (s.null) {
            a.I32LE(0);
        } else if (type == 1) {
            a.I32LE(1);
            a.F64(s.pts[0].X);
            a.F64(s.pts[0].Y);
        } else {
            double bx0 = s.pts[0].X, by0 = s.pts[0].Y, bx1 = bx0, by1 = by0;
            for (const PointXY& p : s.pts) {
                bx0 = std::min(bx0, p.X), bx1 = std::max(bx1, p.X);
                by0 = std::min(by0, p.Y), by1 = std::max(by1, p.Y);
            }
            a.I32LE(type);
            a.F64(bx0), a.F64(by0), a.F64(bx1), a.F64(by1);
            a.I32LE(static_cast<std::int64_t>(s.starts.size()));
            a.I32LE(static_cast<std::int64_t>(s.pts.size()));
            for (std::int32_t st : s.starts) a.I32LE(st);
            for (const PointXY& p : s.pts) a.F64(p.X), a.F64(p.Y);
        }
        if (a.b.size() > (1u << 20)) {
            shp.Write(a.b);
            a.b.clear();
        }
    }
    shp.Write(a.b);
    shx.Write(x.b);
    memo.push_back(std::to_string(total) + " Index " + std::to_string(index));
    return Result::Ok();
}

// Fills the attribute fields of one row from an element's codes.
void FillCodes(db::DbfTable& t, const DlgShapeOptions& o, const std::string& attrText, std::int64_t attrCount,
               std::int64_t n, Prompter& prompter) {
    const std::int64_t pairs = std::min<std::int64_t>(attrCount, static_cast<std::int64_t>(attrText.size() / 12) + 1);
    bool coded = false;
    for (std::int64_t w = 1; w <= pairs; ++w) {
        std::int64_t major = 0, minor = 0;
        if (!DlgAttributePair(attrText, static_cast<int>(w), major, minor)) {
            const std::size_t at = static_cast<std::size_t>(12 * (w - 1));
            if (at >= attrText.size()) break;
            prompter.Message(MsgFamily::ErrorNumber, static_cast<int>(at + 1), attrText.substr(at, 12));
            continue;
        }
        switch (o.Mode) {
            case amSingleCode: t.SetField("MINOR", major); break;
            case amMinorCodes:
                if (w <= n) t.SetField("MINOR" + std::to_string(w), minor);
                break;
            case amMajorMinor: {
                t.SetField("MAJOR", major);
                t.SetField("MINOR", minor);
                // The entity label is the first pair; later pairs qualify it.
                if (coded) break;
                coded = true;
                char code[48];
                std::snprintf(code, sizeof code, "%03lld%04lld", static_cast<long long>(major),
                              static_cast<long long>(minor));
                t.SetField("CODE", std::string(code));
                break;
            }
            case amSoil: break;
        }
    }
}

void FillSoil(db::DbfTable& t, SoilSide& side, const std::string& attrText, std::int64_t attrCount) {
    if (side.kind == "att") {
        std::string line = side.NextLine();
        std::size_t blank = line.find(' ');
        std::string value = blank == std::string::npos ? std::string() : Trim(line.substr(blank + 1), " \t");
        if (!side.attField.empty()) t.SetField(side.attField, value);
    } else if (side.kind == "sym") {
        std::int64_t major = 0, minor = 0;
        if (attrCount > 0) DlgAttributePair(attrText, 1, major, minor);
        t.SetField("MINORI", minor);
        std::string key;
        if (attrCount > 0 && minor >= 0 && static_cast<std::size_t>(minor) < side.lines.size()) {
            const std::string& line = side.lines[static_cast<std::size_t>(minor)];
            std::size_t blank = line.find(' ');
            if (blank != std::string::npos) key = Trim(line.substr(blank, 7), " \t");
        }
        t.SetField("MUIDS", key);
    } else if (side.kind == "sat") {
        std::string record = side.NextLine();
        std::vector<std::string> f;
        std::size_t start = 0;
        while (start <= record.size()) {
            std::size_t tab = record.find('\t', start);
            if (tab == std::string::npos) tab = record.size();
            f.push_back(record.substr(start, tab - start));
            start = tab + 1;
        }
        std::string minorText = f.size() > 2 ? Trim(f[2], " \t\n\r") : std::string();
        std::string key = f.size() > 3 ? Trim(f[3], " \t\n\r") : std::string();
        if (minorText.empty()) minorText = "0";
        if (key.empty()) key = "0";
        std::int64_t minor = 0;
        ParseWhole(minorText, minor);
        t.SetField("MINORI", minor);
        t.SetField("MUIDS", key);
    }
}

}  // namespace

std::vector<std::string> SplitSatRecords(const std::string& text) {
    std::vector<std::string> out;
    std::string cur;
    for (std::size_t k = 0; k < text.size(); ++k) {
        char c = text[k];
        if (c == '\r' || c == '\n') {
            out.push_back(cur);
            cur.clear();
            if (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
        } else {
            cur.push_back(c);
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

int FirstExportedArea(const DlgShapeOptions& o) {
    if (o.Mode == amSoil && o.SkipSsurgoBlankHalf) return 3;
    return o.SkipFirstArea ? 2 : 1;
}

std::vector<FieldDef> DlgTableSchema(const DlgShapeOptions& o, const std::string& sideFile, const std::string& dlgName,
                                     std::int64_t n) {
    std::vector<FieldDef> f;
    auto add = [&](const char* name, FieldKind k, int size = 0) { f.push_back(FieldDef{name, k, size}); };
    bool filledWithCount = n == 0;
    if (o.Mode == amSoil) {
        if (sideFile.empty()) {
            filledWithCount = true;
        } else {
            filledWithCount = false;
            if (o.NumberItems) add("COUNTI", FieldKind::Integer);
            if (sideFile == "att") {
                std::string name = UpperCase(FileNamePart(dlgName));
                char c = name.size() >= 4 ? name[3] : ' ';
                if (c == 'L' || c == 'E') add("MLRAS", FieldKind::String, 4);
                else if (c == 'I') add("FIPSS", FieldKind::String, 5);
                else if (c == 'U') add("HYDROS", FieldKind::String, 8);
            } else {
                add("MINORI", FieldKind::Integer);
                add("MUIDS", FieldKind::String, 7);
            }
        }
    } else {
        if (o.NumberItems) add("COUNT", FieldKind::Integer);
        if (o.Mode == amMinorCodes) {
            for (std::int64_t w = 1; w <= std::min<std::int64_t>(n, 99999); ++w)
                f.push_back(FieldDef{"MINOR" + std::to_string(w), FieldKind::Integer, 0});
        } else if (o.Mode == amSingleCode) {
            add("MINOR", FieldKind::Integer);
        } else {
            add("MAJOR", FieldKind::Integer);
            add("MINOR", FieldKind::Integer);
            add("CODE", FieldKind::String, 7);
        }
    }
    if (o.MapAttributes) {
        add("MAPI", FieldKind::Integer);
        add("MAPF", FieldKind::Float);
    }
    const bool hasCount = std::any_of(f.begin(), f.end(), [](const FieldDef& d) { return d.Name == "COUNT"; });
    // A table always has a field, and rows numbered by COUNT have one.
    if (!hasCount && (filledWithCount || f.empty())) f.insert(f.begin(), FieldDef{"COUNT", FieldKind::Integer, 0});
    // dBase allows 255 fields.
    if (f.size() > 255) f.resize(255);
    return f;
}

std::string DlgPrjText(const DlgHeader& h, std::string* why) {
    auto fail = [&](const std::string& w) {
        if (why) *why = w;
        return std::string();
    };
    std::string code;
    bool arcSeconds = false, radians = false;
    if (h.HorizontalDatum != 0 && h.HorizontalDatum != 1)
        return fail("horizontal datum code " + std::to_string(h.HorizontalDatum) + " has no .prj here");
    const bool nad83 = h.HorizontalDatum == 1;
    if (h.RefSystem == 1) {
        if (h.Units != 2) return fail("UTM in units other than metres has no .prj here");
        if (h.Zone < 1 || h.Zone > (nad83 ? 23 : 22)) return fail("UTM zone " + std::to_string(h.Zone) + " has no .prj here");
        code = "EPSG:" + std::to_string((nad83 ? 26900 : 26700) + h.Zone);
    } else if (h.RefSystem == 0) {
        code = nad83 ? "EPSG:4269" : "EPSG:4267";
        arcSeconds = h.Units == 3;
        radians = h.Units == 0;
    } else {
        return fail("reference system " + std::to_string(h.RefSystem) + " has no .prj here");
    }
    PJ_CONTEXT* ctx = proj_context_create();
    proj_log_level(ctx, PJ_LOG_NONE);
    PJ* pj = proj_create(ctx, code.c_str());
    std::string wkt;
    if (pj) {
        const char* t = proj_as_wkt(ctx, pj, PJ_WKT1_ESRI, nullptr);
        if (t) wkt = t;
        proj_destroy(pj);
    }
    proj_context_destroy(ctx);
    if (wkt.empty()) return fail("the projection database does not know " + code);
    const std::string degree = "UNIT[\"Degree\",0.0174532925199433]";
    auto at = wkt.rfind(degree);
    if (at != std::string::npos && arcSeconds)
        wkt.replace(at, degree.size(), "UNIT[\"Second\",4.84813681109536E-06]");
    else if (at != std::string::npos && radians)
        wkt.replace(at, degree.size(), "UNIT[\"Radian\",1.0]");
    return wkt;
}

Result ExportDlgToShape(const std::string& dlgPath, const std::string& shpPath, const DlgShapeOptions& o,
                        Prompter& prompter, Progress& progress, DlgShapeReport& rep) {
    rep = DlgShapeReport();
    auto stop = [&](const std::string& why) {
        progress.SetPosition(0);
        rep.Hint = "Shape Exporter Finished";
        progress.SetMessage(rep.Hint);
        return Result::Fail(why);
    };
    const bool soil = o.Mode == amSoil;
    switch (o.Layer) {
        case ExportLayer::MPoint:
            prompter.Message(MsgFamily::Error, 13);
            return stop("multipoint export is not done");
        case ExportLayer::Lines:
            if (soil && o.SsurgoSpecialFeature) {
                prompter.Message(MsgFamily::Error, 18);
                return stop("special features are not done");
            }
            break;
        case ExportLayer::Points:
            if (soil) {
                prompter.Message(MsgFamily::Error, 21);
                return stop("points are not soiled");
            }
            break;
        case ExportLayer::Areas: break;
    }

    DlgRecordReader in;
    Result r = in.DetectDlgRecordMode(dlgPath);
    if (!r) return stop(r.reason);
    DlgHeader header;
    r = ReadDlgHeader(in, header, &prompter);
    if (!r) return stop(r.reason);

    DlgBodyOptions bo;
    bo.keepNodes = o.Layer == ExportLayer::Points;
    bo.keepLines = o.Layer != ExportLayer::Points;
    bo.keepAreas = o.Layer == ExportLayer::Areas;
    bo.numberingCheck = o.NumberingCheck;
    DlgBody body;
    const char* reading[] = {"Reading DLG Points", "Reading DLG Lines", "Reading Areas .. and rest of DLG file "};
    progress.SetMessage(reading[static_cast<int>(o.Layer) <= 2 ? static_cast<int>(o.Layer) : 0]);
    ReadDlgBody(in, header, bo, body, prompter, progress);
    in.Close();
    if (body.aborted) return stop(body.failure);
    rep.NodeAttrMax = body.NodeAttrMax;
    rep.LineAttrMax = body.LineAttrMax;
    rep.AreaAttrMax = body.AreaAttrMax;
    rep.LinesRead = body.LinesSeen;
    rep.AreasRead = body.AreasSeen;

    // Soil side files.
    const int first = FirstExportedArea(o);
    SoilSide side;
    if (soil) {
        for (const char* ext : {".att", ".sym", ".sat"}) {
            std::string p = CompanionFile(dlgPath, ext);
            if (!FileExists(p)) continue;
            bool ok = false;
            std::string text = ReadWholeFile(p, ok);
            if (!ok) return stop("cannot read " + p);
            side.kind = ext + 1;
            side.lines = SplitLines(text);
            break;
        }
        if (side.kind.empty()) prompter.Message(MsgFamily::Error, 5);
        if (o.Layer == ExportLayer::Areas && (side.kind == "att" || side.kind == "sat"))
            side.next = static_cast<std::size_t>(first - 1);
    }

    std::int64_t n = o.Layer == ExportLayer::Points ? body.NodeAttrMax
                     : o.Layer == ExportLayer::Lines ? body.LineAttrMax
                                                     : std::max(body.AreaAttrMax, body.LineAttrMax);
    rep.Fields = DlgTableSchema(o, side.kind, dlgPath, n);
    if (side.kind == "att") {
        for (const FieldDef& f : rep.Fields)
            if (f.Name == "MLRAS" || f.Name == "FIPSS" || f.Name == "HYDROS") side.attField = f.Name;
    }
    const bool countOnly = !(soil && !side.kind.empty()) && n == 0;
    auto hasField = [&](const char* name) {
        return std::any_of(rep.Fields.begin(), rep.Fields.end(), [&](const FieldDef& f) { return f.Name == name; });
    };
    const bool hasCount = hasField("COUNT"), hasCountI = hasField("COUNTI"), hasMap = hasField("MAPI");

    db::DbfTable table;
    r = table.Create(ChangeFileExt(shpPath, ".dbf"), rep.Fields);
    if (!r) {
        prompter.Message(MsgFamily::Error, 8);
        return stop("Table not made: " + r.reason);
    }
    auto newRow = [&](std::int64_t number, const std::string& attrText, std::int64_t attrCount) {
        table.Append();
        if (hasCount) table.SetField("COUNT", number);
        if (hasCountI) table.SetField("COUNTI", number);
        if (hasMap) {
            table.SetField("MAPI", std::int64_t{0});
            table.SetField("MAPF", 0.0);
        }
        if (countOnly) return;
        if (soil)
            FillSoil(table, side, attrText, attrCount);
        else
            FillCodes(table, o, attrText, attrCount, n, prompter);
    };

    std::vector<OutShape> shapes;
    int type = 1;
    if (o.Layer == ExportLayer::Points) {
        type = 1;
        std::int64_t i = 0;
        for (const DlgNode& node : body.Nodes) {
            ++i;
            if (!node.XYOk) {
                rep.Memo.push_back("Bad Points x " + node.XText + " y " + node.YText);
                prompter.ShowErrorText("Bad Points x " + node.XText + " y " + node.YText);
                continue;
            }
            OutShape s;
            s.null = false;
            s.pts.push_back({node.X, node.Y});
            shapes.push_back(std::move(s));
            newRow(i, node.AttrText, node.AttrCount);
        }
        rep.Hint = "Points correctly read " + std::to_string(shapes.size());
    } else if (o.Layer == ExportLayer::Lines) {
        type = 3;
        const std::size_t count = body.Lines.size() - 1;
        for (std::size_t i = 1; i < body.Lines.size(); ++i) {
            progress.SetPosition(static_cast<long long>(100 * i / std::max<std::size_t>(count, 1)));
            progress.Pump();
            const MyLineRecord& L = body.Lines[i];
            OutShape s;
            if (L.PointCount > 0) {
                s.null = false;
                s.starts.push_back(0);
                for (std::size_t k = 0; k + 1 < L.Coords.size(); k += 2) s.pts.push_back({L.Coords[k], L.Coords[k + 1]});
                rep.Points += static_cast<std::int64_t>(s.pts.size());
                ++rep.Parts;
            } else {
                ++rep.NullShapes;
            }
            shapes.push_back(std::move(s));
            newRow(static_cast<std::int64_t>(i), L.AttrText, L.AttrCount);
        }
        rep.Hint = "Lines correctly read " + std::to_string(shapes.size());
    } else {
        type = 5;
        progress.SetMessage("Computing Shape Areas");
        std::unordered_map<std::int32_t, std::size_t> byId;
        byId.reserve(body.Lines.size() * 2);
        // The last line of a number wins; a line whose points could not be
        // counted is no boundary (its area is lost rather than misshapen).
        for (std::size_t i = 1; i < body.Lines.size(); ++i)
            if (body.Lines[i].CountOk) byId[body.Lines[i].LineId] = i;
        const std::int64_t last = static_cast<std::int64_t>(body.Areas.size()) - 1;
        std::int64_t totalValues = 0;
        std::int64_t mismatchFirst = 0;
        for (std::int64_t j = first; j <= last; ++j) {
            progress.SetPosition(static_cast<long long>(100 * (j - first + 1) / std::max<std::int64_t>(last - first + 1, 1)));
            progress.Pump();
            static const MyAreaRecord kEmpty;
            const MyAreaRecord& A = j < static_cast<std::int64_t>(body.Areas.size()) ? body.Areas[static_cast<std::size_t>(j)] : kEmpty;
            OutShape s;
            // Rings from the line list; each zero ends one.
            std::vector<PointXY> ring;
            int rings = 0;
            auto endRing = [&](bool lastRing) {
                if (ring.empty()) return;
                if (!SamePoint(ring.front(), ring.back())) {
                    // Spikes are trimmed only on a ring the lines leave open.
                    if (ring.size() >= 3) {
                        const std::size_t m = ring.size();
                        bool startSpike = Dist(ring[0], ring[1]) > 4 * Dist(ring[1], ring[2]);
                        bool endSpike = Dist(ring[m - 2], ring[m - 1]) > 4 * Dist(ring[m - 3], ring[m - 2]);
                        if (endSpike) ring.pop_back();
                        if (startSpike && ring.size() >= 2) ring.erase(ring.begin());
                    }
                    if (!SamePoint(ring.front(), ring.back())) {
                        ring.push_back(ring.front());
                        if (lastRing) ++rep.LinePointsAdded;
                        else ++rep.PointsAdded;
                    }
                }
                // Outer ring clockwise, islands counter-clockwise.
                const double area = SignedArea(ring, 0, ring.size());
                if ((rings == 0 && area > 0) || (rings > 0 && area < 0)) std::reverse(ring.begin(), ring.end());
                s.starts.push_back(static_cast<std::int32_t>(s.pts.size()));
                s.pts.insert(s.pts.end(), ring.begin(), ring.end());
                if (rings > 0) ++rep.IslandsDone;
                ++rings;
                ring.clear();
            };
            bool lost = false;
            for (std::int32_t e : A.LineList) {
                if (e == 0) {
                    endRing(false);
                    continue;
                }
                auto it = byId.find(e < 0 ? -e : e);
                if (it == byId.end()) {
                    lost = true;
                    break;
                }
                const MyLineRecord& L = body.Lines[it->second];
                const std::size_t np = L.Coords.size() / 2;
                totalValues += static_cast<std::int64_t>(2 * np);
                if (totalValues > 2147483600LL) {
                    prompter.Message(MsgFamily::Error, 15);
                    return stop("SoManyPoints overflow");
                }
                if (e > 0)
                    for (std::size_t k = 0; k < np; ++k) ring.push_back({L.Coords[2 * k], L.Coords[2 * k + 1]});
                else
                    for (std::size_t k = np; k-- > 0;) ring.push_back({L.Coords[2 * k], L.Coords[2 * k + 1]});
            }
            if (lost) {
                prompter.Message(MsgFamily::Error, 14);
                return stop("Area Lines got Lost (area " + std::to_string(j) + ")");
            }
            endRing(true);
            if (A.Present && rings - 1 != A.IslandCount && rings > 0) {
                if (rep.IslandMismatches++ == 0) mismatchFirst = j;
            }
            s.null = s.pts.empty();
            if (s.null) {
                ++rep.NullShapes;
            } else {
                rep.Parts += static_cast<std::int64_t>(s.starts.size());
                rep.Holes += static_cast<std::int64_t>(s.starts.size()) - 1;
                rep.Points += static_cast<std::int64_t>(s.pts.size());
            }
            shapes.push_back(std::move(s));
            newRow(j, A.AttrText, A.AttrCount);
        }
        if (rep.IslandMismatches > 0)
            prompter.ShowWarningText(std::to_string(rep.IslandMismatches) +
                                     " area(s) have another number of island rings than their island count, first at area " +
                                     std::to_string(mismatchFirst));
        rep.Memo.push_back(std::to_string(body.IslandsTotal) + " <Islands..Points> " + std::to_string(rep.Points));
        rep.Hint = "Areas correctly Processed " + std::to_string(shapes.size());
    }
    if (o.Layer != ExportLayer::Lines && o.Layer != ExportLayer::Areas) {
        rep.Points = static_cast<std::int64_t>(shapes.size());
        rep.Parts = 0;
    }
    rep.Written = static_cast<std::int64_t>(shapes.size());

    progress.SetMessage("Writing Shape File");
    AtomicFile shp(shpPath), shx(ChangeFileExt(shpPath, ".shx"));
    if (!(r = shp.Open()) || !(r = shx.Open())) return stop(r.reason);
    r = WriteShapes(shapes, type, shp, shx, rep.Memo);
    if (!r) {
        prompter.Message(MsgFamily::Error, 15);
        return stop(r.reason);
    }
    std::vector<AtomicFile*> files = {&shp, &shx};
    std::unique_ptr<AtomicFile> prj;
    if (o.WritePrj) {
        std::string why;
        std::string wkt = DlgPrjText(header, &why);
        if (!wkt.empty()) {
            prj = std::make_unique<AtomicFile>(ChangeFileExt(shpPath, ".prj"));
            if (!(r = prj->Open())) return stop(r.reason);
            prj->Write(wkt);
            files.push_back(prj.get());
        } else {
            rep.Memo.push_back("No .prj: " + why);
        }
    }
    // The table, its "_" copy and the shapefile go in together: a failure
    // anywhere leaves the earlier conversion as it was.
    const std::string dbfPath = table.path();
    if (!(r = table.Finish())) return stop(r.reason);
    bool read = false;
    std::string bytes = ReadWholeFile(table.temporaryPath(), read);
    if (!read) return stop("cannot read back the table " + dbfPath);
    const std::string copy = ChangeFileExt(dbfPath, "") + "_.dbf";
    AtomicFile copyFile(copy);
    if (!(r = copyFile.Open())) return stop(r.reason);
    copyFile.Write(bytes);
    files.push_back(&table.file());
    files.push_back(&copyFile);
    r = CommitAll(files);
    if (!r) return stop(r.reason);
    for (AtomicFile* f : files) rep.Outputs.push_back(f->target());
    progress.SetPosition(0);
    progress.SetMessage(rep.Hint);
    return Result::Ok();
}

Result DLGShapeExport(DlgState& state, const std::string& shapeDir, const std::string& shapeName,
                      const DlgShapeOptions& options, Prompter& prompter, Progress& progress, DlgShapeReport& report) {
    if (!state.DlgSelected) {
        prompter.Message(MsgFamily::Error, 7);
        return Result::Fail("no DLG chosen");
    }
    if (FileNamePart(shapeName).size() > 12) {
        prompter.Message(MsgFamily::Error, 6);
        return Result::Fail("the name is not 8.3");
    }
    ++state.ShapeExportCount;
    db::RunTimeDbCreate(state.Session, "sshift" + std::to_string(state.ShapeExportCount), shapeDir);
    std::string dir = shapeDir;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    Result r = ExportDlgToShape(state.DlgFileName, dir + shapeName, options, prompter, progress, report);
    if (r) --state.ShapeExportCount;
    return r;
}

}  // namespace zemba

namespace zemba {

Result ChooseImportDlg(DlgState& state, const std::string& chosen, const std::string& dlgDir, Prompter& prompter,
                       DlgImportPage& page) {
    page = DlgImportPage();
    state.DlgSelected = false;
    if (!IsDlgFileName(chosen)) {
        prompter.Message(MsgFamily::Error, 11);
        return Result::Fail("File MUST be a DLG file");
    }
    state.DlgSelected = true;
    state.DlgFileName = IsSsurgoDlgName(chosen) ? PrepareSsurgoDlgName(chosen, dlgDir, false, prompter) : chosen;
    page.DxfName = ProposeDxfName(state.DlgFileName);
    page.Hint = "DLG Header Display";
    DlgRecordReader in;
    Result r = in.DetectDlgRecordMode(state.DlgFileName);
    if (!r) return r;
    state.RecordMode = in.mode();
    r = ReadDlgHeader(in, page.Header, &prompter);
    if (!r) return r;
    page.Memo = ImportHeaderMemo(page.Header);
    state.DlgNodeCount = page.Header.DlgNodeCount;
    state.DlgAreaCount = page.Header.DlgAreaCount;
    state.DlgLineCount = page.Header.DlgLineCount;
    page.Hint = "Points " + page.Header.NodeText + " Areas " + page.Header.AreaText + " Lines " + page.Header.LineText;
    return Result::Ok();
}

std::string ShapeNameForLayer(const std::string& current, const std::string& lastProposed, const std::string& dxfName,
                              const std::string& layer) {
    if (!current.empty() && current != lastProposed) return current;
    return ProposeShapeName(dxfName, layer);
}

std::string ShapeLayerText(const std::string& layer) {
    if (layer == "Points" || layer == "Lines" || layer == "Areas") return layer;
    return "NO thing done";
}

std::string ChooseQuickViewDlg(DlgState& state, const std::string& chosen, const std::string& dlgDir,
                               Prompter& prompter) {
    state.QuickViewFileName = IsSsurgoDlgName(chosen) ? PrepareSsurgoDlgName(chosen, dlgDir, true, prompter) : chosen;
    std::string bmp = ChangeFileExt(state.QuickViewFileName, ".BMP");
    return FileExists(bmp) ? bmp : std::string();
}

}  // namespace zemba
