// The main window's actions, its five menus, the toolbars and their
// visibility.
#include "app/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QSplashScreen>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

#include "app/edit_actions.h"
#include "app/help.h"
#include "app/mapping_actions.h"
#include "app/messages.h"
#include "app/options_window.h"
#include "app/output_actions.h"
#include "app/program_info.h"
#include "app/qt_prompter.h"
#include "app/style_actions.h"
#include "app/window_place.h"
#include "attributes/attribute_windows.h"
#include "convert/transformer_window.h"
#include "mapping/mapping_windows.h"
#include "soils/soil_window.h"
#include "view/cbit_form.h"
#include "view/editing.h"
#include "view/map_view.h"
#include "view/print_view.h"
#include "view/renderer.h"

namespace zemba {

namespace {

// Small drawn icons for the buttons that have no standard one.
QIcon Glyph(const QString& kind) {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(30, 30, 30), 1.6);
    p.setPen(pen);
    auto lens = [&](const QString& sign) {
        p.setBrush(QColor(220, 235, 255));
        p.drawEllipse(QRectF(3, 3, 13, 13));
        p.setPen(QPen(QColor(30, 30, 30), 3));
        p.drawLine(QPointF(14, 14), QPointF(21, 21));
        p.setPen(QPen(QColor(30, 30, 30), 1.6));
        p.drawLine(QPointF(6, 9.5), QPointF(13, 9.5));
        if (sign == "+") p.drawLine(QPointF(9.5, 6), QPointF(9.5, 13));
    };
    if (kind == "zoomin") {
        lens("+");
    } else if (kind == "zoomout") {
        lens("-");
    } else if (kind == "fullview") {
        p.setBrush(QColor(180, 220, 180));
        p.drawRect(QRectF(3, 3, 18, 18));
        p.drawLine(QPointF(3, 3), QPointF(8, 8));
        p.drawLine(QPointF(21, 3), QPointF(16, 8));
        p.drawLine(QPointF(3, 21), QPointF(8, 16));
        p.drawLine(QPointF(21, 21), QPointF(16, 16));
    } else if (kind == "zoomwin") {
        p.setPen(QPen(QColor(30, 30, 30), 1.4, Qt::DashLine));
        p.drawRect(QRectF(3, 5, 18, 14));
        p.setPen(pen);
        p.drawLine(QPointF(12, 9), QPointF(12, 15));
        p.drawLine(QPointF(9, 12), QPointF(15, 12));
    } else if (kind == "pan") {
        p.setBrush(QColor(30, 30, 30));
        p.drawLine(QPointF(12, 3), QPointF(12, 21));
        p.drawLine(QPointF(3, 12), QPointF(21, 12));
        for (QPointF tip : {QPointF(12, 2), QPointF(12, 22), QPointF(2, 12), QPointF(22, 12)}) {
            p.drawEllipse(tip, 1.8, 1.8);
        }
    } else if (kind == "info" || kind == "infoatt" || kind == "infoext") {
        p.setBrush(QColor(255, 255, 200));
        p.drawEllipse(QRectF(3, 3, 18, 18));
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(13);
        p.setFont(f);
        p.drawText(QRectF(3, 3, 18, 18), Qt::AlignCenter, "i");
        if (kind != "info") {
            p.setBrush(kind == "infoatt" ? QColor(120, 160, 255) : QColor(255, 140, 80));
            p.drawRect(QRectF(14, 14, 8, 8));
        }
    } else if (kind == "editshp" || kind == "editpt") {
        p.setBrush(QColor(200, 230, 255));
        QPolygonF poly({QPointF(3, 18), QPointF(8, 4), QPointF(20, 7), QPointF(17, 20)});
        p.drawPolygon(poly);
        p.setBrush(QColor(255, 0, 255));
        if (kind == "editpt")
            p.drawRect(QRectF(5.5, 1.5, 5, 5));
        else
            for (QPointF v : poly) p.drawRect(QRectF(v.x() - 2, v.y() - 2, 4, 4));
    } else if (kind == "move" || kind == "newmove") {
        p.setBrush(QColor(200, 230, 255));
        p.drawRect(QRectF(3, 3, 10, 10));
        if (kind == "newmove") p.drawRect(QRectF(11, 11, 10, 10));
        p.drawLine(QPointF(13, 13), QPointF(21, 21));
        p.drawLine(QPointF(21, 21), QPointF(16, 21));
        p.drawLine(QPointF(21, 21), QPointF(21, 16));
    } else if (kind == "delete") {
        p.setPen(QPen(QColor(200, 0, 0), 3));
        p.drawLine(QPointF(5, 5), QPointF(19, 19));
        p.drawLine(QPointF(19, 5), QPointF(5, 19));
    } else if (kind == "undo") {
        QPainterPath path;
        path.moveTo(19, 18);
        path.cubicTo(19, 6, 8, 6, 6, 12);
        p.setPen(QPen(QColor(30, 30, 30), 2));
        p.drawPath(path);
        p.drawLine(QPointF(6, 12), QPointF(4, 7));
        p.drawLine(QPointF(6, 12), QPointF(11, 11));
    } else if (kind == "find") {
        lens("");
    } else if (kind == "props") {
        for (int k = 0; k < 3; ++k) {
            p.setBrush(k == 0 ? QColor(255, 0, 0) : k == 1 ? QColor(0, 160, 0) : QColor(0, 0, 255));
            p.drawRect(QRectF(3, 3 + 6.5 * k, 6, 5));
            p.drawLine(QPointF(11, 5.5 + 6.5 * k), QPointF(21, 5.5 + 6.5 * k));
        }
    } else if (kind == "classify") {
        const QColor c[4] = {QColor(255, 240, 160), QColor(255, 190, 90), QColor(240, 120, 40),
                             QColor(180, 40, 20)};
        for (int k = 0; k < 4; ++k) {
            p.setBrush(c[k]);
            p.drawRect(QRectF(3 + 4.5 * k, 21 - 4 * (k + 1), 4.5, 4 * (k + 1)));
        }
    } else if (kind == "map") {
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QRectF(3, 3, 18, 18));
        p.drawLine(QPointF(3, 12), QPointF(21, 12));
        p.drawEllipse(QRectF(8, 3, 8, 18));
    } else if (kind == "legend") {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 3, 18, 18));
        p.setBrush(QColor(0, 160, 0));
        p.drawRect(QRectF(6, 7, 4, 3));
        p.setBrush(QColor(0, 0, 255));
        p.drawRect(QRectF(6, 14, 4, 3));
        p.drawLine(QPointF(12, 8.5), QPointF(18, 8.5));
        p.drawLine(QPointF(12, 15.5), QPointF(18, 15.5));
    } else if (kind == "layout") {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 2, 14, 20));
        p.setBrush(QColor(180, 220, 180));
        p.drawRect(QRectF(7, 4, 10, 8));
        p.drawLine(QPointF(7, 15), QPointF(17, 15));
        p.drawLine(QPointF(7, 18), QPointF(14, 18));
    } else if (kind == "cut" || kind == "copy" || kind == "paste") {
        p.setBrush(Qt::white);
        if (kind == "copy") p.drawRect(QRectF(3, 3, 12, 14));
        if (kind == "paste") {
            p.setBrush(QColor(220, 190, 140));
            p.drawRect(QRectF(3, 4, 14, 17));
            p.setBrush(Qt::white);
        }
        p.drawRect(QRectF(8, 7, 13, 15));
        if (kind == "cut") {
            p.setPen(QPen(QColor(30, 30, 30), 1.2, Qt::DashLine));
            p.drawLine(QPointF(8, 14), QPointF(21, 14));
        }
    } else if (kind == "export") {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 3, 12, 18));
        p.setPen(QPen(QColor(0, 120, 0), 2.2));
        p.drawLine(QPointF(9, 12), QPointF(21, 12));
        p.drawLine(QPointF(21, 12), QPointF(17, 8));
        p.drawLine(QPointF(21, 12), QPointF(17, 16));
    }
    p.end();
    return QIcon(pm);
}


}  // namespace

void TZeEditForm::BuildActions() {
    // Vector menu.
    auto* clearAll = MakeAction("ClearAllMI", "Clear All", "Clear All");
    connect(clearAll, &QAction::triggered, this, [this] { commands_->ClearAll(); });
    auto* open = MakeAction("OpenMI", "Open...", "Open");
    connect(open, &QAction::triggered, this, [this] { commands_->Open(); });
    for (int k = 0; k < 5; ++k) {
        reopenItems_[k] = MakeAction(QString("Reopen%1MI").arg(k), QString::number(k),
                                     "Reopen a recent file");
        connect(reopenItems_[k], &QAction::triggered, this, [this, k] { commands_->Reopen(k); });
    }
    auto* save = MakeAction("SaveMI", "Save", "Save Current Layer");
    save->setShortcut(QKeySequence("Ctrl+S"));
    connect(save, &QAction::triggered, this, [this] { commands_->Save(); });
    auto* saveAs = MakeAction("SaveAsMI", "Save As...", "Save As");
    connect(saveAs, &QAction::triggered, this, [this] { commands_->SaveAs(); });
    auto* importMI = MakeAction("ImportMI", "Import...", "Import");
    connect(importMI, &QAction::triggered, this, [this] {
        ShowConversionWindow(*this, options_, prompter_);
    });
    auto* exportMI = MakeAction("ExportMI", "Export...", "Export");
    connect(exportMI, &QAction::triggered, this, [this] { commands_->Export(); });
    auto* optionsMI = MakeAction("OptionsMI", "Options...", "Options");
    connect(optionsMI, &QAction::triggered, this, [this] { ShowOptionsWindow(this); });
    auto* setupPrinter = MakeAction("SetupPrinterMI", "Setup Printer...", "Setup Printer");
    connect(setupPrinter, &QAction::triggered, this, [this] { SetupPrinterClick(); });
    auto* print = MakeAction("PrintMI", "Print...", "Print");
    connect(print, &QAction::triggered, this, [this] { PrintClick(); });
    auto* exitMI = MakeAction("ExitMI", "Exit", "Exit");
    exitMI->setShortcut(QKeySequence("Alt+X"));
    connect(exitMI, &QAction::triggered, this, &QWidget::close);
    levelMenuItems_.insert(levelMenuItems_.end(), {save, saveAs, exportMI, print});

    // Overlay menu.
    auto* viewModes = new QActionGroup(this);
    auto* fit = MakeAction("FitToWindowMI", "Fit To Window", "Full View");
    auto* zoomArea = MakeAction("ZoomAreaMI", "Zoom Area", "Zoom Win");
    auto* pan = MakeAction("PanMI", "Pan", "Pan");
    for (QAction* a : {fit, zoomArea, pan}) {
        a->setCheckable(true);
        viewModes->addAction(a);
    }
    viewModes->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    fit->setChecked(true);
    // The view tools act on a loaded layer: off, like their buttons, until then.
    for (QAction* a : {fit, zoomArea, pan}) levelMenuItems_.push_back(a);
    connect(fit, &QAction::triggered, this, [this] { FitToWindowFresh(); });
    connect(zoomArea, &QAction::triggered, this, [this](bool on) { ZoomAreaClick(on); });
    connect(pan, &QAction::triggered, this, [this](bool on) { PanClick(on); });
    auto* refresh = MakeAction("RefreshMI", "Refresh", "Refresh");
    connect(refresh, &QAction::triggered, this, [this] { RefreshClick(); });
    auto* resetFresh = MakeAction("ResetFreshMI", "Reset Fresh", "Reset Fresh");
    connect(resetFresh, &QAction::triggered, this, [this] { ResetFresh(); });
    auto* reExtent = MakeAction("ReExtentFreshMI", "ReExtent Fresh", "ReExtent Fresh");
    connect(reExtent, &QAction::triggered, this, [this] { ReExtentFresh(); });
    auto* sizes = new QActionGroup(this);
    for (int k = 0; k < kBitmapSizeCount; ++k) {
        const BitmapSizeEntry& e = kBitmapSizes[k];
        auto* a = MakeAction(QString("Resize%1wMI").arg(e.width), e.caption, e.caption);
        a->setCheckable(true);
        a->setChecked(e.width == 640);
        sizes->addAction(a);
        connect(a, &QAction::triggered, this, [this, e] { ResizeBitmap(e.width, e.height); });
    }
    auto* windowSize = MakeAction("ResizeWindowMI", "Resize Window",
                                  "Resize Window|The bitmap follows the size of the window");
    windowSize->setCheckable(true);
    sizes->addAction(windowSize);
    connect(windowSize, &QAction::triggered, this, [this](bool on) { FollowWindowSize(on); });
    sizes->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    auto* createSize = MakeAction("CreateSizeMI", "Create Size...", "Create Size");
    connect(createSize, &QAction::triggered, this, [this] { CreateSizeClick(); });
    auto* statusTop = MakeAction("StatusTopMI", "Status at Top", "Status at Top");
    auto* statusBottom = MakeAction("StatusBottomMI", "Status at Bottom", "Status at Bottom");
    statusTop->setCheckable(true);
    statusBottom->setCheckable(true);
    statusBottom->setChecked(true);
    connect(statusTop, &QAction::triggered, this, [this] { SetStatusAtTop(true); });
    connect(statusBottom, &QAction::triggered, this, [this] { SetStatusAtTop(false); });
    auto* showXY = MakeAction("ShowXYMI", "Show X,Y values", "Show X,Y values");
    showXY->setCheckable(true);

    // Information menu: the info and editing tools come with their windows.
    for (const char* n : {"Object Info", "Db Info", "Soils Info", "Edit Shape", "Edit Point", "Move",
                          "Delete", "Copy+Move", "Undo"}) {
        QString name = QString(n).remove(' ').remove('+') + "MI";
        MakeAction(name, n, n, kNoTag, false);
    }
    auto* snapGroup = new QActionGroup(this);
    for (const char* n : {"Off", "Near Point", "End of Near", "Grid"}) {
        auto* a = MakeAction("Snap" + QString(n).remove(' ') + "MI", n, QString("Snap ") + n,
                             kNoTag, false);
        a->setCheckable(true);
        a->setChecked(QString(n) == "Off");
        snapGroup->addAction(a);
    }
    static const char* const kToolbarNames[TbCount] = {"Menu", "Clip",  "Exit",  "File",
                                                       "Edit", "Zoom", "Layer", "Tools"};
    for (int t = 0; t < TbCount; ++t) {
        auto* a = MakeAction(QString("Toolbar%1MI").arg(kToolbarNames[t]), kToolbarNames[t],
                             QString("Show or hide the %1 toolbar").arg(kToolbarNames[t]));
        a->setCheckable(true);
        a->setChecked(true);
        toolbarToggles_[t] = a;
        connect(a, &QAction::triggered, this, [this, t](bool on) { ToggleToolbar(t, on); });
    }
    auto* help = MakeAction("HelpMI", "Help", "Help");
    help->setShortcut(QKeySequence::HelpContents);
    connect(help, &QAction::triggered, this, [this] { HelpClick(); });
    auto* about = MakeAction("AboutMI", "About", "About");
    connect(about, &QAction::triggered, this, [this] { AboutClick(); });

    // Classification and Extraction: their windows come later.
    auto level = [this](QAction* a) { levelMenuItems_.push_back(a); };
    level(MakeAction("PropertiesMI", "Properties", "Properties", kNoTag, false));
    level(MakeAction("ClassifyMI", "Classify", "Classify", kNoTag, false));
    const QString dbHint = "Activate Db|Activate the Db before selecting an object";
    level(MakeAction("SsurgoSoilsDbMI", "Ssurgo Soils Db", dbHint, kNoTag, false));
    level(MakeAction("StatsgoSoilsDbMI", "Statsgo Soils Db", dbHint, kNoTag, false));
    level(MakeAction("ExternalDbLinkerMI", "External Db linker", dbHint, kNoTag, false));
    level(MakeAction("FindMI", "Find", "Find", kNoTag, false));
    level(MakeAction("MapMI", "Map", "Map"));
    connect(Action("MapMI"), &QAction::triggered, this, [this] { mapping_->ShowMap(); });
    level(MakeAction("LegendMI", "Legend", "Legend", kNoTag, false));
    level(MakeAction("PrintLayoutMI", "Print Layout", "Print Layout", kNoTag, false));
    auto* cutBmp = MakeAction("CutbmpMI", "Cut bmp", "Cut bmp", kNoTag, false);
    cutBmp->setShortcut(QKeySequence("Ctrl+X"));
    auto* copyBmp = MakeAction("CopybmpMI", "Copy bmp", "Copy bmp", kNoTag, false);
    copyBmp->setShortcut(QKeySequence("Ctrl+C"));
    level(cutBmp);
    level(copyBmp);
    auto* pasteBmp = MakeAction("PastebmpMI", "Paste bmp", "Paste bmp", kNoTag, false);
    pasteBmp->setShortcut(QKeySequence("Ctrl+V"));

    // Toolbar buttons: their own actions (they follow the tags, the menu
    // items follow their own rule) running the same commands.
    QStyle* st = style();
    auto* clearTB = MakeAction("ClearAllNewTB", "Clear All New", "Clear All New", -1);
    clearTB->setIcon(st->standardIcon(QStyle::SP_FileIcon));
    connect(clearTB, &QAction::triggered, clearAll, &QAction::trigger);
    auto* openTB = MakeAction("OpenTB", "Open", "Open", -1);
    openTB->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
    connect(openTB, &QAction::triggered, open, &QAction::trigger);
    auto* exportTB = MakeAction("ExportTB", "Export", "Export", 1);
    exportTB->setIcon(Glyph("export"));
    connect(exportTB, &QAction::triggered, this, [this] { commands_->Export(); });
    auto* saveTB = MakeAction("SaveCurrentLayerTB", "Save Current Layer", "Save Current Layer", 0);
    saveTB->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    connect(saveTB, &QAction::triggered, this, [this] { commands_->Save(); });

    auto* fullTB = MakeAction("FullViewTB", "Full View", "Full View", 1);
    fullTB->setIcon(Glyph("fullview"));
    connect(fullTB, &QAction::triggered, this, [this] { FitToWindowFresh(); });
    auto* zoomWinTB = MakeAction("ZoomWinTB", "Zoom Win", "Zoom Win", 1);
    zoomWinTB->setIcon(Glyph("zoomwin"));
    connect(zoomWinTB, &QAction::triggered, this, [this](bool on) { ZoomAreaClick(on); });
    auto* zoomInTB = MakeAction("ZoomInTB", "Zoom In", "Zoom In", 1);
    zoomInTB->setIcon(Glyph("zoomin"));
    connect(zoomInTB, &QAction::triggered, this, [this] { ZoomInClick(); });
    auto* zoomOutTB = MakeAction("ZoomOutTB", "Zoom Out", "Zoom Out", 1);
    zoomOutTB->setIcon(Glyph("zoomout"));
    connect(zoomOutTB, &QAction::triggered, this, [this] { ZoomOutClick(); });
    auto* panTB = MakeAction("PanTB", "Pan", "Pan", 1);
    panTB->setIcon(Glyph("pan"));
    connect(panTB, &QAction::triggered, this, [this](bool on) { PanClick(on); });
    for (QAction* a : {fullTB, zoomWinTB, panTB}) a->setCheckable(true);
    fullTB->setChecked(true);

    struct Later {
        const char* name;
        const char* hint;
        const char* glyph;
        int tag;
    };
    const Later edit[] = {{"ObjInfoTB", "Obj Info", "info", 1},
                          {"ObjInfoAttDbTB", "Obj Info + Att db", "infoatt", 1},
                          {"ObjInfoExtDbTB", "Obj Info + Ext db", "infoext", 1},
                          {"EditShpTB", "Edit Shp", "editshp", 1},
                          {"EditPtTB", "Edit Pt", "editpt", 2},
                          {"MoveTB", "Move", "move", 1},
                          {"DeleteTB", "Delete", "delete", 1},
                          {"NewAndMoveTB", "New and Move", "newmove", 1},
                          {"UndoEditTB", "Undo Edit", "undo", 2},
                          {"FindTB", "Find", "find", 0},
                          {"PropertiesTB", "Properties", "props", 0},
                          {"ClassifyTB", "Classify", "classify", 0},
                          {"MapTB", "Map", "map", 0},
                          {"LegendTB", "Legend", "legend", 0},
                          {"PrintLayoutTB", "Print Layout", "layout", 0},
                          {"CutTB", "Cut", "cut", kNoTag},
                          {"CopyTB", "Copy", "copy", kNoTag},
                          {"PasteTB", "Paste", "paste", kNoTag}};
    for (const Later& l : edit) MakeAction(l.name, l.hint, l.hint, l.tag, false)->setIcon(Glyph(l.glyph));
    Action("MapTB")->setProperty("available", true);
    connect(Action("MapTB"), &QAction::triggered, Action("MapMI"), &QAction::trigger);

    auto* helpTB = MakeAction("HelpTB", "Help", "Help");
    helpTB->setIcon(st->standardIcon(QStyle::SP_DialogHelpButton));
    connect(helpTB, &QAction::triggered, this, [this] { HelpClick(); });
    auto* aboutTB = MakeAction("AboutTB", "About", "About");
    aboutTB->setIcon(st->standardIcon(QStyle::SP_MessageBoxInformation));
    connect(aboutTB, &QAction::triggered, this, [this] { AboutClick(); });
    auto* exitTB = MakeAction("ExitTB", "Exit", "Exit");
    exitTB->setIcon(st->standardIcon(QStyle::SP_DialogCloseButton));
    connect(exitTB, &QAction::triggered, this, &QWidget::close);

    // Shortcuts of the menu items work without a menu bar once the window
    // holds the actions.
    for (auto& [name, a] : actions_)
        if (!a->shortcut().isEmpty()) addAction(a);
}

void TZeEditForm::BuildMenus() {
    auto* vector = new QMenu("Vector", this);
    vector->addAction(Action("ClearAllMI"));
    vector->addAction(Action("OpenMI"));
    reopenMenu_ = vector->addMenu("Reopen");
    reopenMenu_->setObjectName("ReopenMI");
    for (QAction* a : reopenItems_) reopenMenu_->addAction(a);
    vector->addAction(Action("SaveMI"));
    vector->addAction(Action("SaveAsMI"));
    vector->addSeparator();
    vector->addAction(Action("ImportMI"));
    vector->addAction(Action("ExportMI"));
    vector->addSeparator();
    vector->addAction(Action("OptionsMI"));
    vector->addSeparator();
    vector->addAction(Action("SetupPrinterMI"));
    vector->addAction(Action("PrintMI"));
    vector->addSeparator();
    vector->addAction(Action("ExitMI"));

    auto* overlay = new QMenu("Overlay", this);
    overlay->addAction(Action("FitToWindowMI"));
    overlay->addAction(Action("ZoomAreaMI"));
    overlay->addAction(Action("PanMI"));
    overlay->addSeparator();
    overlay->addAction(Action("RefreshMI"));
    overlay->addAction(Action("ResetFreshMI"));
    overlay->addAction(Action("ReExtentFreshMI"));
    overlay->addSeparator();
    QMenu* resize = overlay->addMenu("Bitmap Resize");
    resize->setObjectName("BitmapResizeMI");
    for (int k = 0; k < kBitmapSizeCount; ++k)
        resize->addAction(Action(QString("Resize%1wMI").arg(kBitmapSizes[k].width)));
    resize->addAction(Action("ResizeWindowMI"));
    resize->addAction(Action("CreateSizeMI"));
    overlay->addSeparator();
    overlay->addAction(Action("StatusTopMI"));
    overlay->addAction(Action("StatusBottomMI"));
    overlay->addSeparator();
    overlay->addAction(Action("ShowXYMI"));

    auto* info = new QMenu("Information", this);
    for (const char* n : {"ObjectInfoMI", "DbInfoMI", "SoilsInfoMI"}) info->addAction(Action(n));
    info->addSeparator();
    for (const char* n : {"EditShapeMI", "EditPointMI", "MoveMI", "DeleteMI", "CopyMoveMI", "UndoMI"})
        info->addAction(Action(n));
    QMenu* snap = info->addMenu("Snap");
    snap->setObjectName("SnapMI");
    for (const char* n : {"SnapOffMI", "SnapNearPointMI", "SnapEndofNearMI", "SnapGridMI"})
        snap->addAction(Action(n));
    info->addSeparator();
    QMenu* bars = info->addMenu("Toolbars");
    bars->setObjectName("ToolbarsMI");
    // Menu order: Menu, Clip, Exit, File, Edit, Zoom, Layer, Tools.
    for (QAction* a : toolbarToggles_) bars->addAction(a);
    info->addSeparator();
    info->addAction(Action("HelpMI"));
    info->addAction(Action("AboutMI"));

    auto* classification = new QMenu("Classification", this);
    classification->addAction(Action("PropertiesMI"));
    classification->addAction(Action("ClassifyMI"));
    classification->addSeparator();
    classification->addAction(Action("SsurgoSoilsDbMI"));
    classification->addAction(Action("StatsgoSoilsDbMI"));
    classification->addAction(Action("ExternalDbLinkerMI"));

    auto* extraction = new QMenu("Extraction", this);
    for (const char* n : {"FindMI", "MapMI", "LegendMI", "PrintLayoutMI"})
        extraction->addAction(Action(n));
    extraction->addSeparator();
    for (const char* n : {"CutbmpMI", "CopybmpMI", "PastebmpMI"}) extraction->addAction(Action(n));

    QMenu* menus[5] = {vector, overlay, info, classification, extraction};
    // Alt plus the caption's first letter opens a menu, F10 the first.
    static const char* const kKeys[5] = {"Alt+V", "Alt+O", "Alt+I", "Alt+C", "Alt+E"};
    for (int k = 0; k < 5; ++k) {
        menus_[k] = menus[k];
        menus[k]->setToolTipsVisible(true);
        auto* b = new QToolButton(this);
        b->setText("&" + menus[k]->title());
        b->setObjectName(menus[k]->title() + "TB");
        b->setToolTip(menus[k]->title());
        b->setStatusTip(menus[k]->title());
        auto* key = new QAction(this);
        key->setShortcut(QKeySequence(kKeys[k]));
        key->setEnabled(false);  // the button's own mnemonic serves while it shows
        connect(key, &QAction::triggered, this, [this, k] { PopupMenu(k); });
        addAction(key);
        menuKeys_.push_back(key);
        b->setMenu(menus[k]);
        b->setPopupMode(QToolButton::InstantPopup);
        // Captions only, sized to the text.
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setAutoRaise(true);
        menuButtons_[k] = b;
    }
    auto* f10 = new QAction(this);
    f10->setObjectName("MenuKeyF10");
    f10->setShortcut(QKeySequence(Qt::Key_F10));
    connect(f10, &QAction::triggered, this, [this] { PopupMenu(0); });
    addAction(f10);
}

void TZeEditForm::PopupMenu(int k) {
    if (k < 0 || k > 4 || !menus_[k]) return;
    QToolButton* b = menuButtons_[k];
    if (b && b->isVisible()) {
        b->showMenu();
        return;
    }
    menus_[k]->popup(mapView_->mapToGlobal(QPoint(0, 0)));
}

void TZeEditForm::BuildToolbars() {
    static const char* const kNames[TbCount] = {"Menu", "Clip",  "Exit",  "File",
                                                "Edit", "Zoom", "Layer", "Tools"};
    for (int t = 0; t < TbCount; ++t) {
        auto* bar = new QToolBar(kNames[t], this);
        bar->setObjectName(QString(kNames[t]) + "ToolBar");
        bar->setIconSize(QSize(24, 24));
        toolbars_[t] = bar;
    }
    for (QToolButton* b : menuButtons_) toolbars_[TbMenu]->addWidget(b);
    for (const char* n : {"CutTB", "CopyTB", "PasteTB"}) toolbars_[TbClip]->addAction(Action(n));

    shapeTypeBox_ = new QLineEdit(this);
    shapeTypeBox_->setObjectName("ShapeTypeEdit");
    shapeTypeBox_->setReadOnly(true);
    shapeTypeBox_->setFixedWidth(86);
    shapeTypeBox_->setToolTip("Shape Type");
    shapeTypeBox_->setStatusTip("Shape Type");
    layerCombo_ = new QComboBox(this);
    layerCombo_->setObjectName("LayerComboBox");
    layerCombo_->setMinimumWidth(150);
    layerCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    layerCombo_->setToolTip("Layer");
    layerCombo_->setStatusTip("Layer");
    fieldCombo_ = new QComboBox(this);
    fieldCombo_->setObjectName("FieldComboBox");
    fieldCombo_->setMinimumWidth(110);
    fieldCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    fieldCombo_->setToolTip("Layer fields");
    fieldCombo_->setStatusTip("Layer fields");
    shapeTypeAction_ = toolbars_[TbLayer]->addWidget(shapeTypeBox_);
    layerComboAction_ = toolbars_[TbLayer]->addWidget(layerCombo_);
    fieldComboAction_ = toolbars_[TbLayer]->addWidget(fieldCombo_);
    for (QAction* a : {shapeTypeAction_, layerComboAction_, fieldComboAction_}) {
        a->setProperty("tag", 0);
        a->setProperty("available", true);
    }
    connect(layerCombo_, QOverload<int>::of(&QComboBox::activated), this, [this](int i) {
        commands_->LayerComboBoxChange(i);
        SyncFromState();
    });
    connect(fieldCombo_, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { commands_->FieldComboBoxChange(i); });

    QToolBar* edit = toolbars_[TbEdit];
    for (const char* n : {"ObjInfoTB", "ObjInfoAttDbTB", "ObjInfoExtDbTB"}) edit->addAction(Action(n));
    edit->addSeparator();
    for (const char* n : {"EditShpTB", "EditPtTB", "MoveTB", "DeleteTB", "NewAndMoveTB", "UndoEditTB"})
        edit->addAction(Action(n));
    for (const char* n : {"ClearAllNewTB", "OpenTB", "ExportTB", "SaveCurrentLayerTB"})
        toolbars_[TbFile]->addAction(Action(n));
    for (const char* n : {"HelpTB", "AboutTB", "ExitTB"}) toolbars_[TbExit]->addAction(Action(n));
    for (const char* n : {"FindTB", "PropertiesTB", "ClassifyTB", "MapTB", "LegendTB", "PrintLayoutTB"})
        toolbars_[TbTools]->addAction(Action(n));
    for (const char* n : {"FullViewTB", "ZoomWinTB", "ZoomInTB", "ZoomOutTB", "PanTB"})
        toolbars_[TbZoom]->addAction(Action(n));

    // Control bar order: Menu, Clip, Layer, Edit, File, Exit, Tools, Zoom.
    // Two rows, so that no toolbar hides its buttons behind an extension
    // arrow in a window of ordinary width.
    for (int t : {TbMenu, TbClip, TbLayer}) addToolBar(Qt::TopToolBarArea, toolbars_[t]);
    addToolBarBreak(Qt::TopToolBarArea);
    for (int t : {TbEdit, TbFile, TbExit, TbTools, TbZoom}) addToolBar(Qt::TopToolBarArea, toolbars_[t]);
}

void TZeEditForm::RestoreToolbars() {
    for (int t : {TbClip, TbExit, TbFile, TbEdit, TbZoom, TbLayer, TbTools}) {
        toolbarToggles_[t]->setChecked(options_.ToolbarVisible[t]);
        toolbars_[t]->setVisible(toolbarToggles_[t]->isChecked());
    }
    toolbarToggles_[TbMenu]->setChecked(options_.ToolbarVisible[TbMenu]);
    toolbars_[TbMenu]->setVisible(options_.ToolbarVisible[TbMenu]);
    Action("DisplayMenuToolbarPMI")->setChecked(options_.ToolbarVisible[TbMenu]);
    for (QAction* a : menuKeys_) a->setEnabled(!options_.ToolbarVisible[TbMenu]);
    if (BitmapFollowsWindow(options_)) {
        Action("ResizeWindowMI")->setChecked(true);
        FollowWindowSize(true);
    }
}

void TZeEditForm::ToggleToolbar(int index, bool checked) {
    toolbarToggles_[index]->setChecked(checked);
    toolbars_[index]->setVisible(checked);
    options_.ToolbarVisible[index] = checked;
    if (index == TbMenu) {
        Action("DisplayMenuToolbarPMI")->setChecked(checked);
        for (QAction* a : menuKeys_) a->setEnabled(!checked);
    }
}

}  // namespace zemba
