// Eight threads hammering the interlocked calls and critical sections.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "kernel/test_support.h"

namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 20000;

template <class F>
void RunOnThreads(F body) {
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(body, t);
  for (auto& t : threads) t.join();
}

TEST(Races, InterlockedCountsNeverLoseAnUpdate) {
  volatile LONG counter = 0;
  volatile LONG total = 0;
  volatile LONG cas_counter = 0;
  RunOnThreads([&](int) {
    for (int i = 0; i < kRounds; ++i) {
      InterlockedIncrement(&counter);
      InterlockedExchangeAdd(&total, 3);
      LONG seen;
      do {
        seen = InterlockedExchangeAdd(&cas_counter, 0);  // an atomic read
      } while (InterlockedCompareExchange(&cas_counter, seen + 1, seen) != seen);
    }
    for (int i = 0; i < kRounds / 2; ++i) InterlockedDecrement(&counter);
  });
  EXPECT_EQ(counter, kThreads * kRounds / 2);
  EXPECT_EQ(total, kThreads * kRounds * 3);
  EXPECT_EQ(cas_counter, kThreads * kRounds);
}

TEST(Races, InterlockedReturnValues) {
  volatile LONG v = 0x7FFFFFFF;
  EXPECT_EQ(InterlockedIncrement(&v), static_cast<LONG>(0x80000000u));  // wraps like the hardware
  EXPECT_EQ(InterlockedDecrement(&v), 0x7FFFFFFF);
  EXPECT_EQ(InterlockedExchange(&v, 5), 0x7FFFFFFF);
  EXPECT_EQ(InterlockedExchangeAdd(&v, -7), 5);
  EXPECT_EQ(v, -2);
  EXPECT_EQ(InterlockedCompareExchange(&v, 9, 1), -2);  // no match: unchanged
  EXPECT_EQ(v, -2);
  EXPECT_EQ(InterlockedCompareExchange(&v, 9, -2), -2);
  EXPECT_EQ(v, 9);

  int a = 0, b = 0;
  PVOID volatile slot = &a;
  EXPECT_EQ(InterlockedExchangePointer(&slot, &b), &a);
  EXPECT_EQ(InterlockedCompareExchangePointer(&slot, &a, &a), &b);
  EXPECT_EQ(slot, &b);
  EXPECT_EQ(InterlockedCompareExchangePointer(&slot, &a, &b), &b);
  EXPECT_EQ(slot, &a);
}

TEST(Races, InterlockedExchangePointerHandsEachItemToOneThread) {
  // Every thread swaps its own item into a shared slot and takes what was
  // there; every item must come out exactly once.
  constexpr int kItems = kThreads * 1000;
  std::vector<int> items(kItems + 1, 0);
  std::vector<int> taken(kItems + 1, 0);
  PVOID volatile slot = &items[kItems];
  std::vector<std::vector<int*>> got(kThreads);
  RunOnThreads([&](int t) {
    for (int i = 0; i < 1000; ++i) {
      got[static_cast<size_t>(t)].push_back(
          static_cast<int*>(InterlockedExchangePointer(&slot, &items[static_cast<size_t>(t * 1000 + i)])));
    }
  });
  for (auto& list : got) {
    for (int* p : list) ++taken[static_cast<size_t>(p - items.data())];
  }
  ++taken[static_cast<size_t>(static_cast<int*>(slot) - items.data())];
  for (int count : taken) EXPECT_EQ(count, 1);
}

TEST(Races, CriticalSectionGuardsPlainData) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  long long sum = 0;  // plain data, guarded only by the section
  int depth_errors = 0;
  RunOnThreads([&](int t) {
    for (int i = 0; i < kRounds / 4; ++i) {
      EnterCriticalSection(&section);
      EnterCriticalSection(&section);  // recursion by the holder
      sum += t + 1;
      LeaveCriticalSection(&section);
      sum += 1;  // still held once
      if (TryEnterCriticalSection(&section)) {
        LeaveCriticalSection(&section);
      } else {
        ++depth_errors;  // the holder must always get in again
      }
      LeaveCriticalSection(&section);
    }
  });
  DeleteCriticalSection(&section);
  long long expected = 0;
  for (int t = 0; t < kThreads; ++t) expected += static_cast<long long>(kRounds / 4) * (t + 2);
  EXPECT_EQ(sum, expected);
  EXPECT_EQ(depth_errors, 0);
}

TEST(Races, TryEnterFailsWhileAnotherThreadHoldsTheSection) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  BOOL other_got_in = TRUE;
  std::thread([&] {
    other_got_in = TryEnterCriticalSection(&section);
    // Leaving a section one does not hold must not unlock it for its holder.
    qvp::CaptureDebugOutput(true);
    LeaveCriticalSection(&section);
    EXPECT_NE(qvp::TakeDebugOutput(), "");
    qvp::CaptureDebugOutput(false);
  }).join();
  EXPECT_FALSE(other_got_in);
  std::thread([&] { other_got_in = TryEnterCriticalSection(&section); }).join();
  EXPECT_FALSE(other_got_in);
  LeaveCriticalSection(&section);
  std::thread([&] {
    other_got_in = TryEnterCriticalSection(&section);
    if (other_got_in) LeaveCriticalSection(&section);
  }).join();
  EXPECT_TRUE(other_got_in);
  DeleteCriticalSection(&section);
}

TEST(Races, ZeroFilledCriticalSectionWorksUnderContention) {
  static CRITICAL_SECTION section;  // never initialised: zero-filled
  long long sum = 0;
  RunOnThreads([&](int) {
    for (int i = 0; i < 2000; ++i) {
      EnterCriticalSection(&section);
      ++sum;
      LeaveCriticalSection(&section);
    }
  });
  EXPECT_EQ(sum, kThreads * 2000);
  DeleteCriticalSection(&section);
}

}  // namespace
