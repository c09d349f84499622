// A picture of a window: 0x00RRGGBB pixels, rows top-down.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qvplatform/gdi.h"

namespace qvp::display {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
  COLORREF ColorAt(int x, int y) const {
    uint32_t v = At(x, y);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
};

// Writes an image as an 8-bit RGB PNG file. False with `error` set when it cannot.
bool WritePng(const Image& image, const char* path, std::string* error);
// Reads a PNG file of any kind into an image (alpha dropped). False when it cannot.
bool ReadPng(const char* path, Image* image);

}  // namespace qvp::display
