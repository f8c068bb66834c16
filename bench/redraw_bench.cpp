// Redrawing a large polygon layer: DVDORedraw against plain QPainter calls
// drawing the same polygons (already in pixels) into a QImage, in one run.
//
//   QT_QPA_PLATFORM=offscreen redraw_bench [polygons] [vertices] [--memory] [--24]
//
// Default 200000 polygons of 100 vertices in a 1024 x 768 view. The layer is
// written as a shapefile and read back, or built in memory with --memory.
// Each side runs three times; the best time counts.
//
// Baselines: the same rings converted to pixels beforehand (the renderer's
// truncation), drawn by a bare QPainter loop with the same pen and brush and
// nothing else: no store, styles, progress or culling. First every vertex as
// converted; then with consecutive vertices on the same pixel dropped (and a
// ring that shrank to one pixel kept as a segment), which is the figure the
// renderer hands the painter, so that second loop draws the same picture with
// the least painter work. The pixels differing from each picture are printed;
// ZEMBA_BENCH_DIFF=1 in the environment also says where they lie.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/synth.h"
#include "core/layer_store.h"
#include "core/shp_reader.h"
#include "view/renderer.h"
#include "view/viewport.h"

using namespace zemba;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// The same grid of rings as the synthetic shapefile, straight into a layer.
void FillInMemory(LayerStore& store, int polys, int verts) {
    store.AppendLayerSlot();
    ShpLayer& l = store.ShapeLayers[1];
    l.LayerIndex = 1;
    l.ShapeType = 5;
    const int cols = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(polys))));
    const double cell = 1000.0, r = 450.0, ox = 500000.0, oy = 4000000.0;
    l.XMin = ox;
    l.YMin = oy;
    l.XMax = ox + cols * cell;
    l.YMax = oy + ((polys + cols - 1) / cols) * cell;
    l.NumRecords = polys;
    l.NumPoints = polys * verts;
    l.Shapes.resize(polys + 1);
    for (int k = 0; k < polys; ++k) {
        ShpObj& s = l.Shapes[k + 1];
        const double cx = ox + (k % cols) * cell + cell / 2, cy = oy + (k / cols) * cell + cell / 2;
        s.XMin = cx - r;
        s.YMin = cy - r;
        s.XMax = cx + r;
        s.YMax = cy + r;
        s.NumParts = 1;
        s.NumPoints = verts;
        s.PartSizes = {0, verts};
        s.Parts.resize(2);
        PointArray& pts = s.Parts[1].Pts;
        pts.resize(verts + 1);
        for (int j = 0; j < verts; ++j) {
            const double a = -2 * M_PI * (j == verts - 1 ? 0 : j) / (verts - 1);
            double rr = r * (0.8 + 0.2 * ((j * 7919) % 13) / 13.0);
            if (j == 0 || j == verts - 1) rr = r * 0.8;
            pts[j + 1] = {cx + rr * std::cos(a), cy + rr * std::sin(a)};
        }
    }
    store.ApplyLayerExtents(1);
    store.SetLoadedLayerDefaults(1);
}

// A progress like the window's: pumps at most every 30 ms.
class ThrottledProgress : public Progress {
public:
    ThrottledProgress() { timer_.start(); }
    void SetMessage(const std::string&) override {}
    void SetRange(long long, long long) override {}
    void SetPosition(long long p) override { pos_ = p; }
    void Pump() override {
        if (timer_.elapsed() < 30) return;
        QCoreApplication::processEvents();
        ++pumps;
        timer_.restart();
    }
    long long pumps = 0;

private:
    long long pos_ = 0;
    QElapsedTimer timer_;
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    int polys = 200000, verts = 100;
    bool memory = false, depth24 = false;
    int num = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--memory") == 0)
            memory = true;
        else if (std::strcmp(argv[i], "--24") == 0)
            depth24 = true;
        else if (num++ == 0)
            polys = std::atoi(argv[i]);
        else
            verts = std::atoi(argv[i]);
    }
    if (polys < 1 || verts < 4) {
        std::fprintf(stderr, "usage: redraw_bench [polygons] [vertices>=4] [--memory] [--24]\n");
        return 2;
    }

    LayerStore store;
    if (memory) {
        FillInMemory(store, polys, verts);
    } else {
        const std::string path = bench::BenchDir() + "/redraw_synth.shp";
        if (!bench::WriteSyntheticPolygons(path, polys, verts)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        SilentPrompter prompter;
        NullProgress quiet;
        store.AppendLayerSlot();
        store.LayerFileName = path;
        Result r = ReadShapefile(store, prompter, quiet);
        if (!r) {
            std::fprintf(stderr, "read failed: %s\n", r.reason.c_str());
            return 1;
        }
    }
    long long vertices = 0;
    for (int i = 1; i <= store.ShapeLayers[1].NumRecords; ++i)
        vertices += store.ShapeLayers[1].Shapes[i].NumPoints;

    ViewState view;
    SetBitmapSize(view, 1024, 768);
    FitToLayer(store, view, 1);
    MapRenderer renderer(store, view);
    renderer.SetPixelDepth(depth24 ? 24 : 32);
    const QImage::Format format = depth24 ? QImage::Format_RGB888 : QImage::Format_RGB32;
    ThrottledProgress progress;

    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        auto t0 = Clock::now();
        renderer.DVDORedraw(progress);
        best = std::min(best, Seconds(t0, Clock::now()));
    }

    // The baselines' rings, converted to pixels outside the timing.
    const SymLayer& sym = store.SymLayers[1];
    std::vector<QPolygon> rings, deduped;
    rings.reserve(store.ShapeLayers[1].NumRecords);
    deduped.reserve(store.ShapeLayers[1].NumRecords);
    for (int i = 1; i <= store.ShapeLayers[1].NumRecords; ++i) {
        const ShpObj& s = store.ShapeLayers[1].Shapes[i];
        for (int k = 1; k <= s.NumParts; ++k) {
            QPolygon poly(s.PartSizes[k]);
            for (int j = 1; j <= s.PartSizes[k]; ++j) {
                const PixelPoint p = WorldToPixel(store, view, s.Parts[k].Pts[j].X, s.Parts[k].Pts[j].Y);
                poly[j - 1] = QPoint(p.x, p.y);
            }
            QPolygon once;
            once.reserve(poly.size());
            for (const QPoint& q : poly)
                if (once.isEmpty() || once.back() != q) once.push_back(q);
            if (once.size() == 1 && poly.size() > 1) once.push_back(once[0]);
            deduped.push_back(std::move(once));
            rings.push_back(std::move(poly));
        }
    }
    const QPen pen(ColorFromRef(sym.LineColor), 1, Qt::SolidLine);
    const QBrush brush(ColorFromRef(sym.FillColor), Qt::SolidPattern);
    const QImage& ours = renderer.Image();
    // Best of three of the bare loop over the given rings; the pixels of its
    // picture that differ from ours.
    auto bare = [&](const std::vector<QPolygon>& all, long long& differ) {
        double best = 1e30;
        QImage img;
        for (int run = 0; run < 3; ++run) {
            auto t0 = Clock::now();
            img = QImage(1024, 768, format);
            img.fill(Qt::white);
            QPainter p(&img);
            p.setPen(pen);
            p.setBrush(brush);
            for (const QPolygon& poly : all) p.drawPolygon(poly, Qt::OddEvenFill);
            p.end();
            best = std::min(best, Seconds(t0, Clock::now()));
        }
        differ = 0;
        int y0 = 1 << 30, y1 = -1, x0 = 1 << 30, x1 = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (ours.pixel(x, y) != img.pixel(x, y)) {
                    ++differ;
                    y0 = std::min(y0, y), y1 = std::max(y1, y), x0 = std::min(x0, x), x1 = std::max(x1, x);
                }
        if (differ > 0 && std::getenv("ZEMBA_BENCH_DIFF"))
            std::printf("  differing pixels within x %d..%d, y %d..%d\n", x0, x1, y0, y1);
        return best;
    };
    long long differ = 0, differOnce = 0;
    const double baseline = bare(rings, differ);
    std::printf("%lld pixels differ from the baseline picture (every vertex)\n", differ);
    const double baselineOnce = bare(deduped, differOnce);
    std::printf("%lld pixels differ from the baseline picture (same-pixel vertices dropped)\n", differOnce);
    std::printf("%d polygons, %lld vertices, %s, view %dx%d at %d bits, %lld pumps\n",
                store.ShapeLayers[1].NumRecords, vertices,
                memory ? "built in memory" : "read from a shapefile", view.BitmapWidth,
                view.BitmapHeight, depth24 ? 24 : 32, progress.pumps);
    std::printf("redraw %.3f s, baseline (every vertex) %.3f s, ratio %.2f\n", best, baseline, best / baseline);
    std::printf("redraw %.3f s, baseline (same-pixel vertices dropped) %.3f s, ratio %.2f\n", best, baselineOnce,
                best / baselineOnce);
    return 0;
}
