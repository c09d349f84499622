// The profile wizard, driven as a user drives it.
#include <algorithm>

#include "sheet_test_support.h"

namespace {

using namespace sheettest;
using Lines = std::vector<std::string>;
using qvp::UiDriver;

class WizardTest : public PluginFixture {};

// The General page: description and kind, then Next.
UiDriver::Step& General(UiDriver& d, const std::string& description, const std::string& kind) {
  return d.OnDialog(112).Type(1055, description).Select(1053, kind).Click(kNext);
}

void AlertPagesToFinish(UiDriver& d) {
  d.OnDialog(31010).Click(kNext);
  d.OnDialog(31011).Click(kNext);
  d.OnDialog(31012).Click(kFinish);
}

TEST_F(WizardTest, AnHttpProfileIsWrittenWithWhatWasTyped) {
  UiDriver d;
  std::vector<std::string> kinds;
  d.OnDialog(112).Do([&](HWND page) { kinds = qvp::driver::Items(GetDlgItem(page, 1053)); });
  General(d, "Intranet web", "HTTP\t - Web Server");
  std::string port;
  d.OnDialog(16013)
      .Read(1098, &port)
      .Type(1097, "127.0.0.1")
      .Type(1098, "8080")
      .Type(1092, "30")
      .Select(1053, "Seconds")
      .Type(1093, "2")
      .Check(1017)
      .Click(kNext);
  d.OnDialog(31010).Click(kNext);
  d.OnDialog(31011).Check(1036).Type(1016, "ops@example.com").Type(1068, "Intranet down").Click(kNext);
  d.OnDialog(31012).Click(kFinish);
  PROFILE* row = nullptr;
  EXPECT_EQ(plugin_->AddProfile(nullptr, nullptr, &row), PLUGIN_DONE);
  EXPECT_EQ(d.Problems(), Lines{});
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(port, "80");  // the page's default
  EXPECT_EQ(kinds.size(), 18u);
  EXPECT_TRUE(std::is_sorted(kinds.begin(), kinds.end(), [](const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) < 0;
  }));
  const Lines monitor = Monitor();
  EXPECT_EQ(Value(monitor, "MonitorType"), "HTTP");
  EXPECT_EQ(Value(monitor, "HostName"), "127.0.0.1");
  EXPECT_EQ(Value(monitor, "PortID"), "8080");
  EXPECT_EQ(Value(monitor, "PollTime"), "30");
  EXPECT_EQ(Value(monitor, "PollTimeUnit"), "0");
  EXPECT_EQ(Value(monitor, "FailTime"), "2");
  EXPECT_EQ(Value(monitor, "UpAlarm"), "1");
  EXPECT_EQ(Read("lert0000.amp", "Profile", "Description"), "Intranet web");
  EXPECT_EQ(Read("lert0000.amp", "Email", "Address"), "ops@example.com");
  EXPECT_EQ(Read("lert0000.amp", "Email", "Subject"), "Intranet down");
}

TEST_F(WizardTest, RefusalsStayOnTheFaultyPageWithTheFocusOnTheField) {
  UiDriver d;
  HWND focused = nullptr;
  d.ExpectMessageBox("You must enter a profile description.", IDOK);
  d.OnDialog(112).Click(kNext).Do([&](HWND page) {
    focused = GetFocus();
    EXPECT_EQ(focused, GetDlgItem(page, 1055));
  });
  General(d, "Mail", "POP3\t - Client Mail Server");
  // Poll time: 29 seconds are refused, 29 minutes accepted.
  d.ExpectMessageBox("The minimum polling frequency is 30 sec.", IDOK);
  d.OnDialog(16019).Type(1097, "mail.example.com").Type(1092, "29").Select(1053, "Seconds").Click(kNext).Do(
      [&](HWND page) { EXPECT_EQ(GetFocus(), GetDlgItem(page, 1092)); });
  // A port of 0 or above 65535 is refused; an empty port is the default.
  d.ExpectMessageBox("port number between 1 and 65535", IDOK);
  d.OnDialog(16019).Select(1053, "Minutes").Type(1098, "70000").Click(kNext).Do(
      [&](HWND page) { EXPECT_EQ(GetFocus(), GetDlgItem(page, 1098)); });
  d.OnDialog(16019).Type(1098, "\b").Type(1093, "0").Click(kNext);
  d.ExpectMessageBox("minimum downtime", IDOK);
  d.OnDialog(16019).Type(1093, "3").Click(kNext);
  // Back from the Audio page returns to the kind's page, which shows the default port again.
  std::string port;
  d.OnDialog(31010).Click(kBack);
  d.OnDialog(16019).Read(1098, &port).Click(kNext);
  d.ExpectMessageBox("You must enter a wave file name.", IDOK);
  d.OnDialog(31010).Check(1037).Check(1040).Type(1085, "\b").Click(kNext);
  d.OnDialog(31010).Check(1039).Click(kNext);
  d.ExpectMessageBox("You must enter a valid email address.", IDOK);
  d.OnDialog(31011).Check(1036).Type(1016, "\b").Click(kNext);
  d.OnDialog(31011).Type(1016, "a@b").Type(1068, "\b").Click(kNext);
  d.ExpectMessageBox("You must enter a pager id number.", IDOK);
  d.OnDialog(31012).Check(1028).Check(1041).Click(kFinish);
  d.OnDialog(31012).Type(1168, "4711").Click(kFinish);
  PROFILE* row = nullptr;
  EXPECT_EQ(plugin_->AddProfile(nullptr, nullptr, &row), PLUGIN_DONE);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(port, "110");
  for (const qvp::PromptRecord& prompt : d.Prompts().Records()) {
    if (prompt.kind == qvp::PromptKind::kMessageBox) {
      EXPECT_EQ(prompt.caption, "Invalid Profile Data");
    }
  }
  const Lines monitor = Monitor();
  EXPECT_EQ(Value(monitor, "PortID"), "110");
  EXPECT_EQ(Value(monitor, "PollTime"), "29");
  EXPECT_EQ(Value(monitor, "PollTimeUnit"), "1");
  EXPECT_EQ(Read("lert0000.amp", "Email", "Subject"), "Quorvane Alert");
  EXPECT_EQ(Read("lert0000.amp", "Audio", "PlayMode"), "0");
}

TEST_F(WizardTest, TheWizardButtonsFollowThePage) {
  UiDriver d;
  auto buttons = [](HWND page) {
    HWND sheet = GetParent(page);
    std::string shown;
    for (int id : {kBack, kNext, kFinish}) {
      shown += qvp::driver::Visible(GetDlgItem(sheet, id)) && qvp::driver::Enabled(GetDlgItem(sheet, id)) ? "1" : "0";
    }
    return shown;
  };
  std::string general, protocol, pager;
  d.OnDialog(112).Do([&](HWND page) { general = buttons(page); });
  General(d, "Ping", "Ping\t - Generic IP Device Test");
  d.OnDialog(114).Type(1097, "127.0.0.1").Do([&](HWND page) { protocol = buttons(page); }).Click(kNext);
  d.OnDialog(31010).Click(kNext);
  d.OnDialog(31011).Click(kNext);
  d.OnDialog(31012).Do([&](HWND page) { pager = buttons(page); }).Click(IDCANCEL);
  PROFILE* row = nullptr;
  EXPECT_EQ(plugin_->AddProfile(nullptr, nullptr, &row), PLUGIN_FAILED);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(row, nullptr);
  EXPECT_FALSE(dir_.exists("qvm_alrt/datfiles/lert0000.amp"));  // a cancelled wizard leaves no file
  EXPECT_EQ(general.substr(1, 1), "1");
  EXPECT_EQ(protocol.substr(0, 2), "11");
  EXPECT_EQ(pager.substr(2, 1), "1");
}

TEST_F(WizardTest, TheKindListHasTheServiceEntryOnlyOnWindowsNt) {
  auto kindsShown = [this](int platform) {
    qvp::SetVersionForTests(4, platform == 2 ? 0 : 10, platform);
    UiDriver d;
    std::vector<std::string> kinds;
    d.OnDialog(112).Do([&](HWND page) { kinds = qvp::driver::Items(GetDlgItem(page, 1053)); }).Click(IDCANCEL);
    PROFILE* row = nullptr;
    plugin_->AddProfile(nullptr, nullptr, &row);
    qvp::SetVersionForTests(4, 0, 2);
    EXPECT_EQ(d.Problems(), Lines{});
    return kinds;
  };
  const std::vector<std::string> nt = kindsShown(2);
  EXPECT_EQ(nt.size(), 18u);
  EXPECT_EQ(std::count(nt.begin(), nt.end(), "NT Service\t - Local NT Service"), 1);
  const std::vector<std::string> other = kindsShown(1);
  EXPECT_EQ(other.size(), 17u);
  EXPECT_EQ(std::count(other.begin(), other.end(), "NT Service\t - Local NT Service"), 0);
}

TEST_F(WizardTest, TheKindListDrawsTheNameBoldAndTheRestPlain) {
  UiDriver d;
  qvp::PaintLog painted;
  d.OnDialog(112).Do([&](HWND page) {
    HWND combo = GetDlgItem(page, 1053);
    const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>("HTTP\t - Web Server"));
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    painted = qvp::driver::Painted(combo);
  }).Click(IDCANCEL);
  PROFILE* row = nullptr;
  plugin_->AddProfile(nullptr, nullptr, &row);
  EXPECT_EQ(d.Problems(), Lines{});
  const qvp::PaintRecord* name = painted.FindText("HTTP");
  const qvp::PaintRecord* rest = painted.FindText(" - Web Server");
  ASSERT_NE(name, nullptr) << painted.JoinedText();
  ASSERT_NE(rest, nullptr) << painted.JoinedText();
  EXPECT_EQ(name->weight, 700);
  EXPECT_LT(rest->weight, 700);
  EXPECT_GT(rest->rect.left, name->rect.left);
}

TEST_F(WizardTest, DiskPathsEndInABackslashAndSpinArrowsStayInRange) {
  UiDriver d;
  General(d, "Disk", "Disk Space\t - Local Hard Disk Volumes");
  std::string threshold, poll;
  d.OnDialog(17001)
      .Type(1118, "\\\\Machine\\Vol")
      .Type(1021, "1999")
      .Do([](HWND page) {
        NMUPDOWN change{};
        change.hdr.hwndFrom = GetDlgItem(page, 1123);
        change.hdr.idFrom = 1123;
        change.hdr.code = UDN_DELTAPOS;
        change.iDelta = -1;
        for (int i = 0; i < 3; ++i) SendMessageA(page, WM_NOTIFY, 1123, reinterpret_cast<LPARAM>(&change));
        change.hdr.idFrom = 1122;
        change.iDelta = 1;
        SetDlgItemTextA(page, 1092, "1");
        SendMessageA(page, WM_NOTIFY, 1122, reinterpret_cast<LPARAM>(&change));
      })
      .Read(1021, &threshold)
      .Read(1092, &poll)
      .Type(1092, "5")
      .Click(kNext);
  AlertPagesToFinish(d);
  PROFILE* row = nullptr;
  EXPECT_EQ(plugin_->AddProfile(nullptr, nullptr, &row), PLUGIN_DONE);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(threshold, "2000");
  EXPECT_EQ(poll, "1");
  EXPECT_EQ(Value(Monitor(), "HostName"), "\\\\Machine\\Vol\\");
}

}  // namespace
