// The engine's due-time queue: the most overdue device first with ties in
// list order, devices re-timed, removed or held while queued, and idle workers
// that sleep until there is work and leave at once when monitoring stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "monitor_engine.h"
#include "monitor_profile.h"

namespace {

using enginetest::ProfileText;

std::string Monitor(const std::string& host, int pollSeconds, bool disabled = false) {
  return "HostName=" + host + "\nMonitorType=HTTP\nPortID=80\nPollTime=" + std::to_string(pollSeconds) +
         "\nPollTimeUnit=0\nFailTime=4\nFailTimeUnit=0\nUpAlarm=1\nDisabled=" + (disabled ? "1" : "0") + "\n";
}

class DueQueueTest : public ::testing::Test {
 protected:
  // One profile per host, in this list order, each polled every 10 s.
  void Load(const std::vector<std::string>& hosts, const std::string& general = "", bool disabled = false) {
    dir_.write("qvm_alrt/qvm_alrt.ini", "[General]\nGenerateStartupAlerts=0\n" + general);
    for (size_t n = 0; n < hosts.size(); ++n) {
      char name[64];
      std::snprintf(name, sizeof name, "qvm_alrt/datfiles/lert%04zu.amp", n);
      dir_.write(name, ProfileText(hosts[n], Monitor(hosts[n], 10, disabled)));
    }
    plugin_ = std::make_unique<CAlertPlugin>(nullptr, dir_.dir().c_str());
    engine_ = std::make_unique<MonitorEngine>(plugin_.get());
    plugin_->SetDeviceList(engine_.get());
    engine_->SetClock([this] { return tick_; }, [this] { return time_; });
    engine_->SetProbe([this](const ProbeTarget& target, std::string& message, const ProbeOptions&) {
      return probe_.Run(target, message);
    });
    engine_->SetAlertDispatch(&dispatch_);
    engine_->Prepare();
  }
  void TearDown() override {
    if (engine_) engine_->StopMonitoring();
    if (plugin_) plugin_->SetDeviceList(nullptr);
    engine_.reset();
  }
  CMonitorProfile* Profile(const std::string& description) {
    for (CMonitorProfile* profile : plugin_->GetProfiles()) {
      if (description == profile->GetDescription()) return profile;
    }
    ADD_FAILURE() << "no profile " << description;
    return nullptr;
  }
  // The hosts tested by passes until one tests nothing.
  std::vector<std::string> TestAllDue() {
    std::vector<std::string> tested;
    const size_t before = probe_.Calls();
    while (engine_->RunPass()) {
    }
    for (size_t n = before; n < probe_.targets.size(); ++n) tested.push_back(probe_.targets[n].host);
    return tested;
  }
  // Looks at the new devices and schedules them one second on.
  void Schedule() {
    EXPECT_FALSE(engine_->RunPass());
    EXPECT_FALSE(engine_->RunPass());
  }

  qvtest::TempDir dir_{"qvduequeue"};
  std::unique_ptr<CAlertPlugin> plugin_;
  std::unique_ptr<MonitorEngine> engine_;
  enginetest::ScriptedProbe probe_;
  enginetest::RecordingDispatch dispatch_;
  uint64_t tick_ = 7'000'000;
  time_t time_ = 1'700'000'000;
};

TEST_F(DueQueueTest, TheMostOverdueDeviceGoesFirstAndEqualDueTimesGoInListOrder) {
  Load({"a", "b", "c"});
  Schedule();
  tick_ += 1000;
  EXPECT_TRUE(TestAllDue().empty());  // due only once the tick has passed
  tick_ += 1;
  EXPECT_EQ(TestAllDue(), (std::vector<std::string>{"a", "b", "c"}));

  // c is tested 3 s after a and b: a and b fall due first, in list order.
  tick_ += 10'001;
  ASSERT_TRUE(engine_->RunPass());
  ASSERT_TRUE(engine_->RunPass());
  tick_ += 3000;
  ASSERT_TRUE(engine_->RunPass());
  EXPECT_EQ(probe_.targets.back().host, "c");
  tick_ += 10'000 - 3000 + 1;
  EXPECT_EQ(TestAllDue(), (std::vector<std::string>{"a", "b"}));
  tick_ += 3000;
  EXPECT_EQ(TestAllDue(), (std::vector<std::string>{"c"}));
}

TEST_F(DueQueueTest, ADeviceRetimedWhileQueuedFallsDueAtItsNewTime) {
  Load({"a", "b"});
  Schedule();
  tick_ += 1001;
  EXPECT_EQ(TestAllDue(), (std::vector<std::string>{"a", "b"}));
  // b's poll time changes: its next test comes a second later, before a's.
  CMonitorProfile* b = Profile("b");
  ASSERT_TRUE(engine_->HoldDevice(b));
  b->GetSettings()->SetPollTime(60);
  engine_->UpdateDevice(b);
  tick_ += 1001;
  EXPECT_EQ(TestAllDue(), (std::vector<std::string>{"b"}));
  tick_ += 10'000;
  EXPECT_EQ(TestAllDue(), (std::vector<std::string>{"a"}));
  tick_ += 60'000;
  EXPECT_EQ(TestAllDue(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(DueQueueTest, ADeviceRemovedOrHeldWhileDueIsNotTested) {
  Load({"a", "b", "c"});
  Schedule();
  tick_ += 1001;
  engine_->RemoveDevice(Profile("a"));
  ASSERT_TRUE(engine_->HoldDevice(Profile("b")));
  EXPECT_EQ(TestAllDue(), (std::vector<std::string>{"c"}));
  // Given back, the held device is tested at once: it is overdue.
  engine_->ReleaseDevice(Profile("b"));
  EXPECT_EQ(TestAllDue(), (std::vector<std::string>{"b"}));
  tick_ += 60'000;
  EXPECT_EQ(TestAllDue(), (std::vector<std::string>{"b", "c"}));
}

TEST_F(DueQueueTest, IdleWorkersSleepUntilThereIsWorkAndAStopEndsThemAtOnce) {
  // Nothing ever falls due: every device is disabled by its profile.
  Load({"a", "b"}, "Thread=100\n", true);
  engine_->SetClock([] { return static_cast<uint64_t>(GetTickCount64()); }, [] { return std::time(nullptr); });
  ASSERT_TRUE(engine_->Start());
  for (int n = 0; n < 6000 && engine_->liveWorkers() < 100; ++n) Sleep(10);
  ASSERT_EQ(engine_->liveWorkers(), 100);
  // The start settles (the devices are looked at once, and the host's list
  // refresh, which comes at most once a second, may be asked for once more a
  // second later); then no wake-ups.
  uint64_t settled = engine_->idleWakeups();
  for (int quiet = 0, n = 0; quiet < 150 && n < 6000; ++n) {
    Sleep(10);
    const uint64_t now = engine_->idleWakeups();
    quiet = now == settled ? quiet + 1 : 0;
    settled = now;
  }
  Sleep(500);
  EXPECT_EQ(engine_->idleWakeups(), settled);
  EXPECT_EQ(probe_.Calls(), 0u);

  const auto start = std::chrono::steady_clock::now();
  engine_->StopMonitoring();
  const auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(engine_->liveWorkers(), 0);
  EXPECT_LT(spent, std::chrono::seconds(1));
}

TEST_F(DueQueueTest, EveryWorkerOfThePoolTestsWhileManyDevicesAreDue) {
  // Eight devices fall due together; four workers. Each test waits until four
  // run at once (or gives up after a generous while), so the most that ever
  // ran at once tells whether idle workers were woken for the work.
  Load({"a", "b", "c", "d", "e", "f", "g", "h"}, "Thread=4\n");
  engine_->SetClock([] { return static_cast<uint64_t>(GetTickCount64()); }, [] { return std::time(nullptr); });
  std::mutex lock;
  std::condition_variable changed;
  int running = 0;
  int most = 0;
  int tested = 0;
  bool gaveUp = false;
  engine_->SetProbe([&](const ProbeTarget&, std::string&, const ProbeOptions&) {
    std::unique_lock<std::mutex> hold(lock);
    most = std::max(most, ++running);
    changed.notify_all();
    gaveUp = !changed.wait_for(hold, std::chrono::seconds(10), [&] { return most >= 4 || gaveUp; }) || gaveUp;
    --running;
    ++tested;
    changed.notify_all();
    return 1;
  });
  ASSERT_TRUE(engine_->Start());
  {
    std::unique_lock<std::mutex> hold(lock);
    changed.wait_for(hold, std::chrono::seconds(60), [&] { return tested >= 8; });
    EXPECT_EQ(tested, 8);
    EXPECT_EQ(most, 4);
  }
  engine_->StopMonitoring();
}

TEST_F(DueQueueTest, AWaitingWorkerWakesForADeviceAddedLater) {
  Load({"a"}, "Thread=3\n", true);
  engine_->SetClock([] { return static_cast<uint64_t>(GetTickCount64()); }, [] { return std::time(nullptr); });
  ASSERT_TRUE(engine_->Start());
  CMonitorProfile added;
  added.GetSettings()->SetHostName("late");
  added.GetSettings()->SetPollTime(1);
  added.GetSettings()->SetPollTimeUnit(0);
  engine_->AddDevice(&added);
  // Tested a second after it was looked at (a generous deadline).
  for (int n = 0; n < 3000 && probe_.Calls() == 0; ++n) Sleep(10);
  ASSERT_GE(probe_.Calls(), 1u);
  EXPECT_EQ(probe_.targets.at(0).host, "late");
  engine_->StopMonitoring();
  engine_->RemoveDevice(&added);
}

}  // namespace

namespace {

TEST(WorkerSetting, ThreadTakesOneToOneHundredOnNtAndUpToTwentyFiveElsewhere) {
  MonitorEngine engine(nullptr);
  engine.SetThreadSetting(100);
  EXPECT_EQ(engine.workerSetting(), 100);
  engine.SetThreadSetting(101);
  EXPECT_EQ(engine.workerSetting(), 100);
  engine.SetThreadSetting(0);
  EXPECT_EQ(engine.workerSetting(), 1);
  qvp::SetVersionForTests(4, 10, VER_PLATFORM_WIN32_WINDOWS);
  engine.SetThreadSetting(100);
  EXPECT_EQ(engine.workerSetting(), 25);
  qvp::ResetVersionForTests();
}

}  // namespace
