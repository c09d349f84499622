// Tests only: the service "SNMP" through the layer's service control manager.
#include "snmp_service_control.h"

#include "qvplatform.h"

namespace snmptest {
namespace {

SC_HANDLE OpenSnmp(DWORD access) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) return nullptr;
  SC_HANDLE service = OpenServiceA(manager, "SNMP", access);
  CloseServiceHandle(manager);
  return service;
}

}  // namespace

bool StartSnmpService(const std::string& commandLine) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) return false;
  SC_HANDLE service = CreateServiceA(manager, "SNMP", "SNMP Service", SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                     SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, commandLine.c_str(), nullptr,
                                     nullptr, nullptr, nullptr, nullptr);
  CloseServiceHandle(manager);
  if (service == nullptr) return false;
  const bool started = StartServiceA(service, 0, nullptr) != FALSE;
  CloseServiceHandle(service);
  return started;
}

bool StopSnmpService() {
  SC_HANDLE service = OpenSnmp(SERVICE_ALL_ACCESS);
  if (service == nullptr) return false;
  SERVICE_STATUS status{};
  bool stopped = ControlService(service, SERVICE_CONTROL_STOP, &status) != FALSE;
  for (int i = 0; stopped && i < 600; ++i) {
    if (!QueryServiceStatus(service, &status)) break;
    if (status.dwCurrentState == SERVICE_STOPPED) break;
    Sleep(50);
  }
  stopped = stopped && status.dwCurrentState == SERVICE_STOPPED;
  CloseServiceHandle(service);
  return stopped;
}

}  // namespace snmptest
