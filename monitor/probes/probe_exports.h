// The two stand-alone probes the plug-in exports for outside callers, Ping
// and TryConnect. Both are synchronous: the callback runs once, on the
// caller's thread, before the call returns (not at all when it is null).
#pragma once

#include "qvplatform.h"

using PingCallback = void(WINAPI*)(void* context, DWORD alive);
using ConnectCallback = void(WINAPI*)(void* context, int connected);

// One ICMP echo to the host, waiting at most timeoutMs (0: 10000 ms); the
// callback gets 1 when the echo came back, else 0.
void RunPingRequest(void* context, const char* host, DWORD timeoutMs, PingCallback callback);

// A TCP connection to host:port, for type 1 or 2 (both the same test),
// waiting at most timeoutMs (0: 10000 ms); the callback gets 1 when the
// connection was made, else 0.
void RunConnectRequest(void* context, const char* host, int type, int port, DWORD timeoutMs,
                       ConnectCallback callback);
