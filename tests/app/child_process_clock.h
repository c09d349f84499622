// Tests only: a child process that follows a shared test clock
// (qvplatform/test_clock_shared.h), and the test that moves it on.
#pragma once

#include <cstdint>
#include <functional>

#include "child_process.h"
#include "qvplatform/test_clock_shared.h"

namespace qvtest {

// Moves `clock` on by `stepMs` at a time, each time the child is idle, until
// `done` holds. False when the child ended first, or when `seconds` of real
// time passed (a guard against a hung child, never a measure of speed).
// Between steps the child gets a few milliseconds of real time, so that what
// it does outside the clock (sockets, files) keeps pace with it.
bool DriveClock(qvp::SharedTestClock& clock, const ChildProcess& child, const std::function<bool()>& done,
                int seconds, uint64_t stepMs = 1000);

}  // namespace qvtest
