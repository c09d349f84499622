// The monitor engine: one DeviceState per monitored profile, a supervisor
// thread that keeps a pool of workers, the scan for the most overdue device,
// the up/down state machine, the status log and the raising of alerts.
//
// Ownership of a device is decided under the engine's lock (the named mutex
// "Quorvane_InUseFlag"): the thread that set a device's busy value owns every
// owner field of it until it clears busy. A test runs on a copy of the
// device's settings; a thread that takes the device during a test
// (LockDeviceState) owns it at once, and the worker, when its test returns,
// leaves the device alone. The device list itself changes only under the lock,
// and a device is erased only while its eraser owns it.
//
// Threads: the host's thread calls the DeviceState operations and the
// DeviceList functions (one at a time); workers and the supervisor run inside.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "alert_dispatch.h"
#include "configured_alerts.h"
#include "device_list.h"
#include "device_state.h"
#include "plugin_api.h"
#include "probes/probe.h"
#include "qvplatform.h"
#include "status_log.h"

class CAlertPlugin;

// The test of one device: 1 up, 0 down, with "<code> <text>" in `message`.
using ProbeFunction = std::function<int(const ProbeTarget& target, std::string& message, const ProbeOptions& options)>;

class MonitorEngine : public DeviceList {
 public:
  explicit MonitorEngine(CAlertPlugin* plugin);
  ~MonitorEngine() override;  // stops monitoring first
  MonitorEngine(const MonitorEngine&) = delete;
  MonitorEngine& operator=(const MonitorEngine&) = delete;

  // Seams, set before Prepare or Start: the test of a device (default: the
  // device probes), the tick (ms) and calendar clocks, and where alerts go
  // (not owned; default: each profile's alert configuration and the
  // plug-in's queues).
  void SetProbe(ProbeFunction probe);
  void SetClock(std::function<uint64_t()> tick, std::function<time_t()> now);
  void SetAlertDispatch(AlertDispatch* dispatch);

  // Reads the settings, writes HELLO and adds a device for each of the
  // plug-in's profiles in list order. Start does this (once), starts the
  // alert queues' delivery threads and then the supervisor thread; false when
  // no thread could be started.
  void Prepare();
  bool Start();
  // One pass of a worker: the AutoReport check, the scan and the test of the
  // most overdue device. True when a device was tested or a report started.
  bool RunPass();

  // DeviceState operations.
  size_t AddDeviceState(CMonitorProfile* profile);
  void UpdateDeviceState(CMonitorProfile* profile);
  void RemoveDeviceState(CMonitorProfile* profile);
  void LockDeviceState(DeviceState* device);
  void SetAlertingEnabled(int enable);
  void RestartStatusLog();
  void LogDeviceInitEntry(CMonitorProfile* profile, uint32_t previousProfileId);
  // Writes the alert entry and queues the alerts (the caller owns `device`).
  void FireAlert(DeviceState* device, int up, const char* testMessage);

  // DeviceList.
  void AddDevice(CMonitorProfile* profile) override { AddDeviceState(profile); }
  bool HoldDevice(CMonitorProfile* profile) override;
  void ReleaseDevice(CMonitorProfile* profile) override;
  void UpdateDevice(CMonitorProfile* profile) override { UpdateDeviceState(profile); }
  void RemoveDevice(CMonitorProfile* profile) override { RemoveDeviceState(profile); }
  void LogDeviceInit(CMonitorProfile* profile, uint32_t profileId) override { LogDeviceInitEntry(profile, profileId); }
  bool GetDeviceStatus(const CMonitorProfile* profile, DeviceStatus* out) override;
  std::vector<CMonitorProfile*> DeviceProfiles() override;
  bool IsAlertingDisabled() override { return m_alertingDisabled.load(); }
  // Ends every test early, joins the supervisor and every worker (the
  // supervisor writes GOODBYE last). Safe to call more than once.
  void StopMonitoring() override;

  // The options page's changes: the number of workers (1 to 64; the pool
  // grows or shrinks within about a second) and whether a device down at its
  // first test is verified and alerted.
  void SetThreadSetting(int workers);
  void SetStartupAlerts(bool enabled) { m_startupAlerts.store(enabled); }
  // The options page's background report: every `intervalMinutes` from five
  // seconds on; 0 stops it.
  void SetBackgroundReport(uint32_t intervalMinutes);

  const StatusLog& statusLog() const { return m_log; }
  int workerSetting() const { return m_workerSetting.load(); }
  int liveWorkers() const { return m_liveWorkers.load(); }
  uint32_t reportIntervalMinutes() const { return m_reportInterval; }

 private:
  static DWORD WINAPI SupervisorThread(LPVOID engine);
  static DWORD WINAPI WorkerThread(LPVOID engine);
  void Supervise();
  void WorkLoop();
  bool WaitForStop(DWORD ms);

  void ReadSettings();
  DeviceState* FindLocked(const CMonitorProfile* profile) const;
  // LockDeviceState unless the host's thread holds the device already; true
  // when the caller must release it.
  bool AcquireForHost(DeviceState* device);
  void ReleaseLocked(DeviceState* device);
  void Release(DeviceState* device);

  void ScanDevice(DeviceState* device, uint64_t now, const std::string& message, uint64_t* bestSerial,
                  uint64_t* bestDue);
  void TestDevice(DeviceState* device, uint64_t passTick, time_t passTime, std::string& message);
  void ResetDevice(DeviceState* device);
  bool ProfileDisabled(const DeviceState* device) const;
  void SetShown(DeviceState* device, int code, const char* text);
  void PublishTimes(DeviceState* device);
  StatusLogSubject Subject(const DeviceState* device) const;
  bool RestartService(const ProbeTarget& target, std::string& message);

  void RequestRefresh() { m_refreshPending.store(true); }
  void RefreshIfDue(uint64_t now);
  void AskHostToRefresh() const;
  void NotifyPanel(const CMonitorProfile* profile) const;

  uint64_t Tick() const { return m_tick(); }
  time_t Now() const { return m_now(); }

  CAlertPlugin* m_plugin;
  HANDLE m_lock;       // "Quorvane_InUseFlag"
  HANDLE m_stopEvent;  // set by StopMonitoring; every wait of the engine's threads ends on it
  HANDLE m_supervisor = nullptr;
  std::vector<DeviceState*> m_devices;  // guarded by m_lock
  uint64_t m_nextSerial = 1;            // guarded by m_lock

  ProbeFunction m_probe;
  std::function<uint64_t()> m_tick;
  std::function<time_t()> m_now;
  ConfiguredAlertDispatch m_configuredAlerts;
  AlertDispatch* m_dispatch;

  StatusLog m_log;
  bool m_prepared = false;
  bool m_queuesStarted = false;
  std::atomic<bool> m_running{false};
  std::atomic<bool> m_stopping{false};  // set once by StopMonitoring
  std::atomic<bool> m_alertingDisabled{false};
  std::atomic<bool> m_refreshPending{false};
  std::atomic<uint64_t> m_refreshDue{0};
  std::atomic<uint64_t> m_nextReportTick{0};
  std::atomic<int> m_workerSetting{10};
  std::atomic<int> m_liveWorkers{0};
  DWORD m_maxConnectMs = 20000;
  std::atomic<uint32_t> m_reportInterval{0};  // written by the options page, read by the workers
  std::atomic<bool> m_startupAlerts{true};
};

// The main list's texts of a row (plug-in function 29), written into `out`
// (at most size - 1 characters and a terminator): with a null row the column
// titles and 0; a row whose profile has no device: description, kind, host,
// "n/a", "n/a" and 1; otherwise description, kind, host, the status text and
// the time of the last state change (empty before the first test), and the
// status code.
int FormatMainListText(const CAlertPlugin* plugin, DeviceList* devices, const PROFILE* row, char* out, int size);
