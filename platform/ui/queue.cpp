// Per-thread message queues: creation, the registry by thread id, the end of a
// thread, and serving messages other threads send.
#include "ui/queue.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "kernel/handles.h"
#include "qvplatform/kernel.h"
#include "ui/send.h"
#include "ui/window_state.h"

namespace qvp::ui {

// Frees the windows of a thread that ends (defined with window destruction).
void DestroyThreadWindows(const std::shared_ptr<ThreadQueue>& queue);

namespace {

struct Registry {
  std::mutex lock;
  std::unordered_map<DWORD, std::weak_ptr<ThreadQueue>> queues;
};

Registry& Reg() {
  static Registry* r = new Registry;
  return *r;
}

void EndQueue(const std::shared_ptr<ThreadQueue>& q) {
  DestroyThreadWindows(q);
  {
    std::lock_guard<std::mutex> g(WaitLock());
    q->alive = false;
    for (auto& m : q->sent) {
      m->result = 0;
      m->replied = true;
      m->reply.Notify();
    }
    q->sent.clear();
    q->posted.clear();
    q->timers.clear();
    q->paint_windows.clear();
    q->wake.Notify();
  }
  Registry& r = Reg();
  std::lock_guard<std::mutex> g(r.lock);
  auto it = r.queues.find(q->thread_id);
  if (it != r.queues.end() && it->second.lock() == q) r.queues.erase(it);
}

struct ThreadState {
  std::shared_ptr<ThreadQueue> queue;
  ~ThreadState() {
    if (queue) EndQueue(queue);
  }
};

thread_local ThreadState t_state;

}  // namespace

std::shared_ptr<ThreadQueue> CurrentQueue() {
  if (!t_state.queue) {
    auto q = std::make_shared<ThreadQueue>();
    q->thread_id = GetCurrentThreadId();
    q->thread_key = CurrentThreadKey();
    Registry& r = Reg();
    std::lock_guard<std::mutex> g(r.lock);
    r.queues[q->thread_id] = q;
    t_state.queue = q;
  }
  return t_state.queue;
}

std::shared_ptr<ThreadQueue> QueueOfThread(DWORD thread_id) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> g(r.lock);
  auto it = r.queues.find(thread_id);
  return it == r.queues.end() ? nullptr : it->second.lock();
}

bool PostToQueue(ThreadQueue& q, const MSG& msg) {
  {
    std::lock_guard<std::mutex> g(WaitLock());
    if (!q.alive) return false;
    q.posted.push_back(msg);
    q.changed |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    q.wake.Notify();
  }
  return true;
}

void SetPaintPending(ThreadQueue& q, HWND hwnd, bool pending) {
  std::lock_guard<std::mutex> g(WaitLock());
  auto it = std::find(q.paint_windows.begin(), q.paint_windows.end(), hwnd);
  if (pending && it == q.paint_windows.end()) {
    q.paint_windows.push_back(hwnd);
    q.changed |= QS_PAINT;
    q.wake.Notify();
  } else if (!pending && it != q.paint_windows.end()) {
    q.paint_windows.erase(it);
  }
}

void ForgetWindow(ThreadQueue& q, HWND hwnd) {
  std::lock_guard<std::mutex> g(WaitLock());
  std::erase_if(q.posted, [&](const MSG& m) { return m.hwnd == hwnd; });
  std::erase_if(q.timers, [&](const Timer& t) { return t.hwnd == hwnd; });
  std::erase(q.paint_windows, hwnd);
}

bool DispatchSentMessages() {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  bool any = false;
  for (;;) {
    std::shared_ptr<SentMessage> m;
    {
      std::lock_guard<std::mutex> g(WaitLock());
      if (q->sent.empty()) break;
      m = std::move(q->sent.front());
      q->sent.pop_front();
    }
    any = true;
    ReceiveSent(m);
  }
  return any;
}

}  // namespace qvp::ui

BOOL WINAPI SetMessageQueue(int cMessagesMax) { return cMessagesMax > 0 ? TRUE : FALSE; }
