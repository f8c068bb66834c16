#include <gtest/gtest.h>

#include "core/layer_store.h"

using namespace zemba;

namespace {
// Appends a layer of the given type with a header box, as the reader would.
void AddLayer(LayerStore& s, std::int32_t type, double x0, double y0, double x1, double y1) {
    s.AppendLayerSlot();
    ShpLayer& L = s.ShapeLayers[s.CurrentLayer];
    L.ShapeType = type;
    L.XMin = x0;
    L.YMin = y0;
    L.XMax = x1;
    L.YMax = y1;
    L.Shapes.resize(1);
    s.ApplyLayerExtents(s.CurrentLayer);
    s.SetLoadedLayerDefaults(s.CurrentLayer);
}
}  // namespace

TEST(LayerStore, StartsEmptyWithReservedSlots) {
    LayerStore s;
    EXPECT_EQ(s.LayerCount, 0);
    EXPECT_EQ(s.CurrentLayer, 0);
    EXPECT_EQ(s.ShapeLayers.size(), 1u);
    EXPECT_EQ(s.SymLayers.size(), 1u);
    EXPECT_TRUE(s.LayerOrder.empty());
    EXPECT_EQ(s.LayerFileName, "NoName.duh");
    EXPECT_EQ(s.MapXMax, 1);
    EXPECT_EQ(s.MapHeight, 1);
}

TEST(LayerStore, DefaultStylesFollowTheLayerNumber) {
    LayerStore s;
    for (int i = 1; i <= 14; ++i) AddLayer(s, i == 5 || i == 6 ? 1 : 5, 0, 0, 1, 1);
    EXPECT_EQ(s.SymLayers[1].LineStyle, 0);
    EXPECT_EQ(s.SymLayers[1].ShapeStyle, 0);
    EXPECT_EQ(s.SymLayers[1].FillColor, 0x000080u);  // maroon
    EXPECT_EQ(s.SymLayers[1].LineColor, 0x008000u);  // green
    EXPECT_EQ(s.SymLayers[6].LineStyle, -1);
    EXPECT_EQ(s.SymLayers[6].ShapeStyle, 0);  // point layer: 6 mod 5 - 1
    EXPECT_EQ(s.SymLayers[5].ShapeStyle, -1);
    EXPECT_EQ(s.SymLayers[7].ShapeStyle, -1);  // polygon layer: 7 mod 7 - 1
    EXPECT_EQ(s.SymLayers[14].FillColor, 0x000000u);
    EXPECT_EQ(s.SymLayers[14].LineColor, 0x000080u);
    // Every layer read shares one label font.
    EXPECT_EQ(s.SymLayers[1].LabelFont, s.SymLayers[14].LabelFont);
    EXPECT_EQ(s.SymLayers[3].ClassBreaks, (std::vector<double>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(s.LayerOrder.back(), 14);
}

TEST(LayerStore, PaletteWrapsBothWays) {
    EXPECT_EQ(palette(0), 0x000000u);
    EXPECT_EQ(palette(13), 0xFF00FFu);
    EXPECT_EQ(palette(14), 0x000000u);
    EXPECT_EQ(palette(15), 0x000080u);
}

TEST(LayerStore, RollBackRestoresCountsAndCurrentLayer) {
    LayerStore s;
    AddLayer(s, 5, 0, 0, 1, 1);
    AddLayer(s, 3, 0, 0, 1, 1);
    s.AppendLayerSlot();
    s.ShapeLayers[3].Shapes.resize(100);
    s.RollBackAppend();
    EXPECT_EQ(s.LayerCount, 2);
    EXPECT_EQ(s.CurrentLayer, 2);
    EXPECT_EQ(s.ShapeLayers.size(), 3u);
    EXPECT_EQ(s.SymLayers.size(), 3u);
    EXPECT_EQ(s.LayerOrder.size(), 2u);
}

TEST(LayerStore, ClearAllReturnsToTheStartState) {
    LayerStore s;
    AddLayer(s, 5, -3, -4, 5, 6);
    s.CurrentShape = 3;
    s.HitList.push_back({1, 1});
    s.HitCount = 1;
    s.ProjectName = "x.zmp";
    s.MapChanged = s.BaseImageLoaded = s.BtdLoaded = s.PointLayerMade = true;
    s.LayerFileName = "/data/a.shp";
    s.ClearAll();
    EXPECT_EQ(s.LayerCount, 0);
    EXPECT_EQ(s.CurrentLayer, 0);
    EXPECT_EQ(s.CurrentShape, 0);
    EXPECT_EQ(s.ShapeLayers.size(), 1u);
    EXPECT_EQ(s.HitCount, 0);
    EXPECT_EQ(s.HitList.size(), 1u);
    EXPECT_EQ(s.MapXMin, 0);
    EXPECT_EQ(s.MapXMax, 1);
    EXPECT_EQ(s.MapWidth, 1);
    EXPECT_EQ(s.LayerFileName, "NoName.duh");
    EXPECT_EQ(s.ProjectName, "Nada");
    EXPECT_FALSE(s.MapChanged || s.BaseImageLoaded || s.BtdLoaded || s.PointLayerMade);
    EXPECT_DOUBLE_EQ(s.MapXOffset, 0);  // the translation goes too
}

TEST(LayerStore, TheFirstLayerSetsTheTranslationAndClearAllForgetsIt) {
    LayerStore s;
    AddLayer(s, 5, -84.3, 33.9, -75.5, 36.6);  // degrees
    EXPECT_DOUBLE_EQ(s.MapXOffset, 84.3);
    EXPECT_DOUBLE_EQ(s.MapYOffset, -33.9);
    // A later layer far away (UTM metres) leaves the view on the first one.
    AddLayer(s, 5, 500000, 3900000, 600000, 4000000);
    EXPECT_DOUBLE_EQ(s.MapXOffset, 84.3);
    EXPECT_DOUBLE_EQ(s.MapXMax, -75.5);
    EXPECT_DOUBLE_EQ(s.ShapeLayers[2].XShift, -500000);
    // A zoom moved the translation; Clear All returns to the start state and
    // the next first layer sets it again, whatever it was.
    s.MapXOffset = 1234;
    s.MapYOffset = -999;
    s.ClearAll();
    EXPECT_DOUBLE_EQ(s.MapXOffset, 0);
    EXPECT_DOUBLE_EQ(s.MapYOffset, 0);
    EXPECT_DOUBLE_EQ(s.MapXMax, 1);
    AddLayer(s, 5, 10, 20, 30, 40);
    EXPECT_DOUBLE_EQ(s.MapXOffset, -10);
    EXPECT_DOUBLE_EQ(s.MapYOffset, -20);
}
