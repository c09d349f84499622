// The test clock: a process-wide offset that replaces the real clocks while a
// TestClock is installed. When none is, "now" costs one relaxed atomic load more.
#include "qvplatform/test_clock.h"

#include <time.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "kernel/handles.h"
#include "kernel/test_clock_hooks.h"

namespace qvp {
namespace {

std::atomic<bool> g_installed{false};
// Guarded by WaitLock() for writers; read lock-free by "now".
std::atomic<int64_t> g_offset_ns{0};
std::atomic<int64_t> g_base_steady_ns{0};   // steady clock at installation
std::atomic<uint64_t> g_base_realtime_ns{0};  // Unix time at installation
// Guarded by WaitLock(): how many times the clock moved, and how many threads
// are blocked in a timed wait they began after the last move.
uint64_t g_generation = 0;
std::atomic<size_t> g_fresh_waiters{0};

int64_t RealSteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(WaitClock::now().time_since_epoch()).count();
}

uint64_t RealUnixNs() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

}  // namespace

bool TestClockInstalled() { return g_installed.load(std::memory_order_relaxed); }

WaitClock::time_point WaitNow() {
  if (!TestClockInstalled()) return WaitClock::now();
  return WaitClock::time_point(std::chrono::nanoseconds(g_base_steady_ns.load() + g_offset_ns.load()));
}

uint64_t TestClockMonotonicNs() { return static_cast<uint64_t>(WaitNow().time_since_epoch().count()); }

uint64_t TestClockUnixNs() { return g_base_realtime_ns.load() + static_cast<uint64_t>(g_offset_ns.load()); }

uint64_t NoteTimedWaitBegins() {
  g_fresh_waiters.fetch_add(1);
  return g_generation;
}

void NoteTimedWaitEnds(uint64_t generation) {
  if (generation == g_generation) g_fresh_waiters.fetch_sub(1);
}

void SetTestClockStart(int64_t steady_ns, uint64_t unix_ns) {
  std::lock_guard<std::mutex> g(WaitLock());
  g_base_steady_ns.store(steady_ns);
  g_base_realtime_ns.store(unix_ns);
}

TestClock::TestClock() {
  std::lock_guard<std::mutex> g(WaitLock());
  if (g_installed.load()) throw std::logic_error("a test clock is installed already");
  g_offset_ns.store(0);
  g_base_steady_ns.store(RealSteadyNs());
  g_base_realtime_ns.store(RealUnixNs());
  g_installed.store(true);
}

TestClock::~TestClock() {
  {
    std::lock_guard<std::mutex> g(WaitLock());
    g_installed.store(false);
  }
  NotifyWaiters();
}

void TestClock::Advance(uint64_t ms) {
  {
    std::lock_guard<std::mutex> g(WaitLock());
    g_offset_ns.fetch_add(static_cast<int64_t>(ms) * 1000000);
    ++g_generation;
    g_fresh_waiters.store(0);
  }
  NotifyWaiters();
}

uint64_t TestClock::Elapsed() const { return static_cast<uint64_t>(g_offset_ns.load() / 1000000); }

size_t TestClock::TimedWaiters() { return g_fresh_waiters.load(); }

bool TestClock::AwaitTimedWaiters(size_t count, uint64_t real_ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(real_ms);
  while (g_fresh_waiters.load() < count) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace qvp
