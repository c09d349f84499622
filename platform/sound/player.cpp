// The sound player: recorded sounds end at once; device sounds play on the
// player's thread in slices, so that a stop or a new sound ends them promptly.
#include "player.h"

#include <cstdlib>

namespace qvp::sound {

Player& Player::Instance() {
  static Player player;
  return player;
}

Player::~Player() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    quit_ = true;
    ++generation_;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void Player::SetDevice(const std::string& device) {
  std::lock_guard<std::mutex> hold(lock_);
  device_set_ = !device.empty();
  device_ = device;
}

std::string Player::DeviceName() {
  std::lock_guard<std::mutex> hold(lock_);
  if (device_set_) return device_;
  const char* test = std::getenv("QV_TEST");
  if (test != nullptr && test[0] != '\0' && test[0] != '0') return std::string();
  return "default";
}

bool Player::Play(std::shared_ptr<const WaveSound> sound, bool loop, bool sync, bool no_stop,
                  bool* to_device) {
  *to_device = false;
  const std::string device = DeviceName();
  uint64_t generation = 0;
  {
    std::unique_lock<std::mutex> hold(lock_);
    if (no_stop && (busy_ || looping_)) return false;
    generation = ++generation_;
    looping_ = false;
    // The device is free again once the thread has let go of its stream.
    changed_.notify_all();
    changed_.wait(hold, [&] { return !busy_ || generation_ != generation; });
    if (generation_ != generation) return true;  // replaced meanwhile by another thread
  }
  std::unique_ptr<AlsaStream> stream;
  if (!device.empty()) stream = AlsaStream::Open(device, *sound);
  std::unique_lock<std::mutex> hold(lock_);
  if (generation_ != generation) return true;
  if (stream == nullptr) {
    // Recorded only: it has played at once, and a loop runs until stopped.
    looping_ = loop;
    return true;
  }
  *to_device = true;
  auto request = std::make_unique<Request>();
  request->sound = std::move(sound);
  request->stream = std::move(stream);
  request->loop = loop;
  request->generation = generation;
  pending_ = std::move(request);
  busy_ = true;
  looping_ = loop;
  if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  changed_.notify_all();
  if (sync) changed_.wait(hold, [&] { return done_ >= generation || generation_ != generation; });
  return true;
}

void Player::Stop() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    ++generation_;
    looping_ = false;
  }
  changed_.notify_all();
}

bool Player::Looping() {
  std::lock_guard<std::mutex> hold(lock_);
  return looping_;
}

void Player::Run() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    changed_.wait(hold, [&] { return quit_ || pending_ != nullptr; });
    if (pending_ == nullptr) return;  // quitting with nothing to play
    std::unique_ptr<Request> request = std::move(pending_);
    const uint64_t generation = request->generation;
    hold.unlock();
    PlayOut(*request);
    request.reset();  // closes the stream
    hold.lock();
    busy_ = false;
    if (done_ < generation) done_ = generation;
    if (generation_ == generation) looping_ = false;  // it ended by itself (a device failure)
    changed_.notify_all();
    if (quit_) return;
  }
}

void Player::PlayOut(Request& request) {
  const WaveSound& sound = *request.sound;
  const size_t frames = sound.Frames();
  // Slices of about a twentieth of a second between looks at the generation.
  const size_t slice = sound.samples_per_sec / 20 > 0 ? sound.samples_per_sec / 20 : 1;
  for (;;) {
    for (size_t at = 0; at < frames; at += slice) {
      if (generation_ != request.generation) {
        request.stream->Drop();
        return;
      }
      const size_t count = frames - at < slice ? frames - at : slice;
      if (!request.stream->Write(sound.data.data() + at * sound.block_align, count)) return;
    }
    if (!request.loop || frames == 0) break;
  }
  request.stream->Drain();
}

}  // namespace qvp::sound
