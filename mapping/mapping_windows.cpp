#include "mapping/mapping_windows.h"

#include "mapping/map_form.h"
#include "mapping/proj_messages_form.h"

namespace zemba {

MappingWindows::MappingWindows(LayerStore& store, Prompter& prompter, Progress& progress, QWidget* parent)
    : store_(store), prompter_(prompter), commands_(store, project_, prompter, progress) {
    mapForm_ = new TMapForm(commands_, store, project_, parent);
    messages_ = new TProjMessagesForm(store, prompter, parent);
    commands_.Report = [this](const std::string& line) { messages_->Append(line); };
}

MappingWindows::~MappingWindows() = default;

void MappingWindows::ShowMap() {
    if (store_.LayerCount <= 0) {
        prompter_.ShowErrorText("No layers are loaded: open the map's layers first.");
        return;
    }
    mapForm_->show();
    mapForm_->raise();
}

}  // namespace zemba
