// The remote report server: its start and stop by the settings, the
// listener, the connection gathering and the threads that serve requests.
//
// Clients are gathered without a thread of their own: one listener thread
// accepts and reads every connection through socket notifications until the
// request is whole (its head, and a posted form of at most 2048 bytes), the
// client goes silent (10 seconds before any data, 5 after the last) or it
// closes. Whole requests are served by at most kMaxServingThreads threads.
#pragma once

#include <cstdint>
#include <string>

#include "server_globals.h"

inline constexpr int kMaxServingThreads = 256;
inline constexpr size_t kMaxGathered = 4096;

// Declared for the main panel in later_parts.h; on the GUI thread (a call
// from another thread is handed to it).
void ApplyWebServerSettings();
// The same from a server thread: posted to the GUI thread, not waited for.
void RequestApplyWebServerSettings();
// Stops the server and waits for all its threads (serving the GUI thread's
// messages meanwhile); before the plug-ins unload.
void StopRemoteServer();

// The idle clean-up: users idle past their time-out leave the table, and
// reports older than WebNoDays days (of 86,400 seconds) go unless they are
// still being made.
void CleanUpRemoteServer(const RemoteServerSettings& settings);

// The address and port the listener takes from WebAddress.
bool ParseListenAddress(const char* webAddress, std::string* host, uint16_t* port);

namespace qvnet {
// Tests: waits until the listener listens (true) or has ended (false).
bool WaitUntilListening(uint32_t milliseconds);
bool ServerRunning();
}  // namespace qvnet
