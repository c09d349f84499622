// The viewer's font: the face and size combo boxes, the font-enumeration
// callbacks, and the sixteen entries, base font, page length and tab stops it
// gives the text control.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ctlpack4.h"
#include "mega_view.h"
#include "print_text.h"

namespace {

constexpr int kSizes[] = {4, 6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 24};
constexpr BYTE kEntryStyles[4] = {0, 2, 1, 4};  // normal, bold, italic, underline
constexpr COLORREF kEntryColors[4] = {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 0, 200), RGB(0, 170, 0)};
constexpr int kDefaultStops = 10;

}  // namespace

QV_API int CALLBACK FontFamilyFunc(const LOGFONTA* lf, const TEXTMETRICA*, DWORD fontType, LPARAM lParam) {
  if ((fontType & DEVICE_FONTTYPE) == 0 && lf != nullptr)
    SendDlgItemMessageA(reinterpret_cast<HWND>(lParam), kFaceComboId, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(lf->lfFaceName));
  return 1;
}

QV_API int CALLBACK FontFunc(const LOGFONTA*, const TEXTMETRICA*, DWORD fontType, LPARAM lParam) {
  if (fontType & DEVICE_FONTTYPE) return 1;
  for (int size : kSizes) {
    char text[8];
    std::snprintf(text, sizeof text, "%2d", size);
    SendDlgItemMessageA(reinterpret_cast<HWND>(lParam), kSizeComboId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  return 0;
}

QV_API int CALLBACK FontFindPitchAndFamilyFunc(const LOGFONTA* lf, const TEXTMETRICA*, DWORD fontType, LPARAM lParam) {
  if ((fontType & DEVICE_FONTTYPE) != 0 || lf == nullptr) return 1;
  *reinterpret_cast<BYTE*>(lParam) = lf->lfPitchAndFamily;
  return 0;
}

void FillFaceCombo(HWND dialog, const char* face) {
  SendDlgItemMessageA(dialog, kFaceComboId, CB_RESETCONTENT, 0, 0);
  HDC dc = GetDC(dialog);
  EnumFontFamiliesA(dc, nullptr, FontFamilyFunc, reinterpret_cast<LPARAM>(dialog));
  ReleaseDC(dialog, dc);
  LRESULT at = SendDlgItemMessageA(dialog, kFaceComboId, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(face != nullptr ? face : ""));
  SendDlgItemMessageA(dialog, kFaceComboId, CB_SETCURSEL, at == CB_ERR ? 0 : static_cast<WPARAM>(at), 0);
}

void FillSizeCombo(HWND dialog, const char* face, int size) {
  SendDlgItemMessageA(dialog, kSizeComboId, CB_RESETCONTENT, 0, 0);
  HDC dc = GetDC(dialog);
  EnumFontFamiliesA(dc, face, FontFunc, reinterpret_cast<LPARAM>(dialog));
  ReleaseDC(dialog, dc);
  char text[16];
  std::snprintf(text, sizeof text, "%2d", size);
  LRESULT at = SendDlgItemMessageA(dialog, kSizeComboId, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(text));
  SendDlgItemMessageA(dialog, kSizeComboId, CB_SETCURSEL, at == CB_ERR ? 0 : static_cast<WPARAM>(at), 0);
}

void GetChosenFont(HWND dialog, char* face, size_t faceSize, int* size) {
  char text[LF_FACESIZE + 1] = {};
  *size = 8;
  LRESULT at = SendDlgItemMessageA(dialog, kSizeComboId, CB_GETCURSEL, 0, 0);
  if (at != CB_ERR && SendDlgItemMessageA(dialog, kSizeComboId, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0) <
                          static_cast<LRESULT>(sizeof text)) {
    SendDlgItemMessageA(dialog, kSizeComboId, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
    const int value = std::atoi(text);
    if (value >= 1 && value <= 255) *size = value;
  }
  std::strcpy(text, "Arial");
  at = SendDlgItemMessageA(dialog, kFaceComboId, CB_GETCURSEL, 0, 0);
  if (at != CB_ERR && SendDlgItemMessageA(dialog, kFaceComboId, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0) <
                          static_cast<LRESULT>(sizeof text))
    SendDlgItemMessageA(dialog, kFaceComboId, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
  if (face != nullptr && faceSize > 0) {
    std::strncpy(face, text, faceSize - 1);
    face[faceSize - 1] = '\0';
  }
}

BYTE GetFacePitchAndFamily(HWND dialog, const char* face) {
  BYTE pitch = DEFAULT_PITCH | FF_DONTCARE;
  HDC dc = GetDC(dialog);
  EnumFontFamiliesA(dc, face, FontFindPitchAndFamilyFunc, reinterpret_cast<LPARAM>(&pitch));
  ReleaseDC(dialog, dc);
  return pitch;
}

void FillViewerFontRecord(ViewerFontRecord* record, int entry, const char* face, int size, BYTE pitch) {
  std::memset(record, 0, sizeof *record);
  std::strncpy(record->face, face, sizeof record->face - 1);
  record->size = static_cast<BYTE>(size);
  record->pitchAndFamily = pitch;
  record->style = kEntryStyles[(entry - 1) % 4];
  record->color = kEntryColors[((entry - 1) / 4) % 4];
}

HFONT SetViewerFont(MegaViewInfo* info, HWND dialog, HFONT oldFont, const char* face, int size) {
  HWND control = GetDlgItem(dialog, kViewerTextId);
  const BYTE pitch = GetFacePitchAndFamily(dialog, face);
  for (int n = 1; n <= 16; ++n) {
    ViewerFontRecord record;
    FillViewerFontRecord(&record, n, face, size, pitch);
    SendMessageA(control, kViewerSetFontEntry, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(&record));
  }
  HDC dc = GetDC(dialog);
  const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc != nullptr) ReleaseDC(dialog, dc);
  HFONT font = CreateFontA(-MulDiv(size, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitch, face);
  if (font == nullptr) return oldFont;

  info->linesPerPage = GetPrinterPageLineCount(face, static_cast<BYTE>(size), pitch);
  SendMessageA(control, kViewerSetPageLines, static_cast<WPARAM>(info->linesPerPage), 0);

  int average = 8;
  HDC cdc = GetDC(control);
  if (cdc != nullptr) {
    HGDIOBJ old = SelectObject(cdc, font);
    TEXTMETRICA tm{};
    if (GetTextMetricsA(cdc, &tm)) average = tm.tmAveCharWidth;
    SelectObject(cdc, old);
    ReleaseDC(control, cdc);
  }
  const int unit = average + average / 3;

  // Tab stops: the codes of the first line, else every 8 characters.
  SendMessageA(control, kViewerSetCurrentLine, 0, 0);
  const LRESULT length = SendMessageA(control, kViewerLineLength, 0, 0);
  std::string first(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  SendMessageA(control, kViewerGetMarkedLine, first.size(), reinterpret_cast<LPARAM>(first.data()));
  int32_t pixels[kMaxViewerTabs] = {};
  info->tabCount = 0;
  info->tabCodes = 0;
  const size_t bytes = static_cast<size_t>(length > 0 ? length : 0);
  for (size_t i = 0; i < bytes && info->tabCount < kMaxViewerTabs; ++i) {
    if (static_cast<unsigned char>(first[i]) != kViewerTabCode) continue;
    if (i + 1 >= bytes) break;
    const uint16_t stop = static_cast<unsigned char>(first[++i]);
    info->tabCodes = 1;
    info->tabStops[info->tabCount] = stop;
    pixels[info->tabCount] = stop * unit;
    ++info->tabCount;
  }
  if (info->tabCount == 0) {
    for (int i = 0; i < kDefaultStops; ++i) {
      info->tabStops[i] = static_cast<uint16_t>(8 * (i + 1));
      pixels[i] = 8 * (i + 1) * unit;
    }
    info->tabCount = kDefaultStops;
  }
  SendMessageA(control, kViewerSetTabCount, info->tabCount, 0);
  SendMessageA(control, kViewerSetTabStops, info->tabCount, reinterpret_cast<LPARAM>(pixels));
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (oldFont != nullptr) DeleteObject(oldFont);
  return font;
}
