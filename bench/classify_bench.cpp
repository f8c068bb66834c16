// Classification and find on a large layer: Set Values and Set Classes on a
// unique-ID field and a text find over it, each against a plain loop over the
// same values in the same run.
//
//   QT_QPA_PLATFORM=offscreen classify_bench [polygons]
//
// Default 200000 polygons (5 vertices each) with the ID field N(9,0), written
// as a shapefile under the bench directory and read back with its table.
// Each side runs three times; the best time counts.
//
// Baselines: each plain loop does the same work as ours with nothing else,
// straight over the value texts: Set Values sorts the distinct texts and
// colours each shape by a hash lookup; equal intervals read the numbers, take
// min and max and colour each shape by its interval; quantiles read the
// numbers, sort a copy, pick the n breaks at the ceil(j * count / n)-th value
// and colour each shape by a binary search of the breaks, as quantile classes
// must. Neither side has any progress, notices or labels in the plain loop.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "attributes/classify.h"
#include "attributes/find.h"
#include "bench/synth.h"
#include "core/attributes.h"
#include "core/shp_reader.h"

using namespace zemba;
using Clock = std::chrono::steady_clock;

namespace {

double Best(const std::function<void()>& fn) {
    double best = 1e300;
    for (int k = 0; k < 3; ++k) {
        const auto a = Clock::now();
        fn();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - a).count());
    }
    return best;
}

void Report(const char* what, double ours, double plain) {
    std::printf("%-34s %9.1f ms   plain loop %9.1f ms   ratio %5.2f\n", what, ours * 1e3, plain * 1e3,
                plain > 0 ? ours / plain : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    const int polys = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200000;
    const std::string path = bench::BenchDir() + "/classify_" + std::to_string(polys) + ".shp";
    if (!bench::WriteSyntheticPolygons(path, polys, 5)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    LayerStore store;
    SilentPrompter prompter;
    NullProgress progress;
    store.AppendLayerSlot();
    store.LayerFileName = path;
    Result r = ReadShapefile(store, prompter, progress);
    if (r) r = LoadAttributes(store, 1, progress);
    if (!r || store.ShapeLayers[1].NumFields < 1) {
        std::fprintf(stderr, "cannot read %s: %s\n", path.c_str(), r.reason.c_str());
        return 1;
    }
    const ShpLayer& L = store.ShapeLayers[1];
    std::printf("%d polygons, field %s\n", L.NumRecords, L.Fields[0].Name.c_str());
    volatile std::size_t sink = 0;

    // Set Values: distinct values sorted and each shape coloured by its class.
    double ours = Best([&] { SetValues(store, 1, 0, ClassStyleMode::Color, progress); });
    // Plain: sort the value texts, then a hash lookup and a colour per shape.
    double plain = Best([&] {
        std::vector<std::string> v;
        v.reserve(L.NumRecords);
        for (int i = 1; i <= L.NumRecords; ++i) v.push_back(L.Shapes[i].Values[0]);
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
        std::unordered_map<std::string, int> pos;
        for (std::size_t k = 0; k < v.size(); ++k) pos.emplace(v[k], static_cast<int>(k));
        std::vector<SymObj>& objs = store.SymLayers[1].SymObjs;
        for (int i = 1; i <= L.NumRecords; ++i) objs[i].BrushColor = palette(pos[L.Shapes[i].Values[0]]);
        sink = sink + v.size();
    });
    Report("Set Values (unique IDs)", ours, plain);

    // Set Classes: numbers read, min and max, each shape classed.
    const auto ramp = ColorRamp(0x00FF00, 11);
    ours = Best([&] { SetClasses(store, 1, 0, 11, ClassStyleMode::Color, ramp, false, progress); });
    plain = Best([&] {
        std::vector<double> v(L.NumRecords + 1);
        double mn = 1e308, mx = -1e308;
        for (int i = 1; i <= L.NumRecords; ++i) {
            v[i] = std::strtod(L.Shapes[i].Values[0].c_str(), nullptr);
            mn = std::min(mn, v[i]);
            mx = std::max(mx, v[i]);
        }
        const double w = (mx - mn) / 11;
        std::vector<SymObj>& objs = store.SymLayers[1].SymObjs;
        for (int i = 1; i <= L.NumRecords; ++i) {
            const int j = std::clamp(w > 0 ? static_cast<int>((v[i] - mn) / w) + 1 : 1, 1, 11);
            objs[i].BrushColor = ramp[j];
        }
    });
    Report("Set Classes (11 equal intervals)", ours, plain);
    ours = Best([&] { SetClasses(store, 1, 0, 11, ClassStyleMode::Color, ramp, true, progress); });
    // Plain: numbers read, a sorted copy, the quantile breaks, each shape
    // classed by a binary search of the breaks.
    plain = Best([&] {
        const int n = 11, count = L.NumRecords;
        std::vector<double> v(count + 1);
        for (int i = 1; i <= count; ++i) v[i] = std::strtod(L.Shapes[i].Values[0].c_str(), nullptr);
        std::vector<double> sorted(v.begin() + 1, v.end());
        std::sort(sorted.begin(), sorted.end());
        std::vector<double> breaks(n + 1, sorted.empty() ? 0.0 : sorted.front());
        for (int j = 1; j <= n && !sorted.empty(); ++j) {
            const long long pos = (static_cast<long long>(j) * count + n - 1) / n;
            breaks[j] = sorted[static_cast<std::size_t>(std::max<long long>(pos, 1) - 1)];
        }
        std::vector<SymObj>& objs = store.SymLayers[1].SymObjs;
        for (int i = 1; i <= count; ++i) {
            const int j = std::clamp(
                static_cast<int>(std::lower_bound(breaks.begin() + 1, breaks.end(), v[i]) - breaks.begin()), 1, n);
            objs[i].BrushColor = ramp[j];
        }
    });
    Report("Set Classes (11 quantiles)", ours, plain);

    // Text find: every value searched for "99".
    ours = Best([&] { sink = sink + FindText(store, 1, 0, "99", progress).Hits.size(); });
    plain = Best([&] {
        std::vector<int> hits;
        for (int i = 1; i <= L.NumRecords; ++i)
            if (L.Shapes[i].Values[0].find("99") != std::string::npos) hits.push_back(i);
        sink = sink + hits.size();
    });
    Report("Find text \"99\"", ours, plain);
    return 0;
}
