#include "res_templates.h"

#include "app_globals.h"
#include "resource_cache.h"

namespace {

const void* SharedResource(HMODULE module, int id, LPCSTR type) {
  const void* locked = nullptr;
  if (!FindCachedResource(module, MAKEINTRESOURCEA(id), type, nullptr, &locked, nullptr, nullptr,
                          g_app.languageId)) {
    return nullptr;
  }
  return locked;
}

void* CopiedResource(int id, LPCSTR type, int* size) {
  void* copy = nullptr;
  DWORD length = 0;
  if (!FindCachedResource(g_app.resourceModule, MAKEINTRESOURCEA(id), type, nullptr, nullptr, &copy, &length,
                          g_app.languageId)) {
    return nullptr;
  }
  if (size != nullptr) *size = static_cast<int>(length);
  return copy;
}

}  // namespace

const void* LoadProductMenuTemplate(int id) { return SharedResource(g_app.productModule, id, RT_MENU); }

LPCDLGTEMPLATEA LoadDialogTemplate(int id) { return SharedResource(g_app.resourceModule, id, RT_DIALOG); }

void* CopyDialogTemplate(int id, int* size) { return CopiedResource(id, RT_DIALOG, size); }

char* LoadTextResource(int id, int* size) {
  return static_cast<char*>(CopiedResource(id, kTextResourceType, size));
}
