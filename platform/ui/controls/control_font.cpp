#include "ui/controls/control_font.h"

namespace qvp::ui {

TextMeasure FontMetrics::Measure(int tab_width) const {
  TextMeasure m;
  auto w = widths;
  m.char_width = [w](unsigned char c) { return w[c]; };
  m.tab_width = tab_width > 0 ? tab_width : 8 * ave_width;
  return m;
}

FontMetrics MetricsOfFont(HFONT) {
  // The system font's cell until the GDI measures fonts.
  FontMetrics m;
  m.height = 16;
  m.ave_width = 7;
  m.widths.fill(7);
  return m;
}

}  // namespace qvp::ui
