// Tests only: counts the wake-ups of blocked threads, by thread key.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>

#include "kernel/handles.h"

namespace qvtest {

class WakeCounter {
 public:
  WakeCounter() {
    Reset();
    qvp::SetWakeHookForTests(&Record);
  }
  ~WakeCounter() { qvp::SetWakeHookForTests(nullptr); }
  WakeCounter(const WakeCounter&) = delete;
  WakeCounter& operator=(const WakeCounter&) = delete;

  static uint64_t Of(uint64_t thread_key) {
    std::lock_guard<std::mutex> g(Lock());
    auto it = Counts().find(thread_key);
    return it == Counts().end() ? 0 : it->second;
  }

 private:
  static std::mutex& Lock() {
    static std::mutex lock;
    return lock;
  }
  static std::map<uint64_t, uint64_t>& Counts() {
    static std::map<uint64_t, uint64_t> counts;
    return counts;
  }
  static void Reset() {
    std::lock_guard<std::mutex> g(Lock());
    Counts().clear();
  }
  static void Record(uint64_t thread_key) {
    std::lock_guard<std::mutex> g(Lock());
    ++Counts()[thread_key];
  }
};

}  // namespace qvtest
