// Posting to one thread's queue wakes that thread only.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "kernel/handles.h"
#include "kernel/wake_counter.h"
#include "qvplatform.h"

namespace {

struct Pump {
  std::atomic<DWORD> id{0};
  std::atomic<uint64_t> key{0};
  std::atomic<int> received{0};
  std::thread thread;

  void Start() {
    thread = std::thread([this] {
      MSG m;
      PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
      key = qvp::CurrentThreadKey();
      id = GetCurrentThreadId();
      while (GetMessageA(&m, nullptr, 0, 0) > 0) ++received;
    });
    while (id.load() == 0) std::this_thread::yield();
  }
  void Quit() {
    PostThreadMessageA(id, WM_QUIT, 0, 0);
    thread.join();
  }
};

TEST(QueueWake, PostingToOneThreadDoesNotWakeAnotherInGetMessage) {
  qvtest::WakeCounter counter;
  Pump busy;
  Pump idle;
  busy.Start();
  idle.Start();
  // Both block in GetMessage before anything is posted.
  while (qvp::BlockedThreadCount() < 2) std::this_thread::yield();

  for (int n = 0; n < 300; ++n) {
    ASSERT_TRUE(PostThreadMessageA(busy.id, WM_USER + 1, static_cast<WPARAM>(n), 0));
    if (n % 30 == 0) std::this_thread::yield();
  }
  while (busy.received.load() < 300) std::this_thread::yield();
  EXPECT_GE(qvtest::WakeCounter::Of(busy.key), 1u);
  EXPECT_EQ(qvtest::WakeCounter::Of(idle.key), 0u);
  EXPECT_EQ(idle.received.load(), 0);

  busy.Quit();
  idle.Quit();
  EXPECT_EQ(idle.received.load(), 0);
}

}  // namespace
