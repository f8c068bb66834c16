// Projection blocks, the calls into GCTP (the USGS projection package) and
// the operations over the layer store: projecting the map for display,
// converting a layer back to geographic degrees, DMS to DD. No Qt.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/layer_store.h"
#include "core/ui.h"
#include "mapping/project_files.h"

namespace zemba {

// The map window's lists.
constexpr int kProjectionCount = 33;
extern const char* const kProjectionNames[kProjectionCount];
constexpr int kUnitCount = 8;
extern const char* const kUnitNames[kUnitCount];
constexpr int kSpheroidCount = 31;
extern const char* const kSpheroidNames[kSpheroidCount];
// "01: 180W - 174 W" .. "60: 174E - 180W" for zone 1..60.
std::string UtmZoneName(int zone);

// 23 slots: 0..14 the package's parameters, 15 projection code, 16 unit,
// 17 UTM zone (negative south), 18 datum, 19 spheroid, 20 state plane zone.
using ProjectionBlock = std::array<double, 23>;
enum BlockSlot { kSlotCode = 15, kSlotUnit = 16, kSlotZone = 17, kSlotDatum = 18, kSlotSpheroid = 19, kSlotSpZone = 20 };

// A block from a description; the parameter slots by projection code.
// Mode below 0.5 selects a projection's first form and goes to the package
// as 0, otherwise as 1.
ProjectionBlock BuildBlock(const MapInfoRec& info);
// Geographic degrees on NAD27: how layers are kept on disk.
ProjectionBlock GeographicNad27Block();
// A geographic description (degrees, NAD27, Clarke 1866) for a layer.
void SetGeographicNad27(MapInfoRec& info);
bool SameSystem(const ProjectionBlock& a, const ProjectionBlock& b);
bool IsGeographic(const ProjectionBlock& b);
std::vector<double> ToVector(const ProjectionBlock& b);
// A layer's current system (geographic NAD27 when it has none recorded).
ProjectionBlock LayerSystem(const ShpLayer& layer);

// The unit a block's coordinates are in: slot 16, except unit 6 ("State
// Plane") on a state plane system, which is U.S. feet on NAD27 (spheroid 0)
// and the state's legal unit on NAD83 (spheroid 8). Fails with the reason.
Result ResolveUnit(const ProjectionBlock& b, long& unit);
// The state's NAD83 legal unit for a zone (1, 2 or 5); 0 for no such zone.
long StatePlaneNad83Unit(long zone);

// Why the package cannot be given a system: a projection code without a
// transformation, a zone or spheroid out of range, a zero or negative scale,
// a latitude past a pole, a satellite path that does not exist. Ok when
// none of these holds.
Result CheckSystem(const ProjectionBlock& b);

// How far from the central meridian transverse Mercator systems are
// trusted: the package's series drift quickly beyond (10 cm at 9 degrees in
// a UTM zone, metres past 15).
constexpr double kUtmReachDegrees = 9;
constexpr double kTmReachDegrees = 15;

// "DDDMMMSSS.SS" packed angle to decimal degrees.
double DmsToDd(double packed);
// Decimal degrees to the packed form (for tools and tests).
double DdToDms(double degrees);

// Reports of the projection package and of the conversions, one line each.
using ReportFn = std::function<void(const std::string&)>;

struct TransformOptions {
    bool DatumStep = true;     // unless "Set to Ignore Datum"
    bool IgnoreErrors = false;  // "Ignore Errors during Map Project"
    // Where nad27sp and nad83sp are; empty: the program's own directory.
    std::string StatePlaneDir;
};

// The program's own directory, with a trailing '/'.
std::string ProgramDirectory();

// One point conversion from a source system to a target system. The
// package keeps its projection constants in process-wide variables, so only
// one Transformer may be in use at a time.
class Transformer {
public:
    // Initialises the package for both systems. A failure names the reason;
    // the package's own report lines go to `report`.
    Result Init(const ProjectionBlock& in, const ProjectionBlock& out, const TransformOptions& options,
                const ReportFn& report);
    // Nothing to do: both systems are the same.
    bool Identity() const { return identity_; }
    // Converts (x, y) in place; false (and the point unchanged) when the
    // package or the datum step fails for it.
    bool Convert(double& x, double& y) const;
    // Hands the package's reports gathered since the last call to `report`.
    void FlushReports(const ReportFn& report) const;

private:
    using PointFn = long (*)(double, double, double*, double*);
    // Where a transverse Mercator system is trusted (radians and metres).
    struct Reach {
        bool on = false;
        double cm = 0, limit = 0;  // central meridian and the distance from it
        double a = 0, es = 0, k0 = 1, fn = 0, m0 = 0;  // for the northing of the poles
        bool Within(double lon) const;
        bool NorthingWithin(double y) const;
    };
    Result SetReach(const ProjectionBlock& b, const std::string& statePlaneDir, Reach& r) const;
    Reach srcReach_, dstReach_;
    bool oea_ = false;  // the forward call swaps its false easting and northing
    double oeaFe_ = 0, oeaFn_ = 0;
    bool identity_ = false;
    bool srcGeo_ = true, dstGeo_ = true;
    bool datum_ = false;
    int srcDatum_ = 13, dstDatum_ = 13;
    double srcFactor_ = 1, dstFactor_ = 1;  // source unit -> metres/radians; metres/radians -> target unit
    bool scaleSrc_ = false;
    PointFn inv_ = nullptr, fwd_ = nullptr;
};

struct ConvertOutcome {
    Result result;
    long long points = 0;    // points converted
    long long failures = 0;  // points skipped under "Ignore Errors"
};

// Converts every shape of a layer from `from` to `to` (points by their
// position, other shapes by every vertex), brings every shape box and the
// layer box and shifts up to date and records the layer's new system. With
// ignoreErrors clear the first failed point stops it and nothing changes.
ConvertOutcome TransformLayer(ShpLayer& layer, const ProjectionBlock& from, const ProjectionBlock& to,
                              const TransformOptions& options, Progress& progress, const ReportFn& report);

// Projecting the map (SetMapProjection): every layer, in drawing order, from
// its own current system into `target`; all or nothing. Records the target
// as the map's system. Layers already in the target are left alone.
ConvertOutcome ProjectMap(LayerStore& store, const ProjectionBlock& target, const TransformOptions& options,
                          Progress& progress, const ReportFn& report);

// "Project": the target is the map description's system (also what LoadMap
// does unless NeverProjected). Sets the legend's projection caption and
// "Is Projected" on success.
ConvertOutcome ProjectToMapInfo(LayerStore& store, MapProject& project, Progress& progress,
                                const ReportFn& report, const std::string& statePlaneDir = {});

// Brings a layer just opened into a projected map into the map's system.
ConvertOutcome ProjectNewLayer(LayerStore& store, std::int32_t i, Progress& progress, const ReportFn& report);

// "Convert": layer i from the system its description states (`info`, the
// layer's .lpj) to geographic degrees on NAD27, written back to its
// shapefile through a temporary file, with its .lpj/.lpt rewritten as
// geographic and a .prj beside it. Nothing is written on failure.
ConvertOutcome ConvertLayerToGeographic(LayerStore& store, std::int32_t i, const MapInfoRec& info,
                                        const TransformOptions& options, Progress& progress,
                                        const ReportFn& report);

// Writes layer i to `path` in geographic degrees on NAD27 whatever system
// it is shown in (a converted copy is written; the layer is left as it is).
Result WriteLayerGeographic(const LayerStore& store, std::int32_t i, const std::string& path,
                            Progress& progress);

// The shape and layer boxes of a layer recomputed from its coordinates.
void RecomputeBoxes(ShpLayer& layer);

}  // namespace zemba

namespace zemba {
// Semi-major and semi-minor axes of a spheroid code, from the package's table.
void SpheroidAxes(int code, double& a, double& b);
}  // namespace zemba
