// What the drawing calls share: opening a DC for drawing, recording to its
// paint log, and the raster blit used by the blit, DIB and icon calls.
#pragma once

#include "gdi/dc.h"
#include "gdi/raster.h"

namespace qvp::gdi {

struct DrawTarget {
  std::shared_ptr<DcObj> dc;
  Surface* surface = nullptr;
  ClipList clip;
};

// Looks up a DC that can draw (not an information context). Call with Lock() held.
bool OpenDraw(HDC hdc, DrawTarget* out);
// Adds a record to the DC's paint log.
void Record(DcObj& dc, PaintRecord rec);
// True when any part of `r` (surface coordinates) can be drawn.
bool Visible(const DrawTarget& t, const RECT& r);

// The source of a blit: pixels of a surface in `rect` (surface coordinates,
// normalised; parts outside the surface leave the destination alone).
struct BlitSource {
  const Surface* surface = nullptr;
  RECT rect{};
  bool flip_x = false;
  bool flip_y = false;
  enum class Convert { kNone, kMonoToColor, kColorToMono } convert = Convert::kNone;
  COLORREF mono_zero = 0;     // kMonoToColor: colour of 0 (black) bits: the destination's text colour
  COLORREF mono_one = 0;      // kMonoToColor: colour of 1 (white) bits: the destination's background colour
  COLORREF background = 0;    // kColorToMono: the source colour that becomes white
};

// Applies raster operation `code` over `dest` (surface coordinates, normalised),
// stretching the source to it. `src` may be null when the code does not use it.
void RasterBlit(DrawTarget& t, const RECT& dest, const BlitSource* src, uint8_t code);

// Copies the text records of `src` that fall in `src_rect` into `dst`, moved
// and scaled onto `dst_rect`.
void CarryText(const PaintLog& src, const RECT& src_rect, PaintLog& dst, const RECT& dst_rect);

}  // namespace qvp::gdi
