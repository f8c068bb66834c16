// Map projects in the real main window: a project after Clear All starts
// blank, and the map window shown from the menu shows the open project.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/main_window.h"
#include "core/attributes.h"
#include "core/file_io.h"
#include "mapping/map_form.h"
#include "mapping/project_files.h"
#include "tests/app/window_fixture.h"

namespace zemba {
namespace {

ProjectImage ReadProject(const std::string& zmp) {
    ProjectImage img;
    EXPECT_TRUE(DecodeZmp(test::ReadFileBytes(zmp), img));
    EXPECT_TRUE(DecodeZmt(test::ReadFileBytes(ChangeFileExt(zmp, ".zmt")), img));
    return img;
}

TEST(ProjectWindow, ClearAllThenANewProjectStartsBlank) {
    test::MainWindowFixture w;
    const std::string nc = w.Sample("nc");
    ASSERT_TRUE(w.form->Commands().LoadFromFile(nc));

    // A UTM project, made in the map window.
    auto* map = w.form->findChild<TMapForm*>();
    ASSERT_TRUE(map);
    w.prompter.files.push_back(w.dir.file("utm.zmp"));
    w.form->Action("MapMI")->trigger();
    ASSERT_TRUE(map->isVisible());
    map->List("ProjectionCode")->setCurrentIndex(1);
    map->List("UtmZone")->setCurrentIndex(16);
    map->List("Units")->setCurrentIndex(2);
    map->Edit("Name")->setText("UTM MAP");
    map->Button("AcceptMapBtn")->click();
    EXPECT_EQ(ReadProject(w.dir.file("utm.zmp")).Info.ProjectionCode, 1);

    // Clear All, another layer, a new project: nothing of the old one.
    w.form->Action("ClearAllMI")->trigger();
    EXPECT_EQ(map->Edit("Name")->text(), "COLLINSVILLE IL") << "the open window shows the blank project";
    EXPECT_EQ(map->findChild<QLineEdit*>("ProjectNameEdit")->text(), "");
    ASSERT_TRUE(w.form->Commands().LoadFromFile(nc));
    w.prompter.files.push_back(w.dir.file("new.zmp"));
    w.form->Commands().SaveAs();
    const ProjectImage fresh = ReadProject(w.dir.file("new.zmp"));
    EXPECT_EQ(fresh.Info.ProjectionCode, 0);
    EXPECT_EQ(fresh.Info.Name, "COLLINSVILLE IL");
    EXPECT_EQ(fresh.Legend.ProjectionName, "0: Geo");
    EXPECT_EQ(fresh.SaveMode, 1);

    // The old project opened again: the window shows it at once.
    map->hide();
    ASSERT_TRUE(w.form->Commands().LoadFromFile(w.dir.file("utm.zmp")));
    w.form->Action("MapMI")->trigger();
    EXPECT_EQ(map->Edit("Name")->text(), "UTM MAP");
    EXPECT_EQ(map->List("ProjectionCode")->currentIndex(), 1);
    EXPECT_EQ(map->findChild<QLineEdit*>("ProjectNameEdit")->text(), "utm.zmp");
}

}  // namespace
}  // namespace zemba
