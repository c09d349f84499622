// A worker's pass: the scan for the most overdue device, its test and the
// up/down state machine.
#include <algorithm>
#include <cstdio>

#include "alert_plugin.h"
#include "background_report.h"
#include "engine_guard.h"
#include "monitor_engine.h"
#include "monitor_profile.h"
#include "plugin_helpers.h"
#include "status_panel.h"

const char* StatusTextOf(StatusText text) {
  switch (text) {
    case StatusText::kInitializing:
      return "Initializing";
    case StatusText::kDisabled:
      return "Disabled";
    case StatusText::kTesting:
      return "Testing...";
    case StatusText::kUp:
      return "Up";
    case StatusText::kDown:
      return "Down";
    case StatusText::kUpVerifying:
      return "Up / Verifying";
    case StatusText::kDownVerifying:
      return "Down / Verifying";
  }
  return "";
}

void MonitorEngine::SetShown(DeviceState* device, int code, StatusText text) {
  EngineGuard guard(m_mutex);
  device->shown.statusCode = code;
  CopyText(device->shown.statusText, StatusTextOf(text));
}

void MonitorEngine::PublishTimes(DeviceState* device) {
  EngineGuard guard(m_mutex);
  device->shown.stateChangedTime = static_cast<int32_t>(device->stateChangedTime);
  device->shown.nextDueTime = static_cast<int32_t>(device->nextDueTime);
  // Only "never tested" matters to readers; a tested device never shows 0.
  device->shown.lastTestTick = device->lastTestTick == 0 ? 0u : static_cast<uint32_t>(device->lastTestTick) | 1u;
  device->shownState = device->state;
}

void MonitorEngine::ResetDevice(DeviceState* device) {
  device->stateChangedTick = 0;
  device->state = kDeviceUp;
  device->lastTestTick = 0;
  device->lastResult = kDeviceUp;
  device->nextDueTick = 0;
  device->resultChangedTime = 0;
  device->needsInit = 0;
  PublishTimes(device);
}

void MonitorEngine::NotifyPanel(const CMonitorProfile* profile) const {
  // Posted, never sent: a worker holding a device must not wait for the
  // host's thread, which may itself be waiting for the device.
  if (profile == nullptr || StatusPanelProfile() != profile) return;
  HWND panel = StatusPanelWindow();
  if (panel != nullptr) PostMessageA(panel, kShowPanelStatus, 0, 0);
}

bool MonitorEngine::RunPass() {
  const uint64_t now = Tick();
  const time_t nowTime = Now();

  if (m_reportInterval != 0) {
    uint64_t due = m_nextReportTick.load();
    if (due < now && m_nextReportTick.compare_exchange_strong(due, now + uint64_t{m_reportInterval} * 60000)) {
      GenerateBackgroundReport(1, nullptr);
      return true;
    }
  }
  RefreshIfDue(now);

  std::string message = "0 OK";
  // New, edited and released devices first: held by this pass while it looks.
  std::vector<DeviceState*> looked;
  {
    EngineGuard guard(m_mutex);
    looked.reserve(m_lookAt.size());
    for (uint64_t serial : m_lookAt) {
      DeviceState* device = m_devices.at(serial);
      device->attention = false;
      device->busy = kDeviceHeld;
      looked.push_back(device);
    }
    m_lookAt.clear();
  }
  if (!looked.empty()) {
    std::vector<LookResult> results;
    results.reserve(looked.size());
    for (DeviceState* device : looked) results.push_back(LookAtDevice(device, now, message));
    EngineGuard guard(m_mutex);
    for (size_t n = 0; n < looked.size(); ++n) {
      DeviceState* device = looked[n];
      switch (results[n]) {
        case LookResult::kQueue:
          FreeIntoQueue(device);
          break;
        case LookResult::kLookAgain:
          FreeForLook(device);
          break;
        case LookResult::kIdle:
          device->busy = kDeviceFree;
          if (m_lockWaiters > 0) m_deviceFreed.notify_all();
          break;
      }
    }
  }

  // The most overdue device: the front of the queue, when its tick has passed.
  DeviceState* best = nullptr;
  {
    EngineGuard guard(m_mutex);
    if (!m_due.empty() && m_due.begin()->first < now) {
      best = m_devices.at(m_due.begin()->second);
      Unplace(best);
      best->busy = kDeviceTesting;
    }
  }
  if (best == nullptr) return false;
  TestDevice(best, now, nowTime, message);
  return true;
}

MonitorEngine::LookResult MonitorEngine::LookAtDevice(DeviceState* device, uint64_t now, const std::string& message) {
  const bool disabled = ProfileDisabled(device);
  if (device->needsInit == 1) {
    ResetDevice(device);
    if (disabled) {
      SetShown(device, kStatusDisabled, StatusText::kDisabled);
      m_log.InitDisabled(Subject(device));
    } else {
      SetShown(device, kStatusPending, StatusText::kInitializing);
    }
    RequestRefresh();
    // Scheduled by the next pass, like any device not scheduled yet.
    return disabled ? LookResult::kIdle : LookResult::kLookAgain;
  }
  if (disabled) {
    if (device->stateChangedTick != 0) {
      ResetDevice(device);
      m_log.StatusDisabled(Subject(device), message.c_str());
      SetShown(device, kStatusDisabled, StatusText::kDisabled);
      RequestRefresh();
    }
    return LookResult::kIdle;
  }
  if (device->nextDueTick == 0) device->nextDueTick = now + 1000;
  return LookResult::kQueue;
}

void MonitorEngine::TestDevice(DeviceState* device, uint64_t passTick, time_t passTime, std::string& message) {
  // The test's copy of the device, taken while the device is still only ours.
  ProbeTarget target;
  target.kind = device->kind;
  target.host = device->hostName;
  target.port = device->port;
  target.lastResult = device->lastResult;
  if (const CMonitorSettings* settings = device->profile->GetSettings()) {
    target.userName = settings->GetUserName();
    target.password = settings->GetPassword();
    target.hostPath = settings->GetHostPath();
  }
  CMonitorProfile* const profile = device->profile;

  ProbeStop stop;
  TestClaim claim;
  claim.stop = &stop;
  const uint64_t start = Tick();
  {
    EngineGuard guard(m_mutex);
    claim.previousCode = device->shown.statusCode;
    CopyText(claim.previousText, device->shown.statusText);
    CopyText(device->shown.statusText, StatusTextOf(StatusText::kTesting));
    device->claim = &claim;
    // A test claimed while monitoring stops ends at once.
    if (m_stopping.load()) stop.Request();
    // A thread waiting to take the device may cancel the test from here on.
    if (m_lockWaiters > 0) m_deviceFreed.notify_all();
  }
  NotifyPanel(profile);

  ProbeOptions options;
  options.maxConnectTimeMs = m_maxConnectMs;
  options.stop = &stop;
  int result = kDeviceDown;
  try {
    result = m_probe && m_probe(target, message, options) == kDeviceUp ? kDeviceUp : kDeviceDown;
  } catch (...) {
    message = "5 Test failed";
  }

  {
    EngineGuard guard(m_mutex);
    if (claim.cancelled) return;  // the canceller owns the device now
    device->claim = nullptr;
    if (stop.Requested()) {
      // Monitoring stops: a test cut short says nothing about the device.
      device->shown.statusCode = claim.previousCode;
      CopyText(device->shown.statusText, claim.previousText);
      FreeForLook(device);
      return;
    }
  }

  device->lastTestDuration = static_cast<uint32_t>(Tick() - start);
  if (device->resultChangedTime == 0) device->resultChangedTime = Now();
  if (device->stateChangedTick != 0 && device->lastResult != result) {
    device->resultChangedTime = Now();
    m_log.StatusResult(Subject(device), result == kDeviceUp, message.c_str());
    RequestRefresh();
  }

  bool restarted = false;
  if (device->stateChangedTick != 0) {
    if (device->state == kDeviceUp && result == kDeviceDown) {
      SetShown(device, kStatusPending, StatusText::kDownVerifying);
      if (device->lastResult == kDeviceDown && passTick - device->stateChangedTick > device->failTime) {
        FireAlert(device, kDeviceDown, message.c_str());
        if (device->kind == MONITOR_NT_SERVICE && device->port > 0) {
          RestartService(target, message);
          m_log.Recovery(Subject(device));
          restarted = true;
        }
        RequestRefresh();
        // Readers see the new status with its change time, never without.
        device->state = kDeviceDown;
        device->stateChangedTick = passTick;
        device->stateChangedTime = passTime;
        PublishTimes(device);
        SetShown(device, kStatusDown, StatusText::kDown);
      }
    } else if (device->state == kDeviceDown && result == kDeviceUp) {
      SetShown(device, kStatusPending, StatusText::kUpVerifying);
      FireAlert(device, kDeviceUp, message.c_str());
      RequestRefresh();
      device->state = kDeviceUp;
      device->stateChangedTick = passTick;
      device->stateChangedTime = passTime;
      PublishTimes(device);
      SetShown(device, kStatusUp, StatusText::kUp);
    } else if (device->state == kDeviceDown) {
      SetShown(device, kStatusDown, StatusText::kDown);
    } else if (device->state == kDeviceUp) {
      SetShown(device, kStatusUp, StatusText::kUp);
    } else {
      OutputDebugStringA("Warning: Unknown Device State Encountered!\r\n");
    }
  } else {
    device->state = result;
    // With start-up alerts a device down at start is verified and alerted
    // like any other failure.
    if (m_startupAlerts.load() && result == kDeviceDown) device->state = kDeviceUp;
    device->stateChangedTick = passTick;
    device->stateChangedTime = passTime;
    device->lastTestTick = passTick;
    PublishTimes(device);
    SetShown(device, result == kDeviceUp ? kStatusUp : kStatusPending,
             result == kDeviceUp ? StatusText::kUp : StatusText::kDownVerifying);
    m_log.InitProfile(Subject(device), result == kDeviceUp);
    RequestRefresh();
  }

  uint32_t interval = device->pollInterval;
  if (device->state == kDeviceUp && result == kDeviceDown) {
    interval = std::min(device->pollInterval, device->failTime / 2);
  }
  device->lastTestTick = passTick;
  device->lastTestTime = passTime;
  device->lastResult = result;
  if (restarted) interval = 1000;
  device->nextDueTick = Tick() + interval;
  device->nextDueTime = Now() + static_cast<time_t>(interval / 1000);
  PublishTimes(device);

  {
    EngineGuard guard(m_mutex);
    FreeIntoQueue(device);
  }
  RefreshIfDue(Tick());
  NotifyPanel(profile);
}

void MonitorEngine::FireAlert(DeviceState* device, int up, const char* testMessage) {
  const CMonitorProfile& profile = *device->profile;
  std::vector<std::string> channels;
  try {
    channels = m_dispatch->ChannelFields(profile);
  } catch (...) {
    channels.clear();
  }
  m_log.Alert(Subject(device), up == kDeviceUp, testMessage, channels, device->resultChangedTime);
  const CMonitorSettings* settings = profile.GetSettings();
  if (up == kDeviceUp && (settings == nullptr || !settings->GetUpAlarm())) return;
  AlertFacts facts;
  facts.up = up == kDeviceUp;
  facts.host = device->host;
  facts.kindName = MonitorTypeName(device->kind);
  facts.resultChangedTime = device->resultChangedTime;
  try {
    m_dispatch->Queue(profile, facts);
  } catch (...) {
    // An alert that cannot be queued is lost; its entry is in the log.
  }
}

bool MonitorEngine::RestartService(const ProbeTarget& target, std::string& message) {
  char text[160];
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) {
    std::snprintf(text, sizeof text, "%lu Failed to Open Service Manager\n", static_cast<unsigned long>(GetLastError()));
    message = text;
    return false;
  }
  bool started = false;
  SC_HANDLE service = OpenServiceA(manager, target.hostPath.c_str(), SERVICE_START);
  if (service == nullptr) {
    std::snprintf(text, sizeof text, "%lu Failed to Access Service for Restart\n",
                  static_cast<unsigned long>(GetLastError()));
    message = text;
  } else {
    started = StartServiceA(service, 0, nullptr) != FALSE;
    if (!started) {
      std::snprintf(text, sizeof text, "%lu Failed to Restart Service\n", static_cast<unsigned long>(GetLastError()));
      message = text;
    }
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  return started;
}
