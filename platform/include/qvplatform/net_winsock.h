// Windows Sockets: the calls of "WSOCK32.DLL" and "WS2_32.DLL" over real
// BSD sockets, with Windows' error codes, structures and non-blocking rules.
//
// What a caller can rely on:
// - WSAStartup answers versions 1.0 to 2.2 (the highest is 2.2) and is
//   counted; the last WSACleanup closes every socket still open, stops the
//   asynchronous machinery and joins its threads. Socket calls and the host
//   data base need a started library (WSANOTINITIALISED otherwise); the byte
//   order helpers and inet_addr/inet_ntoa do not.
// - The last error is the thread's (WSAGetLastError is GetLastError).
// - SOCKET values are the layer's own, below 2^31; a closed socket's value
//   answers WSAENOTSOCK (values come round again only after some half a
//   billion sockets).
// - Sockets are blocking until ioctlsocket(FIONBIO) or WSAAsyncSelect makes
//   them non-blocking. A blocking call honours SO_RCVTIMEO / SO_SNDTIMEO
//   (DWORD milliseconds; WSAETIMEDOUT when they pass) and ends with WSAEINTR
//   when another thread closes the socket.
// - Repeated connect calls on a non-blocking stream socket answer as Windows
//   Sockets 2.2 does, whatever version was asked for: WSAEWOULDBLOCK for the
//   call that starts the attempt, WSAEALREADY while it is pending, WSAEISCONN
//   once connected; a failed attempt is answered once with its error
//   (WSAECONNREFUSED, WSAETIMEDOUT, ...), after which the next call starts a
//   new attempt. (Some 1.1 stacks answered WSAEINVAL for the pending case;
//   callers that treat WSAEINVAL like WSAEALREADY keep working.)
// - WSAAsyncSelect: one thread of the layer watches the registered sockets
//   and posts (wParam = socket, lParam = WSAMAKESELECTREPLY(event, error)).
//   After a message, the same event is posted again only once it has been
//   re-enabled: FD_READ / FD_OOB by recv or recvfrom, FD_ACCEPT by accept,
//   FD_WRITE by a send that failed with WSAEWOULDBLOCK; FD_CONNECT once per
//   connection attempt, FD_CLOSE once, and only after the data that arrived
//   before the close has been read. A new WSAAsyncSelect re-enables all;
//   WSAAsyncSelect(s, hwnd, 0, 0) cancels (the socket stays non-blocking).
//   A socket accepted from a registered listener has the listener's
//   registration. The thread starts with the first registration and is
//   joined by the last WSACleanup or when the layer unloads.
// - The host data base calls (gethostbyname, gethostbyaddr, getservbyname,
//   getservbyport) and inet_ntoa answer into storage of the calling thread,
//   valid until that thread's next call of the same kind.
// - Only IPv4 (AF_INET) is offered.
// - SO_REUSEADDR is recorded and applied to datagram sockets; stream sockets
//   can always be bound again while old connections of their port linger,
//   as on Windows.
//
// Names the C library also uses. Every C++ source sees the C library's
// fd_set, timeval and select (libstdc++ pulls them in), and often its
// gethostname. This header therefore takes them first and then:
// - fd_set, timeval and u_long are macros for the layer's Windows-shaped
//   QvWsFdSet, QvWsTimeval (32-bit fields) and QvWsULong (32 bits), so code
//   written for Windows gets Windows' layouts under the usual names;
// - select and gethostname are overloads with Windows' argument types beside
//   the C library's functions. select(0, NULL, NULL, NULL, NULL) is therefore
//   ambiguous (it is an error on Windows too); gethostname with a size_t
//   length reaches the C library's function where <unistd.h> is in sight,
//   which answers the same name without Windows' checks;
// - FD_SET, FD_CLR, FD_ISSET, FD_ZERO and FD_SETSIZE (64) are Windows'.
// The exported symbols carry a "qvws_" prefix, so that the layer never stands
// in for the C library's socket functions inside other libraries; the export
// tables of the built-in modules give them their Windows names. A source that
// uses the C library's sockets includes the headers of the facilities it
// needs, not this one (nor the umbrella qvplatform.h).
#pragma once

// The C library's declarations that name timeval, fd_set and u_long come in
// before the renaming below, so that they keep their own types.
#include <cstdlib>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/time.h>

#include "qvplatform/types.h"
#include "qvplatform/errors.h"
#include "qvplatform/net_wsa_codes.h"

#define QV_WS_SYMBOL(name) __asm__("qvws_" #name)
#define QV_WS_OVERLOAD __attribute__((visibility("default")))

#undef FD_SETSIZE
#undef FD_SET
#undef FD_CLR
#undef FD_ISSET
#undef FD_ZERO
#define fd_set QvWsFdSet
#define timeval QvWsTimeval
#define u_long QvWsULong

typedef unsigned char u_char;
typedef unsigned short u_short;
typedef unsigned int u_int;
typedef ULONG u_long;

typedef UINT_PTR SOCKET;
#define INVALID_SOCKET (static_cast<SOCKET>(~static_cast<SOCKET>(0)))
#define SOCKET_ERROR (-1)

// ---------------------------------------------------------------------------
// Start-up

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128

// The 64-bit field order (the counts and the vendor pointer come first).
struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
  char szDescription[WSADESCRIPTION_LEN + 1];
  char szSystemStatus[WSASYS_STATUS_LEN + 1];
};
typedef WSADATA* LPWSADATA;

// ---------------------------------------------------------------------------
// Addresses

#define AF_UNSPEC 0
#define AF_INET 2
#define PF_UNSPEC AF_UNSPEC
#define PF_INET AF_INET

#define SOCK_STREAM 1
#define SOCK_DGRAM 2
#define SOCK_RAW 3

#define IPPROTO_IP 0
#define IPPROTO_ICMP 1
#define IPPROTO_TCP 6
#define IPPROTO_UDP 17
#define IPPROTO_RAW 255

#define INADDR_ANY static_cast<u_long>(0x00000000)
#define INADDR_LOOPBACK 0x7f000001
#define INADDR_BROADCAST static_cast<u_long>(0xffffffff)
#define INADDR_NONE 0xffffffff

struct in_addr {
  union {
    struct {
      u_char s_b1, s_b2, s_b3, s_b4;
    } S_un_b;
    struct {
      u_short s_w1, s_w2;
    } S_un_w;
    u_long S_addr;
  } S_un;
};
#define s_addr S_un.S_addr
#define s_host S_un.S_un_b.s_b2
#define s_net S_un.S_un_b.s_b1
#define s_imp S_un.S_un_w.s_w2
#define s_impno S_un.S_un_b.s_b4
#define s_lh S_un.S_un_b.s_b3
typedef in_addr IN_ADDR;

struct sockaddr {
  u_short sa_family;
  char sa_data[14];
};
typedef sockaddr SOCKADDR;
typedef sockaddr* PSOCKADDR;
typedef sockaddr* LPSOCKADDR;

struct sockaddr_in {
  short sin_family;
  u_short sin_port;
  in_addr sin_addr;
  char sin_zero[8];
};
typedef sockaddr_in SOCKADDR_IN;
typedef sockaddr_in* PSOCKADDR_IN;
typedef sockaddr_in* LPSOCKADDR_IN;

// ---------------------------------------------------------------------------
// select

#define FD_SETSIZE 64

struct fd_set {
  u_int fd_count;
  SOCKET fd_array[FD_SETSIZE];
};

struct timeval {
  LONG tv_sec;
  LONG tv_usec;
};

inline void QvWsFdAdd(SOCKET s, fd_set* set) {
  for (u_int i = 0; i < set->fd_count; ++i) {
    if (set->fd_array[i] == s) return;
  }
  if (set->fd_count < FD_SETSIZE) set->fd_array[set->fd_count++] = s;
}

inline void QvWsFdRemove(SOCKET s, fd_set* set) {
  for (u_int i = 0; i < set->fd_count; ++i) {
    if (set->fd_array[i] != s) continue;
    for (u_int j = i + 1; j < set->fd_count; ++j) set->fd_array[j - 1] = set->fd_array[j];
    --set->fd_count;
    return;
  }
}

// Exported as "__WSAFDIsSet".
QV_API int WINAPI QvWsFdIsSet(SOCKET s, fd_set* set);

#define FD_SET(fd, set) QvWsFdAdd(static_cast<SOCKET>(fd), (set))
#define FD_CLR(fd, set) QvWsFdRemove(static_cast<SOCKET>(fd), (set))
#define FD_ISSET(fd, set) QvWsFdIsSet(static_cast<SOCKET>(fd), (set))
#define FD_ZERO(set) ((set)->fd_count = 0)

// ---------------------------------------------------------------------------
// Options and control codes

#define SOL_SOCKET 0xffff
#define SO_DEBUG 0x0001
#define SO_ACCEPTCONN 0x0002
#define SO_REUSEADDR 0x0004
#define SO_KEEPALIVE 0x0008
#define SO_DONTROUTE 0x0010
#define SO_BROADCAST 0x0020
#define SO_LINGER 0x0080
#define SO_OOBINLINE 0x0100
#define SO_DONTLINGER static_cast<int>(~SO_LINGER)
#define SO_SNDBUF 0x1001
#define SO_RCVBUF 0x1002
#define SO_SNDTIMEO 0x1005
#define SO_RCVTIMEO 0x1006
#define SO_ERROR 0x1007
#define SO_TYPE 0x1008
#define TCP_NODELAY 0x0001

struct linger {
  u_short l_onoff;
  u_short l_linger;
};
typedef linger LINGER;

#define FIONREAD static_cast<LONG>(0x4004667Fu)
#define FIONBIO static_cast<LONG>(0x8004667Eu)

#define MSG_OOB 0x1
#define MSG_PEEK 0x2
#define MSG_DONTROUTE 0x4
#define MSG_WAITALL 0x8

#define SD_RECEIVE 0x00
#define SD_SEND 0x01
#define SD_BOTH 0x02

#define SOMAXCONN 0x7fffffff

// ---------------------------------------------------------------------------
// Host and service data base

struct hostent {
  char* h_name;
  char** h_aliases;
  short h_addrtype;
  short h_length;
  char** h_addr_list;
};
#define h_addr h_addr_list[0]
typedef hostent HOSTENT;
typedef hostent* PHOSTENT;
typedef hostent* LPHOSTENT;

// The 64-bit field order (the protocol pointer before the port).
struct servent {
  char* s_name;
  char** s_aliases;
  char* s_proto;
  short s_port;
};
typedef servent SERVENT;
typedef servent* LPSERVENT;

// ---------------------------------------------------------------------------
// Calls

QV_API int WINAPI WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData);
QV_API int WINAPI WSACleanup(void);
QV_API int WINAPI WSAGetLastError(void);
QV_API void WINAPI WSASetLastError(int iError);
QV_API BOOL WINAPI WSAIsBlocking(void);
QV_API int WINAPI WSACancelBlockingCall(void);

QV_API SOCKET WINAPI socket(int af, int type, int protocol) QV_WS_SYMBOL(socket);
QV_API int WINAPI closesocket(SOCKET s);
QV_API int WINAPI bind(SOCKET s, const sockaddr* name, int namelen) QV_WS_SYMBOL(bind);
QV_API int WINAPI listen(SOCKET s, int backlog) QV_WS_SYMBOL(listen);
QV_API SOCKET WINAPI accept(SOCKET s, sockaddr* addr, int* addrlen) QV_WS_SYMBOL(accept);
QV_API int WINAPI connect(SOCKET s, const sockaddr* name, int namelen) QV_WS_SYMBOL(connect);
QV_API int WINAPI send(SOCKET s, const char* buf, int len, int flags) QV_WS_SYMBOL(send);
QV_API int WINAPI recv(SOCKET s, char* buf, int len, int flags) QV_WS_SYMBOL(recv);
QV_API int WINAPI sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen)
    QV_WS_SYMBOL(sendto);
QV_API int WINAPI recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen)
    QV_WS_SYMBOL(recvfrom);
QV_API int WINAPI shutdown(SOCKET s, int how) QV_WS_SYMBOL(shutdown);
QV_API int WINAPI ioctlsocket(SOCKET s, LONG cmd, u_long* argp);
QV_API int WINAPI setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen)
    QV_WS_SYMBOL(setsockopt);
QV_API int WINAPI getsockopt(SOCKET s, int level, int optname, char* optval, int* optlen) QV_WS_SYMBOL(getsockopt);
QV_API int WINAPI getsockname(SOCKET s, sockaddr* name, int* namelen) QV_WS_SYMBOL(getsockname);
QV_API int WINAPI getpeername(SOCKET s, sockaddr* name, int* namelen) QV_WS_SYMBOL(getpeername);

// nfds is ignored, as on Windows. A null timeout waits without limit; all three
// sets null or empty is WSAEINVAL.
QV_WS_OVERLOAD int WINAPI select(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds,
                                 const timeval* timeout) QV_WS_SYMBOL(select);

QV_API hostent* WINAPI gethostbyname(const char* name) QV_WS_SYMBOL(gethostbyname);
QV_API hostent* WINAPI gethostbyaddr(const char* addr, int len, int type) QV_WS_SYMBOL(gethostbyaddr);
QV_WS_OVERLOAD int WINAPI gethostname(char* name, int namelen) QV_WS_SYMBOL(gethostname);
QV_API servent* WINAPI getservbyname(const char* name, const char* proto) QV_WS_SYMBOL(getservbyname);
QV_API servent* WINAPI getservbyport(int port, const char* proto) QV_WS_SYMBOL(getservbyport);

QV_API u_long WINAPI inet_addr(const char* cp) QV_WS_SYMBOL(inet_addr);
QV_API char* WINAPI inet_ntoa(in_addr in) QV_WS_SYMBOL(inet_ntoa);
QV_API u_short WINAPI htons(u_short hostshort) QV_WS_SYMBOL(htons);
QV_API u_short WINAPI ntohs(u_short netshort) QV_WS_SYMBOL(ntohs);
QV_API u_long WINAPI htonl(u_long hostlong) QV_WS_SYMBOL(htonl);
QV_API u_long WINAPI ntohl(u_long netlong) QV_WS_SYMBOL(ntohl);

QV_API int WINAPI WSAAsyncSelect(SOCKET s, HWND hWnd, u_int wMsg, LONG lEvent);
QV_API HANDLE WINAPI WSAAsyncGetHostByName(HWND hWnd, u_int wMsg, const char* name, char* buf, int buflen);
QV_API HANDLE WINAPI WSAAsyncGetHostByAddr(HWND hWnd, u_int wMsg, const char* addr, int len, int type, char* buf,
                                           int buflen);
QV_API int WINAPI WSACancelAsyncRequest(HANDLE hAsyncTaskHandle);
