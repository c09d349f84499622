// The user-interface helper library: the QVUI_ functions that the program,
// the monitoring plug-in and Logscout call.
#pragma once

#include "qvplatform.h"

// Every module that uses the library registers once at start-up (the program
// with its language id, a plug-in with 0) and unregisters at exit.
// Both return the number of registrations that remain in force.
QV_API int QVUI_Register(LANGID language);
QV_API int QVUI_Unregister();

// Reads the string value valueName (REG_SZ or REG_EXPAND_SZ) of the registry
// key root\subKey into out, truncated to outSize characters with the zero.
// TRUE when the value was read; otherwise FALSE with out empty.
QV_API BOOL QVUI_FindRegistryStringData(HKEY root, const char* subKey, const char* valueName,
                                        char* out, DWORD outSize);

// Draws a three-dimensional frame thickness pixels wide just inside rect:
// the top and left bands in topLeft, the bottom and right bands in
// bottomRight, the two meeting on the diagonals of the top-right and
// bottom-left corners. Highlight then shadow looks raised, shadow then
// highlight sunken. Nothing is drawn for a thickness below 1 or an empty rect.
QV_API void QVUI_DrawTesselPolygons(HDC dc, const RECT* rect, int thickness, COLORREF topLeft,
                                    COLORREF bottomRight);

// Paints the grow box (the sizing grip) in the bottom-right corner of the
// window's client area: a square of the scroll-bar size in the button face
// colour with diagonal ridges in the highlight and shadow colours.
QV_API void QVUI_PaintGrowBox(HWND window);
