// Text output. Every call that draws text (TextOutA, ExtTextOutA,
// TabbedTextOutA, DrawTextA) ends in OutputText, the one place where text
// reaches a surface: it paints the opaque background, hands the glyphs to the
// glyph back-end (DrawGlyphs) and records the run in the paint log.
#pragma once

#include <string>
#include <vector>

#include "gdi/draw.h"

namespace qvp::gdi {

struct TextRun {
  POINT pos{};        // surface coordinates of the top-left corner of the text cell
  std::string text;   // the characters to draw
  int width = 0;      // advance width in device pixels
  std::vector<int> dx;  // the advance of each character when the caller placed them; else empty
  int mnemonic = -1;  // index of a character underlined as a mnemonic, -1 none
  bool clipped = false;
  RECT clip{};        // surface coordinates, when clipped
};

void OutputText(DrawTarget& t, const FontMetrics& m, const TextRun& run);

// Draws the glyphs of a run in the DC's text colour: with raster text on, from
// the real font (gdi/raster_text.h); otherwise nothing, as the fixed metric model
// has no glyphs.
void DrawGlyphs(Surface& s, const ClipList& clip, const LOGFONTA& font, const FontMetrics& m, const TextRun& run,
                COLORREF color);

// Tab handling shared by TabbedTextOutA, GetTabbedTextExtentA and DrawTextA.
// Stops are device offsets from `origin`; an empty list means a stop every
// `interval` pixels. Beyond the last listed stop a tab advances one space.
struct TabStops {
  int origin = 0;
  int interval = 0;
  std::vector<int> stops;
  int Next(int x, const FontMetrics& m) const;
};

struct TextSegment {
  size_t begin = 0;  // in the text
  size_t length = 0;
  int x = 0;  // device x of the segment's left edge
  int width = 0;
};

// Splits text at tabs, laying the pieces out from x. Returns the end x.
int LayoutTabs(const std::string& text, const FontMetrics& m, int x, const TabStops& tabs,
               std::vector<TextSegment>* out);

}  // namespace qvp::gdi
