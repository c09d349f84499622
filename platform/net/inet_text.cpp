// Address texts and byte order: inet_addr, inet_ntoa, htons and friends.
// None of them needs WSAStartup.
#include <bit>
#include <cstdio>

#include "net/winsock_internal.h"

namespace {

constexpr bool kLittleEndian = std::endian::native == std::endian::little;

uint16_t Swap16(uint16_t v) { return kLittleEndian ? static_cast<uint16_t>((v >> 8) | (v << 8)) : v; }

uint32_t Swap32(uint32_t v) {
  if (!kLittleEndian) return v;
  return (v >> 24) | ((v >> 8) & 0xff00u) | ((v << 8) & 0xff0000u) | (v << 24);
}

// One part of a dotted address in C notation: 0x.. hexadecimal, 0.. octal,
// else decimal. False when there is no digit or the value passes 32 bits.
bool ReadPart(const char*& p, uint64_t* out) {
  uint64_t base = 10;
  if (*p == '0') {
    base = 8;
    if (p[1] == 'x' || p[1] == 'X') {
      base = 16;
      p += 2;
    }
  }
  uint64_t v = 0;
  int digits = 0;
  for (;; ++p, ++digits) {
    int d;
    char c = *p;
    if (c >= '0' && c <= '9') {
      d = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      d = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      d = c - 'A' + 10;
    } else {
      break;
    }
    if (static_cast<uint64_t>(d) >= base) return false;
    v = v * base + static_cast<uint64_t>(d);
    if (v > 0xffffffffu) return false;
  }
  if (digits == 0) return false;  // "0x" alone, or nothing at all
  *out = v;
  return true;
}

}  // namespace

u_long WINAPI inet_addr(const char* cp) {
  if (!cp) return INADDR_NONE;
  uint64_t parts[4] = {};
  int count = 0;
  const char* p = cp;
  for (;;) {
    if (count == 4 || !ReadPart(p, &parts[count])) return INADDR_NONE;
    ++count;
    if (*p != '.') break;
    ++p;
  }
  if (*p != '\0' && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') return INADDR_NONE;
  // a, a.b (b 24 bits), a.b.c (c 16 bits), a.b.c.d: the last part fills the rest.
  static const uint64_t kLastMax[4] = {0xffffffffu, 0xffffffu, 0xffffu, 0xffu};
  uint64_t host = 0;
  for (int i = 0; i < count - 1; ++i) {
    if (parts[i] > 0xff) return INADDR_NONE;
    host |= parts[i] << (24 - 8 * i);
  }
  if (parts[count - 1] > kLastMax[count - 1]) return INADDR_NONE;
  host |= parts[count - 1];
  return Swap32(static_cast<uint32_t>(host));
}

char* WINAPI inet_ntoa(in_addr in) {
  thread_local char text[16];
  const auto& b = in.S_un.S_un_b;
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", b.s_b1, b.s_b2, b.s_b3, b.s_b4);
  return text;
}

u_short WINAPI htons(u_short hostshort) { return Swap16(hostshort); }
u_short WINAPI ntohs(u_short netshort) { return Swap16(netshort); }
u_long WINAPI htonl(u_long hostlong) { return Swap32(hostlong); }
u_long WINAPI ntohl(u_long netlong) { return Swap32(netlong); }
