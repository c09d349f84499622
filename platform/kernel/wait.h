// The one wait behind WaitForSingleObject and WaitForMultipleObjects, open to
// the window system for MsgWaitForMultipleObjects.
#pragma once

#include <functional>

#include "kernel/handles.h"

namespace qvp {

// Waits like WaitForMultipleObjects for the objects behind `handles` (count of
// them, at most MAXIMUM_WAIT_OBJECTS): wait-any returns WAIT_OBJECT_0 + i (or
// WAIT_ABANDONED_0 + i) for the lowest signalled index; wait-all takes every
// object in one step under WaitLock() and returns WAIT_OBJECT_0, or
// WAIT_ABANDONED_0 + the first abandoned mutex's index.
//
// `extra_ready`, when given, is evaluated with WaitLock() held after the
// objects, in both modes; when it is true the wait returns WAIT_OBJECT_0 + count
// without taking any object. Whoever changes the state it reads must do so under
// WaitLock() and then call Notify() on `extra_source` (or NotifyWaiters()), so
// that a waiter cannot miss the change. With `extra_ready` given, count may be 0.
//
// Returns WAIT_TIMEOUT when timeout_ms elapses (INFINITE never does), and
// WAIT_FAILED with the last error set for an invalid handle, an object that
// cannot be waited on, a bad count, or the same object twice in a wait-all.
// The current process pseudo handle ((HANDLE)-1, also INVALID_HANDLE_VALUE)
// is refused as an invalid handle: waiting on it from inside can never end.
DWORD WaitForObjects(const HANDLE* handles, DWORD count, bool wait_all, DWORD timeout_ms,
                     const std::function<bool()>& extra_ready = nullptr, WaitSource* extra_source = nullptr);

// With WaitLock() held and `object` momentarily signalled: completes the waits
// of the threads blocked right now that the object satisfies, in the order they
// began waiting, until the object is no longer signalled (PulseEvent), and
// wakes them.
void OfferToBlockedWaiters(KernelObject* object);

// How many threads are blocked in WaitForObjects right now (tests use it to
// know that their waiters have started waiting).
size_t BlockedWaitCount();

}  // namespace qvp
