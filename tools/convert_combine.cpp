// zemba-convert combine: two shapefiles of one type into a new one, as the
// conversion window's "Shape File Combine" page does.
#include <cstdio>
#include <string>
#include <vector>

#include "convert/shape_combine.h"
#include "core/ui.h"
#include "tools/convert_command.h"

namespace zemba {
namespace {

int Run(const std::vector<std::string>& args) {
    if (args.size() != 3) {
        ConvertError("give A.shp B.shp OUT.shp");
        return 2;
    }
    NullProgress progress;
    Result r = CombineShapeFiles(args[0], args[1], args[2], progress);
    if (!r) {
        ConvertError(r.reason);
        return 1;
    }
    ShapeFileSummary s;
    if (SummarizeShapeFile(args[2], s)) std::fprintf(stderr, "%d shapes written to %s\n", s.Objects, args[2].c_str());
    return 0;
}

ZEMBA_CONVERT_COMMAND("combine", "combine A.shp B.shp OUT.shp   (the shapes of A then B, their tables joined)", Run);

}  // namespace
}  // namespace zemba
