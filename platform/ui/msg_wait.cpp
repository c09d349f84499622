// MsgWaitForMultipleObjects: one wait for kernel objects and queue input. The
// kernel's wait evaluates the queue under its wait lock, so a message arriving
// during the wait is never missed.
#include <algorithm>
#include <mutex>

#include "kernel/handles.h"
#include "kernel/wait.h"
#include "ui/last_error.h"
#include "ui/message_pump.h"
#include "ui/send.h"

namespace {

using qvp::ui::Clock;
using qvp::ui::ThreadQueue;

struct QueueWait {
  std::shared_ptr<ThreadQueue> q;
  DWORD mask;
  bool available;  // MWMO_INPUTAVAILABLE: input already seen counts too
  bool forever;
  Clock::time_point deadline;

  // Wait lock held.
  bool Input() const {
    return ((available ? qvp::ui::StatusLocked(*q) : qvp::ui::ChangedLocked(*q)) & mask) != 0;
  }
  bool SentPending() const { return !q->sent.empty(); }

  // How long the next wait may last: up to the deadline, and no further than the
  // moment a timer falls due (that is new input nobody notifies).
  DWORD Slice() const {
    Clock::time_point until = forever ? Clock::time_point::max() : deadline;
    if (mask & QS_TIMER) {
      std::lock_guard<std::mutex> g(qvp::WaitLock());
      for (const qvp::ui::Timer& t : q->timers)
        if (available || t.due > q->last_look) until = std::min(until, t.due);
    }
    if (until == Clock::time_point::max()) return INFINITE;
    // Rounded up, so that the wait never ends before `until`, nor later.
    auto left = std::chrono::ceil<std::chrono::milliseconds>(until - qvp::WaitNow()).count();
    return left <= 0 ? 0 : static_cast<DWORD>(std::min<long long>(left, INFINITE - 1));
  }
  bool Expired() const { return !forever && qvp::WaitNow() >= deadline; }
};

enum class Woke { kInput, kSent, kNothing };

Woke WhatWoke(const QueueWait& w) {
  std::lock_guard<std::mutex> g(qvp::WaitLock());
  if (w.Input()) return Woke::kInput;
  if (w.SentPending()) return Woke::kSent;
  return Woke::kNothing;
}

DWORD WaitAny(const QueueWait& w, const HANDLE* handles, DWORD count) {
  for (;;) {
    DWORD r = qvp::WaitForObjects(handles, count, false, w.Slice(),
                                  [&] { return w.Input() || w.SentPending(); }, &w.q->wake);
    if (r == WAIT_FAILED) return r;
    if (r != WAIT_TIMEOUT && r != WAIT_OBJECT_0 + count) return r;
    Woke why = WhatWoke(w);
    if (why == Woke::kInput) return WAIT_OBJECT_0 + count;
    // Messages other threads send are handled while waiting, even when not asked for.
    if (why == Woke::kSent) qvp::ui::DispatchSentMessages();
    if (why == Woke::kNothing && w.Expired()) return WAIT_TIMEOUT;
  }
}

// Wait-all returns once input has arrived and every object is signalled.
DWORD WaitAll(const QueueWait& w, const HANDLE* handles, DWORD count) {
  DWORD r = WaitAny(w, nullptr, 0);
  if (r != WAIT_OBJECT_0) return r;
  for (;;) {
    DWORD left = w.forever ? INFINITE : w.Slice();
    r = qvp::WaitForObjects(handles, count, true, left, [&] { return w.SentPending(); }, &w.q->wake);
    if (r != WAIT_OBJECT_0 + count) return r;
    qvp::ui::DispatchSentMessages();
  }
}

}  // namespace

using namespace qvp::ui;

DWORD WINAPI MsgWaitForMultipleObjectsEx(DWORD nCount, const HANDLE* pHandles, DWORD dwMilliseconds,
                                         DWORD dwWakeMask, DWORD dwFlags) {
  if (nCount >= MAXIMUM_WAIT_OBJECTS || (nCount > 0 && !pHandles)) {
    SetError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  QueueWait w;
  w.q = CurrentQueue();
  w.mask = dwWakeMask;
  w.available = (dwFlags & MWMO_INPUTAVAILABLE) != 0;
  w.forever = dwMilliseconds == INFINITE;
  w.deadline = qvp::WaitNow() + std::chrono::milliseconds(w.forever ? 0 : dwMilliseconds);
  SetWaitingForMessages(true);
  DWORD r = (dwFlags & MWMO_WAITALL) && nCount > 0 ? WaitAll(w, pHandles, nCount) : WaitAny(w, pHandles, nCount);
  SetWaitingForMessages(false);
  return r;
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                       DWORD dwWakeMask) {
  return MsgWaitForMultipleObjectsEx(nCount, pHandles, dwMilliseconds, dwWakeMask, fWaitAll ? MWMO_WAITALL : 0);
}
