// zemba-convert reproject: a shapefile or "x y" points from one coordinate
// system to another, on the map window's projection code.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/attributes.h"
#include "core/file_io.h"
#include "core/shp_reader.h"
#include "core/shp_writer.h"
#include "mapping/datum.h"
#include "mapping/prj_files.h"
#include "mapping/project_files.h"
#include "mapping/projection.h"
#include "tools/convert_command.h"

namespace zemba {
namespace {

void ToStderr(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

struct Args {
    std::string from, to, crs;
    bool fromGeo = false, toGeo = false, ignoreDatum = false, ignoreErrors = false, points = false;
    std::vector<std::string> files;
};

bool ParseArgs(const std::vector<std::string>& a, Args& out) {
    for (std::size_t k = 0; k < a.size(); ++k) {
        const std::string& s = a[k];
        auto value = [&](std::string& v) {
            if (k + 1 >= a.size()) return false;
            v = a[++k];
            return true;
        };
        if (s == "--from") {
            if (!value(out.from)) return false;
        } else if (s == "--to") {
            if (!value(out.to)) return false;
        } else if (s == "--crs") {
            if (!value(out.crs)) return false;
        } else if (s == "--from-geographic") {
            out.fromGeo = true;
        } else if (s == "--to-geographic") {
            out.toGeo = true;
        } else if (s == "--ignore-datum") {
            out.ignoreDatum = true;
        } else if (s == "--ignore-errors") {
            out.ignoreErrors = true;
        } else if (s == "--points") {
            out.points = true;
        } else if (!s.empty() && s[0] == '-' && s.size() > 1) {
            ConvertError("unknown option " + s);
            return false;
        } else {
            out.files.push_back(s);
        }
    }
    return true;
}

// A system from an .lpj (with its .lpt beside it).
bool FromLpj(const std::string& lpj, MapInfoRec& info) {
    Result r = ReadLayerDescription(lpj, ChangeFileExt(lpj, ".lpt"), info);
    if (!r) ConvertError(r.reason);
    return r.ok;
}

int Run(const std::vector<std::string>& argv) {
    Args a;
    if (!ParseArgs(argv, a)) return 2;
    if (a.points ? !a.files.empty() : a.files.size() != 2) {
        ConvertError(a.points ? "--points reads standard input; no files" : "give IN.shp and OUT.shp");
        return 2;
    }
    // Source: an .lpj, geographic, or the input's own .lpj when it has one.
    MapInfoRec src = MapProject::BlankMapInfo();
    if (!a.from.empty()) {
        if (!FromLpj(a.from, src)) return 1;
    } else if (!a.fromGeo && !a.points) {
        const std::string own = CompanionFile(a.files[0], ".lpj");
        // Back to degrees needs to know what the coordinates are now.
        if (a.toGeo && !FileExistsAny(own)) {
            ConvertError(a.files[0] + " has no layer description " + own +
                         " saying what its coordinates are: give --from LPJ or --from-geographic");
            return 1;
        }
        if (FileExistsAny(own) && !FromLpj(own, src)) return 1;
    }
    // Target: an .lpj, geographic, or inline.
    MapInfoRec dst = MapProject::BlankMapInfo();
    if (!a.to.empty()) {
        if (!FromLpj(a.to, dst)) return 1;
    } else if (!a.crs.empty()) {
        Result r = ParseMapInfo(a.crs, dst);
        if (!r) {
            // A system that cannot be set up fails as the package's refusals do.
            ConvertError("--crs " + r.reason);
            return 1;
        }
    } else if (!a.toGeo) {
        ConvertError("name the target with --to, --to-geographic or --crs");
        return 2;
    }
    TransformOptions opt;
    opt.DatumStep = !a.ignoreDatum;
    opt.IgnoreErrors = a.ignoreErrors;
    const ProjectionBlock from = BuildBlock(src), to = BuildBlock(dst);

    if (a.points) {
        Transformer t;
        Result r = t.Init(from, to, opt, ToStderr);
        if (!r) {
            ConvertError(r.reason);
            return 1;
        }
        // Enough digits for the unit: 1e-9 degree is 0.1 mm, 1e-11 radian 0.06 mm.
        long unit = 2;
        ResolveUnit(to, unit);
        const char* format = unit == 4 ? "%.9f\t%.9f\n" : unit == 0 ? "%.11f\t%.11f\n" : unit == 3 ? "%.6f\t%.6f\n"
                                                                                         : "%.4f\t%.4f\n";
        int status = 0;
        long long failed = 0;
        std::string line;
        while (std::getline(std::cin, line)) {
            std::istringstream in(line);
            double x, y;
            if (!(in >> x >> y)) {
                if (line.find_first_not_of(" \t\r") != std::string::npos) {
                    std::printf("*\t*\n");
                    ++failed;
                    status = 1;
                }
                continue;
            }
            if (t.Convert(x, y)) {
                std::printf(format, x, y);
            } else {
                std::printf("*\t*\n");
                ++failed;
                status = 1;
            }
        }
        t.FlushReports(ToStderr);
        if (failed) std::fprintf(stderr, "%lld points could not be converted\n", failed);
        return status;
    }

    LayerStore store;
    SilentPrompter prompter;
    NullProgress progress;
    store.LayerFileName = a.files[0];
    store.AppendLayerSlot();
    Result r = ReadShapefile(store, prompter, progress);
    if (!r) {
        ConvertError(a.files[0] + ": " + r.reason);
        return 1;
    }
    ShpLayer& L = store.ShapeLayers[1];
    ConvertOutcome o = TransformLayer(L, from, to, opt, progress, ToStderr);
    if (!o.result) {
        ConvertError(o.result.reason);
        return 1;
    }
    r = WriteShapefile(store, 1, a.files[1], progress);
    if (!r) {
        ConvertError(a.files[1] + ": " + r.reason);
        return 1;
    }
    std::error_code ec;
    const std::string dbf = CompanionFile(a.files[0], ".dbf");
    if (FileExists(dbf))
        std::filesystem::copy_file(dbf, ChangeFileExt(a.files[1], ".dbf"),
                                   std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        ConvertError(ChangeFileExt(a.files[1], ".dbf") + ": " + ec.message());
        return 1;
    }
    MapInfoRec desc = dst;
    desc.IsProjected = IsGeographic(to) ? 0 : 1;
    r = WriteLayerDescription(ChangeFileExt(a.files[1], ".lpj"), ChangeFileExt(a.files[1], ".lpt"), desc);
    if (!r) ConvertError(r.reason);
    Result prj = WritePrjFile(ChangeFileExt(a.files[1], ".prj"), to);
    if (!prj) ToStderr("zemba-convert: no .prj written: " + prj.reason);
    std::fprintf(stderr, "%lld points converted", o.points);
    if (o.failures) std::fprintf(stderr, ", %lld left as they were", o.failures);
    std::fprintf(stderr, "\n");
    return r && o.failures == 0 ? 0 : 1;
}

ZEMBA_CONVERT_COMMAND("reproject",
                       "reproject [--from LPJ|--from-geographic] [--to LPJ|--to-geographic] [--crs KEY=VALUE,...]\n"
                       "            [--ignore-datum] [--ignore-errors] IN.shp OUT.shp\n"
                       "  reproject --points [same options]   (\"x y\" lines on standard input)",
                       Run);

}  // namespace
}  // namespace zemba
