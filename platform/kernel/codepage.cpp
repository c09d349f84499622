// Windows-1252 against UTF-16 and UTF-8, and the two Win32 conversion calls.
#include "kernel/codepage.h"

#include <string>

#include "qvplatform/kernel.h"

namespace qvp {
namespace {

// 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Decodes one UTF-8 sequence at s[i..n); advances i. Returns false for an
// ill-formed sequence (then i has skipped its maximal valid prefix, at least 1).
bool DecodeUtf8(const unsigned char* s, size_t n, size_t& i, char32_t* out) {
  const unsigned char lead = s[i];
  if (lead < 0x80) {
    *out = lead;
    ++i;
    return true;
  }
  size_t extra = 0;
  char32_t cp = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0) lo = 0xA0;   // no overlong forms
    if (lead == 0xED) hi = 0x9F;   // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    cp = lead & 0x07;
    if (lead == 0xF0) lo = 0x90;
    if (lead == 0xF4) hi = 0x8F;   // nothing above U+10FFFF
  } else {
    ++i;
    return false;
  }
  ++i;
  for (size_t k = 0; k < extra; ++k) {
    if (i >= n) return false;
    const unsigned char c = s[i];
    const unsigned char min = k == 0 ? lo : 0x80;
    const unsigned char max = k == 0 ? hi : 0xBF;
    if (c < min || c > max) return false;
    cp = (cp << 6) | (c & 0x3F);
    ++i;
  }
  *out = cp;
  return true;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsAnsiCodePage(UINT code_page) {
  return code_page == CP_ACP || code_page == CP_THREAD_ACP || code_page == 1252;
}

}  // namespace

char16_t Cp1252ToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : static_cast<char16_t>(byte);
}

int UnicodeToCp1252(char32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) {
    return static_cast<int>(code_point);
  }
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == code_point) return 0x80 + i;
  }
  return -1;
}

}  // namespace qvp

namespace {

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// Hands a converted string to the caller: its length when the buffer is 0
// long (a size query), else a copy when it fits.
template <class Char, class String>
int Deliver(const String& converted, Char* buffer, int capacity) {
  const size_t length = converted.size();
  if (length > 0x7FFFFFFF) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  if (capacity == 0) return static_cast<int>(length);
  if (length > static_cast<size_t>(capacity)) {
    for (int i = 0; i < capacity; ++i) buffer[i] = static_cast<Char>(converted[static_cast<size_t>(i)]);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  for (size_t i = 0; i < length; ++i) buffer[i] = static_cast<Char>(converted[i]);
  return static_cast<int>(length);
}

}  // namespace

QV_API int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr,
                               int cbMultiByte, LPWSTR lpWideCharStr, int cchWideChar) {
  if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (cchWideChar > 0 && lpWideCharStr == nullptr) ||
      static_cast<const void*>(lpMultiByteStr) == static_cast<const void*>(lpWideCharStr)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
  // -1: up to and including the terminating NUL.
  const size_t n = cbMultiByte == -1 ? std::char_traits<char>::length(lpMultiByteStr) + 1
                                      : static_cast<size_t>(cbMultiByte);
  try {
    std::u16string converted;
    converted.reserve(n);
    if (CodePage == CP_UTF8) {
      if ((dwFlags & ~MB_ERR_INVALID_CHARS) != 0) return Fail(ERROR_INVALID_FLAGS);
      for (size_t i = 0; i < n;) {
        char32_t cp = 0;
        if (!qvp::DecodeUtf8(bytes, n, i, &cp)) {
          if ((dwFlags & MB_ERR_INVALID_CHARS) != 0) return Fail(ERROR_NO_UNICODE_TRANSLATION);
          cp = qvp::kReplacement;
        }
        qvp::AppendUtf16(converted, cp);
      }
    } else if (qvp::IsAnsiCodePage(CodePage)) {
      if ((dwFlags & ~(MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS)) != 0) {
        return Fail(ERROR_INVALID_FLAGS);
      }
      for (size_t i = 0; i < n; ++i) converted.push_back(qvp::Cp1252ToUnicode(bytes[i]));
    } else {
      return Fail(ERROR_INVALID_PARAMETER);
    }
    return Deliver(converted, lpWideCharStr, cchWideChar);
  } catch (const std::bad_alloc&) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

QV_API int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr,
                               int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte,
                               LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar) {
  if (lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && lpMultiByteStr == nullptr) ||
      static_cast<const void*>(lpMultiByteStr) == static_cast<const void*>(lpWideCharStr)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const size_t n = cchWideChar == -1 ? std::char_traits<char16_t>::length(lpWideCharStr) + 1
                                      : static_cast<size_t>(cchWideChar);
  try {
    std::string converted;
    converted.reserve(n);
    if (CodePage == CP_UTF8) {
      if ((dwFlags & ~WC_ERR_INVALID_CHARS) != 0) return Fail(ERROR_INVALID_FLAGS);
      if (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
      }
      for (size_t i = 0; i < n; ++i) {
        char32_t u = lpWideCharStr[i];
        if (qvp::IsHighSurrogate(u) && i + 1 < n && qvp::IsLowSurrogate(lpWideCharStr[i + 1])) {
          u = 0x10000 + ((u - 0xD800) << 10) + (lpWideCharStr[i + 1] - 0xDC00);
          ++i;
        } else if (qvp::IsHighSurrogate(u) || qvp::IsLowSurrogate(u)) {
          if ((dwFlags & WC_ERR_INVALID_CHARS) != 0) return Fail(ERROR_NO_UNICODE_TRANSLATION);
          u = qvp::kReplacement;
        }
        qvp::AppendUtf8(converted, u);
      }
    } else if (qvp::IsAnsiCodePage(CodePage)) {
      if ((dwFlags & ~(WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_COMPOSITECHECK |
                       WC_NO_BEST_FIT_CHARS)) != 0) {
        return Fail(ERROR_INVALID_FLAGS);
      }
      const char fallback = lpDefaultChar != nullptr ? *lpDefaultChar : '?';
      bool used_default = false;
      for (size_t i = 0; i < n; ++i) {
        char32_t u = lpWideCharStr[i];
        // A surrogate pair is one character, never in the code page.
        if (qvp::IsHighSurrogate(u) && i + 1 < n && qvp::IsLowSurrogate(lpWideCharStr[i + 1])) ++i;
        const int byte = qvp::UnicodeToCp1252(u);
        if (byte < 0) {
          converted.push_back(fallback);
          used_default = true;
        } else {
          converted.push_back(static_cast<char>(byte));
        }
      }
      if (lpUsedDefaultChar != nullptr) *lpUsedDefaultChar = used_default ? TRUE : FALSE;
    } else {
      return Fail(ERROR_INVALID_PARAMETER);
    }
    return Deliver(converted, lpMultiByteStr, cbMultiByte);
  } catch (const std::bad_alloc&) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}
