// A service program for the Options tests that never stops: it reports
// RUNNING and takes the stop control, but then stays STOP_PENDING until it is
// killed (five minutes at most). It writes its process id to
// "<state dir>/stuck-<service name>.pid".
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "qvplatform.h"

namespace {

SERVICE_STATUS_HANDLE g_handle = nullptr;
SERVICE_STATUS g_status{};

void Report(DWORD state, DWORD accepted) {
  g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_status.dwCurrentState = state;
  g_status.dwControlsAccepted = accepted;
  g_status.dwCheckPoint = state == SERVICE_STOP_PENDING ? g_status.dwCheckPoint + 1 : 0;
  g_status.dwWaitHint = state == SERVICE_STOP_PENDING ? 1000 : 0;
  SetServiceStatus(g_handle, &g_status);
}

void WINAPI Handler(DWORD control) {
  if (control == SERVICE_CONTROL_STOP)
    Report(SERVICE_STOP_PENDING, 0);
  else
    SetServiceStatus(g_handle, &g_status);
}

void WINAPI ServiceMain(DWORD, LPSTR* argv) {
  const std::string record = qvp::StateDirectory() + "/stuck-" + argv[0] + ".pid";
  if (FILE* f = std::fopen(record.c_str(), "w")) {
    std::fprintf(f, "%d\n", static_cast<int>(getpid()));
    std::fclose(f);
  }
  g_handle = RegisterServiceCtrlHandlerA("any name", Handler);
  if (g_handle == nullptr) return;
  Report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP);
  // Killed by the test; a test that died first leaves it for five minutes at most.
  for (int second = 0; second < 300; ++second) sleep(1);
  _exit(3);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "/service") != 0) {
    std::fprintf(stderr, "usage: stuck_service /service\n");
    return 2;
  }
  char empty[] = "";
  SERVICE_TABLE_ENTRYA table[] = {{empty, ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
