#include "resource_cache.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "res_templates.h"

namespace {

// A stand-in module whose "TEXT" resources 1..count read "text <id>", all in 1033.
class TextModule {
 public:
  explicit TextModule(int count) : texts_(static_cast<size_t>(count)) {
    for (int id = 1; id <= count; ++id) {
      std::string& text = texts_[static_cast<size_t>(id - 1)];
      text = "text " + std::to_string(id);
      entries_.push_back({"TEXT", nullptr, reinterpret_cast<const unsigned char*>(text.data()),
                          static_cast<uint32_t>(text.size()), 0, static_cast<uint16_t>(id), 1033, 0});
    }
    directory_ = {QV_RESOURCE_TABLE_MAGIC, QV_RESOURCE_TABLE_VERSION, static_cast<uint32_t>(count), 0,
                  entries_.data()};
    qvp::RegisterResourceTableForTests(module(), &directory_);
  }
  ~TextModule() { qvp::RegisterResourceTableForTests(module(), nullptr); }
  HMODULE module() const { return reinterpret_cast<HMODULE>(const_cast<TextModule*>(this)); }

 private:
  std::vector<std::string> texts_;
  std::vector<QvResourceEntry> entries_;
  QvResourceDirectory directory_{};
};

struct FreeDeleter {
  void operator()(void* block) const { std::free(block); }
};
using Copy = std::unique_ptr<char, FreeDeleter>;

class ResourceCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeResourceCache();
    qvp::TakeUnexpectedPrompts();
  }
  void TearDown() override {
    FreeResourceCache();
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }

  static int Find(const TextModule& module, int id, const void** locked = nullptr, void** copy = nullptr,
                  DWORD* size = nullptr, LANGID language = 1033) {
    return FindCachedResource(module.module(), MAKEINTRESOURCEA(id), kTextResourceType, nullptr, locked, copy,
                              size, language);
  }
};

TEST_F(ResourceCacheTest, AFullCacheStillAnswersWhatItHoldsAndTakesNothingNew) {
  TextModule module(kResourceCacheSize + 1);
  std::vector<const void*> first(kResourceCacheSize + 1);
  for (int id = 1; id <= kResourceCacheSize; ++id) {
    ASSERT_EQ(Find(module, id, &first[static_cast<size_t>(id - 1)]), 1) << id;
  }
  const void* locked = nullptr;
  EXPECT_EQ(Find(module, kResourceCacheSize + 1, &locked), 0);
  EXPECT_EQ(locked, nullptr);
  for (int id : {1, 500, kResourceCacheSize}) {
    DWORD size = 0;
    ASSERT_EQ(Find(module, id, &locked, nullptr, &size), 1) << id;
    EXPECT_EQ(locked, first[static_cast<size_t>(id - 1)]);
    EXPECT_EQ(std::string(static_cast<const char*>(locked), size), "text " + std::to_string(id));
  }
  // Emptied, the cache takes new resources again.
  FreeResourceCache();
  EXPECT_EQ(Find(module, kResourceCacheSize + 1, &locked), 1);
}

TEST_F(ResourceCacheTest, EveryCopyIsTheCallersOwnWithATerminatingZero) {
  TextModule module(3);
  void* raw = nullptr;
  DWORD size = 0;
  ASSERT_EQ(Find(module, 2, nullptr, &raw, &size), 1);
  Copy first(static_cast<char*>(raw));
  ASSERT_EQ(Find(module, 2, nullptr, &raw, nullptr), 1);
  Copy second(static_cast<char*>(raw));
  ASSERT_NE(first.get(), second.get());
  EXPECT_EQ(size, 6u);
  // The byte past the resource is the copy's own zero (ASan checks the block's size).
  EXPECT_EQ(first.get()[size], '\0');
  EXPECT_STREQ(second.get(), "text 2");
  first.get()[0] = 'X';
  EXPECT_STREQ(second.get(), "text 2");
  ASSERT_EQ(Find(module, 2, nullptr, &raw, nullptr), 1);
  Copy third(static_cast<char*>(raw));
  EXPECT_STREQ(third.get(), "text 2");
}

TEST_F(ResourceCacheTest, ALaterCallerGetsACopyWhenTheFirstAskedForNone) {
  TextModule module(2);
  const void* locked = nullptr;
  ASSERT_EQ(Find(module, 1, &locked), 1);
  void* raw = nullptr;
  DWORD size = 0;
  ASSERT_EQ(Find(module, 1, nullptr, &raw, &size), 1);
  Copy copy(static_cast<char*>(raw));
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(static_cast<const void*>(copy.get()), locked);
  EXPECT_EQ(std::string(copy.get(), size + 1), std::string("text 1", 7));
}

TEST_F(ResourceCacheTest, AMissingResourceInALanguageReportsTheSystemError) {
  TextModule module(1);
  qvp::PromptScript script;
  for (int i = 0; i < 2; ++i) {
    qvp::ExpectedPrompt box;
    box.caption = "GetLastError";
    box.answer.result = IDOK;
    script.Expect(box);
  }
  EXPECT_EQ(Find(module, 7), 0);                                // no such id
  EXPECT_EQ(Find(module, 1, nullptr, nullptr, nullptr, 1031), 0);  // not in that language
  EXPECT_EQ(Find(module, 7, nullptr, nullptr, nullptr, 0), 0);     // no language: no message
  const auto records = script.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_FALSE(records[0].text.empty());
  EXPECT_NE(records[0].text, records[1].text);
  // Nothing of the failures was kept.
  EXPECT_EQ(Find(module, 1), 1);
}

}  // namespace
