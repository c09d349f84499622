// What every standard control shares: its state record, found by window
// handle; notifying the parent; style and geometry queries; the control font.
#pragma once

#include <string>

#include "qvplatform/ui.h"
#include "qvplatform/ui_controls.h"
#include "ui/control_frame.h"

namespace qvp::ui {

// The parent a control reports to (null for a window without one).
HWND ParentOf(HWND hwnd);
UINT ControlId(HWND hwnd);
DWORD StyleOf(HWND hwnd);
// Changes the bits of `mask` in the window's style to those of `bits`.
void SetStyleBits(HWND hwnd, DWORD mask, DWORD bits);
RECT ClientRectOf(HWND hwnd);
bool HasFocus(HWND hwnd);

// WM_COMMAND with a notification code, sent to the parent.
void NotifyParent(HWND hwnd, int code);

// The window's text as WM_GETTEXT gives it.
std::string TextOf(HWND hwnd);

// Whether the Shift or Ctrl key is down, as the calling thread's key messages left it.
bool ShiftDown();
bool CtrlDown();

// A point packed in a mouse message's lParam.
POINT PointOf(LPARAM lp);
bool Inside(const RECT& r, POINT p);

// WM_CTLCOLOR* sent to the parent for a control about to paint; the brush it
// answers (null when it leaves the colours to the control).
HBRUSH AskColours(HWND hwnd, HDC hdc, UINT msg);

// WM_SETTEXT of a control that shows its window text: the text kept as any
// window keeps it, then the control redrawn.
LRESULT SetShownText(HWND hwnd, WPARAM wp, LPARAM lp);
// WM_SETFONT of a control that keeps nothing but the font: stored in `font`,
// redrawn when lParam asks.
void KeepFont(HWND hwnd, HFONT* font, WPARAM wp, LPARAM lp);

}  // namespace qvp::ui
