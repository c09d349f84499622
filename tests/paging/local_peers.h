// Tests only: the local peers of the paging tests, run as child processes
// (socat, qv-modemsim, a CGI web server), and small waits for what they make.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace pagingtest {

class Child {
 public:
  // Starts argv[0] (searched in PATH) with its output to `outputFile` and the
  // extra environment given.
  Child(const std::vector<std::string>& argv, const std::string& outputFile,
        const std::map<std::string, std::string>& environment = {});
  ~Child();  // SIGTERM, then waits for it
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  bool ok() const { return pid_ > 0; }

 private:
  int pid_ = -1;
};

// True once `path` exists (waits up to `ms`).
bool WaitForPath(const std::string& path, int ms);
// True once the file holds `text` (waits up to `ms`).
bool WaitForText(const std::string& path, const std::string& text, int ms);
std::string ReadFile(const std::string& path);
// A TCP port of 127.0.0.1 that was free a moment ago.
int FreeLoopbackPort();
// True once something accepts on 127.0.0.1:port (waits up to `ms`).
bool WaitForListener(int port, int ms);
// The program found in PATH, or "".
std::string FindProgram(const std::string& name);

}  // namespace pagingtest
