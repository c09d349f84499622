// ALSA playback through the functions of libasound.so.2, looked up once.
#include "alsa_output.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>

#include <mutex>

namespace qvp::sound {
namespace {

struct AlsaCalls {
  bool loaded = false;
  decltype(&snd_pcm_open) open = nullptr;
  decltype(&snd_pcm_nonblock) nonblock = nullptr;
  decltype(&snd_pcm_set_params) set_params = nullptr;
  decltype(&snd_pcm_writei) writei = nullptr;
  decltype(&snd_pcm_recover) recover = nullptr;
  decltype(&snd_pcm_drain) drain = nullptr;
  decltype(&snd_pcm_drop) drop = nullptr;
  decltype(&snd_pcm_close) close = nullptr;
};

// ALSA's own complaints would go to stderr; the layer reports through results.
void Silent(const char*, int, const char*, int, const char*, ...) {}

template <typename F>
bool Find(void* library, const char* name, F* out) {
  *out = reinterpret_cast<F>(dlsym(library, name));
  return *out != nullptr;
}

const AlsaCalls& Calls() {
  static AlsaCalls calls;
  static std::once_flag once;
  std::call_once(once, [] {
    void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return;  // kept loaded for the life of the process
    AlsaCalls c;
    decltype(&snd_lib_error_set_handler) set_handler = nullptr;
    c.loaded = Find(library, "snd_pcm_open", &c.open) && Find(library, "snd_pcm_nonblock", &c.nonblock) &&
               Find(library, "snd_pcm_set_params", &c.set_params) && Find(library, "snd_pcm_writei", &c.writei) &&
               Find(library, "snd_pcm_recover", &c.recover) && Find(library, "snd_pcm_drain", &c.drain) &&
               Find(library, "snd_pcm_drop", &c.drop) && Find(library, "snd_pcm_close", &c.close);
    if (Find(library, "snd_lib_error_set_handler", &set_handler)) set_handler(Silent);
    calls = c;
  });
  return calls;
}

snd_pcm_format_t AlsaFormat(SampleFormat format) {
  switch (format) {
    case SampleFormat::kU8: return SND_PCM_FORMAT_U8;
    case SampleFormat::kS16: return SND_PCM_FORMAT_S16_LE;
    case SampleFormat::kS24: return SND_PCM_FORMAT_S24_3LE;
    case SampleFormat::kS32: return SND_PCM_FORMAT_S32_LE;
    case SampleFormat::kFloat32: return SND_PCM_FORMAT_FLOAT_LE;
    case SampleFormat::kFloat64: return SND_PCM_FORMAT_FLOAT64_LE;
    case SampleFormat::kALaw: return SND_PCM_FORMAT_A_LAW;
    case SampleFormat::kMuLaw: return SND_PCM_FORMAT_MU_LAW;
  }
  return SND_PCM_FORMAT_UNKNOWN;
}

snd_pcm_t* Pcm(void* p) { return static_cast<snd_pcm_t*>(p); }

}  // namespace

std::unique_ptr<AlsaStream> AlsaStream::Open(const std::string& device, const WaveSound& sound) {
  const AlsaCalls& alsa = Calls();
  if (!alsa.loaded) return nullptr;
  snd_pcm_t* pcm = nullptr;
  // Opened without waiting for a busy device, then switched to blocking writes.
  if (alsa.open(&pcm, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return nullptr;
  if (alsa.nonblock(pcm, 0) < 0 ||
      alsa.set_params(pcm, AlsaFormat(sound.format), SND_PCM_ACCESS_RW_INTERLEAVED, sound.channels,
                      sound.samples_per_sec, 1, 100000) < 0) {
    alsa.close(pcm);
    return nullptr;
  }
  return std::unique_ptr<AlsaStream>(new AlsaStream(pcm, sound.block_align));
}

AlsaStream::~AlsaStream() { Calls().close(Pcm(pcm_)); }

bool AlsaStream::Write(const uint8_t* frames, size_t count) {
  const AlsaCalls& alsa = Calls();
  size_t done = 0;
  int recoveries = 0;
  while (done < count) {
    const snd_pcm_sframes_t written = alsa.writei(Pcm(pcm_), frames + done * frame_bytes_, count - done);
    if (written >= 0) {
      done += static_cast<size_t>(written);
      continue;
    }
    // An underrun or a suspend is recovered from; anything else, or the same
    // again and again, ends the sound.
    if (++recoveries > 8 || alsa.recover(Pcm(pcm_), static_cast<int>(written), 1) < 0) return false;
  }
  return true;
}

void AlsaStream::Drain() { Calls().drain(Pcm(pcm_)); }
void AlsaStream::Drop() { Calls().drop(Pcm(pcm_)); }

}  // namespace qvp::sound
