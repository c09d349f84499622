// The engine with a test clock and scripted device tests: the state machine's
// texts and status-log entries, ownership of devices during tests, and the
// DeviceState operations.
#include "monitor_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "clock_text.h"
#include "engine_test_support.h"
#include "monitor_profile.h"

namespace {

using enginetest::Entry;
using enginetest::FieldText;
using enginetest::FieldTypes;
using enginetest::ProfileText;
using enginetest::ReadLog;

constexpr char kWeb[] =
    "HostName=127.0.0.1\nMonitorType=HTTP\nPortID=8080\nPollTime=10\nPollTimeUnit=0\nFailTime=4\nFailTimeUnit=0\n"
    "UpAlarm=1\nDisabled=0\n";

std::string Without(std::string text, const std::string& line) {
  const size_t at = text.find(line);
  if (at != std::string::npos) text.erase(at, line.size());
  return text;
}

class MonitorEngineTest : public ::testing::Test {
 protected:
  void Load(const std::string& monitor = kWeb, const std::string& general = "GenerateStartupAlerts=0\n") {
    dir_.write("qvm_alrt/qvm_alrt.ini", "[General]\n" + general);
    dir_.write("qvm_alrt/datfiles/lert0000.amp", ProfileText("Web", monitor));
    plugin_ = std::make_unique<CAlertPlugin>(nullptr, dir_.dir().c_str());
    engine_ = std::make_unique<MonitorEngine>(plugin_.get());
    plugin_->SetDeviceList(engine_.get());
    engine_->SetClock([this] { return tick_; }, [this] { return time_; });
    engine_->SetProbe([this](const ProbeTarget& target, std::string& message, const ProbeOptions& options) {
      if (duringTest_) duringTest_(options);
      return probe_.Run(target, message);
    });
    dispatch_.channels = {"email ops@example.com", "audio Beep"};
    engine_->SetAlertDispatch(&dispatch_);
    engine_->Prepare();
    profile_ = plugin_->GetProfiles().at(0);
  }
  void TearDown() override {
    if (engine_) engine_->StopMonitoring();
    if (plugin_) plugin_->SetDeviceList(nullptr);
    engine_.reset();
  }
  void Advance(uint64_t ms) {
    tick_ += ms;
    time_ += static_cast<time_t>(ms / 1000);
  }
  // Passes until one tests a device, moving the clock on by `step` between them.
  void TestOnce(uint64_t step = 100) {
    for (int n = 0; n < 1000; ++n) {
      if (engine_->RunPass()) return;
      Advance(step);
    }
    FAIL() << "no device fell due";
  }
  DeviceStatus Status(const CMonitorProfile* profile = nullptr) {
    DeviceStatus status;
    EXPECT_TRUE(engine_->GetDeviceStatus(profile != nullptr ? profile : profile_, &status));
    return status;
  }
  std::vector<std::string> Events() {
    std::vector<std::string> events;
    for (const Entry& entry : ReadLog(engine_->statusLog().path())) {
      std::string event = FieldText(entry, 4);
      const std::string state = FieldText(entry, 5);
      if (event == "INIT" || event == "STATUS") event += " " + state;
      events.push_back(event);
    }
    return events;
  }
  Entry LastEntry() { return ReadLog(engine_->statusLog().path()).back(); }

  qvtest::TempDir dir_{"qvengine"};
  std::unique_ptr<CAlertPlugin> plugin_;
  std::unique_ptr<MonitorEngine> engine_;
  CMonitorProfile* profile_ = nullptr;
  enginetest::ScriptedProbe probe_;
  enginetest::RecordingDispatch dispatch_;
  std::function<void(const ProbeOptions&)> duringTest_;
  uint64_t tick_ = 5'000'000;
  time_t time_ = 1'700'000'000;
};

TEST_F(MonitorEngineTest, UpThenVerifyingThenDownThenUpWithTheirEntriesAndAlerts) {
  Load();
  EXPECT_EQ(Status().statusCode, 1);
  EXPECT_STREQ(Status().statusText, "Initializing");
  EXPECT_EQ(Events(), std::vector<std::string>{"HELLO"});

  TestOnce();
  EXPECT_EQ(Status().statusCode, 0);
  EXPECT_STREQ(Status().statusText, "Up");
  const ProbeTarget target = probe_.targets.at(0);
  EXPECT_EQ(target.kind, MONITOR_HTTP);
  EXPECT_EQ(target.host, "127.0.0.1");
  EXPECT_EQ(target.port, 8080);
  Entry init = LastEntry();
  EXPECT_EQ(FieldTypes(init), (std::vector<long>{1, 2, 3, 4, 5, 6, 8, 10}));
  EXPECT_EQ(FieldText(init, 2), "127.0.0.1");
  EXPECT_EQ(FieldText(init, 3), "HTTP");
  EXPECT_EQ(FieldText(init, 4), "INIT");
  EXPECT_EQ(FieldText(init, 5), "UP");
  EXPECT_EQ(FieldText(init, 6), "PROFILE");
  EXPECT_EQ(FieldText(init, 8), std::to_string(profile_->GetProfileID()));
  EXPECT_EQ(FieldText(init, 10), "0 Up");

  // The poll interval passes before the next test.
  Advance(9900);
  EXPECT_FALSE(engine_->RunPass());
  probe_.Push(0, "10061 Connection refused");
  Advance(200);
  ASSERT_TRUE(engine_->RunPass());
  const time_t firstFailure = time_;
  EXPECT_EQ(Status().statusCode, 1);
  EXPECT_STREQ(Status().statusText, "Down / Verifying");
  Entry status = LastEntry();
  EXPECT_EQ(FieldTypes(status), (std::vector<long>{1, 2, 3, 4, 5, 6, 8, 10, 11}));
  EXPECT_EQ(FieldText(status, 5), "DOWN");
  EXPECT_EQ(FieldText(status, 6), "Testing...");
  EXPECT_EQ(FieldText(status, 10), "0 Testing...");  // the code shown before the test
  EXPECT_EQ(FieldText(status, 11), "10061 Connection refused");
  EXPECT_TRUE(dispatch_.queued.empty());

  // A failure being verified is tested again after half the fail time.
  Advance(1900);
  EXPECT_FALSE(engine_->RunPass());
  probe_.Push(0, "10061 Connection refused");
  Advance(200);
  ASSERT_TRUE(engine_->RunPass());
  EXPECT_EQ(Status().statusCode, 2);
  EXPECT_STREQ(Status().statusText, "Down");
  Entry alert = LastEntry();
  EXPECT_EQ(FieldTypes(alert), (std::vector<long>{1, 2, 3, 4, 5, 6, 6, 7, 8, 10}));
  EXPECT_EQ(FieldText(alert, 4), "DOWN");
  EXPECT_EQ(FieldText(alert, 5), "10061 Connection refused");
  EXPECT_EQ(alert[5].second, "email ops@example.com");
  EXPECT_EQ(alert[6].second, "audio Beep");
  EXPECT_EQ(FieldText(alert, 7).substr(0, 11), std::to_string(firstFailure) + " ");
  EXPECT_EQ(FieldText(alert, 10), "1 Down / Verifying");
  EXPECT_EQ(dispatch_.queued, std::vector<std::string>{"Web down 127.0.0.1 HTTP"});

  probe_.Push(0, "10061 Connection refused");
  TestOnce();
  EXPECT_STREQ(Status().statusText, "Down");
  EXPECT_EQ(dispatch_.queued.size(), 1u);

  TestOnce();  // up again
  EXPECT_EQ(Status().statusCode, 0);
  EXPECT_STREQ(Status().statusText, "Up");
  EXPECT_EQ(FieldText(LastEntry(), 4), "UP");
  EXPECT_EQ(FieldText(LastEntry(), 10), "1 Up / Verifying");
  EXPECT_EQ(dispatch_.queued.back(), "Web up 127.0.0.1 HTTP");
  EXPECT_EQ(Events(), (std::vector<std::string>{"HELLO", "INIT UP", "STATUS DOWN", "DOWN", "STATUS UP", "UP"}));
}

TEST_F(MonitorEngineTest, OneFailureBetweenSuccessesNeverLeavesUpNorAlerts) {
  Load();
  TestOnce();
  probe_.Push(0, "1 Timed out");
  TestOnce();
  EXPECT_STREQ(Status().statusText, "Down / Verifying");
  TestOnce();
  EXPECT_STREQ(Status().statusText, "Up");
  EXPECT_EQ(Events(), (std::vector<std::string>{"HELLO", "INIT UP", "STATUS DOWN", "STATUS UP"}));
  EXPECT_TRUE(dispatch_.queued.empty());
}

TEST_F(MonitorEngineTest, ADeviceDownAtStartGoesDownQuietlyUnlessStartupAlertsAreWanted) {
  Load();
  probe_.Push(0, "3 Refused");
  probe_.Push(0, "3 Refused");
  TestOnce();
  EXPECT_STREQ(Status().statusText, "Down / Verifying");
  EXPECT_EQ(FieldText(LastEntry(), 5), "DOWN");
  TestOnce();
  EXPECT_STREQ(Status().statusText, "Down");
  EXPECT_EQ(Events(), (std::vector<std::string>{"HELLO", "INIT DOWN"}));
  EXPECT_TRUE(dispatch_.queued.empty());

  TearDown();
  std::filesystem::remove(dir_.file("qvm_alrt/qvm_alrt.log"));
  Load(kWeb, "GenerateStartupAlerts=1\n");
  for (int n = 0; n < 3; ++n) probe_.Push(0, "3 Refused");
  TestOnce();
  EXPECT_STREQ(Status().statusText, "Down / Verifying");
  // The second failure comes within the fail time: still verifying.
  TestOnce();
  EXPECT_STREQ(Status().statusText, "Down / Verifying");
  TestOnce();
  EXPECT_STREQ(Status().statusText, "Down");
  EXPECT_EQ(Events(), (std::vector<std::string>{"HELLO", "INIT DOWN", "DOWN"}));
  EXPECT_EQ(dispatch_.queued.size(), 1u);
}

TEST_F(MonitorEngineTest, ComingBackUpWithoutUpAlarmIsLoggedButQueuesNothing) {
  Load(Without(kWeb, "UpAlarm=1\n") + "UpAlarm=0\n");
  ASSERT_FALSE(profile_->GetSettings()->GetUpAlarm());
  TestOnce();
  probe_.Push(0, "3 Refused");
  probe_.Push(0, "3 Refused");
  TestOnce();
  Advance(5000);
  TestOnce();
  ASSERT_STREQ(Status().statusText, "Down");
  TestOnce();
  EXPECT_STREQ(Status().statusText, "Up");
  EXPECT_EQ(Events().back(), "UP");
  EXPECT_EQ(dispatch_.queued, std::vector<std::string>{"Web down 127.0.0.1 HTTP"});
}

TEST_F(MonitorEngineTest, ATestCancelledByLockingLeavesTheDeviceToTheLockerUntouched) {
  Load();
  TestOnce();
  const size_t entries = Events().size();
  bool stopAsked = false;
  duringTest_ = [&](const ProbeOptions& options) {
    // The host's thread takes the device while its test runs.
    EXPECT_TRUE(engine_->HoldDevice(profile_));
    stopAsked = options.stop != nullptr && options.stop->Requested();
  };
  probe_.Push(0, "3 Refused");
  TestOnce();
  duringTest_ = nullptr;
  EXPECT_TRUE(stopAsked);
  // The dropped result changed nothing: no entry, the status shown before the test.
  EXPECT_EQ(Events().size(), entries);
  EXPECT_STREQ(Status().statusText, "Up");
  // While held, no pass tests the device.
  Advance(60000);
  EXPECT_FALSE(engine_->RunPass());
  engine_->ReleaseDevice(profile_);
  ASSERT_TRUE(engine_->RunPass());
  EXPECT_STREQ(Status().statusText, "Up");
}

TEST_F(MonitorEngineTest, DeletingAProfileDuringItsTestFreesNothingTheTestUses) {
  Load();
  PROFILE* row = nullptr;
  ASSERT_EQ(plugin_->FindProfile(nullptr, nullptr, nullptr, &row), PLUGIN_DONE);
  TestOnce();
  duringTest_ = [&](const ProbeOptions&) { EXPECT_EQ(plugin_->DeleteProfile(nullptr, row), PLUGIN_DONE); };
  probe_.Push(0, "3 Refused");
  TestOnce();
  duringTest_ = nullptr;
  EXPECT_TRUE(plugin_->GetProfiles().empty());
  EXPECT_TRUE(engine_->DeviceProfiles().empty());
  EXPECT_EQ(probe_.targets.back().host, "127.0.0.1");  // the copy outlived the profile
  EXPECT_EQ(Events().back(), "INIT UP");
}

TEST_F(MonitorEngineTest, EditsTakeEffectAsTheyShould) {
  Load();
  TestOnce();
  // Only the poll time: the next test one second later, no new INIT.
  ASSERT_TRUE(engine_->HoldDevice(profile_));
  profile_->GetSettings()->SetPollTime(1);
  profile_->GetSettings()->SetPollTimeUnit(1);
  engine_->UpdateDevice(profile_);
  engine_->ReleaseDevice(profile_);  // a second release after the update frees nothing
  Advance(999);
  EXPECT_FALSE(engine_->RunPass());
  Advance(2);
  EXPECT_TRUE(engine_->RunPass());
  EXPECT_EQ(Events(), (std::vector<std::string>{"HELLO", "INIT UP"}));

  // A new host re-initialises the device.
  ASSERT_TRUE(engine_->HoldDevice(profile_));
  profile_->GetSettings()->SetHostName("localhost");
  engine_->UpdateDevice(profile_);
  EXPECT_STREQ(Status().statusText, "Initializing");
  TestOnce();
  EXPECT_EQ(probe_.targets.back().host, "localhost");
  EXPECT_EQ(Events(), (std::vector<std::string>{"HELLO", "INIT UP", "INIT UP"}));

  // A profile disabled by its edit: "Disabled", a STATUS entry, no more tests.
  const size_t calls = probe_.Calls();
  ASSERT_TRUE(engine_->HoldDevice(profile_));
  profile_->GetSettings()->SetDisabled(true);
  engine_->UpdateDevice(profile_);
  EXPECT_EQ(Status().statusCode, 3);
  Advance(120000);
  EXPECT_FALSE(engine_->RunPass());
  EXPECT_EQ(Events().back(), "STATUS DISABLED");
  EXPECT_EQ(FieldTypes(LastEntry()), (std::vector<long>{1, 2, 3, 4, 5, 8, 10, 11}));
  EXPECT_FALSE(engine_->RunPass());
  EXPECT_EQ(probe_.Calls(), calls);
}

TEST_F(MonitorEngineTest, AutoReportsComeFiveSecondsAfterTheStartAndThenEveryInterval) {
  Load(kWeb, "GenerateStartupAlerts=0\n[AutoReport]\nGenerateReport=1\nSaveEvery=2\n");
  EXPECT_EQ(engine_->reportIntervalMinutes(), 2u);
  EXPECT_FALSE(engine_->RunPass());  // the device is initialised
  Advance(4000);
  EXPECT_FALSE(engine_->RunPass());
  Advance(1001);
  EXPECT_TRUE(engine_->RunPass());  // the report's pass tests nothing
  EXPECT_EQ(probe_.Calls(), 0u);
  EXPECT_TRUE(engine_->RunPass());  // the device, due since
  EXPECT_EQ(probe_.Calls(), 1u);
  Advance(119000);
  EXPECT_TRUE(engine_->RunPass());
  EXPECT_EQ(probe_.Calls(), 2u);
  Advance(1001);
  EXPECT_TRUE(engine_->RunPass());
  EXPECT_EQ(probe_.Calls(), 2u);
}

TEST_F(MonitorEngineTest, ALongHostIsTestedWholeAndLoggedShort) {
  const std::string host(150, 'h');
  Load("HostName=" + host + "\nMonitorType=HTTP\nPortID=80\nPollTime=10\nPollTimeUnit=0\n");
  TestOnce();
  EXPECT_EQ(probe_.targets.at(0).host, host);
  EXPECT_EQ(FieldText(LastEntry(), 2), host.substr(0, 99));
  // An edit beyond the 99th character is a new host all the same.
  ASSERT_TRUE(engine_->HoldDevice(profile_));
  profile_->GetSettings()->SetHostName((host + "x").c_str());
  engine_->UpdateDevice(profile_);
  EXPECT_STREQ(Status().statusText, "Initializing");
}

TEST_F(MonitorEngineTest, SwitchingAlertingOffAndOnDisablesAndReinitialisesEveryDevice) {
  dir_.write("qvm_alrt/datfiles/lert0001.amp", ProfileText("Off", Without(kWeb, "Disabled=0\n") + "Disabled=1\n"));
  Load();
  CMonitorProfile* off = plugin_->GetProfiles().at(1);
  ASSERT_TRUE(off->GetSettings()->GetDisabled());
  EXPECT_STREQ(Status(off).statusText, "Disabled");
  TestOnce();
  engine_->SetAlertingEnabled(0);
  EXPECT_TRUE(engine_->IsAlertingDisabled());
  EXPECT_STREQ(Status().statusText, "Disabled");
  EXPECT_EQ(Status().statusCode, 3);
  Advance(60000);
  EXPECT_FALSE(engine_->RunPass());
  EXPECT_EQ(Events().back(), "STATUS DISABLED");

  engine_->SetAlertingEnabled(1);
  EXPECT_STREQ(Status().statusText, "Initializing");
  EXPECT_STREQ(Status(off).statusText, "Disabled");  // disabled by its own profile
  TestOnce();
  EXPECT_STREQ(Status().statusText, "Up");
  EXPECT_STREQ(Status(off).statusText, "Disabled");
  EXPECT_EQ(Events().back(), "INIT UP");
  EXPECT_EQ(probe_.Calls(), 2u);  // the disabled profile's device was never tested
}

TEST_F(MonitorEngineTest, AnNtServiceDeviceIsRestartedAndTestedAgainASecondLater) {
  Load("HostName=.\nHostPath=NoSuchService\nMonitorType=NT Service\nPortID=1\nPollTime=30\nPollTimeUnit=0\n"
       "FailTime=1\nFailTimeUnit=0\n");
  TestOnce();
  probe_.Push(0, "2 Service stopped");
  probe_.Push(0, "2 Service stopped");
  TestOnce();
  Advance(2000);
  TestOnce();
  ASSERT_STREQ(Status().statusText, "Down");
  Entry recovery = LastEntry();
  EXPECT_EQ(FieldTypes(recovery), (std::vector<long>{1, 2, 3, 4, 12, 8, 10}));
  EXPECT_EQ(FieldText(recovery, 4), "RECOVERY");
  EXPECT_EQ(FieldText(recovery, 12), "Restart NT Service");
  Advance(999);
  EXPECT_FALSE(engine_->RunPass());
  Advance(2);
  EXPECT_TRUE(engine_->RunPass());
}

TEST_F(MonitorEngineTest, RestartingTheLogWritesHelloAndEachDevicesState) {
  Load();
  TestOnce();
  engine_->RestartStatusLog();
  const std::vector<Entry> entries = ReadLog(engine_->statusLog().path());
  ASSERT_GE(entries.size(), 2u);
  EXPECT_EQ(FieldText(entries[entries.size() - 2], 4), "HELLO");
  const Entry& init = entries.back();
  EXPECT_EQ(FieldTypes(init), (std::vector<long>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(FieldText(init, 5), "UP");
  EXPECT_EQ(FieldText(init, 6), "LOGFILE");
  EXPECT_EQ(FieldText(init, 7), "0");

  const uint32_t old = profile_->GetProfileID();
  profile_->NewProfileID();
  engine_->LogDeviceInitEntry(profile_, old);
  EXPECT_EQ(FieldText(LastEntry(), 7), std::to_string(old));
  EXPECT_EQ(FieldText(LastEntry(), 8), std::to_string(profile_->GetProfileID()));
  CMonitorProfile stranger;
  const size_t count = ReadLog(engine_->statusLog().path()).size();
  engine_->LogDeviceInitEntry(&stranger, 1);
  EXPECT_EQ(ReadLog(engine_->statusLog().path()).size(), count);
}

TEST_F(MonitorEngineTest, MainListTextsFollowTheDeviceAndKeepToTheBuffer) {
  Load();
  PROFILE* row = nullptr;
  ASSERT_EQ(plugin_->FindProfile(nullptr, nullptr, nullptr, &row), PLUGIN_DONE);
  char text[512];
  EXPECT_EQ(FormatMainListText(plugin_.get(), engine_.get(), nullptr, text, sizeof text), 0);
  EXPECT_STREQ(text, "220,Profile Description\t50,Type\t150,Host/Device\t50,Status\t150,Last Time Status Changed");
  EXPECT_EQ(FormatMainListText(plugin_.get(), engine_.get(), row, text, sizeof text), 1);
  EXPECT_STREQ(text, "Web\tHTTP\t127.0.0.1\tInitializing\t");
  EXPECT_EQ(FormatMainListText(plugin_.get(), nullptr, row, text, sizeof text), 1);
  EXPECT_STREQ(text, "Web\tHTTP\t127.0.0.1\tn/a\tn/a");

  TestOnce();
  EXPECT_EQ(FormatMainListText(plugin_.get(), engine_.get(), row, text, sizeof text), 0);
  char changed[32];
  CalendarText(time_, changed);
  changed[24] = '\0';
  EXPECT_EQ(std::string(text), std::string("Web\tHTTP\t127.0.0.1\tUp\t") + changed);

  // A short buffer is filled and terminated, never overrun.
  char small[12];
  std::memset(small, '#', sizeof small);
  FormatMainListText(plugin_.get(), engine_.get(), row, small, 8);
  EXPECT_STREQ(small, "Web\tHTT");
  EXPECT_EQ(small[8], '#');
  EXPECT_EQ(FormatMainListText(plugin_.get(), engine_.get(), row, small, 0), 1);
  EXPECT_EQ(small[0], 'W');
}

TEST_F(MonitorEngineTest, StoppingEndsARunningTestAndDropsItsResult) {
  Load();
  engine_->SetClock([] { return static_cast<uint64_t>(GetTickCount64()); }, [] { return std::time(nullptr); });
  std::atomic<bool> entered{false};
  engine_->SetProbe([&entered](const ProbeTarget&, std::string& message, const ProbeOptions& options) {
    entered = true;
    // A test that only a stop request ends (with a generous deadline).
    for (int n = 0; n < 60000 && !options.stop->Requested(); ++n) Sleep(1);
    message = "3 Stopped";
    return 0;
  });
  ASSERT_TRUE(engine_->Start());
  for (int n = 0; n < 6000 && !entered.load(); ++n) Sleep(10);
  ASSERT_TRUE(entered.load());
  engine_->StopMonitoring();
  EXPECT_EQ(Events(), (std::vector<std::string>{"HELLO", "GOODBYE"}));
  EXPECT_STREQ(Status().statusText, "Initializing");
  EXPECT_EQ(engine_->liveWorkers(), 0);
}

TEST_F(MonitorEngineTest, WorkersAndTheHostsThreadShareTheDevicesSafely) {
  Load(Without(Without(kWeb, "PollTime=10\n"), "FailTime=4\n") + "PollTime=1\nFailTime=1\n",
       "GenerateStartupAlerts=0\nThread=4\n");
  // A clock that races ahead, so that devices fall due all the time.
  std::atomic<uint64_t> tick{5'000'000};
  engine_->SetClock([&tick] { return tick.fetch_add(400); }, [] { return time_t{1'700'000'000}; });
  std::atomic<int> flips{0};
  engine_->SetProbe([&flips](const ProbeTarget&, std::string& message, const ProbeOptions&) {
    message = "3 Flaky";
    return (flips.fetch_add(1) / 3) % 2;
  });
  ASSERT_TRUE(engine_->Start());
  std::vector<std::unique_ptr<CMonitorProfile>> extra;
  for (int n = 0; n < 200; ++n) {
    auto profile = std::make_unique<CMonitorProfile>();
    profile->GetSettings()->SetHostName(("10.0.0." + std::to_string(n)).c_str());
    engine_->AddDevice(profile.get());
    extra.push_back(std::move(profile));
    if (engine_->HoldDevice(profile_)) {
      profile_->GetSettings()->SetPortID(8000 + n % 2);
      engine_->UpdateDevice(profile_);
      engine_->ReleaseDevice(profile_);
    }
    if (n % 3 == 0) engine_->RemoveDevice(extra[static_cast<size_t>(n / 3)].get());
    if (n % 50 == 25) engine_->SetAlertingEnabled(0);
    if (n % 50 == 30) engine_->SetAlertingEnabled(1);
    DeviceStatus status;
    engine_->GetDeviceStatus(profile_, &status);
    std::this_thread::yield();
  }
  // Waits, with a generous deadline, until the workers have tested a while.
  for (int n = 0; n < 6000 && flips.load() < 20; ++n) Sleep(10);
  // The pool follows the setting both ways.
  engine_->SetThreadSetting(1);
  for (int n = 0; n < 6000 && engine_->liveWorkers() != 1; ++n) Sleep(10);
  EXPECT_EQ(engine_->liveWorkers(), 1);
  engine_->SetThreadSetting(3);
  for (int n = 0; n < 6000 && engine_->liveWorkers() != 3; ++n) Sleep(10);
  EXPECT_EQ(engine_->liveWorkers(), 3);
  engine_->StopMonitoring();
  EXPECT_GE(flips.load(), 20);
  EXPECT_EQ(engine_->liveWorkers(), 0);
  EXPECT_EQ(Events().back(), "GOODBYE");
  engine_->StopMonitoring();  // a second stop is harmless
  for (auto& profile : extra) engine_->RemoveDevice(profile.get());
  EXPECT_EQ(engine_->DeviceProfiles(), std::vector<CMonitorProfile*>{profile_});
}

}  // namespace
