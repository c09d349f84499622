// Tests only: the SNMP link with the program's settings in a folder of the
// test, shared objects in a namespace of the test run, and the agent
// stand-in (testpeers/snmp_agent_standin) as a child process.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app_globals.h"
#include "program_paths.h"
#include "server_globals.h"
#include "snmp_link.h"
#include "test_files.h"

extern char** environ;

namespace snmptest {

inline constexpr char kRoot[] = "1.3.6.1.4.1.99999.7";

class StandIn {
 public:
  explicit StandIn(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{QV_SNMP_STANDIN, "7"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = out[0];
  }
  ~StandIn() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      Wait();
    }
    if (out_ >= 0) close(out_);
  }
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

  // The next line it printed; "" when it ended or 30 seconds passed.
  std::string Line() {
    for (;;) {
      const size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 30000) <= 0) return std::string();
      char chunk[512];
      const ssize_t got = read(out_, chunk, sizeof chunk);
      if (got <= 0) return std::string();
      buffer_.append(chunk, static_cast<size_t>(got));
    }
  }
  // Its exit code, or 128 + the signal that ended it.
  int Wait() {
    if (pid_ <= 0) return status_;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return status_;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string buffer_;
};

class SnmpLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("QV_KERNEL_NAMESPACE", ("snmp" + std::to_string(getpid())).c_str(), 0);
    qv::SetProgramDirForTests(dir_.dir().c_str());
    std::snprintf(g_snmpOid, sizeof g_snmpOid, "%s", kRoot);
  }
  void TearDown() override {
    g_serverGlobals.SetSettings(RemoteServerSettings{});
    qv::SetProgramDirForTests(nullptr);
    const std::string prefix = "qv-" + std::to_string(geteuid()) + "-" + std::getenv("QV_KERNEL_NAMESPACE") + "-";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
      if (entry.path().filename().string().rfind(prefix, 0) == 0) std::filesystem::remove(entry.path(), error);
    }
  }
  void WriteSettings(const std::string& text) { dir_.write("QUORVANE.INI", text); }
  // The settings written and loaded, as the server's apply loads them.
  void LoadSettings(const std::string& text) {
    WriteSettings(text);
    RemoteServerSettings block;
    ReadServerSettings(&block);
    g_serverGlobals.SetSettings(block);
  }
  std::string Settings() const { return dir_.read("QUORVANE.INI"); }

  qvtest::TempDir dir_{"qvsnmp"};
};

}  // namespace snmptest
