// Per-thread message queues. Queue contents are guarded by the kernel's wait
// lock (qvp::WaitLock), so that waits for objects and for messages are one wait;
// every change a waiter may care about notifies the queue's `wake` source
// (with the lock held), which wakes only the queue's own thread.
#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <vector>

#include "kernel/handles.h"
#include "kernel/test_clock_hooks.h"
#include "qvplatform/ui.h"

namespace qvp::ui {

using Clock = std::chrono::steady_clock;

// A message sent from another thread, waiting for (or holding) its reply.
struct SentMessage {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wp = 0;
  LPARAM lp = 0;
  LRESULT result = 0;
  bool notify = false;   // SendNotifyMessage: nobody waits for the reply
  bool replied = false;  // answered, dropped, or its receiver is gone
  qvp::WaitSource reply;  // notified once replied is set
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  Clock::time_point due;
};

struct ThreadQueue {
  DWORD thread_id = 0;
  uint64_t thread_key = 0;

  // ---- under qvp::WaitLock() ----
  qvp::WaitSource wake;  // the queue's thread waits on it for input
  bool alive = true;
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<SentMessage>> sent;
  bool quit_pending = false;
  int quit_code = 0;
  std::vector<Timer> timers;
  std::vector<HWND> paint_windows;  // windows with an update region or an internal paint
  UINT changed = 0;                 // QS_* bits that arrived since the thread last looked
  Clock::time_point last_look = qvp::WaitNow();  // timers due after this are new
  bool waiting = false;  // blocked waiting for messages (not hung)
  DWORD last_time = 0;   // GetMessageTime
  DWORD last_pos = 0;   // GetMessagePos

  // ---- under the window lock ----
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND capture = nullptr;
};

// The calling thread's queue, created on first use.
std::shared_ptr<ThreadQueue> CurrentQueue();
// The queue of a thread by id, or null when that thread has none (or ended).
std::shared_ptr<ThreadQueue> QueueOfThread(DWORD thread_id);

// Puts a message on a queue (wait lock taken inside). False when the thread is gone.
bool PostToQueue(ThreadQueue& q, const MSG& msg);
// Marks a window as needing WM_PAINT or not (wait lock taken inside).
void SetPaintPending(ThreadQueue& q, HWND hwnd, bool pending);
// Drops what the queue holds for a window that is going away (wait lock taken inside).
void ForgetWindow(ThreadQueue& q, HWND hwnd);

// Handles every message other threads sent to the calling thread. True when any was handled.
bool DispatchSentMessages();

}  // namespace qvp::ui
