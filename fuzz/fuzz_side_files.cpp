// The .att/.atx reader: the first byte picks the layer's shape count, the
// input is split into the .att bytes and the .atx text at the first 0xFF.
#include <cstring>

#include "core/attributes.h"
#include "core/layer_store.h"
#include "fuzz/fuzz_common.h"

using namespace zemba;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int shapes = data[0] % 8;
    ++data;
    --size;
    const auto* sep = static_cast<const std::uint8_t*>(std::memchr(data, 0xFF, size));
    std::size_t attSize = sep ? static_cast<std::size_t>(sep - data) : size;
    const std::string att = fuzz::ScratchPath(".att"), atx = fuzz::ScratchPath(".atx");
    fuzz::Put(att, data, attSize);
    if (sep) {
        fuzz::Put(atx, sep + 1, size - attSize - 1);
    } else {
        std::remove(atx.c_str());
    }
    LayerStore store;
    store.AppendLayerSlot();
    store.ShapeLayers[1].NumRecords = shapes;
    store.ShapeLayers[1].Shapes.resize(shapes + 1);
    store.SetLoadedLayerDefaults(1);
    NullProgress progress;
    Result r = ReadSideFiles(store, att, 1, progress);
    const SymLayer& S = store.SymLayers[1];
    if (r && static_cast<int>(S.SymObjs.size()) != shapes + 1) __builtin_trap();
    if (r && S.NumClasses >= 0 && S.ClassBreaks.size() != static_cast<std::size_t>(S.NumClasses) + 1)
        __builtin_trap();
    return 0;
}
