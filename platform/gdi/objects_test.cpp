// Object handles: selection, deletion rules, GetObjectA, stock objects,
// system colours, device capabilities, palettes, regions and thread safety.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "gdi/gdi_test_util.h"
#include "qvplatform/kernel.h"
#include "gdi/window_dc.h"

namespace {

using qvp::gdi::test::Canvas;

TEST(SelectObject, ReturnsThePreviousObjectOfEachKind) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN pen = CreatePen(PS_DASH, 1, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  HBITMAP bmp = CreateCompatibleBitmap(dc, 4, 4);

  EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(dc, font), GetStockObject(SYSTEM_FONT));
  HGDIOBJ default_bitmap = SelectObject(dc, bmp);
  ASSERT_NE(default_bitmap, nullptr);
  EXPECT_EQ(GetObjectType(default_bitmap), static_cast<DWORD>(OBJ_BITMAP));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bmp);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), GetStockObject(DEFAULT_PALETTE));

  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), pen);
  EXPECT_EQ(SelectObject(dc, default_bitmap), bmp);
  EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
  // Palettes are selected with SelectPalette; junk handles are refused.
  EXPECT_EQ(SelectObject(dc, GetStockObject(DEFAULT_PALETTE)), nullptr);
  EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(0x1234)), nullptr);
  EXPECT_EQ(SelectObject(nullptr, pen), nullptr);

  DeleteDC(dc);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(brush), static_cast<HGDIOBJ>(font),
                    static_cast<HGDIOBJ>(bmp)})
    EXPECT_TRUE(DeleteObject(o));
}

TEST(DeleteObject, StockObjectsIgnoredSelectedObjectsKept) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), static_cast<DWORD>(OBJ_BRUSH));

  HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
  SelectObject(dc, brush);
  EXPECT_FALSE(DeleteObject(brush));  // still selected: not deleted
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(brush));  // a stale handle is refused
  EXPECT_EQ(GetObjectType(brush), 0u);

  // Deleting the DC lets go of what it had selected.
  HBITMAP bmp = CreateBitmap(2, 2, 1, 32, nullptr);
  SelectObject(dc, bmp);
  EXPECT_FALSE(DeleteObject(bmp));
  EXPECT_FALSE(DeleteObject(dc));  // a DC goes through DeleteDC
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_TRUE(DeleteObject(bmp));
}

TEST(SelectObject, ABitmapLivesInOneMemoryDcAtATime) {
  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(2, 2, 1, 32, nullptr);
  HGDIOBJ old_a = SelectObject(a, bmp);
  ASSERT_NE(old_a, nullptr);
  EXPECT_EQ(SelectObject(b, bmp), nullptr);
  EXPECT_EQ(SelectObject(a, bmp), bmp);  // reselecting into the same DC is fine
  SelectObject(a, old_a);
  EXPECT_NE(SelectObject(b, bmp), nullptr);
  // A window DC takes no bitmap.
  HDC win = qvp::CreateWindowDC(reinterpret_cast<HWND>(0x5001), 10, 10, POINT{0, 0});
  EXPECT_EQ(SelectObject(win, GetStockObject(WHITE_BRUSH)), GetStockObject(WHITE_BRUSH));
  HBITMAP other = CreateBitmap(2, 2, 1, 32, nullptr);
  EXPECT_EQ(SelectObject(win, other), nullptr);
  EXPECT_TRUE(qvp::ReleaseWindowDC(win));
  qvp::DestroyWindowPaintTarget(reinterpret_cast<HWND>(0x5001));
  DeleteDC(a);
  DeleteDC(b);
  EXPECT_TRUE(DeleteObject(bmp));
  EXPECT_TRUE(DeleteObject(other));
}

TEST(GetObjectA, DescribesPensBrushesFontsBitmapsAndPalettes) {
  HPEN pen = CreatePen(PS_DOT, 3, RGB(1, 2, 3));
  LOGPEN lp{};
  EXPECT_EQ(GetObjectA(pen, sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DOT));
  EXPECT_EQ(lp.lopnWidth.x, 3);
  EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));

  HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(4, 5, 6));
  LOGBRUSH lb{};
  EXPECT_EQ(GetObjectA(hatch, sizeof lb, &lb), static_cast<int>(sizeof lb));
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(lb.lbHatch, static_cast<ULONG_PTR>(HS_CROSS));

  LOGFONTA in{};
  in.lfHeight = -13;
  in.lfWeight = FW_BOLD;
  in.lfItalic = 1;
  std::strcpy(in.lfFaceName, "Arial");
  HFONT font = CreateFontIndirectA(&in);
  LOGFONTA out{};
  EXPECT_EQ(GetObjectA(font, sizeof out, &out), static_cast<int>(sizeof out));
  EXPECT_EQ(std::memcmp(&in, &out, sizeof in), 0);
  EXPECT_EQ(GetObjectA(font, 0, nullptr), static_cast<int>(sizeof(LOGFONTA)));

  HBITMAP bmp = CreateBitmap(3, 2, 1, 1, nullptr);
  BITMAP bm{};
  EXPECT_EQ(GetObjectA(bmp, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 3);
  EXPECT_EQ(bm.bmWidthBytes, 2);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmBits, nullptr);
  EXPECT_EQ(GetObjectA(bmp, 4, &bm), 0);  // too small for a BITMAP

  WORD n = 0;
  EXPECT_EQ(GetObjectA(GetStockObject(DEFAULT_PALETTE), sizeof n, &n), 2);
  EXPECT_EQ(n, 20);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(hatch), static_cast<HGDIOBJ>(font),
                    static_cast<HGDIOBJ>(bmp)})
    DeleteObject(o);
}

TEST(StockObjects, FontsAndColours) {
  LOGFONTA lf{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  EXPECT_STREQ(lf.lfFaceName, "MS Shell Dlg");
  EXPECT_EQ(lf.lfHeight, -11);
  GetObjectA(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
  EXPECT_STREQ(lf.lfFaceName, "System");
  GetObjectA(GetStockObject(ANSI_VAR_FONT), sizeof lf, &lf);
  EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(GetObjectType(GetStockObject(NULL_PEN)), static_cast<DWORD>(OBJ_PEN));
  EXPECT_EQ(GetStockObject(9), nullptr);
  EXPECT_EQ(GetStockObject(100), nullptr);
  LOGBRUSH lb{};
  GetObjectA(GetStockObject(LTGRAY_BRUSH), sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, RGB(192, 192, 192));
}

TEST(SysColors, ClassicDefaultsAndBrushesThatFollowChanges) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(0, 0, 128));
  EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
  EXPECT_EQ(GetSysColor(1000), 0u);
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), face);
  EXPECT_TRUE(DeleteObject(face));  // owned by the layer: ignored
  INT which = COLOR_BTNFACE;
  COLORREF teal = RGB(0, 128, 128);
  ASSERT_TRUE(SetSysColors(1, &which, &teal));
  Canvas c(2, 2);
  RECT r{0, 0, 2, 2};
  FillRect(c.dc(), &r, face);
  EXPECT_EQ(c.At(1, 1), teal);
  COLORREF classic = RGB(192, 192, 192);
  SetSysColors(1, &which, &classic);
}

TEST(DeviceCaps, AClassicTrueColourDisplay) {
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 1024);
  EXPECT_EQ(GetDeviceCaps(screen, VERTRES), 768);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(screen, NUMCOLORS), -1);
  EXPECT_EQ(GetDeviceCaps(screen, SIZEPALETTE), 0);
  EXPECT_EQ(GetDeviceCaps(screen, HORZSIZE), 271);
  EXPECT_EQ(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_NE(GetDeviceCaps(screen, RASTERCAPS) & RC_STRETCHBLT, 0);
  // Bitmaps compatible with the screen are true colour; a fresh memory DC
  // (holding its monochrome bitmap) makes monochrome ones.
  HBITMAP colour = CreateCompatibleBitmap(screen, 4, 4);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP mono = CreateCompatibleBitmap(mem, 4, 4);
  BITMAP bm{};
  GetObjectA(colour, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  GetObjectA(mono, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(CreateDCA("WINSPOOL", "Some Printer", nullptr, nullptr), nullptr);
  HDC ic = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
  EXPECT_EQ(GetDeviceCaps(ic, LOGPIXELSY), 96);
  EXPECT_FALSE(Rectangle(ic, 0, 0, 2, 2));  // an information context does not draw
  DeleteDC(ic);
  DeleteDC(mem);
  DeleteObject(colour);
  DeleteObject(mono);
  EXPECT_TRUE(DeleteDC(screen));
}

TEST(Palettes, SelectRealizeAndPaletteIndexColours) {
  struct {
    WORD version = 0x300;
    WORD count = 2;
    PALETTEENTRY e[2] = {{10, 20, 30, 0}, {200, 100, 50, 0}};
  } lp;
  HPALETTE pal = CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp));
  ASSERT_NE(pal, nullptr);
  Canvas c(2, 2);
  HPALETTE old = SelectPalette(c.dc(), pal, FALSE);
  EXPECT_EQ(old, GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(RealizePalette(c.dc()), 2u);
  HBRUSH b = CreateSolidBrush(PALETTEINDEX(1));
  RECT r{0, 0, 2, 2};
  FillRect(c.dc(), &r, b);
  EXPECT_EQ(c.At(0, 0), RGB(200, 100, 50));
  PALETTEENTRY got[4]{};
  EXPECT_EQ(GetPaletteEntries(pal, 0, 4, got), 2u);
  EXPECT_EQ(got[1].peGreen, 100);
  EXPECT_EQ(GetPaletteEntries(pal, 0, 0, nullptr), 2u);
  EXPECT_FALSE(DeleteObject(pal));  // selected
  SelectPalette(c.dc(), old, FALSE);
  EXPECT_TRUE(DeleteObject(pal));
  DeleteObject(b);
  lp.version = 0x100;
  EXPECT_EQ(CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp)), nullptr);
}

TEST(Regions, CombineAndQuery) {
  HRGN a = CreateRectRgn(0, 0, 10, 10);
  HRGN b = CreateRectRgn(5, 5, 15, 15);
  HRGN out = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(out, a, b, RGN_AND), SIMPLEREGION);
  RECT box{};
  GetRgnBox(out, &box);
  EXPECT_EQ(box.left, 5);
  EXPECT_EQ(box.right, 10);
  EXPECT_EQ(CombineRgn(out, a, b, RGN_DIFF), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(out, 2, 8));
  EXPECT_FALSE(PtInRegion(out, 7, 7));
  EXPECT_EQ(CombineRgn(out, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(out, 14, 14));
  EXPECT_EQ(CombineRgn(out, a, b, RGN_XOR), COMPLEXREGION);
  EXPECT_FALSE(PtInRegion(out, 7, 7));
  EXPECT_EQ(OffsetRgn(a, 100, 0), SIMPLEREGION);
  EXPECT_EQ(CombineRgn(out, a, b, RGN_AND), NULLREGION);
  EXPECT_EQ(CombineRgn(out, a, b, 42), ERROR);
  for (HRGN r : {a, b, out}) DeleteObject(r);
}

TEST(Threads, ObjectsAndDrawingFromManyThreads) {
  // Threads make, draw with and delete their own objects while sharing stock
  // objects, one window target and its paint log.
  HWND shared = reinterpret_cast<HWND>(0x5002);
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 50; ++i) {
        Canvas c(16, 16);
        HBRUSH b = CreateSolidBrush(RGB(t, i, 0));
        RECT r{0, 0, 8, 8};
        FillRect(c.dc(), &r, b);
        if (c.At(1, 1) != RGB(t, i, 0)) ++failures;
        SelectObject(c.dc(), GetStockObject(DEFAULT_GUI_FONT));
        TextOutA(c.dc(), 0, 0, "x", 1);
        HDC win = qvp::CreateWindowDC(shared, 32, 32, POINT{0, 0});
        Rectangle(win, t, t, t + 4, t + 4);
        BitBlt(win, 8, 8, 8, 8, c.dc(), 0, 0, SRCCOPY);
        qvp::ReleaseWindowDC(win);
        if (!DeleteObject(b)) ++failures;
      }
    });
  }
  threads.emplace_back([&] {
    for (int i = 0; i < 200; ++i) (void)qvp::GetWindowPaintLog(shared).records.size();
  });
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_FALSE(qvp::GetWindowPaintLog(shared).records.empty());
  qvp::DestroyWindowPaintTarget(shared);
}

TEST(Errors, InvalidHandlesSetTheLastError) {
  SetLastError(0);
  EXPECT_EQ(GetTextColor(reinterpret_cast<HDC>(0x99)), CLR_INVALID);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  SetLastError(0);
  EXPECT_EQ(CreatePen(42, 1, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
