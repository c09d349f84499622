// Creating fonts and measuring text.
#include <algorithm>
#include <cstring>

#include "gdi/dc.h"
#include "gdi/gdi_error.h"

using namespace qvp::gdi;

HFONT CreateFontIndirectA(const LOGFONTA* lplf) {
  if (lplf == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto f = std::make_shared<FontObj>();
  f->lf = *lplf;
  f->lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  return static_cast<HFONT>(Insert(f));
}

HFONT CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                  DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision, DWORD iClipPrecision,
                  DWORD iQuality, DWORD iPitchAndFamily, LPCSTR pszFaceName) {
  LOGFONTA lf{};
  lf.lfHeight = cHeight;
  lf.lfWidth = cWidth;
  lf.lfEscapement = cEscapement;
  lf.lfOrientation = cOrientation;
  lf.lfWeight = cWeight;
  lf.lfItalic = static_cast<BYTE>(bItalic);
  lf.lfUnderline = static_cast<BYTE>(bUnderline);
  lf.lfStrikeOut = static_cast<BYTE>(bStrikeOut);
  lf.lfCharSet = static_cast<BYTE>(iCharSet);
  lf.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
  lf.lfQuality = static_cast<BYTE>(iQuality);
  lf.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
  if (pszFaceName != nullptr) std::strncpy(lf.lfFaceName, pszFaceName, LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}

BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return FALSE;
  if (lptm == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FontMetrics m = dc->Metrics();
  const LOGFONTA lf = dc->st.font ? dc->st.font->lf : LOGFONTA{};
  TEXTMETRICA tm{};
  tm.tmHeight = dc->UnscaleY(m.height);
  tm.tmAscent = dc->UnscaleY(m.ascent);
  tm.tmDescent = tm.tmHeight - tm.tmAscent;
  tm.tmInternalLeading = dc->UnscaleY(m.internal_leading);
  tm.tmExternalLeading = 0;
  tm.tmAveCharWidth = dc->UnscaleX(m.ave);
  tm.tmMaxCharWidth = dc->UnscaleX(m.max_width);
  tm.tmWeight = m.weight;
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 0x20;
  tm.tmLastChar = 0xFF;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  tm.tmItalic = lf.lfItalic ? 255 : 0;
  tm.tmUnderlined = lf.lfUnderline ? 255 : 0;
  tm.tmStruckOut = lf.lfStrikeOut ? 255 : 0;
  // The low bit set means variable pitch.
  tm.tmPitchAndFamily = static_cast<BYTE>((lf.lfPitchAndFamily & 0xF0) | (m.fixed ? 0 : TMPF_FIXED_PITCH));
  tm.tmCharSet = lf.lfCharSet;
  *lptm = tm;
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return FALSE;
  if (psizl == nullptr || c < 0 || (c > 0 && lpString == nullptr)) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FontMetrics m = dc->Metrics();
  psizl->cx = dc->UnscaleX(RunWidth(m, lpString, static_cast<size_t>(c)));
  psizl->cy = dc->UnscaleY(m.height);
  return TRUE;
}

BOOL GetTextExtentPointA(HDC hdc, LPCSTR lpString, int c, LPSIZE lpsz) {
  return GetTextExtentPoint32A(hdc, lpString, c, lpsz);
}

BOOL GetCharWidthA(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return FALSE;
  if (lpBuffer == nullptr || iFirst > iLast || iLast > 0xFF) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FontMetrics m = dc->Metrics();
  for (UINT ch = iFirst; ch <= iLast; ++ch) lpBuffer[ch - iFirst] = dc->UnscaleX(m.widths[ch]);
  return TRUE;
}

BOOL GetCharWidth32A(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer) {
  return GetCharWidthA(hdc, iFirst, iLast, lpBuffer);
}

namespace qvp {

SIZE FontDialogBaseUnits(HFONT font) {
  gdi::Guard g(gdi::Lock());
  std::shared_ptr<gdi::FontObj> f =
      font == nullptr ? std::static_pointer_cast<gdi::FontObj>(gdi::StockObject(SYSTEM_FONT))
                      : gdi::LookupAs<gdi::FontObj>(font, gdi::Kind::kFont);
  if (!f) return SIZE{0, 0};
  gdi::FontMetrics m = gdi::ComputeFontMetrics(f->lf, f->lf.lfHeight);
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  int cx = gdi::RunWidth(m, kLetters, 52);
  return SIZE{(cx / 26 + 1) / 2, m.height};
}

}  // namespace qvp
