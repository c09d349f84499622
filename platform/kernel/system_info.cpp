// Version answer, computer name and MulDiv.
#include <unistd.h>

#include <cstring>
#include <mutex>

#include "qvplatform/kernel.h"

namespace {

struct VersionAnswer {
  DWORD major;
  DWORD minor;
  DWORD build;
  DWORD platform;
  const char* service_pack;
};

constexpr VersionAnswer kDefaultVersion{4, 0, 1381, VER_PLATFORM_WIN32_NT, "Service Pack 6"};

struct VersionState {
  std::mutex lock;
  VersionAnswer answer = kDefaultVersion;
};

VersionState& Version() {
  static auto* state = new VersionState;
  return *state;
}

VersionAnswer CurrentVersion() {
  VersionState& state = Version();
  std::lock_guard<std::mutex> lock(state.lock);
  return state.answer;
}

// The build numbers the released versions report.
DWORD BuildNumberOf(DWORD major, DWORD minor, DWORD platform) {
  struct Known {
    DWORD major, minor, platform, build;
  };
  static const Known kKnown[] = {
      {3, 51, VER_PLATFORM_WIN32_NT, 1057},     {4, 0, VER_PLATFORM_WIN32_NT, 1381},
      {5, 0, VER_PLATFORM_WIN32_NT, 2195},      {5, 1, VER_PLATFORM_WIN32_NT, 2600},
      {4, 0, VER_PLATFORM_WIN32_WINDOWS, 950},  {4, 10, VER_PLATFORM_WIN32_WINDOWS, 1998},
      {4, 90, VER_PLATFORM_WIN32_WINDOWS, 3000}};
  for (const Known& k : kKnown) {
    if (k.major == major && k.minor == minor && k.platform == platform) return k.build;
  }
  return 0;
}

}  // namespace

namespace qvp {

void SetVersionForTests(DWORD major, DWORD minor, DWORD platform_id) {
  VersionState& state = Version();
  std::lock_guard<std::mutex> lock(state.lock);
  state.answer = VersionAnswer{major, minor, BuildNumberOf(major, minor, platform_id), platform_id,
                               major == 4 && minor == 0 && platform_id == VER_PLATFORM_WIN32_NT
                                   ? kDefaultVersion.service_pack
                                   : ""};
}

void ResetVersionForTests() {
  VersionState& state = Version();
  std::lock_guard<std::mutex> lock(state.lock);
  state.answer = kDefaultVersion;
}

}  // namespace qvp

QV_API BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
  if (lpVersionInformation == nullptr ||
      lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const VersionAnswer v = CurrentVersion();
  lpVersionInformation->dwMajorVersion = v.major;
  lpVersionInformation->dwMinorVersion = v.minor;
  // Windows 95/98/Me keep the version in the high word of the build number.
  lpVersionInformation->dwBuildNumber =
      v.platform == VER_PLATFORM_WIN32_NT ? v.build : ((v.major << 24) | (v.minor << 16) | v.build);
  lpVersionInformation->dwPlatformId = v.platform;
  std::memset(lpVersionInformation->szCSDVersion, 0, sizeof(lpVersionInformation->szCSDVersion));
  std::strncpy(lpVersionInformation->szCSDVersion, v.service_pack,
               sizeof(lpVersionInformation->szCSDVersion) - 1);
  return TRUE;
}

QV_API DWORD GetVersion(void) {
  const VersionAnswer v = CurrentVersion();
  const DWORD low = (v.major & 0xFF) | ((v.minor & 0xFF) << 8);
  if (v.platform == VER_PLATFORM_WIN32_NT) return low | ((v.build & 0x7FFF) << 16);
  return low | 0x80000000u | ((v.build & 0x7FFF) << 16);  // the high bit marks the non-NT platforms
}

QV_API BOOL GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize) {
  if (nSize == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  char host[256] = {};
  if (gethostname(host, sizeof(host) - 1) != 0) host[0] = '\0';
  // The machine name as Windows shows it: the first label, upper case, at most
  // MAX_COMPUTERNAME_LENGTH characters.
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = 0;
  for (const char* p = host; *p != '\0' && *p != '.' && length < MAX_COMPUTERNAME_LENGTH; ++p) {
    name[length++] = (*p >= 'a' && *p <= 'z') ? static_cast<char>(*p - 'a' + 'A') : *p;
  }
  if (lpBuffer == nullptr || *nSize < length + 1) {
    *nSize = length + 1;
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  std::memcpy(lpBuffer, name, length + 1);
  *nSize = length;
  return TRUE;
}

// number * numerator / denominator with a 64-bit intermediate, rounded half
// away from zero; -1 when the denominator is 0 or the result does not fit.
QV_API int MulDiv(int nNumber, int nNumerator, int nDenominator) {
  if (nDenominator == 0) return -1;
  const int64_t product = static_cast<int64_t>(nNumber) * nNumerator;
  const bool negative = (product < 0) != (nDenominator < 0);
  const uint64_t magnitude = product < 0 ? static_cast<uint64_t>(-product) : static_cast<uint64_t>(product);
  const uint64_t divisor = nDenominator < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(nDenominator))
                                            : static_cast<uint64_t>(nDenominator);
  const uint64_t quotient = (magnitude + divisor / 2) / divisor;
  if (quotient > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return -1;
  return negative ? static_cast<int>(-static_cast<int64_t>(quotient)) : static_cast<int>(quotient);
}
