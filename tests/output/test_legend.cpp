// The legend window's rules: the check boxes, the text editor and its
// shared font, picture files, grid and location choices, and what a
// project keeps of them.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "core/file_io.h"

#include "output/legend_form.h"
#include "output/page_painter.h"
#include "tests/output/output_fixture.h"

namespace zemba::test {

void WriteBmp(const std::string& path, int w, int h) {
    App();
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::red);
    ASSERT_TRUE(img.save(QString::fromStdString(path), "BMP"));
}

TEST(Legend, BoxesFollowTextFilesAndGridChoice) {
    ProjectFixture f;
    LegendCommands c(f.store, f.project, f.prompter, &f.maps);
    bool saved = false;
    auto boxes = c.ValidateSave(&saved);
    EXPECT_TRUE(saved);
    for (bool b : boxes) EXPECT_FALSE(b);

    c.SaveText(1, {"Jane Smith", "Cartographer", "2024"});
    c.SaveText(2, {".", "below"});
    c.SaveText(3, {});                 // saved from an empty editor
    c.SaveText(4, MemoLines("  \n"));  // only blanks
    c.SetGrid(2);
    EXPECT_EQ(f.project.MapLegend.GridName, "UTM Grid");
    EXPECT_EQ(f.project.MapLegend.GridKind, 2);
    boxes = c.ValidateSave();
    EXPECT_TRUE(boxes[1]);
    EXPECT_FALSE(boxes[2]);
    EXPECT_FALSE(boxes[3]);
    EXPECT_FALSE(boxes[4]);
    EXPECT_TRUE(boxes[9]) << "a grid is chosen";
    c.SetGrid(0);
    EXPECT_FALSE(CheckMapLegendRec(f.project.MapLegend)[9]);

    // A picture box needs the file to exist; a program-drawn scale bar counts.
    WriteBmp(f.dir.file("legend.bmp"), 30, 20);
    f.project.MapLegend.LegendFile = f.dir.file("legend.bmp");
    f.project.MapLegend.FeatureFile = f.dir.file("gone.bmp");
    c.SetDrawn(3, true);
    boxes = CheckMapLegendRec(f.project.MapLegend);
    EXPECT_TRUE(boxes[11]);
    EXPECT_FALSE(boxes[13]);
    EXPECT_TRUE(boxes[12]);
}

TEST(Legend, ValidateWithoutLayersOrProjectName) {
    LayerStore store;
    store.ClearAll();
    MapProject project;
    ScriptedPrompter prompter;
    NullProgress progress;
    MapCommands maps(store, project, prompter, progress);
    LegendCommands c(store, project, prompter, &maps);
    bool saved = true;
    c.ValidateSave(&saved);
    EXPECT_FALSE(saved);
    ASSERT_FALSE(prompter.shown.empty());
    EXPECT_NE(prompter.shown.back().value.find("No layers"), std::string::npos);

    // With a layer but no project yet, a name is asked for first.
    TempDir dir;
    CopySample("nc", dir.path());
    ASSERT_TRUE(OpenSample(store, dir.file("nc.shp")));
    store.ProjectName = "Nada";
    prompter.files.push_back(dir.file("fresh"));
    c.ValidateSave(&saved);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(FileExists(dir.file("fresh.zmp")));
    EXPECT_EQ(store.ProjectName, "fresh.zmp");
}

TEST(Legend, FontsAreSharedWithTheEditor) {
    MapProject project;
    LayerStore store;
    ScriptedPrompter prompter;
    LegendCommands c(store, project, prompter, nullptr);
    c.SaveText(0, {"Title"});
    FontDesc f;
    f.Family = "Times";
    f.PointSize = 18;
    f.Bold = true;
    c.SetMemoFont(f);
    c.SaveText(1, {"Author"});
    for (int e : {0, 1}) {
        EXPECT_EQ(project.MapLegend.Fonts[e]->Family, "Times");
        EXPECT_EQ(project.MapLegend.Fonts[e]->PointSize, 18);
        EXPECT_TRUE(project.MapLegend.Fonts[e]->Bold);
    }
    // Unsaved elements keep the blank project's font.
    EXPECT_EQ(project.MapLegend.Fonts[2]->Family, "Arial");
    EXPECT_EQ(project.MapLegend.Fonts[2]->PointSize, 8);
    // Loading an element gives the memo that element's font, lines whole.
    const auto lines = c.LoadText(2);
    EXPECT_EQ(lines, std::vector<std::string>{"."});
    EXPECT_EQ(c.MemoFont->PointSize, 8);
    EXPECT_EQ(MemoLines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(MemoLines("").empty());
}

TEST(Legend, PictureFiles) {
    App();
    TempDir dir;
    MapProject project;
    LayerStore store;
    ScriptedPrompter prompter;
    LegendCommands c(store, project, prompter, nullptr);
    WriteBmp(dir.file("ARROW.BMP"), 120, 80);
    int w = 0, h = 0;
    ASSERT_TRUE(c.LoadBitmap(0, dir.file("ARROW.BMP"), PictureSize, &w, &h));
    EXPECT_EQ(w, 120);
    EXPECT_EQ(h, 80);
    EXPECT_EQ(project.MapLegend.NorthArrowFile, dir.file("ARROW.BMP"));
    EXPECT_EQ(project.MapLegend.BitmapPlace[0][6], 120);
    EXPECT_EQ(project.MapLegend.BitmapPlace[0][7], 80);

    // PNG and JPEG pictures too; the scale bar entry is picture element 4.
    QImage png(50, 10, QImage::Format_RGB32);
    png.fill(Qt::blue);
    ASSERT_TRUE(png.save(QString::fromStdString(dir.file("bar.png"))));
    ASSERT_TRUE(c.LoadBitmap(3, dir.file("bar.png"), PictureSize));
    EXPECT_EQ(project.MapLegend.ScaleBarFile, dir.file("bar.png"));
    EXPECT_EQ(project.MapLegend.BitmapPlace[4][6], 50);

    // Another kind of file, or a cancelled dialog, changes nothing.
    WriteFileBytes(dir.file("notes.txt"), "x");
    EXPECT_FALSE(c.LoadBitmap(1, dir.file("notes.txt"), PictureSize));
    EXPECT_FALSE(c.LoadBitmap(1, "", PictureSize));
    EXPECT_EQ(project.MapLegend.LegendFile, ".");
    EXPECT_TRUE(prompter.shown.empty());

    // A damaged picture is reported and leaves the field without a file.
    project.MapLegend.LegendFile = dir.file("ARROW.BMP");
    WriteFileBytes(dir.file("broken.bmp"), "BM not really");
    EXPECT_FALSE(c.LoadBitmap(1, dir.file("broken.bmp"), PictureSize));
    EXPECT_EQ(project.MapLegend.LegendFile, ".");
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_FALSE(CheckMapLegendRec(project.MapLegend)[11]);
    EXPECT_TRUE(PictureExtensionAccepted("a.Jpeg"));
    EXPECT_FALSE(PictureExtensionAccepted("dir.bmp/file"));
}

TEST(Legend, LocationAndWhatProjectsKeep) {
    ProjectFixture f;
    LegendCommands c(f.store, f.project, f.prompter, &f.maps);
    c.SetLocation(0, "Texas ", "", "");
    EXPECT_EQ(f.project.MapLegend.LocationName, "Texas ");
    c.SetLocation(1, "", "", "");
    EXPECT_EQ(f.project.MapLegend.LocationName, kDefaultCountry);
    c.SetLocation(2, "", "", "Upper Valley");
    EXPECT_EQ(f.project.MapLegend.LocationName, "Upper Valley");
    EXPECT_STREQ(kStateNames[8], "District of Columbia ");
    EXPECT_STREQ(kStateNames[kStateCount - 1], "Virgin Islands");
    EXPECT_STREQ(kCountryNames[81], kDefaultCountry);
    EXPECT_STREQ(kCountryNames[kCountryCount - 1], "Antarctica");

    c.SetGrid(1);
    ASSERT_TRUE(f.maps.SaveProjectAs(f.file));
    c.SetGrid(0);
    f.project.MapLegend.LocationName = "Kept";
    LoadMapHooks hooks;
    hooks.OpenLayer = [&] { return OpenSample(f.store, f.store.LayerFileName); };
    ASSERT_TRUE(LoadMap(f.store, f.project, f.file, f.prompter, f.progress, hooks));
    EXPECT_EQ(f.project.MapLegend.GridKind, 0) << "not stored";
    EXPECT_EQ(f.project.MapLegend.LocationName, "Kept") << "not stored";
    EXPECT_EQ(f.project.MapLegend.GridName, "Lat Long");
    c.FormShow();
    EXPECT_EQ(f.project.MapLegend.GridKind, 1) << "follows the stored name";
}

TEST(LegendWindow, EditorRoundTripAndSizeLabel) {
    App();
    TempDir dir;
    MapProject project;
    LayerStore store;
    ScriptedPrompter prompter;
    LegendCommands c(store, project, prompter, nullptr);
    TLegendForm form(c, store);
    form.TextGroup()->button(1)->setChecked(true);
    form.Memo()->setPlainText("First line\nSecond\nThird");
    form.SaveTextBtnClick();
    EXPECT_EQ(project.MapLegend.LineCounts[1], 3);
    form.Memo()->clear();
    form.SaveTextBtnClick();
    EXPECT_EQ(project.MapLegend.LineCounts[1], 0);
    form.CheckMapLegendRec();
    EXPECT_FALSE(form.Box(1)->isChecked());

    WriteBmp(dir.file("n.bmp"), 120, 80);
    prompter.files.push_back(dir.file("n.bmp"));
    form.BitmapGroup()->button(0)->setChecked(true);
    form.LoadBitmapsBtnClick();
    EXPECT_EQ(form.SizeLabel()->text(), "120 x 80");
    form.GridGroup()->button(2)->click();
    EXPECT_EQ(project.MapLegend.GridName, "UTM Grid");
    form.CountryList()->setCurrentIndex(2);
    form.LocationGroup()->button(1)->click();
    EXPECT_EQ(project.MapLegend.LocationName, "France");
}

}  // namespace zemba::test
