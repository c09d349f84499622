// Text metrics of a control's font, for layouts that depend on them: edit
// lines and scrolling, list item heights, the height of a combo box.
#pragma once

#include <array>

#include "qvplatform/types.h"
#include "ui/controls/edit_lines.h"

namespace qvp::ui {

struct FontMetrics {
  int height = 0;     // cell height (tmHeight)
  int ave_width = 0;  // tmAveCharWidth
  std::array<int, 256> widths{};

  // Measures text with tab stops every `tab_width` pixels (0: eight average characters).
  TextMeasure Measure(int tab_width = 0) const;
};

// The metrics of a font; null names the system font, which controls use until
// they are given one with WM_SETFONT.
FontMetrics MetricsOfFont(HFONT font);

// Horizontal dialog units of a font (tab stops are given in them) in pixels.
int DialogUnitsToPixels(HFONT font, int units);

}  // namespace qvp::ui
