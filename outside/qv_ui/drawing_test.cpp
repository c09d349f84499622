#include <gtest/gtest.h>

#include "qv_ui.h"

namespace {

constexpr COLORREF kBackground = RGB(10, 20, 30);
constexpr COLORREF kLight = RGB(255, 255, 255);
constexpr COLORREF kDark = RGB(128, 128, 128);

// A 20 x 12 bitmap in a memory DC, filled with the background colour.
class Canvas {
 public:
  Canvas() {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, 20, 12);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    const RECT all{0, 0, 20, 12};
    HBRUSH brush = CreateSolidBrush(kBackground);
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

TEST(DrawTesselPolygons, BandsOfTheGivenThicknessInTheirColours) {
  Canvas canvas;
  const RECT frame{2, 1, 18, 11};
  QVUI_DrawTesselPolygons(canvas.dc(), &frame, 0, kLight, kDark);
  QVUI_DrawTesselPolygons(canvas.dc(), nullptr, 1, kLight, kDark);
  EXPECT_EQ(canvas.at(8, 1), kBackground);
  QVUI_DrawTesselPolygons(canvas.dc(), &frame, 2, kLight, kDark);
  EXPECT_EQ(canvas.at(8, 2), kLight);    // top band, second row
  EXPECT_EQ(canvas.at(2, 6), kLight);    // left band
  EXPECT_EQ(canvas.at(8, 9), kDark);     // bottom band, second row
  EXPECT_EQ(canvas.at(17, 6), kDark);    // right band
  EXPECT_EQ(canvas.at(8, 5), kBackground);  // inside the frame
  EXPECT_EQ(canvas.at(1, 6), kBackground);  // outside it
  EXPECT_EQ(canvas.at(18, 6), kBackground);
  EXPECT_EQ(canvas.at(8, 11), kBackground);
  // A thickness past the middle fills the rectangle and no more.
  QVUI_DrawTesselPolygons(canvas.dc(), &frame, 50, kLight, kDark);
  EXPECT_NE(canvas.at(8, 5), kBackground);
  EXPECT_EQ(canvas.at(18, 5), kBackground);
}

}  // namespace
