#include <gtest/gtest.h>

#include "core/file_io.h"
#include "mapping_fixture.h"

namespace zemba {
namespace {

TEST(ScriptProject, SaveProjectReloadAndConvert) {
    test::TempDir dir;
    test::CopySample("nc", dir.path());
    const std::string script = "open " + dir.file("nc.shp") + "; save-project " + dir.file("m.zmp") +
                               "; project ProjectionCode=1,UtmZone=17,Units=2; save-project " + dir.file("m.zmp") +
                               "; clear-all; load-project " + dir.file("m.zmp");
    const std::string out = test::RunWithInput(
        "QT_QPA_PLATFORM=offscreen " + std::string(ZEMBA_BIN_DIR) + "/zemba-info -e '" + script + "'", "");
    EXPECT_NE(out.find("1: UTM: 196586.66"), std::string::npos) << out;
    EXPECT_NE(out.find("Loaded " + dir.file("m.zmp") + ": 1 layers, 1: UTM"), std::string::npos) << out;
    // The shapefile on disk still holds degrees: nothing saved it projected.
    LayerStore store;
    ASSERT_TRUE(test::OpenLayer(store, dir.file("nc.shp")));
    EXPECT_NEAR(store.ShapeLayers[1].XMin, -84.3239, 1e-3);
}

}  // namespace
}  // namespace zemba
