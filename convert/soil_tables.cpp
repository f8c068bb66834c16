#include "convert/soil_tables.h"

#include <dirent.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <climits>
#include <map>
#include <sstream>

#include "core/file_io.h"

namespace zemba {

namespace {

struct TableText {
    const char* name;
    const char* progress;
    const char* key;
    // NAME:TYPE[@COL]: TYPE S7, S7/9 (state/county width), I or F; COL n
    // or state/county; without @ the column after the previous field's.
    // Prefix + county only, - state only; suffix * the STSSAID rule.
    const char* fields;
    bool countyOnly = false;
    bool stateOnly = false;
};

const TableText kTables[] = {
    {"comp", "Making comp Table (1 of 15)", "MUID;SEQNUMS",
     "MUID:S7/9@2 SEQNUMS:S2@5 SEQNUM:I@5 STSSAID:S5@1* MUSYM:S5@3 COMPNAME:S30@4 S5ID:S6@6 COMPPCT:I SLOPEL:I "
     "SLOPEH:I SURFTEX:S8 OTHERPH:S40 COMPKIND:S1 COMPACRE:I CLASCODE:S20 ANFLOOD:S5 ANFLODUR:S12 ANFLOBEG:S3 "
     "ANFLOEND:S3 GSFLOOD:S5 GSFLODUR:S12 GSFLOBEG:S3 GSFLOEND:S3 WTDEPL:F WTDEPH:F WTKIND:S5 WTBEG:S3 WTEND:S3 "
     "PNDDEPL:F PNDDEPH:F PNDDUR:S10 PNDBEG:S3 PNDEND:S3 ROCKDEPL:I ROCKDEPH:I ROCKHARD:S4 PANDEPL:I PANDEPH:I "
     "PANHARD:S5 SUBINITL:I SUBINITH:I SUBTOTL:I SUBTOTH:I HYDGRP:S3 FROSTACT:S8 DRAINAGE:S5 HYDRIC:S1 CORCON:S8 "
     "CORSTEEL:S8 CLNIRR:S1 CLIRR:S1 SCLNIRR:S2 SCLIRR:S2 -PRIMFML:S2@53"},
    {"compyld", "Making compyld Table  (2 of 15)", "MUID;SEQNUMS;CROPNAME",
     "MUID:S7/9@2 SEQNUMS:S2@3 CROPNAME:S30@4 SEQNUM:I@3 STSSAID:S5@1* NIRRYLD:F@5 IRRYLD:F"},
    {"forest", "Making forest Table (3 of 15)", "MUID;SEQNUMS;PLANTSYM",
     "MUID:S7/9@2 SEQNUMS:S2@3 PLANTSYM:S7@4 SEQNUM:I@3 STSSAID:S5@1* PLANTCOV:I@5"},
    {"interp", "Making interp Table (4 of 15)", "MUID;SEQNUMS;GRPCODE",
     "MUID:S7/9@2 SEQNUMS:S2@3 GRPCODE:S2@4 SEQNUM:I@3 STSSAID:S5@1* RATING:S2@0/5 RESTCT1:S2@5/6 RESTCT2:S2@6/7 "
     "RESTCT3:S2@7/8"},
    {"layer", "Making layer Table (5 of 15)", "MUID;SEQNUMS;LAYERNUMS",
     "MUID:S7/9@2 SEQNUMS:S2@3 LAYERNUMS:S2@5 SEQNUM:I@3 STSSAID:S5@1* S5ID:S6@4 LAYERNUM:I@5 LAYERID:I@6 "
     "LAYDEPL:I LAYDEPH:I TEXTURE:S8 KFACT:F KFFACT:F TFACT:S3 WEG:S2 INCH10L:I INCH10H:I INCH3L:I INCH3H:I NO4L:I "
     "NO4H:I NO10L:I NO10H:I NO40L:I NO40H:I NO200L:I NO200H:I CLAYL:I CLAYH:I LLL:I LLH:I PIL:I PIH:I UNIFIED:S5 "
     "AASHTO:S5 AASHIND:F AWCL:F AWCH:F BDL:F BDH:F OML:F OMH:F PHL:F PHH:F SALINL:I SALINH:I SARL:F SARH:F CECL:F "
     "CECH:F CACO3L:I CACO3H:I GYPSUML:I GYPSUMH:I PERML:F PERMH:F SHRINKSW:S10 +WEI:I"},
    {"mapunit", "Making mapunit Table (6 of 15)", "MUID",
     "MUID:S7/9@4 STSSAID:S5@1 SSAID:S3@2 MUSYM:S5@3 MUNAME:S109@5 MUKIND:S1@6 MLRA:S4@7 PRIMFML:S2@8 "
     "MUACRES:I@9"},
    {"plantcom", "Making plantcom Table (7 of 15)", "MUID;SEQNUMS;PLANTSYM",
     "MUID:S7/9@2 SEQNUMS:S2@3 PLANTSYM:S7@4 SEQNUM:I@3 STSSAID:S5@1* PLANTPCT:S3@5"},
    {"plantnm", "Making plantnm Table (8 of 15)", "PLANTSYM;SCINAME;COMNAME",
     "PLANTSYM:S7@1 SCINAME:S60 COMNAME:S31"},
    {"rsprod", "Making rsprod Table (9 of 15)", "MUID;SEQNUMS;RSID",
     "MUID:S7/9@2 SEQNUMS:S2@3 RSID:S8@4 SEQNUM:I@3 STSSAID:S5@1* RSNAME:S51@5 PRODFAV:I PRODNORM:I PRODUNFV:I"},
    {"taxclass", "Making taxclass Table (10 of 15)", "CLASCODE;CLASS",
     "CLASCODE:S20/30@1 CLASS:S120 ORDER:S1 SUBORDER:S3 GRTGROUP:S5 SUBGROUP:S4 PARTSIZE:S3 +PARTSIZEMOD:S3 "
     "MINALOGY:S2 +MINALOGY2:S2 +CEC:S3 REACTION:S2 SOILTEMP:S2 OTHERFAM:S2"},
    {"windbrk", "Making windbrk Table (11 of 15)", "MUID;SEQNUMS;PLANTSYM",
     "MUID:S7/9@2 SEQNUMS:S2@3 PLANTSYM:S7@4 SEQNUM:I@3 STSSAID:S5@1* WNDBRKHT:I@5"},
    {"wlhabit", "Making wlhabit Table (12 of 15)", "MUID;SEQNUMS",
     "MUID:S7/9@2 SEQNUMS:S2@3 SEQNUM:I@3 STSSAID:S5@1* WLGRAIN:S9@4 WLGRASS:S9 WLHERB:S9 WLHARD:S9 WLCONIF:S9 "
     "WLSHRUB:S9 WLWETPLT:S9 WLSHLWAT:S9 WLOPEN:S9 WLWOOD:S9 WLWET:S9 RLRANGE:S9"},
    {"woodland", "Making woodland Table (13 of 15)", "MUID;SEQNUMS;PLANTSYM",
     "MUID:S7/9@2 SEQNUMS:S2@3 PLANTSYM:S7@5 SEQNUM:I@3 STSSAID:S5@1* SUITCODE:S2@4 SITIND:I@6 WOODPROD:I@7"},
    {"woodmgt", "Making woodmgt Table (14 of 15)", "MUID;SEQNUMS",
     "MUID:S7/9@2 SEQNUMS:S2@3 SEQNUM:I@3 STSSAID:S5@1* ORDSYM:S3@4 WDEROSN:S8 WDEQUIP:S8 WDSEED:S8 WDWIND:S8 "
     "WDPLANT:S9"},
    {"yldunits", "Making yldunits Table (15 of 15)", "CROPNAME;YLDUNITS", "CROPNAME:S31@1 YLDUNITS:S9"},
    {"state", "Making state Table (16 of 15)", "", "STATE:S2@1 SCREDATE:S4", false, true},
    {"helclass", "Making helclass Table (SSURGO 1 of 9)", "MUID",
     "MUID:S9@2 STSSAID:S5@1* HELCFACT:I@3 HELRFACT:I MUWNDHEL:I MUWATHEL:I MUHELCL:I", true},
    {"inclusn", "Making inclusn Table (SSURGO 2 of 9)", "MUID;SEQNUMS",
     "MUID:S9@2 SEQNUMS:S9@3 SEQNUM:I@3 STSSAID:S5@1* INCLSOIL:S35@4 INCLPCT:I HYDRIC:S3 LANDFMLO:S2 CONDITION:S1 "
     "HYDCRIT:S20 ONSITE:S1",
     true},
    {"mucoacre", "Making mucoacre Table (SSURGO 3 of 9)", "MUID;CNTYCODE",
     "MUID:S9@2 CNTYCODE:S3@3 STSSAID:S5@1* MUCOACRE:I@4", true},
    {"muyld", "Making muyld Table (SSURGO 4 of 9)", "MUID;CROPNAME",
     "MUID:S9@2 CROPNAME:S30@3 STSSAID:S5@1 NIRRYLD:F@4 IRRYLD:F@5", true},
    {"rangenm", "Making rangenm Table (SSURGO 5 of 9)", "RSID", "RSID:S10@1 RSNAME:S100", true},
    {"ssacoac", "Making ssacoac Table (SSURGO 6 of 9)", "STSSAID;CNTYCODE",
     "STSSAID:S5@1 CNTYCODE:S3 CNTYNAME:S30 SSACOAC:I", true},
    {"ssarea", "Making ssarea Table (SSURGO 7 of 9)", "STSSAID",
     "STSSAID:S5@3 STATE:S2@1 SSANUM:S5@2 SSAID:S3@4 SSANAME:S135@5 SSAACRES:I@6 CORDATE:S5@7 STATUS:S2@8 "
     "EDSTAT:S5@9 EDDATE:S8@10 COMMENT:S100@11",
     true},
    {"hydcomp", "Making hydcomp Table (SSURGO 8 of 9)", "MUID;SEQNUMS",
     "MUID:S9@2 SEQNUMS:S9@3 SEQNUM:I@3 STSSAID:S5@1* CONDITION:S1@4 LANDFMLO:S2 HYDCRIT:S20 ONSITE:S1", true},
    {"muident", "Making muident Table (SSURGO 9 of 9)", "STSSAID;MUID", "STSSAID:S5@1 MUID:S9 MUIID:I", true},
};

// "7/9" -> 7 in state mode, 9 in county mode.
int Pick(const std::string& s, SoilMode mode) {
    const std::size_t slash = s.find('/');
    if (slash == std::string::npos) return std::atoi(s.c_str());
    return std::atoi((mode == SoilMode::State ? s.substr(0, slash) : s.substr(slash + 1)).c_str());
}

// The empty-column value of a string field.
std::string EmptyValue(const std::string& table, const SoilField& f, SoilMode mode, int lastColumn) {
    const bool state = mode == SoilMode::State;
    if (f.Name == "SEQNUMS" &&
        !(state && (table == "forest" || table == "interp" || table == "layer")) && !(!state && table == "layer"))
        return "0";
    if (state && table == "layer" && f.Name == "LAYERNUMS") return "0";
    if (!state && table == "comp" && f.Name == "CLASCODE") return "0";
    if (!state && table == "layer" && f.Name == "SHRINKSW") return "0";
    // An empty column 1 of the state comp table triggers the STSSAID rule.
    if (state && table == "comp" && f.Column == 1) return "0";
    if (state && (f.Column == 1 || f.Column == lastColumn)) return "";
    return ".";
}

SoilTableSpec MakeSpec(const TableText& t, SoilMode mode) {
    SoilTableSpec spec;
    spec.Name = t.name;
    spec.Progress = t.progress;
    spec.Key = t.key;
    std::istringstream in(t.fields);
    std::string token;
    int previous = 0;
    while (in >> token) {
        if (token[0] == '+' || token[0] == '-') {
            const bool county = token[0] == '+';
            token.erase(0, 1);
            if (county != (mode == SoilMode::County)) continue;
        }
        SoilField f;
        if (token.back() == '*') {
            f.StssaidRule = true;
            token.pop_back();
        }
        const std::size_t colon = token.find(':'), at = token.find('@');
        f.Name = token.substr(0, colon);
        const std::string type = token.substr(colon + 1, at == std::string::npos ? std::string::npos : at - colon - 1);
        if (type[0] == 'S') {
            f.Type = db::FieldKind::String;
            f.Size = Pick(type.substr(1), mode);
        } else {
            f.Type = type[0] == 'I' ? db::FieldKind::Integer : db::FieldKind::Float;
        }
        f.Column = at == std::string::npos ? previous + 1 : Pick(token.substr(at + 1), mode);
        if (f.Column > 0) previous = f.Column;
        spec.Fields.push_back(f);
    }
    // The state comp file may carry SCLIRR again in column 54.
    if (mode == SoilMode::State && spec.Name == "comp")
        for (SoilField& f : spec.Fields)
            if (f.Name == "SCLIRR") f.AltColumn = 54;
    int last = 0;
    for (const SoilField& f : spec.Fields) last = std::max(last, f.Column);
    for (SoilField& f : spec.Fields) f.Empty = EmptyValue(spec.Name, f, mode, last);
    return spec;
}

std::vector<SoilTableSpec> MakeSpecs(SoilMode mode) {
    std::vector<SoilTableSpec> out;
    for (const TableText& t : kTables) {
        if (t.countyOnly && mode != SoilMode::County) continue;
        if (t.stateOnly && mode != SoilMode::State) continue;
        out.push_back(MakeSpec(t, mode));
    }
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimView(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string Latin1ToUtf8(std::string_view s) {
    std::string o;
    o.reserve(s.size());
    for (unsigned char c : s) {
        if (c < 0x80) {
            o += static_cast<char>(c);
        } else {
            o += static_cast<char>(0xC0 | (c >> 6));
            o += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return o;
}

// Whole and real numbers as the C locale writes them; false when the text
// is not one.
bool ReadWhole(std::string_view s, std::int64_t& v) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && v >= INT32_MIN && v <= INT32_MAX;
}

bool ReadReal(std::string_view s, double& v) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    // "nan" and "inf" parse, but no survey means them: bad numbers like any other.
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(v);
}

std::string Plural(std::int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

const std::vector<SoilTableSpec>& SoilTableSpecs(SoilMode mode) {
    static const std::vector<SoilTableSpec> state = MakeSpecs(SoilMode::State);
    static const std::vector<SoilTableSpec> county = MakeSpecs(SoilMode::County);
    return mode == SoilMode::State ? state : county;
}

std::string FindFileAnyCase(const std::string& dir, const std::string& name) {
    std::string d = dir.empty() ? std::string("./") : dir;
    if (d.back() != '/') d += '/';
    if (FileExists(d + name)) return d + name;
    DIR* h = ::opendir(d.c_str());
    if (!h) return {};
    const std::string want = UpperCase(name);
    std::string found;
    while (dirent* e = ::readdir(h)) {
        if (UpperCase(e->d_name) == want && FileExists(d + e->d_name)) {
            found = d + e->d_name;
            break;
        }
    }
    ::closedir(h);
    return found;
}

SoilMode SoilTableMode(const std::string& dataDir) {
    return FindFileAnyCase(dataDir, "helclass").empty() ? SoilMode::State : SoilMode::County;
}

std::string SoilTablePath(SoilMode mode, const std::string& shapeFile, const std::string& table) {
    if (mode == SoilMode::County) return DirectoryPart(shapeFile) + "Ss_" + table + ".db";
    const std::string stem = shapeFile.size() >= 4 ? shapeFile.substr(0, shapeFile.size() - 4) : shapeFile;
    return stem + "_" + table + ".db";
}

bool SplitSoilLines(std::string_view text, SoilMode mode, std::vector<std::string_view>& lines, int& message,
                    std::int64_t& skipped) {
    lines.clear();
    message = 0;
    if (mode == SoilMode::County && !text.empty()) {
        // A county file keeps one kind of line end: mixed ends, or none at
        // all, mean the file is not what it should be.
        bool cr = false, lf = false, crlf = false;
        const std::size_t n = std::min<std::size_t>(text.size(), 1234);
        for (std::size_t i = 0; i < n; ++i) {
            if (text[i] == '\r') {
                if (i + 1 < text.size() && text[i + 1] == '\n') {
                    crlf = true;
                    ++i;
                } else {
                    cr = true;
                }
            } else if (text[i] == '\n') {
                lf = true;
            }
        }
        const int kinds = int(cr) + int(lf) + int(crlf);
        if (kinds > 1) {
            message = 30002;
            return false;
        }
        if (kinds == 0) {
            message = 30004;
            return false;
        }
    }
    // Lines are taken as they are found: blank ones cost nothing kept.
    std::size_t start = 0, index = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        const std::string_view line = text.substr(start, end - start);
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
        if (index++ < 2) continue;  // the two header lines
        const bool blank = std::all_of(line.begin(), line.end(),
                                       [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7F; });
        if (blank) {
            if (!line.empty()) ++skipped;
            continue;
        }
        lines.push_back(line);
    }
    // What is left at the end of a county file after its last record is
    // dropped unless it holds a column break.
    if (mode == SoilMode::County && !lines.empty() && lines.back().size() <= 10 &&
        lines.back().find('\t') == std::string_view::npos) {
        lines.pop_back();
        ++skipped;
    }
    return true;
}

void ParseSoilLine(const SoilTableSpec& spec, SoilMode mode, std::string_view line, SoilRowValues& out,
                   SoilBuildSummary& counts) {
    (void)mode;
    thread_local std::vector<std::string_view> cols;
    cols.clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        cols.push_back(TrimView(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start)));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    const std::size_t n = spec.Fields.size();
    out.Text.assign(n, std::string());
    out.Int.assign(n, 0);
    out.Real.assign(n, 0);
    out.Null.assign(n, 0);
    int muid = -1, seqnums = -1;
    for (std::size_t k = 0; k < n; ++k) {
        const SoilField& f = spec.Fields[k];
        if (f.Name == "MUID") muid = static_cast<int>(k);
        if (f.Name == "SEQNUMS") seqnums = static_cast<int>(k);
        int col = f.Column;
        if (f.AltColumn > 0 && cols.size() >= static_cast<std::size_t>(f.AltColumn)) col = f.AltColumn;
        if (col <= 0) {
            out.Null[k] = 1;
            continue;
        }
        const std::string_view text =
            static_cast<std::size_t>(col) <= cols.size() ? cols[static_cast<std::size_t>(col) - 1] : std::string_view();
        switch (f.Type) {
            case db::FieldKind::String: out.Text[k] = text.empty() ? f.Empty : std::string(text); break;
            case db::FieldKind::Integer:
                if (!text.empty() && !ReadWhole(text, out.Int[k])) {
                    out.Int[k] = 0;
                    ++counts.ConversionErrors;
                }
                break;
            case db::FieldKind::Float:
                if (!text.empty() && !ReadReal(text, out.Real[k])) {
                    out.Real[k] = 0;
                    ++counts.ConversionErrors;
                }
                break;
        }
    }
    for (std::size_t k = 0; k < n; ++k) {
        const SoilField& f = spec.Fields[k];
        if (f.Type != db::FieldKind::String || out.Null[k]) continue;
        std::string& v = out.Text[k];
        if (f.StssaidRule && v == "0") {
            // The survey leaves the area id out: the map unit and the
            // component stand for it.
            v = (muid >= 0 ? out.Text[static_cast<std::size_t>(muid)] : std::string()) +
                (seqnums >= 0 ? out.Text[static_cast<std::size_t>(seqnums)] : std::string());
            if (v.size() > static_cast<std::size_t>(f.Size)) v.resize(static_cast<std::size_t>(f.Size));
        }
    }
    for (std::size_t k = 0; k < n; ++k) {
        const SoilField& f = spec.Fields[k];
        if (f.Type != db::FieldKind::String || out.Null[k]) continue;
        std::string& v = out.Text[k];
        if (v.size() > static_cast<std::size_t>(f.Size)) {
            v.resize(static_cast<std::size_t>(f.Size));
            while (!v.empty() && IsBlank(v.back())) v.pop_back();
            ++counts.ValuesCut;
        }
        bool ascii = true;
        for (char c : v)
            if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
        if (!ascii) v = Latin1ToUtf8(v);
    }
}

std::vector<std::string> SoilBuildSummary::Lines() const {
    std::vector<std::string> out;
    if (Tables.empty() && !Abandoned && Failure.empty()) out.push_back("Nothing was built.");
    for (const Built& b : Tables) out.push_back(b.Table + ": " + Plural(b.Rows, "row", "rows") + " (" + b.Path + ")");
    if (!NotFound.empty()) {
        std::string line = "Inputs not found:";
        for (const std::string& n : NotFound) line += " " + n;
        out.push_back(line);
    }
    if (ConversionErrors) out.push_back(Plural(ConversionErrors, "number", "numbers") + " not readable, stored as 0");
    if (ValuesCut) out.push_back(Plural(ValuesCut, "value", "values") + " cut to the field width");
    if (LinesSkipped) out.push_back(Plural(LinesSkipped, "blank line", "blank lines") + " skipped");
    if (!Failure.empty()) out.push_back(Failure);
    return out;
}

Result BuildSoilTables(const SoilBuildRequest& req, Prompter& prompter, Progress& progress, SoilBuildSummary& sum) {
    sum = SoilBuildSummary();
    auto fail = [&](const std::string& why) {
        sum.Failure = why;
        return Result::Fail(why);
    };
    if (req.DataDir.empty() || req.ShapeFile.empty()) {
        prompter.Message(MsgFamily::Error, 30003);
        return fail("No data folder or no shapefile chosen.");
    }
    sum.Mode = SoilTableMode(req.DataDir);
    const std::vector<SoilTableSpec>& specs = SoilTableSpecs(sum.Mode);
    std::vector<std::string> inputs;
    bool any = false, existing = false;
    for (const SoilTableSpec& s : specs) {
        inputs.push_back(FindFileAnyCase(req.DataDir, s.Name));
        if (inputs.back().empty())
            sum.NotFound.push_back(s.Name);
        else
            any = true;
        if (FileExists(SoilTablePath(sum.Mode, req.ShapeFile, s.Name))) existing = true;
    }
    if (!any) return fail("No soil survey tables in " + req.DataDir + ": nothing was built.");
    if (sum.Mode == SoilMode::County && existing) {
        // Every county survey writes the same Ss_ names in the map's folder.
        const std::string dir = DirectoryPart(req.ShapeFile).empty() ? "./" : DirectoryPart(req.ShapeFile);
        if (prompter.AskYesNoText("County soil tables (Ss_*.db) already exist in " + dir + ".\r\nReplace them?") !=
            Answer::Yes) {
            sum.Abandoned = true;
            return fail("Build abandoned: the existing tables were kept.");
        }
    }
    if (req.Session) db::RunTimeDbCreateP(*req.Session, "statsgo0", DirectoryPart(req.ShapeFile));
    if (req.BeforeBuild) req.BeforeBuild();
    if (sum.Mode == SoilMode::County) progress.SetMessage("Making additional SSURGO Tables");

    SoilRowValues row;
    for (std::size_t t = 0; t < specs.size(); ++t) {
        if (inputs[t].empty()) continue;
        const SoilTableSpec& spec = specs[t];
        progress.SetMessage(spec.Progress);
        std::string text;
        {
            BlockReader r;
            Result o = r.Open(inputs[t]);
            if (o) {
                text.resize(static_cast<std::size_t>(r.size()));
                if (!text.empty() && !r.Read(text.data(), text.size())) o = Result::Fail(r.error());
            }
            if (!o) {
                prompter.ShowErrorText("Cannot read " + inputs[t] + ":\r\n" + o.reason);
                return fail("Cannot read " + inputs[t] + ": " + o.reason);
            }
        }
        std::vector<std::string_view> lines;
        int message = 0;
        if (!SplitSoilLines(text, sum.Mode, lines, message, sum.LinesSkipped)) {
            prompter.Message(MsgFamily::Error, message);
            sum.Abandoned = true;
            return fail("Build abandoned at " + inputs[t] +
                        (message == 30002 ? ": mixed line ends." : ": no line ends."));
        }
        const std::string path = SoilTablePath(sum.Mode, req.ShapeFile, spec.Name);
        std::vector<db::FieldDef> defs;
        for (std::size_t k = 0; k < spec.Fields.size(); ++k) defs.push_back(spec.Def(k));
        db::KeyedTable table;
        auto engine = [&](const Result& r) {
            prompter.ShowErrorText(r.reason);
            table.Discard();
            return fail(r.reason);
        };
        Result r = table.Create(path, spec.Name, defs);
        if (!r) return engine(r);
        progress.SetRange(0, static_cast<long long>(lines.size()));
        std::int64_t rows = 0;
        for (std::string_view line : lines) {
            progress.Pump();
            ParseSoilLine(spec, sum.Mode, line, row, sum);
            r = table.Append();
            for (std::size_t k = 0; r && k < spec.Fields.size(); ++k) {
                if (row.Null[k]) continue;
                const int at = static_cast<int>(k);
                switch (spec.Fields[k].Type) {
                    case db::FieldKind::String: r = table.SetFieldAt(at, row.Text[k]); break;
                    case db::FieldKind::Integer: r = table.SetFieldAt(at, row.Int[k]); break;
                    case db::FieldKind::Float: r = table.SetFieldAt(at, row.Real[k]); break;
                }
            }
            if (r) r = table.Post();
            if (!r) return engine(r);
            if (++rows % 4096 == 0) progress.SetPosition(rows);
        }
        if (!spec.Key.empty()) r = table.AddPrimaryIndex(spec.Key);
        if (r) r = table.Commit();
        if (!r) return engine(r);
        sum.Tables.push_back({spec.Name, path, rows});
        progress.SetPosition(0);
    }
    if (sum.Mode == SoilMode::State) progress.SetMessage("Making additional SSURGO Tables");
    progress.SetMessage("Finished Making Tables");
    return Result::Ok();
}

}  // namespace zemba
