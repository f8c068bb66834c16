// The database window's logic: record buttons, Accept, Add Field, panels,
// the link and print; and the window driven as a user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPdfWriter>
#include <QPushButton>

#include "attributes/attribute_windows.h"
#include "attributes/database.h"
#include "attributes/print_text.h"
#include "core/attributes.h"
#include "core/dbf_table.h"
#include "core/file_io.h"
#include "core/layer_save.h"
#include "core/shp_reader.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance() ? static_cast<QApplication*>(QApplication::instance())
                                                        : new QApplication(argc, argv);
    return *app;
}

// A layer of n shapes and `fields` string fields, values "r<k>f<i>".
void MakeLayer(LayerStore& s, int n, int fields) {
    s.AppendLayerSlot();
    ShpLayer& L = s.ShapeLayers[s.LayerCount];
    L.ShapeType = 1;
    L.ShpName = "pts.shp";
    L.DbfName = "pts.dbf";
    L.NumRecords = n;
    L.Shapes.resize(n + 1);
    for (int i = 0; i < fields; ++i) L.Fields.push_back({i + 1, "F" + std::to_string(i), ftString, 10, 0, 0});
    L.NumFields = fields;
    for (int k = 1; k <= n; ++k)
        for (int i = 0; i < fields; ++i) L.Shapes[k].Values.push_back("r" + std::to_string(k) + "f" + std::to_string(i));
    s.SetLoadedLayerDefaults(s.LayerCount);
}

Result Open(LayerStore& s, const std::string& path) { return test::OpenShapefile(s, path); }

int PdfPages(const std::string& path) {
    const std::string pdf = ReadFileBytes(path);
    int n = 0;
    for (std::size_t at = pdf.find("/Type /Page\n"); at != std::string::npos; at = pdf.find("/Type /Page\n", at + 1)) ++n;
    return n;
}

}  // namespace

TEST(Database, RecordButtonsStopAtTheEnds) {
    LayerStore s;
    MakeLayer(s, 3, 2);
    ScriptedPrompter p;
    AttributeHooks hooks;
    std::vector<int> shown;
    hooks.DisplayGraphicShape = [&](int, int shape, int) { shown.push_back(shape); };
    DatabaseLogic db(s, p, hooks);
    EXPECT_TRUE(db.InitDBForm(1, kBrowseMode, 2));
    EXPECT_FALSE(db.InitDBForm(1, kBrowseMode, 2));  // same layer: controls stay
    EXPECT_FALSE(db.AcceptEnabled);
    EXPECT_EQ(db.RecordValues(), (std::vector<std::string>{"r2f0", "r2f1"}));
    db.Last();
    db.Next();
    EXPECT_EQ(db.Record, 3);
    db.First();
    db.Previous();
    EXPECT_EQ(db.Record, 1);
    db.Next();
    db.FindShape();
    EXPECT_EQ(shown, std::vector<int>{2});
}

TEST(Database, AcceptWritesChangedValuesAndMarksTheLayer) {
    LayerStore s;
    MakeLayer(s, 3, 2);
    s.ShapeLayers[1].Fields[1].DataType = ftInteger;
    ScriptedPrompter p;
    AttributeHooks hooks;
    DatabaseLogic db(s, p, hooks);
    db.InitDBForm(1, kBrowseMode, 2);
    db.Accept({"r2f0", "r2f1"});
    EXPECT_EQ(s.ShapeLayers[1].Modified, 0);  // nothing changed
    EXPECT_FALSE(db.Accept({"new", "abc"}));  // browse mode stays open
    EXPECT_EQ(s.ShapeLayers[1].Shapes[2].Values[0], "new");
    EXPECT_EQ(s.ShapeLayers[1].Shapes[2].Values[1], "r2f1");  // not a number: skipped
    EXPECT_EQ(p.Count(MsgFamily::Info, 4), 1);
    db.Accept({"new", "2.5"});  // an integer field takes whole numbers only
    EXPECT_EQ(s.ShapeLayers[1].Shapes[2].Values[1], "r2f1");
    EXPECT_EQ(p.Count(MsgFamily::Info, 4), 2);
    EXPECT_EQ(s.ShapeLayers[1].Modified, 1);

    // A shape past the table's last record shows empty values and takes new ones.
    ShpLayer& L = s.ShapeLayers[1];
    L.NumRecords = 4;
    L.Shapes.resize(5);
    db.Last();
    EXPECT_EQ(db.RecordValues(), (std::vector<std::string>{"", ""}));
    db.Accept({"late", "7"});
    EXPECT_EQ(L.Shapes[4].Values, (std::vector<std::string>{"late", "7"}));

    // New-record mode: Accept closes; a layer without fields writes nothing.
    EXPECT_TRUE(db.InitDBForm(1, kNewRecordMode, 1) == false);
    EXPECT_TRUE(db.AcceptEnabled);
    EXPECT_FALSE(db.ButtonsEnabled);
    EXPECT_TRUE(db.Accept({"first", "1"}));
    EXPECT_FALSE(db.NewRecord);
    LayerStore bare;
    MakeLayer(bare, 2, 0);
    DatabaseLogic none(bare, p, hooks);
    none.InitDBForm(1, kNewRecordMode, 1);
    EXPECT_TRUE(none.Accept({}));
    EXPECT_EQ(bare.ShapeLayers[1].Modified, 0);
}

TEST(Database, AddFieldNamesTypesAndValues) {
    LayerStore s;
    MakeLayer(s, 3, 1);
    ScriptedPrompter p;
    ShpLayer& L = s.ShapeLayers[1];

    EXPECT_FALSE(AddField(L, "Width", "String", "12x", p));  // size not an integer
    EXPECT_EQ(L.NumFields, 1);
    ASSERT_EQ(p.shown.size(), 1u);

    ASSERT_TRUE(AddField(L, "", "String", "", p));
    EXPECT_EQ(L.Fields[1].Name, "Newbie");
    EXPECT_EQ(L.Fields[1].Size, 25);
    ASSERT_TRUE(AddField(L, "newbie", "Integer", "99", p));
    EXPECT_EQ(L.Fields[2].Name, "newbie1");
    ASSERT_TRUE(AddField(L, "AVeryLongFieldNameOfThirty____", "Float", "", p));
    EXPECT_EQ(L.Fields[3].Name, "AVeryLongF");
    ASSERT_TRUE(AddField(L, "AVeryLongFieldName", "Boolean", "", p));
    EXPECT_EQ(L.Fields[4].Name, "AVeryLong1");
    ASSERT_TRUE(AddField(L, "When", "DateTime", "", p));
    ASSERT_TRUE(AddField(L, "Cost", "Currency", "", p));
    ASSERT_TRUE(AddField(L, "Huge", "String", "900", p));

    EXPECT_EQ(L.NumFields, 8);
    const std::vector<std::uint8_t> types = {ftString, ftString, ftInteger, ftFloat, ftBoolean, ftDateTime, ftCurrency, ftString};
    for (int f = 0; f < 8; ++f) {
        EXPECT_EQ(L.Fields[f].DataType, types[f]) << f;
        EXPECT_EQ(L.Fields[f].FieldNo, f + 1);
    }
    EXPECT_EQ(L.Fields[7].Size, 254);
    EXPECT_EQ(L.Fields[3].Precision, 15);
    EXPECT_EQ(L.Shapes[3].Values, (std::vector<std::string>{"r3f0", "0", "0", "0", "False", TodayText(), "0.0", "0"}));
    EXPECT_EQ(L.Modified, 1);

    // Adding a field to a layer without fields starts clean.
    LayerStore bare;
    MakeLayer(bare, 1, 0);
    ASSERT_TRUE(AddField(bare.ShapeLayers[1], "Only", "Integer", "", p));
    EXPECT_EQ(bare.ShapeLayers[1].Fields[0].Precision, 0);
    EXPECT_EQ(bare.ShapeLayers[1].Fields[0].Required, 0);
}

TEST(Database, AddedFieldsSurviveASaveInTheirTypes) {
    TempDir d;
    LayerStore s;
    ASSERT_TRUE(Open(s, DataPath("nc.shp")));
    ScriptedPrompter p;
    ShpLayer& L = s.ShapeLayers[1];
    for (const char* type : kDataTypeItems) ASSERT_TRUE(AddField(L, type, type, "", p));
    L.Shapes[2].Values[L.NumFields - 1] = "12.5";  // the Currency
    NullProgress g;
    ASSERT_TRUE(SaveLayer(s, 1, d.file("nc.shp"), g));
    LayerStore back;
    ASSERT_TRUE(Open(back, d.file("nc.shp")));
    const ShpLayer& B = back.ShapeLayers[1];
    ASSERT_EQ(B.NumFields, L.NumFields);
    const int base = L.NumFields - 6;
    EXPECT_EQ(B.Fields[base].Name, "String");
    EXPECT_EQ(B.Fields[base + 1].DataType, ftInteger);
    EXPECT_EQ(B.Fields[base + 2].DataType, ftFloat);
    EXPECT_EQ(B.Fields[base + 3].DataType, ftBoolean);
    EXPECT_EQ(B.Shapes[1].Values[base + 3], "False");
    EXPECT_EQ(B.Shapes[1].Values[base + 4], TodayText());
    EXPECT_EQ(B.Shapes[2].Values[base + 5], "12.5");
    EXPECT_EQ(B.Shapes[1].Values[base + 1], "0");
}

TEST(Database, PanelsOpenOnlyWithOneModifierAndNotForANewRecord) {
    LayerStore s;
    MakeLayer(s, 2, 1);
    ScriptedPrompter p;
    AttributeHooks hooks;
    DatabaseLogic db(s, p, hooks);
    db.InitDBForm(1, kBrowseMode, 1);
    EXPECT_FALSE(db.OpenPanel(true, true, false));
    EXPECT_TRUE(db.OpenPanel(false, true, false));
    EXPECT_EQ(db.Panel, kConverterPanel);
    EXPECT_FALSE(db.ButtonsEnabled);
    db.CancelPanel();
    EXPECT_TRUE(db.ButtonsEnabled);
    EXPECT_TRUE(db.OpenPanel(false, false, true));
    EXPECT_EQ(db.Panel, kLinkPanel);
    db.CancelPanel();
    db.InitDBForm(1, kNewRecordMode, 1);
    EXPECT_FALSE(db.OpenPanel(true, false, false));

    // The link: a file without a table is refused with message 20.
    TempDir d;
    CopySample("nc", d.path());
    std::string dir = "/nowhere/";
    EXPECT_FALSE(db.ChooseLinkFile(d.file("missing.shp"), dir));
    EXPECT_EQ(p.Count(MsgFamily::Error, 20), 1);
    EXPECT_FALSE(db.LinkActive);
    EXPECT_TRUE(db.ChooseLinkFile(d.file("nc.shp"), dir));
    EXPECT_EQ(dir, d.path() + "/");
    EXPECT_EQ(db.LinkFile, "nc.shp");
    db.LinkOk(0);
    EXPECT_TRUE(db.LinkActive);
}

TEST(Database, PrintPageArithmetic) {
    LayerStore s;
    MakeLayer(s, 100, 2);
    const ShpLayer& L = s.ShapeLayers[1];
    EXPECT_EQ(PrintEstimate(L), 10);
    EXPECT_EQ(ShapesPerPage(L), 9);
    PrintJob all = PrintAll(L);
    ASSERT_EQ(all.Pages.size(), 12u);  // 11 full pages of 9 and one of 1
    EXPECT_EQ(all.Pages[0].size(), 9u * 4 + 3);
    EXPECT_EQ(all.Pages[0][all.Pages[0].size() - 2], "                  Page # 1 of pts.dbf");
    EXPECT_EQ(all.Pages[0][2], "r1f0");
    EXPECT_EQ(all.Pages[11][2], "r100f0");

    // Many fields: still one shape a page, never a division by zero.
    LayerStore wide;
    MakeLayer(wide, 3, 50);
    EXPECT_EQ(ShapesPerPage(wide.ShapeLayers[1]), 1);
    EXPECT_EQ(PrintAll(wide.ShapeLayers[1]).Pages.size(), 3u);

    // The question: Yes prints the record, Cancel nothing.
    ScriptedPrompter p;
    AttributeHooks hooks;
    DatabaseLogic db(s, p, hooks);
    db.InitDBForm(1, kBrowseMode, 7);
    p.answers = {Answer::Yes, Answer::Cancel, Answer::All};
    PrintJob one = db.Print();
    ASSERT_EQ(p.shown.back().value, "10");
    ASSERT_EQ(one.Pages.size(), 1u);
    EXPECT_EQ(one.Pages[0][4], "        pts.dbf");
    EXPECT_EQ(one.Pages[0][7], "        Shape# 7  Attribute F0 : r7f0");
    EXPECT_TRUE(db.Print().Pages.empty());
    EXPECT_EQ(db.Print().Pages.size(), 12u);
}

TEST(Database, PrintAllToPdfHasOnePageAJobPage) {
    App();
    TempDir d;
    LayerStore s;
    MakeLayer(s, 20, 2);
    PrintJob all = PrintAll(s.ShapeLayers[1]);
    ASSERT_EQ(all.Pages.size(), 3u);
    ASSERT_TRUE(PrintJobToPdf(all, d.file("p.pdf"), QFont(), LayerCodec()));
    EXPECT_EQ(PdfPages(d.file("p.pdf")), 3);
    // A failing disk is a failure, and the earlier PDF stays.
    const std::string before = ReadFileBytes(d.file("p.pdf"));
    commit_faults::Arm(commit_faults::Kind::Write, 1);
    EXPECT_FALSE(PrintJobToPdf(PrintAll(s.ShapeLayers[1]), d.file("p.pdf"), QFont(), LayerCodec()));
    commit_faults::Disarm();
    EXPECT_EQ(ReadFileBytes(d.file("p.pdf")), before);
}

TEST(DatabaseWindow, EditsFollowTheRecordAndAcceptNeedsCtrlRightClick) {
    App();
    LayerStore s;
    MakeLayer(s, 3, 2);
    s.ShapeLayers[1].CodePage = "UTF-8";
    s.ShapeLayers[1].Shapes[1].Values[0] = "C\xC3\xB4te";
    ScriptedPrompter p;
    AttributeWindows w(s, p, nullptr);
    s.CurrentLayer = 1;
    s.CurrentShape = 1;
    w.ShowDatabase(kBrowseMode);
    TZeEditDbForm& db = w.Database();
    ASSERT_EQ(db.Edits().size(), 2u);
    EXPECT_EQ(db.Edits()[0]->text(), QString::fromUtf8("C\xC3\xB4te"));  // shown in the layer's encoding
    EXPECT_EQ(db.Edits()[0]->objectName(), "Edit1");
    EXPECT_EQ(db.Edits()[1]->geometry().top(), 45 * 2 - 13);
    EXPECT_FALSE(db.Button("Accept OK")->isEnabled());

    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::RightButton, Qt::RightButton,
                      Qt::ControlModifier);
    QApplication::sendEvent(db.Strip(), &press);
    EXPECT_TRUE(db.Button("Accept OK")->isEnabled());
    db.Edits()[0]->setText(QString::fromUtf8("C\xC3\xB4t\xC3\xA9"));
    db.Button("Accept OK")->click();
    EXPECT_EQ(s.ShapeLayers[1].Shapes[1].Values[0], "C\xC3\xB4t\xC3\xA9");  // back to the file's bytes

    db.Button("Next")->click();
    EXPECT_EQ(db.Strip()->text(), "2");
    EXPECT_EQ(db.Edits()[1]->text(), "r2f1");
    s.ShapeLayers[1].NullShape.assign(4, 0);
    s.ShapeLayers[1].NullShape[3] = 1;
    db.Button("Last")->click();
    EXPECT_EQ(db.Strip()->text(), "3 Deleted");

    // Ctrl + right release on the fields: the new-field panel, record buttons off.
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::NoButton,
                        Qt::ControlModifier);
    QApplication::sendEvent(db.FieldsPanel(), &release);
    EXPECT_EQ(db.Logic().Panel, kNewFieldPanel);
    EXPECT_FALSE(db.Button("Next")->isEnabled());
    db.AddFieldOk("Extra", "Integer", "");
    EXPECT_EQ(s.ShapeLayers[1].NumFields, 3);
    EXPECT_EQ(db.Logic().Layer, 0);  // rebuilt next time
    w.ShowDatabase(kBrowseMode);
    EXPECT_EQ(db.Edits().size(), 3u);

    // The layer table changes: the window lets go of the layer.
    w.LayerTableChanged();
    EXPECT_TRUE(db.Edits().empty());
}

// The editing a user can find: an Edit button for Accept, an Add Field
// button, and typed values that are offered before the record changes.
TEST(DatabaseWindow, EditAndAddFieldButtonsAndTypedValuesAreNotDropped) {
    App();
    LayerStore s;
    MakeLayer(s, 3, 2);
    ScriptedPrompter p;
    AttributeWindows w(s, p, nullptr);
    s.CurrentLayer = 1;
    s.CurrentShape = 1;
    w.ShowDatabase(kBrowseMode);
    TZeEditDbForm& db = w.Database();
    ASSERT_EQ(db.Edits().size(), 2u);
    ASSERT_NE(db.Button("Edit"), nullptr);
    EXPECT_FALSE(db.Button("Accept OK")->isEnabled());
    db.Button("Edit")->click();
    EXPECT_TRUE(db.Button("Accept OK")->isEnabled());

    // A typed value and Next: Cancel stays on the record with the text.
    const std::string before = s.ShapeLayers[1].Shapes[1].Values[1];
    db.Edits()[1]->setText("typed");
    p.answers = {Answer::Cancel};
    db.Button("Next")->click();
    EXPECT_EQ(db.Strip()->text(), "1");
    EXPECT_EQ(db.Edits()[1]->text(), "typed");
    EXPECT_EQ(s.ShapeLayers[1].Shapes[1].Values[1], before);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].value, "Apply changes?");
    // No leaves it as it was; Yes applies it.
    p.answers = {Answer::No};
    db.Button("Next")->click();
    EXPECT_EQ(db.Strip()->text(), "2");
    EXPECT_EQ(s.ShapeLayers[1].Shapes[1].Values[1], before);
    db.Edits()[1]->setText("kept");
    p.answers = {Answer::Yes};
    db.Button("Previous")->click();
    EXPECT_EQ(db.Strip()->text(), "1");
    EXPECT_EQ(s.ShapeLayers[1].Shapes[2].Values[1], "kept");
    // Without a change nothing is asked.
    db.Button("Next")->click();
    EXPECT_EQ(p.shown.size(), 3u);

    db.Button("Add Field...")->click();
    EXPECT_EQ(db.Logic().Panel, kNewFieldPanel);
}
