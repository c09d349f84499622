// Tests only: peers on the loopback address that tests start themselves: a
// free port and a peer program run as a child process (Debian's Python
// servers). Plain Linux calls, nothing of the system, so the tests of every
// layer may link it.
#pragma once

#include <sys/types.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// Skips the test when a package its peer needs is missing; in CI, which
// installs every package, the test fails instead.
#define QVTEST_REQUIRE_PACKAGE(available, package)                            \
  do {                                                                        \
    if (!(available)) {                                                       \
      if (std::getenv("CI") != nullptr) FAIL() << package << " is needed in CI"; \
      GTEST_SKIP() << package << " is not installed";                         \
    }                                                                         \
  } while (0)

namespace qvtest {

// A TCP port on 127.0.0.1 that was free a moment ago (bound once to learn
// it); 0 when none could be had.
int FreePort();
// The same for a UDP port.
int FreeUdpPort();

// Whether something accepts connections on 127.0.0.1:port now.
bool Accepting(int port);

// A TCP socket listening on 127.0.0.1 at a port the system picks (stored in
// *port); -1 when none could be had.
int ListenLoopback(int* port);

// Whether `fd` has something to read, or has ended, within `milliseconds`.
bool Readable(int fd, int milliseconds);

// Sends all of `bytes` (blocking); false when the connection failed first.
bool SendAll(int fd, const char* bytes, size_t size);
inline bool SendAll(int fd, const std::string& bytes) { return SendAll(fd, bytes.data(), bytes.size()); }

// A server of a test on 127.0.0.1: its thread accepts connections one after
// the other and hands each to `serve`, which owns (closes) it and answers
// whether to accept the next. The object's end stops the accepting at once
// and waits for a connection being served; a server owning one is declared
// after what `serve` uses, so that it goes first.
class LoopbackServer {
 public:
  explicit LoopbackServer(std::function<bool(int fd)> serve);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // 0 when it could not listen.
  int port() const { return port_; }
  // "127.0.0.1:port".
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
  // How many connections it has accepted.
  int connections() const { return connections_.load(); }

 private:
  std::function<bool(int fd)> serve_;
  int listener_ = -1;
  int port_ = 0;
  int stop_[2] = {-1, -1};
  std::atomic<int> connections_{0};
  std::thread thread_;
};

// A Python that can import `module`: Debian's, else the first on PATH; ""
// when neither can.
std::string PythonWith(const std::string& module);

// Runs a shell command line to its end; its standard output.
std::string CommandOutput(const std::string& command);

// Runs a program to its end; its exit code, or -1 when it did not start or
// did not exit normally.
int RunToExit(const std::vector<std::string>& args);

// A peer program running beside the test: it gets none of the test's open
// files, and is ended (SIGTERM) and reaped with the object.
class PeerProcess {
 public:
  PeerProcess() = default;
  explicit PeerProcess(const std::vector<std::string>& args, const std::string& output = "") { Start(args, output); }
  ~PeerProcess() { Stop(); }
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;

  // Starts the program (args[0] is looked up on PATH); false when it could
  // not be started. A running one is stopped first. With `output` the
  // program's standard output and error go to that file.
  bool Start(const std::vector<std::string>& args, const std::string& output = "");
  // Waits (a generous bound, a guard against a hang) until something accepts
  // connections on 127.0.0.1:port; false once the program has ended.
  bool WaitUntilListening(int port);
  void Stop();
  bool started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

}  // namespace qvtest
