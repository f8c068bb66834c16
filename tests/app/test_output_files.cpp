// Files the window writes go in whole or not at all.
#include <gtest/gtest.h>

#include <QAction>
#include <filesystem>

#include "core/file_io.h"
#include "tests/app/window_fixture.h"

namespace zemba {
namespace {

TEST(OutputFiles, SaveViewBitmapOnAFailingDiskKeepsTheEarlierBitmap) {
    test::MainWindowFixture w;
    w.form->OpenStartFiles({w.Sample("nc")});
    const std::string bmp = w.dir.file("view.bmp");
    w.prompter.files = {bmp};
    w.form->Action("ExportMI")->trigger();
    const std::string first = test::ReadFileBytes(bmp);
    ASSERT_GT(first.size(), 640u * 480u);
    EXPECT_EQ(first.substr(0, 2), "BM");

    w.form->Action("ZoomInTB")->trigger();
    w.prompter.files = {bmp};
    w.prompter.shown.clear();
    commit_faults::Arm(commit_faults::Kind::Write, 1);
    w.form->Action("ExportMI")->trigger();
    commit_faults::Disarm();
    ASSERT_EQ(w.prompter.shown.size(), 1u);
    EXPECT_NE(w.prompter.shown[0].value.find("Export failed"), std::string::npos) << w.prompter.shown[0].value;
    EXPECT_NE(w.prompter.shown[0].value.find("view.bmp"), std::string::npos) << w.prompter.shown[0].value;
    EXPECT_EQ(test::ReadFileBytes(bmp), first);
    for (const auto& e : std::filesystem::directory_iterator(w.dir.path()))
        EXPECT_NE(e.path().filename().string().rfind(".view.bmp", 0), 0u) << e.path();
}

}  // namespace
}  // namespace zemba
