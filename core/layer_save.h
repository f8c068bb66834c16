// Saving a layer: the shapefile's .shp and .shx with its attribute table and
// the files the layer carries beside it, all replaced in one step.
#pragma once

#include <string>

#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

// Writes layer i to `path` (.shp) with its .shx and .dbf, the .cpg and .prj
// texts the layer holds, and for a text layer (type 2, written as points)
// its .att and .atx so its labels come back. Every file is written under a
// temporary name first; only when all are complete are they renamed over
// the targets, so a failed save leaves the previous files as they were.
// The table the layer was read from (DbfPath + DbfName) keeps every cell the
// layer did not change byte for byte.
Result SaveLayer(const LayerStore& store, std::int32_t i, const std::string& path, Progress& progress);

}  // namespace zemba
