// The viewer's [Report] keys in the settings file.
#include <cstdio>
#include <cstring>

#include "mega_view.h"
#include "program_paths.h"

namespace {

constexpr char kSection[] = "Report";
constexpr int kFaceChars = 30;

void WriteLong(const char* key, long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%ld", value);
  WritePrivateProfileStringA(kSection, key, text, GetIniPath());
}

}  // namespace

void ReadViewerFont(char* face, size_t faceSize, int* size) {
  char text[kFaceChars + 1] = {};
  GetPrivateProfileStringA(kSection, "FontFace", "Arial", text, sizeof text, GetIniPath());
  if (face != nullptr && faceSize > 0) {
    std::strncpy(face, text, faceSize - 1);
    face[faceSize - 1] = '\0';
  }
  // A size no font has (0, negative, past a byte) reads as the default.
  const int value = static_cast<int>(GetPrivateProfileIntA(kSection, "FontSize", 8, GetIniPath()));
  if (size != nullptr) *size = value >= 1 && value <= 255 ? value : 8;
}

void WriteViewerFont(const char* face, int size) {
  char text[kFaceChars + 1] = {};
  std::strncpy(text, face != nullptr ? face : "", kFaceChars);
  WritePrivateProfileStringA(kSection, "FontFace", text, GetIniPath());
  char number[16];
  std::snprintf(number, sizeof number, "%d", size);
  WritePrivateProfileStringA(kSection, "FontSize", number, GetIniPath());
}

void ReadViewerWindowRect(long* left, long* top, long* width, long* height) {
  *left = static_cast<long>(static_cast<int>(GetPrivateProfileIntA(kSection, "WindowLeft", 0, GetIniPath())));
  *top = static_cast<long>(static_cast<int>(GetPrivateProfileIntA(kSection, "WindowTop", 0, GetIniPath())));
  *width = static_cast<long>(static_cast<int>(GetPrivateProfileIntA(kSection, "WindowWidth", 0, GetIniPath())));
  *height = static_cast<long>(static_cast<int>(GetPrivateProfileIntA(kSection, "WindowHeight", 0, GetIniPath())));
}

void WriteViewerWindowRect(long left, long top, long width, long height) {
  WriteLong("WindowLeft", left);
  WriteLong("WindowTop", top);
  WriteLong("WindowWidth", width);
  WriteLong("WindowHeight", height);
}
