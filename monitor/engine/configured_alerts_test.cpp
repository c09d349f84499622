// Alerts through an alert configuration: the alert entry's channel fields and
// one spooled alert per enabled channel, with its message.
#include "configured_alerts.h"

#include <gtest/gtest.h>

#include <string>

#include "alert_config.h"
#include "alert_queues.h"
#include "alert_texts.h"
#include "test_files.h"

namespace {

AlertFacts Down() {
  AlertFacts facts;
  facts.up = false;
  facts.host = "10.1.1.1";
  facts.kindName = "PING";
  facts.resultChangedTime = 1'700'000'000;
  return facts;
}

class ConfiguredAlertsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config_.SetEmailEnabled(true);
    config_.SetAudioEnabled(true);
    config_.SetPagerEnabled(true);
    config_.GetEmail()->SetAddress("ops@example.com");
    config_.GetAudio()->SetPlayMode(1);
    config_.GetAudio()->SetFile("alarm.wav");
    config_.GetPager()->SetNumber("5551234");
    config_.GetPager()->SetNumericMode();
    config_.GetPager()->SetActiveID("123456");
    config_.GetPager()->SetDownID("987654");
    email_.StartWithoutThread();
    audio_.StartWithoutThread();
    pager_.StartWithoutThread();
    queues_.email = &email_;
    queues_.audio = &audio_;
    queues_.pager = &pager_;
  }
  void TearDown() override {
    email_.Stop();
    audio_.Stop();
    pager_.Stop();
  }
  std::string Spooled(const std::string& name) { return dir_.file("queue/" + name); }

  qvtest::TempDir dir_{"qvconfigured"};
  bool made_ = (dir_.write("queue/.keep", ""), true);
  CAlertConfig config_;
  CEmailAlertQueue email_{dir_.file("queue").c_str()};
  CAudioAlertQueue audio_{dir_.file("queue").c_str()};
  CPagerAlertQueue pager_{dir_.file("queue").c_str()};
  AlertQueues queues_;
};

TEST_F(ConfiguredAlertsTest, TheEntryListsTheEnabledChannelsInOrder) {
  EXPECT_EQ(AlertChannelFields(config_),
            (std::vector<std::string>{"email ops@example.com", "audio alarm.wav", "num_page 5551234"}));
  config_.GetAudio()->SetPlayMode(0);
  config_.GetPager()->SetAlphaMode();
  config_.SetEmailEnabled(false);
  EXPECT_EQ(AlertChannelFields(config_), (std::vector<std::string>{"audio Beep", "alph_page 5551234"}));
  config_.SetAudioEnabled(false);
  config_.SetPagerEnabled(false);
  EXPECT_TRUE(AlertChannelFields(config_).empty());
}

TEST_F(ConfiguredAlertsTest, EachEnabledChannelSpoolsOneAlertWithItsMessage) {
  QueueConfiguredAlerts(config_, "Router", Down(), queues_);
  ASSERT_EQ(email_.ListSpoolFiles().size(), 1u);
  ASSERT_EQ(audio_.ListSpoolFiles().size(), 1u);
  ASSERT_EQ(pager_.ListSpoolFiles().size(), 1u);

  const CEmailAlert mail(Spooled(email_.ListSpoolFiles()[0]).c_str());
  EXPECT_EQ(std::string(mail.GetMessage()), AlertEmailMessage("Router", Down()));
  EXPECT_STREQ(mail.GetAddress(), "ops@example.com");
  const CPagerAlert page(Spooled(pager_.ListSpoolFiles()[0]).c_str());
  EXPECT_STREQ(page.GetMessage(), "9876");  // a numeric page: four characters of the down id
  const CAudioAlert sound(Spooled(audio_.ListSpoolFiles()[0]).c_str());
  EXPECT_STREQ(sound.GetFile(), "alarm.wav");

  // The configuration handed in is never changed.
  EXPECT_EQ(config_.GetEmail()->GetMessage(), nullptr);
  EXPECT_EQ(config_.GetPager()->GetMessage(), nullptr);

  // A disabled channel or a missing queue sends nothing.
  config_.SetAudioEnabled(false);
  queues_.pager = nullptr;
  QueueConfiguredAlerts(config_, "Router", Down(), queues_);
  EXPECT_EQ(email_.ListSpoolFiles().size(), 2u);
  EXPECT_EQ(audio_.ListSpoolFiles().size(), 1u);
  EXPECT_EQ(pager_.ListSpoolFiles().size(), 1u);
}

}  // namespace
