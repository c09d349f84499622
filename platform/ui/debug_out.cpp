// Debug output of the window system until it can use the kernel's debug sink.
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "ui/prompt.h"

namespace qvp::ui {

void DebugWrite(const std::string& text) {
  static std::mutex* lock = new std::mutex;
  if (std::getenv("QV_DEBUG") == nullptr) return;
  std::lock_guard<std::mutex> g(*lock);
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace qvp::ui
