#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "qvplatform.h"
#include "ui/queue.h"
#include "ui_test_support.h"

namespace {

using uitest::Recorder;

constexpr UINT kDouble = WM_USER + 1;    // answers wParam * 2
constexpr UINT kWhoAmI = WM_USER + 2;    // answers the thread id it ran on
constexpr UINT kCallBack = WM_USER + 3;  // sends kDouble to the window in lParam and adds one
constexpr UINT kReplyEarly = WM_USER + 4;

// A thread that owns a window and pumps its queue with GetMessage until WM_QUIT.
class Owner {
 public:
  explicit Owner(Recorder& rec) {
    std::promise<void> ready;
    thread_ = std::thread([&] {
      hwnd_ = rec.Create(WS_OVERLAPPEDWINDOW);
      tid_ = GetCurrentThreadId();
      ready.set_value();
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    });
    ready.get_future().wait();
  }
  ~Owner() { Stop(); }
  void Stop() {
    if (thread_.joinable()) {
      PostThreadMessageA(tid_, WM_QUIT, 0, 0);
      thread_.join();
    }
  }
  HWND hwnd() const { return hwnd_; }
  DWORD tid() const { return tid_; }

 private:
  std::thread thread_;
  HWND hwnd_ = nullptr;
  DWORD tid_ = 0;
};

std::optional<LRESULT> Answer(HWND, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case kDouble: return static_cast<LRESULT>(wp * 2);
    case kWhoAmI: return static_cast<LRESULT>(GetCurrentThreadId());
    case kCallBack: return SendMessageA(reinterpret_cast<HWND>(lp), kDouble, wp, 0) + 1;
    case kReplyEarly: {
      bool inside = InSendMessage() != FALSE;
      ReplyMessage(static_cast<LRESULT>(wp + (inside ? 100 : 0)));
      EXPECT_FALSE(ReplyMessage(1));  // only the first reply counts
      return 0;
    }
    default: return std::nullopt;
  }
}

TEST(CrossThreadSend, HandledOnTheOwnerThreadWhileItWaitsInGetMessage) {
  Recorder rec;
  rec.SetHook(Answer);
  Owner owner(rec);
  EXPECT_EQ(SendMessageA(owner.hwnd(), kDouble, 21, 0), 42);
  EXPECT_EQ(static_cast<DWORD>(SendMessageA(owner.hwnd(), kWhoAmI, 0, 0)), owner.tid());
  EXPECT_NE(owner.tid(), GetCurrentThreadId());
  // Many threads at once.
  std::vector<std::thread> senders;
  std::atomic<int> good{0};
  for (int t = 0; t < 4; ++t)
    senders.emplace_back([&, t] {
      for (int i = 0; i < 25; ++i)
        if (SendMessageA(owner.hwnd(), kDouble, static_cast<WPARAM>(t * 100 + i), 0) == (t * 100 + i) * 2) ++good;
    });
  for (auto& s : senders) s.join();
  EXPECT_EQ(good.load(), 100);
  owner.Stop();
  rec.SetHook(nullptr);
}

TEST(CrossThreadSend, SenderServesSendsToItselfWhileWaiting) {
  Recorder rec;
  rec.SetHook(Answer);
  Owner owner(rec);
  HWND mine = rec.Create(WS_POPUP);
  // The owner's procedure sends back to a window of this thread, which is blocked in SendMessage.
  EXPECT_EQ(SendMessageA(owner.hwnd(), kCallBack, 5, reinterpret_cast<LPARAM>(mine)), 11);
  DestroyWindow(mine);
  owner.Stop();
  rec.SetHook(nullptr);
}

TEST(CrossThreadSend, ReplyMessageReleasesTheSenderEarly) {
  Recorder rec;
  rec.SetHook(Answer);
  Owner owner(rec);
  EXPECT_EQ(SendMessageA(owner.hwnd(), kReplyEarly, 7, 0), 107);
  EXPECT_FALSE(InSendMessage());
  EXPECT_FALSE(ReplyMessage(0));
  // On the same thread a send is a plain call, not an inter-thread send.
  HWND mine = rec.Create(WS_POPUP);
  EXPECT_EQ(SendMessageA(mine, kReplyEarly, 7, 0), 0);
  DestroyWindow(mine);
  owner.Stop();
  rec.SetHook(nullptr);
}

TEST(CrossThreadSend, DestroyedWindowOrEndedThreadAnswersZero) {
  Recorder rec;
  rec.SetHook(Answer);
  HWND h;
  {
    Owner owner(rec);
    h = owner.hwnd();
    EXPECT_EQ(SendMessageA(h, kDouble, 4, 0), 8);
  }
  SetLastError(0);
  EXPECT_EQ(SendMessageA(h, kDouble, 4, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(PostMessageA(h, kDouble, 4, 0));

  HWND local = rec.Create(WS_POPUP);
  DestroyWindow(local);
  EXPECT_EQ(SendMessageA(local, kDouble, 4, 0), 0);
  rec.SetHook(nullptr);
}

TEST(CrossThreadSend, SenderWaitingOnAThreadThatEndsGetsZero) {
  Recorder rec;
  std::promise<HWND> made;
  std::promise<void> sent_started;
  std::atomic<bool> release{false};
  std::thread quiet([&] {
    made.set_value(rec.Create(WS_POPUP));
    // Never pumps; ends once the sender is waiting.
    while (!release.load()) std::this_thread::yield();
  });
  HWND h = made.get_future().get();
  std::thread ender([&] {
    // Give the send below a chance to be queued, then let the thread end.
    DWORD_PTR r = 0;
    SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL, 20, &r);
    release = true;
  });
  EXPECT_EQ(SendMessageA(h, kDouble, 3, 0), 0);
  ender.join();
  quiet.join();
}

TEST(CrossThreadSend, TimeoutWithdrawsTheMessage) {
  Recorder rec;
  rec.SetHook(Answer);
  std::promise<HWND> made;
  std::atomic<bool> pump{false};
  std::thread late([&] {
    made.set_value(rec.Create(WS_POPUP));
    while (!pump.load()) std::this_thread::yield();
    uitest::PumpPending();
  });
  HWND h = made.get_future().get();
  DWORD_PTR result = 99;
  SetLastError(0);
  EXPECT_EQ(SendMessageTimeoutA(h, kDouble, 1, 0, SMTO_NORMAL, 30, &result), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_EQ(result, 99u);
  pump = true;
  late.join();
  EXPECT_TRUE(rec.Of(h, {kDouble}).empty());
  rec.SetHook(nullptr);
}

TEST(CrossThreadSend, NotifyDoesNotWaitAndRefusesPointers) {
  Recorder rec;
  rec.SetHook(Answer);
  Owner owner(rec);
  EXPECT_TRUE(SendNotifyMessageA(owner.hwnd(), kDouble, 1, 0));
  SetLastError(0);
  EXPECT_FALSE(SendNotifyMessageA(owner.hwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY));
  EXPECT_FALSE(PostMessageA(owner.hwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")));
  // A later send is served after the notification.
  EXPECT_EQ(SendMessageA(owner.hwnd(), kDouble, 2, 0), 4);
  EXPECT_EQ(rec.Of(owner.hwnd(), {kDouble}).size(), 2u);
  owner.Stop();
  rec.SetHook(nullptr);
}

TEST(CrossThreadSend, PostFromAnotherThreadReachesTheOwner) {
  Recorder rec;
  Owner owner(rec);
  EXPECT_TRUE(PostMessageA(owner.hwnd(), WM_USER + 9, 1, 2));
  // A send after the post is served first by Windows' order; the post follows.
  SendMessageA(owner.hwnd(), WM_NULL, 0, 0);
  owner.Stop();
  EXPECT_EQ(rec.Of(owner.hwnd(), {WM_USER + 9}).size(), 1u);
}

TEST(ThreadMessages, PostThreadMessageNeedsAQueue) {
  SetLastError(0);
  EXPECT_FALSE(PostThreadMessageA(0x7ffffff0, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));

  std::promise<DWORD> id;
  MSG got{};
  std::thread worker([&] {
    MSG m;
    PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
    id.set_value(GetCurrentThreadId());
    GetMessageA(&got, nullptr, 0, 0);
  });
  EXPECT_TRUE(PostThreadMessageA(id.get_future().get(), WM_USER + 5, 6, 7));
  worker.join();
  EXPECT_EQ(got.hwnd, nullptr);
  EXPECT_EQ(got.message, static_cast<UINT>(WM_USER + 5));
  EXPECT_EQ(got.lParam, 7);
}

TEST(RegisteredMessages, SameNameSameNumber) {
  UINT a = RegisterWindowMessageA("QV_TaskbarCreated");
  UINT b = RegisterWindowMessageA("qv_taskbarcreated");
  UINT c = RegisterWindowMessageA("QV_Other");
  EXPECT_GE(a, 0xC000u);
  EXPECT_LE(a, 0xFFFFu);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}

}  // namespace
