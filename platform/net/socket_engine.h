// The socket engine behind the Windows Sockets calls: sockets by the layer's
// own SOCKET values, Windows' connection states and blocking rules, select
// and the WSAAsyncSelect watcher. Results are Windows Sockets error codes
// (0 for success); the callers in winsock_*.cpp turn them into SOCKET_ERROR
// and the thread's last error. This header names no socket type of either
// Windows or the C library, so both sides include it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qvp::net {

using SocketId = uintptr_t;

// An IPv4 address and port, both in network byte order.
struct Inet4 {
  uint32_t addr = 0;
  uint16_t port = 0;
  bool set = false;  // filled in by a receive (datagram and raw sockets only)
};

// Start-up count. Cleanup answers WSANOTINITIALISED when nothing is started
// and sets *last when this call ended the last start: every socket is then
// closed and the watcher thread joined.
void EngineStartup();
int EngineCleanup(bool* last);
bool EngineStarted();

// 0 for a socket of the table, else WSANOTINITIALISED or WSAENOTSOCK.
int CheckSocket(SocketId s);

int OpenSocket(int af, int type, int protocol, SocketId* out);
int CloseSocket(SocketId s);
int Bind(SocketId s, const Inet4& local);
int Listen(SocketId s, int backlog);
int Accept(SocketId s, Inet4* peer, SocketId* out);
int Connect(SocketId s, const Inet4& remote);
// `to` is null for send. *done receives the bytes sent or received.
int Send(SocketId s, const void* buf, size_t len, int flags, const Inet4* to, size_t* done);
int Recv(SocketId s, void* buf, size_t len, int flags, Inet4* from, size_t* done);
int Shutdown(SocketId s, int how);
int Ioctl(SocketId s, int32_t cmd, uint32_t* arg);
// Options with Windows' levels, names and value layouts; *len is in/out for get.
int SetOption(SocketId s, int level, int name, const void* value, int len);
int GetOption(SocketId s, int level, int name, void* value, int* len);
int LocalName(SocketId s, Inet4* out);
int PeerName(SocketId s, Inet4* out);

// select: each list is replaced by its ready sockets; *ready is their total.
// timeout_ms < 0 waits without limit.
struct SelectLists {
  std::vector<SocketId> read, write, except;
};
int Select(SelectLists& lists, int64_t timeout_ms, int* ready);

// WSAAsyncSelect; events 0 cancels.
int AsyncSelect(SocketId s, void* hwnd, unsigned msg, long events);

}  // namespace qvp::net
