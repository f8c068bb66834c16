#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "convert/transformer_window.h"
#include "core/file_io.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

// One application for the program, never destroyed: windows the tests
// leave behind go with the process, not after the application.
QApplication& App() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (auto* running = qobject_cast<QApplication*>(QApplication::instance())) return *running;
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

std::string Text(TTransformer& w, const char* name) { return w.findChild<QLineEdit*>(name)->text().toStdString(); }

}  // namespace

TEST(Transformer, PagesControlsAndHelp) {
    App();
    ScriptedPrompter p;
    std::string dlgDir, shapeDir;
    TTransformer w(p, dlgDir, shapeDir);
    EXPECT_EQ(w.windowTitle().toStdString(), "Transformer");
    auto* pages = w.findChild<QTabWidget*>();
    ASSERT_EQ(pages->count(), 7);
    EXPECT_EQ(pages->tabText(0).toStdString(), "Quick DLG View");
    EXPECT_EQ(pages->tabText(6).toStdString(), "Sundry Importer");
    std::vector<int> contexts;
    QObject::connect(&w, &TTransformer::helpRequested, [&](int c) { contexts.push_back(c); });
    for (const char* b : {"TransHelpBtn", "TDLGViewHelpBtn", "TDLGImportHelpBtn", "TNRCSdbHelpBtn", "TShapeViewHelpBtn",
                          "ShapeCombineHelp", "ShapeShifterHelpBtn", "SundryImporterHelpBtn"})
        w.findChild<QPushButton*>(b)->click();
    EXPECT_EQ(contexts, (std::vector<int>{8000, 8010, 8100, 8200, 8300, 8400, 8500, 8600}));
    w.show();
    EXPECT_EQ(w.findChild<QLabel*>("THints")->text().toStdString(), "File Transformer Progress Hints");

    // The attribute boxes exclude each other.
    auto* single = w.findChild<QCheckBox*>("DLGSingleCodeCB");
    auto* soil = w.findChild<QCheckBox*>("DLGAttSymCB");
    single->click();
    soil->click();
    EXPECT_FALSE(single->isChecked());
    EXPECT_EQ(w.ExportOptions().Mode, amSoil);

    // Exports refuse without a DLG chosen on the import page.
    w.DLGShapeExportBtnClick();
    EXPECT_EQ(p.Count(MsgFamily::Error, 7), 1);
    w.DLGDXFExportBtnClick();
    EXPECT_EQ(p.Count(MsgFamily::Error, 12), 1);
}

TEST(Transformer, ImportQuickViewAndExports) {
    App();
    TempDir dir;
    const std::string dlg = dir.file("hy01.dlg");
    WriteFileBytes(dlg, ReadFileBytes(std::string(ZEMBA_TEST_DATA) + "/dlg/hy01_crlf.dlg"));
    WriteFileBytes(dir.file("other.dlg"), ReadFileBytes(dlg));
    ScriptedPrompter p;
    std::string dlgDir, shapeDir = dir.path() + "/";
    TTransformer w(p, dlgDir, shapeDir);

    // A file that is no DLG.
    WriteFileBytes(dir.file("ab.txt"), "x");
    w.ImportFile(dir.file("ab.txt"));
    EXPECT_EQ(p.Count(MsgFamily::Error, 11), 1);
    EXPECT_FALSE(w.State().DlgSelected);

    w.ImportFile(dlg);
    EXPECT_TRUE(w.State().DlgSelected);
    EXPECT_EQ(Text(w, "DIScale"), "24000");
    EXPECT_EQ(Text(w, "DILineIn"), "1838");
    EXPECT_EQ(Text(w, "DXFNameEdit"), "hy01.DXF");
    EXPECT_EQ(Text(w, "ShapeNameEdit"), "hy01_a.shp");
    EXPECT_EQ(Text(w, "ShapeLayerEdit"), "Areas");
    // Another layer re-proposes the name; an edited name stays.
    w.findChild<QRadioButton*>("DLGIRG_Lines")->click();
    EXPECT_EQ(Text(w, "ShapeNameEdit"), "hy01_l.shp");
    w.findChild<QLineEdit*>("ShapeNameEdit")->setText("mine.shp");
    w.findChild<QRadioButton*>("DLGIRG_MPoint")->click();
    EXPECT_EQ(Text(w, "ShapeNameEdit"), "mine.shp");
    EXPECT_EQ(Text(w, "ShapeLayerEdit"), "NO thing done");
    w.findChild<QRadioButton*>("DLGIRG_Areas")->click();

    // The quick view of another file does not change what is exported.
    w.QuickViewFile(dir.file("other.dlg"));
    EXPECT_EQ(Text(w, "LineOut"), "1838");
    EXPECT_TRUE(FileExists(dir.file("other.BMP")));
    EXPECT_EQ(w.State().DlgFileName, dlg);

    w.findChild<QLineEdit*>("ShapeNameEdit")->setText("hy01_a.shp");
    w.DLGShapeExportBtnClick();
    EXPECT_TRUE(FileExists(dir.file("hy01_a.shp")));
    EXPECT_TRUE(FileExists(dir.file("hy01_a_.dbf")));
    EXPECT_EQ(Text(w, "MaxShapeIslandsEdit"), "195");
    EXPECT_EQ(w.findChild<QLabel*>("THints")->text().toStdString(), "Areas correctly Processed 544");

    w.findChild<QLineEdit*>("DXFLayerEdit")->setText(" roads ");
    w.DLGDXFExportBtnClick();
    EXPECT_EQ(Text(w, "DXFLayerEdit"), "ROADS");
    EXPECT_TRUE(FileExists(dir.file("hy01.DXF")));
    EXPECT_EQ(Text(w, "DILineOut"), "1838");
    // A name DXF forbids is mended in the box; a non-ASCII one goes in as code page 1252.
    w.findChild<QLineEdit*>("DXFLayerEdit")->setText(QString::fromUtf8("eaux;rivi\xc3\xa8res"));
    w.DLGDXFExportBtnClick();
    EXPECT_EQ(w.findChild<QLineEdit*>("DXFLayerEdit")->text(), QString::fromUtf8("EAUX_RIVI\xc3\xa8RES"));
    EXPECT_NE(ReadFileBytes(dir.file("hy01.DXF")).find("\r\nEAUX_RIVI\xe8RES\r\n"), std::string::npos);

    // Both pictures show their full 313 x 313 pixels inside the frame.
    for (const char* name : {"QuickViewImage", "ShapeViewImage"}) {
        const QLabel* image = w.findChild<QLabel*>(name);
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->contentsRect().size(), QSize(313, 313)) << name;
    }

    // An 8.3 check on the window's export.
    w.findChild<QLineEdit*>("ShapeNameEdit")->setText("waytoolongname.shp");
    w.DLGShapeExportBtnClick();
    EXPECT_EQ(p.Count(MsgFamily::Error, 6), 1);
}

TEST(Transformer, ShapeFileCombinePage) {
    App();
    TempDir dir;
    CopySample("nc", dir.path());
    ScriptedPrompter p;
    std::string dlgDir, shapeDir = dir.path() + "/";
    TTransformer w(p, dlgDir, shapeDir);
    w.show();
    auto* ok = w.findChild<QPushButton*>("ShapeCombineOK");
    auto click = [&](const char* button, const std::string& file) {
        p.files.push_back(file);
        w.findChild<QPushButton*>(button)->click();
    };
    EXPECT_FALSE(ok->isEnabled());
    click("ShapeCombineOpen1", dir.file("nc.shp"));
    EXPECT_EQ(Text(w, "ShapeCombineObjects1"), "100");
    EXPECT_EQ(Text(w, "ShapeCombineTotal"), "100");
    EXPECT_FALSE(ok->isEnabled());  // one file is not enough

    // A point file with the polygons: refused, and the hint says why.
    click("ShapeCombineOpen2", DataPath("types/point.shp"));
    EXPECT_FALSE(ok->isEnabled());
    const std::string hint = w.findChild<QLabel*>("THints")->text().toStdString();
    EXPECT_NE(hint.find("Must be same file type"), std::string::npos) << hint;
    EXPECT_NE(hint.find("Points"), std::string::npos) << hint;

    // nc twice: 200 objects, the export named after both, written on OK.
    click("ShapeCombineOpen2", dir.file("nc.shp"));
    EXPECT_EQ(Text(w, "ShapeCombineObjects2"), "100");
    EXPECT_EQ(Text(w, "ShapeCombineTotal"), "200");
    EXPECT_EQ(Text(w, "ShapeCombineExportName"), dir.file("nc_nc.shp"));
    ASSERT_TRUE(ok->isEnabled());
    w.findChild<QLineEdit*>("ShapeCombineExportName")->setText("both");
    ok->click();
    LayerStore s;
    ASSERT_TRUE(OpenShapefile(s, dir.file("both.shp")));
    EXPECT_EQ(s.ShapeLayers[1].NumRecords, 200);
    EXPECT_EQ(s.ShapeLayers[1].Shapes[200].Values, s.ShapeLayers[1].Shapes[100].Values);
    EXPECT_NE(w.findChild<QLabel*>("THints")->text().toStdString().find("200 objects"), std::string::npos);

    // A file that is no shapefile clears its selector and says so.
    WriteFileBytes(dir.file("bad.shp"), "not a shapefile");
    click("ShapeCombineOpen2", dir.file("bad.shp"));
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_EQ(Text(w, "ShapeCombineObjects2"), "0");
    EXPECT_EQ(Text(w, "ShapeCombineTotal"), "100");
}
