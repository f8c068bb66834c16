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

// Offset of record k's (1-based) content in a .shp.
std::size_t RecordContent(const std::string& shp, int k) {
    std::size_t at = 100;
    for (int r = 1; r < k; ++r) {
        const auto* p = reinterpret_cast<const unsigned char*>(shp.data() + at + 4);
        at += 8 + 2 * std::size_t(LoadBE32(p));
    }
    return at + 8;
}

TEST(OutputFiles, DamagedLayerOpensWithAWarningAndSaveOverItAsks) {
    test::MainWindowFixture w;
    const std::string shp = w.Sample("nc");
    std::string bytes = test::ReadFileBytes(shp);
    const std::size_t c = RecordContent(bytes, 5);
    bytes[c + 36] = bytes[c + 37] = bytes[c + 38] = bytes[c + 39] = '\xff';  // part count -1
    test::WriteFileBytes(shp, bytes);

    w.form->OpenStartFiles({shp});
    ASSERT_EQ(w.store.LayerCount, 1);
    EXPECT_EQ(w.store.ShapeLayers[1].NumRecords, 100);
    EXPECT_TRUE(w.store.ShapeLayers[1].IsNullShape(5));
    ASSERT_EQ(w.prompter.shown.size(), 1u);
    EXPECT_NE(w.prompter.shown[0].value.find("empty shapes: 5"), std::string::npos) << w.prompter.shown[0].value;

    // Save asks; No leaves the damaged original as it is.
    w.prompter.shown.clear();
    w.prompter.answers = {Answer::No};
    w.form->Action("SaveMI")->trigger();
    ASSERT_EQ(w.prompter.shown.size(), 1u);
    EXPECT_NE(w.prompter.shown[0].value.find("loses them for good"), std::string::npos);
    EXPECT_EQ(test::ReadFileBytes(shp), bytes);
    // Yes writes the sound records; the next save does not ask again.
    w.prompter.answers = {Answer::Yes};
    w.form->Action("SaveMI")->trigger();
    EXPECT_NE(test::ReadFileBytes(shp), bytes);
    w.prompter.shown.clear();
    w.form->Action("SaveMI")->trigger();
    EXPECT_TRUE(w.prompter.shown.empty());
}

}  // namespace
}  // namespace zemba
