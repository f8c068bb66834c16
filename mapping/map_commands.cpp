#include "mapping/map_commands.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/attributes.h"
#include "core/file_io.h"
#include "mapping/datum.h"
#include "mapping/prj_files.h"

namespace zemba {

namespace {

const char* const kStringFields[] = {"Name",       "Date",          "Revision",   "Scale",       "Quadrangle",
                                     "ProductType", "PreProcessing", "Resampling", "MetadataFile"};
const char* const kDoubleFields[33] = {
    "Mode",   "SMajor",  "SMinor",    "Sphere",  "FalseEasting", "FalseNorthing", "OriginLat", "StdPr1", "StdPr2",
    "CentMer", "TrueScale", "CentLon", "CenterLat", "StdPar",     "LongPol",       "Factor",    "Height", "ShapeM",
    "ShapeN", "Angle",   "Long1",     "Long2",   "Lat1",         "Lat2",          "AziAng",    "AzmthPt", "IncAng",
    "AscLong", "PSRev",  "LRat",      "PFlag",   "SatNum",       "Path"};
const char* const kExtentFields[16] = {"XMax",  "XMin",  "YMax",  "YMin",  "ZMax",  "ZMin",  "MMax",  "MMin",
                                       "ULLon", "ULLat", "URLon", "URLat", "LLLon", "LLLat", "LRLon", "LRLat"};

std::array<double*, 16> ExtentRefs(MapInfoRec& m) {
    return {&m.XMax,  &m.XMin,  &m.YMax,  &m.YMin,  &m.ZMax,  &m.ZMin,  &m.MMax,  &m.MMin,
            &m.ULLon, &m.ULLat, &m.URLon, &m.URLat, &m.LLLon, &m.LLLat, &m.LRLon, &m.LRLat};
}
std::array<std::string*, 9> StringRefs(MapInfoRec& m) {
    return {&m.Name,        &m.Date,          &m.Revision,   &m.Scale,       &m.Quadrangle,
            &m.ProductType, &m.PreProcessing, &m.Resampling, &m.MetadataFile};
}
struct ListRef {
    const char* name;
    std::int32_t MapInfoRec::*field;
    int size;
};
const ListRef kLists[] = {{"Category", &MapInfoRec::Category, 14},  {"ProjectionCode", &MapInfoRec::ProjectionCode, 33},
                          {"Units", &MapInfoRec::Units, 8},         {"UtmZone", &MapInfoRec::UtmZone, 60},
                          {"Datum", &MapInfoRec::Datum, 26},        {"Spheroid", &MapInfoRec::Spheroid, 31},
                          {"ZUnits", &MapInfoRec::ZUnits, 8},       {"MUnits", &MapInfoRec::MUnits, 8}};
struct CheckRef {
    const char* name;
    std::uint8_t MapInfoRec::*field;
};
const CheckRef kChecks[] = {{"IsProjected", &MapInfoRec::IsProjected},   {"NeverProjected", &MapInfoRec::NeverProjected},
                            {"IgnoreDatum", &MapInfoRec::IgnoreDatum},   {"IgnoreErrors", &MapInfoRec::IgnoreErrors},
                            {"UtmNorth", &MapInfoRec::UtmNorth},         {"ProjectionValid", &MapInfoRec::ProjectionValid},
                            {"CoordinatesValid", &MapInfoRec::CoordinatesValid}};

std::string Get(const std::map<std::string, std::string>& m, const std::string& k) {
    auto it = m.find(k);
    return it == m.end() ? std::string() : it->second;
}

}  // namespace

const std::vector<std::string>& MapFormTextFields() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v(std::begin(kStringFields), std::end(kStringFields));
        for (int k = 0; k < 12; ++k) v.push_back("EdgeFlags" + std::to_string(k));
        v.push_back("StatePlaneZone");
        v.insert(v.end(), std::begin(kDoubleFields), std::end(kDoubleFields));
        for (int k = 0; k < 15; ++k) v.push_back("Affine" + std::to_string(k));
        for (int k = 0; k < 4; ++k) v.push_back("AffineP" + std::to_string(k));
        v.insert(v.end(), std::begin(kExtentFields), std::end(kExtentFields));
        return v;
    }();
    return names;
}

const std::vector<std::string>& MapFormListFields() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const ListRef& l : kLists) v.push_back(l.name);
        return v;
    }();
    return names;
}

const std::vector<std::string>& MapFormCheckFields() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const CheckRef& c : kChecks) v.push_back(c.name);
        return v;
    }();
    return names;
}

std::string FormatNumber(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

bool ParseUserNumber(const std::string& text, double& v) {
    std::string t = text;
    while (!t.empty() && t.back() == ' ') t.pop_back();
    while (!t.empty() && t.front() == ' ') t.erase(t.begin());
    if (t.empty()) return false;
    for (int pass = 0; pass < 2; ++pass) {
        char* end = nullptr;
        v = std::strtod(t.c_str(), &end);
        if (end && *end == '\0' && std::isfinite(v)) return true;
        // A decimal comma, as many locales write it.
        if (t.find(',') == std::string::npos || t.find('.') != std::string::npos) return false;
        for (char& c : t)
            if (c == ',') c = '.';
    }
    return false;
}

MapFormValues ShowMapInfo(const MapInfoRec& info) {
    MapInfoRec m = info;
    MapFormValues v;
    auto strs = StringRefs(m);
    for (std::size_t k = 0; k < strs.size(); ++k) v.text[kStringFields[k]] = *strs[k];
    for (int k = 0; k < 12; ++k) v.text["EdgeFlags" + std::to_string(k)] = std::string(1, m.EdgeFlags[k]);
    v.text["StatePlaneZone"] = std::to_string(m.StatePlaneZone);
    auto params = m.ParamRefs();
    for (int k = 0; k < 33; ++k) v.text[kDoubleFields[k]] = FormatNumber(*params[k]);
    for (int k = 0; k < 15; ++k) v.text["Affine" + std::to_string(k)] = FormatNumber(m.Affine[k]);
    for (int k = 0; k < 4; ++k) v.text["AffineP" + std::to_string(k)] = FormatNumber(m.AffineP[k]);
    auto ext = ExtentRefs(m);
    for (int k = 0; k < 16; ++k) v.text[kExtentFields[k]] = FormatNumber(*ext[k]);
    for (const ListRef& l : kLists) v.index[l.name] = m.*l.field;
    v.index["UtmZone"] = m.UtmZone - 1;  // the list shows zone z at z - 1
    for (const CheckRef& c : kChecks) v.check[c.name] = (m.*c.field) != 0;
    return v;
}

Result AcceptMapInfo(const MapFormValues& v, MapInfoRec& info) {
    MapInfoRec m = info;
    auto strs = StringRefs(m);
    for (std::size_t k = 0; k < strs.size(); ++k) {
        std::string s = Get(v.text, kStringFields[k]);
        if (s.size() > kMaxField) s.resize(kMaxField);
        *strs[k] = s;
    }
    for (int k = 0; k < 12; ++k) {
        const std::string s = Get(v.text, "EdgeFlags" + std::to_string(k));
        // An empty edge edit keeps the blank description's flag.
        m.EdgeFlags[k] = s.empty() ? 'b' : s[0];
    }
    auto number = [&](const std::string& name, double& out) -> Result {
        const std::string t = Get(v.text, name);
        if (!ParseUserNumber(t, out)) return Result::Fail("'" + t + "' is not a valid floating point value");
        return Result::Ok();
    };
    {
        const std::string t = Get(v.text, "StatePlaneZone");
        double z = 0;
        if (!ParseUserNumber(t, z) || z != std::floor(z) || std::fabs(z) > 2147483647.0)
            return Result::Fail("'" + t + "' is not a valid integer value");
        m.StatePlaneZone = static_cast<std::int32_t>(z);
    }
    auto params = m.ParamRefs();
    for (int k = 0; k < 33; ++k)
        if (Result r = number(kDoubleFields[k], *params[k]); !r) return r;
    for (int k = 0; k < 15; ++k)
        if (Result r = number("Affine" + std::to_string(k), m.Affine[k]); !r) return r;
    for (int k = 0; k < 4; ++k)
        if (Result r = number("AffineP" + std::to_string(k), m.AffineP[k]); !r) return r;
    auto ext = ExtentRefs(m);
    for (int k = 0; k < 16; ++k)
        if (Result r = number(kExtentFields[k], *ext[k]); !r) return r;
    for (const ListRef& l : kLists) {
        auto it = v.index.find(l.name);
        if (it == v.index.end()) continue;
        // No zone chosen keeps the description's "no zone" (0).
        if (std::string(l.name) == "UtmZone" && it->second == -1) continue;
        if (it->second < 0 || it->second >= l.size) return Result::Fail(std::string("Choose a ") + l.name);
        m.*l.field = it->second;
    }
    if (v.index.count("UtmZone")) m.UtmZone = v.index.at("UtmZone") + 1;  // -1 gives 0
    for (const CheckRef& c : kChecks) {
        auto it = v.check.find(c.name);
        if (it != v.check.end()) m.*c.field = it->second ? 1 : 0;
    }
    info = m;
    return Result::Ok();
}

// ---------------------------------------------------------------------------

MapCommands::MapCommands(LayerStore& store, MapProject& project, Prompter& prompter, Progress& progress)
    : store_(store), project_(project), prompter_(prompter), progress_(progress) {}

int MapCommands::NoteLayerDatum(int layer) {
    if (layer < 1 || layer > store_.LayerCount) return -1;
    const ShpLayer& L = store_.ShapeLayers[layer];
    const std::string prj = CompanionFile(L.ShpPath + L.ShpName, ".prj");
    int datum = -1;
    if (!FileExists(prj)) return -1;
    Result r = ReadPrjDatum(prj, datum);
    if (!r) {
        Warn(L.ShpName + ": its .prj was not understood: " + r.reason);
        return -1;
    }
    if (datum >= 0 && datum != project_.MapInfo.Datum)
        Warn(L.ShpName + ": its .prj names the datum " + DatumListName(datum) + ", the map uses " +
            DatumListName(project_.MapInfo.Datum) + "; its coordinates are shown without a shift.");
    return datum;
}

void MapCommands::Say(const std::string& line) {
    if (Report) Report(line);
}

void MapCommands::Warn(const std::string& line) {
    Say(line);
    if (Alert) Alert();
}

void MapCommands::AlertOn(const ConvertOutcome& o) {
    if ((!o.result || o.failures > 0) && Alert) Alert();
}

bool MapCommands::NeedLayers() {
    if (store_.LayerCount > 0) return true;
    prompter_.ShowErrorText("No layers are loaded: open the map's layers first.");
    return false;
}

bool MapCommands::AcceptMap(const MapFormValues& values) {
    if (!NeedLayers()) return false;
    Result r = AcceptMapInfo(values, project_.MapInfo);
    if (!r) {
        prompter_.ShowErrorText(r.reason);
        return false;
    }
    project_.MapInfo.ProjectionValid = 1;
    return SaveMapBtnClick();
}

bool MapCommands::SaveMapBtnClick() {
    if (!NeedLayers()) return false;
    std::string file;
    if (store_.ProjectName != "Nada" && FileExists(store_.ProjectPath + store_.ProjectName)) {
        file = store_.ProjectPath + store_.ProjectName;
    } else {
        // A new project: ask for its name first; SaveProjectAs starts it
        // from the blank project unless the records are already its own.
        file = prompter_.ChooseSaveFile("Save Map Project", store_.ProjectPath, "Map Project(*.zmp)|*.zmp",
                                        FileNamePart(ChangeFileExt(store_.LayerFileName, ".zmp")));
        if (file.empty()) return false;
        if (UpperCase(file.size() >= 4 ? file.substr(file.size() - 4) : file) != ".ZMP") file += ".zmp";
    }
    return SaveProjectAs(file);
}

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    const auto na = std::filesystem::absolute(a, ec).lexically_normal();
    const auto nb = std::filesystem::absolute(b, ec).lexically_normal();
    return na == nb;
}

}  // namespace

void MapCommands::ClearProject() {
    ResetProjectRecords(project_);
    if (RecordsChanged) RecordsChanged();
}

bool MapCommands::SaveProjectAs(const std::string& file) {
    if (!NeedLayers()) return false;
    // Records of another project do not leak into a new one; records never
    // saved (the blank project, perhaps edited) are this project's own.
    if (!project_.RecordsFile.empty() && !SameFile(project_.RecordsFile, file) && !FileExists(file)) {
        ResetProjectRecords(project_);
        if (RecordsChanged) RecordsChanged();
    }
    Result r = SaveMap(store_, project_, file, progress_);
    if (!r) prompter_.ShowErrorText("Map project not saved: " + file + "\r\n" + r.reason);
    return r.ok;
}

bool MapCommands::DisplayLayer(int k, MapFormValues& out) {
    if (!NeedLayers() || k < 0 || k >= store_.LayerCount) return false;
    const ShpLayer& L = store_.ShapeLayers[k + 1];
    const std::string lpj = LayerDescriptionPath(L, ".lpj"), lpt = LayerDescriptionPath(L, ".lpt");
    if (FileExists(lpj) && FileExists(lpt)) {
        Result r = ReadLayerDescription(lpj, lpt, project_.LayerInfo);
        if (!r) {
            prompter_.ShowErrorText("Layer description not read: " + r.reason);
            return false;
        }
    } else {
        FillLayerBlankProjection(project_);
        // Without a description of its own, the .prj beside the layer gives
        // its datum.
        int datum = -1;
        const std::string prj = CompanionFile(L.ShpPath + L.ShpName, ".prj");
        if (FileExists(prj) && ReadPrjDatum(prj, datum) && datum >= 0) {
            project_.LayerInfo.Datum = datum;
            const int spheroid = DatumSpheroid(datum);
            if (spheroid >= 0) project_.LayerInfo.Spheroid = spheroid;
        }
    }
    progress_.Pump();
    out = ShowMapInfo(project_.LayerInfo);
    return true;
}

bool MapCommands::AcceptLayer(int k, const MapFormValues& values) {
    if (!NeedLayers() || k < 0 || k >= store_.LayerCount) return false;
    Result r = AcceptMapInfo(values, project_.LayerInfo);
    if (r) {
        const ShpLayer& L = store_.ShapeLayers[k + 1];
        r = WriteLayerDescription(LayerDescriptionPath(L, ".lpj"), LayerDescriptionPath(L, ".lpt"), project_.LayerInfo);
    }
    if (!r) prompter_.ShowErrorText(r.reason);
    return r.ok;
}

bool MapCommands::Project(const MapFormValues* targetFromPages) {
    if (!NeedLayers()) return false;
    if (Busy) Busy(true);
    ConvertOutcome o;
    ReportFn report = [this](const std::string& s) { Say(s); };
    if (targetFromPages) {
        MapInfoRec target = project_.MapInfo;
        Result r = AcceptMapInfo(*targetFromPages, target);
        if (!r) {
            if (Busy) Busy(false);
            prompter_.ShowErrorText(r.reason);
            return false;
        }
        TransformOptions opt;
        opt.DatumStep = !target.IgnoreDatum;
        opt.IgnoreErrors = target.IgnoreErrors != 0;
        opt.StatePlaneDir = StatePlaneDir;
        o = ProjectMap(store_, BuildBlock(target), opt, progress_, report);
        if (o.result) {
            const int code = target.ProjectionCode;
            project_.MapLegend.ProjectionName = kProjectionNames[code];
            project_.MapLegend.ProjectionIndex = code;
            project_.MapInfo.IsProjected = store_.MapSystem.empty() ? 0 : 1;
        }
    } else {
        o = ProjectToMapInfo(store_, project_, progress_, report, StatePlaneDir);
    }
    if (Busy) Busy(false);
    AlertOn(o);
    if (!o.result) prompter_.ShowErrorText("Map not projected:\r\n" + o.result.reason);
    if (Refresh) Refresh();
    return o.result.ok;
}

bool MapCommands::ConvertLayer(int k, bool ignoreDatum, bool ignoreErrors) {
    if (!NeedLayers() || k < 0 || k >= store_.LayerCount) return false;
    const ShpLayer& L = store_.ShapeLayers[k + 1];
    MapInfoRec info = MapProject::BlankMapInfo();
    const std::string lpj = LayerDescriptionPath(L, ".lpj"), lpt = LayerDescriptionPath(L, ".lpt");
    if (L.CoordSystem.empty()) {
        if (!FileExists(lpj) || !FileExists(lpt)) {
            prompter_.ShowErrorText("Layer not converted: " + L.ShpName +
                                    " has no description of its coordinates (.lpj); accept one first.");
            return false;
        }
        Result r = ReadLayerDescription(lpj, lpt, info);
        if (!r) {
            prompter_.ShowErrorText("Layer not converted: " + r.reason);
            return false;
        }
    } else if (FileExists(lpj) && FileExists(lpt)) {
        ReadLayerDescription(lpj, lpt, info);  // keeps its texts for the rewrite
    }
    TransformOptions opt;
    opt.DatumStep = !ignoreDatum;
    opt.IgnoreErrors = ignoreErrors;
    opt.StatePlaneDir = StatePlaneDir;
    if (Busy) Busy(true);
    ConvertOutcome o = ConvertLayerToGeographic(store_, k + 1, info, opt, progress_,
                                                [this](const std::string& s) { Say(s); });
    if (Busy) Busy(false);
    AlertOn(o);
    if (!o.result) prompter_.ShowErrorText("Layer not converted: " + o.result.reason);
    if (Refresh) Refresh();
    return o.result.ok;
}

bool MapCommands::DmsToDdText(std::string& text) {
    double v = 0;
    if (!ParseUserNumber(text, v)) {
        prompter_.ShowErrorText("'" + text + "' is not a valid floating point value");
        return false;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", DmsToDd(v));
    text = buf;
    return true;
}

bool MapCommands::LoadProject(const std::string& file, const LoadMapHooks& hooks) {
    if (!LoadMap(store_, project_, file, prompter_, progress_, hooks)) return false;
    if (!project_.MapInfo.NeverProjected) {
        if (Busy) Busy(true);
        ConvertOutcome o =
            ProjectToMapInfo(store_, project_, progress_, [this](const std::string& s) { Say(s); }, StatePlaneDir);
        if (Busy) Busy(false);
        AlertOn(o);
        if (!o.result) prompter_.ShowErrorText("Map not projected:\r\n" + o.result.reason);
    }
    if (Refresh) Refresh();
    if (RecordsChanged) RecordsChanged();
    return true;
}

Result SaveProjectionLog(const std::vector<std::string>& lines, const std::string& path) {
    AtomicFile f(path);
    Result r = f.Open();
    if (!r) return r;
    for (const std::string& l : lines) f.Write(l + "\r\n");
    return f.Commit();
}

std::string ProjectionLogPath(const LayerStore& store) {
    return ChangeFileExt(store.ProjectPath + store.ProjectName, ".log");
}

}  // namespace zemba
