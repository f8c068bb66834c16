#include <gtest/gtest.h>

#include <cmath>

#include "core/file_io.h"
#include "core/shp_writer.h"
#include "mapping/datum.h"
#include "mapping/map_commands.h"
#include "mapping/prj_files.h"
#include "mapping/projection.h"
#include "mapping_fixture.h"

namespace zemba {
namespace {

constexpr double kD2R = M_PI / 180.0;
const std::string kSpDir = std::string(ZEMBA_BIN_DIR) + "/";

TransformOptions Options() {
    TransformOptions o;
    o.StatePlaneDir = kSpDir;
    return o;
}

MapInfoRec System(int code, int units, int datum = 13, int spheroid = 0) {
    MapInfoRec m = MapProject::BlankMapInfo();
    m.ProjectionCode = code;
    m.Units = units;
    m.Datum = datum;
    m.Spheroid = spheroid;
    return m;
}

MapInfoRec Utm17() {
    MapInfoRec m = System(1, 2);
    m.UtmZone = 17;
    return m;
}
MapInfoRec NcStatePlane(int units, int datum, int spheroid) {
    MapInfoRec m = System(2, units, datum, spheroid);
    m.StatePlaneZone = 3200;
    return m;
}
MapInfoRec Albers() {
    MapInfoRec m = System(3, 2);
    m.StdPr1 = 29030000, m.StdPr2 = 45030000, m.CentMer = -96000000, m.OriginLat = 23000000;
    return m;
}
MapInfoRec Lambert() {
    MapInfoRec m = System(4, 2);
    m.StdPr1 = 33000000, m.StdPr2 = 45000000, m.CentMer = -96000000, m.OriginLat = 39000000;
    m.FalseEasting = 1000000, m.FalseNorthing = 500000;
    return m;
}

const char* kNcLcc27 =
    "+proj=lcc +lat_1=34.33333333333334 +lat_2=36.16666666666666 +lat_0=33.75 +lon_0=-79 "
    "+x_0=609601.2192024384 +y_0=0 +ellps=clrk66 +units=us-ft";

// Every 10th vertex of nc.shp, in degrees.
std::vector<PointXY> NcPoints() {
    LayerStore store;
    EXPECT_TRUE(test::OpenLayer(store, test::DataPath("nc.shp")));
    std::vector<PointXY> pts;
    long n = 0;
    const ShpLayer& L = store.ShapeLayers[1];
    for (std::int32_t k = 1; k <= L.NumRecords; ++k)
        for (std::size_t p = 1; p < L.Shapes[k].Parts.size(); ++p)
            for (std::size_t j = 1; j < L.Shapes[k].Parts[p].Pts.size(); ++j)
                if (n++ % 10 == 0) pts.push_back(L.Shapes[k].Parts[p].Pts[j]);
    return pts;
}

std::string PointsText(const std::vector<PointXY>& pts) {
    std::string s;
    char buf[96];
    for (const PointXY& p : pts) {
        std::snprintf(buf, sizeof buf, "%.12f %.12f\n", p.X, p.Y);
        s += buf;
    }
    return s;
}

struct Case {
    const char* what;
    MapInfoRec target;
    std::string ref;  // the command that gives PROJ's answer for NAD27 degrees
    double toMetres;   // target unit in metres
};

std::vector<Case> Cases() {
    const std::string geo27 = "cs2cs -f %.6f +proj=longlat +ellps=clrk66 +to ";
    return {
        {"UTM 17N", Utm17(), geo27 + "+proj=utm +zone=17 +ellps=clrk66", 1},
        {"state plane NAD27 feet", NcStatePlane(1, 13, 0), geo27 + kNcLcc27, 0.3048006096012192},
        {"state plane NAD27 unit 6", NcStatePlane(6, 13, 0), geo27 + kNcLcc27, 0.3048006096012192},
        {"state plane NAD83 metres", NcStatePlane(2, 14, 8),
         "cct -z 0 -d 6 +proj=pipeline +step +proj=molodensky +ellps=clrk66 +dx=-8 +dy=160 +dz=176 +da=-69.4 +df=-3.7264639e-05 "
         "+step +proj=lcc +lat_1=34.33333333333334 +lat_2=36.16666666666666 +lat_0=33.75 +lon_0=-79 "
         "+x_0=609601.22 +y_0=0 +ellps=GRS80",
         1},
        {"Albers", Albers(), geo27 + "+proj=aea +lat_1=29.5 +lat_2=45.5 +lat_0=23 +lon_0=-96 +ellps=clrk66", 1},
        {"Lambert", Lambert(),
         geo27 + "+proj=lcc +lat_1=33 +lat_2=45 +lat_0=39 +lon_0=-96 +x_0=1000000 +y_0=500000 +ellps=clrk66", 1},
    };
}

TEST(Projection, ForwardAndBackAgreeWithProj) {
    if (!test::HaveTool("cs2cs") || !test::HaveTool("cct")) GTEST_SKIP() << "PROJ's tools are not installed";
    const std::vector<PointXY> pts = NcPoints();
    ASSERT_GT(pts.size(), 100u);
    for (const Case& c : Cases()) {
        auto ref = test::Numbers(test::RunWithInput(c.ref, PointsText(pts)));
        ASSERT_EQ(ref.size(), pts.size()) << c.what;
        Transformer fwd, inv;
        ASSERT_TRUE(fwd.Init(GeographicNad27Block(), BuildBlock(c.target), Options(), {})) << c.what;
        std::vector<PointXY> out = pts;
        double worst = 0;
        for (std::size_t k = 0; k < pts.size(); ++k) {
            ASSERT_TRUE(fwd.Convert(out[k].X, out[k].Y)) << c.what;
            worst = std::max(worst, std::hypot(out[k].X - ref[k][0], out[k].Y - ref[k][1]) * c.toMetres);
        }
        EXPECT_LT(worst, 0.01) << c.what << ": forward off by " << worst << " m";

        ASSERT_TRUE(inv.Init(BuildBlock(c.target), GeographicNad27Block(), Options(), {})) << c.what;
        worst = 0;
        for (std::size_t k = 0; k < pts.size(); ++k) {
            ASSERT_TRUE(inv.Convert(out[k].X, out[k].Y)) << c.what;
            const double dy = (out[k].Y - pts[k].Y) * kD2R * 6371000;
            const double dx = (out[k].X - pts[k].X) * kD2R * 6371000 * std::cos(pts[k].Y * kD2R);
            worst = std::max(worst, std::hypot(dx, dy));
        }
        EXPECT_LT(worst, 0.05) << c.what << ": back off by " << worst << " m";
    }
}

// nc.shp with every vertex kept for comparison.
struct NcStore {
    LayerStore store;
    NullProgress progress;
    std::vector<std::string> lines;
    ReportFn report = [this](const std::string& s) { lines.push_back(s); };
    NcStore() { EXPECT_TRUE(test::OpenLayer(store, test::DataPath("nc.shp"))); }
    std::vector<PointXY> Vertices() const {
        std::vector<PointXY> v;
        const ShpLayer& L = store.ShapeLayers[1];
        for (std::int32_t k = 1; k <= L.NumRecords; ++k)
            for (std::size_t p = 1; p < L.Shapes[k].Parts.size(); ++p)
                for (std::size_t j = 1; j < L.Shapes[k].Parts[p].Pts.size(); ++j) v.push_back(L.Shapes[k].Parts[p].Pts[j]);
        return v;
    }
};

TEST(Projection, FailedSetUpsNameTheReasonAndChangeNoPoint) {
    MapInfoRec badZoneUtm = Utm17();
    badZoneUtm.UtmZone = 61;
    MapInfoRec blankUtm = Utm17();
    blankUtm.UtmZone = 0;
    MapInfoRec badSpZone = NcStatePlane(2, 13, 0);
    badSpZone.StatePlaneZone = 9999;
    struct Bad {
        const char* what;
        MapInfoRec target;
        std::string dir;
    } cases[] = {
        {"code 31", System(31, 2), kSpDir},
        {"code 32", System(32, 2), kSpDir},
        {"UTM zone 61", badZoneUtm, kSpDir},
        {"UTM zone 0", blankUtm, kSpDir},
        {"state plane files missing", NcStatePlane(2, 13, 0), "/nonexistent/"},
        {"state plane zone 9999", badSpZone, kSpDir},
        {"state plane on spheroid 3", NcStatePlane(2, 13, 3), kSpDir},
        {"state plane unit on spheroid 3", NcStatePlane(6, 13, 3), kSpDir},
        {"unknown unit", System(3, 7), kSpDir},
        {"geographic in metres", System(0, 2), kSpDir},
    };
    for (const Bad& b : cases) {
        NcStore s;
        const auto before = s.Vertices();
        const ShpLayer before1 = s.store.ShapeLayers[1];
        TransformOptions o = Options();
        o.StatePlaneDir = b.dir;
        ConvertOutcome r = ProjectMap(s.store, BuildBlock(b.target), o, s.progress, s.report);
        EXPECT_FALSE(r.result) << b.what;
        EXPECT_FALSE(r.result.reason.empty()) << b.what;
        const auto after = s.Vertices();
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(std::memcmp(after.data(), before.data(), after.size() * sizeof(PointXY)), 0) << b.what;
        EXPECT_EQ(s.store.ShapeLayers[1].XMin, before1.XMin) << b.what;
        EXPECT_TRUE(s.store.ShapeLayers[1].CoordSystem.empty()) << b.what;
        EXPECT_TRUE(s.store.MapSystem.empty()) << b.what;
    }
    // The package's own report reaches the messages as routine and message.
    NcStore s;
    TransformOptions o = Options();
    o.StatePlaneDir = "/nonexistent/";
    ProjectMap(s.store, BuildBlock(NcStatePlane(2, 13, 0)), o, s.progress, s.report);
    EXPECT_NE(std::find(s.lines.begin(), s.lines.end(), "Error opening State Plane parameter file"), s.lines.end());
}

TEST(Projection, SameSystemDoesNothingAndReportsNothing) {
    NcStore s;
    MapProject project;  // the blank project: geographic degrees, NAD27
    const auto before = s.Vertices();
    ConvertOutcome r = ProjectToMapInfo(s.store, project, s.progress, s.report, kSpDir);
    EXPECT_TRUE(r.result);
    EXPECT_TRUE(s.lines.empty());
    EXPECT_EQ(r.points, 0);
    const auto after = s.Vertices();
    EXPECT_EQ(std::memcmp(after.data(), before.data(), after.size() * sizeof(PointXY)), 0);
}

TEST(Projection, ProjectedLayersReprojectFromWhereTheyAre) {
    NcStore direct, twice;
    ASSERT_TRUE(ProjectMap(direct.store, BuildBlock(NcStatePlane(2, 14, 8)), Options(), direct.progress, direct.report).result);
    ASSERT_TRUE(ProjectMap(twice.store, BuildBlock(Utm17()), Options(), twice.progress, twice.report).result);
    EXPECT_EQ(twice.store.ShapeLayers[1].CoordSystem, ToVector(BuildBlock(Utm17())));
    ASSERT_TRUE(ProjectMap(twice.store, BuildBlock(NcStatePlane(2, 14, 8)), Options(), twice.progress, twice.report).result);
    const auto a = direct.Vertices(), b = twice.Vertices();
    double worst = 0;
    for (std::size_t k = 0; k < a.size(); ++k) worst = std::max(worst, std::hypot(a[k].X - b[k].X, a[k].Y - b[k].Y));
    EXPECT_LT(worst, 0.05);
    // Boxes follow the coordinates.
    const ShpLayer& L = twice.store.ShapeLayers[1];
    EXPECT_GT(L.XMin, 100000);
    EXPECT_LT(L.XMax, 1000000);
    EXPECT_EQ(L.XShift, -L.XMin);
    // And back to geographic: the layer holds degrees again, no system noted.
    ASSERT_TRUE(ProjectMap(twice.store, GeographicNad27Block(), Options(), twice.progress, twice.report).result);
    EXPECT_TRUE(twice.store.ShapeLayers[1].CoordSystem.empty());
    EXPECT_NEAR(twice.store.ShapeLayers[1].XMin, -84.3239, 1e-3);
}

TEST(Projection, PointBoxesAndNewLayersFollowTheMap) {
    LayerStore store;
    NullProgress progress;
    ASSERT_TRUE(test::OpenLayer(store, test::DataPath("types/point.shp")));
    const double x0 = store.ShapeLayers[1].Shapes[1].XMin;
    ASSERT_TRUE(ProjectMap(store, BuildBlock(Albers()), Options(), progress, {}).result);
    for (std::int32_t k = 1; k <= store.ShapeLayers[1].NumRecords; ++k) {
        const ShpObj& s = store.ShapeLayers[1].Shapes[k];
        EXPECT_EQ(s.XMax, s.XMin);
        EXPECT_EQ(s.YMax, s.YMin);
    }
    EXPECT_NE(store.ShapeLayers[1].Shapes[1].XMin, x0);
    // A layer opened now is brought into the map's system.
    ASSERT_TRUE(test::OpenLayer(store, test::DataPath("nc.shp")));
    ASSERT_TRUE(ProjectNewLayer(store, 2, progress, {}).result);
    EXPECT_EQ(store.ShapeLayers[2].CoordSystem, store.MapSystem);
    EXPECT_GT(store.ShapeLayers[2].XMin, 500000);  // Albers metres, not degrees
}

TEST(Projection, SavingAProjectedLayerWritesDegrees) {
    test::TempDir dir;
    NcStore s;
    const ShpLayer original = s.store.ShapeLayers[1];
    ASSERT_TRUE(ProjectMap(s.store, BuildBlock(Utm17()), Options(), s.progress, s.report).result);
    ASSERT_TRUE(WriteLayerGeographic(s.store, 1, dir.file("out.shp"), s.progress));
    EXPECT_GT(s.store.ShapeLayers[1].XMin, 1000);  // the layer in memory stays projected
    LayerStore back;
    test::CopySample("nc", dir.path());  // for the .dbf
    std::rename(dir.file("out.shp").c_str(), dir.file("nc.shp").c_str());
    std::rename(dir.file("out.shx").c_str(), dir.file("nc.shx").c_str());
    ASSERT_TRUE(test::OpenLayer(back, dir.file("nc.shp")));
    EXPECT_NEAR(back.ShapeLayers[1].XMin, original.XMin, 1e-6);
    EXPECT_NEAR(back.ShapeLayers[1].Shapes[5].Parts[1].Pts[3].Y, original.Shapes[5].Parts[1].Pts[3].Y, 1e-6);
}

TEST(Projection, ConvertUsesTheLayersDescriptionAndRewritesIt) {
    test::TempDir dir;
    // A layer kept on disk in UTM metres, described by its .lpj.
    {
        NcStore s;
        ASSERT_TRUE(ProjectMap(s.store, BuildBlock(Utm17()), Options(), s.progress, s.report).result);
        test::CopySample("nc", dir.path());
        ASSERT_TRUE(WriteShapefile(s.store, 1, dir.file("nc.shp"), s.progress));
        ASSERT_TRUE(WriteLayerDescription(dir.file("nc.lpj"), dir.file("nc.lpt"), Utm17()));
    }
    LayerStore store;
    NullProgress progress;
    ASSERT_TRUE(test::OpenLayer(store, dir.file("nc.shp")));
    MapInfoRec info = MapProject::BlankMapInfo();
    ASSERT_TRUE(ReadLayerDescription(dir.file("nc.lpj"), dir.file("nc.lpt"), info));
    std::vector<std::string> lines;
    ConvertOutcome r = ConvertLayerToGeographic(store, 1, info, Options(), progress,
                                                [&](const std::string& l) { lines.push_back(l); });
    ASSERT_TRUE(r.result) << r.result.reason;
    EXPECT_NEAR(store.ShapeLayers[1].XMin, -84.3239, 1e-3);
    // Written, with boxes recomputed, a geographic description and a .prj.
    LayerStore back;
    ASSERT_TRUE(test::OpenLayer(back, dir.file("nc.shp")));
    EXPECT_NEAR(back.ShapeLayers[1].XMin, -84.3239, 1e-3);
    EXPECT_NEAR(back.ShapeLayers[1].Shapes[1].XMax, store.ShapeLayers[1].Shapes[1].XMax, 1e-9);
    MapInfoRec now = Utm17();
    ASSERT_TRUE(ReadLayerDescription(dir.file("nc.lpj"), dir.file("nc.lpt"), now));
    EXPECT_EQ(now.ProjectionCode, 0);
    EXPECT_EQ(now.Units, 4);
    EXPECT_EQ(now.Datum, 13);
    int datum = -1;
    ASSERT_TRUE(ReadPrjDatum(dir.file("nc.prj"), datum));
    EXPECT_EQ(datum, 13);

    // A failing source writes nothing.
    const std::string shp = test::ReadFileBytes(dir.file("nc.shp"));
    MapInfoRec bad = Utm17();
    bad.UtmZone = 0;
    EXPECT_FALSE(ConvertLayerToGeographic(store, 1, bad, Options(), progress, {}).result);
    EXPECT_EQ(test::ReadFileBytes(dir.file("nc.shp")), shp);
}

TEST(Projection, BlocksByProjectionCode) {
    MapInfoRec m = System(8, 2);
    m.StdPar = 1, m.StdPr1 = 2, m.StdPr2 = 3, m.Mode = 0;
    ProjectionBlock b = BuildBlock(m);
    EXPECT_EQ(b[2], 1);
    EXPECT_EQ(b[3], 0);
    EXPECT_EQ(b[8], 0);
    m.Mode = 2;  // the old hint's "B=2": the second form, passed as 1
    b = BuildBlock(m);
    EXPECT_EQ(b[2], 2);
    EXPECT_EQ(b[3], 3);
    EXPECT_EQ(b[8], 1);
    EXPECT_EQ(m.Mode, 2);

    MapInfoRec h = System(20, 2);
    h.Long1 = 11, h.Lat1 = 12, h.Long2 = 13, h.Lat2 = 14, h.Mode = 0;
    b = BuildBlock(h);
    EXPECT_EQ(b[8], 11);
    EXPECT_EQ(b[11], 14);
    EXPECT_EQ(b[12], 0);

    MapInfoRec u = Utm17();
    u.UtmNorth = 0;
    b = BuildBlock(u);
    EXPECT_EQ(b[kSlotZone], -17);
    EXPECT_EQ(b[kSlotSpZone], 0);  // the blank 1202 stays out of a UTM block
    EXPECT_EQ(u.UtmZone, 17);
    b = BuildBlock(MapProject::BlankMapInfo());
    EXPECT_TRUE(SameSystem(b, GeographicNad27Block()));
}

TEST(Projection, StatePlaneUnitsAndDms) {
    long unit = 0;
    ProjectionBlock b = BuildBlock(NcStatePlane(6, 14, 8));
    b[kSlotSpZone] = 1202;
    ASSERT_TRUE(ResolveUnit(b, unit));
    EXPECT_EQ(unit, 1);
    b[kSlotSpZone] = 1002;  // index 9: metres
    ASSERT_TRUE(ResolveUnit(b, unit));
    EXPECT_EQ(unit, 2);
    b[kSlotSpZone] = 99999;
    Result r = ResolveUnit(b, unit);
    EXPECT_FALSE(r);
    EXPECT_NE(r.reason.find("Illegal zone number"), std::string::npos);
    b[kSlotSpZone] = -100;
    EXPECT_FALSE(ResolveUnit(b, unit));
    b[kSlotSpheroid] = 0;
    ASSERT_TRUE(ResolveUnit(b, unit));
    EXPECT_EQ(unit, 1);

    EXPECT_DOUBLE_EQ(DmsToDd(90030000.0), 90.5);
    EXPECT_DOUBLE_EQ(DmsToDd(-1030000), -1.5);
    EXPECT_NEAR(DmsToDd(DdToDms(-79.1234)), -79.1234, 1e-9);
}

TEST(Projection, PrjFilesNameTheSystem) {
    std::string wkt;
    ASSERT_TRUE(PrjText(BuildBlock(Utm17()), wkt));
    EXPECT_NE(wkt.find("UTM_Zone_17N"), std::string::npos) << wkt;
    ASSERT_TRUE(PrjText(BuildBlock(Lambert()), wkt));
    EXPECT_NE(wkt.find("Lambert_Conformal_Conic"), std::string::npos) << wkt;
    EXPECT_NE(wkt.find("1000000"), std::string::npos) << wkt;
    ASSERT_TRUE(PrjText(BuildBlock(Albers()), wkt));
    EXPECT_NE(wkt.find("Albers"), std::string::npos) << wkt;
    int datum = -1;
    ASSERT_TRUE(ReadPrjDatum(test::DataPath("nc.prj"), datum));
    EXPECT_EQ(datum, 13);

    // Datums of the list with an EPSG system are named as EPSG and ESRI name them.
    MapInfoRec ed50 = System(0, 4, 7, 4);
    ASSERT_TRUE(PrjText(BuildBlock(ed50), wkt));
    EXPECT_EQ(wkt.rfind("GEOGCS[\"GCS_European_1950\"", 0), 0u) << wkt;
    MapInfoRec utm32 = System(1, 2, 7, 4);
    utm32.UtmZone = 32;
    ASSERT_TRUE(PrjText(BuildBlock(utm32), wkt));
    EXPECT_EQ(wkt.rfind("PROJCS[\"ED_1950_UTM_Zone_32N\"", 0), 0u) << wkt;
    // A datum on another spheroid than its own is not that datum's system.
    ASSERT_TRUE(PrjText(BuildBlock(System(0, 4, 7, 0)), wkt));
    EXPECT_EQ(wkt.find("European_1950\",SPHEROID[\"International"), std::string::npos) << wkt;
    // Albers on NAD27 is PROJ's registered one; a TM gets a name that says what it is.
    ASSERT_TRUE(PrjText(BuildBlock(Albers()), wkt));
    EXPECT_EQ(wkt.rfind("PROJCS[\"NAD_1927_Contiguous_USA_Albers\"", 0), 0u) << wkt;
    MapInfoRec tm = System(9, 2);
    tm.Factor = 0.9996, tm.CentMer = -81000000;
    // The package never reads the axes of a block on a listed spheroid: the
    // .prj says Clarke 1866, as the package computed.
    tm.SMajor = 6378137, tm.SMinor = 6356752.3142;
    ASSERT_TRUE(PrjText(BuildBlock(tm), wkt));
    EXPECT_EQ(wkt.rfind("PROJCS[\"NAD27_Transverse_Mercator\"", 0), 0u) << wkt;
    EXPECT_NE(wkt.find("SPHEROID[\"Clarke_1866\",6378206.4"), std::string::npos) << wkt;
    EXPECT_EQ(wkt.find("6378137"), std::string::npos) << wkt;
}

TEST(Projection, APrjBesideALayerNamesItsDatum) {
    LayerStore store;
    ASSERT_TRUE(test::OpenLayer(store, test::DataPath("nc.shp")));     // NAD27
    ASSERT_TRUE(test::OpenLayer(store, test::DataPath("world.shp")));  // WGS 84
    MapProject project;
    InitializeBlankMapLegend(project);
    SilentPrompter prompter;
    NullProgress progress;
    MapCommands commands(store, project, prompter, progress);
    std::vector<std::string> lines;
    commands.Report = [&](const std::string& l) { lines.push_back(l); };
    // The map is on NAD27: only the WGS 84 layer is worth a line.
    EXPECT_EQ(commands.NoteLayerDatum(1), kDatumNad27);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(commands.NoteLayerDatum(2), kDatumWgs84);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("world.shp"), std::string::npos) << lines[0];
    // A layer without a description of its own takes the .prj's datum.
    MapFormValues values;
    ASSERT_TRUE(commands.DisplayLayer(1, values));
    EXPECT_EQ(project.LayerInfo.Datum, kDatumWgs84);
}

}  // namespace
}  // namespace zemba
