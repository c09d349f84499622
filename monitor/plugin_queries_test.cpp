#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "alert_plugin.h"
#include "fake_device_list.h"
#include "plugin_queries.h"
#include "profile_registry.h"
#include "test_files.h"

namespace {

// The key of a packed record, read by value (it is not aligned for a reference).
void* KeyOf(const SCHEDULE_EVENT& event) { return event.key; }

class PluginQueriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::vector<std::string> files = {
        "[Profile]\nDescription=alpha\n[Monitor]\nMonitorType=SMTP\nHostName=mail\n",
        "[Profile]\nDescription=Beta\n[Monitor]\nMonitorType=DNS\nHostName=Mail\n",
        "[Profile]\nDescription=ALPHA\n[Monitor]\nMonitorType=SMTP\nHostName=mail\nDisabled=1\n"};
    for (size_t i = 0; i < files.size(); ++i) dir_.write("qvm_alrt/datfiles/lert000" + std::to_string(i) + ".amp", files[i]);
    plugin_ = std::make_unique<CAlertPlugin>(nullptr, dir_.dir().c_str());
    PROFILE* previous = nullptr;
    PROFILE* out = nullptr;
    while (plugin_->FindProfile(nullptr, previous, nullptr, &out) == PLUGIN_DONE) rows_.push_back(previous = out);
    ASSERT_EQ(rows_.size(), 3u);
  }
  void TearDown() override { plugin_->SetDeviceList(nullptr); }
  CMonitorProfile* ProfileOf(int i) { return static_cast<CMonitorProfile*>(rows_[i]->key); }
  int Compare(int a, int b, int column) { return CompareProfileRows(plugin_.get(), rows_[a], rows_[b], column); }
  void Device(int i, const char* text, int32_t changed) {
    devices_.AddDevice(ProfileOf(i));
    DeviceStatus status;
    std::snprintf(status.statusText, sizeof status.statusText, "%s", text);
    status.stateChangedTime = changed;
    devices_.status[ProfileOf(i)] = status;
  }

  qvtest::TempDir dir_{"qvqueries"};
  std::unique_ptr<CAlertPlugin> plugin_;
  std::vector<PROFILE*> rows_;
  FakeDeviceList devices_;
};

TEST_F(PluginQueriesTest, ComparisonsAreSignedAndAgreeBothWays) {
  plugin_->SetDeviceList(&devices_);
  Device(0, "Up", 200);
  Device(1, "Down", 100);
  Device(2, "Up", 50);  // disabled: counts as time 0
  for (int column = 0; column <= 5; ++column) {
    for (int a = 0; a < 3; ++a) {
      for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(Compare(a, b, column), -Compare(b, a, column)) << column << " " << a << " " << b;
      }
    }
  }
  EXPECT_EQ(Compare(0, 2, 0), 0);  // descriptions ignore case
  EXPECT_LT(Compare(0, 1, 0), 0);
  EXPECT_GT(Compare(0, 1, 1), 0);  // "SMTP" after "DNS"
  EXPECT_NE(Compare(0, 1, 2), 0);  // hosts keep case
  EXPECT_GT(Compare(0, 1, 3), 0);  // "Up" after "Down"
  EXPECT_EQ(Compare(0, 2, 3), 0);
  EXPECT_GT(Compare(0, 1, 4), 0);  // changed later
  EXPECT_LT(Compare(1, 0, 4), 0);  // earlier is negative, never 0
  EXPECT_LT(Compare(2, 1, 4), 0);
  EXPECT_EQ(Compare(0, 1, 7), 0);
  EXPECT_EQ(CompareProfileRows(plugin_.get(), nullptr, rows_[0], 0), 0);
}

TEST_F(PluginQueriesTest, RowsWithoutDevicesCompareEqualOnDeviceColumns) {
  EXPECT_EQ(Compare(0, 1, 3), 0);
  EXPECT_EQ(Compare(0, 1, 4), 0);
  plugin_->SetDeviceList(&devices_);
  Device(0, "Up", 200);
  EXPECT_EQ(Compare(0, 1, 4), 0);
  EXPECT_EQ(Compare(1, 0, 4), 0);
}

TEST_F(PluginQueriesTest, ExitWaitsForEnabledDevices) {
  EXPECT_TRUE(IsShutDownAllowed(plugin_.get()));  // nothing monitored
  plugin_->SetDeviceList(&devices_);
  EXPECT_TRUE(IsShutDownAllowed(plugin_.get()));
  devices_.AddDevice(ProfileOf(2));  // disabled
  EXPECT_TRUE(IsShutDownAllowed(plugin_.get()));
  devices_.AddDevice(ProfileOf(0));
  EXPECT_FALSE(IsShutDownAllowed(plugin_.get()));
  devices_.alertingDisabled = true;
  EXPECT_TRUE(IsShutDownAllowed(plugin_.get()));
}

TEST_F(PluginQueriesTest, TheUntouchedSampleProfileAloneAllowsExit) {
  CMonitorProfile sample;
  sample.SetDescription("Sample Alert Profile (Local Host)");
  sample.GetSettings()->SetHostName("127.0.0.1");
  plugin_->SetDeviceList(&devices_);
  devices_.AddDevice(&sample);
  EXPECT_TRUE(IsShutDownAllowed(plugin_.get()));
  sample.GetSettings()->SetHostName("127.0.0.2");
  EXPECT_FALSE(IsShutDownAllowed(plugin_.get()));
  sample.GetSettings()->SetHostName("127.0.0.1");
  devices_.AddDevice(ProfileOf(2));
  EXPECT_FALSE(IsShutDownAllowed(plugin_.get()));  // no longer the only device
}

TEST_F(PluginQueriesTest, EventKeysReleaseOnlyProfilesNobodyHolds) {
  SCHEDULE_EVENT event{};
  event.key = ProfileOf(0);
  ReleaseEventProfileKey(plugin_.get(), &event);
  EXPECT_EQ(KeyOf(event), nullptr);
  EXPECT_TRUE(profile_registry::IsLive(ProfileOf(0)));  // still the plug-in's
  EXPECT_STREQ(rows_[0]->description, "alpha");

  auto* orphan = new CMonitorProfile();
  event.key = orphan;
  ReleaseEventProfileKey(plugin_.get(), &event);  // deleted (the leak checker would see it otherwise)
  EXPECT_FALSE(profile_registry::IsLive(orphan));

  int notAProfile = 5;
  event.key = &notAProfile;
  ReleaseEventProfileKey(plugin_.get(), &event);
  EXPECT_EQ(KeyOf(event), nullptr);
  EXPECT_EQ(notAProfile, 5);
  ReleaseEventProfileKey(plugin_.get(), nullptr);
}

}  // namespace
