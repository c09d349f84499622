#include "encoding.h"

#include <cstdint>

namespace qvrc {
namespace {

// Code points of the bytes 0x80-0x9F; 0 where the code page defines none.
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

int ToCp1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] != 0 && kHigh[i] == c) return 0x80 + i;
  }
  return -1;
}

}  // namespace

bool Utf8ToCp1252(std::string_view text, std::string* out, size_t* bad_offset) {
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    char32_t c = 0;
    size_t n = 0;
    if (b < 0x80) {
      c = b;
      n = 1;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F;
      n = 2;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F;
      n = 3;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07;
      n = 4;
    } else {
      *bad_offset = i;
      return false;
    }
    if (i + n > text.size()) {
      *bad_offset = i;
      return false;
    }
    for (size_t k = 1; k < n; ++k) {
      const auto cb = static_cast<unsigned char>(text[i + k]);
      if ((cb & 0xC0) != 0x80) {
        *bad_offset = i;
        return false;
      }
      c = (c << 6) | (cb & 0x3F);
    }
    // Overlong forms and surrogates are not UTF-8.
    static constexpr char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[n] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
      *bad_offset = i;
      return false;
    }
    const int byte = ToCp1252(c);
    if (byte < 0) {
      *bad_offset = i;
      return false;
    }
    out->push_back(static_cast<char>(byte));
    i += n;
  }
  return true;
}

}  // namespace qvrc
