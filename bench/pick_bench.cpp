// Object Info on big layers: ShapeSearcher with the pick of the candidate
// under the click, against a plain scan doing the same work, on the same
// clicks in the same run.
//
// Baseline: one loop over the shapes with the same box test (the point in the
// pixel hit box for points, the click in the shape's box otherwise), the
// candidates appended to the hit list, then the same PickCandidate on them;
// no layer-order, editable or null-shape bookkeeping and no event pumping.
// That is the least any click must do without a spatial index, so the ratio
// is what our bookkeeping costs over it.
//
//   QT_QPA_PLATFORM=offscreen pick_bench [points] [polygons]
//
// Defaults: 1,000,000 point shapes (built in memory) and the 200,000-polygon,
// 100-vertex layer of the other benchmarks (written once, read back).
#include <QGuiApplication>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench/synth.h"
#include "core/layer_store.h"
#include "core/shp_reader.h"
#include "view/hit_test.h"
#include "view/viewport.h"

using namespace zemba;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

void PointLayer(LayerStore& store, int n) {
    store.AppendLayerSlot();
    ShpLayer& l = store.ShapeLayers[store.LayerCount];
    l.ShapeType = 1;
    l.LayerIndex = store.LayerCount;
    l.NumRecords = n;
    l.NumPoints = n;
    l.Shapes.resize(static_cast<std::size_t>(n) + 1);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> x(500000, 900000), y(4000000, 4300000);
    for (int k = 1; k <= n; ++k) {
        ShpObj& s = l.Shapes[k];
        s.XMin = s.XMax = x(rng);
        s.YMin = s.YMax = y(rng);
    }
    l.XMin = 500000, l.XMax = 900000, l.YMin = 4000000, l.YMax = 4300000;
    store.ApplyLayerExtents(store.LayerCount);
    store.SetLoadedLayerDefaults(store.LayerCount);
}

// The plain scan: box test per shape, candidates into the hit list, then
// the same pick.
std::int32_t PlainScan(LayerStore& store, const ViewState& view, int x, int y, double X, double Y, int r) {
    const HitBox box = PixelHitBox(store, view, x, y, r);
    store.HitList.assign(1, HitEntry{});
    for (int Li : store.LayerOrder) {
        const ShpLayer& L = store.ShapeLayers[Li];
        const bool point = IsPointType(L.ShapeType);
        for (int i = 1; i <= L.NumRecords; ++i) {
            const ShpObj& s = L.Shapes[i];
            if (point ? box.Contains(s.XMin, s.YMin)
                      : X >= s.XMin && X <= s.XMax && Y >= s.YMin && Y <= s.YMax)
                store.HitList.push_back({Li, i});
        }
    }
    store.HitCount = static_cast<std::int32_t>(store.HitList.size()) - 1;
    return store.HitCount > 0 ? PickCandidate(store, view, X, Y, r) : 0;
}

void Measure(const char* what, LayerStore& store, int clicks) {
    ViewState view;
    SetBitmapSize(view, 640, 480);
    FitToLayer(store, view, store.LayerCount);
    UpdateViewScale(store, view);
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> px(0, 639), py(0, 479);
    std::vector<std::pair<int, int>> clicks_at;
    for (int c = 0; c < clicks; ++c) clicks_at.emplace_back(px(rng), py(rng));
    double best = 1e300, total = 0, plainBest = 1e300, plainTotal = 0;
    long long found = 0, plainFound = 0;
    for (const auto& [x, y] : clicks_at) {
        const double X = XtoWorld(store, view, x), Y = YtoWorld(store, view, view.BitmapHeight - y);
        auto t0 = Clock::now();
        if (ShapeSearcher(store, view, x, y, X, Y, 2)) found += PickCandidate(store, view, X, Y, 2) > 0;
        double ms = Ms(t0, Clock::now());
        best = std::min(best, ms);
        total += ms;
        t0 = Clock::now();
        plainFound += PlainScan(store, view, x, y, X, Y, 2) > 0;
        ms = Ms(t0, Clock::now());
        plainBest = std::min(plainBest, ms);
        plainTotal += ms;
    }
    const double mean = total / clicks, plainMean = plainTotal / clicks;
    std::printf("%-34s click: mean %.2f ms, best %.2f ms (%d clicks, %lld found)\n", what, mean, best, clicks, found);
    std::printf("%-34s plain scan: mean %.2f ms, best %.2f ms (%lld found)   ratio (mean) %.2f\n", "", plainMean,
                plainBest, plainFound, plainMean > 0 ? mean / plainMean : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int points = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int polys = argc > 2 ? std::atoi(argv[2]) : 200000;
    {
        LayerStore store;
        PointLayer(store, points);
        Measure((std::to_string(points) + " points").c_str(), store, 50);
    }
    {
        const std::string path = bench::BenchDir() + "/polys_" + std::to_string(polys) + "x100.shp";
        if (!std::ifstream(path) && !bench::WriteSyntheticPolygons(path, polys, 100)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        LayerStore store;
        store.AppendLayerSlot();
        store.LayerFileName = path;
        SilentPrompter quiet;
        NullProgress none;
        if (!ReadShapefile(store, quiet, none)) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 1;
        }
        Measure((std::to_string(polys) + " polygons of 100 vertices").c_str(), store, 50);
    }
    return 0;
}
