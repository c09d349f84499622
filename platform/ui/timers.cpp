// SetTimer and KillTimer. A timer is not a posted message: the queue makes
// WM_TIMER when a timer is due and nothing else is waiting, as Windows does.
#include <algorithm>
#include <mutex>

#include "kernel/handles.h"
#include "ui/last_error.h"
#include "ui/queue.h"
#include "ui/window_state.h"

using namespace qvp::ui;

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  if (hWnd) {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = RequireLocked(hWnd);
    if (!w) return 0;
    if (w->is_root || w->queue != q) {
      SetError(ERROR_ACCESS_DENIED);
      return 0;
    }
  }
  uElapse = std::clamp<UINT>(uElapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  UINT_PTR id = nIDEvent;
  {
    std::lock_guard<std::mutex> g(qvp::WaitLock());
    auto same = std::find_if(q->timers.begin(), q->timers.end(),
                             [&](const Timer& t) { return t.hwnd == hWnd && t.id == nIDEvent; });
    if (!hWnd && same == q->timers.end()) {
      // A new thread timer gets an id of its own; the one asked for is ignored.
      static UINT_PTR next_id = 0;
      do {
        next_id = next_id % 0x7FFF + 1;
      } while (std::any_of(q->timers.begin(), q->timers.end(),
                           [&](const Timer& t) { return !t.hwnd && t.id == next_id; }));
      id = next_id;
    }
    Timer t;
    t.hwnd = hWnd;
    t.id = id;
    t.elapse = uElapse;
    t.proc = lpTimerFunc;
    t.due = qvp::WaitNow() + std::chrono::milliseconds(uElapse);
    if (same != q->timers.end())
      *same = t;
    else
      q->timers.push_back(t);
    q->wake.Notify();
  }
  return hWnd && id == 0 ? 1 : id;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  if (hWnd) {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = RequireLocked(hWnd);
    if (!w) return FALSE;
    q = w->queue;
  }
  if (!q) return FALSE;
  std::lock_guard<std::mutex> g(qvp::WaitLock());
  auto it = std::find_if(q->timers.begin(), q->timers.end(),
                         [&](const Timer& t) { return t.hwnd == hWnd && t.id == uIDEvent; });
  if (it == q->timers.end()) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  q->timers.erase(it);
  return TRUE;
}
