#include "display/input.h"

#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>

#include "qvplatform.h"
#include "qvplatform/display.h"
#include "display/x11_display.h"
#include "qvplatform/ui_cursor.h"
#include "ui/keys.h"

namespace qvp::display {
namespace {

// The key Windows gives a character typed without a key of its own.
constexpr UINT kVkPacket = 0xE7;
// More than this many unread events for one window, and the oldest go.
constexpr size_t kQueueLimit = 4096;
constexpr DWORD kDoubleClickMs = 500;

struct Pending {
  std::mutex lock;
  std::map<HWND, std::deque<RawInput>> queues;
};

Pending& Queues() {
  static auto* p = new Pending;
  return *p;
}

// What the thread that delivers remembers between events.
struct ThreadInput {
  HWND last_click_window = nullptr;
  int last_click_button = 0;
  DWORD last_click_time = 0;
  POINT last_click_pt{};
  std::map<UINT, UINT> keys_down;  // scan code -> the virtual key its press was given
};
thread_local ThreadInput t_input;

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }
LPARAM PointParam(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

// The child of `parent` under the pointer, as hit-testing goes: the topmost
// visible, enabled child that does not answer HTTRANSPARENT.
HWND ChildAt(HWND parent, POINT pt, LRESULT* code) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    if (!IsWindowVisible(c) || !GetWindowRect(c, &r) || !Contains(r, pt) || !IsWindowEnabled(c)) continue;
    LRESULT hit = SendMessageA(c, WM_NCHITTEST, 0, PointParam(pt));
    if (hit == HTTRANSPARENT) continue;
    *code = hit;
    return c;
  }
  return nullptr;
}

// The window the pointer is over and its hit-test code; null when it is outside `top`.
HWND WindowAt(HWND top, POINT pt, LRESULT* code) {
  RECT r;
  if (!IsWindowVisible(top) || !GetWindowRect(top, &r) || !Contains(r, pt)) return nullptr;
  if (!IsWindowEnabled(top)) {
    *code = HTERROR;
    return top;
  }
  HWND w = top;
  LRESULT hit = SendMessageA(top, WM_NCHITTEST, 0, PointParam(pt));
  while (hit == HTCLIENT) {
    LRESULT child_hit = HTNOWHERE;
    HWND child = ChildAt(w, pt, &child_hit);
    if (!child) break;
    w = child;
    hit = child_hit;
  }
  *code = hit;
  return w;
}

// A disabled window (the owner of a modal dialog) sends the user to the dialog.
void RefuseDisabled(HWND top) {
  HWND popup = GetLastActivePopup(top);
  if (popup && popup != top && IsWindowEnabled(popup)) SetActiveWindow(popup);
  MessageBeep(0);
}

UINT ButtonBit(int button) { return button == 1 ? MK_LBUTTON : button == 2 ? MK_MBUTTON : MK_RBUTTON; }

void PostMouse(HWND target, LRESULT hit, UINT client_msg, UINT nc_msg, UINT mk, POINT pt) {
  if (hit == HTCLIENT) {
    POINT c = pt;
    ScreenToClient(target, &c);
    PostMessageA(target, client_msg, mk, PointParam(c));
  } else {
    PostMessageA(target, nc_msg, static_cast<WPARAM>(hit), PointParam(pt));
  }
}

// A click on a window that is not active activates it first, as the window asks.
// False when the click is to be eaten.
bool ClickActivates(HWND top, HWND target, LRESULT hit, UINT msg) {
  if (GetActiveWindow() == top) return true;
  LRESULT answer = SendMessageA(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), MAKELPARAM(hit, msg));
  if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) SetActiveWindow(top);
  return answer != MA_ACTIVATEANDEAT && answer != MA_NOACTIVATEANDEAT;
}

bool IsDoubleClick(HWND target, int button, POINT pt) {
  ThreadInput& t = t_input;
  const DWORD now = GetTickCount();
  bool twice = t.last_click_window == target && t.last_click_button == button &&
               now - t.last_click_time <= kDoubleClickMs &&
               std::abs(pt.x - t.last_click_pt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
               std::abs(pt.y - t.last_click_pt.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  if (twice) {
    t.last_click_window = nullptr;  // a third click starts over
  } else {
    t.last_click_window = target;
    t.last_click_button = button;
    t.last_click_time = now;
    t.last_click_pt = pt;
  }
  return twice && (GetClassLongA(target, GCL_STYLE) & CS_DBLCLKS);
}

// What the pointer shows: the window's choice (SetCursor in WM_SETCURSOR), the
// sizing arrows over a sizing border, else the arrow.
void ShowCursorOf(HWND top, LRESULT hit) {
  WORD id = StockCursorId(GetCursor());
  switch (hit) {
    case HTLEFT: case HTRIGHT: id = 32644; break;            // IDC_SIZEWE
    case HTTOP: case HTBOTTOM: id = 32645; break;            // IDC_SIZENS
    case HTTOPLEFT: case HTBOTTOMRIGHT: id = 32642; break;   // IDC_SIZENWSE
    case HTTOPRIGHT: case HTBOTTOMLEFT: id = 32643; break;   // IDC_SIZENESW
    case HTCLIENT: break;
    default: id = 32512; break;                              // IDC_ARROW
  }
  X11ShowCursor(top, id);
}

void Mouse(HWND top, const RawInput& in) {
  UINT mk = in.buttons | (in.shift ? MK_SHIFT : 0) | (in.control ? MK_CONTROL : 0);
  if (in.kind == InputKind::kWheel) {
    HWND to = GetFocus();
    if (!to) to = GetActiveWindow();
    if (!to) to = top;
    PostMessageA(to, WM_MOUSEWHEEL, MAKEWPARAM(mk, static_cast<WORD>(static_cast<SHORT>(in.wheel * WHEEL_DELTA))),
                 PointParam(in.pt));
    return;
  }
  HWND target = GetCapture();
  LRESULT hit = HTCLIENT;
  if (!target) target = WindowAt(top, in.pt, &hit);
  if (!target) return;
  if (in.kind == InputKind::kMotion) {
    SendMessageA(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, WM_MOUSEMOVE));
    ShowCursorOf(top, hit);
    PostMouse(target, hit, WM_MOUSEMOVE, WM_NCMOUSEMOVE, mk, in.pt);
    return;
  }
  static const UINT kClient[3][3] = {{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK},
                                     {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK},
                                     {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK}};
  static const UINT kNonClient[3][3] = {{WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_NCLBUTTONDBLCLK},
                                        {WM_NCMBUTTONDOWN, WM_NCMBUTTONUP, WM_NCMBUTTONDBLCLK},
                                        {WM_NCRBUTTONDOWN, WM_NCRBUTTONUP, WM_NCRBUTTONDBLCLK}};
  if (in.button < 1 || in.button > 3) return;
  const int b = in.button - 1;
  if (!in.down) {
    PostMouse(target, hit, kClient[b][1], kNonClient[b][1], mk & ~ButtonBit(in.button), in.pt);
    return;
  }
  if (hit == HTERROR || hit == HTNOWHERE) {
    if (hit == HTERROR) RefuseDisabled(top);
    return;
  }
  if (!ClickActivates(top, target, hit, kClient[b][0])) return;
  if (!IsWindow(target)) return;
  SendMessageA(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, kClient[b][0]));
  const int kind = IsDoubleClick(target, in.button, in.pt) ? 2 : 0;
  PostMouse(target, hit, kClient[b][kind], kNonClient[b][kind], mk | ButtonBit(in.button), in.pt);
}

void Key(HWND top, const RawInput& in) {
  HWND to = GetFocus();
  const bool no_focus = to == nullptr;
  if (!to) to = GetActiveWindow();
  if (!to) to = top;
  ThreadInput& t = t_input;
  UINT vk = in.vk;
  bool packet = false;
  if (in.down) {
    // A character the key would not make on the layer's keyboard travels by itself.
    if (in.ch >= 0x20 && in.ch != 0x7F && !in.control && !in.alt &&
        static_cast<unsigned char>(ui::CharOfKeyIn(vk, in.shift, false, false, false)) != in.ch) {
      vk = kVkPacket;
      packet = true;
    }
    t.keys_down[in.scan] = vk;
  } else {
    auto it = t.keys_down.find(in.scan);
    if (it != t.keys_down.end()) {
      vk = it->second;
      t.keys_down.erase(it);
    }
  }
  if (vk == 0) return;
  const bool sys = (in.alt && !in.control) || vk == VK_F10 || no_focus;
  LPARAM lp = 1 | ((static_cast<LPARAM>(in.scan) & 0xFF) << 16) | (in.extended ? (1L << 24) : 0) |
              (in.alt ? (1L << 29) : 0) | ((in.repeat || !in.down) ? (1L << 30) : 0) |
              (!in.down ? static_cast<LPARAM>(1UL << 31) : 0);
  UINT msg = in.down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  PostMessageA(to, msg, vk, lp);
  if (packet) PostMessageA(to, sys ? WM_SYSCHAR : WM_CHAR, in.ch, lp);
}

void WindowEvent(HWND top, const RawInput& in) {
  switch (in.kind) {
    case InputKind::kGeometry: {
      RECT now;
      if (!GetWindowRect(top, &now)) return;
      const int w = in.rect.right - in.rect.left, h = in.rect.bottom - in.rect.top;
      UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
      if (now.left == in.rect.left && now.top == in.rect.top) flags |= SWP_NOMOVE;
      if (now.right - now.left == w && now.bottom - now.top == h) flags |= SWP_NOSIZE;
      if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE))
        SetWindowPos(top, nullptr, in.rect.left, in.rect.top, w, h, flags);
      return;
    }
    case InputKind::kClose:
      if (IsWindowEnabled(top))
        PostMessageA(top, WM_SYSCOMMAND, SC_CLOSE, 0);
      else
        RefuseDisabled(top);
      return;
    case InputKind::kActivate:
      if (!IsWindowEnabled(top)) {
        HWND popup = GetLastActivePopup(top);
        if (popup && popup != top && IsWindowEnabled(popup)) SetActiveWindow(popup);
      } else if (GetActiveWindow() != top) {
        SetActiveWindow(top);
      }
      return;
    case InputKind::kRestore:
      if (IsIconic(top)) PostMessageA(top, WM_SYSCOMMAND, SC_RESTORE, 0);
      return;
    default:
      return;
  }
}

}  // namespace

WORD StockCursorId(HCURSOR cursor) {
  if (!cursor) return 0;
  static const WORD kIds[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                              32644, 32645, 32646, 32648, 32649, 32650};
  for (WORD id : kIds)
    if (LoadCursorA(nullptr, MAKEINTRESOURCEA(id)) == cursor) return id;
  return 0;
}

UINT InputMessage() {
  static const UINT msg = RegisterWindowMessageA("QvpDisplayInput");
  return msg;
}

void QueueInput(HWND top, const RawInput& input) {
  Pending& p = Queues();
  bool first = false;
  {
    std::lock_guard<std::mutex> g(p.lock);
    std::deque<RawInput>& q = p.queues[top];
    first = q.empty();
    if (input.kind == InputKind::kMotion && !q.empty() && q.back().kind == InputKind::kMotion) {
      q.back() = input;
    } else {
      if (q.size() >= kQueueLimit) q.pop_front();
      q.push_back(input);
    }
  }
  if (first && !PostMessageA(top, InputMessage(), 0, 0)) {
    // The window is gone or its thread takes nothing: its input goes.
    std::lock_guard<std::mutex> g(p.lock);
    p.queues.erase(top);
  }
}

void DeliverInput(HWND top) {
  std::deque<RawInput> events;
  {
    Pending& p = Queues();
    std::lock_guard<std::mutex> g(p.lock);
    auto it = p.queues.find(top);
    if (it == p.queues.end()) return;
    events.swap(it->second);
    p.queues.erase(it);
  }
  for (const RawInput& in : events) {
    if (!IsWindow(top)) return;
    switch (in.kind) {
      case InputKind::kButton:
      case InputKind::kMotion:
      case InputKind::kWheel:
        Mouse(top, in);
        break;
      case InputKind::kKey:
        Key(top, in);
        break;
      default:
        WindowEvent(top, in);
        break;
    }
  }
}

}  // namespace qvp::display
