// The library's memory blocks: zeroed, growable in place, and known by
// address so that a block from elsewhere is never freed or resized here.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "qv_ui.h"

namespace {

struct Block {
  size_t size;      // what the caller asked for
  size_t capacity;  // what is allocated
};

std::mutex g_lock;
std::unordered_map<void*, Block>& Blocks() {
  static auto* blocks = new std::unordered_map<void*, Block>();  // outlives every module's exit
  return *blocks;
}

void* NewBlock(size_t capacity) { return std::calloc(capacity != 0 ? capacity : 1, 1); }

}  // namespace

QV_API void* QVUI_MyAlloc(DWORD size) {
  void* block = NewBlock(size);
  if (block == nullptr) return nullptr;
  try {
    std::lock_guard<std::mutex> hold(g_lock);
    Blocks().emplace(block, Block{size, size != 0 ? size : 1});
  } catch (...) {
    std::free(block);
    return nullptr;
  }
  return block;
}

QV_API void* QVUI_MyRealloc(void* block, DWORD size) {
  if (block == nullptr) return QVUI_MyAlloc(size);
  std::lock_guard<std::mutex> hold(g_lock);
  auto found = Blocks().find(block);
  if (found == Blocks().end()) return nullptr;
  Block& info = found->second;
  if (size <= info.capacity) {
    // Bytes beyond the old size were zeroed when they were given up or made.
    if (size < info.size) std::memset(static_cast<char*>(block) + size, 0, info.size - size);
    info.size = size;
    return block;
  }
  size_t capacity = info.capacity * 2;
  if (capacity < size) capacity = size;
  void* moved = NewBlock(capacity);
  if (moved == nullptr) return nullptr;
  try {
    Blocks().emplace(moved, Block{size, capacity});
  } catch (...) {
    std::free(moved);
    return nullptr;
  }
  std::memcpy(moved, block, info.size);
  Blocks().erase(found);
  std::free(block);
  return moved;
}

QV_API BOOL QVUI_MyFree2(void* block) {
  if (block == nullptr) return FALSE;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    if (Blocks().erase(block) == 0) return FALSE;
  }
  std::free(block);
  return TRUE;
}
