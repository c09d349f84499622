// Style pictures through the image library bound by name: without it the
// styles keep their colours and their file; with it, pictures decode.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>

#include "image_binding.h"
#include "style_model.h"
#include "test_dir.h"

namespace {

void WriteGif(const std::string& path) {
  int error = 0;
  GifFileType* g = EGifOpenFileName(path.c_str(), false, &error);
  GifColorType colors[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  ColorMapObject* map = GifMakeMapObject(4, colors);
  EGifPutScreenDesc(g, 8, 8, 2, 0, map);
  EGifPutImageDesc(g, 0, 0, 8, 8, false, nullptr);
  std::vector<GifPixelType> line(8, 1);
  for (int y = 0; y < 8; ++y) EGifPutLine(g, line.data(), 8);
  EGifCloseFile(g, &error);
  GifFreeMapObject(map);
}

void WriteJpeg(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  jpeg_compress_struct c{};
  jpeg_error_mgr e{};
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, file);
  c.image_width = 16;
  c.image_height = 16;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(48, 200);
  JSAMPROW r = row.data();
  while (c.next_scanline < c.image_height) jpeg_write_scanlines(&c, &r, 1);
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(file);
}

class Pictures : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStyleModel(model_, nullptr);
    model_.filePath = dir_.file("Style.ini");
    std::filesystem::create_directories(dir_.path() / "Base" / "Images");
    WriteGif((dir_.path() / "Base" / "Images" / "Logo.GIF").string());
    WriteJpeg((dir_.path() / "Base" / "Images" / "back.jpg").string());
    model_.logoName = "Logo.GIF";
    model_.backgroundImageName = "back.jpg";
    model_.backgroundImageMode = 1;
    model_.colors[0] = RGB(255, 0, 0);
    ASSERT_EQ(SaveStyle(model_, "Pictured"), StyleChange::kDone);
  }
  void TearDown() override { ReleaseStyleImages(model_); }

  TestDir dir_;
  StyleModel model_;
};

// Runs first: the library is not beside this test, nor in its folder.
TEST_F(Pictures, WithoutTheLibraryStylesKeepColoursAndTheirFile) {
  JpegData info{};
  EXPECT_EQ(LazyJpegInfo("x.jpg", &info), kImageLibraryMissing);
  imgdes image{};
  EXPECT_EQ(LazyAllocImage(&image, 1, 1, 8), kImageLibraryMissing);
  LazyFreeImage(&image);  // harmless
  EXPECT_EQ(LoadGifImage("x.gif", &image), 0);
  const std::string before = dir_.read("Style.ini");
  ReadStyle(model_, "Pictured");
  EXPECT_EQ(model_.colors[0], RGB(255, 0, 0));
  EXPECT_EQ(model_.logoImage.hBitmap, nullptr);
  EXPECT_EQ(model_.backgroundImageMode, 1);  // as the name says
  ASSERT_EQ(SaveStyle(model_, "Pictured"), StyleChange::kDone);
  EXPECT_EQ(dir_.read("Style.ini"), before);
}

TEST_F(Pictures, WithTheLibraryTheStylesPicturesDecode) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(QV_DIST_DIR), 0);  // where the program keeps its libraries
  ReadStyle(model_, "Pictured");
  EXPECT_NE(model_.logoImage.hBitmap, nullptr);
  EXPECT_NE(model_.logoPalette, nullptr);
  ASSERT_NE(model_.backgroundImage.hBitmap, nullptr);
  EXPECT_EQ(model_.backgroundImage.endx, 15u);
  EXPECT_EQ(model_.logoImage.palette[1].rgbRed, 255);
  EXPECT_EQ(model_.logoName, "Logo.GIF");  // the name keeps its case
  // A picture that no longer decodes leaves the one there was.
  const HBITMAP logo = model_.logoImage.hBitmap;
  dir_.write("Base/Images/Logo.GIF", "GIF89a broken");
  ReadStyle(model_, "Pictured");
  EXPECT_EQ(model_.logoImage.hBitmap, logo);
  // A name without a picture's extension loads nothing and keeps nothing new.
  WritePrivateProfileStringA("Pictured", "BackgroundImage", "", model_.filePath.c_str());
  ReadStyle(model_, "Pictured");
  EXPECT_EQ(model_.backgroundImage.hBitmap, nullptr);
  EXPECT_EQ(model_.backgroundImageMode, 0);
  ASSERT_EQ(chdir(cwd), 0);
}

TEST(ShippedStyles, BothStylesAndTheirPicturesRead) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(QV_DIST_DIR), 0);
  StyleModel model;
  ResetStyleModel(model, nullptr);
  model.filePath = std::string(QV_DIST_DIR) + "/Style.ini";
  EXPECT_EQ(ReadStyleNames(model), (std::vector<std::string>{"Standard", "Sky"}));
  ReadStyle(model, "Sky");
  EXPECT_EQ(model.backgroundImageMode, 1);
  ASSERT_NE(model.backgroundImage.hBitmap, nullptr);
  EXPECT_EQ(model.backgroundImage.endx, 63u);
  ASSERT_NE(model.logoImage.hBitmap, nullptr);
  EXPECT_EQ(model.logoImage.endx, 87u);
  ReadStyle(model, "Standard");
  EXPECT_EQ(model.backgroundImageMode, 0);
  EXPECT_EQ(model.backgroundImage.hBitmap, nullptr);
  ReleaseStyleImages(model);
  ASSERT_EQ(chdir(cwd), 0);
}

}  // namespace
