// libFuzzer target: the viewer control's text model over any bytes, appended
// in pieces, with its lines, plain lines and search checked against each other.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "viewer_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte chooses the piece size and the needle's length.
  const size_t piece = 1 + data[0] % 64;
  const size_t needleLength = 1 + (data[0] >> 6);
  const char* text = reinterpret_cast<const char*>(data + 1);
  const size_t length = size - 1;
  ViewerLines lines;
  for (size_t at = 0; at < length; at += piece) lines.Append(text + at, std::min(piece, length - at));
  ViewerLines whole;
  whole.Append(text, length);
  if (whole.Count() != lines.Count() || whole.LongestLine() != lines.LongestLine()) std::abort();
  size_t bytes = 0;
  for (size_t i = 0; i < lines.Count(); ++i) {
    const std::string_view line = lines.Line(i);
    if (line != whole.Line(i) || line.find('\n') != std::string_view::npos) std::abort();
    if (ViewerLines::Plain(line).size() > line.size()) std::abort();
    bytes += line.size();
  }
  if (bytes > length) std::abort();
  if (length >= needleLength) {
    const std::string needle(text + length - needleLength, needleLength);
    size_t end = 0;
    const int64_t found = lines.Find(needle, 0, &end);
    if (found >= 0 && (static_cast<size_t>(found) >= lines.Count() || end > length)) std::abort();
  }
  return 0;
}
