// For tests: a launcher that records what the layer would start.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "qvplatform/shell.h"

namespace qvp::test {

class RecordingLauncher {
 public:
  explicit RecordingLauncher(int error = 0) : error_(error) {
    SetProcessLauncher([this](const ProcessLaunch& launch) {
      std::lock_guard<std::mutex> guard(lock_);
      launches_.push_back(launch);
      LaunchResult result;
      result.error = error_;
      return result;
    });
  }
  ~RecordingLauncher() { SetProcessLauncher(nullptr); }
  RecordingLauncher(const RecordingLauncher&) = delete;
  RecordingLauncher& operator=(const RecordingLauncher&) = delete;

  std::vector<ProcessLaunch> Launches() {
    std::lock_guard<std::mutex> guard(lock_);
    return launches_;
  }
  // The only launch so far (an empty one when there was not exactly one).
  ProcessLaunch Only() {
    std::lock_guard<std::mutex> guard(lock_);
    return launches_.size() == 1 ? launches_[0] : ProcessLaunch{};
  }

 private:
  std::mutex lock_;
  int error_;
  std::vector<ProcessLaunch> launches_;
};

}  // namespace qvp::test
