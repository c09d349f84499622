#include "gdi/font_metrics.h"

#include "gdi/raster_text.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

namespace qvp::gdi {
namespace {

// Character advance widths in pixels at an em height of 11 pixels, for the
// printable ASCII range ' '..'~'.
constexpr unsigned char kWidth11[95] = {
    3, 3, 4, 6, 6, 9, 7, 2, 3, 3, 4, 6, 3, 3, 3, 3,      // space ! " # $ % & ' ( ) * + , - . /
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6,                        // 0-9
    3, 3, 6, 6, 6, 6, 11,                                // : ; < = > ? @
    7, 7, 7, 7, 6, 6, 8, 7, 3, 5, 7, 6, 9,               // A-M
    7, 8, 7, 8, 7, 7, 7, 7, 7, 11, 7, 7, 7,              // N-Z
    3, 3, 3, 5, 6, 3,                                    // [ \ ] ^ _ `
    6, 6, 5, 6, 6, 3, 6, 6, 2, 2, 5, 2, 8,               // a-m
    6, 6, 6, 6, 3, 5, 3, 6, 5, 8, 5, 5, 5,               // n-z
    3, 3, 3, 6,                                          // { | } ~
};

int Width11(unsigned char c) {
  if (c >= 0x20 && c <= 0x7E) return kWidth11[c - 0x20];
  if (c == 0xA0) return kWidth11[0];             // no-break space
  if (c >= 0xC0 && c <= 0xDF) return 7;          // accented capitals
  if (c >= 0xE0) return 6;                       // accented small letters
  return 6;                                      // control and other characters: a box
}

bool IsFixedFace(std::string_view face) {
  static const char* const kFixed[] = {"Courier", "Courier New", "Fixedsys", "Terminal", "Lucida Console"};
  for (const char* f : kFixed) {
    std::string_view fv(f);
    if (fv.size() == face.size() &&
        std::equal(fv.begin(), fv.end(), face.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        }))
      return true;
  }
  return false;
}

int RoundDiv(long long num, long long den) { return static_cast<int>((2 * num + den) / (2 * den)); }

}  // namespace

FontMetrics ComputeFontMetrics(const LOGFONTA& lf, LONG device_height) {
  FontMetrics m;
  if (RasterTextOn() && RasterFontMetrics(lf, device_height, &m)) return m;
  m.device_height = static_cast<int>(std::clamp<LONG>(device_height, -4096, 4096));
  m.device_width = static_cast<int>(std::clamp<LONG>(lf.lfWidth, 0, 4096));
  long long h = device_height;
  // Keep sizes sane: a hostile height must not overflow the arithmetic below.
  h = std::clamp<long long>(h, -4096, 4096);
  int em, cell;
  if (h < 0) {
    em = static_cast<int>(-h);
    cell = em + RoundDiv(2LL * em, 11);
  } else {
    cell = h == 0 ? 16 : static_cast<int>(h);
    em = std::max(1, cell - RoundDiv(2LL * cell, 13));
  }
  m.em = em;
  m.height = cell;
  m.internal_leading = cell - em;
  m.descent = RoundDiv(2LL * cell, 13);
  m.ascent = cell - m.descent;
  m.weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp<LONG>(lf.lfWeight, 1, 1000);
  std::string_view face(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
  m.fixed = (lf.lfPitchAndFamily & 3) == FIXED_PITCH || IsFixedFace(face);
  int bold_extra = m.weight >= FW_SEMIBOLD ? std::max(1, (em + 5) / 11) : 0;
  for (int c = 0; c < 256; ++c) {
    int w = m.fixed ? RoundDiv(6LL * em, 10) : RoundDiv(static_cast<long long>(Width11(static_cast<unsigned char>(c))) * em, 11);
    m.widths[c] = std::max(1, w) + bold_extra;
  }
  if (lf.lfWidth > 0) {
    int ave = m.widths[static_cast<unsigned char>('x')];
    long long want = std::min<long long>(lf.lfWidth, 4096);
    for (int& w : m.widths) w = std::max(1, RoundDiv(static_cast<long long>(w) * want, ave));
  }
  m.ave = m.widths[static_cast<unsigned char>('x')];
  m.max_width = *std::max_element(std::begin(m.widths) + 0x20, std::end(m.widths));
  return m;
}

int RunWidth(const FontMetrics& m, const char* text, size_t count) {
  long long w = 0;
  for (size_t i = 0; i < count; ++i) w += m.widths[static_cast<unsigned char>(text[i])];
  return static_cast<int>(std::min<long long>(w, 0x3FFFFFFF));
}

}  // namespace qvp::gdi
