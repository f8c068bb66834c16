// Exchange exports of a layer: raw coordinates (.dat) and DXF drawings.
#pragma once

#include <string>

#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

// Writes the coordinate dump to `path` with its extension replaced by ".dat".
Result ExportCoordinates(const LayerStore& store, std::int32_t i, const std::string& path,
                         Progress& progress);
// Writes a 2-D DXF drawing of layer i to `path`.
Result ExportDxf(const LayerStore& store, std::int32_t i, const std::string& path,
                 Progress& progress);

}  // namespace zemba
