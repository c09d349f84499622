// The monitor engine: one DeviceState per monitored profile, a supervisor
// thread that keeps a pool of workers, the scan for the most overdue device,
// the up/down state machine, the status log and the raising of alerts.
//
// Ownership of a device is decided under the engine's lock: the thread that
// set a device's busy value owns every owner field of it until it clears busy. A test runs on a copy of the
// device's settings; a thread that takes the device during a test
// (LockDeviceState) owns it at once, and the worker, when its test returns,
// leaves the device alone. The device list itself changes only under the lock,
// and a device is erased only while its eraser owns it.
//
// Threads: the host's thread calls the DeviceState operations and the
// DeviceList functions (one at a time); workers and the supervisor run inside.
//
// Scheduling: a free device waits either in the due queue, ordered by its due
// tick and then by list order (its serial), or among the devices a pass looks
// at first (new, edited, released, re-initialised ones), or nowhere while it
// is disabled. A pass takes the most overdue device from the front of the
// queue; every change of a device is O(log n), and no pass walks all devices.
// Idle workers sleep: one of them (the leader) until the earliest due time,
// the others until there is work for them; a stop wakes everyone.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
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

  // The options page's changes: the number of workers (1 to MaxWorkers(); the
  // pool grows or shrinks at once) and whether a device down at its first
  // test is verified and alerted.
  void SetThreadSetting(int workers);
  void SetStartupAlerts(bool enabled) { m_startupAlerts.store(enabled); }
  // The options page's background report: every `intervalMinutes` from five
  // seconds on; 0 stops it.
  void SetBackgroundReport(uint32_t intervalMinutes);

  const StatusLog& statusLog() const { return m_log; }
  int workerSetting() const { return m_workerSetting.load(); }
  int liveWorkers() const { return m_liveWorkers.load(); }
  uint32_t reportIntervalMinutes() const { return m_reportInterval; }
  // Tests: how often an idle worker has woken from its wait.
  uint64_t idleWakeups() const { return m_idleWakeups.load(); }

  // The most workers [General] Thread may ask for: 100 on Windows NT, 25 on
  // the other platforms.
  static int MaxWorkers();

 private:
  using Lock = std::unique_lock<std::mutex>;

  static DWORD WINAPI SupervisorThread(LPVOID engine);
  static DWORD WINAPI WorkerThread(LPVOID engine);
  void Supervise();
  void WorkLoop();
  // Sleeps until a device falls due, a report or a refresh is due, a device
  // wants a look, the pool shrinks or monitoring stops.
  void WaitForWork();
  bool PoolTooLarge() const { return m_liveWorkers.load() > m_workerSetting.load(); }

  void ReadSettings();
  DeviceState* FindLocked(const CMonitorProfile* profile) const;
  // LockDeviceState unless the host's thread holds the device already; true
  // when the caller must release it.
  bool AcquireForHost(DeviceState* device);
  // With the lock held: takes a free device out of the queue and the
  // looked-at set; frees a device into the set of devices the next pass looks
  // at, or into the due queue.
  void Unplace(DeviceState* device);
  void FreeForLook(DeviceState* device);
  void FreeIntoQueue(DeviceState* device);
  void WakeOneWorker();
  void ReleaseLocked(DeviceState* device);
  void Release(DeviceState* device);

  // A pass's look at a device that was new, edited or released; the device is
  // held by the pass. True when it is to be queued, false when it wants
  // another look (it was re-initialised) or stays out (disabled).
  enum class LookResult { kQueue, kLookAgain, kIdle };
  LookResult LookAtDevice(DeviceState* device, uint64_t now, const std::string& message);
  void TestDevice(DeviceState* device, uint64_t passTick, time_t passTime, std::string& message);
  void ResetDevice(DeviceState* device);
  bool ProfileDisabled(const DeviceState* device) const;
  void SetShown(DeviceState* device, int code, StatusText text);
  void PublishTimes(DeviceState* device);
  StatusLogSubject Subject(const DeviceState* device) const;
  bool RestartService(const ProbeTarget& target, std::string& message);

  void RequestRefresh();
  void RefreshIfDue(uint64_t now);
  void AskHostToRefresh() const;
  void NotifyPanel(const CMonitorProfile* profile) const;

  uint64_t Tick() const { return m_tick(); }
  time_t Now() const { return m_now(); }

  CAlertPlugin* m_plugin;
  HANDLE m_inUseFlag;   // the named "Quorvane_InUseFlag"; the devices are guarded by m_mutex
  HANDLE m_stopEvent;   // set by StopMonitoring
  HANDLE m_poolEvent;   // the worker setting changed
  HANDLE m_supervisor = nullptr;

  mutable std::mutex m_mutex;  // the engine's lock
  // Guarded by m_mutex.
  std::map<uint64_t, DeviceState*> m_devices;                      // by serial: list order
  std::unordered_map<const CMonitorProfile*, DeviceState*> m_byProfile;
  std::set<std::pair<uint64_t, uint64_t>> m_due;                   // (due tick, serial) of queued devices
  std::set<uint64_t> m_lookAt;                                     // serials of devices the next pass looks at
  uint64_t m_nextSerial = 1;
  std::vector<HANDLE> m_workers;  // the workers' threads, joined by the supervisor
  bool m_hasLeader = false;   // an idle worker waits for the earliest due time
  bool m_leaderLagged = false;  // ... and leaves it to the workers awake for a while
  uint64_t m_spareWokenTick = 0;  // when an idle worker last left to help the workers awake
  int m_lockWaiters = 0;      // threads in LockDeviceState waiting for a device
  std::condition_variable m_leaderWake;
  std::condition_variable m_followerWake;
  std::condition_variable m_deviceFreed;

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
  std::atomic<int> m_awake{0};  // workers not asleep in WaitForWork
  std::atomic<uint64_t> m_idleWakeups{0};
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
