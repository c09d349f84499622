// MsgWaitForMultipleObjects: one wait for kernel objects and queue input,
// under the kernel's wait lock.
#include <algorithm>
#include <mutex>
#include <vector>

#include "kernel/handles.h"
#include "ui/last_error.h"
#include "ui/message_pump.h"
#include "ui/send.h"

namespace {

constexpr DWORD kMaxObjects = 63;  // MAXIMUM_WAIT_OBJECTS less the queue

}  // namespace

using namespace qvp::ui;

DWORD WINAPI MsgWaitForMultipleObjectsEx(DWORD nCount, const HANDLE* pHandles, DWORD dwMilliseconds,
                                         DWORD dwWakeMask, DWORD dwFlags) {
  if (nCount > kMaxObjects || (nCount > 0 && !pHandles)) {
    SetError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<std::shared_ptr<qvp::KernelObject>> objects;
  for (DWORD i = 0; i < nCount; ++i) {
    auto o = qvp::LookupHandle(pHandles[i]);
    if (!o || !o->IsWaitable()) {
      SetError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    objects.push_back(std::move(o));
  }
  const bool wait_all = (dwFlags & MWMO_WAITALL) != 0;
  const bool available = (dwFlags & MWMO_INPUTAVAILABLE) != 0;
  const bool forever = dwMilliseconds == INFINITE;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : dwMilliseconds);
  const uint64_t me = qvp::CurrentThreadKey();
  std::shared_ptr<ThreadQueue> q = CurrentQueue();

  SetWaitingForMessages(true);
  DWORD result = WAIT_TIMEOUT;
  for (;;) {
    std::unique_lock<std::mutex> lk(qvp::WaitLock());
    bool handle_sent = false;
    auto input = [&] { return ((available ? StatusLocked(*q) : ChangedLocked(*q)) & dwWakeMask) != 0; };
    auto check = [&]() -> bool {
      if (wait_all) {
        if (!objects.empty() &&
            std::all_of(objects.begin(), objects.end(), [&](const auto& o) { return o->IsSignaled(me); }) &&
            input()) {
          bool abandoned = false;
          for (auto& o : objects) abandoned |= o->Acquire(me);
          result = abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0;
          return true;
        }
      } else {
        for (DWORD i = 0; i < objects.size(); ++i)
          if (objects[i]->IsSignaled(me)) {
            result = (objects[i]->Acquire(me) ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + i;
            return true;
          }
      }
      if ((!wait_all || objects.empty()) && input()) {
        result = WAIT_OBJECT_0 + nCount;
        return true;
      }
      // Messages other threads send are handled while waiting, even when not asked for.
      if (!q->sent.empty()) {
        handle_sent = true;
        return true;
      }
      return false;
    };
    if (check()) {
      if (!handle_sent) break;
      lk.unlock();
      DispatchSentMessages();
      continue;
    }
    Clock::time_point until = forever ? Clock::time_point::max() : deadline;
    if (dwWakeMask & QS_TIMER)
      for (const Timer& t : q->timers)
        if (t.due > (available ? Clock::time_point::min() : q->last_look)) until = std::min(until, t.due);
    if (!forever && Clock::now() >= deadline) {
      result = WAIT_TIMEOUT;
      break;
    }
    if (until == Clock::time_point::max())
      qvp::WaitCondition().wait(lk, check);
    else
      qvp::WaitCondition().wait_until(lk, until, check);
    if (handle_sent) {
      lk.unlock();
      DispatchSentMessages();
      continue;
    }
    if (result != WAIT_TIMEOUT) break;
  }
  SetWaitingForMessages(false);
  return result;
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                       DWORD dwWakeMask) {
  return MsgWaitForMultipleObjectsEx(nCount, pHandles, dwMilliseconds, dwWakeMask, fWaitAll ? MWMO_WAITALL : 0);
}
