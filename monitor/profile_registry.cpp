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

// How many live profiles hold each id: a new id is checked at once, never
// against every profile.
std::unordered_map<uint32_t, size_t>& IdUses() {
  static std::unordered_map<uint32_t, size_t> uses;
  return uses;
}

void CountId(uint32_t id) { ++IdUses()[id]; }

void UncountId(uint32_t id) {
  auto at = IdUses().find(id);
  if (at != IdUses().end() && --at->second == 0) IdUses().erase(at);
}

// With the lock held: gives the profile its id, adding it when new.
void Place(const CMonitorProfile* profile, uint32_t id) {
  auto [at, added] = Profiles().try_emplace(profile);
  if (!added) UncountId(at->second.id);
  at->second.id = id;
  CountId(id);
}

std::atomic<IdClock> g_clock{nullptr};

uint32_t ClockId() {
  if (IdClock clock = g_clock.load()) return clock();
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return now.dwLowDateTime;
}

bool InUse(uint32_t id, const CMonitorProfile* except) {
  auto uses = IdUses().find(id);
  if (uses == IdUses().end()) return false;
  auto own = Profiles().find(except);
  const size_t mine = own != Profiles().end() && own->second.id == id ? 1 : 0;
  return uses->second > mine;
}

}  // namespace

void SetId(const CMonitorProfile* profile, uint32_t id) {
  std::lock_guard<std::mutex> hold(Lock());
  Place(profile, id);
}

uint32_t AssignNewId(const CMonitorProfile* profile) {
  uint32_t id = ClockId();
  std::lock_guard<std::mutex> hold(Lock());
  while (InUse(id, profile)) ++id;
  Place(profile, id);
  return id;
}

void Remove(const CMonitorProfile* profile) {
  std::lock_guard<std::mutex> hold(Lock());
  auto at = Profiles().find(profile);
  if (at == Profiles().end()) return;
  UncountId(at->second.id);
  Profiles().erase(at);
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
