// Attribute edits as steps of the undo stack (view/undo.h): each holds only
// what its edit changed and makes the edit in redo().
#pragma once

#include <string>
#include <vector>

#include "view/undo.h"

namespace zemba {

// One Accept of the database window (or a script's "set"): the values of
// one record that changed, old and new. A label that showed the layer's
// label-field value of the record follows the new value.
class SetValuesCommand : public LayerEditCommand {
public:
    struct Change {
        int field = 0;
        std::string before, after;
    };
    SetValuesCommand(LayerStore& store, std::int32_t layer, std::int32_t shape, std::vector<Change> changes);
    void redo() override;
    void undo() override;

private:
    std::int32_t shape_;
    std::vector<Change> changes_;
    std::size_t sizeBefore_ = 0;  // the record's values before (short past the table's end)
    bool labelFollowed_ = false;
    std::string labelBefore_, labelAfter_;
};

// "Add a New Field": the field, appended with its first value in every
// record; undo takes it out of the table again.
class AddFieldCommand : public LayerEditCommand {
public:
    AddFieldCommand(LayerStore& store, std::int32_t layer, FieldDefRec field, std::string first);
    void redo() override;
    void undo() override;

private:
    FieldDefRec field_;
    std::string first_;
    std::size_t fieldsBefore_ = 0;
    // Records whose values were not one a field before (their old length).
    std::vector<std::pair<std::int32_t, std::size_t>> odd_;
    bool done_ = false;
};

}  // namespace zemba
