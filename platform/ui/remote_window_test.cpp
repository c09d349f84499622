// Shared top-level windows: a window of a shared class is found through its
// socket and messages reach it through the stand-in; an ended window is no
// longer found, and a left-over socket does not keep a new owner out.
#include "ui/remote_window.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "qvplatform/kernel.h"
#include "qvplatform/resources.h"
#include "qvplatform/services.h"
#include "qvplatform/ui.h"

namespace {

constexpr char kShared[] = "QVTEST:SHARED";
constexpr char kUnshared[] = "QVTEST:PRIVATE";

struct Seen {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<std::pair<WPARAM, LPARAM>> messages;
  HWND window = nullptr;
  DWORD thread_id = 0;
};
Seen* g_seen = nullptr;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == 2034) {
    std::lock_guard<std::mutex> g(g_seen->lock);
    g_seen->messages.emplace_back(wp, lp);
    return 77;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

class SharedWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    state_ = std::filesystem::temp_directory_path() / ("qv_remote_" + std::to_string(getpid()));
    std::filesystem::create_directories(state_);
    qvp::SetStateDirectory(state_.c_str());
    EXPECT_TRUE(qvp::ShareWindowClass("qvtest:shared"));
    g_seen = &seen_;
  }
  void TearDown() override {
    qvp::SetStateDirectory(nullptr);
    std::filesystem::remove_all(state_);
    g_seen = nullptr;
  }

  // Runs a window of the class on its own thread until told to quit.
  std::thread StartOwner(const char* class_name = kShared) {
    std::thread owner([this, class_name] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = OwnerProc;
      wc.lpszClassName = class_name;
      RegisterClassA(&wc);
      HWND w = CreateWindowExA(0, class_name, "Owner", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
      {
        std::lock_guard<std::mutex> g(seen_.lock);
        seen_.window = w;
        seen_.thread_id = GetCurrentThreadId();
      }
      seen_.changed.notify_all();
      MSG m;
      while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
      DestroyWindow(w);
      UnregisterClassA(class_name, nullptr);
    });
    std::unique_lock<std::mutex> g(seen_.lock);
    seen_.changed.wait(g, [this] { return seen_.window != nullptr; });
    return owner;
  }

  void StopOwner(std::thread& owner) {
    PostThreadMessageA(seen_.thread_id, WM_QUIT, 0, 0);
    owner.join();
  }

  std::filesystem::path state_;
  Seen seen_;
};

TEST_F(SharedWindows, MessagesReachTheOwnerThroughTheStandIn) {
  std::thread owner = StartOwner();
  EXPECT_TRUE(std::filesystem::exists(qvp::ui::SharedWindowSocketPath(kShared)));

  HWND stand_in = qvp::ui::FindRemoteWindow("Qvtest:Shared", nullptr);
  ASSERT_NE(stand_in, nullptr);
  EXPECT_NE(stand_in, seen_.window);
  EXPECT_EQ(SendMessageA(stand_in, 2034, 5, -6), 77);
  {
    std::lock_guard<std::mutex> g(seen_.lock);
    ASSERT_EQ(seen_.messages.size(), 1u);
    EXPECT_EQ(seen_.messages[0], std::make_pair(WPARAM{5}, LPARAM{-6}));
  }
  // Messages below WM_USER may carry pointers: they stay in this process.
  SendMessageA(stand_in, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
  EXPECT_EQ(qvp::ui::FindRemoteWindow(kShared, "owner"), stand_in);
  EXPECT_EQ(qvp::ui::FindRemoteWindow(kShared, "Someone else"), nullptr);
  EXPECT_EQ(qvp::ui::FindRemoteWindow("OtherClass", nullptr), nullptr);

  StopOwner(owner);
  EXPECT_FALSE(std::filesystem::exists(qvp::ui::SharedWindowSocketPath(kShared)));
  EXPECT_EQ(qvp::ui::FindRemoteWindow(kShared, nullptr), nullptr);
  EXPECT_EQ(SendMessageA(stand_in, 2034, 1, 1), 0);
  DestroyWindow(stand_in);
}

TEST_F(SharedWindows, ALeftOverSocketGivesWayToANewOwner) {
  const std::string path = qvp::ui::SharedWindowSocketPath(kShared);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);  // bound, never listened: what a process that ended leaves
  }
  EXPECT_EQ(qvp::ui::FindRemoteWindow(kShared, nullptr), nullptr);
  std::thread owner = StartOwner();
  HWND stand_in = qvp::ui::FindRemoteWindow(kShared, nullptr);
  ASSERT_NE(stand_in, nullptr);
  EXPECT_EQ(SendMessageA(stand_in, 2034, 0, 0), 77);
  StopOwner(owner);
  DestroyWindow(stand_in);
}

TEST_F(SharedWindows, OnlyClassesTheProgramSharesArePublished) {
  std::thread owner = StartOwner(kUnshared);
  EXPECT_FALSE(std::filesystem::exists(qvp::ui::SharedWindowSocketPath(kUnshared)));
  EXPECT_EQ(qvp::ui::FindRemoteWindow(kUnshared, nullptr), nullptr);
  StopOwner(owner);

  // A shared name becomes a file name: nothing may lead out of the folder.
  EXPECT_FALSE(qvp::ShareWindowClass("../QVTEST"));
  EXPECT_FALSE(qvp::ShareWindowClass("a\\b"));
  EXPECT_FALSE(qvp::ShareWindowClass(".."));
  EXPECT_FALSE(qvp::ShareWindowClass(""));
  EXPECT_FALSE(qvp::ShareWindowClass(nullptr));
  EXPECT_FALSE(qvp::ShareWindowClass(MAKEINTRESOURCEA(32770)));
  EXPECT_FALSE(qvp::ShareWindowClass(std::string(256, 'A').c_str()));
  EXPECT_EQ(qvp::ui::FindRemoteWindow("../QVTEST", nullptr), nullptr);
}

}  // namespace
