// The edit sheet: changing, copying and the checks of pages never opened.
#include "alert_config.h"
#include "sheet_test_support.h"

namespace {

using namespace sheettest;
using Lines = std::vector<std::string>;
using qvp::UiDriver;

class EditSheetTest : public PluginFixture {};

// The user's pick in the kind list: the selection, then its notification
// (which closes the sheet before a driver's selection would end).
void PickKind(HWND page, const char* text) {
  HWND combo = GetDlgItem(page, 1053);
  const LRESULT index =
      SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(1053, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

TEST_F(EditSheetTest, AnotherKindReopensTheSheetInPlaceWithTheNewPage) {
  PROFILE* row = SavedProfile(MONITOR_HTTP, "127.0.0.1", 8080);
  ASSERT_NE(row, nullptr);
  UiDriver d;
  RECT before{}, after{};
  std::string port, host;
  d.OnDialog(31004).Do([&](HWND page) {
    GetWindowRect(GetParent(page), &before);
    PickKind(page, "Telnet\t - Remote Shell Server");
  });
  // The reopened sheet: General first, at the same place; the new kind's page at index 1.
  d.OnDialog(31004).Do([&](HWND page) {
    GetWindowRect(GetParent(page), &after);
    SendMessageA(GetParent(page), PSM_SETCURSEL, 1, 0);
  });
  d.OnDialog(16016).Read(1098, &port).Read(1097, &host).Type(1097, "shell.example.com").Click(IDOK);
  d.ExpectMessageBox("Do you want to flush the log file?", IDNO);
  PROFILE* out = nullptr;
  EXPECT_EQ(plugin_->EditProfile(nullptr, row, &out), PLUGIN_DONE);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(out, row);
  EXPECT_EQ(before.left, after.left);
  EXPECT_EQ(before.top, after.top);
  EXPECT_EQ(port, "23");
  EXPECT_EQ(host, "");
  EXPECT_EQ(Value(Monitor(), "MonitorType"), "TELNET");
  EXPECT_EQ(Value(Monitor(), "PortID"), "23");
  EXPECT_EQ(Value(Monitor(), "HostName"), "shell.example.com");
}

TEST_F(EditSheetTest, CancelAfterARefusedKindChangeEndsTheEdit) {
  PROFILE* row = SavedProfile(MONITOR_HTTP, "127.0.0.1", 8080);
  UiDriver d;
  // The open protocol page refuses the apply that the kind change starts.
  d.OnDialog(31004).Do([](HWND page) { SendMessageA(GetParent(page), PSM_SETCURSEL, 1, 0); });
  d.OnDialog(16013).Type(1093, "0").Do([](HWND page) { SendMessageA(GetParent(page), PSM_SETCURSEL, 0, 0); });
  d.OnDialog(31004).Do([](HWND page) { PickKind(page, "FTP\t - File Transfer Server"); });
  d.ExpectMessageBox("minimum downtime", IDOK);
  d.OnDialog(16013).Click(IDCANCEL);
  PROFILE* out = nullptr;
  EXPECT_EQ(plugin_->EditProfile(nullptr, row, &out), PLUGIN_DONE);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(Value(Monitor(), "MonitorType"), "HTTP");  // the file was not touched
  EXPECT_EQ(Value(Monitor(), "PortID"), "8080");
  EXPECT_EQ(std::string(plugin_->FindLoadedProfile(row->key)->GetSettings()->GetHostName()), "127.0.0.1");
}

TEST_F(EditSheetTest, ApplyChecksTheEmailPageThatWasNeverOpened) {
  PROFILE* row = SavedProfile(MONITOR_HTTP, "127.0.0.1", 80);
  CMonitorProfile* profile = plugin_->FindLoadedProfile(row->key);
  profile->GetAlertConfig()->SetEmailEnabled(true);
  profile->GetAlertConfig()->GetEmail()->SetAddress("");
  UiDriver d;
  int current = -1;
  d.ExpectMessageBox("You must enter a valid email address.", IDOK);
  d.OnDialog(31004).Click(IDOK);
  d.OnDialog(31011).Do([&](HWND page) {
    HWND sheet = GetParent(page);
    current = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) == page ? 3 : -1;
    EXPECT_EQ(GetFocus(), GetDlgItem(page, 1016));
  }).Type(1016, "ops@example.com").Click(IDOK);
  PROFILE* out = nullptr;
  EXPECT_EQ(plugin_->EditProfile(nullptr, row, &out), PLUGIN_DONE);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(current, 3);
  EXPECT_EQ(Read("lert0000.amp", "Email", "Address"), "ops@example.com");
}

TEST_F(EditSheetTest, APortChangeAsksToFlushTheHistoryAndYesGivesANewId) {
  PROFILE* row = SavedProfile(MONITOR_HTTP, "127.0.0.1", 80);
  const std::string oldId = Read("lert0000.amp", "Profile", "ProfileID");
  UiDriver d;
  d.OnDialog(31004).Do([](HWND page) { SendMessageA(GetParent(page), PSM_SETCURSEL, 1, 0); });
  d.OnDialog(16013).Type(1098, "8081").Click(IDOK);
  d.ExpectMessageBox("Do you want to flush the log file?", IDYES);
  PROFILE* out = nullptr;
  EXPECT_EQ(plugin_->EditProfile(nullptr, row, &out), PLUGIN_DONE);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(Value(Monitor(), "PortID"), "8081");
  EXPECT_NE(Read("lert0000.amp", "Profile", "ProfileID"), oldId);
}

TEST_F(EditSheetTest, ACopyIsANewProfileAndADeleteRemovesItsFile) {
  PROFILE* row = SavedProfile(MONITOR_HTTP, "127.0.0.1", 80, "Web");
  UiDriver d;
  std::string description;
  d.OnDialog(31004).Read(1055, &description).Click(IDOK);
  PROFILE* copy = nullptr;
  EXPECT_EQ(plugin_->CopyProfile(nullptr, row, &copy), PLUGIN_DONE);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(description, "Copy of Web");
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, row);
  EXPECT_EQ(Read("lert0001.amp", "Profile", "Description"), "Copy of Web");
  EXPECT_EQ(plugin_->DeleteProfile(nullptr, copy), PLUGIN_DONE);
  EXPECT_FALSE(dir_.exists("qvm_alrt/datfiles/lert0001.amp"));
}

}  // namespace
