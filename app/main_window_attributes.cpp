// The identify and database windows wired to the main window: the view
// highlights for them, help opens at their context, "External Db linker"
// opens the link panel.
#include <QAction>
#include <QScreen>
#include <algorithm>
#include <QUndoStack>

#include "app/edit_actions.h"
#include "app/help.h"
#include "app/window_place.h"
#include "app/main_window.h"
#include "attributes/attribute_windows.h"
#include "view/map_view.h"
#include "view/renderer.h"

namespace zemba {

void TZeEditForm::PlaceIdentifyBesideMap() {
    TIDForm& id = attributes_->Identify();
    // A place the user chose stays; the first time it goes beside the map,
    // not over it.
    if (id.isVisible() || identifyPlaced_) return;
    identifyPlaced_ = true;
    const bool stored = options_.WindowLeft[WinIdentify] != kDefaultWindowPlace ||
                        options_.WindowTop[WinIdentify] != kDefaultWindowPlace;
    if (stored) return;
    const QRect main = frameGeometry();
    QRect area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1920, 1080);
    const QSize size = id.sizeHint().expandedTo(id.size());
    int x = main.right() + 4;
    if (x + size.width() > area.right()) x = std::max(area.left(), area.right() - size.width());
    const int y = std::clamp(main.top(), area.top(), std::max(area.top(), area.bottom() - size.height()));
    id.move(x, y);
}

void TZeEditForm::WireAttributeWindows() {
    attributes_ = std::make_unique<AttributeWindows>(store_, prompter_, this);
    AttributeHooks& h = attributes_->Hooks;
    h.DisplayGraphicShape = [this](int layer, int shape, int part) {
        renderer_->DisplayGraphicShape(layer, shape, part, true);
        // The view shows the image anew at once, not at the next repaint.
        if (mapView_) mapView_->RefreshImage();
    };
    h.ShowHelp = [this](int context) { ShowHelp(context, this); };
    attributes_->Database().SetVectorDbDir(&options_.VectorDbDir);
    // Both windows open where the user last left them.
    KeepWindowPlace(&attributes_->Identify(), &options_.WindowLeft[WinIdentify], &options_.WindowTop[WinIdentify]);
    KeepWindowPlace(&attributes_->Database(), &options_.DatabasePos.Left, &options_.DatabasePos.Top);

    // The pointer tools open the windows: an info click lists its candidates,
    // Db Info browses the table, a feature made in a layer with fields asks
    // for its record.
    if (EditActions* edit = EditActions::Of(this)) {
        ToolController& tools = edit->Controller();
        ToolHooks& th = tools.Hooks();
        // A shape chosen in the identify window (also Find's ID) is the
        // selected one for "Set current Object" and Edit Point.
        h.ShapeSelected = [&tools, edit] {
            tools.Flags().ShapeSelected = true;
            tools.Flags().EditPointEnabled = true;
            edit->Sync();
        };
        // The identify window opens for the info tools (and Find's ID); a
        // pick with an editing tool only updates it when it is open.
        th.IdentifyInit = [this, &tools](std::int32_t pick) {
            const int tool = tools.Flags().PointerTool;
            TIDForm& id = attributes_->Identify();
            if (tool >= kToolObjectInfo && tool <= kToolSoilsInfo) {
                PlaceIdentifyBesideMap();
                attributes_->ShowIdentify(pick);
            } else if (id.isVisible()) {
                id.Refresh(pick);
            }
        };
        // While the database window's external link is active, Soils Info
        // leaves the soil database alone.
        auto soilActive = th.SoilDbActive;
        th.SoilDbActive = [this, soilActive] {
            state_.ExtDbLinked = attributes_->Database().Logic().LinkActive;
            return !state_.ExtDbLinked && soilActive && soilActive();
        };
        th.IdentifyShow = [this] {
            attributes_->Identify().show();
            attributes_->Identify().raise();
        };
        th.DatabaseShow = [this](std::int32_t layer, std::int32_t shape) {
            attributes_->Database().InitDBForm(layer, 2, shape);
            attributes_->Database().show();
            attributes_->Database().raise();
        };
        th.NewRecord = [this](std::int32_t layer, std::int32_t shape) {
            attributes_->Database().InitDBForm(layer, 1, shape);
            attributes_->Database().show();
            attributes_->Database().raise();
        };
        h.DisplayEditPoint = [this, &tools](int layer, int shape, int point, int part) {
            tools.DisplayEditPoint(layer, shape, point, part);
            if (mapView_) mapView_->RefreshImage();
        };
        // Accept and Add Field are steps of the editing tools' undo stack;
        // a step taken back or made again shows in the database window and
        // in the Undo and Redo commands.
        h.RecordEdit = [&tools](QUndoCommand* step) { tools.UndoStack().push(step); };
        h.Redraw = [this] { Redraw(); };
        // The commands name the step they take: "Undo Set NAME".
        auto name = [](QAction* a, const QString& step) {
            if (!a) return;
            if (!a->property("plainText").isValid()) a->setProperty("plainText", a->text());
            const QString plain = a->property("plainText").toString();
            a->setText(step.isEmpty() ? plain : plain + " " + step);
        };
        connect(&tools.UndoStack(), &QUndoStack::indexChanged, edit, [this, edit, &tools, name] {
            edit->Sync();
            name(Action("UndoMI"), tools.UndoStack().undoText());
            name(findChild<QAction*>("RedoMI"), tools.UndoStack().redoText());
            attributes_->Database().Refresh();
        });
    }

    if (QAction* linker = Action("ExternalDbLinkerMI")) {
        linker->setProperty("available", true);
        linker->setCheckable(true);
        connect(linker, &QAction::triggered, this, [this, linker] {
            linker->setChecked(true);
            attributes_->Database().ShowLinker();
        });
    }
}

}  // namespace zemba
