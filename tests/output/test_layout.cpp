// The print layout's arithmetic: one paper unit for mock-up and page,
// measuring, include boxes and their slots, Setup Printer, the Mover, and
// what the page draws.
#include "core/file_io.h"
#include "tests/output/output_fixture.h"

namespace zemba::test {
namespace {

struct Layout {
    MapProject project;
    LayerStore store;
    ScriptedPrompter prompter;
    NullProgress progress;
    FixedMeasurer measurer;
    LayoutCommands c{store, project, prompter, progress, nullptr};
    Layout() {
        c.Measurer = &measurer;
        c.MapPictureSize = [](int& w, int& h) {
            w = 640;
            h = 480;
        };
        c.SetDataToForm();
    }
    LegendRec& l() { return project.MapLegend; }
    int Count(PageCommand::Kind k, const Page& p) {
        int n = 0;
        for (const PageCommand& c : p.Commands) n += c.kind == k;
        return n;
    }
};

}  // namespace

TEST(Layout, RoundingAndOneScale) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.51), 3);
    Layout t;
    EXPECT_EQ(t.c.scale.X, 10);
    EXPECT_EQ(t.c.scale.Y, 10);
    // An element at the mock-up's centre prints at the sheet's centre.
    t.l().Lines[0] = {"Centre"};
    t.l().ShowText[0] = 1;
    t.c.Panels[kTitleTop].left = 108;
    t.c.Panels[kTitleTop].top = 139;
    ASSERT_TRUE(t.c.MeasureText(0));
    const Page page = t.c.Draw();
    EXPECT_EQ(page.WidthUnits(), 2160);
    for (const PageCommand& cmd : page.Commands) {
        if (cmd.kind != PageCommand::Kind::Text) continue;
        EXPECT_EQ(cmd.rect.left, page.WidthUnits() / 2);
        EXPECT_EQ(cmd.rect.top, 1390);
    }
}

TEST(Layout, MeasuringText) {
    Layout t;
    t.l().Lines[4] = {"ab", "abcd", "wxyz"};
    t.l().LineCounts[4] = 3;
    t.c.Panels[kSourceText] = {12, 30, 0, 0};
    double shownW = 0, shownH = 0;
    t.c.ShowSize = [&](double w, double h) {
        shownW = w;
        shownH = h;
    };
    ASSERT_TRUE(t.c.MeasureText(4));
    EXPECT_EQ(t.measurer.measured.back(), "abcd") << "equal lengths: the first wins";
    const PlacementSlot& s = t.l().TextPlace[4];
    EXPECT_EQ(s[0], 12);
    EXPECT_EQ(s[1], 30);
    EXPECT_EQ(s[2], 3);   // round(28 / 10)
    EXPECT_EQ(s[3], 12);  // round(3 * 40 / 10)
    EXPECT_EQ(s[4], 120);
    EXPECT_EQ(s[5], 300);
    EXPECT_EQ(s[6], 28);
    EXPECT_EQ(s[7], 120) << "3h";
    EXPECT_EQ(shownW, 28);
    EXPECT_EQ(shownH, 40);

    t.l().ShowText[4] = 1;
    const Page page = t.c.Draw();
    std::vector<int> tops;
    for (const PageCommand& c : page.Commands)
        if (c.kind == PageCommand::Kind::Text) tops.push_back(c.rect.top);
    EXPECT_EQ(tops, (std::vector<int>{300, 340, 380}));

    // No lines: nothing measured, the slot stays.
    t.l().Lines[5].clear();
    t.l().LineCounts[5] = 0;
    const PlacementSlot before = t.l().TextPlace[5];
    EXPECT_FALSE(t.c.MeasureText(5));
    EXPECT_EQ(t.l().TextPlace[5], before);
    t.l().ShowText[5] = 1;
    EXPECT_EQ(t.Count(PageCommand::Kind::Text, t.c.Draw()), 3);
}

TEST(Layout, IncludeBoxesSetTheirFlags) {
    Layout t;
    t.c.CheckSizes();
    for (auto f : t.l().ShowText) EXPECT_EQ(f, 1);
    for (auto f : t.l().ShowBitmap) EXPECT_EQ(f, 1);
    // Grid, north arrow, legend, location, scale, feature.
    const LayoutElement order[6] = {kGridElement, kNorthArrowPic, kLegendPic, kLocationPic, kScaleBarPic, kFeaturePic};
    for (int k = 0; k < 6; ++k) {
        t.c.Include.fill(true);
        t.c.Include[order[k]] = false;
        t.c.CheckSizes();
        for (int j = 0; j < 6; ++j) EXPECT_EQ(t.l().ShowBitmap[j], j == k ? 0 : 1) << k << " " << j;
    }
    t.c.Include.fill(true);
    t.c.Include[kContourText] = false;
    const auto red = t.c.CheckSizes();
    EXPECT_EQ(t.l().ShowText[7], 0);
    EXPECT_TRUE(red[kTitleTop]) << "the blank title is empty";
    EXPECT_TRUE(red[kNorthArrowPic]);
    EXPECT_FALSE(red[kMapPic]);
    EXPECT_TRUE(t.c.LayoutChecked);
}

TEST(Layout, StoreAndDrawSkipEmptyAndMissing) {
    TempDir dir;
    Layout t;
    // All boxes cleared: only the map is measured and drawn.
    t.c.Include.fill(false);
    t.l().Lines[0] = {"Title"};
    ASSERT_TRUE(t.c.StoreLayout());
    EXPECT_TRUE(t.measurer.measured.empty());
    // The map keeps its panel (127 x 158 mm) whatever the view's size.
    EXPECT_EQ(t.l().BitmapPlace[2][6], 1270);
    EXPECT_EQ(t.l().BitmapPlace[2][7], 1580);
    EXPECT_EQ(t.l().BitmapPlace[2][2], 127);
    EXPECT_EQ(t.c.Panels[kMapPic].height, 158);
    Page page = t.c.Draw();
    ASSERT_EQ(page.Commands.size(), 2u);
    EXPECT_EQ(page.Commands[1].kind, PageCommand::Kind::Map);
    EXPECT_EQ(page.MapBox.width, 1270);
    EXPECT_EQ(page.MapBox.height, 1580);

    // Everything on: the blank "." texts are not drawn, a missing picture is
    // reported by name, a present one is drawn, a drawn scale bar follows the map.
    t.c.Include.fill(true);
    t.c.LayoutChecked = false;
    WriteFileBytes(dir.file("legend.bmp"), "x");
    t.l().LegendFile = dir.file("legend.bmp");
    t.l().FeatureFile = dir.file("gone.bmp");
    t.l().ScaleBarFile = kDrawnByProgram;
    t.l().BitmapPlace[4][6] = 500;
    t.l().BitmapPlace[4][7] = 100;
    t.c.StoreLayout();
    page = t.c.Draw(10.0);
    EXPECT_EQ(t.Count(PageCommand::Kind::Text, page), 1);
    for (const PageCommand& c : page.Commands) {
        if (c.kind == PageCommand::Kind::Text) {
            EXPECT_EQ(c.text, "Title");
        }
    }
    EXPECT_EQ(t.Count(PageCommand::Kind::Picture, page), 1);
    EXPECT_EQ(t.Count(PageCommand::Kind::ScaleBar, page), 1);
    EXPECT_EQ(t.Count(PageCommand::Kind::Map, page), 1);
    ASSERT_EQ(t.prompter.shown.size(), 1u);
    EXPECT_NE(t.prompter.shown[0].value.find(dir.file("gone.bmp")), std::string::npos);
    // 640 x 480 view pixels of 10 m shown whole in 1270 x 1580 units.
    EXPECT_DOUBLE_EQ(page.MapMetresPerUnit, 10.0 * 640 / 1270);
}

TEST(Layout, ThePreviewShowsTheMockUpAsItStands) {
    Layout t;
    t.l().Lines[1] = {"Author"};
    t.c.StoreLayout();
    const PlacementSlot stored = t.l().TextPlace[1];
    t.c.Panels[kAuthorTop].left += 40;
    t.c.Panels[kMapPic].width = 150;
    const Page page = t.c.PrintPreview();
    EXPECT_EQ(t.l().TextPlace[1][4], stored[4] + 400);
    EXPECT_EQ(page.MapBox.width, 1500);
    int texts = 0;
    for (const PageCommand& c : page.Commands)
        if (c.kind == PageCommand::Kind::Text) {
            EXPECT_EQ(c.rect.left, stored[4] + 400);
            ++texts;
        }
    EXPECT_EQ(texts, 1);
}

TEST(Layout, SetupPrinterDefaults) {
    Layout t;
    t.prompter.answers = {Answer::Yes};
    t.c.SetupPrinterBtnClick(Sheet{279, 216});
    EXPECT_TRUE(t.c.sheet.Landscape());
    EXPECT_EQ(t.l().PaperPlace, (PlacementSlot{8, 160, 279, 216, 0, 0, 2790, 2160}));
    EXPECT_EQ(t.l().TextPlace[0][0], 160);
    EXPECT_EQ(t.l().TextPlace[0][1], 8);
    EXPECT_EQ(t.l().TextPlace[0][4], 1600);
    EXPECT_EQ((std::array<int, 4>{t.l().BitmapPlace[2][0], t.l().BitmapPlace[2][1], t.l().BitmapPlace[2][2],
                                  t.l().BitmapPlace[2][3]}),
              (std::array<int, 4>{3, 23, 200, 164}));
    EXPECT_EQ(t.l().BitmapPlace[2][6], 2000);
    EXPECT_EQ(t.l().BitmapPlace[2][7], 1640);
    EXPECT_EQ(t.l().BitmapPlace[3][0], 196);
    EXPECT_EQ(t.l().TextPlace[7][0], 170);
    EXPECT_EQ(t.c.Panels[kLocationPic].left, 196);
    EXPECT_EQ(SheetOfLayout(t.l()).WidthMm, 279);

    t.prompter.answers = {Answer::Yes};
    t.c.SetupPrinterBtnClick(Sheet{216, 279});
    EXPECT_EQ(t.l().TextPlace[0][0], 88);
    EXPECT_EQ(t.l().TextPlace[6][1], 134);
    EXPECT_EQ(t.l().BitmapPlace[5][0], 56);
    EXPECT_EQ(t.l().BitmapPlace[5][1], 130);
    EXPECT_EQ(t.l().BitmapPlace[2][3], 158);

    // Declined: the sheet turns, the arrangement stays.
    t.l().TextPlace[0][0] = 33;
    t.prompter.answers = {Answer::No};
    t.c.SetupPrinterBtnClick(Sheet{279, 216});
    EXPECT_EQ(t.l().TextPlace[0][0], 33);
    EXPECT_EQ(t.l().PaperPlace[2], 279);
}

TEST(Layout, Mover) {
    Layout t;
    const int ml = 8, gs = 9, ct = 7, mb = 14;
    EXPECT_EQ(kLayoutElements[kMoverOrder[ml]].mover, std::string("ML"));
    EXPECT_EQ(kLayoutElements[kMoverOrder[ct]].mover, std::string("CT"));
    EXPECT_EQ(t.c.MoverMaxX(false), 216);
    EXPECT_EQ(t.c.MoverMaxX(true), 2160);
    EXPECT_EQ(t.c.MoverMaxY(true), 2790);

    // Scaled: the paper place, with the mock-up following.
    t.c.MoverSetX(ml, 880, true);
    EXPECT_EQ(t.l().BitmapPlace[3][4], 880);
    EXPECT_EQ(t.l().BitmapPlace[3][0], 88);
    EXPECT_EQ(t.c.Panels[kLocationPic].left, 88);
    t.c.MoverSetY(ml, 1235, true);
    EXPECT_EQ(t.l().BitmapPlace[3][1], 124) << "123.5 to the even neighbour";
    int x = 0, y = 0;
    t.c.MoverSelect(ml, true, x, y);
    EXPECT_EQ(x, 880);
    EXPECT_EQ(y, 1235);
    // Unscaled: the mock-up place only; beyond the sheet is held at its edge.
    const PlacementSlot contour = t.l().TextPlace[7];
    t.c.MoverSetX(ml, 500, false);
    EXPECT_EQ(t.l().BitmapPlace[3][0], 216);
    EXPECT_EQ(t.l().BitmapPlace[3][4], 880);
    EXPECT_EQ(t.l().TextPlace[7], contour) << "the contour panel is its own";
    t.c.MoverSelect(ml, false, x, y);
    EXPECT_EQ(x, 216);

    // The grid has no slot.
    const LegendRec before = t.l();
    t.c.MoverSetX(gs, 50, false);
    t.c.MoverSetY(gs, 50, true);
    t.c.MoverReset(gs);
    EXPECT_EQ(t.l().TextPlace, before.TextPlace);
    EXPECT_EQ(t.l().BitmapPlace, before.BitmapPlace);

    t.c.MoverReset(mb);
    EXPECT_EQ(t.l().BitmapPlace[2][0], 10);
    EXPECT_EQ(t.l().BitmapPlace[2][1], 10);
    EXPECT_EQ(t.l().BitmapPlace[2][4], 100);
    EXPECT_EQ(t.l().BitmapPlace[2][5], 100);
}

TEST(Layout, SlotsRoundTripThroughTheProject) {
    ProjectFixture f;
    FixedMeasurer m;
    LayoutCommands c(f.store, f.project, f.prompter, f.progress, &f.maps);
    c.Measurer = &m;
    c.MapPictureSize = [](int& w, int& h) {
        w = 800;
        h = 600;
    };
    f.prompter.answers = {Answer::Yes};
    c.SetupPrinterBtnClick(Sheet{279, 216});
    f.project.MapLegend.Lines[0] = {"Title", "Series"};
    f.project.MapLegend.LineCounts[0] = 2;
    c.Include[kLegendPic] = false;
    c.MoverSetX(3, 1234, true);
    ASSERT_TRUE(c.StoreLayout());
    const LegendRec saved = f.project.MapLegend;

    f.project.MapLegend = MapProject::BlankLegend();
    LoadMapHooks hooks;
    hooks.OpenLayer = [&] { return OpenSample(f.store, f.store.LayerFileName); };
    ASSERT_TRUE(LoadMap(f.store, f.project, f.file, f.prompter, f.progress, hooks));
    const LegendRec& l = f.project.MapLegend;
    EXPECT_EQ(l.TextPlace, saved.TextPlace);
    EXPECT_EQ(l.BitmapPlace, saved.BitmapPlace);
    EXPECT_EQ(l.PaperPlace, saved.PaperPlace);
    EXPECT_EQ(l.ShowText, saved.ShowText);
    EXPECT_EQ(l.ShowBitmap, saved.ShowBitmap);
    EXPECT_EQ(l.ShowBitmap[2], 0);
    EXPECT_EQ(l.Lines[0], saved.Lines[0]);

    // The orientation comes back with the project.
    LayoutCommands again(f.store, f.project, f.prompter, f.progress, &f.maps);
    again.FormShow();
    EXPECT_TRUE(again.sheet.Landscape());
    EXPECT_EQ(again.Panels[kMapPic].width, l.BitmapPlace[2][2]);
}

}  // namespace zemba::test
