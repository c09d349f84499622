// Tests only: a device list that records what the plug-in asks of it and
// answers with states the test sets.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "device_list.h"
#include "monitor_profile.h"

class FakeDeviceList : public DeviceList {
 public:
  void AddDevice(CMonitorProfile* profile) override {
    calls.push_back("add");
    devices.push_back(profile);
  }
  bool HoldDevice(CMonitorProfile* profile) override {
    calls.push_back("hold");
    return Has(profile);
  }
  void ReleaseDevice(CMonitorProfile*) override { calls.push_back("release"); }
  void UpdateDevice(CMonitorProfile*) override { calls.push_back("update"); }
  void RemoveDevice(CMonitorProfile* profile) override {
    calls.push_back("remove");
    std::erase(devices, profile);
  }
  void LogDeviceInit(CMonitorProfile*, uint32_t profileId) override {
    calls.push_back("init " + std::to_string(profileId));
  }
  bool GetDeviceStatus(const CMonitorProfile* profile, DeviceStatus* out) override {
    auto at = status.find(profile);
    if (!Has(profile) || at == status.end()) return false;
    *out = at->second;
    return true;
  }
  std::vector<CMonitorProfile*> DeviceProfiles() override { return devices; }
  bool IsAlertingDisabled() override { return alertingDisabled; }
  void StopMonitoring() override { calls.push_back("stop"); }

  bool Has(const CMonitorProfile* profile) const {
    for (const CMonitorProfile* device : devices) {
      if (device == profile) return true;
    }
    return false;
  }

  std::vector<std::string> calls;
  std::vector<CMonitorProfile*> devices;
  std::map<const CMonitorProfile*, DeviceStatus> status;
  bool alertingDisabled = false;
};
