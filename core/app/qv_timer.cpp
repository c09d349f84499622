// Window timers, with the thread-per-timer form for Windows NT 3.x.
#include "qv_timer.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

struct TimerSlot {
  HWND window = nullptr;
  UINT_PTR id = 0;
  UINT interval = 0;
  std::thread thread;  // a slot is free while it holds no thread
  bool stop = false;
};

struct TimerTable {
  std::mutex lock;
  std::condition_variable stopped;
  TimerSlot slots[kEmulatedTimerSlots];
};

TimerTable& Table() {
  static auto* table = new TimerTable;  // timer threads may still run while the process ends
  return *table;
}

bool NeedsEmulation() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return false;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion <= 3;
}

// The timer's thread: waits one interval at a time (a kill ends the wait at
// once) and posts WM_TIMER after each.
void RunTimer(TimerSlot* slot, HWND window, UINT_PTR id, UINT interval) {
  TimerTable& t = Table();
  std::unique_lock<std::mutex> held(t.lock);
  for (;;) {
    if (t.stopped.wait_for(held, std::chrono::milliseconds(interval), [slot] { return slot->stop; })) return;
    held.unlock();
    PostMessageA(window, WM_TIMER, id, 0);
    held.lock();
  }
}

// Stops the slot's thread and frees the slot; the caller holds the lock.
void FreeSlotLocked(TimerTable& t, TimerSlot& slot, std::unique_lock<std::mutex>& held) {
  slot.stop = true;
  t.stopped.notify_all();
  std::thread thread = std::move(slot.thread);
  held.unlock();
  thread.join();
  held.lock();
  slot = TimerSlot{};
}

}  // namespace

UINT_PTR SetQvTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC procedure) {
  if (procedure != nullptr || !NeedsEmulation()) return SetTimer(window, id, interval, procedure);

  // As with the window system's timers, no interval is shorter than 10 ms: a
  // zero interval would keep its thread posting without pause.
  interval = std::max<UINT>(interval, USER_TIMER_MINIMUM);
  TimerTable& t = Table();
  std::unique_lock<std::mutex> held(t.lock);
  // Setting a timer again restarts it with the new interval, as SetTimer does.
  for (TimerSlot& slot : t.slots)
    if (slot.thread.joinable() && slot.window == window && slot.id == id) FreeSlotLocked(t, slot, held);
  for (TimerSlot& slot : t.slots) {
    if (slot.thread.joinable()) continue;
    slot.window = window;
    slot.id = id;
    slot.interval = interval;
    slot.stop = false;
    try {
      slot.thread = std::thread(RunTimer, &slot, window, id, interval);
    } catch (const std::system_error&) {
      slot = TimerSlot{};
      return 0;
    }
    return id;
  }
  return 0;
}

BOOL KillQvTimer(HWND window, UINT_PTR id) {
  if (!NeedsEmulation()) return KillTimer(window, id);
  TimerTable& t = Table();
  std::unique_lock<std::mutex> held(t.lock);
  for (TimerSlot& slot : t.slots) {
    if (slot.thread.joinable() && slot.window == window && slot.id == id) {
      FreeSlotLocked(t, slot, held);
      return 1;
    }
  }
  return 0;
}
