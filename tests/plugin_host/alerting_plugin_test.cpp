// The built monitoring plug-in, found and bound by the program's host in a
// program directory of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "test_host.h"
#include "program_dir.h"

namespace {

using qvtest::SectionLines;

constexpr unsigned kAlertingKind = 4;

class AlertingPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_.Link(QV_TEST_DIST_DIR, "qvm_alrt.dll");
    program_.LinkLibraries(QV_TEST_DIST_DIR);
  }
  void TearDown() override { EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty()); }
  void Bind() {
    ASSERT_EQ(host_.LoadPlugins(program_.path()), 1);
    ASSERT_EQ(host_.plugins().size(), 1u);
    entry_ = host_.plugins()[0];
  }
  void WriteProfile(const std::string& name, const std::string& text) {
    program_.dir().write("qvm_alrt/datfiles/" + name, text);
  }
  template <typename F>
  F Slot(int id) const {
    return reinterpret_cast<F>(PluginSlot(entry_, id));
  }

  qvtest::ProgramDir program_;
  qvtest::PluginHost host_;
  const PluginEntry* entry_ = nullptr;
};

TEST_F(AlertingPluginTest, BindsAsTheAlertingKindWithItsFunctionTable) {
  Bind();
  char file[MAX_PATH] = "";
  GetModuleFileNameA(entry_->module, file, sizeof file);
  EXPECT_TRUE(std::string(file).ends_with("qvm_alrt.dll")) << file;
  EXPECT_EQ(entry_->kind, kAlertingKind);
  EXPECT_STREQ(entry_->name, "Alerting");
  EXPECT_EQ(entry_->major, 1);
  EXPECT_EQ(entry_->minor, 1);

  const std::set<int> supported = {1, 2, 3, 4, 5, 7, 8, 9, 11, 12, 14, 22, 23, 26, 29, 30, 31, 32};
  for (int id = -1; id <= 40; ++id) {
    EXPECT_EQ(entry_->IsFunctionSupported(id) != nullptr, supported.count(id) == 1) << id;
  }
  const std::vector<std::pair<int, const char*>> exports = {
      {1, "PSL_GenerateReport"},      {2, "QVM_EditProfile"},       {3, "QVM_DeleteProfile"},
      {4, "QVM_CopyProfile"},         {5, "QVM_FindProfile"},       {7, "PSL_EditScheduledEvent"},
      {8, "PSL_DeleteScheduledEvent"}, {9, "PSL_FindScheduledEvent"}, {11, "PSL_StartScheduledEvent"},
      {12, "QVM_UpdatePanel"},        {14, "QVM_ShutDown"},         {22, "QVM_CreateOptionDialog"},
      {23, "QVM_CloseOptionDialog"},  {26, "QVM_GetProfileHelp"},   {29, "QVM_GetMainListText"},
      {30, "QVM_IsShutDownOK"},       {31, "QVM_CompareFunc"},      {32, "QVM_StartService"}};
  for (const auto& [id, name] : exports) {
    EXPECT_EQ(PluginSlot(entry_, id), GetProcAddress(entry_->module, name)) << name;
    EXPECT_NE(PluginSlot(entry_, id), nullptr) << name;
  }
  // Every callback but 5 and 11 is kept (the host supplies them again as it did).
  std::vector<int> expected, answers;
  for (int id : kHostCallbackOrder) {
    expected.push_back(id == HC_IDLE || id == HC_FIND_SCHEDULED_EVENT ? 0 : 1);
    answers.push_back(entry_->SupplyCallback(id, HostCallbackAddress(id)));
  }
  EXPECT_EQ(answers, expected);
  EXPECT_EQ(entry_->SupplyCallback(16, nullptr), 0);
  EXPECT_EQ(entry_->SupplyCallback(0, nullptr), 0);
}

TEST_F(AlertingPluginTest, TheFirstLoadMakesItsDirectoriesAndSettings) {
  Bind();
  EXPECT_TRUE(program_.dir().exists("qvm_alrt/datfiles"));
  EXPECT_TRUE(program_.dir().exists("qvm_alrt/queue"));
  const std::string ini = program_.dir().read("qvm_alrt/qvm_alrt.ini");
  EXPECT_EQ(qvtest::SectionNames(ini), std::vector<std::string>{"General"});
  EXPECT_EQ(SectionLines(ini, "General"),
            (std::vector<std::string>{"DefaultAlertWave=alarm.wav", "AlertRetryCount=3", "GenerateStartupAlerts=1",
                                      "MajorVersion=1", "MinorVersion=1"}));
  host_.Unbind();
  // A second start leaves the settings as they are.
  qvtest::PluginHost again;
  ASSERT_EQ(again.LoadPlugins(program_.path()), 1);
  EXPECT_EQ(program_.dir().read("qvm_alrt/qvm_alrt.ini"), ini);
}

TEST_F(AlertingPluginTest, ProfilesAreListedOneRowAtATime) {
  WriteProfile("lert0000.amp", "[Profile]\nDescription=Intranet\n[Monitor]\nHostName=intranet\nMonitorType=HTTP\n");
  WriteProfile("lert0001.amp", "[Profile]\nDescription=\n[Monitor]\nMonitorType=PING\n");
  Bind();
  auto find = Slot<PFN_FindProfile>(PF_FIND_PROFILE);
  PROFILE* first = nullptr;
  PROFILE* second = nullptr;
  PROFILE* none = nullptr;
  EXPECT_EQ(find(nullptr, nullptr, nullptr, &first), PLUGIN_DONE);
  EXPECT_EQ(find(nullptr, first, nullptr, &second), PLUGIN_DONE);
  EXPECT_EQ(find(nullptr, second, nullptr, &none), PLUGIN_NO_MORE);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first->type, 4);
  EXPECT_STREQ(first->description, "Intranet");
  EXPECT_STREQ(first->host, "intranet");
  EXPECT_STREQ(first->extraText, "N/A");
  EXPECT_NE(std::strstr(first->profileFile, "lert0000.amp"), nullptr);
  EXPECT_STREQ(second->description, "N/A");
  EXPECT_STREQ(second->host, "N/A");

  // The program's rebuild reuses the rows it holds.
  const std::vector<PROFILE*> table = host_.RebuildProfileTable();
  const std::vector<PROFILE*> rebuilt = host_.RebuildProfileTable();
  ASSERT_EQ(rebuilt.size(), 2u);
  EXPECT_EQ(rebuilt, table);

  auto compare = Slot<PFN_CompareRows>(PF_COMPARE_ROWS);
  EXPECT_LT(compare(first, second, 0), 0);  // "Intranet" before "N/A"
  EXPECT_GT(compare(second, first, 0), 0);
  EXPECT_LT(compare(first, second, 1), 0);  // "HTTP" before "PING"
}

TEST_F(AlertingPluginTest, DeletingAProfileRemovesItsFileAndRow) {
  WriteProfile("lert0000.amp", "[Profile]\nDescription=Keep\n");
  WriteProfile("lert0001.amp", "[Profile]\nDescription=Drop\n");
  Bind();
  std::vector<PROFILE*> table = host_.RebuildProfileTable();
  ASSERT_EQ(table.size(), 2u);
  ASSERT_STREQ(table[0]->description, "Drop");  // the table is in description order
  EXPECT_EQ(host_.DeleteProfile(table[0]), PLUGIN_DONE);
  EXPECT_FALSE(program_.dir().exists("qvm_alrt/datfiles/lert0001.amp"));
  table = host_.RebuildProfileTable();
  ASSERT_EQ(table.size(), 1u);
  EXPECT_STREQ(table[0]->description, "Keep");
}

TEST_F(AlertingPluginTest, HelpTextsExitAndShutDown) {
  Bind();
  auto help = Slot<PFN_GetHelpText>(PF_GET_HELP_TEXT);
  const char* serverHelp = help(PF_EDIT_PROFILE, 1000);
  EXPECT_STREQ(serverHelp,
               "Report on server health and server accessibility. Monitors servers and generate alerts on server events.");
  auto siteHelp = reinterpret_cast<PFN_GetHelpText>(GetProcAddress(entry_->module, "PSL_GetProfileHelp"));
  ASSERT_NE(siteHelp, nullptr);
  EXPECT_STREQ(siteHelp(0, 0),
               "Report on site quality and detect problem areas on your web site: broken links, slow pages, HTML "
               "syntax and more.");
  // The first answer is still whole after the second was asked for.
  EXPECT_STREQ(serverHelp,
               "Report on server health and server accessibility. Monitors servers and generate alerts on server events.");
  EXPECT_EQ(Slot<PFN_IsShutDownOK>(PF_IS_SHUT_DOWN_OK)(), 1);
  EXPECT_EQ(Slot<PFN_CloseOptionDialog>(PF_CLOSE_OPTION_DIALOG)(1), 1);
  EXPECT_EQ(Slot<PFN_CloseOptionDialog>(PF_CLOSE_OPTION_DIALOG)(0), 0);
  EXPECT_EQ(Slot<PFN_StartService>(PF_START_SERVICE)(), PLUGIN_DONE);
  EXPECT_EQ(Slot<PFN_ShutDown>(PF_SHUT_DOWN)(), PLUGIN_DONE);
}

TEST_F(AlertingPluginTest, TheOptionSheetKeepsABadThreadCountOpenAndWritesAGoodOne) {
  Bind();
  HWND frame = CreateWindowExA(0, "#32770", "Options", WS_OVERLAPPEDWINDOW, 0, 0, 700, 500, nullptr, nullptr,
                               nullptr, nullptr);
  HBITMAP bitmap = nullptr;
  RECT part{};
  char shortTitle[64] = {}, longTitle[64] = {};
  HWND sheet = Slot<PFN_CreateOptionDialog>(PF_CREATE_OPTION_DIALOG)(frame, &bitmap, &part, shortTitle, longTitle);
  ASSERT_NE(sheet, nullptr);
  EXPECT_STREQ(longTitle, "Monitoring and Alerting");
  HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  ASSERT_NE(page, nullptr);
  const std::vector<std::string> before = SectionLines(program_.dir().read("qvm_alrt/qvm_alrt.ini"), "General");
  {
    qvp::PromptScript prompts;
    prompts.ExpectMessageBox("Number of threads must be between 1 and 100", IDOK);
    SetDlgItemTextA(page, 1030, "0");
    EXPECT_NE(SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), 0);
    ASSERT_EQ(prompts.Records().size(), 1u);
    EXPECT_EQ(prompts.Records()[0].caption, "Bad Value");
  }
  EXPECT_TRUE(IsWindow(sheet));
  EXPECT_EQ(SectionLines(program_.dir().read("qvm_alrt/qvm_alrt.ini"), "General"), before);  // nothing stored
  SetDlgItemTextA(page, 1030, "12");
  EXPECT_EQ(SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), 0);
  const std::vector<std::string> general = SectionLines(program_.dir().read("qvm_alrt/qvm_alrt.ini"), "General");
  EXPECT_NE(std::find(general.begin(), general.end(), "Thread=12"), general.end());
  EXPECT_EQ(Slot<PFN_CloseOptionDialog>(PF_CLOSE_OPTION_DIALOG)(1), 1);
  DestroyWindow(sheet);
  DestroyWindow(frame);
}

TEST_F(AlertingPluginTest, AProfileKeyTheListHoldsIsNeverDeletedThroughAnEvent) {
  WriteProfile("lert0000.amp", "[Profile]\nDescription=Held\n");
  Bind();
  const std::vector<PROFILE*> table = host_.RebuildProfileTable();
  ASSERT_EQ(table.size(), 1u);
  auto release = reinterpret_cast<int (*)(void*, SCHEDULE_EVENT*)>(GetProcAddress(entry_->module, "QVM_DeleteScheduledEvent"));
  ASSERT_NE(release, nullptr);
  SCHEDULE_EVENT event{};
  event.key = table[0]->key;
  EXPECT_EQ(release(nullptr, &event), PLUGIN_DONE);
  void* key = event.key;  // a packed field, read by value
  EXPECT_EQ(key, nullptr);
  // The profile is intact and still listed.
  EXPECT_STREQ(host_.RebuildProfileTable().at(0)->description, "Held");
}

class StatusPanelTest : public AlertingPluginTest {
 protected:
  void SetUp() override {
    AlertingPluginTest::SetUp();
    WNDCLASSA frame{};
    frame.lpfnWndProc = DefWindowProcA;
    frame.lpszClassName = "QvPanelParent";
    ASSERT_NE(RegisterClassA(&frame), 0);
    parent_ = CreateWindowExA(0, "QvPanelParent", "Main panel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 600, 400,
                              nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
  }
  void TearDown() override {
    host_.Unbind();  // the plug-in's shut-down destroys its panel
    DestroyWindow(parent_);
    UnregisterClassA("QvPanelParent", nullptr);
    AlertingPluginTest::TearDown();
  }
  std::string Text(HWND panel, int id) const {
    char text[256] = "";
    GetDlgItemTextA(panel, id, text, sizeof text);
    return text;
  }

  HWND parent_ = nullptr;
};

TEST_F(StatusPanelTest, ShowsTheSelectedProfileInsideTheMainPanel) {
  WriteProfile("lert0000.amp", "[Profile]\nDescription=Intranet\n");
  WriteProfile("lert0001.amp", "[Profile]\nDescription=\n");
  Bind();
  const std::vector<PROFILE*> table = host_.RebuildProfileTable();
  ASSERT_EQ(table.size(), 2u);
  auto update = Slot<PFN_UpdatePanel>(PF_UPDATE_PANEL);
  ASSERT_EQ(update(parent_, table[0], nullptr, PANEL_SHOW), PLUGIN_DONE);
  HWND panel = GetWindow(parent_, GW_CHILD);
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(IsWindowVisible(panel));
  EXPECT_EQ(Text(panel, 1054), "Intranet");
  EXPECT_EQ(Text(panel, 15005), "n/a");  // no device is monitored
  POINT origin{0, 0};
  ClientToScreen(parent_, &origin);
  RECT placed{};
  GetWindowRect(panel, &placed);
  EXPECT_EQ(placed.left - origin.x, 2);
  EXPECT_EQ(placed.top - origin.y, 2);
  for (int label : {9070, 9071, 1063}) {
    LOGFONTA font{};
    auto handle = reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(panel, label, WM_GETFONT, 0, 0));
    ASSERT_NE(GetObjectA(handle, sizeof font, &font), 0) << label;
    EXPECT_EQ(font.lfWeight, FW_BOLD) << label;
  }

  // Hide, then refresh only: the texts follow the selection, the visibility stays.
  ASSERT_EQ(update(parent_, table[1], table[0], PANEL_HIDE), PLUGIN_DONE);
  EXPECT_FALSE(IsWindowVisible(panel));
  ASSERT_EQ(update(parent_, table[0], table[1], PANEL_REFRESH), PLUGIN_DONE);
  EXPECT_FALSE(IsWindowVisible(panel));
  EXPECT_EQ(Text(panel, 1054), "Intranet");
  ASSERT_EQ(update(parent_, table[1], table[0], PANEL_SHOW), PLUGIN_DONE);
  EXPECT_EQ(Text(panel, 1054), "n/a");  // empty description
  EXPECT_EQ(GetWindow(parent_, GW_CHILD), panel);  // one panel, made once

  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("HTML Report Generator", IDOK);
  SendMessageA(panel, WM_COMMAND, 1113, 0);
  EXPECT_EQ(prompts.Pending(), 0u);
  EXPECT_EQ(prompts.Records().at(0).caption, "Alert");

  // Deleting the profile shown empties the panel.
  ASSERT_EQ(update(parent_, table[0], nullptr, PANEL_REFRESH), PLUGIN_DONE);
  ASSERT_EQ(host_.DeleteProfile(table[0]), PLUGIN_DONE);
  EXPECT_EQ(Text(panel, 1054), "n/a");

  EXPECT_EQ(Slot<PFN_ShutDown>(PF_SHUT_DOWN)(), PLUGIN_DONE);
  EXPECT_FALSE(IsWindow(panel));
}

}  // namespace
