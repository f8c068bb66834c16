// Replays inputs that once broke a reader (found by the fuzz targets), and
// the fuzz seeds, through the same calls the fuzz targets make.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/attributes.h"
#include "core/shp_reader.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;
namespace fs = std::filesystem;

namespace {
std::vector<std::string> Inputs(const std::string& kind) {
    std::vector<std::string> out;
    for (const std::string& dir : {DataPath("crashers/" + kind), std::string(ZEMBA_SAMPLES) + "/../../fuzz/seeds/" + kind}) {
        if (!fs::is_directory(dir)) continue;
        for (auto& e : fs::directory_iterator(dir))
            if (e.is_regular_file()) out.push_back(e.path().string());
    }
    return out;
}
}  // namespace

TEST(Crashers, ShapefileReader) {
    TempDir d;
    for (const std::string& in : Inputs("shp")) {
        WriteFileBytes(d.file("in.shp"), ReadFileBytes(in));
        for (Answer a : {Answer::Yes, Answer::No}) {
            LayerStore s;
            SilentPrompter p(a);
            NullProgress g;
            s.AppendLayerSlot();
            s.LayerFileName = d.file("in.shp");
            Result r = ReadShapefile(s, p, g);
            if (!r) {
                EXPECT_FALSE(r.reason.empty()) << in;
                s.RollBackAppend();
            }
        }
    }
}

TEST(Crashers, AttributeLoader) {
    TempDir d;
    for (const std::string& in : Inputs("dbf")) {
        WriteFileBytes(d.file("in.dbf"), ReadFileBytes(in));
        LayerStore s;
        s.AppendLayerSlot();
        ShpLayer& L = s.ShapeLayers[1];
        L.NumRecords = 40;
        L.Shapes.resize(41);
        L.ShpName = "in.shp";
        L.ShpPath = d.path() + "/";
        NullProgress g;
        Result r = LoadAttributes(s, 1, g);
        if (!r) {
            EXPECT_FALSE(r.reason.empty()) << in;
        }
    }
}

TEST(Crashers, SideFiles) {
    TempDir d;
    for (const std::string& in : Inputs("side")) {
        std::string bytes = ReadFileBytes(in);
        if (bytes.empty()) continue;
        int shapes = static_cast<unsigned char>(bytes[0]) % 8;
        bytes.erase(0, 1);
        std::size_t sep = bytes.find('\xff');
        WriteFileBytes(d.file("in.att"), bytes.substr(0, sep));
        if (sep != std::string::npos)
            WriteFileBytes(d.file("in.atx"), bytes.substr(sep + 1));
        else
            std::remove(d.file("in.atx").c_str());
        LayerStore s;
        s.AppendLayerSlot();
        s.ShapeLayers[1].NumRecords = shapes;
        s.ShapeLayers[1].Shapes.resize(shapes + 1);
        s.SetLoadedLayerDefaults(1);
        NullProgress g;
        Result r = ReadSideFiles(s, d.file("in.att"), 1, g);
        if (r) {
            EXPECT_EQ(s.SymLayers[1].SymObjs.size(), static_cast<std::size_t>(shapes) + 1) << in;
        }
    }
}
