// Host and service look-ups through the C library's thread-safe calls
// (getaddrinfo, getnameinfo, getservbyname_r, ...). Results are Windows
// Sockets error codes; the answers are plain values the callers lay out into
// Windows' structures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvp::net {

struct HostInfo {
  std::string name;
  std::vector<std::string> aliases;
  std::vector<uint32_t> addrs;  // IPv4, network byte order
};

struct ServInfo {
  std::string name;
  std::vector<std::string> aliases;
  std::string proto;
  uint16_t port = 0;  // network byte order
};

// IPv4 addresses of a name; a dotted address answers itself.
int ResolveName(const std::string& name, HostInfo* out);
// The name of an IPv4 address (network byte order).
int ResolveAddress(uint32_t addr, HostInfo* out);
int LocalHostName(std::string* out);
// proto null or empty: any protocol.
int ServiceByName(const char* name, const char* proto, ServInfo* out);
int ServiceByPort(uint16_t port, const char* proto, ServInfo* out);

}  // namespace qvp::net
