// The shared record between the program and another process in the agent's
// place: traps, requests, both at once, fields without ends and an agent
// that ends while holding the link's mutex.
#include <thread>

#include "snmp_test_support.h"

namespace {

using snmptest::SnmpLinkTest;
using snmptest::StandIn;

TEST_F(SnmpLinkTest, TrapsCarryTheRootAndTheirCode) {
  StandIn agent({"traps", "4"});
  ASSERT_EQ(agent.Line(), "ready");
  EXPECT_EQ(SendSnmpTrap("Quorvane is Up"), 0);
  EXPECT_EQ(SendSnmpTrap("Quorvane is Disabled"), 0);
  EXPECT_EQ(SendSnmpTrap("no word of the four"), 0);
  EXPECT_EQ(SendSnmpTrap("Quorvane is Down"), 0);
  EXPECT_EQ(agent.Line(), std::string(snmptest::kRoot) + " 102");
  EXPECT_EQ(agent.Line(), std::string(snmptest::kRoot) + " 105");
  EXPECT_EQ(agent.Line(), std::string(snmptest::kRoot) + " 0");
  EXPECT_EQ(agent.Line(), std::string(snmptest::kRoot) + " 103");
  EXPECT_EQ(agent.Wait(), 0);
  // Nobody answers now: the trap gives up, bounded.
  EXPECT_EQ(SendSnmpTrap("Quorvane is Enabled"), -1);
}

TEST_F(SnmpLinkTest, WithoutRootTheLinkDoesNothing) {
  g_snmpOid[0] = '\0';
  EXPECT_EQ(SendSnmpTrap("Quorvane is Up"), 0);
  EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, "QV_GetRequest_7"), nullptr);
  SnmpRecord record{};
  EXPECT_EQ(PostSnmpRecord(&record), -1);
}

TEST_F(SnmpLinkTest, TheAgentAsksAndTheRequestThreadAnswers) {
  LoadSettings("[Defaults]\nWebEnable=FALSE\nWebAddress=:8123\n");
  KeepSnmpPanelTitle("Panel title");
  {
    StandIn agent({"traps", "1"});
    ASSERT_EQ(agent.Line(), "ready");
    ASSERT_EQ(SendSnmpTrap("Quorvane is Up"), 0);  // starts the request thread
    EXPECT_EQ(agent.Wait(), 0);
  }
  auto ask = [](std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "ask");
    StandIn agent(arguments);
    agent.Line();  // ready
    std::string answer = agent.Line();
    agent.Wait();
    return answer;
  };
  EXPECT_EQ(ask({"2", "3.0"}), "0 4 3.0 Panel title");
  EXPECT_EQ(ask({"3", ""}), "0 4 2.0 2");
  EXPECT_EQ(ask({"2", "5.0"}), "0 2 5.0 8123");
  EXPECT_EQ(ask({"4", "4.0", "2"}), "0 0 4.0 2");
  EXPECT_NE(Settings().find("WebEnable=TRUE"), std::string::npos);
  EXPECT_EQ(ask({"4", "4.0", "7"}).substr(0, 2), "3 ");
  EXPECT_EQ(ask({"4", "5.0", "1"}).substr(0, 2), "2 ");
  // Ids and values that fill their fields without an end are answered safely.
  StandIn raw({"raw"});
  EXPECT_EQ(raw.Line(), "ready");
  EXPECT_EQ(raw.Line(), "2");
  EXPECT_EQ(raw.Wait(), 0);

  // The set reached the GUI thread (here: this one, which sent the first
  // trap); the server's apply itself is not run here.
  MSG message;
  bool applyPosted = false;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_USER + 1) {
      applyPosted = true;
    } else {
      DispatchMessageA(&message);
    }
  }
  EXPECT_TRUE(applyPosted);

  StandIn last({"traps", "1"});
  ASSERT_EQ(last.Line(), "ready");
  EXPECT_EQ(SendSnmpTrap("Quorvane is Down"), 0);
  EXPECT_EQ(last.Wait(), 0);
}

TEST_F(SnmpLinkTest, TwoTrappingThreadsAndAThousandRequestsNeverMixAnswers) {
  constexpr int kPerThread = 150;
  StandIn agent({"mixed", "1000", std::to_string(2 + 2 * kPerThread)});
  ASSERT_EQ(agent.Line(), "ready");
  ASSERT_EQ(SendSnmpTrap("Quorvane is Up"), 0);
  int wrong[2] = {0, 0};
  auto trapper = [&](int which) {
    for (int i = 0; i < kPerThread; ++i) {
      SnmpRecord record{};
      record.kind = kSnmpTrap;
      const std::string value = std::string(which == 0 ? "A" : "B") + std::to_string(i);
      std::snprintf(record.value, sizeof record.value, "%s", value.c_str());
      if (PostSnmpRecord(&record) != 0 || std::string(record.value) != "echo:" + value) ++wrong[which];
    }
  };
  std::thread first(trapper, 0);
  std::thread second(trapper, 1);
  first.join();
  second.join();
  EXPECT_EQ(agent.Line(), "requests done");
  EXPECT_EQ(SendSnmpTrap("Quorvane is Down"), 0);
  EXPECT_EQ(wrong[0], 0);
  EXPECT_EQ(wrong[1], 0);
  EXPECT_EQ(agent.Wait(), 0);  // every request got its own answer
}

TEST_F(SnmpLinkTest, AnAgentThatEndsHoldingTheMutexDoesNotHangTraps) {
  {
    StandIn dying({"die-holding"});
    ASSERT_EQ(dying.Line(), "ready");
    EXPECT_EQ(dying.Wait(), 0);
  }
  EXPECT_EQ(SendSnmpTrap("Quorvane is Up"), -1);  // nobody answers; the mutex was abandoned
  StandIn agent({"traps", "1"});
  ASSERT_EQ(agent.Line(), "ready");
  EXPECT_EQ(SendSnmpTrap("Quorvane is Down"), 0);  // a new agent serves
  EXPECT_EQ(agent.Wait(), 0);
}

}  // namespace
