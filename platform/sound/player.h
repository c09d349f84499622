// The one sound player of the process: at most one sound plays at a time; a
// new one replaces it. Sounds for the device are played by a thread of the
// player, started with the first and joined when the layer unloads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "alsa_output.h"
#include "wave_file.h"

namespace qvp::sound {

class Player {
 public:
  static Player& Instance();
  ~Player();

  // Plays `sound` (replacing what plays). With `sync` returns once it has
  // played or was stopped or replaced. `to_device` tells where it went.
  // False only for `no_stop` while a sound plays.
  bool Play(std::shared_ptr<const WaveSound> sound, bool loop, bool sync, bool no_stop, bool* to_device);
  void Stop();
  bool Looping();
  void SetDevice(const std::string& device);

 private:
  Player() = default;
  struct Request {
    std::shared_ptr<const WaveSound> sound;
    std::unique_ptr<AlsaStream> stream;
    bool loop = false;
    uint64_t generation = 0;
  };
  std::string DeviceName();
  void Run();
  void PlayOut(Request& request);

  std::mutex lock_;
  std::condition_variable changed_;
  std::atomic<uint64_t> generation_{0};  // advanced by every play and stop
  uint64_t done_ = 0;                    // the newest generation the thread finished with
  bool busy_ = false;                    // the thread holds a stream
  bool looping_ = false;
  bool quit_ = false;
  bool device_set_ = false;
  std::string device_;
  std::unique_ptr<Request> pending_;
  std::thread thread_;
};

}  // namespace qvp::sound
