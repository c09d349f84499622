// Tests only: the SNMP link with the program's settings in a folder of the
// test, shared objects in a namespace of the test run, and the agent
// stand-in (testpeers/snmp_agent_standin) as a child process.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app_globals.h"
#include "line_peer.h"
#include "program_paths.h"
#include "server_globals.h"
#include "snmp_link.h"
#include "test_files.h"

namespace snmptest {

inline constexpr char kRoot[] = "1.3.6.1.4.1.99999.7";

// The agent stand-in in one of its modes, its output read line by line.
class StandIn : public qvtest::LinePeer {
 public:
  explicit StandIn(const std::vector<std::string>& arguments) : LinePeer(Arguments(arguments)) {}

 private:
  static std::vector<std::string> Arguments(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{QV_SNMP_STANDIN, "7"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return all;
  }
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
