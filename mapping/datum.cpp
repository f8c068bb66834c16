#include "mapping/datum.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zemba {

namespace {

// Three signs differ from the long-published list: AGD66 dZ, Adindan dZ and
// WGS 72 dZ follow the EPSG transformations (1108, 1100 family, 1237); the old
// signs put points hundreds of metres off.
const DatumParameters kDatums[kDatumRows] = {
    {"ADINDAN", "CLARKE_1880", -162, -12, 206},
    {"ARC1950", "CLARKE_1880", -143, -90, -294},
    {"ARC1960", "CLARKE_1880", -160, -8, -300},
    {"AUSTRALIAN_GEODETIC_1966", "AUSTRALIAN_NATIONAL", -133, -48, 148},
    {"AUSTRALIAN_GEODETIC_1984", "AUSTRALIAN_NATIONAL", -134, -48, 149},
    {"CAMP_AREA_ASTRO", "INTERNATIONAL_1967", -104, -129, 239},
    {"CAPE", "CLARKE_1880", -136, -108, -292},
    {"EUROPEAN_DATUM_1950", "INTERNATIONAL_1967", -87, -98, -121},
    {"EUROPEAN_DATUM_1979", "INTERNATIONAL_1967", -86, -98, -119},
    {"GEODETIC_DATUM_1949", "INTERNATIONAL_1967", 84, -22, 209},
    {"HONG_KONG_1963", "INTERNATIONAL_1967", -156, -271, -189},
    {"HU_TZU_SHAN", "INTERNATIONAL_1967", -634, -549, -201},
    {"INDIAN", "EVEREST", 289, 734, 257},
    {"NAD27", "CLARKE_1866", -8, 160, 176},
    {"NAD83", "GRS_1980", 0, 0, 0},
    {"OLD_HAWAIIAN_MEAN", "CLARKE_1866", 89, -279, -183},
    {"OMAN", "CLARKE_1880", -346, -1, 224},
    {"ORDNANCE_SURVEY_1936", "AIRY", 375, -111, 431},
    {"PUERTO_RICO", "CLARKE_1866", 11, 72, -101},
    {"PULKOVO_1942", "KRASSOVSKY", 27, -135, -89},
    {"PROVISIONAL_S_AMERICAN_1956", "INTERNATIONAL_1967", -288, 175, -376},
    {"TOKYO", "BESSEL", -128, 481, 664},
    {"WGS_72", "WGS_72_ELLIPSOID", 0, 0, 4.5},
    {"WGS_84", "WGS_84_ELLIPSOID", 0, 0, 0},
};

const EllipsoidParameters kEllipsoids[kEllipsoidRows] = {
    {"CLARKE_1866", -69.4, -3.7264639e-05},
    {"CLARKE_1880", -112.145, -5.4750714e-05},
    {"BESSEL", 739.845, 1.0037483e-05},
    {"INTERNATIONAL_1967", -251.0, -1.4192702e-05},
    {"WGS_72_ELLIPSOID", 2.0, 3.121057e-08},
    {"EVEREST", 860.655, 2.8361368e-05},
    {"GRS_1980", 0.0, -1.6e-11},
    {"AIRY", 573.604, 1.1960023e-05},
    {"MODIFIED_EVEREST", 832.937, 2.8361368e-05},
    {"MODIFIED_AIRY", 796.811, 1.1960023e-05},
    {"WGS_84_ELLIPSOID", 0.0, 0.0},
    {"AUSTRALIAN_NATIONAL", -23.0, -8.1204e-08},
    {"KRASSOVSKY", -108.0, 4.80795e-07},
    {"HOUGH", -133.0, -1.4192702e-05},
};

// The spheroid list code with the same axes as each ellipsoid row
// ("INTERNATIONAL_1967" here has a = 6378388 m, the list's International 1909).
const int kEllipsoidSpheroid[kEllipsoidRows] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 11, 12, 14, 15, 16};

const EllipsoidParameters* FindEllipsoid(const std::string& name, int* index = nullptr) {
    for (int k = 0; k < kEllipsoidRows; ++k)
        if (kEllipsoids[k].Name == name) {
            if (index) *index = k;
            return &kEllipsoids[k];
        }
    return nullptr;
}

void Report(const DatumReport& report, int n) {
    if (!report) return;
    report("Datum Conversion");
    report("FATAL ERROR: " + std::to_string(n));
}

bool HasRow(int datum) { return datum >= 0 && datum < kDatumRows; }

}  // namespace

const DatumParameters* DatumTable() { return kDatums; }
const EllipsoidParameters* EllipsoidTable() { return kEllipsoids; }

const char* DatumListName(int index) {
    if (HasRow(index)) return kDatums[index].Name.c_str();
    if (index == 24) return "UNKNOWN_DATUM-1";
    if (index == 25) return "NO_DATUM-2";
    return "";
}

int DatumSpheroid(int datum) {
    if (!HasRow(datum)) return -1;
    int k = -1;
    if (!FindEllipsoid(kDatums[datum].Ellipsoid, &k)) return -1;
    return kEllipsoidSpheroid[k];
}

void MolodenskyStep(double a, double f, double dX, double dY, double dZ, double da, double df, double& phi,
                    double& lam, double& h) {
    const double e2 = f * (2 - f);
    const double sp = std::sin(phi), cp = std::cos(phi);
    const double sl = std::sin(lam), cl = std::cos(lam);
    const double w = 1 - e2 * sp * sp;
    const double rm = a * (1 - e2) / std::pow(w, 1.5);
    const double rn = a / std::sqrt(w);
    const double dphi = (-dX * sp * cl - dY * sp * sl + dZ * cp + da * rn * e2 * sp * cp / a +
                         df * (rm / (1 - f) + rn * (1 - f)) * sp * cp) /
                        (rm + h);
    // At a pole every meridian meets: the longitude stays.
    const double denom = (rn + h) * cp;
    const double dlam = std::fabs(cp) < 1e-12 ? 0.0 : (-dX * sl + dY * cl) / denom;
    const double dh = dX * cp * cl + dY * cp * sl + dZ * sp - da * a / rn + df * (1 - f) * rn * sp * sp;
    phi += dphi;
    lam += dlam;
    h += dh;
}

bool DatumToWgs84(int datum, double& phi, double& lam, double& h, const DatumReport& report) {
    const EllipsoidParameters* e = HasRow(datum) ? FindEllipsoid(kDatums[datum].Ellipsoid) : nullptr;
    if (!e) {
        Report(report, 6);
        return false;
    }
    const DatumParameters& d = kDatums[datum];
    MolodenskyStep(kWgs84A - e->DeltaA, kWgs84F - e->DeltaF, d.DeltaX, d.DeltaY, d.DeltaZ, e->DeltaA,
                   e->DeltaF, phi, lam, h);
    return true;
}

bool Wgs84ToDatum(int datum, double& phi, double& lam, double& h, const DatumReport& report) {
    const EllipsoidParameters* e = HasRow(datum) ? FindEllipsoid(kDatums[datum].Ellipsoid) : nullptr;
    if (!e) {
        Report(report, 4);
        return false;
    }
    const DatumParameters& d = kDatums[datum];
    MolodenskyStep(kWgs84A, kWgs84F, -d.DeltaX, -d.DeltaY, -d.DeltaZ, -e->DeltaA, -e->DeltaF, phi, lam, h);
    return true;
}

bool DatumShift(int from, int to, double& lon, double& lat, const DatumReport& report) {
    if (from == to) return true;
    if (!HasRow(from) || !HasRow(to)) {
        if (report) report("Datum Conversion: no shift to or from a datum without parameters");
        return true;
    }
    double phi = lat, lam = lon, h = 0;
    if (from != kDatumWgs84 && !DatumToWgs84(from, phi, lam, h, report)) {
        Report(report, 1);
        return false;
    }
    if (to != kDatumWgs84 && !Wgs84ToDatum(to, phi, lam, h, report)) {
        Report(report, 2);
        return false;
    }
    // Near a pole or the antimeridian the shift can leave the valid range:
    // a longitude it takes past +-180 comes back into -180..180 (one given
    // outside that range stays on its side), and a latitude past a pole
    // stops at the pole.
    if (std::fabs(lam) > M_PI && std::fabs(lon) <= M_PI) {
        lam = std::remainder(lam, 2 * M_PI);
        if (lam == -M_PI && lon > 0) lam = M_PI;
    }
    lon = lam;
    lat = std::clamp(phi, -M_PI / 2, M_PI / 2);
    return true;
}

}  // namespace zemba
