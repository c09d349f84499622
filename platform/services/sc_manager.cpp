// Opening the manager and services; creating, changing and deleting services.
#include <strings.h>
#include <unistd.h>

#include <cstring>

#include "files/win_error.h"
#include "qvplatform/kernel.h"
#include "services/sc_handles.h"

namespace qvp::services {
namespace {

bool IsThisComputer(const char* machine) {
  if (machine == nullptr) return true;
  while (*machine == '\\') ++machine;
  if (*machine == '\0' || std::strcmp(machine, ".") == 0 || strcasecmp(machine, "localhost") == 0) return true;
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  if (GetComputerNameA(name, &size) && strcasecmp(machine, name) == 0) return true;
  char host[256] = {};
  return gethostname(host, sizeof host - 1) == 0 && strcasecmp(machine, host) == 0;
}

std::vector<std::string> DependencyList(const char* block) {
  std::vector<std::string> list;
  if (block == nullptr) return list;
  for (const char* p = block; *p != '\0'; p += std::strlen(p) + 1) list.emplace_back(p);
  return list;
}

bool IsLocalSystem(const std::string& account) {
  return account.empty() || strcasecmp(account.c_str(), "LocalSystem") == 0 ||
         strcasecmp(account.c_str(), ".\\LocalSystem") == 0;
}

// The checks CreateServiceA and ChangeServiceConfigA share. type, start and
// error control are the values the service will have.
DWORD CheckConfig(DWORD type, DWORD start_type, DWORD error_control, const std::string& account) {
  const DWORD base = type & ~SERVICE_INTERACTIVE_PROCESS;
  if (base != SERVICE_WIN32_OWN_PROCESS && base != SERVICE_WIN32_SHARE_PROCESS) return ERROR_INVALID_PARAMETER;
  if ((type & SERVICE_INTERACTIVE_PROCESS) != 0 && !IsLocalSystem(account)) return ERROR_INVALID_PARAMETER;
  if (start_type < SERVICE_AUTO_START || start_type > SERVICE_DISABLED) return ERROR_INVALID_PARAMETER;
  if (error_control > SERVICE_ERROR_CRITICAL) return ERROR_INVALID_PARAMETER;
  return ERROR_SUCCESS;
}

// Another service already uses `text` as its name or display name.
bool NameTaken(Database& db, const std::string& text, const ServiceRecord* self) {
  ServiceRecord* by_name = db.Find(text);
  ServiceRecord* by_display = db.FindByDisplayName(text);
  return (by_name != nullptr && by_name != self) || (by_display != nullptr && by_display != self);
}

SC_HANDLE FailHandle(DWORD error) {
  SetLastError(error);
  return nullptr;
}

}  // namespace
}  // namespace qvp::services

using namespace qvp::services;

QV_API SC_HANDLE OpenSCManagerA(LPCSTR lpMachineName, LPCSTR lpDatabaseName, DWORD dwDesiredAccess) {
  return qvp::NoThrow<SC_HANDLE>(nullptr, [&]() -> SC_HANDLE {
    if (!IsThisComputer(lpMachineName)) return FailHandle(RPC_S_SERVER_UNAVAILABLE);
    if (lpDatabaseName != nullptr && strcasecmp(lpDatabaseName, SERVICES_ACTIVE_DATABASEA) != 0) {
      return FailHandle(ERROR_DATABASE_DOES_NOT_EXIST);
    }
    // The database must be usable now, as the system's would be.
    if (DWORD error = Transact([](Database&) { return false; }); error != ERROR_SUCCESS) return FailHandle(error);
    auto object = std::make_shared<ScObject>();
    object->is_manager = true;
    object->access = ManagerAccess(dwDesiredAccess);
    return InsertScObject(std::move(object));
  });
}

QV_API SC_HANDLE OpenServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, DWORD dwDesiredAccess) {
  return qvp::NoThrow<SC_HANDLE>(nullptr, [&]() -> SC_HANDLE {
    if (!ManagerObject(hSCManager)) return nullptr;
    if (lpServiceName == nullptr) return FailHandle(ERROR_INVALID_ADDRESS);
    if (!IsValidServiceName(lpServiceName)) return FailHandle(ERROR_INVALID_NAME);
    auto object = std::make_shared<ScObject>();
    DWORD result = ERROR_SUCCESS;
    DWORD error = Transact([&](Database& db) {
      ServiceRecord* record = db.Find(lpServiceName);
      if (record == nullptr) {
        result = ERROR_SERVICE_DOES_NOT_EXIST;
        return false;
      }
      object->serial = record->serial;
      object->name = record->name;
      CountHandle(*record, +1);
      return true;
    });
    if (error == ERROR_SUCCESS) error = result;
    if (error != ERROR_SUCCESS) return FailHandle(error);
    object->access = ServiceAccess(dwDesiredAccess);
    return InsertScObject(std::move(object));
  });
}

QV_API SC_HANDLE CreateServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, LPCSTR lpDisplayName,
                                DWORD dwDesiredAccess, DWORD dwServiceType, DWORD dwStartType, DWORD dwErrorControl,
                                LPCSTR lpBinaryPathName, LPCSTR lpLoadOrderGroup, LPDWORD lpdwTagId,
                                LPCSTR lpDependencies, LPCSTR lpServiceStartName, LPCSTR lpPassword) {
  return qvp::NoThrow<SC_HANDLE>(nullptr, [&]() -> SC_HANDLE {
    std::shared_ptr<ScObject> manager = ManagerObject(hSCManager);
    if (!manager) return nullptr;
    if ((manager->access & SC_MANAGER_CREATE_SERVICE) == 0) return FailHandle(ERROR_ACCESS_DENIED);
    if (!IsValidServiceName(lpServiceName)) return FailHandle(ERROR_INVALID_NAME);
    if (lpDisplayName != nullptr && std::strlen(lpDisplayName) > 256) return FailHandle(ERROR_INVALID_NAME);
    if (lpBinaryPathName == nullptr || *lpBinaryPathName == '\0' || lpdwTagId != nullptr) {
      return FailHandle(ERROR_INVALID_PARAMETER);
    }
    ServiceRecord fresh;
    fresh.name = lpServiceName;
    fresh.display_name = lpDisplayName != nullptr && *lpDisplayName != '\0' ? lpDisplayName : lpServiceName;
    fresh.type = dwServiceType;
    fresh.start_type = dwStartType;
    fresh.error_control = dwErrorControl;
    fresh.binary_path = lpBinaryPathName;
    fresh.load_order_group = lpLoadOrderGroup != nullptr ? lpLoadOrderGroup : "";
    fresh.dependencies = DependencyList(lpDependencies);
    fresh.account = lpServiceStartName != nullptr && *lpServiceStartName != '\0' ? lpServiceStartName : "LocalSystem";
    fresh.password = lpPassword != nullptr ? lpPassword : "";
    if (DWORD bad = CheckConfig(fresh.type, fresh.start_type, fresh.error_control, fresh.account); bad != 0) {
      return FailHandle(bad);
    }
    auto object = std::make_shared<ScObject>();
    DWORD result = ERROR_SUCCESS;
    DWORD error = Transact([&](Database& db) {
      if (ServiceRecord* existing = db.Find(fresh.name)) {
        result = existing->marked_for_delete ? ERROR_SERVICE_MARKED_FOR_DELETE : ERROR_SERVICE_EXISTS;
        return false;
      }
      if (NameTaken(db, fresh.name, nullptr) || NameTaken(db, fresh.display_name, nullptr)) {
        result = ERROR_DUPLICATE_SERVICE_NAME;
        return false;
      }
      fresh.serial = db.next_serial++;
      CountHandle(fresh, +1);
      object->serial = fresh.serial;
      object->name = fresh.name;
      db.services.push_back(fresh);
      return true;
    });
    if (error == ERROR_SUCCESS) error = result;
    if (error != ERROR_SUCCESS) return FailHandle(error);
    object->access = ServiceAccess(dwDesiredAccess);
    return InsertScObject(std::move(object));
  });
}

QV_API BOOL DeleteService(SC_HANDLE hService) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    std::shared_ptr<ScObject> service = ServiceObject(hService);
    if (!service) return FALSE;
    if ((service->access & DELETE) == 0) return qvp::FailWith(ERROR_ACCESS_DENIED);
    DWORD result = ERROR_SUCCESS;
    DWORD error = Transact([&](Database& db) {
      ServiceRecord* record = RecordOf(db, *service);
      if (record == nullptr) {
        result = ERROR_INVALID_HANDLE;
        return false;
      }
      if (record->marked_for_delete) {
        result = ERROR_SERVICE_MARKED_FOR_DELETE;
        return false;
      }
      record->marked_for_delete = true;
      return true;
    });
    if (error == ERROR_SUCCESS) error = result;
    return error == ERROR_SUCCESS ? TRUE : qvp::FailWith(error);
  });
}

QV_API BOOL CloseServiceHandle(SC_HANDLE hSCObject) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    auto object = qvp::LookupHandleAs<ScObject>(reinterpret_cast<HANDLE>(hSCObject));
    if (!object || !qvp::RemoveHandle(reinterpret_cast<HANDLE>(hSCObject))) {
      return qvp::FailWith(ERROR_INVALID_HANDLE);
    }
    if (object->is_manager) return TRUE;
    // The last handle of a service marked for deletion removes it (when stopped).
    DWORD error = Transact([&](Database& db) {
      ServiceRecord* record = RecordOf(db, *object);
      if (record == nullptr) return false;
      CountHandle(*record, -1);
      return true;
    });
    return error == ERROR_SUCCESS ? TRUE : qvp::FailWith(error);
  });
}

QV_API BOOL ChangeServiceConfigA(SC_HANDLE hService, DWORD dwServiceType, DWORD dwStartType, DWORD dwErrorControl,
                                 LPCSTR lpBinaryPathName, LPCSTR lpLoadOrderGroup, LPDWORD lpdwTagId,
                                 LPCSTR lpDependencies, LPCSTR lpServiceStartName, LPCSTR lpPassword,
                                 LPCSTR lpDisplayName) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    std::shared_ptr<ScObject> service = ServiceObject(hService);
    if (!service) return FALSE;
    if ((service->access & SERVICE_CHANGE_CONFIG) == 0) return qvp::FailWith(ERROR_ACCESS_DENIED);
    if (lpdwTagId != nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
    if (lpDisplayName != nullptr && std::strlen(lpDisplayName) > 256) return qvp::FailWith(ERROR_INVALID_NAME);
    DWORD result = ERROR_SUCCESS;
    DWORD error = Transact([&](Database& db) {
      ServiceRecord* record = RecordOf(db, *service);
      if (record == nullptr) {
        result = ERROR_INVALID_HANDLE;
        return false;
      }
      if (record->marked_for_delete) {
        result = ERROR_SERVICE_MARKED_FOR_DELETE;
        return false;
      }
      ServiceRecord changed = *record;
      if (dwServiceType != SERVICE_NO_CHANGE) changed.type = dwServiceType;
      if (dwStartType != SERVICE_NO_CHANGE) changed.start_type = dwStartType;
      if (dwErrorControl != SERVICE_NO_CHANGE) changed.error_control = dwErrorControl;
      if (lpBinaryPathName != nullptr) changed.binary_path = lpBinaryPathName;
      if (lpLoadOrderGroup != nullptr) changed.load_order_group = lpLoadOrderGroup;
      if (lpDependencies != nullptr) changed.dependencies = DependencyList(lpDependencies);
      if (lpServiceStartName != nullptr) {
        changed.account = *lpServiceStartName != '\0' ? lpServiceStartName : "LocalSystem";
      }
      if (lpPassword != nullptr) changed.password = lpPassword;
      if (lpDisplayName != nullptr) changed.display_name = *lpDisplayName != '\0' ? lpDisplayName : changed.name;
      if (changed.binary_path.empty()) {
        result = ERROR_INVALID_PARAMETER;
        return false;
      }
      result = CheckConfig(changed.type, changed.start_type, changed.error_control, changed.account);
      if (result == ERROR_SUCCESS && NameTaken(db, changed.display_name, record)) {
        result = ERROR_DUPLICATE_SERVICE_NAME;
      }
      if (result != ERROR_SUCCESS) return false;
      *record = std::move(changed);
      return true;
    });
    if (error == ERROR_SUCCESS) error = result;
    return error == ERROR_SUCCESS ? TRUE : qvp::FailWith(error);
  });
}

QV_API BOOL GetServiceDisplayNameA(SC_HANDLE hSCManager, LPCSTR lpServiceName, LPSTR lpDisplayName,
                                   LPDWORD lpcchBuffer) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    if (!ManagerObject(hSCManager)) return FALSE;
    if (!IsValidServiceName(lpServiceName)) return qvp::FailWith(ERROR_INVALID_NAME);
    std::string display;
    bool found = false;
    DWORD error = Transact([&](Database& db) {
      if (ServiceRecord* record = db.Find(lpServiceName)) {
        display = record->display_name;
        found = true;
      }
      return false;
    });
    if (error != ERROR_SUCCESS) return qvp::FailWith(error);
    if (!found) return qvp::FailWith(ERROR_SERVICE_DOES_NOT_EXIST);
    return CopyName(display, lpDisplayName, lpcchBuffer);
  });
}

QV_API BOOL GetServiceKeyNameA(SC_HANDLE hSCManager, LPCSTR lpDisplayName, LPSTR lpServiceName,
                               LPDWORD lpcchBuffer) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    if (!ManagerObject(hSCManager)) return FALSE;
    if (lpDisplayName == nullptr || *lpDisplayName == '\0') return qvp::FailWith(ERROR_INVALID_NAME);
    std::string key;
    bool found = false;
    DWORD error = Transact([&](Database& db) {
      if (ServiceRecord* record = db.FindByDisplayName(lpDisplayName)) {
        key = record->name;
        found = true;
      }
      return false;
    });
    if (error != ERROR_SUCCESS) return qvp::FailWith(error);
    if (!found) return qvp::FailWith(ERROR_SERVICE_DOES_NOT_EXIST);
    return CopyName(key, lpServiceName, lpcchBuffer);
  });
}

namespace qvp {

bool SetSimulatedServiceState(const char* name, DWORD state, const char* display_name) {
  if (!IsValidServiceName(name) || state < SERVICE_STOPPED || state > SERVICE_PAUSED) return false;
  try {
    return Transact([&](Database& db) {
             ServiceRecord* record = db.Find(name);
             if (record == nullptr) {
               ServiceRecord fresh;
               fresh.serial = db.next_serial++;
               fresh.name = name;
               fresh.display_name = name;
               fresh.binary_path = name;
               fresh.simulated = true;
               db.services.push_back(fresh);
               record = &db.services.back();
             }
             if (display_name != nullptr && *display_name != '\0') record->display_name = display_name;
             record->MarkStopped(0);
             record->simulated = true;
             record->state = state;
             record->controls_accepted = state == SERVICE_STOPPED ? 0 : SERVICE_ACCEPT_STOP;
             return true;
           }) == ERROR_SUCCESS;
  } catch (...) {
    return false;
  }
}

}  // namespace qvp
