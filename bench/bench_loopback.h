// Loopback peers of the engine benchmark: listeners spread over loopback
// addresses and ports, served by a child process that counts what it
// accepts, and the plain connect-and-close ceiling. Beside them, slow name
// servers: UDP peers that answer every query only after kAnswerDelayMs, with
// their own ceiling (plain query-and-answer with the same threads).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace loopback {

struct Target {
  std::string host;
  int port;
};

struct Listeners {
  pid_t child = -1;
  std::atomic<uint64_t>* accepted = nullptr;
  std::vector<Target> targets;
  std::vector<Target> slowTargets;  // the slow name servers
};

inline constexpr int kAddresses = 16;
inline constexpr int kPorts = 4;
inline constexpr int kAnswerDelayMs = 20;

// Binds the listeners and forks the child that accepts and closes.
Listeners StartListeners();
// Ends the child; the count of connections it accepted.
uint64_t StopListeners(Listeners& listeners);
// Plain connect-and-close per second with `threads` threads over `devices`
// targets taken in turn from `targets`.
double Ceiling(const std::vector<Target>& targets, size_t devices, int threads, double seconds);
// Plain query-and-answer per second with `threads` threads over the slow
// name servers taken the same way.
double SlowCeiling(const std::vector<Target>& targets, size_t devices, int threads, double seconds);
double CpuSeconds();
long ResidentKiB();
// Heap bytes in use, in KiB (freed memory that stays resident does not count).
double HeapKiB();

}  // namespace loopback
