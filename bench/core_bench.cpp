// Figures for the core's per-call costs: every settings read and every date
// text reads its file anew, and whole files go through locked buffers.
#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "date_time.h"
#include "file_io.h"
#include "program_paths.h"
#include "settings.h"

namespace {

// A program directory under the temporary directory for the whole run.
class BenchDir {
 public:
  BenchDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("qvcore_bench_" + std::to_string(std::time(nullptr)));
    std::filesystem::create_directories(path_);
    qv::SetProgramDirForTests((path_.string() + "/").c_str());
    qvp::SetWindowsDirectory(path_.string().c_str());
    std::ofstream(path_ / "QUORVANE.INI") << "[Defaults]\r\nCPUUsage=40\r\n";
    std::ofstream(path_ / "WIN.INI") << "[intl]\r\niDate=1\r\nsDate=.\r\n";
  }
  ~BenchDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  std::string file(const char* name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

BenchDir& Dir() {
  static BenchDir dir;
  return dir;
}

void BM_ReadCpuUsageSetting(benchmark::State& state) {
  Dir();
  for (auto _ : state) benchmark::DoNotOptimize(ReadCpuUsageSetting());
}
BENCHMARK(BM_ReadCpuUsageSetting);

void BM_FormatDateTime(benchmark::State& state) {
  Dir();
  char timeText[DATE_TIME_TEXT_SIZE];
  char dateText[DATE_TIME_TEXT_SIZE];
  time_t value = 946684799;
  for (auto _ : state) {
    FormatDateTime(timeText, dateText, value++);
    benchmark::DoNotOptimize(dateText);
  }
}
BENCHMARK(BM_FormatDateTime);

void BM_ReadWholeFile(benchmark::State& state) {
  const std::string path = Dir().file("whole.bin");
  std::ofstream(path, std::ios::binary) << std::string(static_cast<size_t>(state.range(0)), 'x');
  for (auto _ : state) {
    HGLOBAL holder = nullptr;
    DWORD size = 0;
    benchmark::DoNotOptimize(ReadWholeFile(path.c_str(), &holder, FALSE, 0, &size));
    FreeLockedBuffer(&holder);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadWholeFile)->Arg(64000)->Arg(1 << 20);

void BM_WriteWholeFile(benchmark::State& state) {
  const std::string path = Dir().file("written.bin");
  const std::string bytes(static_cast<size_t>(state.range(0)), 'y');
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        WriteWholeFile(path.c_str(), bytes.data(), static_cast<DWORD>(bytes.size())));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteWholeFile)->Arg(64000)->Arg(1 << 20);

}  // namespace
