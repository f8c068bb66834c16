#include <gtest/gtest.h>

#include "core/shp_reader.h"
#include "tests/core/shp_builder.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

// Big layers take their vertex arrays from a bulk arena; the arrays must
// still behave as ordinary vectors through edits, copies and removal.
TEST(VertexArena, BigLayersReadAndEditLikeAnyOther) {
    TempDir d;
    ShpBuilder b(3);
    const int n = 12000, v = 100;  // about 19 MB of vertices
    for (int k = 0; k < n; ++k) {
        std::vector<std::pair<double, double>> part;
        for (int j = 0; j < v; ++j) part.push_back({k + j * 1e-3, -k - j * 1e-3});
        b.Raw(ShpBuilder::Poly(3, {part}));
    }
    WriteFileBytes(d.file("big.shp"), b.Bytes());

    for (int round = 0; round < 2; ++round) {
        LayerStore s;
        SilentPrompter p;
        NullProgress g;
        s.AppendLayerSlot();
        s.LayerFileName = d.file("big.shp");
        ASSERT_TRUE(ReadShapefile(s, p, g));
        ShpLayer& L = s.ShapeLayers[1];
        ASSERT_EQ(L.NumRecords, n);
        EXPECT_EQ(L.NumPoints, n * v);
        EXPECT_EQ(L.Shapes[n].Parts[1].Pts[v].X, (n - 1) + (v - 1) * 1e-3);
        EXPECT_EQ(L.Shapes[7].Parts[1].Pts[1].Y, -6);  // shape k holds polygon k - 1

        // Growing a part moves it to the heap; copying makes a heap copy.
        auto& pts = L.Shapes[5].Parts[1].Pts;
        pts.push_back({1.5, 2.5});
        EXPECT_EQ(pts[v].X, 4 + (v - 1) * 1e-3);
        EXPECT_EQ(pts[v + 1].Y, 2.5);
        L.Shapes[0] = L.Shapes[9];
        L.Shapes[9].Parts[1].Pts[1].X = 42;
        EXPECT_EQ(L.Shapes[0].Parts[1].Pts[1].X, 8);
        L.Shapes.resize(n / 2);  // deleting shapes releases their arrays
        if (round == 0) {
            s.RollBackAppend();
        } else {
            s.ClearAll();
        }
        EXPECT_EQ(s.ShapeLayers.size(), 1u);
    }
}
