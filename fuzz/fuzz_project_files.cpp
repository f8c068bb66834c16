// The map project (.zmp + .zmt) and layer description (.lpj + .lpt)
// readers. The first byte picks which; the next two (little-endian) give the
// binary file's length, the rest is the text file.
#include "core/ui.h"
#include "fuzz/fuzz_common.h"
#include "mapping/project_files.h"

using namespace zemba;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const bool project = (data[0] & 1) == 0;
    std::size_t binSize = data[1] | (static_cast<std::size_t>(data[2]) << 8);
    data += 3;
    size -= 3;
    if (binSize > size) binSize = size;
    const std::string bin = fuzz::ScratchPath(project ? ".zmp" : ".lpj");
    const std::string text = fuzz::ScratchPath(project ? ".zmt" : ".lpt");
    fuzz::Put(bin, data, binSize);
    fuzz::Put(text, data + binSize, size - binSize);
    if (project) {
        LayerStore store;
        MapProject p;
        SilentPrompter prompter;
        NullProgress progress;
        LoadMapHooks hooks;
        hooks.OpenLayer = [] { return false; };
        LoadMap(store, p, bin, prompter, progress, hooks);
    } else {
        MapInfoRec info = MapProject::BlankMapInfo();
        ReadLayerDescription(bin, text, info);
    }
    return 0;
}
