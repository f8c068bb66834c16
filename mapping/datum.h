// Datum shifts by the standard Molodensky formulas, in two steps through
// WGS 84, over the program's datum and ellipsoid tables.
#pragma once

#include <functional>
#include <string>

namespace zemba {

struct DatumParameters {
    std::string Name;
    std::string Ellipsoid;
    double DeltaX, DeltaY, DeltaZ;  // metres, origin shift to WGS 84
};

struct EllipsoidParameters {
    std::string Name;
    double DeltaA;  // WGS 84 semi-major axis minus this one's
    double DeltaF;  // WGS 84 flattening minus this one's
};

constexpr double kWgs84A = 6378137.0;
constexpr double kWgs84F = 0.003352810664747481;
constexpr int kDatumRows = 24;
constexpr int kDatumWgs84 = 23;
constexpr int kDatumNad27 = 13;

// The 24 rows by datum list index, and the 14 ellipsoids.
const DatumParameters* DatumTable();
const EllipsoidParameters* EllipsoidTable();
constexpr int kEllipsoidRows = 14;
// The datum list: the 24 names, then "UNKNOWN_DATUM-1" and "NO_DATUM-2".
const char* DatumListName(int index);
constexpr int kDatumListSize = 26;
// The spheroid code that matches a datum's ellipsoid, or -1 when the
// spheroid list has none.
int DatumSpheroid(int datum);

// One Molodensky step on an ellipsoid (a, f); angles in radians.
void MolodenskyStep(double a, double f, double dX, double dY, double dZ, double da, double df,
                    double& phi, double& lam, double& h);

using DatumReport = std::function<void(const std::string&)>;

// The two steps; false (with two report lines) when the datum's ellipsoid
// is not in the table or the datum has no row.
bool DatumToWgs84(int datum, double& phi, double& lam, double& h, const DatumReport& report = {});
bool Wgs84ToDatum(int datum, double& phi, double& lam, double& h, const DatumReport& report = {});

// Shifts (lon, lat) in radians from one datum to another. Datums without a
// row (24, 25, or out of range) mean no shift and one report line; false
// when a step fails (the point is left as it was).
bool DatumShift(int from, int to, double& lon, double& lat, const DatumReport& report = {});

}  // namespace zemba
