#include "dialog_fonts.h"

namespace {

HFONT DialogFont(HWND dialog) {
  return reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
}

}  // namespace

QV_API HFONT PrepWindowFonts(HWND dialog) {
  HFONT font = DialogFont(dialog);
  if (font == nullptr) return nullptr;
  LOGFONTA description{};
  if (GetObjectA(font, sizeof description, &description) != sizeof description) return font;
  description.lfWeight = FW_BOLD;
  HFONT bold = CreateFontIndirectA(&description);
  if (bold == nullptr) return font;
  for (int id = kFirstBoldControlId; id < kEndBoldControlId; ++id) SwitchFontToBold(dialog, id, bold);
  return bold;
}

QV_API int SwitchFontToBold(HWND dialog, int id, HFONT font) {
  if (font == nullptr) {
    font = DialogFont(dialog);
    if (font == nullptr) return -1;
  }
  if (HWND control = GetDlgItem(dialog, id)) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  return 0;
}
