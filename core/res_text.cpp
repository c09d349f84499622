#include "res_text.h"

#include "app_globals.h"
#include "text_copy.h"

namespace {

constexpr char g_emptyText[] = "";

}  // namespace

const char* LoadResText(UINT id, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return g_emptyText;
  const int limit = size < kResTextMax + 1 ? size : kResTextMax + 1;
  const int length = LoadStringA(g_app.resourceModule, id & 0xffffu, buffer, limit);
  if (length <= 0) {
    buffer[0] = '\0';
    return g_emptyText;
  }
  return buffer;
}

const char* LoadResText(UINT id, int slot) {
  if (slot < 0 || slot >= kTextSlotCount) return g_emptyText;
  return LoadResText(id, g_app.textSlots[slot], kTextSlotSize);
}

int ShowResMessage(HWND owner, UINT textId, UINT icon, const char* fileText) {
  char pattern[kResTextMax + 1];
  LoadResText(textId, pattern, sizeof pattern);
  char text[kResTextMax + MAX_PATH + 1];
  if (fileText != nullptr) {
    FormatWithText(text, sizeof text, pattern, fileText);
  } else {
    CopyText(text, sizeof text, pattern);
  }
  return MessageBoxA(owner, text, kProgramCaption, MB_OK | icon);
}
