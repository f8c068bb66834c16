// Wiring of the pointer tools, editing, creation, undo and the bitmap clip
// into the main window: its actions, the map view's mouse events and the
// pop-up menu go to the ToolController (view/tool_controller.h), which holds
// all the logic. Owned by the main window as a child object.
#pragma once

#include <QObject>
#include <functional>
#include <vector>

#include "app/options.h"
#include "core/layer_store.h"
#include "core/ui.h"
#include "view/tool_controller.h"

class QMenu;
class QAction;

namespace zemba {

class TZeEditForm;

class EditActions : public QObject {
    Q_OBJECT
public:
    EditActions(TZeEditForm& window, LayerStore& store, Options& options, Prompter& prompter);

    // The one a window holds (nullptr when none).
    static EditActions* Of(QObject* window);

    // The window sets the identify and database hooks here.
    ToolController& Controller() { return controller_; }

    // Shows the tool flags in the actions' checks and enabled states.
    void Sync();
    // The view's pop-up menu with its enabled states as it opens. Built once:
    // it outlives every command started from it.
    QMenu* Popup();

private:
    QAction* A(const char* name) const;
    void Connect(const char* menuName, const char* buttonName, std::function<void()> fn);
    void CreateLayerClick(int type);
    void HelpAt(int context);
    void MirrorViewTools();
    void BuildPopup();
    void UpdatePopup();
    // Runs a command of the pop-up menu after the menu has closed.
    void Queued(std::function<void()> fn);

    TZeEditForm& w_;
    LayerStore& store_;
    Options& options_;
    Prompter& prompter_;
    ToolController controller_;
    QAction* redo_ = nullptr;
    bool doubleClick_ = false;
    QMenu* popup_ = nullptr;
    QMenu* popupInfo_ = nullptr;
    QMenu* popupEdit_ = nullptr;
    QMenu* popupPlat_ = nullptr;
    QMenu* popupSetObject_ = nullptr;
    std::vector<QAction*> platItems_;
};

}  // namespace zemba
