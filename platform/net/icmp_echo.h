// One ICMP echo over a Linux ICMP socket (datagram or raw), with the reply
// matched by identifier and sequence number. Statuses are Windows' IP_...
// values (0 = IP_SUCCESS).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qvp::net {

enum class IcmpKind { kAny, kDatagram, kRaw };

struct IcmpSocket {
  int fd = -1;
  bool raw = false;
};

// 0, or a Windows error (ERROR_ACCESS_DENIED when no kind may be opened).
uint32_t OpenIcmpSocket(IcmpKind kind, IcmpSocket* out);
void CloseIcmpSocket(IcmpSocket* s);

struct EchoRequest {
  uint32_t dest = 0;  // network byte order
  const void* data = nullptr;
  size_t size = 0;
  bool has_options = false;
  uint8_t ttl = 0;
  uint8_t tos = 0;
  bool dont_fragment = false;
  uint32_t timeout_ms = 0;
};

struct EchoReply {
  uint32_t status = 0;
  uint32_t from = 0;  // network byte order
  uint32_t rtt_ms = 0;
  uint8_t ttl = 0;
  uint8_t tos = 0;
  uint8_t flags = 0;
  std::vector<uint8_t> data;
};

// True when something answered (an echo reply or an ICMP error about the
// request); false with reply->status IP_REQ_TIMED_OUT or a send failure.
bool SendEcho(const IcmpSocket& s, const EchoRequest& req, EchoReply* reply);

}  // namespace qvp::net
