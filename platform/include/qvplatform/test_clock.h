// Tests only: a clock that the test drives. While a TestClock lives, the
// layer's "now" stands still and moves only by Advance(): tick counts, the
// performance counter, system and local time, Sleep, the time-outs of the
// waits (WaitForSingleObject, WaitForMultipleObjects, MsgWaitForMultipleObjects,
// the message queue's waits) and SetTimer's WM_TIMER. A wait still ends as soon
// as its object is signalled; its time-out passes only when the test advances
// the clock past it. One TestClock at a time, for the whole process.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qvp {

class TestClock {
 public:
  TestClock();   // installs the clock; it starts at the real time of now
  ~TestClock();  // back to real time; waiters still blocked re-check their time-outs
  TestClock(const TestClock&) = delete;
  TestClock& operator=(const TestClock&) = delete;

  // Moves the clock on and wakes every thread waiting with a time-out, so that
  // those whose time-out has passed return.
  void Advance(uint64_t ms);

  // Milliseconds the clock has been advanced in all.
  uint64_t Elapsed() const;

  // How many threads are blocked right now in a wait with a time-out (Sleep
  // included) that they began after the last Advance: threads that have seen
  // the clock's last move and are waiting for the next.
  static size_t TimedWaiters();

  // Blocks (in real time, at most real_ms) until TimedWaiters() reaches
  // `count`; false when it did not.
  static bool AwaitTimedWaiters(size_t count, uint64_t real_ms = 20000);
};

}  // namespace qvp
