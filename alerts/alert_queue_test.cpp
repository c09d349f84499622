#include "alert_queue.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "alert_queues.h"
#include "alert_runtime.h"
#include "fake_senders.h"
#include "plugin_alert_queues.h"
#include "qvplatform/test_clock.h"
#include "test_files.h"

namespace {

using fake_senders::record;
using Pass = AlertSpoolQueue<CEmailAlert>::Pass;

CEmailAlert Mail(const char* name, const char* address = "ops@example.org") {
  CEmailAlert alert;
  alert.SetAddress(address);
  alert.SetProfileName(name);
  alert.SetMessage("down");
  return alert;
}

std::vector<std::string> MailedProfiles() {
  std::vector<std::string> names;
  std::lock_guard<std::mutex> hold(record().lock);
  for (const auto& mail : record().mails) names.push_back(mail.body);
  return names;
}

class AlertQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_senders::Install();
    SetAlertRetryCount(3);
    SetAlertingDisabled(false);
  }
  void TearDown() override {
    ResetAlertSenders();
    SetAlertRetryCount(3);
    SetAlertingDisabled(false);
  }
  std::string Spool() const { return dir.path().string(); }
  // Writes a complete e-mail spool file whose message names it.
  void SpoolMail(const std::string& name, const std::string& body) {
    CEmailAlert alert = Mail("p");
    alert.SetMessage(body.c_str());
    ASSERT_TRUE(alert.Write(dir.file(name).c_str()));
  }

  qvtest::TempDir dir{"qvqueue"};
};

TEST_F(AlertQueueTest, NumbersStartAtZeroFollowTheHighestAndWrapToTheLowestFree) {
  qvtest::TempDir elsewhere("qvcwd");
  SetCurrentDirectoryA(elsewhere.path().string().c_str());  // the queue never uses it
  CEmailAlertQueue queue((Spool() + "\\").c_str());
  char name[MAX_PATH];
  ASSERT_TRUE(queue.NewSpoolFile(name, sizeof name));
  EXPECT_EQ(std::string(name), Spool() + "\\lert0000.eap");

  dir.write("lert0007.eap", "");
  dir.write("lert0003.pap", "");
  ASSERT_TRUE(queue.NewSpoolFile(name, sizeof name));
  EXPECT_EQ(std::string(name), Spool() + "\\lert0008.eap");

  CPagerAlertQueue pager(Spool().c_str());
  dir.write("lert9999.pap", "");
  dir.write("lert0000.pap", "");
  ASSERT_TRUE(pager.NewSpoolFile(name, sizeof name));
  EXPECT_EQ(std::string(name), Spool() + "\\lert0001.pap");

  CAudioAlertQueue audio(Spool().c_str());
  audio.StartWithoutThread();
  for (int n = 0; n <= 9999; ++n) {
    char file[32];
    std::snprintf(file, sizeof file, "lert%04d.aap", n);
    std::ofstream(dir.path() / file);
  }
  EXPECT_FALSE(audio.NewSpoolFile(name, sizeof name));
  CAudioAlert alert;
  EXPECT_FALSE(audio.Add(alert));  // no number is free: refused, nothing overwritten
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
}

TEST_F(AlertQueueTest, AnAcknowledgedAlertIsACompleteSpoolFileAndNothingElseIsLeft) {
  CEmailAlertQueue queue(Spool().c_str());
  EXPECT_FALSE(queue.Add(Mail("early")));  // not running: dropped
  queue.StartWithoutThread();
  CEmailAlert alert = Mail("one");
  ASSERT_TRUE(queue.Add(alert));
  EXPECT_EQ(alert.GetOwnPath(), nullptr);  // the caller's object is left alone
  ASSERT_EQ(queue.ListSpoolFiles(), std::vector<std::string>{"lert0000.eap"});
  EXPECT_TRUE(CEmailAlert::IsValidFile(dir.file("lert0000.eap").c_str()));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(AlertQueueTest, FilesAreDeliveredInNumberOrderAndInvalidOnesAreNeverTouched) {
  SpoolMail("lert0100.eap", "third");
  SpoolMail("lert0002.eap", "first");
  SpoolMail("lert0010.eap", "second");
  dir.write("lert0005.eap", "[Email]\nAddress=ops@example.org\nMessage=broken\n");
  dir.write("~lert0011.eap", "[Email]\nMessage=half\n");  // left by a crash
  CEmailAlertQueue queue(Spool().c_str());
  queue.StartWithoutThread();
  EXPECT_FALSE(dir.exists("~lert0011.eap"));
  EXPECT_EQ(queue.PendingCount(), 3u);
  for (int pass = 0; pass < 6; ++pass) queue.RunOnce();
  EXPECT_EQ(MailedProfiles(), (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(queue.ListSpoolFiles(), std::vector<std::string>{"lert0005.eap"});
}

// Another writer holding the spool lock is waited for before the first
// listing: a file it is still filling is read only once complete.
TEST_F(AlertQueueTest, StartingWaitsForTheSpoolLockBeforeItReadsTheSpool) {
  HANDLE lock = CreateMutexA(nullptr, TRUE, CEmailAlertQueue::kTraits.mutexName);
  ASSERT_NE(lock, nullptr);
  dir.write("lert0000.eap", "[Email]\nAddress=ops@example.org\n");
  CEmailAlertQueue queue(Spool().c_str());
  std::atomic<bool> starting{false};
  std::thread starter([&] {
    starting = true;
    queue.StartWithoutThread();
  });
  while (!starting) std::this_thread::yield();
  SpoolMail("lert0000.eap", "complete");
  ReleaseMutex(lock);
  starter.join();
  CloseHandle(lock);
  EXPECT_EQ(queue.PendingCount(), 1u);
}

TEST_F(AlertQueueTest, PurgeDeletesTheFilesAtOnceAndDeliversNothing) {
  CEmailAlertQueue queue(Spool().c_str());
  queue.StartWithoutThread();
  ASSERT_TRUE(queue.Add(Mail("a")));
  ASSERT_TRUE(queue.Add(Mail("b")));
  queue.Reload();
  ASSERT_EQ(queue.PendingCount(), 2u);
  queue.Purge();
  EXPECT_TRUE(queue.ListSpoolFiles().empty());
  EXPECT_EQ(queue.RunOnce(), Pass::Purged);
  EXPECT_EQ(queue.PendingCount(), 0u);
  EXPECT_EQ(queue.RunOnce(), Pass::Empty);
  EXPECT_EQ(fake_senders::MailCount(), 0u);
}

TEST_F(AlertQueueTest, WhileAlertingIsDisabledTestsGoOutAndSpooledAlertsWait) {
  CEmailAlertQueue queue(Spool().c_str());
  queue.StartWithoutThread();
  ASSERT_TRUE(queue.Add(Mail("real")));
  SetAlertingDisabled(true);
  CEmailAlert test = Mail("test");
  test.SetMessage("test");
  test.SetTestMode(true);
  ASSERT_TRUE(queue.PutTest(test));
  EXPECT_FALSE(queue.PutTest(test));  // one test at a time
  EXPECT_EQ(queue.RunOnce(), Pass::TestSent);
  EXPECT_FALSE(queue.IsTestPending());
  EXPECT_EQ(queue.RunOnce(), Pass::Paused);
  EXPECT_EQ(MailedProfiles(), std::vector<std::string>{"test"});
  EXPECT_EQ(queue.ListSpoolFiles().size(), 1u);
  ASSERT_TRUE(queue.PutTest(test));  // the slot is free again
  SetAlertingDisabled(false);
  queue.RunOnce();
  EXPECT_EQ(queue.RunOnce(), Pass::Delivered);
  EXPECT_EQ(MailedProfiles(), (std::vector<std::string>{"test", "test", "down"}));
}

TEST_F(AlertQueueTest, ARefusedMailIsRetriedWithItsCountUntilTheRetryCountThenDropped) {
  for (const int answer : {10, 11}) {  // the server's 4xx and 5xx
    fake_senders::Install();
    record().mailAnswer = answer;
    CEmailAlertQueue queue(Spool().c_str());
    queue.StartWithoutThread();
    ASSERT_TRUE(queue.Add(Mail("x")));
    std::vector<int> counts;
    for (int pass = 0; pass < 10 && !queue.ListSpoolFiles().empty(); ++pass) {
      const std::vector<std::string> files = queue.ListSpoolFiles();
      ASSERT_EQ(files.size(), 1u);
      counts.push_back(static_cast<int>(
          GetPrivateProfileIntA("EmailServer", "RetryCount", 0, dir.file(files[0]).c_str())));
      queue.RunOnce();  // reads the spool when its list ran dry, then tries the front alert
    }
    EXPECT_EQ(counts, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(fake_senders::MailCount(), 3u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  }

  SetAlertRetryCount(1);
  fake_senders::Install();
  record().mailAnswer = 10;
  CEmailAlertQueue once(Spool().c_str());
  once.StartWithoutThread();
  ASSERT_TRUE(once.Add(Mail("y")));
  for (int pass = 0; pass < 4; ++pass) once.RunOnce();
  EXPECT_EQ(fake_senders::MailCount(), 1u);
  EXPECT_TRUE(once.ListSpoolFiles().empty());
}

TEST_F(AlertQueueTest, AMailToAForgedAddressIsDroppedWithoutRetry) {
  CEmailAlertQueue queue(Spool().c_str());
  queue.StartWithoutThread();
  ASSERT_TRUE(queue.Add(Mail("x", "a@b.org>")));
  queue.RunOnce();
  EXPECT_TRUE(queue.ListSpoolFiles().empty());
  EXPECT_EQ(fake_senders::MailCount(), 0u);
}

TEST_F(AlertQueueTest, APageWithoutSenderStaysSpooledWithoutCountingAnAttempt) {
  record().pageResult = static_cast<int>(SendResult::Unavailable);
  CPagerAlertQueue queue(Spool().c_str());
  queue.StartWithoutThread();
  CPagerAlert page;
  page.SetProfileName("Web");
  ASSERT_TRUE(queue.Add(page));
  for (int pass = 0; pass < 4; ++pass) queue.RunOnce();
  EXPECT_EQ(record().pages.size(), 4u);
  EXPECT_EQ(queue.ListSpoolFiles(), std::vector<std::string>{"lert0000.pap"});
  EXPECT_EQ(GetPrivateProfileIntA("PagerServer", "RetryCount", -1, dir.file("lert0000.pap").c_str()),
            static_cast<UINT>(-1));
  record().pageResult = static_cast<int>(SendResult::Sent);
  queue.RunOnce();
  EXPECT_TRUE(queue.ListSpoolFiles().empty());
}

// The delivery thread: it delivers what is added, and Stop waits for it.
TEST_F(AlertQueueTest, TheDeliveryThreadDeliversAndIsJoinedOnStop) {
  static std::mutex lock;
  static std::condition_variable delivered;
  static int count = 0;
  count = 0;
  AlertSenders senders;
  senders.sendMail = [](HWND, const char*, const char*, const char*, const volatile BYTE*) {
    std::lock_guard<std::mutex> hold(lock);
    ++count;
    delivered.notify_all();
    return 0;
  };
  SetAlertSenders(senders);
  {
    CEmailAlertQueue queue(Spool().c_str());
    queue.SetPauses(SpoolQueuePauses{0, 100, 60000});
    ASSERT_TRUE(queue.Start());
    ASSERT_TRUE(queue.Add(Mail("a")));
    ASSERT_TRUE(queue.Add(Mail("b")));
    std::unique_lock<std::mutex> hold(lock);
    delivered.wait(hold, [] { return count == 2; });
  }
  // The destructor stopped and joined the thread.
  CEmailAlertQueue later(Spool().c_str());
  EXPECT_TRUE(later.ListSpoolFiles().empty());
  EXPECT_FALSE(later.Add(Mail("c")));
}

TEST_F(AlertQueueTest, ASpoolFileIsItsOwnersAlone) {
  CEmailAlertQueue queue(Spool().c_str());
  queue.StartWithoutThread();  // spools, delivers nothing
  ASSERT_TRUE(queue.Add(Mail("a")));
  const auto perms = std::filesystem::status(dir.path() / "lert0000.eap").permissions();
  EXPECT_EQ(perms, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(AlertQueueTest, ThePluginsQueuesAreRegisteredStartStopTogetherAndGoAtUnload) {
  CEmailAlertQueue* email = nullptr;
  CAudioAlertQueue* audio = nullptr;
  CPagerAlertQueue* pager = nullptr;
  ASSERT_TRUE(CreatePluginAlertQueues(dir.dir().c_str(), 5, &email, &audio, &pager));
  EXPECT_EQ(AlertRetryCount(), 5);
  EXPECT_EQ(GetAlertQueues().pager, pager);
  EXPECT_EQ(std::string(email->GetSpoolDir()), dir.dir() + "qvm_alrt\\queue");
  // Alerting is off before the threads start, so none can be mid-pass with it
  // still on: the spooled alert stays put.
  SetAlertingDisabled(true);
  ASSERT_TRUE(StartAlertQueues());
  EXPECT_TRUE(email->IsRunning() && audio->IsRunning() && pager->IsRunning());
  ASSERT_TRUE(audio->Add(CAudioAlert()));
  EXPECT_TRUE(dir.exists("qvm_alrt/queue/lert0000.aap"));
  StopAlertQueues();
  EXPECT_FALSE(email->IsRunning() || audio->IsRunning() || pager->IsRunning());
  ASSERT_TRUE(StartAlertQueues());
  // Unloading with running threads: each is stopped and waited for.
  DeletePluginAlertQueues(&email, &audio, &pager);
  EXPECT_EQ(email, nullptr);
  EXPECT_EQ(GetAlertQueues().email, nullptr);
}

// A mail the server turned away is spooled again and tried no sooner than the
// spool's rest of 5 s after the cycle that failed it, so a short outage of the
// mail server does not use up every try at once.
TEST_F(AlertQueueTest, AFailedMailWaitsForTheSpoolsRestBeforeItsNextTry) {
  static std::mutex lock;
  static std::vector<ULONGLONG> tries;
  tries.clear();
  AlertSenders senders;
  senders.sendMail = [](HWND, const char*, const char*, const char*, const volatile BYTE*) {
    std::lock_guard<std::mutex> hold(lock);
    tries.push_back(GetTickCount64());
    return 10;  // the server's 4xx
  };
  SetAlertSenders(senders);
  const auto tried = [] {
    std::lock_guard<std::mutex> hold(lock);
    return tries.size();
  };
  qvp::TestClock clock;
  {
    CEmailAlertQueue queue(Spool().c_str());  // its own pauses
    ASSERT_TRUE(queue.Start());
    ASSERT_TRUE(queue.Add(Mail("a")));
    // A tenth of a second at a time, once the queue's thread has seen the last
    // step and waits for the next.
    while (tried() < 3 && clock.Elapsed() < 120000) {
      ASSERT_TRUE(qvp::TestClock::AwaitTimedWaiters(1));
      clock.Advance(100);
    }
  }
  ASSERT_EQ(tries.size(), 3u);
  for (size_t n = 1; n < tries.size(); ++n) {
    // The channel's pause after the alert, then the rest before the spool is read again.
    EXPECT_GE(tries[n] - tries[n - 1], 5000u) << n;
    EXPECT_LE(tries[n] - tries[n - 1], 1000u + 5000u + 100u) << n;
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
