// Windows that keep their place in the program options: shown where the
// user left them, and the place written back whenever they are hidden.
#pragma once

#include <cstdint>

class QWidget;

namespace zemba {

// Moves `w` to (*left, *top) now and stores its position there each time it
// is hidden or closed. Both pointers must outlive the window.
void KeepWindowPlace(QWidget* w, std::int32_t* left, std::int32_t* top);

}  // namespace zemba
