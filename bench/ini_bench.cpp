// Settings-file reads and writes: every call reads the whole file, and every
// write replaces it, so the figures grow with the file's size (the argument:
// keys in the file).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "qvplatform.h"

namespace {

// A settings file with `keys` entries in [Bench] and a few other sections,
// under a temporary directory removed afterwards.
class BenchFile {
 public:
  explicit BenchFile(int keys) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qv-ini-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    path_ = dir_ + "/bench.ini";
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fputs("; benchmark settings\r\n[Defaults]\r\nListRefreshRate=30\r\n\r\n[Bench]\r\n", f);
    for (int i = 0; i < keys; ++i) std::fprintf(f, "Key%05d=value number %d\r\n", i, i);
    std::fputs("\r\n[eMail]\r\nSubject=Quorvane Reports\r\n", f);
    std::fclose(f);
  }
  ~BenchFile() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  BenchFile(const BenchFile&) = delete;
  BenchFile& operator=(const BenchFile&) = delete;

  const char* path() const { return path_.c_str(); }

 private:
  std::string dir_;
  std::string path_;
};

std::string MiddleKey(int keys) {
  char key[16];
  std::snprintf(key, sizeof key, "Key%05d", keys / 2);
  return key;
}

void BM_GetPrivateProfileString(benchmark::State& state) {
  const int keys = static_cast<int>(state.range(0));
  BenchFile file(keys);
  const std::string key = MiddleKey(keys);
  char value[256];
  for (auto _ : state) {
    DWORD n = GetPrivateProfileStringA("bench", key.c_str(), "", value, sizeof value, file.path());
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetPrivateProfileString)->Arg(10)->Arg(100)->Arg(1000)->Arg(5000);

void BM_GetPrivateProfileInt(benchmark::State& state) {
  BenchFile file(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    UINT n = GetPrivateProfileIntA("Defaults", "ListRefreshRate", 0, file.path());
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetPrivateProfileInt)->Arg(10)->Arg(1000);

void BM_GetPrivateProfileString_KeyList(benchmark::State& state) {
  BenchFile file(static_cast<int>(state.range(0)));
  std::string buffer(1 << 20, '\0');
  for (auto _ : state) {
    DWORD n = GetPrivateProfileStringA("Bench", nullptr, "", buffer.data(), static_cast<DWORD>(buffer.size()),
                                       file.path());
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetPrivateProfileString_KeyList)->Arg(100)->Arg(5000);

// Each write changes the value, so the file is really replaced every time.
void BM_WritePrivateProfileString(benchmark::State& state) {
  const int keys = static_cast<int>(state.range(0));
  BenchFile file(keys);
  const std::string key = MiddleKey(keys);
  int round = 0;
  for (auto _ : state) {
    std::string value = "changed " + std::to_string(round++);
    BOOL ok = WritePrivateProfileStringA("Bench", key.c_str(), value.c_str(), file.path());
    benchmark::DoNotOptimize(ok);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WritePrivateProfileString)->Arg(10)->Arg(100)->Arg(1000)->Arg(5000);

// Writers on several threads, each changing its own key of one file.
void BM_WritePrivateProfileString_Contended(benchmark::State& state) {
  static BenchFile* file = nullptr;
  if (state.thread_index() == 0) file = new BenchFile(100);
  const std::string key = "Thread" + std::to_string(state.thread_index());
  int round = 0;
  for (auto _ : state) {
    std::string value = std::to_string(round++);
    BOOL ok = WritePrivateProfileStringA("Bench", key.c_str(), value.c_str(), file->path());
    benchmark::DoNotOptimize(ok);
  }
  state.SetItemsProcessed(state.iterations());
  if (state.thread_index() == 0) {
    delete file;
    file = nullptr;
  }
}
BENCHMARK(BM_WritePrivateProfileString_Contended)->Threads(1)->Threads(4)->UseRealTime();

}  // namespace
