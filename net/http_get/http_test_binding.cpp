// Tests only: the program's network binding, as start-up makes it, for the
// whole test run; the FTP library is found in a folder of the run's own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "http_test_peers.h"
#include "net_binding.h"

namespace httptest {

bool BindNetwork() {
  static const std::filesystem::path folder = [] {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qvget_binding_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(QV_TEST_FTP_LIBRARY, dir / "FTP4W32.DLL",
                               std::filesystem::copy_options::overwrite_existing);
    return dir;
  }();
  const std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  const int bound = LoadNetworkBinding();
  std::filesystem::current_path(old);
  return bound == 1;
}

namespace {

class Binding : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(BindNetwork()); }
  void TearDown() override {
    UnloadNetworkLibraries();
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::temp_directory_path() / ("qvget_binding_" + std::to_string(getpid())),
                                error);
  }
};

[[maybe_unused]] ::testing::Environment* const g_binding = ::testing::AddGlobalTestEnvironment(new Binding);

}  // namespace
}  // namespace httptest
