// Raster text: the switch, the real font's metrics and drawing a run's glyphs.
#include "gdi/raster_text.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "display/display_env.h"
#include "gdi/raster_text_faces.h"
#include "qvplatform/display.h"

namespace qvp::gdi {
namespace {

// -1 until the environment has been read; then 0 or 1.
std::atomic<int> g_raster{-1};

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' && std::strcmp(v, "0") != 0;
}

// Draws a pixel of `color` with coverage `alpha` over what is there.
void Blend(Surface& s, int x, int y, COLORREF color, int alpha) {
  if (alpha <= 0) return;
  if (alpha >= 255 || s.bpp() <= 8) {
    if (alpha >= 128) s.Set(x, y, color);
    return;
  }
  COLORREF d = s.Get(x, y);
  auto mix = [alpha](int fg, int bg) { return static_cast<BYTE>((fg * alpha + bg * (255 - alpha) + 127) / 255); };
  s.Set(x, y, RGB(mix(GetRValue(color), GetRValue(d)), mix(GetGValue(color), GetGValue(d)),
                  mix(GetBValue(color), GetBValue(d))));
}

void DrawGlyph(Surface& s, const ClipList& clip, const raster::Glyph& g, long long x0, long long y0, COLORREF color) {
  if (g.width <= 0 || g.rows <= 0) return;
  for (const RECT& c : clip) {
    long long left = std::max<long long>(x0, c.left), right = std::min<long long>(x0 + g.width, c.right);
    long long top = std::max<long long>(y0, c.top), bottom = std::min<long long>(y0 + g.rows, c.bottom);
    for (long long y = top; y < bottom; ++y) {
      const uint8_t* row = g.alpha.data() + static_cast<size_t>(y - y0) * static_cast<size_t>(g.width);
      for (long long x = left; x < right; ++x)
        Blend(s, static_cast<int>(x), static_cast<int>(y), color, row[x - x0]);
    }
  }
}

void SolidBar(Surface& s, const ClipList& clip, long long left, long long top, long long right, long long bottom,
              COLORREF color) {
  for (const RECT& c : clip)
    for (long long y = std::max<long long>(top, c.top); y < std::min<long long>(bottom, c.bottom); ++y)
      for (long long x = std::max<long long>(left, c.left); x < std::min<long long>(right, c.right); ++x)
        s.Set(static_cast<int>(x), static_cast<int>(y), color);
}

}  // namespace

bool RasterTextOn() {
  int v = g_raster.load(std::memory_order_acquire);
  if (v < 0) {
    // Asked for, or windows will be shown or pictured: layouts are made with the real fonts from the start.
    int from_env =
        EnvSet("QV_RASTER_TEXT") || EnvSet("QV_SNAPSHOT_DIR") || display::DisplayWantedByEnvironment() ? 1 : 0;
    g_raster.compare_exchange_strong(v, from_env, std::memory_order_acq_rel);
    v = g_raster.load(std::memory_order_acquire);
  }
  return v == 1;
}

bool RasterFontMetrics(const LOGFONTA& lf, LONG device_height, FontMetrics* out) {
  std::lock_guard<std::mutex> g(raster::FontLock());
  raster::FontInstance* f = raster::FindInstance(lf, device_height);
  if (!f) return false;
  *out = raster::MetricsOf(*f);
  out->weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp<LONG>(lf.lfWeight, 1, 1000);
  out->device_height = static_cast<int>(device_height);
  out->device_width = static_cast<int>(std::max<LONG>(lf.lfWidth, 0));
  return true;
}

void RasterDrawRun(Surface& s, const ClipList& clip, const LOGFONTA& font, const FontMetrics& m, const TextRun& run,
                   COLORREF color) {
  ClipList inside;
  for (const RECT& c : clip) {
    RECT r = RectIntersect(c, s.Bounds());
    if (!RectEmpty(r)) inside.push_back(r);
  }
  if (inside.empty()) return;
  LOGFONTA lf = font;
  lf.lfWidth = m.device_width;
  std::lock_guard<std::mutex> g(raster::FontLock());
  raster::FontInstance* f = raster::FindInstance(lf, m.device_height);
  if (!f) return;
  const long long baseline = static_cast<long long>(run.pos.y) + m.ascent;
  long long pen = run.pos.x;
  long long mn_left = 0, mn_right = 0;
  for (size_t i = 0; i < run.text.size(); ++i) {
    auto c = static_cast<unsigned char>(run.text[i]);
    const raster::Glyph& glyph = raster::GlyphOf(*f, c);
    DrawGlyph(s, inside, glyph, pen + glyph.left, baseline - glyph.top, color);
    long long advance = i < run.dx.size() ? run.dx[i] : m.widths[c];
    if (static_cast<int>(i) == run.mnemonic) {
      mn_left = pen;
      mn_right = pen + advance;
    }
    pen += advance;
  }
  const raster::Decorations& d = raster::DecorationsOf(*f);
  const long long under = baseline + d.underline_below;
  if (font.lfUnderline) SolidBar(s, inside, run.pos.x, under, pen, under + d.underline_size, color);
  else if (mn_right > mn_left) SolidBar(s, inside, mn_left, under, mn_right, under + d.underline_size, color);
  if (font.lfStrikeOut) {
    const long long strike = baseline - d.strike_above;
    SolidBar(s, inside, run.pos.x, strike, pen, strike + d.strike_size, color);
  }
}

}  // namespace qvp::gdi

namespace qvp {

void SetRasterText(bool on) {
  gdi::RasterTextOn();  // the environment is read first, so that it cannot undo this later
  gdi::g_raster.store(on ? 1 : 0, std::memory_order_release);
}

bool RasterTextEnabled() { return gdi::RasterTextOn(); }

bool RasterTextAvailable() {
  LOGFONTA lf{};
  std::strncpy(lf.lfFaceName, "MS Sans Serif", LF_FACESIZE - 1);
  std::lock_guard<std::mutex> g(gdi::raster::FontLock());
  return gdi::raster::FindInstance(lf, -11) != nullptr;
}

}  // namespace qvp
