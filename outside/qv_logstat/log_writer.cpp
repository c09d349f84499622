// Appending entries: one whole entry per write, under a lock named after the
// file, so that writers of one process never interleave.
#include <cstdint>
#include <ctime>
#include <string>

#include "entry_format.h"
#include "qv_logstat.h"

namespace {

// "QVLS_" and a hash of the file's full path in upper case: every spelling of
// one path names one lock.
std::string LockName(LPCSTR path) {
  char full[MAX_PATH * 2];
  const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
  std::string key = length > 0 && length < sizeof full ? std::string(full, length) : std::string(path);
  for (char& c : key) {
    if (c == '/') c = '\\';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : key) hash = (hash ^ c) * 1099511628211ull;
  char name[40];
  wsprintfA(name, "QVLS_%08lX%08lX", static_cast<unsigned long>(hash >> 32),
            static_cast<unsigned long>(hash & 0xFFFFFFFFu));
  return name;
}

bool AppendUnderLock(LPCSTR path, const std::string& bytes) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LONG high = 0;
  bool written = false;
  if (SetFilePointer(file, 0, &high, FILE_END) != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR) {
    DWORD done = 0;
    written = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) != FALSE &&
              done == bytes.size();
  }
  const DWORD error = GetLastError();
  CloseHandle(file);
  if (!written) SetLastError(error != NO_ERROR ? error : ERROR_WRITE_FAULT);
  return written;
}

}  // namespace

QV_API int QVLS_WriteEntryIntoLogStatusFile(HWND /*owner*/, const QVLS_FIELD* fields, int count, int /*flags*/,
                                            LPCSTR path, int /*reserved*/) {
  if (fields == nullptr || count < 1 || count > QVLS_MAX_FIELDS || path == nullptr || path[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string bytes;
  std::string name;
  try {
    bytes = qvls::EncodeEntry(fields, count, static_cast<uint32_t>(std::time(nullptr)));
    name = LockName(path);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  HANDLE lock = CreateMutexA(nullptr, FALSE, name.c_str());
  if (lock == nullptr) return 0;
  WaitForSingleObject(lock, INFINITE);
  SetLastError(NO_ERROR);
  const bool written = AppendUnderLock(path, bytes);
  const DWORD error = GetLastError();
  ReleaseMutex(lock);
  CloseHandle(lock);
  SetLastError(written ? NO_ERROR : error);
  return written ? 1 : 0;
}

QV_API int QVLS_DeleteLogStatusFile(LPCSTR path) {
  if (path == nullptr || path[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string name;
  try {
    name = LockName(path);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  HANDLE lock = CreateMutexA(nullptr, FALSE, name.c_str());
  if (lock == nullptr) return 0;
  WaitForSingleObject(lock, INFINITE);
  const bool gone = DeleteFileA(path) != FALSE || GetLastError() == ERROR_FILE_NOT_FOUND;
  const DWORD error = GetLastError();
  ReleaseMutex(lock);
  CloseHandle(lock);
  SetLastError(gone ? NO_ERROR : error);
  return gone ? 1 : 0;
}
