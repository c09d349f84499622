#include "gdi/text_out.h"

namespace qvp::gdi {

void DrawGlyphs(Surface& /*s*/, const ClipList& /*clip*/, const LOGFONTA& /*font*/, const FontMetrics& /*m*/,
                const TextRun& /*run*/, COLORREF /*color*/) {}

}  // namespace qvp::gdi
