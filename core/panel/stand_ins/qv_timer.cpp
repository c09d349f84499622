// Stand-ins for start-up entry points that the panel calls, built only while
// start-up's own module is missing from the tree.
#include "later_parts.h"

// Entry point; the timer module of start-up replaces this body.
UINT_PTR SetQvTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC procedure) {
  return SetTimer(window, id, interval, procedure);
}

// Entry point; the timer module of start-up replaces this body.
BOOL KillQvTimer(HWND window, UINT_PTR id) { return KillTimer(window, id); }
