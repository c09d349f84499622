#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "monitor_server.h"
#include "test_files.h"

namespace {

// Waits (without a time assertion) until `done` holds; false after a generous limit.
template <typename F>
bool WaitFor(F done) {
  for (int i = 0; i < 2000; ++i) {
    if (done()) return true;
    Sleep(5);
  }
  return done();
}

TEST(MonitorServerTest, KeepsPollTimesAndReloadsOnRequest) {
  qvtest::TempDir dir("qvserver");
  const int32_t longAgo = 1000;
  const int32_t future = static_cast<int32_t>(std::time(nullptr)) + 100000;
  dir.write("lert0000.amp", "[Monitor]\nPollTime=1\nPollTimeUnit=0\nLastPollTime=" + std::to_string(longAgo) + "\n");
  dir.write("lert0001.amp", "[Monitor]\nPollTime=1\nPollTimeUnit=3\nLastPollTime=" + std::to_string(future) + "\n");
  dir.write("other.amp", "[Monitor]\n");
  {
    CMonitorServer server(dir.path().string().c_str());
    ASSERT_TRUE(server.IsRunning());
    // The overdue profile is marked as polled; the one not due keeps its time.
    ASSERT_TRUE(WaitFor([&] {
      const std::vector<int32_t> times = server.PollTimes();
      return times.size() == 2 && times[0] > longAgo;
    }));
    EXPECT_EQ(server.PollTimes()[1], future);

    dir.write("lert0002.amp", "[Monitor]\nLastPollTime=" + std::to_string(future) + "\n");
    HANDLE update = OpenEventA(EVENT_ALL_ACCESS, FALSE, kMonitorServerUpdateEvent);
    ASSERT_NE(update, nullptr);
    SetEvent(update);
    EXPECT_TRUE(WaitFor([&] { return server.PollTimes().size() == 3; }));
    CloseHandle(update);
  }  // the destructor stops and joins the thread
  EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, kMonitorServerStopEvent), nullptr);
}

TEST(MonitorServerTest, AnEmptyDirectoryStillStartsAndStops) {
  CMonitorServer server(nullptr);
  EXPECT_TRUE(server.IsRunning());
  EXPECT_TRUE(server.PollTimes().empty());
}

}  // namespace
