#include "attributes/database.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "attributes/attribute_edits.h"
#include "core/attributes.h"
#include "core/dbf_table.h"
#include "core/file_io.h"

namespace zemba {

const char* const kDataTypeItems[6] = {"String", "Integer", "Float", "Boolean", "DateTime", "Currency"};

namespace {

bool IsNumericType(std::uint8_t t) {
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftLargeint || t == ftFloat || t == ftCurrency;
}

bool IsIntegerType(std::uint8_t t) { return t == ftSmallint || t == ftInteger || t == ftWord || t == ftLargeint; }

// An integer field takes whole numbers only: a fraction would be rounded
// away when the table is written.
bool IsNumberText(const std::string& text, bool whole) {
    std::string t = text;
    t.erase(0, t.find_first_not_of(' '));
    while (!t.empty() && t.back() == ' ') t.pop_back();
    if (t.empty() || t == "x") return true;  // an empty (null) value is not a number to check
    if (t.find('.') == std::string::npos) std::replace(t.begin(), t.end(), ',', '.');
    std::istringstream in(t);
    in.imbue(std::locale::classic());
    double d;
    in >> d;
    return in && in.peek() == std::char_traits<char>::eof() && (!whole || std::floor(d) == d);
}

std::string Upper(std::string s) { return UpperCase(std::move(s)); }

}  // namespace

long long PrintEstimate(const ShpLayer& L) {
    return (static_cast<long long>(L.NumFields) + 3) * L.NumRecords / 50;
}

int ShapesPerPage(const ShpLayer& L) {
    // Forty-three fields and more would make this zero: still one a page.
    return std::max(1, 45 / (std::max(L.NumFields, 0) + 3));
}

std::string ShapeValue(const ShpLayer& L, int shape, int field) {
    if (shape < 1 || static_cast<std::size_t>(shape) >= L.Shapes.size() || field < 0) return {};
    const auto& v = L.Shapes[shape].Values;
    return static_cast<std::size_t>(field) < v.size() ? v[field] : std::string();
}

PrintJob PrintOne(const ShpLayer& L, int record) {
    PrintJob job;
    job.Title = L.DbfName;
    std::vector<std::string> page(4);
    page.push_back("        " + L.DbfName);
    page.emplace_back();
    page.emplace_back();
    for (int i = 0; i < L.NumFields && static_cast<std::size_t>(i) < L.Fields.size(); ++i)
        page.push_back("        Shape# " + std::to_string(record) + "  " + "Attribute " + L.Fields[i].Name + " : " +
                       ShapeValue(L, record, i));
    page.emplace_back();
    job.Pages.push_back(std::move(page));
    return job;
}

PrintJob PrintAll(const ShpLayer& L) {
    PrintJob job;
    job.Title = L.DbfName;
    const int perPage = ShapesPerPage(L);
    std::vector<std::string> page;
    int onPage = 0, pageNo = 0;
    for (int k = 1; k <= L.NumRecords; ++k) {
        page.emplace_back();
        page.emplace_back();
        for (int i = 0; i < L.NumFields; ++i) page.push_back(ShapeValue(L, k, i));
        if (++onPage == perPage) {
            page.emplace_back();
            page.push_back("                  Page # " + std::to_string(++pageNo) + " of " + L.DbfName);
            page.emplace_back();
            // The footer ends its page.
            job.Pages.push_back(std::move(page));
            page.clear();
            onPage = 0;
        }
    }
    page.emplace_back();
    if (onPage > 0 || job.Pages.empty()) job.Pages.push_back(std::move(page));
    else job.Pages.back().insert(job.Pages.back().end(), page.begin(), page.end());
    return job;
}

std::string UniqueFieldName(const ShpLayer& L, const std::string& wanted) {
    constexpr std::size_t kLimit = 10;
    std::string base = wanted.empty() ? "Newbie" : wanted;
    auto taken = [&](const std::string& n) {
        for (const FieldDefRec& f : L.Fields)
            if (Upper(f.Name) == Upper(n)) return true;
        return false;
    };
    std::string name = base.substr(0, kLimit);
    for (int n = 1; taken(name); ++n) {
        const std::string suffix = std::to_string(n);
        name = base.substr(0, kLimit - suffix.size()) + suffix;
    }
    return name;
}

bool NewField(const ShpLayer& L, const std::string& name, const std::string& typeItem, const std::string& sizeText,
              Prompter& prompter, FieldDefRec& f, std::string& first) {
    int size = 0;
    if (typeItem == "String") {
        std::string t = sizeText;
        t.erase(0, t.find_first_not_of(' '));
        while (!t.empty() && t.back() == ' ') t.pop_back();
        if (!t.empty()) {
            char* end = nullptr;
            long v = std::strtol(t.c_str(), &end, 10);
            if (!end || *end != '\0' || v < INT32_MIN || v > INT32_MAX) {
                prompter.ShowErrorText("'" + sizeText + "' is not a valid integer value");
                return false;
            }
            size = static_cast<int>(v);
        }
    }
    f = FieldDefRec{};
    f.FieldNo = L.NumFields + 1;
    f.Name = UniqueFieldName(L, name);
    first.clear();
    if (typeItem == "String") {
        f.DataType = ftString, first = "0";
    } else if (typeItem == "Integer") {
        f.DataType = ftInteger, first = "0";
    } else if (typeItem == "Float") {
        f.DataType = ftFloat, first = "0";
    } else if (typeItem == "Boolean") {
        f.DataType = ftBoolean, first = "False";
    } else if (typeItem == "DateTime") {
        f.DataType = ftDateTime, first = TodayText();  // the table holds it as a date
    } else if (typeItem == "Currency") {
        f.DataType = ftCurrency, first = "0.0";
    } else {
        f.DataType = ftString, first = "0";
    }
    // Size and decimals are those of the column the table gets.
    f.Size = f.DataType == ftString ? (size <= 0 ? 25 : std::min(size, 254)) : 0;
    const NativeField nf = NativeFieldFor(f);
    f.Size = nf.width;
    f.Precision = nf.decimals;
    f.Required = 0;
    return true;
}

void AppendField(ShpLayer& L, const FieldDefRec& f, const std::string& first) {
    L.Fields.push_back(f);
    L.NumFields = static_cast<std::int32_t>(L.Fields.size());
    const std::size_t b = static_cast<std::size_t>(L.NumFields);
    for (std::int32_t i = 1; i <= L.NumRecords && static_cast<std::size_t>(i) < L.Shapes.size(); ++i) {
        auto& v = L.Shapes[i].Values;
        v.resize(b);
        v[b - 1] = first;
    }
}

bool AddField(ShpLayer& L, const std::string& name, const std::string& typeItem, const std::string& sizeText,
              Prompter& prompter) {
    FieldDefRec f;
    std::string first;
    if (!NewField(L, name, typeItem, sizeText, prompter, f, first)) return false;
    AppendField(L, f, first);
    L.Modified = 1;
    return true;
}

const ShpLayer* DatabaseLogic::CurrentLayer() const {
    if (Layer < 1 || Layer > store_.LayerCount || static_cast<std::size_t>(Layer) >= store_.ShapeLayers.size())
        return nullptr;
    return &store_.ShapeLayers[Layer];
}

bool DatabaseLogic::InitDBForm(int layer, int mode, int shape) {
    NewRecord = mode == kNewRecordMode;
    AcceptEnabled = NewRecord;
    ButtonsEnabled = !NewRecord;
    Record = shape;
    const bool rebuild = layer != Layer;
    if (rebuild) {
        Panel = kFieldsPanel;
        Layer = layer;
    }
    Clamp();
    return rebuild;
}

std::vector<std::string> DatabaseLogic::FieldNames() const {
    std::vector<std::string> out;
    if (const ShpLayer* L = CurrentLayer())
        for (int i = 0; i < L->NumFields && static_cast<std::size_t>(i) < L->Fields.size(); ++i)
            out.push_back(L->Fields[i].Name);
    return out;
}

std::vector<std::string> DatabaseLogic::RecordValues() const {
    std::vector<std::string> out;
    const ShpLayer* L = CurrentLayer();
    if (!L) return out;
    for (int i = 0; i < L->NumFields; ++i) out.push_back(ShapeValue(*L, Record, i));
    return out;
}

std::string DatabaseLogic::StripText() const {
    const ShpLayer* L = CurrentLayer();
    std::string s = std::to_string(Record);
    if (L && L->IsNullShape(Record)) s += " Deleted";
    return s;
}

void DatabaseLogic::Clamp() {
    const ShpLayer* L = CurrentLayer();
    const int n = L ? L->NumRecords : 0;
    Record = std::min(std::max(Record, n > 0 ? 1 : 0), n);
}

void DatabaseLogic::First() {
    Record = 1;
    Clamp();
}
void DatabaseLogic::Previous() {
    if (Record > 1) --Record;
}
void DatabaseLogic::Next() {
    const ShpLayer* L = CurrentLayer();
    if (L && Record + 1 <= L->NumRecords) ++Record;
}
void DatabaseLogic::Last() {
    const ShpLayer* L = CurrentLayer();
    Record = L ? L->NumRecords : 0;
}
void DatabaseLogic::FindShape() {
    if (CurrentLayer() && Record >= 1 && hooks_.DisplayGraphicShape) hooks_.DisplayGraphicShape(Layer, Record, 0);
}

bool DatabaseLogic::Accept(const std::vector<std::string>& edits) {
    if (Layer < 1 || Layer > store_.LayerCount) return false;
    ShpLayer& L = store_.ShapeLayers[Layer];
    if (Record >= 1 && Record <= L.NumRecords && static_cast<std::size_t>(Record) < L.Shapes.size()) {
        const auto& values = L.Shapes[Record].Values;
        std::vector<SetValuesCommand::Change> changes;
        const int n = std::min<int>(L.NumFields, static_cast<int>(edits.size()));
        for (int k = 0; k < n; ++k) {
            const std::string old = k < static_cast<int>(values.size()) ? values[k] : std::string();
            if (edits[k] == old) continue;
            const std::uint8_t type = L.Fields[k].DataType;
            if (IsNumericType(type) && !IsNumberText(edits[k], IsIntegerType(type))) {
                prompter_.Message(MsgFamily::Info, 4);  // "Not a Number": this value is skipped
                continue;
            }
            changes.push_back({k, old, edits[k]});
        }
        if (!changes.empty()) Run(new SetValuesCommand(store_, Layer, Record, std::move(changes)), Record);
    }
    if (NewRecord) {
        NewRecord = false;
        return true;
    }
    return false;
}

void DatabaseLogic::Run(LayerEditCommand* edit, int shape) {
    const std::int32_t layer = edit->Layer();
    const auto label = [&]() -> std::string {
        if (layer < 1 || static_cast<std::size_t>(layer) >= store_.SymLayers.size()) return {};
        const auto& objs = store_.SymLayers[layer].SymObjs;
        return shape >= 1 && static_cast<std::size_t>(shape) < objs.size() ? objs[shape].LabelText : std::string();
    };
    const std::string before = label();
    if (hooks_.RecordEdit) {
        hooks_.RecordEdit(edit);  // the stack takes it and makes the edit
    } else {
        edit->redo();
        delete edit;
    }
    if (hooks_.Redraw && label() != before) hooks_.Redraw();
}

bool DatabaseLogic::OpenPanel(bool ctrl, bool alt, bool shift) {
    if (NewRecord) return false;
    const int held = int(ctrl) + int(alt) + int(shift);
    if (held != 1) return false;
    Panel = ctrl ? kNewFieldPanel : alt ? kConverterPanel : kLinkPanel;
    ButtonsEnabled = false;
    return true;
}

void DatabaseLogic::CancelPanel() {
    Panel = kFieldsPanel;
    ButtonsEnabled = true;
}

bool DatabaseLogic::AddNewField(const std::string& name, const std::string& typeItem, const std::string& sizeText) {
    if (Layer < 1 || Layer > store_.LayerCount) return false;
    FieldDefRec f;
    std::string first;
    if (!NewField(store_.ShapeLayers[Layer], name, typeItem, sizeText, prompter_, f, first)) return false;
    Run(new AddFieldCommand(store_, Layer, std::move(f), std::move(first)), 0);
    Forget();
    return true;
}

std::vector<std::string> DatabaseLogic::LinkFieldNames() const {
    std::vector<std::string> out;
    const int i = store_.CurrentLayer;
    if (i >= 1 && i <= store_.LayerCount)
        for (const FieldDefRec& f : store_.ShapeLayers[i].Fields) out.push_back(f.Name);
    return out;
}

bool DatabaseLogic::ChooseLinkFile(const std::string& path, std::string& vectorDbDir) {
    if (path.empty()) return false;
    if (!FileExists(path) || !FileExists(CompanionFile(path, ".dbf"))) {
        prompter_.Message(MsgFamily::Error, 20, FileExists(path) ? ChangeFileExt(path, ".dbf") : path);
        return false;
    }
    vectorDbDir = DirectoryPart(path);
    LinkFile = FileNamePart(path);
    LinkActive = true;
    return true;
}

void DatabaseLogic::LinkOk(int fieldIndex) {
    LinkField = std::max(fieldIndex, 0);
    LinkActive = true;
}

void DatabaseLogic::StartLinker() {
    LinkActive = false;
    LinkField = 0;
    LinkFile.clear();
    Panel = kLinkPanel;
    ButtonsEnabled = false;
}

PrintJob DatabaseLogic::Print() {
    const ShpLayer* L = CurrentLayer();
    if (!L) return {};
    const Answer a = prompter_.Message(MsgFamily::YesCancelAll, 2, std::to_string(PrintEstimate(*L)));
    if (a == Answer::Yes || a == Answer::Ok) return PrintOne(*L, Record);
    if (a == Answer::All) return PrintAll(*L);
    return {};
}

void DatabaseLogic::Forget() {
    Layer = 0;
    Record = 0;
    NewRecord = false;
    Panel = kFieldsPanel;
    ButtonsEnabled = true;
    AcceptEnabled = false;
}

}  // namespace zemba
