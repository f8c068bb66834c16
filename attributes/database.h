// What the database window does: one shape's attribute values as a column
// of edit boxes, the record buttons, Accept, adding a field, the external
// database link and printing. Plain code over the store; the window shows
// the state and hands the edit boxes' texts in and out.
#pragma once

#include <string>
#include <vector>

#include "attributes/identify.h"
#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

class LayerEditCommand;

enum DbMode { kNewRecordMode = 1, kBrowseMode = 2 };
enum DbPanel { kFieldsPanel = 1, kNewFieldPanel = 2, kConverterPanel = 3, kLinkPanel = 4 };

// Items of the new-field panel's "DataType" box.
extern const char* const kDataTypeItems[6];

// Print output: pages of text lines.
struct PrintJob {
    std::string Title;
    std::vector<std::vector<std::string>> Pages;
};

// Page estimate of the print question: (NumFields + 3) * NumRecords / 50.
long long PrintEstimate(const ShpLayer& L);
// Shapes printed on one page by "All"; at least one however many fields.
int ShapesPerPage(const ShpLayer& L);
// One record ("Yes") or every record ("All") as printed lines.
PrintJob PrintOne(const ShpLayer& L, int record);
PrintJob PrintAll(const ShpLayer& L);

// The value of field f of shape k as the windows show it: empty past the
// table's last record.
std::string ShapeValue(const ShpLayer& L, int shape, int field);

// Adds a field as "Add a New Field" does; false (nothing changed) when the
// size is not an integer. The name is cut to the dBase limit of 10
// characters and made unique; every record gets the type's first value.
bool AddField(ShpLayer& L, const std::string& name, const std::string& typeItem,
              const std::string& sizeText, Prompter& prompter);
// The two halves of AddField: the field and its first value (false, with
// the message, when the size is not an integer), and appending them.
bool NewField(const ShpLayer& L, const std::string& name, const std::string& typeItem,
              const std::string& sizeText, Prompter& prompter, FieldDefRec& field, std::string& first);
void AppendField(ShpLayer& L, const FieldDefRec& field, const std::string& first);
// `wanted` (or "Newbie") cut to 10 characters and made unique among L's
// field names, ignoring case: "Newbie", "Newbie1", ...
std::string UniqueFieldName(const ShpLayer& L, const std::string& wanted);

class DatabaseLogic {
public:
    DatabaseLogic(LayerStore& store, Prompter& prompter, AttributeHooks& hooks)
        : store_(store), prompter_(prompter), hooks_(hooks) {}

    // The layer the controls were built for (0: none, rebuild next time).
    int Layer = 0;
    int Record = 0;
    bool NewRecord = false;
    bool AcceptEnabled = false;
    bool ButtonsEnabled = true;
    int Panel = kFieldsPanel;
    // The external database link consulted by Soils Info.
    bool LinkActive = false;
    int LinkField = 0;
    std::string LinkFile;

    // Opens the window for `layer` in `mode` on `shape`. True when the
    // field controls must be (re)built for another layer.
    bool InitDBForm(int layer, int mode, int shape);
    const ShpLayer* CurrentLayer() const;
    std::vector<std::string> FieldNames() const;
    // The values shown for the current record, one a field.
    std::vector<std::string> RecordValues() const;
    // The "Shape #" strip: the record number, and whether it is deleted.
    std::string StripText() const;

    void First();
    void Previous();
    void Next();
    void Last();
    void FindShape();
    // Ctrl + right click on the strip.
    void EnableAccept() { AcceptEnabled = true; }

    // Writes the edit boxes' texts into the current record, as one step on
    // the undo stack (AttributeHooks::RecordEdit). A value that changes
    // marks the layer modified; a text that is not a number in a numeric
    // field is reported and skipped; a label that showed the label field's
    // value shows the new one. True when the window closes (new-record
    // mode).
    bool Accept(const std::vector<std::string>& edits);

    // Right-button release on the fields panel with exactly one of Ctrl,
    // Alt, Shift held: shows that hidden panel. False when none opens.
    bool OpenPanel(bool ctrl, bool alt, bool shift);
    void CancelPanel();

    // "Add a New Field" OK: true when the field was added, as a step on the
    // undo stack (the window then forgets its layer and closes).
    bool AddNewField(const std::string& name, const std::string& typeItem, const std::string& sizeText);

    // The link panel: the current layer's field names, the chosen file
    // (message 20 without its .dbf; the directory becomes `vectorDbDir`)
    // and OK with the chosen field.
    std::vector<std::string> LinkFieldNames() const;
    bool ChooseLinkFile(const std::string& path, std::string& vectorDbDir);
    void LinkOk(int fieldIndex);
    // "External Db linker": clears the link and shows the panel.
    void StartLinker();

    // Print: the question and the lines to print; an empty job for Cancel.
    PrintJob Print();

    // The layer table changed: forget the layer and the record.
    void Forget();
    // Keeps the record within the layer's records.
    void Clamp();

private:
    // Makes an edit through the undo stack (or at once without one) and
    // redraws when the label of `shape` changed.
    void Run(LayerEditCommand* edit, int shape);
    LayerStore& store_;
    Prompter& prompter_;
    AttributeHooks& hooks_;
};

}  // namespace zemba
