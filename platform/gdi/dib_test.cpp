// DIB sections, DIB bit transfers and the packed-DIB entry points.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "gdi/dib.h"
#include "gdi/gdi_test_util.h"
#include "gdi/icon.h"

namespace {

using qvp::gdi::test::Canvas;

struct Bmi {
  BITMAPINFOHEADER h{};
  RGBQUAD colors[256]{};
};

Bmi MakeBmi(int w, int h, int bpp, int ncolors = 0) {
  Bmi b;
  b.h.biSize = sizeof(BITMAPINFOHEADER);
  b.h.biWidth = w;
  b.h.biHeight = h;
  b.h.biPlanes = 1;
  b.h.biBitCount = static_cast<WORD>(bpp);
  b.h.biCompression = BI_RGB;
  b.h.biClrUsed = static_cast<DWORD>(ncolors);
  return b;
}

const BITMAPINFO* AsInfo(const Bmi& b) { return reinterpret_cast<const BITMAPINFO*>(&b); }

struct Section {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = nullptr;
  uint8_t* bits = nullptr;
  HGDIOBJ old = nullptr;
  explicit Section(const Bmi& b) {
    bmp = CreateDIBSection(dc, AsInfo(b), DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    if (bmp) old = SelectObject(dc, bmp);
  }
  ~Section() {
    if (old) SelectObject(dc, old);
    DeleteDC(dc);
    if (bmp) DeleteObject(bmp);
  }
};

TEST(DibSection, RowsAreBottomUpAndPaddedToFourBytes) {
  struct Case {
    int bpp;
    int stride;  // for width 3
  } cases[] = {{1, 4}, {4, 4}, {8, 4}, {16, 8}, {24, 12}, {32, 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bpp);
    Bmi b = MakeBmi(3, 2, c.bpp);
    if (c.bpp <= 8) {
      b.colors[0] = RGBQUAD{0, 0, 0, 0};
      b.colors[1] = RGBQUAD{255, 255, 255, 0};
    }
    Section s(b);
    ASSERT_NE(s.bmp, nullptr);
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectA(s.bmp, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidthBytes, c.stride);
    EXPECT_EQ(ds.dsBm.bmBits, s.bits);
    EXPECT_EQ(ds.dsBmih.biSizeImage, static_cast<DWORD>(2 * c.stride));
    // The top-left pixel lives in the last row of memory.
    SetPixel(s.dc, 0, 0, RGB(255, 255, 255));
    const uint8_t* top = s.bits + c.stride;
    const uint8_t* bottom = s.bits;
    switch (c.bpp) {
      case 1: EXPECT_EQ(top[0], 0x80); break;
      case 4: EXPECT_EQ(top[0], 0x10); break;
      case 8: EXPECT_EQ(top[0], 1); break;
      case 16: EXPECT_EQ(top[0] | (top[1] << 8), 0x7FFF); break;
      default: EXPECT_EQ(top[0] & top[1] & top[2], 0xFF);
    }
    for (int i = 0; i < c.stride; ++i) EXPECT_EQ(bottom[i], 0) << i;
  }
}

TEST(DibSection, ChannelOrderAndRowPaddingAreExact) {
  Section s24(MakeBmi(3, 2, 24));
  SetPixel(s24.dc, 2, 1, RGB(10, 20, 30));  // bottom row = first row in memory
  EXPECT_EQ(s24.bits[6], 30);
  EXPECT_EQ(s24.bits[7], 20);
  EXPECT_EQ(s24.bits[8], 10);
  EXPECT_EQ(s24.bits[9] | s24.bits[10] | s24.bits[11], 0);  // padding untouched

  Section s32(MakeBmi(2, -2, 32));  // top-down
  SetPixel(s32.dc, 1, 0, RGB(1, 2, 3));
  EXPECT_EQ(s32.bits[4], 3);
  EXPECT_EQ(s32.bits[5], 2);
  EXPECT_EQ(s32.bits[6], 1);
  EXPECT_EQ(s32.bits[7], 0);
  DIBSECTION ds{};
  GetObjectA(s32.bmp, sizeof ds, &ds);
  EXPECT_EQ(ds.dsBmih.biHeight, -2);
  EXPECT_EQ(ds.dsBm.bmHeight, 2);

  // Writes through the pointer are what GDI reads.
  s32.bits[8] = 0x40;  // (0,1) blue
  EXPECT_EQ(GetPixel(s32.dc, 0, 1), RGB(0, 0, 0x40));
}

TEST(DibSection, PalettedPixelsUseTheNearestTableEntry) {
  Bmi b = MakeBmi(4, 1, 8, 3);
  b.colors[0] = RGBQUAD{0, 0, 0, 0};
  b.colors[1] = RGBQUAD{0, 0, 200, 0};    // red
  b.colors[2] = RGBQUAD{200, 200, 200, 0};
  Section s(b);
  EXPECT_EQ(SetPixel(s.dc, 0, 0, RGB(255, 0, 0)), RGB(200, 0, 0));
  EXPECT_EQ(s.bits[0], 1);
  SetPixel(s.dc, 1, 0, RGB(190, 210, 199));
  EXPECT_EQ(s.bits[1], 2);
  EXPECT_EQ(GetPixel(s.dc, 1, 0), RGB(200, 200, 200));
}

TEST(DibSection, SixteenBitColoursAreQuantisedEvenWithATable) {
  // 16 bits per pixel with a 13-entry colour table: the table is only a hint,
  // pixels are 5-5-5.
  Bmi b = MakeBmi(13, 1, 16, 13);
  for (int i = 0; i < 13; ++i) b.colors[i] = RGBQUAD{static_cast<BYTE>(i), 0, 0, 0};
  Section s(b);
  ASSERT_NE(s.bmp, nullptr);
  // Five bits widen by repeating them: 00110 -> 0x31, 01010 -> 0x52.
  EXPECT_EQ(SetPixel(s.dc, 3, 0, RGB(0x12, 0x34, 0x56)), RGB(0x10, 0x31, 0x52));
  EXPECT_EQ(GetPixel(s.dc, 3, 0), RGB(0x10, 0x31, 0x52));
  EXPECT_EQ(s.bits[6] | (s.bits[7] << 8), (0x12 >> 3) << 10 | (0x34 >> 3) << 5 | (0x56 >> 3));
}

TEST(DibSection, BitfieldMasksFollowTheHeader) {
  struct {
    BITMAPINFOHEADER h;
    DWORD masks[3];
  } b{};
  b.h.biSize = sizeof(BITMAPINFOHEADER);
  b.h.biWidth = 1;
  b.h.biHeight = 1;
  b.h.biPlanes = 1;
  b.h.biBitCount = 16;
  b.h.biCompression = BI_BITFIELDS;
  b.masks[0] = 0xF800;
  b.masks[1] = 0x07E0;
  b.masks[2] = 0x001F;
  HDC dc = CreateCompatibleDC(nullptr);
  uint8_t* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&b), DIB_RGB_COLORS,
                                 reinterpret_cast<void**>(&bits), nullptr, 0);
  ASSERT_NE(bmp, nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  SetPixel(dc, 0, 0, RGB(255, 0, 0));
  EXPECT_EQ(bits[0] | (bits[1] << 8), 0xF800);
  DIBSECTION ds{};
  GetObjectA(bmp, sizeof ds, &ds);
  EXPECT_EQ(ds.dsBitfields[1], 0x07E0u);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
}

TEST(DibSection, MalformedInfoIsRefused) {
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = reinterpret_cast<void*>(1);
  Bmi b = MakeBmi(4, 4, 7);
  EXPECT_EQ(CreateDIBSection(dc, AsInfo(b), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  b = MakeBmi(0x10000, 0x10000, 32);  // 16 GiB
  EXPECT_EQ(CreateDIBSection(dc, AsInfo(b), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  b = MakeBmi(4, 4, 8);
  b.h.biCompression = BI_RLE8;
  EXPECT_EQ(CreateDIBSection(dc, AsInfo(b), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  b = MakeBmi(4, 4, 32);
  EXPECT_EQ(CreateDIBSection(dc, AsInfo(b), DIB_RGB_COLORS, &bits, reinterpret_cast<HANDLE>(8), 0), nullptr);
  DeleteDC(dc);
}

TEST(DibBits, GetDIBitsDescribesAndConvertsBottomUp) {
  Canvas c(3, 2);
  SetPixel(c.dc(), 0, 0, RGB(1, 2, 3));   // top-left
  SetPixel(c.dc(), 2, 1, RGB(7, 8, 9));   // bottom-right
  HBITMAP bmp = CreateCompatibleBitmap(c.dc(), 3, 2);
  HDC mem = CreateCompatibleDC(c.dc());
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, 3, 2, c.dc(), 0, 0, SRCCOPY);
  SelectObject(mem, old);

  Bmi b{};
  b.h.biSize = sizeof(BITMAPINFOHEADER);
  EXPECT_NE(GetDIBits(c.dc(), bmp, 0, 2, nullptr, reinterpret_cast<BITMAPINFO*>(&b), DIB_RGB_COLORS), 0);
  EXPECT_EQ(b.h.biWidth, 3);
  EXPECT_EQ(b.h.biHeight, 2);
  EXPECT_EQ(b.h.biBitCount, 32);

  b.h.biBitCount = 24;
  b.h.biCompression = BI_RGB;
  std::vector<uint8_t> out(24, 0xEE);
  EXPECT_EQ(GetDIBits(c.dc(), bmp, 0, 2, out.data(), reinterpret_cast<BITMAPINFO*>(&b), DIB_RGB_COLORS), 2);
  // Memory row 0 is the bottom row; rows are padded to 12 bytes with zeros.
  EXPECT_EQ(out[6], 9);
  EXPECT_EQ(out[7], 8);
  EXPECT_EQ(out[8], 7);
  EXPECT_EQ(out[12], 3);
  EXPECT_EQ(out[13], 2);
  EXPECT_EQ(out[14], 1);
  EXPECT_EQ(b.h.biSizeImage, 24u);

  // Round trip through SetDIBits into a fresh bitmap.
  HBITMAP copy = CreateCompatibleBitmap(c.dc(), 3, 2);
  EXPECT_EQ(SetDIBits(c.dc(), copy, 0, 2, out.data(), reinterpret_cast<BITMAPINFO*>(&b), DIB_RGB_COLORS), 2);
  SelectObject(mem, copy);
  EXPECT_EQ(GetPixel(mem, 0, 0), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(mem, 2, 1), RGB(7, 8, 9));
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bmp);
  DeleteObject(copy);
}

TEST(DibBits, GetDIBitsHonoursTheCallersWidthAndReturnsATable) {
  Bmi src = MakeBmi(4, -1, 8, 2);
  src.colors[1] = RGBQUAD{0, 0, 255, 0};
  Section s(src);
  SetPixel(s.dc, 3, 0, RGB(255, 0, 0));
  Bmi b = MakeBmi(2, 1, 8);  // narrower than the bitmap: only 4 bytes of room
  auto out = std::make_unique<uint8_t[]>(4);
  EXPECT_EQ(GetDIBits(s.dc, s.bmp, 0, 1, out.get(), reinterpret_cast<BITMAPINFO*>(&b), DIB_RGB_COLORS), 1);
  EXPECT_EQ(b.colors[1].rgbRed, 255);
}

TEST(DibBits, StretchDIBitsCountsSourceRowsFromTheBottom) {
  // 1 x 2 bottom-up DIB: memory row 0 (the bottom) red, row 1 (the top) blue.
  Bmi b = MakeBmi(1, 2, 32);
  uint32_t px[2] = {0x00FF0000, 0x000000FF};
  Canvas c(4, 4);
  EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, 1, 1, 0, 0, 1, 1, px, AsInfo(b), DIB_RGB_COLORS, SRCCOPY), 1);
  EXPECT_EQ(c.At(0, 0), RGB(255, 0, 0));
  // The whole image stretched keeps its orientation: top blue, bottom red.
  StretchDIBits(c.dc(), 0, 0, 4, 4, 0, 0, 1, 2, px, AsInfo(b), DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(c.At(2, 0), RGB(0, 0, 255));
  EXPECT_EQ(c.At(2, 3), RGB(255, 0, 0));
  // A negative destination height mirrors it.
  StretchDIBits(c.dc(), 0, 4, 4, -4, 0, 0, 1, 2, px, AsInfo(b), DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(c.At(2, 0), RGB(255, 0, 0));
}

TEST(DibBits, SetDIBitsToDeviceDrawsThePassedScanLines) {
  // A 2 x 4 bottom-up DIB; only scan lines 1 and 2 are passed.
  Bmi b = MakeBmi(2, 4, 32);
  uint32_t scans[4] = {0x00112233, 0x00112233, 0x00445566, 0x00445566};  // scan 1, scan 2
  Canvas c(2, 4, RGB(0, 0, 0));
  EXPECT_EQ(SetDIBitsToDevice(c.dc(), 0, 0, 2, 4, 0, 0, 1, 2, scans, AsInfo(b), DIB_RGB_COLORS), 2);
  // Scan 1 is the second row from the bottom (y = 2), scan 2 is y = 1.
  EXPECT_EQ(c.At(0, 2), RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(c.At(1, 1), RGB(0x44, 0x55, 0x66));
  EXPECT_EQ(c.At(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(c.At(0, 3), RGB(0, 0, 0));
}

// A packed 8-bit DIB: header, 2 colours, 3 x 2 pixels (rows padded to 4).
std::vector<uint8_t> PackedDib8() {
  Bmi b = MakeBmi(3, 2, 8, 2);
  b.colors[0] = RGBQUAD{0, 0, 0, 0};
  b.colors[1] = RGBQUAD{0, 255, 0, 0};
  std::vector<uint8_t> d(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD) + 8, 0);
  std::memcpy(d.data(), &b, sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD));
  size_t bits = sizeof(BITMAPINFOHEADER) + 8;
  d[bits + 0] = 1;  // bottom-left green
  d[bits + 6] = 1;  // top-right green
  return d;
}

HBITMAP FromExactBuffer(const std::vector<uint8_t>& bytes, size_t len) {
  // An exactly sized heap copy: any read past `len` is an overrun the address
  // sanitizer reports.
  auto buf = std::make_unique<uint8_t[]>(len == 0 ? 1 : len);
  std::memcpy(buf.get(), bytes.data(), len);
  return qvp::CreateBitmapFromDib(buf.get(), len);
}

TEST(PackedDib, MakesADeviceBitmapWithTheImage) {
  std::vector<uint8_t> dib = PackedDib8();
  HBITMAP bmp = FromExactBuffer(dib, dib.size());
  ASSERT_NE(bmp, nullptr);
  BITMAP bm{};
  ASSERT_EQ(GetObjectA(bmp, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 3);
  EXPECT_EQ(bm.bmHeight, 2);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmBits, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(dc, 2, 0), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
}

TEST(PackedDib, EveryTruncationIsRefused) {
  std::vector<uint8_t> dib = PackedDib8();
  for (size_t len = 0; len < dib.size(); ++len) {
    EXPECT_EQ(FromExactBuffer(dib, len), nullptr) << len;
  }
  HBITMAP whole = FromExactBuffer(dib, dib.size());
  EXPECT_NE(whole, nullptr);
  DeleteObject(whole);
}

TEST(PackedDib, HostileHeadersAreRefused) {
  auto patched = [](auto change) {
    std::vector<uint8_t> d = PackedDib8();
    BITMAPINFOHEADER h;
    std::memcpy(&h, d.data(), sizeof h);
    change(h);
    std::memcpy(d.data(), &h, sizeof h);
    return FromExactBuffer(d, d.size());
  };
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biSize = 0; }), nullptr);
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biSize = 0x7FFFFFFF; }), nullptr);
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biSize = 124; }), nullptr);  // larger than the data
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biWidth = 0; }), nullptr);
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biWidth = -3; }), nullptr);
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biHeight = 0; }), nullptr);
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biHeight = INT_MIN; }), nullptr);
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biHeight = 3; }), nullptr);  // one row more than present
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biWidth = 0x7FFFFFFF; h.biHeight = 0x7FFFFFFF; }), nullptr);
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biPlanes = 2; }), nullptr);
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biBitCount = 7; }), nullptr);
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biBitCount = 32; }), nullptr);  // needs 24 bytes of pixels
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }), nullptr);
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biCompression = BI_BITFIELDS; }), nullptr);
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biClrUsed = 300; }), nullptr);
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biClrUsed = 256; }), nullptr);  // table past the end
  EXPECT_EQ(patched([](BITMAPINFOHEADER& h) { h.biBitCount = 24; h.biClrUsed = 0xFFFFFFFF; }), nullptr);
}

TEST(PackedDib, CoreHeadersAndMonochromeImages) {
  // BITMAPCOREHEADER, 1 bit, 2-entry RGBTRIPLE table (white, black), 9 x 1.
  std::vector<uint8_t> d(12 + 6 + 4, 0);
  BITMAPCOREHEADER core{12, 9, 1, 1, 1};
  std::memcpy(d.data(), &core, sizeof core);
  d[12] = d[13] = d[14] = 0xFF;  // index 0 white
  d[18] = 0x80;                  // pixel 0 -> index 1 (black), the rest white
  HBITMAP bmp = FromExactBuffer(d, d.size());
  ASSERT_NE(bmp, nullptr);
  BITMAP bm{};
  GetObjectA(bmp, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmWidthBytes, 2);  // device bitmaps pad rows to 2 bytes
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 8, 0), RGB(255, 255, 255));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
  for (size_t len = 0; len < d.size(); ++len) EXPECT_EQ(FromExactBuffer(d, len), nullptr) << len;
}

// An icon image: 2 x 2, 32-bit XOR image, 1-bit AND mask (left column opaque red).
std::vector<uint8_t> IconImage() {
  Bmi b = MakeBmi(2, 4, 32);
  std::vector<uint8_t> d(sizeof(BITMAPINFOHEADER) + 16 + 8, 0);
  std::memcpy(d.data(), &b, sizeof(BITMAPINFOHEADER));
  // The XOR image is black where the mask makes the icon transparent.
  uint32_t red = 0x00FF0000;
  std::memcpy(d.data() + 40, &red, 4);
  std::memcpy(d.data() + 48, &red, 4);
  d[56] = 0x40;  // bottom row: x = 1 transparent
  d[60] = 0x40;  // top row
  return d;
}

TEST(PackedIcon, DrawsThroughItsMaskAndRefusesTruncation) {
  std::vector<uint8_t> img = IconImage();
  for (size_t len = 0; len < img.size(); ++len) {
    auto buf = std::make_unique<uint8_t[]>(len == 0 ? 1 : len);
    std::memcpy(buf.get(), img.data(), len);
    EXPECT_EQ(qvp::CreateIconFromDib(buf.get(), len, true, POINT{0, 0}), nullptr) << len;
  }
  HICON icon = qvp::CreateIconFromDib(img.data(), img.size(), true, POINT{0, 0});
  ASSERT_NE(icon, nullptr);
  Canvas c(4, 4, RGB(0, 0, 255));
  EXPECT_TRUE(DrawIconEx(c.dc(), 1, 1, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(c.At(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(c.At(2, 1), RGB(0, 0, 255));  // transparent: destination kept
  EXPECT_EQ(c.At(1, 2), RGB(255, 0, 0));
  EXPECT_EQ(c.At(0, 0), RGB(0, 0, 255));
  ICONINFO ii{};
  ASSERT_TRUE(GetIconInfo(icon, &ii));
  EXPECT_TRUE(ii.fIcon);
  EXPECT_EQ(ii.xHotspot, 1u);
  BITMAP bm{};
  GetObjectA(ii.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  DeleteObject(ii.hbmMask);
  DeleteObject(ii.hbmColor);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
}

}  // namespace
