#include "window_geometry.h"

#include <gtest/gtest.h>

#include "test_windows.h"

namespace {

TEST(CenterWindow, CountsBothEdgesAndKeepsTheSize) {
  HWND window = CreatePlainWindow(5, 7, 100, 50);
  ASSERT_NE(window, nullptr);
  CenterWindow(window);
  RECT rect;
  GetWindowRect(window, &rect);
  // 1024 x 768 screen: (1024 - 101) / 2 and (768 - 51) / 2.
  EXPECT_EQ(rect.left, 461);
  EXPECT_EQ(rect.top, 358);
  EXPECT_EQ(rect.right - rect.left, 100);
  EXPECT_EQ(rect.bottom - rect.top, 50);
  DestroyWindow(window);

  // Wider and taller than the screen: the top-left corner of the screen.
  window = CreatePlainWindow(40, 30, 2000, 900);
  CenterWindow(window);
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, 2000);
  DestroyWindow(window);
}

TEST(DialogUnits, RoundUpOnlyWhenTheRemainderIsSixOrMore) {
  struct Row {
    int value, multiplier, divisor, expected;
  };
  const Row rows[] = {
      {7, 6, 4, 10},     // x to pixels: a remainder of 4 or less never rounds up
      {3, 7, 4, 5},      // 21 / 4, remainder 1
      {2, 13, 8, 3},     // y to pixels: 26 / 8, remainder 2
      {3, 15, 8, 5},     // 45 / 8, remainder 5
      {1, 14, 8, 2},     // 14 / 8, remainder 6
      {1, 15, 8, 2},     // 15 / 8, remainder 7
      {4, 4, 10, 2},     // pixels to units: 16 / 10, remainder 6
      {8, 4, 10, 3},     // 32 / 10, remainder 2
      {17, 8, 13, 11},   // 136 / 13, remainder 6
      {16, 8, 13, 10},   // 128 / 13, remainder 11 rounds up by one only
      {10, 4, 6, 6},     // 40 / 6, remainder 4
      {0, 13, 8, 0},
      {-7, 13, 8, -11},  // -91 / 8 truncates; a negative remainder never rounds
      {5, 4, 0, 0},      // no base units
  };
  for (const Row& row : rows) {
    EXPECT_EQ(DialogUnitRound(row.value, row.multiplier, row.divisor), row.expected)
        << row.value << " * " << row.multiplier << " / " << row.divisor;
  }
}

}  // namespace
