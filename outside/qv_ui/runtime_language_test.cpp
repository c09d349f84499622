#include <gtest/gtest.h>

#include <string>

#include "qv_ui.h"

namespace {

TEST(RuntimeLanguage, FollowsTheProgramsRegistrationNotAPluginsZero) {
  EXPECT_STREQ(QVUI_ReadRuntimeLanguage(), "ENGLISH");
  QVUI_Register(1036);  // the program
  QVUI_Register(0);     // a plug-in
  EXPECT_STREQ(QVUI_ReadRuntimeLanguage(), "FRENCH");
  QVUI_Unregister();
  QVUI_Unregister();
  QVUI_Register(1031);
  EXPECT_STREQ(QVUI_ReadRuntimeLanguage(), "GERMAN");
  QVUI_Register(1041);
  EXPECT_STREQ(QVUI_ReadRuntimeLanguage(), "JAPANESE");
  QVUI_Register(1034);  // a language without pages of its own
  EXPECT_STREQ(QVUI_ReadRuntimeLanguage(), "ENGLISH");
  QVUI_Register(1033);
  for (int i = 0; i < 4; ++i) QVUI_Unregister();
}

TEST(RuntimeLanguage, WebPagesBelongToTheOneProduct) {
  for (int page = 1; page <= 5; ++page) EXPECT_EQ(QVUI_GetWebPageProductIndex(nullptr, page, ""), 1) << page;
  EXPECT_EQ(QVUI_GetWebPageProductIndex(nullptr, 0, ""), 0);
  EXPECT_EQ(QVUI_GetWebPageProductIndex(nullptr, 6, nullptr), 0);
}

TEST(RuntimeLanguage, ColourDepthIsADisplayDepth) {
  const int depth = QVUI_GetNumSysColors();
  EXPECT_TRUE(depth == 8 || depth == 16 || depth == 24 || depth == 32) << depth;
}

}  // namespace
