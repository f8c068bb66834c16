// Wiring of the styling, classification and find windows into the main
// window's Properties, Classify and Find commands.
#pragma once

#include "app/file_commands.h"
#include "app/options.h"
#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

class TZeEditForm;

// Makes the windows (once) and connects PropertiesMI/TB, ClassifyMI/TB and
// FindMI/TB to them.
void WireStyleActions(TZeEditForm& window, LayerStore& store, Options& options, Prompter& prompter);

// The main window's layer change without putting the layer's default style
// back: a style just set in Layer Properties or Classify stays.
void SelectLayerKeepingStyle(FileCommands& commands, LayerStore& store, int layer);

}  // namespace zemba
