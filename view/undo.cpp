#include "view/undo.h"

#include <map>
#include <utility>

namespace zemba {

namespace {

// How many saves of each layer an undo step has found so far. A save clears
// the layer's Modified mark; an undo step that finds the mark clear knows
// the file was written after its edit, and so after every earlier edit of
// that layer too. Commands note the count when their edit is made and
// compare on undo. One user-interface thread: no locking.
std::uint32_t& SavesFound(const LayerStore* store, std::int32_t layer) {
    static std::map<std::pair<const LayerStore*, std::int32_t>, std::uint32_t> found;
    return found[{store, layer}];
}

// Geometry only: the values stay with the record.
template <typename Shape>
void PutShape(Shape& into, const Shape& from) {
    auto values = std::move(into.Values);
    into = from;
    into.Values = std::move(values);
}

}  // namespace

LayerEditCommand::LayerEditCommand(LayerStore& store, std::int32_t layer, const QString& text)
    : QUndoCommand(text), store_(store), layer_(layer) {}

bool LayerEditCommand::LayerValid() const {
    return layer_ >= 1 && layer_ <= store_.LayerCount && static_cast<std::size_t>(layer_) < store_.ShapeLayers.size() &&
           static_cast<std::size_t>(layer_) < store_.SymLayers.size();
}

void LayerEditCommand::NoteMark(std::uint8_t wasModified) {
    wasModified_ = wasModified;
    epoch_ = SavesFound(&store_, layer_);
}

void LayerEditCommand::BeforeEdit() { NoteMark(L().Modified); }

void LayerEditCommand::AfterEdit() { L().Modified = 1; }

void LayerEditCommand::AfterUndo() {
    std::uint32_t& found = SavesFound(&store_, layer_);
    if (L().Modified == 0) ++found;  // saved since this edit
    L().Modified = found != epoch_ ? 1 : wasModified_;
}

LayerGeometry TakeGeometry(const LayerStore& store, std::int32_t layer, const std::vector<std::int32_t>& shapes) {
    LayerGeometry g;
    if (layer < 1 || layer > store.LayerCount || static_cast<std::size_t>(layer) >= store.ShapeLayers.size()) return g;
    const ShpLayer& L = store.ShapeLayers[layer];
    g.NumRecords = L.NumRecords;
    g.NumExtraParts = L.NumExtraParts;
    g.NumPoints = L.NumPoints;
    g.XMin = L.XMin, g.YMin = L.YMin, g.XMax = L.XMax, g.YMax = L.YMax;
    g.Modified = L.Modified;
    g.shapesSize = L.Shapes.size();
    for (std::int32_t k : shapes) {
        if (k < 1 || static_cast<std::size_t>(k) >= L.Shapes.size()) continue;
        LayerGeometry::Shape c;
        c.index = k;
        c.shape = L.Shapes[k];
        c.shape.Values.clear();
        c.has3 = static_cast<std::size_t>(k) < L.Shapes3.size();
        if (c.has3) {
            c.shape3 = L.Shapes3[k];
            c.shape3.Values.clear();
        }
        c.null = L.IsNullShape(k) ? 1 : 0;
        g.shapes.push_back(std::move(c));
    }
    return g;
}

ShapeEditCommand::ShapeEditCommand(LayerStore& store, std::int32_t layer, LayerGeometry before, LayerGeometry after,
                                   const QString& text)
    : LayerEditCommand(store, layer, text), before_(std::move(before)), after_(std::move(after)) {
    NoteMark(before_.Modified);
}

void ShapeEditCommand::PutGeometry(const LayerGeometry& g, const LayerGeometry& from) {
    ShpLayer& Lr = L();
    for (const LayerGeometry::Shape& c : g.shapes) {
        const std::size_t k = static_cast<std::size_t>(c.index);
        if (k >= Lr.Shapes.size()) continue;
        PutShape(Lr.Shapes[k], c.shape);
        if (c.has3 && k < Lr.Shapes3.size()) PutShape(Lr.Shapes3[k], c.shape3);
        if (k < Lr.NullShape.size()) {
            Lr.NullShape[k] = c.null;
        } else if (c.null) {
            Lr.NullShape.resize(Lr.Shapes.size(), 0);
            Lr.NullShape[k] = 1;
        }
    }
    // Counts by difference: another layer-wide change made in between
    // (a re-extent, a save) stays.
    Lr.NumPoints += g.NumPoints - from.NumPoints;
    Lr.NumExtraParts += g.NumExtraParts - from.NumExtraParts;
    Lr.XMin = g.XMin, Lr.YMin = g.YMin, Lr.XMax = g.XMax, Lr.YMax = g.YMax;
}

void ShapeEditCommand::undo() {
    if (!LayerValid()) return;
    ShpLayer& Lr = L();
    const std::size_t n = before_.shapesSize;
    if (after_.shapesSize > n) {
        // The shapes the edit appended go; they are kept as they are now
        // (with what was typed into them since), for redo.
        if (Lr.Shapes.size() != after_.shapesSize) return;
        auto& objs = Sym().SymObjs;
        added_.clear();
        for (std::size_t k = n; k < after_.shapesSize; ++k) {
            Added a;
            a.shape = std::move(Lr.Shapes[k]);
            a.has3 = k < Lr.Shapes3.size();
            if (a.has3) a.shape3 = std::move(Lr.Shapes3[k]);
            a.null = Lr.IsNullShape(static_cast<std::int32_t>(k)) ? 1 : 0;
            if (k < objs.size()) a.sym = std::move(objs[k]);
            added_.push_back(std::move(a));
        }
        Lr.Shapes.resize(n);
        if (Lr.Shapes3.size() > n) Lr.Shapes3.resize(n);
        if (Lr.NullShape.size() > n) Lr.NullShape.resize(n);
        if (objs.size() > n) objs.resize(n);
    }
    PutGeometry(before_, after_);
    Lr.NumRecords = before_.NumRecords;
    AfterUndo();
    done_ = false;
}

void ShapeEditCommand::redo() {
    if (done_ || !LayerValid()) return;  // the first time: the edit itself was just made
    ShpLayer& Lr = L();
    const std::size_t n = before_.shapesSize;
    if (after_.shapesSize > n) {
        if (Lr.Shapes.size() != n) return;
        const bool zm = !Lr.Shapes3.empty() && Lr.Shapes3.size() == n;
        auto& objs = Sym().SymObjs;
        for (std::size_t j = 0; j < added_.size(); ++j) {
            const std::size_t k = n + j;
            Added& a = added_[j];
            Lr.Shapes.push_back(a.shape);
            if (zm) Lr.Shapes3.push_back(a.has3 ? a.shape3 : ShpObj3{});
            if (!Lr.NullShape.empty() || a.null) {
                Lr.NullShape.resize(k + 1, 0);
                Lr.NullShape[k] = a.null;
            }
            if (objs.size() <= k) objs.resize(k + 1);
            objs[k] = a.sym;
        }
    }
    BeforeEdit();
    PutGeometry(after_, before_);
    Lr.NumRecords = after_.NumRecords;
    AfterEdit();
    done_ = true;
}

}  // namespace zemba
