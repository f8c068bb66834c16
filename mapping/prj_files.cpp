#include "mapping/prj_files.h"

#include <proj.h>
#include <proj_experimental.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <memory>

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

std::string DatumPart(const ProjectionBlock& b) {
    const int datum = static_cast<int>(b[kSlotDatum]);
    switch (datum) {
        case 13: return "+datum=NAD27";
        case 14: return "+datum=NAD83";
        case 23: return "+datum=WGS84";
        default: break;
    }
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

// "NAD_1927_StatePlane_North_Carolina_FIPS_3200", as ESRI names the zones.
std::string StatePlaneCrsName(const StatePlaneZone& z, long unit) {
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
    name += "FIPS_" + std::to_string(z.Zone);
    if (z.Nad83 && unit == 1) name += "_Feet";
    if (unit == 5) name += "_Feet_Intl";
    if (!z.Nad83 && unit == 2) name += "_Meters";
    return name;
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
    // Systems with an EPSG code get its names in the WKT.
    if (code == 0 && unit == 4) {
        if (datumIndex == 13) return "EPSG:4267";
        if (datumIndex == 14) return "EPSG:4269";
        if (datumIndex == 23) return "EPSG:4326";
    }
    if (code == 1 && unit == 2) {
        const int zone = static_cast<int>(b[kSlotZone]);
        if (datumIndex == 13 && zone >= 1 && zone <= 22) return "EPSG:" + std::to_string(26700 + zone);
        if (datumIndex == 14 && zone >= 1 && zone <= 23) return "EPSG:" + std::to_string(26900 + zone);
        if (datumIndex == 23 && zone != 0 && std::abs(zone) <= 60)
            return "EPSG:" + std::to_string((zone > 0 ? 32600 : 32700) + std::abs(zone));
    }
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
            // Explicit axes in the block override the spheroid's.
            if (b[0] > 0 && b[1] > 1)
                s += " +a=" + Num(b[0]) + " +b=" + Num(b[1]) + (datum.find("towgs84") != std::string::npos
                                                                    ? " " + datum.substr(datum.find("+towgs84"))
                                                                    : std::string());
            else
                s += " " + datum;
            // The block's false origin is in metres whatever the unit.
            return s + UnitPart(unit) + " +no_defs +type=crs";
        }
        default: return {};
    }
}

Result PrjText(const ProjectionBlock& b, std::string& wkt, const std::string& statePlaneDir) {
    std::string why;
    const std::string def = ProjDefinition(b, statePlaneDir, &why);
    if (def.empty())
        return Result::Fail("no .prj can be written for this coordinate system" + (why.empty() ? "" : ": " + why));
    Ctx ctx;
    proj_log_level(ctx.c, PJ_LOG_NONE);
    Obj crs{proj_create(ctx.c, def.c_str())};
    if (!crs.p) return Result::Fail("PROJ cannot describe " + def);
    // A datum PROJ knows by name gets its registered geographic system, so
    // the WKT names it as other programs expect.
    if (proj_get_type(crs.p) == PJ_TYPE_PROJECTED_CRS) {
        const char* geoCode = def.find("+datum=NAD27") != std::string::npos   ? "EPSG:4267"
                              : def.find("+datum=NAD83") != std::string::npos ? "EPSG:4269"
                              : def.find("+datum=WGS84") != std::string::npos ? "EPSG:4326"
                                                                               : nullptr;
        Obj geo{geoCode ? proj_create(ctx.c, geoCode) : nullptr};
        if (geo.p) Replace(crs, proj_crs_alter_geodetic_crs(ctx.c, crs.p, geo.p));
    }
    if (b[kSlotCode] == 2) {
        // Name the zone as the package does; the WKT would say "unknown".
        StatePlaneZone z;
        const int sph = static_cast<int>(b[kSlotSpheroid]);
        long unit = 0;
        if (ResolveUnit(b, unit) && ReadStatePlaneZone(static_cast<long>(b[kSlotSpZone]), sph,
                                                       statePlaneDir.empty() ? ProgramDirectory() : statePlaneDir, z)) {
            const std::string name = StatePlaneCrsName(z, unit);
            Replace(crs, proj_alter_name(ctx.c, crs.p, name.c_str()));
        }
    }
    const char* opts[] = {"MULTILINE=NO", nullptr};
    const char* text = proj_as_wkt(ctx.c, crs.p, PJ_WKT1_ESRI, opts);
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
