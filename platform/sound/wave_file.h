// Wave sounds: the RIFF "WAVE" form taken apart into its format and samples,
// and the tones of the beep types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "qvplatform/types.h"

namespace qvp::sound {

// Sample encodings the output can take.
enum class SampleFormat { kU8, kS16, kS24, kS32, kFloat32, kFloat64, kALaw, kMuLaw };

struct WaveSound {
  SampleFormat format = SampleFormat::kS16;
  WORD channels = 0;
  DWORD samples_per_sec = 0;
  WORD bits_per_sample = 0;
  WORD block_align = 0;        // bytes of one frame (every channel's sample)
  std::vector<uint8_t> data;   // whole frames only
  size_t Frames() const { return block_align == 0 ? 0 : data.size() / block_align; }
  DWORD DurationMs() const;
};

// Takes a wave image apart. False (with `why`) when it is not a RIFF "WAVE"
// image, lacks its "fmt " or "data" chunk, or holds an encoding or layout the
// output cannot take. A data chunk longer than the image is cut to what is there.
bool ParseWave(const uint8_t* bytes, size_t size, WaveSound* out, std::string* why);

// The size a wave image in memory declares (RIFF size + 8), or 0 when the
// first twelve bytes are not a RIFF "WAVE" header.
size_t DeclaredWaveSize(const uint8_t* header);

// The tone for a beep type: 16-bit mono samples of a short sine.
WaveSound BeepTone(UINT type);

}  // namespace qvp::sound
