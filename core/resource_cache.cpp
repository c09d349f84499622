#include "resource_cache.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

struct CacheEntry {
  HMODULE module;  // null: the entry is free
  LPCSTR id;
  LPCSTR type;
  HRSRC resource;
  HGLOBAL loaded;
  const void* locked;
  // The cache's own copy with a terminating zero, made when a caller first
  // asks for a copy; handed-out copies are taken from it.
  char* privateCopy;
  DWORD size;
};

// The cache serves the GUI thread; the lock only keeps a stray caller on
// another thread from tearing an entry.
std::mutex g_cacheLock;
CacheEntry g_cache[kResourceCacheSize];
uint16_t g_cacheCount = 0;

char* CopyWithZero(const void* data, DWORD size) {
  auto* block = static_cast<char*>(std::malloc(static_cast<size_t>(size) + 1));
  if (block == nullptr) return nullptr;
  if (size != 0) std::memcpy(block, data, size);
  block[size] = '\0';
  return block;
}

void ShowLookupError(DWORD error) {
  char text[512];
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      error, 0, text, sizeof text, nullptr);
  if (length == 0) text[0] = '\0';
  MessageBoxA(nullptr, text, "GetLastError", MB_OK | MB_ICONINFORMATION);
}

// Hands out an entry's outputs; 0 when the caller's copy cannot be made.
int HandOut(CacheEntry& entry, HGLOBAL* loaded, const void** locked, void** copy, DWORD* size) {
  if (copy != nullptr) {
    if (entry.privateCopy == nullptr) entry.privateCopy = CopyWithZero(entry.locked, entry.size);
    char* mine = entry.privateCopy != nullptr ? CopyWithZero(entry.privateCopy, entry.size) : nullptr;
    if (mine == nullptr) return 0;
    *copy = mine;
  }
  if (loaded != nullptr) *loaded = entry.loaded;
  if (locked != nullptr) *locked = entry.locked;
  if (size != nullptr) *size = entry.size;
  return 1;
}

void ClearAllLocked() {
  for (CacheEntry& entry : g_cache) {
    std::free(entry.privateCopy);
    entry = CacheEntry{};
  }
  g_cacheCount = 0;
}

}  // namespace

int FindCachedResource(HMODULE module, LPCSTR id, LPCSTR type, HGLOBAL* loaded, const void** locked,
                       void** copy, DWORD* size, LANGID language) {
  // A null module is the program; the key needs its real handle, since a null
  // module marks a free entry.
  if (module == nullptr) module = GetModuleHandleA(nullptr);
  if (module == nullptr) return 0;

  std::unique_lock<std::mutex> guard(g_cacheLock);
  CacheEntry* freeEntry = nullptr;
  if (g_cacheCount == 0) {
    ClearAllLocked();
    freeEntry = &g_cache[0];
  } else {
    for (CacheEntry& entry : g_cache) {
      if (entry.module == nullptr) {
        if (freeEntry == nullptr) freeEntry = &entry;
      } else if (entry.module == module && entry.id == id && entry.type == type) {
        return HandOut(entry, loaded, locked, copy, size);
      }
    }
    // The table has no replacement: a full cache takes nothing new.
    if (freeEntry == nullptr) return 0;
  }

  HRSRC resource = nullptr;
  if (language != 0) {
    resource = FindResourceExA(module, type, id, language);
    if (resource == nullptr) {
      const DWORD error = GetLastError();
      if (error != 0) {
        // The message box runs a loop that may come back here: no lock across it.
        guard.unlock();
        ShowLookupError(error);
        return 0;
      }
    }
  } else {
    resource = FindResourceA(module, id, type);
  }
  if (resource == nullptr) return 0;

  const DWORD resourceSize = SizeofResource(module, resource);
  HGLOBAL resourceLoaded = LoadResource(module, resource);
  const void* resourceLocked = resourceLoaded != nullptr ? LockResource(resourceLoaded) : nullptr;
  if (resourceLocked == nullptr) return 0;

  char* privateCopy = nullptr;
  if (copy != nullptr) {
    privateCopy = CopyWithZero(resourceLocked, resourceSize);
    if (privateCopy == nullptr) return 0;
  }
  *freeEntry = CacheEntry{module, id, type, resource, resourceLoaded, resourceLocked, privateCopy, resourceSize};
  ++g_cacheCount;
  return HandOut(*freeEntry, loaded, locked, copy, size);
}

void FreeResourceCache() {
  std::lock_guard<std::mutex> guard(g_cacheLock);
  ClearAllLocked();
}
