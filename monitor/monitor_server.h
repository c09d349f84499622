// A profile-directory watcher with a thread of its own: it loads every
// "lert*.amp" profile of a directory and keeps, for each, the time of its next
// poll (it tests nothing and writes nothing). The update event makes it load the
// directory again; the stop event ends it. Nothing in the plug-in creates one.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "qvplatform.h"

class CMonitorProfile;

inline constexpr char kMonitorServerUpdateEvent[] = "Quorvane!Monitoring&Alerting!MonitorServer!Update";
inline constexpr char kMonitorServerStopEvent[] = "Quorvane!Monitoring&Alerting!MonitorServer!Stop";

class CMonitorServer {
 public:
  // Loads the profiles of `directory` (null: none), creates both events and
  // starts the thread (not when an event could not be made).
  explicit CMonitorServer(const char* directory);
  // Signals the stop event, waits for the thread and frees the profiles.
  ~CMonitorServer();
  CMonitorServer(const CMonitorServer&) = delete;
  CMonitorServer& operator=(const CMonitorServer&) = delete;

  // Empties the list and loads every profile file matching the pattern.
  void Reload();

  bool IsRunning() const { return m_thread != nullptr; }
  // LastPollTime of every loaded profile, in list order.
  std::vector<int32_t> PollTimes() const;

 private:
  static DWORD WINAPI ThreadMain(LPVOID self);
  void Run();
  // Marks due profiles as polled now; the milliseconds until the next is due.
  DWORD NextTimeout();
  void ReleaseProfiles();

  HANDLE m_updateEvent;  // manual reset
  HANDLE m_stopEvent;    // auto reset
  HANDLE m_thread;
  DWORD m_threadId;
  char m_directory[MAX_PATH];
  char m_pattern[MAX_PATH];
  mutable std::mutex m_lock;  // guards the list between the thread and its readers
  std::vector<CMonitorProfile*> m_profiles;
};
