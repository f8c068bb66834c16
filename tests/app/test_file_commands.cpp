// The main window's file commands without a window: opening and reopening,
// the recent files in the options file, failed reads, Clear All, the caption
// and the close questions.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/file_commands.h"
#include "app/options.h"
#include "core/attributes.h"
#include "core/file_io.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;
using namespace zemba;
using zemba::test::ScriptedPrompter;
using zemba::test::TempDir;

namespace {

// A progress whose pump runs a handler, as a click handled in the middle of
// a read would.
class PumpHandler : public Progress {
public:
    std::function<void()> onPump;
    int pumps = 0;
    void SetMessage(const std::string&) override {}
    void SetRange(long long, long long) override {}
    void SetPosition(long long) override {}
    void Pump() override {
        ++pumps;
        if (onPump) onPump();
    }
};

struct Fixture {
    TempDir dir;
    LayerStore store;
    Options options;
    ScriptedPrompter prompter;
    PumpHandler progress;
    MainState state;
    FileCommands commands{store, options, prompter, progress, state};
    int redraws = 0;

    Fixture() {
        SetDefaultOptions(options, dir.path());
        commands.OptionsPath = dir.file("zemba.pof");
        commands.hooks().Redraw = [this] { ++redraws; };
    }
    // A copy of a sample under another name; returns the .shp path.
    std::string Sample(const std::string& base, const std::string& as) {
        for (const char* ext : {".shp", ".shx", ".dbf"})
            fs::copy_file(zemba::test::DataPath(base + ext), dir.file(as + ext),
                          fs::copy_options::overwrite_existing);
        return dir.file(as + ".shp");
    }
    bool Open(const std::string& path) {
        prompter.files.push_back(path);
        const int before = store.LayerCount;
        commands.Open();
        return store.LayerCount == before + 1;
    }
};

std::string Slot(const std::string& bytes, std::size_t offset) {
    const auto len = static_cast<unsigned char>(bytes[offset]);
    return bytes.substr(offset + 1, len);
}

}  // namespace

TEST(FileCommands, FiveOpensFillRecentFilesNewestFirstInTheOptionsFile) {
    Fixture f;
    std::vector<std::string> paths;
    for (const char* n : {"a", "b", "c", "d", "e"}) paths.push_back(f.Sample("nc", n));
    for (const std::string& p : paths) ASSERT_TRUE(f.Open(p)) << p;
    EXPECT_EQ(f.store.LayerCount, 5);
    EXPECT_EQ(f.state.ReopenCaptions[0], "&0 " + paths[4]);
    EXPECT_EQ(f.state.ReopenCaptions[4], "&4 " + paths[0]);

    f.commands.CloseQuery(10, 20);
    const std::string bytes = zemba::test::ReadFileBytes(f.dir.file("zemba.pof"));
    ASSERT_EQ(bytes.size(), kOptionsFileSize);
    EXPECT_EQ(Slot(bytes, 2048), paths[4]);  // R0
    EXPECT_EQ(Slot(bytes, 1792), paths[3]);
    EXPECT_EQ(Slot(bytes, 1536), paths[2]);
    EXPECT_EQ(Slot(bytes, 1280), paths[1]);
    EXPECT_EQ(Slot(bytes, 1024), paths[0]);  // R4
    EXPECT_FALSE(f.state.MainWindowOpen);
}

TEST(FileCommands, OpeningTheSameFileTwiceGivesTwoLayersAndOneRecentEntry) {
    Fixture f;
    const std::string nc = f.Sample("nc", "nc");
    const std::string world = f.Sample("world", "world");
    ASSERT_TRUE(f.Open(nc));
    ASSERT_TRUE(f.Open(world));
    ASSERT_TRUE(f.Open(nc));
    EXPECT_EQ(f.store.LayerCount, 3);
    // The file already listed moves to the top.
    EXPECT_EQ(f.options.Recent[0], nc);
    EXPECT_EQ(f.options.Recent[1], world);
    EXPECT_EQ(f.options.Recent[2], " ");
    EXPECT_EQ(f.state.ToolLevel, 1);
    EXPECT_EQ(f.state.Caption, "ZEMBA Editor: nc.shp");
    EXPECT_EQ(f.state.LayerItems, (std::vector<std::string>{"nc.shp", "world.shp", "nc.shp"}));
    EXPECT_EQ(f.state.LayerIndex, 2);
    EXPECT_EQ(f.state.ShapeTypeText, "Areas");
    EXPECT_FALSE(f.state.FieldItems.empty());
    EXPECT_EQ(f.options.ShapeDir, f.dir.path() + "/");
    EXPECT_EQ(f.redraws, 3);
}

TEST(FileCommands, AFileThatFailedToOpenIsNotListedAndTheReasonIsShown) {
    Fixture f;
    const std::string nc = f.Sample("nc", "nc");
    ASSERT_TRUE(f.Open(nc));
    // Records misnumbered from the second on: the reader refuses it with a
    // reason (a file cut short is read up to the cut).
    const std::string bad = f.Sample("nc", "cut");
    {
        std::string b = zemba::test::ReadFileBytes(bad);
        const auto* p = reinterpret_cast<const unsigned char*>(b.data() + 104);
        b[100 + 8 + 2 * LoadBE32(p) + 3] = 7;
        zemba::test::WriteFileBytes(bad, b);
    }
    EXPECT_FALSE(f.Open(bad));
    EXPECT_EQ(f.options.Recent[0], nc);
    EXPECT_EQ(f.options.Recent[1], " ");
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.prompter.shown[0].number, 19);
    EXPECT_FALSE(f.prompter.shown[0].value.empty());  // the reader's reason
}

TEST(FileCommands, RebuildMovesEachGapOnePlaceInOnePass) {
    std::array<std::string, 5> r{{" ", "A", "B", " ", " "}};
    RebuildRecent(r);
    EXPECT_EQ(r, (std::array<std::string, 5>{{"A", "B", " ", " ", " "}}));

    r = {{" ", " ", "B", " ", " "}};
    RebuildRecent(r);
    EXPECT_EQ(r, (std::array<std::string, 5>{{" ", "B", " ", " ", " "}}));

    r = {{"A", " ", " ", " ", "E"}};
    RebuildRecent(r);
    EXPECT_EQ(r, (std::array<std::string, 5>{{"A", " ", " ", "E", " "}}));
    EXPECT_EQ(ReopenCaptions(r)[0], "&0 A");
    EXPECT_EQ(ReopenCaptions(r)[1], "&1  ");
}

TEST(FileCommands, ReopenLoadsWithoutReorderingAndSaysWhyAMissingFileGoes) {
    Fixture f;
    const std::string nc = f.Sample("nc", "nc");
    const std::string world = f.Sample("world", "world");
    f.options.Recent = {{f.dir.file("gone.shp"), nc, world, " ", " "}};

    f.commands.Reopen(2);
    EXPECT_EQ(f.store.LayerCount, 1);
    EXPECT_EQ(f.store.ShapeLayers[1].ShpName, "world.shp");
    EXPECT_EQ(f.options.Recent[0], f.dir.file("gone.shp"));  // not reordered
    EXPECT_EQ(f.options.Recent[2], world);
    EXPECT_EQ(f.state.LastOpenedFile, world);

    f.commands.Reopen(0);
    EXPECT_EQ(f.store.LayerCount, 1);
    EXPECT_EQ(f.options.Recent, (std::array<std::string, 5>{{nc, world, " ", " ", " "}}));
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_NE(f.prompter.shown[0].value.find("gone.shp"), std::string::npos);
    EXPECT_EQ(f.state.ReopenCaptions[1], "&1 " + world);

    f.commands.Reopen(4);  // an empty slot, without a word
    EXPECT_EQ(f.store.LayerCount, 1);
    EXPECT_EQ(f.prompter.shown.size(), 1u);
}

TEST(FileCommands, MissingDbfGivesMessage20AndChangesNothing) {
    Fixture f;
    const std::string nc = f.Sample("nc", "nc");
    ASSERT_TRUE(f.Open(nc));
    const std::string lonely = f.Sample("world", "lonely");
    fs::remove(f.dir.file("lonely.dbf"));
    f.options.ShapeDir = "/elsewhere/";
    const std::string caption = f.state.Caption;

    EXPECT_FALSE(f.commands.LoadFromFile(lonely));
    EXPECT_EQ(f.prompter.Count(MsgFamily::Error, 20), 1);
    EXPECT_EQ(f.store.LayerCount, 1);
    EXPECT_EQ(f.store.CurrentLayer, 1);
    EXPECT_EQ(f.store.LayerFileName, nc);
    EXPECT_EQ(f.options.ShapeDir, "/elsewhere/");
    EXPECT_EQ(f.state.Caption, caption);
    EXPECT_EQ(f.redraws, 1);
}

TEST(FileCommands, DamagedShapefileGivesMessage19AndLeavesTheLayerTableAsBefore) {
    Fixture f;
    ASSERT_TRUE(f.Open(f.Sample("world", "world")));
    ASSERT_TRUE(f.Open(f.Sample("nc", "nc")));
    ASSERT_TRUE(f.commands.LoadFromFile(f.store.ShapeLayers[1].ShpPath + "world.shp"));
    f.commands.LayerComboBoxChange(0);  // layer 1 current
    const LayerStore before = f.store;
    const MainState stateBefore = f.state;

    // A shape type no shapefile has, and a header that is not a shapefile's.
    const std::string cut = f.Sample("nc", "cut");
    std::string bytes = zemba::test::ReadFileBytes(cut);
    bytes[32] = 77;
    zemba::test::WriteFileBytes(cut, bytes);
    const std::string bad = f.Sample("world", "bad");
    bytes = zemba::test::ReadFileBytes(bad);
    bytes[28] = 'x';  // version
    zemba::test::WriteFileBytes(bad, bytes);

    for (const std::string& p : {cut, bad}) {
        EXPECT_FALSE(f.commands.LoadFromFile(p)) << p;
        EXPECT_EQ(f.store.LayerCount, before.LayerCount);
        EXPECT_EQ(f.store.CurrentLayer, 1);
        EXPECT_EQ(f.store.ShapeLayers.size(), before.ShapeLayers.size());
        EXPECT_EQ(f.store.SymLayers.size(), before.SymLayers.size());
        EXPECT_EQ(f.store.LayerOrder, before.LayerOrder);
        EXPECT_EQ(f.store.MapXOffset, before.MapXOffset);
        EXPECT_EQ(f.store.MapYOffset, before.MapYOffset);
        EXPECT_EQ(f.store.MapXMin, before.MapXMin);
        EXPECT_EQ(f.store.MapYMax, before.MapYMax);
        EXPECT_EQ(f.store.LayerFileName, before.LayerFileName);
        EXPECT_EQ(f.state.Caption, stateBefore.Caption);
        EXPECT_EQ(f.state.LayerItems, stateBefore.LayerItems);
    }
    EXPECT_EQ(f.prompter.Count(MsgFamily::Error, 19), 2);
}

TEST(FileCommands, ClearAllReturnsToTheStartState) {
    Fixture f;
    ASSERT_TRUE(f.Open(f.Sample("nc", "nc")));
    ASSERT_TRUE(f.Open(f.Sample("world", "world")));
    const double xo = f.store.MapXOffset;
    bool viewReset = false;
    f.commands.hooks().ResetView = [&] { viewReset = true; };
    f.state.EditsMade = true;

    f.commands.ClearAll();
    const LayerStore fresh;
    EXPECT_EQ(f.store.LayerCount, 0);
    EXPECT_EQ(f.store.CurrentLayer, 0);
    EXPECT_EQ(f.store.ShapeLayers.size(), 1u);
    EXPECT_EQ(f.store.SymLayers.size(), 1u);
    EXPECT_TRUE(f.store.LayerOrder.empty());
    EXPECT_EQ(f.store.MapXMax, fresh.MapXMax);
    EXPECT_EQ(f.store.MapWidth, fresh.MapWidth);
    EXPECT_EQ(f.store.LayerFileName, "NoName.duh");
    EXPECT_EQ(f.store.ProjectName, "Nada");
    EXPECT_NE(xo, 0);
    EXPECT_EQ(f.store.MapXOffset, 0);  // the translation goes too
    EXPECT_EQ(f.state.ToolLevel, -1);
    EXPECT_EQ(f.state.Caption, "ZEMBA Editor: ");
    EXPECT_TRUE(f.state.LayerItems.empty());
    EXPECT_TRUE(f.state.FieldItems.empty());
    EXPECT_EQ(f.state.LayerIndex, -1);
    EXPECT_FALSE(f.state.EditsMade);
    EXPECT_TRUE(viewReset);
    EXPECT_NE(f.options.Recent[0], " ");  // the recent files stay

    // And it works again from there.
    ASSERT_TRUE(f.Open(f.Sample("nc", "nc")));
    EXPECT_EQ(f.store.LayerCount, 1);
    EXPECT_EQ(f.state.Caption, "ZEMBA Editor: nc.shp");
}

TEST(FileCommands, CaptionAndLayerBoxFollowTheChosenLayer) {
    EXPECT_EQ(CaptionFor("/data/maps/nc.shp"), "ZEMBA Editor: nc.shp");
    EXPECT_EQ(CaptionFor(""), "ZEMBA Editor: ");
    EXPECT_EQ(ShapeFileTypeRG(7), "P.A.L. MZ");
    EXPECT_EQ(ShapeFileTypeRG(39), "Rings");
    EXPECT_EQ(ShapeFileTypeRG(2), "Texts");

    Fixture f;
    ASSERT_TRUE(f.Open(f.Sample("nc", "nc")));
    ASSERT_TRUE(f.Open(f.Sample("types/point", "points")));
    EXPECT_EQ(f.state.Caption, "ZEMBA Editor: points.shp");
    EXPECT_EQ(f.state.ShapeTypeText, "Points");

    f.store.SymLayers[1].FillColor = 0x123456;
    f.store.SymLayers[1].LineWidth = 7;
    f.commands.FieldComboBoxChange(3);
    f.commands.LayerComboBoxChange(0);
    EXPECT_EQ(f.store.CurrentLayer, 1);
    EXPECT_EQ(f.state.Caption, "ZEMBA Editor: nc.shp");
    EXPECT_EQ(f.state.ShapeTypeText, "Areas");
    // The layer keeps the style the user gave it.
    EXPECT_EQ(f.store.SymLayers[1].FillColor, 0x123456u);
    EXPECT_EQ(f.store.SymLayers[1].LineWidth, 7);
    EXPECT_EQ(f.state.FieldItems.size(), static_cast<std::size_t>(f.store.ShapeLayers[1].NumFields));
    EXPECT_EQ(f.state.FieldIndex, 0);
    EXPECT_EQ(f.store.CurrentField, 0);
}

TEST(FileCommands, SaveWritesOnlyTheCurrentLayer) {
    Fixture f;
    ASSERT_TRUE(f.Open(f.Sample("nc", "first")));
    ASSERT_TRUE(f.Open(f.Sample("world", "second")));
    fs::remove(f.dir.file("first.shx"));
    fs::remove(f.dir.file("second.shx"));
    f.commands.LayerComboBoxChange(0);
    f.store.ShapeLayers[1].Modified = 1;  // an edit
    f.commands.Save();
    EXPECT_TRUE(fs::exists(f.dir.file("first.shx")));
    EXPECT_FALSE(fs::exists(f.dir.file("second.shx")));
    // Saved: the close has nothing to ask about it.
    EXPECT_EQ(f.store.ShapeLayers[1].Modified, 0);
    EXPECT_TRUE(f.commands.CloseSaveQuestions());
    EXPECT_EQ(f.prompter.Count(MsgFamily::YesCancelAll, 3), 0);

    // Save As writes the current layer under the new name.
    f.prompter.files.push_back(f.dir.file("copy.shp"));
    f.commands.SaveAs();
    EXPECT_TRUE(fs::exists(f.dir.file("copy.shp")));
    EXPECT_TRUE(fs::exists(f.dir.file("copy.shx")));
    // A name typed without an extension is saved as a shapefile.
    f.prompter.files.push_back(f.dir.file("bare"));
    f.commands.SaveAs();
    EXPECT_TRUE(fs::exists(f.dir.file("bare.shp")));
    EXPECT_TRUE(f.prompter.shown.empty());
    f.prompter.files.push_back(f.dir.file("notes.txt"));
    f.commands.SaveAs();
    EXPECT_FALSE(fs::exists(f.dir.file("notes.txt")));
    EXPECT_EQ(f.prompter.shown.size(), 1u);
}

TEST(FileCommands, ExportDispatchesByExtension) {
    Fixture f;
    ASSERT_TRUE(f.Open(f.Sample("nc", "nc")));
    std::string bmp;
    f.commands.hooks().SaveViewBitmap = [&](const std::string& p) {
        bmp = p;
        return Result::Ok();
    };
    f.prompter.files = {f.dir.file("out.DXF"), f.dir.file("out.dat"), f.dir.file("view.bmp"),
                        f.dir.file("plain")};
    for (int k = 0; k < 4; ++k) f.commands.Export();
    EXPECT_GT(fs::file_size(f.dir.file("out.DXF")), 0u);
    EXPECT_GT(fs::file_size(f.dir.file("out.dat")), 0u);
    EXPECT_EQ(bmp, f.dir.file("view.bmp"));
    // A name without an extension gets the drawing's.
    EXPECT_GT(fs::file_size(f.dir.file("plain.dxf")), 0u);
    EXPECT_TRUE(f.prompter.shown.empty());

    // An extension that names no export writes nothing and says so.
    f.prompter.files = {f.dir.file("other.txt")};
    f.commands.Export();
    EXPECT_FALSE(fs::exists(f.dir.file("other.txt")));
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_NE(f.prompter.shown[0].value.find("other.txt"), std::string::npos);
}

TEST(FileCommands, BtdFilesGoToTheRecentListAndLoadNothing) {
    Fixture f;
    const std::string btd = f.dir.file("terrain.btd");
    zemba::test::WriteFileBytes(btd, "data");
    f.prompter.files.push_back(btd);
    f.commands.Open();
    EXPECT_EQ(f.options.Recent[0], btd);
    EXPECT_FALSE(f.store.BtdLoaded);
    EXPECT_EQ(f.store.BtdName, "terrain.btd");
    EXPECT_EQ(f.store.LayerCount, 0);
    EXPECT_EQ(f.state.ToolLevel, -1);
}

TEST(FileCommands, BackgroundBitmapLoadsOnlyWhenItCanBeRead) {
    Fixture f;
    bool load = false;
    f.commands.hooks().LoadBackground = [&](const std::string&) {
        return load ? Result::Ok() : Result::Fail("not a bitmap");
    };
    const std::string bmp = f.dir.file("base.bmp");
    zemba::test::WriteFileBytes(bmp, "BM");
    EXPECT_FALSE(f.commands.LoadFromFile(bmp));
    EXPECT_FALSE(f.store.BaseImageLoaded);
    EXPECT_EQ(f.prompter.shown.size(), 1u);
    load = true;
    EXPECT_TRUE(f.commands.LoadFromFile(bmp));
    EXPECT_TRUE(f.store.BaseImageLoaded);
    EXPECT_EQ(f.store.BaseImageName, "base.bmp");
    EXPECT_EQ(f.options.BaseImagesDir, f.dir.path() + "/");
    EXPECT_EQ(f.redraws, 1);
}

TEST(FileCommands, HandlersRunDuringAReadCannotChangeTheStore) {
    Fixture f;
    const std::string nc = f.Sample("nc", "nc");
    const std::string world = f.Sample("world", "world");
    int refusedRuns = 0;
    f.progress.onPump = [&] {
        // What a click on Clear All, Open or the layer box would do.
        f.commands.ClearAll();
        f.prompter.files.push_back(world);
        f.commands.Open();
        f.commands.LoadFromFile(world);
        f.commands.Reopen(0);
        f.commands.LayerComboBoxChange(0);
        ++refusedRuns;
    };
    ASSERT_TRUE(f.commands.LoadFromFile(nc));
    f.progress.onPump = nullptr;
    EXPECT_GT(refusedRuns, 0);
    EXPECT_EQ(f.store.LayerCount, 1);
    EXPECT_EQ(f.store.ShapeLayers[1].ShpName, "nc.shp");
    EXPECT_EQ(f.store.ShapeLayers[1].NumRecords, 100);
    EXPECT_EQ(f.store.ShapeLayers[1].Shapes[1].Values.size(),
              static_cast<std::size_t>(f.store.ShapeLayers[1].NumFields));
    EXPECT_EQ(f.state.Busy, 0);
}

// Close questions: each modified layer is asked about; "All" saves it and
// every later one without asking again, No leaves it unsaved and Cancel
// stops the close with nothing saved after it.
TEST(FileCommands, CloseQuestionsSaveByTheAnswers) {
    struct Case {
        std::vector<Answer> answers;
        std::vector<bool> saved;
        std::size_t questions;
        bool closes;
    };
    const Case cases[] = {
        {{Answer::All}, {true, true, true}, 1, true},
        {{Answer::Yes, Answer::No, Answer::No}, {true, false, false}, 3, true},
        {{Answer::No, Answer::All}, {false, true, true}, 2, true},
        {{Answer::No, Answer::Yes, Answer::No}, {false, true, false}, 3, true},
        {{Answer::Yes, Answer::Cancel}, {true, false, false}, 2, false},
        {{Answer::Cancel}, {false, false, false}, 1, false},
    };
    for (const Case& c : cases) {
        Fixture f;
        for (const char* n : {"l1", "l2", "l3"}) ASSERT_TRUE(f.Open(f.Sample("nc", n)));
        for (int i = 1; i <= 3; ++i) f.store.ShapeLayers[i].Modified = 1;
        for (const char* n : {"l1.shx", "l2.shx", "l3.shx"}) fs::remove(f.dir.file(n));
        f.prompter.answers.assign(c.answers.begin(), c.answers.end());

        EXPECT_EQ(f.commands.CloseSaveQuestions(), c.closes);
        EXPECT_EQ(f.prompter.shown.size(), c.questions);
        for (std::size_t q = 0; q < f.prompter.shown.size(); ++q) {
            EXPECT_EQ(f.prompter.shown[q].family, MsgFamily::YesCancelAll);
            EXPECT_EQ(f.prompter.shown[q].value, "Shape Layer" + std::to_string(q + 1) + " Modified. Save changes?");
        }
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(fs::exists(f.dir.file("l" + std::to_string(i + 1) + ".shx")), c.saved[i])
                << "layer " << i + 1 << " after " << c.questions << " questions";
    }
}

TEST(FileCommands, CloseAsksAboutTheMapOnlyWhenItChanged) {
    Fixture f;
    ASSERT_TRUE(f.Open(f.Sample("nc", "nc")));
    EXPECT_TRUE(f.commands.CloseSaveQuestions());
    EXPECT_TRUE(f.prompter.shown.empty());

    f.state.EditsMade = true;
    f.prompter.answers = {Answer::Yes};
    f.prompter.files.push_back("");  // the Save As dialog is cancelled
    EXPECT_TRUE(f.commands.CloseSaveQuestions());
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.prompter.shown[0].family, MsgFamily::YesNo);
    EXPECT_EQ(f.prompter.shown[0].number, 3);
    EXPECT_EQ(f.store.LayerFileName, f.dir.file("nc.zmp"));
    EXPECT_FALSE(f.state.EditsMade);
}

TEST(FileCommands, AFailedSaveAtCloseCanKeepTheProgramOpen) {
    Fixture f;
    ASSERT_TRUE(f.Open(f.Sample("nc", "nc")));
    f.store.ShapeLayers[1].Modified = 1;
    f.store.ShapeLayers[1].ShpPath = f.dir.file("no/such/dir/");
    f.prompter.answers = {Answer::Yes, Answer::No};
    EXPECT_FALSE(f.commands.CloseSaveQuestions());
    f.prompter.answers = {Answer::Yes, Answer::Yes};
    EXPECT_TRUE(f.commands.CloseSaveQuestions());
}

TEST(FileCommands, StatusPanelLayout) {
    EXPECT_EQ(StatusLayoutFor(408).PanelWidth, 400);
    EXPECT_EQ(StatusLayoutFor(408).ProgressWidth, 100);
    EXPECT_EQ(StatusLayoutFor(409).ProgressWidth, 200);
    EXPECT_EQ(StatusLayoutFor(409).XYWidth, 200);  // 401 / 2
    EXPECT_TRUE(TagEnabled(-1, -1));
    EXPECT_FALSE(TagEnabled(0, -1));
    EXPECT_TRUE(TagEnabled(1, 1));
    EXPECT_FALSE(TagEnabled(2, 1));
}

TEST(FileCommands, AProjectOpenedShowsItsLayerInTheBoxesWithItsOwnStyles) {
    Fixture f;
    const std::string nc = f.Sample("nc", "nc");
    bool forgot = false;
    f.commands.hooks().LayerTableChanged = [&] { forgot = true; };
    f.commands.hooks().LoadProject = [&](const std::string&) {
        f.store.LayerFileName = nc;
        if (!f.commands.NewLayer()) return false;
        f.store.SymLayers[1].FillColor = 0x123456;  // the project's own style
        return true;
    };
    const std::string project = f.dir.file("map.zmp");
    zemba::test::WriteFileBytes(project, "");
    EXPECT_TRUE(f.commands.LoadFromFile(project));
    EXPECT_TRUE(forgot);
    EXPECT_EQ(f.state.ShapeTypeText, "Areas");
    EXPECT_FALSE(f.state.FieldItems.empty());
    EXPECT_EQ(f.state.LayerIndex, 0);
    EXPECT_EQ(f.state.Caption, "ZEMBA Editor: nc.shp");
    EXPECT_EQ(f.state.ToolLevel, 1);
    EXPECT_EQ(f.store.SymLayers[1].FillColor, 0x123456u);
}
