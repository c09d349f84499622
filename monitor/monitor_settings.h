// The [Monitor] part of a monitor profile: what to test, how often, and when
// to alert.
#pragma once

#include <cstdint>

#include "monitor_type.h"

// Units of PollTime and FailTime.
inline constexpr int kTimeUnitSeconds = 0;
inline constexpr int kTimeUnitMinutes = 1;

class CMonitorSettings {
 public:
  static constexpr int kTextSize = 2048;

  // Defaults; with a path, the settings are read from that profile file.
  explicit CMonitorSettings(const char* path = nullptr);
  // Copies everything but the file path.
  CMonitorSettings(const CMonitorSettings& other);
  CMonitorSettings& operator=(const CMonitorSettings&) = delete;

  // Reads [Monitor] of the given file (null: the file last used). False, with
  // nothing read, when there is no file path. Missing or unreadable values read
  // as their defaults; a PollTime or FailTime below 1 becomes one second.
  bool Read(const char* path = nullptr);
  // The same for files of the older format, whose MonitorType is a number.
  bool ReadOld(const char* path = nullptr);
  // Writes [Monitor] in its key order. False when there is no file path or a
  // value could not be written.
  bool Write(const char* path = nullptr);

  const char* GetFilePath() const { return m_filePath; }

  int GetMonitorType() const { return m_kind; }
  void SetMonitorType(int kind) { m_kind = kind; }
  const char* GetMonitorTypeName() const { return MonitorTypeName(m_kind); }
  static int ParseMonitorType(const char* name) { return ParseMonitorTypeName(name); }

  const char* GetHostName() const { return m_hostName; }
  void SetHostName(const char* text);
  const char* GetHostPath() const { return m_hostPath; }
  void SetHostPath(const char* text);
  const char* GetUserName() const { return m_userName; }
  void SetUserName(const char* text);
  const char* GetPassword() const { return m_password; }
  void SetPassword(const char* text);

  int GetPortID() const { return m_portId; }
  void SetPortID(int value) { m_portId = value; }
  int32_t GetLastPollTime() const { return m_lastPollTime; }
  void SetLastPollTime(int32_t value) { m_lastPollTime = value; }
  int GetPollTime() const { return m_pollTime; }
  void SetPollTime(int value) { m_pollTime = value; }
  int GetFailTime() const { return m_failTime; }
  void SetFailTime(int value) { m_failTime = value; }
  int GetPollTimeUnit() const { return m_pollTimeUnit; }
  void SetPollTimeUnit(int value) { m_pollTimeUnit = value; }
  int GetFailTimeUnit() const { return m_failTimeUnit; }
  void SetFailTimeUnit(int value) { m_failTimeUnit = value; }
  bool GetUpAlarm() const { return m_upAlarm; }
  void SetUpAlarm(bool value) { m_upAlarm = value; }
  bool GetDisabled() const { return m_disabled; }
  void SetDisabled(bool value) { m_disabled = value; }

 private:
  bool ReadWith(const char* path, bool oldFormat);

  char m_filePath[kTextSize];
  int m_kind;
  char m_hostName[kTextSize];
  char m_hostPath[kTextSize];
  char m_userName[kTextSize];
  char m_password[kTextSize];  // plain here, scrambled in the file
  int m_portId;
  int32_t m_lastPollTime;
  int m_pollTime;
  int m_failTime;
  int m_pollTimeUnit;
  int m_failTimeUnit;
  bool m_upAlarm;
  bool m_disabled;
};
