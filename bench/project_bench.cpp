// Projecting a large polygon layer to UTM: points per second of the map
// projection (GCTP, all or nothing, boxes updated) against PROJ's cs2cs on
// the same points, in one run.
//
//   project_bench [polygons] [vertices-per-polygon] [cs2cs-points]
//   (default 200000 100 2000000: cs2cs gets the first 2 million points, as
//   text through a pipe, which is how it is used)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/synth.h"
#include "core/attributes.h"
#include "core/layer_store.h"
#include "core/shp_reader.h"
#include "mapping/project_files.h"
#include "mapping/projection.h"

using namespace zemba;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    const int polys = argc > 1 ? std::atoi(argv[1]) : 200000;
    const int verts = argc > 2 ? std::atoi(argv[2]) : 100;
    const long long csPoints = argc > 3 ? std::atoll(argv[3]) : 2000000;
    const std::string dir = bench::BenchDir();
    const std::string shp = dir + "/poly_" + std::to_string(polys) + "_" + std::to_string(verts) + ".shp";
    if (!bench::WriteSyntheticPolygons(shp, polys, verts)) {
        std::fprintf(stderr, "cannot write %s\n", shp.c_str());
        return 1;
    }
    LayerStore store;
    SilentPrompter prompter;
    NullProgress progress;
    store.LayerFileName = shp;
    store.AppendLayerSlot();
    if (!ReadShapefile(store, prompter, progress)) return 1;
    ShpLayer& L = store.ShapeLayers[1];
    // The synthetic grid becomes degrees over North Carolina (UTM 17).
    const double sx = 6.0 / (L.XMax - L.XMin), sy = 4.0 / (L.YMax - L.YMin), x0 = L.XMin, y0 = L.YMin;
    long long n = 0;
    std::string text;
    char buf[64];
    for (std::int32_t k = 1; k <= L.NumRecords; ++k)
        for (std::size_t p = 1; p < L.Shapes[k].Parts.size(); ++p)
            for (std::size_t j = 1; j < L.Shapes[k].Parts[p].Pts.size(); ++j) {
                PointXY& q = L.Shapes[k].Parts[p].Pts[j];
                q.X = -84 + (q.X - x0) * sx;
                q.Y = 33 + (q.Y - y0) * sy;
                if (n++ < csPoints) {
                    std::snprintf(buf, sizeof buf, "%.9f %.9f\n", q.X, q.Y);
                    text += buf;
                }
            }
    RecomputeBoxes(L);

    MapInfoRec utm = MapProject::BlankMapInfo();
    utm.ProjectionCode = 1;
    utm.UtmZone = 17;
    utm.Units = 2;
    auto t0 = Clock::now();
    ConvertOutcome o = ProjectMap(store, BuildBlock(utm), TransformOptions{}, progress, {});
    const double ours = std::chrono::duration<double>(Clock::now() - t0).count();
    if (!o.result) {
        std::fprintf(stderr, "%s\n", o.result.reason.c_str());
        return 1;
    }
    std::printf("ZEMBA ProjectMap to UTM 17: %lld points in %.2f s = %.2f M points/s\n", o.points, ours,
                o.points / ours / 1e6);

    const std::string in = dir + "/cs2cs_in.txt";
    if (std::FILE* f = std::fopen(in.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    const long long m = std::min(n, csPoints);
    t0 = Clock::now();
    const std::string cmd = "cs2cs -f %.4f +proj=longlat +ellps=clrk66 +to +proj=utm +zone=17 +ellps=clrk66 < " + in +
                            " > /dev/null";
    const int rc = std::system(cmd.c_str());
    const double cs = std::chrono::duration<double>(Clock::now() - t0).count();
    if (rc != 0)
        std::printf("cs2cs: not run (status %d)\n", rc);
    else
        std::printf("PROJ cs2cs, same projection:  %lld points in %.2f s = %.2f M points/s\n", m, cs, m / cs / 1e6);
    std::remove(in.c_str());
    return 0;
}
