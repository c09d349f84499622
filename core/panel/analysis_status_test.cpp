#include "analysis_status.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_tables.h"
#include "plugin_host.h"
#include "progress_bar.h"
#include "qvplatform/ui_driver.h"
#include "test_strings.h"

namespace {

int g_cancelCalls = 0;
int CancelHook(HWND, PluginResumeProc) {
  ++g_cancelCalls;
  return 1;
}
FARPROC CancellingPlugin(int id) {
  return id == PF_CANCEL_ANALYSIS ? reinterpret_cast<FARPROC>(&CancelHook) : nullptr;
}

class AnalysisStatusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterProgressBarClass(GetModuleHandleA(nullptr));
    panel_ = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                             nullptr);
    for (int id : {kStatusFileId, kStatusLinesId, kStatusTimeId, kProgressFrameId}) {
      CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, id - 19200, 300, 20, panel_,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    list_ = CreateWindowExA(0, "SysListView32", "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 100, 300, 100, panel_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kProfileListId)), nullptr, nullptr);
    g_status = AnalysisStatus{};
    g_status.panel = panel_;
    g_cancelCalls = 0;
    plugins_[0].kind = 1;
    plugins_[0].IsFunctionSupported = CancellingPlugin;
    plugins_[0].next = &plugins_[1];
    plugins_[1].kind = 4;
    plugins_[1].IsFunctionSupported = CancellingPlugin;
    g_pluginList = &plugins_[0];
  }
  void TearDown() override {
    g_pluginList = nullptr;
    FreeProfileTable();
    DestroyWindow(panel_);
    g_status = AnalysisStatus{};
    UnregisterProgressBarClass(GetModuleHandleA(nullptr));
  }
  std::string Line(int id) { return qvp::driver::Text(GetDlgItem(panel_, id)); }
  int ItemImage(int item) {
    LVITEMA read{};
    read.mask = LVIF_IMAGE;
    read.iItem = item;
    SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read));
    return read.iImage;
  }

  TestStrings strings_{{{5613, "Reading %s"}, {5671, "%d lines"}, {5672, "%s minutes"}, {32008, "Starts in %d"}}};
  HWND panel_ = nullptr;
  HWND list_ = nullptr;
  PluginEntry plugins_[2]{};
};

TEST_F(AnalysisStatusTest, TheCountdownIsSilentForFiveTicksThenCountsDownAndEnds) {
  StartCountdown(panel_);
  std::vector<std::string> shown;
  int ticks = 0;
  while (TickCountdown(panel_) == 0 && ticks < 20) {
    ++ticks;
    shown.push_back(Line(kStatusFileId));
  }
  EXPECT_EQ(ticks, 10);
  EXPECT_EQ(shown, (std::vector<std::string>{"", "", "", "", "", "Starts in 10", "Starts in 8", "Starts in 6",
                                             "Starts in 4", "Starts in 2"}));
  // Over, the countdown stays quiet until it is started again.
  g_status.countdownActive = false;
  EXPECT_EQ(TickCountdown(panel_), 0);
}

TEST_F(AnalysisStatusTest, ASecondCancelDuringARunAsksNoPluginAgainAndTheNextCallbackCancelsOnce) {
  g_status.runState = 1;
  EXPECT_EQ(CancelAnalysis(panel_, nullptr), 0);
  EXPECT_EQ(g_cancelCalls, 2);
  EXPECT_EQ(CancelAnalysis(panel_, nullptr), 1);
  EXPECT_EQ(g_cancelCalls, 2);
  EXPECT_TRUE(g_status.runStopped);
  EXPECT_EQ(RealtimeAnalysisCallback(-1, "a.log", 10, 5, 0), 1);
  EXPECT_EQ(RealtimeAnalysisCallback(-1, "a.log", 10, 5, 0), 0);
  g_status.runState = 0;
  g_status.cancelRequested = true;
  EXPECT_EQ(CancelAnalysis(panel_, nullptr), 0);
  EXPECT_EQ(RealtimeReportCallback(0, "Building", 3), 1);
}

TEST_F(AnalysisStatusTest, FileLinesAndTimeAreShownOnlyWhenTheyMoveOnEnough) {
  EXPECT_EQ(RealtimeAnalysisCallback(-1, "access.log", 250, 10, 0), 0);
  EXPECT_EQ(Line(kStatusFileId), "Reading access.log");
  EXPECT_EQ(Line(kStatusLinesId), "");
  EXPECT_EQ(RealtimeAnalysisCallback(-1, "access.log", 301, 10, 2000000), 0);
  EXPECT_EQ(Line(kStatusLinesId), "301 lines");
  // A time text whose format is no integer format is shown as it stands.
  EXPECT_EQ(Line(kStatusTimeId), "%s minutes");
  EXPECT_NE(g_status.bar, nullptr);
}

TEST_F(AnalysisStatusTest, AFinishedFileLeavesAnEmptyBarAndTheRowsStillImage) {
  PROFILE row{};
  row.type = 4;
  row.state = 1;
  AppendProfile(&row);
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
  item.pszText = const_cast<char*>("row");
  item.lParam = 0;
  SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));

  GetProfileIconIndex(&row, 0);  // the animation starts again
  RealtimeAnalysisCallback(0, "a.log", 0, 100, 0);
  EXPECT_EQ(ItemImage(0), 14);  // first animation frame
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_TRUE(qvp::driver::Painted(g_status.bar).Texts().empty());
  RealtimeAnalysisCallback(0, "a.log", 50, 30, 0);
  EXPECT_EQ(ItemImage(0), 15);
  RealtimeAnalysisCallback(0, "a.log", 60, -1, 0);
  EXPECT_EQ(ItemImage(0), 14);
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_EQ(qvp::driver::Painted(g_status.bar).JoinedText(), "30%");
}

TEST(ProfileIconTest, ImagesByKindStateAndAnimation) {
  PROFILE row{};
  row.type = 1;
  row.state = 0;
  EXPECT_EQ(GetProfileIconIndex(&row, 0), 0);
  row.state = 1;
  EXPECT_EQ(GetProfileIconIndex(&row, 0), 1);
  row.type = 3;
  EXPECT_EQ(GetProfileIconIndex(&row, 0), 7);
  row.type = 2;
  EXPECT_EQ(GetProfileIconIndex(&row, 0), 0);
  EXPECT_EQ(GetProfileIconIndex(&row, 1), 0);
  row.type = 9;
  EXPECT_EQ(GetProfileIconIndex(&row, 0), 0);
  row.type = 4;
  std::vector<int> frames;
  for (int i = 0; i < 6; ++i) frames.push_back(GetProfileIconIndex(&row, 1));
  EXPECT_EQ(frames, (std::vector<int>{14, 15, 16, 17, 18, 14}));
  row.state = 2;
  EXPECT_EQ(GetProfileIconIndex(&row, 1), 0);
  EXPECT_EQ(GetProfileIconIndex(&row, 0), 13);
}

}  // namespace
