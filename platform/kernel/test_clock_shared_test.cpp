#include "qvplatform/test_clock_shared.h"

#include <time.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "line_peer.h"
#include "qvplatform/test_clock.h"

namespace {

int64_t RealUnixSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return ts.tv_sec;
}

// The peer process, with its standard output and error read line by line.
// `clock` is its QV_TEST_CLOCK entry, or empty for none at all.
class Peer : public qvtest::LinePeer {
 public:
  Peer(const char* mode, const std::string& clock) : LinePeer({QV_CLOCK_PEER, mode}, true, Environment(clock)) {}

 private:
  static std::vector<std::string> Environment(const std::string& clock) {
    std::vector<std::string> env;
    for (const std::string& entry : qvtest::CurrentEnvironment())
      if (entry.rfind(std::string(qvp::kTestClockVariable) + "=", 0) != 0) env.push_back(entry);
    if (!clock.empty()) env.push_back(clock);
    return env;
  }
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
