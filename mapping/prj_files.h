// ESRI .prj files (WKT) beside shapefiles, through PROJ's C API, so GDAL and
// other programs place the output correctly. The projection mathematics
// stays the package's; PROJ only names the system.
#pragma once

#include <string>

#include "core/ui.h"
#include "mapping/projection.h"

namespace zemba {

// The PROJ definition of a block; empty when this program cannot name it.
std::string ProjDefinition(const ProjectionBlock& b);
// ESRI WKT of a block, or a failure naming why not.
Result PrjText(const ProjectionBlock& b, std::string& wkt);
// Writes `path` (through a temporary file).
Result WritePrjFile(const std::string& path, const ProjectionBlock& b);
// The datum list index a .prj names (13 NAD27, 14 NAD83, 22 WGS 72, 23
// WGS 84, ...), or -1 when it names none of the list.
Result ReadPrjDatum(const std::string& path, int& datum);

}  // namespace zemba
