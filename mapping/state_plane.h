// State plane zone parameters, read from the projection package's own
// files (nad27sp, nad83sp) the way the package reads them, so that other
// programs can be told exactly the system the package projects into.
#pragma once

#include <string>

#include "core/ui.h"

namespace zemba {

// The zone's projection as the files give it.
enum class StatePlaneKind { TransverseMercator = 1, Lambert = 2, Polyconic = 3, ObliqueMercator = 4 };

struct StatePlaneZone {
    long Zone = 0;
    bool Nad83 = false;
    std::string Name;  // "NORTH CAROLINA", "ALABAMA EAST", ...
    StatePlaneKind Kind = StatePlaneKind::TransverseMercator;
    // Semi-major axis (m) and eccentricity squared.
    double A = 0, Es = 0;
    // The file's nine numbers; angles in packed DDDMMSS.SS.
    double Table[9] = {};
};

// The slot of a zone code in the package's list (0..133), or -1.
// Spheroid 0 picks the NAD27 list, 8 the NAD83 list.
int StatePlaneSlot(long zone, int spheroid);

// Reads a zone from `dir` + "nad27sp" (spheroid 0) or "nad83sp" (spheroid 8).
// Fails naming the reason: an unknown zone or spheroid, a missing or short
// file, a zone the file leaves undefined, numbers that cannot be right.
Result ReadStatePlaneZone(long zone, int spheroid, const std::string& dir, StatePlaneZone& out);

// A packed DDDMMSS.SS angle of the files in decimal degrees.
double StatePlaneAngle(double packed);

// The zone as a PROJ projection (no ellipsoid, datum or unit; metres).
std::string StatePlaneProjection(const StatePlaneZone& z);

}  // namespace zemba
