// Bold copies of a window's font.
#include "qv_ui.h"
#include "qvplatform.h"

QV_API HFONT QVUI_GetBoldFaceFont(HWND window) {
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0));
  if (font == nullptr) font = GetStockObject(DEFAULT_GUI_FONT);
  LOGFONTA description{};
  if (font == nullptr || GetObjectA(font, sizeof description, &description) == 0) return nullptr;
  description.lfWeight = FW_BOLD;
  return CreateFontIndirectA(&description);
}
