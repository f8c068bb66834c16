// State plane .prj files: the zone read from the package's own files must
// put a point where the package puts it, read back by PROJ from the WKT.
#include <gtest/gtest.h>

#include <proj.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "mapping/prj_files.h"
#include "mapping/projection.h"
#include "mapping/state_plane.h"
#include "mapping_fixture.h"

namespace zemba {
namespace {

const std::string kSpDir = std::string(ZEMBA_BIN_DIR) + "/";

ProjectionBlock StatePlane(long zone, int units, int datum, int spheroid) {
    MapInfoRec m = MapProject::BlankMapInfo();
    m.ProjectionCode = 2;
    m.Units = units;
    m.Datum = datum;
    m.Spheroid = spheroid;
    m.StatePlaneZone = static_cast<std::int32_t>(zone);
    return BuildBlock(m);
}

ProjectionBlock Geographic(int datum) {
    ProjectionBlock b = GeographicNad27Block();
    b[kSlotDatum] = datum;
    return b;
}

// PROJ's answer for (lon, lat) in the CRS a WKT names, from that CRS's own
// geographic system (so no datum step enters).
struct ProjFromWkt {
    PJ_CONTEXT* ctx = proj_context_create();
    PJ* op = nullptr;
    explicit ProjFromWkt(const std::string& wkt) {
        proj_log_level(ctx, PJ_LOG_NONE);
        PJ* crs = proj_create(ctx, wkt.c_str());
        if (!crs) return;
        PJ* geo = proj_crs_get_geodetic_crs(ctx, crs);
        PJ* raw = geo ? proj_create_crs_to_crs_from_pj(ctx, geo, crs, nullptr, nullptr) : nullptr;
        if (raw) {
            op = proj_normalize_for_visualization(ctx, raw);
            proj_destroy(raw);
        }
        if (geo) proj_destroy(geo);
        proj_destroy(crs);
    }
    ~ProjFromWkt() {
        if (op) proj_destroy(op);
        proj_context_destroy(ctx);
    }
    bool Forward(double lon, double lat, double& x, double& y) const {
        if (!op) return false;
        PJ_COORD c = proj_trans(op, PJ_FWD, proj_coord(lon, lat, 0, 0));
        x = c.xy.x;
        y = c.xy.y;
        return std::isfinite(x) && std::isfinite(y);
    }
};

TEST(StatePlanePrj, EveryZonePlacesPointsAsThePackageDoes) {
    TransformOptions opt;
    opt.StatePlaneDir = kSpDir;
    int done = 0, undefined = 0;
    for (int sph : {0, 8}) {
        const int datum = sph == 0 ? 13 : 14;
        for (long zone = 1; zone <= 5400; ++zone) {
            if (StatePlaneSlot(zone, sph) < 0) continue;
            StatePlaneZone z;
            if (!ReadStatePlaneZone(zone, sph, kSpDir, z)) {
                // The package refuses the zones its file leaves undefined too.
                Transformer t;
                EXPECT_FALSE(t.Init(Geographic(datum), StatePlane(zone, 2, datum, sph), opt, {})) << zone;
                ++undefined;
                continue;
            }
            // U.S. feet on NAD27, metres on NAD83: the unit goes into the WKT.
            const int units = sph == 0 ? 1 : 2;
            const double toMetres = sph == 0 ? 1200.0 / 3937.0 : 1.0;
            const ProjectionBlock target = StatePlane(zone, units, datum, sph);
            std::string wkt;
            ASSERT_TRUE(PrjText(target, wkt, kSpDir)) << zone;
            ProjFromWkt proj(wkt);
            Transformer gctp;
            ASSERT_TRUE(gctp.Init(Geographic(datum), target, opt, {})) << zone;
            // Points around the zone's origin, inside the zone.
            const double lon0 = StatePlaneAngle(z.Table[2]);
            const double lat0 = StatePlaneAngle(z.Kind == StatePlaneKind::Polyconic ? z.Table[3] : z.Table[6]);
            for (double dlon : {-0.7, 0.0, 0.9})
                for (double dlat : {0.2, 1.1}) {
                    double x = lon0 + dlon, y = lat0 + dlat, px = 0, py = 0;
                    ASSERT_TRUE(proj.Forward(x, y, px, py)) << zone << "\n" << wkt;
                    ASSERT_TRUE(gctp.Convert(x, y)) << zone;
                    EXPECT_LT(std::hypot(x - px, y - py) * toMetres, 0.01)
                        << z.Name << " " << zone << (sph ? " NAD83" : " NAD27") << ": package (" << x << ", "
                        << y << ") PROJ (" << px << ", " << py << ")\n"
                        << wkt;
                }
            ++done;
        }
    }
    EXPECT_EQ(done, 134 + 123);
    EXPECT_EQ(undefined, 11);
}

TEST(StatePlanePrj, NorthCarolinaThroughCs2cs) {
    if (!test::HaveTool("cs2cs")) GTEST_SKIP() << "PROJ's tools are not installed";
    LayerStore store;
    ASSERT_TRUE(test::OpenLayer(store, test::DataPath("nc.shp")));
    std::vector<PointXY> pts;
    const ShpLayer& L = store.ShapeLayers[1];
    for (std::int32_t k = 1; k <= L.NumRecords; k += 7) pts.push_back(L.Shapes[k].Parts[1].Pts[1]);
    std::string input;
    char buf[96];
    for (const PointXY& p : pts) {
        std::snprintf(buf, sizeof buf, "%.12f %.12f\n", p.Y, p.X);  // EPSG order: latitude first
        input += buf;
    }
    TransformOptions opt;
    opt.StatePlaneDir = kSpDir;
    struct Case {
        ProjectionBlock target;
        const char* geographic;
        double toMetres;
        const char* unitName;
            const char* name;
    } cases[] = {{StatePlane(3200, 1, 13, 0), "EPSG:4267", 1200.0 / 3937.0, "US survey foot",
                  "PROJCS[\"NAD_1927_StatePlane_North_Carolina_FIPS_3200\",GEOGCS[\"GCS_North_American_1927\""},
                 {StatePlane(3200, 2, 14, 8), "EPSG:4269", 1.0, "Meter",
                  "PROJCS[\"NAD_1983_StatePlane_North_Carolina_FIPS_3200\",GEOGCS[\"GCS_North_American_1983\""}};
    for (const Case& c : cases) {
        std::string wkt;
        ASSERT_TRUE(PrjText(c.target, wkt, kSpDir));
        EXPECT_NE(wkt.find("Lambert_Conformal_Conic"), std::string::npos) << wkt;
        EXPECT_EQ(wkt.rfind(c.name, 0), 0u) << wkt;
        EXPECT_NE(wkt.find(c.unitName), std::string::npos) << wkt;
        // Written beside a layer, it names its datum when the layer opens.
        test::TempDir dir;
        ASSERT_TRUE(WritePrjFile(dir.file("sp.prj"), c.target, kSpDir));
        EXPECT_EQ(test::ReadFileBytes(dir.file("sp.prj")), wkt);
        int datum = -1;
        ASSERT_TRUE(ReadPrjDatum(dir.file("sp.prj"), datum));
        EXPECT_EQ(datum, c.target[kSlotDatum]);
        auto ref = test::Numbers(
            test::RunWithInput(std::string("cs2cs -f %.6f ") + c.geographic + " '" + wkt + "'", input));
        ASSERT_EQ(ref.size(), pts.size()) << wkt;
        Transformer t;
        ASSERT_TRUE(t.Init(Geographic(static_cast<int>(c.target[kSlotDatum])), c.target, opt, {}));
        for (std::size_t k = 0; k < pts.size(); ++k) {
            double x = pts[k].X, y = pts[k].Y;
            ASSERT_TRUE(t.Convert(x, y));
            EXPECT_LT(std::hypot(x - ref[k][0], y - ref[k][1]) * c.toMetres, 0.01) << k;
        }
    }
}

// PROJ's best identification of a WKT: "EPSG:26729: 100 %" -> auth:code and percent.
std::pair<std::string, int> Identify(const std::string& wkt) {
    test::TempDir dir;
    test::WriteFileBytes(dir.file("z.prj"), wkt);
    const std::string out = test::RunWithInput("projinfo --identify \"$(cat " + dir.file("z.prj") + ")\"", "");
    const std::size_t count = out.find("Identification match count: ");
    if (count == std::string::npos) return {"", 0};
    const std::size_t line = out.find('\n', count);
    if (line == std::string::npos) return {"", 0};
    const std::size_t pct = out.find(" %", line);
    const std::size_t colon = out.rfind(": ", pct);
    if (pct == std::string::npos || colon == std::string::npos || colon < line) return {"", 0};
    return {out.substr(line + 1, colon - line - 1), std::atoi(out.c_str() + colon + 2)};
}

TEST(StatePlanePrj, EveryZoneIsIdentifiedByProj) {
    if (!test::HaveTool("projinfo") || !test::HaveTool("cs2cs")) GTEST_SKIP() << "PROJ's tools are not installed";
    int full = 0, differs = 0;
    for (int sph : {0, 8}) {
        for (long zone = 1; zone <= 5400; ++zone) {
            if (StatePlaneSlot(zone, sph) < 0) continue;
            StatePlaneZone z;
            if (!ReadStatePlaneZone(zone, sph, kSpDir, z)) continue;
            // The units PROJ registers zones in: U.S. feet on NAD27, metres
            // (EPSG) and U.S. feet (ESRI) on NAD83.
            for (int units : sph == 0 ? std::vector<int>{1} : std::vector<int>{2, 1}) {
                std::string wkt;
                ASSERT_TRUE(PrjText(StatePlane(zone, units, sph == 0 ? 13 : 14, sph), wkt, kSpDir)) << zone;
                // The name carries the FIPS code in four digits, as ESRI writes it.
                char fips[16];
                std::snprintf(fips, sizeof fips, "_FIPS_%04ld", zone);
                EXPECT_NE(wkt.find(fips), std::string::npos) << wkt;
                const auto id = Identify(wkt);
                if (id.second == 100) {
                    ++full;
                    continue;
                }
                // Below 100 % only where PROJ's zone is another system: its
                // best candidate puts the zone's origin elsewhere.
                ASSERT_FALSE(id.first.empty()) << zone << "\n" << wkt;
                test::TempDir dir;
                test::WriteFileBytes(dir.file("z.prj"), wkt);
                const double lon = StatePlaneAngle(z.Table[2]) + 0.3;
                const double lat = StatePlaneAngle(z.Kind == StatePlaneKind::Polyconic ? z.Table[3] : z.Table[6]) + 0.4;
                const std::string point = std::to_string(lat) + " " + std::to_string(lon) + "\n";
                const std::string geo = sph == 0 ? "EPSG:4267" : "EPSG:4269";
                const auto ours = test::Numbers(
                    test::RunWithInput("cs2cs -f %.4f " + geo + " \"$(cat " + dir.file("z.prj") + ")\"", point));
                const auto theirs = test::Numbers(test::RunWithInput("cs2cs -f %.4f " + geo + " " + id.first, point));
                ASSERT_EQ(ours.size(), 1u) << zone;
                ASSERT_EQ(theirs.size(), 1u) << zone << " " << id.first;
                EXPECT_GT(std::hypot(ours[0][0] - theirs[0][0], ours[0][1] - theirs[0][1]), 0.005)
                    << zone << (sph ? " NAD83" : " NAD27") << " places as " << id.first << " but is identified at "
                    << id.second << " %\n"
                    << wkt;
                ++differs;
            }
        }
    }
    EXPECT_GT(full, 350);
    EXPECT_LT(differs, 40);
}

TEST(StatePlanePrj, ZonesThatCannotBeNamedSayWhy) {
    struct Bad {
        ProjectionBlock block;
        std::string dir;
        const char* reason;
    } cases[] = {
        {StatePlane(9999, 2, 13, 0), kSpDir, "Illegal zone number 9999"},
        {StatePlane(407, 2, 14, 8), kSpDir, "Illegal zone number 407"},  // undefined on NAD83
        {StatePlane(3200, 2, 13, 3), kSpDir, "spheroid"},
        {StatePlane(3200, 2, 13, 0), "/nonexistent/", "Error opening State Plane parameter file"},
    };
    for (const Bad& b : cases) {
        std::string wkt;
        Result r = PrjText(b.block, wkt, b.dir);
        EXPECT_FALSE(r);
        EXPECT_NE(r.reason.find(b.reason), std::string::npos) << r.reason;
    }
    // A file cut short before the zone's slot, and one with a damaged entry.
    test::TempDir dir;
    const std::string full = test::ReadFileBytes(kSpDir + "nad27sp");
    ASSERT_EQ(full.size(), 57564u);
    test::WriteFileBytes(dir.file("nad27sp"), full.substr(0, 83 * 432 + 50));  // 3200 is slot 83
    std::string wkt;
    Result r = PrjText(StatePlane(3200, 1, 13, 0), wkt, dir.path() + "/");
    EXPECT_FALSE(r);
    EXPECT_NE(r.reason.find("too short"), std::string::npos) << r.reason;
    std::string damaged = full;
    damaged[83 * 432 + 36 + 7] = '\x7f';  // the semi-major axis becomes huge
    test::WriteFileBytes(dir.file("nad27sp"), damaged);
    EXPECT_FALSE(PrjText(StatePlane(3200, 1, 13, 0), wkt, dir.path() + "/"));
    // Slot 83 of the intact file, read as the package reads it.
    StatePlaneZone z;
    ASSERT_TRUE(ReadStatePlaneZone(3200, 0, kSpDir, z));
    EXPECT_EQ(z.Name, "NORTH CAROLINA");
    EXPECT_EQ(z.Kind, StatePlaneKind::Lambert);
    EXPECT_DOUBLE_EQ(StatePlaneAngle(z.Table[2]), -79.0);
    EXPECT_DOUBLE_EQ(StatePlaneAngle(z.Table[6]), 33.75);
    EXPECT_NEAR(z.Table[7], 609601.2192, 1e-4);
}

}  // namespace
}  // namespace zemba
