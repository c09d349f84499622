#include <gtest/gtest.h>

#include "qv_ui.h"

namespace {

TEST(QvUiRegistration, ProgramAndPluginEachCountUntilTheyLeave) {
  EXPECT_EQ(QVUI_Register(1033), 1);  // the program
  EXPECT_EQ(QVUI_Register(0), 2);     // a plug-in
  EXPECT_EQ(QVUI_Unregister(), 1);
  EXPECT_EQ(QVUI_Unregister(), 0);
  // A stray unregister never drives the count below zero.
  EXPECT_EQ(QVUI_Unregister(), 0);
  EXPECT_EQ(QVUI_Register(0), 1);
  EXPECT_EQ(QVUI_Unregister(), 0);
}

}  // namespace
