#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "alert_config.h"
#include "monitor_profile.h"
#include "profile_registry.h"
#include "test_files.h"

namespace {

using qvtest::SectionKeys;
using qvtest::SectionLines;

uint32_t FixedClock() { return 1000; }

class MonitorProfileTest : public ::testing::Test {
 protected:
  void TearDown() override { profile_registry::SetIdClockForTests(nullptr); }
  std::string Write(const std::string& name, const std::string& text) {
    dir_.write(name, text);
    return dir_.file(name);
  }
  qvtest::TempDir dir_{"qvprofile"};
};

TEST_F(MonitorProfileTest, TheAlertConfigurationTravelsWithTheProfile) {
  CMonitorProfile profile;
  profile.SetDescription("Mail relay");
  ASSERT_NE(profile.GetAlertConfig(), nullptr);
  profile.GetAlertConfig()->SetEmailEnabled(true);
  const std::string path = dir_.file("lert0001.amp");
  ASSERT_TRUE(profile.Write(path.c_str()));

  CMonitorProfile copy(profile);  // a deep copy: changing it leaves the original
  ASSERT_NE(copy.GetAlertConfig(), profile.GetAlertConfig());
  copy.GetAlertConfig()->SetEmailEnabled(false);
  EXPECT_TRUE(profile.GetAlertConfig()->GetEmailEnabled());

  CMonitorProfile read(path.c_str());
  ASSERT_NE(read.GetAlertConfig(), nullptr);
  EXPECT_TRUE(read.GetAlertConfig()->GetEmailEnabled());
  EXPECT_FALSE(read.GetAlertConfig()->GetAudioEnabled());
}

TEST_F(MonitorProfileTest, WritesProfileThenMonitorAndReadsThemBack) {
  CMonitorProfile profile;
  profile.SetDescription("Web server");
  profile.GetSettings()->SetHostName("www.example.org");
  profile.GetSettings()->SetMonitorType(MONITOR_HTTP);
  const std::string path = dir_.file("lert0000.amp");
  ASSERT_TRUE(profile.Write(path.c_str()));
  const std::string text = dir_.read("lert0000.amp");
  // The alert configuration's sections stand between the profile's own.
  EXPECT_EQ(qvtest::SectionNames(text),
            (std::vector<std::string>{"Profile", "AlertConfig", "Audio", "Email", "Pager", "Monitor"}));
  EXPECT_EQ(SectionKeys(text, "Profile"),
            (std::vector<std::string>{"MajorVersion", "MinorVersion", "Description", "LogPath", "ProfileID"}));
  EXPECT_EQ(SectionLines(text, "Profile")[4], "ProfileID=" + std::to_string(profile.GetProfileID()));

  CMonitorProfile read(path.c_str());
  EXPECT_STREQ(read.GetDescription(), "Web server");
  EXPECT_STREQ(read.GetFilePath(), path.c_str());
  EXPECT_EQ(read.GetProfileID(), profile.GetProfileID());
  EXPECT_STREQ(read.GetSettings()->GetHostName(), "www.example.org");
  EXPECT_EQ(read.GetSettings()->GetMonitorType(), MONITOR_HTTP);
}

TEST_F(MonitorProfileTest, OldFormatFileReadsWithOldNumbersAndIsSavedInTheNewFormat) {
  const std::string path = Write("lert0003.amp",
                                 "[Profile]\nMajorVersion=1\nMinorVersion=0\nDescription=Orders\n"
                                 "[Monitor]\nHostName=OrdersDSN\nMonitorType=9\nPortID=0\n");
  CMonitorProfile profile(path.c_str());
  EXPECT_EQ(profile.GetMinorVersion(), 0);
  EXPECT_EQ(profile.GetSettings()->GetMonitorType(), MONITOR_ODBC);
  EXPECT_STREQ(profile.GetSettings()->GetHostName(), "OrdersDSN");
  ASSERT_TRUE(profile.Write());
  EXPECT_EQ(profile.GetMinorVersion(), 1);
  const std::string text = dir_.read("lert0003.amp");
  const std::vector<std::string> lines = SectionLines(text, "Profile");
  EXPECT_EQ(lines[1], "MinorVersion=1");
  EXPECT_NE(text.find("MonitorType=ODBC"), std::string::npos);
  EXPECT_EQ(text.find("MonitorType=9"), std::string::npos);
  CMonitorProfile again(path.c_str());
  EXPECT_EQ(again.GetSettings()->GetMonitorType(), MONITOR_ODBC);
}

TEST_F(MonitorProfileTest, ProfileIdComesFromTheFileOrStaysTheOneMadeAtConstruction) {
  const std::string withId = Write("a.amp", "[Profile]\nProfileID=4000000000\nDescription=A\n");
  EXPECT_EQ(CMonitorProfile(withId.c_str()).GetProfileID(), 4000000000u);

  const std::string without = Write("b.amp", "[Profile]\nDescription=B\n");
  CMonitorProfile profile(without.c_str());
  const uint32_t made = profile.GetProfileID();
  ASSERT_TRUE(profile.Write());
  EXPECT_NE(dir_.read("b.amp").find("ProfileID=" + std::to_string(made)), std::string::npos);

  profile.NewProfileID();  // written at once, without a full save
  EXPECT_NE(profile.GetProfileID(), made);
  EXPECT_NE(dir_.read("b.amp").find("ProfileID=" + std::to_string(profile.GetProfileID())), std::string::npos);
}

TEST_F(MonitorProfileTest, IdsMadeWithinOneClockTickDiffer) {
  profile_registry::SetIdClockForTests(FixedClock);
  // A loaded profile already holds the clock's value.
  const std::string path = Write("c.amp", "[Profile]\nProfileID=1000\n");
  CMonitorProfile loaded(path.c_str());
  CMonitorProfile first;
  CMonitorProfile second;
  CMonitorProfile copy(first);
  const std::vector<uint32_t> ids = {loaded.GetProfileID(), first.GetProfileID(), second.GetProfileID(),
                                     copy.GetProfileID()};
  EXPECT_EQ(ids[0], 1000u);
  for (size_t i = 0; i < ids.size(); ++i) {
    for (size_t j = i + 1; j < ids.size(); ++j) EXPECT_NE(ids[i], ids[j]) << i << " " << j;
  }
  second.NewProfileID();
  EXPECT_NE(second.GetProfileID(), first.GetProfileID());
  EXPECT_NE(second.GetProfileID(), copy.GetProfileID());
}

TEST_F(MonitorProfileTest, CopyHasItsOwnIdAndNoRow) {
  const std::string path = Write("d.amp", "[Profile]\nDescription=Mail\nLogPath=c:\\logs\n"
                                          "[Monitor]\nUpAlarm=0\nDisabled=1\nMonitorType=SMTP\n");
  CMonitorProfile source(path.c_str());
  PROFILE row{};
  source.FillRow(&row);
  source.SetRow(&row);
  CMonitorProfile copy(source);
  EXPECT_NE(copy.GetProfileID(), source.GetProfileID());
  EXPECT_EQ(copy.GetRow(), nullptr);
  EXPECT_STREQ(copy.GetDescription(), "Mail");
  EXPECT_STREQ(copy.GetLogPath(), "c:\\logs");
  EXPECT_FALSE(copy.GetSettings()->GetUpAlarm());
  EXPECT_TRUE(copy.GetSettings()->GetDisabled());
  EXPECT_EQ(copy.GetSettings()->GetMonitorType(), MONITOR_SMTP);
  EXPECT_NE(copy.GetSettings(), source.GetSettings());
}

TEST_F(MonitorProfileTest, DescriptionsKeepAtMost79Characters) {
  CMonitorProfile profile;
  profile.SetDescription(std::string(100, 'd').c_str());
  EXPECT_EQ(std::strlen(profile.GetDescription()), 79u);
  profile.SetDescription("");  // ignored
  EXPECT_EQ(std::strlen(profile.GetDescription()), 79u);
  profile.SetDescription(nullptr);
  EXPECT_EQ(std::strlen(profile.GetDescription()), 79u);
}

TEST_F(MonitorProfileTest, RowsAreFilledWithBoundedCopies) {
  std::unique_ptr<PROFILE, decltype(&std::free)> row(static_cast<PROFILE*>(std::malloc(sizeof(PROFILE))), std::free);
  std::memset(row.get(), 0x5A, sizeof(PROFILE));

  CMonitorProfile empty;
  empty.FillRow(row.get());
  EXPECT_EQ(row->majorVersion, 1);
  EXPECT_EQ(row->type, 4);
  EXPECT_STREQ(row->description, "N/A");
  EXPECT_STREQ(row->host, "N/A");
  EXPECT_STREQ(row->extraText, "N/A");
  EXPECT_STREQ(row->profileFile, "N/A");  // never saved
  EXPECT_EQ(row->key, &empty);

  // The program's five values are zeroed at every fill.
  row->itemCount = row->firstTime = row->lastTime = row->state = row->running = 7;
  CMonitorProfile saved;
  saved.SetDescription("Long host");
  saved.GetSettings()->SetHostName(std::string(2047, 'h').c_str());
  const std::string path = dir_.file("lert0001.amp");
  ASSERT_TRUE(saved.Write(path.c_str()));
  saved.FillRow(row.get());
  EXPECT_EQ(row->itemCount + row->firstTime + row->lastTime + row->state + row->running, 0);
  EXPECT_EQ(std::strlen(row->host), 259u);  // cut to the field, never past it
  EXPECT_EQ(std::string(row->host), std::string(259, 'h'));
  EXPECT_STREQ(row->description, "Long host");
  EXPECT_STREQ(row->extraText, "N/A");
  EXPECT_STREQ(row->profileFile, path.c_str());
  EXPECT_EQ(row->key, &saved);
}

TEST_F(MonitorProfileTest, ProfilesWithoutAFileAreNotReadOrWritten) {
  CMonitorProfile profile;
  profile.SetDescription("kept");
  EXPECT_FALSE(profile.Read());
  EXPECT_FALSE(profile.Write());
  EXPECT_STREQ(profile.GetDescription(), "kept");
  profile.DeleteProfileFile();  // nothing to delete
}

}  // namespace
