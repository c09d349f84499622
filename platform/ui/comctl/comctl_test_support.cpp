#include "comctl_test_support.h"

#include <algorithm>
#include <cstring>

namespace cctest {
namespace {

constexpr char kClass[] = "ComctlTestParent";

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  return name;
}

Note Record(const NMHDR* hdr) {
  Note n;
  n.from = hdr->hwndFrom;
  n.id = hdr->idFrom;
  n.code = hdr->code;
  const std::string cls = ClassOf(hdr->hwndFrom);
  const bool key = hdr->code == LVN_KEYDOWN || hdr->code == TVN_KEYDOWN || hdr->code == TCN_KEYDOWN;
  if (key) {
    std::memcpy(&n.key, reinterpret_cast<const BYTE*>(hdr) + sizeof(NMHDR), sizeof(WORD));
  } else if (cls == WC_LISTVIEWA && hdr->code != NM_SETFOCUS && hdr->code != NM_KILLFOCUS &&
             hdr->code != NM_RETURN) {
    n.lv = *reinterpret_cast<const NMLISTVIEW*>(hdr);
  } else if (cls == WC_TREEVIEWA && hdr->code != NM_SETFOCUS && hdr->code != NM_KILLFOCUS &&
             hdr->code != NM_CLICK && hdr->code != NM_DBLCLK && hdr->code != NM_RCLICK &&
             hdr->code != NM_RETURN) {
    n.tv = *reinterpret_cast<const NMTREEVIEWA*>(hdr);
    if ((n.tv.itemNew.mask & TVIF_TEXT) && n.tv.itemNew.pszText) n.text = n.tv.itemNew.pszText;
  } else if (hdr->code == UDN_DELTAPOS) {
    n.ud = *reinterpret_cast<const NMUPDOWN*>(hdr);
  } else if (cls == WC_HEADERA) {
    n.header_item = reinterpret_cast<const NMHEADERA*>(hdr)->iItem;
  }
  return n;
}

}  // namespace

Parent::Parent() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &Parent::Proc;
  wc.lpszClassName = kClass;
  wc.cbWndExtra = sizeof(LONG_PTR);
  RegisterClassA(&wc);
  hwnd_ = CreateWindowExA(0, kClass, "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr,
                          nullptr, this);
}

Parent::~Parent() {
  if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  UnregisterClassA(kClass, nullptr);
}

HWND Parent::Add(const char* cls, DWORD style, int id, RECT r, const char* text, DWORD ex_style) {
  return CreateWindowExA(ex_style, cls, text, style | WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                         r.bottom - r.top, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

std::vector<UINT> Parent::Codes(HWND from) const {
  std::vector<UINT> out;
  for (const Note& n : notes)
    if (!from || n.from == from) out.push_back(n.code);
  return out;
}

std::vector<Note> Parent::Of(UINT code) const {
  std::vector<Note> out;
  std::copy_if(notes.begin(), notes.end(), std::back_inserter(out), [&](const Note& n) { return n.code == code; });
  return out;
}

void Parent::Clear() {
  notes.clear();
  commands.clear();
  draws.clear();
  scrolls.clear();
  context_menus = 0;
}

LRESULT CALLBACK Parent::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<Parent*>(GetWindowLongPtrA(hwnd, 0));
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      self->notes.push_back(Record(hdr));
      return self->on_notify ? self->on_notify(hdr) : 0;
    }
    case WM_COMMAND:
      self->commands.emplace_back(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_DRAWITEM: {
      const auto& dis = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      self->draws.push_back(dis);
      if (self->on_draw) self->on_draw(dis);
      return TRUE;
    }
    case WM_MEASUREITEM: {
      auto& mis = *reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (self->on_measure) self->on_measure(mis);
      self->measures.push_back(mis);
      return TRUE;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      self->scrolls.emplace_back(msg, wp);
      return 0;
    case WM_CONTEXTMENU:
      ++self->context_menus;
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

void Click(HWND hwnd, int x, int y) {
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void DoubleClick(HWND hwnd, int x, int y) {
  Click(hwnd, x, y);
  SendMessageA(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void RightClick(HWND hwnd, int x, int y) {
  SendMessageA(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
  SendMessageA(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}

void Key(HWND hwnd, UINT vk) {
  SendMessageA(hwnd, WM_KEYDOWN, vk, 1);
  SendMessageA(hwnd, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

void Hold(UINT vk, bool down) {
  // The key state follows key messages as the thread takes them from its queue.
  PostThreadMessageA(GetCurrentThreadId(), down ? WM_KEYDOWN : WM_KEYUP, vk, down ? 1 : static_cast<LPARAM>(0xC0000001u));
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

std::string Text(HWND hwnd) {
  char buf[256] = {};
  GetWindowTextA(hwnd, buf, sizeof(buf));
  return buf;
}

std::vector<std::string> PaintedTexts(HWND hwnd) {
  qvp::ClearWindowPaintLog(hwnd);
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
  std::vector<std::string> out;
  for (const qvp::PaintRecord& r : qvp::GetWindowPaintLog(hwnd).Texts()) out.push_back(r.text);
  return out;
}

}  // namespace cctest
