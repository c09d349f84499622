// The up-down control ("msctls_updown32"): a pair of arrows that step a
// position, optionally shown as text in a buddy window.
//
// A user's click on an arrow (or Up/Down with UDS_ARROWKEYS, in the control or
// its buddy) sends UDN_DELTAPOS with the proposed step - a nonzero answer
// cancels it, a changed iDelta is taken - then moves the position within the
// range (or around it with UDS_WRAP), rewrites the buddy's text with
// UDS_SETBUDDYINT and sends WM_VSCROLL (WM_HSCROLL with UDS_HORZ) with
// SB_THUMBPOSITION; the release sends SB_ENDSCROLL. The up arrow steps toward
// the range's maximum, so with the default range (minimum 100, maximum 0) it
// steps down. Changes from code notify nobody.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ui/comctl/comctl_classes.h"
#include "ui/comctl/comctl_common.h"

namespace qvp::ui::comctl {
namespace {

constexpr char kOldProc[] = "QvUpDownBuddyProc";
constexpr char kOwner[] = "QvUpDownOwner";

struct UpDownState : ControlBase {
  int lower = 100;  // the minimum
  int upper = 0;    // the maximum
  int pos = 0;
  int base = 10;
  HWND buddy = nullptr;
  std::vector<UDACCEL> accels{{0, 1}, {2, 5}, {5, 20}};
  int pressed = 0;  // +1 the up (or right) arrow, -1 the other, 0 none
};

WindowSlot<UpDownState>& States() { return SlotOf<UpDownState>(); }

int Lo(const UpDownState& s) { return std::min(s.lower, s.upper); }
int Hi(const UpDownState& s) { return std::max(s.lower, s.upper); }
bool Horizontal(const UpDownState& s) { return (s.Style() & UDS_HORZ) != 0; }

std::string Format(const UpDownState& s, int value) {
  char buf[32];
  if (s.base == 16) {
    std::snprintf(buf, sizeof(buf), "0x%X", static_cast<unsigned>(value));
    return buf;
  }
  std::snprintf(buf, sizeof(buf), "%d", value);
  if (s.Style() & UDS_NOTHOUSANDS) return buf;
  // Groups of three digits from the right, separated by commas.
  const char* digits = buf[0] == '-' ? buf + 1 : buf;
  const size_t n = std::strlen(digits);
  std::string out = buf[0] == '-' ? "-" : "";
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

// The buddy's text as a number of the current base; false when it is none.
bool Parse(const UpDownState& s, const std::string& text, int* out) {
  std::string t;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != ',') t.push_back(c);
  if (t.empty()) return false;
  long long v = 0;
  size_t i = 0;
  bool negative = false;
  if (s.base == 16) {
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) i = 2;
    if (i == t.size()) return false;
    for (; i < t.size(); ++i) {
      const char c = t[i];
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0 || v > 0xFFFFFFFFLL) return false;
      v = v * 16 + d;
    }
    *out = static_cast<int>(static_cast<unsigned>(v));
    return true;
  }
  if (t[0] == '-' || t[0] == '+') {
    negative = t[0] == '-';
    i = 1;
  }
  if (i == t.size()) return false;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9' || v > 0x7FFFFFFFLL) return false;
    v = v * 10 + (t[i] - '0');
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  *out = static_cast<int>(v);
  return true;
}

bool BuddyInt(const UpDownState& s) { return (s.Style() & UDS_SETBUDDYINT) && s.buddy && IsWindow(s.buddy); }

void WriteBuddy(const UpDownState& s) {
  if (BuddyInt(s)) SetWindowTextA(s.buddy, Format(s, s.pos).c_str());
}

// Takes the position from the buddy's text; false when it is not a number within the range.
bool ReadBuddy(UpDownState& s) {
  if (!BuddyInt(s)) return false;
  char buf[64] = {};
  GetWindowTextA(s.buddy, buf, sizeof(buf));
  int v = 0;
  if (!Parse(s, buf, &v) || v < Lo(s) || v > Hi(s)) return false;
  s.pos = v;
  return true;
}

LRESULT CALLBACK BuddyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

void Unhook(HWND buddy) {
  if (!buddy || !IsWindow(buddy)) return;
  auto old = reinterpret_cast<WNDPROC>(GetPropA(buddy, kOldProc));
  if (!old) return;
  // Only a chain that still starts here can be given back.
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(buddy, GWL_WNDPROC)) == &BuddyProc) {
    SetWindowLongPtrA(buddy, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropA(buddy, kOldProc);
  }
  RemovePropA(buddy, kOwner);
}

void Hook(UpDownState& s) {
  if (!s.buddy || GetPropA(s.buddy, kOldProc)) return;
  const LONG_PTR old = SetWindowLongPtrA(s.buddy, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&BuddyProc));
  SetPropA(s.buddy, kOldProc, reinterpret_cast<HANDLE>(old));
  SetPropA(s.buddy, kOwner, s.self);
}

// Sits beside the buddy and takes its width from it.
void Align(UpDownState& s) {
  const DWORD style = s.Style();
  if (!(style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT)) || !s.buddy) return;
  HWND parent = GetParent(s.buddy);
  RECT b{}, me{};
  GetWindowRect(s.buddy, &b);
  GetWindowRect(s.self, &me);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&b), 2);
  int width = me.right - me.left;
  if (width <= 0) width = GetSystemMetrics(SM_CXVSCROLL);
  const LONG_PTR bstyle = GetWindowLongPtrA(s.buddy, GWL_STYLE);
  const LONG_PTR bex = GetWindowLongPtrA(s.buddy, GWL_EXSTYLE);
  const int overlap = ((bstyle & WS_BORDER) || (bex & WS_EX_CLIENTEDGE)) ? 2 : 0;
  const int bw = std::max<int>(0, b.right - b.left - (width - overlap));
  const int height = b.bottom - b.top;
  if (style & UDS_ALIGNRIGHT) {
    SetWindowPos(s.buddy, nullptr, b.left, b.top, bw, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(s.self, nullptr, b.left + bw - overlap, b.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SetWindowPos(s.self, nullptr, b.left, b.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(s.buddy, nullptr, b.left + width - overlap, b.top, bw, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

HWND SetBuddy(UpDownState& s, HWND buddy) {
  const HWND old = s.buddy;
  if (old && (s.Style() & UDS_ARROWKEYS)) Unhook(old);
  s.buddy = buddy && IsWindow(buddy) ? buddy : nullptr;
  if (s.buddy) {
    if (s.Style() & UDS_ARROWKEYS) Hook(s);
    Align(s);
    WriteBuddy(s);
  }
  return old;
}

void Scroll(const UpDownState& s, WORD code) {
  if (!s.notify || !IsWindow(s.notify)) return;
  SendMessageA(s.notify, Horizontal(s) ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(code, static_cast<WORD>(s.pos)),
               reinterpret_cast<LPARAM>(s.self));
}

// One step of a user's: asked, then taken within or around the range, then told.
void Step(UpDownState& s, bool up) {
  ReadBuddy(s);
  const int inc = s.accels.empty() ? 1 : static_cast<int>(s.accels.front().nInc);
  NMUPDOWN nm{};
  nm.iPos = s.pos;
  nm.iDelta = (up ? inc : -inc) * (s.upper < s.lower ? -1 : 1);
  if (s.Notify(UDN_DELTAPOS, &nm.hdr)) return;
  if (!IsWindow(s.self)) return;
  long long next = static_cast<long long>(s.pos) + nm.iDelta;
  if (next > Hi(s)) next = (s.Style() & UDS_WRAP) ? Lo(s) : Hi(s);
  if (next < Lo(s)) next = (s.Style() & UDS_WRAP) ? Hi(s) : Lo(s);
  if (next != s.pos) {
    s.pos = static_cast<int>(next);
    WriteBuddy(s);
  }
  Scroll(s, SB_THUMBPOSITION);
}

int Clamp(const UpDownState& s, long long v) { return static_cast<int>(std::clamp<long long>(v, Lo(s), Hi(s))); }

LRESULT SetPos(UpDownState& s, long long v) {
  const int old = s.pos;
  s.pos = Clamp(s, v);
  WriteBuddy(s);
  return old;
}

void DrawArrow(HDC hdc, RECT r, bool up, bool horizontal, bool pressed, bool enabled) {
  DrawEdge(hdc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
  const int cx = (r.left + r.right) / 2 + (pressed ? 1 : 0), cy = (r.top + r.bottom) / 2 + (pressed ? 1 : 0);
  const int k = std::max<int>(1, std::min<int>(r.right - r.left, r.bottom - r.top) / 4);
  std::array<POINT, 3> tri;
  if (horizontal)
    tri = up ? std::array<POINT, 3>{POINT{cx - k / 2, cy - k}, POINT{cx - k / 2, cy + k}, POINT{cx + k / 2 + 1, cy}}
             : std::array<POINT, 3>{POINT{cx + k / 2, cy - k}, POINT{cx + k / 2, cy + k}, POINT{cx - k / 2 - 1, cy}};
  else
    tri = up ? std::array<POINT, 3>{POINT{cx - k, cy + k / 2}, POINT{cx + k, cy + k / 2}, POINT{cx, cy - k / 2 - 1}}
             : std::array<POINT, 3>{POINT{cx - k, cy - k / 2}, POINT{cx + k, cy - k / 2}, POINT{cx, cy + k / 2 + 1}};
  HBRUSH brush = CreateSolidBrush(GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  HGDIOBJ ob = SelectObject(hdc, brush), op = SelectObject(hdc, pen);
  Polygon(hdc, tri.data(), 3);
  SelectObject(hdc, ob);
  SelectObject(hdc, op);
  DeleteObject(brush);
  DeleteObject(pen);
}

// The up (or right) half and the other half of the control.
void Halves(const UpDownState& s, RECT* up, RECT* down) {
  RECT r{};
  GetClientRect(s.self, &r);
  if (Horizontal(s)) {
    const int mid = r.right / 2;
    *down = RECT{0, 0, mid, r.bottom};
    *up = RECT{mid, 0, r.right, r.bottom};
  } else {
    const int mid = r.bottom / 2;
    *up = RECT{0, 0, r.right, mid};
    *down = RECT{0, mid, r.right, r.bottom};
  }
}

void Paint(UpDownState& s, HDC hdc) {
  RECT up{}, down{};
  Halves(s, &up, &down);
  const bool enabled = IsWindowEnabled(s.self) != FALSE;
  DrawArrow(hdc, up, true, Horizontal(s), s.pressed > 0, enabled);
  DrawArrow(hdc, down, false, Horizontal(s), s.pressed < 0, enabled);
}

LRESULT Dispatch(UpDownState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      s.Attach(hwnd, reinterpret_cast<const CREATESTRUCTA*>(lp));
      if (s.Style() & UDS_AUTOBUDDY) SetBuddy(s, GetWindow(hwnd, GW_HWNDPREV));
      return 0;
    case WM_DESTROY:
      if (s.Style() & UDS_ARROWKEYS) Unhook(s.buddy);
      return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_ERASEBKGND:
      return s.Common(hwnd, msg, wp, lp);
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) { Paint(s, hdc); });
    case WM_ENABLE:
      s.Repaint();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (!IsWindowEnabled(hwnd)) return 0;
      RECT up{}, down{};
      Halves(s, &up, &down);
      const POINT p = PointOf(lp);
      const int part = Inside(up, p) ? 1 : Inside(down, p) ? -1 : 0;
      if (!part) return 0;
      if (s.buddy && GetFocus() != s.buddy && IsWindowEnabled(s.buddy)) SetFocus(s.buddy);
      s.pressed = part;
      SetCapture(hwnd);
      s.Repaint();
      Step(s, part > 0);
      return 0;
    }
    case WM_LBUTTONUP:
      if (!s.pressed) return 0;
      s.pressed = 0;
      if (GetCapture() == hwnd) ReleaseCapture();
      s.Repaint();
      Scroll(s, SB_ENDSCROLL);
      return 0;
    case WM_CAPTURECHANGED:
      if (s.pressed) {
        s.pressed = 0;
        s.Repaint();
      }
      return 0;
    case WM_KEYDOWN:
      if ((s.Style() & UDS_ARROWKEYS) && (wp == VK_UP || wp == VK_DOWN)) {
        Step(s, wp == VK_UP);
        return 0;
      }
      return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_KEYUP:
      if ((s.Style() & UDS_ARROWKEYS) && (wp == VK_UP || wp == VK_DOWN)) {
        Scroll(s, SB_ENDSCROLL);
        return 0;
      }
      return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_GETDLGCODE:
      return (s.Style() & UDS_ARROWKEYS) ? DLGC_WANTARROWS : 0;

    case UDM_SETRANGE:
      s.upper = static_cast<SHORT>(LOWORD(lp));
      s.lower = static_cast<SHORT>(HIWORD(lp));
      s.pos = Clamp(s, s.pos);
      return 0;
    case UDM_GETRANGE:
      return MAKELONG(static_cast<WORD>(s.upper), static_cast<WORD>(s.lower));
    case UDM_SETRANGE32:
      s.lower = static_cast<int>(wp);
      s.upper = static_cast<int>(lp);
      s.pos = Clamp(s, s.pos);
      return 0;
    case UDM_GETRANGE32:
      if (wp) *reinterpret_cast<int*>(wp) = s.lower;
      if (lp) *reinterpret_cast<int*>(lp) = s.upper;
      return 0;
    case UDM_SETPOS:
      return static_cast<SHORT>(SetPos(s, static_cast<SHORT>(LOWORD(lp))));
    case UDM_SETPOS32:
      return SetPos(s, static_cast<int>(lp));
    case UDM_GETPOS: {
      const bool ok = ReadBuddy(s);
      return MAKELONG(static_cast<WORD>(s.pos), ok ? 0 : 1);
    }
    case UDM_GETPOS32: {
      const bool ok = ReadBuddy(s);
      if (lp) *reinterpret_cast<BOOL*>(lp) = ok ? FALSE : TRUE;
      return s.pos;
    }
    case UDM_SETBUDDY:
      return reinterpret_cast<LRESULT>(SetBuddy(s, reinterpret_cast<HWND>(wp)));
    case UDM_GETBUDDY:
      return reinterpret_cast<LRESULT>(s.buddy);
    case UDM_SETBASE: {
      if (wp != 10 && wp != 16) return 0;
      const int old = s.base;
      s.base = static_cast<int>(wp);
      WriteBuddy(s);
      return old;
    }
    case UDM_GETBASE:
      return s.base;
    case UDM_SETACCEL: {
      const auto* accels = reinterpret_cast<const UDACCEL*>(lp);
      if (!accels || wp == 0 || wp > 64) return FALSE;
      s.accels.assign(accels, accels + wp);
      return TRUE;
    }
    case UDM_GETACCEL: {
      auto* out = reinterpret_cast<UDACCEL*>(lp);
      if (out && wp) {
        const size_t n = std::min(static_cast<size_t>(wp), s.accels.size());
        std::copy_n(s.accels.begin(), n, out);
      }
      return static_cast<LRESULT>(s.accels.size());
    }
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

// The buddy's arrow keys step its up-down control.
LRESULT CALLBACK BuddyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto old = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOldProc));
  auto owner = static_cast<HWND>(GetPropA(hwnd, kOwner));
  if ((msg == WM_KEYDOWN || msg == WM_KEYUP) && (wp == VK_UP || wp == VK_DOWN) && owner) {
    std::shared_ptr<UpDownState> sp = States().Get(owner);
    if (sp && IsWindowEnabled(owner)) {
      if (msg == WM_KEYDOWN)
        Step(*sp, wp == VK_UP);
      else
        Scroll(*sp, SB_ENDSCROLL);
      return 0;
    }
  }
  if (msg == WM_NCDESTROY) {
    if (owner)
      if (std::shared_ptr<UpDownState> sp = States().Get(owner); sp && sp->buddy == hwnd) sp->buddy = nullptr;
    SetWindowLongPtrA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropA(hwnd, kOldProc);
    RemovePropA(hwnd, kOwner);
  }
  return old ? CallWindowProcA(old, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

LRESULT CALLBACK UpDownWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return RunCommonControl(States(), hwnd, msg, wp, lp, Dispatch);
}

}  // namespace qvp::ui::comctl
