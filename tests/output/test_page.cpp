// The page as it prints: the PDF's sheet size, where its text lands, that
// the map stays in its box and stays vector, the preview's zoom, the drawn
// scale bar, and zemba-convert layout.
#include <QImage>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>

#include "core/file_io.h"
#include "output/output_windows.h"
#include "output/page_painter.h"
#include "output/preview_form.h"
#include "tests/output/output_fixture.h"
#include "view/renderer.h"

namespace zemba::test {
namespace {

using test::Shell;

bool HavePoppler() { return std::system("command -v pdftotext >/dev/null 2>&1") == 0; }

struct Word {
    double xMin, yMin, xMax, yMax;
    std::string text;
};

std::vector<Word> Words(const std::string& pdf, const std::string& dir) {
    const std::string html = dir + "/bbox.html";
    Shell("pdftotext -bbox '" + pdf + "' '" + html + "'");
    const std::string text = ReadFileBytes(html);
    std::vector<Word> words;
    const std::regex re("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        words.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4]), (*it)[5]});
    return words;
}

// A project over the world sample with a stored layout.
struct PrintFixture {
    TempDir dir;
    LayerStore store;
    ViewState view;
    MapProject project;
    ScriptedPrompter prompter;
    NullProgress progress;
    MapCommands maps{store, project, prompter, progress};
    QtTextMeasurer measurer;
    std::unique_ptr<MapRenderer> renderer;
    LayoutCommands layout{store, project, prompter, progress, &maps};

    PrintFixture() {
        App();
        CopySample("world", dir.path());
        store.ClearAll();
        EXPECT_TRUE(OpenSample(store, dir.file("world.shp")));
        project.MapInfo.NeverProjected = 1;
        EXPECT_TRUE(maps.SaveProjectAs(dir.file("world.zmp")));
        renderer = std::make_unique<MapRenderer>(store, view);
        FitToLayer(store, view, 1);
        UpdateViewScale(store, view);
        layout.Measurer = &measurer;
        layout.MapPictureSize = [this](int& w, int& h) {
            w = view.BitmapWidth;
            h = view.BitmapHeight;
        };
        LegendRec& l = project.MapLegend;
        l.Lines[0] = {"ZEMBA Layout Title", "Second line"};
        l.LineCounts[0] = 2;
        l.NorthArrowFile = l.ScaleBarFile = kDrawnByProgram;
        l.BitmapPlace[0][6] = 120;
        l.BitmapPlace[0][7] = 220;
        l.BitmapPlace[4][6] = 700;
        l.BitmapPlace[4][7] = 140;
        layout.SetDataToForm();
        layout.Panels[kTitleTop] = {30, 20, 0, 0};
        layout.Panels[kMapPic] = {20, 45, 0, 0};
        layout.Panels[kScaleBarPic] = {100, 150, 0, 0};
    }
    Page Draw() { return layout.Draw(MapMetresPerPixel(store, view)); }
    MapSource Map() { return MapSourceOf(*renderer, store, view); }
};

}  // namespace

TEST(Page, ZoomStepsAndScaleBar) {
    EXPECT_EQ(kZoomStart, 100);
    EXPECT_EQ(NextZoom(100, 1), 125);
    EXPECT_EQ(NextZoom(550, 1), 568);
    EXPECT_EQ(NextZoom(568, 1), 568);
    EXPECT_EQ(NextZoom(568, -1), 550);
    EXPECT_EQ(NextZoom(25, -1), 25);
    int z = 100, steps = 0;
    while (NextZoom(z, 1) != z) z = NextZoom(z, 1), ++steps;
    EXPECT_EQ(z, 568);
    EXPECT_EQ(steps, 19);

    ScaleBarSpec s = MakeScaleBar(10.0, 630);  // 6.3 km fit
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.groundMetres, 5000);
    EXPECT_EQ(s.lengthUnits, 500);
    EXPECT_EQ(s.label, "5 km");
    s = MakeScaleBar(0.5, 300);  // 150 m fit
    EXPECT_EQ(s.label, "100 m");
    EXPECT_EQ(s.lengthUnits, 200);
    EXPECT_FALSE(MakeScaleBar(0, 300).ok);
    EXPECT_NEAR(MetresPerMapUnit(4, 0), 111195, 1);
    EXPECT_NEAR(MetresPerMapUnit(4, 60), 111195 / 2.0, 1);
    EXPECT_NEAR(MetresPerMapUnit(1, 0), 0.3048006, 1e-6);
    const PaperRect r = FitInto({0, 0, 1000, 1000}, 640, 480);
    EXPECT_EQ(r.width, 1000);
    EXPECT_EQ(r.height, 750);
    EXPECT_EQ(r.top, 125);
}

TEST(Page, MapOntoAPainterLeavesTheViewAlone) {
    PrintFixture f;
    const double scale = f.view.ViewScale;
    const double xo = f.store.MapXOffset;
    f.renderer->DVDORedraw(f.progress);
    const QImage before = f.renderer->Image().copy();
    QImage big(f.view.BitmapWidth * 3, f.view.BitmapHeight * 3, QImage::Format_RGB32);
    big.fill(Qt::white);
    {
        QPainter p(&big);
        f.renderer->DrawMapOnto(p, 3);
    }
    EXPECT_EQ(f.view.ViewScale, scale);
    EXPECT_EQ(f.store.MapXOffset, xo);
    EXPECT_EQ(f.view.BitmapWidth, 640);
    EXPECT_EQ(f.renderer->Image(), before);
    // The finer map is the same picture: a pixel drawn on screen is drawn
    // in the matching 3 x 3 block.
    int matched = 0, drawn = 0;
    const QRgb bg = before.pixel(0, 0);
    for (int y = 10; y < before.height() - 10; y += 7)
        for (int x = 10; x < before.width() - 10; x += 7) {
            if (before.pixel(x, y) == bg) continue;
            ++drawn;
            bool any = false;
            for (int dy = -3; dy <= 5 && !any; ++dy)
                for (int dx = -3; dx <= 5 && !any; ++dx) any = big.pixel(3 * x + dx, 3 * y + dy) != qRgb(255, 255, 255);
            matched += any;
        }
    ASSERT_GT(drawn, 50);
    EXPECT_GE(matched, drawn * 95 / 100);
}

TEST(Page, PdfPlacesWhatTheMockUpShows) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils missing";
    PrintFixture f;
    ASSERT_TRUE(f.layout.StoreLayout());
    const Page page = f.Draw();
    const std::string pdf = f.dir.file("page.pdf");
    ASSERT_TRUE(WritePagePdf(pdf, page, f.Map(), "world").ok);
    // ZEMBA_KEEP_PDF=path keeps the page for a look.
    if (const char* keep = std::getenv("ZEMBA_KEEP_PDF")) WriteFileBytes(keep, ReadFileBytes(pdf));

    const std::string info = Shell("pdfinfo '" + pdf + "'");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(info, m, std::regex("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")));
    EXPECT_NEAR(std::stod(m[1]), 216 / 25.4 * 72, 0.5);
    EXPECT_NEAR(std::stod(m[2]), 279 / 25.4 * 72, 0.5);

    const std::vector<Word> words = Words(pdf, f.dir.path());
    bool title = false;
    for (const Word& w : words) {
        EXPECT_NE(w.text, ".") << "an empty element was printed";
        if (w.text == "ZEMBA") {
            title = true;
            // Mock-up (30, 20) mm.
            EXPECT_NEAR(w.xMin, 30 / 25.4 * 72, 3);
            EXPECT_NEAR(w.yMin, 20 / 25.4 * 72, 3);
        }
    }
    EXPECT_TRUE(title);
    bool second = false, scale = false;
    for (const Word& w : words) {
        second = second || w.text == "Second";
        scale = scale || w.text == "km";
    }
    EXPECT_TRUE(second);
    EXPECT_TRUE(scale) << "the drawn scale bar is labelled";

    // The preview draws the same page: the title's ink starts where the PDF's does.
    const QImage img = RenderPageImage(page, f.Map(), 100, 254);  // one pixel a paper unit
    if (const char* keep = std::getenv("ZEMBA_KEEP_PNG")) img.save(keep);
    int firstInk = -1;
    for (int y = 150; y < 300 && firstInk < 0; ++y)
        for (int x = 290; x < 340 && firstInk < 0; ++x)
            if (qGray(img.pixel(x, y)) < 128) firstInk = y;
    EXPECT_NEAR(firstInk, 200, 30);
}

TEST(Page, MapStaysInItsBoxAsPaths) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils missing";
    PrintFixture f;
    f.layout.Include.fill(false);
    f.layout.CheckSizes();
    ASSERT_TRUE(f.layout.StoreLayout());
    const Page page = f.Draw();
    const std::string pdf = f.dir.file("map.pdf");
    ASSERT_TRUE(WritePagePdf(pdf, page, f.Map(), "world").ok);
    // The map fills its panel (127 x 158 mm) at the panel's place.
    EXPECT_EQ(page.MapBox.left, 200);
    EXPECT_EQ(page.MapBox.width, 1270);
    EXPECT_EQ(page.MapBox.height, 1580);

    // No pictures in the file: the map is paths.
    const std::string images = Shell("pdfimages -list '" + pdf + "'");
    EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 2) << images;

    Shell("pdftoppm -r 72 -png -singlefile '" + pdf + "' '" + f.dir.file("map") + "'");
    QImage img(QString::fromStdString(f.dir.file("map.png")));
    ASSERT_FALSE(img.isNull());
    const double px = 72 / 254.0;
    const QRect box(int(page.MapBox.left * px) - 2, int(page.MapBox.top * px) - 2, int(page.MapBox.width * px) + 4,
                    int(page.MapBox.height * px) + 4);
    int inside = 0, outside = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (qGray(img.pixel(x, y)) > 240) continue;
            (box.contains(x, y) ? inside : outside)++;
        }
    EXPECT_GT(inside, 500);
    EXPECT_EQ(outside, 0);
    // The world, twice as wide as tall, spans the panel's whole width.
    int minX = img.width(), maxX = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) <= 240) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    EXPECT_GT(maxX - minX, page.MapBox.width * px * 0.9);
}

TEST(Page, TheGridIsDrawnOverTheMap) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils missing";
    PrintFixture f;
    f.layout.Include.fill(false);
    f.layout.Include[kGridElement] = true;
    f.project.MapLegend.GridName = "Lat Long";
    f.layout.CheckSizes();
    ASSERT_TRUE(f.layout.StoreLayout());
    Page page = f.Draw();
    EXPECT_EQ(page.Grid, 1);
    page.MapUnits = MapGridUnits(f.store);
    EXPECT_EQ(page.MapUnits, 1);
    const std::string pdf = f.dir.file("grid.pdf");
    ASSERT_TRUE(WritePagePdf(pdf, page, f.Map(), "world").ok);
    const std::string text = Shell("pdftotext '" + pdf + "' -");
    std::size_t degrees = 0;
    for (std::size_t at = text.find("\xC2\xB0"); at != std::string::npos; at = text.find("\xC2\xB0", at + 1)) ++degrees;
    EXPECT_GE(degrees, 4u) << text;
    // A UTM grid is not drawn over a map in degrees.
    page.Grid = 2;
    ASSERT_TRUE(WritePagePdf(pdf, page, f.Map(), "world").ok);
    EXPECT_EQ(Shell("pdftotext '" + pdf + "' -").find("\xC2\xB0"), std::string::npos);
    EXPECT_EQ(RoundGridStep(360, 6, true), 60);
    EXPECT_EQ(RoundGridStep(360, 6), 100);
    EXPECT_EQ(RoundGridStep(0.9, 6, true), 0.2);
    EXPECT_EQ(GridLines(-1, 1, 0.5), (std::vector<double>{-1, -0.5, 0, 0.5, 1}));
}

TEST(Page, TextLinesAreSpacedByTheFontTheyPrintIn) {
    PrintFixture f;
    QtTextMeasurer real;
    f.layout.Measurer = &real;
    LegendRec& l = f.project.MapLegend;
    l.Lines[4] = {"Source one", "Source two", "Source three"};
    l.LineCounts[4] = 3;
    auto big = std::make_shared<FontDesc>(*MapProject::LegendFont());
    big->PointSize = 20;
    for (auto& font : l.Fonts) font = big;
    ASSERT_TRUE(f.layout.StoreLayout());
    // After a restart the fonts are the default again (they are not stored).
    for (auto& font : l.Fonts) font = MapProject::LegendFont();
    const Page page = f.Draw();
    std::vector<int> tops;
    for (const PageCommand& c : page.Commands)
        if (c.kind == PageCommand::Kind::Text && c.text.rfind("Source", 0) == 0) tops.push_back(c.rect.top);
    ASSERT_EQ(tops.size(), 3u);
    double w = 0, h = 0;
    real.Measure(*MapProject::LegendFont(), "Source one", w, h);
    EXPECT_NEAR(tops[1] - tops[0], h, 1.0);
    EXPECT_NEAR(tops[2] - tops[1], h, 1.0);
}

TEST(Page, ACutShortBitmapIsRefusedByName) {
    TempDir dir;
    QImage img(200, 120, QImage::Format_RGB32);
    img.fill(Qt::red);
    const std::string path = dir.file("arrow.bmp");
    ASSERT_TRUE(img.save(QString::fromStdString(path), "BMP"));
    int w = 0, h = 0;
    ASSERT_TRUE(PictureSize(path, w, h).ok);
    EXPECT_EQ(w, 200);
    const std::string whole = ReadFileBytes(path);
    WriteFileBytes(path, whole.substr(0, whole.size() / 2));
    Result r = PictureSize(path, w, h);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find(path), std::string::npos) << r.reason;
    // On the page it is left out and named.
    Page page;
    PageCommand c;
    c.kind = PageCommand::Kind::Picture;
    c.rect = {0, 0, 100, 100};
    c.text = path;
    page.Commands.push_back(c);
    std::vector<std::string> failures;
    RenderPageImage(page, MapSource{}, 100, 96, &failures);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find(path), std::string::npos);
}

TEST(Page, PreviewWindowZoomAndSave) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils missing";
    PrintFixture f;
    f.layout.StoreLayout();
    TPreviewForm preview(f.prompter);
    preview.SetPage(f.Draw(), f.Map(), "world");
    EXPECT_EQ(preview.Zoom(), 100);
    const int w100 = preview.PageLabel()->pixmap().width();
    preview.ZoomIn();
    EXPECT_EQ(preview.Zoom(), 125);
    EXPECT_NEAR(preview.PageLabel()->pixmap().width(), w100 * 1.25, 2);
    ASSERT_TRUE(preview.SavePdf(f.dir.file("saved.pdf")));
    EXPECT_NE(Shell("pdftotext '" + f.dir.file("saved.pdf") + "' -").find("ZEMBA"), std::string::npos);
    // A failing disk: reported, the saved PDF stays as it was.
    const std::string saved = ReadFileBytes(f.dir.file("saved.pdf"));
    commit_faults::Arm(commit_faults::Kind::Write, 1);
    EXPECT_FALSE(preview.SavePdf(f.dir.file("saved.pdf")));
    commit_faults::Disarm();
    EXPECT_EQ(ReadFileBytes(f.dir.file("saved.pdf")), saved);
}

TEST(Page, OnePrinterSetUpFollowsTheLayoutsSheet) {
    PrintFixture f;
    Page landscape;
    landscape.WidthMm = 279;
    landscape.HeightMm = 216;
    TPreviewForm preview(f.prompter);
    preview.SetPage(landscape, f.Map(), "world");
    QPrinter& printer = preview.Printer();
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    double w = 0, h = 0;
    ASSERT_TRUE(SheetOfPrinter(printer, w, h));
    EXPECT_EQ(w, 279);
    EXPECT_EQ(h, 216);
    // Back to portrait with the next page.
    Page portrait;
    preview.SetPage(portrait, f.Map(), "world");
    ASSERT_TRUE(SheetOfPrinter(printer, w, h));
    EXPECT_EQ(w, 216);
    EXPECT_EQ(h, 279);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
}

TEST(Page, ConvertLayoutCommand) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils missing";
    std::string zmp, pdf;
    TempDir out;
    {
        PrintFixture f;
        f.prompter.answers = {Answer::Yes};
        f.layout.SetupPrinterBtnClick(Sheet{279, 216});
        f.layout.Panels[kTitleTop] = {30, 20, 0, 0};
        ASSERT_TRUE(f.layout.StoreLayout());
        zmp = f.dir.file("world.zmp");
        pdf = out.file("layout.pdf");
        const std::string r = Shell(std::string(ZEMBA_BIN_DIR) + "/zemba-convert layout '" + zmp + "' '" + pdf + "'");
        EXPECT_NE(r.find("Wrote"), std::string::npos) << r;
        const std::string info = Shell("pdfinfo '" + pdf + "'");
        std::smatch m;
        ASSERT_TRUE(std::regex_search(info, m, std::regex("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"))) << info;
        EXPECT_NEAR(std::stod(m[1]), 279 / 25.4 * 72, 1) << "landscape";
        EXPECT_NEAR(std::stod(m[2]), 216 / 25.4 * 72, 1);
        const std::vector<Word> words = Words(pdf, out.path());
        bool title = false;
        for (const Word& w : words)
            if (w.text == "ZEMBA") {
                title = true;
                EXPECT_NEAR(w.xMin, 30 / 25.4 * 72, 3);
            }
        EXPECT_TRUE(title);
        // The map is drawn at its panel's size (200 mm wide on the landscape
        // sheet), not at the view's pixel size.
        Shell("pdftoppm -r 72 -png -singlefile '" + pdf + "' '" + out.file("layout") + "'");
        QImage img(QString::fromStdString(out.file("layout.png")));
        ASSERT_FALSE(img.isNull());
        if (const char* keep = std::getenv("ZEMBA_KEEP_PNG")) img.save(keep);
        const double px = 72 / 25.4;
        int maxX = -1;
        for (int y = int(88 * px); y < int(98 * px); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 200) maxX = std::max(maxX, x);
        EXPECT_GT(maxX, 150 * px);
        EXPECT_LT(maxX, 204 * px);
    }
    // A missing project fails with a message.
    const std::string bad = Shell(std::string(ZEMBA_BIN_DIR) + "/zemba-convert layout '" + out.file("none.zmp") +
                                "' '" + out.file("x.pdf") + "'; echo status=$?");
    EXPECT_NE(bad.find("status=1"), std::string::npos) << bad;
    EXPECT_FALSE(FileExists(out.file("x.pdf")));
}

}  // namespace zemba::test
