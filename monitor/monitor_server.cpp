// The profile-directory watcher.
#include "monitor_server.h"

#include <algorithm>
#include <ctime>
#include <string>

#include "monitor_profile.h"
#include "plugin_helpers.h"
#include "profile_registry.h"

namespace {

int64_t UnitSeconds(int unit) {
  switch (unit) {
    case 1: return 60;
    case 2: return 3600;
    case 3: return 86400;
    default: return 1;
  }
}

}  // namespace

CMonitorServer::CMonitorServer(const char* directory)
    : m_updateEvent(nullptr),
      m_stopEvent(nullptr),
      m_thread(nullptr),
      m_threadId(0),
      m_directory{},
      m_pattern{} {
  CopyText(m_directory, directory);
  CopyText(m_pattern, "lert*.amp");
  Reload();
  m_updateEvent = CreateEventA(nullptr, TRUE, FALSE, kMonitorServerUpdateEvent);
  m_stopEvent = CreateEventA(nullptr, FALSE, FALSE, kMonitorServerStopEvent);
  // Without both events the thread could neither wait nor be stopped.
  if (IsValidHandle(m_updateEvent) && IsValidHandle(m_stopEvent)) {
    m_thread = CreateThread(nullptr, 0, ThreadMain, this, 0, &m_threadId);
  }
}

CMonitorServer::~CMonitorServer() {
  if (m_thread != nullptr) {
    SetEvent(m_stopEvent);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
  }
  if (IsValidHandle(m_updateEvent)) CloseHandle(m_updateEvent);
  if (IsValidHandle(m_stopEvent)) CloseHandle(m_stopEvent);
  ReleaseProfiles();
}

void CMonitorServer::ReleaseProfiles() {
  std::lock_guard<std::mutex> hold(m_lock);
  for (CMonitorProfile* profile : m_profiles) delete profile;
  m_profiles.clear();
}

void CMonitorServer::Reload() {
  std::vector<CMonitorProfile*> fresh;
  if (m_directory[0] != '\0') {
    const std::string directory = m_directory;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\" + m_pattern).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        auto* profile = new CMonitorProfile((directory + "\\" + found.cFileName).c_str());
        profile_registry::SetHeld(profile, true);
        fresh.push_back(profile);
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
  }
  ReleaseProfiles();
  std::lock_guard<std::mutex> hold(m_lock);
  m_profiles = std::move(fresh);
}

std::vector<int32_t> CMonitorServer::PollTimes() const {
  std::lock_guard<std::mutex> hold(m_lock);
  std::vector<int32_t> times;
  for (const CMonitorProfile* profile : m_profiles) times.push_back(profile->GetSettings()->GetLastPollTime());
  return times;
}

DWORD WINAPI CMonitorServer::ThreadMain(LPVOID self) {
  static_cast<CMonitorServer*>(self)->Run();
  return 0;
}

void CMonitorServer::Run() {
  DWORD timeout = 0;
  for (;;) {
    const HANDLE events[2] = {m_stopEvent, m_updateEvent};
    const DWORD woke = WaitForMultipleObjects(2, events, FALSE, timeout);
    if (woke == WAIT_OBJECT_0) return;
    if (woke == WAIT_OBJECT_0 + 1) {
      ResetEvent(m_updateEvent);  // one reload per request, not one per pass
      Reload();
    }
    timeout = NextTimeout();
  }
}

DWORD CMonitorServer::NextTimeout() {
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  int64_t soonest = -1;
  std::lock_guard<std::mutex> hold(m_lock);
  for (CMonitorProfile* profile : m_profiles) {
    CMonitorSettings* settings = profile->GetSettings();
    const int64_t interval = static_cast<int64_t>(settings->GetPollTime()) * UnitSeconds(settings->GetPollTimeUnit());
    int64_t due = static_cast<int64_t>(settings->GetLastPollTime()) + interval;
    if (due <= now) {
      settings->SetLastPollTime(static_cast<int32_t>(now));
      due = now + interval;  // the next poll of a profile just marked
    }
    const int64_t remaining = std::max<int64_t>(due - now, 0) * 1000;
    if (soonest < 0 || remaining < soonest) soonest = remaining;
  }
  if (soonest < 0) return INFINITE;
  return static_cast<DWORD>(std::min<int64_t>(soonest, static_cast<int64_t>(INFINITE) - 1));
}
