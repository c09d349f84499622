// The Options window on a screen: a user opens it from the Tools menu of the
// built quorvane on a private X server, chooses to run it as a service and
// presses OK; the service takes over and a stop control ends it.
#include <string>

#include <gtest/gtest.h>

#include "qvplatform.h"
#include "screen_session.h"

namespace {

class OptionsOnScreen : public qvtest::ScreenTest {
 protected:
  OptionsOnScreen() : ScreenTest({.folder = "qvoptions"}) {}
  void TearDown() override {
    // A service copy left running by a failed run is stopped.
    if (server_ != nullptr) {
      qvp::SetStateDirectory(Path("home/state").string().c_str());
      SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
      if (SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, "Quorvane40", SERVICE_ALL_ACCESS) : nullptr) {
        SERVICE_STATUS status{};
        for (int i = 0; i < kPatience * 10; ++i) {
          if (!QueryServiceStatus(service, &status) || status.dwCurrentState == SERVICE_STOPPED) break;
          if (status.dwCurrentState == SERVICE_RUNNING) ControlService(service, SERVICE_CONTROL_STOP, &status);
          Sleep(100);
        }
        DeleteService(service);
        CloseServiceHandle(service);
      }
      if (manager != nullptr) CloseServiceHandle(manager);
      qvp::SetStateDirectory(nullptr);
      // Whatever did not end on its stop control must not outlive the test.
      EXPECT_EQ(qvtest::KillServiceCopies(Path("program").string(), kPatience), 0);
    }
    ScreenTest::TearDown();
  }
};

TEST_F(OptionsOnScreen, AUserInstallsTheServiceAndItTakesOver) {
  const unsigned long panel = StartToPanel();
  ASSERT_NE(panel, 0u) << program_->Output();
  // Tools on the menu bar, then its first item, Options.
  const unsigned long options = OpenFromMenu(panel, 130, 135, 63, "Options");
  ASSERT_NE(options, 0u) << program_->Output();
  const RECT o = server_->Geometry(options);
  // Into the window (its title bar), to the third page with the keyboard, the
  // service's box by its mnemonic, and OK.
  ASSERT_EQ(Click(o.left + 200, o.top + 30), 0);
  ASSERT_EQ(Keys({"ctrl+Tab", "ctrl+Tab", "Tab", "space", "Return"}, 200, "0.3"), 0);
  // The interactive copy ends; the service copy runs in its place.
  EXPECT_EQ(program_->Wait(), 0) << program_->Output();
  qvp::SetStateDirectory(Path("home/state").string().c_str());
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = manager != nullptr ? OpenServiceA(manager, "Quorvane40", SERVICE_ALL_ACCESS) : nullptr;
  ASSERT_NE(service, nullptr) << program_->Output();
  const auto readLog = [this] { return root_.read("home/state/services/Quorvane40.log"); };
  std::string text;
  Eventually([&] {
    text = readLog();
    return text.find("Start-up step: message loop") != std::string::npos;
  });
  EXPECT_NE(text.find("Service: started with"), std::string::npos) << text;
  EXPECT_NE(text.find("start-hidden 0"), std::string::npos) << text;
  SERVICE_STATUS status{};
  Eventually([&] { return QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING; });
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  // A stop control ends the service.
  EXPECT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status));
  Eventually([&] { return QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_STOPPED; });
  text = readLog();
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED)) << text;
  EXPECT_EQ(status.dwWin32ExitCode, 0u) << text;
  EXPECT_NE(text.find("Start-up step: shutdown: product library"), std::string::npos) << text;
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  qvp::SetStateDirectory(nullptr);
}

}  // namespace
