// StartServiceA and ControlService.
#include <fcntl.h>
#include <poll.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "files/win_error.h"
#include "kernel/environment.h"
#include "services/control_channel.h"
#include "services/sc_handles.h"
#include "shell/child_process.h"
#include "shell/command_line.h"
#include "shell/launcher.h"
#include "shell/program_search.h"

namespace qvp::services {
namespace {

constexpr int kStartTimeoutMs = 30000;
constexpr int kControlTimeoutMs = 30000;

std::string NewToken() {
  unsigned char bytes[16] = {};
  size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  // Without randomness the process and time still make the start unique.
  if (got < sizeof bytes) {
    const uint64_t mix = (static_cast<uint64_t>(getpid()) << 32) ^ static_cast<uint64_t>(time(nullptr));
    std::memcpy(bytes, &mix, sizeof mix);
  }
  static const char kHex[] = "0123456789abcdef";
  std::string token;
  for (unsigned char b : bytes) {
    token += kHex[b >> 4];
    token += kHex[b & 0xf];
  }
  return token;
}

// Ends a start that did not come about, unless something else took the
// service over meanwhile.
void AbandonStart(uint64_t serial, const std::string& token, DWORD error) {
  Transact([&](Database& db) {
    ServiceRecord* record = db.FindSerial(serial);
    if (record == nullptr || record->token != token) return false;
    record->MarkStopped(error);
    return true;
  });
}

std::vector<std::string> ProgramEnvironment() {
  std::vector<std::string> env;
  for (std::string& entry : EnvironmentEntries()) {
    if (entry.rfind("QV_STATE_DIR=", 0) != 0) env.push_back(std::move(entry));
  }
  env.push_back("QV_STATE_DIR=" + StateDirectory());
  return env;
}

// Starts the program of a real service whose record now holds the start.
BOOL StartProgram(uint64_t serial, const std::string& name, const std::string& binary_path, const std::string& token,
                  const std::vector<std::string>& args) {
  shell::CommandLineProgram program = shell::FindCommandLineProgram(binary_path);
  if (!program.found.ok()) {
    AbandonStart(serial, token, program.found.error);
    return FailWith(program.found.error);
  }
  ProcessLaunch launch;
  launch.program = program.found.path;
  launch.argv.push_back(program.found.path);
  for (std::string& word : shell::SplitArguments(program.rest)) launch.argv.push_back(std::move(word));
  launch.argv.push_back("--qv-service=" + name);
  launch.argv.push_back("--qv-service-token=" + token);
  for (const std::string& arg : args) launch.argv.push_back("--qv-service-arg=" + arg);
  launch.environment = ProgramEnvironment();
  launch.replace_environment = true;
  // Windows starts services in its system folder; here the program's own
  // folder is the nearest equivalent, and relative names keep working.
  launch.directory = program.found.path.substr(0, program.found.path.rfind('/') + 1);
  launch.new_session = true;

  if (shell::LauncherReplaced()) {
    // A test's launcher: no program will connect; the status follows the
    // simulated steps from here on.
    LaunchResult started = shell::Launch(launch);
    if (started.error != 0) {
      const DWORD error = shell::ErrorFromSpawn(started.error);
      AbandonStart(serial, token, error);
      return FailWith(error);
    }
    Transact([&](Database& db) {
      ServiceRecord* record = db.FindSerial(serial);
      if (record == nullptr || record->token != token) return false;
      record->no_process = true;
      record->process = ProcessRef{};
      record->BeginSteps(SERVICE_START_PENDING, SERVICE_RUNNING);
      return true;
    });
    return TRUE;
  }

  // A socket rather than a pipe: the program's report cannot raise SIGPIPE in
  // it when this side has gone.
  int ready[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ready) != 0) {
    AbandonStart(serial, token, ERROR_NOT_ENOUGH_MEMORY);
    return FailWith(ERROR_NOT_ENOUGH_MEMORY);
  }
  shell::SpawnExtras extras;
  extras.pass_fd = ready[1];
  extras.output_file = ServicesDirectory() + "/" + name + ".log";
  LaunchResult started = shell::Spawn(launch, extras);
  close(ready[1]);
  if (started.error != 0) {
    close(ready[0]);
    const DWORD error = shell::ErrorFromSpawn(started.error);
    AbandonStart(serial, token, error);
    return FailWith(error);
  }
  std::shared_ptr<shell::ChildProcess> child = shell::WatchChild(started.pid);
  Transact([&](Database& db) {
    ServiceRecord* record = db.FindSerial(serial);
    if (record == nullptr || record->token != token || record->connected) return false;
    ProcessRef now = ProcessNow(started.pid);
    record->process = now.pid != 0 ? now : ProcessRef{started.pid, 0};
    return true;
  });

  // The program writes one byte to descriptor 3 once its dispatcher has the start.
  pollfd p{ready[0], POLLIN, 0};
  int rc;
  do {
    rc = poll(&p, 1, kStartTimeoutMs);
  } while (rc < 0 && errno == EINTR);
  char byte = 0;
  const bool reported = rc > 0 && read(ready[0], &byte, 1) == 1;
  close(ready[0]);
  if (reported) return TRUE;
  shell::KillChild(*child, ERROR_SERVICE_REQUEST_TIMEOUT);
  AbandonStart(serial, token, ERROR_SERVICE_REQUEST_TIMEOUT);
  return FailWith(ERROR_SERVICE_REQUEST_TIMEOUT);
}

bool IsPending(DWORD state) {
  return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING || state == SERVICE_CONTINUE_PENDING ||
         state == SERVICE_PAUSE_PENDING;
}

DWORD AccessForControl(DWORD control) {
  switch (control) {
    case SERVICE_CONTROL_STOP: return SERVICE_STOP;
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE: return SERVICE_PAUSE_CONTINUE;
    case SERVICE_CONTROL_INTERROGATE: return SERVICE_INTERROGATE;
    case SERVICE_CONTROL_SHUTDOWN: return SERVICE_STOP;
    default: return control >= 128 && control <= 255 ? SERVICE_USER_DEFINED_CONTROL : 0;
  }
}

// A control for a service that follows the simulated steps. It accepts STOP
// and INTERROGATE.
DWORD SimulatedControl(ServiceRecord& record, DWORD control, SERVICE_STATUS* status) {
  bool changed = false;
  if (IsPending(record.state)) {
    *status = record.Answer(&changed);
    return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  }
  if (control == SERVICE_CONTROL_STOP) {
    record.BeginSteps(SERVICE_STOP_PENDING, SERVICE_STOPPED);
  } else if (control != SERVICE_CONTROL_INTERROGATE) {
    *status = record.Status();
    return ERROR_INVALID_SERVICE_CONTROL;
  }
  *status = record.Answer(&changed);
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace qvp::services

using namespace qvp::services;

QV_API BOOL StartServiceA(SC_HANDLE hService, DWORD dwNumServiceArgs, LPCSTR* lpServiceArgVectors) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    std::shared_ptr<ScObject> service = ServiceObject(hService);
    if (!service) return FALSE;
    if ((service->access & SERVICE_START) == 0) return qvp::FailWith(ERROR_ACCESS_DENIED);
    if (dwNumServiceArgs > 0 && lpServiceArgVectors == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
    std::vector<std::string> args;
    for (DWORD i = 0; i < dwNumServiceArgs; ++i) {
      if (lpServiceArgVectors[i] == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
      args.emplace_back(lpServiceArgVectors[i]);
    }
    const std::string token = NewToken();
    DWORD result = ERROR_SUCCESS;
    bool simulated = false;
    std::string name;
    std::string binary_path;
    DWORD error = Transact([&](Database& db) {
      ServiceRecord* record = RecordOf(db, *service);
      if (record == nullptr) {
        result = ERROR_INVALID_HANDLE;
      } else if (record->marked_for_delete) {
        result = ERROR_SERVICE_MARKED_FOR_DELETE;
      } else if (record->start_type == SERVICE_DISABLED) {
        result = ERROR_SERVICE_DISABLED;
      } else if (record->state != SERVICE_STOPPED) {
        result = ERROR_SERVICE_ALREADY_RUNNING;
      }
      if (result != ERROR_SUCCESS) return false;
      simulated = record->simulated;
      if (simulated) {
        record->BeginSteps(SERVICE_START_PENDING, SERVICE_RUNNING);
        return true;
      }
      name = record->name;
      binary_path = record->binary_path;
      record->MarkStopped(0);
      record->state = SERVICE_START_PENDING;
      record->wait_hint = static_cast<DWORD>(kStartTimeoutMs);
      record->token = token;
      record->process = CurrentProcess();  // the starter, until the program exists
      return true;
    });
    if (error == ERROR_SUCCESS) error = result;
    if (error != ERROR_SUCCESS) return qvp::FailWith(error);
    if (simulated) return TRUE;
    return StartProgram(service->serial, name, binary_path, token, args);
  });
}

QV_API BOOL ControlService(SC_HANDLE hService, DWORD dwControl, LPSERVICE_STATUS lpServiceStatus) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    std::shared_ptr<ScObject> service = ServiceObject(hService);
    if (!service) return FALSE;
    const DWORD needed = AccessForControl(dwControl);
    if (needed == 0) return qvp::FailWith(ERROR_INVALID_PARAMETER);
    if ((service->access & needed) == 0) return qvp::FailWith(ERROR_ACCESS_DENIED);
    if (lpServiceStatus == nullptr) return qvp::FailWith(ERROR_INVALID_ADDRESS);

    DWORD result = ERROR_SUCCESS;
    SERVICE_STATUS status{};
    bool forward = false;
    int pid = 0;
    DWORD error = Transact([&](Database& db) {
      ServiceRecord* record = RecordOf(db, *service);
      if (record == nullptr) {
        result = ERROR_INVALID_HANDLE;
        return false;
      }
      if (record->state == SERVICE_STOPPED) {
        status = record->Status();
        result = ERROR_SERVICE_NOT_ACTIVE;
        return false;
      }
      if (record->FollowsSimulatedSteps()) {
        result = SimulatedControl(*record, dwControl, &status);
        return true;
      }
      status = record->Status();
      if (!record->connected) {
        result = ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
        return false;
      }
      forward = true;
      pid = record->process.pid;
      return false;
    });
    if (error != ERROR_SUCCESS) return qvp::FailWith(error);
    if (forward) {
      ControlAnswer answer;
      result = SendControl(ControlSocketPath(pid), dwControl, kControlTimeoutMs, &answer);
      if (result == ERROR_SUCCESS) {
        result = answer.error;
        status = answer.status;
      } else if (result == ERROR_SERVICE_NOT_ACTIVE) {
        // The program went away: the next transaction records that.
        Transact([&](Database& db) {
          if (ServiceRecord* record = RecordOf(db, *service)) status = record->Status();
          return false;
        });
        if (status.dwCurrentState != SERVICE_STOPPED) result = ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
      }
    }
    if (result == ERROR_SUCCESS || result == ERROR_SERVICE_NOT_ACTIVE ||
        result == ERROR_SERVICE_CANNOT_ACCEPT_CTRL || result == ERROR_INVALID_SERVICE_CONTROL) {
      *lpServiceStatus = status;
    }
    return result == ERROR_SUCCESS ? TRUE : qvp::FailWith(result);
  });
}
