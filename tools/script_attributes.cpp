// Script commands of the attribute table: setting a value of the selected
// shape, adding a field, saving a layer with its table.
#include <QString>

#include "attributes/attribute_edits.h"
#include "attributes/database.h"
#include "text/layer_codec.h"
#include "core/attributes.h"
#include "core/layer_save.h"
#include "tools/script.h"

namespace zemba {
namespace {

// The script's text is UTF-8; the store keeps the layer's own bytes.
std::string LayerBytes(const ShpLayer& L, const std::string& utf8) {
    return LayerCodec(L.CodePage).FromUnicode(QString::fromUtf8(utf8.c_str()));
}

int FieldByName(const ShpLayer& L, const std::string& name) {
    for (std::size_t f = 0; f < L.Fields.size(); ++f)
        if (UpperCase(L.Fields[f].Name) == UpperCase(name)) return static_cast<int>(f);
    return -1;
}

// Selecting by number, for batch edits that know their records.
ZEMBA_SCRIPT_COMMAND("shape", "shape N", 1, 1, [](ScriptSession& s, const ScriptArgs& a) {
    s.NeedLayer();
    const int n = ScriptInt(a[0]);
    if (n < 1 || n > s.store.ShapeLayers[s.store.CurrentLayer].NumRecords)
        throw ScriptError("layer " + std::to_string(s.store.CurrentLayer) + " has no shape " + a[0]);
    s.store.CurrentShape = n;
    s.store.CurrentPart = 0;
    s.store.CurrentPoint = 0;
});

ZEMBA_SCRIPT_COMMAND("set", "set FIELD TEXT", 2, 2, [](ScriptSession& s, const ScriptArgs& a) {
    s.NeedLayer();
    const int layer = s.store.CurrentLayer, shape = s.store.CurrentShape;
    ShpLayer& L = s.store.ShapeLayers[layer];
    if (shape < 1 || shape > L.NumRecords) throw ScriptError("no shape is selected");
    const int f = FieldByName(L, a[0]);
    if (f < 0) throw ScriptError("layer " + std::to_string(layer) + " has no field " + a[0]);
    // What Accept in the database window does with the edited box, on the
    // stack that "undo" steps back.
    AttributeHooks hooks;
    hooks.RecordEdit = [&s](QUndoCommand* edit) { s.Tools().UndoStack().push(edit); };
    DatabaseLogic db(s.store, s.prompter, hooks);
    db.InitDBForm(layer, kBrowseMode, shape);
    std::vector<std::string> edits = db.RecordValues();
    const std::string value = LayerBytes(L, a[1]);
    edits[f] = value;
    db.Accept(edits);
    if (ShapeValue(L, shape, f) != value) throw ScriptError(a[0] + ": \"" + a[1] + "\" is not a number");
    s.out << "Shape " << layer << "." << shape << " " << L.Fields[f].Name << " = " << a[1] << "\n";
});

ZEMBA_SCRIPT_COMMAND("addfield", "addfield NAME String|Integer|Float|Boolean|DateTime|Currency [SIZE]", 2, 3,
                     [](ScriptSession& s, const ScriptArgs& a) {
    s.NeedLayer();
    std::string type;
    for (const char* item : kDataTypeItems)
        if (UpperCase(item) == UpperCase(a[1])) type = item;
    if (type.empty()) throw ScriptError("unknown field type " + a[1]);
    const int layer = s.store.CurrentLayer;
    ShpLayer& L = s.store.ShapeLayers[layer];
    FieldDefRec field;
    std::string first;
    s.prompter.last.clear();
    if (!NewField(L, LayerBytes(L, a[0]), type, a.size() > 2 ? a[2] : std::string(), s.prompter, field, first))
        throw ScriptError(s.prompter.last.empty() ? "the field was not added" : s.prompter.last);
    s.Tools().UndoStack().push(new AddFieldCommand(s.store, layer, std::move(field), std::move(first)));
    const FieldDefRec& f = L.Fields.back();
    s.out << "Field " << L.NumFields - 1 << ": " << f.Name << " " << type << " " << f.Size;
    if (f.Precision > 0) s.out << "." << f.Precision;
    s.out << "\n";
});

ZEMBA_SCRIPT_COMMAND("save", "save [OUT.shp]", 0, 1, [](ScriptSession& s, const ScriptArgs& a) {
    s.NeedLayer();
    const int i = s.store.CurrentLayer;
    ShpLayer& L = s.store.ShapeLayers[i];
    const std::string own = L.ShpPath + L.ShpName;
    const std::string path = a.empty() ? own : a[0];
    RecomputeLayerExtents(s.store, i);
    Result r = SaveLayer(s.store, i, path, s.progress);
    if (!r) throw ScriptError(path + ": " + r.reason);
    // Saved to its own files, the layer holds nothing unsaved (as Save in
    // the window); a copy elsewhere leaves it as it was.
    if (path == own) L.Modified = 0;
    s.out << "Saved layer " << i << " to " << path << "\n";
});

}  // namespace
}  // namespace zemba
