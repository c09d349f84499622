// Logical palettes. The display is true colour, so a palette only decides what
// PALETTEINDEX colours and DIB_PAL_COLORS tables mean.
#include <algorithm>

#include "gdi/dc.h"
#include "gdi/gdi_error.h"

using namespace qvp::gdi;

HPALETTE CreatePalette(const LOGPALETTE* plpal) {
  if (plpal == nullptr || plpal->palVersion != 0x300 || plpal->palNumEntries == 0) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_shared<PaletteObj>();
  p->entries.assign(plpal->palPalEntry, plpal->palPalEntry + plpal->palNumEntries);
  return static_cast<HPALETTE>(Insert(p));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE hPal, BOOL /*bForceBkgd*/) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return nullptr;
  std::shared_ptr<PaletteObj> pal = LookupAs<PaletteObj>(hPal, Kind::kPalette);
  if (!pal) {
    SetError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HPALETTE old = dc->st.palette ? static_cast<HPALETTE>(dc->st.palette->handle) : nullptr;
  Reselect(dc->st.palette, pal);
  return old;
}

UINT RealizePalette(HDC hdc) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return GDI_ERROR;
  const PaletteObj* pal = dc->st.palette.get();
  if (pal == nullptr || pal->stock) return 0;
  return static_cast<UINT>(pal->entries.size());
}

UINT GetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries) {
  Guard g(Lock());
  std::shared_ptr<PaletteObj> pal = LookupAs<PaletteObj>(hpal, Kind::kPalette);
  if (!pal) {
    SetError(ERROR_INVALID_HANDLE);
    return 0;
  }
  UINT total = static_cast<UINT>(pal->entries.size());
  if (pPalEntries == nullptr) return total;
  if (iStart >= total) return 0;
  UINT n = std::min(cEntries, total - iStart);
  for (UINT i = 0; i < n; ++i) pPalEntries[i] = pal->entries[iStart + i];
  return n;
}

UINT SetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, const PALETTEENTRY* pPalEntries) {
  Guard g(Lock());
  std::shared_ptr<PaletteObj> pal = LookupAs<PaletteObj>(hpal, Kind::kPalette);
  if (!pal || pal->stock || pPalEntries == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  UINT total = static_cast<UINT>(pal->entries.size());
  if (iStart >= total) return 0;
  UINT n = std::min(cEntries, total - iStart);
  for (UINT i = 0; i < n; ++i) pal->entries[iStart + i] = pPalEntries[i];
  return n;
}
