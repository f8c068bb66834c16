// The hit tests of the pointer tools: shapes under a click (ShapeSearcher)
// and vertices of the selected shape under the pointer (PointSearcher).
// Plain scans over the store; nothing here processes window events, so a
// click cannot run a handler that changes the layers under the scan.
#pragma once

#include <cstdint>

#include "core/layer_store.h"
#include "view/viewport.h"

namespace zemba {

// World box of the pixel hit box of half-width r around pixel (x, y),
// bounds inclusive.
struct HitBox {
    double X0, X1, Y0, Y1;
    bool Contains(double X, double Y) const { return X >= X0 && X <= X1 && Y >= Y0 && Y <= Y1; }
};
HitBox PixelHitBox(const LayerStore& store, const ViewState& view, int x, int y, int r);

// Fills HitList/HitCount with every (layer, shape) whose box holds the click:
// layers in LayerOrder whose Editable is set, shapes in number order. Point
// and text layers match on the point within the pixel hit box of radius r;
// other layers on the click (X, Y) within the shape's box. Deleted (null)
// shapes are never candidates. Needs CurrentLayer >= 1. Returns HitCount > 0.
bool ShapeSearcher(LayerStore& store, const ViewState& view, int x, int y, double X, double Y,
                   int r);

// Entry of HitList (1..HitCount) to select first: the first candidate that
// really lies under the click (inside a polygon, within r pixels of a line
// or a multipoint's point), else 1. 0 when the list is empty.
std::int32_t PickCandidate(const LayerStore& store, const ViewState& view, double X, double Y,
                           int r);

// Vertex of the selected shape (CurrentLayer, CurrentShape) in the hit box;
// the last one in storage order wins and becomes CurrentPart/CurrentPoint.
bool PointSearcher(LayerStore& store, const ViewState& view, int x, int y, int r);

// Geometry tests used by the pick (exposed for the tests).
bool PointInShape(const ShpObj& s, double X, double Y);  // even-odd over all parts
double DistanceToLines(const ShpObj& s, double X, double Y);
double DistanceToPoints(const ShpObj& s, double X, double Y);

}  // namespace zemba
