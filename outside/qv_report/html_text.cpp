#include "html_text.h"

namespace qvr {
namespace {

// Windows-1252 0x80-0x9F; 0 where the code page has no character.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendCodePoint(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendOne(std::string& out, unsigned char c, bool escape) {
  if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') return;
  if (c == 0x7F) return;
  if (escape) {
    switch (c) {
      case '&': out += "&amp;"; return;
      case '<': out += "&lt;"; return;
      case '>': out += "&gt;"; return;
      case '"': out += "&quot;"; return;
      case '\'': out += "&#39;"; return;
      default: break;
    }
  }
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0xA0) {
    const char16_t mapped = kHighControls[c - 0x80];
    if (mapped != 0) AppendCodePoint(out, mapped);
  } else {
    AppendCodePoint(out, c);
  }
}

}  // namespace

void AppendUtf8(std::string& out, std::string_view ansi) {
  for (char c : ansi) AppendOne(out, static_cast<unsigned char>(c), false);
}

void AppendEscaped(std::string& out, std::string_view ansi) {
  for (char c : ansi) AppendOne(out, static_cast<unsigned char>(c), true);
}

std::string ClassName(std::string_view token) {
  std::string name;
  for (char c : token) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_') name += c;
  }
  if (name.empty() || (name[0] >= '0' && name[0] <= '9') || name[0] == '-') name.insert(0, "v");
  return name;
}

}  // namespace qvr
