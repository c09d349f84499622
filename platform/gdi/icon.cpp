#include "gdi/icon.h"

#include <algorithm>
#include <cstring>

#include "gdi/dib.h"
#include "gdi/draw.h"
#include "gdi/gdi_error.h"

using namespace qvp::gdi;

namespace {

std::shared_ptr<Surface> CopyAs(const Surface& src, int bpp) {
  SurfaceFormat f;
  f.width = src.width();
  f.height = src.height();
  f.bpp = bpp;
  f.order = RowOrder::kTopDown;
  f.row_align = 2;
  if (bpp == 1) f.colors = MonochromeColors();
  std::shared_ptr<Surface> s = Surface::Create(std::move(f));
  if (s) CopySurface(src, *s);
  return s;
}

HBITMAP BitmapOf(const Surface& s) {
  std::shared_ptr<Surface> copy = CopyAs(s, s.bpp() == 1 ? 1 : 32);
  if (!copy) return nullptr;
  auto b = std::make_shared<BitmapObj>();
  b->surface = std::move(copy);
  return static_cast<HBITMAP>(Insert(b));
}

int IconWidth(const IconObj& i) { return i.color ? i.color->width() : i.mask->width(); }
int IconHeight(const IconObj& i) { return i.color ? i.color->height() : i.mask->height() / 2; }

HICON InsertIcon(std::shared_ptr<Surface> mask, std::shared_ptr<Surface> color, bool is_icon, POINT hotspot) {
  auto icon = std::make_shared<IconObj>();
  icon->mask = std::move(mask);
  icon->color = std::move(color);
  icon->is_icon = is_icon;
  icon->hotspot = hotspot;
  if (is_icon) icon->hotspot = POINT{IconWidth(*icon) / 2, IconHeight(*icon) / 2};
  return reinterpret_cast<HICON>(Insert(icon));
}

}  // namespace

HICON CreateIconIndirect(PICONINFO piconinfo) {
  Guard g(Lock());
  if (piconinfo == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto mask = LookupAs<BitmapObj>(piconinfo->hbmMask, Kind::kBitmap);
  auto color = piconinfo->hbmColor ? LookupAs<BitmapObj>(piconinfo->hbmColor, Kind::kBitmap) : nullptr;
  if (!mask || !mask->surface || (piconinfo->hbmColor != nullptr && (!color || !color->surface))) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::shared_ptr<Surface> m = CopyAs(*mask->surface, 1);
  std::shared_ptr<Surface> c = color ? CopyAs(*color->surface, 32) : nullptr;
  if (!m || (color && !c)) {
    SetError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return InsertIcon(std::move(m), std::move(c), piconinfo->fIcon != FALSE,
                    POINT{static_cast<LONG>(piconinfo->xHotspot), static_cast<LONG>(piconinfo->yHotspot)});
}

BOOL GetIconInfo(HICON hIcon, PICONINFO piconinfo) {
  Guard g(Lock());
  auto icon = LookupAs<IconObj>(hIcon, Kind::kIcon);
  if (!icon || piconinfo == nullptr) {
    SetError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // The caller owns (and deletes) the bitmaps.
  piconinfo->fIcon = icon->is_icon ? TRUE : FALSE;
  piconinfo->xHotspot = static_cast<DWORD>(icon->hotspot.x);
  piconinfo->yHotspot = static_cast<DWORD>(icon->hotspot.y);
  piconinfo->hbmMask = BitmapOf(*icon->mask);
  piconinfo->hbmColor = icon->color ? BitmapOf(*icon->color) : nullptr;
  return TRUE;
}

BOOL DestroyIcon(HICON hIcon) {
  Guard g(Lock());
  if (!LookupAs<IconObj>(hIcon, Kind::kIcon)) {
    SetError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Remove(hIcon);
  return TRUE;
}

BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT /*istepIfAniCur*/,
                HBRUSH hbrFlickerFreeDraw, UINT diFlags) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hdc, &t)) return FALSE;
  auto icon = LookupAs<IconObj>(hIcon, Kind::kIcon);
  if (!icon) {
    SetError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  int w = IconWidth(*icon), h = IconHeight(*icon);
  if (cxWidth == 0) cxWidth = (diFlags & DI_DEFAULTSIZE) ? 32 : w;
  if (cyWidth == 0) cyWidth = (diFlags & DI_DEFAULTSIZE) ? 32 : h;
  POINT a = t.dc->ToSurface(xLeft, yTop);
  POINT b = t.dc->ToSurface(xLeft + cxWidth, yTop + cyWidth);
  RECT dest = RectNormalize(RECT{a.x, a.y, b.x, b.y});
  if (hbrFlickerFreeDraw != nullptr) {
    auto brush = LookupAs<BrushObj>(hbrFlickerFreeDraw, Kind::kBrush);
    if (brush) FillRectPattern(*t.surface, t.clip, dest, BrushPattern(*t.dc, brush.get()), 0xF0);
  }
  BlitSource mask;
  mask.surface = icon->mask.get();
  mask.rect = RECT{0, 0, w, h};
  BlitSource image;
  image.surface = icon->color ? icon->color.get() : icon->mask.get();
  image.rect = icon->color ? RECT{0, 0, w, h} : RECT{0, h, w, 2 * h};
  UINT parts = diFlags & DI_NORMAL;
  if (parts == DI_NORMAL) {
    RasterBlit(t, dest, &mask, Rop3Code(SRCAND));
    RasterBlit(t, dest, &image, Rop3Code(SRCINVERT));
  } else if (parts == DI_MASK) {
    RasterBlit(t, dest, &mask, Rop3Code(SRCCOPY));
  } else if (parts == DI_IMAGE) {
    RasterBlit(t, dest, &image, Rop3Code(SRCCOPY));
  }
  if (Visible(t, dest)) {
    PaintRecord rec;
    rec.kind = PaintKind::kIcon;
    rec.rect = dest;
    rec.flags = diFlags;
    Record(*t.dc, std::move(rec));
  }
  return TRUE;
}

BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
  return DrawIconEx(hDC, X, Y, hIcon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

namespace qvp {

HICON CreateIconFromDib(const void* data, size_t size, bool is_icon, POINT hotspot) {
  DibLayout d;
  if (!ParseDib(data, size, DIB_RGB_COLORS, nullptr, &d)) return nullptr;
  // The header's height counts the XOR image and the AND mask.
  if (d.format.order != RowOrder::kBottomUp || d.format.height < 2 || d.format.height % 2 != 0) {
    SetError(ERROR_INVALID_DATA);
    return nullptr;
  }
  int w = d.format.width, h = d.format.height / 2;
  uint64_t xor_bytes = RowBytes(w, d.format.bpp, 4) * static_cast<uint64_t>(h);
  uint64_t and_bytes = RowBytes(w, 1, 4) * static_cast<uint64_t>(h);
  if (xor_bytes > size - d.info_size || and_bytes > size - d.info_size - xor_bytes) {
    SetError(ERROR_INVALID_DATA);
    return nullptr;
  }
  const uint8_t* bits = static_cast<const uint8_t*>(data) + d.info_size;
  SurfaceFormat xf = d.format;
  xf.height = h;
  SurfaceFormat af;
  af.width = w;
  af.height = h;
  af.bpp = 1;
  af.order = RowOrder::kBottomUp;
  af.row_align = 4;
  af.colors = MonochromeColors();
  std::shared_ptr<Surface> xor_view = Surface::View(xf, const_cast<uint8_t*>(bits));
  std::shared_ptr<Surface> and_view = Surface::View(af, const_cast<uint8_t*>(bits + xor_bytes));
  Guard g(Lock());
  std::shared_ptr<Surface> mask = xor_view && and_view ? CopyAs(*and_view, 1) : nullptr;
  std::shared_ptr<Surface> color = xor_view ? CopyAs(*xor_view, 32) : nullptr;
  if (!mask || !color) {
    SetError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return InsertIcon(std::move(mask), std::move(color), is_icon, hotspot);
}

}  // namespace qvp
