// Local files and completion messages through the platform layer.
#include "local_file.h"

#include "qvplatform/files.h"
#include "qvplatform/kernel.h"
#include "qvplatform/ui_message.h"

namespace ftp4w {

bool LocalFile::Create(const char* path) {
  Close();
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = file;
  return true;
}

bool LocalFile::OpenForReading(const char* path) {
  Close();
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = file;
  return true;
}

bool LocalFile::Write(const char* data, size_t size) {
  while (size > 0) {
    const DWORD part = size > 1u << 20 ? 1u << 20 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handle_, data, part, &written, nullptr) || written != part) return false;
    data += part;
    size -= part;
  }
  return true;
}

long LocalFile::Read(char* buffer, size_t size) {
  DWORD got = 0;
  const DWORD want = size > 1u << 20 ? 1u << 20 : static_cast<DWORD>(size);
  if (!ReadFile(handle_, buffer, want, &got, nullptr)) return -1;
  return static_cast<long>(got);
}

int64_t LocalFile::Size() const {
  DWORD high = 0;
  const DWORD low = GetFileSize(handle_, &high);
  return (static_cast<int64_t>(high) << 32) | low;
}

void LocalFile::Close() {
  if (handle_ != nullptr) CloseHandle(handle_);
  handle_ = nullptr;
}

void PostResult(void* window, unsigned message, int result) {
  PostMessageA(static_cast<HWND>(window), message, static_cast<WPARAM>(static_cast<unsigned>(result)), 0);
}

}  // namespace ftp4w
