// The lines of an edit control's text: hard breaks at CR LF, and soft breaks
// where a multi-line control without horizontal scrolling wraps its text at
// the width of its formatting rectangle.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace qvp::ui {

struct EditLine {
  size_t start = 0;   // index of the line's first character
  size_t length = 0;  // characters on the line, the line break not counted
  size_t brk = 0;     // characters of the break after it: 2 for CR LF, 0 for a wrap or the last line
};

// How wide characters are, in pixels.
struct TextMeasure {
  std::function<int(unsigned char)> char_width;
  int tab_width = 0;  // distance between tab stops; 0 treats a tab as a plain character
  std::vector<int> tab_stops;  // explicit stops (pixels, rising); past the last, every tab_width

  // Width of `text` drawn from the start of a line.
  int Width(std::string_view text) const;
  // The x offset (from the line's start) after the first `count` characters of `line`.
  int XOf(std::string_view line, size_t count) const;
  // The index in `line` of the character boundary nearest to x.
  size_t IndexAt(std::string_view line, int x) const;
};

// Splits text into lines. A wrap width of zero or less wraps nothing. A wrapped
// line breaks after the last blank that fits (blanks may hang past the edge),
// or inside a word that is wider than the whole line.
std::vector<EditLine> LayoutLines(std::string_view text, int wrap_width, const TextMeasure& measure);

// The line holding a character index; an index at a soft break belongs to the
// line that starts there.
size_t LineOfChar(const std::vector<EditLine>& lines, size_t pos);

}  // namespace qvp::ui
