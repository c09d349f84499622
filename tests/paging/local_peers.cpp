#include "local_peers.h"
#include "test_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

namespace pagingtest {

namespace {

bool Until(int ms, const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace

bool WaitForPath(const std::string& path, int ms) {
  return Until(ms, [&] {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
  });
}


bool WaitForText(const std::string& path, const std::string& text, int ms) {
  return Until(ms, [&] { return qvtest::ReadFile(path).find(text) != std::string::npos; });
}

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::string candidate = dir + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

}  // namespace pagingtest
