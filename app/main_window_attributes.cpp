// The identify and database windows wired to the main window: the view
// highlights for them, help opens at their context, "External Db linker"
// opens the link panel.
#include <QAction>

#include "app/help.h"
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
