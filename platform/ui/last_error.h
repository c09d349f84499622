// The thread's last-error value, set through the kernel's SetLastError.
#pragma once

#include "qvplatform/kernel.h"

namespace qvp::ui {

inline void SetError(DWORD code) { SetLastError(code); }

}  // namespace qvp::ui
