// The ICMP echo: one echo request through "icmp.dll", used by the PING test
// and the plug-in's Ping export.
#pragma once

#include "qvplatform.h"

enum class EchoResult {
  kNoHandle,  // "icmp.dll" missing, or no ICMP handle could be opened
  kNoReply,   // sent, but no matching reply within the time-out
  kReplied,   // the echo came back with the data sent
};

// Sends one echo with the payload "abc" (TTL 30) to the address and waits at
// most timeoutMs for it (0 means 10000 ms). Only a successful reply that
// carries the payload back unchanged counts.
EchoResult SendIcmpEcho(IPAddr address, DWORD timeoutMs);
