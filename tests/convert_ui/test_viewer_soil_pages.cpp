#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "convert/transformer_window.h"
#include "core/file_io.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

// The suite's other file may have made the application already.
void App() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

std::string Text(TTransformer& w, const char* name) { return w.findChild<QLineEdit*>(name)->text().toStdString(); }

std::string Checked(TTransformer& w, const char* group) {
    for (QRadioButton* b : w.findChild<QWidget*>(group)->findChildren<QRadioButton*>())
        if (b->isChecked()) return b->text().toStdString();
    return {};
}

}  // namespace

TEST(ShapeViewerPage, ViewsMainAndIndexFilesAndWritesTheDump) {
    App();
    TempDir dir;
    CopySample("nc", dir.path());
    CopySample("types/multipoint", dir.path());
    ScriptedPrompter p;
    std::string dlgDir, shapeDir = "/elsewhere";
    TTransformer w(p, dlgDir, shapeDir);
    EXPECT_EQ(Checked(w, "ShapeViewerRG"), "Areas");
    EXPECT_EQ(Text(w, "ShapeViewEditFileName"), "Shape File");

    w.findChild<QCheckBox*>("DatatoTextFileBox")->setChecked(true);
    p.files = {dir.file("nc.shp")};
    w.ShapeViewOpenClick();
    EXPECT_EQ(shapeDir, DirectoryPart(dir.file("nc.shp")));
    EXPECT_EQ(Text(w, "ShapeViewEditFileName"), "nc.shp");
    EXPECT_EQ(Text(w, "ShapeViewEditFile"), Text(w, "ShapeViewEditFileDone"));
    EXPECT_EQ(Text(w, "ShapeViewEditLnP"), "100");
    EXPECT_EQ(Text(w, "ShapeViewEditArP"), "108");
    EXPECT_EQ(w.findChild<QPlainTextEdit*>("ShapeViewMemo")->toPlainText().split('\n').size(), 17);
    EXPECT_TRUE(FileExists(dir.file("nc-shp.txt")));
    EXPECT_FALSE(w.findChild<QLabel*>("ShapeViewImage")->pixmap().isNull());
    EXPECT_TRUE(w.findChild<QPushButton*>("ShapeViewOpen")->isEnabled());

    // An index keeps the Shape directory; the boxes show its records.
    const std::string keep = shapeDir;
    w.findChild<QCheckBox*>("DatatoTextFileBox")->setChecked(false);
    w.ShapeViewFile(dir.file("nc.shx"));
    EXPECT_EQ(shapeDir, keep);
    EXPECT_EQ(Text(w, "ShapeViewEditLnP"), "100");
    EXPECT_EQ(Text(w, "ShapeViewEditPtP"), "0");

    // A multipoint file: its type item and message 13.
    w.ShapeViewFile(dir.file("multipoint.shp"));
    EXPECT_EQ(Checked(w, "ShapeViewerRG"), "MultiPnt");
    EXPECT_EQ(p.Count(MsgFamily::Error, 13), 1);

    // A truncated file shows what was counted, not the previous file's boxes.
    const std::string whole = ReadFileBytes(dir.file("nc.shp"));
    WriteFileBytes(dir.file("cut.shp"), whole.substr(0, 1000));
    w.ShapeViewFile(dir.file("cut.shp"));
    EXPECT_EQ(Text(w, "ShapeViewEditFileDone"), "500");
    EXPECT_NE(w.findChild<QLabel*>("THints")->text().toStdString().find("The file ends at byte 1000"),
              std::string::npos);

    // Another extension changes only the name box and the hint.
    WriteFileBytes(dir.file("x.dbf"), "x");
    w.ShapeViewFile(dir.file("x.dbf"));
    EXPECT_EQ(Text(w, "ShapeViewEditFileName"), "x.dbf");
    EXPECT_EQ(Text(w, "ShapeViewEditFileDone"), "500");
    EXPECT_EQ(w.findChild<QLabel*>("THints")->text().toStdString(), "Shape Display Display");
}

TEST(SoilPage, BuildsTablesBesideTheChosenShapefile) {
    App();
    TempDir dir;
    const std::string data = dir.file("survey");
    ASSERT_EQ(std::system(("mkdir -p " + data).c_str()), 0);
    WriteFileBytes(data + "/comp", "h\nh\nIL\tIL001\tA\tDrummer\t1\tS1\t60\n");
    WriteFileBytes(data + "/plantnm", "h\nh\nJUVI\tJuniperus virginiana\tredcedar\n");
    WriteFileBytes(dir.file("il_a.shp"), "");
    ScriptedPrompter p;
    std::string dlgDir, shapeDir, vectorDir;
    TTransformer w(p, dlgDir, shapeDir);
    w.SetVectorDbDir(&vectorDir);
    EXPECT_EQ(Text(w, "StatsgoEdit"), "Data directory");
    w.StateStatsgoBtnGOClick();
    EXPECT_EQ(p.Count(MsgFamily::Error, 30003), 1);

    w.ChooseFolder = [&](const std::string&, const std::string&) { return data; };
    w.StateStatsgoBtnClick();
    EXPECT_EQ(vectorDir, data);
    p.files = {dir.file("il_a.shp")};
    w.StateStatsgoBtnShapeClick();
    EXPECT_EQ(Text(w, "StatsgoShapeEdit"), "il_a.shp");
    w.StateStatsgoBtnGOClick();
    EXPECT_TRUE(FileExists(dir.file("il_a_comp.db")));
    EXPECT_TRUE(FileExists(dir.file("il_a_plantnm.db")));
    EXPECT_EQ(w.findChild<QLabel*>("THints")->text().toStdString(), "Finished Making Tables");
    const std::string memo = w.findChild<QPlainTextEdit*>("SoilSummaryMemo")->toPlainText().toStdString();
    EXPECT_NE(memo.find("comp: 1 row"), std::string::npos);
    EXPECT_NE(memo.find("Inputs not found: compyld"), std::string::npos);
}
