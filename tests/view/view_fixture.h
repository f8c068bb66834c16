// Small layers built by hand for the view tests, and the Qt application
// they need for fonts, printing and dialogs.
#pragma once

#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "core/layer_store.h"
#include "view/renderer.h"
#include "view/viewport.h"

namespace zemba::test {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!QApplication::instance()) {
            static int argc = 1;
            static char name[] = "zemba_view_tests";
            static char* argv[] = {name, nullptr};
            app_ = new QApplication(argc, argv);
        }
    }

private:
    QApplication* app_ = nullptr;
};

using Ring = std::vector<std::pair<double, double>>;

// Appends layer `type` with the loaded-layer defaults; returns its index.
inline int AddLayer(LayerStore& store, int type) {
    store.AppendLayerSlot();
    const int i = store.LayerCount;
    store.ShapeLayers[i].ShapeType = type;
    store.ShapeLayers[i].LayerIndex = i;
    store.ShapeLayers[i].Shapes.resize(1);
    store.SetLoadedLayerDefaults(i);
    return i;
}

// Keeps the layer's box, counts and SymObjs in step with its shapes.
inline void Grow(LayerStore& store, int layer, ShpObj s) {
    ShpLayer& l = store.ShapeLayers[layer];
    const bool first = l.NumRecords == 0;
    l.Shapes.push_back(std::move(s));
    const ShpObj& a = l.Shapes.back();
    l.NumRecords += 1;
    l.NumPoints += a.NumPoints;
    if (first) {
        l.XMin = a.XMin, l.YMin = a.YMin, l.XMax = a.XMax, l.YMax = a.YMax;
    } else {
        l.XMin = std::min(l.XMin, a.XMin), l.YMin = std::min(l.YMin, a.YMin);
        l.XMax = std::max(l.XMax, a.XMax), l.YMax = std::max(l.YMax, a.YMax);
    }
    store.SymLayers[layer].SymObjs.resize(l.NumRecords + 1);
}

inline void AddPoint(LayerStore& store, int layer, double x, double y) {
    ShpObj s;
    s.XMin = s.XMax = x;
    s.YMin = s.YMax = y;
    Grow(store, layer, std::move(s));
}

// A line or polygon shape with one part per ring.
inline void AddShape(LayerStore& store, int layer, std::initializer_list<Ring> rings,
                     int shapeType = 0) {
    ShpObj s;
    s.ShapeType = shapeType;
    s.PartSizes.push_back(0);
    s.Parts.emplace_back();
    bool first = true;
    for (const Ring& r : rings) {
        PAR par;
        par.Pts.resize(r.size() + 1);
        for (std::size_t j = 0; j < r.size(); ++j) {
            par.Pts[j + 1] = {r[j].first, r[j].second};
            if (first) {
                s.XMin = s.XMax = r[j].first, s.YMin = s.YMax = r[j].second;
                first = false;
            }
            s.XMin = std::min(s.XMin, r[j].first), s.XMax = std::max(s.XMax, r[j].first);
            s.YMin = std::min(s.YMin, r[j].second), s.YMax = std::max(s.YMax, r[j].second);
        }
        s.Parts.push_back(std::move(par));
        s.PartSizes.push_back(static_cast<int>(r.size()));
        s.NumPoints += static_cast<int>(r.size());
        s.NumParts += 1;
    }
    Grow(store, layer, std::move(s));
}

inline Ring Square(double x0, double y0, double x1, double y1) {
    return {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}, {x0, y0}};
}

// A 100 x 100 world shown 1:1 in a 100 x 100 bitmap: world (x, y) lands on
// pixel (x, 99 - y).
inline void UnitView(LayerStore& store, ViewState& view) {
    SetBitmapSize(view, 100, 100);
    store.MapXMin = 0, store.MapXMax = 100, store.MapYMin = 0, store.MapYMax = 100;
    store.MapXOffset = 0, store.MapYOffset = 0;
}

inline QRgb Rgb(COLORREF c) { return ColorFromRef(c).rgb(); }

inline int CountColour(const QImage& img, COLORREF c, QRect r = QRect()) {
    if (r.isNull()) r = img.rect();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixel(x, y) == Rgb(c)) ++n;
    return n;
}

}  // namespace zemba::test
