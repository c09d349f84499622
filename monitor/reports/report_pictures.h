// The pictures of the report and schedule dialogs: bitmap statics that show
// one of the user-interface library's own pictures or one of the plug-in's.
#pragma once

#include "qvplatform.h"

// Pictures of the user-interface library.
inline constexpr int kReportDialogPicture = 19;
inline constexpr int kAlertReportPicture = 17;
inline constexpr int kWebLoginPicture = 8;
// Pictures of the plug-in (its resource script).
inline constexpr int kSchedulePicture = 16;
inline constexpr int kReportNamePicture = 9;

// Makes control `id` of `dialog` show picture `picture` of the library
// (fromLibrary) or of the plug-in. The control gives its bitmap back when it
// is destroyed; false when the picture cannot be shown.
bool ShowDialogPicture(HWND dialog, int id, int picture, bool fromLibrary);
// Takes the picture off control `id` again and frees it.
void RemoveDialogPicture(HWND dialog, int id);
