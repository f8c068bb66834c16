// Opening a large polygon layer: our reader with its .dbf against a plain
// shapelib SHPOpen + SHPReadObject loop over the same file, in one run.
//
//   read_bench [polygons] [vertices-per-polygon]     (default 200000 100)
#include <shapefil.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/synth.h"
#include "core/attributes.h"
#include "core/layer_store.h"
#include "core/shp_reader.h"

using namespace zemba;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

double ShapelibLoop(const std::string& path, long long* vertices) {
    auto t0 = Clock::now();
    SHPHandle h = SHPOpen(path.c_str(), "rb");
    if (!h) return -1;
    int n = 0, type = 0;
    SHPGetInfo(h, &n, &type, nullptr, nullptr);
    long long v = 0;
    for (int k = 0; k < n; ++k) {
        SHPObject* o = SHPReadObject(h, k);
        if (o) v += o->nVertices;
        SHPDestroyObject(o);
    }
    SHPClose(h);
    *vertices = v;
    return Seconds(t0, Clock::now());
}

double ReadOnce(const std::string& path) {
    LayerStore store;
    SilentPrompter prompter;
    NullProgress progress;
    auto t0 = Clock::now();
    store.AppendLayerSlot();
    store.LayerFileName = path;
    Result r = ReadShapefile(store, prompter, progress);
    if (r) r = LoadAttributes(store, 1, progress);
    if (!r) std::fprintf(stderr, "read failed: %s\n", r.reason.c_str());
    return r ? Seconds(t0, Clock::now()) : -1;
}

// Reads the layer with its table in a child process, so that the child's
// peak resident size is the reader's own, and the memory it fills is new to
// it as in a program just started. Then, after closing the layer, opens it
// again as a user reopening a file would (*again). Returns seconds; -1 on
// failure.
double OursInChild(const std::string& path, long* peakKb, double* again) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        double s[2] = {ReadOnce(path), ReadOnce(path)};
        if (write(fds[1], s, sizeof s) != sizeof s) _exit(2);
        _exit(0);
    }
    close(fds[1]);
    double s[2] = {-1, -1};
    if (read(fds[0], s, sizeof s) != sizeof s) s[0] = s[1] = -1;
    close(fds[0]);
    int status = 0;
    struct rusage ru {};
    wait4(pid, &status, 0, &ru);
    *peakKb = ru.ru_maxrss;
    *again = s[1];
    return s[0];
}

double RunCommand(const std::string& cmd) {
    auto t0 = Clock::now();
    int rc = std::system(cmd.c_str());
    double s = Seconds(t0, Clock::now());
    return rc == 0 ? s : -1;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string SelfDir() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string p(buf, static_cast<std::size_t>(n));
    return p.substr(0, p.find_last_of('/'));
}

}  // namespace

int main(int argc, char** argv) {
    const int polys = argc > 1 ? std::atoi(argv[1]) : 200000;
    const int verts = argc > 2 ? std::atoi(argv[2]) : 100;
    const int runs = 5;
    std::string path = bench::BenchDir() + "/polys_" + std::to_string(polys) + "x" + std::to_string(verts) + ".shp";
    std::ifstream probe(path);
    if (!probe) {
        std::printf("generating %s ...\n", path.c_str());
        if (!bench::WriteSyntheticPolygons(path, polys, verts)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    // Warm the page cache so every contender reads from memory.
    RunCommand("cat '" + path + "' '" + path.substr(0, path.size() - 4) + ".dbf' > /dev/null");

    long long vertices = 0;
    std::vector<double> shp, ours, reopen, info, cat;
    long peakKb = 0;
    for (int r = 0; r < runs; ++r) {
        shp.push_back(ShapelibLoop(path, &vertices));
        long kb = 0;
        double again = -1;
        ours.push_back(OursInChild(path, &kb, &again));
        reopen.push_back(again);
        peakKb = std::max(peakKb, kb);
        info.push_back(RunCommand("'" + SelfDir() + "/zemba-info' '" + path + "' > /dev/null"));
        cat.push_back(RunCommand("cat '" + path + "' > /dev/null"));
    }
    const double payloadMb = vertices * 16.0 / 1e6;
    const double limitMb = 1.5 * payloadMb + 100;
    std::printf("file: %s, %d polygons, %lld vertices, payload %.0f MB\n", path.c_str(), polys, vertices, payloadMb);
    std::printf("cat (the limit):           %.3f s\n", Median(cat));
    std::printf("shapelib SHPReadObject:    %.3f s\n", Median(shp));
    std::printf("zemba reader with .dbf:    %.3f s  (ratio %.2f to shapelib)\n", Median(ours), Median(ours) / Median(shp));
    std::printf("zemba reader, reopened:    %.3f s  (ratio %.2f to shapelib)\n", Median(reopen), Median(reopen) / Median(shp));
    std::printf("zemba-info summary:        %.3f s  (ratio %.2f to shapelib)\n", Median(info), Median(info) / Median(shp));
    std::printf("peak memory of the reader: %.0f MB (limit 1.5 x payload + 100 MB = %.0f MB, ratio %.2f)\n",
                peakKb / 1024.0, limitMb, (peakKb / 1024.0) / limitMb);
    std::printf("read %.3f s, shapelib %.3f s, ratio %.2f\n", Median(ours), Median(shp), Median(ours) / Median(shp));
    return 0;
}
