// The database file: where it lives, reading and settling it, writing it back.
#include "services/service_db.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>

#include "files/win_error.h"
#include "kernel/environment.h"

namespace qvp::services {
namespace {

struct StateChoice {
  std::mutex lock;
  std::string directory;  // empty: the default
};

StateChoice& Choice() {
  static auto* choice = new StateChoice;
  return *choice;
}

std::string HomeDirectory() {
  if (std::optional<std::string> home = ReadEnvironment("HOME"); home && !home->empty()) return *home;
  passwd pw{};
  passwd* found = nullptr;
  char buf[4096];
  if (getpwuid_r(getuid(), &pw, buf, sizeof buf, &found) == 0 && found != nullptr && found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return ".";
}

bool MakeDirectories(const std::string& path) {
  for (size_t pos = path.find('/', 1);; pos = path.find('/', pos + 1)) {
    const std::string dir = pos == std::string::npos ? path : path.substr(0, pos);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (pos == std::string::npos) return true;
  }
}

bool ReadWhole(const std::string& path, std::string* text, int* error) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = errno;
    return false;
  }
  char buf[16384];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) != 0) {
    if (n < 0) {
      if (errno == EINTR) continue;
      *error = errno;
      close(fd);
      return false;
    }
    text->append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return true;
}

int WriteAtomically(const std::string& path, const std::string& text) {
  static unsigned counter = 0;  // guarded by the transaction lock
  const std::string temp = path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(++counter);
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  size_t done = 0;
  int err = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (err == 0 && fsync(fd) != 0) err = errno;
  if (close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && rename(temp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) unlink(temp.c_str());
  return err;
}

// Brings the database up to date with the processes. True when it changed.
bool Settle(Database& db) {
  bool changed = false;
  for (ServiceRecord& r : db.services) {
    const size_t before = r.handles.size();
    r.handles.erase(std::remove_if(r.handles.begin(), r.handles.end(),
                                   [](const HandleCount& h) { return h.count == 0 || !IsAlive(h.process); }),
                    r.handles.end());
    changed = changed || r.handles.size() != before;
    if (r.state != SERVICE_STOPPED && !r.FollowsSimulatedSteps() && !IsAlive(r.process)) {
      r.MarkStopped(ERROR_PROCESS_ABORTED);
      changed = true;
    }
  }
  return RemoveDeleted(db) || changed;
}

}  // namespace

ProcessRef ProcessNow(int pid) {
  ProcessRef ref;
  if (pid <= 0) return ref;
  std::string text;
  int error = 0;
  if (!ReadWhole("/proc/" + std::to_string(pid) + "/stat", &text, &error)) return ref;
  const size_t close_paren = text.rfind(')');
  if (close_paren == std::string::npos || close_paren + 2 >= text.size()) return ref;
  const char state = text[close_paren + 2];
  if (state == 'Z' || state == 'X' || state == 'x') return ref;
  // Fields after the command: state is field 3, the start time field 22.
  size_t pos = close_paren + 2;
  for (int field = 3; field < 22; ++field) {
    pos = text.find(' ', pos);
    if (pos == std::string::npos) return ref;
    ++pos;
  }
  ref.pid = pid;
  ref.start = std::strtoull(text.c_str() + pos, nullptr, 10);
  return ref;
}

ProcessRef CurrentProcess() {
  static thread_local ProcessRef cached;
  const int pid = static_cast<int>(getpid());
  if (cached.pid != pid) cached = ProcessNow(pid);
  return cached;
}

bool IsAlive(const ProcessRef& process) { return process.pid > 0 && ProcessNow(process.pid) == process; }

bool RemoveDeleted(Database& db) {
  const size_t before = db.services.size();
  db.services.erase(std::remove_if(db.services.begin(), db.services.end(),
                                   [](const ServiceRecord& r) {
                                     return r.marked_for_delete && r.state == SERVICE_STOPPED && r.handles.empty();
                                   }),
                    db.services.end());
  return db.services.size() != before;
}

std::string ServicesDirectory() { return StateDirectory() + "/services"; }

DWORD Transact(const Change& change) {
  static auto* process_lock = new std::mutex;
  std::lock_guard<std::mutex> guard(*process_lock);
  const std::string dir = ServicesDirectory();
  if (!MakeDirectories(dir)) return WinErrorFromErrno(errno);
  const std::string path = dir + "/database";
  const int lock_fd = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock_fd < 0) return WinErrorFromErrno(errno);
  while (flock(lock_fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      const int err = errno;
      close(lock_fd);
      return WinErrorFromErrno(err);
    }
  }
  struct Unlock {
    int fd;
    ~Unlock() { close(fd); }  // closing drops the lock
  } unlock{lock_fd};

  Database db;
  std::string text;
  int read_error = 0;
  if (!ReadWhole(path, &text, &read_error)) {
    if (read_error != ENOENT) return WinErrorFromErrno(read_error);
  } else {
    std::string why;
    if (!ParseDatabase(text, &db, &why)) {
      // Left untouched for a person to look at; every call fails until then.
      std::fprintf(stderr, "qvplatform: service database %s: %s\n", path.c_str(), why.c_str());
      return ERROR_DATABASE_DOES_NOT_EXIST;
    }
  }
  bool changed = Settle(db);
  changed = change(db) || changed;
  changed = RemoveDeleted(db) || changed;
  if (!changed) return ERROR_SUCCESS;
  const int err = WriteAtomically(path, FormatDatabase(db));
  return err == 0 ? static_cast<DWORD>(ERROR_SUCCESS) : WinErrorFromErrno(err);
}

}  // namespace qvp::services

namespace qvp {

void SetStateDirectory(const char* linux_directory) {
  services::StateChoice& choice = services::Choice();
  std::lock_guard<std::mutex> guard(choice.lock);
  choice.directory = linux_directory != nullptr ? linux_directory : "";
}

std::string StateDirectory() {
  {
    services::StateChoice& choice = services::Choice();
    std::lock_guard<std::mutex> guard(choice.lock);
    if (!choice.directory.empty()) return choice.directory;
  }
  if (std::optional<std::string> env = ReadEnvironment("QV_STATE_DIR"); env && !env->empty()) return *env;
  return services::HomeDirectory() + "/.quorvane";
}

}  // namespace qvp
