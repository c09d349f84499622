#include <gtest/gtest.h>

#include <cstring>

#include "qvplatform/kernel.h"

namespace {

bool AllZero(const void* p, size_t n) {
  const auto* b = static_cast<const unsigned char*>(p);
  for (size_t i = 0; i < n; ++i) {
    if (b[i] != 0) return false;
  }
  return true;
}

TEST(GlobalMemory, MoveableBlocksCountTheirLocks) {
  HGLOBAL block = GlobalAlloc(GHND, 100);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 100u);
  EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 0u);

  void* first = GlobalLock(block);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first, block);  // the handle is not the memory
  EXPECT_TRUE(AllZero(first, 100));
  void* second = GlobalLock(block);
  EXPECT_EQ(first, second);
  EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 2u);

  EXPECT_NE(GlobalUnlock(block), FALSE);  // still locked once
  SetLastError(99);
  EXPECT_EQ(GlobalUnlock(block), FALSE);  // now unlocked, which is no error
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(GlobalUnlock(block), FALSE);  // unlocking once too often is
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));

  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalLock(block), nullptr);  // gone
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GlobalFree(block), block);
  EXPECT_EQ(GlobalFlags(block), GMEM_INVALID_HANDLE);
  EXPECT_EQ(GlobalSize(block), 0u);
}

TEST(GlobalMemory, FixedBlocksAreTheirOwnAddress) {
  HGLOBAL block = GlobalAlloc(GPTR, 64);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(AllZero(block, 64));
  EXPECT_EQ(GlobalLock(block), block);
  EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 0u);
  EXPECT_EQ(GlobalUnlock(block), FALSE);
  std::memset(block, 0x5A, 64);
  EXPECT_EQ(GlobalFree(block), nullptr);

  int on_stack = 0;
  EXPECT_EQ(GlobalFree(&on_stack), static_cast<HGLOBAL>(&on_stack));  // never ours: refused
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST(GlobalMemory, ReAllocKeepsContentsAndZeroFillsGrowth) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
  std::memcpy(GlobalLock(block), "abcdefgh", 8);
  GlobalUnlock(block);
  HGLOBAL grown = GlobalReAlloc(block, 4096, GMEM_MOVEABLE | GMEM_ZEROINIT);
  EXPECT_EQ(grown, block);  // a moveable block keeps its handle
  EXPECT_EQ(GlobalSize(grown), 4096u);
  char* p = static_cast<char*>(GlobalLock(grown));
  EXPECT_EQ(std::memcmp(p, "abcdefgh", 8), 0);
  EXPECT_TRUE(AllZero(p + 8, 4096 - 8));

  // Locked and not allowed to move: growth fails, the block is unharmed.
  EXPECT_EQ(GlobalReAlloc(grown, 1 << 20, 0), nullptr);
  EXPECT_EQ(GlobalSize(grown), 4096u);
  EXPECT_EQ(std::memcmp(GlobalLock(grown), "abcdefgh", 8), 0);
  GlobalUnlock(grown);
  GlobalUnlock(grown);

  // Shrinking to nothing discards a moveable block.
  EXPECT_EQ(GlobalReAlloc(grown, 0, GMEM_MOVEABLE), grown);
  EXPECT_NE(GlobalFlags(grown) & GMEM_DISCARDED, 0u);
  EXPECT_EQ(GlobalLock(grown), nullptr);
  EXPECT_EQ(GlobalReAlloc(grown, 16, GMEM_MOVEABLE | GMEM_ZEROINIT), grown);
  EXPECT_TRUE(AllZero(GlobalLock(grown), 16));
  GlobalUnlock(grown);
  GlobalFree(grown);

  HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 4);
  std::memcpy(fixed, "wxyz", 4);
  EXPECT_EQ(GlobalReAlloc(fixed, 100000, 0), nullptr);  // a fixed block may not move
  HGLOBAL moved = GlobalReAlloc(fixed, 100000, GMEM_MOVEABLE);
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(std::memcmp(moved, "wxyz", 4), 0);
  EXPECT_EQ(GlobalSize(moved), 100000u);
  if (moved != fixed) {
    EXPECT_EQ(GlobalSize(fixed), 0u);  // the old address is no block any more
  }
  GlobalFree(moved);
}

TEST(GlobalMemory, ZeroByteMoveableBlockStartsDiscarded) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_NE(GlobalFlags(block) & GMEM_DISCARDED, 0u);
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(LocalMemory, BehavesLikeGlobalMemory) {
  HLOCAL block = LocalAlloc(LHND, 32);
  ASSERT_NE(block, nullptr);
  void* p = LocalLock(block);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(AllZero(p, 32));
  EXPECT_EQ(LocalSize(block), 32u);
  EXPECT_EQ(LocalUnlock(block), FALSE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(LocalFree(block), nullptr);

  HLOCAL fixed = LocalAlloc(LPTR, 8);
  EXPECT_TRUE(AllZero(fixed, 8));
  EXPECT_EQ(LocalFree(fixed), nullptr);
}

TEST(ProcessHeap, AllocatesAndFrees) {
  HANDLE heap = GetProcessHeap();
  ASSERT_NE(heap, nullptr);
  void* p = HeapAlloc(heap, HEAP_ZERO_MEMORY, 48);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(AllZero(p, 48));
  EXPECT_TRUE(HeapFree(heap, 0, p));
  EXPECT_FALSE(HeapFree(heap, 0, p));  // already freed
  EXPECT_TRUE(HeapFree(heap, 0, nullptr));
  EXPECT_EQ(HeapAlloc(reinterpret_cast<HANDLE>(0x1234), 0, 8), nullptr);
}

}  // namespace
