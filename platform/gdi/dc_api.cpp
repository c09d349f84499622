// Creating and deleting DCs, saving their state, their attributes and mapping.
#include <cstring>
#include <strings.h>

#include "gdi/dc.h"
#include "gdi/gdi_error.h"
#include "gdi/print_doc.h"
#include "gdi/window_dc.h"

using namespace qvp::gdi;

namespace {

HDC AsHdc(const std::shared_ptr<DcObj>& dc) { return static_cast<HDC>(dc->handle); }

bool IsDisplay(LPCSTR driver, LPCSTR device) {
  if (driver != nullptr && strcasecmp(driver, "DISPLAY") == 0) return true;
  return driver == nullptr && device != nullptr && strcasecmp(device, "DISPLAY") == 0;
}

}  // namespace

HDC CreateCompatibleDC(HDC hdc) {
  Guard g(Lock());
  if (hdc != nullptr && !LookupDC(hdc)) return nullptr;
  return AsHdc(NewDC(DcKind::kMemory));
}

HDC CreateDCA(LPCSTR pwszDriver, LPCSTR pwszDevice, LPCSTR /*pszPort*/, const void* /*pdm*/) {
  if (!IsDisplay(pwszDriver, pwszDevice)) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return qvp::CreateWindowDC(nullptr, qvp::gdi::kScreenWidth, qvp::gdi::kScreenHeight, POINT{0, 0});
}

HDC CreateICA(LPCSTR pszDriver, LPCSTR pszDevice, LPCSTR /*pszPort*/, const void* /*pdm*/) {
  if (!IsDisplay(pszDriver, pszDevice)) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return AsHdc(NewDC(DcKind::kInfo));
}

BOOL DeleteDC(HDC hdc) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return FALSE;
  // A window's DC goes back through ReleaseDC, never DeleteDC.
  if (dc->dc_kind == DcKind::kWindow) {
    SetError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  DestroyDC(dc);
  return TRUE;
}

int SaveDC(HDC hdc) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return 0;
  dc->saved.push_back(dc->st);
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int nSavedDC) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return FALSE;
  int depth = static_cast<int>(dc->saved.size());
  int level = nSavedDC < 0 ? depth + 1 + nSavedDC : nSavedDC;
  if (level < 1 || level > depth) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DcState restored = dc->saved[static_cast<size_t>(level - 1)];
  dc->saved.resize(static_cast<size_t>(level - 1));
  DcState& cur = dc->st;
  Reselect(cur.pen, restored.pen);
  Reselect(cur.brush, restored.brush);
  Reselect(cur.font, restored.font);
  Reselect(cur.palette, restored.palette);
  if (dc->dc_kind == DcKind::kMemory && restored.bitmap != cur.bitmap && restored.bitmap &&
      (restored.bitmap->owner == nullptr || restored.bitmap->owner == dc.get())) {
    if (cur.bitmap && cur.bitmap->owner == dc.get()) cur.bitmap->owner = nullptr;
    if (!restored.bitmap->stock) restored.bitmap->owner = dc.get();
    Reselect(cur.bitmap, restored.bitmap);
  }
  std::shared_ptr<PenObj> pen = cur.pen;
  std::shared_ptr<BrushObj> brush = cur.brush;
  std::shared_ptr<FontObj> font = cur.font;
  std::shared_ptr<PaletteObj> palette = cur.palette;
  std::shared_ptr<BitmapObj> bitmap = cur.bitmap;
  cur = std::move(restored);
  cur.pen = pen;
  cur.brush = brush;
  cur.font = font;
  cur.palette = palette;
  cur.bitmap = bitmap;
  return TRUE;
}

BOOL GdiFlush(void) { return TRUE; }

// ---------------------------------------------------------------------------
// Attributes

#define QV_DC_OR(hdc, fail)                  \
  Guard g(Lock());                           \
  std::shared_ptr<DcObj> dc = LookupDC(hdc); \
  if (!dc) return fail

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  QV_DC_OR(hdc, CLR_INVALID);
  COLORREF old = dc->st.text_color;
  dc->st.text_color = color;
  return old;
}

COLORREF GetTextColor(HDC hdc) {
  QV_DC_OR(hdc, CLR_INVALID);
  return dc->st.text_color;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
  QV_DC_OR(hdc, CLR_INVALID);
  COLORREF old = dc->st.bk_color;
  dc->st.bk_color = color;
  return old;
}

COLORREF GetBkColor(HDC hdc) {
  QV_DC_OR(hdc, CLR_INVALID);
  return dc->st.bk_color;
}

int SetBkMode(HDC hdc, int mode) {
  QV_DC_OR(hdc, 0);
  if (mode != TRANSPARENT && mode != OPAQUE) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int old = dc->st.bk_mode;
  dc->st.bk_mode = mode;
  return old;
}

int GetBkMode(HDC hdc) {
  QV_DC_OR(hdc, 0);
  return dc->st.bk_mode;
}

int SetROP2(HDC hdc, int rop2) {
  QV_DC_OR(hdc, 0);
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int old = dc->st.rop2;
  dc->st.rop2 = rop2;
  return old;
}

int GetROP2(HDC hdc) {
  QV_DC_OR(hdc, 0);
  return dc->st.rop2;
}

UINT SetTextAlign(HDC hdc, UINT align) {
  QV_DC_OR(hdc, GDI_ERROR);
  UINT old = dc->st.text_align;
  dc->st.text_align = align;
  return old;
}

UINT GetTextAlign(HDC hdc) {
  QV_DC_OR(hdc, GDI_ERROR);
  return dc->st.text_align;
}

int SetStretchBltMode(HDC hdc, int mode) {
  QV_DC_OR(hdc, 0);
  if (mode < BLACKONWHITE || mode > HALFTONE) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int old = dc->st.stretch_mode;
  dc->st.stretch_mode = mode;
  return old;
}

int GetStretchBltMode(HDC hdc) {
  QV_DC_OR(hdc, 0);
  return dc->st.stretch_mode;
}

// ---------------------------------------------------------------------------
// Mapping

int SetMapMode(HDC hdc, int iMode) {
  QV_DC_OR(hdc, 0);
  // Logical units per inch for each fixed mode; the device has 96 pixels per inch.
  LONG per_inch;
  switch (iMode) {
    case MM_TEXT: per_inch = 0; break;
    case MM_LOMETRIC: per_inch = 254; break;
    case MM_HIMETRIC: per_inch = 2540; break;
    case MM_LOENGLISH: per_inch = 100; break;
    case MM_HIENGLISH: per_inch = 1000; break;
    case MM_TWIPS: per_inch = 1440; break;
    default:
      SetError(ERROR_INVALID_PARAMETER);
      return 0;
  }
  int old = dc->st.map_mode;
  dc->st.map_mode = iMode;
  if (per_inch == 0) {
    dc->st.window_ext = SIZE{1, 1};
    dc->st.viewport_ext = SIZE{1, 1};
  } else {
    dc->st.window_ext = SIZE{per_inch, per_inch};
    dc->st.viewport_ext = SIZE{kLogPixels, -kLogPixels};  // y grows upwards
  }
  return old;
}

int GetMapMode(HDC hdc) {
  QV_DC_OR(hdc, 0);
  return dc->st.map_mode;
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  QV_DC_OR(hdc, FALSE);
  if (lppt != nullptr) *lppt = dc->st.viewport_org;
  dc->st.viewport_org = POINT{x, y};
  return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppoint) {
  QV_DC_OR(hdc, FALSE);
  if (lppoint == nullptr) return FALSE;
  *lppoint = dc->st.viewport_org;
  return TRUE;
}

BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  QV_DC_OR(hdc, FALSE);
  if (lppt != nullptr) *lppt = dc->st.window_org;
  dc->st.window_org = POINT{x, y};
  return TRUE;
}

BOOL GetWindowOrgEx(HDC hdc, LPPOINT lppoint) {
  QV_DC_OR(hdc, FALSE);
  if (lppoint == nullptr) return FALSE;
  *lppoint = dc->st.window_org;
  return TRUE;
}

BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c) {
  QV_DC_OR(hdc, FALSE);
  if (c < 0 || (c > 0 && lppt == nullptr)) return FALSE;
  for (int i = 0; i < c; ++i) lppt[i] = dc->LogicalToDevice(lppt[i]);
  return TRUE;
}

BOOL DPtoLP(HDC hdc, LPPOINT lppt, int c) {
  QV_DC_OR(hdc, FALSE);
  if (c < 0 || (c > 0 && lppt == nullptr)) return FALSE;
  for (int i = 0; i < c; ++i) lppt[i] = dc->DeviceToLogical(lppt[i]);
  return TRUE;
}

// ---------------------------------------------------------------------------
// Device capabilities: a 1024 x 768 true-colour display at 96 pixels per inch.

int GetDeviceCaps(HDC hdc, int index) {
  int printer = 0;
  if (qvp::gdi::PrinterDeviceCaps(hdc, index, &printer)) return printer;
  QV_DC_OR(hdc, 0);
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZSIZE: return (kScreenWidth * 254 + kLogPixels * 5) / (kLogPixels * 10);
    case VERTSIZE: return (kScreenHeight * 254 + kLogPixels * 5) / (kLogPixels * 10);
    case HORZRES:
    case DESKTOPHORZRES: return kScreenWidth;
    case VERTRES:
    case DESKTOPVERTRES: return kScreenHeight;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS: return -1;
    case NUMMARKERS:
    case NUMFONTS: return 0;
    case PDEVICESIZE: return 0;
    case CURVECAPS: return 0x00FF;
    case LINECAPS: return 0x00FE;
    case POLYGONALCAPS: return 0x00FF;
    case TEXTCAPS: return 0x7E00;
    case CLIPCAPS: return 1;
    case RASTERCAPS:
      return RC_BITBLT | RC_BITMAP64 | RC_GDI20_OUTPUT | RC_DI_BITMAP | RC_DIBTODEV | RC_BIGFONT |
             RC_STRETCHBLT | RC_STRETCHDIB;
    case ASPECTX:
    case ASPECTY: return 36;
    case ASPECTXY: return 51;
    case LOGPIXELSX:
    case LOGPIXELSY: return kLogPixels;
    case SIZEPALETTE:
    case NUMRESERVED: return 0;
    case COLORRES: return 24;
    case VREFRESH: return 60;
    case BLTALIGNMENT: return 0;
    default: return 0;  // printer-only values
  }
}
