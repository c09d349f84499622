// The monitor engine at scale: the real engine and the real TCP connect test
// against loopback listeners that this program starts in a child process (so
// that the figures of CPU time are the engine's and the tests' own). For
// 1,000 and 10,000 devices, 10 and 100 workers, polls of 1 s and 60 s it
// prints the demanded and achieved tests per second, the lateness of the
// tests against their due times, CPU seconds per 1,000 tests, resident memory
// per device, and the ceiling: plain loopback connects with the same threads
// and targets.
//
// A loopback connect is so quick that no configuration's demand exceeds what
// its threads can do; so a second series tests slow name servers (kind DNS,
// every answer 20 ms late), whose ceiling is plain query-and-answer with the
// same threads. Where the demand exceeds the ceiling it prints the ratio
// achieved / ceiling: how much of what the threads can do the engine gets.
//
// Usage: engine_bench [--short]   (--short: a few seconds, fewer devices)
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "alert_dispatch.h"
#include "bench_loopback.h"
#include "alert_plugin.h"
#include "monitor_engine.h"
#include "monitor_profile.h"
#include "probes/probe.h"

namespace {

using loopback::Target;
using Clock = std::chrono::steady_clock;

// Every test's start against its due time (the end of the device's previous
// test plus the poll interval).
class Recorder {
 public:
  explicit Recorder(size_t devices, uint32_t pollMs) : m_lastEnd(devices), m_testedInWindow(devices), m_pollMs(pollMs) {}
  void Begin(size_t device, Clock::time_point at) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (at >= m_windowStart && at < m_windowEnd) {
      ++m_inWindow;
      if (!m_testedInWindow[device]) ++m_devicesInWindow;
      m_testedInWindow[device] = true;
    }
    ++m_total;
    const Clock::time_point last = m_lastEnd[device];
    if (last != Clock::time_point{} && at >= m_windowStart && at < m_windowEnd) {
      const double late = std::chrono::duration<double, std::milli>(at - (last + std::chrono::milliseconds(m_pollMs))).count();
      m_lateness.push_back(late);
    }
  }
  void End(size_t device, Clock::time_point at) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_lastEnd[device] = at;
  }
  void SetWindow(Clock::time_point start, Clock::time_point end) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_windowStart = start;
    m_windowEnd = end;
  }
  uint64_t InWindow() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_inWindow;
  }
  uint64_t DevicesInWindow() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_devicesInWindow;
  }
  uint64_t Total() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_total;
  }
  std::vector<double> Lateness() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lateness;
  }

 private:
  std::mutex m_lock;
  std::vector<Clock::time_point> m_lastEnd;
  std::vector<bool> m_testedInWindow;
  uint64_t m_devicesInWindow = 0;
  uint32_t m_pollMs;
  Clock::time_point m_windowStart = Clock::time_point::max();
  Clock::time_point m_windowEnd = Clock::time_point::max();
  uint64_t m_inWindow = 0;
  uint64_t m_total = 0;
  std::vector<double> m_lateness;
};

double Percentile(std::vector<double>& values, double p) {
  if (values.empty()) return 0;
  const size_t at = std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size())));
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
  return values[at];
}

struct Run {
  size_t devices;
  int threads;
  int pollSeconds;
  bool slow;  // the slow name servers in place of the TCP listeners
};

void RunOne(const Run& run, const std::vector<Target>& targets, bool shortRun, double ceiling) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("qv-engine-bench-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "qvm_alrt" / "datfiles");
  {
    std::FILE* ini = std::fopen((dir / "qvm_alrt" / "qvm_alrt.ini").c_str(), "wb");
    std::fprintf(ini, "[General]\r\nThread=%d\r\nMaxConnectTime=20\r\nGenerateStartupAlerts=0\r\n", run.threads);
    std::fclose(ini);
  }
  const std::string local = dir.string() + "/";
  auto plugin = std::make_unique<CAlertPlugin>(nullptr, local.c_str());
  auto engine = std::make_unique<MonitorEngine>(plugin.get());
  NoAlertChannels noAlerts;
  engine->SetAlertDispatch(&noAlerts);
  Recorder recorder(run.devices, static_cast<uint32_t>(run.pollSeconds) * 1000u);
  engine->SetProbe([&recorder](const ProbeTarget& target, std::string& message, const ProbeOptions& options) {
    const size_t device = static_cast<size_t>(std::atol(target.userName.c_str()));
    recorder.Begin(device, Clock::now());
    const int result = ProbeDevice(target, message, options);
    recorder.End(device, Clock::now());
    return result;
  });

  const long rssBefore = loopback::ResidentKiB();
  const double heapBefore = loopback::HeapKiB();
  std::vector<std::unique_ptr<CMonitorProfile>> profiles;
  for (size_t n = 0; n < run.devices; ++n) {
    auto profile = std::make_unique<CMonitorProfile>();
    CMonitorSettings* s = profile->GetSettings();
    const Target& t = targets[n % targets.size()];
    s->SetMonitorType(run.slow ? MONITOR_DNS : MONITOR_HTTP);
    s->SetHostName(t.host.c_str());
    s->SetPortID(t.port);
    s->SetUserName(std::to_string(n).c_str());
    s->SetPollTime(run.pollSeconds);
    s->SetPollTimeUnit(0);
    s->SetFailTime(1);
    s->SetFailTimeUnit(0);
    profiles.push_back(std::move(profile));
  }
  engine->Prepare();
  for (auto& profile : profiles) engine->AddDevice(profile.get());
  const long rssAfter = loopback::ResidentKiB();
  const double heapAfter = loopback::HeapKiB();

  const auto start = Clock::now();
  if (!engine->Start()) {
    std::printf("engine did not start\n");
    return;
  }
  // The window: after the first round for a poll of 1 s; one whole poll
  // interval after the first round for 60 s. A whole number of polls, so that
  // it holds as many rounds as it should.
  double warm = run.pollSeconds == 1 ? 3.0 : 5.0;
  double window = run.pollSeconds == 1 ? 10.0 : 60.0;
  if (shortRun) {
    warm = 1.5;
    window = run.pollSeconds == 1 ? 2.0 : 0.0;
  }
  double cpu = 0;
  uint64_t tests = 0;
  uint64_t devicesTested = 0;
  std::vector<double> late;
  if (window > 0) {
    const auto windowStart = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(warm));
    const auto windowEnd = windowStart + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(window));
    recorder.SetWindow(windowStart, windowEnd);
    std::this_thread::sleep_until(windowStart);
    const double cpuStart = loopback::CpuSeconds();
    std::this_thread::sleep_until(windowEnd);
    cpu = loopback::CpuSeconds() - cpuStart;
    tests = recorder.InWindow();
    devicesTested = recorder.DevicesInWindow();
    late = recorder.Lateness();
  }
  const int workers = engine->workerSetting();
  const auto stopAt = Clock::now();
  engine->StopMonitoring();
  const double stopMs = std::chrono::duration<double, std::milli>(Clock::now() - stopAt).count();

  const double demanded = static_cast<double>(run.devices) / run.pollSeconds;
  const double achieved = window > 0 ? static_cast<double>(tests) / window : 0;
  // Lateness needs two tests of a device; a saturated run may not get round.
  char lateness[96] = "lateness ms: no device tested twice";
  if (!late.empty()) {
    const double p50 = Percentile(late, 0.50);
    const double p99 = Percentile(late, 0.99);
    const double max = *std::max_element(late.begin(), late.end());
    std::snprintf(lateness, sizeof lateness, "lateness ms p50 %8.1f  p99 %8.1f  max %8.1f", p50, p99, max);
  }
  std::printf("%s devices %6zu  Thread %3d (workers %3d)  poll %2ds | demanded %8.1f/s  achieved %8.1f/s (%5.1f%%) | %s"
              " | CPU s/1000 tests %7.4f | RSS/device %6.2f KiB (heap %5.2f) | ceiling %9.1f/s",
              run.slow ? "DNS 20ms" : "HTTP    ", run.devices, run.threads, workers, run.pollSeconds, demanded, achieved,
              demanded > 0 ? 100.0 * achieved / demanded : 0, lateness, tests > 0 ? cpu * 1000.0 / static_cast<double>(tests) : 0,
              static_cast<double>(rssAfter - rssBefore) / static_cast<double>(run.devices),
              (heapAfter - heapBefore) / static_cast<double>(run.devices), ceiling);
  // Only where the threads, not the demand, limit what can be achieved.
  if (demanded > ceiling && ceiling > 0) std::printf(" | achieved/ceiling %5.1f%%", 100.0 * achieved / ceiling);
  std::printf(" | devices tested %llu | stop %.0f ms\n", static_cast<unsigned long long>(devicesTested), stopMs);
  std::fflush(stdout);
  engine.reset();
  plugin.reset();
  profiles.clear();
  fs::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
  bool shortRun = false;
  for (int n = 1; n < argc; ++n) {
    if (std::strcmp(argv[n], "--short") == 0) shortRun = true;
  }
  loopback::Listeners listeners = loopback::StartListeners();
  std::printf("engine_bench: %zu loopback listeners and %zu slow name servers answering after %d ms (%d addresses x %d ports)%s\n",
              listeners.targets.size(), listeners.slowTargets.size(), loopback::kAnswerDelayMs, loopback::kAddresses,
              loopback::kPorts, shortRun ? ", short run" : "");
  std::vector<Run> runs;
  const std::vector<size_t> sizes = shortRun ? std::vector<size_t>{1000} : std::vector<size_t>{1000, 10000};
  const std::vector<int> polls = shortRun ? std::vector<int>{1} : std::vector<int>{1, 60};
  for (int poll : polls) {
    for (size_t devices : sizes) {
      for (int threads : {10, 100}) runs.push_back({devices, threads, poll, false});
    }
  }
  // Slow answers at the shortest poll: the demand exceeds the threads.
  if (shortRun) {
    runs.push_back({1000, 10, 1, true});
  } else {
    for (size_t devices : sizes) {
      for (int threads : {10, 100}) runs.push_back({devices, threads, 1, true});
    }
  }
  for (const Run& run : runs) {
    const double seconds = shortRun ? 0.3 : 2.0;
    const double ceiling = run.slow ? loopback::SlowCeiling(listeners.slowTargets, run.devices, run.threads, seconds)
                                    : loopback::Ceiling(listeners.targets, run.devices, run.threads, seconds);
    RunOne(run, run.slow ? listeners.slowTargets : listeners.targets, shortRun, ceiling);
  }
  const uint64_t accepted = loopback::StopListeners(listeners);
  std::printf("listeners accepted %llu connections\n", static_cast<unsigned long long>(accepted));
  return 0;
}
