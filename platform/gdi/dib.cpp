#include "gdi/dib.h"

#include <algorithm>
#include <cstring>

#include "gdi/gdi_error.h"
#include "gdi/sys_colors.h"

namespace qvp::gdi {
namespace {

template <class T>
T ReadAt(const uint8_t* p, size_t off) {
  T v;
  std::memcpy(&v, p + off, sizeof v);
  return v;
}

bool Fail(DWORD error) {
  SetError(error);
  return false;
}

bool KnownHeaderSize(DWORD size) {
  return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

}  // namespace

bool ParseDib(const void* info, size_t avail, UINT usage, const PaletteObj* palette, DibLayout* out) {
  if (info == nullptr || avail < 4) return Fail(ERROR_INVALID_DATA);
  if (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS) return Fail(ERROR_INVALID_PARAMETER);
  const uint8_t* p = static_cast<const uint8_t*>(info);
  DWORD hsize = ReadAt<DWORD>(p, 0);
  if (!KnownHeaderSize(hsize) || hsize > avail) return Fail(ERROR_INVALID_DATA);
  DibLayout d;
  long long width, height;
  int bpp;
  DWORD compression = BI_RGB, clr_used = 0;
  if (hsize == 12) {
    BITMAPCOREHEADER core;
    std::memcpy(&core, p, sizeof core);
    if (core.bcPlanes != 1) return Fail(ERROR_INVALID_DATA);
    width = core.bcWidth;
    height = core.bcHeight;
    bpp = core.bcBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) return Fail(ERROR_INVALID_DATA);
    d.core = true;
  } else {
    BITMAPINFOHEADER h;
    std::memcpy(&h, p, sizeof h);
    if (h.biPlanes != 1) return Fail(ERROR_INVALID_DATA);
    width = h.biWidth;
    height = h.biHeight;
    bpp = h.biBitCount;
    compression = h.biCompression;
    clr_used = h.biClrUsed;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return Fail(ERROR_INVALID_DATA);
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bpp == 16 || bpp == 32)))
      return Fail(ERROR_INVALID_DATA);
  }
  if (width <= 0 || height == 0 || height == -2147483648LL) return Fail(ERROR_INVALID_DATA);
  long long abs_h = height < 0 ? -height : height;

  // Channel masks: inside a V3-or-later header, else right after the 40-byte header.
  size_t pos = hsize;
  if (compression == BI_BITFIELDS) {
    size_t at = hsize >= 52 ? 40 : hsize;
    if (at + 12 > avail) return Fail(ERROR_INVALID_DATA);
    for (int i = 0; i < 3; ++i) {
      d.format.masks[i] = ReadAt<DWORD>(p, at + 4 * static_cast<size_t>(i));
      if (d.format.masks[i] == 0) return Fail(ERROR_INVALID_DATA);
    }
    if (hsize == 40) pos += 12;
  }

  // Colour table.
  size_t count;
  if (bpp <= 8) {
    size_t max = size_t{1} << bpp;
    if (clr_used > max) return Fail(ERROR_INVALID_DATA);
    count = clr_used == 0 ? max : clr_used;
  } else {
    if (clr_used > 256) return Fail(ERROR_INVALID_DATA);
    count = clr_used;  // present but unused for drawing
  }
  size_t entry = usage == DIB_PAL_COLORS ? 2 : (d.core ? 3 : 4);
  if (count * entry > avail - pos) return Fail(ERROR_INVALID_DATA);
  if (bpp <= 8) {
    for (size_t i = 0; i < count; ++i) {
      const uint8_t* e = p + pos + i * entry;
      if (usage == DIB_PAL_COLORS) {
        WORD idx = ReadAt<WORD>(e, 0);
        PALETTEENTRY pe{0, 0, 0, 0};
        if (palette != nullptr && idx < palette->entries.size()) pe = palette->entries[idx];
        d.format.colors.push_back(RGBQUAD{pe.peBlue, pe.peGreen, pe.peRed, 0});
      } else {
        d.format.colors.push_back(RGBQUAD{e[0], e[1], e[2], 0});
      }
    }
  }
  pos += count * entry;

  uint64_t stride = RowBytes(static_cast<int>(width), bpp, 4);
  if (stride == 0 || width > 0x7FFFFFFF) return Fail(ERROR_INVALID_DATA);
  uint64_t image = stride * static_cast<uint64_t>(abs_h);
  if (image / stride != static_cast<uint64_t>(abs_h) || image > kMaxSurfaceBytes)
    return Fail(ERROR_NOT_ENOUGH_MEMORY);

  d.format.width = static_cast<int>(width);
  d.format.height = static_cast<int>(abs_h);
  d.format.bpp = bpp;
  d.format.order = height < 0 ? RowOrder::kTopDown : RowOrder::kBottomUp;
  d.format.row_align = 4;
  d.info_size = pos;
  d.image_size = image;
  d.bih.biSize = sizeof(BITMAPINFOHEADER);
  d.bih.biWidth = static_cast<LONG>(width);
  d.bih.biHeight = static_cast<LONG>(height);
  d.bih.biPlanes = 1;
  d.bih.biBitCount = static_cast<WORD>(bpp);
  d.bih.biCompression = compression;
  d.bih.biSizeImage = static_cast<DWORD>(image);
  d.bih.biClrUsed = bpp <= 8 ? static_cast<DWORD>(count) : 0;
  *out = std::move(d);
  return true;
}

std::shared_ptr<Surface> DibView(const DibLayout& layout, const void* bits) {
  return Surface::View(layout.format, const_cast<void*>(bits));
}

void CopySurface(const Surface& src, Surface& dst) {
  int w = std::min(src.width(), dst.width()), h = std::min(src.height(), dst.height());
  bool raw = src.bpp() == dst.bpp() && src.colors().size() == dst.colors().size() &&
             (src.colors().empty() ||
              std::memcmp(src.colors().data(), dst.colors().data(), src.colors().size() * sizeof(RGBQUAD)) == 0) &&
             std::memcmp(src.format().masks, dst.format().masks, sizeof src.format().masks) == 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (raw) {
        dst.SetRaw(x, y, src.GetRaw(x, y));
      } else {
        dst.Set(x, y, src.Get(x, y));
      }
    }
}

HBITMAP BitmapFromDib(const void* info, size_t info_avail, const void* bits, size_t bits_avail,
                      const DibLoadOptions& options) {
  DibLayout d;
  if (!ParseDib(info, info_avail, DIB_RGB_COLORS, nullptr, &d)) return nullptr;
  if (bits == nullptr) {
    bits = static_cast<const uint8_t*>(info) + d.info_size;
    bits_avail = info_avail - d.info_size;
  }
  if (d.image_size > bits_avail) {
    SetError(ERROR_INVALID_DATA);
    return nullptr;
  }
  std::shared_ptr<Surface> view = DibView(d, bits);
  if (!view) {
    SetError(ERROR_INVALID_DATA);
    return nullptr;
  }
  if (d.format.bpp <= 8) {
    std::vector<RGBQUAD> table = d.format.colors;
    if (options.map_3d_colors) {
      for (RGBQUAD& q : table) {
        COLORREF c = QuadToColor(q);
        if (c == RGB(128, 128, 128)) q = ColorToQuad(SysColor(COLOR_3DSHADOW));
        if (c == RGB(192, 192, 192)) q = ColorToQuad(SysColor(COLOR_3DFACE));
        if (c == RGB(223, 223, 223)) q = ColorToQuad(SysColor(COLOR_3DLIGHT));
      }
    }
    if (options.transparent) {
      // The first pixel in memory names the background entry.
      uint32_t first = view->GetRaw(0, d.format.order == RowOrder::kBottomUp ? view->height() - 1 : 0);
      if (first < table.size()) table[first] = ColorToQuad(SysColor(COLOR_WINDOW));
    }
    view->SetColors(std::move(table));
  }
  SurfaceFormat f;
  if (options.dib_section) {
    f = view->format();
    if (options.monochrome) {
      f.bpp = 1;
      f.colors = MonochromeColors();
      f.masks[0] = f.masks[1] = f.masks[2] = 0;
    }
  } else {
    f.bpp = d.format.bpp == 1 || options.monochrome ? 1 : 32;
    f.order = RowOrder::kTopDown;
    f.row_align = 2;
    if (f.bpp == 1) f.colors = MonochromeColors();
  }
  f.width = options.width > 0 ? options.width : d.format.width;
  f.height = options.height > 0 ? options.height : d.format.height;
  std::shared_ptr<Surface> s = Surface::Create(f);
  if (!s) {
    SetError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (f.width == view->width() && f.height == view->height()) {
    CopySurface(*view, *s);
  } else {
    for (int y = 0; y < f.height; ++y)
      for (int x = 0; x < f.width; ++x)
        s->Set(x, y,
               view->Get(static_cast<int>(static_cast<long long>(x) * view->width() / f.width),
                         static_cast<int>(static_cast<long long>(y) * view->height() / f.height)));
  }
  auto b = std::make_shared<BitmapObj>();
  b->surface = std::move(s);
  b->dib_section = options.dib_section;
  if (options.dib_section) {
    b->bih = d.bih;
    b->bih.biWidth = f.width;
    b->bih.biHeight = d.bih.biHeight < 0 ? -f.height : f.height;
    b->bih.biBitCount = static_cast<WORD>(f.bpp);
    b->bih.biSizeImage = static_cast<DWORD>(b->surface->size_bytes());
    if (f.bpp <= 8) b->bih.biClrUsed = static_cast<DWORD>(b->surface->colors().size());
  }
  return static_cast<HBITMAP>(Insert(b));
}

}  // namespace qvp::gdi

namespace qvp {

HBITMAP CreateBitmapFromDib(const void* packed_dib, size_t size, bool as_dib_section) {
  gdi::DibLoadOptions options;
  options.dib_section = as_dib_section;
  return gdi::BitmapFromDib(packed_dib, size, nullptr, 0, options);
}

}  // namespace qvp
