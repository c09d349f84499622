// Stand-in for the kernel facility's last-error calls until that facility is
// part of the tree; removed when it is.
#pragma once

#include "qvplatform/types.h"

QV_API void SetLastError(DWORD dwErrCode);
QV_API DWORD GetLastError(void);
