// wsprintfA / wvsprintfA: the Windows formatter, capped at 1024 bytes with
// the terminating NUL. LONG is 32 bits wide, so the l size reads an int.
#include <cstring>

#include "kernel/codepage.h"
#include "qvplatform/kernel.h"

namespace {

constexpr int kMaxOutput = 1023;  // characters, the NUL comes on top

class Output {
 public:
  explicit Output(char* buffer) : buffer_(buffer) {}
  void Put(char c) {
    if (length_ < kMaxOutput) buffer_[length_++] = c;
  }
  void Put(const char* s, size_t n) {
    for (size_t i = 0; i < n; ++i) Put(s[i]);
  }
  void Pad(char c, int count) {
    for (int i = 0; i < count; ++i) Put(c);
  }
  int Finish() {
    buffer_[length_] = '\0';
    return length_;
  }

 private:
  char* buffer_;
  int length_ = 0;
};

struct Conversion {
  bool left = false;
  bool alternate = false;
  bool zero = false;
  int width = 0;
  int precision = -1;
  char size = 0;  // 'l', 'h' or 0
};

int ReadNumber(const char*& p) {
  int value = 0;
  while (*p >= '0' && *p <= '9') {
    if (value < 100000) value = value * 10 + (*p - '0');
    ++p;
  }
  return value;
}

// Emits text already in the code page with width and alignment.
void EmitPadded(Output& out, const Conversion& conv, const char* text, size_t length) {
  const int padding = conv.width > static_cast<int>(length) ? conv.width - static_cast<int>(length) : 0;
  if (!conv.left) out.Pad(' ', padding);
  out.Put(text, length);
  if (conv.left) out.Pad(' ', padding);
}

char WideToAnsi(char16_t c) {
  const int byte = qvp::UnicodeToCp1252(c);
  return byte < 0 ? '?' : static_cast<char>(byte);
}

void EmitNarrowString(Output& out, const Conversion& conv, const char* s) {
  if (s == nullptr) s = "(null)";
  size_t length = std::strlen(s);
  if (conv.precision >= 0 && static_cast<size_t>(conv.precision) < length) length = static_cast<size_t>(conv.precision);
  EmitPadded(out, conv, s, length);
}

void EmitWideString(Output& out, const Conversion& conv, const char16_t* s) {
  if (s == nullptr) {
    EmitNarrowString(out, conv, nullptr);
    return;
  }
  size_t length = std::char_traits<char16_t>::length(s);
  if (conv.precision >= 0 && static_cast<size_t>(conv.precision) < length) length = static_cast<size_t>(conv.precision);
  if (length > kMaxOutput) length = kMaxOutput;
  char converted[kMaxOutput + 1];
  for (size_t i = 0; i < length; ++i) converted[i] = WideToAnsi(s[i]);
  EmitPadded(out, conv, converted, length);
}

void EmitNumber(Output& out, const Conversion& conv, unsigned long long magnitude, bool negative,
                unsigned base, bool upper) {
  char digits[32];
  int count = 0;
  const char* alphabet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  while (magnitude != 0) {
    digits[count++] = alphabet[magnitude % base];
    magnitude /= base;
  }
  // Precision is the least number of digits; 0 with value 0 prints none.
  const int min_digits = conv.precision >= 0 ? conv.precision : 1;
  const int zeros = min_digits > count ? min_digits - count : 0;
  char prefix[3] = {};
  int prefix_length = 0;
  if (negative) {
    prefix[prefix_length++] = '-';
  } else if (conv.alternate && base == 16 && count > 0) {
    prefix[prefix_length++] = '0';
    prefix[prefix_length++] = upper ? 'X' : 'x';
  }
  const int body = prefix_length + zeros + count;
  const int padding = conv.width > body ? conv.width - body : 0;
  const bool zero_pad = conv.zero && !conv.left && conv.precision < 0;
  if (!conv.left && !zero_pad) out.Pad(' ', padding);
  out.Put(prefix, static_cast<size_t>(prefix_length));
  if (zero_pad) out.Pad('0', padding);
  out.Pad('0', zeros);
  for (int i = count - 1; i >= 0; --i) out.Put(digits[i]);
  if (conv.left) out.Pad(' ', padding);
}

}  // namespace

QV_API int wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist) {
  if (lpOut == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Output out(lpOut);
  if (lpFmt == nullptr) return out.Finish();
  va_list args;
  va_copy(args, arglist);
  for (const char* p = lpFmt; *p != '\0'; ++p) {
    if (*p != '%') {
      out.Put(*p);
      continue;
    }
    ++p;
    Conversion conv;
    for (;; ++p) {
      if (*p == '-') conv.left = true;
      else if (*p == '#') conv.alternate = true;
      else if (*p == '0') conv.zero = true;
      else break;
    }
    conv.width = ReadNumber(p);
    if (*p == '.') {
      ++p;
      conv.precision = ReadNumber(p);
    }
    if (*p == 'l' || *p == 'h') conv.size = *p++;
    switch (*p) {
      case '\0':
        --p;  // a lone '%' at the end prints nothing
        break;
      case 'c':
      case 'C': {
        const int value = va_arg(args, int);
        const bool wide = conv.size == 'l' || (*p == 'C' && conv.size != 'h');
        const char c = wide ? WideToAnsi(static_cast<char16_t>(value)) : static_cast<char>(value);
        EmitPadded(out, conv, &c, 1);
        break;
      }
      case 's':
      case 'S': {
        const bool wide = conv.size == 'l' || (*p == 'S' && conv.size != 'h');
        if (wide) {
          EmitWideString(out, conv, va_arg(args, const char16_t*));
        } else {
          EmitNarrowString(out, conv, va_arg(args, const char*));
        }
        break;
      }
      case 'd':
      case 'i': {
        const long long value = va_arg(args, int);
        EmitNumber(out, conv, static_cast<unsigned long long>(value < 0 ? -value : value), value < 0, 10, false);
        break;
      }
      case 'u':
        EmitNumber(out, conv, va_arg(args, unsigned int), false, 10, false);
        break;
      case 'x':
      case 'X':
        EmitNumber(out, conv, va_arg(args, unsigned int), false, 16, *p == 'X');
        break;
      default:
        out.Put(*p);  // "%%" and unknown types print the character itself
        break;
    }
  }
  va_end(args);
  return out.Finish();
}

QV_API int wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) {
  va_list args;
  va_start(args, lpFmt);
  const int written = wvsprintfA(lpOut, lpFmt, args);
  va_end(args);
  return written;
}
