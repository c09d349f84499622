#include "gdi/text_out.h"

#include <algorithm>

namespace qvp::gdi {

void OutputText(DrawTarget& t, const FontMetrics& m, const TextRun& run) {
  DcObj& dc = *t.dc;
  RECT cell{run.pos.x, run.pos.y, run.pos.x + run.width, run.pos.y + m.height};
  ClipList clip = t.clip;
  if (run.clipped) {
    Region r;
    for (const RECT& c : clip) r.Union(Region(RectIntersect(c, run.clip)));
    clip = r.rects();
  }
  if (dc.st.bk_mode == OPAQUE)
    FillRectPattern(*t.surface, clip, cell, Pattern::Solid(dc.Resolve(dc.st.bk_color)), 0xF0);
  LOGFONTA lf = dc.st.font ? dc.st.font->lf : LOGFONTA{};
  COLORREF color = dc.Resolve(dc.st.text_color);
  DrawGlyphs(*t.surface, clip, lf, m, run, color);

  bool visible = false;
  for (const RECT& c : clip) visible = visible || !RectEmpty(RectIntersect(c, cell));
  if (!visible || run.text.empty()) return;
  PaintRecord rec;
  rec.kind = PaintKind::kText;
  rec.rect = cell;
  rec.text = run.text;
  rec.mnemonic = run.mnemonic;
  rec.face = dc.st.font ? dc.st.font->Face() : std::string();
  rec.font_height = lf.lfHeight;
  rec.weight = m.weight;
  rec.italic = lf.lfItalic != 0;
  rec.underline = lf.lfUnderline != 0;
  rec.strikeout = lf.lfStrikeOut != 0;
  rec.color = color;
  rec.fill = dc.Resolve(dc.st.bk_color);
  rec.opaque = dc.st.bk_mode == OPAQUE;
  rec.clipped = run.clipped;
  rec.clip_rect = run.clip;
  Record(dc, std::move(rec));
}

int TabStops::Next(int x, const FontMetrics& m) const {
  if (stops.empty()) {
    int step = interval > 0 ? interval : 8 * m.ave;
    if (step <= 0) return x + m.widths[static_cast<unsigned char>(' ')];
    long long rel = static_cast<long long>(x) - origin;
    long long n = rel < 0 ? 0 : rel / step + 1;
    return static_cast<int>(std::min<long long>(origin + n * step, 0x3FFFFFFF));
  }
  for (int s : stops) {
    long long at = static_cast<long long>(origin) + s;
    if (at > x) return static_cast<int>(std::min<long long>(at, 0x3FFFFFFF));
  }
  return x + m.widths[static_cast<unsigned char>(' ')];
}

int LayoutTabs(const std::string& text, const FontMetrics& m, int x, const TabStops& tabs,
               std::vector<TextSegment>* out) {
  size_t start = 0;
  long long cur = x;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\t') continue;
    TextSegment seg;
    seg.begin = start;
    seg.length = i - start;
    seg.x = static_cast<int>(cur);
    seg.width = RunWidth(m, text.data() + start, seg.length);
    cur = std::min<long long>(cur + seg.width, 0x3FFFFFFF);
    if (seg.length > 0 && out != nullptr) out->push_back(seg);
    if (i < text.size()) cur = tabs.Next(static_cast<int>(cur), m);
    start = i + 1;
  }
  return static_cast<int>(cur);
}

}  // namespace qvp::gdi
