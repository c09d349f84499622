// The user-interface helper library: the QVUI_ functions that the program,
// the monitoring plug-in and Logscout call.
#pragma once

#include "qvplatform.h"
#include "qv_ui_shell.h"

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

// ---------------------------------------------------------------------------
// Passwords. A password is stored as printable text: each character, mixed with
// a fixed key stream that depends on its position, becomes two upper-case
// hexadecimal digits ("secret" -> 12 digits). The form only keeps a password
// from being read at a glance; it is no protection against a determined reader.
//
// QVUI_EncryptPassword turns `plain` (null reads as empty) into its stored form in
// `out` of outSize characters with the zero (165 in the system's callers, which
// holds passwords of up to 82 characters); a longer password keeps as many whole
// leading characters as fit. QVUI_DecryptPassword turns a stored form back,
// cutting the result to outSize - 1 characters; a text that is not a stored form
// (odd length, a character that is no hexadecimal digit, a character that would
// decode to zero) gives an empty result.
// Both: TRUE when the whole input was converted; FALSE when it was cut or refused
// or out/outSize is unusable. out always ends in a zero when outSize > 0.
QV_API BOOL QVUI_EncryptPassword(const char* plain, char* out, int outSize);
QV_API BOOL QVUI_DecryptPassword(const char* stored, char* out, int outSize);

// ---------------------------------------------------------------------------
// Paths. Windows paths as the layer's file calls take them.
//
// QVUI_GetLocalDirectory: the directory of `module`'s file (null: the program),
// ending in a backslash. QVUI_ConstructFullFilename: `directory` and `name` joined
// with one backslash (none added when the directory is empty or already ends in a
// separator). Both write into out of outSize characters with the zero and answer
// TRUE; when the result does not fit, out is empty and the answer FALSE (a cut
// path would name some other file).
QV_API BOOL QVUI_GetLocalDirectory(HINSTANCE module, char* out, DWORD outSize);
QV_API BOOL QVUI_ConstructFullFilename(const char* directory, const char* name, char* out,
                                       DWORD outSize);

// ---------------------------------------------------------------------------
// Fonts. A bold copy of the font `window` uses (WM_GETFONT; the default GUI font
// when it has none), for the caller to delete with DeleteObject; null when no
// font can be made.
QV_API HFONT QVUI_GetBoldFaceFont(HWND window);

// ---------------------------------------------------------------------------
// Drawing.
//
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

// Reports and schedules (memory, files, delivery).
#include "qv_ui_reports.h"
// Dialog and drawing helpers, bitmap statics and the options window's child sheet.
#include "qv_ui_dialogs.h"
// Value classes: CString, CFile, CWaitCursor.
#include "qv_ui_classes.h"
