// Linux errno values as the Windows error codes callers test for.
#pragma once

#include "qvplatform/types.h"

namespace qvp {

DWORD WinErrorFromErrno(int error_number);

// Sets the calling thread's last error and returns FALSE, for the common
// "fail with this code" path of the Win32-shaped calls.
BOOL FailWith(DWORD error);
// The same for the current errno.
BOOL FailWithErrno();

}  // namespace qvp
