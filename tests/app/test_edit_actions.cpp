// The editing tools as the main window wires them: actions, the map view's
// mouse signals, the pop-up menu and undo through the menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <filesystem>

#include "app/edit_actions.h"
#include "app/main_window.h"
#include "app/qt_progress.h"
#include "tests/app/window_fixture.h"
#include "tests/test_support.h"
#include "view/map_view.h"

namespace fs = std::filesystem;
using namespace zemba;

namespace {

struct EditWindow : ::testing::Test, test::MainWindowFixture {
    void Click(double X, double Y) {
        const PixelPoint p = WorldToPixel(store, form->View(), X, Y);
        MapView* v = form->MapViewWidget();
        emit v->mousePressed(QPoint(p.x, p.y), Qt::LeftButton, Qt::NoModifier);
        emit v->mouseReleased(QPoint(p.x, p.y), Qt::LeftButton, Qt::NoModifier);
    }
};

TEST_F(EditWindow, PopupOffersOnlyRefreshWithoutLayers) {
    EditActions* e = EditActions::Of(form.get());
    ASSERT_NE(e, nullptr);
    QMenu* menu = e->Popup();
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        EXPECT_EQ(a->isEnabled(), a->objectName() == "RefreshMI") << a->text().toStdString();
    }
    EXPECT_FALSE(form->Action("ObjInfoTB")->isEnabled());
}

TEST_F(EditWindow, InfoClickDeleteUndoAndRedoThroughTheWindow) {
    test::CopySample("nc", dir.path());
    form->OpenStartFiles({dir.file("nc.shp")});
    ASSERT_EQ(store.LayerCount, 1);
    EditActions* e = EditActions::Of(form.get());
    int inits = 0;
    e->Controller().Hooks().IdentifyInit = [&](std::int32_t) { ++inits; };

    ASSERT_TRUE(form->Action("ObjInfoTB")->isEnabled());
    form->Action("ObjInfoTB")->trigger();
    EXPECT_TRUE(form->Action("ObjectInfoMI")->isChecked());
    Click(-81.70, 36.25);
    EXPECT_EQ(inits, 1);
    EXPECT_TRUE(e->Controller().Flags().ShapeSelected);
    EXPECT_TRUE(form->Action("EditPtTB")->isEnabled());  // a hit offers Edit Point
    const int watauga = store.CurrentShape;

    form->Action("EditShpTB")->trigger();
    ASSERT_TRUE(form->Action("DeleteTB")->isEnabled());
    form->Action("DeleteTB")->trigger();
    EXPECT_TRUE(form->Action("DeleteMI")->isChecked());
    Click(-81.70, 36.25);
    EXPECT_TRUE(store.ShapeLayers[1].IsNullShape(watauga));
    EXPECT_TRUE(store.ShapeLayers[1].Modified);
    ASSERT_TRUE(form->Action("UndoMI")->isEnabled());
    form->Action("UndoMI")->trigger();
    EXPECT_FALSE(store.ShapeLayers[1].IsNullShape(watauga));
    EXPECT_FALSE(store.ShapeLayers[1].Modified);
    EXPECT_TRUE(form->Action("EditShapeMI")->isChecked());
    QAction* redo = form->findChild<QAction*>("RedoMI");
    ASSERT_NE(redo, nullptr);
    ASSERT_TRUE(redo->isEnabled());
    redo->trigger();
    EXPECT_TRUE(store.ShapeLayers[1].IsNullShape(watauga));

    form->Action("ClearAllMI")->trigger();
    EXPECT_FALSE(form->Action("UndoMI")->isEnabled());
    EXPECT_FALSE(e->Controller().UndoStack().canUndo());
}

}  // namespace
