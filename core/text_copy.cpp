#include "text_copy.h"

#include <cstring>

size_t CopyText(char* out, size_t outSize, const char* text) {
  if (out == nullptr || outSize == 0) return 0;
  size_t length = 0;
  if (text != nullptr) {
    while (length + 1 < outSize && text[length] != '\0') {
      out[length] = text[length];
      ++length;
    }
  }
  out[length] = '\0';
  return length;
}

size_t AppendText(char* out, size_t outSize, const char* text) {
  if (out == nullptr || outSize == 0) return 0;
  const void* end = std::memchr(out, '\0', outSize);
  if (end == nullptr) {  // not terminated: terminate at the last character
    out[outSize - 1] = '\0';
    return outSize - 1;
  }
  const size_t used = static_cast<size_t>(static_cast<const char*>(end) - out);
  return used + CopyText(out + used, outSize - used, text);
}

size_t FormatWithText(char* out, size_t outSize, const char* pattern, const char* text) {
  if (out == nullptr || outSize == 0) return 0;
  out[0] = '\0';
  if (pattern == nullptr) return 0;
  size_t length = 0;
  bool substituted = false;
  auto put = [&](char c) {
    if (length + 1 < outSize) out[length++] = c;
  };
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == '%') {
      put('%');
      ++p;
    } else if (p[0] == '%' && p[1] == 's' && !substituted) {
      for (const char* t = text != nullptr ? text : ""; *t != '\0'; ++t) put(*t);
      substituted = true;
      ++p;
    } else {
      put(*p);
    }
  }
  out[length] = '\0';
  return length;
}
