// ESRI .prj files (WKT) beside shapefiles, through PROJ's C API, so GDAL and
// other programs place the output correctly. The projection mathematics
// stays the package's; PROJ only names the system.
#pragma once

#include <string>

#include "core/ui.h"
#include "mapping/projection.h"

namespace zemba {

// The PROJ definition of a block; empty when this program cannot name it
// (with the reason in `why` where there is one). State plane zones are read
// from nad27sp/nad83sp in `statePlaneDir` (empty: the program's directory).
std::string ProjDefinition(const ProjectionBlock& b, const std::string& statePlaneDir = {},
                           std::string* why = nullptr);
// ESRI WKT of a block, or a failure naming why not.
Result PrjText(const ProjectionBlock& b, std::string& wkt, const std::string& statePlaneDir = {});
// Writes `path` (through a temporary file).
Result WritePrjFile(const std::string& path, const ProjectionBlock& b, const std::string& statePlaneDir = {});
// The datum list index a .prj names (13 NAD27, 14 NAD83, 22 WGS 72, 23
// WGS 84, ...), or -1 when it names none of the list.
Result ReadPrjDatum(const std::string& path, int& datum);

}  // namespace zemba
