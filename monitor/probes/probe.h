// One test of one monitored device, chosen by its monitor kind: free disk
// space, a DNS answer, an NT service's state, an ODBC log-on, an ICMP echo, a
// web page fetch or a TCP connection.
//
// A test works on a copy of the device's settings (ProbeTarget), taken by the
// engine under its own lock, so that an edit of the profile during a test
// never reaches the test. Every test is bounded in time: connections by the
// engine's MaxConnectTime, the DNS answer by its own wait, the ICMP echo by its
// three short tries; and a test ends early, as down, once its ProbeStop has
// been requested.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "qvplatform.h"

// What a test needs of a device. Texts are kept whole, however long.
struct ProbeTarget {
  int kind = 0;           // monitor kind 1-18 (MonitorType)
  std::string host;       // address or name, drive or UNC path, data source name, or URL
  int port = 0;           // TCP/UDP port; free-space threshold in MB for disk space
  std::string userName;   // ODBC log-on user
  std::string password;   // ODBC log-on password
  std::string hostPath;   // the NT service's name
  int lastResult = 1;     // raw result of the previous test (a starting service keeps it)
};

// A request to end a running test. The engine keeps one per running test and
// may call Request from any thread; the test then ends as soon as it can (a
// pending web fetch is cut off at once) and reports down. A ProbeStop serves
// one test at a time.
class ProbeStop {
 public:
  ProbeStop() = default;
  ProbeStop(const ProbeStop&) = delete;
  ProbeStop& operator=(const ProbeStop&) = delete;

  void Request();
  bool Requested() const { return m_requested.load(std::memory_order_acquire); }

  // For the tests themselves: a handle of the internet client that Request
  // closes, so that a blocking fetch ends. Attach answers false (and attaches
  // nothing) when the stop was requested already. Detach answers whether the
  // handle is still the caller's to close (false: Request closed it).
  bool Attach(void* internetHandle);
  bool Detach();

 private:
  std::atomic<bool> m_requested{false};
  std::mutex m_lock;
  void* m_handle = nullptr;
};

struct ProbeOptions {
  DWORD maxConnectTimeMs = 20000;  // [General] MaxConnectTime in milliseconds
  DWORD dnsWaitMs = 5000;          // how long a DNS test waits for its answer
  ProbeStop* stop = nullptr;       // optional stop request
};

// Runs the test of the device's kind. Answers 1 (up) or 0 (down) and, for a
// failure, sets `message` to "<code> <text>" (the caller fills it with "0 OK"
// before; a test that does not set it leaves it alone). Kinds outside 1-18
// give "5 Unsupported Monitor Type". Safe on many threads at once; ICMP tests
// run one at a time.
int ProbeDevice(const ProbeTarget& target, std::string& message, const ProbeOptions& options = {});
