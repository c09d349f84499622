#include "html_text.h"

#include <gtest/gtest.h>

#include "language_items.h"

namespace {

TEST(HtmlText, AnsiTextBecomesUtf8AndInsertedValuesAreEscaped) {
  std::string out;
  qvr::AppendEscaped(out, "<script>&\"'\x80\xe9\x81\x01\x7f\tok");
  EXPECT_EQ(out, "&lt;script&gt;&amp;&quot;&#39;\xe2\x82\xac\xc3\xa9\tok");
  out.clear();
  qvr::AppendUtf8(out, "<b>\x93q\x94\r\n");
  EXPECT_EQ(out, "<b>\xe2\x80\x9cq\xe2\x80\x9d\r\n");
}

TEST(HtmlText, ClassNamesKeepOnlyNameCharacters) {
  EXPECT_EQ(qvr::ClassName("Var_Alert_Status"), "Var_Alert_Status");
  EXPECT_EQ(qvr::ClassName("a\"b c<d"), "abcd");
  EXPECT_EQ(qvr::ClassName("9lives"), "v9lives");
  EXPECT_EQ(qvr::ClassName(""), "v");
}

TEST(LanguageItems, AnItemIsTheBracedTextAfterItsTag) {
  const std::string language = "; texts\r\n<TITLE> {Alert Report}\r\n<NEXT>\r\n{Next}\r\n<EMPTY> {} <BROKEN> no braces }";
  std::string text;
  ASSERT_TRUE(qvr::FindItemText(language, "<TITLE>", &text));
  EXPECT_EQ(text, "Alert Report");
  ASSERT_TRUE(qvr::FindItemText(language, "<NEXT>", &text));
  EXPECT_EQ(text, "Next");
  ASSERT_TRUE(qvr::FindItemText(language, "<EMPTY>", &text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(qvr::FindItemText(language, "<BROKEN>", &text));
  EXPECT_FALSE(qvr::FindItemText(language, "<MISSING>", &text));
}

}  // namespace
