#include <gtest/gtest.h>

#include "qvplatform.h"

namespace {

TEST(Cursors, StockCursorsAreSharedAndTheCurrentOneSwaps) {
  HCURSOR sizing = LoadCursorA(nullptr, IDC_SIZENWSE);
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  ASSERT_NE(sizing, nullptr);
  ASSERT_NE(arrow, nullptr);
  EXPECT_NE(sizing, arrow);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_SIZENWSE), sizing);

  SetCursor(arrow);
  EXPECT_EQ(SetCursor(sizing), arrow);
  EXPECT_EQ(GetCursor(), sizing);
  SetCursor(nullptr);

  SetLastError(0);
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(LoadCursorA(nullptr, "ARROW"), nullptr);
}

}  // namespace
