// Linux errno values as the Windows error codes callers test for.
#pragma once

#include <new>

#include "qvplatform/errors.h"
#include "qvplatform/files.h"
#include "qvplatform/kernel.h"
#include "qvplatform/types.h"

namespace qvp {

DWORD WinErrorFromErrno(int error_number);

// Sets the calling thread's last error and returns FALSE, for the common
// "fail with this code" path of the Win32-shaped calls.
BOOL FailWith(DWORD error);
// The same for the current errno.
BOOL FailWithErrno();

// Runs the body of a Win32-shaped call so that no exception leaves it: a failed
// allocation becomes `failure` with ERROR_NOT_ENOUGH_MEMORY.
template <class R, class Body>
R NoThrow(R failure, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (...) {
    SetLastError(ERROR_GEN_FAILURE);
  }
  return failure;
}

}  // namespace qvp
