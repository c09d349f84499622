// The image library as the style wizard uses it: loaded by name, JPEG and GIF
// files that the test encodes itself decoded into bitmaps; broken, lying and
// huge files refused without harm.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>

#include "vic32.h"

namespace {

namespace fs = std::filesystem;

struct Library {
  HMODULE module = LoadLibraryA((std::string(QV_DIST_DIR) + "/" + kVicFileName).c_str());
  ~Library() {
    if (module != nullptr) FreeLibrary(module);
  }
  template <typename T>
  T Get(const char* name) const {
    return reinterpret_cast<T>(GetProcAddress(module, name));
  }
};

class Vic : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(lib_.module, nullptr);
    dir_ = fs::temp_directory_path() / ("vic32_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    alloc_ = lib_.Get<PFN_allocimage>("allocimage");
    free_ = lib_.Get<PFN_freeimage>("freeimage");
    copy_ = lib_.Get<PFN_copyimage>("copyimage");
    jinfo_ = lib_.Get<PFN_jpeginfo>("jpeginfo");
    jload_ = lib_.Get<PFN_loadjpg>("loadjpg");
    ginfo_ = lib_.Get<PFN_gifinfo>("gifinfo");
    gload_ = lib_.Get<PFN_loadgif>("loadgif");
    pal_ = lib_.Get<PFN_victowinpal>("victowinpal");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::vector<unsigned char>& bytes) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
    return p.string();
  }

  // A JPEG whose left half is one colour and right half another.
  std::vector<unsigned char> Jpeg(int w, int h, bool grey, bool progressive) {
    jpeg_compress_struct c{};
    jpeg_error_mgr e{};
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = grey ? 1 : 3;
    c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(w) * (grey ? 1 : 3));
    for (int x = 0; x < w; ++x) {
      if (grey) {
        row[static_cast<size_t>(x)] = x < w / 2 ? 30 : 220;
      } else {
        const unsigned char px[3] = {static_cast<unsigned char>(x < w / 2 ? 255 : 0), 0,
                                     static_cast<unsigned char>(x < w / 2 ? 0 : 255)};
        std::memcpy(&row[static_cast<size_t>(x) * 3], px, 3);
      }
    }
    JSAMPROW r = row.data();
    while (c.next_scanline < c.image_height) jpeg_write_scanlines(&c, &r, 1);
    jpeg_finish_compress(&c);
    std::vector<unsigned char> bytes(out, out + size);
    free(out);
    jpeg_destroy_compress(&c);
    return bytes;
  }

  // A GIF of `bits` bits per pixel whose row y is colour index y mod colours.
  std::string Gif(const std::string& name, int w, int h, int bits, bool interlace) {
    const std::string path = (dir_ / name).string();
    int error = 0;
    GifFileType* g = EGifOpenFileName(path.c_str(), false, &error);
    const int colors = 1 << bits;
    std::vector<GifColorType> table(static_cast<size_t>(colors));
    for (int i = 0; i < colors; ++i)
      table[static_cast<size_t>(i)] = {static_cast<GifByteType>(i * 7), static_cast<GifByteType>(255 - i),
                                       static_cast<GifByteType>(i)};
    ColorMapObject* map = GifMakeMapObject(colors, table.data());
    EGifPutScreenDesc(g, w, h, bits, 0, map);
    EGifPutImageDesc(g, 0, 0, w, h, interlace, nullptr);
    std::vector<GifPixelType> line(static_cast<size_t>(w));
    static constexpr int kOffsets[] = {0, 4, 2, 1};
    static constexpr int kJumps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < (interlace ? 4 : 1); ++pass) {
      for (int y = interlace ? kOffsets[pass] : 0; y < h; y += interlace ? kJumps[pass] : 1) {
        std::fill(line.begin(), line.end(), static_cast<GifPixelType>(y % colors));
        EGifPutLine(g, line.data(), w);
      }
    }
    EGifCloseFile(g, &error);
    GifFreeMapObject(map);
    return path;
  }

  Library lib_;
  fs::path dir_;
  PFN_allocimage alloc_;
  PFN_freeimage free_;
  PFN_copyimage copy_;
  PFN_jpeginfo jinfo_;
  PFN_loadjpg jload_;
  PFN_gifinfo ginfo_;
  PFN_loadgif gload_;
  PFN_victowinpal pal_;
};

TEST_F(Vic, EveryExportIsThereByItsLowerCaseName) {
  for (const char* name : {"allocimage", "copyimage", "freeimage", "gifinfo", "jpeginfo", "loadgif", "loadjpg",
                           "victowinpal", "imagetodib", "loadgifpalette", "viewimage", "calchisto", "calchistorgb"})
    EXPECT_NE(GetProcAddress(lib_.module, name), nullptr) << name;
}

TEST_F(Vic, JpegsOfEveryKindDecodeIntoTheirBitmap) {
  for (const bool grey : {true, false}) {
    for (const bool progressive : {false, true}) {
      const std::string path = Write("a.jpg", Jpeg(64, 32, grey, progressive));
      JpegData info{};
      ASSERT_EQ(jinfo_(path.c_str(), &info), 0);
      EXPECT_EQ(info.width, 64);
      EXPECT_EQ(info.height, 32);
      EXPECT_EQ(info.progressive, progressive ? 1 : 0);
      ASSERT_EQ(info.vbitcount, grey ? 8 : 24);
      imgdes image{};
      ASSERT_EQ(alloc_(&image, info.width, info.height, info.vbitcount), 0);
      ASSERT_EQ(jload_(path.c_str(), &image), 0);
      // Top row: left and right halves (rows are stored bottom-up).
      const unsigned char* top = image.ibuff + static_cast<size_t>(31) * image.buffwidth;
      if (grey) {
        EXPECT_NEAR(top[4], 30, 8);
        EXPECT_NEAR(top[60], 220, 8);
      } else {
        EXPECT_NEAR(top[4 * 3 + 2], 255, 12);  // red, as B G R
        EXPECT_NEAR(top[4 * 3 + 0], 0, 12);
        EXPECT_NEAR(top[60 * 3 + 0], 255, 12);  // blue
      }
      free_(&image);
      EXPECT_EQ(image.hBitmap, nullptr);
    }
  }
}

TEST_F(Vic, GifsOfOneToEightBitsInterlacedOrNotDecodeExactly) {
  for (int bits = 1; bits <= 8; ++bits) {
    for (const bool interlace : {false, true}) {
      const std::string path = Gif("a.gif", 20, 19, bits, interlace);
      GifData info{};
      ASSERT_EQ(ginfo_(path.c_str(), &info), 0) << bits;
      EXPECT_EQ(info.width, 20);
      EXPECT_EQ(info.height, 19);
      EXPECT_EQ(info.interlace, interlace ? 1 : 0);
      EXPECT_EQ(info.colors, 1 << bits);
      imgdes image{};
      ASSERT_EQ(alloc_(&image, info.width, info.height, info.vbitcount), 0);
      ASSERT_EQ(gload_(path.c_str(), &image), 0);
      const int colors = 1 << bits;
      for (unsigned y = 0; y < 19; ++y) {
        const unsigned char* row = image.ibuff + static_cast<size_t>(18 - y) * image.buffwidth;
        ASSERT_EQ(row[0], y % static_cast<unsigned>(colors)) << bits << " " << interlace << " row " << y;
        ASSERT_EQ(row[19], y % static_cast<unsigned>(colors));
      }
      EXPECT_EQ(image.palette[1 % colors].rgbRed, (1 % colors) * 7);
      HPALETTE palette = nullptr;
      EXPECT_EQ(pal_(&image, &palette), 0);
      EXPECT_NE(palette, nullptr);
      DeleteObject(palette);
      free_(&image);
    }
  }
}

TEST_F(Vic, BrokenLyingAndHugeFilesFailCleanly) {
  const std::vector<unsigned char> jpeg = Jpeg(64, 32, false, false);
  // Truncated: either refused or decoded with what is there, never more.
  const std::string cut = Write("cut.jpg", std::vector<unsigned char>(jpeg.begin(), jpeg.begin() + jpeg.size() / 3));
  JpegData info{};
  if (jinfo_(cut.c_str(), &info) == 0) {
    imgdes image{};
    ASSERT_EQ(alloc_(&image, info.width, info.height, info.vbitcount), 0);
    jload_(cut.c_str(), &image);
    free_(&image);
  }
  EXPECT_NE(jinfo_(Write("head.jpg", std::vector<unsigned char>(jpeg.begin(), jpeg.begin() + 20)).c_str(), &info), 0);
  // A header that claims 65000 x 65000.
  std::vector<unsigned char> huge = jpeg;
  for (size_t i = 0; i + 9 < huge.size(); ++i) {
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      huge[i + 5] = 0xFD;
      huge[i + 6] = 0xE8;
      huge[i + 7] = 0xFD;
      huge[i + 8] = 0xE8;
      break;
    }
  }
  EXPECT_EQ(jinfo_(Write("huge.jpg", huge).c_str(), &info), kVicBadRange);
  // Into an image smaller than the file says: nothing is written outside it.
  imgdes small{};
  ASSERT_EQ(alloc_(&small, 8, 4, 24), 0);
  EXPECT_EQ(jload_(Write("big.jpg", jpeg).c_str(), &small), 0);
  EXPECT_EQ(jload_(Write("grey.jpg", Jpeg(8, 8, true, false)).c_str(), &small), kVicBadRange);  // wrong depth
  free_(&small);

  std::vector<unsigned char> gif;
  {
    const std::string p = Gif("g.gif", 30, 30, 4, true);
    std::ifstream in(p, std::ios::binary);
    gif.assign(std::istreambuf_iterator<char>(in), {});
  }
  GifData ginfo{};
  EXPECT_NE(ginfo_(Write("cut.gif", std::vector<unsigned char>(gif.begin(), gif.begin() + 30)).c_str(), &ginfo), 0);
  std::vector<unsigned char> lying = gif;
  lying[6] = 0xFF;  // screen width 65535
  lying[7] = 0xFF;
  EXPECT_EQ(ginfo_(Write("lying.gif", lying).c_str(), &ginfo), kVicBadRange);
  imgdes g{};
  ASSERT_EQ(alloc_(&g, 30, 30, 8), 0);
  EXPECT_EQ(gload_(Write("lying2.gif", lying).c_str(), &g), kVicBadRange);
  EXPECT_NE(gload_(Write("cut2.gif", std::vector<unsigned char>(gif.begin(), gif.end() - 20)).c_str(), &g), 0);
  EXPECT_EQ(gload_((dir_ / "missing.gif").string().c_str(), &g), kVicNoFile);
  free_(&g);
  free_(nullptr);

  EXPECT_EQ(alloc_(&g, 16385, 1, 8), kVicBadRange);
  EXPECT_EQ(alloc_(&g, 0, 1, 8), kVicBadRange);
  EXPECT_EQ(alloc_(&g, 4, 4, 7), kVicBadRange);
  HPALETTE none = reinterpret_cast<HPALETTE>(1);
  imgdes empty{};
  EXPECT_NE(pal_(&empty, &none), 0);  // no palette: refused, harmless
  EXPECT_EQ(none, nullptr);
}

TEST_F(Vic, CopyStaysInsideTheTarget) {
  imgdes big{}, small{};
  ASSERT_EQ(alloc_(&big, 40, 30, 24), 0);
  ASSERT_EQ(alloc_(&small, 5, 3, 24), 0);
  std::memset(big.ibuff, 0x7F, static_cast<size_t>(big.buffwidth) * 30);
  EXPECT_EQ(copy_(&big, &small), 0);
  EXPECT_EQ(small.ibuff[0], 0x7F);
  EXPECT_EQ(copy_(&small, &big), 0);
  imgdes eight{};
  ASSERT_EQ(alloc_(&eight, 5, 3, 8), 0);
  EXPECT_EQ(copy_(&big, &eight), kVicBadRange);
  free_(&big);
  free_(&small);
  free_(&eight);
}

}  // namespace
