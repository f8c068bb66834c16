// Layers with attribute tables for the classification and find tests: made
// in memory with chosen field types, or read from the samples.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/attributes.h"
#include "core/shp_reader.h"
#include "tests/test_support.h"
#include "tests/view/view_fixture.h"

namespace zemba::test {

// Adds a polygon layer of unit squares in a row, one per value, with one
// field of `type`; returns the layer.
inline int ValueLayer(LayerStore& store, const std::vector<std::string>& values,
                      std::uint8_t type = ftString, const std::string& name = "F") {
    const int L = AddLayer(store, 5);
    ShpLayer& l = store.ShapeLayers[L];
    l.ShpName = "layer" + std::to_string(L) + ".shp";
    FieldDefRec f;
    f.FieldNo = 1;
    f.Name = name;
    f.DataType = type;
    l.Fields = {f};
    l.NumFields = 1;
    for (std::size_t k = 0; k < values.size(); ++k) {
        const double x = 2.0 * k;
        AddShape(store, L, {Square(x, 0, x + 1, 1)});
        store.ShapeLayers[L].Shapes.back().Values = {values[k]};
    }
    return L;
}

// Reads tests/data/<name> with its table; returns the layer (0 on failure).
inline int OpenSample(LayerStore& store, const std::string& name) {
    SilentPrompter p;
    NullProgress g;
    store.AppendLayerSlot();
    store.LayerFileName = DataPath(name);
    Result r = ReadShapefile(store, p, g);
    if (r) r = LoadAttributes(store, store.CurrentLayer, g);
    return r ? store.CurrentLayer : 0;
}

inline int FieldIndex(const LayerStore& store, int layer, const std::string& name) {
    const auto& f = store.ShapeLayers[layer].Fields;
    for (std::size_t i = 0; i < f.size(); ++i)
        if (f[i].Name == name) return static_cast<int>(i);
    return -1;
}

}  // namespace zemba::test
