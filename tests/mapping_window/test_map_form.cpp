#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>

#include "core/attributes.h"
#include "core/file_io.h"
#include "core/shp_reader.h"
#include "mapping/map_form.h"
#include "mapping/mapping_windows.h"
#include "mapping/proj_messages_form.h"
#include "tests/test_support.h"

namespace zemba {
namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: Qt's input devices must not outlive it
    // in the static destructors.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

struct Fixture {
    test::TempDir dir;
    LayerStore store;
    test::ScriptedPrompter prompter;
    NullProgress progress;
    std::unique_ptr<MappingWindows> windows;
    Fixture() {
        App();
        test::CopySample("nc", dir.path());
        store.LayerFileName = dir.file("nc.shp");
        store.AppendLayerSlot();
        EXPECT_TRUE(ReadShapefile(store, prompter, progress));
        windows = std::make_unique<MappingWindows>(store, prompter, progress, nullptr);
    }
};

TEST(MapForm, DisplayAcceptAndTheDatumsSpheroid) {
    Fixture f;
    TMapForm& form = f.windows->MapForm();
    EXPECT_EQ(form.windowTitle(), "Map Project Projections");
    EXPECT_EQ(form.List("Datum")->currentIndex(), 13);
    form.Button("DisplayMapBtn")->click();
    EXPECT_EQ(form.Edit("Name")->text(), "COLLINSVILLE IL");
    EXPECT_EQ(form.Edit("StatePlaneZone")->text(), "1202");
    EXPECT_EQ(form.List("UtmZone")->currentIndex(), -1);  // blank zone 0 selects nothing

    form.List("Datum")->setCurrentIndex(14);
    EXPECT_EQ(form.List("Spheroid")->currentIndex(), 8);

    // A bad number stops the accept before anything is taken or saved.
    form.Edit("Name")->setText("CHANGED");
    form.Edit("CentMer")->setText("abc");
    f.prompter.files.push_back(f.dir.file("m.zmp"));
    form.Button("AcceptMapBtn")->click();
    EXPECT_EQ(f.windows->Project().MapInfo.Name, "COLLINSVILLE IL");
    ASSERT_FALSE(f.prompter.shown.empty());
    EXPECT_EQ(f.prompter.shown.back().value, "'abc' is not a valid floating point value");
    EXPECT_FALSE(FileExists(f.dir.file("m.zmp")));

    // Valid: taken whole, then saved under the name asked for.
    form.Edit("CentMer")->setText("-96000000");
    form.List("UtmZone")->setCurrentIndex(16);
    form.Button("AcceptMapBtn")->click();
    EXPECT_EQ(f.windows->Project().MapInfo.Name, "CHANGED");
    EXPECT_EQ(f.windows->Project().MapInfo.Datum, 14);
    EXPECT_EQ(f.windows->Project().MapInfo.Spheroid, 8);
    EXPECT_EQ(f.windows->Project().MapInfo.UtmZone, 17);
    EXPECT_TRUE(FileExists(f.dir.file("m.zmp")));
    EXPECT_EQ(f.store.ProjectName, "m.zmp");
}

TEST(MapForm, LayerDescriptionAndDms) {
    Fixture f;
    TMapForm& form = f.windows->MapForm();
    form.RefreshLists();
    ASSERT_EQ(form.LayerList()->count(), 1);
    form.LayerList()->setCurrentRow(0);
    form.Button("DisplayLayerBtn")->click();
    EXPECT_EQ(form.Edit("Name")->text(), "COLLINSVILLE IL");
    form.List("ProjectionCode")->setCurrentIndex(1);
    form.Button("AcceptLayerBtn")->click();
    EXPECT_TRUE(FileExists(f.dir.file("nc.lpj")));
    EXPECT_EQ(test::ReadFileBytes(f.dir.file("nc.lpj")).size(), 599u);

    auto* dms = form.findChild<QLineEdit*>("DMSEdit");
    dms->setText("-1030000");
    form.Button("DMStoDDBtn")->click();
    EXPECT_EQ(dms->text(), "-1.500");
}

TEST(MapForm, ShowsTheProjectItEditsWheneverItIsShown) {
    Fixture f;
    TMapForm& form = f.windows->MapForm();
    auto* name = form.findChild<QLineEdit*>("ProjectNameEdit");
    form.RefreshLists();
    EXPECT_EQ(name->text(), "");  // no project: an empty box, not the files' "Nada"
    auto* save = form.findChild<QComboBox*>("SaveRG");
    EXPECT_EQ(save->currentIndex(), 1);  // a new project keeps its styles

    // Opened on a new project: it is named, then shown, so Accept works at once.
    f.prompter.files.push_back(f.dir.file("first.zmp"));
    f.windows->ShowMap();
    EXPECT_EQ(name->text(), "first.zmp");
    EXPECT_EQ(form.Edit("StatePlaneZone")->text(), "1202");
    EXPECT_TRUE(form.Check("UtmNorth")->isChecked());
    form.Edit("Name")->setText("FIRST");
    const std::size_t before = f.prompter.shown.size();
    form.Button("AcceptMapBtn")->click();
    EXPECT_EQ(f.prompter.shown.size(), before);
    EXPECT_EQ(f.windows->Project().MapInfo.Name, "FIRST");

    // Another project loaded while the window is open: its pages follow.
    MapProject other;
    other.MapInfo.Name = "SECOND";
    ASSERT_TRUE(SaveMap(f.store, other, f.dir.file("second.zmp"), f.progress));
    LoadMapHooks hooks;
    hooks.OpenLayer = [] { return true; };
    ASSERT_TRUE(f.windows->LoadProject(f.dir.file("second.zmp"), hooks));
    EXPECT_EQ(form.Edit("Name")->text(), "SECOND");
    EXPECT_EQ(name->text(), "second.zmp");

    // Clear All: the blank project, and a box with no name.
    f.store.ProjectName = "Nada";
    f.windows->Commands().ClearProject();
    EXPECT_EQ(form.Edit("Name")->text(), "COLLINSVILLE IL");
    EXPECT_EQ(name->text(), "");
    EXPECT_EQ(f.windows->Project().MapInfo.Name, "COLLINSVILLE IL");

    // Hidden and shown again from the menu: it shows what is open now.
    form.hide();
    f.windows->Project().MapInfo.Name = "THIRD";
    f.prompter.files.push_back(f.dir.file("third.zmp"));
    f.windows->ShowMap();
    EXPECT_EQ(form.Edit("Name")->text(), "THIRD");
}

TEST(MapForm, SaveAsToANewNameStartsBlankButKeepsItsOwnEdits) {
    Fixture f;
    MapCommands& maps = f.windows->Commands();
    MapProject& p = f.windows->Project();
    // Edits made before the project had a name belong to it.
    p.MapInfo.Name = "MINE";
    ASSERT_TRUE(maps.SaveProjectAs(f.dir.file("a.zmp")));
    EXPECT_EQ(p.MapInfo.Name, "MINE");
    // Saved again under its own name, or over an existing project: kept.
    ASSERT_TRUE(maps.SaveProjectAs(f.dir.file("a.zmp")));
    EXPECT_EQ(p.MapInfo.Name, "MINE");
    // A new name while the records are another project's: the blank project.
    ASSERT_TRUE(maps.SaveProjectAs(f.dir.file("b.zmp")));
    EXPECT_EQ(p.MapInfo.Name, "COLLINSVILLE IL");
}

TEST(MapForm, PagesFitTheWindowAndControlsHaveCaptions) {
    Fixture f;
    TMapForm& form = f.windows->MapForm();
    f.prompter.files.push_back(f.dir.file("m.zmp"));
    form.show();
    QApplication::processEvents();
    auto* pages = form.findChild<QTabWidget*>();
    ASSERT_TRUE(pages);
    for (int k = 0; k < pages->count(); ++k) {
        pages->setCurrentIndex(k);
        QApplication::processEvents();
        auto* area = qobject_cast<QScrollArea*>(pages->widget(k));
        ASSERT_TRUE(area);
        EXPECT_GE(area->viewport()->width(), area->widget()->minimumSizeHint().width())
            << pages->tabText(k).toStdString() << " needs side scrolling";
    }
    pages->setCurrentIndex(0);
    QApplication::processEvents();
    auto* area = qobject_cast<QScrollArea*>(pages->widget(0));
    for (int k = 0; k < 12; ++k) {
        QLineEdit* e = form.Edit("EdgeFlags" + std::to_string(k));
        const QPoint right = e->mapTo(area->viewport(), QPoint(e->width() - 1, 0));
        EXPECT_LT(right.x(), area->viewport()->width()) << "edge flag " << k << " is cut";
    }
    // Captions, not control names.
    for (auto* label : form.findChildren<QLabel*>()) EXPECT_FALSE(label->text().startsWith("DLGP")) << label->text().toStdString();
    auto* saveLabel = form.findChild<QLabel*>("SaveLabel");
    ASSERT_TRUE(saveLabel);
    EXPECT_EQ(saveLabel->buddy(), form.findChild<QComboBox*>("SaveRG"));
    form.hide();
    QApplication::processEvents();
}

TEST(ProjMessages, ParameterReportsStayQuietErrorsShowTheNewestBlock) {
    Fixture f;
    TProjMessagesForm& m = f.windows->Messages();
    // A projection that goes through leaves the window closed.
    f.windows->Project().MapInfo.ProjectionCode = 1;
    f.windows->Project().MapInfo.UtmZone = 17;
    f.windows->Project().MapInfo.Units = 2;
    ASSERT_TRUE(f.windows->Commands().Project());
    EXPECT_FALSE(m.isVisible());
    EXPECT_FALSE(m.Lines().empty()) << "the package's parameter report is kept";
    // An error shows it, on screen.
    m.move(-5000, -5000);
    f.windows->Project().MapInfo.UtmZone = 0;
    f.windows->Project().MapInfo.ProjectionCode = 1;
    f.windows->Commands().Project();
    EXPECT_TRUE(m.isVisible());
    const QRect screen = m.screen()->availableGeometry();
    EXPECT_TRUE(screen.intersects(m.frameGeometry()));
}

TEST(ProjMessages, LinesShowAndSaveAsTheProjectsLog) {
    Fixture f;
    f.store.ProjectPath = f.dir.path() + "/";
    f.store.ProjectName = "m.zmp";
    TProjMessagesForm& m = f.windows->Messages();
    EXPECT_EQ(m.windowTitle(), "Projection Messages");
    m.Append("utm-forint");
    m.Append("Illegal zone number");
    EXPECT_FALSE(m.isVisible());
    m.Alert();
    EXPECT_TRUE(m.isVisible());
    ASSERT_TRUE(m.SaveLog());
    EXPECT_EQ(test::ReadFileBytes(f.dir.file("m.log")), "utm-forint\r\nIllegal zone number\r\n");
}

TEST(MappingWindows, HelpButtonsAskForTheirContextsAndClosingIsHeard) {
    Fixture f;
    std::vector<std::pair<int, QWidget*>> help;
    std::vector<QWidget*> closed;
    f.windows->Help = [&](int c, QWidget* from) { help.push_back({c, from}); };
    f.windows->Closed = [&](QWidget* w) { closed.push_back(w); };
    TMapForm& map = f.windows->MapForm();
    TProjMessagesForm& messages = f.windows->Messages();
    map.Button("HelpBtn")->click();
    messages.findChild<QPushButton*>("HelpBtn")->click();
    ASSERT_EQ(help.size(), 2u);
    EXPECT_EQ(help[0], std::make_pair(15000, static_cast<QWidget*>(&map)));
    EXPECT_EQ(help[1], std::make_pair(123, static_cast<QWidget*>(&messages)));
    messages.show();
    messages.close();
    map.close();
    EXPECT_EQ(closed, (std::vector<QWidget*>{&messages, &map}));
}

}  // namespace
}  // namespace zemba
