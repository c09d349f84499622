// Tests only: a test clock that several processes follow. A test makes one,
// gives a program it starts the environment entry Environment(), and moves the
// clock with Advance() instead of sleeping.
//
// A process whose environment names a shared clock ("QV_TEST_CLOCK=<file>")
// when the layer loads follows it for its whole life: it installs a TestClock
// (qvplatform/test_clock.h) that stands at the shared clock's time and moves
// whenever the shared clock does. The C library's time() follows the layer's
// clock too. Without that variable nothing changes.
#pragma once

#include <cstdint>
#include <string>

namespace qvp {

// The environment variable that names a shared clock's file.
inline constexpr char kTestClockVariable[] = "QV_TEST_CLOCK";

struct SharedTestClockPage;

class SharedTestClock {
 public:
  // A new clock (a small file in /dev/shm), standing at the real time of now.
  // Throws std::runtime_error when the file cannot be made.
  SharedTestClock();
  ~SharedTestClock();  // removes the file; followers keep the time they have
  SharedTestClock(const SharedTestClock&) = delete;
  SharedTestClock& operator=(const SharedTestClock&) = delete;

  const std::string& Path() const { return path_; }
  // "QV_TEST_CLOCK=<file>", for a child's environment.
  std::string Environment() const;

  // Moves the clock on; every follower moves with it.
  void Advance(uint64_t ms);
  // Milliseconds the clock has been advanced in all.
  uint64_t Elapsed() const;
  // The clock's time: seconds since 1970.
  int64_t UnixSeconds() const;

 private:
  SharedTestClockPage* page_ = nullptr;
  std::string path_;
};

}  // namespace qvp
