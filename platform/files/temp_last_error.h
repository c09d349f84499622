// Stand-ins for three kernel calls until the kernel facility lands on this branch.
#pragma once

#include "qvplatform/types.h"

QV_API DWORD GetLastError(void);
QV_API void SetLastError(DWORD dwErrCode);
QV_API BOOL CloseHandle(HANDLE hObject);
