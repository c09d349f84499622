// The sound log, bounded to the newest requests.
#include "sound_log.h"

#include <deque>
#include <mutex>

namespace qvp::sound {
namespace {

constexpr size_t kKept = 256;

std::mutex g_lock;
std::deque<SoundEvent> g_events;

}  // namespace

void Record(SoundEvent event) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_events.size() >= kKept) g_events.pop_front();
  g_events.push_back(std::move(event));
}

}  // namespace qvp::sound

namespace qvp {

std::vector<SoundEvent> TakeSoundLog() {
  std::lock_guard<std::mutex> hold(sound::g_lock);
  std::vector<SoundEvent> events(sound::g_events.begin(), sound::g_events.end());
  sound::g_events.clear();
  return events;
}

}  // namespace qvp
