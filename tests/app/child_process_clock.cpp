// Driving a child's shared test clock.
#include "child_process_clock.h"

#include <chrono>
#include <thread>

namespace qvtest {

bool DriveClock(qvp::SharedTestClock& clock, const ChildProcess& child, const std::function<bool()>& done,
                int seconds, uint64_t stepMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    if (child.Ended()) return done();
    if (child.Idle()) {
      clock.Advance(stepMs);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  return done();
}

}  // namespace qvtest
