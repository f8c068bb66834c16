#include "attributes/attribute_edits.h"

#include "attributes/database.h"

namespace zemba {

namespace {

QString SetText(const ShpLayer& L, const std::vector<SetValuesCommand::Change>& changes) {
    QString names;
    for (std::size_t i = 0; i < changes.size() && i < 3; ++i) {
        const int f = changes[i].field;
        const std::string& n = f >= 0 && static_cast<std::size_t>(f) < L.Fields.size() ? L.Fields[f].Name : "";
        if (i > 0) names += ", ";
        names += QString::fromLatin1(n.data(), static_cast<int>(n.size()));
    }
    if (changes.size() > 3) return QString("Set %1 fields").arg(changes.size());
    return "Set " + names;
}

}  // namespace

SetValuesCommand::SetValuesCommand(LayerStore& store, std::int32_t layer, std::int32_t shape,
                                   std::vector<Change> changes)
    : LayerEditCommand(store, layer, SetText(store.ShapeLayers[layer], changes)),
      shape_(shape),
      changes_(std::move(changes)) {}

void SetValuesCommand::redo() {
    if (!LayerValid()) return;
    ShpLayer& Lr = L();
    if (shape_ < 1 || static_cast<std::size_t>(shape_) >= Lr.Shapes.size()) return;
    BeforeEdit();
    auto& values = Lr.Shapes[shape_].Values;
    sizeBefore_ = values.size();
    // A shape past the table's last record gets its values here.
    if (values.size() < static_cast<std::size_t>(Lr.NumFields)) values.resize(Lr.NumFields);
    SymLayer& S = Sym();
    SymObj* o = static_cast<std::size_t>(shape_) < S.SymObjs.size() ? &S.SymObjs[shape_] : nullptr;
    labelFollowed_ = false;
    for (const Change& c : changes_) {
        if (c.field < 0) continue;
        if (static_cast<std::size_t>(c.field) >= values.size()) values.resize(c.field + 1);
        values[c.field] = c.after;
        if (o && S.Labeled >= 1 && c.field == S.LabelField && o->LabelText == c.before) {
            labelFollowed_ = true;
            labelBefore_ = o->LabelText;
            labelAfter_ = c.after;
            o->LabelText = c.after;
        }
    }
    AfterEdit();
}

void SetValuesCommand::undo() {
    if (!LayerValid()) return;
    ShpLayer& Lr = L();
    if (shape_ < 1 || static_cast<std::size_t>(shape_) >= Lr.Shapes.size()) return;
    auto& values = Lr.Shapes[shape_].Values;
    for (auto c = changes_.rbegin(); c != changes_.rend(); ++c)
        if (c->field >= 0 && static_cast<std::size_t>(c->field) < values.size()) values[c->field] = c->before;
    if (values.size() > sizeBefore_) values.resize(sizeBefore_);
    auto& objs = Sym().SymObjs;
    if (labelFollowed_ && static_cast<std::size_t>(shape_) < objs.size() && objs[shape_].LabelText == labelAfter_)
        objs[shape_].LabelText = labelBefore_;
    AfterUndo();
}

AddFieldCommand::AddFieldCommand(LayerStore& store, std::int32_t layer, FieldDefRec field, std::string first)
    : LayerEditCommand(store, layer,
                       QString("Add Field ") + QString::fromLatin1(field.Name.data(), static_cast<int>(field.Name.size()))),
      field_(std::move(field)),
      first_(std::move(first)) {}

void AddFieldCommand::redo() {
    if (!LayerValid()) return;
    ShpLayer& Lr = L();
    BeforeEdit();
    fieldsBefore_ = Lr.Fields.size();
    odd_.clear();
    for (std::int32_t i = 1; i <= Lr.NumRecords && static_cast<std::size_t>(i) < Lr.Shapes.size(); ++i)
        if (Lr.Shapes[i].Values.size() != fieldsBefore_) odd_.emplace_back(i, Lr.Shapes[i].Values.size());
    field_.FieldNo = static_cast<std::int32_t>(fieldsBefore_) + 1;
    AppendField(Lr, field_, first_);
    AfterEdit();
    done_ = true;
}

void AddFieldCommand::undo() {
    if (!done_ || !LayerValid()) return;
    ShpLayer& Lr = L();
    // Only this field, and only while it is still the table's last.
    if (Lr.Fields.size() != fieldsBefore_ + 1 || Lr.Fields.back().Name != field_.Name) return;
    Lr.Fields.pop_back();
    Lr.NumFields = static_cast<std::int32_t>(Lr.Fields.size());
    for (std::int32_t i = 1; i <= Lr.NumRecords && static_cast<std::size_t>(i) < Lr.Shapes.size(); ++i) {
        auto& v = Lr.Shapes[i].Values;
        if (v.size() > fieldsBefore_) v.resize(fieldsBefore_);
    }
    for (const auto& [i, size] : odd_)
        if (static_cast<std::size_t>(i) < Lr.Shapes.size()) Lr.Shapes[i].Values.resize(size);
    done_ = false;
    AfterUndo();
}

}  // namespace zemba
