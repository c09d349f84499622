// A service program for the manager's tests.
//
//   service_program /service           runs as a service: records its start
//                                       arguments, reports RUNNING, ends on STOP
//   service_program status NAME         exits with the service's state (100: no answer)
//   service_program simulate NAME STATE makes NAME a simulated service in STATE
//   service_program hold NAME FILE      opens the service, writes FILE, then waits to be killed
//
// The service writes "<state dir>/program-<service name>.txt": its process id,
// then one line per service main argument, then one line per control it saw.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qvplatform.h"

namespace {

SERVICE_STATUS_HANDLE g_handle = nullptr;
HANDLE g_stop = nullptr;
SERVICE_STATUS g_status{};
std::string g_record;

void Note(const std::string& line) {
  if (FILE* f = std::fopen(g_record.c_str(), "a")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

void Report(DWORD state, DWORD accepted, DWORD check_point) {
  g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_status.dwCurrentState = state;
  g_status.dwControlsAccepted = accepted;
  g_status.dwCheckPoint = check_point;
  g_status.dwWaitHint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 1000;
  SetServiceStatus(g_handle, &g_status);
}

void WINAPI Handler(DWORD control) {
  Note("control " + std::to_string(control));
  if (control == SERVICE_CONTROL_STOP) {
    SetEvent(g_stop);
  } else {
    SetServiceStatus(g_handle, &g_status);
  }
}

void WINAPI ServiceMain(DWORD argc, LPSTR* argv) {
  g_record = qvp::StateDirectory() + "/program-" + argv[0] + ".txt";
  Note(std::to_string(getpid()));
  for (DWORD i = 0; i < argc; ++i) Note(std::string("arg ") + argv[i]);
  g_handle = RegisterServiceCtrlHandlerA("any name", Handler);
  if (g_handle == nullptr) return;
  Report(SERVICE_START_PENDING, 0, 1);
  Report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP, 0);
  WaitForSingleObject(g_stop, INFINITE);
  Report(SERVICE_STOPPED, 0, 0);
}

int RunService() {
  g_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  char empty[] = "";
  SERVICE_TABLE_ENTRYA table[] = {{empty, ServiceMain}, {nullptr, nullptr}};
  if (!StartServiceCtrlDispatcherA(table)) {
    const DWORD error = GetLastError();
    std::fprintf(stderr, "dispatcher failed: %lu\n", static_cast<unsigned long>(error));
    return error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT ? 63 : 1;
  }
  CloseHandle(g_stop);
  return 0;
}

int Status(const char* name) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = manager ? OpenServiceA(manager, name, SERVICE_QUERY_STATUS) : nullptr;
  SERVICE_STATUS status{};
  const bool ok = service != nullptr && QueryServiceStatus(service, &status);
  if (service) CloseServiceHandle(service);
  if (manager) CloseServiceHandle(manager);
  return ok ? static_cast<int>(status.dwCurrentState) : 100;
}

int Hold(const char* name, const char* file) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = manager ? OpenServiceA(manager, name, SERVICE_QUERY_STATUS) : nullptr;
  if (service == nullptr) return 1;
  if (FILE* f = std::fopen(file, "w")) std::fclose(f);
  for (;;) pause();
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "/service") == 0) return RunService();
  }
  if (argc == 3 && std::strcmp(argv[1], "status") == 0) return Status(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "simulate") == 0) {
    return qvp::SetSimulatedServiceState(argv[2], static_cast<DWORD>(std::atoi(argv[3]))) ? 0 : 1;
  }
  if (argc == 4 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2], argv[3]);
  std::fprintf(stderr, "usage: service_program /service | status NAME | simulate NAME STATE | hold NAME FILE\n");
  return 2;
}
