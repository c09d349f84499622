// The export tables of the built-in "WSOCK32.DLL" and "WS2_32.DLL".
#include "net/winsock_internal.h"
#include "qvplatform/modules.h"

namespace {

template <class F>
FARPROC Export(F* function) {
  return reinterpret_cast<FARPROC>(function);
}

using SelectFn = int(WINAPI*)(int, fd_set*, fd_set*, fd_set*, const timeval*);
using HostNameFn = int(WINAPI*)(char*, int);

const qvp::BuiltinExport kWinsockExports[] = {
    {"WSAStartup", Export(&WSAStartup)},
    {"WSACleanup", Export(&WSACleanup)},
    {"WSAGetLastError", Export(&WSAGetLastError)},
    {"WSASetLastError", Export(&WSASetLastError)},
    {"WSAIsBlocking", Export(&WSAIsBlocking)},
    {"WSACancelBlockingCall", Export(&WSACancelBlockingCall)},
    {"socket", Export(&socket)},
    {"closesocket", Export(&closesocket)},
    {"bind", Export(&bind)},
    {"listen", Export(&listen)},
    {"accept", Export(&accept)},
    {"connect", Export(&connect)},
    {"send", Export(&send)},
    {"recv", Export(&recv)},
    {"sendto", Export(&sendto)},
    {"recvfrom", Export(&recvfrom)},
    {"shutdown", Export(&shutdown)},
    {"ioctlsocket", Export(&ioctlsocket)},
    {"setsockopt", Export(&setsockopt)},
    {"getsockopt", Export(&getsockopt)},
    {"getsockname", Export(&getsockname)},
    {"getpeername", Export(&getpeername)},
    {"select", Export(static_cast<SelectFn>(&select))},
    {"__WSAFDIsSet", Export(&QvWsFdIsSet)},
    {"gethostbyname", Export(&gethostbyname)},
    {"gethostbyaddr", Export(&gethostbyaddr)},
    {"gethostname", Export(static_cast<HostNameFn>(&gethostname))},
    {"getservbyname", Export(&getservbyname)},
    {"getservbyport", Export(&getservbyport)},
    {"inet_addr", Export(&inet_addr)},
    {"inet_ntoa", Export(&inet_ntoa)},
    {"htons", Export(&htons)},
    {"ntohs", Export(&ntohs)},
    {"htonl", Export(&htonl)},
    {"ntohl", Export(&ntohl)},
    {"WSAAsyncSelect", Export(&WSAAsyncSelect)},
    {"WSAAsyncGetHostByName", Export(&WSAAsyncGetHostByName)},
    {"WSAAsyncGetHostByAddr", Export(&WSAAsyncGetHostByAddr)},
    {"WSACancelAsyncRequest", Export(&WSACancelAsyncRequest)},
    {nullptr, nullptr},
};

[[maybe_unused]] const bool kRegistered = (qvp::RegisterBuiltinModule("WSOCK32.DLL", kWinsockExports),
                                           qvp::RegisterBuiltinModule("WS2_32.DLL", kWinsockExports), true);

}  // namespace
