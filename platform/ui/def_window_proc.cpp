// DefWindowProcA: what Windows does with a message the window procedure leaves
// to it; CallWindowProcA.
#include <algorithm>
#include <cstring>
#include <optional>

#include "qvplatform.h"
#include "ui/last_error.h"
#include "ui/menus/menu_hooks.h"
#include "ui/nonclient.h"
#include "ui/queue.h"
#include "ui/window_dc.h"
#include "ui/window_ops.h"

namespace qvp::ui {
namespace {

struct Snapshot {
  bool valid = false;
  DWORD style = 0;
  DWORD ex_style = 0;
  bool menu = false;
  HWND parent = nullptr;  // of a child window
  HWND root = nullptr;
  HWND owner = nullptr;
  HBRUSH background = nullptr;
  RECT window_screen{};
  RECT client_screen{};
  RECT client{};
};

Snapshot Take(HWND hwnd) {
  Snapshot s;
  WindowSystem& sys = Sys();
  Lock g(sys.lock);
  Window* w = FindLocked(hwnd);
  if (!w || w->is_root) return s;
  s.valid = true;
  s.style = w->style;
  s.ex_style = w->ex_style;
  s.menu = HasMenuBar(w);
  if ((w->style & WS_CHILD) && w->parent && !w->parent->is_root) s.parent = w->parent->handle;
  s.root = RootOf(w)->handle;
  s.owner = w->owner;
  s.background = w->cls ? w->cls->background : nullptr;
  POINT po = w->parent ? ClientOriginOnScreen(w->parent) : POINT{0, 0};
  s.window_screen = RECT{w->window_rect.left + po.x, w->window_rect.top + po.y, w->window_rect.right + po.x,
                         w->window_rect.bottom + po.y};
  s.client_screen = RECT{w->client_rect.left + po.x, w->client_rect.top + po.y, w->client_rect.right + po.x,
                         w->client_rect.bottom + po.y};
  s.client = RECT{0, 0, w->client_rect.right - w->client_rect.left, w->client_rect.bottom - w->client_rect.top};
  return s;
}

bool Inside(const RECT& r, LONG x, LONG y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

LRESULT HitTest(const Snapshot& s, LPARAM lp) {
  LONG x = static_cast<SHORT>(LOWORD(lp));
  LONG y = static_cast<SHORT>(HIWORD(lp));
  if (!Inside(s.window_screen, x, y)) return HTNOWHERE;
  if (Inside(s.client_screen, x, y)) return HTCLIENT;
  if ((s.style & WS_CAPTION) == WS_CAPTION && y < s.client_screen.top && x >= s.client_screen.left &&
      x < s.client_screen.right) {
    Insets frame = FrameOf(s.style, s.ex_style, false);
    if (y >= s.window_screen.top + frame.left) {
      LONG caption_bottom = s.window_screen.top + frame.top - (s.menu ? GetSystemMetrics(SM_CYMENU) : 0);
      return y < caption_bottom ? RefineHit(s.style, s.ex_style, s.window_screen, POINT{x, y}, HTCAPTION) : HTMENU;
    }
  }
  return RefineHit(s.style, s.ex_style, s.window_screen, POINT{x, y}, HTBORDER);
}

void ClampToTracking(HWND hwnd, const Snapshot& s, WINDOWPOS* pos) {
  if (!pos || (pos->flags & SWP_NOSIZE) || (s.style & WS_MINIMIZE)) return;
  if (!((s.style & WS_THICKFRAME) || !(s.style & (WS_POPUP | WS_CHILD)))) return;
  MINMAXINFO mm{};
  Insets frame = FrameOf(s.style, s.ex_style, false);
  mm.ptMaxSize = POINT{GetSystemMetrics(SM_CXSCREEN) + 2 * frame.left, GetSystemMetrics(SM_CYSCREEN) + 2 * frame.left};
  mm.ptMaxPosition = POINT{-frame.left, -frame.left};
  mm.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  mm.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  Send(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mm));
  if (s.style & WS_MAXIMIZE) return;  // a maximized window takes the maximized size
  pos->cx = std::clamp<int>(pos->cx, mm.ptMinTrackSize.x, std::max(mm.ptMinTrackSize.x, mm.ptMaxTrackSize.x));
  pos->cy = std::clamp<int>(pos->cy, mm.ptMinTrackSize.y, std::max(mm.ptMinTrackSize.y, mm.ptMaxTrackSize.y));
}

LRESULT SetText(HWND hwnd, LPCSTR text) {
  WindowSystem& sys = Sys();
  Lock g(sys.lock);
  Window* w = FindLocked(hwnd);
  if (!w) return FALSE;
  w->text = text ? text : "";
  return TRUE;
}

// The window's text, set first from the name it is created with.
std::optional<LRESULT> DefText(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
      if (cs && cs->lpszName && !IsIntAtom(cs->lpszName)) SetText(hwnd, cs->lpszName);
      return TRUE;
    }
    case WM_SETTEXT: {
      LRESULT set = SetText(hwnd, reinterpret_cast<LPCSTR>(lp));
      TitleChanged(hwnd);
      return set;
    }
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<LPSTR>(lp);
      if (!buf || wp == 0) return 0;
      WindowSystem& sys = Sys();
      Lock g(sys.lock);
      Window* w = FindLocked(hwnd);
      if (!w) return 0;
      size_t n = std::min(w->text.size(), static_cast<size_t>(wp - 1));
      std::memcpy(buf, w->text.data(), n);
      buf[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
      WindowSystem& sys = Sys();
      Lock g(sys.lock);
      Window* w = FindLocked(hwnd);
      return w ? static_cast<LRESULT>(w->text.size()) : 0;
    }
    default:
      return std::nullopt;
  }
}

// The frame around the client area: its size, hit areas, painting and clicks.
std::optional<LRESULT> DefNonClient(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCALCSIZE: {
      Snapshot s = Take(hwnd);
      RECT* r = wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0] : reinterpret_cast<RECT*>(lp);
      if (!r || !s.valid) return 0;
      if (s.style & WS_MINIMIZE)
        *r = RECT{r->left, r->top, r->left, r->top};
      else
        *r = ClientFromWindowRect(*r, s.style, s.ex_style, s.menu);
      return 0;
    }
    case WM_NCHITTEST: {
      Snapshot s = Take(hwnd);
      return s.valid ? HitTest(s, lp) : HTNOWHERE;
    }
    case WM_NCACTIVATE:
      PaintNonClient(hwnd, wp ? 1 : 0);
      NoteWindowChanged(hwnd);
      return TRUE;
    case WM_NCPAINT:
      PaintNonClient(hwnd, -1);
      return 0;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
      return NonClientButton(hwnd, msg, wp, lp);
    default:
      return std::nullopt;
  }
}

// The window menu's commands, and Alt+F4 that asks for its Close.
std::optional<LRESULT> DefSystemCommand(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      switch (wp & 0xFFF0) {
        case SC_CLOSE: Send(hwnd, WM_CLOSE, 0, 0); break;
        case SC_KEYMENU:
        case SC_MOUSEMENU: return EnterMenuBar(hwnd, wp, lp);
        case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); break;
        case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); break;
        case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); break;
        case SC_MOVE: BeginUserMove(hwnd, 0); break;
        case SC_SIZE: BeginUserMove(hwnd, static_cast<UINT>(wp & 0x0F)); break;
        default: break;
      }
      return 0;
    case WM_SYSKEYDOWN:
      if (wp == VK_F4 && (lp & (1L << 29))) {
        Snapshot s = Take(hwnd);
        if (s.valid) Send(s.root, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    default:
      return std::nullopt;
  }
}

// Painting the client area and whether it is painted at all.
std::optional<LRESULT> DefPainting(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_ERASEBKGND: {
      Snapshot s = Take(hwnd);
      if (!s.valid || !s.background) return 0;
      FillBackground(reinterpret_cast<HDC>(wp), s.client, s.background);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETREDRAW: {
      // Turning redraw off hides the window from painting without telling anybody.
      WindowSystem& sys = Sys();
      Lock g(sys.lock);
      Window* w = FindLocked(hwnd);
      if (w) w->style = wp ? (w->style | WS_VISIBLE) : (w->style & ~WS_VISIBLE);
      return 0;
    }
    default:
      return std::nullopt;
  }
}

// A move or a size: the tracking limits before, WM_MOVE and WM_SIZE after.
std::optional<LRESULT> DefPosition(HWND hwnd, UINT msg, WPARAM, LPARAM lp) {
  if (msg != WM_WINDOWPOSCHANGING && msg != WM_WINDOWPOSCHANGED) return std::nullopt;
  Snapshot s = Take(hwnd);
  if (msg == WM_WINDOWPOSCHANGING) {
    if (s.valid) ClampToTracking(hwnd, s, reinterpret_cast<WINDOWPOS*>(lp));
    return 0;
  }
  auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
  if (!pos || !s.valid) return 0;
  if (!(pos->flags & SWP_NOMOVE) || (pos->flags & SWP_FRAMECHANGED)) {
    POINT o{s.client_screen.left, s.client_screen.top};
    if (s.parent) ScreenToClient(s.parent, &o);
    Send(hwnd, WM_MOVE, 0, MAKELPARAM(o.x, o.y));
  }
  if (!(pos->flags & SWP_NOSIZE) || (pos->flags & SWP_FRAMECHANGED)) {
    WPARAM kind = (s.style & WS_MINIMIZE) ? SIZE_MINIMIZED : (s.style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED;
    Send(hwnd, WM_SIZE, kind, MAKELPARAM(s.client.right, s.client.bottom));
  }
  return 0;
}

// Activation, focus and capture.
std::optional<LRESULT> DefActivation(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && !IsIconic(hwnd)) SetFocus(hwnd);
      return 0;
    case WM_CANCELMODE:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    default:
      return std::nullopt;
  }
}

// Messages a child passes up to its parent (a help request also to an owner),
// answering for itself only when nobody above does.
std::optional<LRESULT> DefPassUp(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_MOUSEACTIVATE && msg != WM_SETCURSOR && msg != WM_HELP && msg != WM_CONTEXTMENU &&
      msg != WM_MOUSEWHEEL)
    return std::nullopt;
  Snapshot s = Take(hwnd);
  switch (msg) {
    case WM_MOUSEACTIVATE:
      if (s.parent) {
        LRESULT r = Send(s.parent, msg, wp, lp);
        if (r) return r;
      }
      return MA_ACTIVATE;
    case WM_SETCURSOR:
      if (s.parent && Send(s.parent, msg, wp, lp)) return TRUE;
      return FALSE;
    case WM_HELP: {
      HWND up = s.parent ? s.parent : s.owner;
      return up ? Send(up, msg, wp, lp) : 0;
    }
    default:  // WM_CONTEXTMENU, WM_MOUSEWHEEL
      return s.parent ? Send(s.parent, msg, wp, lp) : 0;
  }
}

std::optional<LRESULT> DefIcon(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_GETICON && msg != WM_SETICON) return std::nullopt;
  HICON old = nullptr;
  bool changed = false;
  {
    WindowSystem& sys = Sys();
    Lock g(sys.lock);
    Window* w = FindLocked(hwnd);
    if (!w) return 0;
    HICON& slot = wp == ICON_BIG ? w->icon_big : w->icon_small;
    old = slot;
    if (msg == WM_SETICON) slot = reinterpret_cast<HICON>(lp);
    changed = slot != old;
  }
  if (changed) NoteWindowChanged(hwnd);  // the display shows the new icon
  return reinterpret_cast<LRESULT>(old);
}

// Controls paint in the system colours unless their parent says otherwise.
std::optional<LRESULT> DefControlColour(HWND, UINT msg, WPARAM wp, LPARAM) {
  if (msg < WM_CTLCOLORMSGBOX || msg > WM_CTLCOLORSTATIC) return std::nullopt;
  if (msg == WM_CTLCOLORSCROLLBAR) return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_SCROLLBAR));
  int back = (msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX) ? COLOR_WINDOW : COLOR_3DFACE;
  auto dc = reinterpret_cast<HDC>(wp);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(back));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(back));
}

// Questions with a fixed answer.
std::optional<LRESULT> DefFixedAnswer(HWND, UINT msg, WPARAM, LPARAM lp) {
  switch (msg) {
    case WM_QUERYENDSESSION:
    case WM_QUERYOPEN:
      return TRUE;
    case WM_NOTIFYFORMAT:
      return lp == NF_QUERY ? NFR_ANSI : 0;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
      return -1;
    default:
      return std::nullopt;
  }
}

// Registered messages may belong to whatever shows the windows.
LRESULT DefRegistered(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (msg >= 0xC000 && msg <= 0xFFFF && ShowMessage(hwnd, msg, wp, lp, &result)) return result;
  return 0;
}

}  // namespace
}  // namespace qvp::ui

using namespace qvp::ui;

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return CallProc(lpPrevWndFunc, hWnd, Msg, wParam, lParam);
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  // Each group answers the messages it handles and passes on the rest.
  using Group = std::optional<LRESULT> (*)(HWND, UINT, WPARAM, LPARAM);
  static constexpr Group kGroups[] = {DefText,     DefNonClient, DefSystemCommand, DefPainting,      DefPosition,
                                      DefActivation, DefPassUp,  DefIcon,          DefControlColour, DefFixedAnswer};
  for (Group group : kGroups)
    if (std::optional<LRESULT> answer = group(hWnd, Msg, wParam, lParam)) return *answer;
  return DefRegistered(hWnd, Msg, wParam, lParam);
}
