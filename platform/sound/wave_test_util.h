// Wave images built by the sound tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace soundtest {

inline void Put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v & 0xFF));
  out->push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
inline void Put32(std::vector<uint8_t>* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
inline void PutTag(std::vector<uint8_t>* out, const char* tag) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(tag[i]));
}

struct WaveShape {
  uint16_t tag = 1;
  uint16_t channels = 1;
  uint32_t rate = 8000;
  uint16_t bits = 16;
  uint32_t frames = 800;  // a tenth of a second at 8000
  int block_align = -1;   // -1: the right value
  bool extra_odd_chunk = false;  // an odd-sized chunk before "data"
};

// A RIFF "WAVE" image with a "fmt " chunk and a data chunk of silence.
inline std::vector<uint8_t> MakeWave(const WaveShape& s) {
  std::vector<uint8_t> body;
  PutTag(&body, "WAVE");
  PutTag(&body, "fmt ");
  Put32(&body, 16);
  Put16(&body, s.tag);
  Put16(&body, s.channels);
  Put32(&body, s.rate);
  const uint32_t align = s.block_align >= 0 ? static_cast<uint32_t>(s.block_align) : s.channels * (s.bits / 8u);
  Put32(&body, s.rate * align);
  Put16(&body, align);
  Put16(&body, s.bits);
  if (s.extra_odd_chunk) {
    PutTag(&body, "LIST");
    Put32(&body, 3);
    body.insert(body.end(), {'a', 'b', 'c', 0});  // three bytes and the pad byte
  }
  PutTag(&body, "data");
  const uint32_t bytes = s.frames * align;
  Put32(&body, bytes);
  for (uint32_t i = 0; i < bytes; ++i) body.push_back(static_cast<uint8_t>(i * 7));
  std::vector<uint8_t> image;
  PutTag(&image, "RIFF");
  Put32(&image, static_cast<uint32_t>(body.size()));
  image.insert(image.end(), body.begin(), body.end());
  return image;
}

}  // namespace soundtest
