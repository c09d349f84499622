// C library error numbers to Windows Sockets error codes.
#pragma once

namespace qvp::net {

// errno of a socket call -> WSAE... (EINPROGRESS becomes WSAEWOULDBLOCK, as a
// non-blocking connect answers on Windows).
int WsaFromErrno(int error);
// getaddrinfo / getnameinfo result -> WSAHOST_NOT_FOUND, WSANO_DATA, ...
int WsaFromAddrInfo(int result, int saved_errno);

}  // namespace qvp::net
