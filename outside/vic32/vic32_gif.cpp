// GIF files through giflib: the first image of the file, interlaced or not,
// placed on the logical screen; every size is checked before anything is
// allocated for it.
#include <algorithm>
#include <cstring>
#include <vector>

#include <gif_lib.h>

#include "vic32_internal.h"

namespace {

struct Source {
  const std::vector<unsigned char>* bytes;
  size_t at;
};

int ReadBytes(GifFileType* gif, GifByteType* out, int count) {
  auto* s = static_cast<Source*>(gif->UserData);
  const size_t left = s->bytes->size() - s->at;
  const size_t n = std::min<size_t>(left, count > 0 ? static_cast<size_t>(count) : 0);
  if (n != 0) std::memcpy(out, s->bytes->data() + s->at, n);
  s->at += n;
  return static_cast<int>(n);
}

struct Gif {
  GifFileType* file = nullptr;
  ~Gif() {
    int error = 0;
    if (file != nullptr) DGifCloseFile(file, &error);
  }
};

bool ScreenOk(const GifFileType* g) {
  return g->SWidth >= 1 && g->SHeight >= 1 && g->SWidth <= kVicMaxSide && g->SHeight <= kVicMaxSide;
}

// Skips to the first image descriptor; false at the end or on a bad record.
bool FirstImage(GifFileType* g) {
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(g, &type) == GIF_ERROR) return false;
    if (type == IMAGE_DESC_RECORD_TYPE) return DGifGetImageDesc(g) != GIF_ERROR;
    if (type == TERMINATE_RECORD_TYPE) return false;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(g, &code, &block) == GIF_ERROR) return false;
      while (block != nullptr) {
        if (DGifGetExtensionNext(g, &block) == GIF_ERROR) return false;
      }
    }
  }
}

int Open(const char* path, std::vector<unsigned char>* bytes, Source* source, Gif* gif) {
  if (!vic32::ReadWholeFile(path, bytes)) return kVicNoFile;
  *source = Source{bytes, 0};
  int error = 0;
  gif->file = DGifOpen(source, ReadBytes, &error);
  if (gif->file == nullptr) return kVicBadFile;
  if (!ScreenOk(gif->file)) return kVicBadRange;
  return 0;
}

}  // namespace

QV_API int WINAPI gifinfo(const char* path, GifData* info) {
  if (info == nullptr) return kVicBadRange;
  std::vector<unsigned char> bytes;
  Source source{};
  Gif gif;
  int result = Open(path, &bytes, &source, &gif);
  if (result != 0) return result;
  GifFileType* g = gif.file;
  std::memset(info, 0, sizeof *info);
  info->width = g->SWidth;
  info->height = g->SHeight;
  info->bkcolor = g->SBackGroundColor;
  info->aspect = g->AspectByte;
  if (!FirstImage(g)) return kVicBadFile;
  info->left = g->Image.Left;
  info->top = g->Image.Top;
  info->interlace = g->Image.Interlace ? 1 : 0;
  const ColorMapObject* map = g->Image.ColorMap != nullptr ? g->Image.ColorMap : g->SColorMap;
  info->colors = map != nullptr ? map->ColorCount : 0;
  info->vbitcount = 8;
  return 0;
}

QV_API int WINAPI loadgif(const char* path, imgdes* image) {
  if (image == nullptr || image->hBitmap == nullptr || image->bmh == nullptr || image->bmh->biBitCount != 8)
    return kVicBadRange;
  std::vector<unsigned char> bytes;
  Source source{};
  Gif gif;
  int result = Open(path, &bytes, &source, &gif);
  if (result != 0) return result;
  GifFileType* g = gif.file;
  if (!FirstImage(g)) return kVicBadFile;
  const GifImageDesc& d = g->Image;
  if (d.Width < 1 || d.Height < 1 || d.Width > kVicMaxSide || d.Height > kVicMaxSide || d.Left < 0 || d.Top < 0)
    return kVicBadRange;
  const ColorMapObject* map = d.ColorMap != nullptr ? d.ColorMap : g->SColorMap;
  const unsigned width = image->endx - image->stx + 1;
  const unsigned height = image->endy - image->sty + 1;
  // The screen's background first, then the image's rows where they fall.
  const BYTE background = static_cast<BYTE>(g->SBackGroundColor);
  for (unsigned y = 0; y < height; ++y) std::memset(vic32::RowOf(*image, y), background, width);
  std::vector<GifPixelType> line(static_cast<size_t>(d.Width));
  static constexpr int kOffsets[] = {0, 4, 2, 1};
  static constexpr int kJumps[] = {8, 8, 4, 2};
  const int passes = d.Interlace ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const int first = d.Interlace ? kOffsets[pass] : 0;
    const int jump = d.Interlace ? kJumps[pass] : 1;
    for (int row = first; row < d.Height; row += jump) {
      if (DGifGetLine(g, line.data(), d.Width) == GIF_ERROR) return kVicBadFile;
      const long y = static_cast<long>(d.Top) + row;
      if (y >= static_cast<long>(height)) continue;
      if (static_cast<unsigned>(d.Left) >= width) continue;
      const size_t n = std::min<size_t>(static_cast<size_t>(d.Width), width - static_cast<unsigned>(d.Left));
      std::memcpy(vic32::RowOf(*image, static_cast<unsigned>(y)) + d.Left, line.data(), n);
    }
  }
  if (image->palette != nullptr && map != nullptr && map->Colors != nullptr) {
    const int colors = std::min(std::min(map->ColorCount, image->colors), 256);
    for (int i = 0; i < colors; ++i)
      image->palette[i] = RGBQUAD{map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red, 0};
  }
  return 0;
}
