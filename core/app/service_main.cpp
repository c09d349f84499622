// Service mode: the service entry that logs on as the configured account and
// runs the application hidden on the desktop, and its control handler.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "app_globals.h"
#include "app_start.h"
#include "service_password.h"
#include "settings_keys.h"
#include "program_paths.h"

namespace {

constexpr char kServiceCaption[] = "Quorvane Service";
constexpr DWORD kWaitHint = 1000;

short g_startHidden = 1;
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
SERVICE_STATUS g_status = {SERVICE_WIN32_OWN_PROCESS, SERVICE_STOPPED, 0, 0, 0, 0, 0};

// The service's thread and the control handler both report.
std::mutex g_statusLock;

void Report(DWORD state, DWORD accepted, DWORD checkPoint) {
  std::lock_guard<std::mutex> guard(g_statusLock);
  g_status.dwCurrentState = state;
  g_status.dwControlsAccepted = accepted;
  g_status.dwCheckPoint = checkPoint;
  g_status.dwWaitHint = kWaitHint;
  if (g_statusHandle != nullptr) SetServiceStatus(g_statusHandle, &g_status);
}

bool IsNt3() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion <= 3;
}

// The configured service type; the reported type when it cannot be read.
void TakeConfiguredServiceType() {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, kServiceName, SERVICE_ALL_ACCESS) : nullptr;
  alignas(QUERY_SERVICE_CONFIGA) char buffer[1024];
  DWORD needed = 0;
  if (service != nullptr &&
      QueryServiceConfigA(service, reinterpret_cast<LPQUERY_SERVICE_CONFIGA>(buffer), sizeof buffer, &needed)) {
    std::lock_guard<std::mutex> guard(g_statusLock);
    g_status.dwServiceType = reinterpret_cast<LPQUERY_SERVICE_CONFIGA>(buffer)->dwServiceType;
  } else {
    char text[100];
    std::snprintf(text, sizeof text, "QueryServiceConfig Failed (%lu)", static_cast<unsigned long>(GetLastError()));
    MessageBoxA(nullptr, text, kServiceCaption, MB_OK);
  }
  if (service != nullptr) CloseServiceHandle(service);
  if (manager != nullptr) CloseServiceHandle(manager);
}

// Logs on as [Defaults] Username with the stored password and impersonates
// the token (also after a failure, as before).
void LogOnServiceAccount() {
  char user[100] = "";
  char stored[100] = "";
  GetPrivateProfileStringA(ini::kDefaults, ini::kUsername, "", user, sizeof user, GetIniPath());
  GetPrivateProfileStringA(ini::kDefaults, ini::kPassword, "", stored, sizeof stored, GetIniPath());
  if (user[0] == '\0') return;

  char password[kMaxDecodedPassword + 1] = "";
  const bool readable = stored[0] == '\0' || DecodeServicePassword(stored, password, sizeof password);

  char domain[100] = "";
  const char* name = user;
  char* split = std::strchr(user, '/');
  if (split == nullptr) split = std::strchr(user, '\\');
  if (split != nullptr) {
    *split = '\0';
    std::snprintf(domain, sizeof domain, "%s", user);
    name = split + 1;
  }
  HANDLE token = nullptr;
  // A stored password that is not in the stored form is no password at all.
  if (!readable || !LogonUserA(name, domain, password, LOGON32_LOGON_SERVICE, LOGON32_PROVIDER_DEFAULT, &token)) {
    token = nullptr;
    MessageBoxA(nullptr,
                "Quorvane service failed to logon with the provided username/password. Please check your settings "
                "in the NT Service panel under the Options dialog.",
                kServiceCaption, MB_OK);
  }
  std::memset(password, 0, sizeof password);
  g_app.logonToken = token;
  ImpersonateLoggedOnUser(token);
}

}  // namespace

bool ServiceStartHidden() { return g_startHidden != 0; }

void ClearServiceStartHidden() { g_startHidden = 0; }

extern "C" void WINAPI ServiceMain(DWORD argumentCount, LPSTR* arguments) {
  if (argumentCount == 2 && arguments != nullptr && arguments[1] != nullptr)
    g_startHidden = static_cast<short>(std::atoi(arguments[1]));

  g_app.serviceMode = true;
  char line[80];
  std::snprintf(line, sizeof line, "Service: started with %lu arguments, start-hidden %d\r\n",
                static_cast<unsigned long>(argumentCount), g_startHidden);
  OutputDebugStringA(line);
  FindModulePath(g_app.instance);
  g_statusHandle = RegisterServiceCtrlHandlerA(kDispatcherServiceName, ServiceCtrlHandler);
  if (g_statusHandle == nullptr) OutputDebugStringA("RegisterServiceCtrlHandler Failed\r\n");

  for (DWORD checkPoint = 0; checkPoint < 2; ++checkPoint) {
    Report(SERVICE_START_PENDING, 0, checkPoint);
    Sleep(500);
  }
  Report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP, 0);

  TakeConfiguredServiceType();
  DWORD serviceType;
  {
    std::lock_guard<std::mutex> guard(g_statusLock);
    serviceType = g_status.dwServiceType;
  }
  if ((serviceType & SERVICE_INTERACTIVE_PROCESS) == 0) {
    MessageBoxA(nullptr,
                "Quorvane Service cannot start as a non-interactive service. Please make sure the Quorvane "
                "Real-Time Service is configure to log on as \"System Account\" with the \"Allow Service to "
                "Interact with Desktop\" option checked.",
                kServiceCaption, MB_OK | (IsNt3() ? MB_SERVICE_NOTIFICATION_NT3X : MB_SERVICE_NOTIFICATION));
    Sleep(3000);
    Report(SERVICE_STOPPED, 0, 0);
    return;
  }

  LogOnServiceAccount();
  RunApplication(g_app.instance, nullptr, "", SW_SHOW);
  if (g_app.logonToken != nullptr) {
    RevertToSelf();
    CloseHandle(g_app.logonToken);
    g_app.logonToken = nullptr;
  }
  Report(SERVICE_STOPPED, 0, 0);
}

extern "C" void WINAPI ServiceCtrlHandler(DWORD control) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      // Carried out by the main window's thread; one that comes before the
      // panel is up is not lost.
      RequestProgramEnd("Service: stop");
      break;
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE:
    case SERVICE_CONTROL_INTERROGATE:
      Report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP, 0);
      break;
    default:
      break;
  }
}
