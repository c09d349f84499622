#include "registry/registry_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qvplatform/registry.h"
#include "registry/registry_text.h"

namespace qvp::registry {
namespace {

// What the file looked like when it was last read or written.
struct Stamp {
  bool valid = false;   // false: read the file at the next call
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  timespec ctime{};

  static Stamp Of(const struct stat& st) {
    Stamp s;
    s.valid = true;
    s.exists = true;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtime = st.st_mtim;
    s.ctime = st.st_ctim;
    return s;
  }
  static Stamp Missing() {
    Stamp s;
    s.valid = true;
    return s;
  }
  bool operator==(const Stamp& o) const {
    return valid && o.valid && exists == o.exists && dev == o.dev && ino == o.ino && size == o.size &&
           mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec &&
           ctime.tv_nsec == o.ctime.tv_nsec;
  }
};

struct Store {
  std::mutex lock;
  std::string path;  // empty: not chosen yet
  Stamp stamp;
  bool corrupt = false;
  Tree tree;
  unsigned temp_counter = 0;
};

Store& TheStore() {
  static Store* store = new Store;  // outlives static destructors of other modules
  return *store;
}

std::string DefaultPath() {
  if (const char* env = std::getenv("QV_REGISTRY"); env && *env) return env;
  std::string home;
  if (const char* env = std::getenv("HOME"); env && *env) {
    home = env;
  } else {
    passwd pw{};
    passwd* found = nullptr;
    char buf[4096];
    if (getpwuid_r(getuid(), &pw, buf, sizeof buf, &found) == 0 && found && found->pw_dir) home = found->pw_dir;
  }
  if (home.empty()) return "./.quorvane/registry";
  home += "/.quorvane/registry";
  return home;
}

const std::string& StorePath(Store& s) {
  if (s.path.empty()) s.path = DefaultPath();
  return s.path;
}

void Complain(const std::string& path, const std::string& what) {
  std::fprintf(stderr, "qvplatform: registry %s: %s\n", path.c_str(), what.c_str());
}

LONG ErrorFromErrno(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    default: return ERROR_CANTWRITE;
  }
}

void ReplaceTree(Store& s, Tree& loaded) {
  for (int i = 0; i < kRootCount; ++i) MergeTree(s.tree.roots[i], *loaded.roots[i]);
}

// Brings the tree up to date with the file. Called with the store lock held.
LONG Refresh(Store& s) {
  const std::string& path = StorePath(s);
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) {
      // Unreadable: keep what we have rather than forget the store.
      if (!s.stamp.valid) Complain(path, std::strerror(errno));
      return s.stamp.valid && !s.corrupt ? ERROR_SUCCESS : ERROR_REGISTRY_CORRUPT;
    }
    Stamp missing = Stamp::Missing();
    if (!(s.stamp == missing)) {
      Tree empty;
      ReplaceTree(s, empty);
      s.stamp = missing;
      s.corrupt = false;
    }
    return ERROR_SUCCESS;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    close(fd);
    return ERROR_REGISTRY_CORRUPT;
  }
  Stamp now = Stamp::Of(st);
  if (now == s.stamp) {
    close(fd);
    return s.corrupt ? ERROR_REGISTRY_CORRUPT : ERROR_SUCCESS;
  }
  std::string text;
  char buf[65536];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
  int read_errno = errno;
  close(fd);
  if (n < 0) {
    Complain(path, std::strerror(read_errno));
    return ERROR_REGISTRY_CORRUPT;
  }
  Tree loaded;
  std::string error;
  s.stamp = now;
  if (!ParseRegistryText(text, loaded, FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec), &error)) {
    // The file is left as it is; every call fails until it is mended or replaced.
    Complain(path, "unreadable store, left untouched (" + error + ")");
    s.corrupt = true;
    return ERROR_REGISTRY_CORRUPT;
  }
  ReplaceTree(s, loaded);
  s.corrupt = false;
  return ERROR_SUCCESS;
}

bool MakeParentDirectories(const std::string& path) {
  for (size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1)) {
    std::string dir = path.substr(0, pos);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

int LockFile(const std::string& path) {
  MakeParentDirectories(path);
  std::string lock_path = path + ".lock";
  int fd = open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  while (flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      close(fd);
      return -1;
    }
  }
  return fd;
}

LONG WriteStore(Store& s) {
  const std::string& path = StorePath(s);
  if (!MakeParentDirectories(path)) return ErrorFromErrno(errno);
  std::string text = FormatRegistryText(s.tree);
  std::string temp = path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(++s.temp_counter);
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return ErrorFromErrno(errno);
  size_t done = 0;
  int err = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (!err && fsync(fd) != 0) err = errno;
  if (close(fd) != 0 && !err) err = errno;
  if (!err && rename(temp.c_str(), path.c_str()) != 0) err = errno;
  if (err) {
    unlink(temp.c_str());
    return ErrorFromErrno(err);
  }
  struct stat st {};
  s.stamp = stat(path.c_str(), &st) == 0 ? Stamp::Of(st) : Stamp();
  return ERROR_SUCCESS;
}

}  // namespace

Session::Session(Mode mode) : guard_(TheStore().lock) {
  Store& s = TheStore();
  if (mode == kWrite) {
    lock_fd_ = LockFile(StorePath(s));
    if (lock_fd_ < 0) {
      status_ = ErrorFromErrno(errno);
      return;
    }
  }
  status_ = Refresh(s);
}

Session::~Session() {
  if (lock_fd_ >= 0) close(lock_fd_);  // releases the advisory lock
}

std::shared_ptr<Key> Session::Root(int root) { return TheStore().tree.roots[root]; }

std::shared_ptr<Key> Session::ClassesRoot() {
  std::shared_ptr<Key> key = Root(kLocalMachine);
  for (const char* name : {"Software", "Classes"}) {
    std::shared_ptr<Key> child = key->FindChild(name);
    if (!child) {
      child = std::make_shared<Key>();
      child->name = name;
      child->parent = key;
      child->last_write = FileTimeNow();
      key->children.emplace(child->name, child);
    }
    key = child;
  }
  return key;
}

LONG Session::Commit() {
  Store& s = TheStore();
  LONG result = WriteStore(s);
  if (result != ERROR_SUCCESS) s.stamp = Stamp();  // reload: the change did not reach the file
  return result;
}

void SetFile(const char* path) {
  Store& s = TheStore();
  std::lock_guard<std::mutex> g(s.lock);
  s.path = (path && *path) ? std::string(path) : DefaultPath();
  s.stamp = Stamp();
  s.corrupt = false;
  Refresh(s);
}

bool Preload(const char* text) {
  Tree loaded;
  std::string error;
  if (!ParseRegistryText(text ? text : "", loaded, FileTimeNow(), &error)) {
    std::fprintf(stderr, "qvplatform: registry preload refused: %s\n", error.c_str());
    return false;
  }
  Store& s = TheStore();
  std::lock_guard<std::mutex> g(s.lock);
  const std::string path = StorePath(s);
  int fd = LockFile(path);
  if (fd < 0) {
    Complain(path, std::string("cannot lock: ") + std::strerror(errno));
    return false;
  }
  ReplaceTree(s, loaded);
  s.corrupt = false;
  LONG result = WriteStore(s);
  close(fd);
  if (result != ERROR_SUCCESS) {
    s.stamp = Stamp();
    Complain(path, "cannot write the preloaded store (error " + std::to_string(result) + ")");
    return false;
  }
  return true;
}

}  // namespace qvp::registry
