// Synthetic layers for the benchmarks: made on the fly, never committed.
#pragma once

#include <string>

namespace zemba::bench {

// Writes shpPath (.shp, .shx and a one-field .dbf beside it) holding `polys`
// polygons of `vertsPerPoly` vertices each (closed rings, the last vertex
// repeating the first), laid out on a grid in projected-looking metres.
bool WriteSyntheticPolygons(const std::string& shpPath, int polys, int vertsPerPoly);

// A scratch directory for benchmark files (under $TMPDIR or /tmp).
std::string BenchDir();

}  // namespace zemba::bench
