// Ping and TryConnect for outside callers.
#include "probe_exports.h"

#include <string>

#include "probe_icmp.h"
#include "probe_sockets.h"

namespace {

constexpr DWORD kDefaultTimeoutMs = 10000;

bool Resolve(const char* host, in_addr* address) {
  WinsockSession winsock;
  return winsock.ok() && ResolveHostAddress(host, address);
}

}  // namespace

void RunPingRequest(void* context, const char* host, DWORD timeoutMs, PingCallback callback) {
  if (callback == nullptr) return;
  in_addr address{};
  if (host == nullptr || !Resolve(host, &address)) {
    callback(context, 0);
    return;
  }
  callback(context, SendIcmpEcho(address.s_addr, timeoutMs) == EchoResult::kReplied ? 1 : 0);
}

// The time-out also bounds the connection itself, so that an address that
// never answers cannot hold the caller for minutes.
void RunConnectRequest(void* context, const char* host, int type, int port, DWORD timeoutMs,
                       ConnectCallback callback) {
  if (callback == nullptr) return;
  in_addr address{};
  if (host == nullptr || (type != 1 && type != 2) || !Resolve(host, &address)) {
    callback(context, 0);
    return;
  }
  WinsockSession winsock;
  const DWORD limit = timeoutMs == 0 ? kDefaultTimeoutMs : timeoutMs;
  const bool connected = winsock.ok() && ConnectWithin(address, port, limit, nullptr) == ConnectResult::kConnected;
  callback(context, connected ? 1 : 0);
}
