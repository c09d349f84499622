// sndPlaySoundA and the layer's sound controls.
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>

#include "player.h"
#include "qvplatform/files.h"
#include "qvplatform/kernel.h"
#include "qvplatform/sound.h"
#include "sound_log.h"
#include "wave_file.h"

#ifndef ERROR_BUSY
#define ERROR_BUSY 170L
#endif

namespace {

using qvp::sound::WaveSound;

constexpr size_t kLargestSound = 64u << 20;  // bytes of a wave image the layer takes

// Reads a wave file named by a Windows path; false with the last error set.
bool LoadFile(const char* name, std::string* linux_path, WaveSound* sound) {
  const qvp::MappedPath mapped = qvp::MapPath(name);
  if (!mapped.ok()) {
    SetLastError(mapped.error);
    return false;
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(mapped.path, error)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  const auto size = std::filesystem::file_size(mapped.path, error);
  if (error || size > kLargestSound) {
    SetLastError(error ? ERROR_FILE_NOT_FOUND : ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  std::ifstream in(mapped.path, std::ios::binary);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  if (!qvp::sound::ParseWave(bytes.data(), bytes.size(), sound, nullptr)) {
    SetLastError(ERROR_BAD_FORMAT);
    return false;
  }
  *linux_path = mapped.path;
  return true;
}

bool LoadImage(const void* image, WaveSound* sound) {
  const auto* bytes = static_cast<const uint8_t*>(image);
  const size_t size = qvp::sound::DeclaredWaveSize(bytes);
  if (size == 0 || size > kLargestSound || !qvp::sound::ParseWave(bytes, size, sound, nullptr)) {
    SetLastError(ERROR_BAD_FORMAT);
    return false;
  }
  return true;
}

qvp::SoundEvent EventOf(const WaveSound& sound) {
  qvp::SoundEvent event;
  event.channels = sound.channels;
  event.samples_per_sec = sound.samples_per_sec;
  event.bits_per_sample = sound.bits_per_sample;
  event.duration_ms = sound.DurationMs();
  return event;
}

BOOL PlaySoundRequest(LPCSTR lpszSound, UINT fuSound) {
  qvp::sound::Player& player = qvp::sound::Player::Instance();
  if (lpszSound == nullptr) {
    player.Stop();
    qvp::SoundEvent event;
    event.kind = qvp::SoundEventKind::kStop;
    event.flags = fuSound;
    qvp::sound::Record(std::move(event));
    return TRUE;
  }
  if ((fuSound & SND_LOOP) != 0 && (fuSound & SND_ASYNC) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto sound = std::make_shared<WaveSound>();
  std::string path;
  const bool memory = (fuSound & SND_MEMORY) != 0;
  if (!(memory ? LoadImage(lpszSound, sound.get()) : LoadFile(lpszSound, &path, sound.get()))) return FALSE;
  qvp::SoundEvent event = EventOf(*sound);
  event.kind = qvp::SoundEventKind::kPlay;
  event.name = memory ? "<memory>" : lpszSound;
  event.path = path;
  event.flags = fuSound;
  const bool async = (fuSound & SND_ASYNC) != 0;
  const bool loop = (fuSound & SND_LOOP) != 0;
  if (!player.Play(std::move(sound), loop, !async, (fuSound & SND_NOSTOP) != 0, &event.to_device)) {
    SetLastError(ERROR_BUSY);
    return FALSE;
  }
  qvp::sound::Record(std::move(event));
  return TRUE;
}

}  // namespace

BOOL WINAPI sndPlaySoundA(LPCSTR lpszSound, UINT fuSound) {
  try {
    return PlaySoundRequest(lpszSound, fuSound);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
}

namespace qvp {

bool SoundIsLooping() { return sound::Player::Instance().Looping(); }

void SetSoundDevice(const char* alsa_device) {
  sound::Player::Instance().SetDevice(alsa_device != nullptr ? alsa_device : "");
}

BOOL PlayBeepSound(UINT type) {
  try {
    auto tone = std::make_shared<sound::WaveSound>(sound::BeepTone(type));
    SoundEvent event = EventOf(*tone);
    event.kind = SoundEventKind::kBeep;
    event.flags = type;
    sound::Player::Instance().Play(std::move(tone), false, false, false, &event.to_device);
    sound::Record(std::move(event));
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

}  // namespace qvp
