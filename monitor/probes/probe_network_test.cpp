// The TCP connect and DNS tests, and the TryConnect export, against peers on
// loopback.
#include <gtest/gtest.h>

#include <thread>

#include "monitor_type.h"
#include "probe.h"
#include "probe_exports.h"
#include "probe_test_peers.h"

namespace {

using probetest::DnsAnswer;
using probetest::DnsPeer;
using probetest::DnsReply;

constexpr int kTcpKinds[] = {MONITOR_FINGER, MONITOR_FTP,    MONITOR_GOPHER, MONITOR_HTTP,
                             MONITOR_IRCHAT, MONITOR_NNTP,   MONITOR_POP3,   MONITOR_RWHOIS,
                             MONITOR_SMTP,   MONITOR_TELNET, MONITOR_WHOIS,  MONITOR_HTTPS};

struct Outcome {
  int result;
  std::string message;
};

Outcome Probe(int kind, const std::string& host, int port, const ProbeOptions& options = {}) {
  ProbeTarget target;
  target.kind = kind;
  target.host = host;
  target.port = port;
  std::string message = "0 OK";
  const int result = ProbeDevice(target, message, options);
  return {result, message};
}

TEST(TcpProbe, EveryServiceKindIsUpWhenThePortAccepts) {
  probetest::TcpPeer peer;
  for (int kind : kTcpKinds) {
    const Outcome out = Probe(kind, "127.0.0.1", peer.port());
    EXPECT_EQ(out.result, 1) << MonitorTypeName(kind);
    EXPECT_EQ(out.message, "0 OK") << MonitorTypeName(kind);
  }
  // A name from the hosts file resolves like a dotted address.
  EXPECT_EQ(Probe(MONITOR_SMTP, "localhost", peer.port()).result, 1);
}

TEST(TcpProbe, ClosedPortOrNoAddressIsDownWithItsCode) {
  const int closed = probetest::ClosedPort();
  for (int kind : kTcpKinds) {
    const Outcome out = Probe(kind, "127.0.0.1", closed);
    EXPECT_EQ(out.result, 0) << MonitorTypeName(kind);
    EXPECT_EQ(out.message, "4 Cannot connect to host") << MonitorTypeName(kind);
  }
  EXPECT_EQ(Probe(MONITOR_FTP, "", closed).message, "1 Cannot Resolve Address");
  // Ports that do not exist never reach some other port.
  probetest::TcpPeer peer;
  EXPECT_EQ(Probe(MONITOR_FTP, "127.0.0.1", peer.port() + 65536).message, "4 Cannot connect to host");
  EXPECT_EQ(Probe(MONITOR_FTP, "127.0.0.1", 0).message, "4 Cannot connect to host");
}

TEST(TcpProbe, UnansweredConnectionEndsAtTheConnectTimeOrOnStop) {
  probetest::TcpPeer silent(/*backlog_full=*/true);
  ProbeOptions options;
  options.maxConnectTimeMs = 300;
  EXPECT_EQ(Probe(MONITOR_TELNET, "127.0.0.1", silent.port(), options).message, "4 Cannot connect to host");

  ProbeStop stop;
  options.maxConnectTimeMs = 600000;  // only the stop can end this one
  options.stop = &stop;
  std::thread stopper([&stop] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stop.Request();
  });
  const Outcome out = Probe(MONITOR_TELNET, "127.0.0.1", silent.port(), options);
  stopper.join();
  EXPECT_EQ(out.result, 0);
}

TEST(DnsProbe, OnlyTheServersWholeErrorAnswerIsUp) {
  std::string notAResponse = DnsAnswer(3);
  notAResponse[2] = 0;
  struct Case {
    const char* what;
    std::vector<DnsReply> replies;
    int up;
  };
  const Case cases[] = {
      {"error answer to the empty query", {{DnsAnswer(2)}}, 1},
      {"answer without an error code", {{DnsAnswer(0)}}, 0},
      {"not a response", {{notAResponse}}, 0},
      // Datagrams that would read as up come first from elsewhere or cut
      // short; the server's own answer after them decides.
      {"forged and short datagrams first",
       {{DnsAnswer(2), "127.0.0.2"}, {DnsAnswer(2), "127.0.0.1", true}, {DnsAnswer(2).substr(0, 4)}, {DnsAnswer(0)}},
       0},
  };
  for (const Case& c : cases) {
    DnsPeer server(c.replies);
    const Outcome out = Probe(MONITOR_DNS, "127.0.0.1", server.port());
    EXPECT_EQ(out.result, c.up) << c.what;
    EXPECT_EQ(out.message, c.up ? "0 OK" : "3 No response from DNS server") << c.what;
    ASSERT_EQ(server.queries().size(), 1u) << c.what;
    EXPECT_EQ(server.queries()[0], std::string(12, '\0')) << c.what;
  }
}

TEST(DnsProbe, ForeignOrShortAnswersAloneAreNoAnswer) {
  DnsPeer server({{DnsAnswer(5), "127.0.0.2"}, {DnsAnswer(5).substr(0, 11)}});
  ProbeOptions options;
  options.dnsWaitMs = 300;
  const Outcome out = Probe(MONITOR_DNS, "127.0.0.1", server.port(), options);
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.message, "3 No response from DNS server");
  EXPECT_EQ(server.queries().size(), 1u);
}

TEST(DnsProbe, SilentServerAndUnknownHost) {
  ProbeOptions options;
  options.dnsWaitMs = 200;
  EXPECT_EQ(Probe(MONITOR_DNS, "127.0.0.1", probetest::ClosedPort(), options).message,
            "3 No response from DNS server");
  EXPECT_EQ(Probe(MONITOR_DNS, "", 53, options).message, "1 Cannot Resolve Address");
}

// ---- TryConnect -----------------------------------------------------------------

struct Answers {
  int calls = 0;
  int last = -1;
};

void WINAPI Record(void* context, int connected) {
  auto* answers = static_cast<Answers*>(context);
  ++answers->calls;
  answers->last = connected;
}

TEST(TryConnectExport, AnswersOnceWithTheOutcome) {
  probetest::TcpPeer peer;
  for (int type : {1, 2}) {
    Answers answers;
    RunConnectRequest(&answers, "127.0.0.1", type, peer.port(), 0, Record);
    EXPECT_EQ(answers.calls, 1);
    EXPECT_EQ(answers.last, 1) << "type " << type;
  }
  const int closed = probetest::ClosedPort();
  struct Case {
    const char* host;
    int type;
    int port;
  };
  for (const Case& c : {Case{"127.0.0.1", 1, closed}, Case{"127.0.0.1", 3, peer.port()},
                        Case{nullptr, 1, peer.port()}, Case{"", 1, peer.port()}}) {
    Answers answers;
    RunConnectRequest(&answers, c.host, c.type, c.port, 500, Record);
    EXPECT_EQ(answers.calls, 1);
    EXPECT_EQ(answers.last, 0);
  }
  RunConnectRequest(nullptr, "127.0.0.1", 1, peer.port(), 0, nullptr);  // no callback: nothing to do
}

TEST(TryConnectExport, TheTimeOutBoundsTheConnection) {
  probetest::TcpPeer silent(/*backlog_full=*/true);
  Answers answers;
  RunConnectRequest(&answers, "127.0.0.1", 1, silent.port(), 300, Record);
  EXPECT_EQ(answers.calls, 1);
  EXPECT_EQ(answers.last, 0);
}

}  // namespace
