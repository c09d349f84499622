// What the display needs to know of the window system's top-level windows,
// read in one go under the window system's lock.
#pragma once

#include <string>
#include <vector>

#include "qvplatform/types.h"

namespace qvp::display {

struct TopWindow {
  HWND hwnd = nullptr;
  HWND owner = nullptr;
  RECT rect{};          // screen coordinates
  std::string title;    // Windows ANSI
  bool visible = false;
  bool minimized = false;
  bool caption = false;   // draws its own caption
  bool popup = false;     // a pop-up without caption: placed exactly, never managed (menus, lists)
  bool resizable = false;
  bool topmost = false;
  bool dialog = false;    // owned, or with a dialog frame
  HICON icon = nullptr;   // the window's big icon, else its small one, else its class's
};

// The top-level windows, top of the z-order first, and the foreground window.
std::vector<TopWindow> ListTopWindows(HWND* foreground);
// The top-level window a window belongs to; null when it is gone.
HWND TopWindowOf(HWND hwnd);

}  // namespace qvp::display
