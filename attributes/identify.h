// What the identify window shows: the candidates of the last hit test, the
// chosen shape's information, its parts and a part's vertices. Plain code
// over the store; the window only displays the lists and forwards clicks.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/layer_store.h"

class QUndoCommand;

namespace zemba {

// What the view does for the identify and database windows.
struct AttributeHooks {
    // Highlights shape `shape` of `layer` (only part `part` when > 0).
    std::function<void(int layer, int shape, int part)> DisplayGraphicShape;
    // Marks vertex `point` of part `part`.
    std::function<void(int layer, int shape, int point, int part)> DisplayEditPoint;
    // A shape is now the selected one.
    std::function<void()> ShapeSelected;
    // Opens the help file at a context.
    std::function<void(int context)> ShowHelp;
    // Puts an attribute edit (Accept, Add Field) on the undo stack, which
    // takes it and makes the edit with its redo(). Empty: the edit is made
    // at once and cannot be undone.
    std::function<void(QUndoCommand* edit)> RecordEdit;
    // A label shown on the map changed with an edit.
    std::function<void()> Redraw;
};

// "Obj : 2.17 Type: Areas" for each HitList entry still in the store.
std::string CandidateLine(const LayerStore& store, int layer, int shape);
// The information list of a shape: layer, number, parts, then one line a
// field ("NAME : value"; empty past the table's last record).
std::vector<std::string> InformationList(const LayerStore& store, int layer, int shape);
// "Part p Points : n" for each part of a line or polygon shape.
std::vector<std::string> PartsList(const LayerStore& store, int layer, int shape);
// "X: x ,Y: y" for each vertex of part `part` (the point of a point shape).
std::vector<std::string> PointsList(const LayerStore& store, int layer, int shape, int part);

// The shortest general form of a number, up to 15 significant digits.
std::string GeneralFloat(double v);

class IdentifyLogic {
public:
    IdentifyLogic(LayerStore& store, AttributeHooks& hooks) : store_(store), hooks_(hooks) {}

    std::vector<std::string> Candidates, Info, Parts, Points;
    int Layer = 0, Shape = 0, Part = 0;
    int CandidateRow = -1, PartRow = -1;

    // Fills the lists from HitList and selects the first candidate.
    void IDInit();
    void CandidateClick(int row);
    void PartClick(int row);
    void PointClick(int row);
    // Clears every list and forgets the shape (the layer table changed, or
    // the window closed).
    void Clear();

private:
    bool Valid(int layer, int shape) const;
    std::vector<std::pair<int, int>> rows_;  // (layer, shape) of each candidate row
    LayerStore& store_;
    AttributeHooks& hooks_;
};

}  // namespace zemba
