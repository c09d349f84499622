#include "file_io.h"

#include "program_paths.h"
#include "res_text.h"

namespace {

constexpr UINT kNoMemoryText = 10018;
constexpr UINT kNoLockText = 10019;
constexpr UINT kStillLockedText = 10020;
constexpr UINT kFreeFailedText = 10021;
constexpr UINT kCannotOpenText = 10032;

constexpr DWORD kLargestLockedSize = 0xffffffffu - kLockedBufferSpare;

}  // namespace

void* AllocLockedBuffer(HGLOBAL* holder, DWORD size) {
  if (holder != nullptr) *holder = nullptr;
  HGLOBAL block = nullptr;
  if (size <= kLargestLockedSize) {
    block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(size) + kLockedBufferSpare);
  } else {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  }
  if (block == nullptr) {
    ShowResMessage(nullptr, kNoMemoryText, MB_ICONERROR);
    return nullptr;
  }
  void* data = GlobalLock(block);
  if (data == nullptr) {
    ShowResMessage(nullptr, kNoLockText, MB_ICONERROR);
    GlobalFree(block);
    return nullptr;
  }
  if (holder != nullptr) *holder = block;
  return data;
}

void FreeLockedBuffer(HGLOBAL* holder) {
  if (holder == nullptr) return;
  if (*holder != nullptr) {
    if (GlobalUnlock(*holder)) {
      ShowResMessage(nullptr, kStillLockedText, MB_ICONERROR);
    } else if (GlobalFree(*holder) != nullptr) {
      ShowResMessage(nullptr, kFreeFailedText, MB_ICONERROR);
    }
  }
  *holder = nullptr;
}

void* ReadWholeFile(const char* path, HGLOBAL* holder, BOOL showError, DWORD shareMode,
                    DWORD* size) {
  if (holder != nullptr) *holder = nullptr;
  if (size != nullptr) *size = 0;
  WIN32_FIND_DATAA found;
  if (holder == nullptr || !FileExists(path, &found)) return nullptr;
  HANDLE file = CreateFileA(path, GENERIC_READ, shareMode, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (showError) ShowResMessage(nullptr, kCannotOpenText, MB_ICONWARNING, path);
    return nullptr;
  }
  if (found.nFileSizeHigh != 0) {  // past what a locked buffer holds
    CloseHandle(file);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    ShowResMessage(nullptr, kNoMemoryText, MB_ICONERROR);
    return nullptr;
  }
  const DWORD expected = found.nFileSizeLow;
  auto* data = static_cast<BYTE*>(AllocLockedBuffer(holder, expected));
  if (data == nullptr) {
    CloseHandle(file);
    return nullptr;
  }
  DWORD done = 0;
  while (done < expected) {
    const DWORD piece = expected - done < kWholeFilePiece ? expected - done : kWholeFilePiece;
    DWORD got = 0;
    if (!ReadFile(file, data + done, piece, &got, nullptr)) {
      const DWORD error = GetLastError();
      CloseHandle(file);
      FreeLockedBuffer(holder);
      if (showError) ShowResMessage(nullptr, kCannotOpenText, MB_ICONWARNING, path);
      SetLastError(error);
      return nullptr;
    }
    if (got == 0) break;  // the file became shorter since it was found
    done += got;
  }
  CloseHandle(file);
  if (size != nullptr) *size = done;
  return data;
}

int WriteWholeFile(const char* path, const void* data, DWORD size) {
  if (data == nullptr && size != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const auto* bytes = static_cast<const BYTE*>(data);
  DWORD error = ERROR_SUCCESS;
  DWORD done = 0;
  while (done < size) {
    const DWORD piece = size - done < kWholeFilePiece ? size - done : kWholeFilePiece;
    DWORD written = 0;
    if (!WriteFile(file, bytes + done, piece, &written, nullptr)) {
      error = GetLastError();
      break;
    }
    if (written != piece) {  // a short write: the medium is full
      error = ERROR_DISK_FULL;
      break;
    }
    done += written;
  }
  if (!CloseHandle(file) && error == ERROR_SUCCESS) {
    error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_INVALID_HANDLE;
  }
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return 0;
  }
  return 1;
}
