// The apply step after the Options window: the SNMP agent's registration and
// the SNMP service's restart, and the program's own service.
#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app_globals.h"
#include "general_sheet.h"
#include "option_window.h"
#include "program_paths.h"
#include "qvplatform/test_clock.h"
#include "resource_cache.h"
#include "test_dir.h"

namespace {

constexpr char kAgentsPath[] = "SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents";
constexpr char kAgentKey[] = "SOFTWARE\\Quorvane Corporation\\Product\\QVAgent";

class ApplyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qv::SetProgramDirForTests(dir_.dir().c_str());
    base_ = LoadLibraryA(QV_DIST_DIR "/BASE.RSL");
    ASSERT_NE(base_, nullptr);
    g_app.resourceModule = base_;
    std::filesystem::create_directories(dir_.path() / "state");
    dir_.write("QUORVANE.INI", "[Defaults]\r\n");
    qvp::SetRegistryFile(dir_.file("registry").c_str());
    qvp::SetStateDirectory(dir_.file("state").c_str());
    g_general = GeneralSheetState{};
    BuildAgentKeyPath(g_general.agentKeyPath, sizeof g_general.agentKeyPath);
    g_app.serviceMode = false;
    g_app.mainPanel = nullptr;
    hidden_ = CreateWindowExA(0, "#32770", "hidden", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    g_app.hiddenWindow = hidden_;
    launches_.clear();
    qvp::SetProcessLauncher([this](const qvp::ProcessLaunch& launch) {
      launches_.push_back(launch.argv);
      return qvp::LaunchResult{launchError_, -1};
    });
    qvp::TakeUnexpectedPrompts();
  }
  void TearDown() override {
    g_app.hiddenWindow = nullptr;
    g_app.serviceMode = false;
    DestroyWindow(hidden_);
    qvp::SetProcessLauncher(nullptr);
    qvp::ResetVersionForTests();
    qvp::SetRegistryFile(nullptr);
    qvp::SetStateDirectory(nullptr);
    qv::SetProgramDirForTests(nullptr);
    FreeResourceCache();
    g_app.resourceModule = nullptr;
    FreeLibrary(base_);
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }

  std::string Value(const char* keyPath, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    char data[300] = "";
    DWORD size = sizeof data - 1;
    const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(data) : "<none>";
  }
  DWORD ServiceState(const char* name) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    const DWORD state = service != nullptr && QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
    if (service != nullptr) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return state;
  }
  bool QuitPosted() {
    MSG message{};
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  }

  TestDir dir_;
  HMODULE base_ = nullptr;
  HWND hidden_ = nullptr;
  std::vector<std::vector<std::string>> launches_;
  int launchError_ = 0;
};

TEST_F(ApplyTest, RegisteringTakesTheFirstFreeNumberAndYesRestartsTheSnmpService) {
  ASSERT_TRUE(qvp::PreloadRegistry(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents]\n"
      "\"1\"=sz:\"a\"\n\"2\"=sz:\"b\"\n"));
  ASSERT_TRUE(qvp::SetSimulatedServiceState("SNMP", SERVICE_RUNNING));
  g_general.snmpRegistration = ReadSnmpRegistration(g_general.agentKeyPath);
  ASSERT_EQ(g_general.snmpRegistration, 0);
  g_general.snmpChoice = 1;
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("restarted", IDYES);
  ApplyServiceAndSnmpSettings(1);
  EXPECT_EQ(prompts.Pending(), 0u);
  EXPECT_EQ(Value(kAgentsPath, "3"), kAgentKey);
  const std::string pathname = Value(kAgentKey, "Pathname");
  EXPECT_EQ(pathname.substr(pathname.size() - 12), "\\QVAgent.dll") << pathname;
  EXPECT_EQ(ReadSnmpRegistration(g_general.agentKeyPath), 1);
  const DWORD state = ServiceState("SNMP");  // stopped, then started again
  EXPECT_TRUE(state == SERVICE_START_PENDING || state == SERVICE_RUNNING) << state;
  char root[64] = "<none>";
  GetPrivateProfileStringA("Defaults", "SNMP_Root", "<none>", root, sizeof root, GetIniPath());
  EXPECT_STRNE(root, "<none>");
  EXPECT_FALSE(QuitPosted());
}

TEST_F(ApplyTest, AnSnmpServiceThatNeverStopsIsNotStartedAgain) {
  // "SNMP" is a real service program here: it takes the stop control and
  // then stays STOP_PENDING.
  qvp::SetProcessLauncher(nullptr);
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  const std::string binary = std::string("\"") + QV_STUCK_SERVICE + "\" /service";
  SC_HANDLE snmp = CreateServiceA(manager, "SNMP", "SNMP Service", SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                  SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, binary.c_str(), nullptr, nullptr,
                                  nullptr, nullptr, nullptr);
  ASSERT_NE(snmp, nullptr) << GetLastError();
  ASSERT_TRUE(StartServiceA(snmp, 0, nullptr)) << GetLastError();
  for (int i = 0; i < 2000 && ServiceState("SNMP") != SERVICE_RUNNING; ++i) Sleep(10);
  // The program writes its id before it reports RUNNING; it is killed at the end.
  struct Program {
    int pid;
    ~Program() {
      if (pid > 0) kill(pid, SIGKILL);
    }
  } program{std::atoi(dir_.read("state/stuck-SNMP.pid").c_str())};
  ASSERT_EQ(ServiceState("SNMP"), static_cast<DWORD>(SERVICE_RUNNING)) << dir_.read("state/services/SNMP.log");
  ASSERT_GT(program.pid, 0);

  ASSERT_TRUE(qvp::PreloadRegistry(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents]\n"));
  g_general.snmpRegistration = 0;
  g_general.snmpChoice = 1;
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("restarted", IDYES);
  prompts.ExpectMessageBox("did not stop, so it was not restarted", IDOK);
  {
    // The stop control is answered at once; the seconds of waiting for the
    // service to stop pass on a test clock, one each time the apply step
    // sleeps.
    qvp::TestClock clock;
    std::atomic<bool> applied{false};
    std::thread seconds([&] {
      while (!applied.load()) {
        if (qvp::TestClock::AwaitTimedWaiters(1, 50)) clock.Advance(1000);
      }
    });
    ApplyServiceAndSnmpSettings(1);
    applied.store(true);
    seconds.join();
    EXPECT_GE(clock.Elapsed(), 10000u);  // the ten seconds it gives the service to stop
  }
  EXPECT_EQ(prompts.Pending(), 0u);  // and no start failure (32151) came after
  EXPECT_EQ(ServiceState("SNMP"), static_cast<DWORD>(SERVICE_STOP_PENDING));

  kill(program.pid, SIGKILL);
  program.pid = 0;
  for (int i = 0; i < 2000 && ServiceState("SNMP") != SERVICE_STOPPED; ++i) Sleep(10);
  EXPECT_EQ(ServiceState("SNMP"), static_cast<DWORD>(SERVICE_STOPPED));
  DeleteService(snmp);
  CloseServiceHandle(snmp);
  CloseServiceHandle(manager);
}

TEST_F(ApplyTest, UnregisteringDeletesTheValueAndTheAgentKey) {
  ASSERT_TRUE(qvp::PreloadRegistry(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents]\n"
      "\"1\"=sz:\"a\"\n\"4\"=sz:\"software\\quorvane corporation\\product\\qvagent\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane Corporation\\Product\\QVAgent]\n\"Pathname\"=sz:\"x\"\n"));
  g_general.snmpRegistration = ReadSnmpRegistration(g_general.agentKeyPath);
  ASSERT_EQ(g_general.snmpRegistration, 1);
  g_general.snmpChoice = 0;
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("could not be opened", IDOK);  // no SNMP service in the manager
  ApplyServiceAndSnmpSettings(1);
  EXPECT_EQ(Value(kAgentsPath, "4"), "<none>");
  EXPECT_EQ(Value(kAgentsPath, "1"), "a");
  EXPECT_EQ(Value(kAgentKey, "Pathname"), "<no key>");
}

TEST_F(ApplyTest, WithoutSnmpOrWithCancelNothingHappens) {
  g_general.snmpRegistration = ReadSnmpRegistration(g_general.agentKeyPath);
  EXPECT_EQ(g_general.snmpRegistration, -1);
  g_general.snmpChoice = 1;
  ApplyServiceAndSnmpSettings(1);
  EXPECT_EQ(Value(kAgentKey, "Pathname"), "<no key>");
  g_general.snmpRegistration = 0;
  g_general.runAsService = true;
  ApplyServiceAndSnmpSettings(0);
  EXPECT_EQ(Value(kAgentKey, "Pathname"), "<no key>");
  EXPECT_EQ(ServiceState("Quorvane40"), 0u);
  EXPECT_TRUE(launches_.empty());
}

TEST_F(ApplyTest, OffWindowsNtTheSnmpProgramIsClosedAndStartedWithoutAShell) {
  qvp::SetVersionForTests(4, 10, VER_PLATFORM_WIN32_WINDOWS);
  // An "snmp" program on the search path; the launcher only records it.
  std::filesystem::create_directories(dir_.path() / "bin");
  dir_.write("bin/snmp", "#!/bin/sh\n");
  std::filesystem::permissions(dir_.path() / "bin" / "snmp", std::filesystem::perms::owner_all);
  const std::string oldPath = getenv("PATH") != nullptr ? getenv("PATH") : "";
  setenv("PATH", (dir_.file("bin") + ":" + oldPath).c_str(), 1);
  ASSERT_TRUE(qvp::PreloadRegistry(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents]\n"));
  g_general.snmpRegistration = 0;
  g_general.snmpChoice = 1;
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("restarted", IDYES);
  ApplyServiceAndSnmpSettings(1);
  setenv("PATH", oldPath.c_str(), 1);
  ASSERT_EQ(launches_.size(), 2u);
  const std::string program = dir_.file("bin/snmp");
  EXPECT_EQ(launches_[0], (std::vector<std::string>{program, "-close"}));
  EXPECT_EQ(launches_[1], (std::vector<std::string>{program}));
}

TEST_F(ApplyTest, InstallingPutsTheServiceInTheManagerAndEndsThisCopy) {
  g_general.runAsService = true;
  ApplyServiceAndSnmpSettings(1);
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = OpenServiceA(manager, "Quorvane40", SERVICE_ALL_ACCESS);
  ASSERT_NE(service, nullptr);
  alignas(QUERY_SERVICE_CONFIGA) char buffer[4096];
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer);
  DWORD needed = 0;
  ASSERT_TRUE(QueryServiceConfigA(service, config, sizeof buffer, &needed));
  EXPECT_EQ(config->dwServiceType, 0x110u);
  EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
  const std::string path = config->lpBinaryPathName;
  EXPECT_EQ(path.front(), '"');
  EXPECT_EQ(path.substr(path.size() - 10), "\" /service") << path;
  EXPECT_STREQ(config->lpDisplayName, "Quorvane v4.0 Real-Time Service");
  EXPECT_STREQ(config->lpServiceStartName, "LocalSystem");
  DeleteService(service);
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  ASSERT_FALSE(launches_.empty());
  const std::string last = launches_.back().back();
  EXPECT_EQ(last.back(), '0') << last;  // started with the one argument "0"
  EXPECT_TRUE(QuitPosted());
}

TEST_F(ApplyTest, AServiceThatCannotStartIsRemovedAgain) {
  launchError_ = ENOENT;
  g_general.runAsService = true;
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("Quorvane will remove the Service. (", IDOK);
  ApplyServiceAndSnmpSettings(1);
  EXPECT_EQ(prompts.Pending(), 0u);
  EXPECT_EQ(ServiceState("Quorvane40"), 0u);
  EXPECT_FALSE(QuitPosted());
}

TEST_F(ApplyTest, InServiceModeUncheckingAsksRemovesAndEnds) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE installed = CreateServiceA(manager, "Quorvane40", "Quorvane v4.0 Real-Time Service", SERVICE_ALL_ACCESS,
                                       0x110, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, "\"/x\" /service", nullptr,
                                       nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(installed, nullptr);
  CloseServiceHandle(installed);
  CloseServiceHandle(manager);
  g_app.serviceMode = true;
  g_general.runAsService = false;
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("will now exit", IDOK);
  ApplyServiceAndSnmpSettings(1);
  EXPECT_EQ(prompts.Pending(), 0u);
  EXPECT_EQ(ServiceState("Quorvane40"), 0u);
  EXPECT_TRUE(QuitPosted());
}

}  // namespace
