// GetLocaleInfoA: the English names of languages, for lists of the languages
// a resource module holds.
#include <cstring>

#include "qvplatform/errors.h"
#include "qvplatform/kernel.h"

namespace {

struct LanguageName {
  WORD primary;
  const char* name;
};

constexpr LanguageName kLanguages[] = {
    {0x01, "Arabic"},  {0x02, "Bulgarian"}, {0x03, "Catalan"},  {0x04, "Chinese"},   {0x05, "Czech"},
    {0x06, "Danish"},  {0x07, "German"},    {0x08, "Greek"},    {0x09, "English"},   {0x0A, "Spanish"},
    {0x0B, "Finnish"}, {0x0C, "French"},    {0x0D, "Hebrew"},   {0x0E, "Hungarian"}, {0x0F, "Icelandic"},
    {0x10, "Italian"}, {0x11, "Japanese"},  {0x12, "Korean"},   {0x13, "Dutch"},     {0x14, "Norwegian"},
    {0x15, "Polish"},  {0x16, "Portuguese"}, {0x18, "Romanian"}, {0x19, "Russian"},  {0x1A, "Croatian"},
    {0x1B, "Slovak"},  {0x1D, "Swedish"},   {0x1F, "Turkish"},  {0x24, "Slovenian"},
};

}  // namespace

QV_API int GetLocaleInfoA(LCID Locale, LCTYPE LCType, LPSTR lpLCData, int cchData) {
  if ((LCType & 0xFFFF) != LOCALE_SENGLANGUAGE || cchData < 0 || (cchData > 0 && lpLCData == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const WORD primary = static_cast<WORD>(Locale & 0x3FF);
  const char* name = nullptr;
  for (const auto& language : kLanguages) {
    if (language.primary == primary) name = language.name;
  }
  if (name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const int needed = static_cast<int>(std::strlen(name)) + 1;
  if (cchData == 0) return needed;
  if (cchData < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpLCData, name, static_cast<size_t>(needed));
  return needed;
}
