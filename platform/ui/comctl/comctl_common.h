// What every common control shares: its state record found by window handle,
// the window its notifications go to, its font and text measuring, copying
// texts out to callers' buffers, and small painting helpers.
#pragma once

#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "qvplatform.h"

namespace qvp::ui::comctl {

// The state records of one control class, one per window, made at WM_NCCREATE
// and dropped at WM_NCDESTROY. A procedure holds its record while it runs, so a
// notification that destroys the window does not pull the record away.
template <class State>
class StateTable {
 public:
  std::shared_ptr<State> Make(HWND hwnd) {
    auto s = std::make_shared<State>();
    std::lock_guard<std::mutex> g(lock_);
    map_[hwnd] = s;
    return s;
  }
  std::shared_ptr<State> Get(HWND hwnd) {
    std::lock_guard<std::mutex> g(lock_);
    auto it = map_.find(hwnd);
    return it == map_.end() ? nullptr : it->second;
  }
  void Drop(HWND hwnd) {
    std::shared_ptr<State> keep;  // released after the lock
    std::lock_guard<std::mutex> g(lock_);
    auto it = map_.find(hwnd);
    if (it == map_.end()) return;
    keep = std::move(it->second);
    map_.erase(it);
  }

 private:
  std::mutex lock_;
  std::unordered_map<HWND, std::shared_ptr<State>> map_;
};

// Runs `f`, turning a failure to allocate (or any other exception) into the
// given failure result and ERROR_NOT_ENOUGH_MEMORY, so that nothing thrown
// leaves a window procedure or an exported function.
template <class R, class F>
R Shielded(R failure, F&& f) noexcept {
  try {
    return f();
  } catch (const std::exception&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return failure;
  }
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

// Painting helpers through the layer's GDI.
void FillSolid(HDC hdc, const RECT& r, COLORREF color);
// Draws text in a rectangle (single line, clipped, vertically centred) in the
// DC's current colours; `format` adds DT_* alignment.
void DrawLabel(HDC hdc, std::string_view text, RECT r, UINT format);
// A COLORREF that may be CLR_DEFAULT resolved to a system colour.
COLORREF Resolve(COLORREF color, int sys_default);

// Registers every common control class (once per process; later calls return at once).
void RegisterClasses();

}  // namespace qvp::ui::comctl
