// The viewer control's text: loading and searching a 50 MB log.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "viewer_lines.h"

namespace {

const std::string& LogFile() {
  static const std::string path = [] {
    const auto file = std::filesystem::temp_directory_path() / ("viewer_bench_" + std::to_string(::getpid()) + ".log");
    std::ofstream out(file, std::ios::binary);
    std::string line;
    size_t written = 0;
    for (long i = 0; written < (50u << 20); ++i) {
      line = "2026-12-09 13:40:" + std::to_string(i % 60) + " scheduled run " + std::to_string(i) +
             " finished: report written to C:\\Reports\\weekly.htm\r\n";
      out << line;
      written += line.size();
    }
    out << "the needle at the end\r\n";
    return file.string();
  }();
  return path;
}

void BM_Load50MbLog(benchmark::State& state) {
  const std::string& path = LogFile();
  for (auto _ : state) {
    ViewerLines lines;
    benchmark::DoNotOptimize(lines.LoadFile(path.c_str()));
    state.counters["lines"] = static_cast<double>(lines.Count());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_Load50MbLog)->Unit(benchmark::kMillisecond);

void BM_FindAtTheEndOf50MbLog(benchmark::State& state) {
  ViewerLines lines;
  lines.LoadFile(LogFile().c_str());
  for (auto _ : state) {
    size_t end = 0;
    benchmark::DoNotOptimize(lines.Find("NEEDLE", 0, &end));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(lines.Size()));
}
BENCHMARK(BM_FindAtTheEndOf50MbLog)->Unit(benchmark::kMillisecond);

}  // namespace

// The log goes when the benchmarks are done.
static const struct Cleanup {
  ~Cleanup() { std::filesystem::remove(std::filesystem::temp_directory_path() / ("viewer_bench_" + std::to_string(::getpid()) + ".log")); }
} g_cleanup;
