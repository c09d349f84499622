// Support mail through the built-in Simple MAPI library: its compose dialog,
// delivery to a real SMTP server on loopback, and the warnings.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app_globals.h"
#include "host_tables.h"
#include "loopback_peers.h"
#include "mail_peer.h"
#include "panel_state.h"
#include "plugin_host.h"
#include "program_paths.h"
#include "progress_bar.h"
#include "qv_ui_internal.h"
#include "qv_ui_mapi.h"
#include "qvplatform/ui_driver.h"
#include "res_templates.h"
#include "resource_cache.h"
#include "smtp_mail_control.h"
#include "scripted_smtp.h"
#include "support_mail.h"
#include "test_dir.h"

namespace {

qvp::driver::WindowQuery Compose() {
  qvp::driver::WindowQuery query;
  query.class_name = "#32770";
  query.title = "New Message";
  return query;
}

class SupportMailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qv::SetProgramDirForTests(dir_.dir().c_str());
    qvui::SetProgramDirectoryForTests(dir_.dir());
    std::filesystem::create_directories(dir_.path() / "windows");
    qvp::SetWindowsDirectory(dir_.file("windows").c_str());
    base_ = LoadLibraryA(QV_DIST_DIR "/BASE.RSL");
    ASSERT_NE(base_, nullptr);
    g_app.resourceModule = base_;
    owner_ = CreateWindowExA(0, "#32770", "Panel", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                             nullptr, nullptr);
    qvp::TakeUnexpectedPrompts();
  }
  void TearDown() override {
    server_.reset();
    qvui::smtp::SetMailSettingsPathForTests(nullptr);
    DestroyWindow(owner_);
    FreeResourceCache();
    g_app.resourceModule = nullptr;
    FreeLibrary(base_);
    qvp::SetWindowsDirectory(nullptr);
    qv::SetProgramDirForTests(nullptr);
    qvui::SetProgramDirectoryForTests("");
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }
  // A mail server on loopback storing into dir/maildir; whether it came up.
  bool StartServer() {
    server_ = std::make_unique<qvtest::MailServer>(dir_.file("maildir"));
    UseServer(server_->address());
    return server_->running();
  }
  void UseServer(const std::string& server) {
    dir_.write("QUORVANE.INI", "[eMail]\r\nSMTPServer=" + server + "\r\nFrom=panel@site.test\r\n");
    qvui::smtp::SetMailSettingsPathForTests(dir_.file("QUORVANE.INI").c_str());
  }
  std::vector<std::string> Received() const { return server_->Messages(); }

  TestDir dir_;
  HMODULE base_ = nullptr;
  HWND owner_ = nullptr;
  std::unique_ptr<qvtest::MailServer> server_;
};

constexpr char kBody[] = "Author: Ann Smith\r\nCompany: Site Ltd\r\n\r\nThe monitor stopped.";

TEST_F(SupportMailTest, SendDeliversTheMessageWithItsAttachment) {
  QVTEST_REQUIRE_PACKAGE(qvtest::MailServer::Available(), "python3-aiosmtpd");
  ASSERT_TRUE(StartServer()) << "the SMTP server did not start";
  dir_.write("report.bin", std::string("\x01\x02\xff binary report", 17));
  std::string to;
  std::string attachment;
  qvp::UiDriver driver;
  driver.OnWindow(Compose())
      .Read(QVUI_MAPI_TO, &to)
      .Read(QVUI_MAPI_ATTACHMENT, &attachment)
      .ClickButton("Send");
  EXPECT_EQ(SendMapiMail(owner_, "Question about Quorvane", "support@quorvane.test", "Quorvane Technical Support",
                         kBody, (dir_.dir() + "report.bin").c_str()),
            1);
  for (const auto& problem : driver.Problems()) ADD_FAILURE() << problem;
  EXPECT_EQ(to, "support@quorvane.test");
  EXPECT_NE(attachment.find("report.bin"), std::string::npos);
  const auto messages = Received();
  ASSERT_EQ(messages.size(), 1u);
  const std::string& m = messages[0];
  EXPECT_NE(m.find("\nSubject: Question about Quorvane\n"), std::string::npos) << m;
  EXPECT_NE(m.find("X-RcptTo: support@quorvane.test\n"), std::string::npos) << m;
  EXPECT_NE(m.find("Author: Ann Smith\nCompany: Site Ltd\n\nThe monitor stopped."), std::string::npos) << m;
  EXPECT_NE(m.find("Content-Disposition: attachment; filename=\"report.bin\""), std::string::npos) << m;
  EXPECT_NE(m.find("AQL/IGJpbmFyeSByZXBvcnQ="), std::string::npos) << m;  // the file's bytes in base64
}

TEST_F(SupportMailTest, AFailedSendOrCancelWarnsAndAnswersZero) {
  UseServer("127.0.0.1:" + std::to_string(qvtest::FreePort()));  // nothing listens there
  qvp::UiDriver driver;
  driver.OnWindow(Compose()).ClickButton("Send");
  driver.ExpectMessageBox("could not be sent", IDOK);
  EXPECT_EQ(SendMapiMail(owner_, "s", "support@quorvane.test", "Support", "text"), 0);
  for (const auto& problem : driver.Problems()) ADD_FAILURE() << problem;

  qvp::UiDriver cancel;
  cancel.OnWindow(Compose()).Click(IDCANCEL);
  cancel.ExpectMessageBox("could not be sent", IDOK);
  EXPECT_EQ(SendMapiMail(owner_, "s", "support@quorvane.test", "Support", "text"), 0);
  for (const auto& problem : cancel.Problems()) ADD_FAILURE() << problem;
}

TEST_F(SupportMailTest, WithoutAMailServiceNothingIsLoaded) {
  std::filesystem::create_directories(dir_.path() / "windows" / "system32");
  dir_.write("windows/system32/MAPISVC.INF", "[Services]\r\n");
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("No MAPI mail service", IDOK);
  EXPECT_EQ(SendMapiMail(owner_, "s", "a@b.test", "A", "text"), 0);
  EXPECT_EQ(prompts.Pending(), 0u);
}

TEST_F(SupportMailTest, AServerThatRefusesTheMessageWarnsAndAnswersZero) {
  // Refused at the recipient, and refused once the whole text is there.
  for (int stage = 0; stage < 2; ++stage) {
    qvtest::SmtpScript script;
    const std::string refusal = stage == 0 ? "550 5.1.1 no such mailbox" : "554 5.7.1 message refused";
    if (stage == 0)
      script.replies["RCPT"] = refusal + "\r\n";
    else
      script.data_end_reply = refusal + "\r\n";
    qvtest::SmtpServer server(script);
    UseServer("127.0.0.1:" + std::to_string(server.port()));
    qvp::UiDriver driver;
    driver.OnWindow(Compose()).ClickButton("Send");
    driver.ExpectMessageBox("The mail message could not be sent.", IDOK);
    EXPECT_EQ(SendMapiMail(owner_, "s", "support@quorvane.test", "Support", "text"), 0) << refusal;
    for (const auto& problem : driver.Problems()) ADD_FAILURE() << problem;
    EXPECT_TRUE(server.WaitForEnd());
    const auto said = server.Transcript();
    EXPECT_NE(std::find(said.begin(), said.end(), "S: " + refusal), said.end()) << refusal;
  }
}

TEST_F(SupportMailTest, ALibraryLackingAnEntryPointIsNotCalledAndIsReleased) {
  // The test holds the library too, to read its count afterwards.
  HMODULE partial = LoadLibraryA(QV_PARTIAL_MAPI);
  ASSERT_NE(partial, nullptr);
  auto calls = reinterpret_cast<int (*)()>(GetProcAddress(partial, "PartialMapiCalls"));
  ASSERT_NE(calls, nullptr);
  SetMapiLibraryForTests(QV_PARTIAL_MAPI);
  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("The MAPI mail library could not be loaded.", IDOK);
  const int sent = SendMapiMail(owner_, "s", "a@b.test", "A", "text");
  SetMapiLibraryForTests(nullptr);
  EXPECT_EQ(sent, 0);
  EXPECT_EQ(prompts.Pending(), 0u);
  EXPECT_EQ(calls(), 0);
  FreeLibrary(partial);
  EXPECT_EQ(GetModuleHandleA(QV_PARTIAL_MAPI), nullptr);  // SendMapiMail gave its load back
}

// The panel's toolbar: the panel only needs one to stay open.
HWND CreateToolbar(HWND panel, int id) {
  return CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 30, panel,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

TEST_F(SupportMailTest, ThePanelsSupportCommandMailsTheAuthorAndCompany) {
  QVTEST_REQUIRE_PACKAGE(qvtest::MailServer::Available(), "python3-aiosmtpd");
  ASSERT_TRUE(StartServer()) << "the SMTP server did not start";
  WritePrivateProfileStringA("Main", "Author", "Ann Smith", GetIniPath());
  WritePrivateProfileStringA("Main", "Company", "Site Ltd", GetIniPath());
  g_app.prd = ProductFunctions{};
  g_app.prd.CreateBigBtnToolbar = CreateToolbar;
  g_pluginList = nullptr;
  RegisterProgressBarClass(GetModuleHandleA(nullptr));
  HWND panel = CreateDialogIndirectParamA(base_, LoadDialogTemplate(100), nullptr, Big_Buttons_Dialog, 0);
  ASSERT_NE(panel, nullptr);
  ShowWindow(panel, SW_SHOW);
  MSG pending;
  while (PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&pending);

  std::string to, subject, text;
  qvp::UiDriver driver;
  driver.OnWindow(Compose())
      .Read(QVUI_MAPI_TO, &to)
      .Read(QVUI_MAPI_SUBJECT, &subject)
      .Read(QVUI_MAPI_TEXT, &text)
      .ClickButton("Send");
  SendMessageA(panel, WM_COMMAND, 6101, 0);
  for (const auto& problem : driver.Problems()) ADD_FAILURE() << problem;
  const bool open = IsWindow(panel) != FALSE;
  if (open) DestroyWindow(panel);
  FreeProfileTable();
  UnregisterProgressBarClass(GetModuleHandleA(nullptr));
  g_app.prd = ProductFunctions{};
  EXPECT_TRUE(open);

  EXPECT_EQ(subject, "Question about Quorvane");
  EXPECT_NE(text.find("Ann Smith"), std::string::npos) << text;
  const auto messages = Received();
  ASSERT_EQ(messages.size(), 1u);
  const std::string& m = messages[0];
  EXPECT_NE(m.find("\nSubject: Question about Quorvane\n"), std::string::npos) << m;
  EXPECT_NE(m.find("X-RcptTo: " + to + "\n"), std::string::npos) << m;
  EXPECT_NE(to.find('@'), std::string::npos) << to;
  EXPECT_NE(m.find("here:\n\nAnn Smith\nSite Ltd"), std::string::npos) << m;
}

TEST(MapiModuleTest, TheLibraryHasTheFiveEntryPointsAndRefusesBadCalls) {
  HMODULE mapi = LoadLibraryA("MAPI32.DLL");
  ASSERT_NE(mapi, nullptr);
  for (const char* name : {"MAPIInitialize", "MAPIUninitialize", "MAPILogon", "MAPILogoff", "MAPISendMail"})
    EXPECT_NE(GetProcAddress(mapi, name), nullptr) << name;
  auto send = reinterpret_cast<LPMAPISENDMAIL>(GetProcAddress(mapi, "MAPISendMail"));
  EXPECT_EQ(send(0, 0, nullptr, 0, 0), static_cast<ULONG>(MAPI_E_INVALID_MESSAGE));
  MapiMessage empty{};
  EXPECT_EQ(send(0, 0, &empty, 0, 0), static_cast<ULONG>(MAPI_E_INVALID_RECIPS));
  FreeLibrary(mapi);
}

}  // namespace
