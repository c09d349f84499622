// The logged-on remote users, and the throttle on failed log-ons and unknown
// user ids per client address. Both are shared by the listener and the
// connection threads and are safe from any thread.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct RemoteUser {
  std::string name;  // the account name without domain
  uint32_t id = 0;   // random, non-zero, unique among logged-on users
  uint64_t lastActivity = 0;  // tick count in milliseconds
  int32_t admin = 0;
};

class RemoteUserTable {
 public:
  // A copy of the user with this id; false when none is logged on.
  bool FindById(uint32_t id, RemoteUser* out) const;
  // Marks the user active now; false when none has the id.
  bool Touch(uint32_t id, uint64_t now);
  // The user of this name (exact), made when missing with a new id; returns
  // a copy of the entry.
  RemoteUser LogOn(const std::string& name, int32_t admin, uint64_t now);
  // Drops every user idle for longer than timeoutMs; how many went.
  int DropIdle(uint64_t now, uint64_t timeoutMs);
  void Clear();
  size_t Count() const;

 private:
  mutable std::mutex lock_;
  std::vector<RemoteUser> users_;
};

extern RemoteUserTable g_remoteUsers;

// Failed log-ons and unknown user ids, per client IPv4 address. After
// kFreeFailures failures within kWindowMs the address is locked out, for a
// minute doubling with every further failure (at most a day): while locked
// out, log-ons fail without asking the system and user ids are unknown.
class LogonThrottle {
 public:
  static constexpr int kFreeFailures = 5;
  static constexpr uint64_t kWindowMs = 15ull * 60 * 1000;
  static constexpr uint64_t kFirstLockMs = 60ull * 1000;
  static constexpr uint64_t kLongestLockMs = 24ull * 3600 * 1000;

  bool IsLocked(uint32_t address, uint64_t now) const;
  void Failure(uint32_t address, uint64_t now);
  void Success(uint32_t address);
  void Clear();

 private:
  struct Record {
    uint64_t firstFailure = 0;
    uint64_t lockedUntil = 0;
    int failures = 0;
  };
  static constexpr size_t kMaxAddresses = 4096;
  mutable std::mutex lock_;
  std::map<uint32_t, Record> records_;
};

extern LogonThrottle g_logonThrottle;
