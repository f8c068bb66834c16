// The main window's Legend and Print Layout commands: the output windows
// made once and wired to the menu items and tool buttons.
#pragma once

#include "core/layer_store.h"
#include "core/ui.h"
#include "view/viewport.h"

namespace zemba {

class TZeEditForm;
class MappingWindows;
class OutputWindows;
struct Options;

// Makes the legend, print layout and preview windows (owned by `window`)
// and wires "LegendMI"/"LegendTB" and "PrintLayoutMI"/"PrintLayoutTB".
OutputWindows& WireOutputActions(TZeEditForm& window, LayerStore& store, ViewState& view, MappingWindows& mapping,
                                 Options& options, Prompter& prompter, Progress& progress);

}  // namespace zemba
