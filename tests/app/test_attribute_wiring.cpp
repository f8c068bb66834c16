// The identify and database windows as the main window wires them: opened
// on the store's rows, forgetting them when the layer table changes, and
// Save writing the table.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>

#include "app/main_window.h"
#include "app/qt_progress.h"
#include "attributes/attribute_windows.h"
#include "core/file_io.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

void EnsureApp() {
    static int argc = 1;
    static char name[] = "zemba_app_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

}  // namespace

TEST(AttributeWiring, WindowsFollowTheLayerTableAndSaveWritesTheTable) {
    EnsureApp();
    TempDir dir;
    CopySample("nc", dir.path());
    LayerStore store;
    Options options;
    ScriptedPrompter prompter;
    QtProgress progress;
    MainWindowSetup s;
    s.store = &store;
    s.options = &options;
    s.prompter = &prompter;
    s.progress = &progress;
    s.programDir = dir.path() + "/";
    s.optionsPath = dir.file("zemba.pof");
    TZeEditForm form(s);
    ASSERT_TRUE(form.Commands().LoadFromFile(dir.file("nc.shp")));

    store.HitList = {HitEntry{}, HitEntry{1, 3}};
    store.HitCount = 1;
    form.Attributes().ShowIdentify();
    EXPECT_EQ(form.Attributes().Identify().CandidateList()->count(), 1);
    EXPECT_EQ(store.CurrentShape, 3);  // highlighted and made current by the view
    form.Attributes().ShowDatabase(2);
    EXPECT_EQ(form.Attributes().Database().Logic().Record, 3);
    EXPECT_TRUE(form.Action("ExternalDbLinkerMI")->isEnabled());

    // An edit through the window, then Save: the table carries it.
    auto edits = form.Attributes().Database().Edits();
    ASSERT_FALSE(edits.empty());
    edits[4]->setText("Renamed");
    form.Attributes().Database().Logic().EnableAccept();
    form.Attributes().Database().AcceptClick();
    EXPECT_EQ(store.ShapeLayers[1].Modified, 1);
    form.Commands().Save();
    EXPECT_NE(ReadFileBytes(dir.file("nc.dbf")).find("Renamed"), std::string::npos);

    form.Commands().ClearAll();
    EXPECT_EQ(form.Attributes().Identify().CandidateList()->count(), 0);
    EXPECT_EQ(form.Attributes().Database().Logic().Layer, 0);
}
