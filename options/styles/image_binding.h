// The image library "VIC32.DLL", bound by name on first use. Without it (or
// without one of its functions) every wrapper answers kImageLibraryMissing
// and the styles simply show no pictures.
#pragma once

#include "vic32.h"

inline constexpr int kImageLibraryMissing = -4;

int LazyAllocImage(imgdes* image, int width, int height, int bppixel);
int LazyCopyImage(const imgdes* source, imgdes* target);
void LazyFreeImage(imgdes* image);
int LazyGifInfo(const char* path, GifData* info);
int LazyJpegInfo(const char* path, JpegData* info);
int LazyLoadGif(const char* path, imgdes* image);
int LazyLoadJpg(const char* path, imgdes* image);
int LazyVicToWinPal(const imgdes* image, HPALETTE* palette);
int LazyImageToDib(const imgdes* image, HANDLE* dib);
int LazyLoadGifPalette(const char* path, RGBQUAD* palette);
int LazyViewImage(HWND window, HDC dc, HPALETTE* palette, int x, int y, const imgdes* image);
int LazyCalcHisto(const imgdes* image, long* red, long* green, long* blue);
int LazyCalcHistoRgb(const imgdes* image, long* red, long* green, long* blue, int mode);

// 1 when the file was decoded into the record (allocated here), else 0.
int LoadJpegImage(const char* path, imgdes* image);
int LoadGifImage(const char* path, imgdes* image);
