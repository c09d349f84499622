// Stand-ins for three kernel calls until the kernel facility lands on this branch.
#include "files/temp_last_error.h"

#include "kernel/handles.h"
#include "qvplatform/errors.h"

namespace {
thread_local DWORD t_last_error = 0;
}

DWORD GetLastError(void) { return t_last_error; }

void SetLastError(DWORD dwErrCode) { t_last_error = dwErrCode; }

BOOL CloseHandle(HANDLE hObject) {
  if (qvp::RemoveHandle(hObject)) return TRUE;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}
