// Helpers shared by the GDI tests: a memory DC holding a 32-bit top-down DIB
// section whose pixels the test reads directly.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "qvplatform/gdi.h"

namespace qvp::gdi::test {

inline BITMAPINFO Info32(int w, int h) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

class Canvas {
 public:
  Canvas(int w, int h, COLORREF fill = RGB(255, 255, 255)) : w_(w), h_(h) {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO bi = Info32(w, -h);
    bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bmp_);
    Fill(fill);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bmp_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bmp_; }
  int width() const { return w_; }
  int height() const { return h_; }
  // The pixel as a COLORREF, read from the DIB memory.
  COLORREF At(int x, int y) const {
    uint32_t v = bits_[static_cast<size_t>(y) * static_cast<size_t>(w_) + static_cast<size_t>(x)];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  void Fill(COLORREF c) {
    uint32_t v = (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
    for (int i = 0; i < w_ * h_; ++i) bits_[i] = v;
  }
  // How many pixels in the rectangle have the colour.
  int Count(COLORREF c, RECT r) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == c;
    return n;
  }
  int Count(COLORREF c) const { return Count(c, RECT{0, 0, w_, h_}); }

 private:
  int w_, h_;
  HDC dc_ = nullptr;
  HBITMAP bmp_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

}  // namespace qvp::gdi::test
