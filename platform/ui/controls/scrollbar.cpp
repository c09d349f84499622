// Scroll bars: the standard bars of any window (SB_HORZ, SB_VERT) and the
// "ScrollBar" control (SB_CTL). A bar keeps a range, a page and a position;
// the position stays within [min, max - page + 1]. A window's bar shows when
// its range gives something to scroll and hides otherwise (or turns disabled
// with SIF_DISABLENOSCROLL). A user's click on a scroll bar control asks its
// parent to scroll (WM_HSCROLL / WM_VSCROLL); the bar itself moves only when
// the parent sets its position.
#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

#include "ui/controls/control_classes.h"
#include "ui/controls/control_common.h"
#include "ui/controls/control_paint.h"

namespace qvp::ui {
namespace {

struct Bar {
  int min = 0;
  int max = 0;
  UINT page = 0;
  int pos = 0;
  int track = 0;
  bool enabled = true;
};

struct Bars {
  std::mutex lock;
  std::map<std::pair<HWND, int>, Bar> map;
  size_t since_sweep = 0;
};

Bars& AllBars() {
  static auto* b = new Bars;
  return *b;
}

bool IsControl(HWND hwnd) {
  char name[16] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  return lstrcmpiA(name, WC_SCROLLBARA) == 0;
}

DWORD StyleBit(int bar) { return bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL; }

// The bar's current values, or false when the window has no such bar.
bool Load(HWND hwnd, int bar, Bar* out) {
  if (!IsWindow(hwnd) || bar < SB_HORZ || bar > SB_CTL || (bar == SB_CTL && !IsControl(hwnd))) return false;
  Bars& b = AllBars();
  {
    std::lock_guard<std::mutex> g(b.lock);
    auto it = b.map.find({hwnd, bar});
    if (it != b.map.end()) {
      *out = it->second;
      return true;
    }
  }
  if (bar == SB_CTL) {
    *out = Bar{};
    return true;
  }
  if (!(StyleOf(hwnd) & StyleBit(bar))) return false;
  *out = Bar{};
  out->max = 100;  // a window's bar starts with the range 0..100
  return true;
}

void Store(HWND hwnd, int bar, const Bar& value) {
  Bars& b = AllBars();
  std::lock_guard<std::mutex> g(b.lock);
  b.map[{hwnd, bar}] = value;
  // Bars of windows that are gone are dropped now and then.
  if (++b.since_sweep >= 64) {
    b.since_sweep = 0;
    std::erase_if(b.map, [](const auto& e) { return !IsWindow(e.first.first); });
  }
}

void Forget(HWND hwnd) {
  Bars& b = AllBars();
  std::lock_guard<std::mutex> g(b.lock);
  std::erase_if(b.map, [hwnd](const auto& e) { return e.first.first == hwnd; });
}

void Clamp(Bar& v) {
  if (v.max < v.min) v.max = v.min;
  const auto span = static_cast<UINT>(v.max - v.min + 1);
  v.page = std::min(v.page, span);
  const int last = v.max - std::max(static_cast<int>(v.page) - 1, 0);
  v.pos = std::clamp(v.pos, v.min, std::max(v.min, last));
}

bool Needed(const Bar& v) { return v.max - v.min - std::max(static_cast<int>(v.page) - 1, 0) > 0; }

// Shows or hides a window's bar (the frame changes with it).
void ShowBar(HWND hwnd, int bar, bool show) {
  if (bar == SB_CTL) return;
  const DWORD bit = StyleBit(bar);
  if (((StyleOf(hwnd) & bit) != 0) == show) return;
  SetStyleBits(hwnd, bit, show ? bit : 0);
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Redraw(HWND hwnd, int bar, BOOL redraw) {
  if (!redraw) return;
  if (bar == SB_CTL)
    InvalidateRect(hwnd, nullptr, TRUE);
  else
    RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

int Apply(HWND hwnd, int bar, const SCROLLINFO& si, BOOL redraw) {
  Bar v;
  if (!Load(hwnd, bar, &v)) {
    // Setting a range or page on a window gives it the bar.
    if (bar == SB_CTL || !IsWindow(hwnd) || !(si.fMask & (SIF_RANGE | SIF_PAGE))) {
      SetLastError(ERROR_NO_SCROLLBARS);
      return 0;
    }
    v = Bar{};
    v.max = 100;
  }
  if (si.fMask & SIF_RANGE) {
    v.min = si.nMin;
    v.max = si.nMax;
  }
  if (si.fMask & SIF_PAGE) v.page = si.nPage;
  if (si.fMask & SIF_POS) v.pos = si.nPos;
  Clamp(v);
  if (si.fMask & (SIF_RANGE | SIF_PAGE)) {
    const bool needed = Needed(v);
    if (si.fMask & SIF_DISABLENOSCROLL) {
      v.enabled = needed;
      ShowBar(hwnd, bar, true);
    } else {
      v.enabled = true;
      ShowBar(hwnd, bar, needed);
    }
  }
  Store(hwnd, bar, v);
  Redraw(hwnd, bar, redraw);
  return v.pos;
}

BOOL Read(HWND hwnd, int bar, LPSCROLLINFO si) {
  Bar v;
  if (!si || !Load(hwnd, bar, &v)) {
    SetLastError(ERROR_NO_SCROLLBARS);
    return FALSE;
  }
  if (si->fMask & SIF_RANGE) {
    si->nMin = v.min;
    si->nMax = v.max;
  }
  if (si->fMask & SIF_PAGE) si->nPage = v.page;
  if (si->fMask & SIF_POS) si->nPos = v.pos;
  if (si->fMask & SIF_TRACKPOS) si->nTrackPos = v.track;
  return TRUE;
}

// ---- The control ----

bool Vertical(HWND hwnd) { return (StyleOf(hwnd) & SBS_VERT) != 0; }
bool IsGrip(HWND hwnd) { return (StyleOf(hwnd) & (SBS_SIZEBOX | SBS_SIZEGRIP)) != 0; }

// Where the parts of a scroll bar control lie.
struct Parts {
  RECT back, forward, thumb, trough;
};

Parts PartsOf(HWND hwnd) {
  const RECT c = ClientRectOf(hwnd);
  const bool vert = Vertical(hwnd);
  const int length = vert ? c.bottom : c.right;
  const int breadth = vert ? c.right : c.bottom;
  const int arrow = std::min(vert ? GetSystemMetrics(SM_CYVSCROLL) : GetSystemMetrics(SM_CXHSCROLL), length / 2);
  Bar v;
  Load(hwnd, SB_CTL, &v);
  const int trough = std::max(0, length - 2 * arrow);
  const int span = std::max(1, v.max - v.min + 1);
  const int thumb_len = std::min(trough, v.page ? std::max(arrow / 2, trough * static_cast<int>(v.page) / span) : arrow);
  const int room = std::max(1, span - std::max(static_cast<int>(v.page) - 1, 0) - 1);
  const int thumb_at = arrow + (trough - thumb_len) * (v.pos - v.min) / room;
  auto span_rect = [&](int from, int to) {
    return vert ? RECT{0, from, breadth, to} : RECT{from, 0, to, breadth};
  };
  return Parts{span_rect(0, arrow), span_rect(length - arrow, length), span_rect(thumb_at, thumb_at + thumb_len),
               span_rect(arrow, length - arrow)};
}

// The code a click at p asks for: a line or a page towards either end, or the thumb (-1).
int HitCode(HWND hwnd, POINT p) {
  const Parts parts = PartsOf(hwnd);
  if (Inside(parts.back, p)) return SB_LINEUP;
  if (Inside(parts.forward, p)) return SB_LINEDOWN;
  const bool vert = Vertical(hwnd);
  const int at = vert ? p.y : p.x;
  if (at < (vert ? parts.thumb.top : parts.thumb.left)) return SB_PAGEUP;
  if (at >= (vert ? parts.thumb.bottom : parts.thumb.right)) return SB_PAGEDOWN;
  return -1;
}

void Paint(HWND hwnd, HDC hdc) {
  const RECT client = ClientRectOf(hwnd);
  HBRUSH back = PrepareColours(hwnd, hdc, WM_CTLCOLORSCROLLBAR);
  if (IsGrip(hwnd)) {
    FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (StyleOf(hwnd) & SBS_SIZEGRIP) {
      // Three diagonal ridges in the corner.
      HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
      HGDIOBJ old = SelectObject(hdc, pen);
      for (int k = 3; k <= 11; k += 4) {
        MoveToEx(hdc, client.right - k, client.bottom - 1, nullptr);
        LineTo(hdc, client.right - 1, client.bottom - k);
      }
      SelectObject(hdc, old);
      DeleteObject(pen);
    }
    return;
  }
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  const Parts parts = PartsOf(hwnd);
  FillRect(hdc, &parts.trough, back);
  const bool vert = Vertical(hwnd);
  for (const RECT* r : {&parts.back, &parts.forward}) {
    RECT face = *r;
    FillRect(hdc, &face, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(hdc, &face, EDGE_RAISED, BF_RECT);
    const bool first = r == &parts.back;
    DrawArrow(hdc, *r, vert ? (first ? Arrow::kUp : Arrow::kDown) : (first ? Arrow::kLeft : Arrow::kRight), enabled);
  }
  Bar v;
  if (enabled && Load(hwnd, SB_CTL, &v) && Needed(v)) {
    RECT thumb = parts.thumb;
    FillRect(hdc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(hdc, &thumb, EDGE_RAISED, BF_RECT);
  }
}

void AskParent(HWND hwnd, int code, int pos = 0) {
  HWND parent = ParentOf(hwnd);
  if (!parent) return;
  SendMessageA(parent, Vertical(hwnd) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(pos)),
               reinterpret_cast<LPARAM>(hwnd));
}

struct Press {
  bool tracking = false;
  bool thumb = false;
};

WindowSlot<Press>& Presses() { return SlotOf<Press>(); }

LRESULT ScrollBarProc(Press& state, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Press* press = &state;
  Bar v;
  switch (msg) {
    case WM_NCHITTEST:
      // A size grip sizes its parent's corner.
      return IsGrip(hwnd) ? HTBOTTOMRIGHT : DefWindowProcA(hwnd, msg, wp, lp);
    case WM_LBUTTONDOWN: {
      if (IsGrip(hwnd)) return 0;
      const int code = HitCode(hwnd, PointOf(lp));
      press->tracking = true;
      press->thumb = code < 0;
      SetCapture(hwnd);
      if (code >= 0) AskParent(hwnd, code);
      return 0;
    }
    case WM_LBUTTONUP:
      if (!press->tracking) return 0;
      press->tracking = false;
      if (GetCapture() == hwnd) ReleaseCapture();
      if (press->thumb && Load(hwnd, SB_CTL, &v)) AskParent(hwnd, SB_THUMBPOSITION, v.pos);
      AskParent(hwnd, SB_ENDSCROLL);
      return 0;
    case WM_KEYDOWN: {
      int code = -1;
      switch (wp) {
        case VK_UP: case VK_LEFT: code = SB_LINEUP; break;
        case VK_DOWN: case VK_RIGHT: code = SB_LINEDOWN; break;
        case VK_PRIOR: code = SB_PAGEUP; break;
        case VK_NEXT: code = SB_PAGEDOWN; break;
        case VK_HOME: code = SB_TOP; break;
        case VK_END: code = SB_BOTTOM; break;
        default: break;
      }
      if (code >= 0 && !IsGrip(hwnd)) {
        AskParent(hwnd, code);
        AskParent(hwnd, SB_ENDSCROLL);
      }
      return 0;
    }
    case WM_GETDLGCODE:
      return IsGrip(hwnd) ? 0 : DLGC_WANTARROWS;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case SBM_SETPOS: {
      if (!Load(hwnd, SB_CTL, &v)) return 0;
      const int old = v.pos;
      SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, static_cast<int>(wp), 0};
      Apply(hwnd, SB_CTL, si, static_cast<BOOL>(lp));
      return old;
    }
    case SBM_GETPOS:
      return Load(hwnd, SB_CTL, &v) ? v.pos : 0;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      if (!Load(hwnd, SB_CTL, &v)) return 0;
      const int old = v.pos;
      SCROLLINFO si{sizeof(si), SIF_RANGE, static_cast<int>(wp), static_cast<int>(lp), 0, 0, 0};
      Apply(hwnd, SB_CTL, si, msg == SBM_SETRANGEREDRAW);
      return old;
    }
    case SBM_GETRANGE:
      if (!Load(hwnd, SB_CTL, &v)) return 0;
      if (auto* p = reinterpret_cast<LPINT>(wp)) *p = v.min;
      if (auto* p = reinterpret_cast<LPINT>(lp)) *p = v.max;
      return 0;
    case SBM_SETSCROLLINFO: {
      auto* si = reinterpret_cast<LPCSCROLLINFO>(lp);
      return si ? Apply(hwnd, SB_CTL, *si, static_cast<BOOL>(wp)) : 0;
    }
    case SBM_GETSCROLLINFO:
      return Read(hwnd, SB_CTL, reinterpret_cast<LPSCROLLINFO>(lp));
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) { Paint(hwnd, hdc); });
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

LRESULT CALLBACK ScrollBarWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  // The bar's own values are forgotten once the record is gone.
  LRESULT r = RunControlProc(Presses(), hwnd, msg, wp, lp, NewRecord<Press>, ScrollBarProc);
  if (msg == WM_NCDESTROY) Forget(hwnd);
  return r;
}

}  // namespace qvp::ui

using namespace qvp::ui;

int WINAPI SetScrollInfo(HWND hwnd, int nBar, LPCSCROLLINFO lpsi, BOOL redraw) {
  if (!lpsi) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Apply(hwnd, nBar, *lpsi, redraw);
}

BOOL WINAPI GetScrollInfo(HWND hwnd, int nBar, LPSCROLLINFO lpsi) { return Read(hwnd, nBar, lpsi); }

int WINAPI SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw) {
  Bar v;
  if (!Load(hWnd, nBar, &v)) {
    SetLastError(ERROR_NO_SCROLLBARS);
    return 0;
  }
  SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, nPos, 0};
  Apply(hWnd, nBar, si, bRedraw);
  return v.pos;
}

int WINAPI GetScrollPos(HWND hWnd, int nBar) {
  Bar v;
  if (!Load(hWnd, nBar, &v)) {
    SetLastError(ERROR_NO_SCROLLBARS);
    return 0;
  }
  return v.pos;
}

BOOL WINAPI SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
  if (static_cast<long long>(nMaxPos) - nMinPos > 0x7FFFFFFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SCROLLINFO si{sizeof(si), SIF_RANGE, nMinPos, nMaxPos, 0, 0, 0};
  if (!IsWindow(hWnd) || (nBar == SB_CTL && !IsControl(hWnd))) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  Apply(hWnd, nBar, si, bRedraw);
  return TRUE;
}

BOOL WINAPI GetScrollRange(HWND hWnd, int nBar, LPINT lpMinPos, LPINT lpMaxPos) {
  Bar v;
  const bool ok = Load(hWnd, nBar, &v);
  if (lpMinPos) *lpMinPos = ok ? v.min : 0;
  if (lpMaxPos) *lpMaxPos = ok ? v.max : 0;
  if (!ok) SetLastError(ERROR_NO_SCROLLBARS);
  return ok ? TRUE : FALSE;
}
