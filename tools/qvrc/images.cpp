#include "images.h"

#include <cstring>

#include "lexer.h"

namespace qvrc {
namespace {

template <class T>
T Read(const std::vector<uint8_t>& bytes, size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

template <class T>
void Append(std::vector<uint8_t>* out, T value) {
  for (size_t i = 0; i < sizeof(T); ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> PackedDibFromBitmapFile(const std::vector<uint8_t>& file, const std::string& where) {
  auto fail = [&](const std::string& why) { return CompileError(where, "bitmap file: " + why); };
  constexpr size_t kFileHeader = 14;
  if (file.size() < kFileHeader + 12 || file[0] != 'B' || file[1] != 'M') throw fail("not a BMP file");
  const uint32_t bits_offset = Read<uint32_t>(file, 10);
  const uint32_t header_size = Read<uint32_t>(file, kFileHeader);
  if (header_size != 12 && header_size != 40 && header_size != 52 && header_size != 56 && header_size != 108 &&
      header_size != 124) {
    throw fail("unknown bitmap header");
  }
  if (file.size() - kFileHeader < header_size) throw fail("truncated header");

  int64_t width = 0, height = 0;
  uint32_t planes = 0, bit_count = 0, compression = 0, colours_used = 0;
  size_t palette_entry = 4;
  if (header_size == 12) {
    width = Read<uint16_t>(file, kFileHeader + 4);
    height = Read<uint16_t>(file, kFileHeader + 6);
    planes = Read<uint16_t>(file, kFileHeader + 8);
    bit_count = Read<uint16_t>(file, kFileHeader + 10);
    palette_entry = 3;
  } else {
    width = Read<int32_t>(file, kFileHeader + 4);
    height = Read<int32_t>(file, kFileHeader + 8);
    planes = Read<uint16_t>(file, kFileHeader + 12);
    bit_count = Read<uint16_t>(file, kFileHeader + 14);
    compression = Read<uint32_t>(file, kFileHeader + 16);
    colours_used = Read<uint32_t>(file, kFileHeader + 32);
  }
  if (width <= 0 || height == 0 || width > 0x7FFF || height > 0x7FFF || height < -0x7FFF) throw fail("bad size");
  if (planes != 1) throw fail("bad plane count");
  if (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 16 && bit_count != 24 && bit_count != 32) {
    throw fail("bad bit count");
  }
  if (compression > 3) throw fail("unsupported compression");  // BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS
  if (colours_used > 256) throw fail("bad colour count");

  size_t palette = 0;
  if (bit_count <= 8) palette = (colours_used != 0 ? colours_used : (1u << bit_count)) * palette_entry;
  else palette = colours_used * palette_entry;
  if (compression == 3 && header_size == 40) palette += 12;  // the three colour masks
  const size_t head = kFileHeader + header_size + palette;
  if (head > file.size()) throw fail("truncated colour table");
  if (bits_offset < head || bits_offset > file.size()) throw fail("bad pixel offset");
  if (compression == 0 || compression == 3) {
    const uint64_t stride = ((static_cast<uint64_t>(width) * bit_count + 31) / 32) * 4;
    const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
    if (file.size() - bits_offset < stride * rows) throw fail("truncated pixels");
  }
  // Windows keeps the file minus its file header; a gap some writers leave
  // before the pixels is dropped so that the pixels follow the colour table.
  std::vector<uint8_t> dib(file.begin() + kFileHeader, file.begin() + static_cast<std::ptrdiff_t>(head));
  dib.insert(dib.end(), file.begin() + bits_offset, file.end());
  return dib;
}

std::vector<IconImage> ImagesFromIconFile(const std::vector<uint8_t>& file, const std::string& where) {
  auto fail = [&](const std::string& why) { return CompileError(where, "icon file: " + why); };
  if (file.size() < 6 || Read<uint16_t>(file, 0) != 0 || Read<uint16_t>(file, 2) != 1) throw fail("not an ICO file");
  const size_t count = Read<uint16_t>(file, 4);
  if (count == 0) throw fail("no images");
  if ((file.size() - 6) / 16 < count) throw fail("truncated directory");
  std::vector<IconImage> images;
  size_t total = 0;  // the images' bytes: no more than the file holds, so copies stay bounded
  for (size_t i = 0; i < count; ++i) {
    const size_t e = 6 + i * 16;
    IconImage image;
    image.width = file[e];
    image.height = file[e + 1];
    image.colour_count = file[e + 2];
    image.planes = Read<uint16_t>(file, e + 4);
    image.bit_count = Read<uint16_t>(file, e + 6);
    const uint32_t size = Read<uint32_t>(file, e + 8);
    const uint32_t offset = Read<uint32_t>(file, e + 12);
    if (size == 0 || offset > file.size() || file.size() - offset < size) throw fail("image outside the file");
    total += size;
    if (total > file.size()) throw fail("images overlap");
    image.data.assign(file.begin() + offset, file.begin() + offset + size);
    // Some writers leave planes and bit count to the image's own header.
    if (image.data.size() >= 40 && Read<uint32_t>(image.data, 0) == 40) {
      if (image.planes == 0) image.planes = Read<uint16_t>(image.data, 12);
      if (image.bit_count == 0) image.bit_count = Read<uint16_t>(image.data, 14);
    }
    images.push_back(std::move(image));
  }
  return images;
}

std::vector<uint8_t> IconGroupDirectory(const std::vector<IconImage>& images, const std::vector<uint16_t>& ids) {
  std::vector<uint8_t> out;
  Append<uint16_t>(&out, 0);  // reserved
  Append<uint16_t>(&out, 1);  // icons
  Append<uint16_t>(&out, static_cast<uint16_t>(images.size()));
  for (size_t i = 0; i < images.size(); ++i) {
    const IconImage& image = images[i];
    out.push_back(image.width);
    out.push_back(image.height);
    out.push_back(image.colour_count);
    out.push_back(0);
    Append<uint16_t>(&out, image.planes);
    Append<uint16_t>(&out, image.bit_count);
    Append<uint32_t>(&out, static_cast<uint32_t>(image.data.size()));
    Append<uint16_t>(&out, ids[i]);
  }
  return out;
}

}  // namespace qvrc
