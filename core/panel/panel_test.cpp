#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "analysis_status.h"
#include "app_globals.h"
#include "host_tables.h"
#include "panel_state.h"
#include "plugin_host.h"
#include "program_paths.h"
#include "progress_bar.h"
#include "qv_ui_internal.h"
#include "qvplatform/ui_driver.h"
#include "res_templates.h"
#include "resource_cache.h"
#include "test_dir.h"
#include "text_copy.h"
#include "window_geometry.h"

namespace {

// ---- Fake plug-ins: their rows and what the panel asked of them ----

struct FakePlugin {
  unsigned int kind = 0;
  std::string name;
  std::vector<std::unique_ptr<PROFILE>> made;  // every row it ever handed out
  std::vector<PROFILE*> live;                  // the rows it has now
  int copies = 0;
  bool editsMakeNewRows = true;
  std::function<void(HWND)> duringEdit;
  int commandLineAnswer = 0;     // function 20's answer; 0: the plug-in has none
  std::vector<int> workAnswers;  // function 13's answers, in order (then 3)
  std::vector<std::string> worked;
  PluginResumeProc resume = nullptr;  // what function 24 was handed last
  int cancels = 0;
  int edits = 0;
};

FakePlugin g_fakes[3];
bool g_sawDeadRow = false;
std::vector<std::string> g_panelUpdates;

PROFILE* MakeRow(FakePlugin& plugin, const std::string& name) {
  auto row = std::make_unique<PROFILE>();
  row->type = static_cast<int32_t>(plugin.kind);
  std::strncpy(row->description, name.c_str(), sizeof row->description - 1);
  std::strncpy(row->host, "host", sizeof row->host - 1);
  PROFILE* raw = row.get();
  plugin.made.push_back(std::move(row));
  return raw;
}

void Kill(FakePlugin& plugin, PROFILE* row) {
  plugin.live.erase(std::remove(plugin.live.begin(), plugin.live.end(), row), plugin.live.end());
  std::strcpy(row->description, "DEAD");
}

void Check(const PROFILE* row) {
  if (row && std::strcmp(row->description, "DEAD") == 0) g_sawDeadRow = true;
}

template <int N>
int Find(HWND, PROFILE* previous, PROFILE*, PROFILE** out) {
  FakePlugin& p = g_fakes[N];
  Check(previous);
  size_t next = 0;
  if (previous) next = static_cast<size_t>(std::find(p.live.begin(), p.live.end(), previous) - p.live.begin()) + 1;
  if (next >= p.live.size()) return PLUGIN_NO_MORE;
  *out = p.live[next];
  return PLUGIN_DONE;
}

template <int N>
int CancelWork(HWND, PluginResumeProc resume) {
  ++g_fakes[N].cancels;
  g_fakes[N].resume = resume;
  return 0;
}

template <int N>
int Edit(HWND panel, PROFILE* row, PROFILE** out) {
  FakePlugin& p = g_fakes[N];
  ++p.edits;
  Check(row);
  if (p.duringEdit) p.duringEdit(panel);
  if (!row) {
    *out = MakeRow(p, "New " + std::to_string(p.made.size()));
    p.live.push_back(*out);
    return PLUGIN_DONE;
  }
  if (!p.editsMakeNewRows) {
    std::strcat(row->description, "!");
    *out = row;
    return PLUGIN_DONE;
  }
  *out = MakeRow(p, std::string(row->description) + " edited");
  p.live.push_back(*out);
  Kill(p, row);
  return PLUGIN_DONE;
}

template <int N>
int Copy(HWND, PROFILE* row, PROFILE** out) {
  FakePlugin& p = g_fakes[N];
  Check(row);
  ++p.copies;
  *out = MakeRow(p, std::string("Copy of ") + row->description);
  p.live.push_back(*out);
  return PLUGIN_DONE;
}

template <int N>
int Delete(HWND, PROFILE* row) {
  Check(row);
  Kill(g_fakes[N], row);
  return PLUGIN_DONE;
}

template <int N>
int UpdatePanel(HWND, PROFILE* selected, PROFILE* previous, int mode) {
  Check(selected);
  Check(previous);
  g_panelUpdates.push_back(std::to_string(N) + ":" + std::to_string(mode));
  return 0;
}

template <int N>
int ContinueWork(HWND, PROFILE* row) {
  FakePlugin& p = g_fakes[N];
  Check(row);
  p.worked.push_back(row->description);
  if (p.workAnswers.empty()) {
    row->running = 0;
    return PLUGIN_FAILED;
  }
  const int answer = p.workAnswers.front();
  p.workAnswers.erase(p.workAnswers.begin());
  return answer;
}

template <int N>
int CommandLine(HWND, const char*) {
  return g_fakes[N].commandLineAnswer;
}

template <int N>
FARPROC Supported(int id) {
  switch (id) {
    case PF_CONTINUE_WORK: return reinterpret_cast<FARPROC>(&ContinueWork<N>);
    case PF_COMMAND_LINE:
      return g_fakes[N].commandLineAnswer ? reinterpret_cast<FARPROC>(&CommandLine<N>) : nullptr;
    case PF_FIND_PROFILE: return reinterpret_cast<FARPROC>(&Find<N>);
    case PF_EDIT_PROFILE: return reinterpret_cast<FARPROC>(&Edit<N>);
    case PF_COPY_PROFILE: return reinterpret_cast<FARPROC>(&Copy<N>);
    case PF_DELETE_PROFILE: return reinterpret_cast<FARPROC>(&Delete<N>);
    case PF_UPDATE_PANEL: return reinterpret_cast<FARPROC>(&UpdatePanel<N>);
    case PF_CANCEL_ANALYSIS: return reinterpret_cast<FARPROC>(&CancelWork<N>);
    default: return nullptr;
  }
}

constexpr PFN_IsFunctionSupported kSupported[3] = {&Supported<0>, &Supported<1>, &Supported<2>};

// ---- A toolbar that keeps what it is told ----

std::map<LPARAM, WPARAM> g_toolbarStates;

LRESULT CALLBACK FakeToolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == QV_TOOLBAR_ENABLE) {
    g_toolbarStates[lParam] = wParam;
    return 0;
  }
  if (message == QV_TOOLBAR_IS_ENABLED) return g_toolbarStates[lParam] ? 1 : 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateFakeToolbar(HWND panel, int id) {
  WNDCLASSA type{};
  type.lpfnWndProc = FakeToolbarProc;
  type.lpszClassName = "QvFakeToolbar";
  RegisterClassA(&type);
  return CreateWindowExA(0, "QvFakeToolbar", "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 30, panel,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Pumps until done() holds; false when it never does (a generous bound, no timing).
template <typename F>
bool PumpUntil(F done) {
  for (int round = 0; round < 500 && !done(); ++round) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Pump();
  }
  return done();
}

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qv::SetProgramDirForTests(dir_.dir().c_str());
    qvui::SetProgramDirectoryForTests(dir_.dir());
    dir_.write("QUORVANE.INI", "[Defaults]\nAutoDetectLogFiles=1\n");
    g_app.resourceModule = GetModuleHandleA(nullptr);
    g_app.prd = ProductFunctions{};
    g_app.prd.CreateBigBtnToolbar = CreateFakeToolbar;
    RegisterProgressBarClass(GetModuleHandleA(nullptr));
    for (auto& fake : g_fakes) fake = FakePlugin{};
    g_sawDeadRow = false;
    g_panelUpdates.clear();
    g_toolbarStates.clear();
    qvp::TakeUnexpectedPrompts();
  }
  void TearDown() override {
    if (panel_ && IsWindow(panel_)) DestroyWindow(panel_);
    FreeProfileTable();
    g_pluginList = nullptr;
    g_refreshRequests.refill = g_refreshRequests.rebuild = g_refreshRequests.notify = false;
    UnregisterProgressBarClass(GetModuleHandleA(nullptr));
    FreeResourceCache();
    g_app.resourceModule = nullptr;
    g_app.prd = ProductFunctions{};
    g_app.commandLine[0] = '\0';
    qv::SetProgramDirForTests(nullptr);
    qvui::SetProgramDirectoryForTests("");
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
    EXPECT_FALSE(g_sawDeadRow) << "a row that left the table was handed to a plug-in";
  }

  // Plug-ins in list order, each with rows.
  void Plugins(std::vector<std::pair<unsigned int, std::vector<std::string>>> kinds) {
    for (size_t i = 0; i < kinds.size(); ++i) {
      FakePlugin& fake = g_fakes[i];
      fake.kind = kinds[i].first;
      fake.name = "Plug-in " + std::to_string(i);
      for (const auto& name : kinds[i].second) fake.live.push_back(MakeRow(fake, name));
      PluginEntry& entry = entries_[i];
      entry = PluginEntry{};
      entry.kind = fake.kind;
      std::strncpy(entry.name, fake.name.c_str(), sizeof entry.name - 1);
      entry.IsFunctionSupported = kSupported[i];
      for (int slot = 0; slot < 32; ++slot) entry.slots[slot] = kSupported[i](kPluginSlotOrder[slot]);
      entry.next = i + 1 < kinds.size() ? &entries_[i + 1] : nullptr;
    }
    g_pluginList = kinds.empty() ? nullptr : &entries_[0];
  }

  HWND Open() {
    panel_ = CreateDialogIndirectParamA(g_app.resourceModule, LoadDialogTemplate(100), nullptr, Big_Buttons_Dialog, 0);
    if (panel_) ShowWindow(panel_, SW_SHOW);
    Pump();
    return panel_;
  }

  HWND List() { return GetDlgItem(panel_, kProfileListId); }
  std::string Cell(int item, int column) {
    char text[100] = "";
    LVITEMA read{};
    read.iSubItem = column;
    read.pszText = text;
    read.cchTextMax = sizeof text;
    SendMessageA(List(), LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&read));
    return text;
  }
  std::vector<std::string> Rows() { return qvp::driver::Items(List()); }
  std::string Selected() { return qvp::driver::SelectedText(List()); }
  void Command(WORD command) { SendMessageA(panel_, WM_COMMAND, command, 0); }

  TestDir dir_;
  PluginEntry entries_[3]{};
  HWND panel_ = nullptr;
};

using Names = std::vector<std::string>;

TEST_F(PanelTest, EveryPluginHasATabAfterAllProfilesInListOrder) {
  Plugins({{1, {"Logs"}}, {4, {"Mail server"}}, {4, {"Web server"}}});
  ASSERT_NE(Open(), nullptr);
  HWND tabs = GetDlgItem(panel_, kKindTabsId);
  EXPECT_EQ(qvp::driver::Items(tabs), (Names{"All Profiles", "Plug-in 0", "Plug-in 1", "Plug-in 2"}));
  EXPECT_EQ(GetSelectedTab(), kAllProfiles);
  EXPECT_EQ(Rows(), (Names{"Logs", "Mail server", "Web server"}));
  EXPECT_TRUE(dir_.exists("SCHEDULE.LOG"));
  EXPECT_EQ(g_panel.toolbar != nullptr, true);

  // The tab of kind 4 shows only that kind's rows once the panel ticks.
  ASSERT_TRUE(qvp::UserSelectTab(tabs, 2));
  Pump();
  SendMessageA(panel_, QVM_TICK_NOW, 0, 0);
  EXPECT_EQ(Rows(), (Names{"Mail server", "Web server"}));
}

TEST_F(PanelTest, BoundPluginFilesOfKinds4And1And4ListAs1And4And4) {
  ASSERT_EQ(LoadPlugins(QV_PANEL_PLUGINS_DIR), 1);
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(qvp::driver::Items(GetDlgItem(panel_, kKindTabsId)),
            (Names{"All Profiles", "Log analysis", "Mail watch", "Web watch"}));
  // In "All Profiles" the third column names the plug-in of each row's kind
  // (a row carries only its kind: the first plug-in of that kind).
  EXPECT_EQ(Rows(), (Names{"Log analysis", "Mail watch", "Web watch"}));
  char cell[100] = "";
  LVITEMA read{};
  read.iSubItem = 2;
  read.pszText = cell;
  read.cchTextMax = sizeof cell;
  SendMessageA(List(), LVM_GETITEMTEXTA, 2, reinterpret_cast<LPARAM>(&read));
  EXPECT_STREQ(cell, "Mail watch");
  DestroyWindow(panel_);
  UnloadPlugins();
}

TEST_F(PanelTest, TheProfileCommandsFollowTheSelection) {
  Plugins({{4, {}}});
  ASSERT_NE(Open(), nullptr);
  Pump();
  EXPECT_EQ(g_toolbarStates[5050], 0u);
  EXPECT_EQ(g_toolbarStates[5060], 0u);
  Command(5040);
  Pump();
  EXPECT_EQ(Selected(), "New 0");
  EXPECT_EQ(g_toolbarStates[5000], 1u);
  EXPECT_EQ(g_toolbarStates[5050], 1u);

  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("Delete the selected profile?", IDYES);
  Command(5060);
  Pump();
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(g_toolbarStates[5060], 0u);
}

// A command that comes while an analysis runs stops the analysis, and comes
// back once the plug-in says through the resume callback that it has stopped.
TEST_F(PanelTest, ACommandThatStopsAnAnalysisComesBackWhenThePluginResumes) {
  Plugins({{4, {}}});
  ASSERT_NE(Open(), nullptr);
  g_status.runState = 1;
  Command(5040);
  Pump();
  EXPECT_EQ(g_fakes[0].edits, 0);
  EXPECT_EQ(g_fakes[0].cancels, 1);
  ASSERT_NE(g_fakes[0].resume, nullptr);

  // The analysis ends; the plug-in resumes from a thread of its own.
  g_status.runState = 0;
  g_status.cancelRequested = false;
  std::thread plugin(g_fakes[0].resume);
  plugin.join();
  EXPECT_TRUE(PumpUntil([] { return g_fakes[0].edits == 1; }));
  EXPECT_EQ(Selected(), "New 0");
}

TEST_F(PanelTest, ClosingThePanelReleasesAndClosesTheSchedulerMutex) {
  ASSERT_TRUE(CreateSchedulerMutex());
  Plugins({{4, {"Alpha"}}});
  ASSERT_NE(Open(), nullptr);
  DestroyWindow(panel_);
  EXPECT_EQ(g_schedulerMutex.load(), nullptr);
  EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, kSchedulerMutexName), nullptr);
  SchedulerLock stillGuarded;  // the stand-in lock serves from here on
}

TEST_F(PanelTest, RunningProfilesGetWorkUntilNoneHasMoreAndTheEndIsShown) {
  Plugins({{4, {"Alpha", "Beta"}}});
  ASSERT_NE(Open(), nullptr);
  for (int i = 0; i < ProfileTable.count; ++i) ProfileTable.rows[i]->running = 1;
  g_fakes[0].workAnswers = {PLUGIN_DONE, PLUGIN_DONE};
  RunActiveProfiles(panel_);
  // Round one: both answer 1 (more to do); round two: both are done.
  EXPECT_EQ(g_fakes[0].worked, (Names{"Alpha", "Beta", "Alpha", "Beta"}));
  EXPECT_EQ(qvp::driver::Text(GetDlgItem(panel_, kStatusFileId)), "Finished.");
  EXPECT_EQ(g_status.runState, 0);

  g_fakes[0].worked.clear();
  for (int i = 0; i < ProfileTable.count; ++i) ProfileTable.rows[i]->running = 1;
  g_fakes[0].workAnswers = {PLUGIN_STOP_ALL};
  RunActiveProfiles(panel_);
  EXPECT_EQ(g_fakes[0].worked, (Names{"Alpha"}));
  EXPECT_EQ(qvp::driver::Text(GetDlgItem(panel_, kStatusFileId)), "Stopped.");
}

TEST_F(PanelTest, ACommandLineRunThatEndsAsksTheProgramToQuitWhenIdle) {
  CopyText(g_app.commandLine, sizeof g_app.commandLine, "/report weekly");
  Plugins({{1, {"Logs"}}, {4, {"Alpha"}}});
  g_fakes[0].commandLineAnswer = PLUGIN_NOT_MINE;
  g_fakes[1].commandLineAnswer = PLUGIN_FAILED;
  ASSERT_NE(Open(), nullptr);
  EXPECT_TRUE(g_panel.exitWhenIdle);
  EXPECT_FALSE(g_panel.commandLineMode);
  SendMessageA(panel_, WM_TIMER, kExitWhenIdleTimer, 0);
  MSG message;
  bool quit = false;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) quit = quit || message.message == WM_QUIT;
  EXPECT_TRUE(quit);
}

TEST_F(PanelTest, TheLogViewShowsCountsAndTimesAndSortsByTheClickedColumn) {
  Plugins({{1, {"A", "B", "C"}}});
  const int counts[] = {5, 2, 9};
  for (int i = 0; i < 3; ++i) g_fakes[0].live[static_cast<size_t>(i)]->itemCount = counts[i];
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(Rows(), (Names{"A", "B", "C"}));
  EXPECT_EQ(Cell(0, 2), "5 hits");
  EXPECT_EQ(Cell(0, 3), "-- --");  // no time yet
  ASSERT_TRUE(qvp::UserClickListViewColumn(List(), 2));
  Pump();
  EXPECT_EQ(Rows(), (Names{"B", "A", "C"}));
}

TEST_F(PanelTest, PluginCallbacksReachTheStatusAreaAndCarryTheCancelBack) {
  Plugins({{4, {"Alpha"}}});
  ASSERT_NE(Open(), nullptr);
  HostSetStatusText("Reading the log");
  EXPECT_EQ(qvp::driver::Text(GetDlgItem(panel_, kStatusFileId)), "Reading the log");
  HostSetProgress(40);
  Pump();
  ASSERT_NE(ProgressBarWindow(), nullptr);
  EXPECT_EQ(qvp::driver::Painted(ProgressBarWindow()).JoinedText(), "40%");

  g_status.runState = 1;
  EXPECT_EQ(HostRealtimeAnalysis(ProfileTable.rows[0], "x.log", 10, 20, 0), PLUGIN_DONE);
  CancelAnalysis(panel_, nullptr);
  EXPECT_EQ(HostRealtimeAnalysis(ProfileTable.rows[0], "x.log", 20, 30, 0), PLUGIN_STOP);
  g_status.runState = 0;
}

TEST_F(PanelTest, ThePanelRunsOnTheBaseLibrarysTemplateAndTexts) {
  const HMODULE base = LoadLibraryA(QV_DIST_DIR "/BASE.RSL");
  ASSERT_NE(base, nullptr);
  g_app.resourceModule = base;
  Plugins({{1, {"Logs"}}, {4, {"Web server"}}});
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(Rows(), (Names{"Logs", "Web server"}));
  EXPECT_NE(g_panel.smallImages, nullptr);
  for (int id : {kStatusFileId, kStatusLinesId, kStatusTimeId, kProgressFrameId, kPluginPanelId, kSizeGripId}) {
    EXPECT_NE(GetDlgItem(panel_, id), nullptr) << id;
  }
  EXPECT_NE(ProgressBarWindow(), nullptr);
  EXPECT_EQ(RealtimeAnalysisCallback(-1, "access.log", 400, 10, 0), 0);
  EXPECT_EQ(qvp::driver::Text(GetDlgItem(panel_, kStatusLinesId)), "400 lines read");
  DestroyWindow(panel_);
  FreeResourceCache();
  g_app.resourceModule = GetModuleHandleA(nullptr);
  FreeLibrary(base);
}

TEST_F(PanelTest, ASinglePluginHasNoAllProfilesTab) {
  Plugins({{4, {"Web server"}}});
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(qvp::driver::Items(GetDlgItem(panel_, kKindTabsId)), (Names{"Plug-in 0"}));
  EXPECT_EQ(GetSelectedTab(), 4);
}

TEST_F(PanelTest, NewEditCopyAndDeleteReachThePluginAndTheListFollows) {
  Plugins({{4, {"Beta", "Alpha"}}});
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(Rows(), (Names{"Alpha", "Beta"}));

  Command(5040);
  EXPECT_EQ(Rows(), (Names{"Alpha", "Beta", "New 2"}));
  EXPECT_EQ(Selected(), "New 2");

  Command(5050);
  EXPECT_EQ(Rows(), (Names{"Alpha", "Beta", "New 2 edited"}));
  EXPECT_EQ(Selected(), "New 2 edited");

  Command(5055);
  EXPECT_EQ(Rows(), (Names{"Alpha", "Beta", "Copy of New 2 edited", "New 2 edited"}));
  EXPECT_EQ(Selected(), "Copy of New 2 edited");

  qvp::PromptScript prompts;
  prompts.ExpectMessageBox("Delete the selected profile?", IDYES);
  Command(5060);
  EXPECT_EQ(Rows(), (Names{"Alpha", "Beta", "New 2 edited"}));
  EXPECT_EQ(prompts.Pending(), 0u);
  ASSERT_EQ(ProfileTable.count, 3);

  // The selection moves on; the deleted and the replaced rows never reach the plug-in again.
  ASSERT_TRUE(qvp::UserSelectListViewItem(List(), 0));
  Pump();
  EXPECT_EQ(Selected(), "Alpha");
  EXPECT_FALSE(g_panelUpdates.empty());
}

TEST_F(PanelTest, ACommandThatComesWhileAnotherIsHandledRunsAfterIt) {
  Plugins({{4, {"Alpha"}}});
  ASSERT_NE(Open(), nullptr);
  int copiesDuringEdit = -1;
  g_fakes[0].editsMakeNewRows = false;
  g_fakes[0].duringEdit = [&](HWND panel) {
    PostMessageA(panel, WM_COMMAND, 5055, 0);
    for (int i = 0; i < 3; ++i) PumpMessages();
    copiesDuringEdit = g_fakes[0].copies;
  };
  Command(5050);
  EXPECT_EQ(copiesDuringEdit, 0);
  EXPECT_TRUE(PumpUntil([] { return g_fakes[0].copies == 1; }));
  EXPECT_TRUE(PumpUntil([&] { return Rows().size() == 2; }));
  EXPECT_EQ(Rows(), (Names{"Alpha!", "Copy of Alpha!"}));
}

TEST_F(PanelTest, ACommandDuringAnAnalysisCancelsItAndRunsWhenItHasStopped) {
  Plugins({{4, {"Alpha"}}});
  ASSERT_NE(Open(), nullptr);
  g_status.runState = 1;
  Command(5040);
  EXPECT_TRUE(g_status.cancelRequested);
  EXPECT_EQ(Rows(), (Names{"Alpha"}));
  // The analysis sees the cancel at its next callback and ends.
  EXPECT_EQ(RealtimeAnalysisCallback(-1, "a.log", 1, 1, 0), 1);
  g_status.runState = 0;
  EXPECT_TRUE(PumpUntil([&] { return Rows().size() == 2; }));
  EXPECT_EQ(Selected(), "New 1");
}

// A user's choice of tab shows only that kind's rows from the next tick on.
TEST_F(PanelTest, ATabChosenByTheUserListsOnlyItsKind) {
  Plugins({{1, {"Logs"}}, {4, {"Mail server"}}});
  ASSERT_NE(Open(), nullptr);
  ASSERT_TRUE(qvp::UserSelectTab(GetDlgItem(panel_, kKindTabsId), 2));
  Pump();
  EXPECT_EQ(g_panel.viewKind, 4);
  SendMessageA(panel_, WM_TIMER, kTickTimer, 0);
  EXPECT_EQ(Rows(), (Names{"Mail server"}));
}

// An open menu holds the panel busy until the menu loop has ended and its
// message came back; the list's owner-drawn rows are measured, other controls' are not.
TEST_F(PanelTest, AnOpenMenuHoldsThePanelBusyAndOnlyTheListsRowsAreMeasured) {
  Plugins({{4, {"Alpha"}}});
  ASSERT_NE(Open(), nullptr);
  SendMessageA(panel_, WM_ENTERMENULOOP, FALSE, 0);
  EXPECT_TRUE(g_panel.busy);
  EXPECT_TRUE(g_status.commandPending);
  SendMessageA(panel_, WM_EXITMENULOOP, FALSE, 0);
  EXPECT_TRUE(g_panel.busy);  // until the posted end arrives
  ASSERT_TRUE(PumpUntil([] { return !g_panel.busy; }));
  EXPECT_FALSE(g_status.commandPending);

  MEASUREITEMSTRUCT row{};
  row.CtlType = ODT_LISTVIEW;
  row.CtlID = kProfileListId;
  SendMessageA(panel_, WM_MEASUREITEM, kProfileListId, reinterpret_cast<LPARAM>(&row));
  EXPECT_GE(row.itemHeight, 16u);
  MEASUREITEMSTRUCT other{};
  other.CtlID = kKindTabsId;
  other.itemHeight = 3;
  SendMessageA(panel_, WM_MEASUREITEM, kKindTabsId, reinterpret_cast<LPARAM>(&other));
  EXPECT_EQ(other.itemHeight, 3u);
}

TEST_F(PanelTest, ARefreshAskedForFromAPluginThreadRefillsOnTheNextTick) {
  Plugins({{4, {"Alpha"}}});
  ASSERT_NE(Open(), nullptr);
  g_fakes[0].live.push_back(MakeRow(g_fakes[0], "Added"));
  SendMessageA(panel_, WM_TIMER, kTickTimer, 0);
  EXPECT_EQ(Rows(), (Names{"Alpha"}));  // nobody asked

  std::thread plugin([] { HostRequestRefresh(1, 1, 0); });
  plugin.join();
  SendMessageA(panel_, WM_TIMER, kTickTimer, 0);
  EXPECT_EQ(Rows(), (Names{"Added", "Alpha"}));
  EXPECT_FALSE(g_refreshRequests.refill);
}

// A rebuild keeps the selected row by its name; when that row is gone, the
// row at the saved ListOffset is selected, and the commands act on it.
TEST_F(PanelTest, ARebuildThatLosesTheSelectedRowSelectsTheRowAtTheSavedOffset) {
  dir_.write("QUORVANE.INI", "[Defaults]\nAutoDetectLogFiles=1\nListOffset=2\n");
  Plugins({{4, {"Alpha", "Bravo", "Charlie"}}});
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(Selected(), "Charlie");
  ASSERT_NE(g_panel.selected, nullptr);
  EXPECT_STREQ(g_panel.selected->description, "Charlie");

  auto select = [&](int item) {
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
  };
  auto rebuild = [&] {
    SendMessageA(panel_, QVM_REQUEST_REFILL, 0, 0);
    SendMessageA(panel_, QVM_TICK_NOW, 0, 0);
    Pump();
  };

  // The selected row survives the rebuild: it stays selected.
  select(1);
  rebuild();
  EXPECT_EQ(Selected(), "Bravo");
  ASSERT_NE(g_panel.selected, nullptr);
  EXPECT_STREQ(g_panel.selected->description, "Bravo");

  // The selected row left: not the first row, but the one at the offset.
  select(0);
  Kill(g_fakes[0], g_fakes[0].live[0]);
  g_fakes[0].live.push_back(MakeRow(g_fakes[0], "Delta"));
  rebuild();
  EXPECT_EQ(Rows(), (Names{"Bravo", "Charlie", "Delta"}));
  EXPECT_EQ(Selected(), "Delta");
  ASSERT_NE(g_panel.selected, nullptr);
  EXPECT_STREQ(g_panel.selected->description, "Delta");
  EXPECT_FALSE(g_panel.afterRebuild);
}

TEST_F(PanelTest, ExitWhileTheRemoteServerIsOnHidesToTheTray) {
  dir_.write("QUORVANE.INI", "[Defaults]\nAutoDetectLogFiles=1\nWebEnable=TRUE\n");
  Plugins({{4, {"Alpha"}}});
  ASSERT_NE(Open(), nullptr);
  Command(40001);
  Pump();
  EXPECT_FALSE(IsWindowVisible(panel_));
  const auto icons = qvp::TrayIcons();
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].id, kTrayIconId);
  EXPECT_EQ(icons[0].tip, "Quorvane");
  EXPECT_EQ(ProfileTable.count, 1);  // still running

  ASSERT_TRUE(qvp::ClickTrayIcon(panel_, kTrayIconId, WM_LBUTTONDBLCLK));
  Pump();
  EXPECT_TRUE(IsWindowVisible(panel_));
  EXPECT_TRUE(qvp::TrayIcons().empty());
}

TEST_F(PanelTest, ExitWithNothingPendingEndsThePanel) {
  dir_.write("QUORVANE.INI", "[Defaults]\nAutoDetectLogFiles=1\nWebEnable=1\n");
  Plugins({{4, {"Alpha"}}});
  ASSERT_NE(Open(), nullptr);
  Command(40001);
  Pump();
  EXPECT_FALSE(IsWindowVisible(panel_));
  EXPECT_TRUE(qvp::TrayIcons().empty());
  EXPECT_EQ(ProfileTable.count, 0);
  EXPECT_TRUE(g_panel.exiting);
}

TEST_F(PanelTest, SizeAndPlaceComeBackFromTheSettingsFile) {
  dir_.write("QUORVANE.INI",
             "[Defaults]\nAutoDetectLogFiles=1\nMainPanelX=30\nMainPanelY=20\n"
             "MainPanelWidthDlgUnits=400\nMainPanelHeightDlgUnits=260\n");
  Plugins({{4, {"Alpha"}}});
  ASSERT_NE(Open(), nullptr);
  RECT rect;
  GetWindowRect(panel_, &rect);
  RECT expected{0, 0, 400, 260};
  DialogUnitsToPixels(&expected);
  EXPECT_EQ(rect.left, 30);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right - rect.left, expected.right);
  EXPECT_EQ(rect.bottom - rect.top, expected.bottom);
  DestroyWindow(panel_);
  const std::string ini = dir_.read("QUORVANE.INI");
  EXPECT_NE(ini.find("MainPanelX=30"), std::string::npos) << ini;
  EXPECT_NE(ini.find("MainPanelY=20"), std::string::npos) << ini;
  EXPECT_NE(ini.find("MainPanelWidthDlgUnits=400"), std::string::npos) << ini;
  EXPECT_NE(ini.find("MainPanelHeightDlgUnits=260"), std::string::npos) << ini;
}

TEST_F(PanelTest, ResizingMovesAndStretchesTheControlsByTheLayoutTable) {
  Plugins({{4, {"Alpha"}}});
  ASSERT_NE(Open(), nullptr);
  auto place = [&](int id) {
    RECT rect;
    GetChildRectInParent(panel_, GetDlgItem(panel_, id), &rect);
    return rect;
  };
  const RECT grip = place(kSizeGripId), list = place(kProfileListId), status = place(kStatusFileId);
  const RECT panel = place(kPluginPanelId);
  RECT window;
  GetWindowRect(panel_, &window);
  SetWindowPos(panel_, nullptr, 0, 0, window.right - window.left + 100, window.bottom - window.top + 50,
               SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  EXPECT_EQ(place(kSizeGripId).left, grip.left + 100);
  EXPECT_EQ(place(kSizeGripId).top, grip.top + 50);
  EXPECT_EQ(place(kProfileListId).right, list.right + 100);
  EXPECT_EQ(place(kProfileListId).bottom, list.bottom + 50);
  EXPECT_EQ(place(kStatusFileId).top, status.top + 50);
  EXPECT_EQ(place(kStatusFileId).right, status.right);
  EXPECT_EQ(place(kPluginPanelId).right, panel.right + 100);
  EXPECT_EQ(place(kPluginPanelId).bottom - place(kPluginPanelId).top, panel.bottom - panel.top);

  // Never smaller than at the start.
  MINMAXINFO limits{};
  SendMessageA(panel_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, window.right - window.left);
}

TEST_F(PanelTest, ASavedWidthWiderThanTheScreenFallsBackToTheTemplates) {
  dir_.write("QUORVANE.INI",
             "[Defaults]\nAutoDetectLogFiles=1\nMainPanelX=5\nMainPanelY=5\n"
             "MainPanelWidthDlgUnits=100000\nMainPanelHeightDlgUnits=260\n");
  Plugins({{4, {"Alpha"}}});
  ASSERT_NE(Open(), nullptr);
  RECT rect;
  GetWindowRect(panel_, &rect);
  EXPECT_EQ(rect.right - rect.left, g_panel.minRect.right - g_panel.minRect.left);
  EXPECT_LE(rect.right, GetSystemMetrics(SM_CXSCREEN));
}

TEST_F(PanelTest, AnotherThreadGetsItsOwnCopyOfTheRows) {
  Plugins({{4, {"Beta", "Alpha"}}});
  ASSERT_NE(Open(), nullptr);
  ProfileSnapshot snapshot{};
  std::atomic<bool> done{false};
  std::thread server([&] {
    RequestProfileSnapshot(panel_, &snapshot);
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
  server.join();
  ASSERT_EQ(snapshot.count, 2);
  ASSERT_NE(snapshot.rows, nullptr);
  EXPECT_STREQ(snapshot.rows[0]->description, "Alpha");
  EXPECT_STREQ(snapshot.rows[1]->description, "Beta");
  EXPECT_NE(snapshot.rows[0], ProfileTable.rows[0]);
  // The copy outlives the table.
  Command(5780);
  EXPECT_EQ(ProfileTable.count, 0);
  EXPECT_STREQ(snapshot.rows[1]->description, "Beta");
  std::free(snapshot.rows);
}

}  // namespace
