// SC_HANDLE objects: a manager or a service opened with some access. They
// live in the layer's handle table; CloseServiceHandle removes them.
#pragma once

#include <memory>
#include <string>

#include "kernel/handles.h"
#include "services/service_db.h"

namespace qvp::services {

class ScObject : public KernelObject {
 public:
  bool is_manager = false;
  DWORD access = 0;
  uint64_t serial = 0;  // the service's, for a service handle
  std::string name;     // the service's name as the database keeps it
};

SC_HANDLE InsertScObject(std::shared_ptr<ScObject> object);
// Null (with ERROR_INVALID_HANDLE set) when the handle is not of that kind.
std::shared_ptr<ScObject> ManagerObject(SC_HANDLE handle);
std::shared_ptr<ScObject> ServiceObject(SC_HANDLE handle);

// Generic and maximum rights turned into the specific ones.
DWORD ManagerAccess(DWORD desired);
DWORD ServiceAccess(DWORD desired);

// Counts one more (delta 1) or one fewer (-1) open handle of this process.
void CountHandle(ServiceRecord& record, int delta);

// The service a handle stands for, within a transaction; null when it is gone.
ServiceRecord* RecordOf(Database& db, const ScObject& object);

// A valid service name: 1 to 256 characters, no '/' or '\'.
bool IsValidServiceName(const char* name);

// Copies text and its NUL into a caller's buffer of *count characters; sets
// *count to the length and fails with ERROR_INSUFFICIENT_BUFFER when short.
BOOL CopyName(const std::string& text, LPSTR buffer, LPDWORD count);

}  // namespace qvp::services
