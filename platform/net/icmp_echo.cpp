// ICMP echo over a Linux ICMP socket.
//
// A datagram socket (socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP)) needs no
// privilege where ping_group_range admits the process's group; the kernel
// then owns the identifier, hands the socket only its own replies (without
// the IP header) and reports ICMP errors on the error queue. A raw socket sees
// every ICMP message of the host, IP header included, so the layer filters
// by type, identifier and sequence itself.
#include "net/icmp_echo.h"

#include <ctime>  // before linux/errqueue.h, which uses timespec

#include <linux/errqueue.h>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "qvplatform/errors.h"
#include "qvplatform/net_icmp.h"

namespace qvp::net {
namespace {

constexpr uint8_t kEchoReply = 0;
constexpr uint8_t kUnreachable = 3;
constexpr uint8_t kSourceQuench = 4;
constexpr uint8_t kEchoRequest = 8;
constexpr uint8_t kTimeExceeded = 11;
constexpr uint8_t kParamProblem = 12;
constexpr size_t kHeader = 8;  // type, code, checksum, identifier, sequence

std::atomic<uint16_t> next_sequence{static_cast<uint16_t>(getpid() * 7919u)};

// The internet checksum's sum of 16-bit words (an odd last byte padded).
uint32_t WordSum(const uint8_t* p, size_t n) {
  uint32_t sum = 0;
  for (size_t i = 0; i + 1 < n; i += 2) sum += static_cast<uint32_t>(p[i] << 8 | p[i + 1]);
  if (n & 1) sum += static_cast<uint32_t>(p[n - 1] << 8);
  return sum;
}

uint16_t Fold(uint32_t sum) {
  while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
  return static_cast<uint16_t>(~sum);
}

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

uint32_t StatusOfError(uint8_t type, uint8_t code) {
  switch (type) {
    case kUnreachable:
      switch (code) {
        case 0: return IP_DEST_NET_UNREACHABLE;
        case 2: return IP_DEST_PROT_UNREACHABLE;
        case 3: return IP_DEST_PORT_UNREACHABLE;
        case 4: return IP_PACKET_TOO_BIG;
        default: return IP_DEST_HOST_UNREACHABLE;
      }
    case kTimeExceeded: return code == 1 ? IP_TTL_EXPIRED_REASSEM : IP_TTL_EXPIRED_TRANSIT;
    case kParamProblem: return IP_PARAM_PROBLEM;
    case kSourceQuench: return IP_SOURCE_QUENCH;
    default: return IP_GENERAL_FAILURE;
  }
}

uint32_t StatusOfSendError(int err) {
  switch (err) {
    case ENETUNREACH: return IP_DEST_NET_UNREACHABLE;
    case EHOSTUNREACH: return IP_DEST_HOST_UNREACHABLE;
    case EMSGSIZE: return IP_PACKET_TOO_BIG;
    case ENOBUFS:
    case ENOMEM: return IP_NO_RESOURCES;
    default: return IP_GENERAL_FAILURE;
  }
}

void ApplyOptions(const IcmpSocket& s, const EchoRequest& req) {
  int ttl = req.has_options && req.ttl ? req.ttl : 128;  // Windows' default
  int tos = req.has_options ? req.tos : 0;
  int pmtu = req.dont_fragment ? IP_PMTUDISC_DO : IP_PMTUDISC_DONT;
  setsockopt(s.fd, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
  setsockopt(s.fd, IPPROTO_IP, IP_TOS, &tos, sizeof tos);
  setsockopt(s.fd, IPPROTO_IP, IP_MTU_DISCOVER, &pmtu, sizeof pmtu);
}

struct Matcher {
  uint16_t id;
  uint16_t seq;
  uint32_t dest;
};

// A raw packet (IP header first): true when it answers the request.
bool MatchRaw(const uint8_t* p, size_t n, const Matcher& m, EchoReply* reply) {
  if (n < 20) return false;
  size_t ihl = static_cast<size_t>(p[0] & 0x0f) * 4;
  if (ihl < 20 || n < ihl + kHeader) return false;
  const uint8_t* icmp = p + ihl;
  size_t icmp_len = n - ihl;
  uint32_t from = 0;
  std::memcpy(&from, p + 12, 4);
  if (icmp[0] == kEchoReply) {
    if (Get16(icmp + 4) != m.id || Get16(icmp + 6) != m.seq || from != m.dest) return false;
    reply->status = IP_SUCCESS;
    reply->data.assign(icmp + kHeader, icmp + icmp_len);
  } else if (icmp[0] == kUnreachable || icmp[0] == kTimeExceeded || icmp[0] == kParamProblem ||
             icmp[0] == kSourceQuench) {
    // The error quotes our request: its IP header and first 8 bytes.
    const uint8_t* quoted = icmp + kHeader;
    size_t quoted_len = icmp_len - kHeader;
    if (quoted_len < 20) return false;
    size_t qihl = static_cast<size_t>(quoted[0] & 0x0f) * 4;
    if (qihl < 20 || quoted_len < qihl + kHeader || quoted[9] != IPPROTO_ICMP) return false;
    const uint8_t* ours = quoted + qihl;
    if (ours[0] != kEchoRequest || Get16(ours + 4) != m.id || Get16(ours + 6) != m.seq) return false;
    reply->status = StatusOfError(icmp[0], icmp[1]);
    reply->data.clear();
  } else {
    return false;
  }
  reply->from = from;
  reply->tos = p[1];
  reply->ttl = p[8];
  reply->flags = (p[6] & 0x40) ? IP_FLAG_DF : 0;
  return true;
}

// A datagram-socket reply (ICMP header first; the kernel matched the identifier).
bool MatchDatagram(const uint8_t* p, size_t n, const msghdr& msg, const Matcher& m, EchoReply* reply) {
  if (n < kHeader || p[0] != kEchoReply || Get16(p + 6) != m.seq) return false;
  reply->status = IP_SUCCESS;
  reply->data.assign(p + kHeader, p + n);
  reply->from = reinterpret_cast<const sockaddr_in*>(msg.msg_name)->sin_addr.s_addr;
  for (cmsghdr* c = CMSG_FIRSTHDR(const_cast<msghdr*>(&msg)); c; c = CMSG_NXTHDR(const_cast<msghdr*>(&msg), c)) {
    if (c->cmsg_level != IPPROTO_IP) continue;
    if (c->cmsg_type == IP_TTL) {
      int ttl = 0;
      std::memcpy(&ttl, CMSG_DATA(c), sizeof ttl);
      reply->ttl = static_cast<uint8_t>(ttl);
    } else if (c->cmsg_type == IP_TOS) {
      reply->tos = *CMSG_DATA(c);
    }
  }
  return true;
}

// An error-queue entry of a datagram socket: true when it is about the request.
bool MatchQueuedError(const uint8_t* p, size_t n, const msghdr& msg, const Matcher& m, EchoReply* reply) {
  if (n < kHeader || Get16(p + 6) != m.seq) return false;
  for (cmsghdr* c = CMSG_FIRSTHDR(const_cast<msghdr*>(&msg)); c; c = CMSG_NXTHDR(const_cast<msghdr*>(&msg), c)) {
    if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR) continue;
    sock_extended_err ee{};
    std::memcpy(&ee, CMSG_DATA(c), sizeof ee);
    if (ee.ee_origin != SO_EE_ORIGIN_ICMP) {
      reply->status = StatusOfSendError(static_cast<int>(ee.ee_errno));
      reply->from = m.dest;
    } else {
      reply->status = StatusOfError(ee.ee_type, ee.ee_code);
      sockaddr_in offender{};
      std::memcpy(&offender, SO_EE_OFFENDER(reinterpret_cast<sock_extended_err*>(CMSG_DATA(c))), sizeof offender);
      reply->from = offender.sin_addr.s_addr;
    }
    reply->data.clear();
    return true;
  }
  return false;
}

}  // namespace

uint32_t OpenIcmpSocket(IcmpKind kind, IcmpSocket* out) {
  if (kind != IcmpKind::kRaw) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd >= 0) {
      int on = 1;
      setsockopt(fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
      setsockopt(fd, IPPROTO_IP, IP_RECVTTL, &on, sizeof on);
      setsockopt(fd, IPPROTO_IP, IP_RECVTOS, &on, sizeof on);
      *out = IcmpSocket{fd, false};
      return 0;
    }
  }
  if (kind != IcmpKind::kDatagram) {
    int fd = socket(AF_INET, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd >= 0) {
      // Only echo replies and the errors that can be about a request.
      icmp_filter filter{};
      filter.data = ~((1u << kEchoReply) | (1u << kUnreachable) | (1u << kSourceQuench) | (1u << kTimeExceeded) |
                      (1u << kParamProblem));
      setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
      *out = IcmpSocket{fd, true};
      return 0;
    }
  }
  return errno == ENFILE || errno == EMFILE ? ERROR_TOO_MANY_OPEN_FILES : ERROR_ACCESS_DENIED;
}

void CloseIcmpSocket(IcmpSocket* s) {
  if (s->fd >= 0) close(s->fd);
  s->fd = -1;
}

bool SendEcho(const IcmpSocket& s, const EchoRequest& req, EchoReply* reply) {
  using Clock = std::chrono::steady_clock;
  *reply = EchoReply{};
  const uint16_t seq = next_sequence.fetch_add(1);
  const uint16_t id = static_cast<uint16_t>(getpid() ^ (seq >> 3) ^ 0x5a5a);
  Matcher m{id, seq, req.dest};

  uint8_t header[kHeader] = {kEchoRequest,
                             0,
                             0,
                             0,
                             static_cast<uint8_t>(id >> 8),
                             static_cast<uint8_t>(id),
                             static_cast<uint8_t>(seq >> 8),
                             static_cast<uint8_t>(seq)};
  const auto* data = static_cast<const uint8_t*>(req.data);
  // The header is an even number of bytes, so the two sums simply add up.
  uint16_t sum = Fold(WordSum(header, kHeader) + (req.size ? WordSum(data, req.size) : 0));
  header[2] = static_cast<uint8_t>(sum >> 8);
  header[3] = static_cast<uint8_t>(sum);

  ApplyOptions(s, req);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = req.dest;
  iovec parts[2] = {{header, kHeader}, {const_cast<uint8_t*>(data), req.size}};
  msghdr out{};
  out.msg_name = &to;
  out.msg_namelen = sizeof to;
  out.msg_iov = parts;
  out.msg_iovlen = req.size ? 2 : 1;
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::milliseconds(req.timeout_ms);
  if (sendmsg(s.fd, &out, 0) < 0) {
    reply->status = StatusOfSendError(errno);
    return false;
  }

  std::vector<uint8_t> buf(65536);
  alignas(cmsghdr) char control[512];
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p{s.fd, POLLIN, 0};
    int n = poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
    if (n < 0 && errno != EINTR) break;
    if (n > 0) {
      sockaddr_in from{};
      iovec iov{buf.data(), buf.size()};
      msghdr msg{};
      msg.msg_name = &from;
      msg.msg_namelen = sizeof from;
      msg.msg_iov = &iov;
      msg.msg_iovlen = 1;
      msg.msg_control = control;
      msg.msg_controllen = sizeof control;
      bool queued_error = (p.revents & POLLERR) && !s.raw;
      ssize_t got = recvmsg(s.fd, &msg, queued_error ? MSG_ERRQUEUE : 0);
      if (got >= 0) {
        const auto size = static_cast<size_t>(got);
        bool matched = s.raw                ? MatchRaw(buf.data(), size, m, reply)
                       : queued_error       ? MatchQueuedError(buf.data(), size, msg, m, reply)
                                            : MatchDatagram(buf.data(), size, msg, m, reply);
        if (matched) {
          reply->rtt_ms = static_cast<uint32_t>(
              std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
          return true;
        }
      }
    }
    if (Clock::now() >= deadline) break;
  }
  *reply = EchoReply{};
  reply->status = IP_REQ_TIMED_OUT;
  return false;
}

}  // namespace qvp::net
