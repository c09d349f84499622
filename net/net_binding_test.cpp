// The network library binding, with the FTP library present, absent, or
// lacking an entry point (copies in the current directory).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "net_binding.h"
#include "server_globals.h"
#include "test_dir.h"

namespace fs = std::filesystem;

namespace {

class Binding : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    old_ = cwd;
    ASSERT_EQ(chdir(dir_.path().c_str()), 0);
  }
  void TearDown() override {
    UnloadNetworkLibraries();
    ASSERT_EQ(chdir(old_.c_str()), 0);
  }
  void Install(const char* built) {
    fs::copy_file(built, dir_.path() / "FTP4W32.DLL", fs::copy_options::overwrite_existing);
  }

  TestDir dir_;
  std::string old_;
};

TEST_F(Binding, WithoutTheFtpLibraryNothingStaysLoaded) {
  EXPECT_EQ(LoadNetworkBinding(), 0);
  EXPECT_EQ(g_net.socketLibrary, nullptr);
  EXPECT_EQ(g_net.ftpLibrary, nullptr);
  EXPECT_EQ(g_net.started, 0);
}

TEST_F(Binding, AnFtpLibraryLackingOneEntryPointIsRefused) {
  Install(QV_TEST_FTP_LACKING_CWD);
  EXPECT_EQ(LoadNetworkBinding(), 0);
  EXPECT_EQ(g_net.ftpLibrary, nullptr);
  EXPECT_EQ(g_net.socketLibrary, nullptr);
}

TEST_F(Binding, AllFortyEntryPointsAreBoundAndStarted) {
  Install(QV_TEST_FTP_LIBRARY);
  ASSERT_EQ(LoadNetworkBinding(), 1);
  EXPECT_EQ(g_net.started, 1);
  EXPECT_NE(g_net.accept, nullptr);
  EXPECT_NE(g_net.FtpCWD, nullptr);
  EXPECT_EQ(g_net.htons(0x1234), 0x3412);
  EXPECT_EQ(g_net.startData.wVersion, 0x0101);
  ASSERT_EQ(LoadNetworkBinding(), 1);  // again: the same table
  UnloadNetworkLibraries();
  EXPECT_EQ(g_net.started, 0);
  EXPECT_EQ(g_net.socketLibrary, nullptr);
}

TEST_F(Binding, TheHolderTriesOnlyOnce) {
  ServerGlobals holder;
  holder.EnsureLibraries();
  EXPECT_FALSE(holder.LibrariesBound());
  Install(QV_TEST_FTP_LIBRARY);
  holder.EnsureLibraries();
  EXPECT_FALSE(holder.LibrariesBound());
  EXPECT_EQ(holder.librariesLoaded, 1);
}

TEST(FtpErrors, CodesMapToTheirStrings) {
  EXPECT_EQ(FtpErrorStringId(1), 5540u);
  EXPECT_EQ(FtpErrorStringId(-1), 5542u);
  EXPECT_EQ(FtpErrorStringId(1009), 5552u);
  EXPECT_EQ(FtpErrorStringId(2007), 5563u);
  EXPECT_EQ(FtpErrorStringId(3002), 5565u);
  EXPECT_EQ(FtpErrorStringId(5005), 5569u);
  EXPECT_EQ(FtpErrorStringId(4000), 0u);
  char text[50] = "x";
  FtpErrorText(4000, text, sizeof text);
  EXPECT_STREQ(text, "");
}

}  // namespace
