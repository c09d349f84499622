#include "ui_test_support.h"

#include <algorithm>

namespace uitest {
namespace {
Recorder* g_current = nullptr;
}  // namespace

Recorder::Recorder(std::string name, UINT class_style, int wnd_extra, int cls_extra) : name_(std::move(name)) {
  WNDCLASSA wc{};
  wc.style = class_style;
  wc.lpfnWndProc = &Recorder::Proc;
  wc.cbWndExtra = wnd_extra;
  wc.cbClsExtra = cls_extra;
  wc.lpszClassName = name_.c_str();
  RegisterClassA(&wc);
  g_current = this;
}

Recorder::~Recorder() {
  // Windows a test left behind go first, so that the class can go.
  std::vector<HWND> left;
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        char name[64];
        GetClassNameA(h, name, sizeof(name));
        auto* self = reinterpret_cast<Recorder*>(lp);
        if (self->name_ == name) {
          DWORD pid = 0;
          if (GetWindowThreadProcessId(h, &pid)) DestroyWindow(h);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(this));
  UnregisterClassA(name_.c_str(), nullptr);
  g_current = nullptr;
}

void Recorder::SetHook(Hook hook) {
  std::lock_guard<std::mutex> g(lock_);
  hook_ = std::move(hook);
}

void Recorder::Clear() {
  std::lock_guard<std::mutex> g(lock_);
  seen_.clear();
}

std::vector<Seen> Recorder::All() {
  std::lock_guard<std::mutex> g(lock_);
  return seen_;
}

std::vector<UINT> Recorder::Of(HWND hwnd, const std::vector<UINT>& only) {
  std::lock_guard<std::mutex> g(lock_);
  std::vector<UINT> out;
  for (const Seen& s : seen_)
    if (s.hwnd == hwnd && (only.empty() || std::find(only.begin(), only.end(), s.msg) != only.end()))
      out.push_back(s.msg);
  return out;
}

std::vector<HWND> Recorder::Receivers(UINT msg) {
  std::lock_guard<std::mutex> g(lock_);
  std::vector<HWND> out;
  for (const Seen& s : seen_)
    if (s.msg == msg) out.push_back(s.hwnd);
  return out;
}

HWND Recorder::Create(DWORD style, HWND parent, int id, DWORD ex_style, const char* title, RECT r) {
  return CreateWindowExA(ex_style, name_.c_str(), title, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
}

LRESULT CALLBACK Recorder::Proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  Recorder* self = g_current;
  Hook hook;
  if (self) {
    std::lock_guard<std::mutex> g(self->lock_);
    self->seen_.push_back(Seen{h, m, wp, lp});
    hook = self->hook_;
  }
  if (hook)
    if (auto r = hook(h, m, wp, lp)) return *r;
  return DefWindowProcA(h, m, wp, lp);
}

int PumpPending() {
  MSG msg;
  int n = 0;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    ++n;
  }
  return n;
}

}  // namespace uitest
