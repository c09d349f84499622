#include <gtest/gtest.h>

#include <string>

#include "qv_ui.h"
#include "qvplatform.h"

namespace {

TEST(LocalPathsTest, LocalDirectoryEndsInABackslashAndHoldsTheModule) {
  char dir[MAX_PATH];
  ASSERT_TRUE(QVUI_GetLocalDirectory(nullptr, dir, sizeof dir));
  const std::string text = dir;
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\\');
  char program[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, program, sizeof program), 0u);
  EXPECT_EQ(std::string(program).rfind(text, 0), 0u);
  EXPECT_EQ(std::string(program).find('\\', text.size()), std::string::npos);
  EXPECT_NE(GetFileAttributesA(dir), INVALID_FILE_ATTRIBUTES);

  char tiny[4] = "xyz";
  EXPECT_FALSE(QVUI_GetLocalDirectory(nullptr, tiny, sizeof tiny));
  EXPECT_STREQ(tiny, "");
}

TEST(LocalPathsTest, JoinsWithOneBackslash) {
  char out[64];
  ASSERT_TRUE(QVUI_ConstructFullFilename("C:\\dir", "qvm_alrt\\x.ini", out, sizeof out));
  EXPECT_STREQ(out, "C:\\dir\\qvm_alrt\\x.ini");
  ASSERT_TRUE(QVUI_ConstructFullFilename("C:\\dir\\", "x.ini", out, sizeof out));
  EXPECT_STREQ(out, "C:\\dir\\x.ini");
  ASSERT_TRUE(QVUI_ConstructFullFilename("", "x.ini", out, sizeof out));
  EXPECT_STREQ(out, "x.ini");
  // Exactly filling the buffer still fits; one more character does not, and no cut path is left.
  char exact[9];
  EXPECT_TRUE(QVUI_ConstructFullFilename("abc", "defg", exact, sizeof exact));
  EXPECT_STREQ(exact, "abc\\defg");
  EXPECT_FALSE(QVUI_ConstructFullFilename("abc", "defgh", exact, sizeof exact));
  EXPECT_STREQ(exact, "");
}

}  // namespace
