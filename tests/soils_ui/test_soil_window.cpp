#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <set>
#include <QLabel>
#include <QMainWindow>

#include "soils/soil_window.h"
#include "tests/soils/soil_fixture.h"
#include "tests/view/edit_fixture.h"
#include "view/viewport.h"

using namespace zemba;
using namespace zemba::test;

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "soil_window_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: windows the tests leave go with the process.
    if (auto* running = qobject_cast<QApplication*>(QApplication::instance())) return *running;
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The main window's side: its actions, flags and the Soils Info tool.
struct MainSide {
    QMainWindow main;
    bool soilDbActive = false, extDbLinked = true;
    ScriptedPrompter prompter;
    TStatSurGoForm* soil = nullptr;
    QAction* statsgo;
    QAction* ssurgo;
    MainSide(LayerStore& store) {
        statsgo = new QAction("Statsgo Soils Db", &main);
        statsgo->setObjectName("StatsgoSoilsDbMI");
        ssurgo = new QAction("Ssurgo Soils Db", &main);
        ssurgo->setObjectName("SsurgoSoilsDbMI");
        soil = InstallSoilWindow(&main, store, soilDbActive, extDbLinked, prompter, {});
    }
};

}  // namespace

// Build, choose the mode, activate, click polygons with Soils Info: the
// boxes show the clicked map unit's rows.
TEST(SoilWindow, SoilsInfoClickShowsTheMapUnitsRows) {
    App();
    SoilMap map(false);
    map.BuildTables();
    map.LoadLayer();
    MainSide w(map.store);
    EXPECT_TRUE(w.statsgo->property("available").toBool());

    ViewState view;
    ToolController tc(map.store, view, nullptr, w.prompter);
    tc.Hooks().SoilDbActive = [&] { return w.soilDbActive; };
    tc.Hooks().SoilLookup = [&](const std::string& m) { SoilsInfoLookup(&w.main, m); };
    Pointer ptr{tc, map.store, view};
    SetBitmapSize(view, 640, 480);
    FitToLayer(map.store, view, map.store.CurrentLayer);
    UpdateViewScale(map.store, view);

    w.statsgo->trigger();
    EXPECT_TRUE(w.statsgo->isChecked());
    EXPECT_FALSE(w.ssurgo->isChecked());
    EXPECT_TRUE(w.soil->State().StatsgoMode);
    w.soil->ActivateDbBtnClick();
    ASSERT_TRUE(w.soilDbActive) << w.soil->StatusText().toStdString();
    EXPECT_EQ(w.soil->windowTitle(), "USDA NRCS STATSGO Soils");

    tc.InfoToolClick(kToolSoilsInfo);
    std::set<std::string> seen;
    for (auto [x, y] : {std::pair{-81.70, 36.25}, {-80.25, 36.40}, {-78.70, 35.85}, {-77.0, 35.6}}) {
        ptr.Click(x, y);
        ASSERT_GT(map.store.CurrentShape, 0);
        const std::string muids = map.MuidsOf(map.store.CurrentShape);
        seen.insert(muids);
        SCOPED_TRACE(muids);
        EXPECT_TRUE(w.soil->State().SoilUnitLinked);
        EXPECT_EQ(w.soil->BoxText("MapUnitTable", "MUID").toStdString(), muids);
        const std::string comp = w.soil->BoxText("CompTable", "COMPNAME").toStdString();
        const std::string texture = w.soil->BoxText("layerT", "TEXTURE").toStdString();
        const std::string plant = w.soil->BoxText("plantcomT", "PLANTSYM").toStdString();
        if (muids == "IL001") {
            EXPECT_EQ(comp, "Sable");
            EXPECT_EQ(texture, "SIL");
            EXPECT_EQ(plant, "ANGE");
        } else if (muids == "IL002") {
            EXPECT_EQ(comp, "Flanagan");
            EXPECT_EQ(texture, "SIL");
            EXPECT_EQ(plant, "");
        } else {
            EXPECT_EQ(comp, "ONeill");
            EXPECT_EQ(texture, "FSL");
            EXPECT_EQ(plant, "SCSC");
            EXPECT_EQ(w.soil->BoxText("plantnmT", "COMNAME").toStdString(), "ponderosa pine");
        }
    }
    EXPECT_GE(seen.size(), 2u);

    // Component 2 of IL001, then its layer.
    w.soil->SoilsInfo("IL001");
    w.soil->CompRGClick(1);
    EXPECT_EQ(w.soil->BoxText("CompTable", "COMPNAME").toStdString(), "Flanagan");
    EXPECT_EQ(w.soil->BoxText("layerT", "TEXTURE").toStdString(), "L");
    EXPECT_FALSE(w.soil->State().SoilUnitLinked);
    w.soil->CompRGClick(0);
    w.soil->SoilLayerRGClick(1);
    EXPECT_EQ(w.soil->BoxText("layerT", "TEXTURE").toStdString(), "SICL");

    // An unknown key says so and shows nothing of the previous map unit.
    w.soil->SoilsInfo("NOPE");
    EXPECT_EQ(w.soil->StatusText().toStdString(), "Map unit NOPE not found");
    EXPECT_FALSE(w.soil->findChild<QWidget*>("SoilPageControl")->isEnabled());

    // Closed while active: Soils Info reopens, relinks and locates.
    w.soil->close();
    EXPECT_TRUE(w.soilDbActive);
    EXPECT_FALSE(w.soil->Database().IsOpen());
    w.soil->SoilsInfo("IL002");
    EXPECT_TRUE(w.soil->Database().IsOpen());
    EXPECT_EQ(w.soil->BoxText("CompTable", "COMPNAME").toStdString(), "Flanagan");
    EXPECT_TRUE(w.soil->findChild<QWidget*>("SoilPageControl")->isEnabled());

    // A second Activate while active does nothing; a rebuild deactivates.
    w.soil->ActivateDbBtnClick();
    EXPECT_EQ(w.soil->State().SoilAliasNumber, 2);
    QMetaObject::invokeMethod(w.soil, "DeactivateForBuild");
    EXPECT_FALSE(w.soilDbActive);
    EXPECT_FALSE(w.soil->Database().IsOpen());
    EXPECT_EQ(w.soil->BoxText("CompTable", "COMPNAME").toStdString(), "");
}

TEST(SoilWindow, ActivationFailuresAndCountyMode) {
    App();
    SoilMap map(true);
    LayerStore empty;
    {
        MainSide w(empty);
        w.ssurgo->trigger();
        w.soil->ActivateDbBtnClick();
        EXPECT_FALSE(w.soilDbActive);
        EXPECT_FALSE(w.extDbLinked);
        ASSERT_FALSE(w.prompter.shown.empty());
        EXPECT_NE(w.prompter.shown.back().value.find("No layer is loaded"), std::string::npos);
    }
    map.LoadLayer();
    MainSide w(map.store);
    w.ssurgo->trigger();
    w.soil->ActivateDbBtnClick();
    EXPECT_FALSE(w.soilDbActive);
    EXPECT_EQ(w.prompter.shown.back().value, "Databases not found\r\n" + map.dir.file("Ss_comp.db") + " ... Closing");
    map.BuildTables();
    w.soil->ActivateDbBtnClick();
    ASSERT_TRUE(w.soilDbActive);
    EXPECT_EQ(w.soil->windowTitle(), "USDA NRCS SSURGO Soils");
    w.soil->SoilsInfo("O'NEIL");
    EXPECT_EQ(w.soil->BoxText("MapUnitTable", "MUID").toStdString(), "019O'NEIL");
    EXPECT_EQ(w.soil->BoxText("DBEdit47", "").toStdString(), "");
    // Choosing a component keeps the same map unit.
    w.soil->CompRGClick(0);
    EXPECT_EQ(w.soil->BoxText("CompTable", "COMPNAME").toStdString(), "ONeill");
    EXPECT_EQ(w.soil->StatusText().toStdString(), "");
    // Switching mode deactivates.
    w.statsgo->trigger();
    EXPECT_FALSE(w.soilDbActive);
    EXPECT_TRUE(w.statsgo->isChecked());
    EXPECT_FALSE(w.ssurgo->isChecked());
}

// A failed activation that names many missing tables wraps its status line
// instead of widening the window past the screen.
TEST(SoilWindow, ALongStatusWrapsInsideTheWindow) {
    App();
    SoilMap map(true);
    map.LoadLayer();
    MainSide w(map.store);
    w.ssurgo->trigger();
    w.soil->ActivateDbBtnClick();
    auto* status = w.soil->findChild<QLabel*>("SoilStatusLabel");
    ASSERT_TRUE(status);
    QString many;
    for (int k = 0; k < 20; ++k) many += QString::fromStdString(map.dir.file("Table" + std::to_string(k) + ".db ... "));
    status->setText(many);
    w.soil->adjustSize();
    EXPECT_TRUE(status->wordWrap());
    EXPECT_LT(w.soil->width(), 1600);
}
