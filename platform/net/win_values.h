// Windows Sockets values the socket engine works with, under names that do not
// collide with the C library's socket headers (the engine's sources include
// those). net_winsock.h gives the same numbers their Windows names, and
// winsock_api.cpp checks that the two agree.
#pragma once

#include <cstdint>

namespace qvp::net::win {

constexpr int kAfUnspec = 0;
constexpr int kAfInet = 2;

constexpr int kSockStream = 1;
constexpr int kSockDgram = 2;
constexpr int kSockRaw = 3;

constexpr int kIpprotoIp = 0;
constexpr int kIpprotoTcp = 6;
constexpr int kIpprotoUdp = 17;

constexpr int kSolSocket = 0xffff;
constexpr int kSoAcceptConn = 0x0002;
constexpr int kSoReuseAddr = 0x0004;
constexpr int kSoKeepAlive = 0x0008;
constexpr int kSoBroadcast = 0x0020;
constexpr int kSoLinger = 0x0080;
constexpr int kSoDontLinger = ~0x0080;
constexpr int kSoSndBuf = 0x1001;
constexpr int kSoRcvBuf = 0x1002;
constexpr int kSoSndTimeo = 0x1005;
constexpr int kSoRcvTimeo = 0x1006;
constexpr int kSoError = 0x1007;
constexpr int kSoType = 0x1008;
constexpr int kTcpNoDelay = 0x0001;

constexpr int32_t kFionread = 0x4004667F;
constexpr int32_t kFionbio = static_cast<int32_t>(0x8004667Eu);

constexpr int kMsgOob = 0x1;
constexpr int kMsgPeek = 0x2;
constexpr int kMsgDontRoute = 0x4;
constexpr int kMsgWaitAll = 0x8;

constexpr int kSdReceive = 0;
constexpr int kSdSend = 1;
constexpr int kSdBoth = 2;

}  // namespace qvp::net::win
