// Painting an edit control: the visible lines in the control font, clipped to
// the formatting rectangle, the selection in highlight colours while the
// control has the focus (or always with ES_NOHIDESEL), password characters in
// place of the text, a grey background when read-only or disabled.
#include <algorithm>
#include <string>
#include <vector>

#include "ui/controls/control_common.h"
#include "ui/controls/control_paint.h"
#include "ui/controls/edit.h"

namespace qvp::ui {
namespace {

void Run(HDC hdc, const std::string& text, size_t from, size_t to, int origin, int y, const TextMeasure& m) {
  if (to <= from) return;
  std::vector<INT> stops(m.tab_stops.begin(), m.tab_stops.end());
  if (stops.empty()) stops.push_back(m.tab_width);
  const int x = origin + m.XOf(text, from);
  TabbedTextOutA(hdc, x, y, text.c_str() + from, static_cast<int>(to - from), static_cast<int>(stops.size()),
                 stops.data(), origin);
}

}  // namespace

void PaintEdit(HWND hwnd, const EditState& s, HDC hdc) {
  const DWORD style = StyleOf(hwnd);
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  const RECT client = ClientRectOf(hwnd);
  FontScope font(hdc, s.font);
  HBRUSH back = PrepareColours(hwnd, hdc, (!enabled || (style & ES_READONLY)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
  FillRect(hdc, &client, back);
  if (!enabled) SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
  const COLORREF text_colour = GetTextColor(hdc);
  const COLORREF back_colour = GetBkColor(hdc);

  SaveDC(hdc);
  IntersectClipRect(hdc, s.format.left, s.format.top, s.format.right, s.format.bottom);
  const TextMeasure m = MeasureOf(s);
  const bool show_selection = s.buf.has_selection() && (s.focused || (style & ES_NOHIDESEL));
  const size_t sel_lo = s.buf.sel_min(), sel_hi = s.buf.sel_max();
  const int first = s.buf.multiline() ? s.first_line : 0;
  const int rows = s.buf.multiline() ? VisibleLines(s) + 1 : 1;
  for (int row = 0; row < rows; ++row) {
    const size_t index = static_cast<size_t>(first + row);
    if (index >= s.lines.size()) break;
    const EditLine& line = s.lines[index];
    const std::string shown = Shown(hwnd, s, std::string_view(s.buf.text()).substr(line.start, line.length));
    const POINT at = PosToPoint(hwnd, s, line.start);
    // Up to three runs: before, inside and after the selection.
    size_t a = line.length, b = line.length;
    if (show_selection && sel_lo < line.start + line.length + line.brk && sel_hi > line.start) {
      a = sel_lo > line.start ? sel_lo - line.start : 0;
      b = std::min(sel_hi - line.start, line.length);
    }
    SetBkMode(hdc, TRANSPARENT);
    Run(hdc, shown, 0, a, at.x, at.y, m);
    if (b > a) {
      SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      SetBkColor(hdc, GetSysColor(COLOR_HIGHLIGHT));
      SetBkMode(hdc, OPAQUE);
      Run(hdc, shown, a, b, at.x, at.y, m);
      SetTextColor(hdc, text_colour);
      SetBkColor(hdc, back_colour);
      SetBkMode(hdc, TRANSPARENT);
    }
    Run(hdc, shown, b, line.length, at.x, at.y, m);
  }
  RestoreDC(hdc, -1);
}

}  // namespace qvp::ui
