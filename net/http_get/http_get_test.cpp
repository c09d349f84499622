// DUV_HTTP_Get against an in-test listener and against lighttpd: the bytes
// of the request, whole files, errors that end a GET, and the hidden window.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "http_get.h"
#include "http_test_peers.h"
#include "net_binding.h"
#include "test_files.h"

namespace {

constexpr UINT kDone = WM_APP + 7;
std::vector<WPARAM> g_done;

LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kDone) {
    g_done.push_back(wParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class HttpGet : public ::testing::Test {
 protected:
  void SetUp() override {
    g_done.clear();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = NotifyProc;
    windowClass.lpszClassName = "QvGetTestNotify";
    RegisterClassA(&windowClass);
    notify_ = CreateWindowExA(0, "QvGetTestNotify", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(notify_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(notify_);
    UnregisterClassA("QvGetTestNotify", nullptr);
  }
  // Pumps this thread's messages until `count` GETs have ended (at most 60 s).
  bool AwaitDone(size_t count) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (g_done.size() < count && std::chrono::steady_clock::now() < end) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    return g_done.size() >= count;
  }
  int Get(const std::string& url, const std::string& file, const char* user = nullptr, const char* password = nullptr,
          const char* referrer = nullptr, const char* agent = nullptr) {
    return DUV_HTTP_Get(url.c_str(), file.c_str(), user, password, referrer, agent, notify_, kDone);
  }

  HWND notify_ = nullptr;
  qvtest::TempDir dir_{"qvget"};
};

const char kAccept[] = "Accept: */*\r\nAccept: image/gif\r\nAccept: image/x-xbitmap\r\nAccept: image/jpeg\r\n\r\n";

TEST_F(HttpGet, SendsExactlyTheRequestAndKeepsTheWholeResponse) {
  const std::string response = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nhello\r\nbody";
  httptest::RawListener peer(response);
  const std::string url = "http://127.0.0.1:" + std::to_string(peer.port()) + "/a/b?c=d";
  ASSERT_EQ(Get(url, dir_.file("out.txt"), "user", "pass", "http://ref.test/", "Agent/1.0"), 1);
  ASSERT_TRUE(AwaitDone(1));
  EXPECT_EQ(g_done[0], 0u);
  EXPECT_EQ(peer.request(), "GET /a/b?c=d HTTP/1.0\r\nUser-Agent: Agent/1.0\r\nReferrer: http://ref.test/\r\n"
                            "Authorization: Basic dXNlcjpwYXNz\r\n" + std::string(kAccept));
  EXPECT_EQ(dir_.read("out.txt"), response);
  EXPECT_EQ(FindWindowA(kHttpGetClass, nullptr), nullptr);  // gone with the last GET
}

TEST_F(HttpGet, NoUserNoAuthorizationAndAnEmptyPasswordKeepsTheColon) {
  {
    httptest::RawListener peer("HTTP/1.0 204 No Content\r\n\r\n");
    ASSERT_EQ(Get("http://127.0.0.1:" + std::to_string(peer.port()), dir_.file("a"), "", "x"), 1);
    ASSERT_TRUE(AwaitDone(1));
    EXPECT_EQ(peer.request(), "GET / HTTP/1.0\r\n" + std::string(kAccept));
  }
  httptest::RawListener peer("HTTP/1.0 204 No Content\r\n\r\n");
  ASSERT_EQ(Get("http://127.0.0.1:" + std::to_string(peer.port()) + "/", dir_.file("b"), "user", nullptr), 1);
  ASSERT_TRUE(AwaitDone(2));
  EXPECT_EQ(peer.request(), "GET / HTTP/1.0\r\nAuthorization: Basic dXNlcjo=\r\n" + std::string(kAccept));
}

TEST_F(HttpGet, ARefusedConnectionAndAResetEndWithTheirErrors) {
  ASSERT_EQ(Get("http://127.0.0.1:" + std::to_string(qvtest::FreePort()) + "/", dir_.file("refused")), 1);
  ASSERT_TRUE(AwaitDone(1));
  EXPECT_EQ(g_done[0], static_cast<WPARAM>(WSAECONNREFUSED));  // 10061

  const std::string response = "HTTP/1.0 200 OK\r\n\r\n" + std::string(5000, 'x');
  httptest::RawListener peer(response, 3000);
  ASSERT_EQ(Get("http://127.0.0.1:" + std::to_string(peer.port()) + "/", dir_.file("reset")), 1);
  ASSERT_TRUE(AwaitDone(2));
  EXPECT_NE(g_done[1], 0u);  // never a complete file
  // What came before the reset is kept.
  EXPECT_EQ(dir_.read("reset"), response.substr(0, dir_.read("reset").size()));
}

TEST_F(HttpGet, TwoGetsShareTheHiddenWindow) {
  httptest::RawListener first("HTTP/1.0 200 OK\r\n\r\none");
  httptest::RawListener second("HTTP/1.0 200 OK\r\n\r\ntwo");
  ASSERT_EQ(Get("http://127.0.0.1:" + std::to_string(first.port()) + "/", dir_.file("1")), 1);
  const HWND window = FindWindowA(kHttpGetClass, "URL Window");
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  ASSERT_EQ(Get("http://127.0.0.1:" + std::to_string(second.port()) + "/", dir_.file("2")), 1);
  EXPECT_EQ(FindWindowA(kHttpGetClass, "URL Window"), window);
  ASSERT_TRUE(AwaitDone(2));
  EXPECT_EQ(g_done, (std::vector<WPARAM>{0, 0}));
  EXPECT_EQ(dir_.read("1"), "HTTP/1.0 200 OK\r\n\r\none");
  EXPECT_EQ(dir_.read("2"), "HTTP/1.0 200 OK\r\n\r\ntwo");
  EXPECT_EQ(FindWindowA(kHttpGetClass, nullptr), nullptr);
}

TEST_F(HttpGet, HostileOrImpossibleRequestsAreRefusedBeforeAnythingIsSent) {
  httptest::RawListener peer("HTTP/1.0 200 OK\r\n\r\n");
  const std::string base = "http://127.0.0.1:" + std::to_string(peer.port());
  const std::string file = dir_.file("never");
  EXPECT_EQ(Get(base + "/a\r\nX-Evil: 1", file), 0);
  EXPECT_EQ(Get(base + "/", file, "u\r\nX: 1", "p"), 0);
  EXPECT_EQ(Get(base + "/", file, "u", "p\n"), 0);
  EXPECT_EQ(Get(base + "/", file, nullptr, nullptr, "r\r\nX: 1"), 0);
  EXPECT_EQ(Get(base + "/", file, nullptr, nullptr, nullptr, "a\nX: 1"), 0);
  EXPECT_EQ(Get(base + "/" + std::string(1100, 'p'), file), 0);  // over 1024 bytes: refused, never cut
  EXPECT_EQ(Get("http://127.0.0.1:70000/", file), 0);
  EXPECT_EQ(Get("http://127.0.0.1:0/", file), 0);
  EXPECT_EQ(Get("http://1.2.3.999/", file), 0);
  EXPECT_EQ(Get("ftp://127.0.0.1/", file), 0);
  // Without the program's socket binding nothing can start.
  UnloadNetworkLibraries();
  EXPECT_EQ(Get(base + "/", file), 0);
  ASSERT_TRUE(httptest::BindNetwork());
  EXPECT_EQ(peer.connections(), 0);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(FindWindowA(kHttpGetClass, nullptr), nullptr);

  // While a GET is pending on this thread, another thread cannot start one.
  ASSERT_EQ(Get(base + "/", dir_.file("mine")), 1);
  int fromOther = -1;
  std::thread other([&] { fromOther = DUV_HTTP_Get((base + "/").c_str(), file.c_str(), nullptr, nullptr, nullptr,
                                                   nullptr, nullptr, 0); });
  other.join();
  EXPECT_EQ(fromOther, 0);
  ASSERT_TRUE(AwaitDone(1));
  EXPECT_EQ(g_done[0], 0u);
}

class HttpGetFromLighttpd : public HttpGet {
 protected:
  void SetUp() override {
    HttpGet::SetUp();
    std::filesystem::create_directories(dir_.path() / "www" / "private");
    dir_.write("www/index.html", "<html>index</html>\n");
    dir_.write("www/private/secret.html", "secret\n");
    std::mt19937 random(11);
    big_.resize(5 << 20);
    for (char& c : big_) c = static_cast<char>(random() & 0xff);
    dir_.write("www/big.bin", big_);
    server_ = std::make_unique<httptest::Lighttpd>(dir_.dir(), dir_.file("www"), "alice:p\xe9ss\n");
    if (!server_->running()) {
      if (std::getenv("CI") != nullptr) FAIL() << "lighttpd is missing";
      GTEST_SKIP() << "lighttpd is missing";
    }
  }
  static std::string Body(const std::string& response) {
    const size_t end = response.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : response.substr(end + 4);
  }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(server_->port()) + path; }

  std::string big_;
  std::unique_ptr<httptest::Lighttpd> server_;
};

TEST_F(HttpGetFromLighttpd, PagesAndAFiveMegabyteFileByteForByte) {
  ASSERT_EQ(Get(Url("/index.html"), dir_.file("page"), nullptr, nullptr, "http://from.test/page", "QvTest"), 1);
  ASSERT_EQ(Get(Url("/big.bin"), dir_.file("big")), 1);
  ASSERT_TRUE(AwaitDone(2));
  EXPECT_EQ(g_done, (std::vector<WPARAM>{0, 0}));
  const std::string page = dir_.read("page");
  EXPECT_EQ(page.rfind("HTTP/1.0 200", 0), 0u) << page;
  EXPECT_EQ(Body(page), "<html>index</html>\n");
  EXPECT_TRUE(Body(dir_.read("big")) == big_);
  server_.reset();  // the server writes its log out as it ends
  EXPECT_NE(dir_.read("access.log").find("GET /index.html HTTP/1.0 200 http://from.test/page"), std::string::npos)
      << dir_.read("access.log");
}

TEST_F(HttpGetFromLighttpd, BasicAuthenticationWithAByteAbove127) {
  ASSERT_EQ(Get(Url("/private/secret.html"), dir_.file("no")), 1);
  ASSERT_EQ(Get(Url("/private/secret.html"), dir_.file("wrong"), "alice", "pess"), 1);
  ASSERT_EQ(Get(Url("/private/secret.html"), dir_.file("yes"), "alice", "p\xe9ss"), 1);
  ASSERT_TRUE(AwaitDone(3));
  EXPECT_EQ(dir_.read("no").rfind("HTTP/1.0 401", 0), 0u);
  EXPECT_EQ(dir_.read("wrong").rfind("HTTP/1.0 401", 0), 0u);
  EXPECT_EQ(dir_.read("yes").rfind("HTTP/1.0 200", 0), 0u) << dir_.read("yes");
  EXPECT_EQ(Body(dir_.read("yes")), "secret\n");
}

}  // namespace
