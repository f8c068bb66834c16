// Layer styles, object styles and labels as plain code over the store: what
// the buttons of the layer properties window, the "Set current Object"
// submenu and the label properties window do.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

// True when `layer` is a loaded layer with a style record.
bool ValidLayer(const LayerStore& store, int layer);

// SymObjs of the layer sized to its shapes (1..NumRecords).
void EnsureSymObjs(LayerStore& store, int layer);

// Hiding keeps what a layer was showing: a hidden layer stores its earlier
// object-style Visible as a negative number (0 stands for 1), so showing it
// again brings back a classification instead of the plain layer style.
int ShownVisible(const SymLayer& s);
void SetLayerVisible(LayerStore& store, int layer, bool visible);

// Copies the layer style into every shape's own style (StyleSet := 1).
void CopyLayerStyleToObjects(LayerStore& store, int layer);
// Before shapes get styles of their own: a layer still drawn in its layer
// style first hands that style to every shape, so that shapes not touched
// afterwards keep their look. Then Visible := `objectVisible` (kept hidden
// when the layer is hidden).
void SwitchToObjectStyles(LayerStore& store, int layer, int objectVisible = 5);

// Names of the style combo boxes by layer type.
std::vector<std::string> SymbolStyleNames(int shapeType);  // markers or fills
std::vector<std::string> LineStyleNames(int shapeType);    // empty for point layers
bool UsesMarkers(int shapeType);                           // types 1 and 8

// The layer list of the properties window: ShpName in LayerOrder order.
std::vector<std::string> LayerRows(const LayerStore& store);
int LayerOfRow(const LayerStore& store, int row);  // 0 when out of range
int RowOfLayer(const LayerStore& store, int layer);  // -1 when not listed

// "Outlined": solid black outline, or the clear pen in the background colour.
void SetOutlined(LayerStore& store, int layer, bool on, COLORREF background);
// "Background": opaque white label boxes, or none.
void SetLabelBackground(LayerStore& store, int layer, bool on, COLORREF background);
// "Line Width" text: an integer, kept within 1..10. A text that is not an
// integer shows the conversion error and changes nothing.
bool SetLineWidthText(LayerStore& store, int layer, const std::string& text, Prompter& prompter);

// "Up" and "Down": swap rows r and r-1 (r and r+1) of LayerOrder. Returns
// the row the layer is on afterwards.
int MoveLayerUp(LayerStore& store, int row);
int MoveLayerDown(LayerStore& store, int row);

// "Delete": removes the layer of `row` and renumbers the layers above it in
// every place that holds a layer number (LayerOrder, CurrentLayer, the
// created-layer indexes, HitList, CurrentShape). A modified layer is only
// discarded after the user agrees. Deleting the last layer runs `clearAll`
// (the main window's Clear All) or, without one, the store's.
struct DeleteOutcome {
    bool Deleted = false;
    bool ClearedAll = false;
    bool SelectionLost = false;  // the selected shape or a running edit was on it
    // Creation commands whose layer went away (Point, Line, Polygon, Anno).
    bool PointLayerFreed = false, LineLayerFreed = false, PolygonLayerFreed = false,
         AnnoLayerFreed = false;
};
DeleteOutcome DeleteLayer(LayerStore& store, int row, Prompter& prompter,
                          const std::function<void()>& clearAll = {});

// "Reset to Defaults" for every layer; each layer gets its own copy of `font`.
void ResetStyles(LayerStore& store, const FontDesc& font);

// A new font object from the window's sample, turned by `rotation` degrees.
FontRef MakeLabelFont(const FontDesc& sample, int rotation);

// "Label as Selected": the layer's label settings from the window and every
// shape labelled with its value of `field` (an empty text for a field the
// layer does not have). The layer gets a font object of its own, shared by
// its shapes only.
struct LabelSettings {
    int Rotation = 0;
    bool Backgrounded = true;
    COLORREF BackColor = 0xFFFFFF;
    int Field = 0;
    FontDesc Font;
    int FontHeight = 0;
};
void LabelAsSelected(LayerStore& store, int layer, const LabelSettings& s, Progress& progress);

// The "Set current Object" commands on the selected shape (CurrentShape of
// CurrentLayer). A shape without a style of its own gets one first, so the
// commands work on every layer. False when no shape is selected.
enum class ObjectStyleKind { PointType, LineType, PolyFill, LineColor, FillColor };
bool ObjectStyleCommand(LayerStore& store, bool shapeSelected, ObjectStyleKind kind, std::uint32_t value);

// "Label...": readies the selected shape for the label window (LabelSet := 1,
// the layer's font and settings when it has none). False when no shape is
// selected.
bool BeginObjectLabel(LayerStore& store, bool shapeSelected);

// OK of the label properties window on shape `shape` of `layer`.
struct ObjectLabelSettings {
    std::string Text;
    int Rotation = 0;
    bool Backgrounded = true;
    COLORREF BackColor = 0xFFFFFF;
    FontDesc Font;
    int FontHeight = 0;
};
void ApplyObjectLabel(LayerStore& store, int layer, int shape, const ObjectLabelSettings& s);

}  // namespace zemba
