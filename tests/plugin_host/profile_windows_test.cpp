// A user makes a web-server profile through the built plug-in's wizard in the
// test host; the engine watches a real HTTP server on loopback and mails the
// alert, with the typed subject, to a real SMTP server when it stops. Then the
// profile is changed, copied and deleted through the same windows.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "loopback_peers.h"
#include "mail_peer.h"
#include "program_dir.h"
#include "test_host.h"
#include "qvplatform/sound.h"
#include "qvplatform/ui_driver.h"
#include "smtp_mail_control.h"

namespace {

using Lines = std::vector<std::string>;
constexpr unsigned kAlertingKind = 4;
constexpr int kNext = ID_WIZNEXT;
constexpr int kFinish = ID_WIZFINISH;

std::string Value(const Lines& lines, const std::string& key) {
  for (const std::string& line : lines) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return "<absent>";
}


// The tree of the test status window: each root's text and image, and its lines.
struct Branch {
  std::string title;
  int image = -1;
  Lines lines;
};

HTREEITEM Next(HWND tree, HTREEITEM item, WPARAM how) {
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

std::string ItemText(HWND tree, HTREEITEM item, int* image = nullptr) {
  char text[512] = {};
  TVITEMA info{};
  info.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_HANDLE;
  info.hItem = item;
  info.pszText = text;
  info.cchTextMax = sizeof text;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
  if (image != nullptr) *image = info.iImage;
  return text;
}

std::vector<Branch> Tree(HWND tree) {
  std::vector<Branch> branches;
  for (HTREEITEM root = Next(tree, nullptr, TVGN_ROOT); root != nullptr; root = Next(tree, root, TVGN_NEXT)) {
    Branch branch;
    branch.title = ItemText(tree, root, &branch.image);
    for (HTREEITEM line = Next(tree, root, TVGN_CHILD); line != nullptr; line = Next(tree, line, TVGN_NEXT)) {
      branch.lines.push_back(ItemText(tree, line));
    }
    branches.push_back(branch);
  }
  return branches;
}

// Serves the senders' status lines until the one branch shows its finished
// image (bounded: a guard against a hang), then reads the tree.
std::vector<Branch> WaitForTestEnd(HWND dialog, int doneImage) {
  HWND tree = GetDlgItem(dialog, 1169);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < until) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    const std::vector<Branch> branches = Tree(tree);
    if (branches.size() == 1 && branches[0].image == doneImage) return branches;
    // Not Sleep: a peek-and-sleep loop counts as an idle modal loop, and the
    // driver would go on to the step's next action (closing the window) now.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return Tree(tree);
}

// A short PCM wave sound: 8000 samples a second, 16 bits, one channel.
void WriteWave(const std::string& path) {
  const uint32_t samples = 800;
  auto u32 = [](std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  auto u16 = [](std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
  };
  std::string data = "RIFF";
  u32(data, 36 + samples * 2);
  data += "WAVEfmt ";
  u32(data, 16);
  u16(data, 1);
  u16(data, 1);
  u32(data, 8000);
  u32(data, 16000);
  u16(data, 2);
  u16(data, 16);
  data += "data";
  u32(data, samples * 2);
  for (uint32_t i = 0; i < samples; ++i) u16(data, static_cast<uint16_t>((i % 16) < 8 ? 8000 : -8000));
  std::ofstream(path, std::ios::binary) << data;
}

class ProfileWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QVTEST_REQUIRE_PACKAGE(qvtest::MailServer::Available(), "python3-aiosmtpd");
    // The plug-in works in its program folder; a folder an earlier test
    // removed is no place to start the local servers from.
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    program_.Link(QV_TEST_DIST_DIR, "qvm_alrt.dll");
    program_.LinkLibraries(QV_TEST_DIST_DIR);
    smtp_ = std::make_unique<qvtest::MailServer>(program_.path() + "/maildir");
    ASSERT_TRUE(smtp_->running()) << "the SMTP server did not start";
    settings_ = program_.path() + "/QUORVANE.INI";
    std::ofstream(settings_) << "[Email]\r\nSMTPServer=" << smtp_->address() << "\r\nFrom=monitor@site.test\r\n";
    qvui::smtp::SetMailSettingsPathForTests(settings_.c_str());
    StartWeb();
  }
  void TearDown() override {
    host_.Unbind();
    qvui::smtp::SetMailSettingsPathForTests(nullptr);
    web_.Stop();
    smtp_.reset();
    WSACleanup();
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }
  void StartWeb() {
    webPort_ = qvtest::FreePort();
    web_.Start({"/usr/bin/python3", "-m", "http.server", "--bind", "127.0.0.1", "--directory", program_.path(),
                std::to_string(webPort_)});
    ASSERT_TRUE(web_.WaitUntilListening(webPort_)) << "the HTTP server did not start";
  }
  std::string Status(PROFILE* row) {
    auto text = host_.Function<PFN_GetMainListText>(kAlertingKind, PF_GET_MAIN_LIST_TEXT);
    char buffer[1024] = "";
    text(row, buffer, sizeof buffer);
    std::string line = buffer;
    for (int tab = 0; tab < 3; ++tab) line = line.substr(line.find('\t') + 1);
    return line.substr(0, line.find('\t'));
  }
  // A guard against a hang, never a measure of speed.
  bool WaitFor(const std::function<bool()>& done, int seconds = 180) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < until) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  std::vector<std::string> Mails() const { return smtp_->Messages(); }
  Lines Section(const std::string& file, const std::string& section) {
    return qvtest::SectionLines(program_.dir().read("qvm_alrt/datfiles/" + file), section);
  }

  qvtest::ProgramDir program_;
  qvtest::PluginHost host_;
  std::unique_ptr<qvtest::MailServer> smtp_;
  qvtest::PeerProcess web_;
  int webPort_ = 0;
  std::string settings_;
};

TEST_F(ProfileWindowsTest, AWizardProfileIsWatchedAlertedChangedCopiedAndDeleted) {
  ASSERT_EQ(host_.LoadPlugins(program_.path()), 1);
  auto edit = host_.Function<PFN_EditProfile>(kAlertingKind, PF_EDIT_PROFILE);
  auto copy = host_.Function<PFN_CopyProfile>(kAlertingKind, PF_COPY_PROFILE);
  ASSERT_NE(edit, nullptr);

  {  // A cancelled wizard leaves nothing behind.
    qvp::UiDriver d;
    d.OnDialog(112).Type(1055, "Never").Click(IDCANCEL);
    PROFILE* row = nullptr;
    EXPECT_EQ(edit(nullptr, nullptr, &row), PLUGIN_FAILED);
    EXPECT_EQ(d.Problems(), Lines{});
    EXPECT_FALSE(program_.dir().exists("qvm_alrt/datfiles/lert0000.amp"));
  }

  PROFILE* row = nullptr;
  {
    qvp::UiDriver d;
    d.OnDialog(112).Type(1055, "Intranet web").Select(1053, "HTTP\t - Web Server").Click(kNext);
    d.OnDialog(16013)
        .Type(1097, "127.0.0.1")
        .Type(1098, std::to_string(webPort_))
        .Type(1092, "30")
        .Select(1053, "Seconds")
        .Type(1093, "1")
        .Select(1091, "Seconds")
        .Click(kNext);
    d.OnDialog(31010).Click(kNext);
    d.OnDialog(31011).Check(1036).Type(1016, "ops@site.test").Type(1068, "Intranet is down").Click(kNext);
    d.OnDialog(31012).Click(kFinish);
    ASSERT_EQ(edit(nullptr, nullptr, &row), PLUGIN_DONE);
    EXPECT_EQ(d.Problems(), Lines{});
  }
  ASSERT_NE(row, nullptr);
  const Lines monitor = Section("lert0000.amp", "Monitor");
  EXPECT_EQ(Value(monitor, "MonitorType"), "HTTP");
  EXPECT_EQ(Value(monitor, "HostName"), "127.0.0.1");
  EXPECT_EQ(Value(monitor, "PortID"), std::to_string(webPort_));
  EXPECT_EQ(Value(Section("lert0000.amp", "Email"), "Subject"), "Intranet is down");

  host_.RebuildProfileTable();
  ASSERT_EQ(host_.Function<PFN_StartService>(kAlertingKind, PF_START_SERVICE)(), PLUGIN_DONE);
  EXPECT_TRUE(WaitFor([&] { return Status(row) == "Up"; })) << Status(row);
  web_.Stop();
  EXPECT_TRUE(WaitFor([&] { return Status(row).rfind("Down", 0) == 0; })) << Status(row);
  ASSERT_TRUE(WaitFor([&] { return !Mails().empty(); })) << "no alert mail arrived";
  const std::string mail = Mails()[0];
  EXPECT_NE(mail.find("Subject: Intranet is down"), std::string::npos) << mail;
  EXPECT_NE(mail.find("X-RcptTo: ops@site.test"), std::string::npos) << mail;

  // A new port: the history may be flushed; Yes gives the profile a new id.
  const std::string oldId = Value(Section("lert0000.amp", "Profile"), "ProfileID");
  {
    qvp::UiDriver d;
    d.OnDialog(31004).Do([](HWND page) { SendMessageA(GetParent(page), PSM_SETCURSEL, 1, 0); });
    d.OnDialog(16013).Type(1098, "8081").Click(IDOK);
    d.ExpectMessageBox("Do you want to flush the log file?", IDYES);
    PROFILE* out = nullptr;
    EXPECT_EQ(edit(nullptr, row, &out), PLUGIN_DONE);
    EXPECT_EQ(d.Problems(), Lines{});
  }
  EXPECT_EQ(Value(Section("lert0000.amp", "Monitor"), "PortID"), "8081");
  EXPECT_NE(Value(Section("lert0000.amp", "Profile"), "ProfileID"), oldId);

  // Another kind: the sheet reopens in place with the new kind's page showing
  // its default port.
  std::string ftpPort = "<unread>";
  {
    qvp::UiDriver d;
    // The choice closes the sheet at once (it reopens): no driver step may follow it.
    d.OnDialog(31004).Do([](HWND page) {
      HWND kinds = GetDlgItem(page, 1053);
      const char* ftp = "FTP\t - File Transfer Server";
      const LRESULT index =
          SendMessageA(kinds, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(ftp));
      SendMessageA(kinds, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      SendMessageA(page, WM_COMMAND, MAKEWPARAM(1053, CBN_SELCHANGE), reinterpret_cast<LPARAM>(kinds));
    });
    d.OnDialog(31004).Do([](HWND page) { SendMessageA(GetParent(page), PSM_SETCURSEL, 1, 0); });
    d.OnDialog(16012).Read(1098, &ftpPort).Type(1097, "127.0.0.1").Click(IDOK);
    d.ExpectMessageBox("Do you want to flush the log file?", IDNO);
    PROFILE* out = nullptr;
    EXPECT_EQ(edit(nullptr, row, &out), PLUGIN_DONE);
    EXPECT_EQ(out, row);
    EXPECT_EQ(d.Problems(), Lines{});
  }
  EXPECT_EQ(ftpPort, "21");
  EXPECT_EQ(Value(Section("lert0000.amp", "Monitor"), "MonitorType"), "FTP");
  EXPECT_EQ(Value(Section("lert0000.amp", "Monitor"), "PortID"), "21");

  PROFILE* duplicate = nullptr;
  {
    qvp::UiDriver d;
    d.OnDialog(31004).Click(IDOK);
    EXPECT_EQ(copy(nullptr, row, &duplicate), PLUGIN_DONE);
    EXPECT_EQ(d.Problems(), Lines{});
  }
  ASSERT_NE(duplicate, nullptr);
  EXPECT_EQ(Value(Section("lert0001.amp", "Profile"), "Description"), "Copy of Intranet web");
  EXPECT_EQ(host_.DeleteProfile(duplicate), PLUGIN_DONE);
  EXPECT_FALSE(program_.dir().exists("qvm_alrt/datfiles/lert0001.amp"));
}

TEST_F(ProfileWindowsTest, TestButtonsSendThroughTheQueuesAndShowTheirProgress) {
  ASSERT_EQ(host_.LoadPlugins(program_.path()), 1);
  ASSERT_EQ(host_.Function<PFN_StartService>(kAlertingKind, PF_START_SERVICE)(), PLUGIN_DONE);
  auto edit = host_.Function<PFN_EditProfile>(kAlertingKind, PF_EDIT_PROFILE);
  qvp::TakeSoundLog();
  std::vector<Branch> audio, email, pager;
  qvp::UiDriver d;
  d.OnDialog(112).Type(1055, "Tests").Select(1053, "Ping\t - Generic IP Device Test").Click(kNext);
  d.OnDialog(114).Type(1097, "127.0.0.1").Click(kNext);
  const std::string wave = program_.path() + "/alarm.wav";
  WriteWave(wave);
  d.OnDialog(31010).Check(1037).Check(1040).Type(1085, wave).Check(20021).Type(1080, "1").Click(1011);
  d.OnDialog(30001).Do([&](HWND dialog) { audio = WaitForTestEnd(dialog, 4); }).Click(IDOK);
  d.OnDialog(31010).Click(kNext);
  d.OnDialog(31011).Check(1036).Type(1016, "ops@site.test").Type(1068, "\b").Click(1011);
  d.OnDialog(30001).Do([&](HWND dialog) { email = WaitForTestEnd(dialog, 5); }).Click(IDOK);
  d.OnDialog(31011).Click(kNext);
  d.OnDialog(31012).Check(1028).Check(1041).Type(1168, "4711").Check(1024).Click(1011);
  d.OnDialog(30001).Do([&](HWND dialog) { pager = WaitForTestEnd(dialog, 6); }).Click(IDOK);
  d.OnDialog(31012).Click(IDCANCEL);
  PROFILE* row = nullptr;
  EXPECT_EQ(edit(nullptr, nullptr, &row), PLUGIN_FAILED);
  EXPECT_EQ(d.Problems(), Lines{});

  ASSERT_EQ(audio.size(), 1u);
  EXPECT_EQ(audio[0].title, "Audio Alert");
  EXPECT_EQ(audio[0].image, 4);
  bool played = false;
  for (const qvp::SoundEvent& event : qvp::TakeSoundLog()) {
    played = played ||
             (event.kind == qvp::SoundEventKind::kPlay && event.path == wave && event.samples_per_sec == 8000);
  }
  EXPECT_TRUE(played) << "the wave file did not play";

  ASSERT_EQ(email.size(), 1u);
  EXPECT_EQ(email[0].title, "E-Mail Alert");
  EXPECT_EQ(email[0].image, 5);
  EXPECT_FALSE(email[0].lines.empty());
  std::string said;
  for (const std::string& line : email[0].lines) said += line + "\n";
  ASSERT_TRUE(WaitFor([&] { return !Mails().empty(); }, 20)) << "no test mail arrived; the window said:\n" << said;
  const std::string mail = Mails()[0];
  EXPECT_NE(mail.find("Subject: Quorvane Test Alert\n"), std::string::npos) << mail;
  const std::string top = "\n\nThe following alert is only a test.\n\nAn alert has been generated for profile "
                          "\"TEST\".\nThe device TEST (Type: PING) is down at ";
  const std::string end = ".\n\nThis alert was generated by Quorvane.\n";
  const size_t at = mail.find(top);
  ASSERT_NE(at, std::string::npos) << mail;
  EXPECT_NE(mail.find(end, at), std::string::npos) << mail;

  ASSERT_EQ(pager.size(), 1u);
  EXPECT_EQ(pager[0].title, "Pager Alert");
  EXPECT_EQ(pager[0].image, 6);
  EXPECT_FALSE(program_.dir().exists("qvm_alrt/datfiles/lert0000.amp"));
}

}  // namespace
