// LoadStringA over the RT_STRING blocks of a module.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "qvplatform/kernel.h"
#include "resources/module_table.h"

namespace {

// String `index` (0-15) of a block; false when the block is malformed or the
// string is empty (an empty string is the same as a missing one).
bool StringInBlock(const QvResourceEntry& block, unsigned index, std::string_view* text) {
  size_t offset = 0;
  for (unsigned i = 0;; ++i) {
    if (block.size - offset < 2) return false;
    uint16_t length = 0;
    std::memcpy(&length, block.data + offset, 2);
    offset += 2;
    if (block.size - offset < length) return false;
    if (i == index) {
      *text = std::string_view(reinterpret_cast<const char*>(block.data + offset), length);
      return length > 0;
    }
    offset += length;
  }
}

}  // namespace

QV_API int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
  if (lpBuffer == nullptr || cchBufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  lpBuffer[0] = '\0';
  DWORD error = 0;
  const QvResourceDirectory* table = qvp::FindModuleResourceTable(hInstance, &error);
  if (table == nullptr) {
    SetLastError(error);
    return 0;
  }
  const WORD id = LOWORD(uID);
  LPCSTR block_name = MAKEINTRESOURCEA((id >> 4) + 1);

  // The blocks holding the string, best language first (see resources.h). A
  // string the UI language's block lacks comes from the next language in that
  // order, so a partly translated table still shows every text.
  const LANGID ui = qvp::GetResourceLanguage();
  for (int rank = 0; rank <= 5; ++rank) {
    for (uint32_t i = 0; i < table->count; ++i) {
      const QvResourceEntry& e = table->entries[i];
      if (!qvp::ResourceNameMatches(e.type_name, e.type_id, RT_STRING) ||
          !qvp::ResourceNameMatches(e.name, e.id, block_name) || qvp::LanguageRank(e.language, ui) != rank) {
        continue;
      }
      std::string_view text;
      if (!StringInBlock(e, id & 15u, &text)) continue;
      const size_t n = std::min(text.size(), static_cast<size_t>(cchBufferMax) - 1);
      std::memcpy(lpBuffer, text.data(), n);
      lpBuffer[n] = '\0';
      return static_cast<int>(n);
    }
  }
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return 0;
}
