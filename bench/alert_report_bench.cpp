// A whole alert report over a status log of 100,000 entries, made as a
// scheduled run makes it: the plug-in reads the log, keeps the profile's
// events, summarises them, writes the control file, and the report engine
// writes the complete report (one table row per event) from the shipped
// templates through the plug-in's callbacks. Prints entries per second and
// the time of one whole report. With CI set, a short run over 10,000 entries.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "alert_plugin.h"
#include "entry_format.h"
#include "plugin_globals.h"
#include "qv_report.h"
#include "report_context.h"
#include "report_request.h"
#include "report_runner.h"

namespace {

namespace fs = std::filesystem;

bool Short() { return std::getenv("CI") != nullptr; }
int Entries() { return Short() ? 10000 : 100000; }

constexpr uint32_t kStart = 1000000000u;

// A program directory of its own: the engine's script, style and pictures
// and the plug-in's templates from the built tree, one profile and the log.
struct ProgramDir {
  fs::path path;
  std::string dir;  // with its trailing separator, as the plug-in spells it
  std::string log;

  ProgramDir() {
    path = fs::temp_directory_path() / ("qv_alert_report_bench_" + std::to_string(std::time(nullptr)));
    dir = path.string() + "/";
    const fs::path dist = QV_BENCH_DIST_DIR;
    fs::create_directories(path / "qvm_alrt" / "datfiles");
    fs::create_directories(path / "out");
    for (const char* name : {"qv_report.pl", "Style.ini", "Base"})
      fs::create_symlink(dist / name, path / name);
    fs::create_symlink(dist / "qvm_alrt" / "TEMPLATE", path / "qvm_alrt" / "TEMPLATE");
    std::ofstream(path / "qvm_alrt" / "datfiles" / "lert0000.amp")
        << "[Profile]\nDescription=Web server\nProfileID=700\n[Monitor]\nHostName=h1\nMonitorType=PING\n";
    log = (path / "qvm_alrt" / "QVM_ALRT.LOG").string();
    std::ofstream out(log, std::ios::binary);
    for (int i = 0; i < Entries(); ++i) {
      const char* id = i % 4 == 0 ? "701" : "700";  // a quarter belongs to another profile
      QVLS_FIELD fields[5] = {{1, "BOX"}, {4, "STATUS"}, {5, ""}, {8, ""}, {10, "0 Up"}};
      std::snprintf(fields[2].text, sizeof fields[2].text, "%s", i % 3 == 0 ? "DOWN" : "UP");
      std::snprintf(fields[3].text, sizeof fields[3].text, "%s", id);
      out << qvls::EncodeEntry(fields, 5, kStart + static_cast<uint32_t>(i) * 30u);
    }
  }
  ~ProgramDir() {
    std::error_code error;
    fs::remove_all(path, error);
  }
};

// Host callback 15 as the program answers it.
int CreateReport(const char* script, void* request, ReportSummaryProc summary, ReportPropertyProc property,
                 ReportStatusProc status, ReportFileProc files) {
  return PerlRun(script, request, summary, property, status, files);
}

void BM_WholeAlertReport(benchmark::State& state) {
  setenv("TZ", "UTC", 1);
  tzset();
  ProgramDir program;
  SetPluginLocalDirectory(program.dir.c_str());
  StoreHostCallback(HC_CREATE_REPORT, reinterpret_cast<FARPROC>(&CreateReport));
  const time_t end = static_cast<time_t>(kStart) + static_cast<time_t>(Entries()) * 30;
  SetReportClockForTests([end] { return end; });
  CAlertPlugin plugin(nullptr, program.dir.c_str());
  SetThePlugin(&plugin);
  PROFILE* row = nullptr;
  if (plugin.FindProfile(nullptr, nullptr, nullptr, &row) != PLUGIN_DONE) {
    state.SkipWithError("the profile was not loaded");
  }

  double seconds = 0;
  int events = 0;
  int made = 0;
  for (auto _ : state) {
    if (row == nullptr) break;
    ReportRequestWithReport run{};
    run.request.profile = row;
    run.request.report = &run.report;
    run.request.scheduled = 1;
    std::snprintf(run.request.logPath, sizeof run.request.logPath, "%sSCHEDULE.LOG", program.dir.c_str());
    std::snprintf(run.report.reportTitle, sizeof run.report.reportTitle, "Bench");
    run.report.reportType = 2;  // complete: a row for every event
    std::snprintf(run.report.saveTo, sizeof run.report.saveTo, "%sout\\report.htm", program.dir.c_str());
    ReportContext context;
    context.request = &run.request;
    const auto begin = std::chrono::steady_clock::now();
    made = MakeForegroundReport(&context, program.log.c_str(), [](const char*, int, int) { return true; });
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    events = context.events.count;
    FreeReportEvents(&context.events);
    if (made != 1) {
      state.SkipWithError("the report was not made; see SCHEDULE.LOG");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * Entries());
  std::error_code error;
  const auto bytes = fs::file_size(program.path / "out" / "report.htm", error);
  std::printf("whole report over %d log entries: %d events kept, %.3f s, %.0f entries/s, %ju bytes of HTML\n",
              Entries(), events, seconds, seconds > 0 ? Entries() / seconds : 0.0,
              static_cast<uintmax_t>(error ? 0 : bytes));
  if (made != 1) {
    std::ifstream log(program.path / "SCHEDULE.LOG");
    std::fprintf(stderr, "%s\n", std::string(std::istreambuf_iterator<char>(log), {}).c_str());
  }

  SetThePlugin(nullptr);
  SetReportClockForTests(nullptr);
  ClearHostCallbacks();
  SetPluginLocalDirectory("");
}
BENCHMARK(BM_WholeAlertReport)->Unit(benchmark::kMillisecond)->Iterations(Short() ? 1 : 3);

}  // namespace
