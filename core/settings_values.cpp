#include "settings_values.h"

#include <cstdio>

const char* BoolWord(bool on) {
  return on ? "TRUE" : "FALSE";
}

bool IsProxyEnabledValue(const char* text) {
  return text != nullptr && (text[0] == 't' || text[0] == 'T' || text[0] == '1');
}

bool IsWebEnabledValue(const char* text) {
  return text != nullptr && (text[0] == 't' || text[0] == 'T');
}

namespace {

// Leading decimal number of a field, with an optional sign; 0 when none.
// Saturates instead of overflowing.
long long LeadingNumber(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (value < 1000000000LL) value = value * 10 + (*p - '0');
  }
  return negative ? -value : value;
}

}  // namespace

int ParseColumnWidths(const char* text, int* widths, int maxCount) {
  if (text == nullptr || text[0] == '\0' || widths == nullptr) return 0;
  int count = 0;
  const char* field = text;
  while (count < maxCount) {
    const long long value = LeadingNumber(field);
    widths[count++] = value < kMinColumnWidth ? kMinColumnWidth
                      : value > 0x7fffffff    ? 0x7fffffff
                                              : static_cast<int>(value);
    while (*field != '\0' && *field != ',') ++field;
    if (*field == '\0') break;
    ++field;  // past the comma: one more field follows, possibly empty
  }
  return count;
}

void FormatColumnPosKey(int kind, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return;
  std::snprintf(out, outSize, "ColumnPos_%04x", static_cast<unsigned int>(kind));
}
