#include <gtest/gtest.h>

#include <string>

#include "qvplatform/kernel.h"

namespace {

std::u16string ToWide(UINT code_page, const std::string& text, DWORD flags = 0) {
  const int n = MultiByteToWideChar(code_page, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::u16string wide(static_cast<size_t>(n), u'\0');
  if (n > 0) {
    EXPECT_EQ(MultiByteToWideChar(code_page, flags, text.data(), static_cast<int>(text.size()), wide.data(), n), n);
  }
  return wide;
}

std::string ToNarrow(UINT code_page, const std::u16string& wide, BOOL* used_default = nullptr) {
  const int n = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                    nullptr, used_default);
  std::string text(static_cast<size_t>(n), '\0');
  if (n > 0) {
    EXPECT_EQ(WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                                  nullptr, used_default),
              n);
  }
  return text;
}

TEST(CodePages, AnsiRoundTripsEveryByteIncludingThe80To9FRange) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::u16string wide = ToWide(CP_ACP, all);
  ASSERT_EQ(wide.size(), all.size());
  EXPECT_EQ(wide[0x80 - 1], u'\u20AC');  // euro sign
  EXPECT_EQ(wide[0x85 - 1], u'\u2026');  // ellipsis
  EXPECT_EQ(wide[0x8A - 1], u'\u0160');  // S caron
  EXPECT_EQ(wide[0x92 - 1], u'\u2019');  // right single quote
  EXPECT_EQ(wide[0x99 - 1], u'\u2122');  // trade mark
  EXPECT_EQ(wide[0x9F - 1], u'\u0178');  // Y diaeresis
  EXPECT_EQ(wide[0x81 - 1], u'\u0081');  // undefined bytes keep their value
  EXPECT_EQ(wide[0xE9 - 1], u'\u00E9');
  BOOL used_default = TRUE;
  EXPECT_EQ(ToNarrow(CP_ACP, wide, &used_default), all);
  EXPECT_FALSE(used_default);
}

TEST(CodePages, UnmappableCharactersBecomeTheDefaultCharacter) {
  BOOL used_default = FALSE;
  EXPECT_EQ(ToNarrow(CP_ACP, u"a\u0416b\U0001F600c", &used_default), "a?b?c");
  EXPECT_TRUE(used_default);
  const char16_t wide[] = u"\u0416";
  char out[4] = {};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, 1, out, sizeof(out), "#", nullptr), 1);
  EXPECT_EQ(out[0], '#');
}

TEST(CodePages, Utf8ConvertsBothWaysAndFlagsIllFormedInput) {
  const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // A, e acute, euro, emoji
  const std::u16string wide = ToWide(CP_UTF8, utf8);
  EXPECT_EQ(wide, u"A\u00E9\u20AC\U0001F600");
  EXPECT_EQ(ToNarrow(CP_UTF8, wide), utf8);

  EXPECT_EQ(ToWide(CP_UTF8, "a\xC3z"), u"a\uFFFDz");           // truncated sequence
  EXPECT_EQ(ToWide(CP_UTF8, "\xC0\xAF"), u"\uFFFD\uFFFD");     // overlong form
  EXPECT_EQ(ToWide(CP_UTF8, "\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  const char bad[] = "a\xFFz";
  char16_t out[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bad, -1, out, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(ToNarrow(CP_UTF8, u"x\xD800y"), "x\xEF\xBF\xBDy");  // lone surrogate
}

TEST(CodePages, SizeRulesAndBadArguments) {
  // -1 counts the terminating NUL.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
  char16_t wide[4];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 4), 4);
  EXPECT_EQ(wide[3], u'\0');
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  char narrow[4];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"xyz", -1, nullptr, 0, nullptr, nullptr), 4);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"xyz", -1, narrow, 2, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 0, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, 3, wide, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(12345, 0, "abc", 3, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "abc", 3, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  BOOL used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 4, nullptr, &used), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
