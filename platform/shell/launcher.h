// Starting a program: the real start through posix_spawn, or the launcher a
// test put in its place.
#pragma once

#include <string>

#include "qvplatform/shell.h"

namespace qvp::shell {

// Extras only the layer's own starts use.
struct SpawnExtras {
  int pass_fd = -1;         // handed to the program as descriptor 3
  std::string output_file;  // standard output and error appended here, input from /dev/null
};

// Starts the program with posix_spawn (posix_spawnp when search_path), never
// through a shell. The program gets descriptors 0-2 (and 3 with pass_fd) and
// no other, default signal dispositions for the signals we ignore, and an
// empty signal mask.
LaunchResult Spawn(const ProcessLaunch& launch, const SpawnExtras& extras = {});

// Through the test's launcher when one is set, else Spawn.
LaunchResult Launch(const ProcessLaunch& launch);
bool LauncherReplaced();

// The Windows error for a failed start.
DWORD ErrorFromSpawn(int error_number);

}  // namespace qvp::shell
