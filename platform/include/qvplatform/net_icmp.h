// ICMP echo: the calls of "icmp.dll" over a real ICMP socket. The layer uses
// an unprivileged ICMP datagram socket where the system allows one (the
// process's group lies in net.ipv4.ping_group_range), else a raw socket (root
// or CAP_NET_RAW). Replies are matched to their request by identifier and
// sequence number; a wait never outlasts the request's time-out.
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/errors.h"

typedef ULONG IPAddr;  // IPv4 address, network byte order
typedef ULONG IP_STATUS;

#define IP_STATUS_BASE 11000
#define IP_SUCCESS 0
#define IP_BUF_TOO_SMALL (IP_STATUS_BASE + 1)
#define IP_DEST_NET_UNREACHABLE (IP_STATUS_BASE + 2)
#define IP_DEST_HOST_UNREACHABLE (IP_STATUS_BASE + 3)
#define IP_DEST_PROT_UNREACHABLE (IP_STATUS_BASE + 4)
#define IP_DEST_PORT_UNREACHABLE (IP_STATUS_BASE + 5)
#define IP_NO_RESOURCES (IP_STATUS_BASE + 6)
#define IP_BAD_OPTION (IP_STATUS_BASE + 7)
#define IP_HW_ERROR (IP_STATUS_BASE + 8)
#define IP_PACKET_TOO_BIG (IP_STATUS_BASE + 9)
#define IP_REQ_TIMED_OUT (IP_STATUS_BASE + 10)
#define IP_BAD_REQ (IP_STATUS_BASE + 11)
#define IP_BAD_ROUTE (IP_STATUS_BASE + 12)
#define IP_TTL_EXPIRED_TRANSIT (IP_STATUS_BASE + 13)
#define IP_TTL_EXPIRED_REASSEM (IP_STATUS_BASE + 14)
#define IP_PARAM_PROBLEM (IP_STATUS_BASE + 15)
#define IP_SOURCE_QUENCH (IP_STATUS_BASE + 16)
#define IP_OPTION_TOO_BIG (IP_STATUS_BASE + 17)
#define IP_BAD_DESTINATION (IP_STATUS_BASE + 18)
#define IP_GENERAL_FAILURE (IP_STATUS_BASE + 50)

#define IP_FLAG_DF 0x2  // don't fragment

struct IP_OPTION_INFORMATION {
  UCHAR Ttl;
  UCHAR Tos;
  UCHAR Flags;
  UCHAR OptionsSize;
  UCHAR* OptionsData;
};
typedef IP_OPTION_INFORMATION* PIP_OPTION_INFORMATION;

struct ICMP_ECHO_REPLY {
  IPAddr Address;       // who answered
  ULONG Status;         // IP_SUCCESS or the IP_... of an ICMP error
  ULONG RoundTripTime;  // milliseconds
  USHORT DataSize;
  USHORT Reserved;
  PVOID Data;  // the echoed data, inside the reply buffer
  IP_OPTION_INFORMATION Options;
};
typedef ICMP_ECHO_REPLY* PICMP_ECHO_REPLY;

// INVALID_HANDLE_VALUE (last error ERROR_ACCESS_DENIED) when the process may
// open neither kind of ICMP socket.
QV_API HANDLE WINAPI IcmpCreateFile(void);
QV_API BOOL WINAPI IcmpCloseHandle(HANDLE IcmpHandle);
// Sends one echo request and waits at most Timeout milliseconds. The reply
// buffer must hold an ICMP_ECHO_REPLY, the request's data and 8 bytes more
// (ERROR_INSUFFICIENT_BUFFER otherwise). Answers the number of replies (1) —
// an ICMP error about the request counts, with its status — or 0 with the
// last error (IP_REQ_TIMED_OUT when nothing came; the reply's status says
// the same).
QV_API DWORD WINAPI IcmpSendEcho(HANDLE IcmpHandle, IPAddr DestinationAddress, LPVOID RequestData, WORD RequestSize,
                                 PIP_OPTION_INFORMATION RequestOptions, LPVOID ReplyBuffer, DWORD ReplySize,
                                 DWORD Timeout);

namespace qvp {

// Which ICMP socket IcmpCreateFile may open: either (datagram first), or only
// the one named. For tests that exercise each path.
enum class IcmpSocketKind { kAny, kDatagram, kRaw };
void SetIcmpSocketKind(IcmpSocketKind kind);

}  // namespace qvp
