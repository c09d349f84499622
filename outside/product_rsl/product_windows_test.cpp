// The product library's windows: the splash, the big-button toolbar and the
// about box, driven as a user would.
#include <qvplatform/ui_driver.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "product_test_support.h"

namespace {

std::vector<WPARAM> g_commands;  // 3032 messages the test panel received

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == QV_TOOLBAR_COMMAND) {
    g_commands.push_back(wParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class ProductWindows : public ProductLibrary {
 protected:
  void SetUp() override {
    ProductLibrary::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(f_.Register(1033, 1033), 1);
    WNDCLASSA wc{};
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ProductTestPanel";
    RegisterClassA(&wc);
    panel_ = CreateWindowExA(0, "ProductTestPanel", "Panel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 700, 400,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(panel_, nullptr);
    g_commands.clear();
  }
  void TearDown() override {
    if (panel_ != nullptr) DestroyWindow(panel_);
    UnregisterClassA("ProductTestPanel", GetModuleHandleA(nullptr));
    ProductLibrary::TearDown();
  }

  HWND panel_ = nullptr;
};

TEST_F(ProductWindows, SplashIsACentredPopupWithATextLineUntilDestroyed) {
  HWND owner = CreateWindowExA(0, "ProductTestPanel", "hidden", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(f_.GetSplashTextWnd(), nullptr);
  HWND splash = f_.CreateSplash(owner);
  ASSERT_NE(splash, nullptr);
  EXPECT_TRUE(IsWindowVisible(splash));
  EXPECT_EQ(GetWindowLongPtrA(splash, GWL_STYLE) & WS_CHILD, 0);
  RECT r;
  GetWindowRect(splash, &r);
  EXPECT_LE(std::abs((r.left + r.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
  EXPECT_LE(std::abs((r.top + r.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);

  HWND text = f_.GetSplashTextWnd();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(GetParent(text), splash);
  EXPECT_TRUE(SetWindowTextA(text, "Loading plug-ins..."));
  EXPECT_EQ(qvp::driver::Text(text), "Loading plug-ins...");
  // The picture names the product and its version.
  const qvp::PaintLog picture = qvp::driver::Painted(splash);
  EXPECT_NE(picture.FindText("Quorvane"), nullptr) << picture.JoinedText();
  EXPECT_NE(picture.FindText("Quorvane 4.0"), nullptr) << picture.JoinedText();

  // Asked again while it is up, the same splash answers.
  EXPECT_EQ(f_.CreateSplash(owner), splash);

  f_.DestroySplash(splash);
  EXPECT_FALSE(IsWindow(splash));
  EXPECT_EQ(f_.GetSplashTextWnd(), nullptr);
  // Shut-down destroys it again with the stale handle; other windows are not ours to destroy.
  f_.DestroySplash(splash);
  f_.DestroySplash(owner);
  f_.DestroySplash(nullptr);
  EXPECT_TRUE(IsWindow(owner));
  DestroyWindow(owner);
}

TEST_F(ProductWindows, SplashGoneByItsOwnerLeavesNoTextWindowBehind) {
  HWND owner = CreateWindowExA(0, "ProductTestPanel", "hidden", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  HWND splash = f_.CreateSplash(owner);
  ASSERT_NE(splash, nullptr);
  DestroyWindow(owner);  // owned windows go with their owner
  EXPECT_FALSE(IsWindow(splash));
  EXPECT_EQ(f_.GetSplashTextWnd(), nullptr);
}

TEST_F(ProductWindows, ToolbarSpansThePanelTopWithTheCommandButtons) {
  HWND bar = f_.CreateBigBtnToolbar(panel_, 7000);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetParent(bar), panel_);
  EXPECT_EQ(GetDlgCtrlID(bar), 7000);
  RECT client, rect;
  GetClientRect(panel_, &client);
  GetWindowRect(bar, &rect);
  POINT top_left{rect.left, rect.top};
  ScreenToClient(panel_, &top_left);
  EXPECT_EQ(top_left.x, 0);
  EXPECT_EQ(top_left.y, 0);
  EXPECT_EQ(rect.right - rect.left, client.right);
  for (int command : {5040, 5050, 5055, 5060, 5000, 5030, 5090, 5070}) {
    HWND button = GetDlgItem(bar, command);
    ASSERT_NE(button, nullptr) << command;
    EXPECT_TRUE(IsWindowEnabled(button)) << command;
    EXPECT_EQ(SendMessageA(bar, QV_TOOLBAR_IS_ENABLED, 0, command), 1) << command;
  }
  f_.DestroyBigBtnToolbar(bar);
  EXPECT_FALSE(IsWindow(bar));
  f_.DestroyBigBtnToolbar(panel_);  // not a toolbar: left alone
  EXPECT_TRUE(IsWindow(panel_));
}

// The panel's default size is 420 dialog units across, 630 pixels of client
// area: every button lies whole inside it, with a margin on the right.
TEST_F(ProductWindows, ToolbarButtonsFitThePanelAtItsDefaultSize) {
  RECT frame{0, 0, 630, 400};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  SetWindowPos(panel_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
  HWND bar = f_.CreateBigBtnToolbar(panel_, 7000);
  ASSERT_NE(bar, nullptr);
  RECT bar_rect, help;
  GetWindowRect(bar, &bar_rect);
  ASSERT_EQ(bar_rect.right - bar_rect.left, 630);
  GetWindowRect(GetDlgItem(bar, 5070), &help);
  EXPECT_LT(help.right, bar_rect.right - 2);
  f_.DestroyBigBtnToolbar(bar);
}

TEST_F(ProductWindows, ToolbarEnablesDisablesAndReportsClicksToThePanel) {
  HWND bar = f_.CreateBigBtnToolbar(panel_, 7000);
  ASSERT_NE(bar, nullptr);

  ASSERT_TRUE(qvp::driver::Click(GetDlgItem(bar, 5000)));
  EXPECT_EQ(g_commands, std::vector<WPARAM>{5000});

  SendMessageA(bar, QV_TOOLBAR_ENABLE, 0, 5050);
  EXPECT_EQ(SendMessageA(bar, QV_TOOLBAR_IS_ENABLED, 0, 5050), 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(bar, 5050)));
  EXPECT_EQ(SendMessageA(bar, QV_TOOLBAR_IS_ENABLED, 0, 5055), 1);  // the others stay
  qvp::driver::Click(GetDlgItem(bar, 5050));
  EXPECT_EQ(g_commands, std::vector<WPARAM>{5000});  // a greyed button sends nothing

  PostMessageA(bar, QV_TOOLBAR_ENABLE, 1, 5050);  // the panel posts its changes
  qvp::driver::Pump();
  EXPECT_EQ(SendMessageA(bar, QV_TOOLBAR_IS_ENABLED, 0, 5050), 1);
  ASSERT_TRUE(qvp::driver::Click(GetDlgItem(bar, 5050)));
  EXPECT_EQ(g_commands, (std::vector<WPARAM>{5000, 5050}));

  // A command without a button keeps the state the panel gave it.
  EXPECT_EQ(SendMessageA(bar, QV_TOOLBAR_IS_ENABLED, 0, 5010), 1);
  SendMessageA(bar, QV_TOOLBAR_ENABLE, 0, 5010);
  EXPECT_EQ(SendMessageA(bar, QV_TOOLBAR_IS_ENABLED, 0, 5010), 0);
  f_.DestroyBigBtnToolbar(bar);
}

TEST_F(ProductWindows, ToolbarNeedsAPanel) {
  EXPECT_EQ(f_.CreateBigBtnToolbar(nullptr, 7000), nullptr);
  HWND gone = CreateWindowExA(0, "ProductTestPanel", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  DestroyWindow(gone);
  EXPECT_EQ(f_.CreateBigBtnToolbar(gone, 7000), nullptr);
}

TEST_F(ProductWindows, AboutBoxShowsTitleAndVersionAndClosesOnOk) {
  qvp::UiDriver driver;
  std::string title;
  driver.OnDialog(200).Read(201, &title).Click(IDOK);
  f_.ShowAboutBox(panel_);
  EXPECT_EQ(title, "Quorvane 4.0");
  EXPECT_TRUE(driver.Problems().empty()) << driver.Problems().front();
}

TEST_F(ProductWindows, UnregisterLeavesNothingAndMayBeRepeated) {
  WNDCLASSA wc{};
  EXPECT_TRUE(GetClassInfoA(module_, "QvBigButtons", &wc));
  f_.Unregister();
  EXPECT_FALSE(GetClassInfoA(module_, "QvBigButtons", &wc));
  EXPECT_FALSE(GetClassInfoA(module_, "QvProductSplash", &wc));
  f_.Unregister();
  // The splash can still be made: the classes come back when needed.
  HWND splash = f_.CreateSplash(nullptr);
  ASSERT_NE(splash, nullptr);
  f_.DestroySplash(splash);
}

}  // namespace
