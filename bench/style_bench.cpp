// Report styles: the wizard's sample report painted over a 1x1 picture tiled
// across it, and a 4000x3000 JPEG decoded through the image library as the
// styles load their pictures. With CI set the JPEG is 400x300 (a short run).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "image_binding.h"
#include "style_preview.h"

namespace {

bool Short() { return std::getenv("CI") != nullptr; }

// The image library is found where the program keeps it.
void UseDistFolder() {
  static const bool moved = chdir(QV_BENCH_DIST_DIR) == 0;
  (void)moved;
}

std::string WriteJpeg(int width, int height) {
  const auto path =
      std::filesystem::temp_directory_path() / ("style_bench_" + std::to_string(::getpid()) + ".jpg");
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return {};
  jpeg_compress_struct c{};
  jpeg_error_mgr e{};
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, file);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 85, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < width; ++x) {
      row[static_cast<size_t>(x) * 3] = static_cast<unsigned char>(x);
      row[static_cast<size_t>(x) * 3 + 1] = static_cast<unsigned char>(c.next_scanline);
      row[static_cast<size_t>(x) * 3 + 2] = static_cast<unsigned char>(x ^ c.next_scanline);
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(file);
  return path.string();
}

void BM_DecodeJpeg(benchmark::State& state) {
  UseDistFolder();
  const int width = Short() ? 400 : 4000;
  const int height = Short() ? 300 : 3000;
  const std::string path = WriteJpeg(width, height);
  for (auto _ : state) {
    imgdes image{};
    if (!LoadJpegImage(path.c_str(), &image)) {
      state.SkipWithError("the image library could not decode the file");
      break;
    }
    LazyFreeImage(&image);
  }
  state.counters["pixels"] = static_cast<double>(width) * height;
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * width * height);
  std::filesystem::remove(path);
}
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);

// A page like the wizard's: the preview control and its four placeholders.
struct Page {
  HWND page = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 620, 440, nullptr, nullptr, nullptr, nullptr);
  HWND preview = Child(kPreviewId, 10, 10, 600, 420, SS_OWNERDRAW);
  Page() {
    Child(kTitlePlaceholder, 20, 20, 580, 24, 0);
    Child(kSectionPlaceholder, 30, 60, 560, 26, 0);
    Child(kDescriptionPlaceholder, 30, 92, 560, 16, 0);
    Child(kTablePlaceholder, 50, 140, 520, 270, 0);
  }
  ~Page() { DestroyWindow(page); }
  HWND Child(int id, int x, int y, int w, int h, DWORD style) const {
    return CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, page,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }
};

void BM_PreviewOverOnePixelTiles(benchmark::State& state) {
  UseDistFolder();
  StyleModel model;
  ResetStyleModel(model, nullptr);
  if (LazyAllocImage(&model.backgroundImage, 1, 1, 24) != 0) {
    state.SkipWithError("the image library is missing");
    return;
  }
  model.backgroundImageMode = 1;
  Page page;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 600, 420);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, target);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_STATIC;
  item.CtlID = kPreviewId;
  item.hwndItem = page.preview;
  item.hDC = dc;
  item.rcItem = RECT{0, 0, 600, 420};
  for (auto _ : state) {
    DrawStylePreview(model, page.page, &item);
    benchmark::DoNotOptimize(GetPixel(dc, 1, 1));
  }
  state.counters["tiles"] = 600.0 * 420.0;
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
  ReleaseStyleImages(model);
}
BENCHMARK(BM_PreviewOverOnePixelTiles)->Unit(benchmark::kMillisecond);

}  // namespace
