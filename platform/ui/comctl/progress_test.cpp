// Progress bar: ranges, positions, steps that start over past the end, and
// what it paints.
#include <gtest/gtest.h>

#include "comctl_test_support.h"

namespace {

using cctest::Parent;

TEST(Progress, RangesAndPositionsStayInside) {
  Parent parent;
  HWND pb = parent.Add(PROGRESS_CLASSA, 0, 19230, RECT{0, 0, 200, 20});
  PBRANGE range{};
  EXPECT_EQ(SendMessageA(pb, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), 0);
  EXPECT_EQ(range.iHigh, 100);
  EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 0);

  EXPECT_EQ(SendMessageA(pb, PBM_SETPOS, 40, 0), 0);  // the previous position
  EXPECT_EQ(SendMessageA(pb, PBM_SETPOS, 250, 0), 40);
  EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 100);
  EXPECT_EQ(SendMessageA(pb, PBM_DELTAPOS, static_cast<WPARAM>(-30), 0), 100);
  EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 70);
  EXPECT_EQ(SendMessageA(pb, PBM_DELTAPOS, static_cast<WPARAM>(-300), 0), 70);
  EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 0);

  // The old range comes back packed; a new range pulls the position inside.
  SendMessageA(pb, PBM_SETPOS, 90, 0);
  EXPECT_EQ(SendMessageA(pb, PBM_SETRANGE, 0, MAKELPARAM(10, 50)), MAKELONG(0, 100));
  EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 50);
  EXPECT_EQ(SendMessageA(pb, PBM_SETRANGE32, 0, 70000), MAKELONG(10, 50));
  EXPECT_EQ(SendMessageA(pb, PBM_GETRANGE, FALSE, 0), 70000);
  EXPECT_EQ(SendMessageA(pb, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageA(pb, PBM_SETPOS, 65000, 0), 50);
  EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 65000);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageA(pb, PBM_SETBARCOLOR, 0, RGB(0, 128, 0))), CLR_DEFAULT);
  EXPECT_TRUE(parent.notes.empty());
}

TEST(Progress, StepItStartsOverPastTheEnd) {
  Parent parent;
  HWND pb = parent.Add(PROGRESS_CLASSA, 0, 19230, RECT{0, 0, 200, 20});
  SendMessageA(pb, PBM_SETRANGE, 0, MAKELPARAM(0, 10));
  EXPECT_EQ(SendMessageA(pb, PBM_SETSTEP, 4, 0), 10);  // the default step was 10
  std::vector<LRESULT> seen;
  for (int i = 0; i < 4; ++i) seen.push_back(SendMessageA(pb, PBM_STEPIT, 0, 0));
  EXPECT_EQ(seen, (std::vector<LRESULT>{0, 4, 8, 2}));  // 12 is past 10: 2 over the start
  EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 6);
  SendMessageA(pb, PBM_SETSTEP, static_cast<WPARAM>(-4), 0);
  SendMessageA(pb, PBM_SETPOS, 1, 0);
  SendMessageA(pb, PBM_STEPIT, 0, 0);
  EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 7);  // backwards past the start: from the end
  // A step larger than the range still lands inside.
  SendMessageA(pb, PBM_SETSTEP, 25, 0);
  SendMessageA(pb, PBM_STEPIT, 0, 0);
  const LRESULT pos = SendMessageA(pb, PBM_GETPOS, 0, 0);
  EXPECT_GE(pos, 0);
  EXPECT_LE(pos, 10);
}

TEST(Progress, PaintsTheFilledPart) {
  Parent parent;
  HWND pb = parent.Add(PROGRESS_CLASSA, PBS_SMOOTH, 19230, RECT{0, 0, 102, 12});
  SendMessageA(pb, PBM_SETBARCOLOR, 0, RGB(0, 128, 0));
  SendMessageA(pb, PBM_SETPOS, 50, 0);
  qvp::ClearWindowPaintLog(pb);
  InvalidateRect(pb, nullptr, TRUE);
  UpdateWindow(pb);
  int green = 0;
  for (const qvp::PaintRecord& r : qvp::GetWindowPaintLog(pb).records)
    if (r.kind == qvp::PaintKind::kFill && r.color == RGB(0, 128, 0)) green = r.rect.right - r.rect.left;
  EXPECT_EQ(green, 50);  // half of the 100 pixels inside the frame
}

TEST(Progress, PrintsItselfIntoTheCallersDc) {
  Parent parent;
  HWND pb = parent.Add(PROGRESS_CLASSA, PBS_SMOOTH, 19230, RECT{0, 0, 102, 12});
  SendMessageA(pb, PBM_SETBARCOLOR, 0, RGB(0, 128, 0));
  SendMessageA(pb, PBM_SETPOS, 50, 0);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 102;
  bi.bmiHeader.biHeight = -12;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_TRUE(bmp);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  EXPECT_EQ(SendMessageA(pb, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT), 0);
  EXPECT_EQ(GetPixel(dc, 10, 6), RGB(0, 128, 0));  // the filled half
  EXPECT_NE(GetPixel(dc, 90, 6), RGB(0, 128, 0));  // the empty half
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
}

}  // namespace
