#include "gdi/surface.h"

#include <bit>
#include <cstring>

namespace qvp::gdi {

uint64_t RowBytes(int width, int bpp, int align) {
  if (width < 0 || bpp <= 0 || align <= 0) return 0;
  uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(bpp);
  uint64_t unit = static_cast<uint64_t>(align) * 8;
  return (bits + unit - 1) / unit * static_cast<uint64_t>(align);
}

std::vector<RGBQUAD> MonochromeColors() { return {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}}; }

std::vector<RGBQUAD> DefaultColors(int bpp) {
  std::vector<RGBQUAD> t;
  if (bpp == 1) return MonochromeColors();
  if (bpp == 4) {
    static const COLORREF vga[16] = {
        RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
        RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
        RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
        RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
    for (COLORREF c : vga) t.push_back(ColorToQuad(c));
    return t;
  }
  if (bpp == 8) {
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b)
          t.push_back(RGBQUAD{static_cast<BYTE>(b * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(r * 51), 0});
    for (int i = 0; i < 40; ++i) {
      BYTE v = static_cast<BYTE>((i * 255 + 19) / 39);
      t.push_back(RGBQUAD{v, v, v, 0});
    }
    return t;
  }
  return t;
}

std::shared_ptr<Surface> Surface::Create(SurfaceFormat format) {
  uint64_t row = RowBytes(format.width, format.bpp, format.row_align);
  if (format.width <= 0 || format.height <= 0 || row == 0) return nullptr;
  uint64_t total = row * static_cast<uint64_t>(format.height);
  if (total > kMaxSurfaceBytes) return nullptr;
  std::shared_ptr<Surface> s(new Surface);
  try {
    s->storage_.assign(static_cast<size_t>(total), 0);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  s->bits_ = s->storage_.data();
  s->Init(std::move(format));
  return s;
}

std::shared_ptr<Surface> Surface::View(SurfaceFormat format, void* bits) {
  uint64_t row = RowBytes(format.width, format.bpp, format.row_align);
  if (format.width <= 0 || format.height <= 0 || row == 0 || bits == nullptr) return nullptr;
  if (row * static_cast<uint64_t>(format.height) > kMaxSurfaceBytes) return nullptr;
  std::shared_ptr<Surface> s(new Surface);
  s->bits_ = static_cast<uint8_t*>(bits);
  s->Init(std::move(format));
  return s;
}

void Surface::Init(SurfaceFormat format) {
  fmt_ = std::move(format);
  stride_ = static_cast<int>(RowBytes(fmt_.width, fmt_.bpp, fmt_.row_align));
  if (fmt_.bpp <= 8) {
    size_t n = size_t{1} << fmt_.bpp;
    if (fmt_.colors.empty()) fmt_.colors = DefaultColors(fmt_.bpp);
    if (fmt_.colors.size() > n) fmt_.colors.resize(n);
  } else {
    fmt_.colors.clear();
  }
  if (fmt_.bpp == 16 && (fmt_.masks[0] | fmt_.masks[1] | fmt_.masks[2]) == 0) {
    fmt_.masks[0] = 0x7C00;
    fmt_.masks[1] = 0x03E0;
    fmt_.masks[2] = 0x001F;
  }
  if (fmt_.bpp == 32 && (fmt_.masks[0] | fmt_.masks[1] | fmt_.masks[2]) == 0) {
    fmt_.masks[0] = 0x00FF0000;
    fmt_.masks[1] = 0x0000FF00;
    fmt_.masks[2] = 0x000000FF;
  }
  for (int i = 0; i < 3; ++i) {
    uint32_t m = fmt_.masks[i];
    ch_[i].mask = m;
    ch_[i].shift = m ? std::countr_zero(m) : 0;
    ch_[i].width = std::popcount(m);
  }
  fast32_ = fmt_.bpp == 32 && fmt_.masks[0] == 0x00FF0000 && fmt_.masks[1] == 0x0000FF00 &&
            fmt_.masks[2] == 0x000000FF;
}

void Surface::SetColors(std::vector<RGBQUAD> colors) {
  if (fmt_.bpp > 8) return;
  size_t n = size_t{1} << fmt_.bpp;
  if (colors.size() > n) colors.resize(n);
  fmt_.colors = std::move(colors);
  cache_color_ = 0xFFFFFFFFu;
}

uint32_t Surface::GetRaw(int x, int y) const {
  const uint8_t* row = Row(y);
  switch (fmt_.bpp) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
      return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    case 8:
      return row[x];
    case 16:
      return static_cast<uint32_t>(row[2 * x] | (row[2 * x + 1] << 8));
    case 24: {
      const uint8_t* p = row + 3 * x;
      return static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
    }
    default: {
      uint32_t v;
      std::memcpy(&v, row + 4 * x, 4);
      return v;
    }
  }
}

void Surface::SetRaw(int x, int y, uint32_t value) {
  uint8_t* row = Row(y);
  switch (fmt_.bpp) {
    case 1: {
      uint8_t bit = static_cast<uint8_t>(0x80u >> (x & 7));
      if (value & 1u) {
        row[x >> 3] |= bit;
      } else {
        row[x >> 3] &= static_cast<uint8_t>(~bit);
      }
      break;
    }
    case 4: {
      uint8_t& b = row[x >> 1];
      if (x & 1) {
        b = static_cast<uint8_t>((b & 0xF0) | (value & 0x0F));
      } else {
        b = static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
      }
      break;
    }
    case 8:
      row[x] = static_cast<uint8_t>(value);
      break;
    case 16:
      row[2 * x] = static_cast<uint8_t>(value);
      row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
      break;
    case 24: {
      uint8_t* p = row + 3 * x;
      p[0] = static_cast<uint8_t>(value);
      p[1] = static_cast<uint8_t>(value >> 8);
      p[2] = static_cast<uint8_t>(value >> 16);
      break;
    }
    default:
      std::memcpy(row + 4 * x, &value, 4);
      break;
  }
}

uint32_t Surface::NearestIndex(COLORREF color) const {
  color &= 0x00FFFFFFu;
  if (color == cache_color_) return cache_index_;
  uint32_t best = 0;
  int64_t best_d = INT64_MAX;
  for (size_t i = 0; i < fmt_.colors.size(); ++i) {
    const RGBQUAD& q = fmt_.colors[i];
    int64_t dr = int64_t{q.rgbRed} - GetRValue(color);
    int64_t dg = int64_t{q.rgbGreen} - GetGValue(color);
    int64_t db = int64_t{q.rgbBlue} - GetBValue(color);
    int64_t d = dr * dr + dg * dg + db * db;
    if (d < best_d) {
      best_d = d;
      best = static_cast<uint32_t>(i);
      if (d == 0) break;
    }
  }
  cache_color_ = color;
  cache_index_ = best;
  return best;
}

namespace {

uint32_t ToChannel(uint32_t v8, int width) {
  if (width == 0) return 0;
  return width >= 8 ? v8 << (width - 8) : v8 >> (8 - width);
}

// A narrow channel widens by repeating its bits, so that full stays full
// (5 bits 11111 -> FF) and the steps spread evenly (10000 -> 84).
uint32_t FromChannel(uint32_t v, int width) {
  if (width == 0) return 0;
  if (width >= 8) return (v >> (width - 8)) & 0xFF;
  uint32_t out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << width) | v;
    filled += width;
  }
  return (out >> (filled - 8)) & 0xFF;
}

}  // namespace

COLORREF Surface::Get(int x, int y) const {
  uint32_t raw = GetRaw(x, y);
  switch (fmt_.bpp) {
    case 1:
    case 4:
    case 8:
      return raw < fmt_.colors.size() ? QuadToColor(fmt_.colors[raw]) : 0;
    case 24:
      return RGB((raw >> 16) & 0xFF, (raw >> 8) & 0xFF, raw & 0xFF);
    default:
      if (fast32_) return RGB((raw >> 16) & 0xFF, (raw >> 8) & 0xFF, raw & 0xFF);
      {
        uint32_t c[3];
        for (int i = 0; i < 3; ++i) c[i] = FromChannel((raw & ch_[i].mask) >> ch_[i].shift, ch_[i].width);
        return RGB(c[0], c[1], c[2]);
      }
  }
}

void Surface::Set(int x, int y, COLORREF color) {
  uint32_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  switch (fmt_.bpp) {
    case 1:
    case 4:
    case 8:
      SetRaw(x, y, NearestIndex(color));
      return;
    case 24:
      SetRaw(x, y, (r << 16) | (g << 8) | b);
      return;
    default:
      if (fast32_) {
        SetRaw(x, y, (r << 16) | (g << 8) | b);
        return;
      }
      {
        uint32_t v = 0;
        const uint32_t c[3] = {r, g, b};
        for (int i = 0; i < 3; ++i) v |= (ToChannel(c[i], ch_[i].width) << ch_[i].shift) & ch_[i].mask;
        SetRaw(x, y, v);
      }
  }
}

COLORREF Surface::Quantize(COLORREF color) const {
  color &= 0x00FFFFFFu;
  switch (fmt_.bpp) {
    case 1:
    case 4:
    case 8: {
      uint32_t i = NearestIndex(color);
      return i < fmt_.colors.size() ? QuadToColor(fmt_.colors[i]) : 0;
    }
    case 24:
      return color;
    default: {
      if (fast32_) return color;
      const uint32_t c[3] = {GetRValue(color), GetGValue(color), GetBValue(color)};
      uint32_t q[3];
      for (int i = 0; i < 3; ++i) {
        uint32_t v = (ToChannel(c[i], ch_[i].width) << ch_[i].shift) & ch_[i].mask;
        q[i] = FromChannel(v >> ch_[i].shift, ch_[i].width);
      }
      return RGB(q[0], q[1], q[2]);
    }
  }
}

}  // namespace qvp::gdi
