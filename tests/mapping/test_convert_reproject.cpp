#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>

#include "core/file_io.h"
#include "mapping/prj_files.h"
#include "mapping/project_files.h"
#include "mapping/projection.h"
#include "mapping_fixture.h"

namespace zemba {
namespace {

const std::string kConvert = std::string(ZEMBA_BIN_DIR) + "/zemba-convert reproject ";

struct CliRun {
    int status = -1;
    std::string out, err;
    std::vector<std::string> lines;  // of out
};

// zemba-convert reproject with `input` on standard input.
CliRun Reproject(const std::string& args, const std::string& input) {
    test::TempDir dir;
    test::WriteFileBytes(dir.file("in.txt"), input);
    CliRun r;
    r.status = std::system((kConvert + args + " < " + dir.file("in.txt") + " > " + dir.file("out.txt") + " 2> " +
                            dir.file("err.txt"))
                               .c_str());
    if (r.status != -1 && WIFEXITED(r.status)) r.status = WEXITSTATUS(r.status);
    r.out = test::ReadFileBytes(dir.file("out.txt"));
    r.err = test::ReadFileBytes(dir.file("err.txt"));
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) r.lines.push_back(line);
    return r;
}

// nc.shp projected to UTM 17 on NAD83 as a shapefile at `out`.
bool NcToUtm17(const std::string& out) {
    return std::system((kConvert + "--crs ProjectionCode=1,UtmZone=17,Units=2,Datum=13 " + test::DataPath("nc.shp") +
                        " " + out + " 2>/dev/null")
                           .c_str()) == 0;
}

const std::string kUtm17 = "--points --from-geographic --ignore-datum --crs ProjectionCode=1,UtmZone=17,Units=2";

TEST(ConvertReproject, PointsAgreeWithCs2cs) {
    if (!test::HaveTool("cs2cs")) GTEST_SKIP() << "PROJ's cs2cs is not installed";
    const std::string input = "-80 35\n-84.3 36.5\n-75.5 34.9\n";
    const auto ours = test::Numbers(test::RunWithInput(
        kConvert + "--points --crs ProjectionCode=4,Units=2,Datum=13,Spheroid=0,StdPr1=33000000,StdPr2=45000000,"
                   "CentMer=-96000000,OriginLat=39000000,FalseEasting=1000000,FalseNorthing=500000",
        input));
    const auto ref = test::Numbers(test::RunWithInput(
        "cs2cs -f %.4f +proj=longlat +ellps=clrk66 +to +proj=lcc +lat_1=33 +lat_2=45 +lat_0=39 +lon_0=-96 "
        "+x_0=1000000 +y_0=500000 +ellps=clrk66",
        input));
    ASSERT_EQ(ours.size(), 3u);
    ASSERT_EQ(ref.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(ours[k][0], ref[k][0], 0.01);
        EXPECT_NEAR(ours[k][1], ref[k][1], 0.01);
    }
}

TEST(ConvertReproject, FailuresExitWithOne) {
    // The blank description's UTM zone 0 is refused, not silently used.
    EXPECT_NE(std::system((kConvert + "--points --crs ProjectionCode=1,Units=2 </dev/null 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((kConvert + "--points --crs Datum=99 </dev/null 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((kConvert + "--points --crs Bogus=1 </dev/null 2>/dev/null").c_str()), 0);
    // A description out of range fails as other set-up failures do.
    EXPECT_EQ(Reproject("--points --crs Datum=99", "").status, 1);
}

TEST(ConvertReproject, ShapefileOutHasTableDescriptionAndPrj) {
    test::TempDir dir;
    const std::string out = dir.file("utm.shp");
    ASSERT_TRUE(NcToUtm17(out));
    for (const char* ext : {".shp", ".shx", ".dbf", ".lpj", ".lpt", ".prj"})
        EXPECT_TRUE(FileExists(dir.file(std::string("utm") + ext))) << ext;
    LayerStore store;
    ASSERT_TRUE(test::OpenLayer(store, out));
    EXPECT_GT(store.ShapeLayers[1].XMin, 100000);
    // And back, the source taken from the .lpj beside it.
    const std::string back = dir.file("back.shp");
    ASSERT_EQ(std::system((kConvert + "--to-geographic " + out + " " + back + " 2>/dev/null").c_str()), 0);
    LayerStore geo;
    ASSERT_TRUE(test::OpenLayer(geo, back));
    EXPECT_NEAR(geo.ShapeLayers[1].XMin, -84.3239, 1e-3);
    int datum = -1;
    ASSERT_TRUE(ReadPrjDatum(dir.file("back.prj"), datum));
    EXPECT_EQ(datum, 13);
}

TEST(ConvertReproject, TransverseMercatorRefusesPointsFarFromItsMeridian) {
    // UTM 17 (meridian 81 W): 4 and 7 degrees off are kept, 60 and 90 are refused.
    const CliRun utm = Reproject(kUtm17, "-77 40\n-21 40\n-74 40\n9 0\n");
    ASSERT_EQ(utm.lines.size(), 4u);
    EXPECT_EQ(utm.lines[1], "*\t*");
    EXPECT_EQ(utm.lines[3], "*\t*");
    EXPECT_EQ(utm.status, 1);
    EXPECT_NE(utm.err.find("2 points could not be converted"), std::string::npos) << utm.err;
    if (test::HaveTool("cs2cs")) {
        const auto ref = test::Numbers(test::RunWithInput(
            "cs2cs -f %.4f +proj=longlat +ellps=clrk66 +to +proj=utm +zone=17 +ellps=clrk66", "-77 40\n-74 40\n"));
        const auto ours = test::Numbers(utm.lines[0] + "\n" + utm.lines[2] + "\n");
        ASSERT_EQ(ref.size(), 2u);
        ASSERT_EQ(ours.size(), 2u);
        for (int k = 0; k < 2; ++k) {
            EXPECT_NEAR(ours[k][0], ref[k][0], 0.02);
            EXPECT_NEAR(ours[k][1], ref[k][1], 0.02);
        }
    }
    // TM and a TM state plane zone (Alabama East, meridian 85 50 W): 15 degrees.
    const CliRun tm = Reproject("--points --from-geographic --ignore-datum --crs ProjectionCode=9,Units=2,Factor=0.9996,"
                             "CentMer=-81000000",
                             "-70 40\n-60 40\n");
    ASSERT_EQ(tm.lines.size(), 2u);
    EXPECT_NE(tm.lines[0], "*\t*");
    EXPECT_EQ(tm.lines[1], "*\t*");
    const CliRun sp = Reproject("--points --from-geographic --crs ProjectionCode=2,StatePlaneZone=101,Units=2",
                             "-86 32\n-105 32\n");
    ASSERT_EQ(sp.lines.size(), 2u);
    EXPECT_NE(sp.lines[0], "*\t*");
    EXPECT_EQ(sp.lines[1], "*\t*");
}

TEST(ConvertReproject, LatitudesPastAPoleAndPointsOutsideTheSystemAreRefused) {
    const CliRun fwd = Reproject(kUtm17, "-80 95\n-80 -90.5\n-80 35\n");
    ASSERT_EQ(fwd.lines.size(), 3u);
    EXPECT_EQ(fwd.lines[0], "*\t*");
    EXPECT_EQ(fwd.lines[1], "*\t*");
    EXPECT_NE(fwd.lines[2], "*\t*");
    EXPECT_EQ(fwd.status, 1);

    // Back from UTM 17: beyond the pole's northing, far east, and a good point.
    test::TempDir dir;
    const std::string utm = dir.file("utm.shp");
    ASSERT_TRUE(NcToUtm17(utm));
    const CliRun inv = Reproject("--points --from " + dir.file("utm.lpj") + " --to-geographic",
                              "500000 100000000\n500000 -20000000\n5000000 4000000\n500000 9990000\n");
    ASSERT_EQ(inv.lines.size(), 4u);
    EXPECT_EQ(inv.lines[0], "*\t*");
    EXPECT_EQ(inv.lines[1], "*\t*");
    EXPECT_EQ(inv.lines[2], "*\t*");
    const auto nearPole = test::Numbers(inv.lines[3]);
    ASSERT_EQ(nearPole.size(), 1u);
    EXPECT_NEAR(nearPole[0][1], 89.93, 0.01);
}

TEST(ConvertReproject, SetUpsThatCannotWorkExitOneWithTheReason) {
    struct Bad {
        const char* crs;
        const char* reason;
    } cases[] = {
        {"ProjectionCode=9,Units=2", "scale factor"},  // no Factor: 0
        {"ProjectionCode=9,Units=2,Factor=-1", "scale factor"},
        {"ProjectionCode=9,Units=2,Factor=1,OriginLat=95000000", "latitude of origin"},
        {"ProjectionCode=20,Units=2,Factor=0", "scale factor"},
        {"ProjectionCode=5,Units=2,TrueScale=90000000", "latitude of true scale"},
        {"ProjectionCode=22,Units=2,Mode=1,SatNum=9,Path=10", "satellite number"},
        {"ProjectionCode=22,Units=2,Mode=1,SatNum=1,Path=0", "path"},
        {"ProjectionCode=22,Units=2,Mode=1,SatNum=5,Path=500", "path"},
        {"ProjectionCode=15,Units=2", "height"},
        {"ProjectionCode=30,Units=2,ShapeN=2", "shape m"},
        {"ProjectionCode=30,Units=2,ShapeM=2", "shape n"},
        {"UtmZone=99", "UtmZone"},  // out of range in the description itself
    };
    for (const Bad& b : cases) {
        const CliRun r = Reproject(std::string("--points --from-geographic --crs ") + b.crs, "-80 35\n");
        EXPECT_EQ(r.status, 1) << b.crs;
        EXPECT_TRUE(r.out.empty()) << b.crs << ": " << r.out;
        EXPECT_NE(r.err.find(b.reason), std::string::npos) << b.crs << ": " << r.err;
    }
    // A refused system gets no .prj either, rather than one of another system.
    MapInfoRec tm = MapProject::BlankMapInfo();
    tm.ProjectionCode = 9;
    tm.Units = 2;
    std::string wkt;
    Result r = PrjText(BuildBlock(tm), wkt);
    EXPECT_FALSE(r);
    EXPECT_NE(r.reason.find("scale factor"), std::string::npos) << r.reason;
    tm.Factor = 0.9996;
    ASSERT_TRUE(PrjText(BuildBlock(tm), wkt));
    EXPECT_NE(wkt.find("\"Scale_Factor\",0.9996"), std::string::npos) << wkt;
}

TEST(ConvertReproject, DatumShiftStaysInsideTheGlobe) {
    // NAD27 to WGS 84 degrees at the antimeridian and next to the pole.
    const CliRun r = Reproject("--points --from-geographic --crs Units=4,Datum=23", "-179.9999 52\n-96 89.9999\n179.9999 -52\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto pts = test::Numbers(r.out);
    ASSERT_EQ(pts.size(), 3u);
    for (const auto& p : pts) {
        EXPECT_LE(std::fabs(p[0]), 180) << p[0];
        EXPECT_LE(std::fabs(p[1]), 90) << p[1];
    }
    EXPECT_NEAR(pts[0][0], 179.99777, 1e-4);
    EXPECT_GT(pts[2][0], 179.99);
    if (test::HaveTool("cs2cs")) {
        const auto ref = test::Numbers(test::RunWithInput(
            "cs2cs -f %.9f +proj=longlat +ellps=clrk66 +towgs84=-8,160,176 +to +proj=longlat +datum=WGS84",
            "-179.9999 52\n"));
        ASSERT_EQ(ref.size(), 1u);
        EXPECT_NEAR(pts[0][0], ref[0][0], 1e-4);
        EXPECT_NEAR(pts[0][1], ref[0][1], 1e-4);
    }
}

TEST(ConvertReproject, PointsKeepTheDigitsTheirUnitNeeds) {
    // Degrees to 1e-9 (0.1 mm), radians to 1e-11, metres to 0.1 mm.
    test::TempDir dir;
    const std::string utm = dir.file("utm.shp");
    ASSERT_TRUE(NcToUtm17(utm));
    const CliRun deg = Reproject("--points --from " + dir.file("utm.lpj") + " --to-geographic", "600000 4000000\n");
    ASSERT_EQ(deg.lines.size(), 1u);
    EXPECT_EQ(deg.lines[0].size() - deg.lines[0].find('\t') - 1, std::string("36.136015000").size()) << deg.lines[0];
    if (test::HaveTool("cs2cs")) {
        const auto ref = test::Numbers(test::RunWithInput(
            "cs2cs -f %.10f +proj=utm +zone=17 +ellps=clrk66 +to +proj=longlat +ellps=clrk66", "600000 4000000\n"));
        const auto ours = test::Numbers(deg.out);
        ASSERT_EQ(ref.size(), 1u);
        EXPECT_NEAR(ours[0][0], ref[0][0], 2e-8);
        EXPECT_NEAR(ours[0][1], ref[0][1], 2e-8);
    }
    const CliRun rad = Reproject("--points --ignore-datum --from-geographic --crs Units=0", "-80 35\n");
    ASSERT_EQ(rad.lines.size(), 1u);
    EXPECT_EQ(rad.lines[0], "-1.39626340160\t0.61086523820");
    const CliRun m = Reproject(kUtm17, "-80 35\n");
    ASSERT_EQ(m.lines.size(), 1u);
    EXPECT_EQ(m.lines[0].substr(m.lines[0].find('.')).size(), std::string(".1234\t3873597.1234").size());
}

TEST(ConvertReproject, ObliquedEqualAreaAgreesWithProjBothWays) {
    if (!test::HaveTool("cs2cs")) GTEST_SKIP() << "PROJ's cs2cs is not installed";
    const std::string input = "-78 36\n-85 30\n-70 45\n";
    // Different false easting and northing, so a swap of the two shows.
    const std::string crs = "ProjectionCode=30,Units=2,Sphere=6370997,ShapeM=1,ShapeN=2,CentLon=-80000000,"
                            "CenterLat=35000000,Angle=30000000,FalseEasting=100000,FalseNorthing=300000";
    const CliRun fwd = Reproject("--points --ignore-datum --from-geographic --crs " + crs, input);
    ASSERT_EQ(fwd.status, 0) << fwd.err;
    const auto ours = test::Numbers(fwd.out);
    const auto ref = test::Numbers(test::RunWithInput(
        "cs2cs -f %.4f +proj=longlat +R=6370997 +to +proj=oea +m=1 +n=2 +lon_0=-80 +lat_0=35 +theta=30 "
        "+R=6370997 +x_0=100000 +y_0=300000",
        input));
    ASSERT_EQ(ours.size(), 3u);
    ASSERT_EQ(ref.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(ours[k][0], ref[k][0], 0.5) << k;
        EXPECT_NEAR(ours[k][1], ref[k][1], 0.5) << k;
    }
    // And the inverse takes the forward's output back to where it started.
    MapInfoRec m = MapProject::BlankMapInfo();
    ASSERT_TRUE(ParseMapInfo(crs, m));
    test::TempDir dir;
    ASSERT_TRUE(WriteLayerDescription(dir.file("oea.lpj"), dir.file("oea.lpt"), m));
    const CliRun inv = Reproject("--points --ignore-datum --to-geographic --from " + dir.file("oea.lpj"), fwd.out);
    const auto back = test::Numbers(inv.out);
    const auto start = test::Numbers(input);
    ASSERT_EQ(back.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(back[k][0], start[k][0], 1e-6) << k;
        EXPECT_NEAR(back[k][1], start[k][1], 1e-6) << k;
    }
}

// Back to degrees from a layer that does not say what its coordinates are:
// refused, nothing written (metres under a geographic .prj otherwise).
TEST(ConvertReproject, ToGeographicNeedsAUsableDescription) {
    test::TempDir dir;
    const std::string utm = dir.file("utm.shp");
    ASSERT_TRUE(NcToUtm17(utm));
    const std::string lpj = dir.file("utm.lpj");
    std::filesystem::remove(lpj);
    for (const std::string what : {"missing", "a folder", "a pipe"}) {
        if (what == "a folder") std::filesystem::create_directory(lpj);
        if (what == "a pipe") {
            std::filesystem::remove(lpj);
            ASSERT_EQ(::mkfifo(lpj.c_str(), 0644), 0);
        }
        const std::string out = test::Shell("timeout 20 " + kConvert + "--to-geographic " + utm + " " +
                                            dir.file("geo.shp") + " 2>&1; echo status=$?");
        EXPECT_NE(out.find("status=1"), std::string::npos) << what << ": " << out;
        EXPECT_NE(out.find("utm.lpj"), std::string::npos) << what << ": " << out;
        EXPECT_FALSE(FileExistsAny(dir.file("geo.shp"))) << what;
        EXPECT_FALSE(FileExistsAny(dir.file("geo.prj"))) << what;
    }
}

// A pipe in place of a DLG is refused at once, not waited on.
TEST(ConvertReproject, DlgPipeIsRefused) {
    test::TempDir dir;
    const std::string dlg = dir.file("x.dlg");
    ASSERT_EQ(::mkfifo(dlg.c_str(), 0644), 0);
    const std::string convert = std::string(ZEMBA_BIN_DIR) + "/zemba-convert ";
    for (const std::string& cmd : {"dlginfo " + dlg, "dlg2shp --lines " + dlg + " " + dir.file("x.shp"),
                                  "dlg2dxf " + dlg + " " + dir.file("x.dxf")}) {
        const std::string out = test::Shell("timeout 20 " + convert + cmd + " 2>&1; echo status=$?");
        EXPECT_NE(out.find("status=1"), std::string::npos) << cmd << ": " << out;
        EXPECT_NE(out.find("not a regular file"), std::string::npos) << cmd << ": " << out;
    }
}

}  // namespace
}  // namespace zemba
