// The logged-on remote users and the log-on throttle.
#include "remote_users.h"

#include <algorithm>
#include <random>

RemoteUserTable g_remoteUsers;
LogonThrottle g_logonThrottle;

namespace {

// Ids come from the system's random source: they name users in URLs.
uint32_t RandomId() {
  static std::mutex lock;
  static std::random_device source;
  std::lock_guard<std::mutex> guard(lock);
  uint32_t id = 0;
  while (id == 0) id = static_cast<uint32_t>(source());
  return id;
}

}  // namespace

bool RemoteUserTable::FindById(uint32_t id, RemoteUser* out) const {
  if (id == 0) return false;
  std::lock_guard<std::mutex> guard(lock_);
  for (const RemoteUser& user : users_) {
    if (user.id != id) continue;
    if (out != nullptr) *out = user;
    return true;
  }
  return false;
}

bool RemoteUserTable::Touch(uint32_t id, uint64_t now) {
  if (id == 0) return false;
  std::lock_guard<std::mutex> guard(lock_);
  for (RemoteUser& user : users_) {
    if (user.id != id) continue;
    user.lastActivity = now;
    return true;
  }
  return false;
}

RemoteUser RemoteUserTable::LogOn(const std::string& name, int32_t admin, uint64_t now) {
  std::lock_guard<std::mutex> guard(lock_);
  for (RemoteUser& user : users_) {
    if (user.name == name) {
      user.lastActivity = now;
      return user;
    }
  }
  RemoteUser user;
  user.name = name;
  user.admin = admin;
  user.lastActivity = now;
  for (;;) {
    user.id = RandomId();
    const bool taken =
        std::any_of(users_.begin(), users_.end(), [&](const RemoteUser& other) { return other.id == user.id; });
    if (!taken) break;
  }
  users_.push_back(user);
  return user;
}

int RemoteUserTable::DropIdle(uint64_t now, uint64_t timeoutMs) {
  std::lock_guard<std::mutex> guard(lock_);
  const size_t before = users_.size();
  users_.erase(std::remove_if(users_.begin(), users_.end(),
                              [&](const RemoteUser& user) { return user.lastActivity + timeoutMs < now; }),
               users_.end());
  return static_cast<int>(before - users_.size());
}

void RemoteUserTable::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  users_.clear();
}

size_t RemoteUserTable::Count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return users_.size();
}

bool LogonThrottle::IsLocked(uint32_t address, uint64_t now) const {
  std::lock_guard<std::mutex> guard(lock_);
  auto found = records_.find(address);
  return found != records_.end() && found->second.lockedUntil > now;
}

void LogonThrottle::Failure(uint32_t address, uint64_t now) {
  std::lock_guard<std::mutex> guard(lock_);
  if (records_.size() >= kMaxAddresses && records_.find(address) == records_.end()) {
    // Forget the addresses whose window and lock-out have passed first.
    for (auto it = records_.begin(); it != records_.end();) {
      if (it->second.lockedUntil <= now && it->second.firstFailure + kWindowMs <= now) {
        it = records_.erase(it);
      } else {
        ++it;
      }
    }
    if (records_.size() >= kMaxAddresses) records_.erase(records_.begin());
  }
  Record& record = records_[address];
  if (record.failures > 0 && record.failures < kFreeFailures && record.firstFailure + kWindowMs <= now) {
    record = Record{};
  }
  if (record.failures == 0) record.firstFailure = now;
  ++record.failures;
  if (record.failures >= kFreeFailures) {
    const int extra = std::min(record.failures - kFreeFailures, 20);
    const uint64_t lock = std::min(kFirstLockMs << extra, kLongestLockMs);
    record.lockedUntil = now + lock;
  }
}

void LogonThrottle::Success(uint32_t address) {
  std::lock_guard<std::mutex> guard(lock_);
  records_.erase(address);
}

void LogonThrottle::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  records_.clear();
}
