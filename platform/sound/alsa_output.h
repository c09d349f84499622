// Playback through ALSA, loaded at run time (libasound.so.2), so that the
// layer runs on machines without it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "wave_file.h"

namespace qvp::sound {

// One open playback stream set up for one sound's format.
class AlsaStream {
 public:
  // Null when ALSA is missing, the device cannot be opened (without waiting
  // for a busy one) or does not take the format.
  static std::unique_ptr<AlsaStream> Open(const std::string& device, const WaveSound& sound);
  ~AlsaStream();
  AlsaStream(const AlsaStream&) = delete;
  AlsaStream& operator=(const AlsaStream&) = delete;

  // Writes whole frames, blocking while the device is full; false when the
  // device failed for good.
  bool Write(const uint8_t* frames, size_t count);
  // Lets what was written play out, or throws it away.
  void Drain();
  void Drop();

 private:
  AlsaStream(void* pcm, size_t frame_bytes) : pcm_(pcm), frame_bytes_(frame_bytes) {}
  void* pcm_;
  size_t frame_bytes_;
};

}  // namespace qvp::sound
