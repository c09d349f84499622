#include "ui/controls/control_font.h"

#include "qvplatform/gdi.h"
#include "qvplatform/gdi_text.h"

namespace qvp::ui {

TextMeasure FontMetrics::Measure(int tab_width) const {
  TextMeasure m;
  auto w = widths;
  m.char_width = [w](unsigned char c) { return w[c]; };
  m.tab_width = tab_width > 0 ? tab_width : 8 * ave_width;
  return m;
}

FontMetrics MetricsOfFont(HFONT font) {
  FontMetrics m;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return m;
  HGDIOBJ chosen = font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT);
  HGDIOBJ old = SelectObject(dc, chosen);
  if (!old) old = SelectObject(dc, GetStockObject(SYSTEM_FONT));  // not a font: the system font
  TEXTMETRICA tm{};
  if (GetTextMetricsA(dc, &tm)) {
    m.height = tm.tmHeight;
    m.ave_width = tm.tmAveCharWidth;
  }
  GetCharWidth32A(dc, 0, 255, m.widths.data());
  SelectObject(dc, old);
  DeleteDC(dc);
  return m;
}

int DialogUnitsToPixels(HFONT font, int units) {
  SIZE base = FontDialogBaseUnits(font);
  if (base.cx <= 0) base = FontDialogBaseUnits(nullptr);
  return units * base.cx / 4;
}

}  // namespace qvp::ui
