// Reading a shapefile's main file (.shp) into a layer slot.
#pragma once

#include <string>

#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

// Fills store.ShapeLayers[store.CurrentLayer] (an appended, empty slot) from
// the main file at store.LayerFileName. On success the loaded-layer defaults
// are applied and, when a .att side file lies beside the file, it is read into
// the layer's style (a damaged side file is reported through `prompter` and
// leaves the defaults). On failure the caller rolls the slot back; the reason
// says why.
Result ReadShapefile(LayerStore& store, Prompter& prompter, Progress& progress);

}  // namespace zemba
