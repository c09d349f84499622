// Tests only: the plug-in object in a temporary program directory, with its
// windows made from the test program's copy of the plug-in's resources.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "alert_plugin.h"
#include "plugin_globals.h"
#include "qvplatform/ui_driver.h"
#include "test_files.h"

namespace sheettest {

// The sheet's own buttons.
inline constexpr int kNext = ID_WIZNEXT;
inline constexpr int kBack = ID_WIZBACK;
inline constexpr int kFinish = ID_WIZFINISH;

inline std::string Value(const std::vector<std::string>& lines, const std::string& key) {
  for (const std::string& line : lines) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return "<absent>";
}

class PluginFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPluginInstance(GetModuleHandleA(nullptr));
    SetPluginLocalDirectory(dir_.dir().c_str());
    plugin_ = std::make_unique<CAlertPlugin>(GetModuleHandleA(nullptr), dir_.dir().c_str());
    SetThePlugin(plugin_.get());
  }
  void TearDown() override {
    SetThePlugin(nullptr);
    plugin_.reset();
    SetPluginLocalDirectory("");
  }
  std::vector<std::string> Monitor(const std::string& file = "lert0000.amp") const {
    return qvtest::SectionLines(dir_.read("qvm_alrt/datfiles/" + file), "Monitor");
  }
  std::string Read(const std::string& file, const std::string& section, const std::string& key) const {
    return Value(qvtest::SectionLines(dir_.read("qvm_alrt/datfiles/" + file), section), key);
  }
  // A profile file written as the plug-in writes them, loaded into a fresh plug-in object.
  PROFILE* SavedProfile(int kind, const char* host, int port, const char* description = "Web") {
    CMonitorProfile profile;
    profile.SetDescription(description);
    profile.GetSettings()->SetMonitorType(kind);
    profile.GetSettings()->SetHostName(host);
    profile.GetSettings()->SetPortID(port);
    profile.GetSettings()->SetPollTime(5);
    profile.GetSettings()->SetFailTime(5);
    EXPECT_TRUE(profile.Write(dir_.file("qvm_alrt/datfiles/lert0000.amp").c_str()));
    SetThePlugin(nullptr);
    plugin_ = std::make_unique<CAlertPlugin>(GetModuleHandleA(nullptr), dir_.dir().c_str());
    SetThePlugin(plugin_.get());
    PROFILE* row = nullptr;
    EXPECT_EQ(plugin_->FindProfile(nullptr, nullptr, nullptr, &row), PLUGIN_DONE);
    return row;
  }

  qvtest::TempDir dir_{"qvsheets"};
  std::unique_ptr<CAlertPlugin> plugin_;
};

}  // namespace sheettest
