// Undo and redo of edits: one QUndoCommand per edit on the tool controller's
// stack. Each command holds only what its own edit changed and puts back only
// that, so stepping back over a shape edit never takes back an attribute or
// style change made after it (and the other way round):
//  - a shape edit swaps the geometry of the shapes it touched (parts, box,
//    Z/M, null flag) and the layer's counts and box; a created or copied
//    shape is held whole and taken out again;
//  - an attribute edit (attributes/attribute_edits.h) swaps old and new
//    values of one record;
//  - an added field is taken out of the table again.
// The layer's Modified mark follows: stepping back to the state the layer
// had when it was last opened or saved clears it again; stepping back over
// a save marks the layer modified, since memory no longer matches the file.
#pragma once

#include <QString>
#include <QUndoCommand>
#include <cstdint>
#include <vector>

#include "core/layer_store.h"

namespace zemba {

// Base of every command that edits one layer: it keeps the layer's Modified
// mark right across undo and redo.
class LayerEditCommand : public QUndoCommand {
public:
    LayerEditCommand(LayerStore& store, std::int32_t layer, const QString& text);
    std::int32_t Layer() const { return layer_; }

protected:
    // The layer still exists (undo steps over layers that were removed do
    // nothing; the stack is emptied when the layer table changes).
    bool LayerValid() const;
    ShpLayer& L() { return store_.ShapeLayers[layer_]; }
    SymLayer& Sym() { return store_.SymLayers[layer_]; }
    // Around the edit: BeforeEdit notes the mark the layer had, AfterEdit
    // sets it; AfterUndo puts back the noted one, or keeps the layer marked
    // when it was saved since the edit.
    void BeforeEdit();
    void AfterEdit();
    void AfterUndo();
    // For an edit made before the command was built: the mark it found.
    void NoteMark(std::uint8_t wasModified);

    LayerStore& store_;
    const std::int32_t layer_;

private:
    std::uint8_t wasModified_ = 0;
    std::uint32_t epoch_ = 0;
};

// The geometry of a layer as a shape edit changes it: counts, box, array
// length and the touched shapes without their values and styles.
struct LayerGeometry {
    std::int32_t NumRecords = 0, NumExtraParts = 0, NumPoints = 0;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
    std::uint8_t Modified = 0;
    std::size_t shapesSize = 0;
    struct Shape {
        std::int32_t index = 0;
        ShpObj shape;  // Values left empty
        bool has3 = false;
        ShpObj3 shape3;  // Values left empty
        std::uint8_t null = 0;
    };
    std::vector<Shape> shapes;
};

// Copies the geometry of layer `layer` and of its shapes `shapes` (indexes
// outside the layer are skipped).
LayerGeometry TakeGeometry(const LayerStore& store, std::int32_t layer, const std::vector<std::int32_t>& shapes);

// One shape edit (move, delete, copy, vertex edits, creation). It is pushed
// after the edit was made, so its first redo() does nothing; later redo()s
// put the geometry after the edit back.
class ShapeEditCommand : public LayerEditCommand {
public:
    ShapeEditCommand(LayerStore& store, std::int32_t layer, LayerGeometry before, LayerGeometry after,
                     const QString& text);
    void undo() override;
    void redo() override;

private:
    // A shape the edit appended (copy, creation), whole: geometry, values,
    // Z/M and style, as it was when the edit was taken back.
    struct Added {
        ShpObj shape;
        bool has3 = false;
        ShpObj3 shape3;
        std::uint8_t null = 0;
        SymObj sym;
    };
    void PutGeometry(const LayerGeometry& g, const LayerGeometry& from);
    LayerGeometry before_, after_;
    std::vector<Added> added_;
    bool done_ = true;
};

}  // namespace zemba
