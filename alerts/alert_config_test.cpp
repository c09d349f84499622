#include "alert_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alert_queues.h"
#include "fake_senders.h"
#include "test_files.h"

namespace {

class AlertConfigTest : public ::testing::Test {
 protected:
  qvtest::TempDir dir{"qvconfig"};
};

TEST_F(AlertConfigTest, AProfileWithoutTheSectionHasEveryChannelOffWithReaderDefaults) {
  dir.write("p.amp", "[Profile]\nDescription=x\n[AlertConfig]\npager=2\n");
  CAlertConfig config(dir.file("p.amp").c_str());
  EXPECT_FALSE(config.GetAudioEnabled());
  EXPECT_FALSE(config.GetEmailEnabled());
  EXPECT_FALSE(config.GetPagerEnabled());  // "2" is not "1"
  ASSERT_NE(config.GetAudio(), nullptr);
  EXPECT_EQ(config.GetAudio()->GetPlayMode(), 1);
  ASSERT_NE(config.GetPager(), nullptr);
  EXPECT_EQ(config.GetPager()->GetDialDelay(), 40);
  CAlertConfig nowhere;
  EXPECT_FALSE(nowhere.Load());
  EXPECT_FALSE(nowhere.Save());
}

TEST_F(AlertConfigTest, SaveAndLoadKeepFlagsAndChannelsAndStoreEmptyTextsAsMt) {
  const std::string path = dir.file("p.amp");
  CAlertConfig config;
  config.SetEmailEnabled(true);
  config.SetPagerEnabled(true);
  config.GetEmail()->SetAddress("ops@example.org");
  config.GetEmail()->SetSubject("");
  config.GetPager()->SetNumber("555");
  config.GetAudio()->SetFile("bell.wav");
  ASSERT_TRUE(config.Save(path.c_str()));
  const std::string text = dir.read("p.amp");
  EXPECT_EQ(qvtest::SectionNames(text), (std::vector<std::string>{"AlertConfig", "Audio", "Email", "Pager"}));
  EXPECT_EQ(qvtest::SectionLines(text, "AlertConfig"), (std::vector<std::string>{"audio=0", "email=1", "pager=1"}));
  EXPECT_NE(text.find("Subject=<mt>"), std::string::npos);
  EXPECT_STREQ(config.GetEmail()->GetOwnPath(), path.c_str());

  CAlertConfig back(path.c_str());
  EXPECT_FALSE(back.GetAudioEnabled());
  EXPECT_TRUE(back.GetEmailEnabled());
  EXPECT_TRUE(back.GetPagerEnabled());
  EXPECT_STREQ(back.GetEmail()->GetAddress(), "ops@example.org");
  EXPECT_EQ(back.GetEmail()->GetSubject(), nullptr);
  EXPECT_STREQ(back.GetPager()->GetNumber(), "555");
  EXPECT_STREQ(back.GetAudio()->GetFile(), "bell.wav");
}

TEST_F(AlertConfigTest, CopiesAreDeepAndCarryNoChannelFile) {
  const std::string path = dir.file("p.amp");
  CAlertConfig config;
  config.SetAudioEnabled(true);
  config.GetAudio()->SetFile("a.wav");
  config.Save(path.c_str());
  CAlertConfig copy(config);
  EXPECT_STREQ(copy.GetPath(), path.c_str());
  EXPECT_TRUE(copy.GetAudioEnabled());
  EXPECT_NE(copy.GetAudio(), config.GetAudio());
  EXPECT_EQ(copy.GetAudio()->GetOwnPath(), nullptr);
  copy.GetAudio()->SetFile("b.wav");
  EXPECT_STREQ(config.GetAudio()->GetFile(), "a.wav");
  CAlertConfig assigned;
  assigned = copy;
  EXPECT_STREQ(assigned.GetAudio()->GetFile(), "b.wav");
  EXPECT_TRUE(assigned.GetAudioEnabled());
}

TEST_F(AlertConfigTest, ATestGoesOnlyToTheEnabledChannelsTestSlots) {
  CEmailAlertQueue email(dir.path().string().c_str());
  CAudioAlertQueue audio(dir.path().string().c_str());
  CPagerAlertQueue pager(dir.path().string().c_str());
  for (AlertChannel channel : {AlertChannel::Email, AlertChannel::Audio, AlertChannel::Pager}) {
    SetAlertTestRunning(channel, false);
  }
  SetAlertTestCancelled(true);
  CAlertConfig config;
  config.SetPagerEnabled(true);
  config.Send(true, AlertQueues{&email, &audio, &pager});
  EXPECT_FALSE(IsAlertTestCancelled());
  EXPECT_TRUE(pager.IsTestPending());
  EXPECT_FALSE(email.IsTestPending());
  EXPECT_FALSE(audio.IsTestPending());
  EXPECT_TRUE(IsAlertTestRunning(AlertChannel::Pager));
  EXPECT_FALSE(IsAlertTestRunning(AlertChannel::Email));
  EXPECT_FALSE(IsAlertTestRunning(AlertChannel::Audio));
  SetAlertTestRunning(AlertChannel::Pager, false);

  // A real alert is spooled by each enabled channel's queue.
  email.StartWithoutThread();
  pager.StartWithoutThread();
  config.SetEmailEnabled(true);
  config.Send(false, AlertQueues{&email, &audio, &pager});
  EXPECT_EQ(email.ListSpoolFiles(), std::vector<std::string>{"lert0000.eap"});
  EXPECT_EQ(pager.ListSpoolFiles(), std::vector<std::string>{"lert0000.pap"});
  EXPECT_TRUE(audio.ListSpoolFiles().empty());
}

}  // namespace
