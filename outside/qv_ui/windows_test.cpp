// CWindow's dispatch, the toolbar's column layout and transparent drawing.
#include <gtest/gtest.h>

#include "qv_ui_windows.h"

namespace {

class Probe : public CWindow {
 public:
  int commands = 0;
  int closes = 0;
  bool destroyed = false;
  LRESULT OnCommand(WPARAM wParam, LPARAM) override {
    commands += LOWORD(wParam);
    return 1;
  }
  LRESULT OnClose() override {
    ++closes;
    return 1;  // handled: the window stays
  }
  LRESULT OnDestroy() override {
    destroyed = true;
    return 0;
  }
};

class Clickable : public CBitmapButton {
 public:
  int clicks = 0;
  LRESULT OnCommand(WPARAM, LPARAM) override {
    ++clicks;
    return 1;
  }
};

TEST(CWindowTest, MessagesReachTheHandlersAndTheObjectLetsGoOfItsWindow) {
  Probe probe;
  HWND window = probe.Create(0, nullptr, "probe", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(CWindow::FromWindow(window), &probe);
  SendMessageA(window, WM_COMMAND, 7, 0);
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(probe.commands, 7);
  EXPECT_EQ(probe.closes, 1);
  EXPECT_TRUE(IsWindow(window));
  DestroyWindow(window);
  EXPECT_TRUE(probe.destroyed);
  EXPECT_EQ(probe.Window(), nullptr);
  EXPECT_EQ(CWindow::FromWindow(window), nullptr);
}

TEST(CWindowTest, TheToolbarStacksItsButtonsInOneColumnAndAClickReachesTheButton) {
  Probe frame;
  HWND parent = frame.Create(0, nullptr, "frame", WS_POPUP | WS_VISIBLE, 0, 0, 300, 400, nullptr, nullptr);
  CToolbar bar;
  ASSERT_NE(bar.CreateToolbar(parent), nullptr);
  bar.SetSetting(1, 1);
  Clickable first, second;
  first.CreateButton(bar.Window(), 1, "General");
  second.CreateButton(bar.Window(), 2, "Plug-in");
  bar.AddButton(&first);
  bar.AddButton(&second);
  bar.MoveTo(0, 0, 75, 300);
  bar.Layout();
  RECT a{}, b{};
  GetWindowRect(first.Window(), &a);
  GetWindowRect(second.Window(), &b);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(b.top, a.bottom);
  SendMessageA(second.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(second.Window(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(second.clicks, 1);
  // A release outside the button is no click.
  SendMessageA(first.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(first.Window(), WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
  EXPECT_EQ(first.clicks, 0);
}

TEST(CWindowTest, TransparentDrawingLeavesTheKeyColourOut) {
  HDC screen = GetDC(nullptr);
  HDC target = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, 4, 1);
  HGDIOBJ oldCanvas = SelectObject(target, canvas);
  for (int x = 0; x < 4; ++x) SetPixel(target, x, 0, RGB(1, 2, 3));
  HDC source = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, 2, 1);
  HGDIOBJ oldPicture = SelectObject(source, picture);
  SetPixel(source, 0, 0, RGB(255, 0, 255));
  SetPixel(source, 1, 0, RGB(10, 20, 30));
  SelectObject(source, oldPicture);
  QVUI_DrawTransparentBitmap(target, picture, 1, 0, RGB(255, 0, 255));
  EXPECT_EQ(GetPixel(target, 1, 0), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(target, 2, 0), RGB(10, 20, 30));
  SelectObject(target, oldCanvas);
  DeleteObject(canvas);
  DeleteObject(picture);
  DeleteDC(source);
  DeleteDC(target);
  ReleaseDC(nullptr, screen);
  MSG message{};
  EXPECT_FALSE(IsPropertySheetMessage(nullptr, &message));
}

}  // namespace
