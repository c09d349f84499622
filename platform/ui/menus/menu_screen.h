// Menus a user works on the screen: when the display is open and nothing
// stands in for the user, a pop-up menu or the menu bar's drop-downs are shown
// as windows of their own, and the mouse and keys pick from them in a modal
// loop of the owner's thread.
#pragma once

#include "qvplatform.h"

namespace qvp::ui::menus {

// True when menus are shown on the screen: a display is open.
bool MenusOnScreen();

// Runs one menu on the screen and answers the command picked, or 0 when the
// user dismissed it. `bar`: `menu` is the owner's menu bar and `at` the screen
// point that entered it (the item under it drops down; outside every item, the
// first one). Otherwise `menu` pops up with its top-left corner at `at`.
// Sends the owner WM_INITMENUPOPUP for every sub-menu it opens and
// WM_MENUSELECT as the highlighted item changes.
UINT ShowMenuOnScreen(HWND owner, HMENU menu, bool bar, POINT at);

}  // namespace qvp::ui::menus
