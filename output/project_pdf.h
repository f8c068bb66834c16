// The stored layout of a map project as a PDF, without windows: what
// `zemba-convert layout` runs. Needs a QGuiApplication.
#pragma once

#include <string>

#include "core/layer_store.h"
#include "core/ui.h"
#include "mapping/project_files.h"
#include "view/viewport.h"

namespace zemba {

class MapRenderer;

// Draws the project's stored layout (as last stored; nothing is measured
// again) with the map fitted to the current layer as the main window shows
// it after opening the project, and writes it to `pdf`.
Result WriteLayoutPdf(LayerStore& store, ViewState& view, MapRenderer& renderer, MapProject& project,
                      Prompter& prompter, const std::string& pdf);

}  // namespace zemba
