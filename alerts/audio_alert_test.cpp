#include "audio_alert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "alert_runtime.h"
#include "fake_senders.h"
#include "test_files.h"

namespace {

using fake_senders::record;

class AudioAlertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_senders::Install();
    SetAlertTestCancelled(false);
  }
  void TearDown() override {
    ResetAlertSenders();
    SetAlertTestCancelled(false);
  }
  qvtest::TempDir dir{"qvaudio"};
};

TEST_F(AudioAlertTest, WritesItsKeysInOrderAndReadsThemBack) {
  CAudioAlert alert;
  alert.SetPlayMode(1);
  alert.SetFile("C:\\sounds\\alarm.wav");
  alert.SetSoundID(48);
  alert.SetTimeMode(1);
  alert.SetLoopTime(4);
  alert.SetSecondsTime(33);
  const std::string path = dir.file("a.amp");
  ASSERT_TRUE(alert.Write(path.c_str()));
  EXPECT_EQ(qvtest::SectionLines(dir.read("a.amp"), "Audio"),
            (std::vector<std::string>{"TestMode=0", "PlayMode=1", "SoundID=48", "TimeMode=1", "LoopTime=4",
                                      "SecondsTime=33", "File=C:\\sounds\\alarm.wav", "ProfileName=<mt>"}));
  EXPECT_TRUE(CAudioAlert::IsValidFile(path.c_str()));

  CAudioAlert back(path.c_str());
  EXPECT_EQ(back.GetPlayMode(), 1);
  EXPECT_STREQ(back.GetFile(), "C:\\sounds\\alarm.wav");
  EXPECT_EQ(back.GetSoundID(), 48);
  EXPECT_EQ(back.GetLoopTime(), 4);
  EXPECT_EQ(back.GetSecondsTime(), 33);
  EXPECT_EQ(back.GetDuration(), 4);
  EXPECT_EQ(back.GetProfileName(), nullptr);
  EXPECT_STREQ(back.GetOwnPath(), path.c_str());
  // A copy carries every setting but not the file it came from.
  CAudioAlert copy(back);
  EXPECT_STREQ(copy.GetFile(), "C:\\sounds\\alarm.wav");
  EXPECT_EQ(copy.GetOwnPath(), nullptr);
}

TEST_F(AudioAlertTest, MissingKeysTakeTheReaderDefaultsAndMakeTheFileInvalid) {
  dir.write("old.amp", "[Audio]\nTime=7\nFile=x.wav\n");
  const std::string path = dir.file("old.amp");
  EXPECT_FALSE(CAudioAlert::IsValidFile(path.c_str()));
  EXPECT_FALSE(CAudioAlert::IsValidFile(""));
  CAudioAlert current(path.c_str());
  EXPECT_EQ(current.GetPlayMode(), 1);
  EXPECT_EQ(current.GetTimeMode(), 1);
  EXPECT_EQ(current.GetLoopTime(), 10);
  EXPECT_EQ(current.GetSecondsTime(), 20);
  EXPECT_STREQ(current.GetProfileName(), "");
  CAudioAlert legacy;
  ASSERT_TRUE(legacy.ReadLegacy(path.c_str()));
  EXPECT_EQ(legacy.GetLoopTime(), 7);
  EXPECT_EQ(legacy.GetSecondsTime(), 7);
  CAudioAlert nowhere;
  EXPECT_FALSE(nowhere.Read());
  EXPECT_FALSE(nowhere.Write());
}

TEST_F(AudioAlertTest, BeepsTheGivenNumberOfTimesWithPausesBetween) {
  CAudioAlert alert;
  alert.SetPlayMode(0);
  alert.SetSoundID(16);
  alert.SetTimeMode(1);
  alert.SetLoopTime(3);
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  EXPECT_EQ(record().beeps, (std::vector<UINT>{16, 16, 16}));
  EXPECT_EQ(record().pauses, (std::vector<DWORD>{500, 500}));
}

TEST_F(AudioAlertTest, BeepingForSecondsFollowsTheClock) {
  CAudioAlert alert;
  alert.SetPlayMode(0);
  alert.SetTimeMode(0);
  alert.SetSecondsTime(2);
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  EXPECT_EQ(record().beeps.size(), 4u);  // at 0, 500, 1000 and 1500 ms
}

TEST_F(AudioAlertTest, ABeepThatFailsEndsTheAlertInsteadOfLoopingForever) {
  record().beepsThatWork = 1;
  CAudioAlert alert;
  alert.SetPlayMode(0);
  alert.SetTimeMode(1);
  alert.SetLoopTime(5);
  EXPECT_EQ(alert.Deliver(), SendResult::Failed);
  EXPECT_EQ(record().beeps.size(), 2u);
}

TEST_F(AudioAlertTest, AWaveLoopsForItsSecondsAndIsStoppedThen) {
  CAudioAlert alert;
  alert.SetPlayMode(1);
  alert.SetFile("alarm.wav");
  alert.SetTimeMode(0);
  alert.SetSecondsTime(20);
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  EXPECT_EQ(record().sounds, (std::vector<std::string>{"alarm.wav", ""}));
  EXPECT_EQ(record().pauses, (std::vector<DWORD>{20000}));
}

TEST_F(AudioAlertTest, AWaveThatCannotBePlayedEndsTheRepetitions) {
  record().soundWorks = false;
  CAudioAlert alert;
  alert.SetPlayMode(1);
  alert.SetFile("missing.wav");
  alert.SetTimeMode(1);
  alert.SetLoopTime(50);
  EXPECT_EQ(alert.Deliver(), SendResult::Failed);
  EXPECT_EQ(record().sounds.size(), 1u);
}

TEST_F(AudioAlertTest, TheTestCancelFlagStopsATestButNotARealAlert) {
  SetAlertTestCancelled(true);
  CAudioAlert alert;
  alert.SetPlayMode(0);
  alert.SetTimeMode(1);
  alert.SetLoopTime(3);
  alert.SetTestMode(true);
  alert.Deliver();
  EXPECT_TRUE(record().beeps.empty());
  alert.SetTestMode(false);
  alert.Deliver();
  EXPECT_EQ(record().beeps.size(), 3u);
  // A stopping queue ends the playing too.
  std::atomic<bool> running{false};
  alert.Deliver(&running);
  EXPECT_EQ(record().beeps.size(), 3u);
}

// With the layer's own sound calls: a short wave file played twice, a looping
// wave started and stopped, a missing file tried once.
void WriteWave(const std::string& path) {
  const uint32_t samples = 80;  // 10 ms of 8-bit mono at 8000 Hz
  std::string wave = "RIFF";
  auto put32 = [&wave](uint32_t v) { for (int i = 0; i < 4; ++i) wave += static_cast<char>((v >> (8 * i)) & 0xFF); };
  auto put16 = [&wave](uint16_t v) { for (int i = 0; i < 2; ++i) wave += static_cast<char>((v >> (8 * i)) & 0xFF); };
  put32(36 + samples);
  wave += "WAVEfmt ";
  put32(16);
  put16(1);
  put16(1);
  put32(8000);
  put32(8000);
  put16(1);
  put16(8);
  wave += "data";
  put32(samples);
  wave += std::string(samples, static_cast<char>(0x80));
  std::ofstream(path, std::ios::binary) << wave;
}

TEST_F(AudioAlertTest, WaveAlertsThroughTheLayersSoundCalls) {
  AlertSenders senders;
  senders.pause = fake_senders::Pause;  // only the waiting is not real
  ResetAlertSenders();
  SetAlertSenders(senders);
  const std::string wave = dir.file("ding.wav");
  WriteWave(wave);
  qvp::TakeSoundLog();

  CAudioAlert alert;
  alert.SetPlayMode(1);
  alert.SetFile(wave.c_str());
  alert.SetTimeMode(1);
  alert.SetLoopTime(2);
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  std::vector<qvp::SoundEvent> log = qvp::TakeSoundLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].kind, qvp::SoundEventKind::kPlay);

  alert.SetTimeMode(0);
  alert.SetSecondsTime(3);
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  log = qvp::TakeSoundLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[0].flags & SND_LOOP, 0u);
  EXPECT_EQ(log[1].kind, qvp::SoundEventKind::kStop);
  EXPECT_FALSE(qvp::SoundIsLooping());

  alert.SetFile(dir.file("missing.wav").c_str());
  alert.SetTimeMode(1);
  alert.SetLoopTime(30);
  EXPECT_EQ(alert.Deliver(), SendResult::Failed);
  EXPECT_TRUE(qvp::TakeSoundLog().empty());
}

}  // namespace
