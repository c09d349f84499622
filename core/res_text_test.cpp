#include "res_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "test_strings.h"

namespace {

TEST(LoadResText, LoadsByTheLowSixteenBitsOfTheId) {
  TestStrings strings({{5739, "The log file is damaged."}, {10032, "Cannot open %s."}});
  char buffer[64];
  EXPECT_EQ(LoadResText(5739, buffer, sizeof buffer), buffer);
  EXPECT_STREQ(buffer, "The log file is damaged.");
  EXPECT_STREQ(LoadResText(0x10000u + 5739, buffer, sizeof buffer), "The log file is damaged.");
}

TEST(LoadResText, MissingStringGivesAnEmptyText) {
  TestStrings strings({{5739, "present"}});
  char buffer[16] = "old";
  const char* text = LoadResText(4242, buffer, sizeof buffer);
  EXPECT_STREQ(text, "");
  EXPECT_STREQ(buffer, "");
  EXPECT_STREQ(LoadResText(4242, 2), "");
  EXPECT_STREQ(LoadResText(5739, nullptr, 10), "");
  EXPECT_STREQ(LoadResText(5739, buffer, 0), "");
}

TEST(LoadResText, TextIsCutToTheCallersBufferAndTo255Characters) {
  const std::string longText(300, 'w');
  TestStrings strings({{100, "abcdefghij"}, {101, longText}});
  char small[5];
  std::memset(small, 'x', sizeof small);
  EXPECT_STREQ(LoadResText(100, small, sizeof small), "abcd");
  char large[400];
  EXPECT_EQ(std::string(LoadResText(101, large, sizeof large)), std::string(255, 'w'));
}

TEST(LoadResText, SlotsAreSeparateBuffersReusedPerSlot) {
  TestStrings strings({{1, "one"}, {2, "two"}, {3, "three"}});
  const char* first = LoadResText(1, 0);
  const char* second = LoadResText(2, 4);
  EXPECT_STREQ(first, "one");
  EXPECT_STREQ(second, "two");
  EXPECT_EQ(LoadResText(3, 0), first);  // same slot, same buffer, new text
  EXPECT_STREQ(first, "three");
  EXPECT_STREQ(second, "two");
  EXPECT_STREQ(LoadResText(1, 5), "");
  EXPECT_STREQ(LoadResText(1, -1), "");
}

class ResMessageTest : public ::testing::Test {
 protected:
  void SetUp() override { qvp::TakeUnexpectedPrompts(); }
  void TearDown() override { EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty()); }
};

TEST_F(ResMessageTest, MessageCarriesTheProgramCaptionAndNamesTheFile) {
  TestStrings strings({{10032, "Cannot open %s (100%%)."}, {10018, "Out of memory."}});
  qvp::PromptScript script;
  script.ExpectMessageBox("Cannot open", IDOK);
  script.ExpectMessageBox("Out of memory", IDOK);
  ShowResMessage(nullptr, 10032, MB_ICONWARNING, "C:\\data\\%s.log");
  ShowResMessage(nullptr, 10018, MB_ICONERROR);
  const auto records = script.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].caption, "Quorvane");
  EXPECT_EQ(records[0].text, "Cannot open C:\\data\\%s.log (100%).");
  EXPECT_EQ(records[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_EQ(records[1].text, "Out of memory.");
  EXPECT_EQ(records[1].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

}  // namespace
