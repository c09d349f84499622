// Text tests the report parts share: comparisons without regard to case
// (ASCII letters) and bounded formatting into std::string.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

#include "qvplatform/nocase.h"

inline bool EqualsNoCase(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return qvp::EqualNoCase(a, b);
}

inline bool StartsWithNoCase(const char* text, const char* prefix) {
  if (text == nullptr || prefix == nullptr) return false;
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (*text == '\0' || qvp::FoldCase(*text) != qvp::FoldCase(*prefix)) return false;
  }
  return true;
}

inline bool StartsWith(const char* text, const char* prefix) {
  return text != nullptr && prefix != nullptr && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}
