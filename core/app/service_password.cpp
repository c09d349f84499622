// Decoding of the service password's stored form.
#include "service_password.h"

#include <cstring>

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool DecodeServicePassword(const char* stored, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return false;
  out[0] = '\0';
  if (stored == nullptr || std::strlen(stored) != static_cast<size_t>(kScrambledDigits)) return false;

  unsigned char bytes[kScrambledBytes];
  for (int i = 0; i < kScrambledBytes; ++i) {
    const int high = HexValue(stored[2 * i]);
    const int low = HexValue(stored[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<unsigned char>(high * 16 + low);
  }
  // Undo the chain from the end: each byte was XORed with its successor.
  for (int i = kScrambledBytes - 2; i >= 0; --i) bytes[i] = static_cast<unsigned char>(bytes[i] ^ bytes[i + 1]);

  size_t length = 0;
  while (kPasswordOffset + length < static_cast<size_t>(kScrambledBytes) && bytes[kPasswordOffset + length] != 0)
    ++length;
  if (length + 1 > outSize) return false;
  std::memcpy(out, bytes + kPasswordOffset, length);
  out[length] = '\0';
  return true;
}
