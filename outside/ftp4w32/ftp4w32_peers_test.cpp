// The FTP client against Debian's pyftpdlib: log-in, folders, listings and
// transfers that keep every byte.
#include <filesystem>
#include <random>

#include "ftp4w32_test_support.h"
#include "ftp_test_server.h"
#include "loopback_peers.h"
#include "test_files.h"

namespace {

class FtpAgainstPyftpdlib : public FtpLibrary {
 protected:
  void SetUp() override {
    FtpLibrary::SetUp();
    QVTEST_REQUIRE_PACKAGE(!qvtest::PythonWith("pyftpdlib").empty(), "python3-pyftpdlib");
    std::filesystem::create_directories(root_.path() / "sub");
    std::filesystem::create_directories(root_.path() / "empty");
    root_.write("sub/a.log", "first line\r\nsecond\n");
    root_.write("sub/b.log.gz", std::string("\x1f\x8b\x08\0", 4));
    server_ = std::make_unique<ftptest::PyFtpServer>(root_.dir(), "alice", "s3cret pass");
    ASSERT_TRUE(server_->running());
  }
  void TearDown() override {
    FtpLibrary::TearDown();
    server_.reset();
  }

  qvtest::TempDir root_{"ftp4w_root"};
  qvtest::TempDir local_{"ftp4w_local"};
  std::unique_ptr<ftptest::PyFtpServer> server_;
};

std::string AwkwardBytes(size_t size) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += "\r\n\n\r\r\n\x1a";
  std::mt19937 random(7);
  while (bytes.size() < size) bytes += static_cast<char>(random() & 0xff);
  return bytes;
}

TEST_F(FtpAgainstPyftpdlib, WrongPasswordIsRefusedAndRightOneLogsIn) {
  EXPECT_EQ(f_.Login(server_->host().c_str(), "alice", "wrong", nullptr, 0), FTP4W_LOGINREFUSED);
  ASSERT_EQ(f_.Login(server_->host().c_str(), "alice", "s3cret pass", nullptr, 0), 0);
  EXPECT_EQ(f_.CloseConnection(), 0);
}

TEST_F(FtpAgainstPyftpdlib, DefaultPortServesAHostWithoutPort) {
  ASSERT_EQ(f_.SetDefaultPort(server_->port()), 0);
  ASSERT_EQ(f_.Login("127.0.0.1", "alice", "s3cret pass", nullptr, 0), 0);
  EXPECT_EQ(f_.CloseConnection(), 0);
}

TEST_F(FtpAgainstPyftpdlib, FoldersAndListings) {
  ASSERT_EQ(f_.Login(server_->host().c_str(), "alice", "s3cret pass", nullptr, 0), 0);
  char folder[260];
  ASSERT_EQ(f_.PWD(folder, sizeof folder), 0);
  EXPECT_STREQ(folder, "/");
  EXPECT_EQ(f_.CWD("sub"), 0);
  ASSERT_EQ(f_.PWD(folder, sizeof folder), 0);
  EXPECT_STREQ(folder, "/sub");
  char tiny[4];
  EXPECT_EQ(f_.PWD(tiny, sizeof tiny), FTP4W_INVALIDPARAMETER);  // refused, never cut
  EXPECT_EQ(f_.CWD("/nowhere"), FTP4W_SERVERCANTEXECUTE);

  const std::string shortList = local_.file("short.txt");
  ASSERT_EQ(f_.Dir("/sub", shortList.c_str(), 0, nullptr, 0), 0);
  const std::string names = local_.read("short.txt");
  EXPECT_NE(names.find("a.log"), std::string::npos);
  EXPECT_NE(names.find("b.log.gz"), std::string::npos);
  const std::string longList = local_.file("long.txt");
  ASSERT_EQ(f_.Dir("/sub", longList.c_str(), 1, nullptr, 0), 0);
  EXPECT_NE(local_.read("long.txt").find("-rw"), std::string::npos);

  const std::string emptyList = local_.file("empty.txt");
  EXPECT_EQ(f_.Dir("/empty", emptyList.c_str(), 1, nullptr, 0), 0);
  EXPECT_TRUE(local_.exists("empty.txt"));
  EXPECT_EQ(local_.read("empty.txt"), "");
  const std::string missingList = local_.file("missing.txt");
  EXPECT_NE(f_.Dir("/missing", missingList.c_str(), 1, nullptr, 0), 0);
  EXPECT_TRUE(local_.exists("missing.txt"));
  EXPECT_EQ(f_.CloseConnection(), 0);
}

TEST_F(FtpAgainstPyftpdlib, TransfersKeepEveryByte) {
  const std::string bytes = AwkwardBytes(3 << 20);
  local_.write("up.bin", bytes);
  local_.write("empty.bin", "");
  ASSERT_EQ(f_.Login(server_->host().c_str(), "alice", "s3cret pass", nullptr, 0), 0);
  // Local paths are the system's Windows paths.
  std::string windowsPath = local_.file("up.bin");
  for (char& c : windowsPath) {
    if (c == '/') c = '\\';
  }
  ASSERT_EQ(f_.SendFile(windowsPath.c_str(), "/sub/up.bin", 'I', 0, nullptr, 0), 0);
  EXPECT_EQ(root_.read("sub/up.bin"), bytes);
  ASSERT_EQ(f_.RecvFile("/sub/up.bin", local_.file("down.bin").c_str(), 'I', 0, nullptr, 0), 0);
  EXPECT_EQ(local_.read("down.bin"), bytes);

  ASSERT_EQ(f_.SendFile(local_.file("empty.bin").c_str(), "/sub/empty.bin", 'I', 0, nullptr, 0), 0);
  EXPECT_TRUE(root_.exists("sub/empty.bin"));
  EXPECT_EQ(root_.read("sub/empty.bin"), "");

  // A missing remote file leaves the local file alone.
  local_.write("keep.bin", "keep");
  EXPECT_EQ(f_.RecvFile("/sub/none.bin", local_.file("keep.bin").c_str(), 'I', 0, nullptr, 0),
            FTP4W_NOREMOTEFILE);
  EXPECT_EQ(local_.read("keep.bin"), "keep");
  EXPECT_EQ(f_.SendFile(local_.file("absent.bin").c_str(), "/sub/x.bin", 'I', 0, nullptr, 0), FTP4W_CANTOPENFILE);
  // The session is still good after the failures.
  ASSERT_EQ(f_.RecvFile("sub/a.log", local_.file("a.log").c_str(), 'I', 0, nullptr, 0), 0);
  EXPECT_EQ(local_.read("a.log"), "first line\r\nsecond\n");
  EXPECT_EQ(f_.CloseConnection(), 0);
}

}  // namespace
