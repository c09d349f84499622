// Dialog and drawing helpers of the user-interface library: centring, plug-in
// strings, bitmap statics, owner-drawn combo boxes, off-screen bitmaps, a
// bitmap cache and the child property sheet of the options window.
#pragma once

#include "qvplatform.h"

// Centres a dialog on the screen. A child window (a property page) centres
// the top-level window it belongs to.
QV_API void QVUI_CenterDialog(HWND dialog);

// The string `id` of `module` in one of two rotating buffers (slot 0 or 1, any
// other slot reads as 0) of 1024 characters; "" when the module has no such
// string. The text stays valid until the next call with the same slot.
QV_API const char* QVUI_GetString(UINT id, HINSTANCE module, int slot);

// ---- Bitmap statics ----
// The instance that holds the library's own pictures (ids 8, 11, 14, 17, 19),
// and the resource name of picture `id` (MAKEINTRESOURCE).
QV_API HINSTANCE QVUI_GetBitmapInstance(void);
QV_API LPCSTR QVUI_GetBitmapResource(int id);
// Makes `control` (a static) show the bitmap `bitmap` of `instance`, drawn at
// its top-left corner over the button face. FALSE when the control is no
// window, is subclassed already or the bitmap cannot be loaded.
QV_API BOOL QVUI_SubclassFancyBitmap(HWND control, LPCSTR bitmap, HINSTANCE instance);
// Undoes QVUI_SubclassFancyBitmap and frees the bitmap; FALSE when the control
// was not subclassed by it.
QV_API BOOL QVUI_UnsubclassWindow(HWND control);

// The text of item `index` of a combo box (-1: the selected item; with
// `fromEdit` set and no item chosen, the text of the edit field) into buffer of
// size characters. The number of characters copied, or CB_ERR (buffer "").
QV_API int QVUI_GetSelectedComboText(HWND combo, int fromEdit, char* buffer, int size, int index);

// An off-screen bitmap of width x height compatible with `dc`, selected into
// `dc`; *previous gets the bitmap it displaced. Null (and nothing selected)
// when it cannot be made. QVUI_DeleteBitmapAndHDC selects `previous` back,
// deletes the bitmap and then the (memory) device context.
QV_API HBITMAP QVUI_GetCompatibleBitmap(HDC dc, int width, int height, HGDIOBJ* previous);
QV_API void QVUI_DeleteBitmapAndHDC(HDC dc, HBITMAP bitmap, HGDIOBJ previous);

// Owner-drawn combo boxes whose items are plain texts: the item height of the
// dialog's font, and the item drawn with the selection colours.
QV_API BOOL QVUI_MeasureCustomComboBox(HWND dialog, MEASUREITEMSTRUCT* item);
QV_API BOOL QVUI_DrawCustomComboBox(const DRAWITEMSTRUCT* item);

// Bitmap `id` of `instance` (the library's own pictures with
// QVUI_GetBitmapInstance), loaded once and kept for the process; callers never
// delete it. Null when it cannot be loaded.
QV_API HBITMAP QVUI_GetBitmapHandleFromCache(HWND window, UINT id, HINSTANCE instance);
// Width and height of a bitmap; FALSE (both 0) for no bitmap.
QV_API BOOL QVUI_GetBitmapSize(HBITMAP bitmap, int* width, int* height);

// ---- The options window's child sheet ----
// Creates the sheet of `header` modeless (PSH_MODELESS is added) as a child of
// header->hwndParent, placed at the frame's client origin without caption or
// buttons of its own; a PSCB_PRECREATE callback of the header still runs. The
// frame runs it in its own loop (PSM_ISDIALOGMESSAGE) and ends it with
// commands sent to the sheet:
//   WM_COMMAND IDOK: PSN_KILLACTIVE to the current page, then PSN_APPLY to
//     every page created so far, in page order; answers non-zero when a page
//     refused (the sheet then stays as it is, on the refusing page for
//     PSNRET_INVALID), 0 when all accepted.
//   WM_COMMAND IDCANCEL: PSN_RESET to every page created so far; answers 0.
// The frame destroys the sheet window afterwards. Null on failure.
QV_API HWND QVUI_PropertySheet(const PROPSHEETHEADERA* header);
