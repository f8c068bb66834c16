// The map, projection messages and conversion windows open where the
// options say, keep their place when closed, and their help buttons open
// the help file.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QWidget>

#include "app/help.h"
#include "app/main_window.h"
#include "app/options.h"
#include "app/qt_progress.h"
#include "tests/test_support.h"

using namespace zemba;

namespace {

QWidget* HelpWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "HelpWindow") return w;
    return nullptr;
}

bool HelpOpensFrom(QWidget* window) {
    if (QWidget* h = HelpWindow()) h->hide();
    window->findChild<QPushButton*>(window->objectName() == "TTransformer" ? "TransHelpBtn" : "HelpBtn")->click();
    QWidget* h = HelpWindow();
    return h && h->isVisible();
}

}  // namespace

TEST(MappingActions, WindowsOpenWhereTheyWereClosedAndOpenTheirHelp) {
    if (!QApplication::instance()) {
        static int argc = 1;
        static char name[] = "zemba_app_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    test::TempDir dir;
    // Positions saved by an earlier run.
    Options saved;
    SetDefaultOptions(saved, dir.path());
    saved.MapPos = {211, 97};
    saved.WindowLeft[WinTransformer] = 150;
    saved.WindowTop[WinTransformer] = 160;
    ASSERT_TRUE(WriteOptionsFile(dir.file("zemba.pof"), saved));
    const std::string oldHelp = HelpFile();
    test::WriteFileBytes(dir.file("help.hlp"),
                         "@context 0 Contents\n@context 123 Projection Messages\n<p>log</p>\n"
                         "@context 8000 Data conversion\n<p>dlg</p>\n@context 15000 Map Project Projections\n<p>map</p>\n");

    LayerStore store;
    Options options;
    test::ScriptedPrompter prompter;
    QtProgress progress;
    MainWindowSetup s;
    s.store = &store;
    s.options = &options;
    s.prompter = &prompter;
    s.progress = &progress;
    s.programDir = dir.path() + "/";
    s.optionsPath = dir.file("zemba.pof");
    TZeEditForm form(s);
    SetHelpFile(dir.file("help.hlp"));  // the window set its own at start-up
    test::CopySample("nc", dir.path());
    form.OpenStartFiles({dir.file("nc.shp")});
    ASSERT_EQ(store.LayerCount, 1);

    // The map window: where it was, and its place written to the file on close.
    prompter.files.push_back(dir.file("nc.zmp"));  // the new project's name
    form.Action("MapMI")->trigger();
    QWidget* map = form.findChild<QWidget*>("TMapForm");
    ASSERT_NE(map, nullptr);
    ASSERT_TRUE(map->isVisible());
    EXPECT_EQ(map->pos(), QPoint(211, 97));
    EXPECT_TRUE(HelpOpensFrom(map));
    map->move(300, 40);
    map->close();
    EXPECT_EQ(options.MapPos.Left, 300);
    EXPECT_EQ(options.MapPos.Top, 40);
    Options reread;
    ASSERT_TRUE(ReadOptionsFile(dir.file("zemba.pof"), reread));
    EXPECT_EQ(reread.MapPos.Left, 300);
    EXPECT_EQ(reread.MapPos.Top, 40);

    // The messages window keeps its place while the program runs.
    QWidget* messages = form.findChild<QWidget*>("TProjMessagesForm");
    ASSERT_NE(messages, nullptr);
    messages->show();
    EXPECT_TRUE(HelpOpensFrom(messages));
    messages->move(70, 80);
    messages->close();
    messages->show();
    EXPECT_EQ(messages->pos(), QPoint(70, 80));
    messages->close();

    // The conversion window: made at its saved place, which closing updates.
    form.Action("ImportMI")->trigger();
    QWidget* conversion = form.findChild<QWidget*>("TTransformer");
    ASSERT_NE(conversion, nullptr);
    EXPECT_EQ(conversion->pos(), QPoint(150, 160));
    EXPECT_TRUE(HelpOpensFrom(conversion));
    conversion->move(33, 44);
    conversion->close();
    EXPECT_EQ(options.WindowLeft[WinTransformer], 33);
    EXPECT_EQ(options.WindowTop[WinTransformer], 44);
    form.Action("ImportMI")->trigger();
    EXPECT_EQ(conversion->pos(), QPoint(33, 44));

    // Without a help file the button says why instead of doing nothing.
    SetHelpFile("");
    const std::size_t before = prompter.shown.size();
    conversion->findChild<QPushButton*>("TransHelpBtn")->click();
    ASSERT_EQ(prompter.shown.size(), before + 1);
    EXPECT_NE(prompter.shown.back().value.find("Help is not available"), std::string::npos);
    conversion->close();
    if (QWidget* h = HelpWindow()) h->hide();
    SetHelpFile(oldHelp);
}
