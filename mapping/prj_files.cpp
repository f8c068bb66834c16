#include "mapping/prj_files.h"

#include <proj.h>
#include <proj_experimental.h>
#include <sqlite3.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/file_io.h"
#include "mapping/datum.h"
#include "mapping/project_files.h"
#include "mapping/state_plane.h"

namespace zemba {

namespace {

std::string Num(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.12g", v);
    return buf;
}

// The EPSG geographic system of each datum row, on the row's own ellipsoid;
// 0 where the list's datum has no sure equivalent (Indian, Oman).
const int kDatumGeographicEpsg[kDatumRows] = {4201, 4209, 4210, 4202, 4203, 4715, 4222, 4230,
                                              4668, 4272, 4739, 4236, 0,    4267, 4269, 4135,
                                              0,    4277, 4139, 4284, 4248, 4301, 4322, 4326};

// The EPSG geographic system a block's datum and spheroid make, or 0: the
// package computes on the spheroid code, so a datum on another spheroid is
// not that datum's system.
int GeographicEpsg(const ProjectionBlock& b) {
    const int datum = static_cast<int>(b[kSlotDatum]);
    if (datum < 0 || datum >= kDatumRows) return 0;
    if (DatumSpheroid(datum) != static_cast<int>(b[kSlotSpheroid])) return 0;
    return kDatumGeographicEpsg[datum];
}

// The spheroid the package uses (its code; the block's own axes are never
// used for a code of 0 or more), with the datum's shift where it has one.
std::string DatumPart(const ProjectionBlock& b) {
    const int datum = static_cast<int>(b[kSlotDatum]);
    double a = 0, bb = 0;
    SpheroidAxes(static_cast<int>(b[kSlotSpheroid]), a, bb);
    std::string s = "+a=" + Num(a) + " +b=" + Num(bb);
    if (datum >= 0 && datum < kDatumRows) {
        const DatumParameters& d = DatumTable()[datum];
        s += " +towgs84=" + Num(d.DeltaX) + "," + Num(d.DeltaY) + "," + Num(d.DeltaZ);
    }
    return s;
}

std::string UnitPart(long unit) {
    switch (unit) {
        case 1: return " +units=us-ft";
        case 2: return " +units=m";
        case 5: return " +units=ft";
        default: return {};
    }
}

struct Ctx {
    PJ_CONTEXT* c = proj_context_create();
    ~Ctx() { proj_context_destroy(c); }
};

// One context a thread for writing .prj files: PROJ keeps what it read from
// its database in the context, and a zone's file asks it much.
PJ_CONTEXT* WriterContext() {
    thread_local Ctx ctx;
    proj_log_level(ctx.c, PJ_LOG_NONE);
    return ctx.c;
}
struct Obj {
    PJ* p;
    ~Obj() {
        if (p) proj_destroy(p);
    }
};

// Takes a changed copy of an object in its place when there is one.
void Replace(Obj& o, PJ* changed) {
    if (!changed) return;
    if (o.p) proj_destroy(o.p);
    o.p = changed;
}

struct EsriZoneName {
    std::string name, registered;  // "NAD_1927_StatePlane_..._FIPS_0101", "EPSG:26729"
};

// Every state plane name ESRI gives in PROJ's database (its ESRI systems and
// the ESRI aliases of EPSG ones), read once: the search scans whole tables.
const std::vector<EsriZoneName>& EsriZoneNames(PJ_CONTEXT* c) {
    static const std::vector<EsriZoneName> names = [c] {
        std::vector<EsriZoneName> out;
        const char* path = proj_context_get_database_path(c);
        sqlite3* db = nullptr;
        if (path && sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            const char* sql =
                "SELECT alt_name, auth_name || ':' || code FROM alias_name WHERE table_name = 'projected_crs' AND "
                "source = 'ESRI' AND alt_name GLOB 'NAD_19[28][73]_StatePlane_*' "
                "UNION SELECT name, auth_name || ':' || code FROM projected_crs WHERE auth_name = 'ESRI' AND "
                "name GLOB 'NAD_19[28][73]_StatePlane_*' ORDER BY 1, 2";
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK)
                while (sqlite3_step(st) == SQLITE_ROW) {
                    const unsigned char* n = sqlite3_column_text(st, 0);
                    const unsigned char* id = sqlite3_column_text(st, 1);
                    if (n && id) out.push_back({reinterpret_cast<const char*>(n), reinterpret_cast<const char*>(id)});
                }
            sqlite3_finalize(st);
        }
        sqlite3_close(db);
        return out;
    }();
    return names;
}

// The name ESRI gives a zone and the systems registered under it; empty
// when PROJ's database has none.
std::string EsriStatePlaneName(PJ_CONTEXT* c, bool nad83, long fips, const std::string& suffix,
                               std::vector<std::string>* registered = nullptr) {
    char tail[48];
    std::snprintf(tail, sizeof tail, "_FIPS_%04ld%s", fips, suffix.c_str());
    const std::string prefix = nad83 ? "NAD_1983_StatePlane_" : "NAD_1927_StatePlane_";
    const std::string end = tail;
    std::string name;
    for (const EsriZoneName& z : EsriZoneNames(c)) {
        const std::string& n = z.name;
        if (n.size() <= prefix.size() + end.size() || n.compare(0, prefix.size(), prefix) != 0 ||
            n.compare(n.size() - end.size(), end.size(), end) != 0)
            continue;
        if (!name.empty() && n != name) continue;  // the first name; every system it names
        name = n;
        if (registered) registered->push_back(z.registered);
    }
    return name;
}

// "NAD_1927_StatePlane_North_Carolina_FIPS_3200", as ESRI names the zones;
// built from the zone file's name where PROJ's database has no ESRI name.
std::string StatePlaneCrsName(PJ_CONTEXT* c, const StatePlaneZone& z, long unit,
                              std::vector<std::string>* registered = nullptr) {
    std::string suffix;
    if (z.Nad83 && unit == 1) suffix = "_Feet";
    if (unit == 5) suffix = "_Feet_Intl";
    if (!z.Nad83 && unit == 2) suffix = "_Meters";
    const std::string esri = EsriStatePlaneName(c, z.Nad83, z.Zone, suffix, registered);
    if (!esri.empty()) return esri;
    std::string name = z.Nad83 ? "NAD_1983_StatePlane_" : "NAD_1927_StatePlane_";
    bool wordStart = true;
    for (char c : z.Name) {
        const bool alnum = std::isalnum(static_cast<unsigned char>(c)) != 0;
        if (!alnum) {
            if (!wordStart) name += '_';
            wordStart = true;
            continue;
        }
        name += wordStart ? static_cast<char>(std::toupper(static_cast<unsigned char>(c)))
                          : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        wordStart = false;
    }
    if (name.back() != '_') name += '_';
    char fips[16];
    std::snprintf(fips, sizeof fips, "FIPS_%04ld", z.Zone);
    return name + fips + suffix;
}

}  // namespace

std::string ProjDefinition(const ProjectionBlock& b, const std::string& statePlaneDir, std::string* why) {
    if (why) why->clear();
    // A system the package would refuse has no description either.
    Result usable = CheckSystem(b);
    if (!usable) {
        if (why) *why = usable.reason;
        return {};
    }
    long unit = 0;
    if (!ResolveUnit(b, unit)) return {};
    const int code = static_cast<int>(b[kSlotCode]);
    const std::string datum = DatumPart(b);
    auto deg = [&b](int slot) { return Num(DmsToDd(b[slot])); };
    const int datumIndex = static_cast<int>(b[kSlotDatum]);
    // A geographic system with an EPSG code is that code; projected ones are
    // matched against PROJ's database when the WKT is made.
    const int geoEpsg = GeographicEpsg(b);
    if (code == 0 && unit == 4 && geoEpsg) return "EPSG:" + std::to_string(geoEpsg);
    switch (code) {
        case 0:
            if (unit != 4) return {};
            return "+proj=longlat " + datum + " +no_defs +type=crs";
        case 1: {
            const double zone = b[kSlotZone];
            if (std::fabs(zone) < 1 || std::fabs(zone) > 60 || UnitPart(unit).empty()) return {};
            return "+proj=utm +zone=" + Num(std::fabs(zone)) + (zone < 0 ? " +south " : " ") + datum +
                   UnitPart(unit) + " +no_defs +type=crs";
        }
        case 2: {
            // The zone's parameters come from the package's own files, so the
            // .prj names exactly what the package projects into.
            if (UnitPart(unit).empty()) return {};
            StatePlaneZone z;
            const int sph = static_cast<int>(b[kSlotSpheroid]);
            Result r = ReadStatePlaneZone(static_cast<long>(b[kSlotSpZone]), sph,
                                          statePlaneDir.empty() ? ProgramDirectory() : statePlaneDir, z);
            if (!r) {
                if (why) *why = r.reason;
                return {};
            }
            // A named datum only where the zone's ellipsoid is the datum's own
            // (the Michigan NAD27 zones use an enlarged Clarke 1866).
            const bool clarke66 = std::fabs(z.A - 6378206.4) < 1e-3 && std::fabs(z.Es - 0.006768657997291094) < 1e-12;
            const bool grs80 = std::fabs(z.A - 6378137.0) < 1e-3 && std::fabs(z.Es - 0.0066943800229) < 1e-11;
            std::string ellps;
            if (datumIndex == 13 && clarke66)
                ellps = "+datum=NAD27";
            else if (datumIndex == 14 && grs80)
                ellps = "+datum=NAD83";
            else {
                ellps = "+a=" + Num(z.A) + " +es=" + Num(z.Es);
                if (datumIndex >= 0 && datumIndex < kDatumRows) {
                    const DatumParameters& d = DatumTable()[datumIndex];
                    ellps += " +towgs84=" + Num(d.DeltaX) + "," + Num(d.DeltaY) + "," + Num(d.DeltaZ);
                }
            }
            return StatePlaneProjection(z) + " " + ellps + UnitPart(unit) + " +no_defs +type=crs";
        }
        case 3:
        case 4:
        case 9: {
            if (UnitPart(unit).empty()) return {};
            std::string s = code == 3 ? "+proj=aea +lat_1=" + deg(2) + " +lat_2=" + deg(3)
                          : code == 4 ? "+proj=lcc +lat_1=" + deg(2) + " +lat_2=" + deg(3)
                                      : "+proj=tmerc +k_0=" + Num(b[2]);
            s += " +lon_0=" + deg(4) + " +lat_0=" + deg(5) + " +x_0=" + Num(b[6]) + " +y_0=" + Num(b[7]);
            s += " " + datum;
            // The block's false origin is in metres whatever the unit.
            return s + UnitPart(unit) + " +no_defs +type=crs";
        }
        default: return {};
    }
}

namespace {

// The geographic system of a state plane zone's own ellipsoid on the datum,
// or 0 (the Michigan NAD27 zones use Clarke 1866 enlarged: NAD27 Michigan).
int StatePlaneGeographicEpsg(const StatePlaneZone& z, int datum) {
    const bool clarke66Shape = std::fabs(z.Es - 0.006768657997291094) < 1e-12;
    if (datum == 13 && clarke66Shape && std::fabs(z.A - 6378206.4) < 1e-3) return 4267;
    if (datum == 13 && clarke66Shape && std::fabs(z.A - 6378450.0475489) < 1e-3) return 4268;
    if (datum == 14 && std::fabs(z.A - 6378137.0) < 1e-3 && std::fabs(z.Es - 0.0066943800229) < 1e-11) return 4269;
    return 0;
}

// "GCS_North_American_1927" -> "North_American_1927"; words joined by '_'.
std::string NamePart(std::string name) {
    if (name.rfind("GCS_", 0) == 0) name = name.substr(4);
    for (char& c : name)
        if (c == ' ' || c == '/' || c == '(' || c == ')') c = '_';
    return name;
}

// The first registered system PROJ finds equivalent to `crs` (EPSG before
// ESRI), or null.
PJ* RegisteredEqual(PJ_CONTEXT* c, const PJ* crs) {
    int* confidence = nullptr;
    PJ_OBJ_LIST* list = proj_identify(c, crs, nullptr, nullptr, &confidence);
    PJ* found = nullptr;
    if (list) {
        const int n = proj_list_get_count(list);
        for (const char* auth : {"EPSG", "ESRI"}) {
            for (int k = 0; k < n && !found; ++k) {
                if (confidence[k] < 70) continue;  // 70 and above: equivalent, whatever the name
                PJ* candidate = proj_list_get(c, list, k);
                const char* a = candidate ? proj_get_id_auth_name(candidate, 0) : nullptr;
                if (a && std::string(a) == auth)
                    found = candidate;
                else if (candidate)
                    proj_destroy(candidate);
            }
            if (found) break;
        }
        proj_list_destroy(list);
    }
    proj_int_list_destroy(confidence);
    return found;
}

// Whether two projected systems on the same geographic system put points
// around (lon0, lat0) in the same place (to 0.005 of their unit: 1.5 mm in
// feet).
bool SamePlacement(PJ_CONTEXT* c, PJ* a, PJ* b, double lon0, double lat0) {
    Obj geo{proj_crs_get_geodetic_crs(c, a)};
    if (!geo.p) return false;
    Obj rawA{proj_create_crs_to_crs_from_pj(c, geo.p, a, nullptr, nullptr)};
    Obj rawB{proj_create_crs_to_crs_from_pj(c, geo.p, b, nullptr, nullptr)};
    if (!rawA.p || !rawB.p) return false;
    Obj opA{proj_normalize_for_visualization(c, rawA.p)}, opB{proj_normalize_for_visualization(c, rawB.p)};
    if (!opA.p || !opB.p) return false;
    for (double dlon : {-0.8, 0.0, 0.9})
        for (double dlat : {-0.4, 0.0, 0.7}) {
            const PJ_COORD in = proj_coord(lon0 + dlon, lat0 + dlat, 0, 0);
            const PJ_COORD pa = proj_trans(opA.p, PJ_FWD, in), pb = proj_trans(opB.p, PJ_FWD, in);
            if (!std::isfinite(pa.xy.x) || !std::isfinite(pb.xy.x)) return false;
            if (std::hypot(pa.xy.x - pb.xy.x, pa.xy.y - pb.xy.y) > 0.005) return false;
        }
    return true;
}

}  // namespace

Result PrjText(const ProjectionBlock& b, std::string& wkt, const std::string& statePlaneDir) {
    std::string why;
    const std::string def = ProjDefinition(b, statePlaneDir, &why);
    if (def.empty())
        return Result::Fail("no .prj can be written for this coordinate system" + (why.empty() ? "" : ": " + why));
    PJ_CONTEXT* const c = WriterContext();
    Obj crs{proj_create(c, def.c_str())};
    if (!crs.p) return Result::Fail("PROJ cannot describe " + def);
    // ESRI WKT carries no datum shift: describe the system itself.
    if (proj_get_type(crs.p) == PJ_TYPE_BOUND_CRS) Replace(crs, proj_get_source_crs(c, crs.p));

    const int code = static_cast<int>(b[kSlotCode]);
    const int datum = static_cast<int>(b[kSlotDatum]);
    const std::string dir = statePlaneDir.empty() ? ProgramDirectory() : statePlaneDir;
    long unit = 0;
    StatePlaneZone zone;
    const bool haveZone = code == 2 && ResolveUnit(b, unit) &&
                          ReadStatePlaneZone(static_cast<long>(b[kSlotSpZone]), static_cast<int>(b[kSlotSpheroid]), dir, zone);
    // A datum with an EPSG geographic system gets that system, so the WKT
    // names it as other programs expect.
    const int geoEpsg = code == 2 ? (haveZone ? StatePlaneGeographicEpsg(zone, datum) : 0) : GeographicEpsg(b);
    const bool projected = proj_get_type(crs.p) == PJ_TYPE_PROJECTED_CRS;
    if (projected && geoEpsg) {
        Obj geo{proj_create(c, ("EPSG:" + std::to_string(geoEpsg)).c_str())};
        if (geo.p) Replace(crs, proj_crs_alter_geodetic_crs(c, crs.p, geo.p));
    }
    if (projected) {
        // A system PROJ has registered is written under its registered (for
        // ESRI WKT: ESRI's) names; others get a name that says what they are.
        PJ* same = nullptr;
        if (haveZone) {
            // Zones carry ESRI's zone name, as ESRI's own files do; the system
            // registered under that name is written in its registered form
            // (Alaska 1's oblique Mercator from its natural origin, say) when
            // it places points where the package does. Identification alone
            // could take another state's zone of the same figures.
            std::vector<std::string> registered;
            const std::string name = StatePlaneCrsName(c, zone, unit, &registered);
            PJ* fits = nullptr;
            for (std::size_t k = 0; geoEpsg && !fits && k < registered.size(); ++k) {
                PJ* candidate = proj_create(c, registered[k].c_str());
                // Equal figures need no trial; a registered form of its own is tried on points.
                if (candidate && (proj_is_equivalent_to(candidate, crs.p, PJ_COMP_EQUIVALENT) ||
                                  SamePlacement(c, crs.p, candidate, StatePlaneAngle(zone.Table[2]),
                                                StatePlaneAngle(zone.Kind == StatePlaneKind::Polyconic ? zone.Table[3]
                                                                                                       : zone.Table[6]))))
                    fits = candidate;
                else if (candidate)
                    proj_destroy(candidate);
            }
            if (fits)
                Replace(crs, fits);
            else
                Replace(crs, proj_alter_name(c, crs.p, name.c_str()));
        } else {
            same = geoEpsg ? RegisteredEqual(c, crs.p) : nullptr;
            if (same) Replace(crs, same);
        }
        if (!haveZone && !same) {
            Obj geo{proj_crs_get_geodetic_crs(c, crs.p)};
            const char* g = geo.p ? proj_get_name(geo.p) : nullptr;
            std::string geoName = g && std::string(g) != "unknown" ? NamePart(g) : std::string();
            if (geoName.empty() && datum >= 0 && datum < kDatumRows) geoName = DatumListName(datum);
            if (geoName.empty()) geoName = "Custom";
            const double z = b[kSlotZone];
            const std::string method = code == 1   ? "UTM_Zone_" + Num(std::fabs(z)) + (z < 0 ? "S" : "N")
                                       : code == 3 ? "Albers"
                                       : code == 4 ? "Lambert_Conformal_Conic"
                                                   : "Transverse_Mercator";
            const std::string name = geoName + "_" + method;
            Replace(crs, proj_alter_name(c, crs.p, name.c_str()));
        }
    } else if (!geoEpsg && datum >= 0 && datum < kDatumRows) {
        Replace(crs, proj_alter_name(c, crs.p, (std::string("GCS_") + DatumListName(datum)).c_str()));
    }
    const char* opts[] = {"MULTILINE=NO", nullptr};
    const char* text = proj_as_wkt(c, crs.p, PJ_WKT1_ESRI, opts);
    if (!text) return Result::Fail("PROJ cannot write " + def + " as ESRI WKT");
    wkt = text;
    return Result::Ok();
}

Result WritePrjFile(const std::string& path, const ProjectionBlock& b, const std::string& statePlaneDir) {
    std::string wkt;
    Result r = PrjText(b, wkt, statePlaneDir);
    if (!r) return r;
    AtomicFile f(path);
    r = f.Open();
    if (!r) return r;
    f.Write(wkt);
    return f.Commit();
}

Result ReadPrjDatum(const std::string& path, int& datum) {
    datum = -1;
    std::string text;
    Result r = ReadWholeFile(path, text, 1 << 20);
    if (!r) return r;
    Ctx ctx;
    proj_log_level(ctx.c, PJ_LOG_NONE);
    Obj crs{proj_create(ctx.c, text.c_str())};
    if (!crs.p) return Result::Fail(path + " does not hold a coordinate system PROJ can read");
    Obj d{proj_crs_get_datum(ctx.c, crs.p)};
    if (!d.p) {
        Obj ens{proj_crs_get_datum_ensemble(ctx.c, crs.p)};
        if (ens.p && proj_get_name(ens.p)) {
            std::string n = proj_get_name(ens.p);
            if (n.find("WGS") != std::string::npos && n.find("84") != std::string::npos) datum = kDatumWgs84;
        }
        return Result::Ok();
    }
    std::string name = proj_get_name(d.p) ? proj_get_name(d.p) : "";
    for (char& c : name)
        if (c == ' ' || c == '-') c = '_';
    name = UpperCase(name);
    struct Known {
        const char* key;
        int index;
    };
    const Known known[] = {{"NORTH_AMERICAN_DATUM_1927", 13}, {"NORTH_AMERICAN_1927", 13},
                           {"NORTH_AMERICAN_DATUM_1983", 14}, {"NORTH_AMERICAN_1983", 14},
                           {"WORLD_GEODETIC_SYSTEM_1984", 23}, {"WGS_1984", 23},
                           {"WORLD_GEODETIC_SYSTEM_1972", 22}, {"WGS_1972", 22},
                           {"EUROPEAN_DATUM_1950", 7},        {"EUROPEAN_1950", 7},
                           {"EUROPEAN_DATUM_1979", 8},        {"EUROPEAN_1979", 8},
                           {"AUSTRALIAN_GEODETIC_DATUM_1966", 3}, {"AUSTRALIAN_1966", 3},
                           {"AUSTRALIAN_GEODETIC_DATUM_1984", 4}, {"AUSTRALIAN_1984", 4},
                           {"OSGB_1936", 17},                {"ORDNANCE_SURVEY_1936", 17},
                           {"PULKOVO_1942", 19},             {"TOKYO", 21},
                           {"ADINDAN", 0},                   {"ARC_1950", 1},
                           {"ARC_1960", 2},                  {"CAPE", 6},
                           {"HONG_KONG_1963", 10},           {"HU_TZU_SHAN", 11},
                           {"INDIAN_1954", 12},              {"OLD_HAWAIIAN", 15},
                           {"OMAN", 16},                     {"PUERTO_RICO", 18},
                           {"PROVISIONAL_SOUTH_AMERICAN_DATUM_1956", 20}, {"PROVISIONAL_S_AMERICAN_1956", 20}};
    for (const Known& k : known)
        if (name.find(k.key) != std::string::npos) {
            datum = k.index;
            break;
        }
    return Result::Ok();
}

}  // namespace zemba
