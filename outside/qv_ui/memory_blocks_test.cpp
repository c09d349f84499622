#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "qv_ui.h"

namespace {

TEST(MemoryBlocks, AllocZeroesAndReallocKeepsContentsAndZeroesTheGrowth) {
  auto* block = static_cast<unsigned char*>(QVUI_MyAlloc(16));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(block[i], 0);
  std::memset(block, 0xAB, 16);
  // Shrinking then growing inside the block brings back zeros, not old bytes.
  block = static_cast<unsigned char*>(QVUI_MyRealloc(block, 8));
  ASSERT_NE(block, nullptr);
  block = static_cast<unsigned char*>(QVUI_MyRealloc(block, 4000));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(block[i], 0xAB);
  for (int i = 8; i < 4000; ++i) ASSERT_EQ(block[i], 0) << i;
  EXPECT_TRUE(QVUI_MyFree2(block));
}

TEST(MemoryBlocks, GrowingByOneSlotMovesTheBlockOnlyLogarithmicallyOften) {
  void* block = QVUI_MyAlloc(sizeof(void*));
  int moves = 0;
  for (DWORD n = 2; n <= 4096; ++n) {
    void* grown = QVUI_MyRealloc(block, n * sizeof(void*));
    ASSERT_NE(grown, nullptr);
    if (grown != block) ++moves;
    block = grown;
  }
  EXPECT_LE(moves, 13);
  EXPECT_TRUE(QVUI_MyFree2(block));
}

TEST(MemoryBlocks, ForeignAndFreedBlocksAreRefused) {
  void* foreign = std::malloc(8);
  EXPECT_FALSE(QVUI_MyFree2(foreign));
  EXPECT_EQ(QVUI_MyRealloc(foreign, 64), nullptr);
  std::free(foreign);
  EXPECT_FALSE(QVUI_MyFree2(nullptr));
  void* block = QVUI_MyAlloc(0);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(QVUI_MyFree2(block));
  EXPECT_FALSE(QVUI_MyFree2(block));
  void* fresh = QVUI_MyRealloc(nullptr, 10);
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(QVUI_MyFree2(fresh));
}

}  // namespace
