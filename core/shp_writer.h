// Writing a layer as a shapefile's .shp and .shx.
#pragma once

#include <string>

#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

// Writes layer i to `path` and `path` with extension .shx. Each file is
// written under a temporary name and renamed over the target when complete,
// so a failed save leaves the previous files as they were.
Result WriteShapefile(const LayerStore& store, std::int32_t i, const std::string& path,
                      Progress& progress);

class AtomicFile;
// The same into two opened-to-be files that the caller commits together
// with the others of a save.
Result WriteShapefileTo(const LayerStore& store, std::int32_t i, AtomicFile& shp, AtomicFile& shx,
                        Progress& progress);

}  // namespace zemba
