// Fonts for raster text: which font file a LOGFONT names, and that file opened
// at a pixel size with its metrics and rendered glyphs.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "gdi/objects.h"

namespace qvp::gdi::raster {

// A glyph's coverage bitmap, placed relative to the pen on the baseline.
struct Glyph {
  int left = 0;  // pen x to the first column
  int top = 0;   // baseline up to the first row
  int width = 0;
  int rows = 0;
  std::vector<uint8_t> alpha;  // width * rows, 0 transparent .. 255 solid
};

// Lines a font draws besides its glyphs, in pixels from the baseline.
struct Decorations {
  int underline_below = 1;  // top of the underline, below the baseline
  int underline_size = 1;
  int strike_above = 3;     // top of the strikeout line, above the baseline
  int strike_size = 1;
};

struct FontInstance;

// Every call below wants this lock held; it guards the font library and caches.
std::mutex& FontLock();

// The font for a LOGFONT whose height and width are in device pixels; null when
// no font file can be loaded. Valid until the next FindInstance.
FontInstance* FindInstance(const LOGFONTA& lf, LONG device_height);
const FontMetrics& MetricsOf(const FontInstance& f);
const Decorations& DecorationsOf(const FontInstance& f);
// The glyph of a character of the Windows ANSI code page (1252); valid until
// the next GlyphOf or FindInstance.
const Glyph& GlyphOf(FontInstance& f, unsigned char c);

// The Unicode character of a Windows ANSI (code page 1252) byte; 0 where it has none.
char16_t UnicodeOfAnsi(unsigned char c);

// The family installed fonts give for a face name (for tests and diagnostics);
// empty when no font is found.
std::string ResolvedFamily(const LOGFONTA& lf);

}  // namespace qvp::gdi::raster
