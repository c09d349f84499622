// Figures for the report engine: one report over a table of 100,000 entries,
// each row asking five values, as a complete alert report over a long status
// log does. Prints the entries per second and the time of one whole report.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "qv_report.h"

namespace {

constexpr int kEntries = 100000;

struct Source {
  std::vector<std::string> types;
  std::vector<std::string> dates;
  std::string value;
  std::string control;
  std::string directory;
};

char* Summary(void* request, const char* token, int index, int, char*, char* status) {
  auto* source = static_cast<Source*>(request);
  std::strcpy(status, QVR_TOKEN_OK);
  const auto at = static_cast<size_t>(index);
  if (std::strcmp(token, "Var_Alert_Event_Type") == 0) {
    source->value = source->types[at % source->types.size()];
  } else if (std::strcmp(token, "Var_Alert_Event_Date") == 0) {
    source->value = source->dates[at % source->dates.size()];
  } else if (std::strcmp(token, "Var_Alert_Event_Index") == 0) {
    source->value = std::to_string(index);
  } else {
    source->value = "200 OK <fine> & \"well\"";
  }
  return source->value.data();
}
char* Property(void* request, int id) {
  auto* source = static_cast<Source*>(request);
  return id == 3 ? source->control.data() : source->directory.data();
}
int Status(void*, int, int, const char*, int) { return 1; }
int Files(void*, int, const char*) { return 1; }

void BM_ReportOver100000Entries(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / ("qvreport_bench_" + std::to_string(std::time(nullptr)));
  std::filesystem::create_directories(dir);
  const auto file = [&](const char* name) { return (dir / name).string(); };
  std::ofstream(dir / "frame.pl") << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Bench"
                                     "</title><style>\n@@STYLE@@\n</style></head><body>\n@@BODY@@\n</body></html>\n";
  std::ofstream(dir / "t.rpl") << "<EVENTS> {Events}\r\n";
  std::ofstream(dir / "t.var") << ".BLOCK Events\n<table><caption>@<EVENTS></caption><tbody>\n.REPEAT\n"
                                  "<tr><td>$(Var_Alert_Event_Index)</td><td>$(Var_Alert_Event_Type)</td>"
                                  "<td>$(Var_Alert_Event_Date)</td><td>$(Var_Alert_Event_Time)</td>"
                                  "<td>$(Var_Alert_Extended_Error_Desc)</td></tr>\n.ENDREPEAT\n</tbody></table>\n"
                                  ".ENDBLOCK\n";
  std::ofstream(dir / "ALERT.WCT") << "[General]\r\nSaveReportAs=" << file("report.htm")
                                   << "\r\nReportStyle=None\r\nReportLanguage=" << file("t.rpl")
                                   << "\r\nTemplateFile=" << file("t.var") << "\r\nReportFormat=HTML\r\n[Content]\r\n"
                                   << "ReportObjects=1\r\nObject1=Events\r\nObject1_Type=TABLE\r\nObject1_Nested=1\r\n"
                                   << "Object1_TableElements1=" << kEntries << "\r\n";
  Source source;
  source.types = {"STATUS_UP", "STATUS_DOWN", "RECOVERY", "HELLO", "GOODBYE"};
  source.dates = {"Mon, Jan 1, 2024", "Tue, Feb 13, 2024", "Sun, Dec 31, 2023"};
  source.control = file("ALERT.WCT");
  source.directory = dir.string();
  const std::string frame = file("frame.pl");
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const int result = PerlRun(frame.c_str(), &source, Summary, Property, Status, Files);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (result != QVR_MADE) state.SkipWithError("the report was not made");
  }
  state.counters["entries/s"] = benchmark::Counter(static_cast<double>(kEntries) * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
  std::printf("report over %d entries: %.3f s (%.0f entries/s), %ju bytes\n", kEntries, seconds,
              seconds > 0 ? kEntries / seconds : 0.0,
              static_cast<uintmax_t>(std::filesystem::file_size(dir / "report.htm")));
  std::error_code error;
  std::filesystem::remove_all(dir, error);
}
BENCHMARK(BM_ReportOver100000Entries)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
