#include "app/edit_actions.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <iterator>

#include "app/help.h"
#include "app/main_window.h"
#include "app/window_place.h"
#include "soils/soil_window.h"
#include "view/cbit_form.h"
#include "view/label_prop_form.h"
#include "view/map_view.h"
#include "view/renderer.h"

namespace zemba {

namespace {

// The tool status level does not decide these actions' enabled states; the
// editing rules do (Sync). The window's "no tag" value keeps its level
// logic off them.
constexpr int kOwnEnabling = 1000;

QString L1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }

unsigned ShiftOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
    unsigned s = 0;
    if (mods & Qt::ShiftModifier) s |= kShiftKey;
    if (mods & Qt::ControlModifier) s |= kCtrlKey;
    if (mods & Qt::AltModifier) s |= kAltKey;
    if (buttons & Qt::LeftButton) s |= kLeftButton;
    if (buttons & Qt::RightButton) s |= kRightButton;
    if (buttons & Qt::MiddleButton) s |= kMiddleButton;
    return s;
}

}  // namespace

EditActions* EditActions::Of(QObject* window) { return window ? window->findChild<EditActions*>() : nullptr; }

QAction* EditActions::A(const char* name) const { return w_.Action(name); }

EditActions::EditActions(TZeEditForm& window, LayerStore& store, Options& options, Prompter& prompter)
    : QObject(&window),
      w_(window),
      store_(store),
      options_(options),
      prompter_(prompter),
      controller_(store, window.View(), &window.Renderer(), prompter) {
    setObjectName("EditActions");
    controller_.ViewToolsExternal = true;
    ToolHooks& h = controller_.Hooks();
    h.Redraw = [this] { w_.Redraw(); };
    h.ImageChanged = [this] { w_.MapViewWidget()->RefreshImage(); };
    auto* hint = w_.findChild<QLabel*>("HintLabel");
    h.Hint = [hint](const std::string& t) {
        if (hint) hint->setText(L1(t));
    };
    h.XYText = [this](const std::string& t) { w_.XYPanel()->setText(L1(t)); };
    h.IsBusy = [this] { return w_.Commands().Refused(); };
    h.SoilDbActive = [this] { return w_.State().SoilDbActive; };
    h.SoilLookup = [this](const std::string& muids) { SoilsInfoLookup(&w_, muids); };
    h.Changed = [this] { Sync(); };

    // Leaving editing (Clear All, another layer, Reset Fresh) and the
    // window's own state changes reach the tools too.
    FileHooks& fh = w_.Commands().hooks();
    auto endEditing = fh.EndEditing;
    fh.EndEditing = [this, endEditing] {
        if (endEditing) endEditing();
        controller_.DisableEditing(0);
    };
    // The close asks about the map when shapes were edited since the last
    // undo; Clear All forgets that.
    fh.ShapesEdited = [this] { return controller_.Flags().EditsMade; };
    fh.ForgetEdits = [this] { controller_.Flags().EditsMade = false; };
    auto changed = fh.Changed;
    fh.Changed = [this, changed] {
        if (changed) changed();
        Sync();
    };

    Connect("ObjectInfoMI", "ObjInfoTB", [this] { controller_.InfoToolClick(kToolObjectInfo); });
    Connect("DbInfoMI", "ObjInfoAttDbTB", [this] { controller_.InfoToolClick(kToolDbInfo); });
    Connect("SoilsInfoMI", "ObjInfoExtDbTB", [this] { controller_.InfoToolClick(kToolSoilsInfo); });
    Connect("EditShapeMI", "EditShpTB", [this] { controller_.EditShpClick(); });
    Connect("EditPointMI", "EditPtTB", [this] { controller_.EditPtClick(); });
    Connect("MoveMI", "MoveTB", [this] { controller_.MoveitClick(); });
    Connect("DeleteMI", "DeleteTB", [this] { controller_.DeleteitClick(); });
    Connect("CopyMoveMI", "NewAndMoveTB", [this] { controller_.NewitClick(); });
    Connect("UndoMI", "UndoEditTB", [this] { controller_.UndoEditClick(); });
    Connect("CutbmpMI", "CutTB", [this] { controller_.CutBmpClick(); });
    Connect("CopybmpMI", "CopyTB", [this] { controller_.CopyBmp(); });
    Connect("PastebmpMI", "PasteTB", [this] { controller_.PasteBmp(); });
    for (const char* n : {"ObjectInfoMI", "ObjInfoTB", "DbInfoMI", "ObjInfoAttDbTB", "SoilsInfoMI", "ObjInfoExtDbTB",
                          "EditShapeMI", "EditShpTB", "EditPointMI", "EditPtTB", "MoveMI", "MoveTB", "DeleteMI",
                          "DeleteTB", "CopyMoveMI", "NewAndMoveTB", "CutbmpMI", "CutTB"})
        A(n)->setCheckable(true);
    A("UndoMI")->setShortcut(QKeySequence::Undo);
    w_.addAction(A("UndoMI"));

    redo_ = new QAction("Redo", &w_);
    redo_->setObjectName("RedoMI");
    redo_->setShortcuts({QKeySequence("Ctrl+Y"), QKeySequence::Redo});
    redo_->setStatusTip("Redo");
    redo_->setProperty("tag", kOwnEnabling);
    connect(redo_, &QAction::triggered, this, [this] { controller_.RedoEditClick(); });
    w_.addAction(redo_);
    for (QObject* o : A("UndoMI")->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(o)) {
            const QList<QAction*> items = menu->actions();
            const int at = static_cast<int>(items.indexOf(A("UndoMI")));
            menu->insertAction(at + 1 < items.size() ? items[at + 1] : nullptr, redo_);
        }

    // Snapping: "Off" is the only choice there is.
    A("SnapOffMI")->setProperty("available", true);
    A("SnapOffMI")->setEnabled(true);
    A("SnapOffMI")->setChecked(true);

    // Mouse events after the window's own (zoom, pan and their rubber band).
    MapView* view = w_.MapViewWidget();
    connect(view, &MapView::mousePressed, this, [this](QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers m) {
        MirrorViewTools();
        controller_.SelectionRadius = options_.SelectionRadius;
        controller_.MouseDown(p.x(), p.y(), ShiftOf(b, m));
    });
    connect(view, &MapView::mouseDoubleClicked, this, [this](QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers m) {
        MirrorViewTools();
        doubleClick_ = b == Qt::LeftButton;
        controller_.MouseDown(p.x(), p.y(), ShiftOf(b, m) | kDoubleClick);
    });
    connect(view, &MapView::mouseMoved, this, [this](QPoint p, Qt::MouseButtons b, Qt::KeyboardModifiers m) {
        controller_.MouseMove(p.x(), p.y(), ShiftOf(b, m));
    });
    connect(view, &MapView::mouseReleased, this, [this](QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers m) {
        MirrorViewTools();
        const unsigned dbl = doubleClick_ ? static_cast<unsigned>(kDoubleClick) : 0u;
        doubleClick_ = false;
        controller_.MouseUp(p.x(), p.y(), ShiftOf(b, m) | dbl);
    });

    // The pop-up menu is built once and lives as long as the window: a
    // command started from it may redraw (and so pump events), and the menu
    // it came from must still be there when the command returns.
    // Over the bitmap and over the rest of the view area alike.
    for (QWidget* area : {static_cast<QWidget*>(view->ImageWidget()), static_cast<QWidget*>(view)}) {
        area->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(area, &QWidget::customContextMenuRequested, this, [this, area](const QPoint& pos) {
            if (w_.Commands().Refused()) return;
            Popup()->popup(area->mapToGlobal(pos));
        });
    }
    Sync();
}

void EditActions::Connect(const char* menuName, const char* buttonName, std::function<void()> fn) {
    for (const char* n : {menuName, buttonName}) {
        QAction* a = A(n);
        a->setProperty("available", true);
        a->setProperty("tag", kOwnEnabling);
        connect(a, &QAction::triggered, this, [this, fn] {
            if (w_.Commands().Refused()) return;
            fn();
            Sync();
        });
    }
}

void EditActions::MirrorViewTools() {
    ToolFlags& f = controller_.Flags();
    f.ZoomAreaMode = A("ZoomAreaMI")->isChecked();
    f.PanMode = A("PanMI")->isChecked();
}

void EditActions::Sync() {
    const ToolFlags& f = controller_.Flags();
    const bool loaded = store_.LayerCount > 0;
    auto set = [this](const char* menu, const char* button, bool enabled, bool checked) {
        for (const char* n : {menu, button}) {
            A(n)->setEnabled(enabled);
            if (A(n)->isCheckable()) A(n)->setChecked(checked);
        }
    };
    set("ObjectInfoMI", "ObjInfoTB", loaded, f.PointerTool == kToolObjectInfo);
    set("DbInfoMI", "ObjInfoAttDbTB", loaded, f.PointerTool == kToolDbInfo);
    set("SoilsInfoMI", "ObjInfoExtDbTB", loaded, f.PointerTool == kToolSoilsInfo);
    set("EditShapeMI", "EditShpTB", loaded, f.PointerTool == kToolEditShape);
    set("EditPointMI", "EditPtTB", loaded && f.EditPointEnabled, f.PointerTool == kToolEditPoint);
    set("MoveMI", "MoveTB", loaded && f.EditOpsEnabled, f.MoveMode);
    set("DeleteMI", "DeleteTB", loaded && f.EditOpsEnabled, f.DeleteMode);
    set("CopyMoveMI", "NewAndMoveTB", loaded && f.EditOpsEnabled, f.CopyMoveMode);
    set("UndoMI", "UndoEditTB", controller_.UndoStack().canUndo(), false);
    redo_->setEnabled(controller_.UndoStack().canRedo());
    set("CutbmpMI", "CutTB", loaded, f.BitmapClipMode > 0);
    set("CopybmpMI", "CopyTB", loaded, false);
}

void EditActions::HelpAt(int context) {
    Result r = ShowHelp(context, &w_);
    if (!r) prompter_.ShowErrorText("Help is not available:\r\n" + r.reason);
}

void EditActions::CreateLayerClick(int type) {
    if (w_.Commands().Refused()) return;
    TCBitForm form(prompter_, &w_);
    form.Help = [this] { HelpAt(13); };
    form.Initializer(1, store_.LayerFileName);
    if (form.exec() != QDialog::Accepted) return;  // Cancel makes nothing
    // New layers label in the font of the shape type box.
    auto font = std::make_shared<FontDesc>();
    const QFont qf = w_.ShapeTypeBox()->font();
    font->Family = qf.family().toStdString();
    font->PointSize = qf.pointSize() > 0 ? qf.pointSize() : 8;
    font->Bold = qf.bold();
    font->Italic = qf.italic();
    if (controller_.CreateLayer(type, form.EnteredText(), options_.ShapeDir, font)) {
        w_.Commands().LayerComboUpdate(store_.CurrentLayer);
        w_.Redraw();
    }
}

void EditActions::Queued(std::function<void()> fn) {
    // Runs once the menu has closed and its own handlers have returned.
    QTimer::singleShot(0, this, [this, fn = std::move(fn)] {
        if (!w_.Commands().Refused()) fn();
        Sync();
    });
}

QMenu* EditActions::Popup() {
    if (!popup_) BuildPopup();
    UpdatePopup();
    return popup_;
}

void EditActions::BuildPopup() {
    popup_ = new QMenu(&w_);
    QMenu* menu = popup_;
    menu->setObjectName("ViewPopupMenu");
    popupInfo_ = menu->addMenu("Info current Object");
    for (const char* n : {"ObjectInfoMI", "DbInfoMI", "SoilsInfoMI"}) popupInfo_->addAction(A(n));
    popupEdit_ = menu->addMenu("Edit current Object");
    for (const char* n : {"EditShapeMI", "EditPointMI", "MoveMI", "DeleteMI", "CopyMoveMI", "UndoMI"})
        popupEdit_->addAction(A(n));
    popupEdit_->addAction(redo_);
    QMenu* snap = popupEdit_->addMenu("Snap");
    for (const char* n : {"SnapOffMI", "SnapNearPointMI", "SnapEndofNearMI", "SnapGridMI"}) snap->addAction(A(n));
    popupPlat_ = menu->addMenu("Create PLAT");
    popupPlat_->setObjectName("CreatePLATPMI");
    struct Item {
        const char* name;
        const char* text;
        std::function<void()> fn;
    };
    const Item items[] = {
        {"CreatePointLayerPMI", "Create Point Layer", [this] { CreateLayerClick(1); }},
        {"CreateLineLayerPMI", "Create Line Layer", [this] { CreateLayerClick(3); }},
        {"CreatePolygonLayerPMI", "Create Area Polygon Layer", [this] { CreateLayerClick(5); }},
        {"CreateTextLayerPMI", "Create Text Layer", [this] { CreateLayerClick(2); }},
        {nullptr, nullptr, {}},
        {"CreatePointPMI", "Create Point", [this] { controller_.ArmCreate(kMakePoint); }},
        {"CreateLinePMI", "Create Line", [this] { controller_.ArmCreate(kMakeLine); }},
        {"CreatePolygonPMI", "Create Area Polygon", [this] { controller_.ArmCreate(kMakePolygon); }},
        {"CreateLabelPMI", "Create Text label (pt)", [this] { controller_.ArmCreate(kMakeTextPoint); }}};
    for (const Item& it : items) {
        if (!it.name) {
            popupPlat_->addSeparator();
            continue;
        }
        QAction* a = popupPlat_->addAction(it.text);
        a->setObjectName(it.name);
        connect(a, &QAction::triggered, this, [this, fn = it.fn] { Queued(fn); });
        platItems_.push_back(a);
    }
    popupSetObject_ = BuildSetObjectMenu(
        menu, &w_, store_, [this] { return controller_.Flags().ShapeSelected; },
        [this](std::function<void()> fn) { Queued(std::move(fn)); },
        [this] {
            store_.MapChanged = true;  // a style change: the close offers the project save
            w_.Redraw();
        },
        [this](TLabelPropFrm& form) {
            form.Help = [this] { HelpAt(5000); };
            KeepWindowPlace(&form, &options_.WindowLeft[WinLabelProps], &options_.WindowTop[WinLabelProps]);
        });
    menu->addMenu(popupSetObject_);
    menu->addSeparator();
    // The view's own items.
    for (QAction* a : w_.MapViewWidget()->ImageWidget()->actions()) menu->addAction(a);
}

void EditActions::UpdatePopup() {
    const PopupEnables e = controller_.Popup();
    popupInfo_->setEnabled(e.InfoObject);
    popupEdit_->setEnabled(e.EditObject);
    const bool enables[] = {e.PointLayer, e.LineLayer,     e.PolygonLayer, e.TextLayer,
                            e.CreatePoint, e.CreateLine, e.CreatePolygon, e.CreateLabel};
    for (std::size_t k = 0; k < platItems_.size() && k < std::size(enables); ++k)
        platItems_[k]->setEnabled(enables[k]);
    popupPlat_->setEnabled(e.CreatePlat);
    popupSetObject_->setEnabled(store_.LayerCount > 0);
    // Without layers only "Refresh" is offered.
    for (QAction* a : w_.MapViewWidget()->ImageWidget()->actions())
        if (!a->isSeparator() && a->objectName() != "RefreshMI") a->setEnabled(store_.LayerCount > 0);
}

}  // namespace zemba
