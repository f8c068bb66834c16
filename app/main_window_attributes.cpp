// The identify and database windows wired to the main window: the view
// highlights for them, help opens at their context, "External Db linker"
// opens the link panel.
#include <QAction>
#include <QUndoStack>

#include "app/edit_actions.h"
#include "app/help.h"
#include "app/window_place.h"
#include "app/main_window.h"
#include "attributes/attribute_windows.h"
#include "view/map_view.h"
#include "view/renderer.h"

namespace zemba {

void TZeEditForm::WireAttributeWindows() {
    attributes_ = std::make_unique<AttributeWindows>(store_, prompter_, this);
    AttributeHooks& h = attributes_->Hooks;
    h.DisplayGraphicShape = [this](int layer, int shape, int part) {
        renderer_->DisplayGraphicShape(layer, shape, part, true);
        if (mapView_) mapView_->update();
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
        th.IdentifyInit = [this](std::int32_t pick) { attributes_->ShowIdentify(pick); };
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
