// What the layer's clocks and waits ask of the test clock (qvplatform/test_clock.h).
#pragma once

#include <cstdint>

#include "kernel/handles.h"

namespace qvp {

// True while a test clock is installed.
bool TestClockInstalled();
// The layer's "now" for deadlines: the steady clock, or the test clock's.
WaitClock::time_point WaitNow();
// While installed: the test clock's monotonic and Unix times, in nanoseconds.
uint64_t TestClockMonotonicNs();
uint64_t TestClockUnixNs();
// With WaitLock() held: a thread blocks in a timed wait on the test clock, and
// wakes from it (given what the first call returned).
uint64_t NoteTimedWaitBegins();
void NoteTimedWaitEnds(uint64_t generation);
// Right after a TestClock was installed, before anything waits on it: the
// clock stands at these monotonic and Unix times instead of the real ones.
void SetTestClockStart(int64_t steady_ns, uint64_t unix_ns);

}  // namespace qvp
