// CFile: a file of the layer, with errors kept as results.
#include "qv_ui_classes.h"

CFile::~CFile() {
  if (IsOpen()) CloseHandle(m_handle);
}

bool CFile::Fail(DWORD error) {
  m_error = error != 0 ? error : ERROR_GEN_FAILURE;
  SetLastError(m_error);
  return false;
}

bool CFile::Succeed() {
  m_error = 0;
  SetLastError(ERROR_SUCCESS);
  return true;
}

LONGLONG CFile::FailPosition(DWORD error) {
  Fail(error);
  return -1;
}

bool CFile::Check() { return IsOpen() ? true : Fail(ERROR_INVALID_HANDLE); }

bool CFile::Open(const char* path, unsigned flags) {
  if (IsOpen()) Close();
  DWORD access = 0;
  switch (flags & 0x3u) {
    case modeRead:
      access = GENERIC_READ;
      break;
    case modeWrite:
      access = GENERIC_WRITE;
      break;
    case modeReadWrite:
      access = GENERIC_READ | GENERIC_WRITE;
      break;
    default:
      return Fail(ERROR_INVALID_PARAMETER);
  }
  if (path == nullptr || path[0] == '\0') return Fail(ERROR_INVALID_PARAMETER);
  DWORD disposition = OPEN_EXISTING;
  if ((flags & modeCreate) != 0) disposition = (flags & modeNoTruncate) != 0 ? OPEN_ALWAYS : CREATE_ALWAYS;
  HANDLE handle = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Fail(GetLastError());
  m_handle = handle;
  m_path = path;
  return Succeed();
}

bool CFile::Close() {
  if (!Check()) return false;
  const BOOL closed = CloseHandle(m_handle);
  const DWORD error = GetLastError();
  m_handle = INVALID_HANDLE_VALUE;
  m_path.clear();
  return closed ? Succeed() : Fail(error);
}

DWORD CFile::Read(void* buffer, DWORD count) {
  if (!Check()) return 0;
  DWORD done = 0;
  if (!ReadFile(m_handle, buffer, count, &done, nullptr)) {
    // A part read before the failure has moved the position: put it back, so
    // that the file is as it was.
    const DWORD error = GetLastError();
    if (done > 0) Seek(-static_cast<LONGLONG>(done), current);
    Fail(error);
    return 0;
  }
  Succeed();
  return done;
}

bool CFile::Write(const void* buffer, DWORD count) {
  if (!Check()) return false;
  DWORD done = 0;
  if (!WriteFile(m_handle, buffer, count, &done, nullptr)) return Fail(GetLastError());
  if (done != count) return Fail(ERROR_HANDLE_DISK_FULL);
  return Succeed();
}

LONGLONG CFile::Seek(LONGLONG offset, unsigned from) {
  if (!Check()) return -1;
  if (from != begin && from != current && from != end) return FailPosition(ERROR_INVALID_PARAMETER);
  LONG high = static_cast<LONG>(offset >> 32);
  const DWORD low = SetFilePointer(m_handle, static_cast<LONG>(static_cast<DWORD>(offset)), &high, from);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return FailPosition(GetLastError());
  Succeed();
  return static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<DWORD>(high)) << 32) | low);
}

LONGLONG CFile::GetPosition() { return Seek(0, current); }

LONGLONG CFile::GetLength() {
  if (!Check()) return -1;
  DWORD high = 0;
  const DWORD low = GetFileSize(m_handle, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) return FailPosition(GetLastError());
  Succeed();
  return static_cast<LONGLONG>((static_cast<ULONGLONG>(high) << 32) | low);
}

bool CFile::SetLength(LONGLONG length) {
  if (!Check()) return false;
  if (length < 0) return Fail(ERROR_NEGATIVE_SEEK);
  const LONGLONG position = GetPosition();
  if (position < 0) return false;
  if (Seek(length, begin) < 0) return false;
  const bool cut = SetEndOfFile(m_handle) != FALSE;
  const DWORD error = GetLastError();
  if (Seek(position, begin) < 0) return false;
  return cut ? Succeed() : Fail(error);
}

bool CFile::Flush() {
  if (!Check()) return false;
  return FlushFileBuffers(m_handle) ? Succeed() : Fail(GetLastError());
}
