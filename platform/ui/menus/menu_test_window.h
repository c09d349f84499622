// Test helper: a top-level window that records the menu messages and the
// application messages it receives, and lets a test act on them.
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "qvplatform.h"

namespace menutest {

struct Seen {
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};

class RecordingWindow {
 public:
  explicit RecordingWindow(DWORD style = WS_OVERLAPPEDWINDOW) {
    static const ATOM atom = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = &RecordingWindow::Proc;
      wc.lpszClassName = "MenuTestWindow";
      return RegisterClassA(&wc);
    }();
    (void)atom;
    hwnd = CreateWindowExA(0, "MenuTestWindow", "menus", style, 0, 0, 300, 200, nullptr, nullptr, nullptr, this);
  }
  ~RecordingWindow() {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  std::vector<Seen> Messages() {
    std::lock_guard<std::mutex> g(lock_);
    return seen_;
  }
  std::vector<UINT> Ids() {
    std::vector<UINT> ids;
    for (const Seen& s : Messages()) ids.push_back(s.msg);
    return ids;
  }
  void Clear() {
    std::lock_guard<std::mutex> g(lock_);
    seen_.clear();
  }

  // Called on each recorded message (before it is recorded).
  std::function<void(UINT, WPARAM, LPARAM)> on_message;
  HWND hwnd = nullptr;

 private:
  static bool Records(UINT msg) {
    switch (msg) {
      case WM_ENTERMENULOOP:
      case WM_EXITMENULOOP:
      case WM_INITMENU:
      case WM_INITMENUPOPUP:
      case WM_MENUSELECT:
      case WM_COMMAND:
        return true;
      default:
        return msg >= WM_USER && msg < 0xC000;
    }
  }

  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
      SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(h, GWLP_USERDATA));
    if (self && Records(msg)) {
      if (self->on_message) self->on_message(msg, wp, lp);
      std::lock_guard<std::mutex> g(self->lock_);
      self->seen_.push_back(Seen{msg, wp, lp});
      return 0;
    }
    return DefWindowProcA(h, msg, wp, lp);
  }

  std::mutex lock_;
  std::vector<Seen> seen_;
};

// Dispatches every message waiting for the calling thread.
inline int Pump() {
  int n = 0;
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
    ++n;
  }
  return n;
}

}  // namespace menutest
