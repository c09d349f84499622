// Font enumeration: the installed scalable families (fontconfig), preceded by
// the Windows faces the layer maps onto installed fonts (see gdi_text.h).
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/gdi.h"

#define RASTER_FONTTYPE 0x0001
#define DEVICE_FONTTYPE 0x0002
#define TRUETYPE_FONTTYPE 0x0004

#define LF_FULLFACESIZE 64

struct ENUMLOGFONTA {
  LOGFONTA elfLogFont;
  BYTE elfFullName[LF_FULLFACESIZE];
  BYTE elfStyle[LF_FACESIZE];
};
typedef ENUMLOGFONTA* LPENUMLOGFONTA;

struct ENUMLOGFONTEXA {
  LOGFONTA elfLogFont;
  BYTE elfFullName[LF_FULLFACESIZE];
  BYTE elfStyle[LF_FACESIZE];
  BYTE elfScript[LF_FACESIZE];
};
typedef ENUMLOGFONTEXA* LPENUMLOGFONTEXA;

struct NEWTEXTMETRICA {
  TEXTMETRICA tm;
  DWORD ntmFlags;
  UINT ntmSizeEM;
  UINT ntmCellHeight;
  UINT ntmAvgWidth;
};
typedef NEWTEXTMETRICA* LPNEWTEXTMETRICA;

// The callback gets an ENUMLOGFONTA (EnumFontFamilies), an ENUMLOGFONTEXA
// (EnumFontFamiliesEx) or a LOGFONTA (EnumFonts), and a NEWTEXTMETRICA.
typedef int(CALLBACK* FONTENUMPROCA)(const LOGFONTA* lf, const TEXTMETRICA* tm, DWORD fontType, LPARAM lParam);

// family null: one call per family; else one call per style of that family
// (none when it is not installed). The last callback result is returned (0
// stops the enumeration).
QV_API int WINAPI EnumFontFamiliesA(HDC hdc, LPCSTR lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam);
// lfFaceName empty: one call per family; else per style of that face. The
// character set is not filtered (every face answers ANSI_CHARSET).
QV_API int WINAPI EnumFontFamiliesExA(HDC hdc, LPLOGFONTA lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam,
                                      DWORD dwFlags);
QV_API int WINAPI EnumFontsA(HDC hdc, LPCSTR lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam);
