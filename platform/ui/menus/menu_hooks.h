// What the window core calls into the menus for (internal).
#pragma once

#include "qvplatform.h"

namespace qvp::ui {

// A window is being destroyed: its window menu copy goes, and so does the menu
// bar it still has (`bar`, null for none; a child's id is no menu), as
// DestroyWindow destroys a window's menu. Takes only the menus' own lock, which
// never waits for the window lock, so the window lock may be held.
void ForgetWindowMenus(HWND hwnd, HMENU bar);

// DefWindowProc's WM_SYSCOMMAND with SC_KEYMENU or SC_MOUSEMENU: the menu bar
// of `hwnd` is entered, the menu chooser picks (qvp::SetMenuChooser) and the
// pick is carried out as qvp::PickMenuBarItem does. Returns 0.
LRESULT EnterMenuBar(HWND hwnd, WPARAM command, LPARAM lparam);

}  // namespace qvp::ui
