// Helpers for the pointer-tool and editing tests: loading sample layers and
// driving the tool controller with presses at world positions.
#pragma once

#include <string>

#include "core/attributes.h"
#include "core/shp_reader.h"
#include "tests/test_support.h"
#include "tests/view/view_fixture.h"
#include "view/tool_controller.h"

namespace zemba::test {

// Reads tests/data/<name> as a new layer with its table; returns its index.
inline int LoadSample(LayerStore& store, const std::string& name) {
    SilentPrompter quiet;
    NullProgress none;
    store.AppendLayerSlot();
    store.LayerFileName = DataPath(name);
    if (!ReadShapefile(store, quiet, none)) {
        store.RollBackAppend();
        return 0;
    }
    LoadAttributes(store, store.LayerCount, none);
    return store.LayerCount;
}

constexpr unsigned kL = kLeftButton;

// Presses and releases at world positions of the current view.
struct Pointer {
    ToolController& tc;
    LayerStore& store;
    ViewState& view;
    PixelPoint At(double X, double Y) const { return WorldToPixel(store, view, X, Y); }
    void Press(double X, double Y, unsigned shift = kL) {
        const PixelPoint p = At(X, Y);
        tc.MouseDown(p.x, p.y, shift);
    }
    void Release(double X, double Y, unsigned shift = kL) {
        const PixelPoint p = At(X, Y);
        tc.MouseUp(p.x, p.y, shift);
    }
    void Drag(double X0, double Y0, double X1, double Y1, unsigned shift = kL) {
        Press(X0, Y0, shift);
        const PixelPoint p = At(X1, Y1);
        tc.MouseMove(p.x, p.y, shift);
        Release(X1, Y1, shift);
    }
    void Click(double X, double Y, unsigned shift = kL) { Drag(X, Y, X, Y, shift); }
};

}  // namespace zemba::test
