// PNG files through libpng's simplified interface (no setjmp in our code).
#include <png.h>

#include <cstring>

#include "display/image.h"

namespace qvp::display {

bool WritePng(const Image& image, const char* path, std::string* error) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height)) {
    if (error) *error = "empty image";
    return false;
  }
  std::vector<uint8_t> rgb(image.pixels.size() * 3);
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    uint32_t v = image.pixels[i];
    rgb[3 * i] = static_cast<uint8_t>(v >> 16);
    rgb[3 * i + 1] = static_cast<uint8_t>(v >> 8);
    rgb[3 * i + 2] = static_cast<uint8_t>(v);
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&png, path, 0, rgb.data(), image.width * 3, nullptr)) {
    if (error) *error = png.message;
    png_image_free(&png);
    return false;
  }
  return true;
}

bool ReadPng(const char* path, Image* image) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path)) return false;
  png.format = PNG_FORMAT_RGB;
  // A hostile header must not make us allocate without bound.
  if (png.width == 0 || png.height == 0 || png.width > 16384 || png.height > 16384) {
    png_image_free(&png);
    return false;
  }
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
    png_image_free(&png);
    return false;
  }
  image->width = static_cast<int>(png.width);
  image->height = static_cast<int>(png.height);
  image->pixels.resize(static_cast<size_t>(png.width) * png.height);
  for (size_t i = 0; i < image->pixels.size(); ++i)
    image->pixels[i] = (static_cast<uint32_t>(rgb[3 * i]) << 16) | (static_cast<uint32_t>(rgb[3 * i + 1]) << 8) |
                       rgb[3 * i + 2];
  return true;
}

}  // namespace qvp::display
