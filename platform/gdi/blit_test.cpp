// BitBlt, StretchBlt and PatBlt: raster operations, depth conversions,
// overlap, stretching and clipping.
#include <gtest/gtest.h>

#include "gdi/gdi_test_util.h"

namespace {

using qvp::gdi::test::Canvas;

constexpr COLORREF kS = RGB(0x0F, 0x33, 0xA5);
constexpr COLORREF kD = RGB(0x55, 0xF0, 0x3C);
constexpr COLORREF kP = RGB(0x99, 0x0C, 0xE1);
constexpr COLORREF kAll = 0xFFFFFF;

TEST(BitBlt, EveryNamedRasterOperationCombinesSourcePatternAndDestination) {
  struct Case {
    const char* name;
    DWORD rop;
    COLORREF expect;
  } cases[] = {
      {"SRCCOPY", SRCCOPY, kS},
      {"SRCPAINT", SRCPAINT, kS | kD},
      {"SRCAND", SRCAND, kS & kD},
      {"SRCINVERT", SRCINVERT, kS ^ kD},
      {"SRCERASE", SRCERASE, kS & (~kD & kAll)},
      {"NOTSRCCOPY", NOTSRCCOPY, ~kS & kAll},
      {"NOTSRCERASE", NOTSRCERASE, ~(kS | kD) & kAll},
      {"MERGECOPY", MERGECOPY, kP & kS},
      {"MERGEPAINT", MERGEPAINT, (~kS & kAll) | kD},
      {"PATCOPY", PATCOPY, kP},
      {"PATPAINT", PATPAINT, kP | (~kS & kAll) | kD},
      {"PATINVERT", PATINVERT, kP ^ kD},
      {"DSTINVERT", DSTINVERT, ~kD & kAll},
      {"BLACKNESS", BLACKNESS, 0},
      {"WHITENESS", WHITENESS, kAll},
      // Any ternary code works: S ? D : P.
      {"0xB8", 0x00B8074A, (kS & kD) | (~kS & kP & kAll)},
  };
  Canvas src(4, 4, kS);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas dst(4, 4, kD);
    HBRUSH brush = CreateSolidBrush(kP);
    HGDIOBJ old = SelectObject(dst.dc(), brush);
    ASSERT_TRUE(BitBlt(dst.dc(), 1, 1, 2, 2, src.dc(), 0, 0, c.rop));
    EXPECT_EQ(dst.At(1, 1), c.expect);
    EXPECT_EQ(dst.At(2, 2), c.expect);
    EXPECT_EQ(dst.At(0, 0), kD);
    EXPECT_EQ(dst.At(3, 3), kD);
    SelectObject(dst.dc(), old);
    DeleteObject(brush);
  }
}

TEST(BitBlt, MonochromeSourcesTakeTheDestinationsColours) {
  // 8 x 1 mono bitmap: 1 bits (white) at x = 0 and x = 7.
  BYTE row[2] = {0x81, 0};
  HBITMAP mono = CreateBitmap(8, 1, 1, 1, row);
  HDC mdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mdc, mono);
  Canvas dst(8, 1);
  SetTextColor(dst.dc(), RGB(255, 0, 0));
  SetBkColor(dst.dc(), RGB(0, 255, 0));
  BitBlt(dst.dc(), 0, 0, 8, 1, mdc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.At(0, 0), RGB(0, 255, 0));  // 1 -> background colour
  EXPECT_EQ(dst.At(7, 0), RGB(0, 255, 0));
  EXPECT_EQ(dst.At(3, 0), RGB(255, 0, 0));  // 0 -> text colour

  // Colour to monochrome: the source's background colour becomes white.
  Canvas src(8, 1, RGB(10, 20, 30));
  SetPixel(src.dc(), 2, 0, RGB(0, 0, 255));
  SetBkColor(src.dc(), RGB(0, 0, 255));
  BitBlt(mdc, 0, 0, 8, 1, src.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(mdc, 2, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(mdc, 0, 0), RGB(0, 0, 0));
  SelectObject(mdc, old);
  DeleteDC(mdc);
  DeleteObject(mono);
}

TEST(BitBlt, MaskTransparencyWithAndThenPaint) {
  // The classic two-blit transparency: AND with a mask, then OR the image
  // whose transparent pixels are black.
  Canvas dst(2, 1, RGB(0, 0, 200));
  Canvas mask(2, 1, RGB(0, 0, 0));
  SetPixel(mask.dc(), 1, 0, RGB(255, 255, 255));  // transparent at x = 1
  Canvas image(2, 1, RGB(0, 0, 0));
  SetPixel(image.dc(), 0, 0, RGB(200, 0, 0));
  BitBlt(dst.dc(), 0, 0, 2, 1, mask.dc(), 0, 0, SRCAND);
  BitBlt(dst.dc(), 0, 0, 2, 1, image.dc(), 0, 0, SRCPAINT);
  EXPECT_EQ(dst.At(0, 0), RGB(200, 0, 0));
  EXPECT_EQ(dst.At(1, 0), RGB(0, 0, 200));
}

TEST(BitBlt, OverlappingCopyWithinOneBitmapReadsTheOldPixels) {
  Canvas c(5, 1);
  for (int x = 0; x < 5; ++x) SetPixel(c.dc(), x, 0, RGB(x * 10, 0, 0));
  BitBlt(c.dc(), 1, 0, 4, 1, c.dc(), 0, 0, SRCCOPY);  // scroll right
  for (int x = 1; x < 5; ++x) EXPECT_EQ(c.At(x, 0), RGB((x - 1) * 10, 0, 0)) << x;
}

TEST(BitBlt, HonoursTheDestinationClipAndLeavesUnreadableSourceAlone) {
  Canvas src(2, 2, RGB(255, 0, 0));
  Canvas dst(6, 6, RGB(0, 0, 0));
  ExcludeClipRect(dst.dc(), 0, 0, 3, 6);
  BitBlt(dst.dc(), 0, 0, 6, 6, src.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(dst.Count(RGB(255, 0, 0)), 0);  // the source only covers x < 2, which is clipped
  SelectClipRgn(dst.dc(), nullptr);
  BitBlt(dst.dc(), 0, 0, 6, 6, src.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(dst.Count(RGB(255, 0, 0)), 4);
  EXPECT_EQ(dst.At(3, 3), RGB(0, 0, 0));
}

TEST(StretchBlt, ScalesAndMirrors) {
  Canvas src(2, 1);
  SetPixel(src.dc(), 0, 0, RGB(255, 0, 0));
  SetPixel(src.dc(), 1, 0, RGB(0, 0, 255));
  Canvas dst(4, 2);
  ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 4, 2, src.dc(), 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(dst.Count(RGB(255, 0, 0), RECT{0, 0, 2, 2}), 4);
  EXPECT_EQ(dst.Count(RGB(0, 0, 255), RECT{2, 0, 4, 2}), 4);
  // A negative destination width mirrors the image.
  StretchBlt(dst.dc(), 4, 0, -4, 2, src.dc(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(dst.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(dst.At(3, 1), RGB(255, 0, 0));
  // Shrinking samples the source.
  Canvas small(1, 1);
  StretchBlt(small.dc(), 0, 0, 1, 1, dst.dc(), 0, 0, 4, 2, SRCCOPY);
  COLORREF got = small.At(0, 0);
  EXPECT_TRUE(got == RGB(255, 0, 0) || got == RGB(0, 0, 255));
  EXPECT_EQ(SetStretchBltMode(dst.dc(), HALFTONE), BLACKONWHITE);
  EXPECT_EQ(GetStretchBltMode(dst.dc()), HALFTONE);
}

TEST(StretchBlt, OneSourcePixelFillsARectangle) {
  // Painting a colour by stretching one pixel of a 16-bit colour strip.
  BITMAPINFO bi = qvp::gdi::test::Info32(3, 1);
  bi.bmiHeader.biBitCount = 16;
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP strip = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, strip);
  SetPixel(mem, 1, 0, RGB(0x80, 0x40, 0x20));
  Canvas dst(10, 10, RGB(0, 0, 0));
  StretchBlt(dst.dc(), 2, 2, 5, 4, mem, 1, 0, 1, 1, SRCCOPY);
  EXPECT_EQ(dst.Count(RGB(0x84, 0x42, 0x21)), 20);  // as the 16-bit strip holds it
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(strip);
}

TEST(PatBlt, UsesTheBrushAndRefusesSourceOperations) {
  Canvas c(8, 8, RGB(0, 0, 0));
  HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(c.dc(), hatch);
  SetBkMode(c.dc(), TRANSPARENT);
  ASSERT_TRUE(PatBlt(c.dc(), 0, 0, 8, 8, PATCOPY));
  // One line in eight is the hatch; in transparent mode the rest stays.
  EXPECT_EQ(c.Count(RGB(255, 0, 0)), 8);
  EXPECT_EQ(c.Count(RGB(0, 0, 0)), 56);
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), RGB(0, 255, 0));
  PatBlt(c.dc(), 0, 0, 8, 8, PATCOPY);
  EXPECT_EQ(c.Count(RGB(0, 255, 0)), 56);
  EXPECT_FALSE(PatBlt(c.dc(), 0, 0, 8, 8, SRCCOPY));
  // A negative size extends left and up from the point.
  PatBlt(c.dc(), 8, 8, -2, -2, BLACKNESS);
  EXPECT_EQ(c.Count(RGB(0, 0, 0), RECT{6, 6, 8, 8}), 4);
  SelectObject(c.dc(), old);
  DeleteObject(hatch);
}

TEST(PatBlt, PatternBrushFromAMonochromeBitmapUsesTheDcColours) {
  // Rows padded to 2 bytes: a checkerboard.
  BYTE rows[16] = {0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0};
  HBITMAP checker = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH brush = CreatePatternBrush(checker);
  DeleteObject(checker);  // the brush keeps its own copy
  Canvas c(8, 8);
  SetTextColor(c.dc(), RGB(255, 0, 0));
  SetBkColor(c.dc(), RGB(0, 0, 255));
  RECT r{0, 0, 8, 8};
  FillRect(c.dc(), &r, brush);
  EXPECT_EQ(c.Count(RGB(255, 0, 0)), 32);
  EXPECT_EQ(c.Count(RGB(0, 0, 255)), 32);
  EXPECT_EQ(c.At(0, 0), RGB(0, 0, 255));  // bit set -> background colour
  EXPECT_EQ(c.At(1, 0), RGB(255, 0, 0));
  DeleteObject(brush);
}

}  // namespace
