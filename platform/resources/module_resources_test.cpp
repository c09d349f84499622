// Resources of real modules: the program's own table and modules loaded with
// LoadLibraryA, found through what each module exports.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "qvplatform.h"

namespace {

namespace fs = std::filesystem;

std::string ModulePath(const char* file) {
  std::string path = (fs::read_symlink("/proc/self/exe").parent_path() / file).string();
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

class ModuleResources : public ::testing::Test {
 protected:
  void SetUp() override { qvp::SetResourceLanguage(1033); }
  void TearDown() override { qvp::SetResourceLanguage(1033); }
};

TEST_F(ModuleResources, TheProgramFindsItsOwnTable) {
  // No table registered: the lookup goes through the program's export.
  EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(200), RT_DIALOG), nullptr);
  HMODULE self = GetModuleHandleA(nullptr);
  ASSERT_NE(self, nullptr);
  HRSRC found = FindResourceExA(self, "TEXT", MAKEINTRESOURCEA(5001), 1033);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(self, found), 12u);
  char buffer[32];
  EXPECT_EQ(LoadStringA(nullptr, 5738, buffer, sizeof buffer), 12);
}

TEST_F(ModuleResources, ALoadedModuleAnswersFromItsOwnTable) {
  HMODULE module = LoadLibraryA(ModulePath("qvres_mod.dll").c_str());
  ASSERT_NE(module, nullptr) << GetLastError();
  char buffer[32];
  EXPECT_EQ(LoadStringA(module, 1, buffer, sizeof buffer), 13);
  EXPECT_STREQ(buffer, "module string");
  EXPECT_NE(FindResourceExA(module, RT_STRING, MAKEINTRESOURCEA(1), 1031), nullptr);
  EXPECT_EQ(FindResourceExA(module, RT_STRING, MAKEINTRESOURCEA(1), 1036), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
  qvp::SetResourceLanguage(1031);
  EXPECT_EQ(LoadStringA(module, 1, buffer, sizeof buffer), 9);
  EXPECT_STREQ(buffer, "Modultext");

  // The program's resources are not the module's, nor the other way round.
  EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(200), RT_DIALOG), nullptr);
  HRSRC text = FindResourceA(module, MAKEINTRESOURCEA(1), "TEXT");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(LoadResource(nullptr, text), nullptr);
  EXPECT_NE(LoadResource(module, text), nullptr);
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(ModuleResources, AModuleWithoutResourcesHasNoneOfItsDependencies) {
  HMODULE bare = LoadLibraryA(ModulePath("qvres_bare.dll").c_str());
  ASSERT_NE(bare, nullptr) << GetLastError();
  ASSERT_NE(GetProcAddress(bare, "QvBareValue"), nullptr);
  SetLastError(0);
  EXPECT_EQ(FindResourceA(bare, MAKEINTRESOURCEA(1), "TEXT"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
  char buffer[8] = "x";
  EXPECT_EQ(LoadStringA(bare, 1, buffer, sizeof buffer), 0);
  EXPECT_TRUE(FreeLibrary(bare));

  // Nor does a handle that is no module at all.
  EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(uintptr_t{0x7777000}), MAKEINTRESOURCEA(1), "TEXT"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
}

}  // namespace
