// Synchronous operations that another thread can cancel (CancelSynchronousIo):
// the blocked thread registers its wait while the operation runs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace qvp {

// While alive, the calling thread's blocking operation can be cancelled. The
// operation waits with Wait() on its own lock and condition, which ends when
// `done` says so or on a cancel. Made and destroyed without holding `lock`.
class CancellableWait {
 public:
  CancellableWait(std::mutex& lock, std::condition_variable& cv);
  ~CancellableWait();
  CancellableWait(const CancellableWait&) = delete;
  CancellableWait& operator=(const CancellableWait&) = delete;

  // Waits under `lock` until done() or a cancel; false when cancelled.
  template <class Done>
  bool Wait(std::unique_lock<std::mutex>& lock, Done done) {
    cv_.wait(lock, [&] { return done() || cancelled_.load(); });
    return !cancelled_.load() || done();
  }

 private:
  friend bool CancelThreadOperation(uint32_t thread_id);
  uint32_t thread_id_;
  std::atomic<bool> cancelled_{false};
  std::mutex& lock_;
  std::condition_variable& cv_;
};

// Cancels the operation of the thread with this id; false when it runs none.
bool CancelThreadOperation(uint32_t thread_id);

}  // namespace qvp
