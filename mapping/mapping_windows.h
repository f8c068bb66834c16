// The map project records, the map window and the projection messages
// window as the main window holds them: one object, a few calls.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/layer_store.h"
#include "core/ui.h"
#include "mapping/map_commands.h"

class QWidget;

namespace zemba {

class TMapForm;
class TProjMessagesForm;

class MappingWindows {
public:
    MappingWindows(LayerStore& store, Prompter& prompter, Progress& progress, QWidget* parent);
    ~MappingWindows();

    MapProject& Project() { return project_; }
    MapCommands& Commands() { return commands_; }
    TMapForm& MapForm() { return *mapForm_; }
    TProjMessagesForm& Messages() { return *messages_; }

    // The "Map" command: the map window, or a note when no layer is loaded.
    void ShowMap();
    // The main window's open of a .zmp and "Save As..." to a .zmp name.
    bool LoadProject(const std::string& file, const LoadMapHooks& hooks) { return commands_.LoadProject(file, hooks); }
    bool SaveProjectAs(const std::string& file) { return commands_.SaveProjectAs(file); }

    // Set by the main window: the help buttons' contexts, and a window
    // closing (the map window's position goes into the options).
    std::function<void(int context, QWidget* from)> Help;
    std::function<void(QWidget* closed)> Closed;

private:
    LayerStore& store_;
    Prompter& prompter_;
    MapProject project_;
    MapCommands commands_;
    TMapForm* mapForm_ = nullptr;
    TProjMessagesForm* messages_ = nullptr;
};

}  // namespace zemba
