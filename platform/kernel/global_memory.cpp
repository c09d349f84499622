// Global and local memory blocks, and the process heap. Every block is known
// to a registry, so a stale or made-up handle is refused instead of followed.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

#include "qvplatform/kernel.h"

namespace {

struct Block {
  char* data = nullptr;  // null while a moveable block is discarded
  size_t size = 0;
  size_t capacity = 0;
  bool moveable = false;
  bool discardable = false;
  unsigned locks = 0;  // moveable blocks only
};

// A fixed block is registered under its address, a moveable one under the
// address of its record, which is the handle the caller holds.
struct Registry {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::unique_ptr<Block>> blocks;
};

Registry& Blocks() {
  static auto* registry = new Registry;
  return *registry;
}

uintptr_t KeyOf(HGLOBAL handle) { return reinterpret_cast<uintptr_t>(handle); }

// With the registry locked: the block behind a handle, or null.
Block* Find(Registry& registry, HGLOBAL handle) {
  if (handle == nullptr) return nullptr;
  auto it = registry.blocks.find(KeyOf(handle));
  return it == registry.blocks.end() ? nullptr : it->second.get();
}

HGLOBAL HandleOf(const Block& block) {
  return block.moveable ? const_cast<Block*>(&block) : static_cast<HGLOBAL>(block.data);
}

char* AllocateData(size_t bytes, bool zero) {
  const size_t n = std::max<size_t>(bytes, 1);
  return static_cast<char*>(zero ? std::calloc(n, 1) : std::malloc(n));
}

HGLOBAL Fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

}  // namespace

QV_API HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  try {
    auto block = std::make_unique<Block>();
    block->moveable = (uFlags & GMEM_MOVEABLE) != 0;
    block->discardable = block->moveable && (uFlags & GMEM_DISCARDABLE) != 0;
    // A moveable block of no bytes starts out discarded, as on Windows.
    if (!(block->moveable && dwBytes == 0)) {
      block->data = AllocateData(dwBytes, (uFlags & GMEM_ZEROINIT) != 0);
      if (block->data == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
      block->size = dwBytes;
      block->capacity = std::max<size_t>(dwBytes, 1);
    }
    HGLOBAL handle = HandleOf(*block);
    char* data = block->data;
    Registry& registry = Blocks();
    std::lock_guard<std::mutex> lock(registry.lock);
    try {
      registry.blocks.emplace(KeyOf(handle), std::move(block));
    } catch (const std::bad_alloc&) {
      std::free(data);
      throw;
    }
    return handle;
  } catch (const std::bad_alloc&) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

QV_API LPVOID GlobalLock(HGLOBAL hMem) {
  Registry& registry = Blocks();
  std::lock_guard<std::mutex> lock(registry.lock);
  Block* block = Find(registry, hMem);
  if (block == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (!block->moveable) return block->data;
  if (block->data == nullptr) return Fail(ERROR_DISCARDED);
  ++block->locks;
  return block->data;
}

// Nonzero while the block stays locked; 0 with NO_ERROR once it is unlocked.
QV_API BOOL GlobalUnlock(HGLOBAL hMem) {
  Registry& registry = Blocks();
  std::lock_guard<std::mutex> lock(registry.lock);
  Block* block = Find(registry, hMem);
  if (block == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (block->moveable && block->locks == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (block->moveable && --block->locks > 0) return TRUE;
  SetLastError(NO_ERROR);
  return FALSE;
}

QV_API HGLOBAL GlobalFree(HGLOBAL hMem) {
  if (hMem == nullptr) return nullptr;
  std::unique_ptr<Block> block;
  {
    Registry& registry = Blocks();
    std::lock_guard<std::mutex> lock(registry.lock);
    auto it = registry.blocks.find(KeyOf(hMem));
    if (it == registry.blocks.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return hMem;
    }
    block = std::move(it->second);
    registry.blocks.erase(it);
  }
  std::free(block->data);
  return nullptr;
}

QV_API SIZE_T GlobalSize(HGLOBAL hMem) {
  Registry& registry = Blocks();
  std::lock_guard<std::mutex> lock(registry.lock);
  Block* block = Find(registry, hMem);
  if (block == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return block->size;
}

QV_API UINT GlobalFlags(HGLOBAL hMem) {
  Registry& registry = Blocks();
  std::lock_guard<std::mutex> lock(registry.lock);
  Block* block = Find(registry, hMem);
  if (block == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return GMEM_INVALID_HANDLE;
  }
  UINT flags = std::min<UINT>(block->locks, GMEM_LOCKCOUNT);
  if (block->discardable) flags |= GMEM_DISCARDABLE;
  if (block->moveable && block->data == nullptr) flags |= GMEM_DISCARDED;
  return flags;
}

QV_API HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags) {
  Registry& registry = Blocks();
  std::lock_guard<std::mutex> lock(registry.lock);
  Block* block = Find(registry, hMem);
  if (block == nullptr) return Fail(ERROR_INVALID_HANDLE);

  if ((uFlags & GMEM_MODIFY) != 0) {
    if (block->moveable) {
      block->discardable = (uFlags & GMEM_DISCARDABLE) != 0;
      return hMem;
    }
    if ((uFlags & GMEM_MOVEABLE) == 0) return hMem;
    // A fixed block becomes moveable: same memory, now behind a handle.
    try {
      auto moved = std::make_unique<Block>(*block);
      moved->moveable = true;
      moved->discardable = (uFlags & GMEM_DISCARDABLE) != 0;
      HGLOBAL handle = HandleOf(*moved);
      registry.blocks.emplace(KeyOf(handle), std::move(moved));
      registry.blocks.erase(KeyOf(hMem));
      return handle;
    } catch (const std::bad_alloc&) {
      return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
  }

  const bool zero = (uFlags & GMEM_ZEROINIT) != 0;
  if (block->moveable && dwBytes == 0) {
    if (block->locks > 0) return Fail(ERROR_INVALID_PARAMETER);
    std::free(block->data);  // discard
    block->data = nullptr;
    block->size = 0;
    block->capacity = 0;
    return hMem;
  }
  if (block->data != nullptr && dwBytes <= block->capacity) {
    if (zero && dwBytes > block->size) std::memset(block->data + block->size, 0, dwBytes - block->size);
    block->size = dwBytes;
    return hMem;
  }
  // The memory has to move: a fixed block only when the caller allows it, a
  // moveable block only while it is not locked or the caller allows it.
  const bool may_move = (uFlags & GMEM_MOVEABLE) != 0 || (block->moveable && block->locks == 0);
  if (!may_move) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  const size_t old_size = block->data == nullptr ? 0 : block->size;
  char* data = static_cast<char*>(std::realloc(block->data, std::max<size_t>(dwBytes, 1)));
  if (data == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  if (zero && dwBytes > old_size) std::memset(data + old_size, 0, dwBytes - old_size);
  if (block->moveable) {
    block->data = data;
    block->size = dwBytes;
    block->capacity = std::max<size_t>(dwBytes, 1);
    return hMem;
  }
  // A fixed block's handle is its address, so it is registered anew.
  auto node = registry.blocks.extract(KeyOf(hMem));
  node.key() = reinterpret_cast<uintptr_t>(data);
  node.mapped()->data = data;
  node.mapped()->size = dwBytes;
  node.mapped()->capacity = std::max<size_t>(dwBytes, 1);
  registry.blocks.insert(std::move(node));
  return data;
}

namespace {
UINT GlobalFlagsFromLocal(UINT flags) {
  UINT result = flags & (LMEM_MOVEABLE | LMEM_ZEROINIT | LMEM_MODIFY);
  if ((flags & LMEM_DISCARDABLE) != 0) result |= GMEM_DISCARDABLE;
  return result;
}
}  // namespace

QV_API HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes) {
  return GlobalAlloc(GlobalFlagsFromLocal(uFlags), uBytes);
}
QV_API HLOCAL LocalReAlloc(HLOCAL hMem, SIZE_T uBytes, UINT uFlags) {
  return GlobalReAlloc(hMem, uBytes, GlobalFlagsFromLocal(uFlags));
}
QV_API HLOCAL LocalFree(HLOCAL hMem) { return GlobalFree(hMem); }
QV_API LPVOID LocalLock(HLOCAL hMem) { return GlobalLock(hMem); }
QV_API BOOL LocalUnlock(HLOCAL hMem) { return GlobalUnlock(hMem); }
QV_API SIZE_T LocalSize(HLOCAL hMem) { return GlobalSize(hMem); }

namespace {
char g_process_heap;  // its address is the process heap's handle
}

QV_API HANDLE GetProcessHeap(void) { return &g_process_heap; }

QV_API LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes) {
  if (hHeap != GetProcessHeap()) return Fail(ERROR_INVALID_HANDLE);
  return GlobalAlloc((dwFlags & HEAP_ZERO_MEMORY) != 0 ? GPTR : GMEM_FIXED, dwBytes);
}

QV_API BOOL HeapFree(HANDLE hHeap, DWORD, LPVOID lpMem) {
  if (hHeap != GetProcessHeap()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lpMem == nullptr) return TRUE;
  {
    // Only fixed blocks are heap memory.
    Registry& registry = Blocks();
    std::lock_guard<std::mutex> lock(registry.lock);
    Block* block = Find(registry, lpMem);
    if (block == nullptr || block->moveable) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  }
  return GlobalFree(lpMem) == nullptr ? TRUE : FALSE;
}
