// The image library "VIC32.DLL": JPEG and GIF files decoded into device-
// independent bitmaps of the layer, with the library's image records. Every
// export is looked up by its lower-case name; results: 0 done, negative an
// error (kVicBadRange, kVicNoMemory, kVicBadFile, kVicNoFile, kVicUnsupported).
#pragma once

#include "qvplatform.h"

inline constexpr const char* kVicFileName = "VIC32.DLL";
inline constexpr int kVicMaxSide = 16384;

inline constexpr int kVicBadRange = -1;
inline constexpr int kVicNoMemory = -2;
inline constexpr int kVicBadFile = -3;
inline constexpr int kVicNoFile = -5;
inline constexpr int kVicUnsupported = -6;

// An image: its area, its rows (bottom-up, as the bitmap holds them) and its
// bitmap. hBitmap non-null means the record holds an image.
struct imgdes {
  unsigned char* ibuff;
  unsigned stx, sty, endx, endy;
  unsigned buffwidth;  // bytes per row
  RGBQUAD* palette;    // colours of an 8-bit image; null for 24 bits
  int colors;
  int imgtype;
  BITMAPINFOHEADER* bmh;
  HBITMAP hBitmap;
};

struct GifData {
  int width, height;
  int bkcolor;
  int aspect;
  int left, top;
  int interlace;
  int colors;
  int vbitcount;
};

struct JpegData {
  int ftype;
  int width, height;
  int comps;
  int progressive;
  int density_units;
  int xdensity, ydensity;
  int reserved;
  int vbitcount;
};

typedef int(WINAPI* PFN_allocimage)(imgdes* image, int width, int height, int bppixel);
typedef int(WINAPI* PFN_copyimage)(const imgdes* source, imgdes* target);
typedef void(WINAPI* PFN_freeimage)(imgdes* image);
typedef int(WINAPI* PFN_gifinfo)(const char* path, GifData* info);
typedef int(WINAPI* PFN_jpeginfo)(const char* path, JpegData* info);
typedef int(WINAPI* PFN_loadgif)(const char* path, imgdes* image);
typedef int(WINAPI* PFN_loadjpg)(const char* path, imgdes* image);
typedef int(WINAPI* PFN_victowinpal)(const imgdes* image, HPALETTE* palette);
