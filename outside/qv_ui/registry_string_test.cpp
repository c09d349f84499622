#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "qv_ui.h"
#include "qvplatform.h"

namespace {

class RegistryStringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = std::filesystem::temp_directory_path() /
            ("qv_ui_registry_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    qvp::SetRegistryFile(file_.string().c_str());
    ASSERT_TRUE(qvp::PreloadRegistry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n"
        "\"RegisteredOwner\"=sz:\"Grace Hopper\"\n"
        "\"SystemRoot\"=expand_sz:\"%25SystemDrive%25\\Windows\"\n"
        "\"Build\"=dword:00000565\n"
        "\"Empty\"=sz:\"\"\n"));
  }
  void TearDown() override {
    qvp::SetRegistryFile(nullptr);
    std::filesystem::remove(file_);
  }

  std::filesystem::path file_;
};

constexpr char kKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

TEST_F(RegistryStringTest, ReadsStringValues) {
  char out[64] = "junk";
  EXPECT_TRUE(QVUI_FindRegistryStringData(HKEY_LOCAL_MACHINE, kKey, "RegisteredOwner", out,
                                          sizeof out));
  EXPECT_STREQ(out, "Grace Hopper");
  EXPECT_TRUE(QVUI_FindRegistryStringData(HKEY_LOCAL_MACHINE, kKey, "SystemRoot", out,
                                          sizeof out));
  EXPECT_STREQ(out, "%SystemDrive%\\Windows");
  EXPECT_TRUE(QVUI_FindRegistryStringData(HKEY_LOCAL_MACHINE, kKey, "Empty", out, sizeof out));
  EXPECT_STREQ(out, "");
}

TEST_F(RegistryStringTest, LongValueIsCutToTheBuffer) {
  char out[6];
  EXPECT_TRUE(QVUI_FindRegistryStringData(HKEY_LOCAL_MACHINE, kKey, "RegisteredOwner", out,
                                          sizeof out));
  EXPECT_STREQ(out, "Grace");
}

TEST_F(RegistryStringTest, MissingOrNonStringValuesGiveNothing) {
  char out[64] = "junk";
  EXPECT_FALSE(QVUI_FindRegistryStringData(HKEY_LOCAL_MACHINE, kKey, "Build", out, sizeof out));
  EXPECT_STREQ(out, "");
  std::strcpy(out, "junk");
  EXPECT_FALSE(QVUI_FindRegistryStringData(HKEY_LOCAL_MACHINE, kKey, "Nothing", out, sizeof out));
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(QVUI_FindRegistryStringData(HKEY_LOCAL_MACHINE, "SOFTWARE\\NoSuchKey",
                                           "RegisteredOwner", out, sizeof out));
  EXPECT_FALSE(QVUI_FindRegistryStringData(HKEY_LOCAL_MACHINE, kKey, "RegisteredOwner", out, 0));
}

}  // namespace
