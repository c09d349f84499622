// A profile watching a TCP port on the loopback address, through the built
// plug-in as the program binds it: the main list and the status log follow
// the port as it closes and opens again.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "loopback_listener.h"
#include "port_profile.h"
#include "test_host.h"
#include "program_dir.h"
#include "qv_logstat.h"

namespace {

constexpr unsigned kAlertingKind = 4;

struct Row {
  int code = -1;
  std::string text;
};

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == '\t') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

class PortMonitoringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_.Link(QV_TEST_DIST_DIR, "qvm_alrt.dll");
    program_.LinkLibraries(QV_TEST_DIST_DIR);
  }
  void TearDown() override { EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty()); }

  Row Text(PROFILE* row) {
    auto text = host_.Function<PFN_GetMainListText>(kAlertingKind, PF_GET_MAIN_LIST_TEXT);
    char buffer[1024] = "";
    Row out;
    out.code = text(row, buffer, sizeof buffer);
    out.text = buffer;
    return out;
  }
  std::string Status(PROFILE* row) { return Split(Text(row).text).at(3); }

  // Polls the row's status (generous deadline) until it reads `wanted`; every
  // status seen on the way is kept, but for "Testing...", which a row shows
  // while its test runs.
  bool WaitForStatus(PROFILE* row, const std::string& wanted) {
    for (int n = 0; n < 12000; ++n) {
      const std::string status = Status(row);
      if (status != "Testing..." && (seen_.empty() || seen_.back() != status)) seen_.push_back(status);
      if (status == wanted) return true;
      Sleep(5);
    }
    return false;
  }

  std::vector<std::vector<std::pair<long, std::string>>> Log() {
    std::vector<std::vector<std::pair<long, std::string>>> entries;
    const std::string path = program_.path() + "/qvm_alrt/qvm_alrt.log";
    HQVLSREADER reader = QVLS_LogStatusFileStartup(path.c_str());
    QVLS_ENTRY_FIELD* fields = nullptr;
    int count = 0;
    while (QVLS_ReadEntryFromLogStatusFile(reader, &fields, &count) == 1) {
      std::vector<std::pair<long, std::string>> entry;
      for (int n = 0; n < count; ++n) entry.emplace_back(fields[n].type, fields[n].text);
      entries.push_back(entry);
      QVLS_FreeEntry(fields);
    }
    QVLS_LogStatusFileCleanup(reader);
    return entries;
  }
  // Each entry's event, with the state for INIT and STATUS entries.
  std::vector<std::string> Events() {
    std::vector<std::string> events;
    for (const auto& entry : Log()) {
      std::string event;
      std::string state;
      for (const auto& [type, text] : entry) {
        if (type == 4 && event.empty()) event = text;
        if (type == 5 && state.empty()) state = text;
      }
      if (event == "INIT" || event == "STATUS") event += " " + state;
      events.push_back(event);
    }
    return events;
  }

  qvtest::ProgramDir program_;
  qvtest::PluginHost host_;
  std::vector<std::string> seen_;
};

TEST_F(PortMonitoringTest, APortThatClosesGoesDownAndComesBackUp) {
  auto listener = std::make_unique<Listener>();
  ASSERT_TRUE(listener->ok());
  const int port = listener->port();
  program_.dir().write("qvm_alrt/datfiles/lert0000.amp", PortProfile("Local port", "TELNET", port));
  ASSERT_EQ(host_.LoadPlugins(program_.path()), 1);
  const std::vector<PROFILE*>& rows = host_.RebuildProfileTable();
  ASSERT_EQ(rows.size(), 1u);
  PROFILE* row = rows[0];

  // Before monitoring starts the row has no device.
  EXPECT_EQ(Text(row).text, "Local port\tTELNET\t127.0.0.1\tn/a\tn/a");
  EXPECT_EQ(Text(nullptr).code, 0);
  ASSERT_EQ(host_.Function<PFN_StartService>(kAlertingKind, PF_START_SERVICE)(), PLUGIN_DONE);

  ASSERT_TRUE(WaitForStatus(row, "Up")) << Text(row).text;
  Row up = Text(row);
  EXPECT_EQ(up.code, 0);
  std::vector<std::string> columns = Split(up.text);
  ASSERT_EQ(columns.size(), 5u);
  EXPECT_EQ(columns[0], "Local port");
  EXPECT_EQ(columns[1], "TELNET");
  EXPECT_EQ(columns[2], "127.0.0.1");
  EXPECT_EQ(columns[4].size(), 24u) << columns[4];  // the time of the change

  listener.reset();
  ASSERT_TRUE(WaitForStatus(row, "Down")) << Text(row).text;
  EXPECT_EQ(Text(row).code, 2);
  EXPECT_EQ(seen_, (std::vector<std::string>{"Initializing", "Up", "Down / Verifying", "Down"}));
  EXPECT_EQ(Events(), (std::vector<std::string>{"HELLO", "INIT UP", "STATUS DOWN", "DOWN"}));
  const auto down = Log().back();
  ASSERT_GE(down.size(), 5u);
  EXPECT_EQ(down[1].second, "127.0.0.1");
  EXPECT_EQ(down[2].second, "TELNET");

  listener = std::make_unique<Listener>(port);
  ASSERT_TRUE(listener->ok());
  ASSERT_TRUE(WaitForStatus(row, "Up")) << Text(row).text;
  EXPECT_EQ(Text(row).code, 0);
  EXPECT_EQ(Events(), (std::vector<std::string>{"HELLO", "INIT UP", "STATUS DOWN", "DOWN", "STATUS UP", "UP"}));
  EXPECT_TRUE(host_.TakeRefreshRequest());

  ASSERT_EQ(host_.Function<PFN_ShutDown>(kAlertingKind, PF_SHUT_DOWN)(), PLUGIN_DONE);
  EXPECT_EQ(Events().back(), "GOODBYE");
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

TEST_F(PortMonitoringTest, TheStatusPanelFollowsTheShownDeviceWithoutHoldingUpTheWorkers) {
  WNDCLASSA frame{};
  frame.lpfnWndProc = DefWindowProcA;
  frame.lpszClassName = "QvEnginePanelParent";
  ASSERT_NE(RegisterClassA(&frame), 0);
  HWND parent = CreateWindowExA(0, "QvEnginePanelParent", "Main panel", WS_OVERLAPPEDWINDOW, 10, 10, 600, 400,
                                nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);

  Listener listener;
  ASSERT_TRUE(listener.ok());
  program_.dir().write("qvm_alrt/datfiles/lert0000.amp", PortProfile("Panel port", "SMTP", listener.port(), ""));
  ASSERT_EQ(host_.LoadPlugins(program_.path()), 1);
  PROFILE* row = host_.RebuildProfileTable().at(0);
  auto update = host_.Function<PFN_UpdatePanel>(kAlertingKind, PF_UPDATE_PANEL);
  ASSERT_EQ(update(parent, row, nullptr, PANEL_SHOW), PLUGIN_DONE);
  HWND panel = GetWindow(parent, GW_CHILD);
  ASSERT_NE(panel, nullptr);
  ASSERT_EQ(host_.Function<PFN_StartService>(kAlertingKind, PF_START_SERVICE)(), PLUGIN_DONE);

  // The workers post; the panel shows what it reads when its messages are handled.
  std::string status;
  std::string next;
  for (int n = 0; n < 12000; ++n) {
    PumpMessages();
    char text[64] = "";
    GetDlgItemTextA(panel, 15005, text, sizeof text);
    status = text;
    GetDlgItemTextA(panel, 15006, text, sizeof text);
    next = text;
    if (status == "Up" && next.size() == 8) break;
    Sleep(5);
  }
  EXPECT_EQ(status, "Up");
  ASSERT_EQ(next.size(), 8u) << next;
  EXPECT_EQ(next[2], ':');
  EXPECT_EQ(next[5], ':');

  host_.Unbind();
  DestroyWindow(parent);
  UnregisterClassA("QvEnginePanelParent", nullptr);
}

}  // namespace
