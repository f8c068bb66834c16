// Object Info on big layers: ShapeSearcher with the pick of the candidate
// under the click, against the scan that lets pending window messages run
// after every shape, measured in the same run.
//
//   QT_QPA_PLATFORM=offscreen pick_bench [points] [polygons]
//
// Defaults: 1,000,000 point shapes (built in memory) and the 200,000-polygon,
// 100-vertex layer of the other benchmarks (written once, read back).
#include <QCoreApplication>
#include <QGuiApplication>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

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

// The scan as first described: a box test per shape, the progress position
// and pending messages after each one.
int PumpedScan(LayerStore& store, const ViewState& view, int x, int y, double X, double Y, int r) {
    int hits = 0;
    const HitBox box = PixelHitBox(store, view, x, y, r);
    volatile long long position = 0;
    for (int Li : store.LayerOrder) {
        const ShpLayer& L = store.ShapeLayers[Li];
        for (int i = 1; i <= L.NumRecords; ++i) {
            const ShpObj& s = L.Shapes[i];
            position = std::llround(static_cast<double>(i) / L.NumRecords * 100.0);
            if (IsPointType(L.ShapeType) ? box.Contains(s.XMin, s.YMin)
                                         : X >= s.XMin && X <= s.XMax && Y >= s.YMin && Y <= s.YMax)
                ++hits;
            QCoreApplication::processEvents();
        }
    }
    (void)position;
    return hits;
}

void Measure(const char* what, LayerStore& store, int clicks) {
    ViewState view;
    SetBitmapSize(view, 640, 480);
    FitToLayer(store, view, store.LayerCount);
    UpdateViewScale(store, view);
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> px(0, 639), py(0, 479);
    double best = 1e300, total = 0;
    long long found = 0;
    for (int c = 0; c < clicks; ++c) {
        const int x = px(rng), y = py(rng);
        const double X = XtoWorld(store, view, x), Y = YtoWorld(store, view, view.BitmapHeight - y);
        const auto t0 = Clock::now();
        if (ShapeSearcher(store, view, x, y, X, Y, 2)) found += PickCandidate(store, view, X, Y, 2) > 0;
        const double ms = Ms(t0, Clock::now());
        best = std::min(best, ms);
        total += ms;
    }
    const int x = 320, y = 240;
    const double X = XtoWorld(store, view, x), Y = YtoWorld(store, view, view.BitmapHeight - y);
    const auto t0 = Clock::now();
    PumpedScan(store, view, x, y, X, Y, 2);
    const double pumped = Ms(t0, Clock::now());
    std::printf("%-34s click: mean %.2f ms, best %.2f ms (%d clicks, %lld found)   pumped scan: %.1f ms (%.0fx)\n",
                what, total / clicks, best, clicks, found, pumped, pumped / (total / clicks));
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
