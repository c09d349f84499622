// The program's window timers. Every window timer of the program goes
// through these two. On Windows NT 3.x, whose window timers the program does
// not trust, a timer without a procedure is a thread of its own that posts
// WM_TIMER to the window at each interval; 32 such timers at most.
#pragma once

#include "qvplatform.h"

inline constexpr int kEmulatedTimerSlots = 32;

// The id, or 0 when no timer could be set.
UINT_PTR SetQvTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC procedure);
// 1 when the timer was found and stopped, else 0.
BOOL KillQvTimer(HWND window, UINT_PTR id);
