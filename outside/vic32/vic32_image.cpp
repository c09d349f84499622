// Image records: allocation into a DIB section, copy, free, palette, and the
// exports the program never calls.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "vic32_internal.h"

namespace vic32 {

unsigned char* RowOf(const imgdes& image, unsigned y) {
  const unsigned height = image.endy - image.sty + 1;
  return image.ibuff + static_cast<size_t>(height - 1 - y) * image.buffwidth;
}

bool ReadWholeFile(const char* path, std::vector<unsigned char>* bytes) {
  if (path == nullptr) return false;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0;
  const DWORD size = GetFileSize(file, &high);
  bool ok = size != INVALID_FILE_SIZE && high == 0 && size <= kMaxFileBytes;
  if (ok) {
    bytes->resize(size);
    DWORD got = 0;
    ok = size == 0 || (ReadFile(file, bytes->data(), size, &got, nullptr) && got == size);
  }
  CloseHandle(file);
  return ok;
}

}  // namespace vic32

using namespace vic32;

QV_API int WINAPI allocimage(imgdes* image, int width, int height, int bppixel) {
  if (image == nullptr || width < 1 || height < 1 || width > kVicMaxSide || height > kVicMaxSide) return kVicBadRange;
  if (bppixel != 1 && bppixel != 8 && bppixel != 24) return kVicBadRange;
  std::memset(image, 0, sizeof *image);
  const int colors = bppixel == 24 ? 0 : 1 << bppixel;
  auto* bmh = static_cast<BITMAPINFOHEADER*>(std::calloc(1, sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD)));
  if (bmh == nullptr) return kVicNoMemory;
  bmh->biSize = sizeof(BITMAPINFOHEADER);
  bmh->biWidth = width;
  bmh->biHeight = height;
  bmh->biPlanes = 1;
  bmh->biBitCount = static_cast<WORD>(bppixel);
  bmh->biCompression = BI_RGB;
  bmh->biClrUsed = static_cast<DWORD>(colors);
  auto* palette = reinterpret_cast<RGBQUAD*>(bmh + 1);
  for (int i = 0; i < colors; ++i) {
    const BYTE grey = static_cast<BYTE>(colors > 1 ? i * 255 / (colors - 1) : 0);
    palette[i] = RGBQUAD{grey, grey, grey, 0};
  }
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(bmh), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) {
    if (bitmap != nullptr) DeleteObject(bitmap);
    std::free(bmh);
    return kVicNoMemory;
  }
  image->ibuff = static_cast<unsigned char*>(bits);
  image->stx = 0;
  image->sty = 0;
  image->endx = static_cast<unsigned>(width - 1);
  image->endy = static_cast<unsigned>(height - 1);
  image->buffwidth = static_cast<unsigned>(((width * bppixel + 31) / 32) * 4);
  image->palette = colors > 0 ? palette : nullptr;
  image->colors = colors;
  image->imgtype = bppixel == 24 ? 1 : 0;
  image->bmh = bmh;
  image->hBitmap = bitmap;
  return 0;
}

QV_API void WINAPI freeimage(imgdes* image) {
  if (image == nullptr) return;
  if (image->hBitmap != nullptr) DeleteObject(image->hBitmap);
  std::free(image->bmh);
  std::memset(image, 0, sizeof *image);
}

QV_API int WINAPI copyimage(const imgdes* source, imgdes* target) {
  if (source == nullptr || target == nullptr || source->hBitmap == nullptr || target->hBitmap == nullptr ||
      source->bmh == nullptr || target->bmh == nullptr || source->bmh->biBitCount != target->bmh->biBitCount)
    return kVicBadRange;
  const unsigned width = std::min(source->endx - source->stx, target->endx - target->stx) + 1;
  const unsigned height = std::min(source->endy - source->sty, target->endy - target->sty) + 1;
  const size_t rowBytes =
      std::min<size_t>((static_cast<size_t>(width) * source->bmh->biBitCount + 7) / 8,
                       std::min(source->buffwidth, target->buffwidth));
  for (unsigned y = 0; y < height; ++y) std::memcpy(RowOf(*target, y), RowOf(*source, y), rowBytes);
  if (source->palette != nullptr && target->palette != nullptr) {
    const int colors = std::min(source->colors, target->colors);
    std::memcpy(target->palette, source->palette, static_cast<size_t>(std::max(colors, 0)) * sizeof(RGBQUAD));
  }
  return 0;
}

QV_API int WINAPI victowinpal(const imgdes* image, HPALETTE* palette) {
  if (palette == nullptr) return kVicBadRange;
  *palette = nullptr;
  if (image == nullptr || image->palette == nullptr || image->colors < 1 || image->colors > 256) return kVicBadRange;
  std::vector<unsigned char> block(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(image->colors);
  for (int i = 0; i < image->colors; ++i) {
    lp->palPalEntry[i].peRed = image->palette[i].rgbRed;
    lp->palPalEntry[i].peGreen = image->palette[i].rgbGreen;
    lp->palPalEntry[i].peBlue = image->palette[i].rgbBlue;
    lp->palPalEntry[i].peFlags = 0;
  }
  *palette = CreatePalette(lp);
  return *palette != nullptr ? 0 : kVicNoMemory;
}

// Exports the program binds but never calls: present, and refusing.
QV_API int WINAPI imagetodib(const imgdes*, HANDLE*) { return kVicUnsupported; }
QV_API int WINAPI loadgifpalette(const char*, RGBQUAD*) { return kVicUnsupported; }
QV_API int WINAPI viewimage(HWND, HDC, HPALETTE*, int, int, const imgdes*) { return kVicUnsupported; }
QV_API int WINAPI calchisto(const imgdes*, long*, long*, long*) { return kVicUnsupported; }
QV_API int WINAPI calchistorgb(const imgdes*, long*, long*, long*, int) { return kVicUnsupported; }
