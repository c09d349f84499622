// Composing windows into one picture, and PNG files.
#include <gtest/gtest.h>

#include <fstream>

#include "display/compose.h"
#include "display/display_test_support.h"
#include "qvplatform.h"

namespace {

using qvp::display::Image;

// Windows of this class fill their client area with the colour kept in GWLP_USERDATA.
LRESULT CALLBACK SolidProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    HBRUSH b = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)));
    FillRect(dc, &r, b);
    DeleteObject(b);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

class Compose : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = SolidProc;
    wc.lpszClassName = "SolidTestClass";
    RegisterClassA(&wc);
  }
  void TearDown() override {
    for (HWND h : made_)
      if (IsWindow(h)) DestroyWindow(h);
    UnregisterClassA("SolidTestClass", nullptr);
  }
  HWND Make(HWND parent, RECT r, COLORREF colour, DWORD style = 0) {
    DWORD s = style | WS_VISIBLE | (parent ? WS_CHILD : WS_POPUP);
    HWND h = CreateWindowExA(0, "SolidTestClass", "", s, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                             nullptr, nullptr, nullptr);
    SetWindowLongPtrA(h, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
    made_.push_back(h);
    return h;
  }
  static void PaintAll(HWND top) {
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  std::vector<HWND> made_;
};

constexpr COLORREF kGrey = RGB(100, 100, 100), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255),
                   kGreen = RGB(0, 255, 0);

TEST_F(Compose, SiblingsInPaintOrderClippedToTheirParents) {
  HWND top = Make(nullptr, RECT{30, 40, 130, 120}, kGrey);
  HWND a = Make(top, RECT{10, 10, 60, 50}, kRed);    // made first: the top of the z-order, painted first
  HWND b = Make(top, RECT{40, 30, 140, 70}, kBlue);  // reaches past the parent's right edge
  Make(b, RECT{5, 5, 25, 25}, kGreen);               // inside b at (45..65, 35..55)
  PaintAll(top);
  Image img;
  ASSERT_TRUE(qvp::display::ComposeWindow(top, &img));
  ASSERT_EQ(img.width, 100);
  ASSERT_EQ(img.height, 80);
  EXPECT_EQ(img.ColorAt(5, 70), kGrey);
  EXPECT_EQ(img.ColorAt(15, 15), kRed);
  EXPECT_EQ(img.ColorAt(42, 32), kBlue);   // b, painted later, shows over a
  EXPECT_EQ(img.ColorAt(50, 40), kGreen);  // and so does its child
  EXPECT_EQ(img.ColorAt(70, 60), kBlue);
  EXPECT_EQ(img.ColorAt(99, 35), kBlue);   // b ends at the parent's edge
  EXPECT_EQ(img.ColorAt(50, 75), kGrey);

  // A sibling that clips its siblings stays under those above it, children and all.
  SetWindowLongPtrA(b, GWL_STYLE, GetWindowLongPtrA(b, GWL_STYLE) | WS_CLIPSIBLINGS);
  ASSERT_TRUE(qvp::display::ComposeWindow(top, &img));
  EXPECT_EQ(img.ColorAt(42, 32), kRed);
  EXPECT_EQ(img.ColorAt(50, 40), kRed);
  EXPECT_EQ(img.ColorAt(62, 40), kGreen);
  EXPECT_EQ(img.ColorAt(50, 52), kGreen);

  // A hidden child is not pictured, nor is anything inside it.
  ShowWindow(a, SW_HIDE);
  ShowWindow(b, SW_HIDE);
  PaintAll(top);
  ASSERT_TRUE(qvp::display::ComposeWindow(top, &img));
  EXPECT_EQ(img.ColorAt(15, 15), kGrey);
  EXPECT_EQ(img.ColorAt(62, 40), kGrey);
}

TEST_F(Compose, AChildWindowOnItsOwnAndBadWindows) {
  HWND top = Make(nullptr, RECT{0, 0, 50, 50}, kGrey);
  HWND child = Make(top, RECT{10, 10, 30, 40}, kRed);
  PaintAll(top);
  Image img;
  ASSERT_TRUE(qvp::display::ComposeWindow(child, &img));
  EXPECT_EQ(img.width, 20);
  EXPECT_EQ(img.height, 30);
  EXPECT_EQ(img.ColorAt(0, 0), kRed);
  EXPECT_EQ(img.ColorAt(19, 29), kRed);
  EXPECT_FALSE(qvp::display::ComposeWindow(nullptr, &img));
  EXPECT_FALSE(qvp::display::ComposeWindow(reinterpret_cast<HWND>(0x7777), &img));
  // A window of no size has no picture.
  HWND empty = Make(nullptr, RECT{0, 0, 0, 0}, kGrey);
  EXPECT_FALSE(qvp::display::ComposeWindow(empty, &img));
}

TEST(Png, WrittenPixelsReadBackAndBadFilesAreRefused) {
  disptest::ScratchDir dir;
  Image img;
  img.width = 3;
  img.height = 2;
  img.pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000, 0xFFFFFF, 0x123456};
  std::string error;
  ASSERT_TRUE(qvp::display::WritePng(img, dir.file("a.png").c_str(), &error)) << error;
  Image back;
  ASSERT_TRUE(qvp::display::ReadPng(dir.file("a.png").c_str(), &back));
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.height, 2);
  EXPECT_EQ(back.pixels, img.pixels);

  EXPECT_FALSE(qvp::display::WritePng(img, dir.file("missing/a.png").c_str(), &error));
  EXPECT_FALSE(error.empty());
  Image empty;
  EXPECT_FALSE(qvp::display::WritePng(empty, dir.file("e.png").c_str(), &error));
  std::ofstream(dir.file("junk.png")) << "not a picture at all";
  EXPECT_FALSE(qvp::display::ReadPng(dir.file("junk.png").c_str(), &back));
  EXPECT_FALSE(qvp::display::ReadPng(dir.file("none.png").c_str(), &back));
}

}  // namespace
