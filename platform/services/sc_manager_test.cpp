#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "services/services_test_support.h"
#include "shell/shell_test_support.h"

namespace {

using qvp::test::ServiceTest;

DWORD LastErrorAfter(bool failed) { return failed ? GetLastError() : 0; }

class ServiceManager : public ServiceTest {};

TEST_F(ServiceManager, CreateOpenAndTheNameRules) {
  SC_HANDLE h = Create("Quorvane40", "C:\\qv\\quorvane.exe /service", "Quorvane v4.0 Real-Time Service",
                       SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(StateOf("QUORVANE40"), SERVICE_STOPPED);

  EXPECT_EQ(Create("quorvane40"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_EXISTS));
  EXPECT_EQ(Create("Other", "x", "quorvane v4.0 real-time service"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DUPLICATE_SERVICE_NAME));
  EXPECT_EQ(Create("Quorvane v4.0 Real-Time Service"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DUPLICATE_SERVICE_NAME));
  for (const char* bad : {"", "a\\b", "a/b"}) {
    EXPECT_EQ(Create(bad), nullptr) << bad;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME)) << bad;
  }
  EXPECT_EQ(Create("Driver", "x", nullptr, SERVICE_KERNEL_DRIVER), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(CreateServiceA(manager_, "Interactive", nullptr, SERVICE_ALL_ACCESS,
                           SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS, SERVICE_AUTO_START,
                           SERVICE_ERROR_NORMAL, "x", nullptr, nullptr, nullptr, ".\\user", "pw"),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  EXPECT_EQ(Open("Missing"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  EXPECT_EQ(OpenServiceA(reinterpret_cast<SC_HANDLE>(h), "Quorvane40", SERVICE_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(CloseServiceHandle(h));
  EXPECT_FALSE(CloseServiceHandle(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ServiceManager, HandlesKeepOnlyTheAccessAskedFor) {
  ASSERT_TRUE(qvp::SetSimulatedServiceState("SNMP", SERVICE_STOPPED));
  SC_HANDLE query = Open("snmp", SERVICE_QUERY_STATUS);
  ASSERT_NE(query, nullptr);
  LPCSTR none[1] = {nullptr};
  EXPECT_EQ(LastErrorAfter(!StartServiceA(query, 0, none)), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(LastErrorAfter(!DeleteService(query)), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  SERVICE_STATUS status{};
  EXPECT_EQ(LastErrorAfter(!ControlService(query, SERVICE_CONTROL_STOP, &status)),
            static_cast<DWORD>(ERROR_ACCESS_DENIED));
  DWORD needed = 0;
  EXPECT_EQ(LastErrorAfter(!QueryServiceConfigA(query, nullptr, 0, &needed)), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(QueryServiceStatus(query, &status));
  CloseServiceHandle(query);

  SC_HANDLE generic = Open("SNMP", 0x20000000u /* GENERIC_EXECUTE */);
  ASSERT_NE(generic, nullptr);
  EXPECT_TRUE(StartServiceA(generic, 0, nullptr));
  EXPECT_EQ(LastErrorAfter(!QueryServiceStatus(generic, &status)), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseServiceHandle(generic);

  SC_HANDLE connect_only = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  ASSERT_NE(connect_only, nullptr);
  EXPECT_EQ(CreateServiceA(connect_only, "New", nullptr, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                           SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, "x", nullptr, nullptr, nullptr, nullptr,
                           nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  DWORD returned = 0;
  EXPECT_FALSE(EnumServicesStatusA(connect_only, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &returned,
                                   nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseServiceHandle(connect_only);
}

TEST_F(ServiceManager, OnlyThisComputerAndTheActiveDatabase) {
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name;
  ASSERT_TRUE(GetComputerNameA(name, &size));
  const std::string unc = std::string("\\\\") + name;
  SC_HANDLE local = OpenSCManagerA(unc.c_str(), SERVICES_ACTIVE_DATABASEA, SC_MANAGER_CONNECT);
  EXPECT_NE(local, nullptr);
  CloseServiceHandle(local);
  EXPECT_EQ(OpenSCManagerA("\\\\elsewhere-host", nullptr, SC_MANAGER_CONNECT), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(OpenSCManagerA(nullptr, "ServicesFailed", SC_MANAGER_CONNECT), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DATABASE_DOES_NOT_EXIST));
}

TEST_F(ServiceManager, DeletionWaitsForTheLastHandle) {
  SC_HANDLE first = Create("Gone");
  SC_HANDLE second = Open("gone");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(DeleteService(first));
  EXPECT_FALSE(DeleteService(second));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  EXPECT_EQ(Create("GONE"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  EXPECT_TRUE(ChangeServiceConfigA(second, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) == FALSE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  LPCSTR none[1] = {nullptr};
  EXPECT_FALSE(StartServiceA(second, 0, none));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));

  CloseServiceHandle(first);
  EXPECT_TRUE(Exists("Gone"));
  CloseServiceHandle(second);
  EXPECT_FALSE(Exists("Gone"));
  SC_HANDLE again = Create("Gone");
  EXPECT_NE(again, nullptr);
  CloseServiceHandle(again);
}

TEST_F(ServiceManager, ConfigurationInTheCallersBuffer) {
  SC_HANDLE h = CreateServiceA(manager_, "Quorvane40", "Quorvane v4.0 Real-Time Service", SERVICE_ALL_ACCESS,
                               SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS, SERVICE_AUTO_START,
                               SERVICE_ERROR_NORMAL, "\\opt\\qv\\quorvane /service", nullptr, nullptr,
                               "Tcpip\0LanmanServer\0", nullptr, nullptr);
  ASSERT_NE(h, nullptr);
  DWORD needed = 0;
  EXPECT_FALSE(QueryServiceConfigA(h, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  const size_t expected = sizeof(QUERY_SERVICE_CONFIGA) + sizeof("\\opt\\qv\\quorvane /service") + 1 +
                          sizeof("Tcpip") + sizeof("LanmanServer") + 1 + sizeof("LocalSystem") +
                          sizeof("Quorvane v4.0 Real-Time Service");
  EXPECT_EQ(needed, expected);

  std::vector<unsigned char> buffer(1024, 0xAA);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  DWORD again = 0;
  EXPECT_FALSE(QueryServiceConfigA(h, config, needed - 1, &again));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(again, needed);
  ASSERT_TRUE(QueryServiceConfigA(h, config, needed, &again));
  EXPECT_EQ(buffer[needed], 0xAA);  // nothing written past the size given
  EXPECT_EQ(config->dwServiceType, SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS);
  EXPECT_EQ(config->dwStartType, SERVICE_AUTO_START);
  EXPECT_STREQ(config->lpBinaryPathName, "\\opt\\qv\\quorvane /service");
  EXPECT_STREQ(config->lpLoadOrderGroup, "");
  EXPECT_STREQ(config->lpDependencies, "Tcpip");
  EXPECT_STREQ(config->lpDependencies + 6, "LanmanServer");
  EXPECT_STREQ(config->lpDependencies + 19, "");
  EXPECT_STREQ(config->lpServiceStartName, "LocalSystem");
  EXPECT_STREQ(config->lpDisplayName, "Quorvane v4.0 Real-Time Service");

  ASSERT_TRUE(ChangeServiceConfigA(h, SERVICE_WIN32_OWN_PROCESS, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, nullptr,
                                   nullptr, nullptr, "", nullptr, nullptr, "Renamed"));
  ASSERT_TRUE(QueryServiceConfigA(h, config, 1024, &again));
  EXPECT_EQ(config->dwServiceType, SERVICE_WIN32_OWN_PROCESS);
  EXPECT_EQ(config->dwStartType, SERVICE_AUTO_START);
  EXPECT_STREQ(config->lpDependencies, "");
  EXPECT_STREQ(config->lpDisplayName, "Renamed");
  CloseServiceHandle(h);
}

TEST_F(ServiceManager, DisplayAndKeyNames) {
  SC_HANDLE h = Create("Key", "x", "Shown Name");
  ASSERT_NE(h, nullptr);
  char buffer[64];
  DWORD count = 5;
  EXPECT_FALSE(GetServiceDisplayNameA(manager_, "KEY", buffer, &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(count, 10u);
  count = 11;
  ASSERT_TRUE(GetServiceDisplayNameA(manager_, "KEY", buffer, &count));
  EXPECT_STREQ(buffer, "Shown Name");
  EXPECT_EQ(count, 10u);
  count = sizeof buffer;
  ASSERT_TRUE(GetServiceKeyNameA(manager_, "shown name", buffer, &count));
  EXPECT_STREQ(buffer, "Key");
  count = sizeof buffer;
  EXPECT_FALSE(GetServiceKeyNameA(manager_, "Nobody", buffer, &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  CloseServiceHandle(h);
}

// The list as the NT Service page asks for it: a 36-byte buffer first, then
// 36 plus the bytes needed.
TEST_F(ServiceManager, EnumerationInTwoStepsAndInPages) {
  ASSERT_TRUE(qvp::SetSimulatedServiceState("Spooler", SERVICE_RUNNING, "Print Spooler"));
  ASSERT_TRUE(qvp::SetSimulatedServiceState("snmp", SERVICE_STOPPED, "SNMP Service"));
  ASSERT_TRUE(qvp::SetSimulatedServiceState("Alerter", SERVICE_RUNNING));
  SC_HANDLE own = Create("Quorvane40", "x", "Quorvane v4.0 Real-Time Service");
  CloseServiceHandle(own);

  std::vector<unsigned char> small(36);
  DWORD needed = 0, returned = 0, resume = 0;
  EXPECT_FALSE(EnumServicesStatusA(manager_, SERVICE_WIN32, SERVICE_STATE_ALL,
                                   reinterpret_cast<LPENUM_SERVICE_STATUSA>(small.data()), 36, &needed, &returned,
                                   &resume));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(returned, 0u);
  const size_t all = 4 * sizeof(ENUM_SERVICE_STATUSA) + sizeof("Alerter") * 2 + sizeof("Quorvane40") +
                     sizeof("Quorvane v4.0 Real-Time Service") + sizeof("snmp") + sizeof("SNMP Service") +
                     sizeof("Spooler") + sizeof("Print Spooler");
  EXPECT_EQ(needed, all);

  std::vector<ENUM_SERVICE_STATUSA> big((36 + needed) / sizeof(ENUM_SERVICE_STATUSA) + 1);
  resume = 0;
  ASSERT_TRUE(EnumServicesStatusA(manager_, SERVICE_WIN32, SERVICE_STATE_ALL, big.data(), 36 + needed, &needed,
                                  &returned, &resume));
  ASSERT_EQ(returned, 4u);
  EXPECT_EQ(resume, 0u);
  const char* names[] = {"Alerter", "Quorvane40", "snmp", "Spooler"};
  const char* displays[] = {"Alerter", "Quorvane v4.0 Real-Time Service", "SNMP Service", "Print Spooler"};
  const char* const begin = reinterpret_cast<const char*>(big.data());
  for (DWORD i = 0; i < returned; ++i) {
    EXPECT_STREQ(big[i].lpServiceName, names[i]);
    EXPECT_STREQ(big[i].lpDisplayName, displays[i]);
    EXPECT_GE(big[i].lpServiceName, begin + 4 * sizeof(ENUM_SERVICE_STATUSA));
    EXPECT_LT(big[i].lpDisplayName, begin + 36 + all);
  }
  EXPECT_EQ(big[2].ServiceStatus.dwCurrentState, SERVICE_STOPPED);
  EXPECT_EQ(big[3].ServiceStatus.dwCurrentState, SERVICE_RUNNING);

  // Pages of about one record, going on from the resume handle.
  std::vector<std::string> paged;
  resume = 0;
  for (int round = 0; round < 10; ++round) {
    std::vector<ENUM_SERVICE_STATUSA> page(2);
    const BOOL done = EnumServicesStatusA(manager_, SERVICE_WIN32, SERVICE_STATE_ALL, page.data(),
                                          sizeof(ENUM_SERVICE_STATUSA) + 48, &needed, &returned, &resume);
    for (DWORD i = 0; i < returned; ++i) paged.emplace_back(page[i].lpServiceName);
    if (done) break;
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
    ASSERT_EQ(returned, 1u);
  }
  EXPECT_EQ(paged, (std::vector<std::string>{"Alerter", "Quorvane40", "snmp", "Spooler"}));

  // State filters.
  resume = 0;
  ASSERT_TRUE(EnumServicesStatusA(manager_, SERVICE_WIN32, SERVICE_INACTIVE, big.data(), 36 + all, &needed,
                                  &returned, &resume));
  ASSERT_EQ(returned, 2u);
  EXPECT_STREQ(big[0].lpServiceName, "Quorvane40");
  EXPECT_STREQ(big[1].lpServiceName, "snmp");
  EXPECT_FALSE(EnumServicesStatusA(manager_, SERVICE_WIN32, 0, big.data(), 36 + all, &needed, &returned, &resume));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ServiceManager, SimulatedServicesStepThroughPendingStates) {
  ASSERT_TRUE(qvp::SetSimulatedServiceState("SNMP", SERVICE_RUNNING));
  SC_HANDLE snmp = Open("SNMP");
  ASSERT_NE(snmp, nullptr);
  SERVICE_STATUS status{};
  LPCSTR none[1] = {nullptr};
  EXPECT_FALSE(StartServiceA(snmp, 0, none));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));

  ASSERT_TRUE(ControlService(snmp, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOP_PENDING);
  ASSERT_TRUE(QueryServiceStatus(snmp, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);
  EXPECT_FALSE(ControlService(snmp, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);

  ASSERT_TRUE(StartServiceA(snmp, 0, nullptr));
  ASSERT_TRUE(QueryServiceStatus(snmp, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_START_PENDING);
  EXPECT_EQ(status.dwControlsAccepted, 0u);
  ASSERT_TRUE(QueryServiceStatus(snmp, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_RUNNING);
  EXPECT_EQ(status.dwControlsAccepted, SERVICE_ACCEPT_STOP);
  EXPECT_FALSE(ControlService(snmp, SERVICE_CONTROL_PAUSE, &status));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_SERVICE_CONTROL));
  EXPECT_FALSE(ControlService(snmp, 77, &status));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // A pending state a test sets stays, and refuses controls.
  ASSERT_TRUE(qvp::SetSimulatedServiceState("SNMP", SERVICE_START_PENDING));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(StateOf("SNMP"), SERVICE_START_PENDING);
  EXPECT_FALSE(ControlService(snmp, SERVICE_CONTROL_INTERROGATE, &status));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_CANNOT_ACCEPT_CTRL));
  EXPECT_EQ(status.dwCurrentState, SERVICE_START_PENDING);

  ASSERT_TRUE(qvp::SetSimulatedServiceState("SNMP", SERVICE_STOPPED));
  ASSERT_TRUE(ChangeServiceConfigA(snmp, SERVICE_NO_CHANGE, SERVICE_DISABLED, SERVICE_NO_CHANGE, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_FALSE(StartServiceA(snmp, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DISABLED));
  CloseServiceHandle(snmp);
  EXPECT_FALSE(qvp::SetSimulatedServiceState("SNMP", 9));
  EXPECT_FALSE(qvp::SetSimulatedServiceState("a\\b", SERVICE_RUNNING));
}

TEST_F(ServiceManager, AStartThroughATestLauncherRecordsTheProgramAndItsArguments) {
  SC_HANDLE h = Create("Quorvane40", "/opt/qv dir/quorvane /service");
  ASSERT_NE(h, nullptr);
  // The program must exist for the manager to start it.
  dir_.Write("opt/qv dir/quorvane", "");
  ASSERT_TRUE(ChangeServiceConfigA(h, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                                   (dir_.path() + "/opt/qv dir/quorvane /service").c_str(), nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr));
  qvp::test::RecordingLauncher launcher;
  LPCSTR args[] = {"0", "two words"};
  ASSERT_TRUE(StartServiceA(h, 2, args));
  qvp::ProcessLaunch launch = launcher.Only();
  EXPECT_EQ(launch.program, dir_.path() + "/opt/qv dir/quorvane");
  ASSERT_EQ(launch.argv.size(), 6u);
  EXPECT_EQ(launch.argv[1], "/service");
  EXPECT_EQ(launch.argv[2], "--qv-service=Quorvane40");
  EXPECT_EQ(launch.argv[3].rfind("--qv-service-token=", 0), 0u);
  EXPECT_EQ(launch.argv[4], "--qv-service-arg=0");
  EXPECT_EQ(launch.argv[5], "--qv-service-arg=two words");
  EXPECT_TRUE(launch.new_session);
  EXPECT_EQ(launch.directory, dir_.path() + "/opt/qv dir/");
  bool state_dir_passed = false;
  for (const std::string& e : launch.environment) state_dir_passed |= e == "QV_STATE_DIR=" + dir_.path();
  EXPECT_TRUE(state_dir_passed);

  EXPECT_EQ(StateOf("Quorvane40"), SERVICE_START_PENDING);
  EXPECT_EQ(StateOf("Quorvane40"), SERVICE_RUNNING);
  SERVICE_STATUS status{};
  ASSERT_TRUE(ControlService(h, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(StateOf("Quorvane40"), SERVICE_STOPPED);
  CloseServiceHandle(h);
}

TEST_F(ServiceManager, ThreadsShareTheDatabase) {
  ASSERT_TRUE(qvp::SetSimulatedServiceState("Common", SERVICE_RUNNING));
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      const std::string own = "Own" + std::to_string(t);
      SC_HANDLE mine = Create(own.c_str());
      EXPECT_NE(mine, nullptr);
      for (int i = 0; i < 5; ++i) {
        SC_HANDLE h = Open("Common", SERVICE_QUERY_STATUS);
        SERVICE_STATUS status{};
        EXPECT_TRUE(h != nullptr && QueryServiceStatus(h, &status));
        if (h != nullptr) CloseServiceHandle(h);
      }
      EXPECT_TRUE(DeleteService(mine));
      CloseServiceHandle(mine);
    });
  }
  for (std::thread& t : threads) t.join();
  for (int t = 0; t < 4; ++t) EXPECT_FALSE(Exists(("Own" + std::to_string(t)).c_str()));
  // Every handle of "Common" was counted back out: once stopped, deleting it
  // removes it with the last handle.
  SC_HANDLE common = Open("Common");
  SERVICE_STATUS status{};
  ASSERT_TRUE(ControlService(common, SERVICE_CONTROL_STOP, &status));
  ASSERT_TRUE(DeleteService(common));
  CloseServiceHandle(common);
  EXPECT_FALSE(Exists("Common"));
}

TEST_F(ServiceManager, TheDispatcherRefusesAProcessTheManagerDidNotStart) {
  SERVICE_TABLE_ENTRYA table[] = {{const_cast<LPSTR>("Quorvane"), [](DWORD, LPSTR*) {}}, {nullptr, nullptr}};
  EXPECT_FALSE(StartServiceCtrlDispatcherA(table));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT));
  EXPECT_EQ(RegisterServiceCtrlHandlerA("Quorvane", [](DWORD) {}), nullptr);
  SERVICE_STATUS status{SERVICE_WIN32_OWN_PROCESS, SERVICE_RUNNING, 0, 0, 0, 0, 0};
  EXPECT_FALSE(SetServiceStatus(reinterpret_cast<SERVICE_STATUS_HANDLE>(manager_), &status));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
