// Bold fonts for the heading controls of the program's dialogs. Exported by
// the program under these names for the libraries that show its dialogs.
#pragma once

#include "qvplatform.h"

// The heading controls of any dialog: ids from 30001 up to, not including, 30010.
inline constexpr int kFirstBoldControlId = 30001;
inline constexpr int kEndBoldControlId = 30010;

// Makes a bold (weight 700) copy of the dialog's font and sets it on every
// heading control the dialog has. Returns the new font, which the caller
// deletes when the dialog is destroyed; when the dialog has no font, or the
// copy cannot be made, returns the dialog's own font (or null) and changes
// nothing.
QV_API HFONT PrepWindowFonts(HWND dialog);

// Sets font (null: the dialog's own font) on control id of the dialog when
// that control exists. -1 when no font was given and the dialog has none,
// else 0.
QV_API int SwitchFontToBold(HWND dialog, int id, HFONT font);
