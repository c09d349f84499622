// CloseHandle, DuplicateHandle, the process identity and the per-thread last error.
#include <unistd.h>

#include <new>

#include "kernel/threads.h"
#include "qvplatform/kernel.h"

namespace {
thread_local DWORD t_last_error = 0;

bool IsPseudoHandle(HANDLE handle) {
  return handle == qvp::CurrentProcessPseudoHandle() || handle == qvp::CurrentThreadPseudoHandle();
}

bool IsCurrentProcess(HANDLE handle) {
  return handle == qvp::CurrentProcessPseudoHandle() ||
         std::dynamic_pointer_cast<qvp::ProcessObject>(qvp::LookupHandle(handle)) != nullptr;
}
}  // namespace

QV_API DWORD GetLastError(void) { return t_last_error; }

QV_API void SetLastError(DWORD dwErrCode) { t_last_error = dwErrCode; }

QV_API BOOL CloseHandle(HANDLE hObject) {
  if (IsPseudoHandle(hObject)) return TRUE;
  if (!qvp::RemoveHandle(hObject)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

QV_API BOOL DuplicateHandle(HANDLE hSourceProcessHandle, HANDLE hSourceHandle,
                            HANDLE hTargetProcessHandle, LPHANDLE lpTargetHandle, DWORD,
                            BOOL, DWORD dwOptions) {
  if (!IsCurrentProcess(hSourceProcessHandle) || !IsCurrentProcess(hTargetProcessHandle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::shared_ptr<qvp::KernelObject> object = qvp::LookupObject(hSourceHandle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lpTargetHandle != nullptr) {
    try {
      *lpTargetHandle = qvp::InsertHandle(std::move(object));
    } catch (const std::bad_alloc&) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return FALSE;
    }
  }
  if ((dwOptions & DUPLICATE_CLOSE_SOURCE) != 0 && !IsPseudoHandle(hSourceHandle)) {
    qvp::RemoveHandle(hSourceHandle);
  }
  return TRUE;
}

QV_API HANDLE GetCurrentProcess(void) { return qvp::CurrentProcessPseudoHandle(); }

QV_API DWORD GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }
