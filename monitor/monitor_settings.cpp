// Reading and writing the [Monitor] section of a profile file.
#include "monitor_settings.h"

#include <ctime>

#include "plugin_helpers.h"
#include "qv_ui.h"
#include "qvplatform.h"

namespace {

constexpr char kSection[] = "Monitor";
// The stored password form fits this many characters, as everywhere in the plug-in.
constexpr int kStoredPasswordSize = 165;

int32_t Now() { return static_cast<int32_t>(std::time(nullptr)); }

// A poll or failure time below 1 (a hand-edited file) would make the engine
// test without pause or alert at once: it becomes one second.
void ClampTime(int* value, int* unit) {
  if (*value < 1) {
    *value = 1;
    *unit = kTimeUnitSeconds;
  }
}

}  // namespace

CMonitorSettings::CMonitorSettings(const char* path)
    : m_filePath{},
      m_kind(MONITOR_TYPE_DEFAULT),
      m_hostName{},
      m_hostPath{},
      m_userName{},
      m_password{},
      m_portId(0),
      m_lastPollTime(Now()),
      m_pollTime(1),
      m_failTime(1),
      m_pollTimeUnit(kTimeUnitMinutes),
      m_failTimeUnit(kTimeUnitMinutes),
      m_upAlarm(true),
      m_disabled(false) {
  if (path != nullptr) Read(path);
}

CMonitorSettings::CMonitorSettings(const CMonitorSettings& other)
    : m_filePath{},
      m_kind(other.m_kind),
      m_hostName{},
      m_hostPath{},
      m_userName{},
      m_password{},
      m_portId(other.m_portId),
      m_lastPollTime(other.m_lastPollTime),
      m_pollTime(other.m_pollTime),
      m_failTime(other.m_failTime),
      m_pollTimeUnit(other.m_pollTimeUnit),
      m_failTimeUnit(other.m_failTimeUnit),
      m_upAlarm(other.m_upAlarm),
      m_disabled(other.m_disabled) {
  CopyText(m_hostName, other.m_hostName);
  CopyText(m_hostPath, other.m_hostPath);
  CopyText(m_userName, other.m_userName);
  CopyText(m_password, other.m_password);
}

void CMonitorSettings::SetHostName(const char* text) { CopyText(m_hostName, text); }
void CMonitorSettings::SetHostPath(const char* text) { CopyText(m_hostPath, text); }
void CMonitorSettings::SetUserName(const char* text) { CopyText(m_userName, text); }
void CMonitorSettings::SetPassword(const char* text) { CopyText(m_password, text); }

bool CMonitorSettings::Read(const char* path) { return ReadWith(path, false); }

bool CMonitorSettings::ReadOld(const char* path) { return ReadWith(path, true); }

bool CMonitorSettings::ReadWith(const char* path, bool oldFormat) {
  if (path != nullptr) CopyText(m_filePath, path);
  if (m_filePath[0] == '\0') return false;
  const char* file = m_filePath;

  m_upAlarm = ReadProfileInt(kSection, "UpAlarm", 1, file) == 1;
  m_disabled = ReadProfileInt(kSection, "Disabled", 0, file) == 1;
  GetPrivateProfileStringA(kSection, "HostName", "", m_hostName, kTextSize, file);
  GetPrivateProfileStringA(kSection, "UserName", "", m_userName, kTextSize, file);
  char stored[kTextSize];
  GetPrivateProfileStringA(kSection, "Password", "", stored, kTextSize, file);
  QVUI_DecryptPassword(stored, m_password, kStoredPasswordSize);
  GetPrivateProfileStringA(kSection, "HostPath", "", m_hostPath, kTextSize, file);
  if (oldFormat) {
    m_kind = MonitorTypeFromOldNumber(ReadProfileInt(kSection, "MonitorType", 0, file));
  } else {
    char name[64];
    GetPrivateProfileStringA(kSection, "MonitorType", "", name, sizeof name, file);
    m_kind = ParseMonitorTypeName(name);
  }
  m_pollTime = ReadProfileInt(kSection, "PollTime", 5, file);
  m_pollTimeUnit = ReadProfileInt(kSection, "PollTimeUnit", kTimeUnitMinutes, file);
  m_failTime = ReadProfileInt(kSection, "FailTime", 5, file);
  m_failTimeUnit = ReadProfileInt(kSection, "FailTimeUnit", kTimeUnitMinutes, file);
  ClampTime(&m_pollTime, &m_pollTimeUnit);
  ClampTime(&m_failTime, &m_failTimeUnit);
  m_portId = ReadProfileInt(kSection, "PortID", 0, file);
  m_lastPollTime = ReadProfileInt(kSection, "LastPollTime", Now(), file);
  return true;
}

bool CMonitorSettings::Write(const char* path) {
  if (path != nullptr) CopyText(m_filePath, path);
  if (m_filePath[0] == '\0') return false;
  const char* file = m_filePath;

  char stored[kStoredPasswordSize];
  QVUI_EncryptPassword(m_password, stored, sizeof stored);
  bool ok = WriteProfileInt(kSection, "UpAlarm", m_upAlarm ? 1 : 0, file);
  ok = WriteProfileInt(kSection, "Disabled", m_disabled ? 1 : 0, file) && ok;
  ok = WritePrivateProfileStringA(kSection, "HostName", m_hostName, file) && ok;
  ok = WritePrivateProfileStringA(kSection, "UserName", m_userName, file) && ok;
  ok = WritePrivateProfileStringA(kSection, "Password", stored, file) && ok;
  ok = WritePrivateProfileStringA(kSection, "HostPath", m_hostPath, file) && ok;
  ok = WritePrivateProfileStringA(kSection, "MonitorType", MonitorTypeName(m_kind), file) && ok;
  ok = WriteProfileInt(kSection, "PollTime", m_pollTime, file) && ok;
  ok = WriteProfileInt(kSection, "PollTimeUnit", m_pollTimeUnit, file) && ok;
  ok = WriteProfileInt(kSection, "FailTime", m_failTime, file) && ok;
  ok = WriteProfileInt(kSection, "FailTimeUnit", m_failTimeUnit, file) && ok;
  ok = WriteProfileInt(kSection, "PortID", m_portId, file) && ok;
  return ok;
}
