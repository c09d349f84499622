// Helpers shared by the Windows Sockets calls (the sources that see Windows'
// socket structures).
#pragma once

#include <cstddef>

#include "net/resolver.h"
#include "net/socket_engine.h"
#include "qvplatform/kernel.h"
#include "qvplatform/net_winsock.h"

namespace qvp::net {

// Sets the thread's last error and answers SOCKET_ERROR.
inline int Fail(int wsa_error) {
  SetLastError(static_cast<DWORD>(wsa_error));
  return SOCKET_ERROR;
}

// A caller's sockaddr_in -> Inet4 (WSAEFAULT when too short, WSAEAFNOSUPPORT
// for another family).
int ReadAddress(const sockaddr* name, int namelen, Inet4* out);
// Inet4 -> the caller's buffer; *namelen in/out.
int WriteAddress(const Inet4& a, sockaddr* name, int* namelen);

// Lays a hostent (or servent) with its lists and texts out in buf. Answers the
// bytes the whole takes; writes only when size holds them.
size_t PackHostent(const HostInfo& h, char* buf, size_t size);
size_t PackServent(const ServInfo& s, char* buf, size_t size);

// Cancels the asynchronous look-ups and joins their threads (last WSACleanup).
void StopAsyncLookups();

}  // namespace qvp::net
