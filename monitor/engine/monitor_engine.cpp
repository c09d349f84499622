// The engine's life and the DeviceState operations of the host's thread.
#include "monitor_engine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "alert_plugin.h"
#include "engine_guard.h"
#include "monitor_profile.h"
#include "plugin_globals.h"
#include "plugin_helpers.h"
#include "qv_ui.h"

namespace {

// How long work may wait for the workers that are awake before an idle one
// is woken for it.
constexpr uint64_t kSpareWorkerLagMs = 10;

std::string LocalPath(const CAlertPlugin* plugin, const char* relative) {
  char path[MAX_PATH] = "";
  if (plugin == nullptr ||
      !QVUI_ConstructFullFilename(plugin->GetLocalDirectory(), relative, path, static_cast<DWORD>(sizeof path))) {
    return "";
  }
  return path;
}

std::string UserName() {
  char name[256] = "";
  const DWORD length = GetEnvironmentVariableA("USERNAME", name, sizeof name);
  if (length == 0 || length >= sizeof name) return "";
  return name;
}

int ReadSetting(const char* section, const char* key, const char* fallback, const char* ini) {
  char text[100] = "";
  GetPrivateProfileStringA(section, key, fallback, text, sizeof text, ini);
  return std::atoi(text);
}

void CopyHost(DeviceState* device, const CMonitorSettings* settings) {
  device->hostName = settings != nullptr ? settings->GetHostName() : "";
  CopyText(device->host, device->hostName.c_str());
}

}  // namespace

uint32_t TimeUnitMs(int unit) {
  switch (unit) {
    case 1:
      return 60000;
    case 2:
      return 3600000;
    default:
      return 1000;
  }
}

MonitorEngine::MonitorEngine(CAlertPlugin* plugin)
    : m_plugin(plugin),
      m_inUseFlag(CreateMutexA(nullptr, FALSE, "Quorvane_InUseFlag")),
      m_stopEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_poolEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      m_probe([](const ProbeTarget& target, std::string& message, const ProbeOptions& options) {
        return ProbeDevice(target, message, options);
      }),
      m_tick([] { return static_cast<uint64_t>(GetTickCount64()); }),
      m_now([] { return std::time(nullptr); }),
      m_dispatch(&m_configuredAlerts),
      m_log(LocalPath(plugin, "qvm_alrt\\qvm_alrt.log"), UserName()) {
  if (plugin != nullptr) m_startupAlerts.store(plugin->GetGenerateStartupAlerts());
}

MonitorEngine::~MonitorEngine() {
  StopMonitoring();
  for (auto& [serial, device] : m_devices) delete device;
  m_devices.clear();
  if (m_poolEvent != nullptr) CloseHandle(m_poolEvent);
  if (m_stopEvent != nullptr) CloseHandle(m_stopEvent);
  if (m_inUseFlag != nullptr) CloseHandle(m_inUseFlag);
}

void MonitorEngine::SetProbe(ProbeFunction probe) { m_probe = std::move(probe); }

void MonitorEngine::SetClock(std::function<uint64_t()> tick, std::function<time_t()> now) {
  m_tick = std::move(tick);
  m_now = std::move(now);
}

void MonitorEngine::SetAlertDispatch(AlertDispatch* dispatch) {
  m_dispatch = dispatch != nullptr ? dispatch : &m_configuredAlerts;
}

int MonitorEngine::MaxWorkers() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (GetVersionExA(&version) && version.dwPlatformId != VER_PLATFORM_WIN32_NT) return 25;
  return 100;
}

void MonitorEngine::SetThreadSetting(int workers) {
  m_workerSetting.store(std::clamp(workers, 1, MaxWorkers()));
  // A smaller pool loses its idle workers at once; the supervisor grows it.
  {
    EngineGuard guard(m_mutex);
    m_leaderWake.notify_all();
    m_followerWake.notify_all();
  }
  if (m_poolEvent != nullptr) SetEvent(m_poolEvent);
}

void MonitorEngine::ReadSettings() {
  const char* ini = m_plugin != nullptr ? m_plugin->GetIniPath() : "";
  // A pool of no worker would test nothing; the options page allows 1 to the
  // platform's maximum.
  SetThreadSetting(ReadSetting("General", "Thread", "10", ini));
  m_alertingDisabled.store(ReadSetting("General", "DisableAlertModule", "0", ini) != 0);
  const int seconds = ReadSetting("General", "MaxConnectTime", "20", ini);
  m_maxConnectMs = seconds > 0 ? static_cast<DWORD>(seconds) * 1000u : 20000u;
  char generate[100] = "";
  GetPrivateProfileStringA("AutoReport", "GenerateReport", "0", generate, sizeof generate, ini);
  m_reportInterval = 0;
  if (generate[0] == '1') {
    const int minutes = ReadSetting("AutoReport", "SaveEvery", "1", ini);
    m_reportInterval = minutes > 0 ? static_cast<uint32_t>(minutes) : 0;
    m_nextReportTick.store(Tick() + 5000);
  }
}

void MonitorEngine::Prepare() {
  if (m_prepared) return;
  m_prepared = true;
  ReadSettings();
  m_log.Hello();
  // The profiles are taken here, on the host's thread, which alone changes
  // the plug-in's profile list.
  if (m_plugin != nullptr) {
    for (CMonitorProfile* profile : m_plugin->GetProfiles()) AddDeviceState(profile);
  }
}

bool MonitorEngine::Start() {
  if (m_supervisor != nullptr) return true;
  Prepare();
  OutputDebugStringA("MonitorThread\r\n");
  // The queues hold their alerts while alerting is switched off.
  ::SetAlertingDisabled(m_alertingDisabled.load());
  ::StartAlertQueues();
  m_queuesStarted = true;
  m_running.store(true);
  m_supervisor = CreateThread(nullptr, 0, SupervisorThread, this, 0, nullptr);
  if (m_supervisor == nullptr) m_running.store(false);
  return m_supervisor != nullptr;
}

DWORD WINAPI MonitorEngine::SupervisorThread(LPVOID engine) {
  static_cast<MonitorEngine*>(engine)->Supervise();
  return 0;
}

DWORD WINAPI MonitorEngine::WorkerThread(LPVOID engine) {
  static_cast<MonitorEngine*>(engine)->WorkLoop();
  return 0;
}

void MonitorEngine::Supervise() {
  const HANDLE wakes[2] = {m_stopEvent, m_poolEvent};
  while (m_running.load()) {
    {
      // Workers that left a smaller pool are gone.
      EngineGuard guard(m_mutex);
      std::erase_if(m_workers, [](HANDLE worker) {
        if (WaitForSingleObject(worker, 0) != WAIT_OBJECT_0) return false;
        CloseHandle(worker);
        return true;
      });
    }
    // A larger pool gets new ones.
    while (m_running.load() && m_liveWorkers.load() < m_workerSetting.load()) {
      m_liveWorkers.fetch_add(1);
      HANDLE worker = CreateThread(nullptr, 0, WorkerThread, this, 0, nullptr);
      if (worker == nullptr) {
        m_liveWorkers.fetch_sub(1);
        break;
      }
      EngineGuard guard(m_mutex);
      m_workers.push_back(worker);
    }
    // A worker that could not be started is tried again a second later.
    const DWORD wait = m_liveWorkers.load() < m_workerSetting.load() ? 1000 : INFINITE;
    if (WaitForMultipleObjects(2, wakes, FALSE, wait) == WAIT_OBJECT_0) break;
  }
  std::vector<HANDLE> workers;
  {
    EngineGuard guard(m_mutex);
    workers = m_workers;
  }
  for (HANDLE worker : workers) WaitForSingleObject(worker, INFINITE);
  {
    EngineGuard guard(m_mutex);
    for (HANDLE worker : m_workers) CloseHandle(worker);
    m_workers.clear();
  }
  m_log.Goodbye();
  OutputDebugStringA("~MonitorThread\r\n");
}

void MonitorEngine::WorkLoop() {
  m_awake.fetch_add(1);
  while (m_running.load()) {
    if (!RunPass()) WaitForWork();
    // A pool larger than the setting loses a worker at a time.
    int live = m_liveWorkers.load();
    while (live > m_workerSetting.load()) {
      if (m_liveWorkers.compare_exchange_weak(live, live - 1)) {
        m_awake.fetch_sub(1);
        return;
      }
    }
  }
  m_awake.fetch_sub(1);
  m_liveWorkers.fetch_sub(1);
}

void MonitorEngine::WaitForWork() {
  Lock lock(m_mutex);
  bool leading = false;
  for (;;) {
    // A worker alone takes what falls due at once. Beside workers that are
    // awake it leaves it to them, unless they let it wait kSpareWorkerLagMs:
    // they are all inside long tests, or there is more work than they can do.
    const uint64_t lag = m_awake.load() > 1 ? kSpareWorkerLagMs : 0;
    uint64_t wakeAt = UINT64_MAX;
    bool work = !m_running.load() || PoolTooLarge() || !m_lookAt.empty();
    const uint64_t now = Tick();
    if (!work && !m_due.empty()) {
      // Due once its tick is below the pass's tick. While the work waits for
      // the workers awake, one more is woken every kSpareWorkerLagMs.
      const uint64_t from = lag == 0 ? m_due.begin()->first : std::max(m_due.begin()->first, m_spareWokenTick) + lag;
      if (from < now) {
        work = true;
        if (lag != 0) m_spareWokenTick = now;
      }
      wakeAt = from + 1;
    }
    if (!work && m_reportInterval != 0) {
      const uint64_t report = m_nextReportTick.load();
      if (report + lag < now) work = true;
      wakeAt = std::min(wakeAt, report + lag + 1);
    }
    if (!work && m_refreshPending.load()) {
      const uint64_t refresh = m_refreshDue.load();
      if (refresh + lag < now) work = true;
      wakeAt = std::min(wakeAt, refresh + lag + 1);
    }
    if (work) {
      // The next idle worker takes over the watch of the due times; so does
      // one when a worker woken to keep the watch leaves for work itself.
      if (leading || !m_hasLeader) m_followerWake.notify_one();
      return;
    }
    m_awake.fetch_sub(1);
    if (m_hasLeader && !leading) {
      // The last worker awake falls asleep: the watch that left work to the
      // workers awake keeps it alone now, without the lag.
      if (m_leaderLagged && m_awake.load() == 0) m_leaderWake.notify_one();
      m_followerWake.wait(lock);
    } else {
      m_hasLeader = true;
      leading = true;
      m_leaderLagged = lag != 0 && wakeAt != UINT64_MAX;
      if (wakeAt == UINT64_MAX) {
        m_leaderWake.wait(lock);
      } else {
        m_leaderWake.wait_for(lock, std::chrono::milliseconds(wakeAt - now));
      }
      m_hasLeader = false;
      m_leaderLagged = false;
    }
    m_awake.fetch_add(1);
    m_idleWakeups.fetch_add(1);
  }
}

void MonitorEngine::StopMonitoring() {
  m_stopping.store(true);
  m_running.store(false);
  if (m_stopEvent != nullptr) SetEvent(m_stopEvent);
  {
    // Running tests end early; their results are dropped. Idle workers wake.
    EngineGuard guard(m_mutex);
    for (auto& [serial, device] : m_devices) {
      if (device->claim != nullptr && device->claim->stop != nullptr) device->claim->stop->Request();
    }
    m_leaderWake.notify_all();
    m_followerWake.notify_all();
  }
  if (m_supervisor != nullptr) {
    // A test waiting for a name server is released from its look-up; a test
    // that starts one after the first release is released by the next.
    while (WaitForSingleObject(m_supervisor, 100) == WAIT_TIMEOUT) {
      EngineGuard guard(m_mutex);
      for (HANDLE worker : m_workers) CancelSynchronousIo(worker);
    }
    CloseHandle(m_supervisor);
    m_supervisor = nullptr;
  }
  if (m_queuesStarted) {
    ::StopAlertQueues();
    m_queuesStarted = false;
  }
}

DeviceState* MonitorEngine::FindLocked(const CMonitorProfile* profile) const {
  if (profile == nullptr) return nullptr;
  auto it = m_byProfile.find(profile);
  return it == m_byProfile.end() ? nullptr : it->second;
}

void MonitorEngine::WakeOneWorker() {
  if (m_hasLeader) {
    m_leaderWake.notify_one();
  } else {
    m_followerWake.notify_one();
  }
}

void MonitorEngine::Unplace(DeviceState* device) {
  if (device->queued) {
    m_due.erase({device->dueKey, device->serial});
    device->queued = false;
  }
  if (device->attention) {
    m_lookAt.erase(device->serial);
    device->attention = false;
  }
}

void MonitorEngine::FreeForLook(DeviceState* device) {
  device->busy = kDeviceFree;
  device->heldByEditor = false;
  Unplace(device);
  device->attention = true;
  m_lookAt.insert(device->serial);
  WakeOneWorker();
  if (m_lockWaiters > 0) m_deviceFreed.notify_all();
}

void MonitorEngine::FreeIntoQueue(DeviceState* device) {
  device->busy = kDeviceFree;
  device->heldByEditor = false;
  Unplace(device);
  device->queued = true;
  device->dueKey = device->nextDueTick;
  auto placed = m_due.emplace(device->dueKey, device->serial).first;
  // A new earliest due time moves the waiting worker's wake-up.
  if (placed == m_due.begin()) WakeOneWorker();
  if (m_lockWaiters > 0) m_deviceFreed.notify_all();
}

size_t MonitorEngine::AddDeviceState(CMonitorProfile* profile) {
  auto* device = new DeviceState;
  const CMonitorSettings* settings = profile != nullptr ? profile->GetSettings() : nullptr;
  device->profile = profile;
  if (settings != nullptr) {
    device->pollInterval = static_cast<uint32_t>(settings->GetPollTime()) * TimeUnitMs(settings->GetPollTimeUnit());
    device->failTime = static_cast<uint32_t>(settings->GetFailTime()) * TimeUnitMs(settings->GetFailTimeUnit());
    device->kind = settings->GetMonitorType();
    device->port = settings->GetPortID();
  }
  CopyHost(device, settings);
  const bool disabled = ProfileDisabled(device);
  device->shown.statusCode = disabled ? kStatusDisabled : kStatusPending;
  CopyText(device->shown.statusText, StatusTextOf(disabled ? StatusText::kDisabled : StatusText::kInitializing));
  EngineGuard guard(m_mutex);
  device->serial = m_nextSerial++;
  m_devices.emplace(device->serial, device);
  if (profile != nullptr) m_byProfile.emplace(profile, device);
  FreeForLook(device);
  return m_devices.size() - 1;
}

void MonitorEngine::LockDeviceState(DeviceState* device) {
  Lock lock(m_mutex);
  for (;;) {
    if (device->busy == kDeviceFree) {
      Unplace(device);
      device->busy = kDeviceHeld;
      return;
    }
    if (device->busy == kDeviceTesting && device->claim != nullptr) {
      // The running test's result is dropped; the device is ours from here.
      TestClaim* claim = device->claim;
      claim->cancelled = true;
      if (claim->stop != nullptr) claim->stop->Request();
      device->shown.statusCode = claim->previousCode;
      CopyText(device->shown.statusText, claim->previousText);
      device->claim = nullptr;
      device->busy = kDeviceHeld;
      return;
    }
    // Held by a pass or by another holder: its release wakes us.
    ++m_lockWaiters;
    m_deviceFreed.wait(lock);
    --m_lockWaiters;
  }
}

bool MonitorEngine::AcquireForHost(DeviceState* device) {
  {
    EngineGuard guard(m_mutex);
    if (device->heldByEditor) return false;
  }
  LockDeviceState(device);
  return true;
}

void MonitorEngine::ReleaseLocked(DeviceState* device) { FreeForLook(device); }

void MonitorEngine::Release(DeviceState* device) {
  EngineGuard guard(m_mutex);
  ReleaseLocked(device);
}

bool MonitorEngine::HoldDevice(CMonitorProfile* profile) {
  DeviceState* device;
  {
    EngineGuard guard(m_mutex);
    device = FindLocked(profile);
    if (device == nullptr) return false;
    if (device->heldByEditor) return true;
  }
  LockDeviceState(device);
  EngineGuard guard(m_mutex);
  device->heldByEditor = true;
  return true;
}

void MonitorEngine::ReleaseDevice(CMonitorProfile* profile) {
  EngineGuard guard(m_mutex);
  DeviceState* device = FindLocked(profile);
  // Only a hold of the host's is given back: a device that a worker has
  // claimed since is not the host's to free.
  if (device != nullptr && device->heldByEditor) ReleaseLocked(device);
}

void MonitorEngine::UpdateDeviceState(CMonitorProfile* profile) {
  DeviceState* device;
  {
    EngineGuard guard(m_mutex);
    device = FindLocked(profile);
  }
  if (device == nullptr) return;
  AcquireForHost(device);
  const CMonitorSettings* settings = profile->GetSettings();
  if (settings != nullptr) {
    const bool changed = device->hostName != settings->GetHostName() ||
                         device->port != settings->GetPortID() || device->kind != settings->GetMonitorType();
    CopyHost(device, settings);
    device->port = settings->GetPortID();
    device->kind = settings->GetMonitorType();
    const uint32_t poll = static_cast<uint32_t>(settings->GetPollTime()) * TimeUnitMs(settings->GetPollTimeUnit());
    if (poll != device->pollInterval) {
      device->pollInterval = poll;
      device->nextDueTick = Tick() + 1000;
    }
    device->failTime = static_cast<uint32_t>(settings->GetFailTime()) * TimeUnitMs(settings->GetFailTimeUnit());
    if (changed || device->stateChangedTick == 0) device->needsInit = 1;
  }
  {
    EngineGuard guard(m_mutex);
    if (ProfileDisabled(device)) {
      device->shown.statusCode = kStatusDisabled;
      CopyText(device->shown.statusText, StatusTextOf(StatusText::kDisabled));
    } else if (device->needsInit == 1) {
      device->shown.statusCode = kStatusPending;
      CopyText(device->shown.statusText, StatusTextOf(StatusText::kInitializing));
    }
    ReleaseLocked(device);
  }
  AskHostToRefresh();
}

void MonitorEngine::RemoveDeviceState(CMonitorProfile* profile) {
  DeviceState* device;
  {
    EngineGuard guard(m_mutex);
    device = FindLocked(profile);
  }
  if (device == nullptr) return;
  AcquireForHost(device);
  {
    EngineGuard guard(m_mutex);
    Unplace(device);
    m_devices.erase(device->serial);
    m_byProfile.erase(device->profile);
  }
  delete device;
  AskHostToRefresh();
}

void MonitorEngine::SetAlertingEnabled(int enable) {
  const bool disabled = m_alertingDisabled.load();
  if ((enable == 1 && disabled) || (enable == 0 && !disabled)) {
    // Every device is taken first, so that no pass sees the switch half done.
    std::vector<DeviceState*> devices;
    {
      EngineGuard guard(m_mutex);
      devices.reserve(m_devices.size());
      for (auto& [serial, device] : m_devices) devices.push_back(device);
    }
    std::vector<bool> taken;
    taken.reserve(devices.size());
    for (DeviceState* device : devices) taken.push_back(AcquireForHost(device));
    m_alertingDisabled.store(enable == 0);
    ::SetAlertingDisabled(enable == 0);
    EngineGuard guard(m_mutex);
    for (size_t n = 0; n < devices.size(); ++n) {
      DeviceState* device = devices[n];
      if (enable == 0 || ProfileDisabled(device)) {
        device->shown.statusCode = kStatusDisabled;
        CopyText(device->shown.statusText, StatusTextOf(StatusText::kDisabled));
      } else {
        device->shown.statusCode = kStatusPending;
        CopyText(device->shown.statusText, StatusTextOf(StatusText::kInitializing));
        device->needsInit = 1;
      }
      if (taken[n]) FreeForLook(device);
    }
  }
  AskHostToRefresh();
}

bool MonitorEngine::GetDeviceStatus(const CMonitorProfile* profile, DeviceStatus* out) {
  EngineGuard guard(m_mutex);
  const DeviceState* device = FindLocked(profile);
  if (device == nullptr || out == nullptr) return false;
  *out = device->shown;
  return true;
}

std::vector<CMonitorProfile*> MonitorEngine::DeviceProfiles() {
  std::vector<CMonitorProfile*> profiles;
  EngineGuard guard(m_mutex);
  profiles.reserve(m_devices.size());
  for (const auto& [serial, device] : m_devices) profiles.push_back(device->profile);
  return profiles;
}

StatusLogSubject MonitorEngine::Subject(const DeviceState* device) const {
  StatusLogSubject subject;
  subject.host = device->host;
  subject.kindName = MonitorTypeName(device->kind);
  subject.profileId = device->profile != nullptr ? device->profile->GetProfileID() : 0;
  subject.statusCode = device->shown.statusCode;
  subject.statusText = device->shown.statusText;
  return subject;
}

void MonitorEngine::RestartStatusLog() {
  m_log.Hello();
  for (CMonitorProfile* profile : DeviceProfiles()) LogDeviceInitEntry(profile, 0);
}

void MonitorEngine::LogDeviceInitEntry(CMonitorProfile* profile, uint32_t previousProfileId) {
  // Host and kind change only on this thread; state and status are read as
  // last published.
  char host[100];
  DeviceStatus shown;
  int kind;
  bool up;
  {
    EngineGuard guard(m_mutex);
    const DeviceState* device = FindLocked(profile);
    if (device == nullptr) return;
    CopyText(host, device->host);
    shown = device->shown;
    kind = device->kind;
    up = device->shownState != kDeviceDown;
  }
  StatusLogSubject subject;
  subject.host = host;
  subject.kindName = MonitorTypeName(kind);
  subject.profileId = profile->GetProfileID();
  subject.statusCode = shown.statusCode;
  subject.statusText = shown.statusText;
  m_log.InitLogFile(subject, up, previousProfileId);
}

bool MonitorEngine::ProfileDisabled(const DeviceState* device) const {
  if (m_alertingDisabled.load()) return true;
  const CMonitorSettings* settings = device->profile != nullptr ? device->profile->GetSettings() : nullptr;
  return settings == nullptr || settings->GetDisabled();
}

void MonitorEngine::AskHostToRefresh() const {
  auto refresh = reinterpret_cast<PFN_HostRequestRefresh>(HostCallback(HC_REQUEST_REFRESH));
  if (refresh != nullptr) refresh(1, 0, 0);
}

void MonitorEngine::RequestRefresh() {
  // The worker that watches the due times also watches the refresh's.
  if (!m_refreshPending.exchange(true)) {
    EngineGuard guard(m_mutex);
    if (m_hasLeader) m_leaderWake.notify_one();
  }
}

void MonitorEngine::RefreshIfDue(uint64_t now) {
  if (!m_refreshPending.load() || m_refreshDue.load() >= now) return;
  // One worker makes the request; a lost or doubled one is harmless.
  if (!m_refreshPending.exchange(false)) return;
  m_refreshDue.store(now + 1000);
  AskHostToRefresh();
}
