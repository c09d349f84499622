// A new user on a screen: the built quorvane with the monitoring plug-in on a
// private X server; xdotool clicks New and types through the profile wizard as
// a user would. The profile lands in its file, the engine finds the device up
// (status log) and every page of the wizard was pictured.
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "loopback_listener.h"
#include "qv_logstat.h"
#include "screen_session.h"

namespace {

constexpr char kWizardTitle[] = "Add Monitoring and Alerting Profile - Description and Monitor Type";

class WizardOnScreen : public qvtest::ScreenTest {
 protected:
  WizardOnScreen()
      : ScreenTest({.folder = "qvwizardscreen",
                    .modules = qvtest::kMonitoringPlugIn,
                    .folders = {"snapshots", "web"},
                    .tools = {{"/usr/bin/python3", "python3"}}}) {}
  // A web server on the loopback address, on a port free a moment ago.
  void Prepare() override {
    {
      const Listener probe;
      ASSERT_TRUE(probe.ok());
      webPort_ = probe.port();
    }
    web_ = server_->Spawn({"/usr/bin/python3", "-m", "http.server", "--bind", "127.0.0.1", "--directory",
                           Path("web").string(), std::to_string(webPort_)});
    ASSERT_GT(web_, 0);
  }
  void TearDown() override {
    ScreenTest::TearDown();
    if (web_ > 0) {
      kill(web_, SIGTERM);
      waitpid(web_, nullptr, 0);
    }
  }

  // The events of the status log ("INIT" with its state, ...).
  std::vector<std::string> LogEvents() {
    std::vector<std::string> events;
    const std::string path = Path("program/qvm_alrt/qvm_alrt.log").string();
    HQVLSREADER reader = QVLS_LogStatusFileStartup(path.c_str());
    if (reader == nullptr) return events;
    QVLS_ENTRY_FIELD* fields = nullptr;
    int count = 0;
    while (QVLS_ReadEntryFromLogStatusFile(reader, &fields, &count) == 1) {
      std::string event, state;
      for (int n = 0; n < count; ++n) {
        if (fields[n].type == 4 && event.empty()) event = fields[n].text;
        if (fields[n].type == 5 && state.empty()) state = fields[n].text;
      }
      events.push_back(event + " " + state);
      QVLS_FreeEntry(fields);
    }
    QVLS_LogStatusFileCleanup(reader);
    return events;
  }

  pid_t web_ = -1;
  int webPort_ = 0;
};

TEST_F(WizardOnScreen, ANewUserMakesAWebProfileWithTheMouseAndKeyboard) {
  const unsigned long panel = StartToPanel({Snapshots()});
  ASSERT_NE(panel, 0u) << program_->Output();
  const RECT g = server_->Geometry(panel);
  // New: the toolbar's first button.
  ASSERT_EQ(Click(g.left + 4 + 36, g.top + 41 + 22), 0);
  // A click on the wizard's caption: the keys go to it from here on.
  ASSERT_NE(Focus(kWizardTitle), 0u) << program_->Output();

  Type("Intranet web");
  Key("Tab");
  // The kind list (sorted) shows Ping; HTTP is six entries above it.
  for (int i = 0; i < 6; ++i) Key("Up");
  Key("alt+n");
  Type("127.0.0.1");
  Key("Tab");
  Type(std::to_string(webPort_));
  Key("Tab");
  Type("30");
  Key("Tab");
  Type("S");  // Seconds
  Key("Tab");
  Type("1");
  Key("alt+n");  // the Audio page
  Key("alt+n");  // the E-Mail page
  Key("alt+n");  // the Pager page
  Key("Return");  // Finish

  if (!WaitForFile(Path("program/qvm_alrt/datfiles/lert0000.amp"))) {
    std::string shots;
    for (const auto& entry : std::filesystem::directory_iterator(Path("snapshots")))
      shots += entry.path().filename().string() + " ";
    FAIL() << "no profile file; pictured: " << shots << "\n" << program_->Output().substr(0, 4000);
  }
  const std::string text = ReadProgramFile("qvm_alrt/datfiles/lert0000.amp");
  const auto value = [&](const std::string& key) { return qvtest::SettingIn(text, "Monitor", key); };
  EXPECT_EQ(value("MonitorType"), "HTTP") << text;
  EXPECT_EQ(value("HostName"), "127.0.0.1");
  EXPECT_EQ(value("PortID"), std::to_string(webPort_));
  EXPECT_EQ(value("PollTime"), "30");
  EXPECT_EQ(value("PollTimeUnit"), "0");

  // The engine tests the new device at once and finds it up.
  const bool tested = Eventually([&] {
    for (const std::string& event : LogEvents())
      if (event.rfind("INIT", 0) == 0) return true;
    return false;
  });
  EXPECT_TRUE(tested) << program_->Output();
  std::string states;
  for (const std::string& event : LogEvents()) states += event + "\n";
  EXPECT_NE(states.find("INIT UP"), std::string::npos) << states;

  for (int id : {112, 16013, 31010, 31011, 31012}) {
    EXPECT_TRUE(std::filesystem::exists(Path("snapshots/dialog_" + std::to_string(id) + ".png"))) << id;
  }
  // A monitored profile keeps the program running when its window closes;
  // the test ends it (TearDown).
}

}  // namespace
