#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
}  // namespace zemba
