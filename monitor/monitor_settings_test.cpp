#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "monitor_settings.h"
#include "test_files.h"

namespace {

using qvtest::SectionKeys;
using qvtest::SectionLines;

class MonitorSettingsTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& text) {
    dir_.write("lert0000.amp", text);
    return dir_.file("lert0000.amp");
  }
  qvtest::TempDir dir_{"qvsettings"};
};

TEST_F(MonitorSettingsTest, EveryKindNameRoundTripsThroughAFile) {
  const std::string path = dir_.file("kinds.amp");
  for (int kind = MONITOR_TYPE_FIRST; kind <= MONITOR_TYPE_LAST; ++kind) {
    CMonitorSettings written;
    written.SetMonitorType(kind);
    ASSERT_TRUE(written.Write(path.c_str()));
    EXPECT_EQ(SectionLines(dir_.read("kinds.amp"), "Monitor")[6],
              std::string("MonitorType=") + MonitorTypeName(kind));
    CMonitorSettings read(path.c_str());
    EXPECT_EQ(read.GetMonitorType(), kind) << MonitorTypeName(kind);
  }
  EXPECT_STREQ(MonitorTypeName(0), "UNKNOWN");
  EXPECT_STREQ(MonitorTypeName(19), "UNKNOWN");
  EXPECT_EQ(CMonitorSettings::ParseMonitorType("DNS"), MONITOR_DNS);
  EXPECT_EQ(CMonitorSettings::ParseMonitorType("dns"), MONITOR_PING);  // names are case-sensitive
  EXPECT_EQ(CMonitorSettings::ParseMonitorType("NT Service"), MONITOR_NT_SERVICE);
  EXPECT_EQ(CMonitorSettings::ParseMonitorType(""), MONITOR_PING);
}

TEST_F(MonitorSettingsTest, WritesTheMonitorSectionInItsKeyOrder) {
  CMonitorSettings settings;
  settings.SetHostName("www.example.org");
  settings.SetUserName("monitor");
  settings.SetPassword("s3cret");
  settings.SetMonitorType(MONITOR_HTTP);
  settings.SetPortID(8080);
  settings.SetUpAlarm(false);
  const std::string path = dir_.file("order.amp");
  ASSERT_TRUE(settings.Write(path.c_str()));
  const std::string text = dir_.read("order.amp");
  EXPECT_EQ(SectionKeys(text, "Monitor"),
            (std::vector<std::string>{"UpAlarm", "Disabled", "HostName", "UserName", "Password", "HostPath",
                                      "MonitorType", "PollTime", "PollTimeUnit", "FailTime", "FailTimeUnit",
                                      "PortID"}));
  EXPECT_EQ(text.find("s3cret"), std::string::npos);  // the password is stored scrambled
  EXPECT_NE(text.find("UpAlarm=0"), std::string::npos);

  CMonitorSettings read(path.c_str());
  EXPECT_STREQ(read.GetPassword(), "s3cret");
  EXPECT_STREQ(read.GetHostName(), "www.example.org");
  EXPECT_EQ(read.GetPortID(), 8080);
  EXPECT_FALSE(read.GetUpAlarm());
  EXPECT_EQ(read.GetPollTime(), 1);  // a new object polls every minute
  EXPECT_EQ(read.GetPollTimeUnit(), kTimeUnitMinutes);
}

TEST_F(MonitorSettingsTest, MissingAndOddValuesReadAsTheirDefaults) {
  const int32_t before = static_cast<int32_t>(std::time(nullptr));
  const std::string path = Write("[Monitor]\nUpAlarm=2\nDisabled=1\nPollTime=abc\nMonitorType=Bogus\n");
  CMonitorSettings settings(path.c_str());
  EXPECT_FALSE(settings.GetUpAlarm());  // only 1 means on
  EXPECT_TRUE(settings.GetDisabled());
  EXPECT_EQ(settings.GetMonitorType(), MONITOR_PING);
  EXPECT_EQ(settings.GetPollTime(), 5);  // not a number: the default, not 0
  EXPECT_EQ(settings.GetFailTime(), 5);
  EXPECT_EQ(settings.GetPollTimeUnit(), kTimeUnitMinutes);
  EXPECT_EQ(settings.GetPortID(), 0);
  EXPECT_GE(settings.GetLastPollTime(), before);

  const std::string bare = Write("[Monitor]\nLastPollTime=12345\n");
  CMonitorSettings other(bare.c_str());
  EXPECT_TRUE(other.GetUpAlarm());
  EXPECT_FALSE(other.GetDisabled());
  EXPECT_EQ(other.GetLastPollTime(), 12345);
}

TEST_F(MonitorSettingsTest, PollAndFailTimesBelowOneBecomeOneSecond) {
  const std::string path =
      Write("[Monitor]\nPollTime=0\nPollTimeUnit=1\nFailTime=-3\nFailTimeUnit=2\n");
  CMonitorSettings settings(path.c_str());
  EXPECT_EQ(settings.GetPollTime(), 1);
  EXPECT_EQ(settings.GetPollTimeUnit(), kTimeUnitSeconds);
  EXPECT_EQ(settings.GetFailTime(), 1);
  EXPECT_EQ(settings.GetFailTimeUnit(), kTimeUnitSeconds);

  const std::string fine = Write("[Monitor]\nPollTime=7\nPollTimeUnit=0\nFailTime=2\nFailTimeUnit=1\n");
  CMonitorSettings kept(fine.c_str());
  EXPECT_EQ(kept.GetPollTime(), 7);
  EXPECT_EQ(kept.GetPollTimeUnit(), kTimeUnitSeconds);
  EXPECT_EQ(kept.GetFailTime(), 2);
  EXPECT_EQ(kept.GetFailTimeUnit(), kTimeUnitMinutes);
}

TEST_F(MonitorSettingsTest, OldFormatNumbersMapToTodaysKinds) {
  const std::vector<std::pair<int, int>> cases = {
      {1, MONITOR_DISK_SPACE}, {8, MONITOR_NNTP}, {9, MONITOR_ODBC}, {10, MONITOR_PING},
      {11, MONITOR_POP3}, {15, MONITOR_WHOIS}, {16, MONITOR_PING}, {0, MONITOR_PING}};
  for (const auto& [number, kind] : cases) {
    const std::string path = Write("[Monitor]\nMonitorType=" + std::to_string(number) + "\n");
    CMonitorSettings settings;
    ASSERT_TRUE(settings.ReadOld(path.c_str()));
    EXPECT_EQ(settings.GetMonitorType(), kind) << number;
  }
  CMonitorSettings none;
  ASSERT_TRUE(none.ReadOld(Write("[Monitor]\n").c_str()));
  EXPECT_EQ(none.GetMonitorType(), MONITOR_PING);
}

TEST_F(MonitorSettingsTest, WithoutAFileNothingIsReadOrWritten) {
  CMonitorSettings settings;
  EXPECT_FALSE(settings.Read());
  EXPECT_FALSE(settings.Write());
  EXPECT_FALSE(settings.Read(""));
}

TEST_F(MonitorSettingsTest, CopyTakesEverythingButTheFile) {
  const std::string path = Write("[Monitor]\nHostName=h\nHostPath=/x\nUserName=u\nDisabled=1\nUpAlarm=0\n"
                                 "PortID=21\nPollTime=3\nFailTime=4\nFailTimeUnit=0\nMonitorType=FTP\n");
  CMonitorSettings source(path.c_str());
  source.SetPassword("pw");
  CMonitorSettings copy(source);
  EXPECT_STREQ(copy.GetFilePath(), "");
  EXPECT_STREQ(copy.GetHostName(), "h");
  EXPECT_STREQ(copy.GetHostPath(), "/x");
  EXPECT_STREQ(copy.GetUserName(), "u");
  EXPECT_STREQ(copy.GetPassword(), "pw");
  EXPECT_TRUE(copy.GetDisabled());
  EXPECT_FALSE(copy.GetUpAlarm());
  EXPECT_EQ(copy.GetPortID(), 21);
  EXPECT_EQ(copy.GetPollTime(), 3);
  EXPECT_EQ(copy.GetFailTime(), 4);
  EXPECT_EQ(copy.GetFailTimeUnit(), kTimeUnitSeconds);
  EXPECT_EQ(copy.GetMonitorType(), MONITOR_FTP);
  EXPECT_EQ(copy.GetLastPollTime(), source.GetLastPollTime());
}

}  // namespace
