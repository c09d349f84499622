// What the resource functions take from the kernel facility: the thread's last
// error and the local heap (FORMAT_MESSAGE_ALLOCATE_BUFFER).
#pragma once

#include "qvplatform/types.h"

QV_API void SetLastError(DWORD dwErrCode);
QV_API DWORD GetLastError(void);
// Weak until the kernel facility is linked in: FormatMessageA checks it is there.
QV_API HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes) __attribute__((weak));
QV_API HLOCAL LocalFree(HLOCAL hMem) __attribute__((weak));
