#include <gtest/gtest.h>

#include "qv_ui.h"

namespace {

TEST(CWaitCursorTest, ShowsTheWaitCursorAndRestoresTheOneBeforeWhenNested) {
  const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  ASSERT_NE(arrow, wait);
  const HCURSOR before = SetCursor(arrow);
  {
    CWaitCursor outer;
    EXPECT_EQ(GetCursor(), wait);
    {
      CWaitCursor inner;
      EXPECT_EQ(GetCursor(), wait);
    }
    EXPECT_EQ(GetCursor(), wait);  // the inner one leaves the outer's cursor
  }
  EXPECT_EQ(GetCursor(), arrow);

  SetCursor(nullptr);  // no cursor before: none after
  { CWaitCursor scope; }
  EXPECT_EQ(GetCursor(), nullptr);
  SetCursor(before);
}

}  // namespace
