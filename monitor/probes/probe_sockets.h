// Socket helpers of the tests: Windows Sockets started for the length of one
// test, host names resolved to an IPv4 address, and a TCP connection bounded
// in time.
#pragma once

#include <string>

#include "probe.h"

// Starts Windows Sockets 2.2 for its lifetime (the start is counted, so
// tests on many threads each hold their own).
class WinsockSession {
 public:
  WinsockSession();
  ~WinsockSession();
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  bool ok() const { return m_ok; }

 private:
  bool m_ok = false;
};

// A dotted address as it stands, else the first IPv4 address of the name
// (the resolver answers into storage of the calling thread, so tests on many
// threads never see each other's answers). False for an empty or unknown
// host. Needs a started WinsockSession.
bool ResolveHostAddress(const std::string& host, in_addr* out);

enum class ConnectResult { kConnected, kNoSocket, kFailed };

// Connects a new stream socket to address:port, waiting at most `limitMs` and
// ending early when a stop is requested. The socket is closed again.
ConnectResult ConnectWithin(const in_addr& address, int port, DWORD limitMs, const ProbeStop* stop);

// How long to wait in one step before looking at the stop request again.
inline constexpr DWORD kStopCheckMs = 50;
