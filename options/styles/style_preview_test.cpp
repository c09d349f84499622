// The style preview as a wizard page paints it: its paint log and pixels.
#include <gtest/gtest.h>

#include <string>

#include "style_preview.h"

namespace {

class Preview : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStyleModel(model_, nullptr);
    page_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    preview_ = Child(kPreviewId, 10, 10, 300, 240, SS_OWNERDRAW);
    Child(kTitlePlaceholder, 10, 14, 300, 20, 0);
    Child(kSectionPlaceholder, 20, 40, 260, 22, 0);
    Child(kDescriptionPlaceholder, 20, 66, 260, 14, 0);
    Child(kTablePlaceholder, 30, 110, 240, 120, 0);
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    target_ = CreateCompatibleBitmap(screen, 300, 240);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, target_);
  }
  void TearDown() override {
    SelectObject(dc_, old_);
    DeleteObject(target_);
    DeleteDC(dc_);
    DestroyWindow(page_);
  }
  HWND Child(int id, int x, int y, int w, int h, DWORD style) {
    return CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, page_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }
  qvp::PaintLog Paint() {
    qvp::ClearDCPaintLog(dc_);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_STATIC;
    item.CtlID = kPreviewId;
    item.hwndItem = preview_;
    item.hDC = dc_;
    item.rcItem = RECT{0, 0, 300, 240};
    DrawStylePreview(model_, page_, &item);
    return qvp::GetDCPaintLog(dc_);
  }
  size_t Where(const qvp::PaintLog& log, const std::string& text) {
    for (size_t i = 0; i < log.records.size(); ++i)
      if (log.records[i].kind == qvp::PaintKind::kText && log.records[i].text == text) return i;
    return std::string::npos;
  }

  StyleModel model_;
  HWND page_ = nullptr;
  HWND preview_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP target_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

TEST_F(Preview, TheTitleTableAndColoursFollowTheModel) {
  model_.faces[0] = "Times New Roman";
  model_.colors[1] = RGB(0, 0, 255);
  const qvp::PaintLog log = Paint();
  const qvp::PaintRecord* title = log.FindText("Quorvane Report");
  ASSERT_NE(title, nullptr) << log.JoinedText();
  EXPECT_EQ(title->face, "Times New Roman");
  EXPECT_EQ(title->weight, FW_BOLD);
  EXPECT_EQ(title->font_height, -MulDiv(16, GetDeviceCaps(dc_, LOGPIXELSY), 72));
  EXPECT_EQ(title->color, RGB(0, 0, 255));
  // Centred on the placeholder's width, at its top (relative to the preview).
  EXPECT_NEAR((title->rect.left + title->rect.right) / 2, 150, 2);
  EXPECT_EQ(title->rect.top, 4);
  for (const char* text : {"Section Title", "Some Description Text Here...", "Table Title", "Sub Title", "Odd Row",
                           "EvenRow", "Hits", "Hits%", "User"})
    EXPECT_NE(log.FindText(text), nullptr) << text;
  EXPECT_EQ(log.FindText("User%"), nullptr);  // column 3 is not shown by default
  // Sort column 0: A first.
  EXPECT_LT(Where(log, "128"), Where(log, "5987"));
}

TEST_F(Preview, SortColumnThreePutsDFirstAndBorderZeroDrawsNoFrames) {
  model_.sortColumn = 3;
  model_.borderWidth = 0;
  qvp::PaintLog log = Paint();
  EXPECT_LT(Where(log, "5987"), Where(log, "128"));
  // The header row's left edge (table placeholder at 20,100 in the preview):
  // its background without a border, the etched frame's light line with one.
  EXPECT_NE(GetPixel(dc_, 20, 125), RGB(255, 255, 255));
  model_.borderWidth = 1;
  log = Paint();
  EXPECT_EQ(GetPixel(dc_, 20, 125), RGB(255, 255, 255));
  // Only one column: it takes the rightmost fifth of the row.
  model_.columnShown = {0, 0, 0, 1};
  log = Paint();
  const qvp::PaintRecord* cell = log.FindText("User%");
  ASSERT_NE(cell, nullptr);
  EXPECT_GT(cell->rect.left, 30 - 10 + 240 * 4 / 5 - 10);
}

TEST_F(Preview, ColoursShowAsASixteenBitSurfaceHoldsThem) {
  model_.colors[0] = RGB(0xFF, 0, 0);
  Paint();
  EXPECT_EQ(GetPixel(dc_, 2, 2), RGB(0xFF, 0, 0));
  model_.colors[0] = RGB(0x80, 0xFF, 0xFF);
  model_.colorBitmapStale = 1;
  Paint();
  EXPECT_EQ(GetPixel(dc_, 2, 2), RGB(0x84, 0xFF, 0xFF));
  // A picture mode without a picture paints the colour.
  model_.backgroundImageMode = 1;
  Paint();
  EXPECT_EQ(GetPixel(dc_, 2, 235), RGB(0x84, 0xFF, 0xFF));
}

TEST_F(Preview, ATiledPictureRepeatsExactlyAndStaysInsideItsRectangle) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 3;
  info.bmiHeader.biHeight = 2;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP tile = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(tile, nullptr);
  HDC tileDc = CreateCompatibleDC(dc_);
  HGDIOBJ oldTile = SelectObject(tileDc, tile);
  const COLORREF colours[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                  {RGB(255, 255, 0), RGB(0, 255, 255), RGB(255, 0, 255)}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) SetPixel(tileDc, x, y, colours[y][x]);
  SelectObject(tileDc, oldTile);
  DeleteDC(tileDc);
  const RECT white{0, 0, 60, 40};
  FillRect(dc_, &white, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const RECT area{5, 4, 5 + 29, 4 + 13};  // neither side a multiple of the picture's
  ASSERT_EQ(DrawBitmapInRect(dc_, &info.bmiHeader, tile, nullptr, &area, TRUE, TRUE), 1);
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      ASSERT_EQ(GetPixel(dc_, x, y), colours[(y - area.top) % 2][(x - area.left) % 3]) << x << "," << y;
  for (int x = 0; x < 60; ++x) {
    EXPECT_EQ(GetPixel(dc_, x, area.bottom), RGB(255, 255, 255)) << x;
    EXPECT_EQ(GetPixel(dc_, x, area.top - 1), RGB(255, 255, 255)) << x;
  }
  for (int y = 0; y < 40; ++y) EXPECT_EQ(GetPixel(dc_, area.right, y), RGB(255, 255, 255)) << y;
  DeleteObject(tile);
}

}  // namespace
