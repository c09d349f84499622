// Printing to PDF: 1,000 pages of report text through a printer context, from
// the first page drawn to the file written. Usage: print_pdf_bench [--short]
// (--short: 50 pages, for a quick check) [benchmark options].
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "qvplatform.h"

namespace {

int g_pages = 1000;
constexpr int kLinesPerPage = 60;

std::filesystem::path Folder() {
  static const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("print_pdf_bench_" + std::to_string(::getpid()));
  return dir;
}

HDC PdfPrinter() {
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
  if (!PrintDlgA(&pd)) return nullptr;
  GlobalFree(pd.hDevMode);
  GlobalFree(pd.hDevNames);
  return pd.hDC;
}

void BM_PagesToPdf(benchmark::State& state) {
  const int pages = static_cast<int>(state.range(0));
  std::uintmax_t bytes = 0;
  for (auto _ : state) {
    HDC dc = PdfPrinter();
    if (dc == nullptr) {
      state.SkipWithError("no printer context");
      return;
    }
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    HFONT font = CreateFontA(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                             FIXED_PITCH | FF_MODERN, "Courier New");
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    DOCINFOA doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = "Bench Report";
    bool ok = StartDocA(dc, &doc) > 0;
    char line[160];
    for (int p = 0; ok && p < pages; ++p) {
      ok = StartPage(dc) > 0;
      for (int l = 0; ok && l < kLinesPerPage; ++l) {
        const int n = std::snprintf(line, sizeof line,
                                    "%05d %02d  www.example.test  HTTP  up  %3d ms  r\xE9sum\xE9 of the hour's polls  %d",
                                    p, l, (p * 7 + l) % 900, p * kLinesPerPage + l);
        TextOutA(dc, dpi * 3 / 4, dpi / 2 + l * (tm.tmHeight + tm.tmExternalLeading), line, n);
      }
      ok = ok && EndPage(dc) > 0;
    }
    ok = ok && EndDoc(dc) > 0;
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    if (!ok) {
      state.SkipWithError("the document was not written");
      return;
    }
    const std::string file = qvp::LastPrintedFile();
    bytes = std::filesystem::file_size(file);
    std::filesystem::remove(file);
  }
  state.counters["pages"] = pages;
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(pages) * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
  state.counters["PDF KiB"] = static_cast<double>(bytes) / 1024.0;
  state.counters["KiB/page"] = static_cast<double>(bytes) / 1024.0 / pages;
}

}  // namespace

int main(int argc, char** argv) {
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--short") == 0)
      g_pages = 50;
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  std::filesystem::create_directories(Folder());
  setenv("QV_PRINT_DIR", Folder().c_str(), 1);
  qvp::SetPrinters({"PDF File"});
  benchmark::RegisterBenchmark("BM_PagesToPdf", BM_PagesToPdf)
      ->Arg(g_pages)
      ->Iterations(1)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove_all(Folder(), ec);
  return 0;
}
