#include "mapping/state_plane.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/file_io.h"

namespace zemba {

namespace {

// The package's zone lists: slot i of a file holds the zone at position i.
const long kNad27Zones[134] = {
    101,  102,  5010, 5300, 201,  202,  203,  301,  302,  401,  402,  403,  404,  405,  406,  407,  501,
    502,  503,  600,  700,  901,  902,  903,  1001, 1002, 5101, 5102, 5103, 5104, 5105, 1101, 1102, 1103,
    1201, 1202, 1301, 1302, 1401, 1402, 1501, 1502, 1601, 1602, 1701, 1702, 1703, 1801, 1802, 1900, 2001,
    2002, 2101, 2102, 2103, 2111, 2112, 2113, 2201, 2202, 2203, 2301, 2302, 2401, 2402, 2403, 2501, 2502,
    2503, 2601, 2602, 2701, 2702, 2703, 2800, 2900, 3001, 3002, 3003, 3101, 3102, 3103, 3104, 3200, 3301,
    3302, 3401, 3402, 3501, 3502, 3601, 3602, 3701, 3702, 3800, 3901, 3902, 4001, 4002, 4100, 4201, 4202,
    4203, 4204, 4205, 4301, 4302, 4303, 4400, 4501, 4502, 4601, 4602, 4701, 4702, 4801, 4802, 4803, 4901,
    4902, 4903, 4904, 5001, 5002, 5003, 5004, 5005, 5006, 5007, 5008, 5009, 5201, 5202, 5400};
const long kNad83Zones[134] = {
    101,  102,  5010, 5300, 201,  202,  203,  301,  302,  401,  402,  403,  404,  405,  406,  407,  501,
    502,  503,  600,  700,  901,  902,  903,  1001, 1002, 5101, 5102, 5103, 5104, 5105, 1101, 1102, 1103,
    1201, 1202, 1301, 1302, 1401, 1402, 1501, 1502, 1601, 1602, 1701, 1702, 1703, 1801, 1802, 1900, 2001,
    2002, 2101, 2102, 2103, 2111, 2112, 2113, 2201, 2202, 2203, 2301, 2302, 2401, 2402, 2403, 2500, 2502,
    2503, 2600, 2602, 2701, 2702, 2703, 2800, 2900, 3001, 3002, 3003, 3101, 3102, 3103, 3104, 3200, 3301,
    3302, 3401, 3402, 3501, 3502, 3601, 3602, 3701, 3702, 3800, 3900, 3902, 4001, 4002, 4100, 4201, 4202,
    4203, 4204, 4205, 4301, 4302, 4303, 4400, 4501, 4502, 4601, 4602, 4701, 4702, 4801, 4802, 4803, 4901,
    4902, 4903, 4904, 5001, 5002, 5003, 5004, 5005, 5006, 5007, 5008, 5009, 5200, 5202, 5400};

constexpr std::size_t kSlotBytes = 432;
constexpr std::size_t kUsedBytes = 32 + 4 + 9 * 8;

std::uint32_t Le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

double LeDouble(const unsigned char* p) {
    std::uint64_t v = 0;
    for (int k = 7; k >= 0; --k) v = v << 8 | p[k];
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
}

std::string Num(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

std::string Trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t\0", 0, 3);
    if (b == std::string::npos) return {};
    std::size_t e = s.find_last_not_of(" \t\0", std::string::npos, 3);
    return s.substr(b, e - b + 1);
}

}  // namespace

int StatePlaneSlot(long zone, int spheroid) {
    const long* list = spheroid == 0 ? kNad27Zones : spheroid == 8 ? kNad83Zones : nullptr;
    if (!list || zone <= 0) return -1;
    for (int i = 0; i < 134; ++i)
        if (list[i] == zone) return i;
    return -1;
}

double StatePlaneAngle(double packed) {
    const double s = packed < 0 ? -1.0 : 1.0;
    const double v = std::fabs(packed);
    const double d = std::floor(v / 10000.0);
    const double m = std::floor((v - d * 10000.0) / 100.0);
    const double sec = v - d * 10000.0 - m * 100.0;
    return s * (d + m / 60.0 + sec / 3600.0);
}

Result ReadStatePlaneZone(long zone, int spheroid, const std::string& dir, StatePlaneZone& out) {
    if (spheroid != 0 && spheroid != 8)
        return Result::Fail("State plane needs spheroid 0 (NAD27) or 8 (NAD83), not " + std::to_string(spheroid));
    const int slot = StatePlaneSlot(zone, spheroid);
    if (slot < 0) return Result::Fail("Illegal zone number " + std::to_string(zone));
    const std::string path = dir + (spheroid == 0 ? "nad27sp" : "nad83sp");
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return Result::Fail("Error opening State Plane parameter file " + path);
    unsigned char rec[kUsedBytes];
    const bool got = std::fseek(f, static_cast<long>(slot * kSlotBytes), SEEK_SET) == 0 &&
                     std::fread(rec, 1, sizeof rec, f) == sizeof rec;
    std::fclose(f);
    if (!got) return Result::Fail(path + " is too short for zone " + std::to_string(zone));

    StatePlaneZone z;
    z.Zone = zone;
    z.Nad83 = spheroid == 8;
    // The name is the state padded to 16, then the zone padded to 16.
    const std::string state = Trim(std::string(reinterpret_cast<const char*>(rec), 16));
    std::string part = Trim(std::string(reinterpret_cast<const char*>(rec) + 16, 16));
    if (part.find_first_not_of("-. ") == std::string::npos) part.clear();  // "---": a state of one zone
    z.Name = part.empty() ? state : state + " " + part;
    const std::uint32_t id = Le32(rec + 32);
    if (id < 1 || id > 4)
        return Result::Fail("Illegal zone number " + std::to_string(zone) + " (undefined in " + path + ")");
    z.Kind = static_cast<StatePlaneKind>(id);
    for (int k = 0; k < 9; ++k) {
        z.Table[k] = LeDouble(rec + 36 + 8 * k);
        if (!std::isfinite(z.Table[k])) return Result::Fail(path + " holds a damaged entry for zone " + std::to_string(zone));
    }
    z.A = z.Table[0];
    z.Es = z.Table[1];
    if (!(z.A > 6e6 && z.A < 7e6) || !(z.Es >= 0 && z.Es < 0.01))
        return Result::Fail(path + " holds a damaged entry for zone " + std::to_string(zone));
    out = z;
    return Result::Ok();
}

std::string StatePlaneProjection(const StatePlaneZone& z) {
    const double* t = z.Table;
    auto deg = [](double packed) { return Num(StatePlaneAngle(packed)); };
    switch (z.Kind) {
        case StatePlaneKind::TransverseMercator:
            return "+proj=tmerc +lat_0=" + deg(t[6]) + " +lon_0=" + deg(t[2]) + " +k_0=" + Num(t[3]) +
                   " +x_0=" + Num(t[7]) + " +y_0=" + Num(t[8]);
        case StatePlaneKind::Lambert:
            return "+proj=lcc +lat_1=" + deg(t[5]) + " +lat_2=" + deg(t[4]) + " +lat_0=" + deg(t[6]) +
                   " +lon_0=" + deg(t[2]) + " +x_0=" + Num(t[7]) + " +y_0=" + Num(t[8]);
        case StatePlaneKind::Polyconic:
            return "+proj=poly +lat_0=" + deg(t[3]) + " +lon_0=" + deg(t[2]) + " +x_0=" + Num(t[4]) +
                   " +y_0=" + Num(t[5]);
        case StatePlaneKind::ObliqueMercator:
            // The package measures along the centre line from the centre and
            // rectifies by the azimuth itself.
            return "+proj=omerc +lat_0=" + deg(t[6]) + " +lonc=" + deg(t[2]) + " +alpha=" + deg(t[5]) +
                   " +gamma=" + deg(t[5]) + " +k=" + Num(t[3]) + " +x_0=" + Num(t[7]) + " +y_0=" + Num(t[8]);
    }
    return {};
}

}  // namespace zemba
