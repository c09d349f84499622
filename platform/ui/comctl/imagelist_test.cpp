// Image lists: counting, cutting bitmaps into images, masks and their drawing,
// icons, stale handles and lists loaded from bitmap resources.
#include <gtest/gtest.h>

#include <functional>

#include "qvplatform.h"

extern "C" const QvResourceDirectory QvResourceTable;  // this program's resources (testdata/comctl.rc)

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A w x h bitmap whose pixels come from a function of the position.
HBITMAP MakeBitmap(int w, int h, const std::function<COLORREF(int, int)>& pixel) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* p = static_cast<uint32_t*>(bits);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      COLORREF c = pixel(x, y);
      p[y * w + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
  return bmp;
}

// A memory canvas filled with one colour.
class Canvas {
 public:
  Canvas(int w, int h, COLORREF fill) : dc_(CreateCompatibleDC(nullptr)) {
    bmp_ = MakeBitmap(w, h, [&](int, int) { return fill; });
    old_ = SelectObject(dc_, bmp_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
};

TEST(ImageList, CutsBitmapsIntoImagesAndRemovesThem) {
  HIMAGELIST il = ImageList_Create(16, 16, ILC_COLOR24, 4, 4);
  ASSERT_NE(il, nullptr);
  int cx = 0, cy = 0;
  ASSERT_TRUE(ImageList_GetIconSize(il, &cx, &cy));
  EXPECT_EQ(cx, 16);
  EXPECT_EQ(cy, 16);
  EXPECT_EQ(ImageList_GetImageCount(il), 0);

  HBITMAP three = MakeBitmap(48, 16, [](int x, int) { return x < 16 ? kRed : x < 32 ? kGreen : kBlue; });
  EXPECT_EQ(ImageList_Add(il, three, nullptr), 0);
  EXPECT_EQ(ImageList_Add(il, three, nullptr), 3);  // indices continue
  EXPECT_EQ(ImageList_GetImageCount(il), 6);

  // Removing one image moves the later ones down.
  ASSERT_TRUE(ImageList_Remove(il, 0));
  EXPECT_EQ(ImageList_GetImageCount(il), 5);
  Canvas canvas(16, 16, RGB(0, 0, 0));
  ASSERT_TRUE(ImageList_Draw(il, 0, canvas.dc(), 0, 0, ILD_NORMAL));
  EXPECT_EQ(canvas.At(8, 8), kGreen);

  EXPECT_FALSE(ImageList_Remove(il, 5));
  EXPECT_FALSE(ImageList_Draw(il, 5, canvas.dc(), 0, 0, ILD_NORMAL));
  ASSERT_TRUE(ImageList_Remove(il, -1));
  EXPECT_EQ(ImageList_GetImageCount(il), 0);

  // A bitmap narrower than one image adds nothing.
  HBITMAP narrow = MakeBitmap(8, 16, [](int, int) { return kRed; });
  EXPECT_EQ(ImageList_Add(il, narrow, nullptr), -1);
  DeleteObject(narrow);
  DeleteObject(three);
  EXPECT_TRUE(ImageList_Destroy(il));
}

TEST(ImageList, MaskColourMakesPixelsTransparent) {
  HIMAGELIST il = ImageList_Create(8, 8, ILC_COLOR24 | ILC_MASK, 1, 1);
  // Magenta left half, red right half.
  HBITMAP bmp = MakeBitmap(8, 8, [](int x, int) { return x < 4 ? kMagenta : kRed; });
  ASSERT_EQ(ImageList_AddMasked(il, bmp, kMagenta), 0);

  // The caller's bitmap is left as it was.
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, bmp);
  EXPECT_EQ(GetPixel(mem, 1, 1), kMagenta);
  SelectObject(mem, old);
  DeleteDC(mem);

  {
    Canvas canvas(8, 8, kGreen);
    ASSERT_TRUE(ImageList_Draw(il, 0, canvas.dc(), 0, 0, ILD_TRANSPARENT));
    EXPECT_EQ(canvas.At(1, 1), kGreen);
    EXPECT_EQ(canvas.At(6, 1), kRed);
  }
  {
    // Without a background colour a normal draw is transparent too.
    Canvas canvas(8, 8, kGreen);
    ASSERT_TRUE(ImageList_Draw(il, 0, canvas.dc(), 0, 0, ILD_NORMAL));
    EXPECT_EQ(canvas.At(1, 1), kGreen);
  }
  {
    // With one, a normal draw fills the transparent pixels; ILD_TRANSPARENT still does not.
    EXPECT_EQ(ImageList_SetBkColor(il, kBlue), CLR_NONE);
    EXPECT_EQ(ImageList_GetBkColor(il), kBlue);
    Canvas canvas(8, 8, kGreen);
    ASSERT_TRUE(ImageList_Draw(il, 0, canvas.dc(), 0, 0, ILD_NORMAL));
    EXPECT_EQ(canvas.At(1, 1), kBlue);
    EXPECT_EQ(canvas.At(6, 1), kRed);
    Canvas other(8, 8, kGreen);
    ASSERT_TRUE(ImageList_Draw(il, 0, other.dc(), 0, 0, ILD_TRANSPARENT));
    EXPECT_EQ(other.At(1, 1), kGreen);
  }
  {
    // The mask itself: white where transparent, black where the image shows.
    Canvas canvas(8, 8, kGreen);
    ASSERT_TRUE(ImageList_Draw(il, 0, canvas.dc(), 0, 0, ILD_MASK));
    EXPECT_EQ(canvas.At(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(canvas.At(6, 1), RGB(0, 0, 0));
  }
  {
    // DrawEx draws only the part asked for.
    Canvas canvas(8, 8, kGreen);
    ASSERT_TRUE(ImageList_DrawEx(il, 0, canvas.dc(), 0, 0, 6, 2, CLR_NONE, CLR_NONE, ILD_NORMAL));
    EXPECT_EQ(canvas.At(5, 1), kRed);
    EXPECT_EQ(canvas.At(7, 1), kGreen);
    EXPECT_EQ(canvas.At(5, 3), kGreen);
  }
  DeleteObject(bmp);
  ImageList_Destroy(il);
}

TEST(ImageList, SeparateMaskBitmapAndListsWithoutMask) {
  HBITMAP image = MakeBitmap(4, 4, [](int, int) { return kRed; });
  HBITMAP mask = MakeBitmap(4, 4, [](int x, int) { return x < 2 ? RGB(255, 255, 255) : RGB(0, 0, 0); });
  HIMAGELIST masked = ImageList_Create(4, 4, ILC_COLOR24 | ILC_MASK, 1, 1);
  HIMAGELIST plain = ImageList_Create(4, 4, ILC_COLOR24, 1, 1);
  ASSERT_EQ(ImageList_Add(masked, image, mask), 0);
  ASSERT_EQ(ImageList_Add(plain, image, mask), 0);
  Canvas a(4, 4, kGreen), b(4, 4, kGreen);
  ImageList_Draw(masked, 0, a.dc(), 0, 0, ILD_TRANSPARENT);
  ImageList_Draw(plain, 0, b.dc(), 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(a.At(0, 0), kGreen);
  EXPECT_EQ(a.At(3, 0), kRed);
  EXPECT_EQ(b.At(0, 0), kRed);  // a list without a mask draws every pixel
  DeleteObject(image);
  DeleteObject(mask);
  ImageList_Destroy(masked);
  ImageList_Destroy(plain);
}

TEST(ImageList, IconsKeepTheirTransparency) {
  HBITMAP color = MakeBitmap(16, 16, [](int, int) { return kBlue; });
  HBITMAP mask = MakeBitmap(16, 16, [](int, int y) { return y < 8 ? RGB(255, 255, 255) : RGB(0, 0, 0); });
  ICONINFO ii{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&ii);
  ASSERT_NE(icon, nullptr);
  HIMAGELIST il = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1);
  EXPECT_EQ(ImageList_AddIcon(il, icon), 0);
  EXPECT_EQ(ImageList_AddIcon(il, icon), 1);
  EXPECT_EQ(ImageList_ReplaceIcon(il, 0, icon), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(il, 2, icon), -1);
  EXPECT_EQ(ImageList_GetImageCount(il), 2);
  Canvas canvas(16, 16, kGreen);
  ImageList_Draw(il, 1, canvas.dc(), 0, 0, ILD_NORMAL);
  EXPECT_EQ(canvas.At(4, 2), kGreen);
  EXPECT_EQ(canvas.At(4, 12), kBlue);
  DestroyIcon(icon);
  DeleteObject(color);
  DeleteObject(mask);
  ImageList_Destroy(il);
}

TEST(ImageList, DestroyedAndBogusHandlesAreRefused) {
  HIMAGELIST il = ImageList_Create(16, 16, ILC_COLOR, 1, 1);
  ASSERT_TRUE(ImageList_Destroy(il));
  EXPECT_FALSE(ImageList_Destroy(il));
  SetLastError(0);
  EXPECT_EQ(ImageList_GetImageCount(il), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  HBITMAP bmp = MakeBitmap(16, 16, [](int, int) { return kRed; });
  EXPECT_EQ(ImageList_Add(il, bmp, nullptr), -1);
  EXPECT_EQ(ImageList_Add(reinterpret_cast<HIMAGELIST>(0x1234), bmp, nullptr), -1);
  // A new list never takes over the handle of a destroyed one.
  HIMAGELIST next = ImageList_Create(16, 16, ILC_COLOR, 1, 1);
  EXPECT_NE(next, il);
  EXPECT_EQ(ImageList_Create(0, 16, ILC_COLOR, 1, 1), nullptr);
  EXPECT_EQ(ImageList_Create(100000, 100000, ILC_COLOR, 1, 1), nullptr);
  ImageList_Destroy(next);
  DeleteObject(bmp);
}

TEST(ImageList, LoadsABitmapResourceCutIntoImages) {
  qvp::RegisterResourceTableForTests(nullptr, &QvResourceTable);
  // Resource 900: three 16x16 images (red, green, blue) whose top row is magenta.
  HIMAGELIST il = ImageList_LoadImageA(nullptr, MAKEINTRESOURCEA(900), 16, 1, CLR_DEFAULT, IMAGE_BITMAP, 0);
  ASSERT_NE(il, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(il), 3);
  Canvas canvas(16, 16, RGB(255, 255, 255));
  ImageList_Draw(il, 1, canvas.dc(), 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(canvas.At(5, 0), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(5, 5), kGreen);
  ImageList_Destroy(il);

  // Without a mask colour every pixel shows.
  il = ImageList_LoadBitmapA(nullptr, MAKEINTRESOURCEA(900), 16, 1, CLR_NONE);
  ASSERT_NE(il, nullptr);
  Canvas plain(16, 16, RGB(255, 255, 255));
  ImageList_Draw(il, 2, plain.dc(), 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(plain.At(5, 0), kMagenta);
  EXPECT_EQ(plain.At(5, 5), kBlue);
  ImageList_Destroy(il);

  // A resource that is not a whole bitmap, and one that is missing, give no list.
  EXPECT_EQ(ImageList_LoadImageA(nullptr, MAKEINTRESOURCEA(901), 16, 1, CLR_NONE, IMAGE_BITMAP, 0), nullptr);
  EXPECT_EQ(ImageList_LoadImageA(nullptr, MAKEINTRESOURCEA(902), 16, 1, CLR_NONE, IMAGE_BITMAP, 0), nullptr);
  EXPECT_EQ(ImageList_LoadImageA(nullptr, MAKEINTRESOURCEA(900), 16, 1, CLR_NONE, IMAGE_ICON, 0), nullptr);
  qvp::RegisterResourceTableForTests(nullptr, nullptr);
}

}  // namespace
