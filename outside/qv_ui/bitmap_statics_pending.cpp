// Placeholder for the bitmap statics of qv_ui until their own module is
// merged: the four functions Logscout imports, doing nothing visible.
#include "qvplatform.h"

QV_API HINSTANCE WINAPI QVUI_GetBitmapInstance(void) { return nullptr; }
QV_API LPCSTR WINAPI QVUI_GetBitmapResource(int id) { return MAKEINTRESOURCEA(id); }
QV_API BOOL WINAPI QVUI_SubclassFancyBitmap(HWND control, LPCSTR, HINSTANCE) { return control != nullptr; }
QV_API BOOL WINAPI QVUI_UnsubclassWindow(HWND control) { return control != nullptr; }
