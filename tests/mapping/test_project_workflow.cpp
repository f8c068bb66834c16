// Map projects as a user works with them through zemba-info: a new project
// after Clear All, styles that come back with a project, a project moved
// with its layers, layers opened by a relative name.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/file_io.h"
#include "mapping/project_files.h"
#include "mapping_fixture.h"

namespace zemba {
namespace {

std::string Info(const std::string& script, const std::string& cd = {}) {
    const std::string prefix = cd.empty() ? std::string() : "cd '" + cd + "' && ";
    return test::RunWithInput(prefix + "QT_QPA_PLATFORM=offscreen " + std::string(ZEMBA_BIN_DIR) +
                                  "/zemba-info -e '" + script + "'",
                              "");
}

ProjectImage ReadProject(const std::string& zmp) {
    ProjectImage img;
    EXPECT_TRUE(DecodeZmp(test::ReadFileBytes(zmp), img));
    EXPECT_TRUE(DecodeZmt(test::ReadFileBytes(ChangeFileExt(zmp, ".zmt")), img));
    return img;
}

TEST(ProjectWorkflow, ANewProjectAfterClearAllStartsBlank) {
    test::TempDir dir;
    test::CopySample("nc", dir.path());
    const std::string out =
        Info("open " + dir.file("nc.shp") + "; project ProjectionCode=1,UtmZone=17,Units=2; save-project " +
             dir.file("utm.zmp") + "; clear-all; open " + dir.file("nc.shp") + "; save-project " +
             dir.file("new.zmp") + "; clear-all; load-project " + dir.file("new.zmp") + "; extent");
    const ProjectImage utm = ReadProject(dir.file("utm.zmp"));
    EXPECT_EQ(utm.Info.ProjectionCode, 1);
    const ProjectImage fresh = ReadProject(dir.file("new.zmp"));
    EXPECT_EQ(fresh.Info.ProjectionCode, 0);
    EXPECT_EQ(fresh.Info.UtmZone, 0);
    EXPECT_EQ(fresh.Info.Units, 4);
    EXPECT_EQ(fresh.Info.Name, "COLLINSVILLE IL");
    EXPECT_EQ(fresh.Legend.ProjectionName, "0: Geo");
    // A new blank project keeps the styles of its layers.
    EXPECT_EQ(fresh.SaveMode, 1);
    // Reopened, the map stays in degrees.
    EXPECT_NE(out.find("Loaded " + dir.file("new.zmp") + ": 1 layers, 0: Geo"), std::string::npos) << out;
}

TEST(ProjectWorkflow, ClassesAndLabelsComeBackWithTheProject) {
    test::TempDir dir;
    test::CopySample("nc", dir.path());
    Info("open " + dir.file("nc.shp") + "; render " + dir.file("plain.png"));
    Info("open " + dir.file("nc.shp") + "; classify BIR74 --classes 5; label NAME; render " + dir.file("styled.png") +
         "; save-project " + dir.file("p.zmp") + "; clear-all; load-project " + dir.file("p.zmp") + "; render " +
         dir.file("after.png"));
    const std::string plain = test::ReadFileBytes(dir.file("plain.png"));
    const std::string styled = test::ReadFileBytes(dir.file("styled.png"));
    ASSERT_FALSE(styled.empty());
    EXPECT_NE(plain, styled);
    EXPECT_EQ(test::ReadFileBytes(dir.file("after.png")), styled);
}

TEST(ProjectWorkflow, AMovedProjectFindsItsLayersBesideIt) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir.file("old"));
    fs::create_directories(dir.file("moved"));
    test::CopySample("nc", dir.file("old"));
    Info("open " + dir.file("old/nc.shp") + "; save-project " + dir.file("old/p.zmp"));
    for (const char* f : {"nc.shp", "nc.shx", "nc.dbf", "p.zmp", "p.zmt"})
        fs::rename(dir.file(std::string("old/") + f), dir.file(std::string("moved/") + f));
    const std::string out = Info("load-project " + dir.file("moved/p.zmp"));
    EXPECT_NE(out.find(": 1 layers"), std::string::npos) << out;

    // Nowhere to be found: the message names the file looked for.
    fs::remove(dir.file("moved/nc.dbf"));
    const std::string err = test::RunWithInput("( QT_QPA_PLATFORM=offscreen " + std::string(ZEMBA_BIN_DIR) +
                                                   "/zemba-info -e 'load-project " + dir.file("moved/p.zmp") +
                                                   "' 2>&1 )",
                                               "");
    EXPECT_NE(err.find("message 20"), std::string::npos) << err;
    EXPECT_NE(err.find(dir.file("old/nc.dbf")), std::string::npos) << err;
}

TEST(ProjectWorkflow, ARelativeLayerIsStoredByItsFolder) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.file("data"));
    test::CopySample("nc", dir.file("data"));
    Info("open nc.shp; save-project p.zmp", dir.file("data"));
    const ProjectImage img = ReadProject(dir.file("data/p.zmp"));
    ASSERT_EQ(img.Layers.size(), 1u);
    EXPECT_EQ(img.Layers[0].ShpName, "nc.shp");
    EXPECT_EQ(std::filesystem::path(img.Layers[0].ShpPath), std::filesystem::path(dir.file("data/")));
    // And it opens from another folder.
    const std::string out = Info("load-project " + dir.file("data/p.zmp"), dir.path());
    EXPECT_NE(out.find(": 1 layers"), std::string::npos) << out;
}

TEST(ProjectWorkflow, ExtentAfterAProjectionIsInTheMapsUnits) {
    test::TempDir dir;
    test::CopySample("nc", dir.path());
    const std::string out =
        Info("open " + dir.file("nc.shp") + "; project ProjectionCode=1,UtmZone=17,Units=2; extent");
    const auto rows = test::Numbers(out.substr(out.rfind('\n', out.size() - 2) + 1));
    ASSERT_FALSE(rows.empty()) << out;
    ASSERT_EQ(rows.back().size(), 4u) << out;
    // Metres of UTM zone 17 around North Carolina, not degrees.
    EXPECT_GT(rows.back()[0], 100000) << out;
    EXPECT_GT(rows.back()[1], 3700000) << out;
    EXPECT_GT(rows.back()[2], rows.back()[0]);
}

}  // namespace
}  // namespace zemba
