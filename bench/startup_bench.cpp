// Start-up of the monitoring plug-in with many profile files: loading them,
// handing their rows to the program, adding their devices to the engine and
// one refresh of the program's list (the texts of every row); and the cost of
// one settings read in a folder of many files against a folder of few.
//
// Usage: startup_bench [--short] [--max N]   (--short: 1,000 profiles only)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "alert_plugin.h"
#include "monitor_engine.h"
#include "qvplatform.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

fs::path MakeDir(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("qv-startup-bench-" + std::to_string(::getpid()) + "-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir / "qvm_alrt" / "datfiles");
  return dir;
}

void WriteProfiles(const fs::path& dir, int count) {
  for (int n = 0; n < count; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "lert%04d.amp", n);
    std::FILE* f = std::fopen((dir / "qvm_alrt" / "datfiles" / name).c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fprintf(f,
                 "[Profile]\r\nMajorVersion=1\r\nMinorVersion=1\r\nDescription=Device %d\r\nLogPath=\r\nProfileID=%u\r\n"
                 "[AlertConfig]\r\nAudio=0\r\nEmail=0\r\nPager=0\r\n"
                 "[Monitor]\r\nUpAlarm=1\r\nDisabled=0\r\nHostName=127.0.%d.%d\r\nUserName=\r\nPassword=\r\nHostPath=\r\n"
                 "MonitorType=HTTP\r\nPollTime=1\r\nPollTimeUnit=0\r\nFailTime=1\r\nFailTimeUnit=0\r\nPortID=80\r\n",
                 n, 100000u + static_cast<unsigned>(n), n / 250, 1 + n % 250);
    std::fclose(f);
  }
}

void StartUp(int count) {
  const fs::path dir = MakeDir(std::to_string(count));
  WriteProfiles(dir, count);
  const std::string local = dir.string() + "/";

  auto start = Clock::now();
  auto plugin = std::make_unique<CAlertPlugin>(nullptr, local.c_str());
  const double load = Since(start);

  start = Clock::now();
  std::vector<PROFILE*> rows;
  PROFILE* row = nullptr;
  while (plugin->FindProfile(nullptr, row, nullptr, &row) == PLUGIN_DONE && row != nullptr) rows.push_back(row);
  const double enumerate = Since(start);

  auto engine = std::make_unique<MonitorEngine>(plugin.get());
  plugin->SetDeviceList(engine.get());
  start = Clock::now();
  engine->Prepare();
  const double prepare = Since(start);

  start = Clock::now();
  char text[500];
  for (PROFILE* r : rows) FormatMainListText(plugin.get(), engine.get(), r, text, sizeof text);
  const double refresh = Since(start);

  std::printf("%6d profiles: load %8.3f s | rows %8.3f s | devices %8.3f s | one list refresh %9.3f ms (%zu rows)\n",
              count, load, enumerate, prepare, refresh * 1000.0, rows.size());
  std::fflush(stdout);
  plugin->SetDeviceList(nullptr);
  engine.reset();
  plugin.reset();
  fs::remove_all(dir);
}

void OneRead(int files) {
  const fs::path dir = MakeDir("read" + std::to_string(files));
  WriteProfiles(dir, files);
  const std::string path = (dir / "qvm_alrt" / "datfiles" / "lert0005.amp").string();
  char value[100];
  // Warm up, then time.
  GetPrivateProfileStringA("Monitor", "HostName", "", value, sizeof value, path.c_str());
  const int rounds = 200;
  const auto start = Clock::now();
  for (int n = 0; n < rounds; ++n) GetPrivateProfileStringA("Monitor", "HostName", "", value, sizeof value, path.c_str());
  const double each = Since(start) / rounds;
  std::printf("one profile-string read in a folder of %5d files: %9.1f us\n", files, each * 1e6);
  std::fflush(stdout);
  fs::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
  bool shortRun = false;
  int max = 10000;
  for (int n = 1; n < argc; ++n) {
    if (std::strcmp(argv[n], "--short") == 0) shortRun = true;
    if (std::strcmp(argv[n], "--max") == 0 && n + 1 < argc) max = std::atoi(argv[++n]);
  }
  OneRead(10);
  OneRead(shortRun ? 1000 : 10000);
  for (int count : {1000, 10000}) {
    if (count > max || (shortRun && count > 1000)) continue;
    StartUp(count);
  }
  return 0;
}
