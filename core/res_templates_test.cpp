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
  void SetUp() override { g_app.resourceModule = g_app.productModule = GetModuleHandleA(nullptr); }
  void TearDown() override {
    FreeResourceCache();
    g_app.resourceModule = g_app.productModule = nullptr;
  }
};

TEST_F(ResTemplatesTest, TemplatesAreSharedAndCopiesAreTheCallersOwn) {
  LPCDLGTEMPLATEA shared = LoadDialogTemplate(200);
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(LoadDialogTemplate(200), shared);
  qvp::DialogTemplateReader reader;
  ASSERT_TRUE(reader.OpenUnsized(shared));
  int size = 0;
  void* copy = CopyDialogTemplate(200, &size);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, shared);
  EXPECT_EQ(static_cast<size_t>(size), reader.size());
  EXPECT_EQ(std::memcmp(copy, shared, static_cast<size_t>(size)), 0);
  std::free(copy);

  qvp::MenuTemplateReader menu;
  ASSERT_TRUE(menu.OpenUnsized(LoadProductMenuTemplate(400)));
  EXPECT_EQ(menu.item(0).text, "&Profile");
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
  ASSERT_EQ(firstSize, static_cast<int>(expected.size()));
  EXPECT_EQ(secondSize, firstSize);
  EXPECT_EQ(std::string(first, expected.size() + 1), expected + '\0');
  EXPECT_EQ(std::string(second, expected.size() + 1), expected + '\0');
  std::free(first);
  std::free(second);
}

}  // namespace
