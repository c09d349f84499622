// The variables and the set of the SNMP link, asked directly.
#include "snmp_test_support.h"

namespace {

using snmptest::SnmpLinkTest;

SnmpRecord Request(uint32_t kind, const char* id, const char* value = "") {
  SnmpRecord r{};
  r.kind = kind;
  std::snprintf(r.id, sizeof r.id, "%s", id);
  std::snprintf(r.value, sizeof r.value, "%s", value);
  return r;
}

TEST(SnmpTrapCodes, WordsInTheirOrder) {
  EXPECT_EQ(SnmpTrapCode("Quorvane is Up"), 102u);
  EXPECT_EQ(SnmpTrapCode("Quorvane is Down"), 103u);
  EXPECT_EQ(SnmpTrapCode("Quorvane is Enabled"), 104u);
  EXPECT_EQ(SnmpTrapCode("Quorvane is Disabled"), 105u);
  EXPECT_EQ(SnmpTrapCode("Down and Up"), 102u);  // "Up" is looked for first
  EXPECT_EQ(SnmpTrapCode("Quorvane is up"), 0u);  // case counts
  EXPECT_EQ(SnmpTrapCode("nothing"), 0u);
  EXPECT_EQ(SnmpInstanceNumber("1.3.6.1.4.1.99999.7"), 7u);
  EXPECT_EQ(SnmpInstanceNumber("12"), 0u);
}

TEST_F(SnmpLinkTest, GetsAnswerTheFourVariables) {
  LoadSettings("[Defaults]\nWebEnable=true\nWebAddress=127.0.0.1:8099\n");
  KeepSnmpPanelTitle("Quorvane - Monitors 4.0");
  SnmpRecord r = Request(kSnmpGet, "2.0");
  HandleSnmpRequest(&r);
  EXPECT_EQ(r.error, kSnmpNoError);
  EXPECT_EQ(r.type, kSnmpText);
  EXPECT_STREQ(r.value, "2");
  r = Request(kSnmpGet, "3.0");
  HandleSnmpRequest(&r);
  EXPECT_EQ(r.type, kSnmpText);
  EXPECT_STREQ(r.value, "Quorvane - Monitors 4.0");
  r = Request(kSnmpGet, "4.0");
  HandleSnmpRequest(&r);
  EXPECT_EQ(r.type, kSnmpInteger);
  EXPECT_STREQ(r.value, "2");
  r = Request(kSnmpGet, "5.0");
  HandleSnmpRequest(&r);
  EXPECT_EQ(r.type, kSnmpInteger);
  EXPECT_STREQ(r.value, "8099");
  // The answers are the server's loaded settings: a file changed since
  // its last apply does not show.
  WriteSettings("[Defaults]\nWebEnable=Yes\nWebAddress=127.0.0.1\n");
  r = Request(kSnmpGet, "4.0");
  HandleSnmpRequest(&r);
  EXPECT_STREQ(r.value, "2");
  LoadSettings("[Defaults]\nWebEnable=Yes\nWebAddress=127.0.0.1\n");
  r = Request(kSnmpGet, "4.0");
  HandleSnmpRequest(&r);
  EXPECT_STREQ(r.value, "1");
  r = Request(kSnmpGet, "5.0");
  HandleSnmpRequest(&r);
  EXPECT_STREQ(r.value, "99");
  r = Request(kSnmpGet, "6.0");
  HandleSnmpRequest(&r);
  EXPECT_EQ(r.error, kSnmpNoSuchVariable);
}

TEST_F(SnmpLinkTest, GetNextWalksInTextOrderAndEndsAfterFive) {
  std::vector<std::string> walked;
  SnmpRecord r = Request(kSnmpGetNext, "");
  for (;;) {
    HandleSnmpRequest(&r);
    if (r.error != kSnmpNoError) break;
    walked.push_back(r.id);
    r.kind = kSnmpGetNext;
    ASSERT_LT(walked.size(), 10u);
  }
  EXPECT_EQ(walked, (std::vector<std::string>{"2.0", "3.0", "4.0", "5.0"}));
  EXPECT_EQ(r.error, kSnmpNoSuchVariable);
  r = Request(kSnmpGetNext, "5.0");
  HandleSnmpRequest(&r);
  EXPECT_EQ(r.error, kSnmpNoSuchVariable);
}

TEST_F(SnmpLinkTest, OnlyFourCanBeSetAndOnlyToOneOrTwo) {
  WriteSettings("[Defaults]\nWebEnable=TRUE\n");
  SnmpRecord r = Request(kSnmpSet, "4.0", "1");
  HandleSnmpRequest(&r);
  EXPECT_EQ(r.error, kSnmpNoError);
  EXPECT_NE(Settings().find("WebEnable=FALSE"), std::string::npos);
  r = Request(kSnmpSet, "4.0", "2");
  HandleSnmpRequest(&r);
  EXPECT_EQ(r.error, kSnmpNoError);
  EXPECT_NE(Settings().find("WebEnable=TRUE"), std::string::npos);
  for (const char* wrong : {"7", "0", "", "2x", "-1"}) {
    r = Request(kSnmpSet, "4.0", wrong);
    HandleSnmpRequest(&r);
    EXPECT_EQ(r.error, kSnmpSetRefused) << wrong;
  }
  EXPECT_NE(Settings().find("WebEnable=TRUE"), std::string::npos);
  for (const char* readOnly : {"2.0", "3.0", "5.0", "6.0"}) {
    r = Request(kSnmpSet, readOnly, "1");
    HandleSnmpRequest(&r);
    EXPECT_EQ(r.error, kSnmpNoSuchVariable) << readOnly;
  }
  // Not Windows NT: the set stays refused and nothing is written.
  qvp::SetVersionForTests(4, 0, VER_PLATFORM_WIN32_WINDOWS);
  r = Request(kSnmpSet, "4.0", "1");
  HandleSnmpRequest(&r);
  qvp::SetVersionForTests(4, 0, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(r.error, kSnmpSetRefused);
  EXPECT_NE(Settings().find("WebEnable=TRUE"), std::string::npos);
}

TEST_F(SnmpLinkTest, UnendedFieldsAndWrongKindsChangeNothing) {
  SnmpRecord r{};
  r.kind = kSnmpGet;
  std::memset(r.id, '2', sizeof r.id);
  std::memset(r.value, 'v', sizeof r.value);
  HandleSnmpRequest(&r);
  EXPECT_EQ(r.error, kSnmpNoSuchVariable);
  EXPECT_EQ(std::strlen(r.id), sizeof r.id - 1);
  SnmpRecord trap = Request(kSnmpTrap, "2.0");
  EXPECT_EQ(MatchSnmpVariable(&trap, "2.0"), 0);
}

}  // namespace
