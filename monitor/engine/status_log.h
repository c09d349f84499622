// The entries the monitor engine writes into the status log: each entry's
// fields, in their order, handed whole to the status log library.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// Field types of status-log entries.
enum StatusLogFieldType : int {
  kFieldComputer = 1,
  kFieldHost = 2,
  kFieldKind = 3,
  kFieldEvent = 4,
  kFieldState = 5,
  kFieldDetail = 6,
  kFieldTime = 7,
  kFieldProfileId = 8,
  kFieldUser = 9,
  kFieldStatus = 10,
  kFieldMessage = 11,
  kFieldRecovery = 12,
};

// What an entry tells of a device.
struct StatusLogSubject {
  const char* host = "";
  const char* kindName = "";
  uint32_t profileId = 0;
  int statusCode = 0;
  const char* statusText = "";
};

class StatusLog {
 public:
  // `path` is the log file; `userName` goes into HELLO, GOODBYE and INIT (log
  // file) entries. The computer's name is taken once here.
  StatusLog(std::string path, std::string userName);

  const std::string& path() const { return m_path; }

  void Hello() const;
  void Goodbye() const;
  // First test after (re)initialisation: the result.
  void InitProfile(const StatusLogSubject& device, bool up) const;
  // Re-initialisation of a disabled device.
  void InitDisabled(const StatusLogSubject& device) const;
  // A fresh start of the log or of the profile's history: the state, under
  // the profile's current id, naming the id it had before.
  void InitLogFile(const StatusLogSubject& device, bool up, uint32_t previousId) const;
  // A changed raw result.
  void StatusResult(const StatusLogSubject& device, bool up, const char* message) const;
  // An initialised device that became disabled (status before the change).
  void StatusDisabled(const StatusLogSubject& device, const char* message) const;
  // After an attempt to restart an NT service.
  void Recovery(const StatusLogSubject& device) const;
  // An alert: the message, one detail field per enabled channel, and the time
  // of the result change.
  void Alert(const StatusLogSubject& device, bool up, const char* message, const std::vector<std::string>& channels,
             time_t resultChangedTime) const;

 private:
  struct Field {
    int type;
    std::string text;
  };
  void Write(const std::vector<Field>& fields) const;
  std::string StatusField(const StatusLogSubject& device) const;

  std::string m_path;
  std::string m_userName;
  std::string m_computer;
};
