// Projecting a large polygon layer to UTM, in one run, against PROJ:
//
//   project_bench [polygons] [vertices-per-polygon] [text-points]
//   (default 200000 100 2000000)
//
// Baseline 1, in-process: PROJ's proj_trans_generic on the same points (all of
// them, degrees in arrays of doubles) from longitude/latitude to UTM zone 17
// on the Clarke 1866 spheroid, the same system as ours, through one pipeline
// that turns degrees to radians as our call does. That is the library call a
// program would make instead of ours, so the ratio compares the two
// projections' own work; ours also checks each point and updates the shape
// boxes. The largest difference between the two results is printed. PROJ
// runs twice: its default transverse Mercator (an exact series) and +approx
// (Snyder's series, the one our package uses), the like-for-like line.
// Baseline 2, text to text: `zemba-convert reproject --points` against PROJ's
// `cs2cs` on the first text-points points as "x y" lines through a file, each
// program parsing and printing text, the way both are used from a shell.
#include <proj.h>

#include <algorithm>
#include <cmath>
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

#include <unistd.h>
#include <vector>

using namespace zemba;
using Clock = std::chrono::steady_clock;

namespace {

std::string SelfDir() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    const std::string p(buf, static_cast<std::size_t>(n));
    return p.substr(0, p.find_last_of('/'));
}

double RunSeconds(const std::string& cmd, int& rc) {
    const auto t0 = Clock::now();
    rc = std::system(cmd.c_str());
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

}  // namespace

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
    std::vector<double> xs, ys;
    xs.reserve(static_cast<std::size_t>(L.NumPoints));
    ys.reserve(static_cast<std::size_t>(L.NumPoints));
    std::string text;
    char buf[64];
    for (std::int32_t k = 1; k <= L.NumRecords; ++k)
        for (std::size_t p = 1; p < L.Shapes[k].Parts.size(); ++p)
            for (std::size_t j = 1; j < L.Shapes[k].Parts[p].Pts.size(); ++j) {
                PointXY& q = L.Shapes[k].Parts[p].Pts[j];
                q.X = -84 + (q.X - x0) * sx;
                q.Y = 33 + (q.Y - y0) * sy;
                xs.push_back(q.X);
                ys.push_back(q.Y);
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

    // PROJ in-process on the same points: its default transverse Mercator
    // (the exact series), then +approx (Snyder's series, which GCTP uses).
    const std::vector<double> xs0 = xs, ys0 = ys;
    for (const bool approx : {false, true}) {
        xs = xs0;
        ys = ys0;
        PJ_CONTEXT* ctx = proj_context_create();
        const std::string def = std::string("+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad "
                                            "+step +proj=utm +zone=17 +ellps=clrk66") +
                                (approx ? " +approx" : "");
        PJ* pj = proj_create(ctx, def.c_str());
        if (!pj) {
            std::fprintf(stderr, "PROJ: cannot set up %s\n", def.c_str());
            return 1;
        }
        t0 = Clock::now();
        const std::size_t moved = proj_trans_generic(pj, PJ_FWD, xs.data(), sizeof(double), xs.size(), ys.data(),
                                                     sizeof(double), ys.size(), nullptr, 0, 0, nullptr, 0, 0);
        const double pr = std::chrono::duration<double>(Clock::now() - t0).count();
        proj_destroy(pj);
        proj_context_destroy(ctx);
        // The two agree on the system: the largest distance between their results.
        double worst = 0;
        std::size_t at = 0;
        for (std::int32_t k = 1; k <= L.NumRecords; ++k)
            for (std::size_t p = 1; p < L.Shapes[k].Parts.size(); ++p)
                for (std::size_t j = 1; j < L.Shapes[k].Parts[p].Pts.size() && at < xs.size(); ++j, ++at) {
                    const PointXY& q = L.Shapes[k].Parts[p].Pts[j];
                    worst = std::max(worst, std::hypot(q.X - xs[at], q.Y - ys[at]));
                }
        std::printf("PROJ proj_trans_generic%s, same points and system: %zu points in %.2f s = %.2f M points/s"
                    "   ratio (ours/PROJ points per second) %.2f   largest difference %.3g m\n",
                    approx ? " +approx" : "", moved, pr, moved / pr / 1e6, (o.points / ours) / (moved / pr), worst);
    }

    const std::string in = dir + "/cs2cs_in.txt";
    if (std::FILE* f = std::fopen(in.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    const long long m = std::min(n, csPoints);
    int rc = 0;
    const double cs = RunSeconds(
        "cs2cs -f %.4f +proj=longlat +ellps=clrk66 +to +proj=utm +zone=17 +ellps=clrk66 < " + in + " > /dev/null", rc);
    if (rc != 0)
        std::printf("cs2cs: not run (status %d)\n", rc);
    int zrc = 0;
    const double zc = RunSeconds("'" + SelfDir() +
                                     "/zemba-convert' reproject --points --from-geographic "
                                     "--crs ProjectionCode=1,UtmZone=17,Units=2 < " +
                                     in + " > /dev/null",
                                 zrc);
    if (zrc != 0) std::printf("zemba-convert reproject --points: not run (status %d)\n", zrc);
    if (rc == 0 && zrc == 0)
        std::printf("text to text, %lld points: zemba-convert reproject --points %.2f s = %.2f M points/s, "
                    "cs2cs %.2f s = %.2f M points/s   ratio (points per second) %.2f\n",
                    m, zc, m / zc / 1e6, cs, m / cs / 1e6, cs / zc);
    std::remove(in.c_str());
    return 0;
}
