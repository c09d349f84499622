// The resource compiler's readers of bitmap (.bmp) and icon (.ico) files.
//
// Properties: a refused file is refused with a CompileError; a bitmap's packed
// DIB is the file's header and colour table followed by its pixels, all input
// bytes and never more than the file; each icon image is the bytes its
// directory entry points at, and the images together are no larger than the
// file; the group directory has one entry per image.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "images.h"
#include "lexer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 256 * 1024) return 0;
  const std::vector<uint8_t> file(data, data + size);

  try {
    const std::vector<uint8_t> dib = qvrc::PackedDibFromBitmapFile(file, "fuzz.bmp:1");
    FUZZ_CHECK(size >= 14 && dib.size() <= size - 14 && dib.size() >= 12);
    FUZZ_CHECK(std::memcmp(dib.data(), data + 14, 12) == 0);
    // The pixels end the DIB exactly as they end the file.
    uint32_t bits_offset = 0;
    std::memcpy(&bits_offset, data + 10, 4);
    FUZZ_CHECK(bits_offset <= size);
    const size_t tail = std::min<size_t>({dib.size(), size - bits_offset, 16});
    FUZZ_CHECK(std::memcmp(dib.data() + dib.size() - tail, data + size - tail, tail) == 0);
  } catch (const qvrc::CompileError& e) {
    FUZZ_CHECK(std::string(e.what()).starts_with("fuzz.bmp:1: bitmap file: "));
  }

  try {
    const std::vector<qvrc::IconImage> images = qvrc::ImagesFromIconFile(file, "fuzz.ico:1");
    FUZZ_CHECK(!images.empty() && images.size() <= (size - 6) / 16);
    size_t total = 0;
    std::vector<uint16_t> ids;
    for (size_t i = 0; i < images.size(); ++i) {
      uint32_t length = 0;
      uint32_t offset = 0;
      std::memcpy(&length, data + 6 + i * 16 + 8, 4);
      std::memcpy(&offset, data + 6 + i * 16 + 12, 4);
      FUZZ_CHECK(images[i].data.size() == length && offset <= size && length <= size - offset);
      FUZZ_CHECK(std::memcmp(images[i].data.data(), data + offset, length) == 0);
      total += length;
      ids.push_back(static_cast<uint16_t>(i + 1));
    }
    FUZZ_CHECK(total <= size);
    FUZZ_CHECK(qvrc::IconGroupDirectory(images, ids).size() == 6 + 14 * images.size());
  } catch (const qvrc::CompileError& e) {
    FUZZ_CHECK(std::string(e.what()).starts_with("fuzz.ico:1: icon file: "));
  }
  return 0;
}
