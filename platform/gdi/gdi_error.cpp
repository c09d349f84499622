#include "gdi/gdi_error.h"

// The kernel facility owns the thread's last error. Until it is linked into the
// same library the GDI keeps its own per-thread value, so the GDI builds and
// tests on its own.
extern "C" __attribute__((weak)) void SetLastError(DWORD dwErrCode);
extern "C" __attribute__((weak)) DWORD GetLastError(void);

namespace qvp::gdi {
namespace {
thread_local DWORD fallback_error = 0;
}  // namespace

void SetError(DWORD code) {
  if (::SetLastError != nullptr) {
    ::SetLastError(code);
  } else {
    fallback_error = code;
  }
}

DWORD LastError() { return ::GetLastError != nullptr ? ::GetLastError() : fallback_error; }

}  // namespace qvp::gdi
