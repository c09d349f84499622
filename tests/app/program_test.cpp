// The program end to end: the built quorvane started as a child process in a
// program directory of the test's own, with its settings, state, registry
// and Windows directory in a temporary folder.
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "qvplatform/kernel.h"
#include "qvplatform/services.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

// Generous guard against a hung program; never a measure of speed.
constexpr int kPatience = 60;

constexpr char kLoopReached[] = "Start-up step: message loop";
constexpr char kPanelShown[] = "Main window: another start asks to see the program; showing the panel";
constexpr char kMissingProduct[] =
    "MessageBox [Error!] Unable to locate a CURRENT product resource support file (.PRD).";

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_.path() / "program");
    fs::create_directories(root_.path() / "home");
    fs::create_directories(root_.path() / "state");
    for (const char* name : {"quorvane", "libqvplatform.so", "libqv_ui.so", "PRODUCT.RSL", "BASE.RSL", "ctlpack4.dll"})
      Install(fs::path(QV_TEST_DIST_DIR) / name);
    Install(QV_TEST_FAKE_PLUGIN);
    // Log-file detection was offered at an earlier start: the panel asks nothing.
    root_.write("program/QUORVANE.INI", "[Defaults]\r\nAutoDetectLogFiles=1\r\n");
    qvp::SetStateDirectory(State().c_str());
  }
  void TearDown() override {
    if (service_ != nullptr) {
      DeleteService(service_);
      CloseServiceHandle(service_);
    }
    if (manager_ != nullptr) CloseServiceHandle(manager_);
    // A service copy that a failed test left running would outlive the run.
    EXPECT_EQ(qvtest::KillServiceCopies(ProgramDir(), kPatience), 0) << "a service copy was still running";
    qvp::SetStateDirectory(nullptr);
  }

  // Copied, not linked: the program finds its directory from its own file.
  void Install(const fs::path& file) {
    fs::copy_file(file, root_.path() / "program" / file.filename(), fs::copy_options::overwrite_existing);
  }

  std::string ProgramDir() const { return (root_.path() / "program").string(); }
  std::string ProgramFile() const { return ProgramDir() + "/quorvane"; }
  std::string State() const { return (root_.path() / "state").string(); }
  std::string Log(const std::string& name) const { return (root_.path() / name).string(); }
  std::string ServiceLog() const { return root_.read("state/services/Quorvane40.log"); }

  // Registers the program as the service "Quorvane40", started on demand;
  // the test's end deletes it. Null when that failed.
  SC_HANDLE InstallService(bool interactive) {
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager_ == nullptr) return nullptr;
    const std::string binary = "\"" + ProgramFile() + "\" /service";
    const DWORD type = SERVICE_WIN32_OWN_PROCESS | (interactive ? SERVICE_INTERACTIVE_PROCESS : 0);
    service_ = CreateServiceA(manager_, "Quorvane40", "Quorvane Real-Time Service", SERVICE_ALL_ACCESS, type,
                              SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, binary.c_str(), nullptr, nullptr, nullptr,
                              nullptr, nullptr);
    return service_;
  }
  // The service's status once it is in one of `states` (or can no longer be asked).
  SERVICE_STATUS WaitForService(std::initializer_list<DWORD> states) const {
    SERVICE_STATUS status{};
    for (int i = 0; i < kPatience * 50 && QueryServiceStatus(service_, &status) &&
                    std::find(states.begin(), states.end(), status.dwCurrentState) == states.end();
         ++i)
      Sleep(20);
    return status;
  }

  std::vector<std::string> Environment() const {
    const std::string home = (root_.path() / "home").string();
    return {"HOME=" + home, "QV_STATE_DIR=" + State(), "QV_DEBUG=1", "QV_TEST=1", "QV_HEADLESS=1",
            "QV_REGISTRY=" + home + "/registry", "QV_WINDOWS_DIR=" + home + "/windows"};
  }

  std::unique_ptr<qvtest::ChildProcess> Start(const std::string& log, std::vector<std::string> arguments = {}) {
    return std::make_unique<qvtest::ChildProcess>(ProgramFile(), arguments, Environment(), root_.path().string(),
                                                  Log(log));
  }

  // Second starts until the first says it showed its panel (so the panel has
  // finished its start); false when that never happens.
  bool AskUntilThePanelShows(const std::function<std::string()>& firstOutput) {
    for (int i = 0; i < kPatience * 10; ++i) {
      if (qvtest::RunToEnd(ProgramFile(), {}, Environment(), root_.path().string(), Log("second.log")) != 0)
        return false;
      // The second start sends its message and waits for the answer: the line is there by now.
      if (firstOutput().find(kPanelShown) != std::string::npos) return true;
    }
    return false;
  }
  bool AskUntilThePanelShows(const qvtest::ChildProcess& first) {
    return AskUntilThePanelShows([&] { return first.Output(); });
  }

  qvtest::TempDir root_{"qvapp"};
  SC_HANDLE manager_ = nullptr;
  SC_HANDLE service_ = nullptr;
};

// The lines of `text` in the order given, each after the one before.
::testing::AssertionResult InOrder(const std::string& text, const std::vector<std::string>& lines) {
  size_t at = 0;
  for (const std::string& line : lines) {
    const size_t found = text.find(line, at);
    if (found == std::string::npos) return ::testing::AssertionFailure() << "missing or out of order: " << line
                                                                         << "\n--- output ---\n" << text;
    at = found + line.size();
  }
  return ::testing::AssertionSuccess();
}

TEST_F(Program, WithoutTheProductLibraryTheStartFailsWithItsMessage) {
  fs::remove(fs::path(ProgramDir()) / "PRODUCT.RSL");
  auto program = Start("first.log");
  EXPECT_EQ(program->Wait(), 255);
  const std::string out = program->Output();
  EXPECT_TRUE(InOrder(out, {"Start-up step: language", "Start-up step: product library", kMissingProduct}));
  EXPECT_EQ(out.find("Start-up step: resource module"), std::string::npos);
}

TEST_F(Program, SigtermEndsTheProgramThroughThePanelsExitCommand) {
  auto program = Start("first.log");
  ASSERT_TRUE(program->WaitForOutput(kLoopReached, kPatience)) << program->Output();
  ASSERT_TRUE(AskUntilThePanelShows(*program)) << program->Output();
  program->Signal(SIGTERM);
  EXPECT_EQ(program->Wait(), 0);
  const std::string out = program->Output();
  EXPECT_TRUE(InOrder(out, {"Start-up step: main window class", "Start-up step: hidden main window",
                            "Start-up step: command line and program directory", "Start-up step: scheduler mutex",
                            "Start-up step: owner and organisation", "Start-up step: CPU usage setting",
                            "Start-up step: network libraries", "Start-up step: colour depth and custom controls",
                            "Start-up step: language", "Start-up step: product library",
                            "Start-up step: product registration", "Start-up step: resource module",
                            "Start-up step: help path", "Start-up step: progress bar class", "Start-up step: splash",
                            "Start-up step: pending messages", "Start-up step: splash hold",
                            "Start-up step: plug-ins", "Start-up step: first-start step",
                            "Start-up step: main panel request", kLoopReached,
                            "Control event: exit command to the main panel", "Start-up step: shutdown: resource cache",
                            "Start-up step: shutdown: splash and registrations",
                            "Start-up step: shutdown: window classes and custom controls",
                            "Start-up step: shutdown: plug-ins", "Start-up step: shutdown: resource module",
                            "Start-up step: shutdown: product library"}));
  EXPECT_EQ(out.find("MessageBox"), std::string::npos) << out;
  // The plug-in was bound, and shut down once on the way out.
  const std::string calls = root_.read("program/calls.log");
  EXPECT_TRUE(InOrder(calls, {"qvm_fake.dll init", "qvm_fake.dll fn 14", "qvm_fake.dll detach"})) << calls;
  EXPECT_EQ(calls.find("fn 14"), calls.rfind("fn 14"));
}

TEST_F(Program, SigtermDuringTheStartEndsItBeforeThePanel) {
  auto program = Start("first.log");
  // From this step on the signal is the program's to handle.
  ASSERT_TRUE(program->WaitForOutput("Start-up step: command line and program directory", kPatience))
      << program->Output();
  program->Signal(SIGTERM);
  ASSERT_TRUE(program->WaitForOutput("Start-up step: shutdown: product library", kPatience)) << program->Output();
  EXPECT_EQ(program->Wait(), 0) << program->Output();
  EXPECT_EQ(program->Output().find("Main window: another start"), std::string::npos);
}

TEST_F(Program, ASecondStartMakesTheFirstShowItselfAndEnds) {
  auto first = Start("first.log");
  ASSERT_TRUE(first->WaitForOutput(kLoopReached, kPatience)) << first->Output();
  // Until the panel has finished its start, a second start only clears the
  // start-hidden value; afterwards it shows the panel.
  ASSERT_TRUE(AskUntilThePanelShows(*first)) << first->Output();
  const std::string secondOut = root_.read("second.log");
  EXPECT_EQ(secondOut.find("Start-up step:"), std::string::npos) << secondOut;

  first->Signal(SIGTERM);
  EXPECT_EQ(first->Wait(), 0);
}

TEST_F(Program, AStoppedServiceIsStartedWithArgumentZeroAndStoppedByItsControl) {
  SC_HANDLE service = InstallService(true);
  ASSERT_NE(service, nullptr) << GetLastError();

  // The interactive start hands over to the service and ends.
  auto starter = Start("starter.log");
  EXPECT_EQ(starter->Wait(), 0);
  EXPECT_EQ(starter->Output().find("Start-up step:"), std::string::npos) << starter->Output();

  SERVICE_STATUS status{};
  ASSERT_TRUE(QueryServiceStatus(service, &status));
  EXPECT_NE(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));

  // The service program runs the whole start, with the start argument "0".
  for (int i = 0; i < kPatience * 50 && ServiceLog().find(kLoopReached) == std::string::npos; ++i) Sleep(20);
  EXPECT_TRUE(InOrder(ServiceLog(), {"Service: started with 2 arguments, start-hidden 0", kLoopReached}));
  // Another interactive start finds the service's window and brings its panel up.
  ASSERT_TRUE(AskUntilThePanelShows([this] { return ServiceLog(); })) << ServiceLog();

  ASSERT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status)) << GetLastError();
  EXPECT_EQ(WaitForService({SERVICE_STOPPED}).dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_TRUE(InOrder(ServiceLog(), {"Service: stop: exit command to the main panel",
                                     "Start-up step: shutdown: product library"}));
}

TEST_F(Program, AStopThatComesBeforeThePanelIsUpStillEndsTheService) {
  SC_HANDLE service = InstallService(true);
  ASSERT_NE(service, nullptr) << GetLastError();
  EXPECT_EQ(Start("starter.log")->Wait(), 0);

  // The stop goes as soon as the service accepts it, while its start is still
  // on its way to the panel.
  SERVICE_STATUS status = WaitForService({SERVICE_RUNNING, SERVICE_STOPPED});
  ASSERT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING)) << ServiceLog();
  ASSERT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status)) << GetLastError() << "\n" << ServiceLog();
  status = WaitForService({SERVICE_STOPPED});
  const std::string log = ServiceLog();
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED)) << log;
  // Ended, not lost: no exit code of an aborted program.
  EXPECT_EQ(status.dwWin32ExitCode, 0u) << log;
  EXPECT_TRUE(InOrder(log, {"Service: stop", "Start-up step: shutdown: product library"}));
}

TEST_F(Program, ANonInteractiveServiceSaysSoAndStops) {
  ASSERT_NE(InstallService(false), nullptr) << GetLastError();
  // Started by an interactive start, so that it runs with the test's debug output.
  EXPECT_EQ(Start("starter.log")->Wait(), 0);

  EXPECT_EQ(WaitForService({SERVICE_STOPPED}).dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
  const std::string log = ServiceLog();
  EXPECT_TRUE(InOrder(log, {"Service: started with 2 arguments, start-hidden 0",
                            "MessageBox [Quorvane Service] Quorvane Service cannot start as a non-interactive service"}));
  EXPECT_EQ(log.find("Start-up step:"), std::string::npos) << log;
}

TEST_F(Program, AServicePasswordNotInItsStoredFormIsRefusedAndTheStartGoesOn) {
  root_.write("program/QUORVANE.INI",
              "[Defaults]\r\nAutoDetectLogFiles=1\r\nUsername=DOMAIN\\someone\r\nPassword=not-scrambled\r\n");
  SC_HANDLE service = InstallService(true);
  ASSERT_NE(service, nullptr) << GetLastError();
  // Started by an interactive start, so that it runs with the test's debug output.
  EXPECT_EQ(Start("starter.log")->Wait(), 0);

  ASSERT_TRUE(AskUntilThePanelShows([this] { return ServiceLog(); })) << ServiceLog();
  EXPECT_TRUE(InOrder(ServiceLog(), {"MessageBox [Quorvane Service] Quorvane service failed to logon", kLoopReached}));

  SERVICE_STATUS status{};
  ASSERT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status)) << GetLastError();
  EXPECT_EQ(WaitForService({SERVICE_STOPPED}).dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
}

}  // namespace
