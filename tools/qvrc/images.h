// Bitmap (.bmp) and icon (.ico) files as resources store them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvrc {

// The packed DIB of a bitmap file: the file without its 14-byte file header,
// the pixels following the colour table directly. Throws CompileError (at
// `where`) for a file that is no usable bitmap.
std::vector<uint8_t> PackedDibFromBitmapFile(const std::vector<uint8_t>& file, const std::string& where);

struct IconImage {
  uint8_t width = 0;   // 0 means 256
  uint8_t height = 0;
  uint8_t colour_count = 0;
  uint16_t planes = 0;
  uint16_t bit_count = 0;
  std::vector<uint8_t> data;  // one image: BITMAPINFOHEADER, XOR and AND masks (or a PNG stream)
};

// The images of an icon file. Throws CompileError for a malformed file.
std::vector<IconImage> ImagesFromIconFile(const std::vector<uint8_t>& file, const std::string& where);

// The icon group directory resource for images given resource ids `ids`.
std::vector<uint8_t> IconGroupDirectory(const std::vector<IconImage>& images, const std::vector<uint16_t>& ids);

}  // namespace qvrc
