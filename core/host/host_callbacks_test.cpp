// The host callbacks as the plug-ins see them.
#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>
#include <string>
#include <vector>

#include "analysis_hook.h"
#include "app_globals.h"
#include "host_tables.h"

namespace {

PROFILE MakeRow(int kind, const char* description, void* key = nullptr) {
  PROFILE row{};
  row.type = kind;
  std::snprintf(row.description, sizeof row.description, "%s", description);
  row.key = key;
  return row;
}

std::string TextOf(HWND window) {
  char text[200] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

struct AnalysisCall {
  int index;
  std::string file;
  int lines, percent, elapsed;
};
std::vector<AnalysisCall> g_analysisCalls;
int g_analysisAnswer = 0;

int RecordAnalysis(int index, const char* file, int lines, int percent, int elapsed) {
  g_analysisCalls.push_back({index, file, lines, percent, elapsed});
  return g_analysisAnswer;
}

HWND g_splashText = nullptr;
HWND SplashTextWindow() { return g_splashText; }

class HostCallbacksTest : public ::testing::Test {
 protected:
  void TearDown() override {
    FreeProfileTable();
    FreeScheduleTable();
    g_realtimeAnalysisHook = nullptr;
    g_analysisCalls.clear();
    g_app.mainPanel = nullptr;
    g_app.prd.GetSplashTextWnd = nullptr;
    SetProgressBarWindow(nullptr);
    for (HWND window : windows_) DestroyWindow(window);
  }
  HWND Window(HWND parent = nullptr, int id = 0) {
    HWND window = CreateWindowExA(0, "STATIC", "", parent != nullptr ? WS_CHILD : WS_POPUP, 0, 0, 100, 20, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (parent == nullptr) windows_.push_back(window);
    return window;
  }
  std::vector<HWND> windows_;
};

TEST_F(HostCallbacksTest, ANameIsTakenWhenAnotherRowCarriesIt) {
  PROFILE a = MakeRow(4, "A");
  PROFILE b = MakeRow(4, "B");
  ASSERT_EQ(AppendProfile(&a), PLUGIN_DONE);
  ASSERT_EQ(AppendProfile(&b), PLUGIN_DONE);
  PROFILE candidateA = MakeRow(4, "A");
  PROFILE candidateC = MakeRow(4, "C");
  PROFILE lowerA = MakeRow(4, "a");
  EXPECT_EQ(HostCheckProfileName(&candidateA, &b), PLUGIN_FAILED);
  EXPECT_EQ(HostCheckProfileName(&candidateC, &b), PLUGIN_DONE);
  // The row itself does not count, and case matters.
  EXPECT_EQ(HostCheckProfileName(&candidateA, &a), PLUGIN_DONE);
  EXPECT_EQ(HostCheckProfileName(&lowerA, &b), PLUGIN_DONE);
  EXPECT_EQ(HostCheckProfileName(nullptr, &b), PLUGIN_FAILED);
}

TEST_F(HostCallbacksTest, AnalysisProgressGoesToTheProgressCodeWithTheRowsIndex) {
  PROFILE a = MakeRow(1, "A");
  PROFILE b = MakeRow(1, "B");
  PROFILE outside = MakeRow(1, "C");
  ASSERT_EQ(AppendProfile(&a), PLUGIN_DONE);
  ASSERT_EQ(AppendProfile(&b), PLUGIN_DONE);
  // Nobody listening: never cancelled.
  EXPECT_EQ(HostRealtimeAnalysis(&b, "access.log", 10, 5, 60), PLUGIN_DONE);

  g_realtimeAnalysisHook = RecordAnalysis;
  g_analysisAnswer = 0;
  EXPECT_EQ(HostRealtimeAnalysis(&b, "access.log", 300, 40, 1000000), PLUGIN_DONE);
  EXPECT_EQ(HostRealtimeAnalysis(&outside, "x.log", 1, 2, 3), PLUGIN_DONE);
  g_analysisAnswer = 1;
  EXPECT_EQ(HostRealtimeAnalysis(nullptr, "", 0, -1, 0), PLUGIN_STOP);
  ASSERT_EQ(g_analysisCalls.size(), 3u);
  const AnalysisCall& first = g_analysisCalls[0];
  EXPECT_EQ(std::make_tuple(first.index, first.file, first.lines, first.percent, first.elapsed),
            std::make_tuple(1, std::string("access.log"), 300, 40, 1000000));
  EXPECT_EQ(g_analysisCalls[1].index, -1);
  EXPECT_EQ(g_analysisCalls[2].index, -1);
}

TEST_F(HostCallbacksTest, StatusTextsProgressAndSplashReachTheirWindows) {
  HWND panel = Window();
  HWND status = Window(panel, 19200);
  HWND lines = Window(panel, 19210);
  HWND time = Window(panel, 19220);
  // Before the panel exists the texts go nowhere.
  EXPECT_EQ(HostSetStatusText("early"), 1);
  g_app.mainPanel = panel;
  EXPECT_EQ(HostSetStatusText("Reading access.log"), 1);
  EXPECT_EQ(HostSetLinesText("300 lines"), 1);
  EXPECT_EQ(HostSetTimeText("2 minutes"), 1);
  EXPECT_EQ(TextOf(status), "Reading access.log");
  EXPECT_EQ(TextOf(lines), "300 lines");
  EXPECT_EQ(TextOf(time), "2 minutes");
  EXPECT_EQ(HostSetStatusText(nullptr), 1);
  EXPECT_EQ(TextOf(status), "");

  EXPECT_EQ(HostSetProgress(50), 1);  // no bar yet: nothing posted
  HWND bar = Window();
  SetProgressBarWindow(bar);
  EXPECT_EQ(ProgressBarWindow(), bar);
  EXPECT_EQ(HostSetProgress(0x12345), 1);
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, bar, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, 2024u);
  EXPECT_EQ(message.wParam, 0x2345u);
  EXPECT_FALSE(PeekMessageA(&message, bar, 0, 0, PM_REMOVE));

  EXPECT_EQ(HostSetSplashText("Loading plug-ins"), 1);  // no splash
  g_splashText = Window();
  g_app.prd.GetSplashTextWnd = SplashTextWindow;
  EXPECT_EQ(HostSetSplashText("Loading plug-ins"), 1);
  EXPECT_EQ(TextOf(g_splashText), "Loading plug-ins");
  EXPECT_EQ(HostIdle(), 1);
}

TEST_F(HostCallbacksTest, PeekMessageCallbackDispatchesAndKeepsAQuit) {
  HWND window = Window();
  PostMessageA(window, WM_NULL, 0, 0);
  EXPECT_EQ(PeekMessageCallback(), 0);
  MSG message{};
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  PostQuitMessage(3);
  EXPECT_NE(PeekMessageCallback(), 0);
  // The quit is posted again for the loop that owns it.
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
}

}  // namespace
