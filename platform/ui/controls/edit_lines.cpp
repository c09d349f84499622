#include "ui/controls/edit_lines.h"

#include <algorithm>

namespace qvp::ui {
namespace {

int Advance(const TextMeasure& m, int x, unsigned char c) {
  if (c == '\t') {
    for (int stop : m.tab_stops)
      if (stop > x) return stop;
    if (m.tab_width > 0) return (x / m.tab_width + 1) * m.tab_width;
  }
  return x + (m.char_width ? m.char_width(c) : 0);
}

void WrapSegment(std::string_view text, size_t begin, size_t end, int width, const TextMeasure& m,
                 std::vector<EditLine>& out) {
  size_t pos = begin;
  for (;;) {
    int x = 0;
    size_t fit = pos;  // characters [pos, fit) fit on the line
    while (fit < end) {
      int next = Advance(m, x, static_cast<unsigned char>(text[fit]));
      if (next > width && fit > pos) break;
      x = next;
      ++fit;
      if (x > width) break;  // a single character wider than the line stands alone
    }
    if (fit >= end) {
      out.push_back(EditLine{pos, end - pos, 0});
      return;
    }
    size_t cut = fit;
    if (text[fit] == ' ' || text[fit] == '\t') {
      // Blanks after the last fitting character hang past the edge.
      while (cut < end && (text[cut] == ' ' || text[cut] == '\t')) ++cut;
    } else {
      size_t back = fit;
      while (back > pos && text[back - 1] != ' ' && text[back - 1] != '\t') --back;
      if (back > pos) cut = back;  // else the word is wider than the line: break inside it
    }
    if (cut >= end) {
      out.push_back(EditLine{pos, end - pos, 0});
      return;
    }
    out.push_back(EditLine{pos, cut - pos, 0});
    pos = cut;
  }
}

}  // namespace

int TextMeasure::Width(std::string_view text) const { return XOf(text, text.size()); }

int TextMeasure::XOf(std::string_view line, size_t count) const {
  int x = 0;
  count = std::min(count, line.size());
  for (size_t i = 0; i < count; ++i) x = Advance(*this, x, static_cast<unsigned char>(line[i]));
  return x;
}

size_t TextMeasure::IndexAt(std::string_view line, int x) const {
  int left = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    int right = Advance(*this, left, static_cast<unsigned char>(line[i]));
    if (x < (left + right + 1) / 2) return i;
    left = right;
  }
  return line.size();
}

std::vector<EditLine> LayoutLines(std::string_view text, int wrap_width, const TextMeasure& measure) {
  std::vector<EditLine> lines;
  size_t pos = 0;
  for (;;) {
    size_t brk = text.find("\r\n", pos);
    size_t end = brk == std::string_view::npos ? text.size() : brk;
    if (wrap_width > 0 && end > pos)
      WrapSegment(text, pos, end, wrap_width, measure, lines);
    else
      lines.push_back(EditLine{pos, end - pos, 0});
    if (brk == std::string_view::npos) break;
    lines.back().brk = 2;
    pos = brk + 2;
  }
  return lines;
}

size_t LineOfChar(const std::vector<EditLine>& lines, size_t pos) {
  // The last line whose start is at or before pos.
  auto it = std::upper_bound(lines.begin(), lines.end(), pos,
                             [](size_t p, const EditLine& l) { return p < l.start; });
  if (it == lines.begin()) return 0;
  return static_cast<size_t>(it - lines.begin()) - 1;
}

}  // namespace qvp::ui
