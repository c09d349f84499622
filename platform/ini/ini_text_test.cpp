#include "ini/ini_text.h"

#include <gtest/gtest.h>

namespace {

using qvp::ini::IniText;
using Strings = std::vector<std::string>;

TEST(IniText, KeepsEveryLineAndWritesCrLf) {
  const std::string in = "; top comment\nstray line\n[A]\r\nx=1\n\n  ; inside\nunknown\n[B]\ny = 2";
  IniText text(in);
  EXPECT_EQ(text.Serialize(),
            "; top comment\r\nstray line\r\n[A]\r\nx=1\r\n\r\n  ; inside\r\nunknown\r\n[B]\r\ny = 2\r\n");
  IniText bom("\xEF\xBB\xBF[S]\nk=v\n");
  EXPECT_EQ(bom.Value("s", "K"), "v");
  EXPECT_EQ(bom.Serialize(), "\xEF\xBB\xBF[S]\r\nk=v\r\n");
  EXPECT_EQ(IniText("").Serialize(), "");
}

TEST(IniText, ReadsNamesWithoutRegardToCaseOrBlanks) {
  IniText text("[eMail]\n  Subject =  Quorvane Reports  \n\tFrom\t=\tme@example.org\n[ Spaced Name ]\nk=v\n");
  EXPECT_EQ(text.Value("Email", "subject"), "Quorvane Reports");
  EXPECT_EQ(text.Value("EMAIL", " FROM "), "me@example.org");
  EXPECT_EQ(text.Value("spaced name", "K"), "v");
  EXPECT_EQ(text.Value("eMail", "Missing"), std::nullopt);
  EXPECT_EQ(text.Value("Missing", "Subject"), std::nullopt);
}

TEST(IniText, ValueRules) {
  IniText text(
      "orphan=before any section\n"
      "[S]\n"
      ";commented=1\n"
      "dq=\"quoted value\"\n"
      "sq='single'\n"
      "half=\"open\n"
      "mixed=\"a'\n"
      "inner=a \"b\" c\n"
      "eq=b=c\n"
      "empty=\n"
      "dup=first\n"
      "dup=second\n"
      "noequals\n"
      "[S]\n"
      "later=in a second S\n");
  EXPECT_EQ(text.Value("S", "dq"), "quoted value");
  EXPECT_EQ(text.Value("S", "sq"), "single");
  EXPECT_EQ(text.Value("S", "half"), "\"open");
  EXPECT_EQ(text.Value("S", "mixed"), "\"a'");
  EXPECT_EQ(text.Value("S", "inner"), "a \"b\" c");
  EXPECT_EQ(text.Value("S", "eq"), "b=c");
  EXPECT_EQ(text.Value("S", "empty"), "");
  EXPECT_EQ(text.Value("S", "dup"), "first");
  EXPECT_EQ(text.Value("S", ";commented"), std::nullopt);
  EXPECT_EQ(text.Value("S", "noequals"), std::nullopt);
  EXPECT_EQ(text.Value("S", "later"), std::nullopt);  // the first [S] counts
  EXPECT_EQ(text.Value("", "orphan"), std::nullopt);
}

TEST(IniText, ListsSectionsKeysAndLines) {
  IniText text("[One]\na=1\nB = 2\nA=3\nbare\n; c\n[two]\n[ONE]\nz=9\n[Three]\n");
  EXPECT_EQ(text.SectionNames(), (Strings{"One", "two", "Three"}));
  EXPECT_EQ(text.KeyNames("one"), (Strings{"a", "B"}));
  EXPECT_EQ(text.KeyNames("TWO"), Strings{});
  EXPECT_EQ(text.KeyNames("none"), Strings{});
  EXPECT_EQ(text.SectionLines("One"), (Strings{"a=1", "B=2", "A=3", "bare"}));
}

TEST(IniText, NewKeysGoAfterTheLastEntryNewSectionsAtTheEnd) {
  IniText text("[A]\nx=1\n\n; Settings of B\n[B]\ny=2\n");
  EXPECT_TRUE(text.SetValue("a", "New", "n"));
  EXPECT_TRUE(text.SetValue("C", "z", "3"));
  EXPECT_EQ(text.Serialize(),
            "[A]\r\nx=1\r\nNew=n\r\n\r\n; Settings of B\r\n[B]\r\ny=2\r\n\r\n[C]\r\nz=3\r\n");
  IniText empty_section("[A]\n; only a comment\n");
  EXPECT_TRUE(empty_section.SetValue("A", "k", "v"));
  EXPECT_EQ(empty_section.Serialize(), "[A]\r\nk=v\r\n; only a comment\r\n");
  IniText fresh("");
  EXPECT_TRUE(fresh.SetValue(" Main ", " Author ", "Ann"));
  EXPECT_EQ(fresh.Serialize(), "[Main]\r\nAuthor=Ann\r\n");
}

TEST(IniText, ChangingAKeyKeepsItsSpellingAndPlace) {
  IniText text("[Defaults]\n  CPUUsage = 50\nOther=1\n");
  EXPECT_TRUE(text.SetValue("DEFAULTS", "cpuusage", "75"));
  EXPECT_EQ(text.Serialize(), "[Defaults]\r\nCPUUsage=75\r\nOther=1\r\n");
  EXPECT_FALSE(text.SetValue("defaults", "CPUUSAGE", "75"));  // nothing to change
}

TEST(IniText, Deletions) {
  IniText text("[A]\nx=1\nX=2\ny=3\n\n; about B\n[B]\nz=1\n[a]\nw=4\n");
  EXPECT_TRUE(text.DeleteKey("A", "x"));
  EXPECT_FALSE(text.DeleteKey("A", "x"));
  EXPECT_FALSE(text.DeleteKey("Missing", "x"));
  EXPECT_EQ(text.Value("a", "y"), "3");
  EXPECT_TRUE(text.DeleteSection("A"));  // both [A] and [a]
  EXPECT_FALSE(text.DeleteSection("A"));
  EXPECT_EQ(text.Serialize(), "\r\n; about B\r\n[B]\r\nz=1\r\n");
}

TEST(IniText, ReplaceSection) {
  IniText text("[A]\nold=1\n; gone with it\nold2=2\n\n[B]\nk=v\n");
  EXPECT_TRUE(text.ReplaceSection("a", {"n1=1", "n2=2"}));
  EXPECT_EQ(text.Serialize(), "[A]\r\nn1=1\r\nn2=2\r\n\r\n[B]\r\nk=v\r\n");
  EXPECT_FALSE(text.ReplaceSection("A", {"n1=1", "n2=2"}));
  EXPECT_TRUE(text.ReplaceSection("C", {"c=3"}));
  EXPECT_EQ(text.Value("C", "c"), "3");
}

}  // namespace
