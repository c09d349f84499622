// Window class lookup for window creation and the layer's own classes.
#pragma once

#include <memory>

#include "ui/window_state.h"

namespace qvp::ui {

// The class CreateWindowEx uses for a name: the instance's own class first,
// then a global class, then one of the layer's system classes.
std::shared_ptr<WindowClass> FindClassLocked(LPCSTR name, HINSTANCE instance);

// Registers one of the layer's own classes (dialogs, controls), found by every
// instance. Registering the same name again keeps the first registration.
ATOM RegisterSystemClass(const WNDCLASSEXA& wc);

}  // namespace qvp::ui
