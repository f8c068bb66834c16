// The options window's tools without the window: Defaults, the number
// boxes, the directory buttons, the thumbnail cleaner, the extension sets.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "app/option_tools.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;
using namespace zemba;
using zemba::test::ReadFileBytes;
using zemba::test::ScriptedPrompter;
using zemba::test::TempDir;
using zemba::test::WriteFileBytes;

namespace {

int CountFiles(const std::string& dir) {
    int n = 0;
    for (auto it = fs::directory_iterator(dir); it != fs::directory_iterator(); ++it) ++n;
    return n;
}

}  // namespace

TEST(BaseOptions, DefaultsButtonSetsTheSmallerSet) {
    Options o;
    SetDefaultOptions(o, "/first/");
    o.SelectionRadius = 40;
    o.SoundOn.fill(true);
    o.MessageX = 900;
    o.BackgroundColor = 0x010203;
    o.ClassStartColor = 0x111111;
    o.ToolbarVisible[TbZoom] = false;
    o.ColorSetType = 3;
    o.Recent[0] = "/x/a.shp";
    SetMenuDefaults(o, "/prog");
    EXPECT_EQ(o.SelectionRadius, 8);
    EXPECT_EQ(o.BackgroundColor, 0xFFFFFFu);
    EXPECT_EQ(o.HighlightColor, 0x00FFFFu);
    EXPECT_EQ(o.EditColor, 0x0000FFu);
    EXPECT_EQ(o.EditingColor, 0xFF00FFu);
    for (bool s : o.SoundOn) EXPECT_FALSE(s);
    EXPECT_EQ(o.MessageX, 123);
    EXPECT_EQ(o.MessageY, 123);
    EXPECT_EQ(o.HomeDir, "/prog/");
    EXPECT_EQ(o.ProjectPath, "/prog/");
    EXPECT_EQ(o.ShapeDir, "/prog/");
    EXPECT_EQ(o.TigerDir, "/prog/");
    EXPECT_EQ(o.BaseImagesDir, "/prog/");
    // Outside the Defaults set: untouched.
    EXPECT_EQ(o.ClassStartColor, 0x111111u);
    EXPECT_FALSE(o.ToolbarVisible[TbZoom]);
    EXPECT_EQ(o.ColorSetType, 3);
    EXPECT_EQ(o.Recent[0], "/x/a.shp");
}

TEST(BaseOptions, NumberBoxesKeepTheOldValueOnBadTextAndClampTheRadius) {
    Options o;
    ScriptedPrompter prompter;
    StoreNumberBoxes(o, " 40 ", "-5", "12", prompter);
    EXPECT_EQ(o.MessageX, 40);
    EXPECT_EQ(o.MessageY, -5);
    EXPECT_EQ(o.SelectionRadius, 12);
    EXPECT_TRUE(prompter.shown.empty());

    StoreNumberBoxes(o, "12a", "", "x", prompter);
    EXPECT_EQ(o.MessageX, 40);
    EXPECT_EQ(o.MessageY, -5);
    EXPECT_EQ(o.SelectionRadius, 12);
    ASSERT_EQ(prompter.shown.size(), 3u);
    // The number-format box: where reading stopped, and the text.
    EXPECT_EQ(prompter.shown[0].family, MsgFamily::ErrorNumber);
    EXPECT_EQ(prompter.shown[0].number, 3);
    EXPECT_EQ(prompter.shown[0].value, "12a");
    EXPECT_EQ(prompter.shown[1].number, 1);  // empty box: never 0, which shows nothing
    prompter.shown.clear();

    StoreNumberBoxes(o, "99999999999", "2147483647", "1000", prompter);
    EXPECT_EQ(o.MessageX, 40);
    EXPECT_EQ(o.MessageY, 2147483647);
    EXPECT_EQ(o.SelectionRadius, 100);
    EXPECT_EQ(prompter.shown.size(), 1u);
    StoreNumberBoxes(o, "-2147483648", "0", "-3", prompter);
    EXPECT_EQ(o.MessageX, -2147483647 - 1);
    EXPECT_EQ(o.SelectionRadius, 0);
}

TEST(BaseOptions, BoxPositionIsClampedToTheScreen) {
    // Screen 1920 x 1080 at the origin, box 300 x 120.
    auto p = ClampBoxToScreen(5000, -400, 300, 120, 0, 0, 1920, 1080);
    EXPECT_EQ(p.x, 1620);
    EXPECT_EQ(p.y, 0);
    p = ClampBoxToScreen(123, 123, 300, 120, 0, 0, 1920, 1080);
    EXPECT_EQ(p.x, 123);
    EXPECT_EQ(p.y, 123);
    p = ClampBoxToScreen(-2147483647 - 1, 2147483647, 300, 120, 0, 0, 1920, 1080);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 960);
    // A second screen to the right, and a box bigger than the screen.
    p = ClampBoxToScreen(100, 100, 300, 120, 1920, 0, 1280, 1024);
    EXPECT_EQ(p.x, 1920);
    p = ClampBoxToScreen(500, 500, 3000, 2000, 0, 0, 1920, 1080);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

TEST(Directories, ButtonsStoreTheFolderOfAnAcceptedFile) {
    Options o;
    SetDefaultOptions(o, "/prog/");
    EXPECT_TRUE(StoreChosenDirectory(o, DirShape, "/data/maps/NC.SHP"));
    EXPECT_EQ(o.ShapeDir, "/data/maps/");
    EXPECT_FALSE(StoreChosenDirectory(o, DirShape, "/else/nc.dbf"));
    EXPECT_EQ(o.ShapeDir, "/data/maps/");
    EXPECT_FALSE(StoreChosenDirectory(o, DirShape, ""));

    EXPECT_TRUE(DirAcceptsFile(DirDlg, "/a/x.dlg"));
    EXPECT_TRUE(DirAcceptsFile(DirDlg, "/a/x.OPF"));
    EXPECT_FALSE(DirAcceptsFile(DirDlg, "/a/x.opt"));
    EXPECT_FALSE(DirAcceptsFile(DirDlg, "/a/x.f"));
    EXPECT_TRUE(DirAcceptsFile(DirDb, "/a/x.DBF"));
    EXPECT_TRUE(DirAcceptsFile(DirDb, "/a/x.db"));
    EXPECT_TRUE(DirAcceptsFile(DirTiger, "/a/anything"));
    EXPECT_FALSE(DirAcceptsFile(DirImages, "/a.bmp/x.png"));  // the folder's dot is no extension
    EXPECT_TRUE(StoreChosenDirectory(o, DirProject, "/p/map.zmp"));
    EXPECT_EQ(o.ProjectPath, "/p/");
    EXPECT_TRUE(StoreChosenDirectory(o, DirDb, "/db/t.dbf"));
    EXPECT_EQ(o.VectorDbDir, "/db/");
    EXPECT_STREQ(DirFilter(DirDb), "Database files (*.db)|*.db;*.dbf");
}

TEST(Thumbnails, KillAllThumbsNeverInTheProgramFolderOrWithoutOne) {
    TempDir prog;
    for (const char* f : {"zemba", "zemba.pof", "a.bmp"}) WriteFileBytes(prog.file(f), "x");
    fs::create_symlink(prog.path(), prog.file("link-to-me"));
    TempDir other;
    fs::create_symlink(prog.path(), other.file("prog-link"));
    ScriptedPrompter prompter;
    prompter.fallback = Answer::Yes;

    for (const std::string& thumbDir :
         {prog.path(), prog.path() + "/", prog.path() + "/./", other.file("prog-link"),
          prog.file("link-to-me") + "/../" + fs::path(prog.path()).filename().string(),
          std::string()}) {
        prompter.shown.clear();
        EXPECT_EQ(KillAllThumbs(thumbDir, prog.path() + "/", prompter), 0) << thumbDir;
        ASSERT_EQ(prompter.shown.size(), 1u) << thumbDir;
        EXPECT_EQ(prompter.shown[0].value, kSetThumbDirText);
    }
    EXPECT_EQ(CountFiles(prog.path()), 4);

    // A folder that does not exist: the reason, nothing else.
    prompter.shown.clear();
    EXPECT_EQ(KillAllThumbs(other.file("gone"), prog.path(), prompter), 0);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_NE(prompter.shown[0].value.find("gone"), std::string::npos);
}

TEST(Thumbnails, KillAllThumbsAsksThenDeletesOnlyPlainFilesAtTheTop) {
    TempDir prog, thumbs, outside;
    for (const char* f : {"t1.bmp", "t2.jpg", "INDEX.DAT"}) WriteFileBytes(thumbs.file(f), "x");
    fs::create_directory(thumbs.file("sub"));
    WriteFileBytes(thumbs.file("sub/deep.bmp"), "x");
    WriteFileBytes(outside.file("precious.txt"), "keep");
    fs::create_symlink(outside.file("precious.txt"), thumbs.file("link.bmp"));
    fs::create_symlink(outside.path(), thumbs.file("dirlink"));

    ScriptedPrompter prompter;
    prompter.answers = {Answer::No};
    EXPECT_EQ(KillAllThumbs(thumbs.path(), prog.path(), prompter), 0);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].family, MsgFamily::YesNo);
    EXPECT_NE(prompter.shown[0].value.find(fs::canonical(thumbs.path()).string()), std::string::npos);
    EXPECT_NE(prompter.shown[0].value.find("2 files"), std::string::npos) << prompter.shown[0].value;
    EXPECT_TRUE(fs::exists(thumbs.file("t1.bmp")));

    prompter.answers = {Answer::Yes};
    EXPECT_EQ(KillAllThumbs(thumbs.path(), prog.path(), prompter), 2);
    EXPECT_FALSE(fs::exists(thumbs.file("t1.bmp")));
    EXPECT_FALSE(fs::exists(thumbs.file("t2.jpg")));
    EXPECT_TRUE(fs::exists(thumbs.file("INDEX.DAT")));
    EXPECT_TRUE(fs::exists(thumbs.file("sub/deep.bmp")));
    EXPECT_TRUE(fs::is_symlink(thumbs.file("link.bmp")));
    EXPECT_EQ(ReadFileBytes(outside.file("precious.txt")), "keep");

    // Nothing left to delete: no question.
    prompter.shown.clear();
    EXPECT_EQ(KillAllThumbs(thumbs.path(), prog.path(), prompter), 0);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(Thumbnails, KillAllThumbsReportsAFileThatWouldNotGo) {
    if (::geteuid() == 0) GTEST_SKIP() << "root deletes from a read-only folder";
    TempDir prog, thumbs;
    WriteFileBytes(thumbs.file("a.bmp"), "x");
    fs::permissions(thumbs.path(), fs::perms::owner_read | fs::perms::owner_exec);
    ScriptedPrompter prompter;
    prompter.fallback = Answer::Yes;
    EXPECT_EQ(KillAllThumbs(thumbs.path(), prog.path(), prompter), 0);
    fs::permissions(thumbs.path(), fs::perms::owner_all);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[1].value.rfind("Boo boo " + fs::canonical(thumbs.path()).string() + "/a.bmp", 0), 0u)
        << prompter.shown[1].value;
    EXPECT_NE(prompter.shown[1].value.find("ermission"), std::string::npos);
}

TEST(Thumbnails, DeleteBmpThumbnailsDeletesOnlyThePickedBitmaps) {
    TempDir thumbs, outside;
    for (const char* f : {"a.bmp", "b.bmp", "c.BMP", "d.png"}) WriteFileBytes(thumbs.file(f), "x");
    WriteFileBytes(outside.file("target.bmp"), "keep");
    fs::create_symlink(outside.file("target.bmp"), thumbs.file("l.bmp"));
    ScriptedPrompter prompter;
    EXPECT_EQ(DeleteChosenThumbnails({thumbs.file("a.bmp"), thumbs.file("c.BMP"), thumbs.file("d.png"),
                                      thumbs.file("l.bmp"), thumbs.file("missing.bmp")},
                                     prompter),
              2);
    EXPECT_FALSE(fs::exists(thumbs.file("a.bmp")));
    EXPECT_TRUE(fs::exists(thumbs.file("b.bmp")));
    EXPECT_FALSE(fs::exists(thumbs.file("c.BMP")));
    EXPECT_TRUE(fs::exists(thumbs.file("d.png")));
    EXPECT_TRUE(fs::is_symlink(thumbs.file("l.bmp")));
    EXPECT_EQ(ReadFileBytes(outside.file("target.bmp")), "keep");
    EXPECT_EQ(prompter.shown.size(), 3u);
    EXPECT_EQ(DeleteChosenThumbnails({}, prompter), 0);
}

TEST(ExtensionSets, DefaultsOpenSaveAndMissingFiles) {
    EXPECT_EQ(DefaultExtensions(ExtV).back(), "*.zmp");
    EXPECT_EQ(DefaultExtensions(ExtV).size(), 7u);
    EXPECT_EQ(DefaultExtensions(ExtR).size(), 40u);
    EXPECT_EQ(DefaultExtensions(ExtT).size(), 18u);
    EXPECT_EQ(DefaultExtensions(ExtL).size(), 12u);
    EXPECT_EQ(DefaultExtensions(ExtDb), (std::vector<std::string>{"*.db", "*.dbf"}));
    EXPECT_TRUE(DefaultExtensions(7).empty());
    EXPECT_EQ(AppendDefaultExtensions("*.abc", ExtDb), "*.abc\n*.db\n*.dbf\n");
    EXPECT_EQ(AppendDefaultExtensions("", ExtW), "*.doc\n*.txt\n*.wpd\n*.html\n*.htm\n");
    EXPECT_EQ(ExtensionSetPath("/cfg/", 6), "/cfg/Grafext.et6");
    EXPECT_EQ(ExtensionSetPath("/cfg", 0), "/cfg/Grafext.et0");

    TempDir dir;
    std::string text = "kept";
    bool found = true;
    ASSERT_TRUE(LoadExtensionSet(dir.path(), ExtR, text, found));
    EXPECT_FALSE(found);
    EXPECT_EQ(text, "kept");

    ASSERT_TRUE(SaveExtensionSet(dir.path(), ExtR, "*.png\n*.bmp"));
    EXPECT_EQ(ReadFileBytes(dir.file("Grafext.et1")), "*.png\n*.bmp\n");
    ASSERT_TRUE(LoadExtensionSet(dir.path(), ExtR, text, found));
    EXPECT_TRUE(found);
    EXPECT_EQ(text, "*.png\n*.bmp\n");

    // Files written elsewhere with CR LF read as plain lines.
    WriteFileBytes(dir.file("Grafext.et4"), "*.doc\r\n*.txt\r\n");
    ASSERT_TRUE(LoadExtensionSet(dir.path(), ExtW, text, found));
    EXPECT_EQ(text, "*.doc\n*.txt\n");

    // A write that cannot happen says where and why.
    Result r = SaveExtensionSet(dir.file("nope"), ExtV, "*.shp");
    EXPECT_FALSE(r);
    EXPECT_NE(r.reason.find("nope"), std::string::npos) << r.reason;
}
