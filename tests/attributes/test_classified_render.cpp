// What a redraw makes of a classification of the North Carolina sample.
#include <gtest/gtest.h>

#include "attributes/classify.h"
#include "attributes/find.h"
#include "tests/attributes/attr_fixture.h"
#include "view/renderer.h"
#include "view/viewport.h"

using namespace zemba;
using namespace zemba::test;

TEST(ClassifiedRender, CountiesShowTheRampColours) {
    LayerStore store;
    ViewState view;
    NullProgress progress;
    const int L = OpenSample(store, "nc.shp");
    ASSERT_GT(L, 0);
    SetBitmapSize(view, 600, 250);
    FitToLayer(store, view, L);
    MapRenderer r(store, view);

    const auto ramp = ColorRamp(0x00FF00, 5);
    ClassifySession s(store);
    store.CurrentLayer = L;
    s.Init(0x00FF00);
    s.SetField(FieldIndex(store, L, "BIR74"));
    const SetClassesResult res = s.DoSetClasses(progress);
    ASSERT_TRUE(res.Ok);
    r.DVDORedraw(progress);
    // Before Apply the layer still draws in its own fill colour.
    EXPECT_EQ(CountColour(r.Image(), ramp[2]), 0);
    ASSERT_TRUE(s.Apply());
    r.DVDORedraw(progress);
    for (int j = 1; j <= 5; ++j) {
        if (res.Counts[j] == 0) continue;
        EXPECT_GT(CountColour(r.Image(), ramp[j]), 20 * res.Counts[j]) << "class " << j;
    }

    // Highlight after that: found counties yellow, the rest keep their classes.
    const FindResult found = FindText(store, L, FieldIndex(store, L, "NAME"), "Wake", progress);
    StoreHits(store, found);
    ASSERT_EQ(store.HitCount, 1);
    ASSERT_TRUE(HighlightFound(store, L, 0x00FFFF));
    r.DVDORedraw(progress);
    EXPECT_GT(CountColour(r.Image(), 0x00FFFF), 50);
    EXPECT_GT(CountColour(r.Image(), ramp[1]), 20 * res.Counts[1]);
}
