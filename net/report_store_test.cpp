// "status.rep", the listing of report folders and the idle clean-up.
#include <gtest/gtest.h>

#include <set>

#include "net_test_site.h"
#include "remote_server.h"
#include "remote_users.h"
#include "report_store.h"

namespace fs = std::filesystem;

namespace {

// The local time now, as the report runs write it, moved by `seconds`.
uint64_t LocalFileTime(int64_t seconds) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  FILETIME time;
  SystemTimeToFileTime(&now, &time);
  const uint64_t value = static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
  return value + static_cast<uint64_t>(seconds * 10000000);
}

TEST(ReportStatusFile, FieldsAreReadWithinTheirWidths) {
  ReportStatus status;
  std::string bytes = TestSite::StatusBytes(std::string(150, 't'), 117, std::string(400, 'm'), 42, "3");
  ASSERT_TRUE(ParseReportStatus(bytes.data(), bytes.size(), &status));
  EXPECT_EQ(std::string(status.title), std::string(100, 't'));
  EXPECT_EQ(status.status, 117);
  EXPECT_EQ(std::string(status.message), std::string(303, 'm'));
  EXPECT_EQ(status.time.dwLowDateTime, 42u);
  EXPECT_EQ(status.format, 3);
  EXPECT_FALSE(ParseReportStatus(bytes.data(), 414, &status));
  bytes = TestSite::StatusBytes("t", 100, "m", 0, "9");
  ASSERT_TRUE(ParseReportStatus(bytes.data(), bytes.size(), &status));
  EXPECT_EQ(status.format, 0);
  EXPECT_STREQ(ReportExtension(status.format), "htm");
}

TEST(ReportFolders, OnlyFoldersTwoLevelsDownAreListed) {
  TestSite site;
  site.Report("ann", "r1", 100);
  site.Report("ann", ".hidden", 100);
  site.Report(".trash", "r2", 100);
  TestSite::Write(site.Users() / "ann" / "file.txt", "x");
  std::vector<std::string> list;
  ListReportFolders(site.settings.usersFolder, &list);
  EXPECT_EQ(list, std::vector<std::string>{"ann\\r1"});
  std::string user;
  std::string report;
  EXPECT_FALSE(SplitReportName("ann\\..", &user, &report));
  EXPECT_FALSE(SplitReportName("ann/r1", &user, &report));
  EXPECT_TRUE(SplitReportName("ann\\r1", &user, &report));
}

TEST(ReportFolders, ALinkedFolderIsNeverEmptied) {
  TestSite site;
  TestSite::Write(site.Root() / "elsewhere" / "precious.txt", "keep");
  fs::create_directories(site.Users() / "ann");
  fs::create_directory_symlink(site.Root() / "elsewhere", site.Users() / "ann" / "r1");
  EXPECT_FALSE(DeleteReportFolder(site.settings.usersFolder, "ann\\r1"));
  EXPECT_TRUE(fs::exists(site.Root() / "elsewhere" / "precious.txt"));
}

TEST(CleanUp, OldFinishedReportsAndIdleUsersGoRunningReportsStay) {
  TestSite site;
  g_remoteUsers.Clear();
  site.settings.webNoDays = 1;
  site.settings.webUserTimeout = 30;
  site.Report("ann", "old", 100, LocalFileTime(-86400 - 600));
  site.Report("ann", "oldfailed", 140, LocalFileTime(-86400 - 600));
  site.Report("ann", "running", 40, LocalFileTime(-86400 - 600));
  site.Report("ann", "young", 100, LocalFileTime(-86000));  // older than 84,600 s, younger than a day
  g_remoteUsers.LogOn("idle", 0, GetTickCount64() - 31 * 60000ull);
  g_remoteUsers.LogOn("busy", 0, GetTickCount64() - 29 * 60000ull);
  CleanUpRemoteServer(site.settings);
  EXPECT_FALSE(fs::exists(site.Users() / "ann" / "old"));
  EXPECT_FALSE(fs::exists(site.Users() / "ann" / "oldfailed"));
  EXPECT_TRUE(fs::exists(site.Users() / "ann" / "running" / "status.rep"));
  EXPECT_TRUE(fs::exists(site.Users() / "ann" / "young" / "status.rep"));
  EXPECT_EQ(g_remoteUsers.Count(), 1u);
  site.settings.webNoDays = 0;  // never delete
  site.Report("ann", "ancient", 100, 1);
  CleanUpRemoteServer(site.settings);
  EXPECT_TRUE(fs::exists(site.Users() / "ann" / "ancient"));
  g_remoteUsers.Clear();
}

TEST(RemoteUsers, IdsAreRandomNonZeroAndUnique) {
  RemoteUserTable table;
  std::set<uint32_t> ids;
  for (int i = 0; i < 200; ++i) ids.insert(table.LogOn("u" + std::to_string(i), 0, 1).id);
  EXPECT_EQ(ids.size(), 200u);
  EXPECT_EQ(ids.count(0), 0u);
  EXPECT_EQ(table.LogOn("u7", 1, 5).admin, 0);  // the first log-on's entry stays
}

TEST(LogonThrottleTest, TheSixthFailureIsLockedOutAndTheLockDoubles) {
  LogonThrottle throttle;
  const uint64_t t0 = 1000000;
  for (int i = 0; i < 4; ++i) throttle.Failure(7, t0 + i);
  EXPECT_FALSE(throttle.IsLocked(7, t0 + 10));
  throttle.Failure(7, t0 + 10);
  EXPECT_TRUE(throttle.IsLocked(7, t0 + 11));
  EXPECT_FALSE(throttle.IsLocked(8, t0 + 11));
  EXPECT_FALSE(throttle.IsLocked(7, t0 + 10 + LogonThrottle::kFirstLockMs));
  throttle.Failure(7, t0 + 10 + LogonThrottle::kFirstLockMs);
  EXPECT_TRUE(throttle.IsLocked(7, t0 + 10 + 2 * LogonThrottle::kFirstLockMs));
  throttle.Success(7);
  EXPECT_FALSE(throttle.IsLocked(7, t0 + 10 + 2 * LogonThrottle::kFirstLockMs));
}

}  // namespace
