#include "settings_values.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingsWords, ProxyEnableTakesTrueOrOne) {
  EXPECT_TRUE(IsProxyEnabledValue("TRUE"));
  EXPECT_TRUE(IsProxyEnabledValue("true"));
  EXPECT_TRUE(IsProxyEnabledValue("1"));
  EXPECT_FALSE(IsProxyEnabledValue("FALSE"));
  EXPECT_FALSE(IsProxyEnabledValue("0"));
  EXPECT_FALSE(IsProxyEnabledValue(""));
  EXPECT_FALSE(IsProxyEnabledValue(nullptr));
}

TEST(SettingsWords, WebEnableTakesOnlyAWordStartingWithT) {
  EXPECT_TRUE(IsWebEnabledValue("TRUE"));
  EXPECT_TRUE(IsWebEnabledValue("true"));
  EXPECT_FALSE(IsWebEnabledValue("1"));
  EXPECT_FALSE(IsWebEnabledValue("FALSE"));
  EXPECT_FALSE(IsWebEnabledValue(""));
  EXPECT_STREQ(BoolWord(true), "TRUE");
  EXPECT_STREQ(BoolWord(false), "FALSE");
}

TEST(ColumnWidths, NarrowAndEmptyFieldsReadAsTheMinimum) {
  int widths[8] = {};
  ASSERT_EQ(ParseColumnWidths("120,5,,80", widths, 8), 4);
  EXPECT_EQ(widths[0], 120);
  EXPECT_EQ(widths[1], 10);
  EXPECT_EQ(widths[2], 10);
  EXPECT_EQ(widths[3], 80);
}

TEST(ColumnWidths, EdgesOfTheText) {
  int widths[3] = {};
  EXPECT_EQ(ParseColumnWidths("", widths, 3), 0);
  EXPECT_EQ(ParseColumnWidths(nullptr, widths, 3), 0);
  ASSERT_EQ(ParseColumnWidths("200,", widths, 3), 2);  // a trailing empty field
  EXPECT_EQ(widths[1], 10);
  ASSERT_EQ(ParseColumnWidths("-40,99999999999999,abc", widths, 3), 3);
  EXPECT_EQ(widths[0], 10);
  EXPECT_EQ(widths[1], 0x7fffffff);
  EXPECT_EQ(widths[2], 10);
  // Never more widths than the caller has room for.
  int two[2] = {};
  EXPECT_EQ(ParseColumnWidths("50,60,70,80", two, 2), 2);
  EXPECT_EQ(two[1], 60);
}

TEST(ColumnWidths, KeyNamesTheKindInLowerCaseHex) {
  char key[32];
  FormatColumnPosKey(4, key, sizeof key);
  EXPECT_STREQ(key, "ColumnPos_0004");
  FormatColumnPosKey(0x1abcd, key, sizeof key);
  EXPECT_STREQ(key, "ColumnPos_1abcd");
  FormatColumnPosKey(-1, key, sizeof key);
  EXPECT_STREQ(key, "ColumnPos_ffffffff");
}

}  // namespace
