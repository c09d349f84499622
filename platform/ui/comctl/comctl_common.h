// What every common control shares: its state record in the control frame,
// the window its notifications go to, its font and text measuring, copying
// texts out to callers' buffers, and small painting helpers.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "qvplatform.h"
#include "ui/control_frame.h"

namespace qvp::ui::comctl {

using qvp::ui::Shielded;
using qvp::ui::WindowSlot;
using qvp::ui::SlotOf;

// The control frame with a record made empty and knowing its window.
template <class State, class Dispatch, class OnDestroy>
LRESULT RunCommonControl(WindowSlot<State>& table, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                         Dispatch&& dispatch, OnDestroy&& on_destroy) {
  auto make = [](HWND h, LPARAM) {
    auto s = std::make_shared<State>();
    s->self = h;
    return s;
  };
  return qvp::ui::RunControlProc(table, hwnd, msg, wp, lp, make, dispatch, on_destroy);
}

template <class State, class Dispatch>
LRESULT RunCommonControl(WindowSlot<State>& table, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                         Dispatch&& dispatch) {
  return RunCommonControl(table, hwnd, msg, wp, lp, dispatch, [](State&) {});
}

// What a control remembers of its creation: itself, the window it reports to
// (the parent it was created with) and its font.
struct ControlBase {
  HWND self = nullptr;
  HWND notify = nullptr;
  HFONT font = nullptr;  // null: the default GUI font
  bool redraw = true;    // WM_SETREDRAW

  // Records the window and its reporting window from WM_NCCREATE / WM_CREATE.
  void Attach(HWND hwnd, const CREATESTRUCTA* cs);
  UINT Id() const;
  DWORD Style() const;
  HFONT Font() const;

  // Sends WM_NOTIFY with `hdr` (the start of a larger record) filled with this
  // control and `code`; the answer, 0 when there is nobody to tell.
  LRESULT Notify(UINT code, NMHDR* hdr) const;
  LRESULT Notify(UINT code) const;
  // WM_COMMAND with a notification code, as the standard controls send it.
  void Command(WORD id, WORD code) const;

  // WM_SETFONT / WM_GETFONT handling shared by the controls.
  void SetFont(WPARAM wp, LPARAM lp);
  // Invalidates the whole control unless redrawing is off.
  void Repaint() const;
  void Repaint(const RECT& r) const;

  // The messages the controls treat alike: WM_CREATE records the window,
  // WM_SETFONT/WM_GETFONT keep the font, WM_SETREDRAW sets the control's own
  // flag (the window stays visible meanwhile), WM_ERASEBKGND leaves the
  // background to the painting. Anything else goes to DefWindowProcA.
  LRESULT Common(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};

// Text measured in a font (null: the default GUI font).
SIZE TextSize(HFONT font, std::string_view text);
int TextWidth(HFONT font, std::string_view text);
// The cell height of the font (tmHeight).
int LineHeight(HFONT font);
int AveCharWidth(HFONT font);

// Copies `text` to a caller's buffer of `size` characters, cut to fit and
// always terminated; the number of characters copied (0 when there is no room).
int CopyOut(std::string_view text, LPSTR buffer, int size);
// A caller's text, or empty for null.
std::string TextIn(LPCSTR text);

// Case-insensitive comparison in the ANSI code page, as the controls sort and find.
int CompareNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

POINT PointOf(LPARAM lp);
bool Inside(const RECT& r, POINT p);
bool ShiftDown();
bool CtrlDown();
bool AltDown();

// An index kept on the same item when the item at `erased` goes: -1 when it
// was that item, one less when the item came after it.
void FollowErase(int& index, int erased);

// Painting helpers through the layer's GDI.
void FillSolid(HDC hdc, const RECT& r, COLORREF color);
// Draws text in a rectangle (single line, clipped, vertically centred) in the
// DC's current colours; `format` adds DT_* alignment.
void DrawLabel(HDC hdc, std::string_view text, RECT r, UINT format);
// A COLORREF that may be CLR_DEFAULT resolved to a system colour.
COLORREF Resolve(COLORREF color, int sys_default);

// A bar's place (the CCS_ styles): as wide as its parent, `height` high, along
// the parent's top or bottom edge (`default_edge`, CCS_TOP or CCS_BOTTOM, when
// the style names neither); CCS_NOPARENTALIGN only sizes it, CCS_NORESIZE leaves it.
void PlaceAlongParent(HWND self, DWORD style, int height, DWORD default_edge);

// Registers every common control class (once per process; later calls return at once).
void RegisterClasses();

}  // namespace qvp::ui::comctl
