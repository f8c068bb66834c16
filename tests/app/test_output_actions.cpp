// The main window's Legend and Print Layout commands open their windows.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QWidget>
#include <filesystem>

#include "app/main_window.h"
#include "app/options.h"
#include "app/qt_progress.h"
#include "tests/app/window_fixture.h"
#include "tests/test_support.h"

using namespace zemba;

TEST(OutputActions, LegendAndPrintLayoutOpenTheirWindows) {
    test::MainWindowFixture w;
    test::TempDir& dir = w.dir;
    LayerStore& store = w.store;
    test::ScriptedPrompter& prompter = w.prompter;
    Options& options = w.options;
    TZeEditForm& form = *w.form;
    test::CopySample("nc", dir.path());
    form.OpenStartFiles({dir.file("nc.shp")});
    ASSERT_EQ(store.LayerCount, 1);
    for (const char* n : {"LegendMI", "LegendTB", "PrintLayoutMI", "PrintLayoutTB"})
        EXPECT_TRUE(form.Action(n)->isEnabled()) << n;

    prompter.files.push_back(dir.file("nc.zmp"));  // the new project's name
    form.Action("LegendTB")->trigger();
    QWidget* legend = form.findChild<QWidget*>("TLegendForm");
    ASSERT_NE(legend, nullptr);
    EXPECT_TRUE(legend->isVisible());
    EXPECT_TRUE(std::filesystem::exists(dir.file("nc.zmp"))) << "a project exists once the legend shows";
    form.Action("PrintLayoutMI")->trigger();
    QWidget* layout = form.findChild<QWidget*>("TPrintLayoutForm");
    ASSERT_NE(layout, nullptr);
    EXPECT_TRUE(layout->isVisible());
    layout->move(40, 50);
    layout->close();
    EXPECT_EQ(options.PrintLayoutPos.Left, layout->x());
    legend->close();
}
