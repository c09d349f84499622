#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "qv_ui.h"

namespace {

std::string Full(const CString& s) {
  std::string out;
  for (int i = 0; i < s.GetLength(); ++i) out.push_back(s.GetAt(i));
  return out;
}

__attribute__((format(printf, 2, 3))) bool FormatWith(CString& s, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const bool done = s.FormatV(format, arguments);
  va_end(arguments);
  return done;
}

TEST(CStringTest, CopiesAreIndependentAndSelfUseIsSafe) {
  CString a("alpha");
  CString b = a;
  b.SetAt(0, 'A');
  EXPECT_STREQ(a, "alpha");
  EXPECT_STREQ(b, "Alpha");

  CString& same = a;
  a = same;
  EXPECT_STREQ(a, "alpha");
  a += a;
  EXPECT_STREQ(a, "alphaalpha");
  a = static_cast<const char*>(a) + 5;  // a tail of its own text
  EXPECT_STREQ(a, "alpha");
  a = nullptr;
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_STREQ(a, "");

  EXPECT_EQ(CString('x', 3), "xxx");
  EXPECT_TRUE(CString('x', -2).IsEmpty());
  EXPECT_TRUE(CString("abc", -1).IsEmpty());
}

TEST(CStringTest, ZeroBytesAreKeptWhereTheLengthCounts) {
  CString s("a\0b\0c", 5);
  EXPECT_EQ(s.GetLength(), 5);
  EXPECT_STREQ(s, "a");
  EXPECT_EQ(s.Find('c'), 4);
  EXPECT_EQ(s.Find("b"), 2);
  EXPECT_EQ(Full(s.Right(3)), std::string("b\0c", 3));
  EXPECT_EQ(s.Replace("b", "BB"), 1);
  EXPECT_EQ(Full(s), std::string("a\0BB\0c", 6));
  EXPECT_EQ(Full(s.MakeUpper()), std::string("A\0BB\0C", 6));
  EXPECT_NE(s, CString("A\0BB\0D", 6));  // differs only after a zero
  EXPECT_EQ(s, CString("A\0BB\0C", 6));
  s += CString("\0z", 2);
  EXPECT_EQ(s.GetLength(), 8);
  EXPECT_EQ(s.ReverseFind('z'), 7);
}

TEST(CStringTest, IndicesOutOfRangeAreClamped) {
  const CString s("hello");
  EXPECT_EQ(s.Left(-1), "");
  EXPECT_EQ(s.Left(99), "hello");
  EXPECT_EQ(s.Right(-5), "");
  EXPECT_EQ(s.Right(99), "hello");
  EXPECT_EQ(s.Mid(-3), "hello");
  EXPECT_EQ(s.Mid(99), "");
  EXPECT_EQ(s.Mid(3, 2147483647), "lo");  // first + count overflows an int
  EXPECT_EQ(s.Mid(2147483647, 2147483647), "");
  EXPECT_EQ(s.Mid(2, -1), "");
  EXPECT_EQ(s.GetAt(5), '\0');
  CString t = s;
  t.SetAt(-1, '!');
  EXPECT_EQ(t, "hello");

  const CString empty;
  EXPECT_EQ(empty.Left(3), "");
  EXPECT_EQ(empty.Right(3), "");
  EXPECT_EQ(empty.ReverseFind('a'), -1);
}

TEST(CStringTest, FindFromAnIndex) {
  const CString s("abcabc");
  EXPECT_EQ(s.Find('b', 2), 4);
  EXPECT_EQ(s.Find('b', 100), -1);
  EXPECT_EQ(s.Find('b', -7), 1);
  EXPECT_EQ(s.Find("bc", 2), 4);
  EXPECT_EQ(s.Find("abcabcd"), -1);
  EXPECT_EQ(s.Find(""), -1);
  EXPECT_EQ(s.Find(nullptr), -1);
  EXPECT_EQ(s.ReverseFind('a'), 3);
  EXPECT_EQ(s.FindOneOf("xc"), 2);
  EXPECT_EQ(s.FindOneOf(""), -1);
}

TEST(CStringTest, ReplaceCountsAndNeverRescansTheInsertedText) {
  CString s("a.b.c");
  EXPECT_EQ(s.Replace(".", ".."), 2);  // longer text containing the old one
  EXPECT_EQ(s, "a..b..c");
  EXPECT_EQ(s.Replace("..", ""), 2);  // removal
  EXPECT_EQ(s, "abc");
  EXPECT_EQ(s.Replace("", "x"), 0);
  EXPECT_EQ(s.Replace(nullptr, "x"), 0);
  EXPECT_EQ(s.Replace("b", nullptr), 1);
  EXPECT_EQ(s, "ac");

  CString runs("aaaa");
  EXPECT_EQ(runs.Replace("aa", "b"), 2);  // no overlapping matches
  EXPECT_EQ(runs, "bb");
  EXPECT_EQ(runs.Replace('b', 'c'), 2);
  EXPECT_EQ(runs, "cc");

  CString self("xyx");
  EXPECT_EQ(self.Replace(self.Left(1), self), 2);  // both texts come from the string itself
  EXPECT_EQ(self, "xyxyxyx");
}

TEST(CStringTest, FormatOfAnyLength) {
  CString s;
  EXPECT_TRUE(s.Format("%d-%s", 42, "x"));
  EXPECT_EQ(s, "42-x");
  const std::string big(100000, 'q');
  EXPECT_TRUE(s.Format("<%s>", big.c_str()));
  EXPECT_EQ(s.GetLength(), 100002);
  EXPECT_EQ(Full(s), "<" + big + ">");
  EXPECT_TRUE(s.Format("[%s]", static_cast<const char*>(s)));  // its own text as an argument
  EXPECT_EQ(s.GetLength(), 100004);
  EXPECT_EQ(s.Left(2), "[<");
  s = "kept";
  EXPECT_FALSE(FormatWith(s, nullptr));
  EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringTest, CaseAndComparisons) {
  CString s("Mixed Case \xe9");
  EXPECT_EQ(CString(s).MakeUpper(), "MIXED CASE \xc9");  // Windows Latin-1 letters too
  EXPECT_EQ(CString(s).MakeLower(), "mixed case \xe9");
  EXPECT_EQ(s.CompareNoCase("MIXED case \xc9"), 0);
  EXPECT_EQ(CString().CompareNoCase(nullptr), 0);

  EXPECT_LT(CString("ab"), "abc");
  EXPECT_GT(CString("\xe9"), "z");  // bytes order as unsigned
  EXPECT_TRUE("abc" == CString("abc"));
  EXPECT_TRUE(CString("abc") != "ABC");
  EXPECT_EQ(CString().Compare(nullptr), 0);
  EXPECT_EQ(CString("a") + "b" + 'c' + CString("d"), "abcd");
}

}  // namespace
