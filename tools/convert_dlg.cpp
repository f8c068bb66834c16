// zemba-convert dlginfo | dlg2shp | dlg2dxf: the DLG conversions of the
// conversion window, for folders of quads.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "convert/dlg_reader.h"
#include "convert/dlg_to_dxf.h"
#include "convert/dlg_to_shp.h"
#include "core/file_io.h"
#include "tools/convert_command.h"

namespace zemba {
namespace {

const std::map<int, const char*> kDlgMessages = {
    {3, "File rename error"},
    {4, "No attribute file exists"},
    {5, "No attribute to Db files found "},
    {8, "Table not made"},
    {9, "X Error"},
    {10, "Y Error"},
    {13, "I do not do MultiPatch..."},
    {14, "Area Lines got Lost"},
    {15, "SoManyPoints overflow"},
    {18, "I do not do Special Features..."},
    {21, "Points are NOT Soiled"},
};

// Every box becomes a line on standard error; questions get the answer the
// flags chose.
class StderrPrompter : public Prompter {
public:
    Answer numbering = Answer::Abort;
    Answer Message(MsgFamily family, int number, const std::string& value) override {
        if (family == MsgFamily::ErrorNumber) {
            ConvertError("error in file data number at column " + std::to_string(number) + ": \"" + value + "\"");
        } else {
            auto it = kDlgMessages.find(number);
            ConvertError(it != kDlgMessages.end() ? it->second : "message " + std::to_string(number));
        }
        return Answer::Ok;
    }
    Answer AskYesNoText(const std::string& text) override {
        ConvertError(text);
        return Answer::No;
    }
    void ShowErrorText(const std::string& text) override { ConvertError(text); }
    void ShowWarningText(const std::string& text) override { ConvertError("warning: " + text); }
    Answer AbortRetryIgnore(const std::string& text) override {
        ConvertError(text + (numbering == Answer::Ignore ? " (ignored)" : " (abort)"));
        return numbering;
    }
    std::string ChooseOpenFile(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::string ChooseSaveFile(const std::string&, const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }
};

std::string JsonText(const std::string& s) {
    std::string o = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            o += '\\';
            o += static_cast<char>(c);
        } else if (c < 0x20) {
            char b[8];
            std::snprintf(b, sizeof b, "\\u%04x", c);
            o += b;
        } else if (c >= 0x80) {
            // Latin-1 to UTF-8.
            o += static_cast<char>(0xC0 | (c >> 6));
            o += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            o += static_cast<char>(c);
        }
    }
    return o + "\"";
}

const char* ModeName(DlgRecordMode m) {
    switch (m) {
        case dlgTextLines: return "text lines (CR)";
        case dlgLfRecords: return "LF records";
        case dlgFixed80: return "fixed 80-byte records";
    }
    return "";
}

int DlgInfo(const std::vector<std::string>& args) {
    bool json = false;
    std::string in;
    for (const auto& a : args) {
        if (a == "--json") json = true;
        else if (!a.empty() && a[0] == '-') return ConvertError("dlginfo: unknown option " + a), 2;
        else if (in.empty()) in = a;
        else return ConvertError("dlginfo: one DLG file"), 2;
    }
    if (in.empty()) return ConvertError("usage: zemba-convert dlginfo [--json] IN.dlg"), 2;
    DlgRecordReader r;
    Result res = r.DetectDlgRecordMode(in);
    StderrPrompter p;
    DlgHeader h;
    if (res) res = ReadDlgHeader(r, h, &p);
    if (!res) return ConvertError(in + ": " + res.reason), 1;
    DlgBody body;
    DlgBodyOptions o;
    o.keepNodes = o.keepAreas = o.keepLines = false;
    NullProgress none;
    ReadDlgBody(r, h, o, body, p, none);
    if (json) {
        std::printf("{\"file\": %s, \"record_mode\": %s, \"banner\": %s, \"name\": %s, \"date\": %lld, \"scale\": %lld,\n",
                    JsonText(in).c_str(), JsonText(ModeName(r.mode())).c_str(), JsonText(TrimRight(h.Banner)).c_str(),
                    JsonText(h.Name).c_str(), static_cast<long long>(h.Date), static_cast<long long>(h.Scale));
        std::printf(" \"reference_system\": %lld, \"zone\": %lld, \"units\": %lld, \"horizontal_datum\": %lld,\n",
                    static_cast<long long>(h.RefSystem), static_cast<long long>(h.Zone),
                    static_cast<long long>(h.Units), static_cast<long long>(h.HorizontalDatum));
        std::printf(" \"control_points\": [");
        for (int k = 0; k < 4; ++k)
            std::printf("%s[%s, %s]", k ? ", " : "", h.CpOk[k] ? RoundTripNumber(h.CpX[k]).c_str() : "null",
                        h.CpOk[k] ? RoundTripNumber(h.CpY[k]).c_str() : "null");
        std::printf("],\n \"nodes\": %lld, \"areas\": %lld, \"lines\": %lld,\n", static_cast<long long>(h.DlgNodeCount),
                    static_cast<long long>(h.DlgAreaCount), static_cast<long long>(h.DlgLineCount));
        std::printf(" \"node_records\": %lld, \"area_records\": %lld, \"line_records\": %lld}\n",
                    static_cast<long long>(body.NodesSeen), static_cast<long long>(body.AreasSeen),
                    static_cast<long long>(body.LinesSeen));
    } else {
        std::printf("File: %s\nRecord mode: %s\nDLG Name: %s\nDate: %lld\nScale  1:%lld\n", in.c_str(), ModeName(r.mode()),
                    h.Name.c_str(), static_cast<long long>(h.Date), static_cast<long long>(h.Scale));
        std::printf("Reference system: %lld zone %lld units %lld datum %lld\n", static_cast<long long>(h.RefSystem),
                    static_cast<long long>(h.Zone), static_cast<long long>(h.Units),
                    static_cast<long long>(h.HorizontalDatum));
        const char* names[4] = {"SW", "NW", "NE", "SE"};
        for (int k = 0; k < 4; ++k)
            std::printf("%s: %s %s\n", names[k], h.CpXText[k].c_str(), h.CpYText[k].c_str());
        std::printf("Points %lld Areas %lld Lines %lld\n", static_cast<long long>(h.DlgNodeCount),
                    static_cast<long long>(h.DlgAreaCount), static_cast<long long>(h.DlgLineCount));
        std::printf("Records: %lld N, %lld A, %lld L\n", static_cast<long long>(body.NodesSeen),
                    static_cast<long long>(body.AreasSeen), static_cast<long long>(body.LinesSeen));
    }
    return 0;
}

int Dlg2Shp(const std::vector<std::string>& args) {
    DlgShapeOptions o;
    StderrPrompter p;
    std::vector<std::string> files;
    bool kind = false;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        auto value = [&]() -> std::string { return k + 1 < args.size() ? args[++k] : std::string(); };
        if (a == "--points") o.Layer = ExportLayer::Points, kind = true;
        else if (a == "--lines") o.Layer = ExportLayer::Lines, kind = true;
        else if (a == "--areas") o.Layer = ExportLayer::Areas, kind = true;
        else if (a == "--keep-first-area") o.SkipFirstArea = false;
        else if (a == "--skip-ssurgo-blank-half") o.SkipSsurgoBlankHalf = true;
        else if (a == "--number-items") o.NumberItems = true;
        else if (a == "--map-attributes") o.MapAttributes = true;
        else if (a == "--no-prj") o.WritePrj = false;
        else if (a == "--attributes") {
            std::string m = value();
            if (m == "major-minor") o.Mode = amMajorMinor;
            else if (m == "single") o.Mode = amSingleCode;
            else if (m == "minor") o.Mode = amMinorCodes;
            else if (m == "soil") o.Mode = amSoil;
            else return ConvertError("dlg2shp: --attributes major-minor|single|minor|soil"), 2;
        } else if (a == "--numbering") {
            std::string m = value();
            if (m == "abort") p.numbering = Answer::Abort;
            else if (m == "ignore") p.numbering = Answer::Ignore;
            else return ConvertError("dlg2shp: --numbering abort|ignore"), 2;
        } else if (!a.empty() && a[0] == '-') {
            return ConvertError("dlg2shp: unknown option " + a), 2;
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2 || !kind) {
        ConvertError("usage: zemba-convert dlg2shp --points|--lines|--areas [options] IN.dlg OUT.shp");
        return 2;
    }
    NullProgress none;
    DlgShapeReport rep;
    Result r = ExportDlgToShape(files[0], files[1], o, p, none, rep);
    if (!r) return ConvertError(files[0] + ": " + r.reason), 1;
    for (const auto& m : rep.Memo)
        if (m.rfind("No .prj", 0) == 0) ConvertError("warning: " + m);
    std::fprintf(stderr, "%s: %lld records (%lld null), %lld parts, %lld vertices\n", files[1].c_str(),
                 static_cast<long long>(rep.Written), static_cast<long long>(rep.NullShapes),
                 static_cast<long long>(rep.Parts), static_cast<long long>(rep.Points));
    return 0;
}

int Dlg2Dxf(const std::vector<std::string>& args) {
    std::string layer = "LAYERNAME";
    int width = 0;
    std::vector<std::string> files;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        if (a == "--layer" && k + 1 < args.size()) {
            layer = args[++k];
        } else if (a == "--width" && k + 1 < args.size()) {
            const std::string& w = args[++k];
            if (w.size() != 1 || w[0] < '0' || w[0] > '3') return ConvertError("dlg2dxf: --width 0-3"), 2;
            width = w[0] - '0';
        } else if (!a.empty() && a[0] == '-') {
            return ConvertError("dlg2dxf: unknown option " + a), 2;
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) return ConvertError("usage: zemba-convert dlg2dxf [--layer NAME] [--width 0-3] IN.dlg OUT.dxf"), 2;
    StderrPrompter p;
    NullProgress none;
    DlgDxfReport rep;
    Result r = ExportDlgToDxf(files[0], files[1], layer, width, p, none, rep);
    if (!r) return ConvertError(files[0] + ": " + r.reason), 1;
    std::fprintf(stderr, "%s: %lld polylines, %lld vertices, layer %s\n", files[1].c_str(),
                 static_cast<long long>(rep.LinesWritten), static_cast<long long>(rep.Vertices), rep.Layer.c_str());
    return 0;
}

ZEMBA_CONVERT_COMMAND("dlginfo", "dlginfo [--json] IN.dlg", DlgInfo);
ZEMBA_CONVERT_COMMAND("dlg2shp",
                       "dlg2shp --points|--lines|--areas [--keep-first-area] [--attributes major-minor|single|minor|soil]\n"
                       "          [--number-items] [--map-attributes] [--numbering abort|ignore] [--no-prj] IN.dlg OUT.shp",
                      Dlg2Shp);
ZEMBA_CONVERT_COMMAND("dlg2dxf", "dlg2dxf [--layer NAME] [--width 0-3] IN.dlg OUT.dxf", Dlg2Dxf);

}  // namespace
}  // namespace zemba
