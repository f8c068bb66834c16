// zemba-convert shpview | soiltables | soillookup: the shapefile viewer, the
// soil survey table builder and the soil database look-up of the windows.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/shape_viewer.h"
#include "convert/soil_tables.h"
#include "core/file_io.h"
#include "soils/soil_db.h"
#include "tools/convert_command.h"

namespace zemba {
namespace {

const char* MessageText(int number) {
    switch (number) {
        case 13: return "I do not do MultiPatch...";
        case 30002: return "File has BOTH CR AND LF... I quit";
        case 30003: return "Select an input .dlg file and a shape file deposit location";
        case 30004: return "File has NO Cr or LF... I quit";
        default: return nullptr;
    }
}

// Boxes become lines on standard error; the one question (replace an
// existing county set) gets the answer the flags chose.
class LinePrompter : public SilentPrompter {
public:
    Answer replace = Answer::Yes;
    Answer Message(MsgFamily, int number, const std::string&) override {
        const char* t = MessageText(number);
        ConvertError(t ? t : "message " + std::to_string(number));
        return Answer::Ok;
    }
    Answer AskYesNoText(const std::string& text) override {
        std::string t = text;
        for (std::size_t k; (k = t.find("\r\n")) != std::string::npos;) t.replace(k, 2, " ");
        ConvertError(t + (replace == Answer::Yes ? " yes" : " no (--keep)"));
        return replace;
    }
    void ShowErrorText(const std::string& text) override { ConvertError(text); }
};

class HintProgress : public NullProgress {
public:
    void SetMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

int ShpView(const std::vector<std::string>& args) {
    bool dump = false;
    std::string path;
    for (const std::string& a : args) {
        if (a == "--dump")
            dump = true;
        else if (path.empty() && a.rfind("--", 0) != 0)
            path = a;
        else {
            ConvertError("shpview: unexpected argument \"" + a + "\"");
            return 2;
        }
    }
    if (path.empty()) {
        ConvertError("usage: shpview [--dump] FILE.shp|FILE.shx");
        return 2;
    }
    ShapeViewOptions o;
    if (dump) o.DumpPath = ShapeViewDumpName(DirectoryPart(path), FileNamePart(path));
    ShapeViewReport r;
    LinePrompter p;
    NullProgress none;
    Result res = ViewShapeFile(path, o, r, p, none);
    if (!res && r.Memo.empty()) {
        ConvertError(res.reason);
        return 1;
    }
    for (const std::string& line : r.Memo) std::printf("%s\n", line.c_str());
    std::printf("File size words: %d\n", r.FileLengthWords);
    std::printf("Words read: %lld\n", static_cast<long long>(r.WordsDone));
    std::printf("Points: %lld\n", static_cast<long long>(r.Points));
    std::printf("Islands: %lld\n", static_cast<long long>(r.Parts));
    std::printf("Areas or Lines: %lld\n", static_cast<long long>(r.Records));
    const int item = ShapeFileTypeItem(r.ShapeType);
    std::printf("File type: %s\n", item >= 0 ? kShapeViewerTypeItems[item] : "(none)");
    for (const std::string& n : r.Notes) std::printf("%s\n", n.c_str());
    if (dump && res) std::printf("Dump: %s\n", o.DumpPath.c_str());
    if (!res) ConvertError(res.reason);
    return res && !r.Truncated ? 0 : 1;
}

int SoilTables(const std::vector<std::string>& args) {
    std::vector<std::string> pos;
    LinePrompter p;
    for (const std::string& a : args) {
        if (a == "--keep")
            p.replace = Answer::No;
        else if (a.rfind("--", 0) == 0) {
            ConvertError("soiltables: unknown option \"" + a + "\"");
            return 2;
        } else
            pos.push_back(a);
    }
    if (pos.size() != 2) {
        ConvertError("usage: soiltables [--keep] DATA_DIR SHAPEFILE");
        return 2;
    }
    SoilBuildRequest req;
    req.DataDir = pos[0];
    req.ShapeFile = pos[1];
    HintProgress progress;
    SoilBuildSummary sum;
    Result r = BuildSoilTables(req, p, progress, sum);
    std::printf("Mode: %s\n", sum.Mode == SoilMode::State ? "state (STATSGO)" : "county (SSURGO)");
    for (const std::string& line : sum.Lines()) std::printf("%s\n", line.c_str());
    return r ? 0 : 1;
}

void PrintRow(const char* label, db::Table& t) {
    std::printf("%s:", label);
    for (const db::FieldDef& f : t.Fields()) std::printf(" %s=%s", f.Name.c_str(), t.FieldText(f.Name).c_str());
    std::printf("\n");
}

void PrintRows(const char* label, db::Table* t) {
    if (!t) return;
    for (t->First(); !t->Eof(); t->Next()) PrintRow(label, *t);
    t->First();
}

int SoilLookup(const std::vector<std::string>& args) {
    std::string shp, key;
    int mode = 0, comp = 0;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        if (a == "--statsgo") {
            mode = 1;
        } else if (a == "--ssurgo") {
            mode = 2;
        } else if (a == "--comp" && k + 1 < args.size()) {
            comp = std::atoi(args[++k].c_str());
            if (comp < 1 || comp > 21) {
                ConvertError("soillookup: --comp takes 1 to 21");
                return 2;
            }
        } else if (a.rfind("--", 0) != 0 && shp.empty()) {
            shp = a;
        } else if (a.rfind("--", 0) != 0 && key.empty()) {
            key = a;
        } else {
            ConvertError("soillookup: unexpected argument \"" + a + "\"");
            return 2;
        }
    }
    if (shp.empty() || key.empty() || mode == 0) {
        ConvertError("usage: soillookup SHAPEFILE --statsgo|--ssurgo KEY [--comp N]");
        return 2;
    }
    ShpLayer layer;
    layer.ShpPath = DirectoryPart(shp);
    layer.ShpName = FileNamePart(shp);
    SoilDatabase db;
    std::vector<std::string> missing;
    Result r = db.Open(SoilTablePrefix(layer, mode == 2), mode == 2, missing);
    if (!r) {
        ConvertError("Databases not found... Closing");
        for (const std::string& m : missing) ConvertError("missing " + m);
        if (missing.empty()) ConvertError(r.reason);
        return 1;
    }
    std::string used = db.MapUnitKey(key);
    const bool found = comp ? db.ChooseComponent(key, comp) : db.LocateUnit(key, &used);
    if (!found) {
        ConvertError("map unit " + used + " not found");
        return 1;
    }
    PrintRow("mapunit", *db.Get("MapUnitTable"));
    db::Table* c = db.Get("CompTable");
    if (!c || c->RecordCount() == 0) {
        std::printf("comp: (none)\n");
        return 0;
    }
    PrintRow("comp", *c);
    PrintRows("layer", db.Get("layerT"));
    PrintRows("plantcom", db.Get("plantcomT"));
    PrintRows("forest", db.Get("forestT"));
    PrintRows("woodland", db.Get("woodlandT"));
    db::Table* wind = db.Get("windbrkT");
    if (wind)
        for (wind->First(); !wind->Eof(); wind->Next()) {
            PrintRow("windbrk", *wind);
            PrintRows("plantnm", db.Get("plantnmT"));
        }
    return 0;
}

}  // namespace

ZEMBA_CONVERT_COMMAND("shpview", "shpview [--dump] FILE.shp|FILE.shx", ShpView);
ZEMBA_CONVERT_COMMAND("soiltables", "soiltables [--keep] DATA_DIR SHAPEFILE", SoilTables);
ZEMBA_CONVERT_COMMAND("soillookup", "soillookup SHAPEFILE --statsgo|--ssurgo KEY [--comp N]", SoilLookup);

}  // namespace zemba
