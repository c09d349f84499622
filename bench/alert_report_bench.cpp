// An alert report's reading and summarising over a status log of 100,000
// entries: prints entries per second and the time of one whole pass.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "entry_format.h"
#include "report_events.h"

namespace {

constexpr int kEntries = 100000;

const std::string& LogPath() {
  static const std::string path = [] {
    const auto file = std::filesystem::temp_directory_path() / "qv_alert_report_bench.log";
    std::ofstream out(file, std::ios::binary);
    const uint32_t start = 1000000000u;
    for (int i = 0; i < kEntries; ++i) {
      const std::string id = i % 4 == 0 ? "701" : "700";  // a quarter belongs to another profile
      QVLS_FIELD fields[5] = {{1, "BOX"}, {4, "STATUS"}, {5, ""}, {8, ""}, {10, "0 Up"}};
      std::snprintf(fields[2].text, sizeof fields[2].text, "%s", i % 3 == 0 ? "DOWN" : "UP");
      std::snprintf(fields[3].text, sizeof fields[3].text, "%s", id.c_str());
      out << qvls::EncodeEntry(fields, 5, start + static_cast<uint32_t>(i) * 30u);
    }
    return file.string();
  }();
  return path;
}

void BM_ReadAndSummariseStatusLog(benchmark::State& state) {
  EventQuery query;
  query.logPath = LogPath();
  query.profileId = 700;
  query.timeRange = 0;
  query.now = 1000000000 + kEntries * 30;
  int events = 0;
  double seconds = 0;
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    ReportEventTable table;
    ReadProfileEvents(query, &table, nullptr);
    ReportStatistics stats;
    SummariseEvents(&table, &stats, {});
    events = table.count;
    benchmark::DoNotOptimize(stats.totalUp);
    FreeReportEvents(&table);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
  state.counters["events"] = events;
  state.counters["pass_ms"] = seconds * 1000.0;
  std::printf("status log of %d entries: %d events kept, %.1f ms a pass, %.0f entries/s\n", kEntries, events,
              seconds * 1000.0, seconds > 0 ? kEntries / seconds : 0.0);
}
BENCHMARK(BM_ReadAndSummariseStatusLog)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
