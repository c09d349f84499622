// The Options window driven as a user would: every page of the General sheet,
// OK, Cancel and the close box, with a plug-in module beside it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/service_password.h"
#include "app_globals.h"
#include "general_sheet.h"
#include "option_window.h"
#include "panel_state.h"
#include "plugin_api.h"
#include "plugin_host.h"
#include "program_paths.h"
#include "qv_ui_internal.h"
#include "qvplatform/ui_driver.h"
#include "resource_cache.h"
#include "test_dir.h"
#include "test_files.h"

namespace {

constexpr int kTabs = IDD_PROPSHEET_TABS;
constexpr char kAgents[] =
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents]\n"
    "\"1\"=sz:\"SOFTWARE\\Other\\Agent\"\n"
    "\"2\"=sz:\"SOFTWARE\\Third\\Agent\"\n";
constexpr char kAgentKey[] = "SOFTWARE\\Quorvane Corporation\\Product\\QVAgent";

// The fake plug-in's module: a plain child page, and what function 23 heard.
std::vector<int> g_closeCalls;
int g_pluginPageCommands = 0;
LRESULT g_pluginAnswerToOk = 0;

LRESULT CALLBACK PluginPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    ++g_pluginPageCommands;
    return LOWORD(wParam) == IDOK ? g_pluginAnswerToOk : 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreatePluginPage(HWND parent, HBITMAP*, RECT* part, char* shortTitle, char* longTitle) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = PluginPageProc;
  cls.lpszClassName = "FakePluginPage";
  RegisterClassA(&cls);
  *part = RECT{0, 0, 32, 32};
  std::strcpy(shortTitle, "Watch");
  std::strcpy(longTitle, "Watch Options");
  return CreateWindowExA(0, "FakePluginPage", "", WS_CHILD, 0, 0, 300, 200, parent, nullptr, nullptr, nullptr);
}
HWND CreateNoPage(HWND, HBITMAP*, RECT*, char*, char*) { return nullptr; }
char ClosePluginPage(int ok) {
  g_closeCalls.push_back(ok);
  return 1;
}

void SetSlot(PluginEntry& entry, int id, FARPROC proc) {
  for (int i = 0; i < 32; ++i) {
    if (kPluginSlotOrder[i] == id) entry.slots[i] = proc;
  }
}

// Pages are made from private copies of their templates: found by caption.
qvp::driver::WindowQuery Dialog(const char* caption) {
  qvp::driver::WindowQuery query;
  query.class_name = "#32770";
  query.title = caption;
  return query;
}

using qvtest::ReadFile;

class OptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qv::SetProgramDirForTests(dir_.dir().c_str());
    qvui::SetProgramDirectoryForTests(dir_.dir());
    std::filesystem::create_directories(dir_.path() / "LANG" / "GERMAN.LNG");
    std::filesystem::create_directories(dir_.path() / "state");
    // A PAM service "quorvane" is there, so the server page's log-on probe is
    // answered by PAM (a refused log-on), not by a missing right (1314).
    std::filesystem::create_directories(dir_.path() / "pam.d");
    std::ofstream(dir_.path() / "pam.d" / "quorvane") << "auth required pam_deny.so\n";
    setenv("PAM_WRAPPER", "1", 1);
    setenv("PAM_WRAPPER_SERVICE_DIR", (dir_.path() / "pam.d").c_str(), 1);
    char password[kScrambledDigits + 1];
    ASSERT_TRUE(EncodeServicePassword("oldpass", password, sizeof password));
    ini_ = std::string("[Defaults]\r\nUsername=olduser\r\nPassword=") + password +
           "\r\nHTTPProxy=old:3128\r\nWebNoDays=-14\r\nKeepMe=1\r\n[eMail]\r\neMailType=SMTP\r\n";
    dir_.write("QUORVANE.INI", ini_);
    base_ = LoadLibraryA(QV_DIST_DIR "/BASE.RSL");
    ASSERT_NE(base_, nullptr);
    g_app.resourceModule = base_;
    g_app.instance = GetModuleHandleA(nullptr);
    g_app.serviceMode = false;
    g_app.mainPanel = nullptr;
    g_panel.viewKind = kAllProfiles;
    g_general = GeneralSheetState{};
    qvp::SetRegistryFile(dir_.file("registry").c_str());
    ASSERT_TRUE(qvp::PreloadRegistry(kAgents));
    qvp::SetStateDirectory(dir_.file("state").c_str());
    owner_ = CreateWindowExA(0, "#32770", "Panel", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                             nullptr, nullptr);
    plugin_ = PluginEntry{};
    plugin_.kind = 4;
    SetSlot(plugin_, PF_CREATE_OPTION_DIALOG, reinterpret_cast<FARPROC>(&CreatePluginPage));
    SetSlot(plugin_, PF_CLOSE_OPTION_DIALOG, reinterpret_cast<FARPROC>(&ClosePluginPage));
    silent_ = PluginEntry{};
    silent_.kind = 5;
    SetSlot(silent_, PF_CREATE_OPTION_DIALOG, reinterpret_cast<FARPROC>(&CreateNoPage));
    plugin_.next = &silent_;
    g_pluginList = &plugin_;
    g_closeCalls.clear();
    g_pluginPageCommands = 0;
    g_pluginAnswerToOk = 0;
    qvp::TakeUnexpectedPrompts();
  }
  void TearDown() override {
    g_pluginList = nullptr;
    DestroyWindow(owner_);
    FreeResourceCache();
    g_app.resourceModule = nullptr;
    FreeLibrary(base_);
    qvp::SetLogonPrivilegeMissingForTests(false);
    unsetenv("PAM_WRAPPER");
    unsetenv("PAM_WRAPPER_SERVICE_DIR");
    qvp::ResetVersionForTests();
    qvp::SetProcessLauncher(nullptr);
    qvp::SetRegistryFile(nullptr);
    qvp::SetStateDirectory(nullptr);
    qv::SetProgramDirForTests(nullptr);
    qvui::SetProgramDirectoryForTests("");
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }

  std::string Key(const char* section, const char* key) {
    char value[512];
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, GetIniPath());
    return value;
  }
  std::string Decoded(const char* section, const char* key) {
    const std::string stored = Key(section, key);
    EXPECT_EQ(stored.size(), static_cast<size_t>(kScrambledDigits)) << stored;
    for (char c : stored) EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) << stored;
    char plain[kScrambledBytes + 1];
    EXPECT_TRUE(DecodeServicePassword(stored.c_str(), plain, sizeof plain));
    return plain;
  }
  std::string RegistryValue(const char* keyPath, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    char data[300] = "";
    DWORD size = sizeof data - 1;
    const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(data) : "<none>";
  }
  void Run(qvp::UiDriver& driver) {
    ShowOptionWindow(owner_);
    for (const auto& problem : driver.Problems()) ADD_FAILURE() << problem;
  }

  TestDir dir_;
  std::string ini_;
  HMODULE base_ = nullptr;
  HWND owner_ = nullptr;
  PluginEntry plugin_{};
  PluginEntry silent_{};
};

TEST_F(OptionsTest, AUserChangesEveryPageAndOkWritesEachKey) {
  ASSERT_TRUE(qvp::SetSimulatedServiceState("SNMP", SERVICE_RUNNING));
  qvp::UiDriver driver;
  std::string admin;
  std::vector<std::string> modules;
  driver.OnWindow(Dialog("General"))
      .Do([&](HWND) {
        qvp::driver::WindowQuery query;
        query.class_name = "QVUI_CWindow";
        for (HWND w : qvp::driver::FindAll(query)) {
          char text[100];
          GetWindowTextA(w, text, sizeof text);
          modules.emplace_back(text);
        }
      })
      .Select(8314, "GERMAN")
      .Select(8316, "Germany")
      .Select(kTabs, 1);
  driver.OnWindow(Dialog("Browser")).Type(8411, "C:\\Browsers\\web.exe").Select(kTabs, 2);
  driver.OnWindow(Dialog("Service"))
      .Check(9601)
      .Type(9604, "svcuser")
      .Type(9605, "svc pass 1")
      .Check(9601, BST_UNCHECKED)
      .Select(kTabs, 3);
  driver.OnWindow(Dialog("Proxy"))
      .Check(10702)
      .Type(10703, "host")
      .Type(10704, "8080")
      .Type(10706, "ftphost")
      .Type(10707, "99999")  // no port: only 1-65535 is stored
      .Click(10705);
  driver.OnWindow(Dialog("Proxy Logon")).Type(8391, "puser").Type(8393, "ppass").Click(IDOK);
  driver.OnWindow(Dialog("Proxy")).Select(kTabs, 4);
  driver.OnWindow(Dialog("E-mail"))
      .Click(10803)
      .Type(10900, "Weekly")
      .Type(10807, "Profile1")
      .Type(10808, "mapi secret")
      .Select(kTabs, 5);
  driver.OnWindow(Dialog("Remote Server"))
      .Check(1064)
      .Type(1066, "8099")
      .Select(8102, 0)
      .Read(8102, &admin)
      .Check(1075)
      .Type(1070, "0")
      .Check(1076, BST_UNCHECKED)
      .Check(1083)
      .Check(1084, BST_UNCHECKED)
      .Select(kTabs, 6);
  driver.OnWindow(Dialog("SNMP")).Check(1148).Click(IDOK);
  driver.ExpectMessageBox("restarted", IDNO);
  Run(driver);

  EXPECT_EQ(modules, (std::vector<std::string>{"General Options", "", "", "General", "Watch"}));
  EXPECT_EQ(Key("Language", "Report"), "GERMAN");
  EXPECT_EQ(Key("Language", "Program"), "ENGLISH");
  EXPECT_EQ(Key("Language", "Country"), "DE");
  EXPECT_EQ(Key("Browser", "Path"), "C:\\Browsers\\web.exe");
  EXPECT_EQ(Key("Defaults", "Username"), "svcuser");
  EXPECT_EQ(Decoded("Defaults", "Password"), "svc pass 1");
  EXPECT_EQ(Key("Defaults", "ProxyEnable"), "TRUE");
  EXPECT_EQ(Key("Defaults", "HTTPProxy"), "host:8080");
  EXPECT_EQ(Key("Defaults", "FTPProxy"), "ftphost");
  EXPECT_EQ(Key("Defaults", "HTTPProxyAuth"), "puser:ppass");
  EXPECT_EQ(Key("eMail", "eMailType"), "MAPI");
  EXPECT_EQ(Key("eMail", "Subject"), "Weekly");
  EXPECT_EQ(Key("eMail", "SMTPServer"), "mail");
  EXPECT_EQ(Key("eMail", "MAPIProfile"), "Profile1");
  EXPECT_EQ(Decoded("eMail", "MAPIPassword"), "mapi secret");
  EXPECT_EQ(Key("Defaults", "WebEnable"), "TRUE");
  EXPECT_EQ(Key("Defaults", "WebAddress"), ":8099");
  ASSERT_FALSE(admin.empty());
  if (admin[0] == '[')
    EXPECT_EQ(Key("Defaults", "WebAdmin"), "g" + admin.substr(1, admin.size() - 2));
  else
    EXPECT_EQ(Key("Defaults", "WebAdmin"), "u" + admin);
  EXPECT_EQ(Key("Defaults", "WebNoDays"), "7");
  EXPECT_EQ(Key("Defaults", "WebNoReports"), "-10");
  EXPECT_EQ(Key("Defaults", "WebLogging"), "1");
  EXPECT_EQ(Key("Defaults", "WebAllowReport"), "0");
  EXPECT_EQ(Key("Defaults", "KeepMe"), "1");
  EXPECT_EQ(g_closeCalls, std::vector<int>{1});
  // The agent is registered under the first free number.
  EXPECT_EQ(RegistryValue("SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents", "3"), kAgentKey);
  const std::string pathname = RegistryValue(kAgentKey, "Pathname");
  EXPECT_NE(pathname.find("QVAgent.dll"), std::string::npos) << pathname;
  EXPECT_NE(Key("Defaults", "SNMP_Root"), "<none>");
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(g_general.templates[0], nullptr);  // freed by the apply step
}

TEST_F(OptionsTest, CancelLeavesTheFileAsItWas) {
  qvp::UiDriver driver;
  driver.OnWindow(Dialog("General")).Select(8314, "GERMAN").Select(kTabs, 3);
  driver.OnWindow(Dialog("Proxy")).Check(10702).Type(10703, "elsewhere").Click(IDCANCEL);
  Run(driver);
  EXPECT_EQ(ReadFile(dir_.file("QUORVANE.INI")), ini_);
  EXPECT_EQ(g_closeCalls, std::vector<int>{0});
  EXPECT_EQ(RegistryValue(kAgentKey, "Pathname"), "<no key>");
}

TEST_F(OptionsTest, TheCloseBoxAppliesLikeOkAndTheNextWindowOpensOnTheLastPage) {
  qvp::UiDriver driver;
  driver.OnWindow(Dialog("General")).Select(kTabs, 3);
  driver.OnWindow(Dialog("Proxy")).Check(10702).Type(10703, "closed").Do([](HWND page) {
    HWND frame = page;
    while (GetParent(frame) != nullptr) frame = GetParent(frame);
    PostMessageA(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  Run(driver);
  EXPECT_EQ(Key("Defaults", "HTTPProxy"), "closed:3128");
  EXPECT_EQ(Key("Defaults", "Username"), "olduser");  // the service page was never made
  EXPECT_EQ(g_closeCalls, std::vector<int>{1});

  qvp::UiDriver again;
  int shown = 0;
  again.OnWindow(Dialog("Proxy")).Do([&](HWND) { shown = 10701; }).Click(IDCANCEL);
  ShowOptionWindow(owner_);
  for (const auto& problem : again.Problems()) ADD_FAILURE() << problem;
  EXPECT_EQ(shown, 10701);
}

TEST_F(OptionsTest, APageOrPluginThatRefusesKeepsTheWindowOpen) {
  // A stored password of 36 characters does not fit the stored form again.
  char stored[kScrambledDigits + 1];
  ASSERT_TRUE(EncodeServicePassword("x", stored, sizeof stored));
  g_pluginAnswerToOk = 1;  // the plug-in's page takes OK itself at first
  qvp::UiDriver driver;
  driver.OnWindow(Dialog("General")).Select(kTabs, 4);
  driver.OnWindow(Dialog("E-mail")).Click(10803).Type(10808, "abc").Do([](HWND page) {
    // Longer than the field allows a user to type.
    SetDlgItemTextA(page, 10808, "1234567890123456789012345678901234567");
  }).Click(IDOK);
  driver.ExpectMessageBox("too long", IDOK);
  driver.OnWindow(Dialog("E-mail")).Do([](HWND page) { SetDlgItemTextA(page, 10808, "short"); }).Click(IDOK);
  driver.OnWindow(Dialog("E-mail")).Do([](HWND) { g_pluginAnswerToOk = 0; }).Click(IDOK);
  Run(driver);
  EXPECT_EQ(Decoded("eMail", "MAPIPassword"), "short");
  EXPECT_EQ(g_closeCalls, std::vector<int>{1});
}

TEST_F(OptionsTest, WithoutTheRightToLogOnTheServerStaysDisabled) {
  qvp::SetLogonPrivilegeMissingForTests(true);
  qvp::UiDriver driver;
  driver.OnWindow(Dialog("General")).Select(kTabs, 5);
  driver.OnWindow(Dialog("Remote Server")).Check(1064).Click(IDOK);
  driver.ExpectMessageBox("may not check the passwords of other accounts", IDOK);
  Run(driver);
  EXPECT_EQ(Key("Defaults", "WebEnable"), "FALSE");
}

TEST_F(OptionsTest, OffWindowsNtTheRemoteServerPageLeavesItsKeysAlone) {
  qvp::SetVersionForTests(4, 10, VER_PLATFORM_WIN32_WINDOWS);
  qvp::UiDriver driver;
  bool enabled = true;
  driver.OnWindow(Dialog("General")).Select(kTabs, 5);
  driver.OnWindow(Dialog("Remote Server")).Do([&](HWND page) { enabled = IsWindowEnabled(GetDlgItem(page, 1064)); }).Click(IDOK);
  Run(driver);
  EXPECT_FALSE(enabled);
  EXPECT_EQ(Key("Defaults", "WebEnable"), "<none>");
  EXPECT_EQ(Key("Defaults", "WebNoDays"), "-14");
  EXPECT_EQ(Key("Defaults", "WebAdmin"), "<none>");
}

}  // namespace

namespace {

TEST_F(OptionsTest, StoredValuesShowAsTheUserExpectsAndComeBackUnchanged) {
  dir_.write("QUORVANE.INI", std::string("[Defaults]\r\nHTTPProxy=plainhost\r\nWebNoDays=-14\r\n") +
                                 "WebAddress=10.0.0.5:8080\r\nPassword=" + Key("Defaults", "Password") + "\r\n");
  const std::string storedPassword = Key("Defaults", "Password");
  std::string port, days, address, webPort, password;
  UINT daysBox = 0;
  qvp::UiDriver driver;
  driver.OnWindow(Dialog("General")).Select(kTabs, 2);
  driver.OnWindow(Dialog("Service")).Read(9605, &password).Select(kTabs, 3);
  driver.OnWindow(Dialog("Proxy")).Check(10702).Read(10704, &port).Type(10704, "\b").Select(kTabs, 5);
  driver.OnWindow(Dialog("Remote Server"))
      .Read(1070, &days)
      .Do([&](HWND page) { daysBox = IsDlgButtonChecked(page, 1075); })
      .Read(1065, &address)
      .Read(1066, &webPort)
      .Click(IDOK);
  Run(driver);
  EXPECT_EQ(port, "80");
  EXPECT_EQ(Key("Defaults", "HTTPProxy"), "plainhost");
  EXPECT_EQ(days, "14");
  EXPECT_EQ(daysBox, static_cast<UINT>(BST_UNCHECKED));
  EXPECT_EQ(address, "10.0.0.5");
  EXPECT_EQ(webPort, "8080");
  EXPECT_EQ(Key("Defaults", "WebAddress"), "10.0.0.5:8080");
  EXPECT_EQ(password, "oldpass");
  EXPECT_NE(Key("Defaults", "Password"), storedPassword);  // new filler,
  EXPECT_EQ(Decoded("Defaults", "Password"), "oldpass");    // the same password
  EXPECT_EQ(Key("Defaults", "Username"), "");               // an empty name stays empty
}

}  // namespace
