#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "app/options.h"
#include "core/file_io.h"
#include "tests/test_support.h"

using namespace zemba;
using zemba::test::ReadFileBytes;
using zemba::test::ScriptedPrompter;
using zemba::test::TempDir;
using zemba::test::WriteFileBytes;

namespace {

std::int32_t I32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(static_cast<unsigned char>(b[at + i])) << (8 * i);
    return static_cast<std::int32_t>(v);
}

std::string Slot(const std::string& b, std::size_t at) {
    return b.substr(at + 1, static_cast<unsigned char>(b[at]));
}

}  // namespace

TEST(OptionsFile, FirstStartWritesDefaultRecord) {
    TempDir dir;
    const std::string path = dir.file("zemba.pof");
    ScriptedPrompter prompter;
    Options o;
    o.SelectionRadius = 99;
    EXPECT_FALSE(LoadOrCreateOptions(o, path, dir.path(), prompter));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(o.SelectionRadius, 2);

    const std::string b = ReadFileBytes(path);
    ASSERT_EQ(b.size(), 5168u);
    const std::string progDir = dir.path() + "/";
    EXPECT_EQ(Slot(b, 256), progDir);   // HomeDir
    EXPECT_EQ(Slot(b, 512), progDir);   // ProjectPath
    EXPECT_EQ(Slot(b, 768), "COLORFILE.2CP");
    for (std::size_t at = 1024; at <= 2048; at += 256) EXPECT_EQ(Slot(b, at), " ") << at;
    EXPECT_EQ(Slot(b, 4096), progDir);  // ShapeDir
    EXPECT_EQ(Slot(b, 4608), progDir);  // BaseImagesDir
    EXPECT_EQ(I32(b, 4892), 0x008000);
    EXPECT_EQ(I32(b, 4904), 0xC0C0C0);
    EXPECT_EQ(I32(b, 4908), 0x00FF00);
    EXPECT_EQ(I32(b, 4912), 0xFF00FF);
    EXPECT_EQ(I32(b, 4916), 0xFFFFFF);
    EXPECT_EQ(I32(b, 4920), 0x00FFFF);
    EXPECT_EQ(I32(b, 4924), 0x0000FF);
    EXPECT_EQ(I32(b, 4928), 0);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(b[4932 + i], 1) << "toolbar " << i;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(b[4940 + i], 0) << "sound " << i;
    EXPECT_EQ(I32(b, 4948), 2);
    EXPECT_EQ(I32(b, 4952), 8);
    EXPECT_EQ(I32(b, 4968), 32);
    EXPECT_EQ(I32(b, 5020), 0);  // main window top, left
    EXPECT_EQ(I32(b, 5024), 0);
    EXPECT_EQ(I32(b, 5044), 123);
    EXPECT_EQ(I32(b, 5048), 123);
    EXPECT_EQ(I32(b, 4972), 1);    // a spare pair: "Resize Window", on at a first start
    EXPECT_EQ(I32(b, 5076), 0);    // window 0
    EXPECT_EQ(I32(b, 5120), 0);
    EXPECT_EQ(I32(b, 5076 + 4 * 10), 123);
    EXPECT_EQ(I32(b, 5120 + 4 * 10), 123);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST(OptionsFile, NonDefaultValuesRoundTripAtTheirOffsets) {
    TempDir dir;
    const std::string path = dir.file("zemba.pof");
    Options o;
    SetDefaultOptions(o, "/opt/zemba");
    EXPECT_EQ(o.ShapeDir, "/opt/zemba/");
    o.ProjectPath = "/maps/projects/";
    o.ColorFileName = std::string("pal\xE9tte.2CP");  // 8-bit text kept as bytes
    for (int k = 0; k < 5; ++k) o.Recent[k] = "/data/r" + std::to_string(k) + ".shp";
    o.DlgDir = "/dlg/";
    o.VectorDbDir = "/db/";
    o.BackgroundColor = 0x102030;
    o.SpareColor5 = 0xABCDEF;
    o.ToolbarVisible[TbZoom] = false;
    o.SoundOn[SndWarning] = true;
    o.SoundIsWave = true;
    o.SelectionRadius = -1;
    o.ColorSetType = 10;
    o.ColorSeed = 0x7FFFFFFF;
    o.MessageX = -20;
    o.MessageY = 4000;
    o.MainPos = {11, 22};
    o.MapPos = {33, 44};
    o.PrintLayoutPos = {55, 66};
    o.SparePos[4] = {1, 2};
    o.WindowLeft[WinOptions] = 700;
    o.WindowTop[WinIdentify] = 800;
    ASSERT_TRUE(WriteOptionsFile(path, o));

    const std::string b = ReadFileBytes(path);
    ASSERT_EQ(b.size(), 5168u);
    // Recent files newest first at the higher offsets.
    EXPECT_EQ(Slot(b, 2048), "/data/r0.shp");
    EXPECT_EQ(Slot(b, 1792), "/data/r1.shp");
    EXPECT_EQ(Slot(b, 1024), "/data/r4.shp");
    EXPECT_EQ(Slot(b, 3584), "/dlg/");
    EXPECT_EQ(Slot(b, 4352), "/db/");
    EXPECT_EQ(I32(b, 4916), 0x102030);
    EXPECT_EQ(b[4932 + 5], 0);
    EXPECT_EQ(b[4940 + 1], 1);
    EXPECT_EQ(I32(b, 4948), -1);
    // Top before left for the main and map windows, left before top else.
    EXPECT_EQ(I32(b, 5020), 22);
    EXPECT_EQ(I32(b, 5024), 11);
    EXPECT_EQ(I32(b, 5004), 44);
    EXPECT_EQ(I32(b, 4988), 55);
    EXPECT_EQ(I32(b, 5044), -20);
    EXPECT_EQ(I32(b, 5076 + 40), 700);
    EXPECT_EQ(I32(b, 5120 + 24), 800);

    Options back;
    ASSERT_TRUE(ReadOptionsFile(path, back));
    EXPECT_FALSE(back.SoundIsWave);  // not kept in the file
    back.SoundIsWave = true;
    EXPECT_EQ(EncodeOptions(back), b);
    EXPECT_EQ(back.ColorFileName, o.ColorFileName);
    EXPECT_EQ(back.Recent, o.Recent);
    EXPECT_EQ(back.MainPos.Left, 11);
    EXPECT_EQ(back.MapPos.Top, 44);
    EXPECT_EQ(back.SparePos[4].Top, 2);
    EXPECT_EQ(back.MessageY, 4000);
}

TEST(OptionsFile, StringSlotsHoldAtMost255Bytes) {
    Options o;
    o.HomeDir = std::string(255, 'h');
    o.ShapeDir = std::string(256, 's');
    o.Recent[2] = std::string(300, 'r');
    const std::string b = EncodeOptions(o);
    ASSERT_EQ(b.size(), 5168u);
    EXPECT_EQ(Slot(b, 256), o.HomeDir);
    // Too long for the slot: not cut into a different path, and the next
    // slot is untouched.
    EXPECT_EQ(Slot(b, 4096), "");
    EXPECT_EQ(Slot(b, 1536), " ");
    EXPECT_EQ(b[4352], 0);

    Options back;
    ASSERT_TRUE(DecodeOptions(b, back));
    EXPECT_EQ(back.HomeDir, o.HomeDir);
}

TEST(OptionsFile, ReservedSlotsAreIgnoredOnReading) {
    Options o;
    SetDefaultOptions(o, "/p");
    std::string b = EncodeOptions(o);
    for (std::size_t at : {0u, 2304u, 2560u}) b[at] = static_cast<char>(255);
    b[4864] = static_cast<char>(255);  // the short slot claims more than its 25 bytes
    for (std::size_t at = 4956; at < 4968; ++at) b[at] = 'x';
    Options back;
    ASSERT_TRUE(DecodeOptions(b, back));
    EXPECT_EQ(EncodeOptions(back), EncodeOptions(o));
}

TEST(OptionsFile, DamagedOrShortFileIsReportedAndReplaced) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    Options good;
    SetDefaultOptions(good, "/elsewhere");
    good.SelectionRadius = 7;
    std::string badBool = EncodeOptions(good);
    badBool[4935] = 2;
    std::string badType = EncodeOptions(good);
    badType[4952] = 0;
    const Case cases[] = {
        {"empty", ""},
        {"short", EncodeOptions(good).substr(0, 5000)},
        {"long", EncodeOptions(good) + "x"},
        {"boolean", badBool},
        {"palette type", badType},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.file("zemba.pof");
        WriteFileBytes(path, c.bytes);
        ScriptedPrompter prompter;
        Options o;
        o.MessageX = 5;
        EXPECT_FALSE(LoadOrCreateOptions(o, path, dir.path(), prompter));
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_NE(prompter.shown[0].value.find("replaced by the defaults"), std::string::npos)
            << prompter.shown[0].value;
        // Both paths whole, each on a line of its own.
        EXPECT_NE(prompter.shown[0].value.find("\r\n" + path + "\r\n"), std::string::npos);
        EXPECT_NE(prompter.shown[0].value.find("\r\n" + path + ".bad"), std::string::npos);
        EXPECT_EQ(o.MessageX, 123);
        EXPECT_EQ(o.SelectionRadius, 2);
        EXPECT_EQ(o.HomeDir, dir.path() + "/");
        // The new file holds the defaults; the damaged one is kept aside.
        EXPECT_EQ(ReadFileBytes(path), EncodeOptions(o));
        EXPECT_EQ(ReadFileBytes(path + ".bad"), c.bytes);
    }
}

TEST(OptionsFile, ExistingFileIsReadAsIs) {
    TempDir dir;
    const std::string path = dir.file("zemba.pof");
    Options saved;
    SetDefaultOptions(saved, "/elsewhere");
    saved.SelectionRadius = 7;
    ASSERT_TRUE(WriteOptionsFile(path, saved));
    ScriptedPrompter prompter;
    Options o;
    EXPECT_TRUE(LoadOrCreateOptions(o, path, dir.path(), prompter));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(o.SelectionRadius, 7);
    EXPECT_EQ(o.HomeDir, "/elsewhere/");
}

TEST(OptionsFile, FailedWriteKeepsThePreviousFileAndIsReported) {
    TempDir dir;
    const std::string path = dir.file("zemba.pof");
    Options o;
    SetDefaultOptions(o, dir.path());
    ASSERT_TRUE(WriteOptionsFile(path, o));
    const std::string before = ReadFileBytes(path);
    // The disk fails the write.
    o.SelectionRadius = 50;
    ScriptedPrompter prompter;
    commit_faults::Arm(commit_faults::Kind::Write, 1);
    EXPECT_FALSE(SaveOptions(o, path, prompter));
    commit_faults::Disarm();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_NE(prompter.shown[0].value.find("could not be saved"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST(OptionsFile, PathFallsBackToConfigDirWhenProgramDirIsReadOnly) {
    TempDir prog, config;
    EXPECT_EQ(OptionsFilePath(prog.path()), prog.path() + "/zemba.pof");

    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    const std::string missing = prog.path() + "/no/such/dir";
    EXPECT_EQ(OptionsFilePath(missing), config.path() + "/zemba/zemba.pof");
    EXPECT_TRUE(std::filesystem::is_directory(config.path() + "/zemba"));
    if (geteuid() != 0) {  // root may write anywhere
        chmod(prog.path().c_str(), 0555);
        EXPECT_EQ(OptionsFilePath(prog.path()), config.path() + "/zemba/zemba.pof");
        chmod(prog.path().c_str(), 0755);
    }
    if (oldXdg)
        setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}
