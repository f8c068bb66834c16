// Replays the fuzz seeds of the viewer and soil text target, and any input
// that once broke them (tests/data/crashers/soil_viewer), through the same
// calls the target makes.
#include <gtest/gtest.h>

#include <filesystem>

#include "convert/shape_viewer.h"
#include "convert/soil_tables.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;
namespace fs = std::filesystem;

TEST(Crashers, ShapeViewerAndSoilText) {
    int replayed = 0;
    for (const std::string& dir : {DataPath("crashers/soil_viewer"),
                                   std::string(ZEMBA_SAMPLES) + "/../../fuzz/seeds/soil_viewer"}) {
        if (!fs::is_directory(dir)) continue;
        for (auto& e : fs::directory_iterator(dir)) {
            const std::string in = ReadFileBytes(e.path().string());
            if (in.empty()) continue;
            ++replayed;
            const auto* data = reinterpret_cast<const unsigned char*>(in.data()) + 1;
            const std::size_t size = in.size() - 1;
            const unsigned char pick = static_cast<unsigned char>(in[0]);
            NullProgress none;
            if (pick < 4) {
                ShapeViewReport r;
                ViewShapeBytes(data, size, pick & 1, r, [](const std::string&) {}, none);
                EXPECT_LE(2 * r.WordsDone, static_cast<std::int64_t>(size)) << e.path();
                continue;
            }
            const SoilMode mode = pick & 1 ? SoilMode::County : SoilMode::State;
            const auto& specs = SoilTableSpecs(mode);
            const SoilTableSpec& spec = specs[(pick >> 1) % specs.size()];
            std::vector<std::string_view> lines;
            int message = 0;
            std::int64_t skipped = 0;
            SoilBuildSummary counts;
            SoilRowValues row;
            if (SplitSoilLines(std::string_view(reinterpret_cast<const char*>(data), size), mode, lines, message,
                               skipped))
                for (std::string_view line : lines) {
                    ParseSoilLine(spec, mode, line, row, counts);
                    EXPECT_EQ(row.Text.size(), spec.Fields.size());
                }
        }
    }
    EXPECT_GT(replayed, 0);
}
