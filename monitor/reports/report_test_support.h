// Tests only: a plug-in over a temporary program directory with profiles and
// their rows, for the report and schedule tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "alert_plugin.h"
#include "fake_device_list.h"
#include "plugin_globals.h"
#include "schedule_events.h"
#include "test_files.h"

class ReportPluginTest : public ::testing::Test {
 protected:
  void SetUp() override { SetPluginLocalDirectory(dir_.dir().c_str()); }
  void TearDown() override {
    FreeDynamicEvents();
    ForgetReportedOrphanEvents();
    ClearHostCallbacks();
    if (plugin_) plugin_->SetDeviceList(nullptr);
    SetThePlugin(nullptr);
    plugin_.reset();
    SetPluginLocalDirectory("");
  }
  // A profile file in the data directory ("lert0000.amp").
  std::string Profile(const std::string& name, const std::string& description, const std::string& host = "h1") {
    dir_.write("qvm_alrt/datfiles/" + name, "[Profile]\nDescription=" + description +
                                                "\nProfileID=" + std::to_string(700 + profiles_++) +
                                                "\n[Monitor]\nHostName=" + host + "\nMonitorType=PING\n");
    return DataPath(name);
  }
  // Windows form of a data file's path, as the plug-in builds it.
  std::string DataPath(const std::string& name) const { return dir_.dir() + "QVM_ALRT\\DATFILES\\" + name; }
  // Starts the plug-in and hands out a row for every profile.
  void Start() {
    plugin_ = std::make_unique<CAlertPlugin>(nullptr, dir_.dir().c_str());
    plugin_->SetDeviceList(&devices_);
    SetThePlugin(plugin_.get());
    PROFILE* previous = nullptr;
    PROFILE* out = nullptr;
    while (plugin_->FindProfile(nullptr, previous, nullptr, &out) == PLUGIN_DONE) {
      rows_.push_back(out);
      previous = out;
    }
  }

  qvtest::TempDir dir_{"qvreports"};
  FakeDeviceList devices_;
  std::unique_ptr<CAlertPlugin> plugin_;
  std::vector<PROFILE*> rows_;
  int profiles_ = 0;
};
