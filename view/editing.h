// Editing the layer store in place: the structural worker Copier (delete,
// copy, vertex delete and duplicate, feature creation), the displacement
// worker ShapeMover, re-extent and the layer creation commands. Plain code
// over the store; the tool controller calls it on a release and records
// the undo step around it.
//
// Every edit keeps the layer's counts, the per-vertex Z and M (Shapes3) and
// the null-shape flags in step with Shapes, and leaves the edited shape's
// box right: moved with a move, recomputed after a vertex edit, sorted at
// creation; the layer box grows to hold it.
#pragma once

#include <cstdint>
#include <string>

#include "core/layer_store.h"
#include "core/ui.h"
#include "view/tool_state.h"
#include "view/viewport.h"

namespace zemba {

// A vertex without a measure gets kNoMeasure (core/layer_store.h), the
// format's "no data".

// World vector of a drag from pixel a to pixel b.
void DragVector(const LayerStore& store, const ViewState& view, PixelPoint a, PixelPoint b,
                double& dx, double& dy);

// Structural part of codes 2 (delete shape `source`), 3 (copy `source` to a
// new last shape `target`, which must be NumRecords + 1), 5 (delete vertex
// CurrentPoint of part CurrentPart) and 6 (duplicate that vertex). A vertex
// deletion that would leave a ring under 4 points, a line under 2 or an empty
// multipoint is refused with a message through `prompter` (when given).
// Returns false when nothing changed.
bool Copier(LayerStore& store, std::int32_t layer, std::int32_t source, std::int32_t target,
            int code, Prompter* prompter = nullptr);

// Displacement by (dx, dy): codes 1 and 3 move the whole shape (and its box),
// codes 4 and 6 the vertex CurrentPoint of part CurrentPart. In polygon
// layers the first and last vertex of a closed ring move together.
void ShapeMover(LayerStore& store, std::int32_t layer, std::int32_t shape, int code, double dx,
                double dy);

// One edit of the selection (CurrentLayer, CurrentShape, ...) with codes 1
// to 6, as a release does it: Copier and ShapeMover, the shape's box, the
// layer box and Modified. Returns false when nothing changed.
bool EditSelected(LayerStore& store, int code, double dx, double dy, Prompter* prompter = nullptr);

// Layer a created feature of `code` (101, 102, 103, 105) goes to: the layer
// made by the matching layer command, else the current layer; 0 for none.
std::int32_t FeatureTarget(const LayerStore& store, int code);

// True when layer i was made by one of the four layer commands.
bool IsMadeLayer(const LayerStore& store, std::int32_t i);

// Makes one feature (Copier codes 101, 102, 103, 105) from world (Xs, Ys) to
// (Xe, Ye) in FeatureTarget. A line is the two points; an area is a closed
// clockwise triangle on the dragged box. A drag of no length (line) or of no
// width or height (area), or a target layer of another kind, is refused with
// a message. The feature's label is its value of the layer's label field;
// `text` (when given) becomes both. Returns the new shape's layer (its
// number is the layer's NumRecords), or 0 when nothing was made.
std::int32_t MakeFeature(LayerStore& store, int code, double Xs, double Ys, double Xe, double Ye,
                         Prompter* prompter = nullptr, const std::string* text = nullptr);

// Recomputes the boxes of layer i: shape boxes from their vertices (a shape
// without vertices keeps its box), the layer box over its shapes (deleted
// ones left out; no shapes keeps the box), the Z and M ranges when kept, and
// XShift/YShift. Layers of other types (9) are left as they are.
void ReExtentLayer(LayerStore& store, std::int32_t i);
// start < 1: every layer in LayerOrder; otherwise layers start..LayerCount.
void ReExtentAll(LayerStore& store, std::int32_t start);

// The box of a shape from its vertices; false (box unchanged) when it has none.
bool ShapeBoxFromVertices(ShpObj& s);

// CreateAnotherLayer: appends an empty layer of `type` (1, 2, 3 or 5) named
// `name`, with the box and shifts of the current layer. The layer goes to
// the folder typed with the name (a relative one is taken inside
// `shapeDir`; one that does not exist is refused with a message), a bare
// name to `shapeDir`. A name already used by a loaded layer, or an existing
// .shp, .shx or .dbf of that name in that folder, shows message 7 and makes
// nothing. Returns the new layer's index, 0 when none was made.
std::int32_t CreateAnotherLayer(LayerStore& store, std::int32_t type, const std::string& name,
                                const std::string& shapeDir, Prompter& prompter, FontRef labelFont);

// The four layer commands: when the kind's made flag is clear, make the layer
// and record it as that kind's layer. Returns the new index or 0.
std::int32_t LayerCommand(LayerStore& store, std::int32_t type, const std::string& name,
                          const std::string& shapeDir, Prompter& prompter, FontRef labelFont);

// Whether the layer command of `type` is offered: a layer is loaded and the
// kind's made flag is clear.
bool LayerCommandOffered(const LayerStore& store, std::int32_t type);

}  // namespace zemba
