// The [Printing] settings and the default printer's page length.
#include <cstdio>

#include "print_text.h"
#include "program_paths.h"

namespace {

constexpr char kSection[] = "Printing";

uint16_t ReadKey(const char* key, int fallback) {
  return static_cast<uint16_t>(GetPrivateProfileIntA(kSection, key, fallback, GetIniPath()));
}

void WriteKey(const char* key, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  WritePrivateProfileStringA(kSection, key, text, GetIniPath());
}

}  // namespace

void ReadPrintSettings(uint16_t* quality, uint16_t* left, uint16_t* right, uint16_t* top, uint16_t* bottom) {
  *quality = ReadKey("Quality", 0);
  *left = ReadKey("LeftMargin", 34);
  *right = ReadKey("RightMargin", 34);
  *top = ReadKey("TopMargin", 12);
  *bottom = ReadKey("BottomMargin", 12);
}

void WritePrintSettings(uint16_t quality, uint16_t left, uint16_t right, uint16_t top, uint16_t bottom) {
  WriteKey("Quality", quality);
  WriteKey("LeftMargin", left);
  WriteKey("RightMargin", right);
  WriteKey("TopMargin", top);
  WriteKey("BottomMargin", bottom);
}

int MarginPixels(int code, int dpi) {
  int pixels = dpi * (code / 10);
  if (code % 10 != 0) pixels /= code % 10;
  return pixels;
}

int GetPrinterPageLineCount(const char* face, BYTE size, BYTE pitchAndFamily) {
  uint16_t quality, left, right, top, bottom;
  ReadPrintSettings(&quality, &left, &right, &top, &bottom);
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.Flags = PD_RETURNDEFAULT | PD_RETURNIC;
  if (!PrintDlgA(&pd) || pd.hDC == nullptr) return 60;
  int lines = 60;
  HDC dc = pd.hDC;
  SetMapMode(dc, MM_TEXT);
  HFONT font = CreateFontA(-MulDiv(size, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitchAndFamily,
                           face);
  if (font != nullptr) {
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm{};
    const int usable = GetDeviceCaps(dc, VERTRES) - MarginPixels(top, GetDeviceCaps(dc, LOGPIXELSY)) -
                       MarginPixels(bottom, GetDeviceCaps(dc, LOGPIXELSY));
    if (GetTextMetricsA(dc, &tm) && tm.tmHeight + tm.tmExternalLeading > 0) {
      // At least one line fits on any page, whatever the margins say.
      lines = usable / (tm.tmHeight + tm.tmExternalLeading);
      if (lines < 1) lines = 1;
    }
    SelectObject(dc, old);
    DeleteObject(font);
  }
  DeleteDC(dc);
  if (pd.hDevMode != nullptr) GlobalFree(pd.hDevMode);
  if (pd.hDevNames != nullptr) GlobalFree(pd.hDevNames);
  return lines;
}
