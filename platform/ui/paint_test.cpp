#include <gtest/gtest.h>

#include "qvplatform.h"
#include "qvplatform/gdi_paint_log.h"

namespace {

LRESULT CALLBACK Painter(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    TextOutA(dc, 4, 6, "Status: running", 15);
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProcA(h, m, w, l);
}

TEST(PaintLog, WhatAWindowPaintsIsLoggedInClientCoordinates) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Painter;
  wc.lpszClassName = "PainterClass";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  ASSERT_TRUE(RegisterClassA(&wc));
  HWND h = CreateWindowExA(0, "PainterClass", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200, nullptr,
                           nullptr, nullptr, nullptr);
  ASSERT_TRUE(h);
  UpdateWindow(h);
  qvp::PaintLog log = qvp::GetWindowPaintLog(h);
  const qvp::PaintRecord* text = log.FindText("Status: running");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->rect.left, 4);
  EXPECT_EQ(text->rect.top, 6);
  // The class brush erased the background first.
  ASSERT_FALSE(log.records.empty());
  EXPECT_EQ(log.records.front().kind, qvp::PaintKind::kFill);
  EXPECT_EQ(log.records.front().color, GetSysColor(COLOR_WINDOW));
  RECT client;
  GetClientRect(h, &client);
  EXPECT_EQ(log.records.front().rect.right, client.right);

  DestroyWindow(h);
  EXPECT_TRUE(qvp::GetWindowPaintLog(h).records.empty());
  UnregisterClassA("PainterClass", nullptr);
}

// Children made while their parent was hidden are painted when it is shown,
// even where the parent clips its children and so leaves them alone when it
// is only resized.
TEST(PaintLog, ShowingAWindowExposesItsChildrenToo) {
  HWND parent = CreateWindowExA(0, "#32770", "", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_TRUE(parent);
  HWND child = CreateWindowExA(0, "Static", "label", WS_CHILD | WS_VISIBLE, 10, 10, 80, 20, parent, nullptr, nullptr,
                               nullptr);
  ASSERT_TRUE(child);
  RECT u;
  EXPECT_FALSE(GetUpdateRect(child, &u, FALSE));
  ShowWindow(parent, SW_SHOWNA);
  EXPECT_TRUE(GetUpdateRect(child, &u, FALSE));
  UpdateWindow(child);
  EXPECT_NE(qvp::GetWindowPaintLog(child).FindText("label"), nullptr);

  // A resize of the clipping parent repaints the parent alone.
  ValidateRect(child, nullptr);
  SetWindowPos(parent, nullptr, 0, 0, 220, 120, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_FALSE(GetUpdateRect(child, &u, FALSE));
  DestroyWindow(parent);
}

TEST(PaintLog, RedrawWindowTakesARegionByItsBox) {
  HWND h = CreateWindowExA(0, "#32770", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ValidateRect(h, nullptr);
  HRGN rgn = CreateRectRgn(5, 6, 20, 30);
  EXPECT_TRUE(RedrawWindow(h, nullptr, rgn, RDW_INVALIDATE));
  RECT u;
  EXPECT_TRUE(GetUpdateRect(h, &u, FALSE));
  EXPECT_EQ(u.left, 5);
  EXPECT_EQ(u.bottom, 30);
  DeleteObject(rgn);
  EXPECT_FALSE(RedrawWindow(h, nullptr, rgn, RDW_INVALIDATE));
  DestroyWindow(h);
}

TEST(PaintLog, ControlColoursDefaultToTheSystemColours) {
  HWND h = CreateWindowExA(0, "#32770", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(h);
  HDC dc = GetDC(h);
  auto brush = reinterpret_cast<HBRUSH>(DefWindowProcA(h, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0));
  EXPECT_EQ(brush, GetSysColorBrush(COLOR_3DFACE));
  brush = reinterpret_cast<HBRUSH>(DefWindowProcA(h, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), 0));
  EXPECT_EQ(brush, GetSysColorBrush(COLOR_WINDOW));
  EXPECT_EQ(ReleaseDC(h, dc), 1);
  DestroyWindow(h);
}

}  // namespace
