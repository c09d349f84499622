// Helpers of frames that hold property sheets, and pictures drawn with a
// transparent colour.
#include <map>
#include <mutex>

#include "qv_ui_dialogs.h"
#include "qv_ui_windows.h"

BOOL IsPropertySheetMessage(HWND sheet, MSG* message) {
  if (sheet == nullptr || message == nullptr || !IsWindow(sheet)) return FALSE;
  // Only messages for the sheet or its descendants; a sheet answers TRUE
  // when its dialog manager took the message.
  if (message->hwnd != sheet && !IsChild(sheet, message->hwnd)) return FALSE;
  return SendMessageA(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(message)) != 0 ? TRUE : FALSE;
}

void QVUI_DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF transparent) {
  if (dc == nullptr || bitmap == nullptr) return;
  BITMAP info{};
  if (GetObjectA(bitmap, sizeof info, &info) == 0) return;
  HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) return;
  HGDIOBJ previous = SelectObject(memory, bitmap);
  for (int row = 0; row < info.bmHeight; ++row) {
    for (int column = 0; column < info.bmWidth; ++column) {
      const COLORREF colour = GetPixel(memory, column, row);
      if (colour != transparent && colour != CLR_INVALID) SetPixel(dc, x + column, y + row, colour);
    }
  }
  SelectObject(memory, previous);
  DeleteDC(memory);
}

namespace {

std::mutex g_pictureLock;
std::map<HWND, std::pair<int, HBITMAP>>& Pictures() {
  static std::map<HWND, std::pair<int, HBITMAP>> pictures;
  return pictures;
}

}  // namespace

BOOL QVUI_DisplayDlgBmp(HWND dialog, int controlId, UINT bitmapId, HINSTANCE instance) {
  HWND control = GetDlgItem(dialog, controlId);
  if (control == nullptr) return FALSE;
  HBITMAP bitmap = QVUI_GetBitmapHandleFromCache(dialog, bitmapId, instance);
  if (bitmap == nullptr) return FALSE;
  {
    std::lock_guard<std::mutex> lock(g_pictureLock);
    Pictures()[dialog] = {controlId, bitmap};
  }
  HDC dc = GetDC(control);
  if (dc == nullptr) return FALSE;
  QVUI_DrawTransparentBitmap(dc, bitmap, 0, 0, RGB(255, 0, 255));
  ReleaseDC(control, dc);
  return TRUE;
}

void QVUI_DestroyDlgBmp(HWND dialog) {
  // The bitmap belongs to the cache; only the dialog's record goes.
  std::lock_guard<std::mutex> lock(g_pictureLock);
  Pictures().erase(dialog);
}
