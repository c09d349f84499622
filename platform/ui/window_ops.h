// Internal operations shared by the window functions.
#pragma once

#include "ui/window_state.h"

namespace qvp::ui {

// Sends WM_PARENTNOTIFY about a child's creation or destruction up the chain of
// its ancestors, stopping at a window that asks not to be told.
void NotifyParents(HWND child, UINT event);

// Activation of a top-level window of the calling thread (null: none), with
// WM_NCACTIVATE / WM_ACTIVATE. Returns the previously active window.
HWND Activate(HWND hwnd);
// Picks another window to activate when `leaving` stops being active
// (its owner, else the topmost visible enabled top-level window of the thread).
void ActivateAnother(HWND leaving);
// Moves focus, activation and capture away from a window and everything below it.
void MoveStateAway(HWND hwnd);

// Moves a window in its siblings' z-order (HWND_TOP, HWND_BOTTOM, HWND_TOPMOST,
// HWND_NOTOPMOST or after a sibling).
void ReorderLocked(Window* w, HWND after);

// Which children an invalidation reaches: none, those of a parent without
// WS_CLIPCHILDREN (the default of Windows), or all.
enum class Reach { kSelf, kDefault, kAll };
// Adds to the update region (client coordinates) of a visible window; `rect`
// null for all of it.
void InvalidateLocked(Window* w, const RECT* rect, bool erase, Reach reach);
void ValidateLocked(Window* w, const RECT* rect, Reach reach);

}  // namespace qvp::ui
