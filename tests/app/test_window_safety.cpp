// A user's work in the real window: the pop-up menu driven as a user drives
// it, the save questions at close and at Clear All, and styles that stay.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/edit_actions.h"
#include "app/main_window.h"
#include "attributes/attribute_windows.h"
#include "tests/app/window_fixture.h"
#include "tests/test_support.h"
#include "view/label_prop_form.h"
#include "view/map_view.h"
#include "view/styles.h"

namespace fs = std::filesystem;
using namespace zemba;

namespace {

void Pump(int ms = 60) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

void Key(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

QAction* ItemOf(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
        if (a->text().remove('&') == text) return a;
    return nullptr;
}

struct SafetyWindow : ::testing::Test, test::MainWindowFixture {
    // Answers the next modal dialog that opens (a layer name box, the label
    // window) while a command runs.
    std::function<void(QDialog*)> onDialog;

    // A right click on the map, the path of submenus opened with the arrow
    // key and the last item run with Return, as a user does it.
    void RunPopup(const QStringList& path) {
        MapView* v = form->MapViewWidget();
        emit v->ImageWidget()->customContextMenuRequested(QPoint(40, 40));
        Pump(20);
        QMenu* menu = form->findChild<QMenu*>("ViewPopupMenu");
        ASSERT_NE(menu, nullptr);
        ASSERT_TRUE(menu->isVisible());
        QTimer watcher;
        watcher.setInterval(20);
        QObject::connect(&watcher, &QTimer::timeout, [this] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                if (onDialog) onDialog(d);
                else d->reject();
            }
        });
        watcher.start();
        for (int k = 0; k < path.size(); ++k) {
            QAction* a = ItemOf(menu, path[k]);
            ASSERT_NE(a, nullptr) << path[k].toStdString();
            ASSERT_TRUE(a->isEnabled()) << path[k].toStdString();
            menu->setActiveAction(a);
            if (k + 1 < path.size()) {
                ASSERT_NE(a->menu(), nullptr) << path[k].toStdString();
                Key(menu, Qt::Key_Right);
                Pump(20);
                menu = a->menu();
                ASSERT_TRUE(menu->isVisible()) << path[k].toStdString();
            } else {
                Key(menu, Qt::Key_Return);
            }
        }
        Pump(150);
        watcher.stop();
    }

    void Drag(double X1, double Y1, double X2, double Y2) {
        const PixelPoint a = WorldToPixel(store, form->View(), X1, Y1);
        const PixelPoint b = WorldToPixel(store, form->View(), X2, Y2);
        MapView* v = form->MapViewWidget();
        emit v->mousePressed(QPoint(a.x, a.y), Qt::LeftButton, Qt::NoModifier);
        emit v->mouseMoved(QPoint((a.x + b.x) / 2, (a.y + b.y) / 2), Qt::LeftButton, Qt::NoModifier);
        emit v->mouseMoved(QPoint(b.x, b.y), Qt::LeftButton, Qt::NoModifier);
        emit v->mouseReleased(QPoint(b.x, b.y), Qt::LeftButton, Qt::NoModifier);
        Pump(20);
    }
    void Click(double X, double Y) { Drag(X, Y, X, Y); }

    void OpenNc() {
        form->OpenStartFiles({Sample("nc")});
        ASSERT_EQ(store.LayerCount, 1);
    }
    // Deletes Watauga county with the editing tools, so layer 1 is modified.
    void EditShape() {
        form->Action("ObjInfoTB")->trigger();
        Click(-81.70, 36.25);
        form->Action("EditShpTB")->trigger();
        form->Action("DeleteTB")->trigger();
        Click(-81.70, 36.25);
        ASSERT_TRUE(store.ShapeLayers[1].Modified);
    }
    // A choice in the "Layer" box, as the user makes it.
    void ChooseLayer(int row) {
        form->LayerCombo()->setCurrentIndex(row);
        emit form->LayerCombo()->activated(row);
        Pump(20);
    }
    int Asked() const {
        int n = 0;
        for (const auto& s : prompter.shown)
            if (s.family == MsgFamily::YesCancelAll && s.number == -1) ++n;
        return n;
    }
};

TEST_F(SafetyWindow, EveryPopupCommandRunsThroughTheRealMenu) {
    OpenNc();
    RunPopup({"Refresh"});
    RunPopup({"Refresh"});
    RunPopup({"Current Layer only"});
    RunPopup({"All layers Visible"});

    // A shape to style: an info click picks one.
    form->Action("ObjInfoTB")->trigger();
    Click(-81.70, 36.25);
    const int shape = store.CurrentShape;
    ASSERT_GT(shape, 0);
    RunPopup({"Set current Object", "Poly Fill", "Cross"});
    EXPECT_EQ(store.SymLayers[1].SymObjs[shape].BrushStyle, 5);
    EXPECT_TRUE(store.MapChanged);  // a style change is offered for saving at close

    onDialog = [](QDialog* d) {
        if (auto* f = dynamic_cast<TLabelPropFrm*>(d)) {
            f->TextEdit()->setText("Watauga!");
            for (QPushButton* b : f->findChildren<QPushButton*>())
                if (b->text() == "OK") b->click();
        } else {
            d->reject();
        }
    };
    RunPopup({"Set current Object", "Label..."});
    EXPECT_EQ(store.SymLayers[1].SymObjs[shape].LabelText, "Watauga!");
}

TEST_F(SafetyWindow, LayersMadeFromThePopupTakeFeatures) {
    OpenNc();
    fs::create_directories(dir.file("made"));
    struct Case {
        QString layerItem, featureItem, name;
        int type;
    };
    const Case cases[] = {{"Create Point Layer", "Create Point", QString::fromUtf8("p\xC3\xBCnkte"), 1},
                          {"Create Line Layer", "Create Line", "lns", 3},
                          {"Create Area Polygon Layer", "Create Area Polygon", "areas", 5},
                          {"Create Text Layer", "Create Text label (pt)", "texts", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const int before = store.LayerCount;
        onDialog = [&](QDialog* d) {
            if (auto* e = d->findChild<QLineEdit*>("WidthEdit")) e->setText(c.name);
            d->accept();
        };
        RunPopup({"Create PLAT", c.layerItem});
        ASSERT_EQ(store.LayerCount, before + 1);
        const int made = store.LayerCount;
        EXPECT_EQ(store.ShapeLayers[made].ShapeType, c.type);
        // The name is the file system's bytes, not Latin-1.
        EXPECT_EQ(store.ShapeLayers[made].ShpName, c.name.toStdString() + ".shp");

        onDialog = {};
        RunPopup({"Create PLAT", c.featureItem});
        if (c.type == 1 || c.type == 2)
            Click(-79.0, 35.5);
        else
            Drag(-79.5, 35.2, -78.5, 35.9);
        EXPECT_EQ(store.ShapeLayers[made].NumRecords, 1);
        // The new record's table window may be open; it does not block.
        form->Attributes().Database().hide();
    }
}

TEST_F(SafetyWindow, CancelAtCloseKeepsTheWindowAndTheEdit) {
    OpenNc();
    EditShape();
    // "Map Modified. Save changes?" (No), then the layer's question: Cancel.
    prompter.answers = {Answer::No, Answer::Cancel};
    form->show();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(prompter.Count(MsgFamily::YesNo, 3), 1);  // the edit made the map question appear
    EXPECT_EQ(Asked(), 1);
    EXPECT_EQ(store.LayerCount, 1);
    EXPECT_TRUE(store.ShapeLayers[1].Modified);

    // Esc closes the window the same way: it asks again, and Cancel again
    // keeps everything.
    prompter.answers = {Answer::No, Answer::Cancel};
    Key(form.get(), Qt::Key_Escape);
    Pump(20);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Asked(), 2);
    EXPECT_EQ(store.LayerCount, 1);

    // No quits without saving that layer; the file on disk is untouched.
    const std::string before = test::ReadFileBytes(dir.file("nc.shp"));
    prompter.answers = {Answer::No, Answer::No};
    EXPECT_TRUE(form->close());
    EXPECT_EQ(test::ReadFileBytes(dir.file("nc.shp")), before);
}

TEST_F(SafetyWindow, ClearAllAsksAboutModifiedLayers) {
    OpenNc();
    EditShape();
    form->Attributes().Identify().show();
    prompter.answers = {Answer::Cancel};
    form->Action("ClearAllMI")->trigger();
    EXPECT_EQ(Asked(), 1);
    EXPECT_EQ(store.LayerCount, 1);
    EXPECT_TRUE(store.ShapeLayers[1].Modified);

    prompter.answers = {Answer::Cancel};
    form->Action("ClearAllNewTB")->trigger();
    EXPECT_EQ(store.LayerCount, 1);

    // Yes saves the layer, then clears.
    prompter.answers = {Answer::Yes};
    form->Action("ClearAllMI")->trigger();
    EXPECT_EQ(store.LayerCount, 0);
    EXPECT_FALSE(form->Attributes().Identify().isVisible());
    form->OpenStartFiles({dir.file("nc.shp")});
    ASSERT_EQ(store.LayerCount, 1);
    EXPECT_EQ(store.ShapeLayers[1].NumRecords, 100);
    int nulls = 0;
    for (int k = 1; k <= store.ShapeLayers[1].NumRecords; ++k) nulls += store.ShapeLayers[1].IsNullShape(k);
    EXPECT_EQ(nulls, 1);
}

TEST_F(SafetyWindow, StylesSurviveTheLayerBoxAndASaveAndReopen) {
    form->OpenStartFiles({Sample("nc"), Sample("world")});
    ASSERT_EQ(store.LayerCount, 2);
    ChooseLayer(0);
    ASSERT_EQ(store.CurrentLayer, 1);
    store.SymLayers[1].ShapeStyle = 5;  // cross, as Layer Properties sets it
    store.SymLayers[1].FillColor = 0x3366CC;
    ChooseLayer(1);
    ChooseLayer(0);
    EXPECT_EQ(store.SymLayers[1].ShapeStyle, 5);
    EXPECT_EQ(store.SymLayers[1].FillColor, 0x3366CCu);

    // A shape's own fill and label (object styles) are kept in the layer's
    // style files: Save writes them, the reopened layer looks the same.
    store.CurrentShape = 4;
    ASSERT_TRUE(ObjectStyleCommand(store, true, ObjectStyleKind::PolyFill, 6));
    store.SymLayers[1].SymObjs[4].LabelText = "Ashe";
    form->Action("SaveMI")->trigger();
    EXPECT_TRUE(fs::exists(dir.file("nc.att")));
    EXPECT_TRUE(fs::exists(dir.file("nc.atx")));
    prompter.answers = {Answer::No};
    form->Action("ClearAllMI")->trigger();
    ASSERT_EQ(store.LayerCount, 0);
    form->OpenStartFiles({dir.file("nc.shp")});
    ASSERT_EQ(store.LayerCount, 1);
    EXPECT_EQ(store.SymLayers[1].Visible, 5);
    EXPECT_EQ(store.SymLayers[1].SymObjs[4].BrushStyle, 6);
    EXPECT_EQ(store.SymLayers[1].SymObjs[4].LabelText, "Ashe");
}

}  // namespace

TEST_F(SafetyWindow, TheWindowCanBeNarrow) {
    OpenNc();
    form->show();
    form->resize(520, 400);
    Pump(50);
    EXPECT_LE(form->width(), 560);
    EXPECT_LE(form->minimumSizeHint().width(), 560);
}
