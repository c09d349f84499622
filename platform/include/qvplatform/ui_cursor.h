// Mouse cursors: the stock cursors of the system and the current cursor.
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/resources.h"

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_UPARROW MAKEINTRESOURCEA(32516)
#define IDC_SIZENWSE MAKEINTRESOURCEA(32642)
#define IDC_SIZENESW MAKEINTRESOURCEA(32643)
#define IDC_SIZEWE MAKEINTRESOURCEA(32644)
#define IDC_SIZENS MAKEINTRESOURCEA(32645)
#define IDC_SIZEALL MAKEINTRESOURCEA(32646)
#define IDC_NO MAKEINTRESOURCEA(32648)
#define IDC_HAND MAKEINTRESOURCEA(32649)
#define IDC_APPSTARTING MAKEINTRESOURCEA(32650)

// A null instance with an IDC_ id gives the stock cursor, the same handle every
// time; module cursors are not offered (ERROR_RESOURCE_NAME_NOT_FOUND).
QV_API HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
// Makes the cursor current and returns the previous one (null when none was).
QV_API HCURSOR WINAPI SetCursor(HCURSOR hCursor);
QV_API HCURSOR WINAPI GetCursor();
