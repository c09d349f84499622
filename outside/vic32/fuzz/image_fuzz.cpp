// libFuzzer target: one image file through the library as the styles use it,
// information first, then a record of that size and the decode into it.
// Built twice: -DFUZZ_GIF for gifinfo + loadgif, else jpeginfo + loadjpg.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "vic32.h"

QV_API int WINAPI allocimage(imgdes* image, int width, int height, int bppixel);
QV_API void WINAPI freeimage(imgdes* image);
QV_API int WINAPI gifinfo(const char* path, GifData* info);
QV_API int WINAPI loadgif(const char* path, imgdes* image);
QV_API int WINAPI jpeginfo(const char* path, JpegData* info);
QV_API int WINAPI loadjpg(const char* path, imgdes* image);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/vic32_fuzz_" + std::to_string(::getpid());
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  imgdes image{};
#ifdef FUZZ_GIF
  GifData info{};
  if (gifinfo(path.c_str(), &info) == 0 && allocimage(&image, info.width, info.height, info.vbitcount) == 0) {
    loadgif(path.c_str(), &image);
    freeimage(&image);
  }
#else
  JpegData info{};
  if (jpeginfo(path.c_str(), &info) == 0 && allocimage(&image, info.width, info.height, info.vbitcount) == 0) {
    loadjpg(path.c_str(), &image);
    freeimage(&image);
  }
#endif
  return 0;
}
