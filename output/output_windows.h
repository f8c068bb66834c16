// The legend, print layout and print preview windows as the main window
// holds them: one object over the project records, a few calls.
#pragma once

#include <functional>
#include <memory>

#include "core/layer_store.h"
#include "core/ui.h"
#include "mapping/project_files.h"
#include "output/layout.h"
#include "output/legend.h"
#include "output/page_painter.h"
#include "view/viewport.h"

class QWidget;

namespace zemba {

class MapCommands;
class MapRenderer;
class TLegendForm;
class TPrintLayoutForm;
class TPreviewForm;

// Ground metres of one view pixel, from the current layer's unit (0 when
// the unit is not known).
double MapMetresPerPixel(const LayerStore& store, const ViewState& view);
// The map element as the renderer draws it: the view's extent, filling
// the panel it is drawn into.
MapSource MapSourceOf(MapRenderer& renderer, LayerStore& store, ViewState& view);
// The units of the map for its grid (Page::MapUnits).
int MapGridUnits(const LayerStore& store);
// The layout's page with the map's scale and grid units.
Page DrawLayoutPage(LayoutCommands& layout, const LayerStore& store, const ViewState& view);

class OutputWindows {
public:
    OutputWindows(LayerStore& store, ViewState& view, MapRenderer& renderer, MapProject& project,
                  MapCommands& maps, Prompter& prompter, Progress& progress, QWidget* parent);
    ~OutputWindows();

    LegendCommands& Legend() { return legend_; }
    LayoutCommands& Layout() { return layout_; }
    TLegendForm& LegendForm() { return *legendForm_; }
    TPrintLayoutForm& LayoutForm() { return *layoutForm_; }
    TPreviewForm& Preview() { return *preview_; }

    void ShowLegend();
    void ShowLayout();
    // Help contexts (14000, 16000) through the program's help.
    std::function<void(int context, QWidget* parent)> Help;
    // A window closed: remember its position.
    std::function<void(QWidget* window)> Closed;

private:
    LayerStore& store_;
    ViewState& view_;
    MapRenderer& renderer_;
    QtTextMeasurer measurer_;
    LegendCommands legend_;
    LayoutCommands layout_;
    TLegendForm* legendForm_ = nullptr;
    TPrintLayoutForm* layoutForm_ = nullptr;
    TPreviewForm* preview_ = nullptr;
};

}  // namespace zemba
