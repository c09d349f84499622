// Building and writing status-log entries.
#include "status_log.h"

#include <cstdio>
#include <cstring>

#include "clock_text.h"
#include "qv_logstat.h"
#include "qvplatform.h"

namespace {

// The machine's own host name as the sockets library reports it; empty when
// it cannot be had.
std::string ComputerName() {
  char name[257] = "";
  WSADATA sockets{};
  const bool started = WSAStartup(MAKEWORD(2, 2), &sockets) == 0;
  if (!started || gethostname(name, 256) != 0) name[0] = '\0';
  name[256] = '\0';
  if (started) WSACleanup();
  return name;
}

std::string Unsigned(uint32_t value) { return std::to_string(value); }

}  // namespace

StatusLog::StatusLog(std::string path, std::string userName)
    : m_path(std::move(path)), m_userName(std::move(userName)), m_computer(ComputerName()) {}

std::string StatusLog::StatusField(const StatusLogSubject& device) const {
  return Unsigned(static_cast<uint32_t>(device.statusCode)) + " " + device.statusText;
}

void StatusLog::Write(const std::vector<Field>& fields) const {
  std::vector<QVLS_FIELD> entry(fields.size());
  for (size_t n = 0; n < fields.size(); ++n) {
    entry[n].type = fields[n].type;
    lstrcpynA(entry[n].text, fields[n].text.c_str(), sizeof entry[n].text);
  }
  // A log that cannot be written leaves the engine running.
  QVLS_WriteEntryIntoLogStatusFile(nullptr, entry.data(), static_cast<int>(entry.size()), 0, m_path.c_str(), 0);
}

void StatusLog::Hello() const {
  Write({{kFieldComputer, m_computer}, {kFieldEvent, "HELLO"}, {kFieldUser, m_userName}});
}

void StatusLog::Goodbye() const {
  Write({{kFieldComputer, m_computer}, {kFieldEvent, "GOODBYE"}, {kFieldUser, m_userName}});
}

void StatusLog::InitProfile(const StatusLogSubject& device, bool up) const {
  Write({{kFieldComputer, m_computer},
         {kFieldHost, device.host},
         {kFieldKind, device.kindName},
         {kFieldEvent, "INIT"},
         {kFieldState, up ? "UP" : "DOWN"},
         {kFieldDetail, "PROFILE"},
         {kFieldProfileId, Unsigned(device.profileId)},
         {kFieldStatus, StatusField(device)}});
}

void StatusLog::InitDisabled(const StatusLogSubject& device) const {
  Write({{kFieldComputer, m_computer},
         {kFieldHost, device.host},
         {kFieldKind, device.kindName},
         {kFieldEvent, "INIT"},
         {kFieldState, "DISABLED"},
         {kFieldDetail, "PROFILE"},
         {kFieldProfileId, Unsigned(device.profileId)},
         {kFieldStatus, StatusField(device)}});
}

void StatusLog::InitLogFile(const StatusLogSubject& device, bool up, uint32_t previousId) const {
  Write({{kFieldComputer, m_computer},
         {kFieldHost, device.host},
         {kFieldKind, device.kindName},
         {kFieldEvent, "INIT"},
         {kFieldState, up ? "UP" : "DOWN"},
         {kFieldDetail, "LOGFILE"},
         {kFieldTime, Unsigned(previousId)},
         {kFieldProfileId, Unsigned(device.profileId)},
         {kFieldUser, m_userName},
         {kFieldStatus, StatusField(device)}});
}

void StatusLog::StatusResult(const StatusLogSubject& device, bool up, const char* message) const {
  Write({{kFieldComputer, m_computer},
         {kFieldHost, device.host},
         {kFieldKind, device.kindName},
         {kFieldEvent, "STATUS"},
         {kFieldState, up ? "UP" : "DOWN"},
         {kFieldDetail, device.statusText},
         {kFieldProfileId, Unsigned(device.profileId)},
         {kFieldStatus, StatusField(device)},
         {kFieldMessage, message}});
}

void StatusLog::StatusDisabled(const StatusLogSubject& device, const char* message) const {
  Write({{kFieldComputer, m_computer},
         {kFieldHost, device.host},
         {kFieldKind, device.kindName},
         {kFieldEvent, "STATUS"},
         {kFieldState, "DISABLED"},
         {kFieldProfileId, Unsigned(device.profileId)},
         {kFieldStatus, StatusField(device)},
         {kFieldMessage, message}});
}

void StatusLog::Recovery(const StatusLogSubject& device) const {
  Write({{kFieldComputer, m_computer},
         {kFieldHost, device.host},
         {kFieldKind, device.kindName},
         {kFieldEvent, "RECOVERY"},
         {kFieldRecovery, "Restart NT Service"},
         {kFieldProfileId, Unsigned(device.profileId)},
         {kFieldStatus, StatusField(device)}});
}

void StatusLog::Alert(const StatusLogSubject& device, bool up, const char* message,
                      const std::vector<std::string>& channels, time_t resultChangedTime) const {
  std::vector<Field> fields = {{kFieldComputer, m_computer},
                               {kFieldHost, device.host},
                               {kFieldKind, device.kindName},
                               {kFieldEvent, up ? "UP" : "DOWN"},
                               {kFieldState, message}};
  for (const std::string& channel : channels) fields.push_back({kFieldDetail, channel});
  char date[32];
  CalendarText(resultChangedTime, date);
  date[std::strcspn(date, "\r\n")] = '\0';
  fields.push_back({kFieldTime, Unsigned(static_cast<uint32_t>(resultChangedTime)) + " " + date});
  fields.push_back({kFieldProfileId, Unsigned(device.profileId)});
  fields.push_back({kFieldStatus, StatusField(device)});
  Write(fields);
}
