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

TEST(DialogUnits, ConversionsUseTheDialogBaseUnits) {
  const LONG base = GetDialogBaseUnits();
  const int x = LOWORD(base);
  const int y = HIWORD(base);
  ASSERT_GT(x, 0);
  ASSERT_GT(y, 0);
  RECT rect{4, 8, 12, 24};
  DialogUnitsToPixels(&rect);
  EXPECT_EQ(rect.left, x);
  EXPECT_EQ(rect.top, y);
  EXPECT_EQ(rect.right, 3 * x);
  EXPECT_EQ(rect.bottom, 3 * y);
  PixelsToDialogUnits(&rect);
  EXPECT_EQ(rect.left, 4);
  EXPECT_EQ(rect.top, 8);
  EXPECT_EQ(rect.right, 12);
  EXPECT_EQ(rect.bottom, 24);
  RECT odd{0, 1, 0, 1};
  DialogUnitsToPixels(&odd);
  EXPECT_EQ(odd.top, DialogUnitRound(1, y, 8));
  DialogUnitsToPixels(nullptr);
  PixelsToDialogUnits(nullptr);
}

TEST(WindowGeometry, ChildRectangleInParentCoordinates) {
  HWND parent = CreatePlainWindow(100, 50, 300, 200);
  HWND child = CreateWindowExA(0, kPlainWindowClass, "", WS_CHILD | WS_VISIBLE, 10, 20, 30, 40, parent, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  RECT rect{};
  GetChildRectInParent(parent, child, &rect);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right, 40);
  EXPECT_EQ(rect.bottom, 60);
  DestroyWindow(parent);
}

TEST(WindowGeometry, TextMeasuresFollowTheFont) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size;
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "Report", 6, &size));
  EXPECT_EQ(GetTextWidth(dc, "Report", 6), size.cx);
  EXPECT_EQ(GetTextHeight(dc, "Report", 6), size.cy);
  EXPECT_LT(GetTextWidth(dc, "Report", 3), size.cx);
  EXPECT_EQ(GetTextWidth(dc, "Report", 0), 0);
  EXPECT_EQ(GetTextWidth(nullptr, "Report", 6), 0);
  EXPECT_EQ(GetTextHeight(nullptr, "Report", 6), 0);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
}

}  // namespace
