#include "qvplatform/test_clock_shared.h"

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "qvplatform/test_clock.h"

extern char** environ;

namespace {

int64_t RealUnixSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return ts.tv_sec;
}

// The peer process, with its standard output and error in a pipe read line
// by line. `clock` is its QV_TEST_CLOCK entry, or empty for none at all.
class Peer {
 public:
  Peer(const char* mode, const std::string& clock) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
      if (std::string(*e).rfind(std::string(qvp::kTestClockVariable) + "=", 0) != 0) env.push_back(*e);
    if (!clock.empty()) env.push_back(clock);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = QV_CLOCK_PEER, argument = mode;
    char* argv[] = {program.data(), argument.data(), nullptr};
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    out_ = fds[0];
  }
  ~Peer() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      Wait();
    }
    if (out_ >= 0) close(out_);
  }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  // The next line; empty when the peer ended or stayed silent (a guard
  // against a hung peer, not a measure of speed).
  std::string Line() {
    for (;;) {
      const size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 30000) <= 0) return {};
      char chunk[256];
      const ssize_t got = read(out_, chunk, sizeof chunk);
      if (got <= 0) return {};
      buffer_.append(chunk, static_cast<size_t>(got));
    }
  }
  int Wait() {
    int status = 0;
    if (pid_ <= 0 || waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

TEST(SharedTestClock, AFollowerStartsAtItsTimeAndAWaitEndsWhenTheTestAdvancesPastIt) {
  qvp::SharedTestClock clock;
  clock.Advance(86400000);  // a day ahead of the real time: the follower's time is plainly the clock's
  Peer peer("sleep", clock.Environment());
  long long asleep = 0;
  ASSERT_EQ(std::sscanf(peer.Line().c_str(), "asleep %lld", &asleep), 1);
  EXPECT_EQ(asleep, clock.UnixSeconds());
  EXPECT_GE(asleep, RealUnixSeconds() + 86000);

  // A millisecond short of the minute the sleeper is still asleep: it would
  // otherwise tell a shorter sleep.
  clock.Advance(59999);
  clock.Advance(1);
  unsigned long long slept = 0;
  long long woke = 0;
  ASSERT_EQ(std::sscanf(peer.Line().c_str(), "woke %llu %lld", &slept, &woke), 2);
  EXPECT_EQ(slept, 60000u);
  EXPECT_EQ(woke, asleep + 60);
  EXPECT_EQ(peer.Wait(), 0);  // its watcher was joined as it ended

  // The next follower picks up where the clock stands.
  Peer next("now", clock.Environment());
  long long now = 0;
  ASSERT_EQ(std::sscanf(next.Line().c_str(), "now %lld", &now), 1);
  EXPECT_EQ(now, clock.UnixSeconds());
  EXPECT_EQ(next.Wait(), 0);
}

TEST(SharedTestClock, WithoutAClockNamedOrWithAFileThatIsNoneTheRealTimeHolds) {
  const std::string junk = testing::TempDir() + "not_a_clock";
  std::ofstream(junk) << std::string(64, 'x');
  qvp::SharedTestClock clock;
  clock.Advance(86400000);
  const std::string cases[] = {"", std::string(qvp::kTestClockVariable) + "=" + junk,
                               std::string(qvp::kTestClockVariable) + "=/nonexistent/clock"};
  for (const std::string& entry : cases) {
    SCOPED_TRACE(entry);
    const int64_t before = RealUnixSeconds();
    Peer peer("now", entry);
    std::string line = peer.Line();
    if (!entry.empty()) {
      EXPECT_NE(line.find("is not a test clock"), std::string::npos) << line;
      line = peer.Line();
    }
    long long now = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "now %lld", &now), 1) << line;
    EXPECT_GE(now, before);
    EXPECT_LE(now, RealUnixSeconds());
    EXPECT_EQ(peer.Wait(), 0);
  }
}

// The C library's time() of this process follows its own test clock too.
TEST(SharedTestClock, TheCLibraryTimeFollowsTheTestClock) {
  qvp::TestClock clock;
  const time_t start = std::time(nullptr);
  clock.Advance(3600000);
  EXPECT_EQ(std::time(nullptr), start + 3600);
  time_t out = 0;
  EXPECT_EQ(time(&out), start + 3600);
  EXPECT_EQ(out, start + 3600);
}

}  // namespace
