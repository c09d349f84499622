// The thread's last-error value as the window system sets it.
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/errors.h"

namespace qvp::ui {

void SetError(DWORD code);
DWORD GetError();
inline void SetErrorInvalidParameter() { SetError(ERROR_INVALID_PARAMETER); }

}  // namespace qvp::ui
