// The manager with real processes: a service program started through it, and
// a second process looking at the same database.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "services/service_db.h"
#include "services/services_test_support.h"

namespace {

using qvp::test::ServiceTest;

const char* const kProgram = QVTEST_SERVICE_PROGRAM;

class ServiceProgram : public ServiceTest {
 protected:
  // Runs the test program with the arguments and returns its exit code.
  DWORD RunProgram(const std::string& arguments) {
    std::string line = std::string("\"") + kProgram + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
      ADD_FAILURE() << "cannot start the test program: " << GetLastError();
      return 1000;
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 1000;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return code;
  }

  SC_HANDLE CreateOwnService(const char* name) {
    const std::string binary = std::string("\"") + kProgram + "\" /service";
    return Create(name, binary.c_str());
  }

  // Waits (at most about 20 seconds) until the service is in the state.
  bool AwaitState(const char* name, DWORD state) {
    for (int i = 0; i < 2000; ++i) {
      if (StateOf(name) == state) return true;
      Sleep(10);
    }
    return false;
  }

  std::string Record(const char* name) { return dir_.Read(std::string("program-") + name + ".txt"); }
  std::string Log(const char* name) { return dir_.Read(std::string("services/") + name + ".log"); }

  int RecordedPid(const char* name) { return std::atoi(Record(name).c_str()); }
};

TEST_F(ServiceProgram, AnotherProcessSeesTheSameDatabase) {
  ASSERT_TRUE(qvp::SetSimulatedServiceState("SNMP", SERVICE_RUNNING));
  EXPECT_EQ(RunProgram("status snmp"), SERVICE_RUNNING);
  EXPECT_EQ(RunProgram("status Nothing"), 100u);
  EXPECT_EQ(RunProgram("simulate Spooler 7"), 0u);
  EXPECT_EQ(StateOf("SPOOLER"), SERVICE_PAUSED);
}

TEST_F(ServiceProgram, RunsReportsRunningAndStopsOnControl) {
  SC_HANDLE h = CreateOwnService("QvTest");
  ASSERT_NE(h, nullptr);
  LPCSTR args[] = {"0", "a b;c $(x)"};
  ASSERT_TRUE(StartServiceA(h, 2, args)) << GetLastError() << "\n" << Log("QvTest");
  ASSERT_TRUE(AwaitState("QvTest", SERVICE_RUNNING)) << Log("QvTest");
  const int pid = RecordedPid("QvTest");
  EXPECT_GT(pid, 0);
  EXPECT_NE(Record("QvTest").find("\narg QvTest\narg 0\narg a b;c $(x)\n"), std::string::npos) << Record("QvTest");

  EXPECT_FALSE(StartServiceA(h, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));
  SERVICE_STATUS status{};
  ASSERT_TRUE(ControlService(h, SERVICE_CONTROL_INTERROGATE, &status)) << GetLastError();
  EXPECT_EQ(status.dwCurrentState, SERVICE_RUNNING);
  EXPECT_EQ(status.dwControlsAccepted, SERVICE_ACCEPT_STOP);
  ASSERT_TRUE(ControlService(h, 200, &status)) << GetLastError();
  EXPECT_FALSE(ControlService(h, SERVICE_CONTROL_PAUSE, &status));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_SERVICE_CONTROL));

  ASSERT_TRUE(ControlService(h, SERVICE_CONTROL_STOP, &status)) << GetLastError();
  ASSERT_TRUE(AwaitState("QvTest", SERVICE_STOPPED));
  ASSERT_TRUE(QueryServiceStatus(h, &status));
  EXPECT_EQ(status.dwWin32ExitCode, 0u);
  EXPECT_NE(Record("QvTest").find("control 4\ncontrol 200\ncontrol 1\n"), std::string::npos) << Record("QvTest");
  // The program ends after its dispatcher returns.
  for (int i = 0; i < 2000 && qvp::services::ProcessNow(pid).pid != 0; ++i) Sleep(10);
  EXPECT_EQ(qvp::services::ProcessNow(pid).pid, 0);
  EXPECT_FALSE(ControlService(h, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));

  // And it starts again.
  ASSERT_TRUE(StartServiceA(h, 0, nullptr)) << GetLastError();
  ASSERT_TRUE(AwaitState("QvTest", SERVICE_RUNNING));
  ASSERT_TRUE(ControlService(h, SERVICE_CONTROL_STOP, &status));
  ASSERT_TRUE(AwaitState("QvTest", SERVICE_STOPPED));
  CloseServiceHandle(h);
}

TEST_F(ServiceProgram, AProgramThatDiesLeavesItsServiceStopped) {
  SC_HANDLE h = CreateOwnService("Fragile");
  ASSERT_NE(h, nullptr);
  ASSERT_TRUE(StartServiceA(h, 0, nullptr)) << GetLastError();
  ASSERT_TRUE(AwaitState("Fragile", SERVICE_RUNNING));
  ASSERT_EQ(kill(RecordedPid("Fragile"), SIGKILL), 0);
  ASSERT_TRUE(AwaitState("Fragile", SERVICE_STOPPED));
  SERVICE_STATUS status{};
  ASSERT_TRUE(QueryServiceStatus(h, &status));
  EXPECT_EQ(status.dwWin32ExitCode, static_cast<DWORD>(ERROR_PROCESS_ABORTED));
  CloseServiceHandle(h);
}

TEST_F(ServiceProgram, DeletedWhileRunningGoesWhenStoppedAndClosed) {
  SC_HANDLE h = CreateOwnService("Leaving");
  ASSERT_NE(h, nullptr);
  ASSERT_TRUE(StartServiceA(h, 0, nullptr)) << GetLastError();
  ASSERT_TRUE(AwaitState("Leaving", SERVICE_RUNNING));
  ASSERT_TRUE(DeleteService(h));
  EXPECT_TRUE(Exists("Leaving"));
  SERVICE_STATUS status{};
  ASSERT_TRUE(ControlService(h, SERVICE_CONTROL_STOP, &status));
  for (int i = 0; i < 2000 && StateOf("Leaving") == SERVICE_RUNNING; ++i) Sleep(10);
  EXPECT_TRUE(Exists("Leaving"));  // stopped, but this handle is still open
  CloseServiceHandle(h);
  EXPECT_FALSE(Exists("Leaving"));
}

TEST_F(ServiceProgram, StartsThatCannotHappen) {
  SC_HANDLE missing = Create("Missing", "/no/such/program /service");
  ASSERT_NE(missing, nullptr);
  EXPECT_FALSE(StartServiceA(missing, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  SERVICE_STATUS status{};
  ASSERT_TRUE(QueryServiceStatus(missing, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);
  EXPECT_EQ(status.dwWin32ExitCode, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  CloseServiceHandle(missing);

  // A program that ends without reaching a dispatcher.
  SC_HANDLE quitter = Create("Quitter", "/bin/true");
  ASSERT_NE(quitter, nullptr);
  EXPECT_FALSE(StartServiceA(quitter, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_REQUEST_TIMEOUT));
  EXPECT_EQ(StateOf("Quitter"), SERVICE_STOPPED);
  CloseServiceHandle(quitter);

  // Run by hand, the service program is refused by its dispatcher.
  EXPECT_EQ(RunProgram("/service"), 63u);
}

TEST_F(ServiceProgram, HandlesOfOtherProcessesKeepADeletedService) {
  SC_HANDLE h = Create("Shared");
  ASSERT_NE(h, nullptr);
  const std::string marker = dir_ / "held";
  std::string line = std::string("\"") + kProgram + "\" hold Shared \"" + marker + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION holder{};
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &holder));
  for (int i = 0; i < 2000 && !dir_.Exists("held"); ++i) Sleep(10);
  ASSERT_TRUE(dir_.Exists("held"));

  ASSERT_TRUE(DeleteService(h));
  CloseServiceHandle(h);
  EXPECT_TRUE(Exists("Shared"));
  ASSERT_TRUE(TerminateProcess(holder.hProcess, 9));
  WaitForSingleObject(holder.hProcess, INFINITE);
  CloseHandle(holder.hProcess);
  CloseHandle(holder.hThread);
  EXPECT_FALSE(Exists("Shared"));
}

}  // namespace
