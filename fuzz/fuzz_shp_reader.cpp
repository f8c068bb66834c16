// The shapefile reader over arbitrary main-file bytes.
#include <sys/stat.h>

#include "core/layer_store.h"
#include "core/shp_reader.h"
#include "fuzz/fuzz_common.h"

using namespace zemba;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::ScratchPath(".shp");
    fuzz::Put(path, data, size);
    LayerStore store;
    SilentPrompter prompter(size % 2 ? Answer::Yes : Answer::No);
    NullProgress progress;
    store.AppendLayerSlot();
    store.LayerFileName = path;
    Result r = ReadShapefile(store, prompter, progress);
    if (!r) {
        store.RollBackAppend();
        return 0;
    }
    // Walk what was read the way the view does, trusting the invariants.
    const ShpLayer& L = store.ShapeLayers[1];
    volatile double sum = 0;
    for (std::int32_t k = 1; k <= L.NumRecords; ++k) {
        const ShpObj& s = L.Shapes[k];
        std::int64_t total = 0;
        for (std::int32_t p = 1; p < static_cast<std::int32_t>(s.PartSizes.size()); ++p) {
            total += s.PartSizes[p];
            for (std::int32_t j = 1; j <= s.PartSizes[p]; ++j) sum = sum + s.Parts[p].Pts[j].X;
        }
        if (!s.PartSizes.empty() && total != s.NumPoints) __builtin_trap();
    }
    if (static_cast<std::int32_t>(store.SymLayers[1].SymObjs.size()) != L.NumRecords + 1) __builtin_trap();
    return 0;
}
