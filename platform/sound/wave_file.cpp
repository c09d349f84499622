// RIFF "WAVE" images and beep tones.
#include "wave_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qvp::sound {
namespace {

constexpr WORD kFormatPcm = 1;
constexpr WORD kFormatFloat = 3;
constexpr WORD kFormatALaw = 6;
constexpr WORD kFormatMuLaw = 7;
constexpr WORD kFormatExtensible = 0xFFFE;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool Fail(std::string* why, const char* text) {
  if (why != nullptr) *why = text;
  return false;
}

bool PickFormat(WORD tag, WORD bits, SampleFormat* format) {
  switch (tag) {
    case kFormatPcm:
      switch (bits) {
        case 8: *format = SampleFormat::kU8; return true;
        case 16: *format = SampleFormat::kS16; return true;
        case 24: *format = SampleFormat::kS24; return true;
        case 32: *format = SampleFormat::kS32; return true;
        default: return false;
      }
    case kFormatFloat:
      if (bits == 32) *format = SampleFormat::kFloat32;
      else if (bits == 64) *format = SampleFormat::kFloat64;
      else return false;
      return true;
    case kFormatALaw:
      *format = SampleFormat::kALaw;
      return bits == 8;
    case kFormatMuLaw:
      *format = SampleFormat::kMuLaw;
      return bits == 8;
    default:
      return false;
  }
}

}  // namespace

DWORD WaveSound::DurationMs() const {
  if (samples_per_sec == 0) return 0;
  return static_cast<DWORD>(static_cast<uint64_t>(Frames()) * 1000 / samples_per_sec);
}

size_t DeclaredWaveSize(const uint8_t* header) {
  if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) return 0;
  return static_cast<size_t>(Le32(header + 4)) + 8;
}

bool ParseWave(const uint8_t* bytes, size_t size, WaveSound* out, std::string* why) {
  if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
    return Fail(why, "not a RIFF WAVE image");
  }
  const uint8_t* fmt = nullptr;
  size_t fmt_size = 0;
  const uint8_t* data = nullptr;
  size_t data_size = 0;
  size_t at = 12;
  while (at + 8 <= size) {
    const uint8_t* chunk = bytes + at;
    const size_t declared = Le32(chunk + 4);
    const size_t available = size - at - 8;
    const size_t length = declared < available ? declared : available;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && fmt == nullptr) {
      fmt = chunk + 8;
      fmt_size = length;
    } else if (std::memcmp(chunk, "data", 4) == 0 && data == nullptr) {
      data = chunk + 8;
      data_size = length;
    }
    if (declared >= available) break;
    at += 8 + declared + (declared & 1);  // chunks are padded to even lengths
  }
  if (fmt == nullptr || fmt_size < 16) return Fail(why, "no format chunk");
  if (data == nullptr) return Fail(why, "no data chunk");
  WORD tag = Le16(fmt);
  const WORD channels = Le16(fmt + 2);
  const DWORD rate = Le32(fmt + 4);
  const WORD block_align = Le16(fmt + 12);
  const WORD bits = Le16(fmt + 14);
  if (tag == kFormatExtensible) {
    // The sub-format's first two bytes carry the plain format tag.
    if (fmt_size < 40) return Fail(why, "short extensible format chunk");
    tag = Le16(fmt + 24);
  }
  WaveSound sound;
  if (!PickFormat(tag, bits, &sound.format)) return Fail(why, "unsupported sample encoding");
  if (channels < 1 || channels > 8) return Fail(why, "unsupported channel count");
  if (rate < 1000 || rate > 768000) return Fail(why, "unsupported sample rate");
  if (block_align != channels * (bits / 8)) return Fail(why, "inconsistent frame size");
  sound.channels = channels;
  sound.samples_per_sec = rate;
  sound.bits_per_sample = bits;
  sound.block_align = block_align;
  const size_t whole = data_size - data_size % block_align;
  sound.data.assign(data, data + whole);
  *out = std::move(sound);
  return true;
}

WaveSound BeepTone(UINT type) {
  double hertz = 880.0;
  DWORD ms = 150;
  switch (type) {
    case 0x10: hertz = 330.0; ms = 300; break;   // hand (stop)
    case 0x20: hertz = 660.0; ms = 200; break;   // question
    case 0x30: hertz = 550.0; ms = 250; break;   // exclamation
    case 0x40: hertz = 990.0; ms = 150; break;   // asterisk
    case 0xFFFFFFFF: hertz = 750.0; ms = 100; break;  // the simple beep
    default: break;
  }
  WaveSound tone;
  tone.format = SampleFormat::kS16;
  tone.channels = 1;
  tone.samples_per_sec = 22050;
  tone.bits_per_sample = 16;
  tone.block_align = 2;
  const size_t frames = static_cast<size_t>(tone.samples_per_sec) * ms / 1000;
  tone.data.resize(frames * 2);
  constexpr double kTwoPi = 6.283185307179586;
  for (size_t i = 0; i < frames; ++i) {
    // A short fade at both ends keeps the tone from clicking.
    const double edge = std::min(1.0, std::min(i, frames - 1 - i) / 200.0);
    const double v = std::sin(kTwoPi * hertz * static_cast<double>(i) / tone.samples_per_sec);
    const int16_t sample = static_cast<int16_t>(v * edge * 12000.0);
    tone.data[2 * i] = static_cast<uint8_t>(sample & 0xFF);
    tone.data[2 * i + 1] = static_cast<uint8_t>((sample >> 8) & 0xFF);
  }
  return tone;
}

}  // namespace qvp::sound
