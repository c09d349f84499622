// The tests of this computer's resources (disk space on a mapped drive, the
// simulated service manager's services, an SQLite data source through the
// ODBC driver manager), the kinds nothing tests, and the library bindings.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include "monitor_type.h"
#include "probe.h"
#include "probe_libraries.h"
#include "test_files.h"

namespace {

struct Outcome {
  int result;
  std::string message;
  bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) { return out << o.result << " \"" << o.message << '"'; }

Outcome Probe(const ProbeTarget& target) {
  std::string message = "0 OK";
  const int result = ProbeDevice(target, message);
  return {result, message};
}

ProbeTarget Target(int kind, const std::string& host, int port = 0) {
  ProbeTarget target;
  target.kind = kind;
  target.host = host;
  target.port = port;
  return target;
}

TEST(UnknownKind, IsUnsupported) {
  for (int kind : {0, 19, -1}) {
    EXPECT_EQ(Probe(Target(kind, "127.0.0.1", 80)), (Outcome{0, "5 Unsupported Monitor Type"})) << kind;
  }
}

// ---- Disk space ----------------------------------------------------------------

class DiskProbe : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(qvp::SetDriveMapping('Q', dir_.path().c_str())); }
  void TearDown() override {
    qvp::SetDriveMapping('Q', nullptr);
    qvp::ResetVersionForTests();
  }
  qvtest::TempDir dir_{"probe_disk"};
};

TEST_F(DiskProbe, FreeSpaceAgainstTheThreshold) {
  EXPECT_EQ(Probe(Target(MONITOR_DISK_SPACE, "Q:\\", 0)), (Outcome{1, "0 OK"}));
  EXPECT_EQ(Probe(Target(MONITOR_DISK_SPACE, "q:\\", 1)), (Outcome{1, "0 OK"}));
  // Below the threshold the disk is down, though it answered.
  EXPECT_EQ(Probe(Target(MONITOR_DISK_SPACE, "Q:\\", INT_MAX)), (Outcome{0, "0 OK"}));
}

TEST_F(DiskProbe, OlderWindowsAsksTheClusterCounts) {
  qvp::SetVersionForTests(4, 0, VER_PLATFORM_WIN32_WINDOWS);  // build 0: the older call
  EXPECT_EQ(Probe(Target(MONITOR_DISK_SPACE, "Q:\\", 1)), (Outcome{1, "0 OK"}));
  EXPECT_EQ(Probe(Target(MONITOR_DISK_SPACE, "Q:\\", INT_MAX)), (Outcome{0, "0 OK"}));
  EXPECT_EQ(Probe(Target(MONITOR_DISK_SPACE, "R:\\", 0)), (Outcome{0, "3 Cannot access Disk"}));
}

TEST_F(DiskProbe, UnreachablePathsCannotBeAccessed) {
  for (const char* path : {"R:\\", "Q:\\missing\\folder", "\\\\server\\share", ""}) {
    EXPECT_EQ(Probe(Target(MONITOR_DISK_SPACE, path, 0)), (Outcome{0, "3 Cannot access Disk"})) << path;
  }
}

TEST_F(DiskProbe, LongPathGoesWholeUpToTheWindowsLimit) {
  // Each cut of this path would name a folder that does not exist.
  std::string path = "Q:";
  std::filesystem::path linux_path = dir_.path();
  for (int i = 0; i < 4; ++i) {
    const std::string part(60, static_cast<char>('a' + i));
    path += "\\" + part;
    linux_path /= part;
  }
  std::filesystem::create_directories(linux_path);
  ASSERT_GT(path.size(), 200u);
  EXPECT_EQ(Probe(Target(MONITOR_DISK_SPACE, path, 0)), (Outcome{1, "0 OK"}));
  // Past MAX_PATH the path is refused as a whole, never shortened to a folder above.
  std::filesystem::create_directories(linux_path / std::string(60, 'z'));
  EXPECT_EQ(Probe(Target(MONITOR_DISK_SPACE, path + "\\" + std::string(60, 'z'), 0)),
            (Outcome{0, "3 Cannot access Disk"}));
}

// ---- NT services ----------------------------------------------------------------

class ServiceProbe : public ::testing::Test {
 protected:
  void SetUp() override { qvp::SetStateDirectory(dir_.path().c_str()); }
  void TearDown() override { qvp::SetStateDirectory(nullptr); }

  Outcome Check(const char* name, DWORD state, int lastResult) {
    EXPECT_TRUE(qvp::SetSimulatedServiceState(name, state));
    ProbeTarget target = Target(MONITOR_NT_SERVICE, "ignored");
    target.hostPath = name;
    target.lastResult = lastResult;
    return Probe(target);
  }

  qvtest::TempDir dir_{"probe_services"};
};

TEST_F(ServiceProbe, StateDecidesAndAStartingServiceKeepsItsLastResult) {
  EXPECT_EQ(Check("Spooler", SERVICE_RUNNING, 0), (Outcome{1, "0 OK"}));
  EXPECT_EQ(Check("Spooler", SERVICE_STOPPED, 1), (Outcome{0, "0 OK"}));
  for (DWORD state : {SERVICE_PAUSED, SERVICE_STOP_PENDING, SERVICE_PAUSE_PENDING, SERVICE_CONTINUE_PENDING}) {
    EXPECT_EQ(Check("Spooler", state, 0), (Outcome{1, "0 OK"})) << state;
  }
  EXPECT_EQ(Check("Spooler", SERVICE_START_PENDING, 1), (Outcome{1, "0 OK"}));
  EXPECT_EQ(Check("Spooler", SERVICE_START_PENDING, 0), (Outcome{0, "0 OK"}));
}

TEST_F(ServiceProbe, MissingServiceNamesTheError) {
  ProbeTarget target = Target(MONITOR_NT_SERVICE, "");
  target.hostPath = "NoSuchService";
  EXPECT_EQ(Probe(target), (Outcome{0, std::to_string(ERROR_SERVICE_DOES_NOT_EXIST) +
                                            " Failed to Access Service for Status\n"}));
}

// ---- ODBC ---------------------------------------------------------------------------

// The SQLite ODBC driver, where Debian puts it.
std::string SqliteDriver() {
  for (const char* path : {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so",
                           "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so", "/usr/lib/odbc/libsqlite3odbc.so"}) {
    if (std::filesystem::exists(path)) return path;
  }
  return {};
}

// The driver manager reads its configuration files from the environment;
// the files lie in a temporary directory made before the first ODBC call.
class OdbcFiles : public ::testing::Environment {
 public:
  void SetUp() override {
    driver_ = SqliteDriver();
    if (driver_.empty()) return;
    dir_ = std::make_unique<qvtest::TempDir>("probe_odbc");
    dir_->write("odbcinst.ini", "[SQLite3]\nDescription=SQLite 3\nDriver=" + driver_ + "\n");
    dir_->write("odbc.ini", "[ProbeData]\nDriver=SQLite3\nDatabase=" + dir_->file("probe.db") + "\n");
    setenv("ODBCSYSINI", dir_->path().c_str(), 1);
    setenv("ODBCINI", dir_->file("odbc.ini").c_str(), 1);
  }
  void TearDown() override { dir_.reset(); }
  static bool ready() { return !driver_.empty(); }

 private:
  static inline std::string driver_;
  std::unique_ptr<qvtest::TempDir> dir_;
};

[[maybe_unused]] ::testing::Environment* const kOdbcFiles = ::testing::AddGlobalTestEnvironment(new OdbcFiles);

TEST(OdbcProbe, KnownDataSourceLogsOnUnknownDoesNot) {
  if (!OdbcFiles::ready()) {
    if (std::getenv("CI") != nullptr) FAIL() << "the SQLite ODBC driver must be installed in CI";
    GTEST_SKIP() << "no SQLite ODBC driver";
  }
  ProbeTarget target = Target(MONITOR_ODBC, "ProbeData");
  target.userName = "monitor";
  target.password = "secret";
  EXPECT_EQ(Probe(target), (Outcome{1, "0 OK"}));
  // The failure names nothing: the message stays as the caller filled it.
  EXPECT_EQ(Probe(Target(MONITOR_ODBC, "NoSuchData")), (Outcome{0, "0 OK"}));
  EXPECT_EQ(Probe(Target(MONITOR_ODBC, "ProbeData" + std::string(200, 'x'))), (Outcome{0, "0 OK"}));
}

TEST(ProbeLibraries, ABindingOutlivesTheUnload) {
  const std::shared_ptr<const OdbcLibrary> odbc = OdbcBinding();
  const std::shared_ptr<const IcmpLibrary> icmp = IcmpBinding();
  ASSERT_TRUE(icmp);
  if (!odbc) GTEST_SKIP() << "no ODBC driver manager";
  UnloadProbeLibraries();
  // The test that still holds them goes on with working calls.
  SQLHENV env = nullptr;
  EXPECT_EQ(odbc->allocEnv(&env), SQL_SUCCESS);
  EXPECT_EQ(odbc->freeEnv(env), SQL_SUCCESS);
  const HANDLE handle = icmp->createFile();
  if (handle != INVALID_HANDLE_VALUE) icmp->closeHandle(handle);
  // And the next test binds them afresh.
  EXPECT_TRUE(LoadProbeLibraries());
  EXPECT_NE(OdbcBinding(), odbc);
}

}  // namespace
