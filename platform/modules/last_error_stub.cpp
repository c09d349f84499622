#include "modules/last_error_stub.h"

namespace {
thread_local DWORD last_error = 0;
}

QV_API void SetLastError(DWORD dwErrCode) { last_error = dwErrCode; }
QV_API DWORD GetLastError(void) { return last_error; }
