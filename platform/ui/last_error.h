// The thread's last-error value as the window system sets it.
#pragma once

#include "qvplatform/types.h"

namespace qvp::ui {

void SetError(DWORD code);
DWORD GetError();

}  // namespace qvp::ui
