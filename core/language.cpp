#include "language.h"

#include "app_globals.h"
#include "program_paths.h"
#include "settings.h"
#include "settings_keys.h"
#include "text_copy.h"

namespace {

struct NamedLanguage {
  const char* name;
  LANGID id;
};

constexpr NamedLanguage kLanguages[] = {
    {"ENGLISH", 1033},
    {"FRENCH", 1036},
    {"GERMAN", 1031},
    {"JAPANESE", 1041},
};

}  // namespace

LANGID LanguageIdFromName(const char* name) {
  if (name == nullptr) return kDefaultLanguageId;
  for (const NamedLanguage& language : kLanguages) {
    if (lstrcmpiA(name, language.name) == 0) return language.id;
  }
  return kDefaultLanguageId;
}

LANGID ReadProgramLanguageId(char* name, size_t size) {
  char text[ini::kLanguageLen];
  ReadProgramLanguage(text, sizeof text);
  CopyText(name, size, text);
  return LanguageIdFromName(text);
}

char* BuildHelpPath(const char* language, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return out;
  CopyText(out, outSize, GetProgramDir());
  AppendText(out, outSize, "HELP\\");
  AppendText(out, outSize, language);
  AppendText(out, outSize, "\\PRODUCT.HLP");
  return out;
}
