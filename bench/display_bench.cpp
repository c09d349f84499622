// Figures for text output with the fixed metric model and with raster text,
// and for picturing a dialog (repaint, composition, PNG file).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "qvplatform.h"
#include "qvplatform/display.h"
#include "qvplatform/dlgtemplate.h"

namespace {

const char kLine[] = "Monitor 'Mail relay' is down since 12:04 (3 attempts)";

void TextOut(benchmark::State& state, bool raster) {
  qvp::SetRasterText(raster);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(600, 40, 1, 32, nullptr);
  HGDIOBJ old_bmp = SelectObject(dc, bmp);
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  HGDIOBJ old_font = SelectObject(dc, font);
  for (auto _ : state) benchmark::DoNotOptimize(TextOutA(dc, 2, 2, kLine, sizeof kLine - 1));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(sizeof kLine - 1));
  SelectObject(dc, old_font);
  SelectObject(dc, old_bmp);
  DeleteObject(font);
  DeleteObject(bmp);
  DeleteDC(dc);
  qvp::SetRasterText(false);
}

void BM_TextOutFixedModel(benchmark::State& state) { TextOut(state, false); }
void BM_TextOutRaster(benchmark::State& state) { TextOut(state, true); }
BENCHMARK(BM_TextOutFixedModel);
BENCHMARK(BM_TextOutRaster);

INT_PTR CALLBACK Plain(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

void BM_SnapshotDialog(benchmark::State& state) {
  qvp::DialogDesc d;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE;
  d.cx = 220;
  d.cy = 140;
  d.caption = qvp::NameOrId::Text("Snapshot");
  d.font_face = qvp::NameOrId::Text("MS Sans Serif");
  d.font_point_size = 8;
  for (int i = 0; i < 6; ++i) {
    qvp::ControlDesc c;
    c.window_class = qvp::NameOrId::Text(i % 2 ? "Edit" : "Button");
    c.id = static_cast<uint32_t>(100 + i);
    c.text = qvp::NameOrId::Text("Item " + std::to_string(i));
    c.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    c.exstyle = i % 2 ? WS_EX_CLIENTEDGE : 0;
    c.x = 7;
    c.y = static_cast<int16_t>(7 + 18 * i);
    c.cx = 120;
    c.cy = 14;
    d.controls.push_back(c);
  }
  std::vector<uint8_t> block;
  std::string error;
  qvp::BuildDialogTemplate(d, &block, &error);
  HWND dlg = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(block.data()), nullptr, Plain, 0);
  const std::string path = (std::filesystem::temp_directory_path() / "qv_display_bench.png").string();
  for (auto _ : state) benchmark::DoNotOptimize(qvp::SnapshotWindow(dlg, path.c_str()));
  DestroyWindow(dlg);
  std::filesystem::remove(path);
}
BENCHMARK(BM_SnapshotDialog)->Unit(benchmark::kMillisecond);

}  // namespace
