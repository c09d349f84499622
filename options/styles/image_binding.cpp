#include "image_binding.h"

#include "lazy_module.h"

namespace {

LazyModule& Vic() {
  static LazyModule module(kVicFileName);
  return module;
}

template <typename Fn, typename... Args>
int Call(LazyProc& proc, Args... args) {
  Fn fn = proc.As<Fn>();
  return fn != nullptr ? fn(args...) : kImageLibraryMissing;
}

#define VIC_PROC(name)                   \
  LazyProc& name##Proc() {               \
    static LazyProc proc(Vic(), #name);  \
    return proc;                         \
  }
VIC_PROC(allocimage)
VIC_PROC(copyimage)
VIC_PROC(freeimage)
VIC_PROC(gifinfo)
VIC_PROC(jpeginfo)
VIC_PROC(loadgif)
VIC_PROC(loadjpg)
VIC_PROC(victowinpal)
VIC_PROC(imagetodib)
VIC_PROC(loadgifpalette)
VIC_PROC(viewimage)
VIC_PROC(calchisto)
VIC_PROC(calchistorgb)
#undef VIC_PROC

typedef int(WINAPI* PFN_imagetodib)(const imgdes*, HANDLE*);
typedef int(WINAPI* PFN_loadgifpalette)(const char*, RGBQUAD*);
typedef int(WINAPI* PFN_viewimage)(HWND, HDC, HPALETTE*, int, int, const imgdes*);
typedef int(WINAPI* PFN_calchisto)(const imgdes*, long*, long*, long*);
typedef int(WINAPI* PFN_calchistorgb)(const imgdes*, long*, long*, long*, int);

}  // namespace

int LazyAllocImage(imgdes* image, int width, int height, int bppixel) {
  return Call<PFN_allocimage>(allocimageProc(), image, width, height, bppixel);
}
int LazyCopyImage(const imgdes* source, imgdes* target) { return Call<PFN_copyimage>(copyimageProc(), source, target); }
void LazyFreeImage(imgdes* image) {
  auto fn = freeimageProc().As<PFN_freeimage>();
  if (fn != nullptr) fn(image);
}
int LazyGifInfo(const char* path, GifData* info) { return Call<PFN_gifinfo>(gifinfoProc(), path, info); }
int LazyJpegInfo(const char* path, JpegData* info) { return Call<PFN_jpeginfo>(jpeginfoProc(), path, info); }
int LazyLoadGif(const char* path, imgdes* image) { return Call<PFN_loadgif>(loadgifProc(), path, image); }
int LazyLoadJpg(const char* path, imgdes* image) { return Call<PFN_loadjpg>(loadjpgProc(), path, image); }
int LazyVicToWinPal(const imgdes* image, HPALETTE* palette) {
  return Call<PFN_victowinpal>(victowinpalProc(), image, palette);
}
int LazyImageToDib(const imgdes* image, HANDLE* dib) { return Call<PFN_imagetodib>(imagetodibProc(), image, dib); }
int LazyLoadGifPalette(const char* path, RGBQUAD* palette) {
  return Call<PFN_loadgifpalette>(loadgifpaletteProc(), path, palette);
}
int LazyViewImage(HWND window, HDC dc, HPALETTE* palette, int x, int y, const imgdes* image) {
  return Call<PFN_viewimage>(viewimageProc(), window, dc, palette, x, y, image);
}
int LazyCalcHisto(const imgdes* image, long* red, long* green, long* blue) {
  return Call<PFN_calchisto>(calchistoProc(), image, red, green, blue);
}
int LazyCalcHistoRgb(const imgdes* image, long* red, long* green, long* blue, int mode) {
  return Call<PFN_calchistorgb>(calchistorgbProc(), image, red, green, blue, mode);
}

int LoadJpegImage(const char* path, imgdes* image) {
  JpegData info{};
  if (LazyJpegInfo(path, &info) != 0) return 0;
  if (LazyAllocImage(image, info.width, info.height, info.vbitcount) != 0) return 0;
  if (LazyLoadJpg(path, image) == 0) return 1;
  LazyFreeImage(image);
  return 0;
}

int LoadGifImage(const char* path, imgdes* image) {
  GifData info{};
  if (LazyGifInfo(path, &info) != 0) return 0;
  if (LazyAllocImage(image, info.width, info.height, info.vbitcount) != 0) return 0;
  if (LazyLoadGif(path, image) == 0) return 1;
  LazyFreeImage(image);
  return 0;
}
