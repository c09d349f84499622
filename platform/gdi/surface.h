// A pixel surface: the memory behind a bitmap, a DIB section or a window.
//
// Rows are laid out as Windows lays them out: DIBs bottom-up (unless made
// top-down) with rows padded to 4 bytes, device-dependent bitmaps top-down with
// rows padded to 2 bytes. Formats: 1, 4 and 8 bits with a colour table, 16 and
// 32 bits with channel masks (5-5-5 and 8-8-8 by default), 24 bits B-G-R.
// Colours inside the GDI are COLORREF values (0x00BBGGRR).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "qvplatform/gdi.h"

namespace qvp::gdi {

// The largest pixel buffer the GDI allocates (a hostile size is refused, not tried).
inline constexpr uint64_t kMaxSurfaceBytes = 256ull << 20;

enum class RowOrder { kBottomUp, kTopDown };

struct SurfaceFormat {
  int width = 0;
  int height = 0;  // always positive
  int bpp = 32;
  RowOrder order = RowOrder::kTopDown;
  int row_align = 4;               // 4 for DIBs, 2 for device-dependent bitmaps
  uint32_t masks[3] = {0, 0, 0};   // red, green, blue for 16 and 32 bits; 0 = default
  std::vector<RGBQUAD> colors;     // colour table for 1, 4 and 8 bits
};

// Bytes per row for a width and depth, padded to `align` bytes; 0 on overflow.
uint64_t RowBytes(int width, int bpp, int align);

class Surface {
 public:
  // A surface owning zeroed memory. Null when the size is refused.
  static std::shared_ptr<Surface> Create(SurfaceFormat format);
  // A surface over memory the caller keeps alive (DIB bits passed to a call).
  static std::shared_ptr<Surface> View(SurfaceFormat format, void* bits);

  int width() const { return fmt_.width; }
  int height() const { return fmt_.height; }
  int bpp() const { return fmt_.bpp; }
  int stride() const { return stride_; }
  RowOrder order() const { return fmt_.order; }
  const SurfaceFormat& format() const { return fmt_; }
  const std::vector<RGBQUAD>& colors() const { return fmt_.colors; }
  void SetColors(std::vector<RGBQUAD> colors);
  uint8_t* bits() { return bits_; }
  const uint8_t* bits() const { return bits_; }
  size_t size_bytes() const { return static_cast<size_t>(stride_) * static_cast<size_t>(fmt_.height); }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < fmt_.width && y < fmt_.height; }
  RECT Bounds() const { return RECT{0, 0, fmt_.width, fmt_.height}; }

  uint8_t* Row(int y) {
    int r = fmt_.order == RowOrder::kTopDown ? y : fmt_.height - 1 - y;
    return bits_ + static_cast<size_t>(r) * static_cast<size_t>(stride_);
  }
  const uint8_t* Row(int y) const { return const_cast<Surface*>(this)->Row(y); }

  // Pixel access in COLORREF; the coordinates must be inside the surface.
  COLORREF Get(int x, int y) const;
  void Set(int x, int y, COLORREF color);
  // The colour the surface would actually store for `color`.
  COLORREF Quantize(COLORREF color) const;
  // Raw pixel value (palette index, packed bits) for the few callers that copy raw.
  uint32_t GetRaw(int x, int y) const;
  void SetRaw(int x, int y, uint32_t value);
  // Index of the nearest colour-table entry.
  uint32_t NearestIndex(COLORREF color) const;

 private:
  Surface() = default;
  void Init(SurfaceFormat format);

  SurfaceFormat fmt_;
  int stride_ = 0;
  uint8_t* bits_ = nullptr;
  std::vector<uint8_t> storage_;
  struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int width = 0;
  } ch_[3];
  bool fast32_ = false;  // 32 bits with the default masks
  mutable COLORREF cache_color_ = 0xFFFFFFFFu;
  mutable uint32_t cache_index_ = 0;
};

// The two colours of a monochrome bitmap: black (bit 0) and white (bit 1).
std::vector<RGBQUAD> MonochromeColors();
// The default colour table for a depth: black/white, the 16 VGA colours, or a
// 256-entry table (the 6x6x6 cube followed by a grey ramp).
std::vector<RGBQUAD> DefaultColors(int bpp);
inline COLORREF QuadToColor(RGBQUAD q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }
inline RGBQUAD ColorToQuad(COLORREF c) {
  return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
}

}  // namespace qvp::gdi
