// Reading a status log through damaged stretches: a file of headers that each
// claim a long body that is never there (the argument: the file's size in
// MiB). Passing over the damage should cost the same per byte at any size.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "qv_logstat.h"

namespace {

// "QVLS", a body length of 0x4246 with its matching check, and a checksum of 0,
// repeated; then one whole entry.
std::string FalseHeaders(size_t bytes) {
  std::string header("QVLS", 4);
  for (uint32_t word : {0x4246u, 0x4246u ^ 0xA5C3E1F7u, 0u}) {
    for (int shift = 0; shift < 32; shift += 8) header += static_cast<char>((word >> shift) & 0xFFu);
  }
  std::string text;
  text.reserve(bytes);
  while (text.size() < bytes) text += header;
  return text;
}

void BM_ReadPastFalseHeaders(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0)) << 20;
  std::string pattern = (std::filesystem::temp_directory_path() / "qv-log-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  const std::string path = pattern + "/status.log";
  {
    const std::string text = FalseHeaders(bytes);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  QVLS_FIELD field{4, "AFTER"};
  QVLS_WriteEntryIntoLogStatusFile(nullptr, &field, 1, 0, path.c_str(), 0);
  for (auto _ : state) {
    HQVLSREADER reader = QVLS_LogStatusFileStartup(path.c_str());
    QVLS_ENTRY_FIELD* fields = nullptr;
    int count = 0;
    const int result = QVLS_ReadEntryFromLogStatusFile(reader, &fields, &count);
    benchmark::DoNotOptimize(result);
    QVLS_FreeEntry(fields);
    QVLS_LogStatusFileCleanup(reader);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
  std::error_code ignored;
  std::filesystem::remove_all(pattern, ignored);
}
BENCHMARK(BM_ReadPastFalseHeaders)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace
