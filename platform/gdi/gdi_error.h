// The thread's last-error value as the GDI sets it (the kernel's).
#pragma once

#include "qvplatform/kernel.h"

namespace qvp::gdi {

inline void SetError(DWORD code) { ::SetLastError(code); }

}  // namespace qvp::gdi
