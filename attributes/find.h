// Find: shapes of a layer by text, by comparing a numeric field with a
// value, or by a spatial relation to the shapes of other layers. The found
// shapes become the candidate list (HitList) the identify window steps
// through; Zoom and Highlight act on it.
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

// Common box of the found shapes.
struct FoundBox {
    double XMin = 1.6e308, YMin = 1.6e308;
    double XMax = -std::numeric_limits<double>::infinity(), YMax = -std::numeric_limits<double>::infinity();
    bool Empty() const { return XMin > XMax; }
    void Add(const ShpObj& s);
};

struct FindResult {
    std::vector<HitEntry> Hits;
    FoundBox Box;
    int Skipped = 0;     // shapes whose value is not a number
    int ErrorNumber = 0; // catalogue info message to show instead (4 "Not a Number")
    std::string Notice;  // shown after the search when not empty
};

// "in selected " + ShpName + field Name + " Attributes"
std::string TextFindLabel(const LayerStore& store, int layer, int field);
// "Found " + count
std::string FoundText(int count);

// Shapes whose value contains `text` (case-sensitive; an empty text finds
// nothing).
FindResult FindText(const LayerStore& store, int layer, int field, const std::string& text, Progress& progress);

// The comparisons of the "Field Values" page, in the combo's order; "like"
// compares as "=".
enum class CompareOp { Less = 0, Equal, Greater, GreaterEqual, NotEqual, LessEqual, Like };
bool ParseCompareOp(const std::string& text, CompareOp& op);  // "<", "=", ..., "like"

// Shapes whose number compares with `value` as asked. A field that is not
// numeric gives ErrorNumber 4; shapes without a number are skipped and
// counted.
FindResult FindValue(const LayerStore& store, int layer, int field, CompareOp op, const std::string& value,
                     Progress& progress);

// The relations and units of the "Spatial" page, in the combos' order.
// Relations without a meaning here are not offered (Available false).
enum class SpatialRelation { Within = 0, LargerThen, SmallerThan, SurroundedBy, NextTo };
bool SpatialRelationAvailable(int index);
// Only map units: the layers carry no unit of their own to convert from.
bool DistanceUnitAvailable(int index);

// Shapes of `searchLayer` in `relation` to some shape of the checked layers:
// Within: the boxes are at most `distance` map units apart; Next to: the
// boxes touch or overlap; Surrounded by: the shape's box lies inside the
// other shape's box. A shape never relates to itself. The pairs name the
// search layer.
FindResult FindSpatial(const LayerStore& store, int searchLayer, const std::vector<int>& checkedLayers,
                       SpatialRelation relation, double distance, Progress& progress);

// The result becomes the candidate list (HitList, HitCount).
void StoreHits(LayerStore& store, const FindResult& r);

// "Zoom": the map extent becomes the found box. False without results.
bool ZoomToFound(LayerStore& store, const FoundBox& box);

// "Highlight": found shapes of `layer` in the highlight colour, the other
// shapes as they were drawn before; the layer switches to object styles.
// False without results.
bool HighlightFound(LayerStore& store, int layer, COLORREF highlight);

// The results grid: one row per found shape, its number and value.
struct ResultRow {
    int Layer = 0;
    int Shape = 0;
    std::string Value;
};
std::vector<ResultRow> ResultRows(const LayerStore& store, int field);

}  // namespace zemba
