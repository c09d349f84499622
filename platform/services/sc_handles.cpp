#include "services/sc_handles.h"

#include <cstring>

#include "files/win_error.h"

namespace qvp::services {
namespace {

constexpr DWORD kGenericRead = 0x80000000u;
constexpr DWORD kGenericWrite = 0x40000000u;
constexpr DWORD kGenericExecute = 0x20000000u;
constexpr DWORD kGenericAll = 0x10000000u;
constexpr DWORD kMaximumAllowed = 0x02000000u;

std::shared_ptr<ScObject> Lookup(SC_HANDLE handle, bool manager) {
  auto object = LookupHandleAs<ScObject>(reinterpret_cast<HANDLE>(handle));
  if (!object || object->is_manager != manager) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return object;
}

}  // namespace

SC_HANDLE InsertScObject(std::shared_ptr<ScObject> object) {
  return reinterpret_cast<SC_HANDLE>(InsertHandle(std::move(object)));
}

std::shared_ptr<ScObject> ManagerObject(SC_HANDLE handle) { return Lookup(handle, true); }
std::shared_ptr<ScObject> ServiceObject(SC_HANDLE handle) { return Lookup(handle, false); }

DWORD ManagerAccess(DWORD desired) {
  DWORD access = desired & 0x00FF003Fu;
  if (desired & (kGenericAll | kMaximumAllowed)) access |= SC_MANAGER_ALL_ACCESS;
  if (desired & kGenericRead) access |= READ_CONTROL | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS;
  if (desired & kGenericWrite) access |= READ_CONTROL | SC_MANAGER_CREATE_SERVICE | SC_MANAGER_MODIFY_BOOT_CONFIG;
  if (desired & kGenericExecute) access |= READ_CONTROL | SC_MANAGER_CONNECT | SC_MANAGER_LOCK;
  return access | SC_MANAGER_CONNECT;
}

DWORD ServiceAccess(DWORD desired) {
  DWORD access = desired & 0x00FF01FFu;
  if (desired & (kGenericAll | kMaximumAllowed)) access |= SERVICE_ALL_ACCESS;
  if (desired & kGenericRead) {
    access |= READ_CONTROL | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_INTERROGATE |
              SERVICE_ENUMERATE_DEPENDENTS;
  }
  if (desired & kGenericWrite) access |= READ_CONTROL | SERVICE_CHANGE_CONFIG;
  if (desired & kGenericExecute) {
    access |= READ_CONTROL | SERVICE_START | SERVICE_STOP | SERVICE_PAUSE_CONTINUE | SERVICE_USER_DEFINED_CONTROL;
  }
  return access;
}

void CountHandle(ServiceRecord& record, int delta) {
  const ProcessRef me = CurrentProcess();
  for (auto it = record.handles.begin(); it != record.handles.end(); ++it) {
    if (it->process == me) {
      if (delta > 0) {
        ++it->count;
      } else if (it->count <= 1) {
        record.handles.erase(it);
      } else {
        --it->count;
      }
      return;
    }
  }
  if (delta > 0) record.handles.push_back(HandleCount{me, 1});
}

ServiceRecord* RecordOf(Database& db, const ScObject& object) { return db.FindSerial(object.serial); }

bool IsValidServiceName(const char* name) {
  if (name == nullptr) return false;
  const size_t length = std::strlen(name);
  return length > 0 && length <= 256 && std::strpbrk(name, "/\\") == nullptr;
}

BOOL CopyName(const std::string& text, LPSTR buffer, LPDWORD count) {
  if (count == nullptr) return FailWith(ERROR_INVALID_PARAMETER);
  const DWORD length = static_cast<DWORD>(text.size());
  if (buffer == nullptr || *count < length + 1) {
    if (buffer != nullptr && *count > 0) buffer[0] = '\0';
    *count = length;
    return FailWith(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  *count = length;
  return TRUE;
}

}  // namespace qvp::services
