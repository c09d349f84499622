// Posting and dispatching: PostMessage, PostThreadMessage, PostQuitMessage,
// DispatchMessage and registered message numbers.
#include <mutex>

#include "kernel/handles.h"
#include "ui/last_error.h"
#include "ui/queue.h"
#include "ui/send.h"
#include "ui/window_state.h"

#ifndef ERROR_NOT_ENOUGH_QUOTA
#define ERROR_NOT_ENOUGH_QUOTA 1816L
#endif

namespace qvp::ui {
namespace {

// A queue holds at most this many posted messages, as on Windows.
constexpr size_t kPostedLimit = 10000;

BOOL PostTo(const std::shared_ptr<ThreadQueue>& q, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg < WM_USER && CarriesPointer(msg)) {
    SetError(ERROR_MESSAGE_SYNC_ONLY);
    return FALSE;
  }
  MSG m{hwnd, msg, wp, lp, GetTickCount(), POINT{0, 0}};
  {
    std::lock_guard<std::mutex> g(WaitLock());
    if (!q->alive) {
      SetError(hwnd ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_THREAD_ID);
      return FALSE;
    }
    if (q->posted.size() >= kPostedLimit) {
      SetError(ERROR_NOT_ENOUGH_QUOTA);
      return FALSE;
    }
    q->posted.push_back(m);
    q->changed |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    q->wake.Notify();
  }
  return TRUE;
}

}  // namespace
}  // namespace qvp::ui

using namespace qvp::ui;

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!hWnd) return PostTo(CurrentQueue(), nullptr, Msg, wParam, lParam);
  std::vector<std::pair<HWND, std::shared_ptr<ThreadQueue>>> targets;
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    if (hWnd == HWND_BROADCAST) {
      for (Window* w : s.desktop->children) targets.emplace_back(w->handle, w->queue);
    } else {
      Window* w = RequireLocked(hWnd);
      if (!w) return FALSE;
      if (w->is_root) {
        SetError(ERROR_ACCESS_DENIED);
        return FALSE;
      }
      targets.emplace_back(hWnd, w->queue);
    }
  }
  BOOL ok = TRUE;
  for (auto& [h, q] : targets)
    if (!PostTo(q, h, Msg, wParam, lParam)) ok = FALSE;
  return ok;
}

BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<ThreadQueue> q = idThread == GetCurrentThreadId() ? CurrentQueue() : QueueOfThread(idThread);
  if (!q) {
    SetError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  return PostTo(q, nullptr, Msg, wParam, lParam);
}

void WINAPI PostQuitMessage(int nExitCode) {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  {
    std::lock_guard<std::mutex> g(qvp::WaitLock());
    q->quit_pending = true;
    q->quit_code = nExitCode;
    q->changed |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    q->wake.Notify();
  }
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
  if (!lpMsg) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
    // Only a procedure a live timer of this thread registered is called.
    auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
    bool known = false;
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    {
      std::lock_guard<std::mutex> g(qvp::WaitLock());
      for (const Timer& t : q->timers)
        if (t.proc == proc && t.hwnd == lpMsg->hwnd && t.id == lpMsg->wParam) known = true;
    }
    if (known) proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
    return 0;
  }
  if (!lpMsg->hwnd) return 0;
  WNDPROC proc = nullptr;
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = RequireLocked(lpMsg->hwnd);
    if (!w) return 0;
    if (w->is_root || !OnCurrentThread(w)) {
      SetError(ERROR_MESSAGE_SYNC_ONLY);
      return 0;
    }
    proc = w->proc;
  }
  return CallProc(proc, lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

UINT WINAPI RegisterWindowMessageA(LPCSTR lpString) {
  if (!lpString || IsIntAtom(lpString) || lpString[0] == '\0') {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WindowSystem& s = Sys();
  Lock g(s.lock);
  ATOM atom = AtomOfLocked(lpString, true);
  if (atom < 0xC000) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return atom;
}
