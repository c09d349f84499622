#include "gdi/raster_text.h"
#include "gdi/text_out.h"

namespace qvp::gdi {

void DrawGlyphs(Surface& s, const ClipList& clip, const LOGFONTA& font, const FontMetrics& m, const TextRun& run,
                COLORREF color) {
  if (RasterTextOn()) RasterDrawRun(s, clip, font, m, run, color);
}

}  // namespace qvp::gdi
