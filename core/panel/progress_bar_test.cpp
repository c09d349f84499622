#include "progress_bar.h"

#include <gtest/gtest.h>

#include <string>

#include "int_format.h"
#include "qvplatform/ui_driver.h"

namespace {

std::string Format(const char* format, long value) {
  char out[300];
  FormatOneInteger(format, value, out, sizeof out);
  return out;
}

std::string BarText(const char* format, WORD flags, WORD range, WORD position) {
  char out[300];
  ProgressBarText(format, flags, range, position, out, sizeof out);
  return out;
}

TEST(IntFormatTest, OneIntegerConversionIsFormattedAndAnythingElseShownAsItStands) {
  EXPECT_EQ(Format("%d%%", 42), "42%");
  EXPECT_EQ(Format("Line %5ld of the log", 7), "Line     7 of the log");
  EXPECT_EQ(Format("%03x", 10), "00a");
  EXPECT_EQ(Format("%u", -1), "4294967295");
  // Texts that would read a second argument or a string are never formats.
  EXPECT_EQ(Format("%s done", 5), "%s done");
  EXPECT_EQ(Format("%d of %d", 5), "%d of %d");
  EXPECT_EQ(Format("%n", 5), "%n");
  EXPECT_EQ(Format("no number", 5), "no number");
  EXPECT_EQ(Format("%9999d", 5), "%9999d");
  EXPECT_EQ(Format("50%", 5), "50%");
  char small[4];
  EXPECT_TRUE(FormatOneInteger("%d", 123456, small, sizeof small));
  EXPECT_STREQ(small, "123");
}

TEST(ProgressBarTest, TextFollowsTheFormatRangeAndFlags) {
  EXPECT_EQ(BarText("", 0, 100, 40), "40%");
  EXPECT_EQ(BarText("%d files", 0, 100, 3), "3 files");
  EXPECT_EQ(BarText("%s", 0, 100, 3), "%s");
  EXPECT_EQ(BarText("", 0, kBarUnset, 40), "");
  EXPECT_EQ(BarText("", 0, 100, kBarUnset), "");
  EXPECT_EQ(BarText("", kBarBlankAtZero, 100, 0), "");
  EXPECT_EQ(BarText("", 0, 100, 0), "0%");
}

TEST(ProgressBarTest, FillIsClampedToTheBar) {
  EXPECT_EQ(ProgressBarFill(100, 50, 200), 100);
  EXPECT_EQ(ProgressBarFill(100, 250, 200), 200);
  EXPECT_EQ(ProgressBarFill(0, 50, 200), 0);
  EXPECT_EQ(ProgressBarFill(100, 0, 200), 0);
  EXPECT_EQ(ProgressBarFill(kBarUnset, 50, 200), 0);
  EXPECT_EQ(ProgressBarFill(3, 1, 200), 66);
}

class ProgressBarWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegisterProgressBarClass(GetModuleHandleA(nullptr)), 1);
    bar_ = CreateWindowExA(0, kProgressBarClass, "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 20, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(bar_, nullptr);
  }
  void TearDown() override {
    if (bar_) DestroyWindow(bar_);
    UnregisterProgressBarClass(GetModuleHandleA(nullptr));
  }
  HWND bar_ = nullptr;
};

TEST_F(ProgressBarWindowTest, TextChangesColourWhereTheFillEnds) {
  SendMessageA(bar_, PBQ_SETRANGE, 100, 0);
  SendMessageA(bar_, PBQ_SETPOS, 50, 0);
  const qvp::PaintLog log = qvp::driver::Painted(bar_);
  std::vector<qvp::PaintRecord> texts = log.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, "50%");
  EXPECT_EQ(texts[0].clip_rect.right, 100);
  EXPECT_EQ(texts[0].fill, GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(texts[1].text, "50%");
  EXPECT_EQ(texts[1].clip_rect.left, 100);
  EXPECT_EQ(texts[1].fill, GetSysColor(COLOR_BTNFACE));
}

TEST_F(ProgressBarWindowTest, APositionPastTheRangeFillsTheWholeBarAndNoMore) {
  SendMessageA(bar_, PBQ_SETRANGE, 10, 0);
  SendMessageA(bar_, PBQ_SETPOS, 500, 0);
  SendMessageA(bar_, PBQ_SETFORMAT, 0, reinterpret_cast<LPARAM>("%d%s"));
  const std::vector<qvp::PaintRecord> texts = qvp::driver::Painted(bar_).Texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "%d%s");
  EXPECT_EQ(texts[0].clip_rect.right, 200);
}

TEST_F(ProgressBarWindowTest, ARangeOfZeroDrawsNoFill) {
  SendMessageA(bar_, PBQ_SETRANGE, 0, 0);
  SendMessageA(bar_, PBQ_SETPOS, 5, 0);
  const std::vector<qvp::PaintRecord> texts = qvp::driver::Painted(bar_).Texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "5%");
  EXPECT_EQ(texts[0].fill, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(texts[0].clip_rect.left, 0);
}

TEST_F(ProgressBarWindowTest, AnOwnedFontGoesWithTheBar) {
  const HFONT font = CreateFontA(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH, "Arial");
  SendMessageA(bar_, PBQ_SETFLAGS, kBarOwnsFont, 0);
  SendMessageA(bar_, PBQ_SETFONT, 0, reinterpret_cast<LPARAM>(font));
  EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
  DestroyWindow(bar_);
  bar_ = nullptr;
  EXPECT_EQ(GetObjectType(font), 0u);
}

}  // namespace
