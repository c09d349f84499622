// Stand-in for the thread's last error until the kernel facility provides it.
// Weak, so that the kernel's definitions take over as soon as they are linked in.
#include "resources/kernel_imports.h"

namespace {
thread_local DWORD last_error = 0;
}

extern "C" __attribute__((weak)) void SetLastError(DWORD dwErrCode) { last_error = dwErrCode; }
extern "C" __attribute__((weak)) DWORD GetLastError() { return last_error; }
