// The style key names in the resource module are the ones of the key table
// that the readers and writers of Style.ini use.
#include "style_keys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "qvplatform.h"

namespace {

TEST(StyleKeys, TheResourceModuleHoldsTheKeyTablesNames) {
  HMODULE module = LoadLibraryA(QV_DIST_DIR "/BASE.RSL");
  ASSERT_NE(module, nullptr);
  std::set<std::string> names;
  for (const style_keys::StyleKey& key : style_keys::kStyleKeys) {
    char text[256] = "";
    LoadStringA(module, static_cast<UINT>(key.id), text, sizeof text);
    EXPECT_STREQ(text, key.name) << key.id;
    EXPECT_TRUE(names.insert(key.name).second) << key.name << " is used twice";
    EXPECT_STREQ(style_keys::StyleKeyName(key.id), key.name);
  }
  EXPECT_EQ(names.size(), 26u);
  EXPECT_EQ(style_keys::StyleKeyName(21213), nullptr);
  FreeLibrary(module);
}

}  // namespace
