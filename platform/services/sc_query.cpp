// Status, configuration and the list of services.
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "files/win_error.h"
#include "services/sc_handles.h"

namespace qvp::services {
namespace {

// Copies text with its NUL to `at` and returns the copy.
LPSTR Place(char* at, const std::string& text) {
  std::memcpy(at, text.c_str(), text.size() + 1);
  return at;
}

size_t EntrySize(const ServiceRecord& r) {
  return sizeof(ENUM_SERVICE_STATUSA) + r.name.size() + 1 + r.display_name.size() + 1;
}

bool Matches(const ServiceRecord& r, DWORD type_filter, DWORD state_filter) {
  if ((r.type & type_filter & ~SERVICE_INTERACTIVE_PROCESS) == 0) return false;
  const bool active = r.state != SERVICE_STOPPED;
  return active ? (state_filter & SERVICE_ACTIVE) != 0 : (state_filter & SERVICE_INACTIVE) != 0;
}

}  // namespace
}  // namespace qvp::services

using namespace qvp::services;

QV_API BOOL QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    std::shared_ptr<ScObject> service = ServiceObject(hService);
    if (!service) return FALSE;
    if ((service->access & SERVICE_QUERY_STATUS) == 0) return qvp::FailWith(ERROR_ACCESS_DENIED);
    if (lpServiceStatus == nullptr) return qvp::FailWith(ERROR_INVALID_ADDRESS);
    DWORD result = ERROR_SUCCESS;
    SERVICE_STATUS status{};
    DWORD error = Transact([&](Database& db) {
      ServiceRecord* record = RecordOf(db, *service);
      if (record == nullptr) {
        result = ERROR_INVALID_HANDLE;
        return false;
      }
      bool changed = false;
      status = record->Answer(&changed);
      return changed;
    });
    if (error == ERROR_SUCCESS) error = result;
    if (error != ERROR_SUCCESS) return qvp::FailWith(error);
    *lpServiceStatus = status;
    return TRUE;
  });
}

QV_API BOOL QueryServiceConfigA(SC_HANDLE hService, LPQUERY_SERVICE_CONFIGA lpServiceConfig, DWORD cbBufSize,
                                LPDWORD pcbBytesNeeded) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    std::shared_ptr<ScObject> service = ServiceObject(hService);
    if (!service) return FALSE;
    if ((service->access & SERVICE_QUERY_CONFIG) == 0) return qvp::FailWith(ERROR_ACCESS_DENIED);
    if (pcbBytesNeeded == nullptr || (lpServiceConfig == nullptr && cbBufSize != 0)) {
      return qvp::FailWith(ERROR_INVALID_ADDRESS);
    }
    ServiceRecord copy;
    bool found = false;
    DWORD error = Transact([&](Database& db) {
      if (ServiceRecord* record = RecordOf(db, *service)) {
        copy = *record;
        found = true;
      }
      return false;
    });
    if (error != ERROR_SUCCESS) return qvp::FailWith(error);
    if (!found) return qvp::FailWith(ERROR_INVALID_HANDLE);

    size_t dependencies_size = 1;  // the list's closing NUL
    for (const std::string& d : copy.dependencies) dependencies_size += d.size() + 1;
    const size_t needed = sizeof(QUERY_SERVICE_CONFIGA) + copy.binary_path.size() + 1 +
                          copy.load_order_group.size() + 1 + dependencies_size + copy.account.size() + 1 +
                          copy.display_name.size() + 1;
    if (cbBufSize < needed) {
      *pcbBytesNeeded = static_cast<DWORD>(needed);
      return qvp::FailWith(ERROR_INSUFFICIENT_BUFFER);
    }
    QUERY_SERVICE_CONFIGA* config = lpServiceConfig;
    char* at = reinterpret_cast<char*>(config + 1);
    config->dwServiceType = copy.type;
    config->dwStartType = copy.start_type;
    config->dwErrorControl = copy.error_control;
    config->dwTagId = copy.tag_id;
    config->lpBinaryPathName = Place(at, copy.binary_path);
    at += copy.binary_path.size() + 1;
    config->lpLoadOrderGroup = Place(at, copy.load_order_group);
    at += copy.load_order_group.size() + 1;
    config->lpDependencies = at;
    for (const std::string& d : copy.dependencies) {
      Place(at, d);
      at += d.size() + 1;
    }
    *at++ = '\0';
    config->lpServiceStartName = Place(at, copy.account);
    at += copy.account.size() + 1;
    config->lpDisplayName = Place(at, copy.display_name);
    *pcbBytesNeeded = static_cast<DWORD>(needed);
    return TRUE;
  });
}

QV_API BOOL EnumServicesStatusA(SC_HANDLE hSCManager, DWORD dwServiceType, DWORD dwServiceState,
                                LPENUM_SERVICE_STATUSA lpServices, DWORD cbBufSize, LPDWORD pcbBytesNeeded,
                                LPDWORD lpServicesReturned, LPDWORD lpResumeHandle) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    std::shared_ptr<ScObject> manager = ManagerObject(hSCManager);
    if (!manager) return FALSE;
    if ((manager->access & SC_MANAGER_ENUMERATE_SERVICE) == 0) return qvp::FailWith(ERROR_ACCESS_DENIED);
    if (pcbBytesNeeded == nullptr || lpServicesReturned == nullptr || (lpServices == nullptr && cbBufSize != 0)) {
      return qvp::FailWith(ERROR_INVALID_ADDRESS);
    }
    if ((dwServiceType & SERVICE_TYPE_ALL) == 0 || (dwServiceType & ~SERVICE_TYPE_ALL) != 0 ||
        dwServiceState < SERVICE_ACTIVE || dwServiceState > SERVICE_STATE_ALL) {
      return qvp::FailWith(ERROR_INVALID_PARAMETER);
    }
    const size_t start = lpResumeHandle != nullptr ? *lpResumeHandle : 0;
    size_t placed = 0;
    size_t rest_needed = 0;
    bool complete = true;
    DWORD error = Transact([&](Database& db) {
      std::vector<ServiceRecord*> list;
      for (ServiceRecord& r : db.services) {
        if (Matches(r, dwServiceType, dwServiceState)) list.push_back(&r);
      }
      std::sort(list.begin(), list.end(), [](const ServiceRecord* a, const ServiceRecord* b) {
        return strcasecmp(a->name.c_str(), b->name.c_str()) < 0;
      });
      // Records from the front of the buffer, their strings from its end.
      char* const base = reinterpret_cast<char*>(lpServices);
      size_t fixed_end = 0;
      size_t strings_begin = cbBufSize;
      bool changed = false;
      for (size_t i = start; i < list.size(); ++i) {
        ServiceRecord& r = *list[i];
        const size_t size = EntrySize(r);
        if (!complete || fixed_end + size > strings_begin) {
          complete = false;
          rest_needed += size;
          continue;
        }
        ENUM_SERVICE_STATUSA* entry = lpServices + placed;
        strings_begin -= r.display_name.size() + 1;
        entry->lpDisplayName = Place(base + strings_begin, r.display_name);
        strings_begin -= r.name.size() + 1;
        entry->lpServiceName = Place(base + strings_begin, r.name);
        entry->ServiceStatus = r.Answer(&changed);
        fixed_end += sizeof(ENUM_SERVICE_STATUSA);
        ++placed;
      }
      return changed;
    });
    if (error != ERROR_SUCCESS) return qvp::FailWith(error);
    *lpServicesReturned = static_cast<DWORD>(placed);
    if (complete) {
      *pcbBytesNeeded = 0;
      if (lpResumeHandle != nullptr) *lpResumeHandle = 0;
      return TRUE;
    }
    *pcbBytesNeeded = static_cast<DWORD>(rest_needed);
    if (lpResumeHandle != nullptr) *lpResumeHandle = static_cast<DWORD>(start + placed);
    return qvp::FailWith(ERROR_MORE_DATA);
  });
}
