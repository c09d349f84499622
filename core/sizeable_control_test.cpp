#include "sizeable_control.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_windows.h"

namespace {

constexpr UINT kAsk = WM_APP + 5;
constexpr LRESULT kAnswer = 1234;

// What the controls' own procedure saw.
std::vector<UINT> g_ownSeen;
LONG_PTR g_procedureAtNcDestroy = 0;

LRESULT CALLBACK OwnControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kAsk || message == WM_DESTROY) g_ownSeen.push_back(message);
  if (message == kAsk) return kAnswer;
  if (message == WM_NCDESTROY) g_procedureAtNcDestroy = GetWindowLongPtrA(window, GWLP_WNDPROC);
  return DefWindowProcA(window, message, wParam, lParam);
}

constexpr char kControlClass[] = "QvSizeableTestControl";

class SizeableControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA control{};
    control.lpfnWndProc = OwnControlProc;
    control.lpszClassName = kControlClass;
    RegisterClassA(&control);
    parent_ = CreatePlainWindow(0, 0, 400, 300);
    g_ownSeen.clear();
    g_procedureAtNcDestroy = 0;
  }
  void TearDown() override {
    DestroyWindow(parent_);
    qvp::ResetVersionForTests();
  }

  HWND NewControl(int id, DWORD visible = WS_VISIBLE) {
    return CreateWindowExA(0, kControlClass, "", WS_CHILD | visible, 10, 10, 60, 40, parent_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }
  static bool Subclassed(HWND control) {
    return GetWindowLongPtrA(control, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SizeableControlWndProc);
  }
  static std::vector<qvp::PaintRecord> Drawn(HWND control) {
    return qvp::GetWindowPaintLog(control).records;
  }

  HWND parent_ = nullptr;
};

TEST_F(SizeableControlTest, TheHundredAndFirstControlIsNotSubclassed) {
  std::vector<HWND> controls;
  for (int i = 0; i <= kSizeableSlotCount; ++i) controls.push_back(NewControl(100 + i));
  for (int i = 0; i < kSizeableSlotCount; ++i) {
    ASSERT_EQ(MakeControlSizeable(controls[static_cast<size_t>(i)], kSizeableFrame), i);
  }
  HWND last = controls.back();
  EXPECT_EQ(MakeControlSizeable(last, kSizeableFrame), kSizeableSlotCount);
  EXPECT_FALSE(Subclassed(last));
  EXPECT_EQ(SendMessageA(last, kAsk, 0, 0), kAnswer);

  // A destroyed control's slot is free again.
  DestroyWindow(controls[5]);
  EXPECT_EQ(MakeControlSizeable(last, kSizeableFrame), 5);
  EXPECT_TRUE(Subclassed(last));
}

TEST_F(SizeableControlTest, TheOwnProcedureAnswersFirstAndIsBackForTheEnd) {
  HWND control = NewControl(1);
  ASSERT_EQ(MakeControlSizeable(control, kSizeableFrame), 0);
  EXPECT_EQ(SendMessageA(control, kAsk, 0, 0), kAnswer);
  // Made sizeable twice, the control keeps its one slot (no procedure calling itself).
  EXPECT_EQ(MakeControlSizeable(control, kSizeableGrowBox), 0);
  EXPECT_EQ(SendMessageA(control, kAsk, 0, 0), kAnswer);
  DestroyWindow(control);
  EXPECT_EQ(g_ownSeen, (std::vector<UINT>{kAsk, kAsk, WM_DESTROY}));
  EXPECT_EQ(g_procedureAtNcDestroy, reinterpret_cast<LONG_PTR>(&OwnControlProc));
  EXPECT_EQ(MakeControlSizeable(nullptr, kSizeableFrame), kSizeableSlotCount);
}

TEST_F(SizeableControlTest, DecorationsAreDrawnOnlyOnVisibleControls) {
  HWND framed = NewControl(1);
  MakeControlSizeable(framed, kSizeableFrame);
  qvp::ClearWindowPaintLog(framed);
  SendMessageA(framed, kAsk, 0, 0);  // any message redraws the frame
  std::vector<DWORD> colours;
  for (const auto& record : Drawn(framed)) {
    if (record.kind == qvp::PaintKind::kPolygon) colours.push_back(record.fill);
  }
  EXPECT_EQ(colours, (std::vector<DWORD>{GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW)}));
  ShowWindow(framed, SW_HIDE);
  qvp::ClearWindowPaintLog(framed);
  SendMessageA(framed, kAsk, 0, 0);
  EXPECT_TRUE(Drawn(framed).empty());

  HWND grip = NewControl(2);
  MakeControlSizeable(grip, kSizeableGrowBox);
  qvp::ClearWindowPaintLog(grip);
  SendMessageA(grip, kAsk, 0, 0);
  EXPECT_TRUE(Drawn(grip).empty());
  SendMessageA(grip, WM_PAINT, 0, 0);
  const auto drawn = Drawn(grip);
  ASSERT_FALSE(drawn.empty());
  RECT client;
  GetClientRect(grip, &client);
  EXPECT_EQ(drawn.front().rect.right, client.right);
  EXPECT_EQ(drawn.front().rect.left, client.right - GetSystemMetrics(SM_CXVSCROLL));
}

TEST_F(SizeableControlTest, OnlyOldWindowsGetTheFrame) {
  HWND control = NewControl(7);
  EXPECT_EQ(PrepSizeableControl(parent_, 7), 4);
  EXPECT_FALSE(Subclassed(control));
  qvp::SetVersionForTests(3, 51, 2);
  EXPECT_EQ(PrepSizeableControl(parent_, 7), 0);
  EXPECT_TRUE(Subclassed(control));
  EXPECT_EQ(PrepSizeableControl(parent_, 8), kSizeableSlotCount);  // no such control
}

}  // namespace
