// The non-client area of windows: borders, caption with its title and buttons,
// the menu bar, 3-D client edges and the window's scroll bars, painted on the
// window's frame surface in the classic look. Painting only happens while
// raster output is on (qvplatform/display.h), since it is only ever for
// showing: headless, the window system sends no WM_NCPAINT and draws nothing.
//
// Also the points where something that shows the windows (the display) learns
// what changed and takes part in DefWindowProc.
#pragma once

#include <string>
#include <vector>

#include "qvplatform/ui.h"

namespace qvp::ui {

// ---- Painting ----
// True when BeginPaint should send WM_NCPAINT first: raster output is on and
// the window has a non-client area.
bool WantsNonClientPaint(HWND hwnd);
// DefWindowProc's WM_NCPAINT (active -1: as the window system has it) and
// WM_NCACTIVATE (active 0 or 1).
void PaintNonClient(HWND hwnd, int active);
// DefWindowProc's WM_SETTEXT after the text changed: the caption shows it.
void TitleChanged(HWND hwnd);

// ---- The menu bar ----
struct MenuBarItem {
  int pos = 0;   // position in the bar's menu
  RECT rect{};   // window coordinates in LayoutMenuBar, screen coordinates in MenuBarItems
  UINT state = 0;
  std::string text;
};
// The items of the window's menu bar as it draws them, in screen coordinates;
// empty when the window has no menu bar.
std::vector<MenuBarItem> MenuBarItems(HWND hwnd);
// Shows bar item `pos` pressed while its menu is open (-1: none) and repaints the bar.
void SetHotBarItem(HWND hwnd, int pos);

// ---- Caption buttons and mouse ----
// What DefWindowProc's hit test found (`hit`) made precise: the caption
// buttons (HTCLOSE, HTMAXBUTTON, HTMINBUTTON, HTHELP) on the caption, the edges
// and corners (HTLEFT ... HTBOTTOMRIGHT) on a sizing border.
LRESULT RefineHit(DWORD style, DWORD ex_style, const RECT& window_screen, POINT pt, LRESULT hit);
// DefWindowProc's WM_NCLBUTTONDOWN / WM_NCLBUTTONUP: caption buttons press on
// the button going down and act when it comes up over the same button; the
// caption starts a move, a sizing border a resize; the menu bar is entered.
LRESULT NonClientButton(HWND hwnd, UINT msg, WPARAM hit, LPARAM lp);

// ---- What shows the windows hooks in here ----
struct ShowHooks {
  // Something a viewer of the window may see changed: shown, hidden, moved,
  // sized, restacked, retitled, activated or destroyed. May be called with the
  // window lock held: it must only take note.
  void (*changed)(HWND hwnd) = nullptr;
  // The window was just shown by SetWindowPos on the calling thread (no lock held).
  void (*shown)(HWND hwnd) = nullptr;
  // The user starts dragging the window by its caption (WM_SYSCOMMAND SC_MOVE,
  // `edge` 0) or one of its sizing edges (SC_SIZE, `edge` WMSZ_LEFT .. WMSZ_BOTTOMRIGHT).
  void (*begin_move)(HWND hwnd, UINT edge) = nullptr;
  // A registered message DefWindowProc does not know; true when it was the hook's.
  bool (*message)(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) = nullptr;
};
// Installs the hooks; returns those they replace.
ShowHooks SetShowHooks(const ShowHooks& hooks);

// Calls from the window system into the hooks.
void NoteWindowChanged(HWND hwnd);
void NoteWindowPos(HWND hwnd, UINT swp_flags);  // after SetWindowPos's WM_WINDOWPOSCHANGED
void BeginUserMove(HWND hwnd, UINT edge);
bool ShowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

}  // namespace qvp::ui
