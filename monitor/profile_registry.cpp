// The registry of live profile objects and their ids.
#include "profile_registry.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

#include "qvplatform.h"

namespace profile_registry {
namespace {

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

struct Entry {
  uint32_t id = 0;
  bool held = false;
};

std::unordered_map<const CMonitorProfile*, Entry>& Profiles() {
  static std::unordered_map<const CMonitorProfile*, Entry> profiles;
  return profiles;
}

std::atomic<IdClock> g_clock{nullptr};

uint32_t ClockId() {
  if (IdClock clock = g_clock.load()) return clock();
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return now.dwLowDateTime;
}

bool InUse(uint32_t id, const CMonitorProfile* except) {
  for (const auto& [profile, entry] : Profiles()) {
    if (entry.id == id && profile != except) return true;
  }
  return false;
}

}  // namespace

void SetId(const CMonitorProfile* profile, uint32_t id) {
  std::lock_guard<std::mutex> hold(Lock());
  Profiles()[profile].id = id;
}

uint32_t AssignNewId(const CMonitorProfile* profile) {
  uint32_t id = ClockId();
  std::lock_guard<std::mutex> hold(Lock());
  while (InUse(id, profile)) ++id;
  Profiles()[profile].id = id;
  return id;
}

void Remove(const CMonitorProfile* profile) {
  std::lock_guard<std::mutex> hold(Lock());
  Profiles().erase(profile);
}

bool IsLive(const void* key) {
  std::lock_guard<std::mutex> hold(Lock());
  return Profiles().count(static_cast<const CMonitorProfile*>(key)) != 0;
}

void SetHeld(const CMonitorProfile* profile, bool held) {
  std::lock_guard<std::mutex> hold(Lock());
  auto at = Profiles().find(profile);
  if (at != Profiles().end()) at->second.held = held;
}

bool IsUnheld(const void* key) {
  std::lock_guard<std::mutex> hold(Lock());
  auto at = Profiles().find(static_cast<const CMonitorProfile*>(key));
  return at != Profiles().end() && !at->second.held;
}

void SetIdClockForTests(IdClock clock) { g_clock.store(clock); }

}  // namespace profile_registry
