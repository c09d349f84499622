// What a user's hand gives: clicks with the system's activation around them,
// keys to the focused window, moving the focus and checking a button.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "ui/driver/driver_input.h"

namespace qvp::driver {

POINT Centre(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

namespace {

LPARAM PointParam(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

bool HasDoubleClicks(HWND window) { return (GetClassLongPtrA(window, GCL_STYLE) & CS_DBLCLKS) != 0; }

// The window a click at `screen` lands in, inside `root`: the deepest visible,
// enabled child there that does not let clicks through (HTTRANSPARENT).
HWND WindowAt(HWND parent, POINT screen) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    RECT r{};
    GetWindowRect(c, &r);
    if (screen.x < r.left || screen.x >= r.right || screen.y < r.top || screen.y >= r.bottom) continue;
    if (!IsWindowEnabled(c)) return parent;
    if (SendMessageA(c, WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y))) ==
        HTTRANSPARENT)
      continue;
    return WindowAt(c, screen);
  }
  return parent;
}

bool Within(HWND outer, HWND h) { return h == outer || IsChild(outer, h); }

}  // namespace

void PostClick(HWND aimed, POINT client, bool twice) {
  POINT screen = client;
  ClientToScreen(aimed, &screen);
  HWND target = GetCapture();
  if (!target) {
    target = WindowAt(aimed, screen);
    if (!Within(aimed, target)) target = aimed;
  }
  POINT p = screen;
  ScreenToClient(target, &p);
  const LPARAM lp = PointParam(p);
  PostMessageA(target, WM_MOUSEMOVE, 0, lp);
  PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, lp);
  PostMessageA(target, WM_LBUTTONUP, 0, lp);
  if (twice) {
    PostMessageA(target, HasDoubleClicks(target) ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, lp);
    PostMessageA(target, WM_LBUTTONUP, 0, lp);
  }
}

bool MouseActivate(HWND window) {
  HWND root = RootWindow(window);
  if (GetActiveWindow() == root) return true;
  LRESULT answer =
      SendMessageA(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(root), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
  if ((answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) &&
      !(GetWindowLongPtrA(root, GWL_EXSTYLE) & WS_EX_NOACTIVATE))
    SetActiveWindow(root);
  return answer != MA_ACTIVATEANDEAT && answer != MA_NOACTIVATEANDEAT;
}

namespace {

// ---- Keys ----

constexpr LPARAM kKeyUp = static_cast<LPARAM>(0xC0000001u);

// Alt is a system key; the others are plain keys.
void PostKey(HWND focus, UINT vk, bool down) {
  const bool alt = vk == VK_MENU;
  const UINT msg = alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
  LPARAM lp = down ? 1 : kKeyUp;
  if (alt) lp |= 0x20000000;  // the context bit: Alt is down
  PostMessageA(focus, msg, vk, lp);
}

struct KeyOf {
  UINT vk = 0;
  bool shift = false;
};

// The US-layout key that makes a character, as the loop's TranslateMessage reads keys back.
std::optional<KeyOf> KeyForChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return KeyOf{static_cast<UINT>(std::toupper(u)), false};
  if (u >= 'A' && u <= 'Z') return KeyOf{u, true};
  if (u >= '0' && u <= '9') return KeyOf{u, false};
  static const char kShiftedDigits[] = ")!@#$%^&*(";
  if (const char* p = std::strchr(kShiftedDigits, c); p && c) return KeyOf{static_cast<UINT>('0' + (p - kShiftedDigits)), true};
  struct Punct {
    char plain, shifted;
    UINT vk;
  };
  static const Punct kPunct[] = {{';', ':', VK_OEM_1},  {'=', '+', VK_OEM_PLUS}, {',', '<', VK_OEM_COMMA},
                                 {'-', '_', VK_OEM_MINUS}, {'.', '>', VK_OEM_PERIOD}, {'/', '?', VK_OEM_2},
                                 {'`', '~', VK_OEM_3},  {'[', '{', VK_OEM_4},   {'\\', '|', VK_OEM_5},
                                 {']', '}', VK_OEM_6},  {'\'', '"', VK_OEM_7}};
  for (const Punct& p : kPunct) {
    if (c == p.plain) return KeyOf{p.vk, false};
    if (c == p.shifted) return KeyOf{p.vk, true};
  }
  switch (c) {
    case ' ': return KeyOf{VK_SPACE, false};
    case '\t': return KeyOf{VK_TAB, false};
    case '\r':
    case '\n': return KeyOf{VK_RETURN, false};
    case '\b': return KeyOf{VK_BACK, false};
    default: return std::nullopt;
  }
}

HWND FocusOrProblem(Outcome* out) {
  HWND focus = GetFocus();
  if (!focus) *out = Outcome::Fail("no window has the keyboard focus");
  return focus;
}

// One run of characters to the window that has the focus now.
Outcome TypeRun(const std::string& run) {
  Outcome out;
  HWND focus = FocusOrProblem(&out);
  if (!focus) return out;
  for (char c : run) {
    std::optional<KeyOf> key = KeyForChar(c);
    if (!key) {
      // A character no key makes comes as the character alone, as input methods give it.
      PostMessageA(focus, WM_CHAR, static_cast<unsigned char>(c), 1);
      continue;
    }
    if (key->shift) PostKey(focus, VK_SHIFT, true);
    PostKey(focus, key->vk, true);
    PostKey(focus, key->vk, false);
    if (key->shift) PostKey(focus, VK_SHIFT, false);
  }
  return out;
}

bool MovesFocus(char c) { return c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

HWND RootWindow(HWND window) {
  HWND h = window;
  while (h && (GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD)) {
    HWND up = GetParent(h);
    if (!up) break;
    h = up;
  }
  return h;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

bool ClassIs(HWND window, const char* name) {
  std::string a = ClassOf(window), b = name;
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::string Describe(HWND window) {
  if (!IsWindow(window)) return "a window that is gone";
  std::string out = ClassOf(window);
  if (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) out += " " + std::to_string(GetDlgCtrlID(window));
  std::string text = Text(window);
  if (!text.empty()) out += " '" + text + "'";
  if (UINT id = DialogTemplateId(window)) out += " (dialog " + std::to_string(id) + ")";
  return out;
}

Outcome Usable(HWND window) {
  if (!IsWindow(window)) return Outcome::Fail("the window is gone");
  for (HWND h = window; h; h = (GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr) {
    if (!(GetWindowLongPtrA(h, GWL_STYLE) & WS_VISIBLE)) return Outcome::Fail(Describe(window) + " is not visible");
    if (!IsWindowEnabled(h)) return Outcome::Fail(Describe(window) + " is disabled");
  }
  return Outcome::Done();
}

Phases ClickPhases(HWND window, std::optional<POINT> at, bool twice) {
  return {[window, at, twice]() -> Outcome {
    if (Outcome u = Usable(window); !u) return u;
    if (MouseActivate(window)) PostClick(window, at ? *at : Centre(window), twice);
    return Outcome::Done();
  }};
}

Phases FocusPhases(HWND control) {
  return {[control]() -> Outcome {
    if (Outcome u = Usable(control); !u) return u;
    HWND root = RootWindow(control);
    if (GetActiveWindow() != root) SetActiveWindow(root);
    // The dialog manager's own move, as Tab makes it; a control outside dialogs takes it directly.
    HWND parent = GetParent(control);
    HWND dialog = nullptr;
    for (HWND h = parent; h; h = (GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr)
      if (ClassIs(h, "#32770")) dialog = h;
    if (dialog)
      SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    else
      SetFocus(control);
    if (GetFocus() != control && !IsChild(control, GetFocus()))
      return Outcome::Fail(Describe(control) + " did not take the focus");
    return Outcome::Done();
  }};
}

Phases TypePhases(const std::string& text) {
  // A key that may move the focus (Tab, Enter) ends a run: what follows goes
  // to wherever the focus is once the loop has handled it.
  Phases phases;
  std::string run;
  for (char c : text) {
    run += c;
    if (MovesFocus(c)) {
      phases.push_back([run] { return TypeRun(run); });
      run.clear();
    }
  }
  if (!run.empty() || phases.empty()) phases.push_back([run] { return TypeRun(run); });
  return phases;
}

Phases PressPhases(UINT vk, UINT modifiers) {
  return {[vk, modifiers]() -> Outcome {
    Outcome out;
    HWND focus = FocusOrProblem(&out);
    if (!focus) return out;
    const UINT mods[] = {kControl, kAlt, kShift};
    const UINT keys[] = {VK_CONTROL, VK_MENU, VK_SHIFT};
    for (int i = 0; i < 3; ++i)
      if (modifiers & mods[i]) PostKey(focus, keys[i], true);
    // With Alt held the keys are system keys.
    const bool alt = (modifiers & kAlt) != 0;
    PostMessageA(focus, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, alt ? 0x20000001 : 1);
    PostMessageA(focus, alt ? WM_SYSKEYUP : WM_KEYUP, vk, alt ? static_cast<LPARAM>(0xE0000001u) : kKeyUp);
    for (int i = 2; i >= 0; --i)
      if (modifiers & mods[i]) PostKey(focus, keys[i], false);
    return out;
  }};
}

Phases CheckPhases(HWND button, UINT state) {
  // A three-state box may need two clicks; each is checked after the button handled it.
  auto click_if_needed = [button, state]() -> Outcome {
    if (Outcome u = Usable(button); !u) return u;
    UINT now = CheckState(button);
    if (now == state) return Outcome::Done();
    LONG_PTR kind = GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK;
    if ((kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON) && state == BST_UNCHECKED)
      return Outcome::Fail(Describe(button) + ": a radio button is cleared by choosing another one");
    if (MouseActivate(button)) PostClick(button, Centre(button), false);
    return Outcome::Done();
  };
  auto verify = [button, state]() -> Outcome {
    UINT now = CheckState(button);
    if (now == state) return Outcome::Done();
    return Outcome::Fail(Describe(button) + " shows check state " + std::to_string(now) + ", not " +
                         std::to_string(state));
  };
  return {click_if_needed, click_if_needed, click_if_needed, verify};
}

}  // namespace qvp::driver
