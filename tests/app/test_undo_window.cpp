// Undo in the real window: shape edits with the mouse, attribute edits and
// added fields in the database window, all on one history that takes back
// each step's own change only; and what a user makes is saved under the
// name they gave, with the text they typed.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include "app/edit_actions.h"
#include "app/main_window.h"
#include "attributes/attribute_windows.h"
#include "tests/app/window_fixture.h"
#include "tests/test_support.h"
#include "view/map_view.h"
#include "view/viewport.h"

using namespace zemba;
using namespace zemba::test;

namespace {

constexpr int kName = 4;  // NAME in nc.dbf
constexpr double kAsheX = -81.4949, kAsheY = 36.4211;

// The save dialogs' proposals.
struct RecordingPrompter : ScriptedPrompter {
    std::vector<std::pair<std::string, std::string>> proposed;  // (directory, name)
    std::string ChooseSaveFile(const std::string&, const std::string& dir, const std::string&,
                               const std::string& name) override {
        proposed.emplace_back(dir, name);
        return {};
    }
};

struct UndoWindow : ::testing::Test, BasicMainWindowFixture<RecordingPrompter> {
    void SetUp() override {
        CopySample("nc", dir.path());
        ASSERT_TRUE(form->Commands().LoadFromFile(dir.file("nc.shp")));
    }

    MapView* View() { return form->MapViewWidget(); }
    QPoint Pixel(double X, double Y) {
        const PixelPoint p = WorldToPixel(store, form->View(), X, Y);
        return {p.x, p.y};
    }
    void Drag(double X0, double Y0, double X1, double Y1) {
        emit View()->mousePressed(Pixel(X0, Y0), Qt::LeftButton, Qt::NoModifier);
        emit View()->mouseMoved(Pixel(X1, Y1), Qt::LeftButton, Qt::NoModifier);
        emit View()->mouseReleased(Pixel(X1, Y1), Qt::LeftButton, Qt::NoModifier);
    }
    void Click(double X, double Y) { Drag(X, Y, X, Y); }
    TZeEditDbForm& Db() { return form->Attributes().Database(); }
    // Ctrl + right click on the record strip unlocks Accept in browse mode.
    void UnlockAccept() {
        RightClick(Db().Strip(), QEvent::MouseButtonPress);
    }
    void RightClick(QWidget* w, QEvent::Type t) {
        QMouseEvent e(t, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::RightButton,
                      t == QEvent::MouseButtonPress ? Qt::RightButton : Qt::NoButton, Qt::ControlModifier);
        QApplication::sendEvent(w, &e);
    }
    void Type(int field, const QString& text) {
        auto edits = Db().Edits();
        ASSERT_GT(static_cast<int>(edits.size()), field);
        edits[field]->setText(text);
        QPushButton* accept = Db().Button("Accept OK");
        ASSERT_NE(accept, nullptr);
        ASSERT_TRUE(accept->isEnabled());
        accept->click();
    }
    void Undo() {
        ASSERT_TRUE(form->Action("UndoMI")->isEnabled());
        form->Action("UndoMI")->trigger();
    }
    void Redo() {
        QAction* redo = form->findChild<QAction*>("RedoMI");
        ASSERT_TRUE(redo && redo->isEnabled());
        redo->trigger();
    }
    const std::string& Name() { return store.ShapeLayers[1].Shapes[1].Values[kName]; }
    double AsheX() { return store.ShapeLayers[1].Shapes[1].XMin; }
};

std::string TableWithoutDate(const std::string& path) {
    std::string t = ReadFileBytes(path);
    if (t.size() > 4) t.replace(1, 3, 3, '\0');
    return t;
}

TEST_F(UndoWindow, MoveThenSetUndoesTheValueFirstThenTheMove) {
    const double x0 = AsheX();
    form->Action("EditShpTB")->trigger();
    form->Action("MoveTB")->trigger();
    Drag(kAsheX, kAsheY, kAsheX + 0.05, kAsheY);
    const double moved = AsheX();
    ASSERT_NE(moved, x0);

    // The Db Info tool opens the database window on the moved county.
    form->Action("ObjInfoAttDbTB")->trigger();
    Click(kAsheX + 0.05, kAsheY);
    ASSERT_TRUE(Db().isVisible());
    ASSERT_EQ(Db().Logic().Record, 1);
    UnlockAccept();
    Type(kName, "Changed");
    EXPECT_EQ(Name(), "Changed");
    EXPECT_EQ(form->Action("UndoMI")->text().toStdString().find("Set NAME") != std::string::npos, true)
        << form->Action("UndoMI")->text().toStdString();

    Undo();  // the value, and only the value
    EXPECT_EQ(Name(), "Ashe");
    EXPECT_DOUBLE_EQ(AsheX(), moved);
    EXPECT_EQ(Db().Edits()[kName]->text(), "Ashe");  // the window shows the step
    Undo();  // the move, and the value stays
    EXPECT_DOUBLE_EQ(AsheX(), x0);
    EXPECT_EQ(Name(), "Ashe");
    EXPECT_FALSE(form->Action("UndoMI")->isEnabled());
    EXPECT_EQ(store.ShapeLayers[1].Modified, 0);  // as on disk

    Redo();
    Redo();
    EXPECT_DOUBLE_EQ(AsheX(), moved);
    EXPECT_EQ(Name(), "Changed");

    // Undo after a save works on the layer in memory and marks it again.
    form->Commands().Save();
    EXPECT_EQ(store.ShapeLayers[1].Modified, 0);
    Undo();
    EXPECT_EQ(Name(), "Ashe");
    EXPECT_EQ(store.ShapeLayers[1].Modified, 1);
    Undo();
    EXPECT_EQ(store.ShapeLayers[1].Modified, 1);
    EXPECT_DOUBLE_EQ(AsheX(), x0);
}

TEST_F(UndoWindow, SetThenMoveUndoesBothInOrderAndAnAddedFieldGoesAgain) {
    const std::string dbf = TableWithoutDate(dir.file("nc.dbf"));
    const double x0 = AsheX();
    form->Action("ObjInfoAttDbTB")->trigger();
    Click(kAsheX, kAsheY);
    ASSERT_TRUE(Db().isVisible());
    UnlockAccept();
    Type(kName, "Changed");
    form->Action("EditShpTB")->trigger();
    form->Action("MoveTB")->trigger();
    Drag(kAsheX, kAsheY, kAsheX + 0.05, kAsheY);
    ASSERT_NE(AsheX(), x0);
    Undo();
    EXPECT_DOUBLE_EQ(AsheX(), x0);
    EXPECT_EQ(Name(), "Changed");
    Undo();
    EXPECT_EQ(Name(), "Ashe");

    // Add a field in the window, give the county a value, undo both: the
    // table saved is the one read, apart from the date of last update.
    form->Action("ObjInfoAttDbTB")->trigger();
    Click(kAsheX, kAsheY);
    RightClick(Db().FieldsPanel(), QEvent::MouseButtonRelease);  // Ctrl: the new-field panel
    ASSERT_EQ(Db().Logic().Panel, kNewFieldPanel);
    Db().AddFieldOk("Rank", "Integer", "");
    ASSERT_EQ(store.ShapeLayers[1].Fields.back().Name, "Rank");
    EXPECT_NE(form->Action("UndoMI")->text().indexOf("Add Field Rank"), -1);
    Click(kAsheX, kAsheY);
    ASSERT_TRUE(Db().isVisible());
    const int rank = store.ShapeLayers[1].NumFields - 1;
    ASSERT_EQ(static_cast<int>(Db().Edits().size()), rank + 1);
    UnlockAccept();
    Type(rank, "7");
    EXPECT_EQ(store.ShapeLayers[1].Shapes[1].Values[rank], "7");
    Undo();
    Undo();
    EXPECT_EQ(store.ShapeLayers[1].NumFields, rank);
    EXPECT_EQ(Db().Edits().size(), static_cast<std::size_t>(rank));  // the window lost the field too
    form->Commands().Save();
    EXPECT_EQ(TableWithoutDate(dir.file("nc.dbf")), dbf);
}

TEST_F(UndoWindow, SaveAsAndExportProposeTheCurrentLayer) {
    CopySample("world", dir.path());
    ASSERT_TRUE(form->Commands().LoadFromFile(dir.file("world.shp")));  // opened last
    form->Commands().LayerComboBoxChange(0);
    ASSERT_EQ(store.CurrentLayer, 1);
    form->Action("SaveAsMI")->trigger();
    form->Action("ExportMI")->trigger();
    ASSERT_EQ(prompter.proposed.size(), 2u);
    EXPECT_EQ(prompter.proposed[0].second, "nc.shp");
    EXPECT_EQ(prompter.proposed[0].first, dir.path() + "/");
    EXPECT_EQ(prompter.proposed[1].second, "nc.dxf");
    form->Commands().LayerComboBoxChange(1);
    form->Action("SaveAsMI")->trigger();
    EXPECT_EQ(prompter.proposed.back().second, "world.shp");
}

TEST_F(UndoWindow, ATextPointShowsWhatWasTypedAtOnceAndAfterReopening) {
    form->show();
    QApplication::processEvents();
    ToolController& tools = EditActions::Of(form.get())->Controller();
    const int T = tools.CreateLayer(2, dir.file("texts"), options.ShapeDir, nullptr);
    ASSERT_EQ(T, 2);
    tools.ArmCreate(kMakeTextPoint);
    Click(-80, 35.5);
    ASSERT_EQ(store.ShapeLayers[T].NumRecords, 1);
    EXPECT_EQ(store.SymLayers[T].SymObjs[1].LabelText, "");  // not the main layer's path
    // The new record's window asks for its values.
    ASSERT_TRUE(Db().isVisible());
    ASSERT_EQ(Db().Logic().Layer, T);
    const QImage before = form->ViewImage().copy();
    Type(0, "Raleigh");
    EXPECT_FALSE(Db().isVisible());
    EXPECT_EQ(store.SymLayers[T].SymObjs[1].LabelText, "Raleigh");
    EXPECT_NE(form->ViewImage(), before);  // drawn at once
    EXPECT_NE(form->Action("UndoMI")->text().indexOf("Set LabelName"), -1);

    form->Commands().LayerComboBoxChange(T - 1);
    form->Commands().Save();
    EXPECT_EQ(ReadFileBytes(dir.file("texts.atx")), "Raleigh\r\n");
    form->Commands().ClearAll();
    ASSERT_EQ(store.LayerCount, 0);
    ASSERT_TRUE(form->Commands().LoadFromFile(dir.file("texts.shp")));
    ASSERT_EQ(store.ShapeLayers[1].NumRecords, 1);
    EXPECT_EQ(store.SymLayers[1].SymObjs[1].LabelText, "Raleigh");
    EXPECT_GE(store.SymLayers[1].Labeled, 1);
    EXPECT_EQ(store.ShapeLayers[1].Shapes[1].Values.at(0), "Raleigh");
}

}  // namespace
