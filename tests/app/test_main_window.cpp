// The main window, offscreen: its start state, the tool status level on the
// controls, toolbars and their options, the layer boxes, the view after an
// open, Esc, the first-show warning and the close questions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QMenu>
#include <QMouseEvent>
#include <QPrinter>
#include <QToolBar>
#include <QElapsedTimer>
#include <QToolButton>
#include <filesystem>

#include <sys/wait.h>

#include "app/file_commands.h"
#include "app/main_window.h"
#include "app/options.h"
#include "app/qt_progress.h"
#include "attributes/attribute_windows.h"
#include "attributes/classify_window.h"
#include "view/prop_form.h"
#include "tests/app/window_fixture.h"
#include "tests/test_support.h"
#include "view/map_view.h"
#include "view/renderer.h"

namespace fs = std::filesystem;
using namespace zemba;
using zemba::test::ScriptedPrompter;
using zemba::test::TempDir;

namespace {

struct Window : zemba::test::MainWindowFixture {
    explicit Window(int depth = 24) : BasicMainWindowFixture(depth) {}
    bool Enabled(const char* name) const {
        QAction* a = form->Action(name);
        EXPECT_NE(a, nullptr) << name;
        return a && a->isEnabled();
    }
};

}  // namespace

TEST(MainWindow, StartsEmptyWithOnlyClearAndOpenEnabled) {
    Window w;
    EXPECT_FALSE(w.form->TerminateRequested());
    EXPECT_EQ(w.form->windowTitle(), "ZEMBA");
    // A first start writes the options file with the defaults.
    EXPECT_EQ(fs::file_size(w.dir.file("zemba.pof")), kOptionsFileSize);

    EXPECT_TRUE(w.Enabled("ClearAllNewTB"));
    EXPECT_TRUE(w.Enabled("OpenTB"));
    // The view tools wait for a layer, in the menu as on the toolbar.
    for (const char* n : {"SaveCurrentLayerTB", "ExportTB", "FullViewTB", "ZoomInTB", "PanTB",
                          "ObjInfoTB", "FindTB", "SaveMI", "SaveAsMI", "ExportMI", "PrintMI",
                          "ZoomAreaMI", "PanMI", "FitToWindowMI"})
        EXPECT_FALSE(w.Enabled(n)) << n;
    EXPECT_FALSE(w.form->LayerCombo()->isEnabled());
    EXPECT_FALSE(w.form->FieldCombo()->isEnabled());
    EXPECT_TRUE(w.Enabled("OpenMI"));
    EXPECT_TRUE(w.Enabled("ExitMI"));
    EXPECT_EQ(w.form->Action("Reopen0MI")->text(), "&0  ");

    // The Menu toolbar's five captioned buttons open the five menus.
    const char* menus[] = {"Vector", "Overlay", "Information", "Classification", "Extraction"};
    for (int k = 0; k < 5; ++k) {
        // The caption's first letter is underlined for Alt+letter.
        EXPECT_EQ(w.form->MenuButton(k)->text(), QString("&") + menus[k]);
        ASSERT_NE(w.form->MenuButton(k)->menu(), nullptr);
        EXPECT_EQ(w.form->MenuButton(k)->toolButtonStyle(), Qt::ToolButtonTextOnly);
    }
    QMenu* vector = w.form->MenuButton(0)->menu();
    QStringList items;
    for (QAction* a : vector->actions())
        if (!a->isSeparator()) items << a->text();
    EXPECT_EQ(items, (QStringList{"Clear All", "Open...", "Reopen", "Save", "Save As...", "Import...",
                                  "Export...", "Options...", "Setup Printer...", "Print...", "Exit"}));
    EXPECT_EQ(w.form->Action("SaveMI")->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(w.form->Action("ExitMI")->shortcut(), QKeySequence("Alt+X"));
    EXPECT_TRUE(w.form->Action("FitToWindowMI")->isChecked());
    // A first start (no options file yet): the view follows the window.
    EXPECT_TRUE(w.form->Action("ResizeWindowMI")->isChecked());
    EXPECT_FALSE(w.form->Action("Resize640wMI")->isChecked());
    EXPECT_TRUE(w.form->Action("StatusBottomMI")->isChecked());
    EXPECT_EQ(w.form->Action("SsurgoSoilsDbMI")->statusTip(),
              "Activate the Db before selecting an object");
    EXPECT_EQ(w.form->Action("SsurgoSoilsDbMI")->toolTip(), "Activate Db");

    // The edit buttons in their order, by hint.
    QStringList edit;
    for (QAction* a : w.form->Toolbar(TbEdit)->actions())
        edit << (a->isSeparator() ? QString("|") : a->toolTip());
    EXPECT_EQ(edit, (QStringList{"Obj Info", "Obj Info + Att db", "Obj Info + Ext db", "|", "Edit Shp",
                                 "Edit Pt", "Move", "Delete", "New and Move", "Undo Edit"}));

    // The first bitmap: 640 x 480 in the background colour.
    const QImage& img = w.form->ViewImage();
    EXPECT_EQ(img.size(), QSize(640, 480));
    EXPECT_EQ(img.pixelColor(320, 240), QColor(255, 255, 255));
}

TEST(MainWindow, OpeningALayerRaisesTheLevelAndDrawsIt) {
    Window w;
    w.form->OpenStartFiles({w.Sample("nc")});
    EXPECT_EQ(w.store.LayerCount, 1);
    EXPECT_EQ(w.form->windowTitle(), "ZEMBA Editor: nc.shp");
    for (const char* n : {"SaveCurrentLayerTB", "ExportTB", "FullViewTB", "ZoomInTB", "SaveMI",
                          "ExportMI", "PrintMI", "ClearAllNewTB"})
        EXPECT_TRUE(w.Enabled(n)) << n;
    // Tag 2 stays off; the windows' commands come on with a layer.
    EXPECT_FALSE(w.Enabled("EditPtTB"));
    EXPECT_TRUE(w.Enabled("MapMI"));
    EXPECT_TRUE(w.Enabled("FindMI"));
    EXPECT_TRUE(w.form->LayerCombo()->isEnabled());
    EXPECT_EQ(w.form->LayerCombo()->currentText(), "nc.shp");
    EXPECT_EQ(w.form->ShapeTypeBox()->text(), "Areas");
    EXPECT_EQ(w.form->FieldCombo()->count(), w.store.ShapeLayers[1].NumFields);
    EXPECT_EQ(w.form->FieldCombo()->currentIndex(), 0);
    EXPECT_EQ(w.options.Recent[0], w.Sample("nc"));

    // Something other than the background was drawn.
    const QImage& img = w.form->ViewImage();
    int drawn = 0;
    for (int y = 0; y < img.height(); y += 4)
        for (int x = 0; x < img.width(); x += 4)
            if (img.pixelColor(x, y) != QColor(255, 255, 255)) ++drawn;
    EXPECT_GT(drawn, 500);

    // A second layer; picking the first in the box names it in the caption.
    w.form->OpenStartFiles({w.Sample("types/point")});
    EXPECT_EQ(w.form->windowTitle(), "ZEMBA Editor: point.shp");
    EXPECT_EQ(w.form->ShapeTypeBox()->text(), "Points");
    w.form->LayerCombo()->setCurrentIndex(0);
    emit w.form->LayerCombo()->activated(0);
    EXPECT_EQ(w.store.CurrentLayer, 1);
    EXPECT_EQ(w.form->windowTitle(), "ZEMBA Editor: nc.shp");

    // Clear All: back to level -1 and an empty view.
    w.form->Action("ClearAllNewTB")->trigger();
    EXPECT_EQ(w.store.LayerCount, 0);
    EXPECT_EQ(w.form->windowTitle(), "ZEMBA Editor: ");
    EXPECT_FALSE(w.Enabled("ExportTB"));
    EXPECT_EQ(w.form->LayerCombo()->count(), 0);
    EXPECT_EQ(w.form->FieldCombo()->count(), 0);
    EXPECT_EQ(w.form->ViewImage().pixelColor(320, 240), QColor(255, 255, 255));
}

TEST(MainWindow, ToolbarTogglesAreKeptInTheOptionsFile) {
    Window w;
    QAction* clip = w.form->Action("ToolbarClipMI");
    ASSERT_TRUE(clip->isChecked());
    clip->trigger();
    EXPECT_FALSE(clip->isChecked());
    EXPECT_TRUE(w.form->Toolbar(TbClip)->isHidden());
    EXPECT_FALSE(w.options.ToolbarVisible[TbClip]);

    QAction* menu = w.form->Action("ToolbarMenuMI");
    menu->trigger();
    EXPECT_FALSE(w.form->Action("DisplayMenuToolbarPMI")->isChecked());
    EXPECT_TRUE(w.form->Toolbar(TbMenu)->isHidden());

    w.form->show();
    w.form->close();
    const std::string bytes = zemba::test::ReadFileBytes(w.dir.file("zemba.pof"));
    ASSERT_EQ(bytes.size(), kOptionsFileSize);
    // Menu, Clip, Exit, File, Edit, Zoom, Layer, Tools.
    EXPECT_EQ(bytes.substr(4932, 8), std::string("\0\0\1\1\1\1\1\1", 8));

    // A new start restores them.
    Options again;
    ASSERT_TRUE(ReadOptionsFile(w.dir.file("zemba.pof"), again));
    EXPECT_FALSE(again.ToolbarVisible[TbClip]);
}

TEST(MainWindow, StatusPanelMovesAndSizesWithTheWindow) {
    Window w;
    w.form->show();
    w.form->resize(409, 500);
    QApplication::processEvents();
    if (w.form->width() == 409) {
        EXPECT_EQ(w.form->ProgressBar()->width(), 200);
    }
    w.form->resize(1000, 600);
    QApplication::processEvents();
    EXPECT_EQ(w.form->XYPanel()->width(), (w.form->width() - 8) / 2);
    EXPECT_TRUE(w.form->ProgressBar()->isHidden());

    const int bottomY = w.form->HintPanel()->y();
    w.form->Action("StatusTopMI")->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(w.form->Action("StatusTopMI")->isChecked());
    EXPECT_FALSE(w.form->Action("StatusBottomMI")->isChecked());
    EXPECT_LT(w.form->HintPanel()->y(), bottomY);
    w.form->close();
}

TEST(MainWindow, FirstShowWarnsOnlyForThe32BitFormat) {
    {
        Window w(32);
        w.form->show();
        QApplication::processEvents();
        w.form->hide();
        w.form->show();
        QApplication::processEvents();
        EXPECT_EQ(w.prompter.Count(MsgFamily::Warning, 40), 1);
        w.form->close();
    }
    {
        Window w(24);
        w.form->show();
        QApplication::processEvents();
        EXPECT_EQ(w.prompter.Count(MsgFamily::Warning, 40), 0);
        w.form->close();
    }
    EXPECT_FALSE(DepthSupported(16));
    EXPECT_TRUE(DepthSupported(24));
}

TEST(MainWindow, EscClosesAndAllAtCloseSavesEveryModifiedLayer) {
    Window w;
    w.form->OpenStartFiles({w.Sample("nc"), w.Sample("world")});
    ASSERT_EQ(w.store.LayerCount, 2);
    for (int i = 1; i <= 2; ++i) w.store.ShapeLayers[i].Modified = 1;
    fs::remove(w.dir.file("nc.shx"));
    fs::remove(w.dir.file("world.shx"));
    w.form->show();
    w.prompter.answers = {Answer::All};

    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w.form.get(), &esc);
    EXPECT_FALSE(w.form->isVisible());
    ASSERT_EQ(w.prompter.shown.size(), 1u);
    EXPECT_EQ(w.prompter.shown[0].value, "Shape Layer1 Modified. Save changes?");
    EXPECT_TRUE(fs::exists(w.dir.file("nc.shx")));
    EXPECT_TRUE(fs::exists(w.dir.file("world.shx")));
    EXPECT_EQ(w.store.LayerCount, 0);  // released
}

TEST(MainWindow, ACloseDuringALongLoopWaitsForItsEnd) {
    Window w;
    w.form->OpenStartFiles({w.Sample("nc")});
    w.form->show();
    {
        QtProgress::BusyGuard busy(w.progress, false);
        w.form->close();
        EXPECT_TRUE(w.form->isVisible());
        // Store-changing commands are refused meanwhile.
        w.form->Action("ClearAllNewTB")->trigger();
        EXPECT_EQ(w.store.LayerCount, 1);
    }
    w.form->close();
    EXPECT_FALSE(w.form->isVisible());
}

TEST(MainWindow, AClosePutOffByALoopHappensWhenTheLoopEnds) {
    Window w;
    w.form->OpenStartFiles({w.Sample("nc")});
    w.form->show();
    FileHooks& hooks = w.form->Commands().hooks();
    hooks.LongWork(true);  // as a read or redraw does
    w.form->close();
    QApplication::processEvents();
    EXPECT_TRUE(w.form->isVisible());
    EXPECT_EQ(w.store.LayerCount, 1);
    hooks.LongWork(false);
    QApplication::processEvents();
    EXPECT_FALSE(w.form->isVisible());
    EXPECT_EQ(w.store.LayerCount, 0);
}

TEST(MainWindow, PrintsTheViewToAPdfFile) {
    Window w;
    w.form->OpenStartFiles({w.Sample("world"), w.Sample("nc")});
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(w.dir.file("view.pdf")));
    ASSERT_TRUE(w.form->PrintTo(printer));
    const std::string pdf = zemba::test::ReadFileBytes(w.dir.file("view.pdf"));
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_GT(pdf.size(), 10000u);  // the picture is in it
}

TEST(MainWindow, ViewToolsAndBitmapSizes) {
    Window w;
    w.form->OpenStartFiles({w.Sample("nc")});
    const double width = w.store.MapXMax - w.store.MapXMin;

    w.form->Action("ZoomInTB")->trigger();
    EXPECT_NEAR(w.store.MapXMax - w.store.MapXMin, width / 2, 1e-9);
    EXPECT_FALSE(w.form->Action("FitToWindowMI")->isChecked());
    w.form->Action("FullViewTB")->trigger();
    // The whole layer with a margin of a few pixels on each side, as the
    // open showed it.
    EXPECT_NEAR(w.store.MapXMax - w.store.MapXMin, width, 1e-9);
    EXPECT_TRUE(w.form->Action("FitToWindowMI")->isChecked());
    EXPECT_TRUE(w.form->Action("FullViewTB")->isChecked());

    // Zoom Win and Pan exclude each other; a second click turns a tool off.
    w.form->Action("PanTB")->trigger();
    EXPECT_TRUE(w.form->Action("PanMI")->isChecked());
    w.form->Action("ZoomWinTB")->trigger();
    EXPECT_TRUE(w.form->Action("ZoomAreaMI")->isChecked());
    EXPECT_FALSE(w.form->Action("PanMI")->isChecked());
    EXPECT_FALSE(w.form->Action("PanTB")->isChecked());
    w.form->Action("ZoomAreaMI")->trigger();
    EXPECT_FALSE(w.form->Action("ZoomAreaMI")->isChecked());
    EXPECT_FALSE(w.form->Action("ZoomWinTB")->isChecked());

    w.form->Action("Resize1024wMI")->trigger();
    EXPECT_EQ(w.form->ViewImage().size(), QSize(1024, 768));
    EXPECT_TRUE(w.form->Action("Resize1024wMI")->isChecked());
    EXPECT_FALSE(w.form->Action("Resize640wMI")->isChecked());
}

namespace {
void Mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button,
           Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, mods);
    QApplication::sendEvent(w, &e);
}
}  // namespace

TEST(MainWindow, DragsWithThePanAndZoomWinTools) {
    Window w;
    w.form->OpenStartFiles({w.Sample("nc")});
    w.form->show();
    QApplication::processEvents();
    QWidget* image = w.form->MapViewWidget()->ImageWidget();

    w.form->Action("PanTB")->trigger();
    const double xo = w.store.MapXOffset, yo = w.store.MapYOffset;
    const double scale = w.form->View().ViewScale;
    Mouse(image, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton);
    Mouse(image, QEvent::MouseMove, {130, 90}, Qt::NoButton);
    Mouse(image, QEvent::MouseButtonRelease, {140, 80}, Qt::LeftButton);
    EXPECT_NEAR(w.store.MapXOffset, xo + 40 * scale, 1e-9);
    EXPECT_NEAR(w.store.MapYOffset, yo + 20 * scale, 1e-9);
    EXPECT_TRUE(w.form->Action("PanMI")->isChecked());  // Pan stays on
    EXPECT_FALSE(w.form->View().RubberBandActive);

    w.form->Action("ZoomWinTB")->trigger();
    const double span = w.store.MapXMax - w.store.MapXMin;
    Mouse(image, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton);
    Mouse(image, QEvent::MouseButtonRelease, {101, 100}, Qt::LeftButton);  // a click
    EXPECT_DOUBLE_EQ(w.store.MapXMax - w.store.MapXMin, span);
    EXPECT_TRUE(w.form->Action("ZoomAreaMI")->isChecked());
    Mouse(image, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton);
    Mouse(image, QEvent::MouseButtonRelease, {260, 220}, Qt::LeftButton);
    EXPECT_NEAR(std::abs(w.store.MapXMax - w.store.MapXMin), 160 * scale, 1e-6);
    EXPECT_FALSE(w.form->Action("ZoomAreaMI")->isChecked());  // one-shot
    w.form->close();
}

namespace {
// Share of sampled pixels that are not the white background.
int DrawnPixels(const QImage& img) {
    int drawn = 0;
    for (int y = 0; y < img.height(); y += 4)
        for (int x = 0; x < img.width(); x += 4)
            if (img.pixelColor(x, y) != QColor(255, 255, 255)) ++drawn;
    return drawn;
}
}  // namespace

TEST(MainWindow, AFileOpenedAfterZoomsAndClearAllIsDrawn) {
    Window w;
    const std::string nc = w.Sample("nc");
    w.form->OpenStartFiles({nc});
    for (int k = 0; k < 3; ++k) w.form->Action("ZoomOutTB")->trigger();
    w.form->Action("ClearAllNewTB")->trigger();
    w.form->OpenStartFiles({nc});
    EXPECT_GT(DrawnPixels(w.form->ViewImage()), 500);

    // A file far from the first (metres after degrees) leaves the first in
    // view, and Full View on it shows it.
    w.form->OpenStartFiles({w.Sample("world")});
    EXPECT_GT(DrawnPixels(w.form->ViewImage()), 500);
    w.form->Action("FullViewTB")->trigger();
    EXPECT_GT(DrawnPixels(w.form->ViewImage()), 500);
}

TEST(MainWindow, CommandsShowDisabledWhileALoopRunsAndComeBack) {
    Window w;
    w.form->OpenStartFiles({w.Sample("nc")});
    FileHooks& hooks = w.form->Commands().hooks();
    hooks.LongWork(true);
    for (const char* n : {"ClearAllMI", "OpenMI", "SaveMI", "ExportTB", "ZoomInTB", "Reopen0MI"})
        EXPECT_FALSE(w.Enabled(n)) << n;
    hooks.LongWork(false);
    for (const char* n : {"ClearAllMI", "OpenMI", "SaveMI", "ExportTB", "ZoomInTB"})
        EXPECT_TRUE(w.Enabled(n)) << n;
}

TEST(MainWindow, MenusFromTheKeyboardAndThePopUpMenuOverTheWholeView) {
    Window w;
    w.form->show();
    QApplication::processEvents();
    // With the Menu toolbar hidden the menus still open from the keyboard.
    w.form->Action("ToolbarMenuMI")->trigger();
    QAction* altV = nullptr;
    for (QAction* a : w.form->actions())
        if (a->shortcut() == QKeySequence("Alt+V")) altV = a;
    ASSERT_NE(altV, nullptr);
    EXPECT_TRUE(altV->isEnabled());
    altV->trigger();
    QMenu* vector = w.form->MenuButton(0)->menu();
    EXPECT_TRUE(vector->isVisible());
    vector->hide();
    w.form->Action("ToolbarMenuMI")->trigger();
    EXPECT_FALSE(altV->isEnabled());  // the button's own mnemonic serves
    QAction* f10 = w.form->findChild<QAction*>("MenuKeyF10");
    ASSERT_NE(f10, nullptr);
    EXPECT_EQ(f10->shortcut(), QKeySequence(Qt::Key_F10));

    // The pop-up menu opens over the bitmap and the rest of the view alike.
    MapView* view = w.form->MapViewWidget();
    EXPECT_EQ(view->contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_EQ(view->ImageWidget()->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST(MainWindow, TheWheelZoomsAroundThePointer) {
    Window w;
    w.form->OpenStartFiles({w.Sample("nc")});
    const double scale = w.form->View().ViewScale;
    emit w.form->MapViewWidget()->wheelTurned(QPoint(100, 100), 1);
    EXPECT_NEAR(w.form->View().ViewScale, scale / 2, scale * 1e-12);
    emit w.form->MapViewWidget()->wheelTurned(QPoint(100, 100), -1);
    EXPECT_NEAR(w.form->View().ViewScale, scale * 3 / 4, scale * 1e-12);
}

TEST(MainWindow, TheBitmapCanFollowTheWindowSize) {
    Window w;
    w.form->OpenStartFiles({w.Sample("nc")});
    w.form->show();
    w.form->resize(900, 700);
    QApplication::processEvents();
    // On at a first start; turned off and on again from the menu.
    EXPECT_TRUE(BitmapFollowsWindow(w.options));
    w.form->Action("ResizeWindowMI")->trigger();
    EXPECT_FALSE(BitmapFollowsWindow(w.options));
    w.form->Action("ResizeWindowMI")->trigger();
    EXPECT_TRUE(BitmapFollowsWindow(w.options));
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 400) QApplication::processEvents(QEventLoop::AllEvents, 50);
    const QSize client = w.form->MapViewWidget()->ClientSize();
    EXPECT_EQ(w.form->ViewImage().size(), client);
    // A fixed size turns it off again.
    w.form->Action("Resize640wMI")->trigger();
    EXPECT_FALSE(BitmapFollowsWindow(w.options));
    EXPECT_EQ(w.form->ViewImage().size(), QSize(640, 480));
}

TEST(MainWindow, FileNamesThatAreNotAsciiShowAsTheyAre) {
    Window w;
    const std::string name = "w\xC3\xB6rld \xC3\xB1";  // "wörld ñ" in UTF-8
    for (const char* ext : {".shp", ".shx", ".dbf"})
        fs::copy_file(zemba::test::DataPath(std::string("world") + ext), w.dir.file(name + ext));
    w.form->OpenStartFiles({w.dir.file(name + ".shp")});
    ASSERT_EQ(w.store.LayerCount, 1);
    const QString shown = QString::fromUtf8("w\u00f6rld \u00f1.shp");
    EXPECT_EQ(w.form->windowTitle(), "ZEMBA Editor: " + shown);
    EXPECT_EQ(w.form->LayerCombo()->currentText(), shown);
    EXPECT_TRUE(w.form->Action("Reopen0MI")->text().endsWith(shown));
}

TEST(Program, HelpAndVersionNeedNoDisplay) {
    for (const char* arg : {"--help", "--version"}) {
        const std::string cmd = std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ") +
                                ZEMBA_BIN_DIR + "/zemba " + arg + " 2>&1";
        FILE* p = popen(cmd.c_str(), "r");
        ASSERT_NE(p, nullptr);
        std::string out;
        char buf[512];
        for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        const int st = pclose(p);
        EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0) << arg << ": " << out;
        EXPECT_NE(out.find("zemba"), std::string::npos) << out;
    }
}

TEST(MainWindow, LayerPropertiesOkKeepsTheStyleAndOpensOnTheCurrentLayer) {
    Window w;
    w.form->OpenStartFiles({w.Sample("nc"), w.Sample("world")});
    ASSERT_EQ(w.store.LayerCount, 2);
    auto* props = w.form->findChild<TPropForm*>("TPropForm");
    ASSERT_NE(props, nullptr);
    w.store.CurrentLayer = 2;
    props->Init();
    EXPECT_EQ(props->SelectedLayer(), 2);

    // A colour set here survives OK, which makes the layer current.
    props->LayerList()->setCurrentRow(0);
    w.store.SymLayers[1].FillColor = 0x123456;
    props->findChild<QPushButton*>("OKBtn")->click();
    EXPECT_EQ(w.store.CurrentLayer, 1);
    EXPECT_EQ(w.store.SymLayers[1].FillColor, 0x123456u);
    EXPECT_EQ(w.form->LayerCombo()->currentText(), "nc.shp");

    // The layer box keeps it too.
    w.form->Commands().LayerComboBoxChange(0);
    EXPECT_EQ(w.store.SymLayers[1].FillColor, 0x123456u);
}

TEST(MainWindow, ClassifyWindowClassesAndCloseKeepsTheClasses) {
    Window w;
    w.form->OpenStartFiles({w.Sample("nc")});
    auto* classify = w.form->findChild<TRenderFrm*>("TRenderFrm");
    ASSERT_NE(classify, nullptr);
    classify->Init(0x00FF00);
    const int bir = 8;  // BIR74
    ASSERT_EQ(w.store.ShapeLayers[1].Fields[bir].Name, "BIR74");
    classify->Session().SetField(bir);
    classify->SetClassesClick();
    EXPECT_EQ(classify->ClassList()->count(), 5);
    classify->ApplyClick();
    EXPECT_EQ(w.store.SymLayers[1].Visible, 3);
    classify->accept();  // Close: the class layer becomes current, styles kept
    EXPECT_EQ(w.store.SymLayers[1].Visible, 3);
    EXPECT_EQ(w.store.SymLayers[1].SymObjs[1].BrushColor, ColorRamp(0x00FF00, 5)[1]);
}

TEST(MainWindow, AnArmedToolOwnsTheCtrlClick) {
    Window w;
    w.form->OpenStartFiles({w.Sample("nc")});
    w.form->show();
    QApplication::processEvents();
    QWidget* image = w.form->MapViewWidget()->ImageWidget();
    const double scale = w.form->View().ViewScale;
    // With no tool armed, a Ctrl click zooms in.
    Mouse(image, QEvent::MouseButtonPress, {200, 200}, Qt::LeftButton, Qt::ControlModifier);
    Mouse(image, QEvent::MouseButtonRelease, {200, 200}, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_NEAR(w.form->View().ViewScale, scale / 2, scale * 1e-12);
    // Object Info armed takes the click for itself.
    w.form->Action("ObjInfoTB")->trigger();
    Mouse(image, QEvent::MouseButtonPress, {200, 200}, Qt::LeftButton, Qt::ControlModifier);
    Mouse(image, QEvent::MouseButtonRelease, {200, 200}, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_NEAR(w.form->View().ViewScale, scale / 2, scale * 1e-12);
}

TEST(MainWindow, TheToolWindowsKeepTheirPlaceInTheOptions) {
    Window w;
    for (QWidget* tool : {w.form->findChild<QWidget*>("TSearchForm"),
                          static_cast<QWidget*>(&w.form->Attributes().Identify())}) {
        ASSERT_NE(tool, nullptr);
        tool->move(210, 220);
        tool->show();
        tool->close();
    }
    EXPECT_EQ(w.options.WindowLeft[WinFind], 210);
    EXPECT_EQ(w.options.WindowTop[WinFind], 220);
    EXPECT_EQ(w.options.WindowLeft[WinIdentify], 210);
    EXPECT_EQ(w.options.WindowTop[WinIdentify], 220);
}
