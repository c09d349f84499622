#include "report_pictures.h"

#include "plugin_globals.h"
#include "qv_ui.h"

bool ShowDialogPicture(HWND dialog, int id, int picture, bool fromLibrary) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return false;
  if (fromLibrary) {
    return QVUI_SubclassFancyBitmap(control, QVUI_GetBitmapResource(picture), QVUI_GetBitmapInstance()) != FALSE;
  }
  return QVUI_SubclassFancyBitmap(control, MAKEINTRESOURCEA(picture), PluginInstance()) != FALSE;
}

void RemoveDialogPicture(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (control != nullptr) QVUI_UnsubclassWindow(control);
}
