// Drawing image lists through the GDI, and image lists from bitmap resources.
//
// A transparent image is drawn as Windows draws it: the mask ANDed onto the
// target (white where transparent, black where the image shows), then the image
// (black where transparent) ORed on top. An opaque draw fills the transparent
// pixels with the background colour and copies the image.
#include <algorithm>
#include <cstring>

#include "ui/comctl/imagelist.h"
#include "ui/comctl/comctl_common.h"

namespace qvp::ui::comctl {
namespace {

uint32_t ToBgrx(COLORREF c) {
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

COLORREF Blend(COLORREF a, COLORREF b, int weight_b) {  // weight of b in quarters
  auto mix = [&](int x, int y) { return static_cast<BYTE>((x * (4 - weight_b) + y * weight_b) / 4); };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

// A w x h top-down 32-bit DIB section holding the given pixels.
HBITMAP MakeDib(int w, int h, const std::vector<COLORREF>& pixels) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp || !bits) return nullptr;
  auto* out = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) out[i] = ToBgrx(pixels[i]);
  return bmp;
}

bool Blit(HDC target, int x, int y, int w, int h, HBITMAP bmp, DWORD rop) {
  HDC mem = CreateCompatibleDC(target);
  if (!mem) return false;
  HGDIOBJ old = SelectObject(mem, bmp);
  BOOL ok = BitBlt(target, x, y, w, h, mem, 0, 0, rop);
  SelectObject(mem, old);
  DeleteDC(mem);
  return ok != FALSE;
}

// What one draw call puts on the target, computed from a copy of the image.
struct Plan {
  int w = 0, h = 0;
  std::vector<COLORREF> image;
  std::vector<COLORREF> mask;  // white where transparent, black where the image shows; empty: opaque
};

Plan MakePlan(const ImageList& l, const ImageList::Image& img, int dx, int dy, COLORREF bk, COLORREF fg,
              UINT style) {
  Plan p;
  p.w = dx > 0 ? std::min(dx, l.cx) : l.cx;
  p.h = dy > 0 ? std::min(dy, l.cy) : l.cy;
  const bool has_mask = !img.mask.empty();
  const bool transparent = has_mask && ((style & ILD_TRANSPARENT) || bk == CLR_NONE);
  const int blend = (style & ILD_BLEND50) ? 2 : (style & ILD_BLEND25) ? 1 : 0;
  const COLORREF tint = fg == CLR_DEFAULT || fg == CLR_NONE ? GetSysColor(COLOR_HIGHLIGHT) : fg;
  const size_t n = static_cast<size_t>(p.w) * static_cast<size_t>(p.h);
  p.image.assign(n, RGB(0, 0, 0));
  if (transparent && !(style & ILD_IMAGE)) p.mask.assign(n, RGB(0, 0, 0));
  for (int y = 0; y < p.h; ++y) {
    for (int x = 0; x < p.w; ++x) {
      const size_t src = static_cast<size_t>(y) * static_cast<size_t>(l.cx) + static_cast<size_t>(x);
      const size_t dst = static_cast<size_t>(y) * static_cast<size_t>(p.w) + static_cast<size_t>(x);
      const bool clear = has_mask && img.mask[src] != 0;
      if (style & ILD_MASK) {
        p.image[dst] = clear ? RGB(255, 255, 255) : RGB(0, 0, 0);
        continue;
      }
      COLORREF c = img.pixels[src];
      if (blend && !clear) c = Blend(c, tint, blend);
      if (clear && !(style & ILD_IMAGE)) c = transparent ? RGB(0, 0, 0) : bk;
      p.image[dst] = c;
      if (!p.mask.empty()) p.mask[dst] = clear ? RGB(255, 255, 255) : RGB(0, 0, 0);
    }
  }
  if (style & ILD_MASK) p.mask.clear();
  return p;
}

// A DIB section from a packed DIB (the header, its colour table and the rows),
// every size checked against the resource's length.
HBITMAP BitmapFromPackedDib(const BYTE* data, size_t size) {
  if (size < sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER h{};
  std::memcpy(&h, data, sizeof(h));
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > size || h.biWidth <= 0 || h.biHeight == 0 ||
      h.biHeight == INT32_MIN || (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS))
    return nullptr;
  const int bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return nullptr;
  size_t colors = h.biClrUsed ? h.biClrUsed : (bpp <= 8 ? (size_t{1} << bpp) : 0);
  if (bpp <= 8) colors = std::min(colors, size_t{1} << bpp);
  const size_t masks = h.biCompression == BI_BITFIELDS ? 3 * sizeof(DWORD) : 0;
  const size_t table = colors * sizeof(RGBQUAD);
  const uint64_t stride = ((static_cast<uint64_t>(h.biWidth) * static_cast<uint64_t>(bpp) + 31) / 32) * 4;
  const uint64_t rows = static_cast<uint64_t>(h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight);
  const uint64_t bits = stride * rows;
  if (h.biSize + masks + table > size || bits > size - h.biSize - masks - table) return nullptr;
  // The header as CreateDIBSection reads it: the fixed part, masks or colour table after it.
  std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + masks + table + sizeof(RGBQUAD));
  BITMAPINFOHEADER fixed = h;
  fixed.biSize = sizeof(BITMAPINFOHEADER);
  fixed.biClrUsed = static_cast<DWORD>(colors);
  std::memcpy(info.data(), &fixed, sizeof(fixed));
  std::memcpy(info.data() + sizeof(fixed), data + h.biSize, masks + table);
  void* out = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &out,
                                 nullptr, 0);
  if (!bmp || !out) return nullptr;
  std::memcpy(out, data + h.biSize + masks + table, static_cast<size_t>(bits));
  return bmp;
}

}  // namespace

HBITMAP LoadBitmapResource(HINSTANCE module, LPCSTR name) {
  HRSRC res = FindResourceA(module, name, RT_BITMAP);
  if (!res) return nullptr;
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
  HBITMAP bmp = data ? BitmapFromPackedDib(data, SizeofResource(module, res)) : nullptr;
  if (!bmp) SetLastError(ERROR_INVALID_DATA);
  return bmp;
}

}  // namespace qvp::ui::comctl

using namespace qvp::ui::comctl;

BOOL WINAPI ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy, COLORREF rgbBk,
                             COLORREF rgbFg, UINT fStyle) {
  return Shielded<BOOL>(FALSE, [&]() -> BOOL {
    auto l = FindImageList(himl);
    if (!l) return FALSE;
    Plan p;
    {
      std::lock_guard<std::mutex> g(l->lock);
      if (i < 0 || i >= static_cast<int>(l->images.size())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      const COLORREF bk = rgbBk == CLR_DEFAULT ? l->bk : rgbBk;
      p = MakePlan(*l, l->images[static_cast<size_t>(i)], dx, dy, bk, rgbFg, fStyle);
    }
    HBITMAP image = MakeDib(p.w, p.h, p.image);
    if (!image) return FALSE;
    bool ok;
    if (p.mask.empty()) {
      ok = Blit(hdcDst, x, y, p.w, p.h, image, SRCCOPY);
    } else {
      HBITMAP mask = MakeDib(p.w, p.h, p.mask);
      ok = mask && Blit(hdcDst, x, y, p.w, p.h, mask, SRCAND) && Blit(hdcDst, x, y, p.w, p.h, image, SRCPAINT);
      if (mask) DeleteObject(mask);
    }
    DeleteObject(image);
    return ok ? TRUE : FALSE;
  });
}

BOOL WINAPI ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle) {
  return ImageList_DrawEx(himl, i, hdcDst, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, fStyle);
}

HIMAGELIST WINAPI ImageList_LoadImageA(HINSTANCE hi, LPCSTR lpbmp, int cx, int cGrow, COLORREF crMask, UINT uType,
                                       UINT uFlags) {
  return Shielded<HIMAGELIST>(nullptr, [&]() -> HIMAGELIST {
    if (uType != IMAGE_BITMAP || (uFlags & LR_LOADFROMFILE) || cx <= 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    HBITMAP bmp = LoadBitmapResource(hi, lpbmp);
    if (!bmp) return nullptr;
    Pixels px;
    if (!ReadBitmap(bmp, &px)) {
      DeleteObject(bmp);
      return nullptr;
    }
    const bool masked = crMask != CLR_NONE;
    HIMAGELIST himl = ImageList_Create(cx, px.height, ILC_COLOR | (masked ? ILC_MASK : 0),
                                       std::max(px.width / cx, 1), cGrow);
    int first = -1;
    if (himl) {
      const COLORREF key = crMask == CLR_DEFAULT ? px.At(0, 0) : crMask;
      first = masked ? ImageList_AddMasked(himl, bmp, key) : ImageList_Add(himl, bmp, nullptr);
    }
    DeleteObject(bmp);
    if (himl && first < 0) {
      ImageList_Destroy(himl);
      return nullptr;
    }
    return himl;
  });
}
