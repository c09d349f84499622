#include "accounts/account_db.h"

#include <grp.h>
#include <pwd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <set>

#include "qvplatform/nocase.h"

namespace qvp::accounts {
namespace {

// getpwent / getgrent walk a process-wide position: one walk at a time.
std::mutex& WalkLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

constexpr size_t kFirstBuffer = 16384;
constexpr size_t kLargestBuffer = 16 * 1024 * 1024;

// Calls a reentrant database function, growing the buffer while it is too small.
template <class Call>
int WithBuffer(std::vector<char>& buf, Call call) {
  while (true) {
    int err = call(buf.data(), buf.size());
    if (err != ERANGE || buf.size() >= kLargestBuffer) return err;
    buf.resize(buf.size() * 2);  // the same entry is read again
  }
}

}  // namespace

std::vector<std::string> AllUserNames() {
  std::lock_guard<std::mutex> g(WalkLock());
  std::vector<std::string> names;
  std::set<std::string> seen;
  std::vector<char> buf(kFirstBuffer);
  setpwent();
  while (true) {
    passwd entry{};
    passwd* found = nullptr;
    int err = WithBuffer(buf, [&](char* b, size_t n) { return getpwent_r(&entry, b, n, &found); });
    if (err != 0 || !found) break;
    if (found->pw_name && seen.insert(found->pw_name).second) names.emplace_back(found->pw_name);
  }
  endpwent();
  return names;
}

std::vector<std::string> AllGroupNames() {
  std::lock_guard<std::mutex> g(WalkLock());
  std::vector<std::string> names;
  std::set<std::string> seen;
  std::vector<char> buf(kFirstBuffer);
  setgrent();
  while (true) {
    group entry{};
    group* found = nullptr;
    int err = WithBuffer(buf, [&](char* b, size_t n) { return getgrent_r(&entry, b, n, &found); });
    if (err != 0 || !found) break;
    if (found->gr_name && seen.insert(found->gr_name).second) names.emplace_back(found->gr_name);
  }
  endgrent();
  return names;
}

std::optional<std::string> FindUser(const std::string& name) {
  std::string wanted = name.substr(name.rfind('\\') == std::string::npos ? 0 : name.rfind('\\') + 1);
  if (wanted.empty()) return std::nullopt;
  std::vector<char> buf(kFirstBuffer);
  passwd entry{};
  passwd* found = nullptr;
  if (WithBuffer(buf, [&](char* b, size_t n) { return getpwnam_r(wanted.c_str(), &entry, b, n, &found); }) == 0 &&
      found) {
    return std::string(found->pw_name);
  }
  for (const std::string& user : AllUserNames()) {
    if (EqualNoCase(user, wanted)) return user;
  }
  return std::nullopt;
}

std::vector<std::string> GroupsOfUser(const std::string& user) {
  std::vector<char> buf(kFirstBuffer);
  passwd entry{};
  passwd* found = nullptr;
  if (WithBuffer(buf, [&](char* b, size_t n) { return getpwnam_r(user.c_str(), &entry, b, n, &found); }) != 0 ||
      !found) {
    return {};
  }
  gid_t primary = found->pw_gid;

  std::vector<gid_t> gids(32);
  while (true) {
    int count = static_cast<int>(gids.size());
    if (getgrouplist(user.c_str(), primary, gids.data(), &count) >= 0) {
      gids.resize(static_cast<size_t>(count));
      break;
    }
    if (static_cast<size_t>(count) <= gids.size()) count = static_cast<int>(gids.size() * 2);
    gids.resize(static_cast<size_t>(count));
  }
  // The primary group first, whatever order the list came in.
  std::stable_partition(gids.begin(), gids.end(), [primary](gid_t g) { return g == primary; });

  std::vector<std::string> names;
  std::set<gid_t> done;
  for (gid_t gid : gids) {
    if (!done.insert(gid).second) continue;
    group g{};
    group* hit = nullptr;
    std::vector<char> gbuf(kFirstBuffer);
    int err = WithBuffer(gbuf, [&](char* b, size_t n) { return getgrgid_r(gid, &g, b, n, &hit); });
    if (err == 0 && hit && hit->gr_name) names.emplace_back(hit->gr_name);  // a number without a name is no group to show
  }
  return names;
}

}  // namespace qvp::accounts
