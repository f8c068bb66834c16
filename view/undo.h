// Undo and redo of edits: before an edit the touched part of the layer is
// copied (its counts, box, the touched shapes with their Z/M, values, styles
// and null flags, and the array lengths); after it the same again. One
// QUndoCommand per edit swaps between the two.
#pragma once

#include <QString>
#include <QUndoCommand>
#include <cstdint>
#include <vector>

#include "core/layer_store.h"

namespace zemba {

struct LayerSnapshot {
    std::int32_t layer = 0;
    std::int32_t NumRecords = 0, NumExtraParts = 0, NumPoints = 0;
    std::uint8_t Modified = 0;
    double XShift = 0, YShift = 0, XMin = 0, YMin = 0, XMax = 0, YMax = 0;
    std::int32_t Visible = 0, LabelField = 0;
    std::size_t shapesSize = 0, shapes3Size = 0, nullSize = 0, symSize = 0;
    struct Shape {
        std::int32_t index = 0;
        ShpObj shape;
        bool has3 = false;
        ShpObj3 shape3;
        std::uint8_t null = 0;
        bool hasSym = false;
        SymObj sym;
    };
    std::vector<Shape> shapes;
};

// Copies layer `layer` and its shapes `shapes` (indexes outside the layer are
// skipped).
LayerSnapshot TakeSnapshot(const LayerStore& store, std::int32_t layer, const std::vector<std::int32_t>& shapes);
// Puts a snapshot back: array lengths first (dropping shapes added since),
// then the copied shapes and the layer's counts and box. False (nothing
// changed) when the layer no longer exists.
bool RestoreSnapshot(LayerStore& store, const LayerSnapshot& snap);

// One edit on the undo stack. It is pushed after the edit was made, so its
// first redo() does nothing.
class EditCommand : public QUndoCommand {
public:
    EditCommand(LayerStore& store, LayerSnapshot before, LayerSnapshot after, const QString& text);
    void undo() override;
    void redo() override;

private:
    LayerStore& store_;
    LayerSnapshot before_, after_;
    bool done_ = true;
};

}  // namespace zemba
