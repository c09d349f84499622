// What the plug-in's profile operations and exports ask of the monitor
// engine's device list (one device per monitored profile). The engine installs
// itself on the plug-in object (CAlertPlugin::SetDeviceList) when it runs;
// without one no profile has a device and these steps are skipped.
//
// The profile objects stay the plug-in object's: the engine keeps pointers to
// them while they have devices and never deletes them.
#pragma once

#include <cstdint>
#include <vector>

class CMonitorProfile;

// The engine's view of one device, as the main list, the sort and the status
// panel show it.
struct DeviceStatus {
  int statusCode = 3;          // 0 up, 1 initialising or verifying, 2 down, 3 disabled
  char statusText[100] = "";   // "Initializing", "Up", "Down / Verifying", ...
  int32_t stateChangedTime = 0;  // calendar time of the last state change
  uint32_t lastTestTick = 0;   // 0 while the device was never tested
  int32_t nextDueTime = 0;     // calendar time of the next test
};

class DeviceList {
 public:
  virtual ~DeviceList() = default;

  // Adds a device for a new profile.
  virtual void AddDevice(CMonitorProfile* profile) = 0;
  // Waits until the profile's device is free (a running test is cancelled),
  // holds it and forgets its test thread. False when the profile has no device.
  virtual bool HoldDevice(CMonitorProfile* profile) = 0;
  // Frees a device held by HoldDevice.
  virtual void ReleaseDevice(CMonitorProfile* profile) = 0;
  // Takes over a changed profile's settings and frees its held device.
  virtual void UpdateDevice(CMonitorProfile* profile) = 0;
  // Erases the profile's device once it is free and asks the host to refresh.
  virtual void RemoveDevice(CMonitorProfile* profile) = 0;
  // Writes the device's INIT entry of the status log under the given ProfileID.
  virtual void LogDeviceInit(CMonitorProfile* profile, uint32_t profileId) = 0;
  // The device's state; false when the profile has no device.
  virtual bool GetDeviceStatus(const CMonitorProfile* profile, DeviceStatus* out) = 0;
  // The profiles of all devices, in device order.
  virtual std::vector<CMonitorProfile*> DeviceProfiles() = 0;
  // [General] DisableAlertModule in effect.
  virtual bool IsAlertingDisabled() = 0;
  // Stops monitoring and waits for the engine's threads.
  virtual void StopMonitoring() = 0;
};
