// EnumFontFamiliesA/ExA and EnumFontsA over the installed scalable families.
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "qvplatform.h"

namespace {

struct Family {
  std::string name;
  BYTE pitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  std::vector<std::pair<int, bool>> styles;  // weight, italic
};

// Windows faces the layer maps onto installed fonts; they are listed as
// families of their own when the font they map to is there.
struct MappedFace {
  const char* face;
  const char* needs;  // an installed family the face maps to
  BYTE pitchAndFamily;
};
constexpr MappedFace kMapped[] = {
    {"Arial", "Liberation Sans", VARIABLE_PITCH | FF_SWISS},
    {"Courier", "Liberation Mono", FIXED_PITCH | FF_MODERN},
    {"Courier New", "Liberation Mono", FIXED_PITCH | FF_MODERN},
    {"MS Sans Serif", "Liberation Sans", VARIABLE_PITCH | FF_SWISS},
    {"Times New Roman", "Liberation Serif", VARIABLE_PITCH | FF_ROMAN},
};

bool SameName(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// The families, read once per process (fontconfig's list does not change while
// the program runs).
const std::vector<Family>& Families() {
  static std::vector<Family> families;
  static std::once_flag once;
  std::call_once(once, [] {
    std::vector<Family> installed;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config != nullptr) {
      FcPattern* pattern = FcPatternCreate();
      FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
      FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_SPACING, FC_WEIGHT, FC_SLANT, nullptr);
      FcFontSet* set = FcFontList(config, pattern, objects);
      for (int i = 0; set != nullptr && i < set->nfont; ++i) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &name) != FcResultMatch || name == nullptr) continue;
        std::string family(reinterpret_cast<const char*>(name));
        if (family.empty() || family.size() >= LF_FACESIZE) continue;
        int spacing = FC_PROPORTIONAL, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(set->fonts[i], FC_SPACING, 0, &spacing);
        FcPatternGetInteger(set->fonts[i], FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(set->fonts[i], FC_SLANT, 0, &slant);
        auto it = std::find_if(installed.begin(), installed.end(), [&](const Family& f) { return f.name == family; });
        if (it == installed.end()) {
          Family f;
          f.name = family;
          const bool serif = family.find("Serif") != std::string::npos && family.find("Sans") == std::string::npos;
          f.pitchAndFamily = spacing >= FC_MONO ? (FIXED_PITCH | FF_MODERN)
                                                : static_cast<BYTE>(VARIABLE_PITCH | (serif ? FF_ROMAN : FF_SWISS));
          installed.push_back(f);
          it = installed.end() - 1;
        }
        const std::pair<int, bool> style{static_cast<int>(FcWeightToOpenType(weight)), slant != FC_SLANT_ROMAN};
        if (std::find(it->styles.begin(), it->styles.end(), style) == it->styles.end()) it->styles.push_back(style);
      }
      if (set != nullptr) FcFontSetDestroy(set);
      FcObjectSetDestroy(objects);
      FcPatternDestroy(pattern);
      FcConfigDestroy(config);
    }
    std::sort(installed.begin(), installed.end(), [](const Family& a, const Family& b) { return a.name < b.name; });
    for (const MappedFace& m : kMapped) {
      const bool present =
          std::any_of(installed.begin(), installed.end(), [&](const Family& f) { return f.name == m.needs; });
      if (!present) continue;
      Family f;
      f.name = m.face;
      f.pitchAndFamily = m.pitchAndFamily;
      f.styles = {{400, false}, {700, false}, {400, true}, {700, true}};
      families.push_back(f);
    }
    for (Family& f : installed) {
      std::sort(f.styles.begin(), f.styles.end());
      families.push_back(std::move(f));
    }
  });
  return families;
}

const char* StyleName(int weight, bool italic) {
  if (weight >= 600) return italic ? "Bold Italic" : "Bold";
  return italic ? "Italic" : "Regular";
}

// One callback; false when it asked to stop.
int CallFor(HDC hdc, const Family& f, int weight, bool italic, FONTENUMPROCA proc, LPARAM lParam) {
  ENUMLOGFONTEXA elf{};
  LOGFONTA& lf = elf.elfLogFont;
  lf.lfHeight = -16;
  lf.lfWeight = weight;
  lf.lfItalic = italic ? 1 : 0;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfOutPrecision = OUT_STROKE_PRECIS;
  lf.lfClipPrecision = CLIP_STROKE_PRECIS;
  lf.lfQuality = DRAFT_QUALITY;
  lf.lfPitchAndFamily = f.pitchAndFamily;
  std::strncpy(lf.lfFaceName, f.name.c_str(), LF_FACESIZE - 1);
  std::string full = f.name;
  if (weight >= 600 || italic) full += std::string(" ") + StyleName(weight, italic);
  std::strncpy(reinterpret_cast<char*>(elf.elfFullName), full.c_str(), LF_FULLFACESIZE - 1);
  std::strncpy(reinterpret_cast<char*>(elf.elfStyle), StyleName(weight, italic), LF_FACESIZE - 1);
  std::strncpy(reinterpret_cast<char*>(elf.elfScript), "Western", LF_FACESIZE - 1);

  NEWTEXTMETRICA ntm{};
  HDC measure = CreateCompatibleDC(hdc);
  HFONT font = CreateFontIndirectA(&lf);
  if (measure != nullptr && font != nullptr) {
    HGDIOBJ old = SelectObject(measure, font);
    GetTextMetricsA(measure, &ntm.tm);
    SelectObject(measure, old);
  }
  if (font != nullptr) DeleteObject(font);
  if (measure != nullptr) DeleteDC(measure);
  lf.lfHeight = ntm.tm.tmHeight;
  lf.lfWidth = ntm.tm.tmAveCharWidth;
  ntm.ntmSizeEM = 2048;
  ntm.ntmCellHeight = static_cast<UINT>(ntm.tm.tmHeight);
  ntm.ntmAvgWidth = static_cast<UINT>(ntm.tm.tmAveCharWidth);
  return proc(&lf, &ntm.tm, TRUETYPE_FONTTYPE, lParam);
}

int Enumerate(HDC hdc, const char* face, FONTENUMPROCA proc, LPARAM lParam, bool everyStyle) {
  if (proc == nullptr) return 0;
  int result = 1;
  for (const Family& f : Families()) {
    if (face != nullptr && *face != '\0') {
      if (!SameName(f.name, face)) continue;
      for (const auto& [weight, italic] : f.styles) {
        result = CallFor(hdc, f, weight, italic, proc, lParam);
        if (result == 0 || !everyStyle) return result;
      }
      return result;
    }
    const auto regular = f.styles.empty() ? std::pair<int, bool>{400, false} : f.styles.front();
    result = CallFor(hdc, f, regular.first, regular.second, proc, lParam);
    if (result == 0) return 0;
  }
  return result;
}

}  // namespace

QV_API int WINAPI EnumFontFamiliesA(HDC hdc, LPCSTR lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam) {
  return Enumerate(hdc, lpLogfont, lpProc, lParam, true);
}

QV_API int WINAPI EnumFontFamiliesExA(HDC hdc, LPLOGFONTA lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam,
                                      DWORD /*dwFlags*/) {
  char face[LF_FACESIZE + 1] = {};
  if (lpLogfont != nullptr) std::memcpy(face, lpLogfont->lfFaceName, LF_FACESIZE);
  return Enumerate(hdc, face, lpProc, lParam, true);
}

QV_API int WINAPI EnumFontsA(HDC hdc, LPCSTR lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam) {
  return Enumerate(hdc, lpLogfont, lpProc, lParam, true);
}
