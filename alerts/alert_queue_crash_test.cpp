// A queue killed at any moment, while spooling or while delivering, loses no
// alert it acknowledged and leaves no spool file that cannot be read.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "alert_queues.h"
#include "test_files.h"

extern char** environ;

namespace {

// A running helper whose output lines the test reads.
class Helper {
 public:
  Helper(const char* mode, const std::string& dir, const std::string& tag = "alert-") {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string program = QV_CRASH_HELPER;
    char* args[] = {const_cast<char*>(program.c_str()), const_cast<char*>(mode), const_cast<char*>(dir.c_str()),
                    const_cast<char*>(tag.c_str()), nullptr};
    if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, args, environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    m_out = fdopen(pipeFds[0], "r");
  }
  ~Helper() {
    Kill();
    if (m_out != nullptr) fclose(m_out);
  }
  bool Started() const { return m_pid > 0 && m_out != nullptr; }
  // The next line without its newline; false at the end of the output.
  bool Line(std::string* line) {
    char buffer[256];
    if (std::fgets(buffer, sizeof buffer, m_out) == nullptr) return false;
    *line = buffer;
    if (!line->empty() && line->back() == '\n') line->pop_back();
    return true;
  }
  void Kill() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGKILL);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    // Whatever the helper wrote before it died is still read.
  }

 private:
  pid_t m_pid = -1;
  FILE* m_out = nullptr;
};

// The profile names of the spool's alerts; every spool file must be complete.
std::multiset<std::string> SpooledAlerts(const qvtest::TempDir& dir) {
  std::multiset<std::string> names;
  CEmailAlertQueue reader(dir.path().string().c_str());
  for (const std::string& file : reader.ListSpoolFiles()) {
    const std::string path = dir.file(file);
    EXPECT_TRUE(CEmailAlert::IsValidFile(path.c_str())) << file;
    CEmailAlert alert(path.c_str());
    names.insert(alert.GetProfileName() != nullptr ? alert.GetProfileName() : "");
  }
  return names;
}

TEST(AlertQueueCrashTest, KilledWhileSpoolingKeepsEveryAcknowledgedAlert) {
  qvtest::TempDir dir("qvcrash");
  std::set<std::string> acknowledged;
  // Several runs on the same spool, each killed wherever it happens to be.
  for (int run = 0; run < 8; ++run) {
    const std::string tag = "run" + std::to_string(run) + "-";
    Helper helper("spool", dir.path().string(), tag);
    ASSERT_TRUE(helper.Started());
    std::string line;
    for (int count = 0; count < 20 && helper.Line(&line); ++count) {
      ASSERT_EQ(line.rfind("ACK ", 0), 0u) << line;
      acknowledged.insert(line.substr(4));
    }
    helper.Kill();
    while (helper.Line(&line)) acknowledged.insert(line.substr(4));
  }
  ASSERT_GE(acknowledged.size(), 160u);
  const std::multiset<std::string> spooled = SpooledAlerts(dir);
  for (const std::string& name : acknowledged) EXPECT_EQ(spooled.count(name), 1u) << name;

  // The next start clears what the crash left half-written and reads the rest.
  CEmailAlertQueue queue(dir.path().string().c_str());
  queue.StartWithoutThread();
  EXPECT_EQ(queue.PendingCount(), spooled.size());
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_NE(entry.path().filename().string().front(), '~');
  }
}

TEST(AlertQueueCrashTest, KilledWhileDeliveringLosesNoUndeliveredAlert) {
  qvtest::TempDir dir("qvcrash");
  std::set<std::string> all;
  {
    CEmailAlertQueue queue(dir.path().string().c_str());
    queue.StartWithoutThread();
    for (int n = 0; n < 100; ++n) {
      const std::string name = "alert-" + std::to_string(n);
      CEmailAlert alert;
      alert.SetAddress("ops@example.org");
      alert.SetProfileName(name.c_str());
      alert.SetMessage(name.c_str());
      ASSERT_TRUE(queue.Add(alert));
      all.insert(name);
    }
  }
  std::set<std::string> sent;
  {
    Helper helper("deliver", dir.path().string());
    ASSERT_TRUE(helper.Started());
    std::string line;
    while (sent.size() < 30 && helper.Line(&line)) {
      ASSERT_EQ(line.rfind("SENT ", 0), 0u) << line;
      sent.insert(line.substr(5));
    }
    helper.Kill();
    while (helper.Line(&line)) sent.insert(line.substr(5));
  }
  ASSERT_GE(sent.size(), 30u);
  const std::multiset<std::string> spooled = SpooledAlerts(dir);
  for (const std::string& name : all) {
    if (sent.count(name) == 0) {
      EXPECT_GE(spooled.count(name), 1u) << name;
    }
  }
}

}  // namespace
