#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>

#include "core/file_io.h"
#include "mapping/prj_files.h"
#include "mapping_fixture.h"

namespace zemba {
namespace {

const std::string kConvert = std::string(ZEMBA_BIN_DIR) + "/zemba-convert reproject ";

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
}

TEST(ConvertReproject, ShapefileOutHasTableDescriptionAndPrj) {
    test::TempDir dir;
    const std::string out = dir.file("utm.shp");
    ASSERT_EQ(std::system((kConvert + "--crs ProjectionCode=1,UtmZone=17,Units=2,Datum=13 " + test::DataPath("nc.shp") +
                           " " + out + " 2>/dev/null")
                              .c_str()),
              0);
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

// Back to degrees from a layer that does not say what its coordinates are:
// refused, nothing written (metres under a geographic .prj otherwise).
TEST(ConvertReproject, ToGeographicNeedsAUsableDescription) {
    test::TempDir dir;
    const std::string utm = dir.file("utm.shp");
    ASSERT_EQ(std::system((kConvert + "--crs ProjectionCode=1,UtmZone=17,Units=2,Datum=13 " + test::DataPath("nc.shp") +
                           " " + utm + " 2>/dev/null")
                              .c_str()),
              0);
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
