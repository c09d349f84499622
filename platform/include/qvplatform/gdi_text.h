// Fonts and text output of the layer's GDI.
//
// Font metrics follow one fixed, deterministic model (no font files are read),
// so that layouts come out the same on every machine:
//   - em height E in device pixels: -lfHeight when lfHeight < 0; when lfHeight > 0
//     it is the cell height C and E = C - round(2C/13); lfHeight 0 means C = 16.
//   - cell height C = E + round(2E/11) (internal leading), descent round(2C/13),
//     ascent C - descent, no external leading.
//   - each character has a width w11 in pixels at E = 11 (a table of the layer);
//     at other sizes the width is round(w11 * E / 11), at least 1. Fixed-pitch
//     faces (Courier, Courier New, Fixedsys, Terminal, Lucida Console, or
//     FIXED_PITCH in lfPitchAndFamily) give every character round(0.6 E).
//   - weight 600 and above widens every character by max(1, (E + 5) / 11).
//   - lfWidth, when set, scales the widths so that the average width equals it.
//   - tmAveCharWidth is the width of 'x', tmMaxCharWidth the widest character.
// "MS Sans Serif" 8 pt at 96 dpi (lfHeight -11) so has cell height 13 and the
// letters A-Z a-z measure 314 pixels, which gives the dialog base units 6 x 13.
#pragma once

#include <string>

#include "qvplatform/types.h"

QV_API HFONT CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                         DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                         DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily,
                         LPCSTR pszFaceName);
QV_API HFONT CreateFontIndirectA(const LOGFONTA* lplf);
QV_API BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm);
QV_API BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl);
QV_API BOOL GetTextExtentPointA(HDC hdc, LPCSTR lpString, int c, LPSIZE lpsz);
QV_API BOOL GetCharWidthA(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer);
QV_API BOOL GetCharWidth32A(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer);

QV_API BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);
QV_API BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCSTR lpString, UINT c,
                        const INT* lpDx);
// Returns MAKELONG(width, height) of the drawn text, 0 on failure.
QV_API LONG TabbedTextOutA(HDC hdc, int x, int y, LPCSTR lpString, int chCount, int nTabPositions,
                           const INT* lpnTabStopPositions, int nTabOrigin);
QV_API DWORD GetTabbedTextExtentA(HDC hdc, LPCSTR lpString, int chCount, int nTabPositions,
                                  const INT* lpnTabStopPositions);
// DT_MODIFYSTRING is not honoured: the text is never written back.
QV_API int DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format);

namespace qvp {

// The dialog base units of a font as Windows derives them: x is the average
// width of "A".."Z""a".."z" rounded ((cx / 26 + 1) / 2), y the cell height.
// A null font means the system font. {0, 0} for a handle that is not a font.
SIZE FontDialogBaseUnits(HFONT font);

}  // namespace qvp
