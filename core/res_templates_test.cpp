#include "res_templates.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app_globals.h"
#include "qvplatform/dlgtemplate.h"
#include "resource_cache.h"

namespace {

// The test program's own resources (testdata/core_resources.rc) serve as both
// resource libraries.
class ResTemplatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeResourceCache();
    g_app.resourceModule = GetModuleHandleA(nullptr);
    g_app.productModule = GetModuleHandleA(nullptr);
  }
  void TearDown() override {
    FreeResourceCache();
    g_app.resourceModule = nullptr;
    g_app.productModule = nullptr;
  }
};

TEST_F(ResTemplatesTest, ADialogTemplateIsSharedAndACopyIsTheCallersOwn) {
  LPCDLGTEMPLATEA shared = LoadDialogTemplate(200);
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(LoadDialogTemplate(200), shared);
  qvp::DialogTemplateReader reader;
  ASSERT_TRUE(reader.OpenUnsized(shared));
  EXPECT_EQ(reader.header().caption.text, "Headings");

  int size = 0;
  void* copy = CopyDialogTemplate(200, &size);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, shared);
  EXPECT_EQ(static_cast<size_t>(size), reader.size());
  EXPECT_EQ(std::memcmp(copy, shared, static_cast<size_t>(size)), 0);
  EXPECT_EQ(static_cast<char*>(copy)[size], '\0');
  std::free(copy);
}

TEST_F(ResTemplatesTest, MenusComeFromTheProductLibrary) {
  const void* menu = LoadProductMenuTemplate(400);
  ASSERT_NE(menu, nullptr);
  qvp::MenuTemplateReader reader;
  ASSERT_TRUE(reader.OpenUnsized(menu));
  EXPECT_EQ(reader.item(0).text, "&Profile");

  // The cache keys by module: another library is searched itself.
  g_app.productModule = reinterpret_cast<HINSTANCE>(this);  // a library without resources
  qvp::PromptScript script;
  qvp::ExpectedPrompt box;
  box.caption = "GetLastError";
  box.answer.result = IDOK;
  script.Expect(box);
  EXPECT_EQ(LoadProductMenuTemplate(400), nullptr);
}

TEST_F(ResTemplatesTest, ATextResourceComesBackAsTwoSeparateTerminatedCopies) {
  int firstSize = 0;
  int secondSize = 0;
  char* first = LoadTextResource(500, &firstSize);
  char* second = LoadTextResource(500, &secondSize);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  const std::string expected = "Germany,DE\nUnited States,US\r\n";
  EXPECT_EQ(firstSize, static_cast<int>(expected.size()));
  EXPECT_EQ(secondSize, firstSize);
  EXPECT_EQ(std::string(first, static_cast<size_t>(firstSize) + 1), expected + '\0');
  EXPECT_EQ(std::string(second, static_cast<size_t>(secondSize) + 1), expected + '\0');
  std::free(first);
  std::free(second);
}

}  // namespace
