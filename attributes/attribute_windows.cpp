#include "attributes/attribute_windows.h"

namespace zemba {

AttributeWindows::AttributeWindows(LayerStore& store, Prompter& prompter, QWidget* parent)
    : identify_(new TIDForm(store, Hooks, parent)),
      database_(new TZeEditDbForm(store, prompter, Hooks, parent)),
      owned_(parent == nullptr) {}

AttributeWindows::~AttributeWindows() {
    if (owned_) {
        delete identify_;
        delete database_;
    }
}

void AttributeWindows::LayerTableChanged() {
    identify_->Forget();
    database_->Forget();
}

}  // namespace zemba
