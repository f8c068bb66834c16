// The attribute loader over arbitrary .dbf bytes, for a layer of 40 shapes,
// and the save's table builder with those bytes as the table it keeps cells of.
#include "core/attributes.h"
#include "core/dbf_table.h"
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
    if (L.NumFields > 0 && !L.Shapes[2].Values.empty()) L.Shapes[2].Values[0] = "edited";
    std::string out;
    if (BuildDbf(L, std::string(reinterpret_cast<const char*>(data), size), out, progress) && out.size() < 32)
        __builtin_trap();
    return 0;
}
