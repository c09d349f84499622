// The thread's last-error value as the GDI sets it.
#pragma once

#include "qvplatform/types.h"

namespace qvp::gdi {

// Sets the calling thread's last error (the kernel's SetLastError).
void SetError(DWORD code);
// The calling thread's last error (the kernel's GetLastError).
DWORD LastError();

}  // namespace qvp::gdi
