// Windows Sockets for the tests: start-up, name resolution, bounded connect.
#include "probe_sockets.h"

#include <algorithm>

WinsockSession::WinsockSession() {
  WSADATA data;
  m_ok = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockSession::~WinsockSession() {
  if (m_ok) WSACleanup();
}

bool ResolveHostAddress(const std::string& host, in_addr* out) {
  if (out == nullptr || host.empty()) return false;
  const u_long dotted = inet_addr(host.c_str());
  if (dotted != INADDR_NONE || host == "255.255.255.255") {
    out->s_addr = dotted;
    return true;
  }
  const hostent* entry = gethostbyname(host.c_str());
  if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_length != 4 || entry->h_addr_list == nullptr ||
      entry->h_addr_list[0] == nullptr) {
    return false;
  }
  std::copy_n(entry->h_addr_list[0], 4, reinterpret_cast<char*>(&out->s_addr));
  return true;
}

namespace {

// Waits until the pending connection attempt has an outcome, at most `ms`.
void WaitForConnect(SOCKET s, DWORD ms) {
  fd_set writable;
  fd_set failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  timeval wait{static_cast<LONG>(ms / 1000), static_cast<LONG>((ms % 1000) * 1000)};
  select(0, nullptr, &writable, &failed, &wait);
}

}  // namespace

ConnectResult ConnectWithin(const in_addr& address, int port, DWORD limitMs, const ProbeStop* stop) {
  if (port < 1 || port > 65535) return ConnectResult::kFailed;  // no such port to reach
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return ConnectResult::kNoSocket;
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);

  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<u_short>(port));
  to.sin_addr = address;

  ConnectResult result = ConnectResult::kFailed;
  const DWORD start = GetTickCount();
  // Each call reports how the attempt stands: started or pending (wait and ask
  // again), connected, or failed.
  for (;;) {
    if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) {
      result = ConnectResult::kConnected;
      break;
    }
    const int error = WSAGetLastError();
    if (error == WSAEISCONN) {
      result = ConnectResult::kConnected;
      break;
    }
    if (error != WSAEWOULDBLOCK && error != WSAEALREADY && error != WSAEINVAL) break;
    const DWORD spent = GetTickCount() - start;
    if (spent >= limitMs || (stop != nullptr && stop->Requested())) break;
    WaitForConnect(s, std::min(kStopCheckMs, limitMs - spent));
  }
  closesocket(s);
  return result;
}
