#include "kernel/io_cancel.h"

#include <unordered_map>

#include "kernel/threads.h"
#include "qvplatform/kernel.h"

namespace qvp {
namespace {

struct Registry {
  std::mutex lock;
  std::unordered_map<uint32_t, CancellableWait*> waits;
};

Registry& Waits() {
  static auto* registry = new Registry;
  return *registry;
}

}  // namespace

CancellableWait::CancellableWait(std::mutex& lock, std::condition_variable& cv)
    : thread_id_(GetCurrentThreadId()), lock_(lock), cv_(cv) {
  Registry& r = Waits();
  std::lock_guard<std::mutex> g(r.lock);
  r.waits[thread_id_] = this;
}

CancellableWait::~CancellableWait() {
  Registry& r = Waits();
  std::lock_guard<std::mutex> g(r.lock);
  auto it = r.waits.find(thread_id_);
  if (it != r.waits.end() && it->second == this) r.waits.erase(it);
}

bool CancelThreadOperation(uint32_t thread_id) {
  Registry& r = Waits();
  std::lock_guard<std::mutex> g(r.lock);
  auto it = r.waits.find(thread_id);
  if (it == r.waits.end()) return false;
  CancellableWait* wait = it->second;
  wait->cancelled_.store(true);
  // Woken under the operation's lock, so the wait cannot miss it; the
  // registry's lock keeps the wait alive meanwhile.
  std::lock_guard<std::mutex> wake(wait->lock_);
  wait->cv_.notify_all();
  return true;
}

}  // namespace qvp

QV_API BOOL CancelSynchronousIo(HANDLE hThread) {
  auto thread = std::dynamic_pointer_cast<qvp::ThreadObject>(qvp::LookupObject(hThread));
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  DWORD id = 0;
  {
    std::lock_guard<std::mutex> lock(qvp::WaitLock());
    id = thread->finished ? 0 : thread->thread_id;
  }
  if (id == 0 || !qvp::CancelThreadOperation(id)) {
    SetLastError(ERROR_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}
