// Tests only: a plain loopback client of the server, over the C library's
// sockets (this file sees no Windows names).
#pragma once

#include <cstdint>
#include <string>

namespace qvtest {

// A port of 127.0.0.1 that was free a moment ago.
uint16_t FreeLoopbackPort();
// A connected socket to 127.0.0.1:port, or -1. Reads wait at most
// `patienceSeconds` (a guard against a hung server, not a measure).
int Connect(uint16_t port, int patienceSeconds = 60);
// The two halves of Connect: a socket not yet connected, then its connect.
int OpenSocket(int patienceSeconds = 60);
bool ConnectSocket(int fd, uint16_t port);
bool SendText(int fd, const std::string& bytes);
// Everything until the server closes (or the patience ends).
std::string ReadToEnd(int fd);
void Close(int fd);
// Connect, send, read to the end, close.
std::string Exchange(uint16_t port, const std::string& bytes);

}  // namespace qvtest
