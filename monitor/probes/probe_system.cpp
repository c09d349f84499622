// The tests of this computer's own resources: free disk space, an NT
// service's state and an ODBC data source's log-on.
#include "probe_kinds.h"
#include "probe_libraries.h"

namespace {

constexpr char kCannotAccessDisk[] = "3 Cannot access Disk";
constexpr ULONGLONG kBytesPerMB = 1000000;

std::string WithError(const char* text) { return std::to_string(GetLastError()) + " " + text; }

// Free megabytes of the volume that holds the path, or false.
bool FreeMegabytes(const std::string& path, ULONGLONG* megabytes) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  const bool extended = version.dwPlatformId == VER_PLATFORM_WIN32_NT ||
                        (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && LOWORD(version.dwBuildNumber) > 1000);
  if (extended) {
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER free{};
    if (!GetDiskFreeSpaceExA(path.c_str(), &available, &total, &free)) return false;
    *megabytes = free.QuadPart / kBytesPerMB;
    return true;
  }
  DWORD sectorsPerCluster = 0;
  DWORD bytesPerSector = 0;
  DWORD freeClusters = 0;
  DWORD clusters = 0;
  if (!GetDiskFreeSpaceA(path.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) return false;
  *megabytes = static_cast<ULONGLONG>(freeClusters) * sectorsPerCluster * bytesPerSector / kBytesPerMB;
  return true;
}

}  // namespace

// A UNC path reaches no share here: the file layer refuses it, so the test
// reports the disk as not accessible.
int ProbeDiskSpace(const ProbeTarget& target, std::string& message) {
  ULONGLONG megabytes = 0;
  if (!FreeMegabytes(target.host, &megabytes)) {
    message = kCannotAccessDisk;
    return 0;
  }
  // Below the threshold the disk is down, though it answered: the message
  // stays "0 OK".
  message = "0 OK";
  const ULONGLONG threshold = target.port < 0 ? 0 : static_cast<ULONGLONG>(target.port);
  return megabytes >= threshold ? 1 : 0;
}

int ProbeService(const ProbeTarget& target, std::string& message) {
  const SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) {
    message = WithError("Failed to Open Service Manager\n");
    return 0;
  }
  int up = 0;
  const SC_HANDLE service = OpenServiceA(manager, target.hostPath.c_str(), SERVICE_QUERY_STATUS);
  if (service == nullptr) {
    message = WithError("Failed to Access Service for Status\n");
  } else {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service, &status)) {
      message = WithError("Failed to Query Service Status\n");
    } else if (status.dwCurrentState == SERVICE_STOPPED) {
      up = 0;
    } else if (status.dwCurrentState == SERVICE_START_PENDING) {
      up = target.lastResult == 1 ? 1 : 0;  // a starting service keeps its last result
    } else {
      up = 1;  // running, paused, or on its way to stop, pause or continue
    }
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  return up;
}

int ProbeOdbc(const ProbeTarget& target, const ProbeOptions& options) {
  const std::shared_ptr<const OdbcLibrary> odbc = OdbcBinding();
  if (!odbc) return 0;
  SQLHENV env = nullptr;
  if (odbc->allocEnv(&env) != SQL_SUCCESS) return 0;
  int up = 0;
  SQLHDBC connection = nullptr;
  if (odbc->allocConnect(env, &connection) == SQL_SUCCESS) {
    if (odbc->setConnectAttr != nullptr) {
      const DWORD seconds = (options.maxConnectTimeMs + 999) / 1000;
      odbc->setConnectAttr(connection, SQL_ATTR_LOGIN_TIMEOUT,
                           reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(seconds)), SQL_IS_UINTEGER);
    }
    // The texts go whole, with a terminating NUL instead of a length that
    // would have to fit a short.
    auto text = [](const std::string& s) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str())); };
    const SQLRETURN rc = odbc->connect(connection, text(target.host), SQL_NTS, text(target.userName), SQL_NTS,
                                       text(target.password), SQL_NTS);
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
      up = 1;
      odbc->disconnect(connection);
    }
    odbc->freeConnect(connection);
  }
  odbc->freeEnv(env);
  return up;
}
