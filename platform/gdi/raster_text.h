// Raster text: metrics and glyphs from real font files, used in place of the
// fixed metric model when raster text is on (qvplatform/display.h).
#pragma once

#include "gdi/raster.h"
#include "gdi/text_out.h"

namespace qvp::gdi {

bool RasterTextOn();

// Metrics of the real font for a LOGFONT whose height (and width) are already in
// device pixels. False when no font file could be loaded; `out` is then untouched.
bool RasterFontMetrics(const LOGFONTA& lf, LONG device_height, FontMetrics* out);

// Draws a run's glyphs in `color` with their left edges at the advances of `m`,
// the baseline `m.ascent` below the run's top, inside `clip`; also the run's
// underline and strikeout and the mnemonic underline.
void RasterDrawRun(Surface& s, const ClipList& clip, const LOGFONTA& lf, const FontMetrics& m, const TextRun& run,
                   COLORREF color);

}  // namespace qvp::gdi
