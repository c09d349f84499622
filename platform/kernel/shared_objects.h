// Named mutexes, events and file mappings shared with the user's other
// processes, in POSIX shared memory (mode 0600, owner checked).
//
// Windows shares every named object with the other processes of the session.
// Here a name is shared only when it is one of the names the system shares
// with a program of its own (IsCrossProcessName); every other name stays in
// the process, where objects can be waited on together. File mappings with a
// name are always shared.
//
// Each object is a file of its own under /dev/shm named
// "qv-<uid>-<namespace>-<name>"; the namespace comes from QV_KERNEL_NAMESPACE
// (read once; "default" when unset), so that test runs do not meet. An object
// is made complete under a temporary name and then linked to its own name, so
// a process never sees a half-made object. Objects outlive their handles, as
// a name left by a program that ended.
//
// A shared mutex is a robust, recursive, process-shared pthread mutex: a
// thread or process that ends while owning it leaves it abandoned, and the
// next wait answers WAIT_ABANDONED. A shared event is a word waited on with a
// shared futex. They are waited on alone (WaitForSingleObject, or a
// WaitForMultipleObjects of one handle); a wait that mixes them with other
// objects fails with ERROR_INVALID_HANDLE. Their waits use the real clock.
#pragma once

#include "kernel/handles.h"

namespace qvp {

// True for the names of objects shared with other processes.
bool IsCrossProcessName(LPCSTR name);

// The shared namespace of this process ("default" unless QV_KERNEL_NAMESPACE says).
const char* KernelNamespace();

// Create / open, with the last error set as CreateMutexA and friends set it.
HANDLE CreateSharedMutex(BOOL initialOwner, LPCSTR name);
HANDLE OpenSharedMutex(LPCSTR name);
HANDLE CreateSharedEvent(BOOL manualReset, BOOL initialState, LPCSTR name);
HANDLE OpenSharedEvent(LPCSTR name);

// The hooks in the kernel's entry points: true when `handle` is a shared
// object, with *result the call's answer.
bool ReleaseSharedMutex(HANDLE handle, BOOL* result);
bool ChangeSharedEvent(HANDLE handle, int change /* 0 set, 1 reset, 2 pulse */, BOOL* result);
bool WaitSharedObject(HANDLE handle, DWORD timeout_ms, DWORD* result);

}  // namespace qvp
