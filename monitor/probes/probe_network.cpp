// The network tests: a TCP connection (FINGER, FTP, GOPHER, HTTP, IRCHAT,
// NNTP, POP3, RWHOIS, SMTP, TELNET, WHOIS, HTTPS) and a DNS answer.
#include <algorithm>
#include <array>

#include "probe_kinds.h"
#include "probe_sockets.h"

namespace {

constexpr char kCannotResolve[] = "1 Cannot Resolve Address";
constexpr char kNoSocket[] = "2 Cannot create socket";
constexpr char kCannotBind[] = "2 Socket failed to bind";
constexpr char kNoDnsAnswer[] = "3 No response from DNS server";
constexpr char kCannotConnect[] = "4 Cannot connect to host";

constexpr int kDnsHeaderSize = 12;

// Waits at most `ms` for a datagram on the socket.
bool WaitReadable(SOCKET s, DWORD ms) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval wait{static_cast<LONG>(ms / 1000), static_cast<LONG>((ms % 1000) * 1000)};
  return select(0, &readable, nullptr, nullptr, &wait) > 0;
}

// Sends the empty query (a DNS header with every field 0) and waits for the
// server's answer. Only a datagram from the server's own address and port
// that holds a whole header counts; anything else is ignored, so that a
// stray or forged datagram neither ends the wait nor decides the result. A
// server answers the empty query with an error code: a response (top bit of
// byte 2) with a non-zero response code (low four bits of byte 3) is up; a
// response without an error code counts as no answer.
int AskDnsServer(SOCKET s, const sockaddr_in& server, std::string& message, const ProbeOptions& options) {
  const std::array<char, kDnsHeaderSize> query{};
  if (sendto(s, query.data(), kDnsHeaderSize, 0, reinterpret_cast<const sockaddr*>(&server), sizeof server) !=
      kDnsHeaderSize) {
    message = kNoDnsAnswer;
    return 0;
  }
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);

  std::array<char, 4096> answer{};
  const DWORD start = GetTickCount();
  int up = 0;
  for (;;) {
    sockaddr_in from{};
    int fromLength = sizeof from;
    const int received =
        recvfrom(s, answer.data(), static_cast<int>(answer.size()), 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (received >= 0) {
      const bool fromServer = fromLength >= static_cast<int>(sizeof from) && from.sin_family == AF_INET &&
                              from.sin_addr.s_addr == server.sin_addr.s_addr && from.sin_port == server.sin_port;
      if (fromServer && received >= kDnsHeaderSize) {
        const auto flags = static_cast<unsigned char>(answer[2]);
        const auto code = static_cast<unsigned char>(answer[3]);
        up = (flags & 0x80) != 0 && (code & 0x0F) != 0 ? 1 : 0;
        break;
      }
      continue;  // not the server's answer: keep waiting
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) break;
    const DWORD spent = GetTickCount() - start;
    if (spent >= options.dnsWaitMs || StopRequested(options)) break;
    WaitReadable(s, std::min(kStopCheckMs, options.dnsWaitMs - spent));
  }
  if (!up) message = kNoDnsAnswer;
  return up;
}

}  // namespace

int ProbeDns(const ProbeTarget& target, std::string& message, const ProbeOptions& options) {
  WinsockSession winsock;
  in_addr address{};
  if (!winsock.ok() || !ResolveHostAddress(target.host, &address)) {
    message = kCannotResolve;
    return 0;
  }
  if (target.port < 1 || target.port > 65535) {
    message = kNoDnsAnswer;  // no server can answer at a port that does not exist
    return 0;
  }
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) {
    message = kNoSocket;
    return 0;
  }
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = 0;
  int up = 0;
  if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    message = kCannotBind;
  } else {
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<u_short>(target.port));
    server.sin_addr = address;
    up = AskDnsServer(s, server, message, options);
  }
  closesocket(s);
  return up;
}

int ProbeTcpConnect(const ProbeTarget& target, std::string& message, const ProbeOptions& options) {
  WinsockSession winsock;
  in_addr address{};
  if (!winsock.ok() || !ResolveHostAddress(target.host, &address)) {
    message = kCannotResolve;
    return 0;
  }
  switch (ConnectWithin(address, target.port, options.maxConnectTimeMs, options.stop)) {
    case ConnectResult::kConnected:
      return 1;
    case ConnectResult::kNoSocket:
      message = kNoSocket;
      return 0;
    case ConnectResult::kFailed:
      break;
  }
  message = kCannotConnect;
  return 0;
}
