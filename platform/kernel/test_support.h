// Helpers shared by the kernel tests.
#pragma once

#include "kernel/wait.h"
#include "qvplatform/kernel.h"

namespace qvtest {

// Starts fn (a callable returning DWORD, alive until the thread ends) with CreateThread.
template <class F>
HANDLE StartThread(F* fn, DWORD flags = 0, DWORD* id = nullptr) {
  return CreateThread(
      nullptr, 0, [](LPVOID p) -> DWORD { return (*static_cast<F*>(p))(); }, fn, flags, id);
}

// Waits until `count` threads are blocked in a wait of the layer.
inline void AwaitBlockedWaiters(size_t count) {
  while (qvp::BlockedWaitCount() < count) Sleep(1);
}

}  // namespace qvtest
