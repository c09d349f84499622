#include "ui/controls/controls_test_support.h"

#include <algorithm>

namespace ctltest {
namespace {

const char* ClassName() {
  static const char* name = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Parent::Proc;
    wc.lpszClassName = "ControlsTestParent";
    RegisterClassA(&wc);
    return "ControlsTestParent";
  }();
  return name;
}

}  // namespace

Parent::Parent() {
  hwnd_ = CreateWindowExA(0, ClassName(), "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 400, nullptr,
                          nullptr, nullptr, nullptr);
  SetWindowLongPtrA(hwnd_, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Parent::~Parent() {
  // Notifications sent while the window goes still reach this object.
  DestroyWindow(hwnd_);
}

HWND Parent::Add(const char* cls, const char* text, DWORD style, int id, RECT r, DWORD ex) {
  return CreateWindowExA(ex, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                         r.bottom - r.top, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                         nullptr);
}

std::vector<int> Parent::Codes(int id) const {
  std::vector<int> out;
  for (const Command& c : commands)
    if (c.id == id) out.push_back(c.code);
  return out;
}

void Parent::Clear() {
  commands.clear();
  draws.clear();
  measures.clear();
  deletes.clear();
  scrolls.clear();
}

LRESULT CALLBACK Parent::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<Parent*>(GetWindowLongPtrA(hwnd, GWL_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_COMMAND: {
      Command c{LOWORD(wp), static_cast<int>(static_cast<SHORT>(HIWORD(wp))), reinterpret_cast<HWND>(lp)};
      self->commands.push_back(c);
      if (self->on_command) self->on_command(c);
      return 0;
    }
    case WM_DRAWITEM:
      self->draws.push_back(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (self->on_measure) self->on_measure(*mis);
      self->measures.push_back(*mis);
      return TRUE;
    }
    case WM_DELETEITEM:
      self->deletes.push_back(*reinterpret_cast<DELETEITEMSTRUCT*>(lp));
      return TRUE;
    case WM_COMPAREITEM:
      return self->on_compare ? self->on_compare(*reinterpret_cast<COMPAREITEMSTRUCT*>(lp)) : 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
      return self->on_colour ? reinterpret_cast<LRESULT>(self->on_colour(msg, reinterpret_cast<HDC>(wp))) : 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      self->scrolls.emplace_back(msg, wp);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWL_USERDATA, 0);
      return DefWindowProcA(hwnd, msg, wp, lp);
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

std::string Text(HWND hwnd) {
  char buf[1024] = {};
  GetWindowTextA(hwnd, buf, sizeof(buf));
  return buf;
}

void Click(HWND hwnd, int x, int y) {
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void Type(HWND hwnd, const std::string& chars) {
  for (char c : chars) SendMessageA(hwnd, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void Key(HWND hwnd, UINT vk) {
  SendMessageA(hwnd, WM_KEYDOWN, vk, 1);
  SendMessageA(hwnd, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

qvp::PaintLog Print(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateBitmap(std::max<LONG>(r.right, 1), std::max<LONG>(r.bottom, 1), 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bm);
  SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  qvp::PaintLog log = qvp::GetDCPaintLog(dc);
  SelectObject(dc, old);
  DeleteObject(bm);
  DeleteDC(dc);
  return log;
}

}  // namespace ctltest
