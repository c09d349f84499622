// When the Options window has closed: registering or unregistering the SNMP
// extension agent (and restarting the SNMP service), installing or removing
// the program's own service, then the remote server's settings.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "app_globals.h"
#include "general_sheet.h"
#include "option_window.h"
#include "panel/later_parts.h"
#include "res_text.h"
#include "settings_keys.h"

namespace {

constexpr char kExtensionAgentsKey[] = "SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents";
constexpr char kSnmpCaption[] = "Quorvane SNMP Agent";
constexpr char kServiceName[] = "Quorvane40";
constexpr char kServiceDisplayName[] = "Quorvane v4.0 Real-Time Service";
constexpr char kServiceCaption[] = "Quorvane Service";
constexpr char kServiceExitText[] =
    "Quorvane Service will now exit. Please restart Quorvane for the new settings to take effect.";

int Show(UINT textId, const char* caption, UINT flags) {
  char text[kResTextMax + 1];
  return MessageBoxA(g_app.mainPanel, LoadResText(textId, text, sizeof text), caption, flags);
}

// The agent's key with its "Pathname", then its number under ExtensionAgents.
bool RegisterAgent() {
  bool ok = false;
  HKEY agent = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, g_general.agentKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &agent,
                      &disposition) == ERROR_SUCCESS) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* slash = std::strrchr(path, '\\');
    if (slash == nullptr) slash = std::strrchr(path, '/');
    char* name = slash != nullptr ? slash + 1 : path;
    std::snprintf(name, sizeof path - static_cast<size_t>(name - path), "QVAgent.dll");
    // The separator before the name stays as the program's path has it.
    if (slash != nullptr && *slash == '/') *slash = '\\';
    ok = RegSetValueExA(agent, "Pathname", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                        static_cast<DWORD>(std::strlen(path) + 1)) == ERROR_SUCCESS;
    RegCloseKey(agent);
  }
  if (!ok) Show(32146, kSnmpCaption, MB_OK | MB_ICONWARNING);
  bool registered = false;
  if (ok) {
    HKEY agents = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionAgentsKey, 0, KEY_ALL_ACCESS, &agents) == ERROR_SUCCESS) {
      for (unsigned number = 1; number < 100000; ++number) {
        char valueName[16];
        std::snprintf(valueName, sizeof valueName, "%u", number);
        if (RegQueryValueExA(agents, valueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) continue;
        registered = RegSetValueExA(agents, valueName, 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(g_general.agentKeyPath),
                                    static_cast<DWORD>(std::strlen(g_general.agentKeyPath) + 1)) == ERROR_SUCCESS;
        break;
      }
      RegCloseKey(agents);
    }
  }
  if (!registered) Show(32147, kSnmpCaption, MB_OK | MB_ICONWARNING);
  WriteIniText(ini::kDefaults, ini::kSnmpRoot, g_snmpOid);
  return registered;
}

bool UnregisterAgent() {
  bool removed = false;
  HKEY agents = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionAgentsKey, 0, KEY_ALL_ACCESS, &agents) == ERROR_SUCCESS) {
    for (DWORD index = 0;; ++index) {
      char name[256];
      BYTE data[256];
      DWORD nameSize = sizeof name;
      DWORD dataSize = sizeof data - 1;
      DWORD type = 0;
      const LONG result = RegEnumValueA(agents, index, name, &nameSize, nullptr, &type, data, &dataSize);
      if (result == ERROR_NO_MORE_ITEMS) break;
      if (result != ERROR_SUCCESS) continue;
      data[dataSize < sizeof data ? dataSize : sizeof data - 1] = 0;
      if (strcasecmp(reinterpret_cast<const char*>(data), g_general.agentKeyPath) == 0) {
        removed = RegDeleteValueA(agents, name) == ERROR_SUCCESS;
        break;
      }
    }
    RegCloseKey(agents);
    if (removed) RegDeleteKeyA(HKEY_LOCAL_MACHINE, g_general.agentKeyPath);
  }
  if (!removed) Show(32148, kSnmpCaption, MB_OK | MB_ICONWARNING);
  return removed;
}

// Starts a program by its command line through the layer (no shell); with
// `wait`, waits up to ten seconds for its end.
void RunCommand(const char* commandLine, bool wait) {
  char line[64];
  std::snprintf(line, sizeof line, "%s", commandLine);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return;
  if (wait) WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

void RestartSnmpService() {
  if (!IsWindowsNt()) {
    if (Show(32149, kSnmpCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
      RunCommand("snmp -close", true);
      RunCommand("snmp", false);
    }
    return;
  }
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, "SNMP", SERVICE_ALL_ACCESS) : nullptr;
  if (service == nullptr) {
    Show(32152, kSnmpCaption, MB_OK | MB_ICONWARNING);
  } else {
    SERVICE_STATUS status{};
    QueryServiceStatus(service, &status);
    if (status.dwCurrentState == SERVICE_RUNNING || status.dwCurrentState == SERVICE_STOPPED) {
      if (Show(32149, kSnmpCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        bool stopped = status.dwCurrentState == SERVICE_STOPPED;
        if (!stopped) {
          ControlService(service, SERVICE_CONTROL_STOP, &status);
          for (int poll = 0; poll < 10 && !stopped; ++poll) {
            if (QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_STOPPED) {
              stopped = true;
              break;
            }
            Sleep(1000);
          }
        }
        if (!stopped) {
          Show(32150, kSnmpCaption, MB_OK | MB_ICONWARNING);
        } else if (!StartServiceA(service, 0, nullptr)) {
          Show(32151, kSnmpCaption, MB_OK | MB_ICONWARNING);
        }
      }
    } else {
      OutputDebugStringA("Unknown Service state.");
      OutputDebugStringA("\n");
    }
  }
  if (service != nullptr) CloseServiceHandle(service);
  if (manager != nullptr) CloseServiceHandle(manager);
}

// Installs and starts the program's service; false when the apply step ends here.
bool InstallService() {
  char program[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, program, sizeof program);
  char commandLine[MAX_PATH + 16];
  std::snprintf(commandLine, sizeof commandLine, "\"%s\" /service", program);
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service =
      manager != nullptr
          ? CreateServiceA(manager, kServiceName, kServiceDisplayName, SERVICE_ALL_ACCESS,
                           SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS, SERVICE_AUTO_START,
                           SERVICE_ERROR_NORMAL, commandLine, nullptr, nullptr, nullptr, nullptr, nullptr)
          : nullptr;
  if (service == nullptr) {
    MessageBoxA(g_app.mainPanel,
                "Quorvane Service failed to install/start. Administrator privileges is required to install and "
                "start the Quorvane Service.",
                kServiceCaption, MB_OK | MB_ICONSTOP);
    if (manager != nullptr) CloseServiceHandle(manager);
    return false;
  }
  const char* arguments[] = {"0"};
  if (!StartServiceA(service, 1, arguments)) {
    char text[200];
    std::snprintf(text, sizeof text, "Quorvane Service failed to start. Quorvane will remove the Service. (%lu)",
                  static_cast<unsigned long>(GetLastError()));
    MessageBoxA(g_app.mainPanel, text, kProgramCaption, MB_OK | MB_ICONSTOP);
    DeleteService(service);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return false;
  }
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  PostMessageA(g_app.hiddenWindow, WM_QUIT, 0, 0);
  return true;
}

bool RemoveService() {
  if (MessageBoxA(g_app.mainPanel, kServiceExitText, kServiceCaption, MB_OK | MB_ICONINFORMATION) != IDOK)
    return true;
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, kServiceName, SERVICE_ALL_ACCESS) : nullptr;
  if (service == nullptr) {
    MessageBoxA(g_app.mainPanel, "OpenService Failed", kServiceCaption, MB_OK | MB_ICONSTOP);
    if (manager != nullptr) CloseServiceHandle(manager);
    return false;
  }
  if (!DeleteService(service)) {
    MessageBoxA(g_app.mainPanel, "DeleteService Failed", kServiceCaption, MB_OK | MB_ICONSTOP);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return false;
  }
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  PostMessageA(g_app.hiddenWindow, WM_QUIT, 0, 0);
  return true;
}

}  // namespace

void ApplyServiceAndSnmpSettings(int ok) {
  g_general.ok = ok != 0;
  if (ok) {
    bool failed = false;
    if (g_general.snmpRegistration == 0 && g_general.snmpChoice == 1)
      failed = !RegisterAgent();
    else if (g_general.snmpRegistration == 1 && g_general.snmpChoice == 0)
      failed = !UnregisterAgent();
    if (!failed && g_general.snmpRegistration != -1 && g_general.snmpChoice != g_general.snmpRegistration)
      RestartSnmpService();

    const bool running = g_app.serviceMode;
    const bool choice = g_general.runAsService;
    if (!running && choice) {
      InstallService();
    } else if (running && choice && g_general.accountChanged) {
      if (MessageBoxA(g_app.mainPanel, kServiceExitText, kServiceCaption, MB_OK | MB_ICONINFORMATION) == IDOK)
        PostMessageA(g_app.hiddenWindow, WM_QUIT, 0, 0);
    } else if (running && !choice) {
      RemoveService();
    }
    // A failed install or removal still lets the remote server take up its settings.
    ApplyWebServerSettings();
  }
  FreeGeneralSheet();
}
