// ANSI string helpers over Windows-1252: copying, comparing in linguistic
// order, case conversion and character classes.
#include <cstdint>
#include <cstring>

#include "qvplatform/kernel.h"

namespace {

unsigned char ToUpper1252(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<unsigned char>(c - 0x20);
  switch (c) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return c;
  }
}

unsigned char ToLower1252(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

bool IsAlpha1252(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  if (c >= 0xC0) return c != 0xD7 && c != 0xF7;
  switch (c) {
    case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA:
      return true;
    default:
      return false;
  }
}

// The plain letter (lower case) an accented lower-case letter sorts with, or 0.
char BaseLetter(unsigned char lower) {
  if (lower >= 'a' && lower <= 'z') return static_cast<char>(lower);
  if (lower >= 0xE0 && lower <= 0xE6) return 'a';
  switch (lower) {
    case 0x83: return 'f';
    case 0x9A: return 's';
    case 0x9C: return 'o';
    case 0x9E: return 'z';
    case 0xFF: case 0xFD: return 'y';
    case 0xDF: return 's';
    case 0xE7: return 'c';
    case 0xE8: case 0xE9: case 0xEA: case 0xEB: return 'e';
    case 0xEC: case 0xED: case 0xEE: case 0xEF: return 'i';
    case 0xF0: return 'd';
    case 0xF1: return 'n';
    case 0xF2: case 0xF3: case 0xF4: case 0xF5: case 0xF6: case 0xF8: return 'o';
    case 0xF9: case 0xFA: case 0xFB: case 0xFC: return 'u';
    case 0xFE: return 't';
    default: return 0;
  }
}

// Sort weights of one character: symbols, then digits, then letters
// (primary); the accent (secondary); lower before upper case (tertiary).
struct Weights {
  unsigned primary;
  unsigned secondary;
  unsigned tertiary;
};

Weights WeightsOf(unsigned char c) {
  const unsigned char lower = ToLower1252(c);
  const char base = BaseLetter(lower);
  const unsigned tertiary = lower != c ? 1 : 0;
  if (base != 0) {
    const unsigned accent = static_cast<unsigned char>(base) == lower ? 0 : lower;
    return {0x400u + static_cast<unsigned>(base - 'a'), accent, tertiary};
  }
  if (c >= '0' && c <= '9') return {0x300u + (c - '0'), 0, 0};
  return {0x100u + c, 0, 0};
}

int Sign(long v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

int Compare(LPCSTR a, LPCSTR b, bool ignore_case) {
  if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  int secondary = 0;
  int tertiary = 0;
  size_t i = 0;
  for (; x[i] != 0 && y[i] != 0; ++i) {
    const Weights wx = WeightsOf(x[i]);
    const Weights wy = WeightsOf(y[i]);
    if (wx.primary != wy.primary) return wx.primary < wy.primary ? -1 : 1;
    if (secondary == 0) secondary = Sign(static_cast<long>(wx.secondary) - static_cast<long>(wy.secondary));
    if (tertiary == 0) tertiary = Sign(static_cast<long>(wx.tertiary) - static_cast<long>(wy.tertiary));
  }
  if (x[i] != 0) return 1;
  if (y[i] != 0) return -1;
  if (secondary != 0) return secondary;
  return ignore_case ? 0 : tertiary;
}

bool IsSingleCharacter(LPCSTR p) { return (reinterpret_cast<uintptr_t>(p) >> 16) == 0; }

template <unsigned char (*Convert)(unsigned char)>
LPSTR ConvertCase(LPSTR lpsz) {
  if (IsSingleCharacter(lpsz)) {
    const auto c = static_cast<unsigned char>(reinterpret_cast<uintptr_t>(lpsz) & 0xFF);
    return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(Convert(c)));
  }
  for (char* p = lpsz; *p != '\0'; ++p) *p = static_cast<char>(Convert(static_cast<unsigned char>(*p)));
  return lpsz;
}

}  // namespace

QV_API int lstrlenA(LPCSTR lpString) {
  return lpString == nullptr ? 0 : static_cast<int>(std::strlen(lpString));
}

QV_API LPSTR lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
  if (lpString1 == nullptr || lpString2 == nullptr) return nullptr;
  return std::strcpy(lpString1, lpString2);
}

QV_API LPSTR lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
  if (lpString1 == nullptr) return nullptr;
  if (iMaxLength <= 0) return lpString1;
  int i = 0;
  if (lpString2 != nullptr) {
    for (; i < iMaxLength - 1 && lpString2[i] != '\0'; ++i) lpString1[i] = lpString2[i];
  }
  lpString1[i] = '\0';
  return lpString1;
}

QV_API LPSTR lstrcatA(LPSTR lpString1, LPCSTR lpString2) {
  if (lpString1 == nullptr || lpString2 == nullptr) return nullptr;
  return std::strcat(lpString1, lpString2);
}

QV_API int lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) { return Compare(lpString1, lpString2, false); }

QV_API int lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) { return Compare(lpString1, lpString2, true); }

QV_API LPSTR CharUpperA(LPSTR lpsz) { return ConvertCase<ToUpper1252>(lpsz); }

QV_API LPSTR CharLowerA(LPSTR lpsz) { return ConvertCase<ToLower1252>(lpsz); }

QV_API LPSTR CharNextA(LPCSTR lpsz) {
  if (lpsz == nullptr) return nullptr;
  return const_cast<LPSTR>(*lpsz != '\0' ? lpsz + 1 : lpsz);
}

QV_API LPSTR CharPrevA(LPCSTR lpszStart, LPCSTR lpszCurrent) {
  if (lpszCurrent == nullptr) return nullptr;
  return const_cast<LPSTR>(lpszStart != nullptr && lpszCurrent > lpszStart ? lpszCurrent - 1 : lpszCurrent);
}

QV_API BOOL IsCharAlphaA(CHAR ch) { return IsAlpha1252(static_cast<unsigned char>(ch)) ? TRUE : FALSE; }

QV_API BOOL IsCharAlphaNumericA(CHAR ch) {
  const auto c = static_cast<unsigned char>(ch);
  return (IsAlpha1252(c) || (c >= '0' && c <= '9')) ? TRUE : FALSE;
}
