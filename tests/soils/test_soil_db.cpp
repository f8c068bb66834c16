#include <gtest/gtest.h>

#include "core/file_io.h"
#include "soils/soil_db.h"
#include "tests/soils/soil_fixture.h"

using namespace zemba;
using namespace zemba::test;

namespace {

std::vector<std::string> Column(db::Table& t, const std::string& field) {
    std::vector<std::string> out;
    for (t.First(); !t.Eof(); t.Next()) out.push_back(t.FieldText(field));
    t.First();
    return out;
}

}  // namespace

// Build beside the map, activate, "click" shapes: the linked rows follow.
TEST(SoilDb, FullChainStateMode) {
    SoilMap map(false);
    map.BuildTables();
    map.LoadLayer();
    SoilDatabase db;
    SoilActivation a = ActivateSoilDatabase(db, map.store, false);
    ASSERT_TRUE(a.Ok) << a.Message;
    EXPECT_EQ(a.CompFile, map.dir.file("nc_comp.db"));
    EXPECT_EQ(db.TableCount(), 15u);
    for (int shape : {1, 2, 3, 4}) {
        const std::string muids = map.MuidsOf(shape);
        SCOPED_TRACE(muids);
        ASSERT_TRUE(db.LocateUnit(muids));
        db::Table& mu = *db.Get("MapUnitTable");
        EXPECT_EQ(mu.FieldText("MUID"), muids);
        db::Table& comp = *db.Get("CompTable");
        db::Table& layer = *db.Get("layerT");
        if (muids == "IL001") {
            // Components in SEQNUM order as numbers.
            EXPECT_EQ(Column(comp, "SEQNUM"), (std::vector<std::string>{"1", "2", "10"}));
            EXPECT_EQ(comp.FieldText("COMPNAME"), "Sable");
            EXPECT_EQ(Column(layer, "TEXTURE"), (std::vector<std::string>{"SIL", "SICL"}));
            EXPECT_EQ(db.Get("windbrkT")->FieldText("PLANTSYM"), "JUVI");
            EXPECT_EQ(db.Get("plantnmT")->FieldText("COMNAME"), "eastern redcedar");
            comp.Next();
            EXPECT_EQ(Column(layer, "TEXTURE"), (std::vector<std::string>{"L"}));
            EXPECT_EQ(db.Get("windbrkT")->RecordCount(), 0);
        } else if (muids == "IL002") {
            EXPECT_EQ(Column(comp, "COMPNAME"), (std::vector<std::string>{"Flanagan"}));
            EXPECT_EQ(Column(layer, "LAYDEPH"), (std::vector<std::string>{"8"}));
            EXPECT_EQ(db.Get("plantcomT")->RecordCount(), 0);
        } else {
            // A key with a quote goes to the engine as a bound value.
            EXPECT_EQ(muids, "O'NEIL");
            EXPECT_EQ(mu.FieldText("MUNAME"), "O'Neill loam");
            EXPECT_EQ(db.Get("plantnmT")->FieldText("SCINAME"), "Pinus ponderosa");
            EXPECT_EQ(db.Get("plantcomT")->FieldText("PLANTPCT"), "60");
        }
    }
    // Component and layer choice.
    ASSERT_TRUE(db.ChooseComponent("IL001", 2));
    EXPECT_EQ(db.Get("CompTable")->FieldText("COMPNAME"), "Flanagan");
    EXPECT_EQ(db.Get("layerT")->FieldText("TEXTURE"), "L");
    ASSERT_TRUE(db.ChooseComponent("IL001", 1));
    db.ChooseLayer(2);
    EXPECT_EQ(Column(*db.Get("layerT"), "TEXTURE"), (std::vector<std::string>{"SICL"}));
    // An unknown key: the tables stay where they were and the caller knows.
    EXPECT_FALSE(db.LocateUnit("IL999"));
    EXPECT_EQ(db.Get("MapUnitTable")->FieldText("MUID"), "IL001");
}

TEST(SoilDb, CountyKeyGetsTheSsaidOnce) {
    SoilMap map(true);
    map.BuildTables();
    map.LoadLayer();
    SoilDatabase db;
    SoilActivation a = ActivateSoilDatabase(db, map.store, true);
    ASSERT_TRUE(a.Ok) << a.Message;
    EXPECT_EQ(db.TableCount(), 24u);
    std::string key;
    ASSERT_TRUE(db.LocateUnit("O'NEIL", &key));
    EXPECT_EQ(key, "019O'NEIL");
    EXPECT_EQ(db.Get("CompTable")->FieldText("COMPNAME"), "ONeill");
    // Choosing a component locates with the same key, not with the ssaid twice.
    ASSERT_TRUE(db.ChooseComponent("IL001", 2));
    EXPECT_EQ(db.Get("MapUnitTable")->FieldText("MUID"), "019IL001");
    EXPECT_EQ(db.Get("CompTable")->FieldText("COMPNAME"), "Flanagan");
}

TEST(SoilDb, ActivationFailures) {
    SoilMap map(true);
    SoilDatabase db;
    LayerStore empty;
    EXPECT_NE(ActivateSoilDatabase(db, empty, false).Message.find("No layer is loaded"), std::string::npos);
    map.LoadLayer();
    SoilActivation none = ActivateSoilDatabase(db, map.store, false);
    EXPECT_EQ(none.Message, "Databases not found\r\n" + map.dir.file("nc_comp.db") + " ... Closing");
    map.BuildTables();
    std::remove(map.dir.file("Ss_muident.db").c_str());
    SoilActivation missing = ActivateSoilDatabase(db, map.store, true);
    EXPECT_FALSE(missing.Ok);
    EXPECT_EQ(missing.Message.rfind("Databases not found... Closing", 0), 0u);
    EXPECT_NE(missing.Message.find("Ss_muident.db"), std::string::npos);
    EXPECT_FALSE(db.IsOpen());
}

TEST(SoilDb, RebuildWhileClosedAndReopen) {
    SoilMap map(false);
    map.BuildTables();
    map.LoadLayer();
    SoilDatabase db;
    ASSERT_TRUE(ActivateSoilDatabase(db, map.store, false).Ok);
    db.Close();
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.Get("CompTable"), nullptr);
    ASSERT_TRUE(db.Reopen());
    ASSERT_TRUE(db.LocateUnit("IL002"));
    EXPECT_EQ(db.Get("CompTable")->FieldText("COMPNAME"), "Flanagan");
}
