// SendMessage and its relatives, InSendMessage and ReplyMessage.
#include "ui/send.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "kernel/handles.h"
#include "ui/last_error.h"
#include "ui/window_state.h"

namespace qvp::ui {
namespace {

// The messages from other threads the calling thread is handling, innermost last.
thread_local std::vector<std::shared_ptr<SentMessage>> t_in_send;

// A thread counts as hung when it has not looked at its queue for this long
// and is not waiting for messages.
constexpr auto kHungAfter = std::chrono::seconds(5);

struct Target {
  std::shared_ptr<ThreadQueue> queue;
  WNDPROC proc = nullptr;
};

// The thread and procedure of a window; false (and the error set) for a bad handle.
bool TargetOf(HWND hwnd, Target* t) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = FindLocked(hwnd);
  if (!w || w->is_root) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  t->queue = w->queue;
  t->proc = w->proc;
  return true;
}

bool IsHung(ThreadQueue& q) {
  std::lock_guard<std::mutex> g(WaitLock());
  return !q.waiting && qvp::WaitNow() - q.last_look > kHungAfter;
}

}  // namespace

void SetWaitingForMessages(bool waiting) {
  std::shared_ptr<ThreadQueue> q = CurrentQueue();
  std::lock_guard<std::mutex> g(WaitLock());
  q->waiting = waiting;
}

bool CarriesPointer(UINT msg) {
  switch (msg) {
    case WM_CREATE: case WM_NCCREATE: case WM_SETTEXT: case WM_GETTEXT: case WM_GETMINMAXINFO:
    case WM_DRAWITEM: case WM_MEASUREITEM: case WM_DELETEITEM: case WM_COMPAREITEM:
    case WM_WINDOWPOSCHANGING: case WM_WINDOWPOSCHANGED: case WM_COPYDATA: case WM_NOTIFY:
    case WM_HELP: case WM_STYLECHANGING: case WM_STYLECHANGED: case WM_NCCALCSIZE:
    case WM_MDICREATE: case WM_ASKCBFORMATNAME: case WM_SIZING: case WM_MOVING:
      return true;
    default:
      return false;
  }
}

SendOutcome SendAcross(const std::shared_ptr<ThreadQueue>& target, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                       DWORD timeout_ms, bool block, LRESULT* result) {
  auto m = std::make_shared<SentMessage>();
  m->hwnd = hwnd;
  m->msg = msg;
  m->wp = wp;
  m->lp = lp;
  std::shared_ptr<ThreadQueue> me = CurrentQueue();
  {
    std::lock_guard<std::mutex> g(WaitLock());
    if (!target->alive) {
      *result = 0;
      return SendOutcome::kFailed;
    }
    target->sent.push_back(m);
    target->changed |= QS_SENDMESSAGE;
    target->wake.Notify();
  }

  const bool forever = timeout_ms == INFINITE;
  const Clock::time_point deadline = qvp::WaitNow() + std::chrono::milliseconds(forever ? 0 : timeout_ms);
  for (;;) {
    std::unique_lock<std::mutex> lk(WaitLock());
    auto ready = [&] { return m->replied || (!block && !me->sent.empty()); };
    BlockUntil(lk, {&m->reply, &me->wake}, forever ? Clock::time_point::max() : deadline, ready);
    if (m->replied) {
      *result = m->result;
      return SendOutcome::kReplied;
    }
    if (!block && !me->sent.empty()) {
      lk.unlock();
      DispatchSentMessages();
      continue;
    }
    // Timed out: withdraw the message unless the receiver already took it.
    std::erase(target->sent, m);
    m->replied = true;
    *result = 0;
    return SendOutcome::kTimedOut;
  }
}

void ReceiveSent(const std::shared_ptr<SentMessage>& m) {
  WNDPROC proc = nullptr;
  bool deliver = false;
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = FindLocked(m->hwnd);
    if (w && !w->is_root && OnCurrentThread(w)) {
      proc = w->proc;
      deliver = true;
    }
  }
  LRESULT r = 0;
  t_in_send.push_back(m);
  if (deliver) r = CallProc(proc, m->hwnd, m->msg, m->wp, m->lp);
  t_in_send.pop_back();
  {
    std::lock_guard<std::mutex> g(WaitLock());
    if (!m->replied) {
      m->result = r;
      m->replied = true;
      m->reply.Notify();
    }
  }
}

LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return proc ? proc(hwnd, msg, wp, lp) : 0;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Target t;
  if (!TargetOf(hwnd, &t)) return 0;
  if (t.queue == CurrentQueue()) return CallProc(t.proc, hwnd, msg, wp, lp);
  LRESULT r = 0;
  SendAcross(t.queue, hwnd, msg, wp, lp, INFINITE, false, &r);
  return r;
}

}  // namespace qvp::ui

using namespace qvp::ui;

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd == HWND_BROADCAST) {
    std::vector<HWND> top;
    {
      WindowSystem& s = Sys();
      Lock g(s.lock);
      for (Window* w : s.desktop->children) top.push_back(w->handle);
    }
    for (HWND h : top) Send(h, Msg, wParam, lParam);
    return 0;
  }
  return Send(hWnd, Msg, wParam, lParam);
}

LRESULT WINAPI SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags, UINT uTimeout,
                                   DWORD_PTR* lpdwResult) {
  Target t;
  if (!TargetOf(hWnd, &t)) return 0;
  LRESULT r = 0;
  if (t.queue == CurrentQueue()) {
    r = CallProc(t.proc, hWnd, Msg, wParam, lParam);
  } else {
    if ((fuFlags & SMTO_ABORTIFHUNG) && IsHung(*t.queue)) {
      SetError(ERROR_TIMEOUT);
      return 0;
    }
    SendOutcome o = SendAcross(t.queue, hWnd, Msg, wParam, lParam, uTimeout, (fuFlags & SMTO_BLOCK) != 0, &r);
    if (o == SendOutcome::kTimedOut) {
      SetError(ERROR_TIMEOUT);
      return 0;
    }
    if (o == SendOutcome::kFailed) {
      SetError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
  }
  if (lpdwResult) *lpdwResult = static_cast<DWORD_PTR>(r);
  return 1;
}

BOOL WINAPI SendNotifyMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Target t;
  if (!TargetOf(hWnd, &t)) return FALSE;
  if (t.queue == CurrentQueue()) {
    CallProc(t.proc, hWnd, Msg, wParam, lParam);
    return TRUE;
  }
  if (Msg < WM_USER && CarriesPointer(Msg)) {
    SetError(ERROR_MESSAGE_SYNC_ONLY);
    return FALSE;
  }
  auto m = std::make_shared<SentMessage>();
  m->hwnd = hWnd;
  m->msg = Msg;
  m->wp = wParam;
  m->lp = lParam;
  m->notify = true;
  {
    std::lock_guard<std::mutex> g(qvp::WaitLock());
    if (!t.queue->alive) {
      SetError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    t.queue->sent.push_back(std::move(m));
    t.queue->changed |= QS_SENDMESSAGE;
    t.queue->wake.Notify();
  }
  return TRUE;
}

BOOL WINAPI InSendMessage() { return t_in_send.empty() ? FALSE : TRUE; }

DWORD WINAPI InSendMessageEx(LPVOID /*lpReserved*/) {
  if (t_in_send.empty()) return ISMEX_NOSEND;
  const std::shared_ptr<SentMessage>& m = t_in_send.back();
  std::lock_guard<std::mutex> g(qvp::WaitLock());
  DWORD r = m->notify ? ISMEX_NOTIFY : ISMEX_SEND;
  if (m->replied) r |= ISMEX_REPLIED;
  return r;
}

BOOL WINAPI ReplyMessage(LRESULT lResult) {
  if (t_in_send.empty()) return FALSE;
  const std::shared_ptr<SentMessage>& m = t_in_send.back();
  {
    std::lock_guard<std::mutex> g(qvp::WaitLock());
    if (m->notify || m->replied) return FALSE;
    m->result = lResult;
    m->replied = true;
    m->reply.Notify();
  }
  return TRUE;
}
