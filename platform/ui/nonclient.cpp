// Non-client painting in the classic look and the hooks of whatever shows the
// windows.
#include "ui/nonclient.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "qvplatform.h"
#include "qvplatform/display.h"
#include "qvplatform/ui_menus.h"
#include "ui/controls/control_paint.h"
#include "ui/queue.h"
#include "ui/window_state.h"

namespace qvp::ui {
namespace {

// ---- Hooks ----

std::atomic<void (*)(HWND)> g_changed{nullptr};
std::atomic<void (*)(HWND)> g_shown{nullptr};
std::atomic<void (*)(HWND, UINT)> g_begin_move{nullptr};
std::atomic<bool (*)(HWND, UINT, WPARAM, LPARAM, LRESULT*)> g_message{nullptr};

// ---- What painting needs to know of a window ----

struct FrameInfo {
  bool valid = false;
  DWORD style = 0;
  DWORD ex_style = 0;
  SIZE size{};   // of the whole window
  RECT client{};  // in window coordinates
  std::string text;
  HMENU menu = nullptr;
  bool active = false;
  bool visible = false;
  HICON icon = nullptr;
};

FrameInfo Read(HWND hwnd) {
  FrameInfo f;
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = FindLocked(hwnd);
  if (!w || w->is_root) return f;
  f.valid = true;
  f.style = w->style;
  f.ex_style = w->ex_style;
  f.size = SIZE{w->window_rect.right - w->window_rect.left, w->window_rect.bottom - w->window_rect.top};
  f.client = RECT{w->client_rect.left - w->window_rect.left, w->client_rect.top - w->window_rect.top,
                  w->client_rect.right - w->window_rect.left, w->client_rect.bottom - w->window_rect.top};
  f.text = w->text;
  if (HasMenuBar(w)) f.menu = reinterpret_cast<HMENU>(w->id);
  Window* root = RootOf(w);
  f.active = w->queue && root && w->queue->active == root->handle;
  f.visible = VisibleLocked(w);
  f.icon = w->icon_small ? w->icon_small : w->icon_big;
  if (!f.icon && w->cls) f.icon = w->cls->small_icon ? w->cls->small_icon : w->cls->icon;
  return f;
}

bool HasNonClient(const FrameInfo& f) {
  return f.client.left > 0 || f.client.top > 0 || f.client.right < f.size.cx || f.client.bottom < f.size.cy;
}

bool HasCaption(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION; }

// The outer border's width: the frame without the client edges.
int BorderWidth(DWORD style, DWORD ex_style) {
  return FrameOf(style, ex_style & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), false).left;
}

struct CaptionLayout {
  RECT bar{};  // the coloured caption bar, window coordinates
  RECT close{}, max{}, min{}, help{};
};

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

CaptionLayout LayoutCaption(DWORD style, DWORD ex_style, SIZE size) {
  CaptionLayout c;
  const int b = BorderWidth(style, ex_style);
  const bool tool = (ex_style & WS_EX_TOOLWINDOW) != 0;
  const int height = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
  c.bar = RECT{b, b, size.cx - b, b + height - 1};
  if (!(style & WS_SYSMENU)) return c;
  const int bh = height - 5, bw = bh + 2, top = c.bar.top + 2;
  c.close = RECT{c.bar.right - 2 - bw, top, c.bar.right - 2, top + bh};
  if (tool) return c;
  if (style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) {
    c.max = RECT{c.close.left - 2 - bw, top, c.close.left - 2, top + bh};
    c.min = RECT{c.max.left - bw, top, c.max.left, top + bh};
  } else if (ex_style & WS_EX_CONTEXTHELP) {
    c.help = RECT{c.close.left - 2 - bw, top, c.close.left - 2, top + bh};
  }
  return c;
}

// ---- Pressed caption buttons ----

std::mutex& PressLock() {
  static auto* m = new std::mutex;
  return *m;
}
std::map<HWND, WPARAM>& Pressed() {
  static auto* p = new std::map<HWND, WPARAM>;
  return *p;
}
WPARAM PressedButton(HWND hwnd) {
  std::lock_guard<std::mutex> g(PressLock());
  auto it = Pressed().find(hwnd);
  return it == Pressed().end() ? 0 : it->second;
}

// ---- The menu bar item shown pressed ----

std::map<HWND, int>& HotItems() {
  static auto* h = new std::map<HWND, int>;
  return *h;
}
int HotBarItem(HWND hwnd) {
  std::lock_guard<std::mutex> g(PressLock());
  auto it = HotItems().find(hwnd);
  return it == HotItems().end() ? -1 : it->second;
}

// ---- Drawing ----

HFONT CaptionFont(bool bold) {
  static HFONT fonts[2] = {
      CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif"),
      CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif")};
  return fonts[bold ? 1 : 0];
}

void Fill(HDC dc, RECT r, int sys_color) { FillRect(dc, &r, GetSysColorBrush(sys_color)); }

void Dot(HDC dc, int x, int y, COLORREF c) { SetPixel(dc, x, y, c); }

enum class Glyph { kClose, kMax, kRestore, kMin, kHelp };

void DrawGlyph(HDC dc, Glyph g, int x, int y, COLORREF c) {
  switch (g) {
    case Glyph::kClose:  // an X two pixels thick, 8 x 7
      for (int i = 0; i < 7; ++i) {
        Dot(dc, x + i, y + i, c);
        Dot(dc, x + i + 1, y + i, c);
        Dot(dc, x + 6 - i, y + i, c);
        Dot(dc, x + 7 - i, y + i, c);
      }
      break;
    case Glyph::kMin: {
      RECT bar{x, y + 5, x + 6, y + 7};
      HBRUSH b = CreateSolidBrush(c);
      FillRect(dc, &bar, b);
      DeleteObject(b);
      break;
    }
    case Glyph::kMax: {
      RECT box{x, y - 1, x + 9, y + 8};
      HBRUSH b = CreateSolidBrush(c);
      FrameRect(dc, &box, b);
      RECT top{x, y, x + 9, y + 1};
      FillRect(dc, &top, b);
      DeleteObject(b);
      break;
    }
    case Glyph::kRestore: {
      HBRUSH b = CreateSolidBrush(c);
      RECT back{x + 2, y - 1, x + 8, y + 4}, back_top{x + 2, y, x + 8, y + 1};
      RECT front{x, y + 2, x + 6, y + 7}, front_top{x, y + 3, x + 6, y + 4};
      FrameRect(dc, &back, b);
      FillRect(dc, &back_top, b);
      Fill(dc, RECT{front.left, front.top, front.right, front.bottom}, COLOR_BTNFACE);
      FrameRect(dc, &front, b);
      FillRect(dc, &front_top, b);
      DeleteObject(b);
      break;
    }
    case Glyph::kHelp: {
      HGDIOBJ old = SelectObject(dc, CaptionFont(true));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, c);
      RECT r{x - 2, y - 3, x + 10, y + 10};
      DrawTextA(dc, "?", 1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
      SelectObject(dc, old);
      break;
    }
  }
}

void DrawCaptionButton(HDC dc, RECT r, Glyph g, bool enabled, bool pushed) {
  if (Empty(r)) return;
  Fill(dc, r, COLOR_BTNFACE);
  RECT e = r;
  DrawEdge(dc, &e, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  const int w = r.right - r.left, h = r.bottom - r.top;
  int x = r.left + (w - 8) / 2 + (pushed ? 1 : 0), y = r.top + (h - 7) / 2 + (pushed ? 1 : 0);
  if (!enabled) DrawGlyph(dc, g, x + 1, y + 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  DrawGlyph(dc, g, x, y, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
}

void DrawCaption(HDC dc, const FrameInfo& f, bool active, WPARAM pressed) {
  CaptionLayout c = LayoutCaption(f.style, f.ex_style, f.size);
  Fill(dc, c.bar, active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
  Fill(dc, RECT{c.bar.left, c.bar.bottom, c.bar.right, c.bar.bottom + 1}, COLOR_BTNFACE);
  int text_left = c.bar.left + 2;
  const bool tool = (f.ex_style & WS_EX_TOOLWINDOW) != 0;
  if (f.icon && (f.style & WS_SYSMENU) && !(f.ex_style & WS_EX_DLGMODALFRAME) && !tool) {
    const int icon = GetSystemMetrics(SM_CXSMICON);
    DrawIconEx(dc, c.bar.left + 1, c.bar.top + (c.bar.bottom - c.bar.top - icon) / 2, f.icon, icon, icon, 0,
               nullptr, DI_NORMAL);
    text_left += icon + 1;
  }
  int text_right = c.bar.right - 2;
  for (const RECT* b : {&c.close, &c.max, &c.min, &c.help})
    if (!Empty(*b)) text_right = std::min<int>(text_right, b->left - 2);
  if (!f.text.empty() && text_right > text_left) {
    HGDIOBJ old = SelectObject(dc, CaptionFont(true));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    RECT t{text_left, c.bar.top, text_right, c.bar.bottom};
    DrawTextA(dc, f.text.c_str(), static_cast<int>(f.text.size()), &t,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
  }
  DrawCaptionButton(dc, c.close, Glyph::kClose, true, pressed == HTCLOSE);
  DrawCaptionButton(dc, c.max, (f.style & WS_MAXIMIZE) ? Glyph::kRestore : Glyph::kMax,
                    (f.style & WS_MAXIMIZEBOX) != 0, pressed == HTMAXBUTTON);
  DrawCaptionButton(dc, c.min, (f.style & WS_MINIMIZE) ? Glyph::kRestore : Glyph::kMin,
                    (f.style & WS_MINIMIZEBOX) != 0, pressed == HTMINBUTTON);
  DrawCaptionButton(dc, c.help, Glyph::kHelp, true, pressed == HTHELP);
}

// The items of a menu bar laid out from `bar.left`: each item's position in
// the menu and its rectangle. The font must be selected into `dc`.
std::vector<MenuBarItem> LayoutMenuBar(HDC dc, RECT bar, HMENU menu) {
  std::vector<MenuBarItem> items;
  const int count = GetMenuItemCount(menu);
  int x = bar.left;
  for (int i = 0; i < count && x < bar.right; ++i) {
    UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if (state == static_cast<UINT>(-1) || (!(state & MF_POPUP) && (state & MF_SEPARATOR))) continue;
    char text[256] = {};
    int n = GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    if (n <= 0) continue;
    RECT measure{0, 0, 0, 0};
    DrawTextA(dc, text, n, &measure, DT_SINGLELINE | DT_CALCRECT);
    RECT item{x, bar.top, x + (measure.right - measure.left) + 12, bar.bottom};
    items.push_back(MenuBarItem{i, item, state, text});
    x = item.right;
  }
  return items;
}

void DrawMenuBar(HDC dc, RECT bar, HMENU menu, int hot) {
  Fill(dc, bar, COLOR_MENU);
  HGDIOBJ old = SelectObject(dc, CaptionFont(false));
  SetBkMode(dc, TRANSPARENT);
  for (const MenuBarItem& it : LayoutMenuBar(dc, bar, menu)) {
    const int n = static_cast<int>(it.text.size());
    RECT item = it.rect;
    if (it.pos == hot) {
      RECT e = item;
      DrawEdge(dc, &e, BDR_SUNKENOUTER, BF_RECT);
      ShiftRect(item, 1, 1);
    }
    const bool grey = (it.state & (MF_GRAYED | MF_DISABLED)) != 0;
    if (grey) {
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      RECT shadow{item.left + 1, item.top + 1, item.right + 1, item.bottom + 1};
      DrawTextA(dc, it.text.c_str(), n, &shadow, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
    SetTextColor(dc, GetSysColor(grey ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    DrawTextA(dc, it.text.c_str(), n, &item, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
  SelectObject(dc, old);
}

// Where the menu bar lies in the window: under the frame and the caption.
RECT MenuBarBand(const FrameInfo& f) {
  RECT r{0, 0, f.size.cx, f.size.cy};
  const int frame = (f.style & WS_THICKFRAME) ? GetSystemMetrics(SM_CXFRAME)
                    : ((f.style & WS_DLGFRAME) || (f.ex_style & WS_EX_DLGMODALFRAME)) ? GetSystemMetrics(SM_CXDLGFRAME)
                    : (f.style & WS_BORDER) ? 1
                                            : 0;
  r = Inset(r, frame, frame);
  if (HasCaption(f.style)) r.top += GetSystemMetrics((f.ex_style & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
  r.bottom = r.top + GetSystemMetrics(SM_CYMENU);
  return r;
}

// The checkered track of a scroll bar: the 3-D light and face colours alternating.
HBRUSH TrackBrush() {
  static HBRUSH brush = [] {
    static const WORD rows[8] = {0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555};
    HBITMAP bits = CreateBitmap(8, 8, 1, 1, rows);
    HBRUSH b = CreatePatternBrush(bits);
    DeleteObject(bits);
    return b;
  }();
  return brush;
}

void DrawScrollBar(HDC dc, HWND hwnd, RECT r, bool vertical) {
  if (Empty(r)) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  const bool known = GetScrollInfo(hwnd, vertical ? SB_VERT : SB_HORZ, &si) != FALSE;
  const long long length = vertical ? r.bottom - r.top : r.right - r.left;
  const int arrow = static_cast<int>(std::min<long long>(vertical ? r.right - r.left : r.bottom - r.top, length / 2));
  const long long range = known ? static_cast<long long>(si.nMax) - si.nMin + 1 : 0;
  const bool enabled = known && range > 0 && static_cast<long long>(si.nPage) < range;
  RECT first = vertical ? RECT{r.left, r.top, r.right, r.top + arrow} : RECT{r.left, r.top, r.left + arrow, r.bottom};
  RECT last = vertical ? RECT{r.left, r.bottom - arrow, r.right, r.bottom}
                       : RECT{r.right - arrow, r.top, r.right, r.bottom};
  RECT track = vertical ? RECT{r.left, first.bottom, r.right, last.top} : RECT{first.right, r.top, last.left, r.bottom};
  SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
  SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  FillRect(dc, &track, TrackBrush());
  for (const RECT* b : {&first, &last}) {
    RECT e = *b;
    DrawEdge(dc, &e, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
  DrawArrow(dc, first, vertical ? Arrow::kUp : Arrow::kLeft, enabled);
  DrawArrow(dc, last, vertical ? Arrow::kDown : Arrow::kRight, enabled);
  const long long span = length - 2LL * arrow;
  if (!enabled || span < 8) return;
  long long thumb = si.nPage ? std::max<long long>(8, span * si.nPage / range) : std::min<long long>(arrow, span);
  thumb = std::min(thumb, span);
  const long long steps = range - std::max<long long>(si.nPage, 1);
  const long long offset = steps > 0 ? (static_cast<long long>(si.nPos) - si.nMin) * (span - thumb) / steps : 0;
  const long long start = std::clamp<long long>(offset, 0, span - thumb) + arrow;
  RECT t = vertical ? RECT{r.left, r.top + static_cast<LONG>(start), r.right, r.top + static_cast<LONG>(start + thumb)}
                    : RECT{r.left + static_cast<LONG>(start), r.top, r.left + static_cast<LONG>(start + thumb), r.bottom};
  DrawEdge(dc, &t, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

void Paint(HWND hwnd, const FrameInfo& f, bool active) {
  HDC dc = GetWindowDC(hwnd);
  if (!dc) return;
  RECT r{0, 0, f.size.cx, f.size.cy};
  if (f.style & WS_THICKFRAME) {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    HBRUSH border = GetSysColorBrush(active ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER);
    for (int i = 2; i < GetSystemMetrics(SM_CXFRAME); ++i) {
      FrameRect(dc, &r, border);
      r = Inset(r, 1, 1);
    }
  } else if ((f.style & WS_DLGFRAME) || (f.ex_style & WS_EX_DLGMODALFRAME)) {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    for (int i = 2; i < GetSystemMetrics(SM_CXDLGFRAME); ++i) {
      FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      r = Inset(r, 1, 1);
    }
  } else if (f.style & WS_BORDER) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    r = Inset(r, 1, 1);
  }
  if (HasCaption(f.style)) {
    DrawCaption(dc, f, active, PressedButton(hwnd));
    r.top += GetSystemMetrics((f.ex_style & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
  }
  if (f.menu) {
    const int h = GetSystemMetrics(SM_CYMENU);
    DrawMenuBar(dc, RECT{r.left, r.top, r.right, r.top + h}, f.menu, HotBarItem(hwnd));
    r.top += h;
  }
  if (f.ex_style & WS_EX_CLIENTEDGE) DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  if (f.ex_style & WS_EX_STATICEDGE) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  const int sx = GetSystemMetrics(SM_CXVSCROLL), sy = GetSystemMetrics(SM_CYHSCROLL);
  const RECT& c = f.client;
  if (f.style & WS_VSCROLL) DrawScrollBar(dc, hwnd, RECT{c.right, c.top, c.right + sx, c.bottom}, true);
  if (f.style & WS_HSCROLL) DrawScrollBar(dc, hwnd, RECT{c.left, c.bottom, c.right, c.bottom + sy}, false);
  if ((f.style & WS_VSCROLL) && (f.style & WS_HSCROLL)) Fill(dc, RECT{c.right, c.bottom, c.right + sx, c.bottom + sy}, COLOR_BTNFACE);
  ReleaseDC(hwnd, dc);
}

}  // namespace

bool WantsNonClientPaint(HWND hwnd) {
  if (!qvp::RasterTextEnabled()) return false;
  FrameInfo f = Read(hwnd);
  return f.valid && HasNonClient(f);
}

void PaintNonClient(HWND hwnd, int active) {
  if (!qvp::RasterTextEnabled()) return;
  FrameInfo f = Read(hwnd);
  if (!f.valid || !HasNonClient(f) || (f.style & WS_MINIMIZE)) return;
  Paint(hwnd, f, active < 0 ? f.active : active != 0);
}

void TitleChanged(HWND hwnd) {
  NoteWindowChanged(hwnd);
  if (!qvp::RasterTextEnabled()) return;
  FrameInfo f = Read(hwnd);
  if (f.valid && f.visible && HasCaption(f.style)) PaintNonClient(hwnd, -1);
}

LRESULT RefineHit(DWORD style, DWORD ex_style, const RECT& window_screen, POINT pt, LRESULT hit) {
  const SIZE size{window_screen.right - window_screen.left, window_screen.bottom - window_screen.top};
  const POINT p{pt.x - window_screen.left, pt.y - window_screen.top};
  if (hit == HTCAPTION) {
    CaptionLayout c = LayoutCaption(style, ex_style, size);
    if (Inside(c.close, p)) return HTCLOSE;
    if (Inside(c.max, p)) return HTMAXBUTTON;
    if (Inside(c.min, p)) return HTMINBUTTON;
    if (Inside(c.help, p)) return HTHELP;
    return HTCAPTION;
  }
  if (hit != HTBORDER || !(style & WS_THICKFRAME) || (style & (WS_MAXIMIZE | WS_MINIMIZE))) return hit;
  // A sizing border: which edge, the corners reaching a caption's height along the sides.
  const int border = GetSystemMetrics(SM_CXFRAME), corner = border + GetSystemMetrics(SM_CYCAPTION);
  bool left = p.x < border, right = p.x >= size.cx - border, top = p.y < border, bottom = p.y >= size.cy - border;
  if (top || bottom) {
    left = left || p.x < corner;
    right = right || p.x >= size.cx - corner;
  }
  if (left || right) {
    top = top || p.y < corner;
    bottom = bottom || p.y >= size.cy - corner;
  }
  if (top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
  if (bottom) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
  if (left) return HTLEFT;
  if (right) return HTRIGHT;
  return hit;
}

LRESULT NonClientButton(HWND hwnd, UINT msg, WPARAM hit, LPARAM lp) {
  if (msg == WM_NCLBUTTONDOWN) {
    switch (hit) {
      case HTCLOSE:
      case HTMAXBUTTON:
      case HTMINBUTTON:
      case HTHELP: {
        std::lock_guard<std::mutex> g(PressLock());
        Pressed()[hwnd] = hit;
        break;
      }
      case HTCAPTION:
        SendMessageA(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lp);
        return 0;
      case HTLEFT: case HTRIGHT: case HTTOP: case HTTOPLEFT: case HTTOPRIGHT: case HTBOTTOM: case HTBOTTOMLEFT:
      case HTBOTTOMRIGHT:
        SendMessageA(hwnd, WM_SYSCOMMAND, SC_SIZE | (hit - HTLEFT + 1), lp);  // the WMSZ_ edge
        return 0;
      case HTMENU:
        SendMessageA(hwnd, WM_SYSCOMMAND, SC_MOUSEMENU, lp);
        return 0;
      default:
        return 0;
    }
    PaintNonClient(hwnd, -1);
    return 0;
  }
  if (msg == WM_NCLBUTTONDBLCLK) {
    DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
    if (hit == HTCAPTION && (style & WS_MAXIMIZEBOX))
      SendMessageA(hwnd, WM_SYSCOMMAND, (style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, lp);
    return 0;
  }
  WPARAM pressed = 0;
  {
    std::lock_guard<std::mutex> g(PressLock());
    auto it = Pressed().find(hwnd);
    if (it != Pressed().end()) {
      pressed = it->second;
      Pressed().erase(it);
    }
  }
  if (!pressed) return 0;
  PaintNonClient(hwnd, -1);
  if (pressed != hit) return 0;
  DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
  switch (hit) {
    case HTCLOSE: SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, lp); break;
    case HTMAXBUTTON: SendMessageA(hwnd, WM_SYSCOMMAND, (style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, lp); break;
    case HTMINBUTTON: SendMessageA(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, lp); break;
    case HTHELP: SendMessageA(hwnd, WM_SYSCOMMAND, SC_CONTEXTHELP, lp); break;
    default: break;
  }
  return 0;
}

ShowHooks SetShowHooks(const ShowHooks& hooks) {
  ShowHooks old;
  old.changed = g_changed.load();
  old.shown = g_shown.load();
  old.begin_move = g_begin_move.load();
  old.message = g_message.load();
  g_changed.store(hooks.changed);
  g_shown.store(hooks.shown);
  g_begin_move.store(hooks.begin_move);
  g_message.store(hooks.message);
  return old;
}

void NoteWindowChanged(HWND hwnd) {
  if (auto f = g_changed.load()) f(hwnd);
}

void NoteWindowPos(HWND hwnd, UINT swp_flags) {
  NoteWindowChanged(hwnd);
  if (swp_flags & SWP_SHOWWINDOW)
    if (auto f = g_shown.load()) f(hwnd);
}

void BeginUserMove(HWND hwnd, UINT edge) {
  if (auto f = g_begin_move.load()) f(hwnd, edge);
}

bool ShowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  auto f = g_message.load();
  return f && f(hwnd, msg, wp, lp, result);
}

std::vector<MenuBarItem> MenuBarItems(HWND hwnd) {
  FrameInfo f = Read(hwnd);
  if (!f.valid || !f.menu) return {};
  HDC dc = GetWindowDC(hwnd);
  if (!dc) return {};
  HGDIOBJ old = SelectObject(dc, CaptionFont(false));
  std::vector<MenuBarItem> items = LayoutMenuBar(dc, MenuBarBand(f), f.menu);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  RECT w{};
  GetWindowRect(hwnd, &w);
  for (MenuBarItem& it : items) ShiftRect(it.rect, w.left, w.top);
  return items;
}

void SetHotBarItem(HWND hwnd, int pos) {
  {
    std::lock_guard<std::mutex> g(PressLock());
    if (pos < 0)
      HotItems().erase(hwnd);
    else
      HotItems()[hwnd] = pos;
  }
  if (WantsNonClientPaint(hwnd)) PaintNonClient(hwnd, -1);
}

}  // namespace qvp::ui
