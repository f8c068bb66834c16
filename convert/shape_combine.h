// Combining two shapefiles of one shape type into a new shapefile: the
// shapes of the first then those of the second, the table the union of the
// two field sets by name, the first file's coordinate system.
#pragma once

#include <cstdint>
#include <string>

#include "core/ui.h"

namespace zemba {

// What a selector shows of a shapefile: its shape type and object count.
struct ShapeFileSummary {
    std::int32_t ShapeType = 0;
    std::int32_t Objects = 0;
};
// Reads `path` (the .shp) for its type and count; fails with the reason.
Result SummarizeShapeFile(const std::string& path, ShapeFileSummary& out);

// Writes `a` then `b` as `out` (.shp, .shx, .dbf and the first file's .prj
// and .cpg), all committed together. Refused, with nothing written, when the
// shape types differ, when a field of one name has different types in the
// two tables, or when the second file's .prj differs from the first's (a
// file without a .prj takes the other's), or when their .cpg files name
// different encodings.
Result CombineShapeFiles(const std::string& a, const std::string& b, const std::string& out, Progress& progress);

}  // namespace zemba
