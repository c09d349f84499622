#include <gtest/gtest.h>

#include <qvplatform/ui_driver.h>

#include <cstring>
#include <string>
#include <vector>

#include "qv_ui.h"
#include "shell_test_dir.h"

namespace {

TEST(FilePrompt, OpenPromptTakesTitleFilterFolderAndName) {
  ProgramDirectoryForTest dir;
  dir.Write("report.htm", "<html></html>");
  const std::string folder = ProgramDirectoryForTest::Windows(dir.path().string());
  qvp::PromptScript script;
  script.Expect(qvp::OpenFileAnswer("report.htm"));
  char path[MAX_PATH] = "untouched";
  ASSERT_TRUE(QVUI_GetFilename(nullptr, nullptr, path, folder.c_str(), "REPORT.HTM", "Open Report",
                               "Reports|*.htm;*.html|All Files|*.*|", QVUI_FILE_MUST_EXIST));
  EXPECT_EQ(std::string(path), folder + "\\report.htm");
  const auto records = script.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].kind, qvp::PromptKind::kOpenFile);
  EXPECT_EQ(records[0].caption, "Open Report");
  ASSERT_EQ(records[0].filters.size(), 2u);
  EXPECT_EQ(records[0].filters[0], "Reports|*.htm;*.html");
  EXPECT_NE(records[0].flags & OFN_FILEMUSTEXIST, 0u);
}

// One string block (ids 9088-9103) for the test program: 9101 the title, 9102 the filter.
std::vector<unsigned char> StringBlock() {
  std::vector<unsigned char> block;
  for (int i = 0; i < 16; ++i) {
    const std::string text = i == 13 ? "Save Report As" : i == 14 ? "HTML files (*.HTM)|*.htm|" : "";
    block.push_back(static_cast<unsigned char>(text.size()));
    block.push_back(0);
    block.insert(block.end(), text.begin(), text.end());
  }
  return block;
}

TEST(FilePrompt, TextsMayBeStringIdsAndWithoutTheFlagItIsASavePrompt) {
  static const std::vector<unsigned char> block = StringBlock();
  static const QvResourceEntry entry{nullptr, nullptr, block.data(), static_cast<uint32_t>(block.size()), 6,
                                     9101 / 16 + 1, 1033, 0};
  static const QvResourceDirectory table{QV_RESOURCE_TABLE_MAGIC, QV_RESOURCE_TABLE_VERSION, 1, 0, &entry};
  qvp::RegisterResourceTableForTests(nullptr, &table);

  ProgramDirectoryForTest dir;
  const std::string folder = ProgramDirectoryForTest::Windows(dir.path().string());
  qvp::PromptScript script;
  script.Expect(qvp::SaveFileAnswer("new.htm"));
  char path[MAX_PATH] = {};
  const BOOL chosen = QVUI_GetFilename(nullptr, nullptr, path, folder.c_str(), nullptr, MAKEINTRESOURCEA(9101),
                                       MAKEINTRESOURCEA(9102), 0);
  qvp::RegisterResourceTableForTests(nullptr, nullptr);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(std::string(path), folder + "\\new.htm");
  const auto records = script.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].kind, qvp::PromptKind::kSaveFile);
  EXPECT_EQ(records[0].caption, "Save Report As");
  ASSERT_EQ(records[0].filters.size(), 1u);
  EXPECT_EQ(records[0].filters[0], "HTML files (*.HTM)|*.htm");
}

TEST(FilePrompt, CancelLeavesThePathAlone) {
  qvp::PromptScript script;
  qvp::ExpectedPrompt cancel;
  cancel.kind = qvp::PromptKind::kOpenFile;
  cancel.answer.result = FALSE;
  script.Expect(cancel);
  char path[MAX_PATH] = "C:\\before.htm";
  EXPECT_FALSE(QVUI_GetFilename(nullptr, nullptr, path, nullptr, nullptr, nullptr, nullptr, QVUI_FILE_MUST_EXIST));
  EXPECT_STREQ(path, "C:\\before.htm");
  EXPECT_FALSE(QVUI_GetFilename(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0));
}

}  // namespace
