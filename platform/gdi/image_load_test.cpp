// LoadBitmapA and LoadImageA over the resources of testdata/images.rc and over
// .bmp files in a temporary directory.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "qvplatform.h"
#include "testdata/image_ids.h"

extern "C" const QvResourceDirectory QvResourceTable;

namespace {

const HMODULE kModule = reinterpret_cast<HMODULE>(uintptr_t{0x53000});

// Colours of testdata/grey8.bmp (4 x 2, 8 bits): top row blue, dark grey,
// light grey, magenta; bottom row the other way round.
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kLight = RGB(192, 192, 192);
constexpr COLORREF kDark = RGB(128, 128, 128);
constexpr COLORREF kBlue = RGB(0, 0, 255);

std::vector<uint8_t> ReadTestFile(const char* name) {
  std::ifstream in(std::string(QV_GDI_TESTDATA_DIR) + "/" + name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class Images : public ::testing::Test {
 protected:
  void SetUp() override {
    qvp::RegisterResourceTableForTests(kModule, &QvResourceTable);
    std::string pattern = (std::filesystem::temp_directory_path() / "qvp-gdi-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    qvp::RegisterResourceTableForTests(kModule, nullptr);
    std::filesystem::remove_all(dir_);
  }
  std::string Write(const char* name, const std::vector<uint8_t>& bytes) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  // The colours of a bitmap, row by row.
  static std::vector<COLORREF> Pixels(HBITMAP bmp) {
    BITMAP bm{};
    GetObjectA(bmp, sizeof bm, &bm);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    std::vector<COLORREF> out;
    for (int y = 0; y < bm.bmHeight; ++y)
      for (int x = 0; x < bm.bmWidth; ++x) out.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
    return out;
  }
  std::string dir_;
};

TEST_F(Images, LoadBitmapMakesATrueColourDeviceBitmap) {
  HBITMAP bmp = LoadBitmapA(kModule, MAKEINTRESOURCEA(IDB_GREY8));
  ASSERT_NE(bmp, nullptr);
  BITMAP bm{};
  GetObjectA(bmp, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 4);
  EXPECT_EQ(bm.bmHeight, 2);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  std::vector<COLORREF> want{kBlue, kDark, kLight, kMagenta, kMagenta, kLight, kDark, kBlue};
  EXPECT_EQ(Pixels(bmp), want);
  DeleteObject(bmp);

  SetLastError(0);
  EXPECT_EQ(LoadBitmapA(kModule, MAKEINTRESOURCEA(999)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(Images, LoadFlagsMapColoursAndChangeTheFormat) {
  // Map the greys to the 3-D colours (changed here so the mapping shows) and
  // make the first pixel's colour the window colour.
  INT which[2] = {COLOR_3DFACE, COLOR_WINDOW};
  COLORREF was[2] = {GetSysColor(COLOR_3DFACE), GetSysColor(COLOR_WINDOW)};
  COLORREF now[2] = {RGB(1, 2, 3), RGB(4, 5, 6)};
  SetSysColors(2, which, now);
  HBITMAP mapped = static_cast<HBITMAP>(
      LoadImageA(kModule, MAKEINTRESOURCEA(IDB_GREY8), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS | LR_LOADTRANSPARENT));
  SetSysColors(2, which, was);
  ASSERT_NE(mapped, nullptr);
  std::vector<COLORREF> px = Pixels(mapped);
  EXPECT_EQ(px[2], RGB(1, 2, 3));
  EXPECT_EQ(px[3], RGB(4, 5, 6));  // the first pixel in memory is the bottom-left one: magenta
  EXPECT_EQ(px[1], GetSysColor(COLOR_3DSHADOW));
  DeleteObject(mapped);

  HBITMAP dib = static_cast<HBITMAP>(
      LoadImageA(kModule, MAKEINTRESOURCEA(IDB_GREY8), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  DIBSECTION ds{};
  ASSERT_EQ(GetObjectA(dib, sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBitsPixel, 8);
  ASSERT_NE(ds.dsBm.bmBits, nullptr);
  EXPECT_EQ(static_cast<uint8_t*>(ds.dsBm.bmBits)[0], 0);  // bottom-left: table entry 0
  DeleteObject(dib);

  HBITMAP mono = static_cast<HBITMAP>(
      LoadImageA(kModule, MAKEINTRESOURCEA(IDB_GREY8), IMAGE_BITMAP, 0, 0, LR_MONOCHROME));
  BITMAP bm{};
  GetObjectA(mono, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  DeleteObject(mono);

  HBITMAP big = static_cast<HBITMAP>(LoadImageA(kModule, MAKEINTRESOURCEA(IDB_GREY8), IMAGE_BITMAP, 8, 4, 0));
  px = Pixels(big);
  ASSERT_EQ(px.size(), 32u);
  EXPECT_EQ(px[0], kBlue);
  EXPECT_EQ(px[1], kBlue);
  EXPECT_EQ(px[8 + 2], kDark);
  EXPECT_EQ(px[31], kBlue);
  DeleteObject(big);
}

TEST_F(Images, BitmapFilesLoadAndDamagedFilesAreRefused) {
  std::vector<uint8_t> file = ReadTestFile("grey8.bmp");
  ASSERT_EQ(file.size(), 78u);
  std::string path = Write("Grey.bmp", file);
  HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(Pixels(bmp)[0], kBlue);
  DeleteObject(bmp);

  for (size_t len = 0; len < file.size(); ++len) {
    std::string cut = Write("cut.bmp", std::vector<uint8_t>(file.begin(), file.begin() + static_cast<long>(len)));
    EXPECT_EQ(LoadImageA(nullptr, cut.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr) << len;
  }
  std::vector<uint8_t> bad = file;
  bad[10] = 0xFF;  // pixels said to start past the end
  std::string bad_path = Write("bad.bmp", bad);
  EXPECT_EQ(LoadImageA(nullptr, bad_path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  bad = file;
  bad[10] = 20;  // pixels said to start inside the header
  bad_path = Write("bad.bmp", bad);
  EXPECT_EQ(LoadImageA(nullptr, bad_path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  bad = file;
  bad[0] = 'X';
  bad_path = Write("bad.bmp", bad);
  EXPECT_EQ(LoadImageA(nullptr, bad_path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);

  SetLastError(0);
  std::string missing = dir_ + "/missing.bmp";
  EXPECT_EQ(LoadImageA(nullptr, missing.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Images, IconsFromResources) {
  HICON icon = static_cast<HICON>(LoadImageA(kModule, MAKEINTRESOURCEA(IDI_TINY), IMAGE_ICON, 0, 0, 0));
  ASSERT_NE(icon, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP target = CreateBitmap(4, 4, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, target);
  RECT all{0, 0, 4, 4};
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  FillRect(dc, &all, green);
  EXPECT_TRUE(DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 255, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(target);
  DeleteObject(green);
  DestroyIcon(icon);
  EXPECT_EQ(LoadImageA(kModule, MAKEINTRESOURCEA(IDI_TINY), IMAGE_CURSOR, 0, 0, 0), nullptr);
}

TEST_F(Images, LoadIconSharesOneHandlePerModuleAndName) {
  const HICON icon = LoadIconA(kModule, MAKEINTRESOURCEA(IDI_TINY));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconA(kModule, MAKEINTRESOURCEA(IDI_TINY)), icon);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  EXPECT_TRUE(info.fIcon);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);

  SetLastError(0);
  EXPECT_EQ(LoadIconA(kModule, MAKEINTRESOURCEA(IDI_TINY + 100)), nullptr);
  SetLastError(0);
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

}  // namespace
