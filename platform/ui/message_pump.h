// Retrieving messages from the calling thread's queue.
#pragma once

#include <vector>

#include "ui/queue.h"

namespace qvp::ui {

// Which messages a retrieval takes: a window (and its descendants), thread
// messages only ((HWND)-1), or all; and a message range (0, 0: all).
struct MessageFilter {
  HWND hwnd = nullptr;
  UINT min = 0;
  UINT max = 0;
  std::vector<HWND> windows;  // hwnd and its descendants, when hwnd names a window

  bool InRange(UINT msg) const { return (min == 0 && max == 0) || (msg >= min && msg <= max); }
  bool Takes(HWND h) const;
};

MessageFilter MakeFilter(HWND hwnd, UINT min, UINT max);

// One look at the queue in Windows' order: messages other threads sent (handled
// here), posted messages, the quit request, WM_PAINT, WM_TIMER. True when `out`
// holds a message.
bool PeekQueue(MSG* out, const MessageFilter& filter, bool remove);

// Blocks until something new may be in the queue for `filter` (handling sent
// messages meanwhile) or `deadline` passes. False on timeout.
bool WaitForQueue(const MessageFilter& filter, Clock::time_point deadline);

// The earliest due time of the queue's timers that `filter` takes (wait lock held).
Clock::time_point NextTimerLocked(const ThreadQueue& q, const MessageFilter& filter);
// QS_* bits of what the queue holds now (wait lock held).
UINT StatusLocked(const ThreadQueue& q);
// QS_* bits of what arrived since the thread last looked (wait lock held).
UINT ChangedLocked(const ThreadQueue& q);

}  // namespace qvp::ui
