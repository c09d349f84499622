// The report-language files as text: the item tree, item texts and names.
#include "language_tree.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using replang::ParseLanguageTree;
using replang::TreeEntry;

std::vector<int> Parents(const std::vector<TreeEntry>& entries) {
  std::vector<int> parents;
  for (const TreeEntry& entry : entries) parents.push_back(entry.parent);
  return parents;
}

TEST(LanguageTree, DepthsHangItemsUnderTheRightGroupsAndNeverClimbAboveTheRoot) {
  const std::vector<TreeEntry> entries = ParseLanguageTree(
      ":{Page}\n"
      "::{Title} <TITLE>\n"
      "::{Columns}\n"              // a group under the depth-1 item before it
      ":::{Event column} <EVENT>\n"
      "::::::{Deep} <DEEP>\n"      // deeper by several levels: under the last item
      "::{Table} <TABLE>\n"        // four levels up from Event column: the root, no further
      "not an item {x} <X>\n"      // no leading ':'
      "::no label <Y>\n"           // no braces
      ":::::{Far up}\n"            // deeper than TABLE: under it
      "::{Back} <BACK>\r\n"        // three levels up from Table: the root again
      ":{Last} <LAST>");           // no line end: ignored
  ASSERT_EQ(entries.size(), 8u);
  EXPECT_EQ(entries[0].label, "Page");
  EXPECT_EQ(entries[0].tag, "");
  EXPECT_EQ(entries[1].tag, "<TITLE>");
  EXPECT_EQ(entries[2].label, "Columns");
  EXPECT_EQ(entries[7].label, "Back");
  EXPECT_EQ(entries[7].tag, "<BACK>");
  EXPECT_EQ(Parents(entries), (std::vector<int>{-1, 0, 0, 2, 3, -1, 5, -1}));
}

TEST(LanguageTree, AFirstLineDeeperThanOneStartsAtTheRoot) {
  const std::vector<TreeEntry> entries = ParseLanguageTree("::{A} <A>\n:::{B} <B>\n:{C}\n");
  EXPECT_EQ(Parents(entries), (std::vector<int>{-1, 0, -1}));
}

TEST(ItemTexts, AnItemIsTheBracedTextAfterItsTag) {
  const std::string language = "<A> {Alpha}\n<B> no text here\n<C> {x} <D> {Delta}\n<E> x} {y}\n";
  std::string text;
  EXPECT_TRUE(replang::ItemText(language, "<A>", &text));
  EXPECT_EQ(text, "Alpha");
  EXPECT_TRUE(replang::ItemText(language, "<D>", &text));
  EXPECT_EQ(text, "Delta");
  EXPECT_TRUE(replang::ItemText(language, "<B>", &text));  // braces of the next item, before its '}'
  EXPECT_EQ(text, "x");
  EXPECT_FALSE(replang::ItemText(language, "<E>", &text));  // '}' before any '{'
  EXPECT_FALSE(replang::ItemText(language, "<F>", &text));
  EXPECT_FALSE(replang::ItemText(language, "", &text));
}

TEST(ItemTexts, SettingATextReplacesEveryCopyOfItsSpanAndRefusesBraces) {
  std::string language = "<A> {Same}\n<B> {Other}\n<A> {Same}\n<A> {Different}\n";
  EXPECT_TRUE(replang::SetItemText(&language, "<A>", "New"));
  EXPECT_EQ(language, "<A> {New}\n<B> {Other}\n<A> {New}\n<A> {Different}\n");
  const std::string before = language;
  EXPECT_FALSE(replang::SetItemText(&language, "<A>", "a}b"));
  EXPECT_FALSE(replang::SetItemText(&language, "<A>", "{"));
  EXPECT_FALSE(replang::SetItemText(&language, "<Z>", "x"));
  EXPECT_EQ(language, before);
  EXPECT_TRUE(replang::SetItemText(&language, "<B>", ""));
  EXPECT_TRUE(replang::SetItemText(&language, "<B>", std::string(10000, 'w')));  // no length limit
  std::string text;
  ASSERT_TRUE(replang::ItemText(language, "<B>", &text));
  EXPECT_EQ(text.size(), 10000u);
}

TEST(ItemTexts, ReplacingFindsWithOrWithoutCase) {
  std::string text = "Time and TIME and time";
  EXPECT_EQ(replang::ReplaceEvery(&text, "time", "hour", true), 1);
  EXPECT_EQ(text, "Time and TIME and hour");
  EXPECT_EQ(replang::ReplaceEvery(&text, "TiMe", "day", false), 2);
  EXPECT_EQ(text, "day and day and hour");
  EXPECT_EQ(replang::ReplaceEvery(&text, "", "x", false), 0);
  EXPECT_EQ(replang::ReplaceEvery(&text, "a", "aa", true), 4);  // the replacement is not searched again
  EXPECT_EQ(text, "daay aand daay aand hour");
  EXPECT_TRUE(replang::ContainsText("Date and Time", "time", false));
  EXPECT_FALSE(replang::ContainsText("Date and Time", "time", true));
}

TEST(LanguageNames, OnlyPlainFileNamesAreLanguages) {
  EXPECT_TRUE(replang::IsPlainLanguageName("GERMAN"));
  EXPECT_TRUE(replang::IsPlainLanguageName("Brazilian Portuguese"));
  EXPECT_TRUE(replang::IsPlainLanguageName(std::string(63, 'A')));
  for (const std::string& bad : std::vector<std::string>{"", " GERMAN", "GERMAN ", "..", "..\\x", "a/b", "a\\b", "C:x", "*", "a?", "a.b",
                                "a\tb", "a{b", std::string(64, 'A')}) {
    EXPECT_FALSE(replang::IsPlainLanguageName(bad)) << bad;
  }
  EXPECT_EQ(replang::LanguageOfFile("english.rpl"), "english");
  EXPECT_EQ(replang::LanguageOfFile("A.B.RPL"), "A.B");
  EXPECT_EQ(replang::LanguageOfFile("ENGLISH.ORG"), "");
  EXPECT_EQ(replang::LanguageOfFile(".RPL"), "");
}

TEST(LanguageNames, TheOriginalSwapsOnlyTheFinalExtension) {
  EXPECT_EQ(replang::OriginalPathOf("C:\\site.RPL\\Template\\ENGLISH.RPL"), "C:\\site.RPL\\Template\\ENGLISH.ORG");
  EXPECT_EQ(replang::OriginalPathOf("x\\german.rpl"), "x\\german.ORG");
  EXPECT_EQ(replang::OriginalPathOf("x\\ENGLISH.RPL.bak"), "");
}

std::string Shipped(const std::string& name) {
  std::ifstream in(std::string(QV_SOURCE_DIR) + "/outside/qv_report/data/qvm_alrt/TEMPLATE/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ShippedLanguage, EveryItemOfTheTreeHasItsTextAndTheOriginalMatches) {
  const std::vector<TreeEntry> entries = ParseLanguageTree(Shipped("LANG.TRE"));
  const std::string english = Shipped("ENGLISH.RPL");
  ASSERT_GT(entries.size(), 10u);
  EXPECT_EQ(english, Shipped("ENGLISH.ORG"));
  int items = 0;
  for (const TreeEntry& entry : entries) {
    if (entry.tag.empty()) continue;
    ++items;
    std::string text;
    EXPECT_TRUE(replang::ItemText(english, entry.tag, &text)) << entry.tag;
    EXPECT_FALSE(text.empty()) << entry.tag;
  }
  EXPECT_GT(items, 10);
}

}  // namespace
