#include "kernel/environment.h"

#include <stdlib.h>
#include <strings.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <new>

#include "qvplatform/kernel.h"

namespace qvp {
namespace {

std::mutex& EnvironmentLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

// With the lock held: the entry "NAME=value" for the name, exact case first.
const char* FindEntry(const char* name) {
  const size_t length = std::strlen(name);
  const char* caseless = nullptr;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    // A prefix match of `length` characters guarantees the entry is that long.
    if (strncasecmp(*entry, name, length) != 0 || (*entry)[length] != '=') continue;
    if (std::strncmp(*entry, name, length) == 0) return *entry;
    if (caseless == nullptr) caseless = *entry;
  }
  return caseless;
}

}  // namespace

std::optional<std::string> ReadEnvironment(const char* name) {
  std::lock_guard<std::mutex> lock(EnvironmentLock());
  const char* entry = FindEntry(name);
  if (entry == nullptr) return std::nullopt;
  return std::string(entry + std::strlen(name) + 1);
}

std::vector<std::string> EnvironmentEntries() {
  std::lock_guard<std::mutex> lock(EnvironmentLock());
  std::vector<std::string> entries;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) entries.emplace_back(*entry);
  return entries;
}

}  // namespace qvp

QV_API DWORD GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
  if (lpName == nullptr || *lpName == '\0' || std::strchr(lpName, '=') != nullptr) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  std::optional<std::string> value;
  try {
    value = qvp::ReadEnvironment(lpName);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  if (!value) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  const DWORD length = static_cast<DWORD>(value->size());
  if (lpBuffer == nullptr || nSize < length + 1) return length + 1;  // size needed, with the NUL
  std::memcpy(lpBuffer, value->c_str(), length + 1);
  if (length == 0) SetLastError(NO_ERROR);
  return length;
}

QV_API BOOL SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue) {
  if (lpName == nullptr || *lpName == '\0' || std::strchr(lpName, '=') != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  try {
    std::lock_guard<std::mutex> lock(qvp::EnvironmentLock());
    // A variable set under another case is the same variable.
    std::string name = lpName;
    if (const char* entry = qvp::FindEntry(lpName)) name.assign(entry, std::strlen(lpName));
    const int rc = lpValue == nullptr ? unsetenv(name.c_str()) : setenv(name.c_str(), lpValue, 1);
    if (rc != 0) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return FALSE;
    }
    return TRUE;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
}
