#include "attributes/identify.h"

#include <algorithm>
#include <cstdio>

namespace zemba {

namespace {

bool LayerExists(const LayerStore& store, int layer) {
    return layer >= 1 && layer <= store.LayerCount && static_cast<std::size_t>(layer) < store.ShapeLayers.size();
}

bool ShapeExists(const LayerStore& store, int layer, int shape) {
    if (!LayerExists(store, layer)) return false;
    const ShpLayer& L = store.ShapeLayers[layer];
    return shape >= 1 && shape <= L.NumRecords && static_cast<std::size_t>(shape) < L.Shapes.size();
}

}  // namespace

std::string GeneralFloat(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    std::string s(buf);
    std::replace(s.begin(), s.end(), ',', '.');
    return s;
}

std::string CandidateLine(const LayerStore& store, int layer, int shape) {
    const char* type = LayerExists(store, layer) ? ShapeTypeName(store.ShapeLayers[layer].ShapeType) : "";
    return "Obj : " + std::to_string(layer) + "." + std::to_string(shape) + " Type: " + (type ? type : "");
}

std::vector<std::string> InformationList(const LayerStore& store, int layer, int shape) {
    std::vector<std::string> out;
    if (!ShapeExists(store, layer, shape)) return out;
    const ShpLayer& L = store.ShapeLayers[layer];
    const ShpObj& s = L.Shapes[shape];
    out.push_back("Layer : " + std::to_string(layer) + " " + L.ShpName);
    out.push_back("Obj : " + std::to_string(shape));
    if (L.IsNullShape(shape)) out.push_back("Deleted");
    if (IsMultiPartType(L.ShapeType)) {
        out.push_back("Parts : " + std::to_string(s.NumParts));
        for (const std::string& p : PartsList(store, layer, shape)) out.push_back(p);
        out.push_back("Total Points : " + std::to_string(s.NumPoints));
    }
    out.emplace_back();
    for (int i = 0; i < L.NumFields && static_cast<std::size_t>(i) < L.Fields.size(); ++i) {
        // A shape past the table's last record has no values: show them empty.
        const std::string value = static_cast<std::size_t>(i) < s.Values.size() ? s.Values[i] : std::string();
        out.push_back(L.Fields[i].Name + " : " + value);
    }
    return out;
}

std::vector<std::string> PartsList(const LayerStore& store, int layer, int shape) {
    std::vector<std::string> out;
    if (!ShapeExists(store, layer, shape)) return out;
    const ShpLayer& L = store.ShapeLayers[layer];
    if (!IsMultiPartType(L.ShapeType)) return out;
    const ShpObj& s = L.Shapes[shape];
    for (int p = 1; p <= s.NumParts && static_cast<std::size_t>(p) < s.PartSizes.size(); ++p)
        out.push_back("Part " + std::to_string(p) + " Points : " + std::to_string(s.PartSizes[p]));
    return out;
}

std::vector<std::string> PointsList(const LayerStore& store, int layer, int shape, int part) {
    std::vector<std::string> out;
    if (!ShapeExists(store, layer, shape)) return out;
    const ShpLayer& L = store.ShapeLayers[layer];
    const ShpObj& s = L.Shapes[shape];
    auto line = [](double x, double y) { return "X: " + GeneralFloat(x) + " ,Y: " + GeneralFloat(y); };
    if (IsPointType(L.ShapeType)) {
        out.push_back(line(s.XMin, s.YMin));
        return out;
    }
    // A multipoint keeps all its points in part 1 and has no part sizes.
    if (part < 1 || static_cast<std::size_t>(part) >= s.Parts.size()) return out;
    std::size_t count = IsMultiPointType(L.ShapeType)
                            ? static_cast<std::size_t>(std::max(s.NumPoints, 0))
                            : (static_cast<std::size_t>(part) < s.PartSizes.size()
                                   ? static_cast<std::size_t>(std::max(s.PartSizes[part], 0))
                                   : 0);
    const auto& pts = s.Parts[part].Pts;
    count = std::min(count, pts.empty() ? 0 : pts.size() - 1);
    for (std::size_t j = 1; j <= count; ++j) out.push_back(line(pts[j].X, pts[j].Y));
    return out;
}

bool IdentifyLogic::Valid(int layer, int shape) const { return ShapeExists(store_, layer, shape); }

void IdentifyLogic::Clear() {
    Candidates.clear();
    Info.clear();
    Parts.clear();
    Points.clear();
    rows_.clear();
    Layer = Shape = Part = 0;
    CandidateRow = PartRow = -1;
}

void IdentifyLogic::IDInit() {
    Clear();
    for (int c = 1; c <= store_.HitCount && static_cast<std::size_t>(c) < store_.HitList.size(); ++c) {
        const HitEntry& h = store_.HitList[c];
        if (!Valid(h.Layer, h.Shape)) continue;
        rows_.emplace_back(h.Layer, h.Shape);
        Candidates.push_back(CandidateLine(store_, h.Layer, h.Shape));
    }
    if (!rows_.empty()) {
        CandidateClick(0);
        if (hooks_.ShapeSelected) hooks_.ShapeSelected();
    }
}

void IdentifyLogic::CandidateClick(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
    const auto [layer, shape] = rows_[row];
    if (!Valid(layer, shape)) return;
    CandidateRow = row;
    Layer = layer;
    Shape = shape;
    Part = 0;
    PartRow = -1;
    if (hooks_.DisplayGraphicShape) hooks_.DisplayGraphicShape(layer, shape, 0);
    Info = InformationList(store_, layer, shape);
    Parts = PartsList(store_, layer, shape);
    Points.clear();
    // A point has no parts to pick: its one point is listed at once.
    if (IsPointType(store_.ShapeLayers[layer].ShapeType)) Points = PointsList(store_, layer, shape, 1);
}

void IdentifyLogic::PartClick(int row) {
    if (!Valid(Layer, Shape) || row < 0 || static_cast<std::size_t>(row) >= Parts.size()) return;
    PartRow = row;
    Part = row + 1;
    Points = PointsList(store_, Layer, Shape, Part);
    if (hooks_.DisplayGraphicShape) hooks_.DisplayGraphicShape(Layer, Shape, Part);
}

void IdentifyLogic::PointClick(int row) {
    if (!Valid(Layer, Shape) || row < 0 || static_cast<std::size_t>(row) >= Points.size()) return;
    if (hooks_.DisplayEditPoint) hooks_.DisplayEditPoint(Layer, Shape, row + 1, std::max(PartRow, 0) + 1);
}

}  // namespace zemba
