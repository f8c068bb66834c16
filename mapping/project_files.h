// Map projects (.zmp binary + .zmt text) and layer descriptions (.lpj binary
// + .lpt text): the records, their byte-exact layouts, loading and saving.
// No Qt: the map window and the command-line faces call the same code.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

// Sets a description's field by its name ("ProjectionCode", "StdPr1", ...)
// from text; numbers in the C locale. Fails on an unknown name or a bad value.
Result SetMapInfoField(struct MapInfoRec& info, const std::string& key, const std::string& value);
// "KEY=VALUE,KEY=VALUE" onto a blank description. A Datum without a
// Spheroid takes the datum's own spheroid.
Result ParseMapInfo(const std::string& text, struct MapInfoRec& info);

// The map window's lists, by index.
extern const char* const kCategoryNames[14];

// A map's or a layer's description and coordinate system. Strings keep at
// most 255 characters, as the files do.
struct MapInfoRec {
    std::string Name, Date, Revision, Scale, Quadrangle, ProductType, PreProcessing, Resampling;
    std::array<char, 12> EdgeFlags{};
    std::uint8_t IsProjected = 0, NeverProjected = 0, IgnoreDatum = 0, IgnoreErrors = 0, UtmNorth = 0,
                 ProjectionValid = 0;
    std::int32_t Category = 0, ProjectionCode = 0, Units = 0, UtmZone = 0, Datum = 0, Spheroid = 0,
                 StatePlaneZone = 0;
    double Mode = 0, SMajor = 0, SMinor = 0, Sphere = 0, FalseEasting = 0, FalseNorthing = 0,
           OriginLat = 0, StdPr1 = 0, StdPr2 = 0, CentMer = 0, TrueScale = 0, CentLon = 0,
           CenterLat = 0, StdPar = 0, LongPol = 0, Factor = 0, Height = 0, ShapeM = 0, ShapeN = 0,
           Angle = 0, Long1 = 0, Long2 = 0, Lat1 = 0, Lat2 = 0, AziAng = 0, AzmthPt = 0, IncAng = 0,
           AscLong = 0, PSRev = 0, LRat = 0, PFlag = 0, SatNum = 0, Path = 0;
    std::array<double, 15> Affine{};
    std::array<double, 4> AffineP{};
    std::int32_t ZUnits = 0, MUnits = 0;
    double XMax = 0, XMin = 0, YMax = 0, YMin = 0, ZMax = 0, ZMin = 0, MMax = 0, MMin = 0;
    std::uint8_t CoordinatesValid = 0;
    double ULLon = 0, ULLat = 0, URLon = 0, URLat = 0, LLLon = 0, LLLat = 0, LRLon = 0, LRLat = 0;
    std::string MetadataFile;

    // The 33 doubles Mode .. Path in record order.
    std::array<double*, 33> ParamRefs();
    std::array<const double*, 33> ParamRefs() const;
};

// Screen mock-up rectangle (left, top, width, height) then paper rectangle.
using PlacementSlot = std::array<std::int32_t, 8>;

struct LegendRec {
    std::string ProjectionName;
    std::int32_t ProjectionIndex = 0;
    std::int32_t GridKind = 0;
    std::array<std::int32_t, 8> LineCounts{};
    std::array<FontRef, 8> Fonts;
    std::array<std::vector<std::string>, 8> Lines;
    std::array<std::uint8_t, 8> ShowText{};
    std::array<PlacementSlot, 8> TextPlace{};
    std::string LocationName;
    std::string GridName;
    std::string NorthArrowFile, LegendFile, LocationFile, ScaleBarFile, FeatureFile;
    std::array<std::uint8_t, 6> ShowBitmap{};
    PlacementSlot PaperPlace{};
    std::array<PlacementSlot, 6> BitmapPlace{};
};

// The project records of the process: the map's and the last layer's
// descriptions, the legend and the window's "Save" choice.
struct MapProject {
    MapInfoRec MapInfo = BlankMapInfo();
    MapInfoRec LayerInfo = BlankMapInfo();
    LegendRec MapLegend = BlankLegend();
    // 0 "Layers order", 1 " + Attributes": a new project keeps its styles.
    std::int32_t SaveMode = 1;
    // The project file these records were loaded from or saved to; empty
    // while they are the blank project's (edited or not).
    std::string RecordsFile;
    // The font blank legends share (the map window's path label font).
    static FontRef LegendFont();

    static MapInfoRec BlankMapInfo();
    static LegendRec BlankLegend();
};

constexpr std::size_t kZmpSize = 1180;
constexpr std::size_t kLpjSize = 599;
constexpr std::size_t kMaxField = 255;

// InitializeBlankMapLegend: MapLegend and MapInfo to the blank project.
void InitializeBlankMapLegend(MapProject& project);
// Every record back to the blank project: Clear All, or a new project
// started while the records still belong to another one.
void ResetProjectRecords(MapProject& project);
// FillLayerBlankProjection: LayerInfo blank, the legend's projection "0: Geo".
void FillLayerBlankProjection(MapProject& project);

// Byte images of the files (what SaveMap writes), for tests and tools.
std::string EncodeZmp(const LayerStore& store, const MapProject& project);
std::string EncodeZmt(const LayerStore& store, const MapProject& project);
std::string EncodeLpj(const MapInfoRec& info);
std::string EncodeLpt(const MapInfoRec& info);

// What a project pair holds, decoded and checked but not yet applied.
struct ProjectImage {
    double Version = 1.0;
    bool BtdLoaded = false, BaseImageLoaded = false;
    std::string BtdPath, BtdName, BaseImagePath, BaseImageName;
    struct LayerEntry {
        std::string ShpName, ShpPath;
    };
    std::int32_t LayerCount = 0;  // from the binary file
    std::vector<LayerEntry> Layers;
    LegendRec Legend;
    MapInfoRec Info;
    std::int32_t SaveMode = 0;
};

// Decoders: every count and index is checked; the reason names what is wrong.
Result DecodeZmp(const std::string& bytes, ProjectImage& out);
Result DecodeZmt(const std::string& text, ProjectImage& inout);  // after DecodeZmp
Result DecodeLpj(const std::string& bytes, MapInfoRec& out);
Result DecodeLpt(const std::string& text, MapInfoRec& inout);  // after DecodeLpj

// Lines of a text file ended by CR LF, LF or CR.
std::vector<std::string> SplitLines(const std::string& text);

// Reads a whole file (at most `limit` bytes; larger files fail).
Result ReadWholeFile(const std::string& path, std::string& out, std::size_t limit);

// The .lpj/.lpt pair of a layer: its shapefile's name with those extensions.
std::string LayerDescriptionPath(const ShpLayer& layer, const std::string& ext);
// Reads both files into `info`; a damaged pair leaves `info` unchanged.
Result ReadLayerDescription(const std::string& lpjPath, const std::string& lptPath, MapInfoRec& info);
Result WriteLayerDescription(const std::string& lpjPath, const std::string& lptPath,
                             const MapInfoRec& info);

// SaveMap: writes the project pair for the loaded layers (nothing with no
// layers). Save mode 1 also writes each layer's side files beside its own
// shapefile, where the reader looks for them.
Result SaveMap(LayerStore& store, MapProject& project, const std::string& file, Progress& progress);

// The folder line of a layer in the .zmt: a relative folder resolved.
std::string StoredLayerFolder(const std::string& folder);
// Where a project's layer is: its stored place, else beside the project
// (same file name), else where the user says; empty when none of them
// holds the shapefile and its .dbf.
std::string LocateProjectLayer(const std::string& stored, const std::string& projectDir, Prompter& prompter);

// What LoadMap needs of the program around it.
struct LoadMapHooks {
    // Opens store.LayerFileName as a new layer (the main window's NewLayer).
    std::function<bool()> OpenLayer;
    // Loads the background bitmap.
    std::function<Result(const std::string&)> LoadBackground;
    // Remembers the starting directory for data files.
    std::function<void(const std::string&)> SetDataDir;
};

// LoadMap: reads and checks both files, then reopens the layers in their
// saved drawing order and restores the records. A damaged pair or a newer
// version is reported and changes nothing. Projecting the layers for display
// is the caller's next step (unless MapInfo.NeverProjected).
Result LoadMap(LayerStore& store, MapProject& project, const std::string& file, Prompter& prompter,
               Progress& progress, const LoadMapHooks& hooks);

}  // namespace zemba
