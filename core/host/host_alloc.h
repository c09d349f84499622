// The host tables' one way to get memory: growth by one pointer, checked for
// overflow. Tests replace the reallocator to see a failed growth.
#pragma once

#include <cstddef>
#include <cstdint>

typedef void* (*HostReallocProc)(void* block, size_t bytes);
extern HostReallocProc g_hostRealloc;

// `array` (count pointers of `Item*`) grown to count + 1 with `item` last, or
// null when memory runs out or count is out of range; the old block stays
// valid on failure.
template <typename Item>
Item** GrowPointerArray(Item** array, int32_t count, Item* item) {
  if (count < 0 || count == INT32_MAX) return nullptr;
  const size_t slots = static_cast<size_t>(count) + 1;
  if (slots > SIZE_MAX / sizeof(Item*)) return nullptr;
  auto* grown = static_cast<Item**>(g_hostRealloc(array, slots * sizeof(Item*)));
  if (grown == nullptr) return nullptr;
  grown[count] = item;
  return grown;
}
