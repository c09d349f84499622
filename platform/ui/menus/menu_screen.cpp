// Menus shown on the screen and worked by the user's mouse and keys.
#include "ui/menus/menu_screen.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "qvplatform/display.h"
#include "ui/dialog_state.h"
#include "ui/nonclient.h"
#include "ui/window_state.h"

namespace qvp::ui::menus {
namespace {

constexpr char kClass[] = "#32768";
constexpr int kEdge = 3;         // raised frame around the items
constexpr int kMarkColumn = 18;  // check marks
constexpr int kArrowColumn = 18;  // sub-menu arrows
constexpr int kSeparatorHeight = 9;

HFONT MenuFont() {
  static HFONT font =
      CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
  return font;
}

struct Item {
  UINT id = 0;
  UINT type = 0;
  UINT state = 0;
  HMENU submenu = nullptr;
  std::string label;        // before the tab
  std::string accelerator;  // after it
  RECT rect{};              // client coordinates of the menu window

  bool Separator() const { return (type & MFT_SEPARATOR) != 0; }
  bool Enabled() const { return !Separator() && (state & MFS_GRAYED) == 0; }
  bool Selectable() const { return !Separator(); }
};

struct Level {
  HMENU menu = nullptr;
  HWND window = nullptr;
  int hot = -1;
  std::vector<Item> items;
};

std::vector<Item> ReadItems(HMENU menu) {
  std::vector<Item> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    Item it;
    it.id = info.wID;
    it.type = info.fType;
    it.state = info.fState;
    it.submenu = info.hSubMenu;
    std::string all = text;
    size_t tab = all.find('\t');
    it.label = all.substr(0, tab);
    if (tab != std::string::npos) it.accelerator = all.substr(tab + 1);
    items.push_back(std::move(it));
  }
  return items;
}

// Lays the items out top to bottom; answers the window's size.
SIZE Layout(std::vector<Item>& items) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, MenuFont());
  SIZE line{};
  GetTextExtentPoint32A(dc, "Ay", 2, &line);
  const int height = std::max<int>(line.cy + 6, 17);
  int label = 0, accelerator = 0;
  for (const Item& it : items) {
    RECT r{0, 0, 0, 0};
    if (!it.label.empty()) DrawTextA(dc, it.label.c_str(), static_cast<int>(it.label.size()), &r, DT_SINGLELINE | DT_CALCRECT);
    label = std::max<int>(label, r.right - r.left);
    if (!it.accelerator.empty()) {
      SIZE a{};
      GetTextExtentPoint32A(dc, it.accelerator.c_str(), static_cast<int>(it.accelerator.size()), &a);
      accelerator = std::max<int>(accelerator, a.cx);
    }
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const int width = kMarkColumn + label + (accelerator ? 16 + accelerator : 0) + kArrowColumn;
  int y = kEdge;
  for (Item& it : items) {
    const int h = it.Separator() ? kSeparatorHeight : height;
    it.rect = RECT{kEdge, y, kEdge + width, y + h};
    y += h;
  }
  return SIZE{width + 2 * kEdge, y + kEdge};
}

void DrawCheck(HDC dc, const RECT& r, bool radio, COLORREF c) {
  const int cx = r.left + kMarkColumn / 2, cy = (r.top + r.bottom) / 2;
  HBRUSH brush = CreateSolidBrush(c);
  if (radio) {
    HPEN pen = CreatePen(PS_SOLID, 1, c);
    HGDIOBJ op = SelectObject(dc, pen), ob = SelectObject(dc, brush);
    Ellipse(dc, cx - 3, cy - 3, cx + 3, cy + 3);
    SelectObject(dc, op);
    SelectObject(dc, ob);
    DeleteObject(pen);
  } else {  // a tick three pixels thick
    for (int i = 0; i < 7; ++i) {
      const int x = cx - 3 + i, y = i < 3 ? cy - 1 + i : cy + 1 - (i - 2);
      RECT dot{x, y, x + 1, y + 3};
      FillRect(dc, &dot, brush);
    }
  }
  DeleteObject(brush);
}

void DrawArrow(HDC dc, const RECT& r, COLORREF c) {
  HBRUSH brush = CreateSolidBrush(c);
  const int x = r.right - kArrowColumn / 2 - 2, cy = (r.top + r.bottom) / 2;
  for (int i = 0; i < 4; ++i) {
    RECT column{x + i, cy - 3 + i, x + i + 1, cy + 4 - i};
    FillRect(dc, &column, brush);
  }
  DeleteObject(brush);
}

void PaintItems(HDC dc, const Level& level, const RECT& client) {
  FillRect(dc, &client, GetSysColorBrush(COLOR_MENU));
  RECT edge = client;
  DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
  HGDIOBJ old = SelectObject(dc, MenuFont());
  SetBkMode(dc, TRANSPARENT);
  for (size_t i = 0; i < level.items.size(); ++i) {
    const Item& it = level.items[i];
    RECT r = it.rect;
    if (it.Separator()) {
      RECT line{r.left + 1, (r.top + r.bottom) / 2 - 1, r.right - 1, (r.top + r.bottom) / 2 + 1};
      DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
      continue;
    }
    const bool hot = static_cast<int>(i) == level.hot;
    const bool grey = !it.Enabled();
    if (hot) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    const COLORREF text = grey ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    RECT label{r.left + kMarkColumn, r.top, r.right - kArrowColumn, r.bottom};
    if (grey && !hot) {  // engraved: a light copy one pixel down and right
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      RECT shadow = label;
      ShiftRect(shadow, 1, 1);
      DrawTextA(dc, it.label.c_str(), static_cast<int>(it.label.size()), &shadow, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
      if (!it.accelerator.empty())
        DrawTextA(dc, it.accelerator.c_str(), static_cast<int>(it.accelerator.size()), &shadow,
                  DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    }
    SetTextColor(dc, text);
    DrawTextA(dc, it.label.c_str(), static_cast<int>(it.label.size()), &label, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (!it.accelerator.empty())
      DrawTextA(dc, it.accelerator.c_str(), static_cast<int>(it.accelerator.size()), &label,
                DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    if (it.state & MFS_CHECKED) DrawCheck(dc, r, (it.type & MFT_RADIOCHECK) != 0, text);
    if (it.submenu) DrawArrow(dc, r, text);
  }
  SelectObject(dc, old);
}

LRESULT CALLBACK MenuWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      const auto* level = reinterpret_cast<const Level*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
      RECT client;
      GetClientRect(hwnd, &client);
      if (level) PaintItems(dc, *level, client);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

void RegisterMenuClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSA wc{};
    wc.style = CS_SAVEBITS | CS_GLOBALCLASS;
    wc.lpfnWndProc = MenuWindowProc;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
  });
}

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

class Session {
 public:
  Session(HWND owner, HMENU menu, bool bar) : owner_(owner), menu_(menu), bar_(bar) {}
  ~Session() {
    CloseFrom(0);
    if (bar_) SetHotBarItem(owner_, -1);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  UINT Run(POINT at) {
    RegisterMenuClass();
    if (bar_) {
      bar_items_ = MenuBarItems(owner_);
      if (bar_items_.empty()) return 0;
      size_t index = 0;
      for (size_t i = 0; i < bar_items_.size(); ++i)
        if (Contains(bar_items_[i].rect, at)) index = i;
      if (!OpenBarItem(index)) return result_;
    } else {
      Open(menu_, at, -1);
    }
    while (!done_) {
      if (!IsWindow(owner_) || levels_.empty()) break;
      MSG m;
      if (!PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE)) RunModalIdleHook();
      if (GetMessageA(&m, nullptr, 0, 0) <= 0) {
        PostQuitMessage(static_cast<int>(m.wParam));
        break;
      }
      if (Handle(m)) continue;
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    return result_;
  }

 private:
  // Shows `menu` with its top-left corner at `at` (moved to stay on the
  // screen); `beside` is the left edge of the parent menu when it cascades.
  void Open(HMENU menu, POINT at, int beside) {
    Level level;
    level.menu = menu;
    level.items = ReadItems(menu);
    SIZE size = Layout(level.items);
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    if (at.x + size.cx > sw) at.x = beside >= 0 ? beside - size.cx + kEdge : sw - size.cx;
    if (at.y + size.cy > sh) at.y = sh - size.cy;
    at.x = std::max<LONG>(at.x, 0);
    at.y = std::max<LONG>(at.y, 0);
    levels_.push_back(std::move(level));
    Level& l = levels_.back();
    l.window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClass, "", WS_POPUP, at.x, at.y, size.cx, size.cy,
                               owner_, nullptr, nullptr, nullptr);
    if (!l.window) {
      levels_.pop_back();
      return;
    }
    // The record lives in levels_, which only grows at its end after this
    // window's level is complete; re-pointed below whenever it moves.
    Repoint();
    SetWindowPos(l.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateWindow(l.window);
  }

  void Repoint() {
    for (Level& l : levels_)
      if (l.window) SetWindowLongPtrA(l.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&l));
  }

  void CloseFrom(size_t depth) {
    while (levels_.size() > depth) {
      if (levels_.back().window) DestroyWindow(levels_.back().window);
      levels_.pop_back();
    }
  }

  // Drops down the menu bar's item `index`; false when that ended the menu
  // (an item without a drop-down is a command of its own).
  bool OpenBarItem(size_t index) {
    CloseFrom(0);
    bar_index_ = index;
    const MenuBarItem& b = bar_items_[index];
    SetHotBarItem(owner_, b.pos);
    HMENU sub = GetSubMenu(menu_, b.pos);
    if (!sub) {
      const UINT id = GetMenuItemID(menu_, b.pos);
      if (!(b.state & (MF_GRAYED | MF_DISABLED))) result_ = id;
      done_ = true;
      return false;
    }
    SendMessageA(owner_, WM_MENUSELECT, MAKEWPARAM(static_cast<WORD>(b.pos), MF_POPUP | MF_HILITE | MF_MOUSESELECT),
                 reinterpret_cast<LPARAM>(menu_));
    SendMessageA(owner_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), MAKELONG(static_cast<WORD>(b.pos), FALSE));
    Open(sub, POINT{b.rect.left, b.rect.bottom}, -1);
    return true;
  }

  void OpenSubmenu(size_t depth, int index) {
    CloseFrom(depth + 1);
    Level& l = levels_[depth];
    const Item& it = l.items[static_cast<size_t>(index)];
    if (!it.submenu || !it.Enabled()) return;
    SendMessageA(owner_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(it.submenu), MAKELONG(static_cast<WORD>(index), FALSE));
    RECT w{};
    GetWindowRect(l.window, &w);
    Open(it.submenu, POINT{w.right - kEdge, w.top + it.rect.top - kEdge}, w.left);
  }

  void SetHot(size_t depth, int index) {
    Level& l = levels_[depth];
    if (l.hot == index) return;
    l.hot = index;
    InvalidateRect(l.window, nullptr, TRUE);
    UpdateWindow(l.window);
    if (index < 0) return;
    const Item& it = l.items[static_cast<size_t>(index)];
    const WORD flags = static_cast<WORD>(MF_HILITE | MF_MOUSESELECT | (it.submenu ? MF_POPUP : 0) |
                                         (it.Enabled() ? 0 : MF_GRAYED));
    const WORD item = it.submenu ? static_cast<WORD>(index) : static_cast<WORD>(it.id);
    SendMessageA(owner_, WM_MENUSELECT, MAKEWPARAM(item, flags), reinterpret_cast<LPARAM>(l.menu));
  }

  // The user chose item `index` of level `depth`: a command ends the menu, a
  // sub-menu opens with its first item highlighted when `keyboard`.
  void Choose(size_t depth, int index, bool keyboard) {
    const Item& it = levels_[depth].items[static_cast<size_t>(index)];
    if (!it.Enabled()) return;
    if (it.submenu) {
      OpenSubmenu(depth, index);
      if (keyboard && levels_.size() > depth + 1) Step(levels_.size() - 1, +1);
      return;
    }
    result_ = it.id;
    done_ = true;
  }

  void Step(size_t depth, int direction) {
    Level& l = levels_[depth];
    const int n = static_cast<int>(l.items.size());
    if (n == 0) return;
    int i = l.hot;
    for (int tries = 0; tries < n; ++tries) {
      i = i < 0 ? (direction > 0 ? 0 : n - 1) : (i + direction + n) % n;
      if (l.items[static_cast<size_t>(i)].Selectable()) {
        SetHot(depth, i);
        return;
      }
    }
  }

  static POINT ScreenPoint(const MSG& m) {
    POINT p{static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))};
    const bool nonclient = m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK;
    if (!nonclient) ClientToScreen(m.hwnd, &p);
    return p;
  }

  bool Handle(const MSG& m) {
    const bool mouse = (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) ||
                       (m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK);
    if (mouse) {
      Mouse(m.message, ScreenPoint(m));
      return true;
    }
    switch (m.message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        Key(m.wParam);
        return true;
      case WM_CHAR:
      case WM_SYSCHAR:
        Mnemonic(static_cast<char>(m.wParam));
        return true;
      case WM_KEYUP:
      case WM_SYSKEYUP:
        return true;
      default:
        return false;
    }
  }

  void Mouse(UINT msg, POINT p) {
    const bool down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_NCLBUTTONDOWN ||
                      msg == WM_NCRBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_NCLBUTTONDBLCLK;
    const bool up = msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_NCLBUTTONUP || msg == WM_NCRBUTTONUP;
    for (size_t depth = levels_.size(); depth-- > 0;) {
      RECT w{};
      GetWindowRect(levels_[depth].window, &w);
      if (!Contains(w, p)) continue;
      const POINT local{p.x - w.left, p.y - w.top};
      int index = -1;
      for (size_t i = 0; i < levels_[depth].items.size(); ++i)
        if (Contains(levels_[depth].items[i].rect, local) && levels_[depth].items[i].Selectable())
          index = static_cast<int>(i);
      if (index < 0) return;
      SetHot(depth, index);
      const Item& it = levels_[depth].items[static_cast<size_t>(index)];
      if (it.submenu) {
        if (levels_.size() <= depth + 1 || levels_[depth + 1].menu != it.submenu) OpenSubmenu(depth, index);
      } else {
        CloseFrom(depth + 1);
        if (up) Choose(depth, index, false);
      }
      return;
    }
    if (bar_) {
      for (size_t i = 0; i < bar_items_.size(); ++i) {
        if (!Contains(bar_items_[i].rect, p)) continue;
        if (i != bar_index_ && (down || msg == WM_MOUSEMOVE || msg == WM_NCMOUSEMOVE)) {
          OpenBarItem(i);
        } else if (i == bar_index_ && down) {
          done_ = true;  // a second click on the open item closes it
        }
        return;
      }
    }
    if (down) done_ = true;  // a click anywhere else dismisses the menu
  }

  void Key(WPARAM key) {
    const size_t last = levels_.size() - 1;
    Level& l = levels_[last];
    switch (key) {
      case VK_ESCAPE:
        if (last == 0)
          done_ = true;
        else
          CloseFrom(last);
        break;
      case VK_MENU:
      case VK_F10:
        done_ = true;
        break;
      case VK_UP:
        Step(last, -1);
        break;
      case VK_DOWN:
        Step(last, +1);
        break;
      case VK_RIGHT:
        if (l.hot >= 0 && l.items[static_cast<size_t>(l.hot)].submenu)
          Choose(last, l.hot, true);
        else
          SwitchBarItem(+1);
        break;
      case VK_LEFT:
        if (last > 0)
          CloseFrom(last);
        else
          SwitchBarItem(-1);
        break;
      case VK_RETURN:
        if (l.hot >= 0) Choose(last, l.hot, true);
        break;
      default:
        break;
    }
  }

  // Left and right arrows move along the menu bar, dropping the next item down.
  void SwitchBarItem(int direction) {
    if (!bar_ || bar_items_.empty()) return;
    const size_t n = bar_items_.size();
    if (OpenBarItem((bar_index_ + n + static_cast<size_t>(direction + static_cast<int>(n))) % n) && !levels_.empty())
      Step(levels_.size() - 1, +1);
  }

  // A letter picks the item whose label has it after '&'.
  void Mnemonic(char c) {
    const size_t last = levels_.size() - 1;
    const auto lower = [](char x) { return static_cast<char>(x >= 'A' && x <= 'Z' ? x - 'A' + 'a' : x); };
    for (size_t i = 0; i < levels_[last].items.size(); ++i) {
      const std::string& label = levels_[last].items[i].label;
      size_t amp = label.find('&');
      while (amp != std::string::npos && amp + 1 < label.size() && label[amp + 1] == '&') amp = label.find('&', amp + 2);
      if (amp == std::string::npos || amp + 1 >= label.size() || lower(label[amp + 1]) != lower(c)) continue;
      SetHot(last, static_cast<int>(i));
      Choose(last, static_cast<int>(i), true);
      return;
    }
  }

  HWND owner_;
  HMENU menu_;
  bool bar_;
  std::vector<MenuBarItem> bar_items_;
  size_t bar_index_ = 0;
  std::vector<Level> levels_;
  UINT result_ = 0;
  bool done_ = false;
};

}  // namespace

bool MenusOnScreen() { return qvp::DisplayOpen(); }

UINT ShowMenuOnScreen(HWND owner, HMENU menu, bool bar, POINT at) {
  Session session(owner, menu, bar);
  return session.Run(at);
}

}  // namespace qvp::ui::menus
