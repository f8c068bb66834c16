#include "mapping/project_files.h"

#include <algorithm>
#include <memory>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/attributes.h"
#include "core/file_io.h"
#include "mapping/datum.h"

namespace zemba {

const char* const kCategoryNames[14] = {
    "HYPSOGRAPHY",       "HYDROGRAPHY",        "VEG SURFACE COVER", "NON-VEG FEATURES",
    "BOUNDARIES",        "SURVEY CONTROL",     "ROADS AND TRAILS",  "RAILROADS",
    "PIPE & TRANS LINES", "MANMADE FEATURES",  "PUBLIC LAND SURVEYS", "SUBSURFACE HYDRO",
    "GEOLOGY",           "OTHER"};

std::array<double*, 33> MapInfoRec::ParamRefs() {
    return {&Mode,      &SMajor,   &SMinor,  &Sphere,  &FalseEasting, &FalseNorthing, &OriginLat,
            &StdPr1,    &StdPr2,   &CentMer, &TrueScale, &CentLon,    &CenterLat,     &StdPar,
            &LongPol,   &Factor,   &Height,  &ShapeM,  &ShapeN,       &Angle,         &Long1,
            &Long2,     &Lat1,     &Lat2,    &AziAng,  &AzmthPt,      &IncAng,        &AscLong,
            &PSRev,     &LRat,     &PFlag,   &SatNum,  &Path};
}

std::array<const double*, 33> MapInfoRec::ParamRefs() const {
    auto refs = const_cast<MapInfoRec*>(this)->ParamRefs();
    std::array<const double*, 33> out;
    for (std::size_t k = 0; k < refs.size(); ++k) out[k] = refs[k];
    return out;
}

FontRef MapProject::LegendFont() {
    static FontRef font = [] {
        auto f = std::make_shared<FontDesc>();
        f->Family = "Arial";
        f->PointSize = 8;
        f->Color = 0x000000;
        return f;
    }();
    return font;
}

MapInfoRec MapProject::BlankMapInfo() {
    MapInfoRec m;
    m.Name = "COLLINSVILLE IL";
    m.Date = "1953, 2002";
    m.Revision = "N";
    m.Scale = "1,000,000";
    m.Quadrangle = m.ProductType = m.PreProcessing = m.Resampling = m.MetadataFile = "na";
    m.EdgeFlags.fill('b');
    m.UtmNorth = 1;
    m.Units = 4;
    m.Datum = 13;
    m.StatePlaneZone = 1202;
    m.ZUnits = m.MUnits = 2;
    return m;
}

LegendRec MapProject::BlankLegend() {
    LegendRec l;
    l.ProjectionName = "0: Geo";
    l.LocationName = "Illinois";
    for (int e = 0; e < 8; ++e) {
        l.LineCounts[e] = 1;
        l.Lines[e] = {"."};
        l.Fonts[e] = LegendFont();
    }
    l.GridName = l.NorthArrowFile = l.LegendFile = l.LocationFile = l.ScaleBarFile = l.FeatureFile = ".";
    static const std::int32_t text[8][4] = {{88, 4, 49, 13},  {10, 4, 57, 13},   {94, 177, 41, 13},
                                            {10, 177, 65, 13}, {10, 192, 46, 31}, {56, 150, 44, 14},
                                            {140, 134, 17, 17}, {58, 210, 41, 13}};
    static const std::int32_t pics[6][4] = {{140, 120, 17, 11}, {120, 192, 44, 25}, {10, 18, 127, 158},
                                            {140, 154, 17, 17}, {58, 192, 57, 17},  {56, 130, 65, 18}};
    for (int e = 0; e < 8; ++e)
        for (int k = 0; k < 4; ++k) l.TextPlace[e][k] = text[e][k];
    for (int p = 0; p < 6; ++p)
        for (int k = 0; k < 4; ++k) l.BitmapPlace[p][k] = pics[p][k];
    l.PaperPlace = {8, 160, 172, 230, 0, 0, 0, 0};
    return l;
}

void InitializeBlankMapLegend(MapProject& project) {
    project.MapLegend = MapProject::BlankLegend();
    project.MapInfo = MapProject::BlankMapInfo();
}

void ResetProjectRecords(MapProject& project) {
    InitializeBlankMapLegend(project);
    project.LayerInfo = MapProject::BlankMapInfo();
    project.SaveMode = 1;
    project.RecordsFile.clear();
}

void FillLayerBlankProjection(MapProject& project) {
    project.LayerInfo = MapProject::BlankMapInfo();
    project.MapLegend.ProjectionName = "0: Geo";
    project.MapLegend.ProjectionIndex = 0;
}

// ---------------------------------------------------------------------------
// Byte images.

namespace {

class Bytes {
public:
    void U8(std::uint8_t v) { s_.push_back(static_cast<char>(v)); }
    void I32(std::int32_t v) {
        unsigned char b[4];
        StoreLE32(b, static_cast<std::uint32_t>(v));
        s_.append(reinterpret_cast<char*>(b), 4);
    }
    void F64(double v) {
        unsigned char b[8];
        StoreLEDouble(b, v);
        s_.append(reinterpret_cast<char*>(b), 8);
    }
    void Slot(const PlacementSlot& p) {
        for (std::int32_t v : p) I32(v);
    }
    std::string& str() { return s_; }

private:
    std::string s_;
};

// Reads from a buffer whose size the caller has checked.
class Cursor {
public:
    Cursor(const std::string& s, std::size_t pos) : p_(reinterpret_cast<const unsigned char*>(s.data()) + pos) {}
    std::uint8_t U8() { return *p_++; }
    bool Flag() { return U8() != 0; }
    std::int32_t I32() {
        std::int32_t v = LoadLEInt(p_);
        p_ += 4;
        return v;
    }
    double F64() {
        double v = LoadLEDouble(p_);
        p_ += 8;
        return v;
    }
    PlacementSlot Slot() {
        PlacementSlot p;
        for (auto& v : p) v = I32();
        return p;
    }

private:
    const unsigned char* p_;
};

void EncodeInfoNumbers(Bytes& b, const MapInfoRec& m) {
    for (char c : m.EdgeFlags) b.U8(static_cast<std::uint8_t>(c));
    for (std::uint8_t f : {m.IsProjected, m.NeverProjected, m.IgnoreDatum, m.IgnoreErrors, m.UtmNorth,
                           m.ProjectionValid})
        b.U8(f ? 1 : 0);
    for (std::int32_t v : {m.Category, m.ProjectionCode, m.Units, m.UtmZone, m.Datum, m.Spheroid,
                           m.StatePlaneZone})
        b.I32(v);
    for (const double* d : m.ParamRefs()) b.F64(*d);
    for (double d : m.Affine) b.F64(d);
    for (double d : m.AffineP) b.F64(d);
    b.I32(m.ZUnits);
    b.I32(m.MUnits);
    for (double d : {m.XMax, m.XMin, m.YMax, m.YMin, m.ZMax, m.ZMin, m.MMax, m.MMin}) b.F64(d);
    b.U8(m.CoordinatesValid ? 1 : 0);
    for (double d : {m.ULLon, m.ULLat, m.URLon, m.URLat, m.LLLon, m.LLLat, m.LRLon, m.LRLat}) b.F64(d);
}

// The list bounds of the map window; anything outside is a damaged file.
Result CheckInfoIndexes(const MapInfoRec& m) {
    struct Check {
        const char* name;
        std::int32_t v, lo, hi;
    };
    const Check checks[] = {{"Category", m.Category, 0, 13},  {"ProjectionCode", m.ProjectionCode, 0, 32},
                            {"Units", m.Units, 0, 7},         {"UtmZone", m.UtmZone, 0, 60},
                            {"Datum", m.Datum, 0, 25},        {"Spheroid", m.Spheroid, 0, 30},
                            {"ZUnits", m.ZUnits, 0, 7},       {"MUnits", m.MUnits, 0, 7}};
    for (const Check& c : checks)
        if (c.v < c.lo || c.v > c.hi)
            return Result::Fail(std::string(c.name) + " " + std::to_string(c.v) + " is out of range " +
                                std::to_string(c.lo) + ".." + std::to_string(c.hi));
    return Result::Ok();
}

void DecodeInfoNumbers(Cursor& c, MapInfoRec& m) {
    for (char& e : m.EdgeFlags) e = static_cast<char>(c.U8());
    for (std::uint8_t* f : {&m.IsProjected, &m.NeverProjected, &m.IgnoreDatum, &m.IgnoreErrors, &m.UtmNorth,
                            &m.ProjectionValid})
        *f = c.Flag() ? 1 : 0;
    for (std::int32_t* v : {&m.Category, &m.ProjectionCode, &m.Units, &m.UtmZone, &m.Datum, &m.Spheroid,
                            &m.StatePlaneZone})
        *v = c.I32();
    for (double* d : m.ParamRefs()) *d = c.F64();
    for (double& d : m.Affine) d = c.F64();
    for (double& d : m.AffineP) d = c.F64();
    m.ZUnits = c.I32();
    m.MUnits = c.I32();
    for (double* d : {&m.XMax, &m.XMin, &m.YMax, &m.YMin, &m.ZMax, &m.ZMin, &m.MMax, &m.MMin}) *d = c.F64();
    m.CoordinatesValid = c.Flag() ? 1 : 0;
    for (double* d : {&m.ULLon, &m.ULLat, &m.URLon, &m.URLat, &m.LLLon, &m.LLLat, &m.LRLon, &m.LRLat})
        *d = c.F64();
}

// A value on its own line: line breaks inside it would shift every later
// line, so they become blanks.
std::string Line(std::string s, bool fixed = false) {
    if (fixed && s.size() > kMaxField) s.resize(kMaxField);
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s + "\r\n";
}

std::string Cut(std::string s) {
    if (s.size() > kMaxField) s.resize(kMaxField);
    return s;
}

std::array<std::string*, 8> InfoStrings(MapInfoRec& m) {
    return {&m.Name, &m.Date, &m.Revision, &m.Scale, &m.Quadrangle, &m.ProductType, &m.PreProcessing,
            &m.Resampling};
}

}  // namespace

std::string EncodeLpj(const MapInfoRec& info) {
    Bytes b;
    EncodeInfoNumbers(b, info);
    return std::move(b.str());
}

std::string EncodeLpt(const MapInfoRec& info) {
    MapInfoRec m = info;
    std::string t;
    for (std::string* s : InfoStrings(m)) t += Line(*s, true);
    t += Line(m.MetadataFile, true);
    return t;
}

std::string EncodeZmp(const LayerStore& store, const MapProject& project) {
    const LegendRec& l = project.MapLegend;
    Bytes b;
    b.F64(1.0);
    b.U8(store.BtdLoaded ? 1 : 0);
    b.U8(store.BaseImageLoaded ? 1 : 0);
    b.I32(store.LayerCount);
    b.I32(l.ProjectionIndex);
    for (std::int32_t n : l.LineCounts) b.I32(n);
    for (int e = 0; e < 8; ++e) b.I32(0);  // font slots: fonts are not stored
    for (std::uint8_t f : l.ShowText) b.U8(f ? 1 : 0);
    b.U8(l.ShowText[0] ? 1 : 0);
    for (const PlacementSlot& p : l.TextPlace) b.Slot(p);
    for (std::uint8_t f : l.ShowBitmap) b.U8(f ? 1 : 0);
    for (const PlacementSlot& p : l.BitmapPlace) b.Slot(p);
    b.Slot(l.PaperPlace);
    EncodeInfoNumbers(b, project.MapInfo);
    b.I32(project.SaveMode);
    return std::move(b.str());
}

std::string StoredLayerFolder(const std::string& folder) {
    // A layer opened by a relative name (a script's) is stored by the
    // folder it resolves to, so the project opens from anywhere.
    std::error_code ec;
    const std::filesystem::path p(folder.empty() ? std::string(".") : folder);
    if (p.is_absolute()) return folder;
    std::string abs = std::filesystem::absolute(p, ec).lexically_normal().string();
    if (ec || abs.empty()) return folder;
    if (abs.back() != '/') abs += '/';
    return abs;
}

std::string EncodeZmt(const LayerStore& store, const MapProject& project) {
    const LegendRec& l = project.MapLegend;
    std::string t;
    t += Line(store.BtdLoaded ? store.BtdPath : "not");
    t += Line(store.BtdLoaded ? store.BtdName : "not");
    t += Line(store.BaseImageLoaded ? store.BaseImagePath : "not");
    t += Line(store.BaseImageLoaded ? store.BaseImageName : "not");
    for (std::int32_t k = 0; k < store.LayerCount && k < static_cast<std::int32_t>(store.LayerOrder.size()); ++k) {
        const std::int32_t i = store.LayerOrder[k];
        const ShpLayer& L = store.ShapeLayers[i];
        t += Line(L.ShpName, true);
        t += Line(StoredLayerFolder(L.ShpPath), true);
    }
    t += Line(l.ProjectionName);
    for (int e = 0; e < 8; ++e)
        for (std::int32_t j = 0; j < l.LineCounts[e]; ++j)
            t += Line(static_cast<std::size_t>(j) < l.Lines[e].size() ? l.Lines[e][j] : std::string("."));
    for (const std::string* s : {&l.GridName, &l.NorthArrowFile, &l.LegendFile, &l.LocationFile,
                                 &l.ScaleBarFile, &l.FeatureFile})
        t += Line(*s);
    MapInfoRec m = project.MapInfo;
    for (std::string* s : InfoStrings(m)) t += Line(*s, true);
    t += Line(m.MetadataFile, true);
    return t;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text, start, i - start);
            if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < n) lines.emplace_back(text, start, n - start);
    return lines;
}

Result DecodeLpj(const std::string& bytes, MapInfoRec& out) {
    if (bytes.size() != kLpjSize)
        return Result::Fail("the layer description is " + std::to_string(bytes.size()) + " bytes, not " +
                            std::to_string(kLpjSize));
    MapInfoRec m = out;
    Cursor c(bytes, 0);
    DecodeInfoNumbers(c, m);
    Result r = CheckInfoIndexes(m);
    if (!r) return r;
    out = m;
    return Result::Ok();
}

Result DecodeLpt(const std::string& text, MapInfoRec& inout) {
    std::vector<std::string> lines = SplitLines(text);
    if (lines.size() < 9)
        return Result::Fail("the layer description text has " + std::to_string(lines.size()) +
                            " lines, not 9");
    std::size_t k = 0;
    for (std::string* s : InfoStrings(inout)) *s = Cut(lines[k++]);
    inout.MetadataFile = Cut(lines[k]);
    return Result::Ok();
}

Result DecodeZmp(const std::string& bytes, ProjectImage& out) {
    if (bytes.size() < 8) return Result::Fail("the project file is too short to hold a version");
    Cursor c(bytes, 0);
    out.Version = c.F64();
    if (std::isnan(out.Version) || out.Version >= 2.0)
        return Result::Fail("the project was written by a newer version of ZEMBA (format " +
                            RoundTripNumber(out.Version) + ")");
    if (bytes.size() != kZmpSize)
        return Result::Fail("the project file is " + std::to_string(bytes.size()) + " bytes, not " +
                            std::to_string(kZmpSize));
    out.BtdLoaded = c.Flag();
    out.BaseImageLoaded = c.Flag();
    const std::int32_t n = c.I32();
    if (n < 0) return Result::Fail("the layer count " + std::to_string(n) + " is negative");
    out.LayerCount = n;
    LegendRec& l = out.Legend;
    l.ProjectionIndex = c.I32();
    if (l.ProjectionIndex < 0 || l.ProjectionIndex > 32)
        return Result::Fail("ProjectionIndex " + std::to_string(l.ProjectionIndex) + " is out of range 0..32");
    for (std::int32_t& v : l.LineCounts) {
        v = c.I32();
        if (v < 0) return Result::Fail("a legend line count is negative");
    }
    for (int e = 0; e < 8; ++e) c.I32();
    for (std::uint8_t& f : l.ShowText) f = c.Flag();
    l.ShowText[0] = c.Flag();  // the second copy wins
    for (PlacementSlot& p : l.TextPlace) p = c.Slot();
    for (std::uint8_t& f : l.ShowBitmap) f = c.Flag();
    for (PlacementSlot& p : l.BitmapPlace) p = c.Slot();
    l.PaperPlace = c.Slot();
    DecodeInfoNumbers(c, out.Info);
    Result r = CheckInfoIndexes(out.Info);
    if (!r) return r;
    out.SaveMode = c.I32();
    if (out.SaveMode < 0 || out.SaveMode > 1)
        return Result::Fail("the save mode " + std::to_string(out.SaveMode) + " is out of range 0..1");
    return Result::Ok();
}

Result DecodeZmt(const std::string& text, ProjectImage& img) {
    const std::int64_t n = img.LayerCount;
    std::vector<std::string> lines = SplitLines(text);
    std::int64_t need = 4 + 2 * n + 1 + 6 + 8 + 1;
    for (std::int32_t v : img.Legend.LineCounts) need += v;
    if (static_cast<std::int64_t>(lines.size()) < need)
        return Result::Fail("the project text has " + std::to_string(lines.size()) + " lines where " +
                            std::to_string(need) + " are needed");
    std::size_t k = 0;
    img.BtdPath = lines[k++];
    img.BtdName = lines[k++];
    img.BaseImagePath = lines[k++];
    img.BaseImageName = lines[k++];
    img.Layers.resize(static_cast<std::size_t>(n));
    for (auto& e : img.Layers) {
        e.ShpName = Cut(lines[k++]);
        e.ShpPath = Cut(lines[k++]);
    }
    LegendRec& l = img.Legend;
    l.ProjectionName = lines[k++];
    for (int e = 0; e < 8; ++e) {
        l.Lines[e].assign(lines.begin() + static_cast<std::ptrdiff_t>(k),
                          lines.begin() + static_cast<std::ptrdiff_t>(k + l.LineCounts[e]));
        k += l.LineCounts[e];
    }
    for (std::string* s : {&l.GridName, &l.NorthArrowFile, &l.LegendFile, &l.LocationFile, &l.ScaleBarFile,
                           &l.FeatureFile})
        *s = lines[k++];
    for (std::string* s : InfoStrings(img.Info)) *s = Cut(lines[k++]);
    img.Info.MetadataFile = Cut(lines[k++]);
    return Result::Ok();
}

Result ReadWholeFile(const std::string& path, std::string& out, std::size_t limit) {
    BlockReader in;
    Result r = in.Open(path);
    if (!r) return r;
    if (in.size() > limit) return Result::Fail(path + " is larger than such a file can be");
    std::string bytes(static_cast<std::size_t>(in.size()), '\0');
    if (!bytes.empty() && !in.Read(bytes.data(), bytes.size()))
        return Result::Fail("cannot read " + path + (in.error().empty() ? "" : ": " + in.error()));
    out.swap(bytes);
    return Result::Ok();
}

std::string LayerDescriptionPath(const ShpLayer& layer, const std::string& ext) {
    return ChangeFileExt(layer.ShpPath + layer.ShpName, ext);
}

Result ReadLayerDescription(const std::string& lpjPath, const std::string& lptPath, MapInfoRec& info) {
    std::string bin, text;
    Result r = ReadWholeFile(lpjPath, bin, kLpjSize + 1);
    if (r) r = ReadWholeFile(lptPath, text, 64 * 1024 * 1024);
    MapInfoRec m = info;
    if (r) {
        r = DecodeLpj(bin, m);
        if (!r) r.reason = lpjPath + ": " + r.reason;
    }
    if (r) {
        r = DecodeLpt(text, m);
        if (!r) r.reason = lptPath + ": " + r.reason;
    }
    if (r) info = m;
    return r;
}

Result WriteLayerDescription(const std::string& lpjPath, const std::string& lptPath, const MapInfoRec& info) {
    AtomicFile bin(lpjPath), text(lptPath);
    Result r = bin.Open();
    if (r) r = text.Open();
    if (!r) return r;
    bin.Write(EncodeLpj(info));
    text.Write(EncodeLpt(info));
    return CommitAll({&bin, &text});
}

Result SaveMap(LayerStore& store, MapProject& project, const std::string& file, Progress& progress) {
    if (store.LayerCount <= 0) return Result::Fail("No layers are loaded: there is no map to save.");
    // The project keeps 255 characters of a layer's name and folder: a longer
    // one would be cut and the layer lost at the next load.
    for (std::int32_t k = 0; k < store.LayerCount && k < static_cast<std::int32_t>(store.LayerOrder.size()); ++k) {
        const ShpLayer& L = store.ShapeLayers[store.LayerOrder[k]];
        if (L.ShpPath.size() > 255 || L.ShpName.size() > 255)
            return Result::Fail("The folder or name of the layer " + L.ShpName +
                                " is longer than 255 characters, which a map project cannot hold: " + L.ShpPath);
    }
    AtomicFile bin(file), text(ChangeFileExt(file, ".zmt"));
    Result r = bin.Open();
    if (r) r = text.Open();
    if (!r) return r;
    progress.Pump();
    bin.Write(EncodeZmp(store, project));
    text.Write(EncodeZmt(store, project));
    std::vector<AtomicFile*> all{&bin, &text};
    // With " + Attributes" every layer's style side files belong to the same
    // commit: the project and its styles are saved together or not at all.
    std::vector<std::unique_ptr<AtomicFile>> sides;
    std::vector<std::string> saved;
    if (project.SaveMode == 1) {
        for (std::int32_t k = 0; k < store.LayerCount && k < static_cast<std::int32_t>(store.LayerOrder.size()); ++k) {
            const std::int32_t i = store.LayerOrder[k];
            const ShpLayer& L = store.ShapeLayers[i];
            const std::string path = L.ShpPath + L.ShpName;
            if (std::find(saved.begin(), saved.end(), path) != saved.end()) continue;  // loaded twice
            saved.push_back(path);
            auto att = std::make_unique<AtomicFile>(ChangeFileExt(path, ".att"));
            auto atx = std::make_unique<AtomicFile>(ChangeFileExt(path, ".atx"));
            r = WriteSideFilesTo(store, i, *att, *atx, progress);
            if (!r) return r;
            all.push_back(att.get());
            all.push_back(atx.get());
            sides.push_back(std::move(att));
            sides.push_back(std::move(atx));
        }
    }
    r = CommitAll(all);
    if (!r) return r;
    store.ProjectName = FileNamePart(file);
    store.ProjectPath = DirectoryPart(file);
    project.RecordsFile = file;
    if (!store.BtdLoaded) store.BtdPath = store.BtdName = "not";
    if (!store.BaseImageLoaded) store.BaseImagePath = store.BaseImageName = "not";
    store.MapChanged = true;
    return r;
}

std::string LocateProjectLayer(const std::string& stored, const std::string& projectDir, Prompter& prompter) {
    auto usable = [](const std::string& shp) { return FileExists(shp) && FileExists(CompanionFile(shp, ".dbf")); };
    if (usable(stored)) return stored;
    const std::string name = FileNamePart(stored);
    // A project moved with its layers finds them beside itself.
    const std::string beside = projectDir + name;
    if (usable(beside)) return beside;
    const std::string chosen = prompter.ChooseOpenFile("Where is " + name + "? (not found at " + stored + ")",
                                                       projectDir, "Shape File Maps(*.shp)|*.shp");
    if (!chosen.empty() && usable(chosen)) return chosen;
    return {};
}

Result LoadMap(LayerStore& store, MapProject& project, const std::string& file, Prompter& prompter,
               Progress& progress, const LoadMapHooks& hooks) {
    auto fail = [&](const std::string& path, const std::string& why) {
        Result r = Result::Fail("Map project not loaded: " + path + "\r\n" + why);
        prompter.ShowErrorText(r.reason);
        return r;
    };
    for (const std::string& note : RecoverInterruptedCommits(file)) prompter.ShowWarningText(note);
    const std::string zmt = ChangeFileExt(file, ".zmt");
    std::string bin, text;
    Result r = ReadWholeFile(file, bin, kZmpSize + 1);
    if (!r) return fail(file, r.reason);
    ProjectImage img;
    img.Legend = project.MapLegend;
    img.Info = project.MapInfo;
    r = DecodeZmp(bin, img);
    if (!r) return fail(file, r.reason);
    r = ReadWholeFile(zmt, text, 256 * 1024 * 1024);
    if (!r) return fail(zmt, r.reason);
    r = DecodeZmt(text, img);
    if (!r) return fail(zmt, r.reason);
    progress.Pump();

    store.ProjectName = FileNamePart(file);
    store.ProjectPath = DirectoryPart(file);
    store.BtdPath = img.BtdPath;
    store.BtdName = img.BtdName;
    store.BtdLoaded = false;  // no reader for data files exists
    store.BaseImagePath = img.BaseImagePath;
    store.BaseImageName = img.BaseImageName;
    if (img.BaseImageLoaded) {
        Result b = hooks.LoadBackground ? hooks.LoadBackground(img.BaseImagePath + img.BaseImageName)
                                        : Result::Fail("no background bitmaps here");
        store.BaseImageLoaded = b.ok;
        if (!b) prompter.ShowErrorText("Bitmap not loaded: " + img.BaseImagePath + img.BaseImageName + "\r\n" + b.reason);
    }
    const std::string projectDir = DirectoryPart(file);
    for (const auto& e : img.Layers) {
        const std::string stored = e.ShpPath + e.ShpName;
        std::string found = LocateProjectLayer(stored, projectDir, prompter);
        if (found.empty()) {
            store.LayerFileName = stored;
            prompter.Message(MsgFamily::Error, 20, CompanionFile(stored, ".dbf"));
            continue;
        }
        store.LayerFileName = found;
        if (hooks.SetDataDir) hooks.SetDataDir(DirectoryPart(found));
        if (!hooks.OpenLayer || !hooks.OpenLayer()) prompter.Message(MsgFamily::Error, 19, store.LayerFileName);
    }
    std::array<FontRef, 8> fonts = project.MapLegend.Fonts;
    const std::int32_t grid = project.MapLegend.GridKind;
    const std::string location = project.MapLegend.LocationName;
    project.MapLegend = img.Legend;
    project.MapLegend.Fonts = fonts;
    project.MapLegend.GridKind = grid;
    project.MapLegend.LocationName = location;
    project.MapInfo = img.Info;
    project.SaveMode = img.SaveMode;
    project.RecordsFile = file;
    store.MapChanged = true;
    return Result::Ok();
}

namespace {

bool ParseNumber(const std::string& text, double& v) {
    if (text.empty()) return false;
    char* end = nullptr;
    v = std::strtod(text.c_str(), &end);
    return end && *end == '\0' && std::isfinite(v);
}

}  // namespace

Result SetMapInfoField(MapInfoRec& m, const std::string& key, const std::string& value) {
    static const char* const doubles[33] = {
        "Mode",     "SMajor",  "SMinor",  "Sphere", "FalseEasting", "FalseNorthing", "OriginLat", "StdPr1",
        "StdPr2",   "CentMer", "TrueScale", "CentLon", "CenterLat", "StdPar", "LongPol", "Factor", "Height",
        "ShapeM",   "ShapeN",  "Angle",   "Long1",  "Long2",  "Lat1",   "Lat2",   "AziAng", "AzmthPt",
        "IncAng",   "AscLong", "PSRev",   "LRat",   "PFlag",  "SatNum", "Path"};
    double v = 0;
    const bool number = ParseNumber(value, v);
    auto refs = m.ParamRefs();
    for (int k = 0; k < 33; ++k)
        if (key == doubles[k]) {
            if (!number) return Result::Fail("'" + value + "' is not a valid floating point value");
            *refs[k] = v;
            return Result::Ok();
        }
    struct IntField {
        const char* name;
        std::int32_t* field;
    } ints[] = {{"Category", &m.Category}, {"ProjectionCode", &m.ProjectionCode}, {"Units", &m.Units},
                {"UtmZone", &m.UtmZone},   {"Datum", &m.Datum},                   {"Spheroid", &m.Spheroid},
                {"StatePlaneZone", &m.StatePlaneZone}, {"ZUnits", &m.ZUnits},     {"MUnits", &m.MUnits}};
    for (const IntField& f : ints)
        if (key == f.name) {
            if (!number || v != std::floor(v) || std::fabs(v) > 2147483647.0)
                return Result::Fail("'" + value + "' is not a valid integer value");
            *f.field = static_cast<std::int32_t>(v);
            return CheckInfoIndexes(m);
        }
    struct FlagField {
        const char* name;
        std::uint8_t* field;
    } flags[] = {{"UtmNorth", &m.UtmNorth}, {"IgnoreDatum", &m.IgnoreDatum}, {"IgnoreErrors", &m.IgnoreErrors},
                 {"NeverProjected", &m.NeverProjected}};
    for (const FlagField& f : flags)
        if (key == f.name) {
            if (!number || (v != 0 && v != 1)) return Result::Fail(key + " must be 0 or 1");
            *f.field = static_cast<std::uint8_t>(v);
            return Result::Ok();
        }
    return Result::Fail("unknown field \"" + key + "\"");
}

Result ParseMapInfo(const std::string& text, MapInfoRec& info) {
    MapInfoRec m = info;
    bool datum = false, spheroid = false;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t comma = text.find(',', pos);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = text.substr(pos, comma - pos);
        pos = comma + 1;
        if (item.empty()) continue;
        const std::size_t eq = item.find('=');
        if (eq == std::string::npos) return Result::Fail("\"" + item + "\" is not KEY=VALUE");
        const std::string key = item.substr(0, eq);
        Result r = SetMapInfoField(m, key, item.substr(eq + 1));
        if (!r) return Result::Fail(key + ": " + r.reason);
        datum = datum || key == "Datum";
        spheroid = spheroid || key == "Spheroid";
    }
    if (datum && !spheroid) {
        const int s = DatumSpheroid(m.Datum);
        if (s >= 0) m.Spheroid = s;
    }
    info = m;
    return Result::Ok();
}

}  // namespace zemba
