#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "net/netns_test_util.h"
#include "qvplatform.h"

namespace {

const IPAddr kLoopback = 0x0100007f;  // 127.0.0.1 in network byte order

// A reply buffer of the size the rules ask for, plus `extra`.
std::vector<unsigned char> ReplyBuffer(WORD request_size, int extra = 0) {
  return std::vector<unsigned char>(sizeof(ICMP_ECHO_REPLY) + request_size + 8 + static_cast<size_t>(extra));
}

class IcmpTest : public ::testing::Test {
 protected:
  void TearDown() override { qvp::SetIcmpSocketKind(qvp::IcmpSocketKind::kAny); }
};

// Echo of "abc" to 127.0.0.1 through the handle; checks the whole reply.
void ExpectLoopbackEcho(HANDLE h) {
  char payload[] = "abc";
  std::vector<unsigned char> buf = ReplyBuffer(3);
  IP_OPTION_INFORMATION options{30, 0, 0, 0, nullptr};
  DWORD n = IcmpSendEcho(h, kLoopback, payload, 3, &options, buf.data(), static_cast<DWORD>(buf.size()), 5000);
  ASSERT_EQ(n, 1u) << GetLastError();
  ICMP_ECHO_REPLY reply;
  std::memcpy(&reply, buf.data(), sizeof reply);
  EXPECT_EQ(reply.Status, static_cast<ULONG>(IP_SUCCESS));
  EXPECT_EQ(reply.Address, kLoopback);
  ASSERT_EQ(reply.DataSize, 3);
  EXPECT_EQ(reply.Data, buf.data() + sizeof(ICMP_ECHO_REPLY));
  EXPECT_EQ(std::memcmp(reply.Data, "abc", 3), 0);
  EXPECT_GT(reply.Options.Ttl, 0);  // read back from the reply's IP header
}

// The kinds of ICMP socket this process may open here.
std::vector<qvp::IcmpSocketKind> KindsAllowed() {
  std::vector<qvp::IcmpSocketKind> kinds;
  for (auto kind : {qvp::IcmpSocketKind::kDatagram, qvp::IcmpSocketKind::kRaw}) {
    qvp::SetIcmpSocketKind(kind);
    HANDLE h = IcmpCreateFile();
    if (h != INVALID_HANDLE_VALUE) {
      kinds.push_back(kind);
      IcmpCloseHandle(h);
    }
  }
  qvp::SetIcmpSocketKind(qvp::IcmpSocketKind::kAny);
  return kinds;
}

const char* Name(qvp::IcmpSocketKind kind) { return kind == qvp::IcmpSocketKind::kRaw ? "raw" : "datagram"; }

TEST_F(IcmpTest, EchoToLoopbackThroughEachAllowedSocketKind) {
  std::vector<qvp::IcmpSocketKind> kinds = KindsAllowed();
  if (kinds.empty()) GTEST_SKIP() << "this process may open no ICMP socket (no root, group not in ping_group_range)";
  for (auto kind : kinds) {
    SCOPED_TRACE(Name(kind));
    qvp::SetIcmpSocketKind(kind);
    HANDLE h = IcmpCreateFile();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ExpectLoopbackEcho(h);
    ExpectLoopbackEcho(h);  // the handle serves any number of requests
    EXPECT_TRUE(IcmpCloseHandle(h));
  }
}

TEST_F(IcmpTest, BufferRulesAndBadHandles) {
  HANDLE h = IcmpCreateFile();
  if (h == INVALID_HANDLE_VALUE) GTEST_SKIP() << "this process may open no ICMP socket";
  char payload[16] = "0123456789abcde";
  std::vector<unsigned char> buf = ReplyBuffer(16);
  EXPECT_EQ(IcmpSendEcho(h, kLoopback, payload, 16, nullptr, buf.data(), static_cast<DWORD>(buf.size()) - 1, 1000),
            0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(IcmpSendEcho(h, kLoopback, payload, 16, nullptr, buf.data(), sizeof(ICMP_ECHO_REPLY) - 1, 1000), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(IcmpSendEcho(h, kLoopback, nullptr, 16, nullptr, buf.data(), static_cast<DWORD>(buf.size()), 1000), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // Without options and with a larger payload the echo still comes back whole.
  ASSERT_EQ(IcmpSendEcho(h, kLoopback, payload, 16, nullptr, buf.data(), static_cast<DWORD>(buf.size()), 5000), 1u);
  ICMP_ECHO_REPLY reply;
  std::memcpy(&reply, buf.data(), sizeof reply);
  EXPECT_EQ(reply.DataSize, 16);
  EXPECT_EQ(std::memcmp(reply.Data, payload, 16), 0);
  EXPECT_TRUE(IcmpCloseHandle(h));
  EXPECT_FALSE(IcmpCloseHandle(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(IcmpSendEcho(h, kLoopback, payload, 3, nullptr, buf.data(), static_cast<DWORD>(buf.size()), 1000), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  HMODULE icmp = LoadLibraryA("icmp.dll");
  ASSERT_NE(icmp, nullptr);
  EXPECT_EQ(GetProcAddress(icmp, "IcmpSendEcho"), reinterpret_cast<FARPROC>(&IcmpSendEcho));
  EXPECT_NE(GetProcAddress(icmp, "IcmpCreateFile"), nullptr);
  EXPECT_NE(GetProcAddress(icmp, "IcmpCloseHandle"), nullptr);
  FreeLibrary(icmp);
}

// In a private network namespace both socket kinds can be allowed and echo
// answering can be switched off, so the silent case is tested on loopback.
TEST_F(IcmpTest, SilentHostTimesOutInAPrivateNetwork) {
  std::string why;
  bool skipped = false;
  std::thread([&] {
    if (!nettest::EnterPrivateNetwork(&why)) {
      skipped = true;
      return;
    }
    nettest::WriteNetSetting("net/ipv4/ping_group_range", "0 2147483647");
    std::vector<qvp::IcmpSocketKind> kinds = KindsAllowed();
    ASSERT_FALSE(kinds.empty());
    EXPECT_EQ(kinds.front(), qvp::IcmpSocketKind::kDatagram);  // every group may use them here
    for (auto kind : kinds) {
      SCOPED_TRACE(Name(kind));
      nettest::WriteNetSetting("net/ipv4/icmp_echo_ignore_all", "0");
      qvp::SetIcmpSocketKind(kind);
      HANDLE h = IcmpCreateFile();
      ASSERT_NE(h, INVALID_HANDLE_VALUE);
      ExpectLoopbackEcho(h);

      ASSERT_TRUE(nettest::WriteNetSetting("net/ipv4/icmp_echo_ignore_all", "1"));
      char payload[] = "abc";
      std::vector<unsigned char> buf = ReplyBuffer(3);
      EXPECT_EQ(IcmpSendEcho(h, kLoopback, payload, 3, nullptr, buf.data(), static_cast<DWORD>(buf.size()), 200), 0u);
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(IP_REQ_TIMED_OUT));
      ICMP_ECHO_REPLY reply;
      std::memcpy(&reply, buf.data(), sizeof reply);
      EXPECT_EQ(reply.Status, static_cast<ULONG>(IP_REQ_TIMED_OUT));
      EXPECT_EQ(reply.DataSize, 0);
      IcmpCloseHandle(h);
    }
    qvp::SetIcmpSocketKind(qvp::IcmpSocketKind::kAny);
  }).join();
  if (skipped) GTEST_SKIP() << why << "; the silent-host case needs one";
}

}  // namespace
