#include "mapping/mapping_windows.h"

#include "mapping/map_form.h"
#include "mapping/proj_messages_form.h"

namespace zemba {

MappingWindows::MappingWindows(LayerStore& store, Prompter& prompter, Progress& progress, QWidget* parent)
    : store_(store), prompter_(prompter), commands_(store, project_, prompter, progress) {
    mapForm_ = new TMapForm(commands_, store, project_, parent);
    messages_ = new TProjMessagesForm(store, prompter, parent);
    commands_.Report = [this](const std::string& line) { messages_->Append(line); };
    commands_.Alert = [this] { messages_->Alert(); };
    commands_.RecordsChanged = [this] {
        if (mapForm_->isVisible()) mapForm_->ShowProject();
    };
    QObject::connect(mapForm_, &TMapForm::helpRequested, mapForm_, [this](int c) {
        if (Help) Help(c, mapForm_);
    });
    QObject::connect(mapForm_, &TMapForm::closed, mapForm_, [this] {
        if (Closed) Closed(mapForm_);
    });
    QObject::connect(messages_, &TProjMessagesForm::helpRequested, messages_, [this](int c) {
        if (Help) Help(c, messages_);
    });
    QObject::connect(messages_, &TProjMessagesForm::closed, messages_, [this] {
        if (Closed) Closed(messages_);
    });
}

MappingWindows::~MappingWindows() = default;

void MappingWindows::ShowMap() {
    if (store_.LayerCount <= 0) {
        prompter_.ShowErrorText("No layers are loaded: open the map's layers first.");
        return;
    }
    // Shown again, it shows the project as it is now.
    if (mapForm_->isVisible()) mapForm_->ShowProject();
    mapForm_->show();
    mapForm_->raise();
}

}  // namespace zemba
