// The program entry: service mode, a second start, the installed service,
// or the interactive start.
#include <cstring>

#include "app_globals.h"
#include "app_start.h"

namespace {

constexpr char kCaption[] = "Quorvane";

// The installed service "Quorvane40" stands for this start: a stopped one is
// started with the argument "0" (show the panel); one that cannot start is
// removed. Always ends the start.
void StartOrReportService(SC_HANDLE service) {
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service, &status)) {
    MessageBoxA(nullptr, "QueryServiceStatus Failed", kCaption, MB_OK);
    return;
  }
  if (status.dwCurrentState == SERVICE_STOPPED) {
    LPCSTR arguments[] = {"0"};
    if (StartServiceA(service, 1, arguments)) return;
    MessageBoxA(nullptr, "Quorvane Service failed to start. Quorvane will remove the Service and exit.", kCaption,
                MB_OK);
    DeleteService(service);
    return;
  }
  MessageBoxA(nullptr,
              "Quorvane Service is already running. You can use Services (Control Panel) applet to stop the "
              "running service.",
              kCaption, MB_OK);
}

}  // namespace

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
  g_app.instance = instance;
  g_app.resourceModule = instance;
  // A second start finds the running program's main window, whichever process owns it.
  qvp::ShareWindowClass(kMainWindowClass);
  const char* line = commandLine != nullptr ? commandLine : "";

  if (std::strstr(line, "/service") != nullptr) {
    static char name[] = "Quorvane";
    const SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherA(table)) OutputDebugStringA("StartServiceCtrlDispatcher Failed\r\n");
    return 0;
  }

  if (HWND running = FindWindowA(kMainWindowClass, nullptr)) {
    SendMessageA(running, kShowProgramMessage, 0, 0);
    return 0;
  }

  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, kServiceName, SERVICE_ALL_ACCESS) : nullptr;
  if (service == nullptr) {
    if (manager != nullptr) CloseServiceHandle(manager);
    return RunApplication(instance, previous, line, showCommand);
  }
  StartOrReportService(service);
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return 0;
}
