// Taking wave images apart, and the beep tones.
#include "sound/wave_file.h"

#include <gtest/gtest.h>

#include "sound/wave_test_util.h"

namespace {

using qvp::sound::ParseWave;
using qvp::sound::SampleFormat;
using qvp::sound::WaveSound;
using soundtest::MakeWave;
using soundtest::WaveShape;

TEST(WaveFileTest, ReadsFormatAndWholeFrames) {
  WaveShape shape;
  shape.channels = 2;
  shape.rate = 22050;
  shape.frames = 2205;
  shape.extra_odd_chunk = true;  // skipped, with its pad byte
  std::vector<uint8_t> image = MakeWave(shape);
  WaveSound sound;
  std::string why;
  ASSERT_TRUE(ParseWave(image.data(), image.size(), &sound, &why)) << why;
  EXPECT_EQ(sound.format, SampleFormat::kS16);
  EXPECT_EQ(sound.channels, 2);
  EXPECT_EQ(sound.samples_per_sec, 22050u);
  EXPECT_EQ(sound.block_align, 4);
  EXPECT_EQ(sound.Frames(), 2205u);
  EXPECT_EQ(sound.DurationMs(), 100u);
  EXPECT_EQ(sound.data[1], 7);  // the samples themselves, not the chunk before

  // A data chunk that claims more than the file holds keeps the whole frames there are.
  image.resize(image.size() - 401);
  ASSERT_TRUE(ParseWave(image.data(), image.size(), &sound, &why)) << why;
  EXPECT_EQ(sound.Frames(), 2205u - 101u);
}

TEST(WaveFileTest, TakesTheEncodingsTheOutputCanPlay) {
  const struct {
    uint16_t tag, bits;
    SampleFormat format;
  } kinds[] = {{1, 8, SampleFormat::kU8},       {1, 24, SampleFormat::kS24},
               {1, 32, SampleFormat::kS32},     {3, 32, SampleFormat::kFloat32},
               {3, 64, SampleFormat::kFloat64}, {6, 8, SampleFormat::kALaw},
               {7, 8, SampleFormat::kMuLaw}};
  for (const auto& k : kinds) {
    WaveShape shape;
    shape.tag = k.tag;
    shape.bits = k.bits;
    const std::vector<uint8_t> image = MakeWave(shape);
    WaveSound sound;
    ASSERT_TRUE(ParseWave(image.data(), image.size(), &sound, nullptr)) << k.tag << "/" << k.bits;
    EXPECT_EQ(sound.format, k.format);
    EXPECT_EQ(sound.Frames(), 800u);
  }
}

TEST(WaveFileTest, RefusesWhatIsNoPlayableWave) {
  auto refused = [](std::vector<uint8_t> image) {
    WaveSound sound;
    std::string why;
    return !ParseWave(image.data(), image.size(), &sound, &why) && !why.empty();
  };
  const std::string text = "This is a text file, not a sound.";
  EXPECT_TRUE(refused(std::vector<uint8_t>(text.begin(), text.end())));
  EXPECT_TRUE(refused({}));
  std::vector<uint8_t> avi = MakeWave({});
  std::copy_n("AVI ", 4, avi.begin() + 8);
  EXPECT_TRUE(refused(avi));
  const std::vector<uint8_t> whole = MakeWave({});
  EXPECT_TRUE(refused(std::vector<uint8_t>(whole.begin(), whole.begin() + 36)));  // no data chunk
  std::vector<uint8_t> no_fmt = MakeWave({});
  std::copy_n("junk", 4, no_fmt.begin() + 12);
  EXPECT_TRUE(refused(no_fmt));
  WaveShape adpcm;
  adpcm.tag = 2;
  EXPECT_TRUE(refused(MakeWave(adpcm)));
  WaveShape odd_bits;
  odd_bits.bits = 12;
  EXPECT_TRUE(refused(MakeWave(odd_bits)));
  WaveShape no_channels;
  no_channels.channels = 0;
  EXPECT_TRUE(refused(MakeWave(no_channels)));
  WaveShape bad_align;
  bad_align.block_align = 3;
  EXPECT_TRUE(refused(MakeWave(bad_align)));
  WaveShape no_rate;
  no_rate.rate = 0;
  EXPECT_TRUE(refused(MakeWave(no_rate)));
}

TEST(WaveFileTest, BeepTypesHaveTheirOwnAudibleTones) {
  const WaveSound ok = qvp::sound::BeepTone(0);
  const WaveSound hand = qvp::sound::BeepTone(0x10);
  EXPECT_GT(ok.Frames(), 0u);
  EXPECT_NE(ok.DurationMs(), hand.DurationMs());
  int loudest = 0;
  for (size_t i = 0; i + 1 < hand.data.size(); i += 2) {
    const int v = static_cast<int16_t>(hand.data[i] | (hand.data[i + 1] << 8));
    loudest = std::max(loudest, v < 0 ? -v : v);
  }
  EXPECT_GT(loudest, 5000);
}

}  // namespace
