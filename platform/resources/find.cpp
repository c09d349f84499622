// FindResource(Ex), LoadResource and friends over the module tables.
#include <cstring>

#include "qvplatform/kernel.h"
#include "resources/dialog_ids.h"
#include "resources/module_table.h"

namespace {

HRSRC Find(HMODULE module, LPCSTR type, LPCSTR name, LANGID language) {
  DWORD error = 0;
  const QvResourceDirectory* table = qvp::FindModuleResourceTable(module, &error);
  const QvResourceEntry* entry = table != nullptr ? qvp::FindEntry(*table, type, name, language, &error) : nullptr;
  if (entry == nullptr) {
    SetLastError(error);
    return nullptr;
  }
  if (type == RT_DIALOG && IS_INTRESOURCE(name))
    qvp::RememberDialogTemplate(entry->data, entry->size, static_cast<UINT>(reinterpret_cast<uintptr_t>(name)));
  return const_cast<QvResourceEntry*>(entry);
}

qvp::ResourceBytes BytesOf(HMODULE module, HRSRC handle) {
  const QvResourceEntry* entry = handle != nullptr ? qvp::EntryFromHandle(module, handle) : nullptr;
  if (entry == nullptr) return {};
  return {entry->data, entry->size};
}

template <class T>
T ReadAt(const BYTE* data, size_t offset) {
  T value;
  std::memcpy(&value, data + offset, sizeof(T));
  return value;
}

}  // namespace

QV_API HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
  return Find(hModule, lpType, lpName, 0);
}

QV_API HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage) {
  return Find(hModule, lpType, lpName, wLanguage);
}

QV_API HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
  const QvResourceEntry* entry = qvp::EntryFromHandle(hModule, hResInfo);
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // As on Windows, the loaded handle is the address of the bytes themselves.
  return const_cast<unsigned char*>(entry->data);
}

QV_API LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

QV_API DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  const QvResourceEntry* entry = qvp::EntryFromHandle(hModule, hResInfo);
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return entry->size;
}

// Resources live in the module's constant data: there is nothing to free.
QV_API BOOL WINAPI FreeResource(HGLOBAL /*hResData*/) { return FALSE; }

QV_API BOOL WINAPI EnumResourceLanguagesA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName,
                                          ENUMRESLANGPROCA lpEnumFunc, LONG_PTR lParam) {
  if (lpEnumFunc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD error = 0;
  const QvResourceDirectory* table = qvp::FindModuleResourceTable(hModule, &error);
  if (table == nullptr) {
    SetLastError(error);
    return FALSE;
  }
  bool type_seen = false;
  bool name_seen = false;
  for (uint32_t i = 0; i < table->count; ++i) {
    const QvResourceEntry& e = table->entries[i];
    if (!qvp::ResourceNameMatches(e.type_name, e.type_id, lpType)) continue;
    type_seen = true;
    if (!qvp::ResourceNameMatches(e.name, e.id, lpName)) continue;
    name_seen = true;
    if (!lpEnumFunc(hModule, lpType, lpName, e.language, lParam)) {
      SetLastError(ERROR_RESOURCE_ENUM_USER_STOP);
      return FALSE;
    }
  }
  if (!name_seen) {
    SetLastError(type_seen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}

namespace qvp {

ResourceBytes FindBitmapDib(HMODULE module, LPCSTR name) { return BytesOf(module, FindResourceA(module, name, RT_BITMAP)); }

ResourceBytes FindMenuTemplate(HMODULE module, LPCSTR name) { return BytesOf(module, FindResourceA(module, name, RT_MENU)); }

ResourceBytes FindDialogTemplate(HMODULE module, LPCSTR name) {
  return BytesOf(module, FindResourceA(module, name, RT_DIALOG));
}

ResourceBytes FindIconImage(HMODULE module, LPCSTR name, int cx, int cy) {
  HRSRC group_handle = FindResourceA(module, name, RT_GROUP_ICON);
  const ResourceBytes group = BytesOf(module, group_handle);
  if (!group) return {};
  // The group directory: reserved, type 1, count, then 14-byte entries
  // (width, height, colours, reserved, planes, bit count, bytes, image id).
  constexpr size_t kHead = 6, kEntry = 14;
  const size_t count = group.size >= kHead ? ReadAt<uint16_t>(group.data, 4) : 0;
  if (group.size < kHead || ReadAt<uint16_t>(group.data, 2) != 1 || count == 0 || (group.size - kHead) / kEntry < count) {
    SetLastError(ERROR_INVALID_DATA);
    return {};
  }
  // Ranks: 0 exact size, 1 larger, 2 smaller; then the fewest extra pixels; then the most colours.
  int best = -1;
  int best_rank = 3;
  long best_area = 0;
  int best_bits = -1;
  for (size_t i = 0; i < count; ++i) {
    const BYTE* e = group.data + kHead + i * kEntry;
    const int w = e[0] == 0 ? 256 : e[0];
    const int h = e[1] == 0 ? 256 : e[1];
    const int bits = ReadAt<uint16_t>(e, 6);
    const int rank = (w == cx && h == cy) ? 0 : (w >= cx && h >= cy) ? 1 : 2;
    const long area = long{w} * h;
    bool better = rank < best_rank;
    if (rank == best_rank) {
      const bool smaller_first = rank == 1;  // the smallest larger image; else the largest one
      if (area != best_area && rank != 0) {
        better = smaller_first ? area < best_area : area > best_area;
      } else {
        better = bits > best_bits;
      }
    }
    if (better) {
      best = static_cast<int>(i);
      best_rank = rank;
      best_area = area;
      best_bits = bits;
    }
  }
  const uint16_t image_id = ReadAt<uint16_t>(group.data + kHead + static_cast<size_t>(best) * kEntry, 12);
  const QvResourceEntry* group_entry = EntryFromHandle(module, group_handle);
  return BytesOf(module, FindResourceExA(module, RT_ICON, MAKEINTRESOURCEA(image_id), group_entry->language));
}

}  // namespace qvp
