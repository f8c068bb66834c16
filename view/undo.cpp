#include "view/undo.h"

namespace zemba {

LayerSnapshot TakeSnapshot(const LayerStore& store, std::int32_t layer, const std::vector<std::int32_t>& shapes) {
    LayerSnapshot s;
    s.layer = layer;
    if (layer < 1 || layer > store.LayerCount) return s;
    const ShpLayer& L = store.ShapeLayers[layer];
    const SymLayer& Y = store.SymLayers[layer];
    s.NumRecords = L.NumRecords;
    s.NumExtraParts = L.NumExtraParts;
    s.NumPoints = L.NumPoints;
    s.Modified = L.Modified;
    s.XShift = L.XShift, s.YShift = L.YShift;
    s.XMin = L.XMin, s.YMin = L.YMin, s.XMax = L.XMax, s.YMax = L.YMax;
    s.Visible = Y.Visible;
    s.LabelField = Y.LabelField;
    s.shapesSize = L.Shapes.size();
    s.shapes3Size = L.Shapes3.size();
    s.nullSize = L.NullShape.size();
    s.symSize = Y.SymObjs.size();
    for (std::int32_t k : shapes) {
        if (k < 1 || static_cast<std::size_t>(k) >= L.Shapes.size()) continue;
        LayerSnapshot::Shape c;
        c.index = k;
        c.shape = L.Shapes[k];
        c.has3 = static_cast<std::size_t>(k) < L.Shapes3.size();
        if (c.has3) c.shape3 = L.Shapes3[k];
        c.null = L.IsNullShape(k) ? 1 : 0;
        c.hasSym = static_cast<std::size_t>(k) < Y.SymObjs.size();
        if (c.hasSym) c.sym = Y.SymObjs[k];
        s.shapes.push_back(std::move(c));
    }
    return s;
}

bool RestoreSnapshot(LayerStore& store, const LayerSnapshot& s) {
    if (s.layer < 1 || s.layer > store.LayerCount || s.shapesSize == 0) return false;
    ShpLayer& L = store.ShapeLayers[s.layer];
    SymLayer& Y = store.SymLayers[s.layer];
    L.Shapes.resize(s.shapesSize);
    L.Shapes3.resize(s.shapes3Size);
    L.NullShape.resize(s.nullSize, 0);
    Y.SymObjs.resize(s.symSize);
    for (const LayerSnapshot::Shape& c : s.shapes) {
        const std::size_t k = static_cast<std::size_t>(c.index);
        if (k >= L.Shapes.size()) continue;
        L.Shapes[k] = c.shape;
        if (c.has3 && k < L.Shapes3.size()) L.Shapes3[k] = c.shape3;
        if (k < L.NullShape.size()) {
            L.NullShape[k] = c.null;
        } else if (c.null) {
            L.NullShape.resize(L.Shapes.size(), 0);
            L.NullShape[k] = 1;
        }
        if (c.hasSym && k < Y.SymObjs.size()) Y.SymObjs[k] = c.sym;
    }
    L.NumRecords = s.NumRecords;
    L.NumExtraParts = s.NumExtraParts;
    L.NumPoints = s.NumPoints;
    L.Modified = s.Modified;
    L.XShift = s.XShift, L.YShift = s.YShift;
    L.XMin = s.XMin, L.YMin = s.YMin, L.XMax = s.XMax, L.YMax = s.YMax;
    Y.Visible = s.Visible;
    Y.LabelField = s.LabelField;
    return true;
}

EditCommand::EditCommand(LayerStore& store, LayerSnapshot before, LayerSnapshot after, const QString& text)
    : QUndoCommand(text), store_(store), before_(std::move(before)), after_(std::move(after)) {}

void EditCommand::undo() {
    RestoreSnapshot(store_, before_);
    done_ = false;
}

void EditCommand::redo() {
    if (done_) return;  // the edit itself was just made
    RestoreSnapshot(store_, after_);
    done_ = true;
}

}  // namespace zemba
