// Comparing names without regard to case, as Windows compares file, section and
// key names. Only ASCII letters fold; other bytes compare as they are.
#pragma once

#include <string_view>

namespace qvp {

inline char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// Orders names without regard to case; names equal that way fall back to byte order,
// so the order is total and the same on every run.
inline bool LessNoCase(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(FoldCase(a[i]));
    unsigned char y = static_cast<unsigned char>(FoldCase(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace qvp
