// The WSAAsyncSelect watcher: one thread that polls the registered sockets and
// posts their window messages.
#pragma once

#include "net/socket_entry.h"

namespace qvp::net {

// Adds a registered socket to the watch list, starting the thread on demand.
void WatchSocket(const EntryPtr& e);
// Drops a socket from the watch list.
void UnwatchSocket(SocketId id);
// Makes the thread look at its sockets again (a re-enabling call, a state change).
void WakeWatcher();
// Stops and joins the thread and empties the watch list.
void StopWatcher();

}  // namespace qvp::net
