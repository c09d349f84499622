#include "report_style.h"

#include <cstdio>
#include <cstdlib>

#include "qvplatform.h"
#include "style_keys.h"

namespace qvr {
namespace {

using namespace style_keys;

struct Look {
  unsigned colours[12];
  std::string faces[5];  // title, section, table title, header row, data row
  std::string alignment;
  int border;
  std::string logo;
  std::string background;
};

// The look of a style that is not in the file.
Look BuiltInLook() {
  return Look{{0x80FFFF, 0x000000, 0x000080, 0x00FF40, 0xFFFF80, 0x0000FF, 0x800000, 0xFFFFFF, 0xC0C0C0, 0x000000,
               0xFFFFFF, 0x000000},
              {"Arial", "Times New Roman", "Times New Roman", "Arial", "Arial"},
              "left",
              1,
              "qvlogoss.gif",
              ""};
}

std::string Read(const std::string& file, const std::string& style, int id, const char* fallback) {
  char value[260] = "";
  GetPrivateProfileStringA(style.c_str(), StyleKeyName(id), fallback, value, sizeof value, file.c_str());
  return value;
}

// RRGGBB; anything else is black, as a missing key reads.
unsigned Colour(const std::string& text) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 16);
  return text.empty() || end == nullptr || *end != '\0' || value > 0xFFFFFF ? 0 : static_cast<unsigned>(value);
}

// A face name as a CSS string: only letters, digits, blanks, '-' and '_'.
std::string Face(const std::string& name) {
  std::string clean;
  for (char c : name) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' || c == '-' || c == '_')
      clean += c;
  }
  if (clean.empty()) clean = "Arial";
  return "\"" + clean + "\", sans-serif";
}

// A picture's file name, only when it is a plain name that is safe in a URL.
std::string PictureName(const std::string& name) {
  if (name.empty() || name.size() > 100) return "";
  for (char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                       c == '-' || c == '_';
    if (!plain) return "";
  }
  return name[0] == '.' ? "" : name;
}

std::string Hex(unsigned colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", colour & 0xFFFFFF);
  return text;
}

bool StyleExists(const std::string& file, const std::string& style) {
  if (style.empty()) return false;
  char keys[64] = "";
  return GetPrivateProfileSectionA(style.c_str(), keys, sizeof keys, file.c_str()) > 0;
}

}  // namespace

ReportLook ReadReportLook(const std::string& styleFile, const std::string& style) {
  Look look = BuiltInLook();
  if (StyleExists(styleFile, style)) {
    for (int slot = 0; slot < 12; ++slot) look.colours[slot] = Colour(Read(styleFile, style, kPageBackground + slot, "0"));
    const int faceKeys[5] = {kTitleFace, kSectionFace, kTableTitleFace, kHeaderRowFace, kDataRowFace};
    for (int face = 0; face < 5; ++face) look.faces[face] = Read(styleFile, style, faceKeys[face], "Arial");
    const std::string alignment = Read(styleFile, style, kAlignment, "CENTER");
    look.alignment = alignment == "LEFT" ? "left" : alignment == "RIGHT" ? "right" : "center";
    const int border = static_cast<int>(GetPrivateProfileIntA(style.c_str(), StyleKeyName(kBorderWidth), 1, styleFile.c_str()));
    look.border = border < 0 ? 0 : border > 5 ? 5 : border;
    look.logo = Read(styleFile, style, kLogo, "qvlogoss.gif");
    if (look.logo.empty()) look.logo = "qvlogoss.gif";
    look.background = Read(styleFile, style, kBackgroundImage, "");
  }
  ReportLook out;
  out.logo = PictureName(look.logo);
  out.background = PictureName(look.background);
  const auto& c = look.colours;
  const std::string border = std::to_string(look.border) + "px solid #000000";
  std::string& css = out.css;
  css += "body { background-color: " + Hex(c[0]) + "; color: " + Hex(c[1]) + "; font-family: " + Face(look.faces[0]);
  if (!out.background.empty()) css += "; background-image: url(\"" + out.background + "\")";
  css += "; }\n";
  css += "h1, .description { color: " + Hex(c[1]) + "; font-family: " + Face(look.faces[0]) + "; }\n";
  css += "h2.chapter { background-color: " + Hex(c[2]) + "; color: " + Hex(c[3]) + "; font-family: " +
         Face(look.faces[1]) + "; padding: 2px 6px; }\n";
  css += "caption, .table-title { background-color: " + Hex(c[4]) + "; color: " + Hex(c[5]) + "; font-family: " +
         Face(look.faces[2]) + "; padding: 2px 6px; }\n";
  css += "table { border-collapse: collapse; border: " + border + "; }\n";
  css += "th, td { border: " + border + "; text-align: " + look.alignment + "; padding: 2px 6px; }\n";
  css += "th { background-color: " + Hex(c[6]) + "; color: " + Hex(c[7]) + "; font-family: " + Face(look.faces[3]) +
         "; }\n";
  css += "tbody tr:nth-child(odd) td { background-color: " + Hex(c[8]) + "; color: " + Hex(c[9]) +
         "; font-family: " + Face(look.faces[4]) + "; }\n";
  css += "tbody tr:nth-child(even) td { background-color: " + Hex(c[10]) + "; color: " + Hex(c[11]) +
         "; font-family: " + Face(look.faces[4]) + "; }\n";
  return out;
}

}  // namespace qvr
