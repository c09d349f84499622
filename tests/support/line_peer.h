// Tests only: a program run beside the test that talks to it through its
// standard output, which the test reads line by line. Plain Linux calls, like
// the other peers.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace qvtest {

// The test's own environment, "NAME=value" each.
std::vector<std::string> CurrentEnvironment();

class LinePeer {
 public:
  // Starts `args` (args[0] is looked up on PATH) with `environment`; with
  // `errors_too` its error output goes into the same pipe.
  explicit LinePeer(const std::vector<std::string>& args, bool errors_too = false,
                    const std::vector<std::string>& environment = CurrentEnvironment());
  ~LinePeer();  // kills and reaps a program still running
  LinePeer(const LinePeer&) = delete;
  LinePeer& operator=(const LinePeer&) = delete;

  bool started() const { return pid_ > 0 || status_ >= 0; }
  // The next line it printed, without its "\n"; "" when it ended, or stayed
  // silent for 30 seconds (a guard against a hung peer, not a measure of speed).
  std::string Line();
  // Waits for its end: its exit code, or 128 + the signal that ended it; -1
  // when it never started.
  int Wait();

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string buffer_;
};

}  // namespace qvtest
