// The options window offscreen, attached to a main window: the Options...
// item, the boxes on show and close, Defaults, the palette radio group and
// "Set 256", and the about and system information windows.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <filesystem>

#include "app/about_window.h"
#include "app/main_window.h"
#include "app/option_tools.h"
#include "app/options_window.h"
#include "app/program_info.h"
#include "tests/app/window_fixture.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;
using namespace zemba;
using zemba::test::ScriptedPrompter;
using zemba::test::TempDir;

namespace {


struct Fixture {
    zemba::test::MainWindowFixture w;
    TempDir& dir = w.dir;
    LayerStore& store = w.store;
    Options& options = w.options;
    ScriptedPrompter& prompter = w.prompter;
    QtProgress& progress = w.progress;
    std::unique_ptr<TZeEditForm>& main = w.form;
    TOptionsForm* form = nullptr;

    Fixture() {
        form = AttachOptionsWindow(*main, w.setup);
    }
    template <typename T>
    T* Find(const char* name) {
        T* w = form->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Text(const char* edit) { return Find<QLineEdit>(edit)->text(); }
    void Click(const char* button) { Find<QAbstractButton>(button)->click(); }
    void Open() {
        main->Action("OptionsMI")->trigger();
        ASSERT_TRUE(form->isVisible());
    }
};

}  // namespace

TEST(OptionsWindow, OptionsItemShowsTheFiveTabsFilledFromTheOptions) {
    Fixture f;
    EXPECT_TRUE(f.main->Action("OptionsMI")->isEnabled());
    f.options.MessageX = 222;
    f.options.SelectionRadius = 5;
    f.options.SoundOn[SndWarning] = true;
    f.options.ShapeDir = "/maps/";
    f.options.WindowLeft[WinOptions] = 40;
    f.options.WindowTop[WinOptions] = 50;
    f.Open();
    EXPECT_EQ(f.form->windowTitle(), "ZEMBA Program Options");
    QTabWidget* tabs = f.form->Tabs();
    ASSERT_EQ(tabs->count(), 5);
    EXPECT_EQ(tabs->tabText(0), "Base Options");
    EXPECT_EQ(tabs->tabText(1), "Directories");
    EXPECT_EQ(tabs->tabText(2), "256 Color Sets");
    EXPECT_EQ(tabs->tabText(3), "Thumbnails");
    EXPECT_EQ(tabs->tabText(4), "Extensions");
    EXPECT_EQ(f.Text("MessageXEdit"), "222");
    EXPECT_EQ(f.Text("RadiusEdit"), "5");
    EXPECT_TRUE(f.Find<QAbstractButton>("WarningCB")->isChecked());
    EXPECT_FALSE(f.Find<QAbstractButton>("ErrorsCB")->isChecked());
    EXPECT_EQ(f.Text("ShapeEdit"), "/maps/");
    EXPECT_EQ(f.form->pos(), QPoint(40, 50));
    // Random is the first-start palette type.
    EXPECT_TRUE(f.Find<QRadioButton>("Verts8RB")->isChecked());
    EXPECT_EQ(f.Find<QAbstractButton>("DefaultsBtn")->toolTip(), "Reset to Menu Defaults");
    EXPECT_EQ(f.Find<QAbstractButton>("WhereAmIBtn")->toolTip(), "where am i?");
}

TEST(OptionsWindow, DefaultsAndClosingStoreTheBoxesAndWriteTheFile) {
    Fixture f;
    f.Open();
    f.Find<QLineEdit>("RadiusEdit")->setText("40");
    f.Click("DefaultsBtn");
    EXPECT_EQ(f.options.SelectionRadius, 8);
    EXPECT_EQ(f.Text("RadiusEdit"), "8");
    EXPECT_EQ(f.options.HomeDir, f.dir.path() + "/");

    // Typed values: one not a number, a radius too big.
    f.Find<QLineEdit>("MessageXEdit")->setText("3OO");
    f.Find<QLineEdit>("MessageYEdit")->setText("77");
    f.Find<QLineEdit>("RadiusEdit")->setText("500");
    f.Find<QAbstractButton>("ErrorsCB")->setChecked(true);
    f.form->move(61, 62);
    f.form->reject();
    EXPECT_FALSE(f.form->isVisible());
    EXPECT_EQ(f.options.MessageX, 123);
    EXPECT_EQ(f.options.MessageY, 77);
    EXPECT_EQ(f.options.SelectionRadius, 100);
    EXPECT_TRUE(f.options.SoundOn[SndError]);
    ASSERT_EQ(f.prompter.Count(MsgFamily::ErrorNumber, 2), 1);
    EXPECT_EQ(f.Text("MessageXEdit"), "123");

    Options back;
    ASSERT_TRUE(ReadOptionsFile(f.dir.file("zemba.pof"), back));
    EXPECT_EQ(back.SelectionRadius, 100);
    EXPECT_EQ(back.MessageY, 77);
    EXPECT_EQ(back.WindowLeft[WinOptions], f.form->x());
    EXPECT_TRUE(back.SoundOn[SndError]);
}

TEST(OptionsWindow, PaletteRadioGroupFiledFileAndSet256) {
    Fixture f;
    Palette256 user{};
    for (int i = 0; i < 256; ++i) user[i] = MakeColorRef(i, i / 2, 255 - i);
    ASSERT_TRUE(WriteColorFile(f.dir.file("COLORFILE.2CP"), user));
    f.Open();
    EXPECT_EQ(f.Text("ColorFileEdit"), "COLORFILE.2CP");

    f.Click("Verts3RB");
    EXPECT_EQ(f.options.ColorSetType, csGreen);
    EXPECT_EQ(f.form->Palette().Colors(), RampPalette(csGreen));

    f.Find<QLineEdit>("ColorSeedEdit")->setText("77");
    f.Click("ColorRandomBtn");
    EXPECT_EQ(f.options.ColorSetType, csSeeded);
    EXPECT_EQ(f.options.ColorSeed, 77);
    EXPECT_EQ(f.form->Palette().Colors(), SeededRamp(77));
    EXPECT_TRUE(f.Find<QRadioButton>("Verts9RB")->isChecked());

    // "Filed" with the default relative name: found beside the options file.
    f.Click("Verts10RB");
    EXPECT_EQ(f.options.ColorSetType, csFiled);
    EXPECT_EQ(f.form->Palette().Colors(), user);

    // Opening a layer regenerates the palette through the main window's
    // commands: the user's colours stay.
    zemba::test::CopySample("world", f.dir.path());
    ASSERT_TRUE(f.main->Commands().LoadFromFile(f.dir.file("world.shp")));
    EXPECT_EQ(f.options.ColorSetType, csFiled);
    EXPECT_EQ(f.form->Palette().Colors(), user);

    // A name that is not a colour file: refused, the radio goes back.
    zemba::test::WriteFileBytes(f.dir.file("short.2cp"), std::string(1000, '\0'));
    f.Find<QLineEdit>("ColorFileEdit")->setText(QString::fromStdString(f.dir.file("short.2cp")));
    f.Click("Verts10RB");
    EXPECT_EQ(f.options.ColorFileName, "COLORFILE.2CP");
    EXPECT_EQ(f.form->Palette().Colors(), user);
    EXPECT_EQ(f.prompter.shown.back().family, MsgFamily::Error);

    f.store.SymLayers[1].FillColor = 0x123456;
    f.Click("Set256Btn");
    EXPECT_EQ(f.store.SymLayers[1].FillColor, palette(1));
    EXPECT_EQ(f.store.SymLayers[1].LineColor, palette(2));
}

TEST(OptionsWindow, ThumbnailAndExtensionButtons) {
    Fixture f;
    f.Open();
    // No folder chosen: Kill All Thumbs deletes nothing and says so.
    f.Click("KillAllThumbsBtn");
    ASSERT_FALSE(f.prompter.shown.empty());
    EXPECT_EQ(f.prompter.shown.back().value, kSetThumbDirText);
    // The program's own folder: nothing either.
    zemba::test::WriteFileBytes(f.dir.file("keep.bmp"), "x");
    f.form->SetThumbnailDir(f.dir.path());
    f.prompter.fallback = Answer::Yes;
    f.Click("KillAllThumbsBtn");
    EXPECT_TRUE(fs::exists(f.dir.file("keep.bmp")));
    EXPECT_TRUE(fs::exists(f.dir.file("zemba.pof")));

    // The extension files live beside the options file.
    f.Click("ExtSet5RB");
    f.Click("ExtClearBtn");
    f.Click("ExtDefaultsBtn");
    EXPECT_EQ(f.Find<QPlainTextEdit>("ExtensionsMemo")->toPlainText(), "*.db\n*.dbf\n");
    f.Click("ExtSaveBtn");
    EXPECT_EQ(zemba::test::ReadFileBytes(f.dir.file("Grafext.et5")), "*.db\n*.dbf\n");
    f.Click("ExtClearBtn");
    f.Click("ExtOpenBtn");
    EXPECT_EQ(f.Find<QPlainTextEdit>("ExtensionsMemo")->toPlainText(), "*.db\n*.dbf\n");
}

TEST(InfoWindows, AboutAndSystemInformationTellVersionLibrariesAndOptionsFile) {
    zemba::test::App();
    TempDir dir;
    Options options;
    ScriptedPrompter prompter;
    InfoWindowSetup setup{&options, &prompter, dir.file("zemba.pof"), dir.path() + "/"};

    const std::string info = InfoText(ProgramInfo(setup.optionsPath));
    for (const char* what : {"Version: ", "Qt: ", "shapelib: ", "GCTP: ", "SQLite: "})
        EXPECT_NE(info.find(what), std::string::npos) << what;
    EXPECT_NE(info.find("Options file: " + dir.file("zemba.pof")), std::string::npos);
    EXPECT_NE(info.find("Version: " + ProgramVersion()), std::string::npos);
    EXPECT_EQ(ProgramVersion(), "0.1");

    TAboutForm about(setup);
    TSysInfoForm sys(setup);
    about.SetSystemInfoWindow(&sys);
    about.show();
    EXPECT_TRUE(about.findChild<QLabel*>("AboutText")->text().contains("ZEMBA 0.1"));
    about.findChild<QAbstractButton*>("SysInfoBtn")->click();
    ASSERT_TRUE(sys.isVisible());
    auto* table = sys.findChild<QTableWidget*>("SysInfoTable");
    ASSERT_GT(table->rowCount(), 8);
    EXPECT_EQ(table->item(0, 0)->text(), "Program");

    // Closing keeps the positions and writes the options file.
    sys.move(30, 40);
    sys.accept();
    EXPECT_EQ(options.SysInfoPos.Left, sys.x());
    about.accept();
    Options back;
    ASSERT_TRUE(ReadOptionsFile(dir.file("zemba.pof"), back));
    EXPECT_EQ(back.SysInfoPos.Left, sys.x());
    EXPECT_EQ(back.WindowLeft[WinAbout], about.x());
}
