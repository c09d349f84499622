// GetMessage, PeekMessage and WaitMessage: the order in which a thread's queue
// gives up its messages, and waiting for new ones.
#include "ui/message_pump.h"

#include <algorithm>
#include <mutex>

#include "kernel/handles.h"
#include "kernel/idle_poll.h"
#include "ui/keys.h"
#include "ui/last_error.h"
#include "ui/send.h"
#include "ui/window_state.h"

namespace qvp::ui {
namespace {

const HWND kThreadOnly = reinterpret_cast<HWND>(-1);

void CollectDescendants(const Window* w, std::vector<HWND>* out) {
  for (const Window* c : w->children) {
    out->push_back(c->handle);
    CollectDescendants(c, out);
  }
}

bool TimerTaken(const Timer& t, const MessageFilter& f) { return f.InRange(WM_TIMER) && f.Takes(t.hwnd); }

void Stamp(ThreadQueue& q, const MSG& m) {
  q.last_time = m.time;
  q.last_pos = static_cast<DWORD>(MAKELONG(static_cast<WORD>(m.pt.x), static_cast<WORD>(m.pt.y)));
}

// The window to paint first among candidates: the one nearest the top of the tree.
HWND PickPaint(const std::vector<HWND>& candidates, const MessageFilter& filter) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  HWND best = nullptr;
  int best_depth = 0;
  for (HWND h : candidates) {
    Window* w = FindLocked(h);
    if (!w || !filter.Takes(h) || !(w->has_update || w->internal_paint)) continue;
    int depth = 0;
    for (Window* p = w->parent; p; p = p->parent) ++depth;
    if (!best || depth < best_depth) {
      best = h;
      best_depth = depth;
    }
  }
  return best;
}

}  // namespace

bool MessageFilter::Takes(HWND h) const {
  if (!hwnd) return true;
  if (hwnd == kThreadOnly) return h == nullptr;
  return std::find(windows.begin(), windows.end(), h) != windows.end();
}

MessageFilter MakeFilter(HWND hwnd, UINT min, UINT max) {
  MessageFilter f;
  f.hwnd = hwnd;
  f.min = min;
  f.max = max;
  if (hwnd && hwnd != kThreadOnly) {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    f.windows.push_back(hwnd);
    if (Window* w = FindLocked(hwnd)) CollectDescendants(w, &f.windows);
  }
  return f;
}

Clock::time_point NextTimerLocked(const ThreadQueue& q, const MessageFilter& filter) {
  Clock::time_point next = Clock::time_point::max();
  for (const Timer& t : q.timers)
    if (TimerTaken(t, filter)) next = std::min(next, t.due);
  return next;
}

UINT StatusLocked(const ThreadQueue& q) {
  UINT bits = 0;
  if (!q.posted.empty() || q.quit_pending) bits |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
  if (!q.sent.empty()) bits |= QS_SENDMESSAGE;
  if (!q.paint_windows.empty()) bits |= QS_PAINT;
  Clock::time_point now = qvp::WaitNow();
  for (const Timer& t : q.timers)
    if (t.due <= now) bits |= QS_TIMER;
  return bits;
}

UINT ChangedLocked(const ThreadQueue& q) {
  UINT bits = q.changed;
  Clock::time_point now = qvp::WaitNow();
  for (const Timer& t : q.timers)
    if (t.due <= now && t.due > q.last_look) bits |= QS_TIMER;
  return bits;
}

bool PeekQueue(MSG* out, const MessageFilter& filter, bool remove) {
  DispatchSentMessages();
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  std::vector<HWND> paint;
  {
    std::lock_guard<std::mutex> g(WaitLock());
    q->changed = 0;
    q->last_look = qvp::WaitNow();
    for (auto it = q->posted.begin(); it != q->posted.end(); ++it) {
      if (!filter.Takes(it->hwnd) || (it->message != WM_QUIT && !filter.InRange(it->message))) continue;
      *out = *it;
      if (remove) q->posted.erase(it);
      Stamp(*q, *out);
      if (remove) NoteKeyMessage(*out);
      return true;
    }
    if (q->quit_pending && filter.Takes(nullptr)) {
      *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q->quit_code), 0, GetTickCount(), POINT{0, 0}};
      if (remove) q->quit_pending = false;
      Stamp(*q, *out);
      return true;
    }
    if (filter.InRange(WM_PAINT)) paint = q->paint_windows;
  }
  if (!paint.empty()) {
    if (HWND h = PickPaint(paint, filter)) {
      *out = MSG{h, WM_PAINT, 0, 0, GetTickCount(), POINT{0, 0}};
      std::lock_guard<std::mutex> g(WaitLock());
      Stamp(*q, *out);
      return true;
    }
  }
  std::lock_guard<std::mutex> g(WaitLock());
  Clock::time_point now = qvp::WaitNow();
  Timer* first = nullptr;
  for (Timer& t : q->timers)
    if (t.due <= now && TimerTaken(t, filter) && (!first || t.due < first->due)) first = &t;
  if (!first) return false;
  *out = MSG{first->hwnd, WM_TIMER, first->id, reinterpret_cast<LPARAM>(first->proc), GetTickCount(), POINT{0, 0}};
  if (remove) first->due = now + std::chrono::milliseconds(first->elapse);
  Stamp(*q, *out);
  return true;
}

bool WaitForQueue(const MessageFilter& filter, Clock::time_point deadline) {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  SetWaitingForMessages(true);
  bool woke = false;
  for (;;) {
    std::unique_lock<std::mutex> lk(WaitLock());
    Clock::time_point until = std::min(deadline, NextTimerLocked(*q, filter));
    auto ready = [&] {
      return !q->sent.empty() || q->changed != 0 || NextTimerLocked(*q, filter) <= qvp::WaitNow() || !q->alive;
    };
    qvp::BlockUntil(lk, {&q->wake}, until, ready);
    if (!q->sent.empty()) {
      lk.unlock();
      DispatchSentMessages();
      woke = true;
      break;
    }
    if (ready()) {
      woke = true;
      break;
    }
    if (qvp::WaitNow() >= deadline) break;
  }
  SetWaitingForMessages(false);
  return woke;
}

}  // namespace qvp::ui

using namespace qvp::ui;

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  if (!lpMsg) {
    SetError(ERROR_NOACCESS);
    return FALSE;
  }
  if (hWnd && hWnd != reinterpret_cast<HWND>(-1) && !IsWindow(hWnd)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  MessageFilter f = MakeFilter(hWnd, wMsgFilterMin, wMsgFilterMax);
  const bool remove = (wRemoveMsg & PM_REMOVE) != 0;
  const bool found = PeekQueue(lpMsg, f, remove);
  qvp::NoteEmptyPeek(remove && !found);
  return found ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (!lpMsg) {
    SetError(ERROR_NOACCESS);
    return -1;
  }
  if (hWnd && hWnd != reinterpret_cast<HWND>(-1) && !IsWindow(hWnd)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  for (;;) {
    MessageFilter f = MakeFilter(hWnd, wMsgFilterMin, wMsgFilterMax);
    if (PeekQueue(lpMsg, f, true)) return lpMsg->message == WM_QUIT ? FALSE : TRUE;
    WaitForQueue(f, Clock::time_point::max());
  }
}

BOOL WINAPI WaitMessage() {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  MessageFilter all;
  SetWaitingForMessages(true);
  for (;;) {
    std::unique_lock<std::mutex> lk(qvp::WaitLock());
    auto ready = [&] { return !q->sent.empty() || (ChangedLocked(*q) & QS_ALLINPUT) != 0; };
    if (ready()) {
      bool sent = !q->sent.empty();
      lk.unlock();
      if (sent) DispatchSentMessages();
      break;
    }
    // The next timer that falls due counts as new input.
    Clock::time_point next = Clock::time_point::max();
    for (const Timer& t : q->timers)
      if (t.due > q->last_look) next = std::min(next, t.due);
    qvp::BlockUntil(lk, {&q->wake}, next, ready);
  }
  SetWaitingForMessages(false);
  return TRUE;
}

DWORD WINAPI GetQueueStatus(UINT flags) {
  DispatchSentMessages();
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  std::lock_guard<std::mutex> g(qvp::WaitLock());
  UINT now = StatusLocked(*q) & flags;
  UINT fresh = ChangedLocked(*q) & flags;
  q->changed &= ~flags;
  if (flags & QS_TIMER) q->last_look = qvp::WaitNow();
  return MAKELONG(static_cast<WORD>(fresh), static_cast<WORD>(now));
}

DWORD WINAPI GetMessagePos() {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  std::lock_guard<std::mutex> g(qvp::WaitLock());
  return q->last_pos;
}

LONG WINAPI GetMessageTime() {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  std::lock_guard<std::mutex> g(qvp::WaitLock());
  return static_cast<LONG>(q->last_time);
}
