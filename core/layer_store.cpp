#include "core/layer_store.h"

#include <cmath>

namespace zemba {

COLORREF palette(std::int64_t k) {
    static const COLORREF kColours[14] = {
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000,
        0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF,
    };
    std::int64_t m = k % 14;
    if (m < 0) m += 14;
    return kColours[m];
}

const char* ShapeTypeName(std::int32_t t) {
    switch (t) {
        case 1: return "Points";
        case 3: return "Lines";
        case 5: return "Areas";
        case 8: return "MultiPnt";
        case 11: return "PointsZ";
        case 13: return "LinesZ";
        case 15: return "AreasZ";
        case 18: return "MultiPntZ";
        case 21: return "PointsM";
        case 23: return "LinesM";
        case 25: return "AreasM";
        case 28: return "MultiPntM";
        case 31: return "MultiPatch";
        default: return "";
    }
}

bool IsPointType(std::int32_t t) { return t == 1 || t == 11 || t == 21 || t == 2; }
bool IsMultiPointType(std::int32_t t) { return t == 8 || t == 18 || t == 28; }
bool IsMultiPartType(std::int32_t t) {
    return t == 3 || t == 5 || t == 13 || t == 15 || t == 23 || t == 25;
}
bool IsPolygonType(std::int32_t t) { return t == 5 || t == 15 || t == 25; }
bool HasZ(std::int32_t t) { return t == 11 || t == 13 || t == 15 || t == 18; }
bool HasM(std::int32_t t) { return HasZ(t) || t == 21 || t == 23 || t == 25 || t == 28; }

const ShpObj3* ShpLayer::KeptZM(std::int32_t k) const {
    if (Shapes3.size() != Shapes.size() || k < 0 || static_cast<std::size_t>(k) >= Shapes.size()) return nullptr;
    const ShpObj3& s3 = Shapes3[k];
    const ShpObj& s = Shapes[k];
    if (s3.NumPoints != s.NumPoints || s3.NumParts != s.NumParts || s3.Parts.size() != s.Parts.size())
        return nullptr;
    for (std::size_t p = 1; p < s.Parts.size(); ++p)
        if (s3.Parts[p].Pts.size() != s.Parts[p].Pts.size()) return nullptr;
    return &s3;
}

void LayerStore::AppendLayerSlot() {
    LayerCount += 1;
    CurrentLayer = LayerCount;
    ShapeLayers.resize(LayerCount + 1);
    ShapeLayers[LayerCount] = ShpLayer{};
    LayerOrder.resize(LayerCount);
    LayerOrder[LayerCount - 1] = LayerCount;
}

void LayerStore::RollBackAppend() {
    if (LayerCount <= 0) return;
    LayerCount -= 1;
    CurrentLayer = LayerCount;
    ShapeLayers.resize(LayerCount + 1);
    SymLayers.resize(LayerCount + 1);
    LayerOrder.resize(LayerCount);
}

void LayerStore::SetDefaultStyle(std::int32_t i) {
    SymLayer& s = SymLayers[i];
    s.LineStyle = (i % 6) - 1;
    s.LineWidth = 1;
    s.LineColor = palette(static_cast<std::int64_t>(i) + 1);
    s.FillColor = palette(i);
    std::int32_t t = ShapeLayers[i].ShapeType;
    s.ShapeStyle = (t == 1 || t == 8) ? (i % 5) - 1 : (i % 7) - 1;
}

void LayerStore::SetLoadedLayerDefaults(std::int32_t i) {
    SymLayers.resize(LayerCount + 1);
    SymLayer& s = SymLayers[i];
    s.Visible = 1;
    s.SpareA = 5;
    s.SpareB = 25;
    s.NumClasses = 5;
    s.SpareColorA = 0x00FF00;
    s.SpareColorB = 0x008000;
    s.Editable = 1;
    s.Outlined = 1;
    SetDefaultStyle(i);
    s.Labeled = 0;
    s.LabelBackColor = 0xFFFFFF;
    s.LabelBackgrounded = 1;
    s.LabelFont = DefaultLabelFont;
    s.LabelFontHeight = 0;
    s.LabelRotation = 0;
    s.LabelField = 0;
    s.ClassBreaks = {0, 1, 2, 3, 4, 5};
    s.SymObjs.assign(static_cast<std::size_t>(ShapeLayers[i].NumRecords) + 1, SymObj{});
}

void LayerStore::ClearAll() {
    LayerCount = 0;
    CurrentLayer = 0;
    CurrentShape = 0;
    CurrentPart = 0;
    CurrentPoint = 0;
    CurrentField = 0;
    // Slot 0 stays: the arrays always hold LayerCount + 1 elements.
    ShapeLayers.assign(1, ShpLayer{});
    SymLayers.assign(1, SymLayer{});
    LayerOrder.clear();
    HitList.assign(1, HitEntry{});
    HitCount = 0;
    // The map state returns to the start state.
    MapXMin = MapYMin = 0;
    MapXMax = MapYMax = MapWidth = MapHeight = 1;
    MapXOffset = MapYOffset = 0;
    LayerFileName = "NoName.duh";
    ProjectName = "Nada";
    MapSystem.clear();
    MapChanged = false;
    BaseImageLoaded = false;
    BaseImagePath.clear();
    BaseImageName.clear();
    BtdLoaded = false;
    PointLayerMade = LineLayerMade = PolygonLayerMade = AnnoLayerMade = false;
}

void LayerStore::ApplyLayerExtents(std::int32_t i) {
    ShpLayer& L = ShapeLayers[i];
    L.XShift = L.XMin == 0 ? 0.0 : -L.XMin;
    L.YShift = L.YMin == 0 ? 0.0 : -L.YMin;
    // The first layer sets the map translation and extent. Later layers
    // leave the view where it is: widening the translation to a layer far
    // from the others (metres after degrees) moved every layer off the
    // view. Full View on such a layer shows it by its own shift.
    if (i == 1) {
        MapXOffset = L.XShift;
        MapYOffset = L.YShift;
        MapXMin = L.XMin;
        MapYMin = L.YMin;
        MapXMax = L.XMax;
        MapYMax = L.YMax;
    }
}

}  // namespace zemba
