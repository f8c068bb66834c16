#include "mapping/projection.h"

#include "core/layer_save.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/attributes.h"
#include "core/file_io.h"
#include "core/shp_writer.h"
#include "mapping/datum.h"
#include "mapping/prj_files.h"
#include "mapping/state_plane.h"

// The package's header declares C functions without C linkage of its own.
extern "C" {
#include <gctp/proj.h>
}

namespace zemba {

const char* const kProjectionNames[kProjectionCount] = {
    "0: Geo",      "1: UTM",     "2: SPCS",   "3: Albers", "4: LamCC", "5: Mercat", "6: PS",
    "7: PolyC",    "8: Equidistant Conic",    "9: TM",     "10: Stereo", "11: Lamaz", "12: Azmeqd",
    "13: Gnomon",  "14: Ortho",  "15: Gunsp", "16: Snsoid", "17: Eqrect", "18: Miller", "19: Ugrint",
    "20: HOM",     "21: Robin",  "22: SOM",   "23: Alaska", "24: Good", "25: Moll",  "26: Imoll",
    "27: Hammer",  "28: Wag IV", "29: Wag VII", "30: Obleqa", "31: Unknown", "32: User Defined"};

const char* const kUnitNames[kUnitCount] = {"0: Radians",          "1: U.S. Feet",       "2: Meters",
                                            "3: Seconds of arc",   "4: D Degrees of arc", "5: International feet",
                                            "6: State Plane",      "-1: Unknown"};

const char* const kSpheroidNames[kSpheroidCount] = {
    "0: Clarke 1866 (default)", "1: Clarke 1880", "2: Bessel", "3: International 1967",
    "4: International 1909", "5: WGS 72", "6: Everest", "7: WGS 66", "8: GRS 1980", "9: Airy",
    "10: Modified Everest", "11: Modified Airy", "12: WGS 84", "13: Southeast Asia",
    "14: Australian National", "15: Krassovsky", "16: Hough", "17: Mercury 1960",
    "18: Modified Mercury 1968", "19: Sphere of Radius 6370997 meters", "20: Bessel 1841(Namibia)",
    "21: Everest (Sabah & Sarawak)", "22: Everest (India 1956)", "23: Everest (Malaysia 1969)",
    "24: Everest (Malay & Singapr 1948)", "25: Everest (Pakistan)", "26: Hayford", "27: Helmert 1906",
    "28: Indonesian 1974", "29: South American 1969", "30: WGS 60"};

std::string UtmZoneName(int zone) {
    if (zone == 1) return "01: 180W - 174 W";
    if (zone == 60) return "60: 174E - 180W";
    auto side = [](int lon) {
        return std::to_string(std::abs(lon)) + (lon < 0 ? "W" : lon > 0 ? "E" : "");
    };
    const int west = -180 + 6 * (zone - 1);
    char num[8];
    std::snprintf(num, sizeof num, "%02d: ", zone);
    return num + side(west) + " - " + side(west + 6);
}

ProjectionBlock BuildBlock(const MapInfoRec& m) {
    ProjectionBlock b{};
    const int code = m.ProjectionCode;
    b[kSlotCode] = code;
    b[kSlotUnit] = m.Units;
    b[kSlotDatum] = m.Datum;
    b[kSlotSpheroid] = m.Spheroid;
    // The zones mean something to UTM and state plane only; elsewhere they
    // would make equal systems compare different.
    if (code == 1) b[kSlotZone] = m.UtmNorth ? m.UtmZone : -m.UtmZone;
    if (code == 2) b[kSlotSpZone] = m.StatePlaneZone;
    const double mode = m.Mode < 0.5 ? 0.0 : 1.0;
    const double fe = m.FalseEasting, fn = m.FalseNorthing;
    auto set = [&b](std::initializer_list<std::pair<int, double>> v) {
        for (const auto& p : v) b[p.first] = p.second;
    };
    switch (code) {
        case 3:
        case 4:
            set({{0, m.SMajor}, {1, m.SMinor}, {2, m.StdPr1}, {3, m.StdPr2}, {4, m.CentMer}, {5, m.OriginLat}, {6, fe}, {7, fn}});
            break;
        case 5: set({{0, m.SMajor}, {1, m.SMinor}, {4, m.CentMer}, {5, m.TrueScale}, {6, fe}, {7, fn}}); break;
        case 6: set({{0, m.SMajor}, {1, m.SMinor}, {4, m.LongPol}, {5, m.TrueScale}, {6, fe}, {7, fn}}); break;
        case 7: set({{0, m.SMajor}, {1, m.SMinor}, {4, m.CentMer}, {5, m.OriginLat}, {6, fe}, {7, fn}}); break;
        case 8:
            set({{0, m.SMajor}, {1, m.SMinor}, {4, m.CentMer}, {5, m.OriginLat}, {6, fe}, {7, fn}, {8, mode}});
            if (mode == 0)
                b[2] = m.StdPar;
            else
                set({{2, m.StdPr1}, {3, m.StdPr2}});
            break;
        case 9: set({{0, m.SMajor}, {1, m.SMinor}, {2, m.Factor}, {4, m.CentMer}, {5, m.OriginLat}, {6, fe}, {7, fn}}); break;
        case 10: set({{0, m.SMajor}, {4, m.CentLon}, {5, m.OriginLat}, {6, fe}, {7, fn}}); break;
        case 11:
        case 12:
        case 13:
        case 14: set({{0, m.Sphere}, {4, m.CentLon}, {5, m.CenterLat}, {6, fe}, {7, fn}}); break;
        case 15: set({{0, m.Sphere}, {2, m.Height}, {4, m.CentLon}, {5, m.CenterLat}, {6, fe}, {7, fn}}); break;
        case 16:
        case 18: set({{0, m.Sphere}, {4, m.CentMer}, {6, fe}, {7, fn}}); break;
        case 17: set({{0, m.Sphere}, {4, m.CentMer}, {5, m.TrueScale}, {6, fe}, {7, fn}}); break;
        case 19: set({{0, m.Sphere}, {4, m.CentMer}, {5, m.OriginLat}, {6, fe}, {7, fn}}); break;
        case 20:
            set({{0, m.SMajor}, {1, m.SMinor}, {2, m.Factor}, {3, m.AziAng}, {4, m.AzmthPt}, {5, m.OriginLat},
                 {6, fe}, {7, fn}, {12, mode}});
            if (mode == 0) set({{8, m.Long1}, {9, m.Lat1}, {10, m.Long2}, {11, m.Lat2}});
            break;
        case 21: set({{0, m.SMajor}, {4, m.CentMer}, {6, fe}, {7, fn}}); break;
        case 22:
            if (mode == 0)
                set({{0, m.SMajor}, {1, m.SMinor}, {3, m.IncAng}, {4, m.AscLong}, {6, fe}, {7, fn},
                     {8, m.PSRev}, {9, m.LRat}, {10, m.PFlag}, {12, mode}});
            else
                set({{0, m.SMajor}, {1, m.SMinor}, {2, m.SatNum}, {3, m.Path}, {6, fe}, {7, fn}, {12, mode}});
            break;
        case 23: set({{0, m.SMajor}, {1, m.SMinor}, {6, fe}, {7, fn}}); break;
        case 24:
        case 26: b[0] = m.Sphere; break;
        case 25:
        case 27:
        case 28:
        case 29: set({{0, m.Sphere}, {4, m.CentMer}, {6, fe}, {7, fn}}); break;
        case 30:
            set({{0, m.Sphere}, {2, m.ShapeM}, {3, m.ShapeN}, {4, m.CentLon}, {5, m.CenterLat}, {6, fe},
                 {7, fn}, {8, m.Angle}});
            break;
        default: break;
    }
    return b;
}

ProjectionBlock GeographicNad27Block() {
    ProjectionBlock b{};
    b[kSlotUnit] = 4;
    b[kSlotDatum] = kDatumNad27;
    return b;
}

void SetGeographicNad27(MapInfoRec& info) {
    info.ProjectionCode = 0;
    info.Units = 4;
    info.Datum = kDatumNad27;
    info.Spheroid = 0;
    info.IsProjected = 0;
    info.ProjectionValid = 1;
}

bool SameSystem(const ProjectionBlock& a, const ProjectionBlock& b) {
    for (int k = 0; k <= 21; ++k)
        if (a[k] != b[k]) return false;
    return true;
}

bool IsGeographic(const ProjectionBlock& b) { return b[kSlotCode] == 0; }

std::vector<double> ToVector(const ProjectionBlock& b) { return std::vector<double>(b.begin(), b.end()); }

ProjectionBlock LayerSystem(const ShpLayer& layer) {
    if (layer.CoordSystem.size() != 23) return GeographicNad27Block();
    ProjectionBlock b;
    std::copy(layer.CoordSystem.begin(), layer.CoordSystem.end(), b.begin());
    return b;
}

namespace {

// The legal unit of each state's NAD83 zones (1 U.S. feet, 2 metres,
// 5 international feet), by state number - 1; zero where no state is.
const long kNad83Units[134] = {1, 5, 1, 1, 5, 1, 1, 1, 1, 2, 1, 1, 1, 2, 1, 1, 2, 2,
                               1, 1, 5, 2, 1, 2, 5, 1, 2, 2, 2, 1, 1, 1, 5, 2, 1, 5,
                               2, 2, 5, 2, 1, 1, 5, 2, 2, 1, 2, 1, 2, 2, 1, 2, 2, 2};

}  // namespace

long StatePlaneNad83Unit(long zone) {
    const long index = std::lround(std::nearbyint(zone / 100.0)) - 1;
    if (index < 0 || index >= 134) return 0;
    return kNad83Units[index];
}

Result ResolveUnit(const ProjectionBlock& b, long& unit) {
    const double u = b[kSlotUnit];
    if (u == 6) {
        if (b[kSlotCode] != 2) return Result::Fail("The unit \"6: State Plane\" applies to state plane coordinates only");
        const double sph = b[kSlotSpheroid];
        if (sph == 0) {
            unit = 1;
        } else if (sph == 8) {
            unit = StatePlaneNad83Unit(static_cast<long>(b[kSlotSpZone]));
            if (unit == 0) return Result::Fail("Illegal zone number " + std::to_string(static_cast<long>(b[kSlotSpZone])));
        } else {
            return Result::Fail("State plane units need spheroid 0 (NAD27) or 8 (NAD83)");
        }
        return Result::Ok();
    }
    if (!(u >= 0 && u <= 5)) return Result::Fail("Illegal unit code " + std::to_string(static_cast<long>(u)));
    unit = static_cast<long>(u);
    return Result::Ok();
}

double DmsToDd(double packed) {
    const double s = packed < 0 ? -1.0 : 1.0;
    const double v = std::fabs(packed);
    const double d = std::floor(v / 1000000.0);
    const double m = std::floor((v - d * 1000000.0) / 1000.0);
    const double sec = v - d * 1000000.0 - m * 1000.0;
    return s * (d + m / 60.0 + sec / 3600.0);
}

double DdToDms(double degrees) {
    const double s = degrees < 0 ? -1.0 : 1.0;
    double v = std::fabs(degrees);
    double d = std::floor(v);
    double m = std::floor((v - d) * 60.0);
    double sec = ((v - d) * 60.0 - m) * 60.0;
    return s * (d * 1000000.0 + m * 1000.0 + sec);
}

Result CheckSystem(const ProjectionBlock& b) {
    const double code = b[kSlotCode];
    if (!(code >= 0 && code <= 30) || code != std::floor(code))
        return Result::Fail("projection \"" +
                            std::string(code >= 0 && code < kProjectionCount ? kProjectionNames[static_cast<int>(code)] : "?") +
                            "\" has no transformation");
    if (code == 1) {
        const double z = std::fabs(b[kSlotZone]);
        if (z < 1 || z > 60) return Result::Fail("UTM zone must be 1..60: Illegal zone number");
    }
    const double sph = b[kSlotSpheroid];
    if (!(sph >= 0 && sph <= 30)) return Result::Fail("spheroid code out of range");
    for (int k = 0; k < 15; ++k)
        if (!std::isfinite(b[k])) return Result::Fail("a parameter is not a number");

    const int c = static_cast<int>(code);
    const double mode = b[c == 8 ? 8 : 12];
    std::string why;
    // A latitude past a pole (strict: a scale true at a pole collapses the map).
    auto latitude = [&](int slot, const char* name, bool poleAllowed = true) {
        if (!why.empty()) return;
        const double d = std::fabs(DmsToDd(b[slot]));
        if (d > 90 || (!poleAllowed && d >= 90)) why = std::string(name) + " must lie " + (poleAllowed ? "within" : "inside") + " -90..90 degrees";
    };
    auto positive = [&](int slot, const char* name, double upTo = 0) {
        if (!why.empty()) return;
        if (!(b[slot] > 0) || (upTo > 0 && b[slot] > upTo))
            why = std::string(name) + (upTo > 0 ? " must be above 0 and at most " + std::to_string(static_cast<int>(upTo)) : " must be above 0");
    };
    switch (c) {
        case 3:
        case 4:
            latitude(2, "the first standard parallel");
            latitude(3, "the second standard parallel");
            latitude(5, "the latitude of origin");
            break;
        case 5: latitude(5, "the latitude of true scale", false); break;
        case 6: latitude(5, "the latitude of true scale"); break;
        case 7:
        case 10:
        case 19: latitude(5, "the latitude of origin"); break;
        case 8:
            if (mode == 0) latitude(2, "the standard parallel");
            else {
                latitude(2, "the first standard parallel");
                latitude(3, "the second standard parallel");
            }
            latitude(5, "the latitude of origin");
            break;
        case 9:
            positive(2, "the scale factor", 2);
            latitude(5, "the latitude of origin");
            break;
        case 11:
        case 12:
        case 13:
        case 14: latitude(5, "the latitude of the centre"); break;
        case 15:
            positive(2, "the height of the perspective point");
            latitude(5, "the latitude of the centre");
            break;
        case 17: latitude(5, "the latitude of true scale", false); break;
        case 20:
            positive(2, "the scale factor", 2);
            latitude(5, "the latitude of origin");
            if (mode == 0) {
                latitude(9, "the latitude of the first point");
                latitude(11, "the latitude of the second point");
            }
            break;
        case 22:
            if (mode == 0) {
                positive(8, "the satellite's period of revolution");
            } else {
                const double sat = b[2], path = b[3];
                if (sat != std::floor(sat) || sat < 1 || sat > 5)
                    why = "the Landsat satellite number must be 1..5";
                else if (path != std::floor(path) || path < 1 || path > (sat <= 3 ? 251 : 233))
                    why = "the Landsat path must be 1.." + std::to_string(sat <= 3 ? 251 : 233) + " for satellite " +
                          std::to_string(static_cast<int>(sat));
            }
            break;
        case 30:
            positive(2, "the oval's shape m");
            positive(3, "the oval's shape n");
            latitude(5, "the latitude of the centre");
            break;
        default: break;
    }
    if (!why.empty()) return Result::Fail("projection \"" + std::string(kProjectionNames[c]) + "\": " + why);
    return Result::Ok();
}

std::string ProgramDirectory() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    return DirectoryPart(std::string(buf, static_cast<std::size_t>(n)));
}

// ---------------------------------------------------------------------------
// The package's reports: it writes them to files named at its init(); the
// names must be short (it copies them into fixed buffers).

namespace {

class GctpReports {
public:
    static GctpReports& Get() {
        static GctpReports r;
        return r;
    }
    void Begin() {
        Truncate();
        init(1, 1, err_.data(), parm_.data());
    }
    void Flush(const ReportFn& report) {
        Drain(parm_, report, false);
        Drain(err_, report, true);
    }

private:
    GctpReports() : err_(Make("/tmp/zgcteXXXXXX")), parm_(Make("/tmp/zgctpXXXXXX")) {}
    ~GctpReports() {

        ::unlink(err_.data());
        ::unlink(parm_.data());
    }
    static std::vector<char> Make(const char* pattern) {
        // Private to this run: nobody else reads the package's reports.
        std::string s = CreateScratchFile(pattern);
        if (s.empty()) s = pattern;
        std::vector<char> name(s.begin(), s.end());
        name.push_back('\0');
        return name;
    }
    void Truncate() {
        for (auto* f : {&err_, &parm_})
            if (std::FILE* fp = std::fopen(f->data(), "w")) std::fclose(fp);
    }
    static void Drain(std::vector<char>& file, const ReportFn& report, bool errors) {
        std::string text;
        if (std::FILE* fp = std::fopen(file.data(), "r")) {
            char buf[4096];
            std::size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0 && text.size() < (1u << 20)) text.append(buf, n);
            std::fclose(fp);
        }
        if (std::FILE* fp = std::fopen(file.data(), "w")) std::fclose(fp);
        if (!report) return;
        int shown = 0;
        for (const std::string& line : SplitLines(text)) {
            if (line.find_first_not_of(' ') == std::string::npos) continue;
            if (++shown > 200) {
                report("...");
                break;
            }
            // "[routine] message" becomes the routine's line and the message's.
            if (errors && line.size() > 2 && line[0] == '[') {
                std::size_t close = line.find(']');
                if (close != std::string::npos) {
                    report(line.substr(1, close - 1));
                    std::size_t start = line.find_first_not_of(' ', close + 1);
                    report(start == std::string::npos ? std::string() : line.substr(start));
                    continue;
                }
            }
            report(line);
        }
    }
    std::vector<char> err_, parm_;
};

// The package's per-point functions are declared without parameters.
using AnyFn = long (*)();
template <typename Fn>
Fn PointFunction(AnyFn f) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(f));
}

std::string LastPackageError(const std::vector<std::string>& lines) {
    return lines.empty() ? std::string() : lines.back();
}

}  // namespace

void Transformer::FlushReports(const ReportFn& report) const { GctpReports::Get().Flush(report); }

Result Transformer::Init(const ProjectionBlock& in, const ProjectionBlock& out, const TransformOptions& options,
                         const ReportFn& report) {
    identity_ = SameSystem(in, out);
    inv_ = fwd_ = nullptr;
    if (identity_) return Result::Ok();

    GctpReports& reports = GctpReports::Get();
    reports.Begin();
    std::vector<std::string> lines;
    auto collect = [&](const std::string& s) {
        lines.push_back(s);
        if (report) report(s);
    };
    auto fail = [&](const std::string& why) {
        reports.Flush(collect);
        std::string pkg = LastPackageError(lines);
        return Result::Fail(why + (pkg.empty() || pkg == why ? "" : ": " + pkg));
    };

    const std::string dir = options.StatePlaneDir.empty() ? ProgramDirectory() : options.StatePlaneDir;
    std::string n27 = dir + "nad27sp", n83 = dir + "nad83sp";
    std::vector<char> fn27(n27.begin(), n27.end()), fn83(n83.begin(), n83.end());
    fn27.push_back('\0');
    fn83.push_back('\0');

    Result r = CheckSystem(in);
    if (!r) return fail("Source " + r.reason);
    r = CheckSystem(out);
    if (!r) return fail("Target " + r.reason);

    auto zoneOf = [](const ProjectionBlock& b) -> long {
        if (b[kSlotCode] == 1) return static_cast<long>(b[kSlotZone]);
        if (b[kSlotCode] == 2) return static_cast<long>(b[kSlotSpZone]);
        return 0;
    };

    // Source.
    srcGeo_ = IsGeographic(in);
    long unit = 0;
    r = ResolveUnit(in, unit);
    if (!r) return fail("Source unit: " + r.reason);
    if (srcGeo_) {
        if (untfz(unit, 0, &srcFactor_) != 0) return fail("Untfz geo in 16 to 0");
        scaleSrc_ = false;
    } else {
        const long code = static_cast<long>(in[kSlotCode]);
        double parm[15];
        std::copy(in.begin(), in.begin() + 15, parm);
        long iflg = 0;
        AnyFn table[MAXPROJ + 1] = {};
        inv_init(code, zoneOf(in), parm, static_cast<long>(in[kSlotSpheroid]), fn27.data(), fn83.data(), &iflg, table);
        if (iflg != 0 || !table[code])
            return fail("The source system could not be set up (error " + std::to_string(iflg) + ")");
        inv_ = PointFunction<PointFn>(table[code]);
        if (untfz(unit, 2, &srcFactor_) != 0) return fail("Untfz inunit to Meters");
        scaleSrc_ = unit != 2;
    }

    // Target: a geographic one is the program's own (no forward call).
    dstGeo_ = IsGeographic(out);
    r = ResolveUnit(out, unit);
    if (!r) return fail("Target unit: " + r.reason);
    if (dstGeo_) {
        if (untfz(0, unit, &dstFactor_) != 0) return fail("Untfz radians to outparm");
    } else {
        const long code = static_cast<long>(out[kSlotCode]);
        double parm[15];
        std::copy(out.begin(), out.begin() + 15, parm);
        long iflg = 0;
        AnyFn table[MAXPROJ + 1] = {};
        for_init(code, zoneOf(out), parm, static_cast<long>(out[kSlotSpheroid]), fn27.data(), fn83.data(), &iflg, table);
        if (iflg != 0 || !table[code])
            return fail("The target system could not be set up (error " + std::to_string(iflg) + ")");
        fwd_ = PointFunction<PointFn>(table[code]);
        if (untfz(2, unit, &dstFactor_) != 0) return fail("Untfz Meters to outparm");
    }

    srcDatum_ = static_cast<int>(in[kSlotDatum]);
    dstDatum_ = static_cast<int>(out[kSlotDatum]);
    datum_ = options.DatumStep && in[kSlotDatum] != out[kSlotDatum];
    if (datum_ && (srcDatum_ < 0 || srcDatum_ >= kDatumRows || dstDatum_ < 0 || dstDatum_ >= kDatumRows)) {
        if (report) report("Datum Conversion: a datum without parameters: no datum shift");
        datum_ = false;
    }
    // The oblated equal-area forward routine adds the false northing to x
    // and the false easting to y (its inverse takes them the right way).
    oea_ = !dstGeo_ && out[kSlotCode] == 30;
    oeaFe_ = out[6];
    oeaFn_ = out[7];
    r = SetReach(in, dir, srcReach_);
    if (r) r = SetReach(out, dir, dstReach_);
    if (!r) return fail(r.reason);
    reports.Flush(report);
    return Result::Ok();
}

namespace {

constexpr double kHalfPi = M_PI / 2;
constexpr double kD2R = M_PI / 180;

// Distance along the meridian from the equator to latitude phi.
double MeridianDistance(double a, double es, double phi) {
    const double e4 = es * es, e6 = e4 * es;
    return a * ((1 - es / 4 - 3 * e4 / 64 - 5 * e6 / 256) * phi -
                (3 * es / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::sin(2 * phi) +
                (15 * e4 / 256 + 45 * e6 / 1024) * std::sin(4 * phi) - (35 * e6 / 3072) * std::sin(6 * phi));
}

}  // namespace

bool Transformer::Reach::Within(double lon) const {
    return !on || std::fabs(std::remainder(lon - cm, 2 * M_PI)) <= limit;
}

bool Transformer::Reach::NorthingWithin(double y) const {
    // Past the northing of a pole the package's inverse answers with the pole.
    return !on || std::fabs((y - fn) / k0 + m0) <= MeridianDistance(a, es, kHalfPi) + 1;
}

Result Transformer::SetReach(const ProjectionBlock& b, const std::string& statePlaneDir, Reach& r) const {
    r = Reach{};
    const int code = static_cast<int>(b[kSlotCode]);
    double lat0 = 0;
    auto axes = [&] {
        double major = 0, minor = 0;
        SpheroidAxes(static_cast<int>(b[kSlotSpheroid]), major, minor);
        r.a = major;
        r.es = major > 0 ? 1 - (minor * minor) / (major * major) : 0;
    };
    if (code == 1) {
        axes();
        const double zone = b[kSlotZone];
        r.cm = (6 * std::fabs(zone) - 183) * kD2R;
        r.limit = kUtmReachDegrees * kD2R;
        r.k0 = 0.9996;
        r.fn = zone < 0 ? 10000000 : 0;
    } else if (code == 9) {
        axes();
        r.cm = DmsToDd(b[4]) * kD2R;
        r.limit = kTmReachDegrees * kD2R;
        r.k0 = b[2];
        r.fn = b[7];
        lat0 = DmsToDd(b[5]) * kD2R;
    } else if (code == 2) {
        StatePlaneZone z;
        if (!ReadStatePlaneZone(static_cast<long>(b[kSlotSpZone]), static_cast<int>(b[kSlotSpheroid]), statePlaneDir, z))
            return Result::Ok();  // the package has accepted the zone; no reach to add
        if (z.Kind != StatePlaneKind::TransverseMercator) return Result::Ok();
        r.a = z.A;
        r.es = z.Es;
        r.cm = StatePlaneAngle(z.Table[2]) * kD2R;
        r.limit = kTmReachDegrees * kD2R;
        r.k0 = z.Table[3];
        r.fn = z.Table[8];
        lat0 = StatePlaneAngle(z.Table[6]) * kD2R;
    } else {
        return Result::Ok();
    }
    if (!(r.k0 > 0) || !(r.a > 0)) return Result::Fail("the transverse Mercator scale or spheroid is unusable");
    r.m0 = MeridianDistance(r.a, r.es, lat0);
    r.on = true;
    return Result::Ok();
}

bool Transformer::Convert(double& x, double& y) const {
    if (identity_) return true;
    double lon, lat;
    // A latitude past a pole is refused, not projected; so is a point farther
    // from a transverse Mercator meridian than its series hold.
    const double poleSlack = 1e-12;
    if (srcGeo_) {
        lon = x * srcFactor_;
        lat = y * srcFactor_;
        if (!(std::fabs(lat) <= kHalfPi + poleSlack) || !std::isfinite(lon)) return false;
    } else {
        const double xs = scaleSrc_ ? x * srcFactor_ : x, ys = scaleSrc_ ? y * srcFactor_ : y;
        if (!srcReach_.NorthingWithin(ys)) return false;
        if (inv_(xs, ys, &lon, &lat) != 0) return false;
        if (!(std::fabs(lat) <= kHalfPi + poleSlack) || !std::isfinite(lon) || !srcReach_.Within(lon)) return false;
    }
    if (datum_ && !DatumShift(srcDatum_, dstDatum_, lon, lat)) return false;
    double X, Y;
    if (dstGeo_) {
        X = lon * dstFactor_;
        Y = lat * dstFactor_;
    } else {
        if (!dstReach_.Within(lon)) return false;
        if (fwd_(lon, lat, &X, &Y) != 0) return false;
        if (oea_) {
            X += oeaFe_ - oeaFn_;
            Y += oeaFn_ - oeaFe_;
        }
        X *= dstFactor_;
        Y *= dstFactor_;
    }
    if (!std::isfinite(X) || !std::isfinite(Y)) return false;
    x = X;
    y = Y;
    return true;
}

void SpheroidAxes(int code, double& a, double& b) {
    double parm[15] = {};
    double radius = 0;
    sphdz(code, parm, &a, &b, &radius);
}

// ---------------------------------------------------------------------------
// Layers.

void RecomputeBoxes(ShpLayer& L) {
    const double inf = std::numeric_limits<double>::infinity();
    double lx0 = inf, ly0 = inf, lx1 = -inf, ly1 = -inf;
    const std::int32_t n = std::min<std::int32_t>(L.NumRecords, static_cast<std::int32_t>(L.Shapes.size()) - 1);
    for (std::int32_t k = 1; k <= n; ++k) {
        if (L.IsNullShape(k)) continue;
        ShpObj& s = L.Shapes[k];
        if (s.Parts.size() > 1) {
            double x0 = inf, y0 = inf, x1 = -inf, y1 = -inf;
            for (std::size_t p = 1; p < s.Parts.size(); ++p)
                for (std::size_t j = 1; j < s.Parts[p].Pts.size(); ++j) {
                    const PointXY& q = s.Parts[p].Pts[j];
                    x0 = std::min(x0, q.X);
                    y0 = std::min(y0, q.Y);
                    x1 = std::max(x1, q.X);
                    y1 = std::max(y1, q.Y);
                }
            if (x0 > x1) continue;
            s.XMin = x0, s.YMin = y0, s.XMax = x1, s.YMax = y1;
        } else {
            s.XMax = s.XMin;
            s.YMax = s.YMin;
        }
        lx0 = std::min(lx0, s.XMin);
        ly0 = std::min(ly0, s.YMin);
        lx1 = std::max(lx1, s.XMax);
        ly1 = std::max(ly1, s.YMax);
    }
    if (lx0 <= lx1) {
        L.XMin = lx0, L.YMin = ly0, L.XMax = lx1, L.YMax = ly1;
    }
    L.XShift = L.XMin == 0 ? 0 : -L.XMin;
    L.YShift = L.YMin == 0 ? 0 : -L.YMin;
}

namespace {

bool IsGeoNad27(const ProjectionBlock& b) { return SameSystem(b, GeographicNad27Block()); }

template <typename Fn>
void ForEachPoint(const ShpLayer& L, Progress& progress, Fn&& fn) {
    const std::int32_t n = std::min<std::int32_t>(L.NumRecords, static_cast<std::int32_t>(L.Shapes.size()) - 1);
    progress.SetRange(0, 100);
    for (std::int32_t k = 1; k <= n; ++k) {
        if ((k & 1023) == 0) {
            progress.SetPosition(static_cast<long long>(std::llround(100.0 * k / n)));
            progress.Pump();
        }
        if (L.IsNullShape(k)) continue;
        const ShpObj& s = L.Shapes[k];
        if (s.Parts.size() > 1) {
            for (std::size_t p = 1; p < s.Parts.size(); ++p)
                for (std::size_t j = 1; j < s.Parts[p].Pts.size(); ++j)
                    if (!fn(k, s.Parts[p].Pts[j])) return;
        } else {
            if (!fn(k, PointXY{s.XMin, s.YMin})) return;
        }
    }
}

struct Scratch {
    std::vector<PointXY> pts;  // in traversal order, then the layer's two box corners
};

ConvertOutcome ComputeLayer(const ShpLayer& L, const Transformer& t, bool ignoreErrors, Scratch& out,
                            Progress& progress) {
    ConvertOutcome o;
    out.pts.clear();
    out.pts.reserve(static_cast<std::size_t>(std::max<std::int32_t>(L.NumPoints, L.NumRecords)) + 2);
    std::string failedAt;
    ForEachPoint(L, progress, [&](std::int32_t k, PointXY q) {
        if (t.Convert(q.X, q.Y)) {
            ++o.points;
        } else {
            ++o.failures;
            if (!ignoreErrors) {
                failedAt = "shape " + std::to_string(k);
                return false;
            }
        }
        out.pts.push_back(q);
        return true;
    });
    if (!failedAt.empty())
        o.result = Result::Fail("A point of " + failedAt + " of " + L.ShpName +
                                " could not be converted; nothing was changed (tick \"Ignore Errors during Map "
                                "Project\" to skip such points)");
    for (PointXY q : {PointXY{L.XMin, L.YMin}, PointXY{L.XMax, L.YMax}}) {
        t.Convert(q.X, q.Y);
        out.pts.push_back(q);
    }
    return o;
}

void CommitLayer(ShpLayer& L, const Scratch& sc, const ProjectionBlock& to) {
    std::size_t at = 0;
    const std::int32_t n = std::min<std::int32_t>(L.NumRecords, static_cast<std::int32_t>(L.Shapes.size()) - 1);
    for (std::int32_t k = 1; k <= n; ++k) {
        if (L.IsNullShape(k)) continue;
        ShpObj& s = L.Shapes[k];
        if (s.Parts.size() > 1) {
            for (std::size_t p = 1; p < s.Parts.size(); ++p)
                for (std::size_t j = 1; j < s.Parts[p].Pts.size(); ++j) s.Parts[p].Pts[j] = sc.pts[at++];
        } else {
            s.XMin = s.XMax = sc.pts[at].X;
            s.YMin = s.YMax = sc.pts[at].Y;
            ++at;
        }
    }
    // A layer without shapes keeps its converted header box.
    L.XMin = sc.pts[at].X;
    L.YMin = sc.pts[at].Y;
    L.XMax = sc.pts[at + 1].X;
    L.YMax = sc.pts[at + 1].Y;
    RecomputeBoxes(L);
    L.CoordSystem = IsGeoNad27(to) ? std::vector<double>() : ToVector(to);
}

}  // namespace

ConvertOutcome TransformLayer(ShpLayer& layer, const ProjectionBlock& from, const ProjectionBlock& to,
                              const TransformOptions& options, Progress& progress, const ReportFn& report) {
    ConvertOutcome o;
    Transformer t;
    o.result = t.Init(from, to, options, report);
    if (!o.result) return o;
    if (t.Identity()) {
        layer.CoordSystem = IsGeoNad27(to) ? std::vector<double>() : ToVector(to);
        return o;
    }
    Scratch sc;
    o = ComputeLayer(layer, t, options.IgnoreErrors, sc, progress);
    t.FlushReports(report);
    if (!o.result) return o;
    CommitLayer(layer, sc, to);
    return o;
}

ConvertOutcome ProjectMap(LayerStore& store, const ProjectionBlock& target, const TransformOptions& options,
                          Progress& progress, const ReportFn& report) {
    ConvertOutcome total;
    std::vector<std::pair<std::int32_t, Scratch>> done;
    Transformer t;
    bool haveInit = false;
    ProjectionBlock current{};
    for (std::int32_t i : store.LayerOrder) {
        if (i < 1 || i > store.LayerCount) continue;
        const ShpLayer& L = store.ShapeLayers[i];
        const ProjectionBlock from = LayerSystem(L);
        if (SameSystem(from, target)) continue;
        if (!haveInit || !SameSystem(from, current)) {
            total.result = t.Init(from, target, options, report);
            if (!total.result) return total;
            haveInit = true;
            current = from;
        }
        Scratch sc;
        ConvertOutcome o = ComputeLayer(L, t, options.IgnoreErrors, sc, progress);
        total.points += o.points;
        total.failures += o.failures;
        if (!o.result) {
            t.FlushReports(report);
            total.result = o.result;
            return total;
        }
        done.emplace_back(i, std::move(sc));
    }
    if (haveInit) t.FlushReports(report);
    for (auto& d : done) CommitLayer(store.ShapeLayers[d.first], d.second, target);
    store.MapSystem = IsGeoNad27(target) ? std::vector<double>() : ToVector(target);
    if (total.failures > 0 && report)
        report("Project: " + std::to_string(total.failures) + " points could not be converted and were left as they were");
    progress.SetPosition(0);
    return total;
}

ConvertOutcome ProjectToMapInfo(LayerStore& store, MapProject& project, Progress& progress, const ReportFn& report,
                                const std::string& statePlaneDir) {
    TransformOptions opt;
    opt.DatumStep = !project.MapInfo.IgnoreDatum;
    opt.IgnoreErrors = project.MapInfo.IgnoreErrors != 0;
    opt.StatePlaneDir = statePlaneDir;
    const ProjectionBlock target = BuildBlock(project.MapInfo);
    ConvertOutcome o = ProjectMap(store, target, opt, progress, report);
    if (o.result) {
        const int code = project.MapInfo.ProjectionCode;
        project.MapLegend.ProjectionName = kProjectionNames[code >= 0 && code < kProjectionCount ? code : 0];
        project.MapLegend.ProjectionIndex = code;
        project.MapInfo.IsProjected = IsGeoNad27(target) ? 0 : 1;
    }
    return o;
}

ConvertOutcome ProjectNewLayer(LayerStore& store, std::int32_t i, Progress& progress, const ReportFn& report) {
    ConvertOutcome o;
    if (store.MapSystem.size() != 23 || i < 1 || i > store.LayerCount) return o;
    ProjectionBlock target;
    std::copy(store.MapSystem.begin(), store.MapSystem.end(), target.begin());
    ShpLayer& L = store.ShapeLayers[i];
    return TransformLayer(L, LayerSystem(L), target, TransformOptions{}, progress, report);
}

namespace {

// A one-layer store holding a copy of layer i, for writing.
LayerStore CopyOfLayer(const LayerStore& store, std::int32_t i) {
    LayerStore tmp;
    tmp.LayerCount = 1;
    tmp.CurrentLayer = 1;
    tmp.ShapeLayers.resize(2);
    tmp.ShapeLayers[1] = store.ShapeLayers[i];
    tmp.ShapeLayers[1].LayerIndex = 1;
    tmp.LayerOrder = {1};
    if (static_cast<std::size_t>(i) < store.SymLayers.size()) {
        tmp.SymLayers.resize(2);
        tmp.SymLayers[1] = store.SymLayers[i];
    }
    return tmp;
}

}  // namespace

Result WriteLayerGeographic(const LayerStore& store, std::int32_t i, const std::string& path, Progress& progress) {
    if (i < 1 || i > store.LayerCount) return Result::Fail("no such layer");
    if (store.ShapeLayers[i].CoordSystem.empty()) return SaveLayer(store, i, path, progress);
    LayerStore tmp = CopyOfLayer(store, i);
    ShpLayer& L = tmp.ShapeLayers[1];
    std::vector<std::string> lines;
    ConvertOutcome o = TransformLayer(L, LayerSystem(L), GeographicNad27Block(), TransformOptions{}, progress,
                                      [&](const std::string& s) { lines.push_back(s); });
    if (!o.result) return Result::Fail("The layer could not be converted back to geographic degrees: " + o.result.reason);
    return SaveLayer(tmp, 1, path, progress);
}

ConvertOutcome ConvertLayerToGeographic(LayerStore& store, std::int32_t i, const MapInfoRec& info,
                                        const TransformOptions& options, Progress& progress, const ReportFn& report) {
    ConvertOutcome o;
    if (i < 1 || i > store.LayerCount) {
        o.result = Result::Fail("no such layer");
        return o;
    }
    // A layer shown in the map's system is converted from there; otherwise
    // its coordinates are what its own description says.
    const ShpLayer& src = store.ShapeLayers[i];
    const ProjectionBlock from = src.CoordSystem.empty() ? BuildBlock(info) : LayerSystem(src);
    LayerStore tmp = CopyOfLayer(store, i);
    ShpLayer& L = tmp.ShapeLayers[1];
    o = TransformLayer(L, from, GeographicNad27Block(), options, progress, report);
    if (!o.result) return o;
    const std::string path = L.ShpPath + L.ShpName;
    o.result = SaveLayer(tmp, 1, path, progress);
    if (!o.result) return o;
    MapInfoRec geo = info;
    SetGeographicNad27(geo);
    o.result = WriteLayerDescription(ChangeFileExt(path, ".lpj"), ChangeFileExt(path, ".lpt"), geo);
    if (o.result) o.result = WritePrjFile(ChangeFileExt(path, ".prj"), GeographicNad27Block());
    if (o.failures > 0 && report)
        report("Convert: " + std::to_string(o.failures) + " points could not be converted and were left as they were");
    store.ShapeLayers[i] = std::move(L);
    store.ShapeLayers[i].LayerIndex = i;
    return o;
}

}  // namespace zemba
