// The identify and database windows as the main window owns them: one
// object, made once, with the entry points the tools call.
#pragma once

#include <memory>

#include "attributes/database_window.h"
#include "attributes/identify_window.h"

namespace zemba {

class AttributeWindows {
public:
    AttributeWindows(LayerStore& store, Prompter& prompter, QWidget* parent);
    ~AttributeWindows();

    // What the view does for the windows; the owner fills it in.
    AttributeHooks Hooks;

    // After an info click has filled HitList.
    void ShowIdentify(int pick = 1) { identify_->ShowIdentify(pick); }
    // Mode 2 browses the current layer from the current shape; mode 1 is
    // new-record mode, opened after a feature is created in a layer with
    // fields.
    void ShowDatabase(int mode) { database_->ShowDatabase(mode); }
    // Clear All, a layer opened or removed: both windows forget their rows.
    void LayerTableChanged();

    TIDForm& Identify() { return *identify_; }
    TZeEditDbForm& Database() { return *database_; }

private:
    // Children of the owner's window when there is one (which then deletes
    // them), else deleted here.
    TIDForm* identify_;
    TZeEditDbForm* database_;
    bool owned_;
};

}  // namespace zemba
