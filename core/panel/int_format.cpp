#include "int_format.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "text_copy.h"

namespace {

// Reads one conversion at format[i] (just after its '%'); on success leaves i
// after it and stores the conversion without its length modifier in `conversion`.
bool ReadConversion(const char* format, size_t& i, std::string& conversion) {
  conversion = "%";
  while (format[i] && std::strchr("-+ 0#", format[i])) conversion += format[i++];
  int digits = 0;
  while (std::isdigit(static_cast<unsigned char>(format[i]))) {
    if (++digits > 3) return false;
    conversion += format[i++];
  }
  if (format[i] == '.') {
    conversion += format[i++];
    digits = 0;
    while (std::isdigit(static_cast<unsigned char>(format[i]))) {
      if (++digits > 3) return false;
      conversion += format[i++];
    }
  }
  if (format[i] == 'h' || format[i] == 'l') ++i;
  const char kind = format[i];
  if (kind != 'd' && kind != 'i' && kind != 'u' && kind != 'x' && kind != 'X') return false;
  conversion += 'l';
  conversion += kind;
  ++i;
  return true;
}

}  // namespace

bool FormatOneInteger(const char* format, long value, char* out, size_t outSize) {
  if (!format) format = "";
  std::string result;
  int conversions = 0;
  for (size_t i = 0; format[i];) {
    if (format[i] != '%') {
      result += format[i++];
      continue;
    }
    ++i;
    if (format[i] == '%') {
      result += '%';
      ++i;
      continue;
    }
    std::string conversion;
    if (++conversions > 1 || !ReadConversion(format, i, conversion)) {
      CopyText(out, outSize, format);
      return false;
    }
    char number[1100];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const char kind = conversion.back();
    if (kind == 'u' || kind == 'x' || kind == 'X') {
      std::snprintf(number, sizeof number, conversion.c_str(), static_cast<unsigned long>(static_cast<uint32_t>(value)));
    } else {
      std::snprintf(number, sizeof number, conversion.c_str(), value);
    }
#pragma GCC diagnostic pop
    result += number;
  }
  if (conversions != 1) {
    CopyText(out, outSize, format);
    return false;
  }
  CopyText(out, outSize, result.c_str());
  return true;
}
