// The attribute loader over arbitrary .dbf bytes, for a layer of 40 shapes.
#include "core/attributes.h"
#include "core/layer_store.h"
#include "fuzz/fuzz_common.h"

using namespace zemba;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string dbf = fuzz::ScratchPath(".dbf");
    fuzz::Put(dbf, data, size);
    LayerStore store;
    store.AppendLayerSlot();
    ShpLayer& L = store.ShapeLayers[1];
    L.ShapeType = 1;
    L.NumRecords = 40;
    L.Shapes.resize(41);
    L.ShpName = "in.shp";
    L.ShpPath = dbf.substr(0, dbf.size() - 6);
    NullProgress progress;
    Result r = LoadAttributes(store, 1, progress);
    if (r) {
        for (std::int32_t k = 1; k <= L.NumRecords; ++k)
            if (!L.Shapes[k].Values.empty() && static_cast<std::int32_t>(L.Shapes[k].Values.size()) != L.NumFields)
                __builtin_trap();
    }
    return 0;
}
