// Programs the layer started, as waitable kernel objects, and the reaper that
// collects them when they end.
//
// One reaper thread waits on a pidfd per program and reaps exactly those
// programs (never "any child"), so that other children of the process are left
// to whoever started them. The thread starts with the first program and is
// stopped and joined when the layer is unloaded.
#pragma once

#include <sys/types.h>

#include <memory>

#include "kernel/handles.h"
#include "kernel/threads.h"

namespace qvp::shell {

class ChildProcess : public KernelObject {
 public:
  explicit ChildProcess(pid_t child_pid) : pid(child_pid) {}
  bool IsWaitable() const override { return true; }
  bool IsSignaled(uint64_t) const override { return finished; }

  const pid_t pid;  // -1: no real program (a test's launcher); finished from the start
  // Guarded by WaitLock().
  bool finished = false;
  DWORD exit_code = 0;
  bool terminated = false;      // TerminateProcess chose the exit code
  DWORD terminate_code = 0;
  // The program's primary thread: signalled together with the process.
  std::shared_ptr<ThreadObject> thread;
};

// The object for a program just started (pid -1: none), watched until it ends.
std::shared_ptr<ChildProcess> WatchChild(pid_t pid);

// Kills the program unless it has ended; false when it had.
bool KillChild(ChildProcess& child, DWORD exit_code);

}  // namespace qvp::shell
