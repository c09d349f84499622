// Creating bitmaps and DIB sections, and moving DIB bits in and out.
#include <algorithm>
#include <climits>
#include <cstring>

#include "gdi/dib.h"
#include "gdi/draw.h"
#include "gdi/gdi_error.h"

using namespace qvp::gdi;

namespace {

HBITMAP InsertBitmap(std::shared_ptr<Surface> s, bool dib_section, const BITMAPINFOHEADER* bih) {
  auto b = std::make_shared<BitmapObj>();
  b->surface = std::move(s);
  b->dib_section = dib_section;
  if (bih != nullptr) b->bih = *bih;
  return static_cast<HBITMAP>(Insert(b));
}

// A device-dependent bitmap: top-down rows padded to 2 bytes.
std::shared_ptr<Surface> NewDdb(int w, int h, int bpp) {
  SurfaceFormat f;
  f.width = w;
  f.height = h;
  f.bpp = bpp;
  f.order = RowOrder::kTopDown;
  f.row_align = 2;
  if (bpp == 1) f.colors = MonochromeColors();
  return Surface::Create(std::move(f));
}

const PaletteObj* PaletteOf(HDC hdc) {
  std::shared_ptr<GdiObject> o = Lookup(hdc);
  if (!o || (o->kind != Kind::kDC && o->kind != Kind::kMemDC)) return nullptr;
  return static_cast<DcObj&>(*o).st.palette.get();
}

bool ValidDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

}  // namespace

HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
  if (nWidth < 0 || nHeight < 0 || nPlanes != 1 || !ValidDepth(static_cast<int>(nBitCount))) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (nWidth == 0 || nHeight == 0) {
    nWidth = nHeight = 1;
    nBitCount = 1;
    lpBits = nullptr;
  }
  std::shared_ptr<Surface> s = NewDdb(nWidth, nHeight, static_cast<int>(nBitCount));
  if (!s) {
    SetError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (lpBits != nullptr) std::memcpy(s->bits(), lpBits, s->size_bytes());
  Guard g(Lock());
  return InsertBitmap(std::move(s), false, nullptr);
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return nullptr;
  if (cx < 0 || cy < 0) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  int bpp = 32;
  // A memory DC still holding its monochrome bitmap makes monochrome bitmaps.
  if (dc->dc_kind == DcKind::kMemory && dc->st.bitmap && dc->st.bitmap->surface &&
      dc->st.bitmap->surface->bpp() == 1)
    bpp = 1;
  if (cx == 0 || cy == 0) {
    cx = cy = 1;
    bpp = 1;
  }
  std::shared_ptr<Surface> s = NewDdb(cx, cy, bpp);
  if (!s) {
    SetError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return InsertBitmap(std::move(s), false, nullptr);
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                         DWORD /*offset*/) {
  if (ppvBits != nullptr) *ppvBits = nullptr;
  if (pbmi == nullptr || hSection != nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Guard g(Lock());
  DibLayout d;
  if (!ParseDib(pbmi, SIZE_MAX, usage, PaletteOf(hdc), &d)) return nullptr;
  std::shared_ptr<Surface> s = Surface::Create(d.format);
  if (!s) {
    SetError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (ppvBits != nullptr) *ppvBits = s->bits();
  return InsertBitmap(std::move(s), true, &d.bih);
}

int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi, UINT usage) {
  Guard g(Lock());
  std::shared_ptr<BitmapObj> bmp = LookupAs<BitmapObj>(hbm, Kind::kBitmap);
  if (!bmp || !bmp->surface || lpbmi == nullptr || lpbmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) ||
      (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS)) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  (void)hdc;
  const Surface& src = *bmp->surface;
  BITMAPINFOHEADER& h = lpbmi->bmiHeader;
  if (lpvBits == nullptr && h.biBitCount == 0) {
    // Describe the bitmap.
    h.biWidth = src.width();
    h.biHeight = src.height();
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(src.bpp());
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(RowBytes(src.width(), src.bpp(), 4) * static_cast<uint64_t>(src.height()));
    h.biXPelsPerMeter = h.biYPelsPerMeter = 0;
    h.biClrUsed = h.biClrImportant = 0;
    return src.height();
  }
  int bpp = h.biBitCount;
  if (!ValidDepth(bpp) || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT_MIN ||
      (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32)))) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SurfaceFormat f;
  f.width = h.biWidth;
  int out_h = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  bool top_down = h.biHeight < 0;
  f.bpp = bpp;
  f.row_align = 4;
  f.order = RowOrder::kTopDown;  // row i of the view is memory row i
  if (h.biCompression == BI_BITFIELDS) std::memcpy(f.masks, lpbmi->bmiColors, sizeof f.masks);
  if (bpp <= 8) {
    f.colors = src.bpp() == bpp ? src.colors() : DefaultColors(bpp);
    f.colors.resize(size_t{1} << bpp);
    // The colour table goes back to the caller.
    if (usage == DIB_PAL_COLORS) {
      WORD* idx = reinterpret_cast<WORD*>(lpbmi->bmiColors);
      for (size_t i = 0; i < f.colors.size(); ++i) idx[i] = static_cast<WORD>(i);
    } else {
      std::memcpy(lpbmi->bmiColors, f.colors.data(), f.colors.size() * sizeof(RGBQUAD));
    }
  }
  uint64_t stride = RowBytes(f.width, bpp, 4);
  uint64_t image = stride * static_cast<uint64_t>(out_h);
  if (image > kMaxSurfaceBytes) {
    SetError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  h.biSizeImage = static_cast<DWORD>(image);
  if (lpvBits == nullptr) return out_h;
  if (start >= static_cast<UINT>(out_h)) return 0;
  int n = static_cast<int>(std::min<UINT>(cLines, static_cast<UINT>(out_h) - start));
  if (n <= 0) return 0;
  f.height = n;
  std::shared_ptr<Surface> view = Surface::View(f, lpvBits);
  if (!view) return 0;
  int w = std::min(f.width, src.width());
  bool raw = src.bpp() == bpp && bpp <= 8;
  for (int i = 0; i < n; ++i) {
    long long scan = static_cast<long long>(start) + i;
    long long y = top_down ? scan : out_h - 1 - scan;
    if (y < 0 || y >= src.height()) continue;
    for (int x = 0; x < w; ++x) {
      if (raw) {
        view->SetRaw(x, i, src.GetRaw(x, static_cast<int>(y)));
      } else {
        view->Set(x, i, src.Get(x, static_cast<int>(y)));
      }
    }
  }
  return n;
}

int SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits, const BITMAPINFO* lpbmi,
              UINT ColorUse) {
  Guard g(Lock());
  std::shared_ptr<BitmapObj> bmp = LookupAs<BitmapObj>(hbm, Kind::kBitmap);
  if (!bmp || !bmp->surface || lpBits == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DibLayout d;
  if (!ParseDib(lpbmi, SIZE_MAX, ColorUse, PaletteOf(hdc), &d)) return 0;
  int dib_h = d.format.height;
  if (start >= static_cast<UINT>(dib_h)) return 0;
  int n = static_cast<int>(std::min<UINT>(cLines, static_cast<UINT>(dib_h) - start));
  SurfaceFormat f = d.format;
  f.height = n;
  f.order = RowOrder::kTopDown;  // row i of the view is memory row i
  std::shared_ptr<Surface> view = Surface::View(f, const_cast<void*>(lpBits));
  if (!view) return 0;
  Surface& dst = *bmp->surface;
  bool top_down = d.format.order == RowOrder::kTopDown;
  int w = std::min(view->width(), dst.width());
  for (int i = 0; i < n; ++i) {
    long long scan = static_cast<long long>(start) + i;
    long long y = top_down ? scan : dib_h - 1 - scan;
    if (y < 0 || y >= dst.height()) continue;
    for (int x = 0; x < w; ++x) dst.Set(x, static_cast<int>(y), view->Get(x, i));
  }
  return n;
}

int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc, int SrcWidth,
                  int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage, DWORD rop) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hdc, &t)) return 0;
  if (lpBits == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DibLayout d;
  if (!ParseDib(lpbmi, SIZE_MAX, iUsage, t.dc->st.palette.get(), &d)) return 0;
  std::shared_ptr<Surface> view = DibView(d, lpBits);
  if (!view) return 0;
  DcObj& dc = *t.dc;
  POINT a = dc.ToSurface(xDest, yDest);
  POINT b = dc.ToSurface(static_cast<LONG>(std::clamp<long long>(static_cast<long long>(xDest) + DestWidth, INT_MIN, INT_MAX)),
                         static_cast<LONG>(std::clamp<long long>(static_cast<long long>(yDest) + DestHeight, INT_MIN, INT_MAX)));
  RECT dest = RectNormalize(RECT{a.x, a.y, b.x, b.y});
  // For a bottom-up DIB the source y counts from the bottom row.
  long long H = d.format.height;
  long long top = d.format.order == RowOrder::kBottomUp ? H - ySrc - SrcHeight : ySrc;
  BlitSource src;
  src.surface = view.get();
  src.rect = RectNormalize(RECT{xSrc, static_cast<LONG>(std::clamp<long long>(top, INT_MIN, INT_MAX)),
                                static_cast<LONG>(std::clamp<long long>(static_cast<long long>(xSrc) + SrcWidth, INT_MIN, INT_MAX)),
                                static_cast<LONG>(std::clamp<long long>(top + SrcHeight, INT_MIN, INT_MAX))});
  src.flip_x = (b.x < a.x) != (SrcWidth < 0);
  src.flip_y = (b.y < a.y) != (SrcHeight < 0);
  RasterBlit(t, dest, &src, Rop3Code(rop));
  if (Visible(t, dest)) {
    PaintRecord rec;
    rec.kind = PaintKind::kBlit;
    rec.rect = dest;
    rec.rop = rop;
    Record(dc, std::move(rec));
  }
  return SrcHeight < 0 ? -SrcHeight : SrcHeight;
}

int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT StartScan,
                      UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi, UINT ColorUse) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hdc, &t)) return 0;
  if (lpvBits == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DibLayout d;
  if (!ParseDib(lpbmi, SIZE_MAX, ColorUse, t.dc->st.palette.get(), &d)) return 0;
  int dib_h = d.format.height;
  if (StartScan >= static_cast<UINT>(dib_h) || cLines == 0) return 0;
  int n = static_cast<int>(std::min<UINT>(cLines, static_cast<UINT>(dib_h) - StartScan));
  // The buffer holds scan lines StartScan .. StartScan + n - 1.
  SurfaceFormat f = d.format;
  f.height = n;
  std::shared_ptr<Surface> view = Surface::View(f, const_cast<void*>(lpvBits));
  if (!view) return 0;
  long long width = std::min<DWORD>(w, 0x7FFFFFFF), height = std::min<DWORD>(h, 0x7FFFFFFF);
  long long top = d.format.order == RowOrder::kBottomUp
                      ? static_cast<long long>(StartScan) + n - ySrc - height
                      : static_cast<long long>(ySrc) - StartScan;
  auto clampl = [](long long v) { return static_cast<LONG>(std::clamp<long long>(v, INT_MIN, INT_MAX)); };
  BlitSource src;
  src.surface = view.get();
  src.rect = RECT{xSrc, clampl(top), clampl(static_cast<long long>(xSrc) + width), clampl(top + height)};
  POINT a = t.dc->ToSurface(xDest, yDest);
  RECT dest{a.x, a.y, clampl(a.x + width), clampl(a.y + height)};
  RasterBlit(t, dest, &src, Rop3Code(SRCCOPY));
  if (Visible(t, dest)) {
    PaintRecord rec;
    rec.kind = PaintKind::kBlit;
    rec.rect = dest;
    rec.rop = SRCCOPY;
    Record(*t.dc, std::move(rec));
  }
  return n;
}
