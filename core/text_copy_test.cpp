#include "text_copy.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(CopyText, TruncatesAndAlwaysTerminates) {
  char out[6];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(CopyText(out, sizeof out, "abcdefgh"), 5u);
  EXPECT_STREQ(out, "abcde");
  EXPECT_EQ(CopyText(out, sizeof out, nullptr), 0u);
  EXPECT_STREQ(out, "");
  char one[1] = {'x'};
  EXPECT_EQ(CopyText(one, 1, "abc"), 0u);
  EXPECT_EQ(one[0], '\0');
}

TEST(AppendText, StopsAtTheEndOfTheBuffer) {
  char out[8] = "abc";
  EXPECT_EQ(AppendText(out, sizeof out, "defghij"), 7u);
  EXPECT_STREQ(out, "abcdefg");
  EXPECT_EQ(AppendText(out, sizeof out, "z"), 7u);
  EXPECT_STREQ(out, "abcdefg");
  // A buffer that lost its terminator is cut, never read past its end.
  char raw[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(AppendText(raw, sizeof raw, "e"), 3u);
  EXPECT_STREQ(raw, "abc");
}

TEST(FormatWithText, ReplacesOnlyTheFirstTextAndNeverFormats) {
  char out[64];
  FormatWithText(out, sizeof out, "Cannot open %s (100%% sure).", "C:\\a.txt");
  EXPECT_STREQ(out, "Cannot open C:\\a.txt (100% sure).");
  // A second %s and other conversions are text, so a hostile resource text
  // cannot read arguments that were never passed.
  FormatWithText(out, sizeof out, "%s %s %d %n", "x");
  EXPECT_STREQ(out, "x %s %d %n");
  FormatWithText(out, 8, "%s!", "abcdefghij");
  EXPECT_STREQ(out, "abcdefg");
}

}  // namespace
