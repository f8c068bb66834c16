// The identify and database windows as the main window wires them: opened
// on the store's rows, forgetting them when the layer table changes, and
// Save writing the table.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>

#include "app/main_window.h"
#include "app/qt_progress.h"
#include "attributes/attribute_windows.h"
#include "core/file_io.h"
#include "tests/app/window_fixture.h"
#include "tests/test_support.h"
#include "view/map_view.h"
#include "view/viewport.h"

using namespace zemba;
using namespace zemba::test;

TEST(AttributeWiring, WindowsFollowTheLayerTableAndSaveWritesTheTable) {
    MainWindowFixture w;
    TempDir& dir = w.dir;
    LayerStore& store = w.store;
    CopySample("nc", dir.path());
    TZeEditForm& form = *w.form;
    ASSERT_TRUE(form.Commands().LoadFromFile(dir.file("nc.shp")));

    store.HitList = {HitEntry{}, HitEntry{1, 3}};
    store.HitCount = 1;
    form.Attributes().ShowIdentify();
    EXPECT_EQ(form.Attributes().Identify().CandidateList()->count(), 1);
    EXPECT_EQ(store.CurrentShape, 3);  // highlighted and made current by the view
    form.Attributes().ShowDatabase(2);
    EXPECT_EQ(form.Attributes().Database().Logic().Record, 3);
    EXPECT_TRUE(form.Action("ExternalDbLinkerMI")->isEnabled());

    // An edit through the window, then Save: the table carries it.
    auto edits = form.Attributes().Database().Edits();
    ASSERT_FALSE(edits.empty());
    edits[4]->setText("Renamed");
    form.Attributes().Database().Logic().EnableAccept();
    form.Attributes().Database().AcceptClick();
    EXPECT_EQ(store.ShapeLayers[1].Modified, 1);
    form.Commands().Save();
    EXPECT_NE(ReadFileBytes(dir.file("nc.dbf")).find("Renamed"), std::string::npos);

    form.Commands().ClearAll();
    EXPECT_EQ(form.Attributes().Identify().CandidateList()->count(), 0);
    EXPECT_EQ(form.Attributes().Database().Logic().Layer, 0);
}

TEST(AttributeWiring, AnInfoClickOpensTheIdentifyWindowOnTheCountyUnderThePointer) {
    MainWindowFixture w;
    TempDir& dir = w.dir;
    LayerStore& store = w.store;
    CopySample("nc", dir.path());
    TZeEditForm& form = *w.form;
    ASSERT_TRUE(form.Commands().LoadFromFile(dir.file("nc.shp")));
    form.show();
    QApplication::processEvents();

    form.Action("ObjInfoTB")->trigger();
    const PixelPoint p = WorldToPixel(store, form.View(), -81.70, 36.25);  // inside Watauga
    QWidget* image = form.MapViewWidget()->ImageWidget();
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, QPointF(p.x, p.y), image->mapToGlobal(QPointF(p.x, p.y)), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(image, &e);
    }
    ASSERT_GE(store.HitCount, 2);  // Ashe's box holds the click too
    TIDForm& id = form.Attributes().Identify();
    EXPECT_TRUE(id.isVisible());
    EXPECT_EQ(id.CandidateList()->count(), store.HitCount);
    // The county that holds the click is the one selected, not the first box.
    const int row = id.CandidateList()->currentRow();
    ASSERT_GE(row, 0);
    EXPECT_EQ(store.HitList[row + 1].Shape, store.CurrentShape);
    EXPECT_NE(row, 0);
}
