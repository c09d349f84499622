// The shared test clock: one page in a file that the test maps, and that each
// following process maps too. The test adds to `elapsed_ms`, bumps `sequence`
// and wakes the futex on it; a follower's watcher thread sleeps on that futex
// and advances the process's TestClock by what it has not applied yet.
#include "qvplatform/test_clock_shared.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "kernel/test_clock_hooks.h"
#include "qvplatform/test_clock.h"

namespace qvp {

struct SharedTestClockPage {
  // Written once before `magic`; read-only afterwards.
  int64_t start_steady_ns;
  uint64_t start_unix_ns;
  // Changed by the test; read through std::atomic_ref.
  uint64_t elapsed_ms;
  uint32_t sequence;  // the futex word: bumped after each change
  uint32_t magic;
};

namespace {

using Page = SharedTestClockPage;
constexpr uint32_t kMagic = 0x51564b31;  // "QVK1"

static_assert(std::atomic_ref<uint32_t>::is_always_lock_free && std::atomic_ref<uint64_t>::is_always_lock_free);

std::atomic_ref<uint32_t> Sequence(Page* page) { return std::atomic_ref<uint32_t>(page->sequence); }
std::atomic_ref<uint64_t> ElapsedMs(Page* page) { return std::atomic_ref<uint64_t>(page->elapsed_ms); }
std::atomic_ref<uint32_t> Magic(Page* page) { return std::atomic_ref<uint32_t>(page->magic); }

// The word is in a mapping other processes share, so the futex calls are not
// the process-private kind.
void FutexWait(uint32_t* word, uint32_t expected) {
  syscall(SYS_futex, word, FUTEX_WAIT, expected, nullptr, nullptr, 0);
}
void FutexWakeAll(uint32_t* word) { syscall(SYS_futex, word, FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0); }

void Bump(Page* page) {
  Sequence(page).fetch_add(1);
  FutexWakeAll(&page->sequence);
}

int64_t ClockNs(clockid_t id) {
  timespec ts{};
  clock_gettime(id, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

Page* MapPage(int fd) {
  void* at = mmap(nullptr, sizeof(Page), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  return at == MAP_FAILED ? nullptr : static_cast<Page*>(at);
}

// A process that follows a shared clock: installed as the layer loads, taken
// down (its watcher joined) as it unloads.
class Follower {
 public:
  Follower() {
    const char* path = std::getenv(kTestClockVariable);
    if (path == nullptr || *path == '\0') return;
    page_ = Open(path);
    if (page_ == nullptr) {
      std::fprintf(stderr, "%s=%s is not a test clock; the real time holds\n", kTestClockVariable, path);
      return;
    }
    clock_ = std::make_unique<TestClock>();
    SetTestClockStart(page_->start_steady_ns, page_->start_unix_ns);
    Catch(ElapsedMs(page_).load());
    owner_ = getpid();
    try {
      watcher_ = new std::thread([this] { Watch(); });
    } catch (const std::system_error&) {
      std::fprintf(stderr, "%s: the test clock cannot be followed; the real time holds\n", kTestClockVariable);
      clock_.reset();
      munmap(page_, sizeof(Page));
      page_ = nullptr;
    }
  }
  ~Follower() {
    // A forked copy that ends without exec has no watcher to join.
    if (page_ == nullptr || getpid() != owner_) return;
    stop_.store(true);
    Bump(page_);  // the other followers see nothing new and wait on
    watcher_->join();
    delete watcher_;
    clock_.reset();
    munmap(page_, sizeof(Page));
  }
  Follower(const Follower&) = delete;
  Follower& operator=(const Follower&) = delete;

 private:
  static Page* Open(const char* path) {
    const int fd = open(path, O_RDWR | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    Page* page = nullptr;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= static_cast<off_t>(sizeof(Page)))
      page = MapPage(fd);
    close(fd);
    if (page != nullptr && Magic(page).load() != kMagic) {
      munmap(page, sizeof(Page));
      page = nullptr;
    }
    return page;
  }

  void Catch(uint64_t elapsed) {
    if (elapsed <= applied_) return;
    clock_->Advance(elapsed - applied_);
    applied_ = elapsed;
  }

  void Watch() {
    for (;;) {
      const uint32_t seen = Sequence(page_).load();
      if (stop_.load()) return;
      Catch(ElapsedMs(page_).load());
      FutexWait(&page_->sequence, seen);
    }
  }

  Page* page_ = nullptr;
  std::unique_ptr<TestClock> clock_;
  uint64_t applied_ = 0;  // the watcher's alone once it runs
  std::atomic<bool> stop_{false};
  pid_t owner_ = 0;
  std::thread* watcher_ = nullptr;
};

Follower g_follower;

}  // namespace

SharedTestClock::SharedTestClock() {
  const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string name = std::string(folder) + "/qv-test-clock-XXXXXX";
  const int fd = mkstemp(name.data());
  if (fd < 0) throw std::runtime_error("cannot make a test clock in " + std::string(folder));
  if (ftruncate(fd, sizeof(Page)) != 0 || (page_ = MapPage(fd)) == nullptr) {
    const int error = errno;
    close(fd);
    unlink(name.c_str());
    throw std::runtime_error("cannot map a test clock: " + std::string(std::strerror(error)));
  }
  close(fd);
  path_ = name;
  page_->start_steady_ns = ClockNs(CLOCK_MONOTONIC);
  page_->start_unix_ns = static_cast<uint64_t>(ClockNs(CLOCK_REALTIME));
  Magic(page_).store(kMagic);
}

SharedTestClock::~SharedTestClock() {
  munmap(page_, sizeof(Page));
  unlink(path_.c_str());
}

std::string SharedTestClock::Environment() const { return std::string(kTestClockVariable) + "=" + path_; }

void SharedTestClock::Advance(uint64_t ms) {
  ElapsedMs(page_).fetch_add(ms);
  Bump(page_);
}

uint64_t SharedTestClock::Elapsed() const { return ElapsedMs(page_).load(); }

int64_t SharedTestClock::UnixSeconds() const {
  return static_cast<int64_t>((page_->start_unix_ns + Elapsed() * 1000000) / 1000000000);
}

}  // namespace qvp
