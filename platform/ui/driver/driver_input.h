// The driver's user actions as phases of input, and the helpers they share.
#pragma once

#include <optional>
#include <string>

#include "qvplatform/ui_driver.h"

namespace qvp::driver {

// The top-level window a window belongs to.
HWND RootWindow(HWND window);
// The window's class name.
std::string ClassOf(HWND window);
bool ClassIs(HWND window, const char* name);
// "button 1 'OK' (BUTTON)": how problems name a window.
std::string Describe(HWND window);
// The window can take a user's input now: it and every window around it are
// visible and enabled.
Outcome Usable(HWND window);

// The centre of the window's client area.
POINT Centre(HWND window);
// What the system does before a click reaches a window of an inactive
// top-level window: asks WM_MOUSEACTIVATE and activates. False when the
// answer eats the click.
bool MouseActivate(HWND window);
// The click the system would deliver at `client` (the aimed window's client
// coordinates): to the window holding the mouse capture, else to the window
// under the point; a point covered by some other window still reaches the
// window aimed at.
void PostClick(HWND aimed, POINT client, bool twice);

Phases ClickPhases(HWND window, std::optional<POINT> at, bool twice);
Phases FocusPhases(HWND control);
Phases TypePhases(const std::string& text);
Phases PressPhases(UINT vk, UINT modifiers);
Phases CheckPhases(HWND button, UINT state);
Phases SelectPhases(HWND list, int index);
Phases SelectTextPhases(HWND list, const std::string& text);

// The lists a driver reads and picks from.
enum class ListKind { kNone, kListBox, kComboBox, kListView, kTabs };
ListKind KindOfList(HWND list);

// The texts of a list's items.
std::vector<std::string> ListItemsOf(HWND list);

// Runs the phases one after another, handling the thread's messages in between.
Outcome RunNow(const Phases& phases);

}  // namespace qvp::driver
