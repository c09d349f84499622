// The service database: what the manager knows about every service, kept in
// one file of the state directory and shared by all processes of the user.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "qvplatform/services.h"

namespace qvp::services {

// A process, told apart from a later one with the same id by its start time.
struct ProcessRef {
  int pid = 0;  // 0: none
  uint64_t start = 0;
  bool operator==(const ProcessRef& o) const { return pid == o.pid && start == o.start; }
};

// This process.
ProcessRef CurrentProcess();
// The process with that id as it is now (pid 0 when there is none, or it is a zombie).
ProcessRef ProcessNow(int pid);
bool IsAlive(const ProcessRef& process);

struct HandleCount {
  ProcessRef process;
  uint32_t count = 0;
};

struct ServiceRecord {
  uint64_t serial = 0;  // tells a service from a later one of the same name
  std::string name;
  std::string display_name;
  DWORD type = SERVICE_WIN32_OWN_PROCESS;
  DWORD start_type = SERVICE_DEMAND_START;
  DWORD error_control = SERVICE_ERROR_NORMAL;
  std::string binary_path;
  std::string load_order_group;
  std::vector<std::string> dependencies;
  std::string account = "LocalSystem";
  std::string password;
  DWORD tag_id = 0;
  bool simulated = false;
  bool marked_for_delete = false;

  // The status; dwServiceType follows `type`.
  DWORD state = SERVICE_STOPPED;
  DWORD controls_accepted = 0;
  DWORD win32_exit_code = 0;
  DWORD service_exit_code = 0;
  DWORD check_point = 0;
  DWORD wait_hint = 0;

  // Simulated steps: a pending state is shown to one status answer, then the
  // service settles into this state (0: it stays as it is).
  DWORD settles_to = 0;

  // A start in progress or a running program: who started it, then the program.
  ProcessRef process;
  std::string token;       // of the start; empty when stopped
  bool connected = false;  // the program's dispatcher has taken over the start
  bool no_process = false; // started through a test's launcher: follows the simulated steps

  // Open handles, per process.
  std::vector<HandleCount> handles;

  SERVICE_STATUS Status() const;
  // The status as one status answer (query, enumeration, control) reports
  // it: a pending state of the simulated steps is shown once and then the
  // service settles. *changed is set when the record changed.
  SERVICE_STATUS Answer(bool* changed);
  // The simulated steps: show `pending` once, then settle into `settled`.
  void BeginSteps(DWORD pending, DWORD settled);
  // Stopped, with nothing left of the program.
  void MarkStopped(DWORD exit_code);
  bool FollowsSimulatedSteps() const { return simulated || no_process; }
};

struct Database {
  uint64_t next_serial = 1;
  std::vector<ServiceRecord> services;

  // Names and display names compared without regard to case.
  ServiceRecord* Find(std::string_view name);
  ServiceRecord* FindByDisplayName(std::string_view display_name);
  ServiceRecord* FindSerial(uint64_t serial);
};

// The file format: "key=value" lines, "[service]" starting each service;
// values escape '%', control characters and bytes above 126 as %HH.
std::string FormatDatabase(const Database& db);
// Unknown keys are skipped; false (with a reason) for a line that is not understood.
bool ParseDatabase(const std::string& text, Database* db, std::string* error);

// What a transaction does with the database: true when it changed it.
using Change = std::function<bool(Database&)>;

// Runs `change` on the current database under the process lock and the file
// lock, and writes the file back when anything changed. Before `change` runs,
// the database is brought up to date with the processes: a program that has
// ended without reporting SERVICE_STOPPED is stopped (ERROR_PROCESS_ABORTED),
// handle counts of ended processes are dropped, and services marked for
// deletion that are stopped and have no handle left are removed; the same
// removal runs after `change`. Returns ERROR_SUCCESS, or the Windows error when
// the database cannot be read or written (then nothing is written).
DWORD Transact(const Change& change);

// The folder of the database, the log files and the control sockets.
std::string ServicesDirectory();

// Settles the database after a change: removes services marked for deletion
// that are stopped and have no open handle. True when any was removed.
bool RemoveDeleted(Database& db);

}  // namespace qvp::services
