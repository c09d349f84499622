// sndPlaySoundA through the recording sink (QV_TEST=1), and once through a
// real ALSA device (its "null" device).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "qvplatform.h"
#include "sound/wave_test_util.h"

namespace {

using qvp::SoundEventKind;

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "qv_sound_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    qvp::SetSoundDevice(nullptr);
    sndPlaySoundA(nullptr, SND_ASYNC);
    qvp::TakeSoundLog();
  }
  void TearDown() override {
    sndPlaySoundA(nullptr, SND_ASYNC);
    qvp::SetSoundDevice(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir_ + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::string dir_;
};

TEST_F(SoundTest, WaveFileIsPlayedAndRecordedWithItsFlags) {
  soundtest::WaveShape shape;
  shape.channels = 2;
  shape.rate = 11025;
  shape.frames = 5513;  // half a second
  const std::string path = Write("alarm.wav", soundtest::MakeWave(shape));
  // The name goes through the path mapper: another case, Windows separators.
  std::string windows = dir_ + "\\ALARM.WAV";
  for (char& c : windows) c = c == '/' ? '\\' : c;
  ASSERT_TRUE(sndPlaySoundA(windows.c_str(), SND_SYNC | SND_NODEFAULT));
  ASSERT_TRUE(sndPlaySoundA(path.c_str(), SND_ASYNC | SND_FILENAME));
  const std::vector<qvp::SoundEvent> log = qvp::TakeSoundLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].kind, SoundEventKind::kPlay);
  EXPECT_EQ(log[0].name, windows);
  EXPECT_EQ(log[0].path, path);
  EXPECT_EQ(log[0].flags, SND_SYNC | SND_NODEFAULT);
  EXPECT_EQ(log[0].channels, 2);
  EXPECT_EQ(log[0].samples_per_sec, 11025u);
  EXPECT_EQ(log[0].bits_per_sample, 16);
  EXPECT_EQ(log[0].duration_ms, 500u);
  EXPECT_FALSE(log[0].to_device);  // no device under test
  EXPECT_EQ(log[1].flags, SND_ASYNC | SND_FILENAME);
  EXPECT_FALSE(qvp::SoundIsLooping());
}

TEST_F(SoundTest, FilesThatAreNoWaveSoundFail) {
  const std::string text_file = Write("notes.wav", {'h', 'e', 'l', 'l', 'o'});
  const std::string empty_file = Write("empty.wav", {});
  soundtest::WaveShape adpcm;
  adpcm.tag = 2;
  const std::string adpcm_file = Write("adpcm.wav", soundtest::MakeWave(adpcm));
  for (UINT flags : {SND_SYNC, SND_ASYNC | SND_LOOP, SND_SYNC | SND_NODEFAULT}) {
    SetLastError(0);
    EXPECT_FALSE(sndPlaySoundA((dir_ + "/missing.wav").c_str(), flags));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(sndPlaySoundA(dir_.c_str(), flags));  // a directory
    SetLastError(0);
    EXPECT_FALSE(sndPlaySoundA(text_file.c_str(), flags));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_FORMAT));
    EXPECT_FALSE(sndPlaySoundA(empty_file.c_str(), flags));
    EXPECT_FALSE(sndPlaySoundA(adpcm_file.c_str(), flags));
    EXPECT_FALSE(sndPlaySoundA("", flags));
  }
  EXPECT_FALSE(qvp::SoundIsLooping());
  EXPECT_TRUE(qvp::TakeSoundLog().empty());
}

TEST_F(SoundTest, LoopPlaysUntilStoppedOrReplaced) {
  const std::string path = Write("loop.wav", soundtest::MakeWave({}));
  const std::string other = Write("other.wav", soundtest::MakeWave({}));
  // A synchronous loop would never return.
  SetLastError(0);
  EXPECT_FALSE(sndPlaySoundA(path.c_str(), SND_SYNC | SND_LOOP));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  ASSERT_TRUE(sndPlaySoundA(path.c_str(), SND_ASYNC | SND_LOOP));
  EXPECT_TRUE(qvp::SoundIsLooping());
  // SND_NOSTOP keeps the playing sound.
  EXPECT_FALSE(sndPlaySoundA(other.c_str(), SND_ASYNC | SND_NOSTOP));
  EXPECT_TRUE(qvp::SoundIsLooping());
  EXPECT_TRUE(sndPlaySoundA(nullptr, SND_ASYNC));
  EXPECT_FALSE(qvp::SoundIsLooping());
  // Stopping when nothing plays is fine.
  EXPECT_TRUE(sndPlaySoundA(nullptr, SND_ASYNC));
  // A new sound replaces a loop.
  ASSERT_TRUE(sndPlaySoundA(path.c_str(), SND_ASYNC | SND_LOOP));
  ASSERT_TRUE(sndPlaySoundA(other.c_str(), SND_ASYNC));
  EXPECT_FALSE(qvp::SoundIsLooping());

  const std::vector<qvp::SoundEvent> log = qvp::TakeSoundLog();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].kind, SoundEventKind::kPlay);
  EXPECT_EQ(log[0].flags, SND_ASYNC | SND_LOOP);
  EXPECT_EQ(log[1].kind, SoundEventKind::kStop);
  EXPECT_EQ(log[2].kind, SoundEventKind::kStop);
  EXPECT_EQ(log[3].name, path);
  EXPECT_EQ(log[4].name, other);
}

TEST_F(SoundTest, WaveImagesInMemoryAndBeepTones) {
  const std::vector<uint8_t> image = soundtest::MakeWave({});
  ASSERT_TRUE(sndPlaySoundA(reinterpret_cast<LPCSTR>(image.data()), SND_MEMORY | SND_SYNC));
  const char garbage[16] = "RIFX....WAVE...";
  EXPECT_FALSE(sndPlaySoundA(garbage, SND_MEMORY | SND_SYNC));
  EXPECT_TRUE(qvp::PlayBeepSound(0x30));
  const std::vector<qvp::SoundEvent> log = qvp::TakeSoundLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].name, "<memory>");
  EXPECT_EQ(log[0].duration_ms, 100u);
  EXPECT_EQ(log[1].kind, SoundEventKind::kBeep);
  EXPECT_EQ(log[1].flags, 0x30u);
  EXPECT_GT(log[1].duration_ms, 0u);
}

// The real output path, on ALSA's "null" device, which needs no sound card.
TEST_F(SoundTest, AlsaDevicePlaysLoopsAndStops) {
  qvp::SetSoundDevice("null");
  const std::string path = Write("device.wav", soundtest::MakeWave({}));
  ASSERT_TRUE(sndPlaySoundA(path.c_str(), SND_SYNC));
  std::vector<qvp::SoundEvent> log = qvp::TakeSoundLog();
  ASSERT_EQ(log.size(), 1u);
  if (!log[0].to_device) {
    if (std::getenv("CI") != nullptr) FAIL() << "ALSA (libasound2) is needed in CI";
    GTEST_SKIP() << "ALSA's null device cannot be opened here";
  }
  ASSERT_TRUE(sndPlaySoundA(path.c_str(), SND_ASYNC | SND_LOOP));
  EXPECT_TRUE(qvp::SoundIsLooping());
  // A synchronous sound replaces the loop and returns once played.
  ASSERT_TRUE(sndPlaySoundA(path.c_str(), SND_SYNC));
  EXPECT_FALSE(qvp::SoundIsLooping());
  ASSERT_TRUE(sndPlaySoundA(path.c_str(), SND_ASYNC | SND_LOOP));
  EXPECT_TRUE(sndPlaySoundA(nullptr, SND_ASYNC));
  EXPECT_FALSE(qvp::SoundIsLooping());
  log = qvp::TakeSoundLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_TRUE(log[0].to_device);
  EXPECT_TRUE(log[1].to_device);
  EXPECT_TRUE(log[2].to_device);
  EXPECT_EQ(log[3].kind, SoundEventKind::kStop);
}

}  // namespace
