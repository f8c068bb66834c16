// A small soil map (the nc polygons with a MUIDS field) and a synthetic
// soil survey built into tables beside it, in state or county mode.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "convert/soil_tables.h"
#include "core/attributes.h"
#include "core/layer_store.h"
#include "core/shp_reader.h"
#include "db/db.h"
#include "tests/test_support.h"

namespace zemba::test {

// Map units of the survey, by MUIDS value; shape k (1-based) gets
// kSoilUnits[(k - 1) % 3].
inline const char* const kSoilUnits[3] = {"IL001", "IL002", "O'NEIL"};

class SoilMap {
public:
    TempDir dir;
    std::string shp, data;
    LayerStore store;
    bool county;

    explicit SoilMap(bool countyMode) : county(countyMode) {
        CopySample("nc", dir.path());
        shp = dir.file("nc.shp");
        data = dir.file("survey");
        EXPECT_EQ(std::system(("mkdir -p '" + data + "'").c_str()), 0);
        db::DbfTable t;
        EXPECT_TRUE(t.Create(dir.file("nc.dbf"), {{"MUIDS", db::FieldKind::String, 7}, {"NAME", db::FieldKind::String, 20}}));
        for (int k = 1; k <= 100; ++k) {
            EXPECT_TRUE(t.Append());
            t.SetField("MUIDS", std::string(kSoilUnits[(k - 1) % 3]));
            t.SetField("NAME", "shape " + std::to_string(k));
        }
        EXPECT_TRUE(t.Commit());
        WriteSurvey();
    }

    // MUID in the tables for a MUIDS value.
    std::string Muid(const std::string& muids) const { return county ? "019" + muids : muids; }

    void Put(const std::string& name, const std::vector<std::string>& rows) {
        std::string s = "h1\nh2\n";
        for (const auto& r : rows) s += r + "\n";
        WriteFileBytes(data + "/" + name, s);
    }

    void WriteSurvey() {
        const std::string a = Muid("IL001"), b = Muid("IL002"), o = Muid("O'NEIL");
        Put("mapunit", {"IL019\t019\tA\t" + a + "\tDrummer complex\tC\t108\tAB\t100",
                        "IL019\t019\tB\t" + b + "\tFlanagan silt loam\tC\t108\tAB\t200",
                        "IL019\t019\tO\t" + o + "\tO'Neill loam\tC\t108\tAB\t300"});
        // IL001 has components 1, 2 and 10, written out of order.
        Put("comp", {"IL019\t" + a + "\tA\tDrummer\t10\tS10\t5", "IL019\t" + a + "\tA\tFlanagan\t2\tS2\t35",
                     "IL019\t" + a + "\tA\tSable\t1\tS1\t60", "IL019\t" + b + "\tB\tFlanagan\t1\tS3\t100",
                     "IL019\t" + o + "\tO\tONeill\t1\tS4\t100"});
        Put("layer", {"IL019\t" + a + "\t1\tS1\t1\t1\t0\t10\tSIL", "IL019\t" + a + "\t1\tS1\t2\t2\t10\t40\tSICL",
                      "IL019\t" + a + "\t2\tS2\t1\t3\t0\t12\tL", "IL019\t" + b + "\t1\tS3\t1\t4\t0\t8\tSIL",
                      "IL019\t" + o + "\t1\tS4\t1\t5\t0\t9\tFSL"});
        Put("plantcom", {"IL019\t" + a + "\t1\tANGE\t40", "IL019\t" + o + "\t1\tSCSC\t60"});
        Put("windbrk", {"IL019\t" + a + "\t1\tJUVI\t20", "IL019\t" + o + "\t1\tPIPO\t30"});
        Put("plantnm", {"JUVI\tJuniperus virginiana\teastern redcedar", "PIPO\tPinus ponderosa\tponderosa pine"});
        for (const char* empty : {"forest", "woodland", "compyld", "yldunits", "rsprod", "wlhabit", "woodmgt",
                                  "interp", "taxclass"})
            Put(empty, {});
        if (county)
            for (const char* empty : {"helclass", "inclusn", "mucoacre", "muyld", "rangenm", "ssacoac", "ssarea",
                                      "hydcomp", "muident"})
                Put(empty, {});
    }

    void BuildTables() {
        SoilBuildRequest req;
        req.DataDir = data;
        req.ShapeFile = shp;
        ScriptedPrompter p;
        p.fallback = Answer::Yes;
        NullProgress none;
        SoilBuildSummary sum;
        ASSERT_TRUE(BuildSoilTables(req, p, none, sum)) << sum.Failure;
        ASSERT_EQ(sum.Mode, county ? SoilMode::County : SoilMode::State);
    }

    void LoadLayer() {
        NullProgress none;
        SilentPrompter quiet;
        store.AppendLayerSlot();
        store.LayerFileName = shp;
        ASSERT_TRUE(ReadShapefile(store, quiet, none));
        ASSERT_TRUE(LoadAttributes(store, store.LayerCount, none));
        store.CurrentLayer = store.LayerCount;
    }

    // The MUIDS value of shape k, as the Soils Info tool hands it over.
    std::string MuidsOf(int k) const {
        const ShpLayer& L = store.ShapeLayers[store.CurrentLayer];
        for (std::size_t f = 0; f < L.Fields.size(); ++f)
            if (L.Fields[f].Name == "MUIDS") return L.Shapes[k].Values[f];
        return {};
    }
};

}  // namespace zemba::test
