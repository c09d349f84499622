// Message boxes shown to the user when the display is open.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "qvplatform.h"

namespace qvp::ui {

// Shows a message box with the buttons in their order and `default_button`
// taking Enter, and answers the button the user pressed; Esc and the close box
// answer Cancel where the box offers it and OK on an OK-only box. Nothing when
// no display is open or the box cannot be made.
std::optional<int> ShowMessageBoxOnScreen(HWND owner, const std::string& caption, const std::string& text, UINT type,
                                          const std::vector<int>& buttons, int default_button);

}  // namespace qvp::ui
