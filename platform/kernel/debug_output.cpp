// The layer's debug sink: OutputDebugStringA goes to stderr when QV_DEBUG is
// set, and into a buffer while a test captures it.
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include "kernel/environment.h"
#include "qvplatform/kernel.h"

namespace {

struct DebugSink {
  std::mutex lock;
  bool capturing = false;
  std::string captured;
};

DebugSink& Sink() {
  static auto* sink = new DebugSink;
  return *sink;
}

}  // namespace

namespace qvp {

void CaptureDebugOutput(bool on) {
  DebugSink& sink = Sink();
  std::lock_guard<std::mutex> lock(sink.lock);
  sink.capturing = on;
  sink.captured.clear();
}

std::string TakeDebugOutput() {
  DebugSink& sink = Sink();
  std::lock_guard<std::mutex> lock(sink.lock);
  std::string taken;
  taken.swap(sink.captured);
  return taken;
}

}  // namespace qvp

QV_API void OutputDebugStringA(LPCSTR lpOutputString) {
  if (lpOutputString == nullptr) return;
  try {
    const bool to_stderr = qvp::ReadEnvironment("QV_DEBUG").has_value();
    DebugSink& sink = Sink();
    std::lock_guard<std::mutex> lock(sink.lock);
    if (sink.capturing) sink.captured += lpOutputString;
    if (to_stderr) {
      std::fwrite(lpOutputString, 1, std::strlen(lpOutputString), stderr);
      std::fflush(stderr);
    }
  } catch (const std::bad_alloc&) {
    // Debug output is best effort; losing it under memory pressure harms nothing.
  }
}
