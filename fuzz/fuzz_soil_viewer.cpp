// The shapefile viewer and the soil survey text readers. The first byte
// picks: 0-3 the viewer (bit 0: an index file), 4 and up a soil table (the
// byte picks the mode and the table); the rest is the file.
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/shape_viewer.h"
#include "convert/soil_tables.h"

using namespace zemba;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t pick = data[0];
    ++data, --size;
    NullProgress none;
    if (pick < 4) {
        ShapeViewReport r;
        std::size_t lines = 0;
        ViewShapeBytes(data, size, pick & 1, r, [&](const std::string& l) { lines += l.size(); }, none);
        return 0;
    }
    const SoilMode mode = pick & 1 ? SoilMode::County : SoilMode::State;
    const auto& specs = SoilTableSpecs(mode);
    const SoilTableSpec& spec = specs[(pick >> 1) % specs.size()];
    std::vector<std::string_view> lines;
    int message = 0;
    std::int64_t skipped = 0;
    SoilBuildSummary counts;
    SoilRowValues row;
    if (SplitSoilLines(std::string_view(reinterpret_cast<const char*>(data), size), mode, lines, message, skipped))
        for (std::string_view line : lines) ParseSoilLine(spec, mode, line, row, counts);
    return 0;
}
