// The tests of the single kinds, each answering 1 (up) or 0 (down) and
// setting the message only on the paths that name a failure. ProbeDevice
// (probe.cpp) chooses among them.
#pragma once

#include <string>

#include "probe.h"

int ProbeDiskSpace(const ProbeTarget& target, std::string& message);
int ProbeDns(const ProbeTarget& target, std::string& message, const ProbeOptions& options);
int ProbeService(const ProbeTarget& target, std::string& message);
int ProbeOdbc(const ProbeTarget& target, const ProbeOptions& options);
int ProbePing(const ProbeTarget& target, std::string& message, const ProbeOptions& options);
int ProbeUrl(const ProbeTarget& target, const ProbeOptions& options);
int ProbeTcpConnect(const ProbeTarget& target, std::string& message, const ProbeOptions& options);

inline bool StopRequested(const ProbeOptions& options) {
  return options.stop != nullptr && options.stop->Requested();
}
