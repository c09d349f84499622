// Text tests the report parts share: comparisons without regard to case
// (ASCII letters) and bounded formatting into std::string.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool EqualsNoCase(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b;
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (LowerAscii(*a) != LowerAscii(*b)) return false;
  }
  return *a == *b;
}

inline bool StartsWithNoCase(const char* text, const char* prefix) {
  if (text == nullptr || prefix == nullptr) return false;
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (*text == '\0' || LowerAscii(*text) != LowerAscii(*prefix)) return false;
  }
  return true;
}

inline bool StartsWith(const char* text, const char* prefix) {
  return text != nullptr && prefix != nullptr && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}
