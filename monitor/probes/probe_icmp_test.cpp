// The PING test and the Ping export, with echoes to 127.0.0.1.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "monitor_type.h"
#include "probe.h"
#include "probe_exports.h"
#include "probe_icmp.h"

namespace {

// ICMP needs a ping socket (the process's group in
// net.ipv4.ping_group_range) or a raw socket (root). CI runs as root; a
// developer's machine without either skips these tests.
bool IcmpAllowed() {
  const HANDLE handle = IcmpCreateFile();
  if (handle == INVALID_HANDLE_VALUE) return false;
  IcmpCloseHandle(handle);
  return true;
}

#define REQUIRE_ICMP()                                                                    \
  do {                                                                                    \
    if (!IcmpAllowed()) {                                                                 \
      if (std::getenv("CI") != nullptr) FAIL() << "ICMP sockets must work in CI (root)"; \
      GTEST_SKIP() << "no ping or raw socket allowed here";                              \
    }                                                                                     \
  } while (0)

std::pair<int, std::string> Ping(const std::string& host, ProbeStop* stop = nullptr) {
  ProbeTarget target;
  target.kind = MONITOR_PING;
  target.host = host;
  ProbeOptions options;
  options.stop = stop;
  std::string message = "0 OK";
  const int result = ProbeDevice(target, message, options);
  return {result, message};
}

TEST(PingProbe, LoopbackAnswersAndLeavesTheMessageAlone) {
  REQUIRE_ICMP();
  EXPECT_EQ(Ping("127.0.0.1"), std::make_pair(1, std::string("0 OK")));
  EXPECT_EQ(Ping("localhost"), std::make_pair(1, std::string("0 OK")));
  EXPECT_EQ(SendIcmpEcho(htonl(INADDR_LOOPBACK), 0), EchoResult::kReplied);
}

TEST(PingProbe, EveryPathLetsTheNextPingRun) {
  REQUIRE_ICMP();
  // A failed resolve, then a stopped test: each must leave the ICMP turn free
  // for the next test, which would otherwise wait for ever.
  EXPECT_EQ(Ping(""), std::make_pair(0, std::string("1 Cannot Resolve Address")));
  ProbeStop stop;
  stop.Request();
  EXPECT_EQ(Ping("127.0.0.1", &stop).first, 0);
  EXPECT_EQ(Ping("127.0.0.1"), std::make_pair(1, std::string("0 OK")));
}

TEST(PingProbe, ManyWorkersAtOnceAllGetTheirTurn) {
  REQUIRE_ICMP();
  std::vector<std::thread> workers;
  std::atomic<int> up{0};
  for (int i = 0; i < 4; ++i) {
    workers.emplace_back([&up] { up += Ping("127.0.0.1").first; });
  }
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(up.load(), 4);
}

struct Answers {
  int calls = 0;
  DWORD last = 99;
};

void WINAPI Record(void* context, DWORD alive) {
  auto* answers = static_cast<Answers*>(context);
  ++answers->calls;
  answers->last = alive;
}

TEST(PingExport, AnswersOnceWithTheOutcome) {
  Answers none;
  RunPingRequest(&none, nullptr, 100, Record);
  EXPECT_EQ(none.calls, 1);
  EXPECT_EQ(none.last, 0u);
  Answers unknown;
  RunPingRequest(&unknown, "", 100, Record);
  EXPECT_EQ(unknown.calls, 1);
  EXPECT_EQ(unknown.last, 0u);
  RunPingRequest(nullptr, "127.0.0.1", 100, nullptr);  // no callback: nothing to do

  REQUIRE_ICMP();
  Answers loopback;
  RunPingRequest(&loopback, "127.0.0.1", 1000, Record);
  EXPECT_EQ(loopback.calls, 1);
  EXPECT_EQ(loopback.last, 1u);
}

}  // namespace
