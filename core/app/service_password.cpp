// The stored form of passwords: encoding and decoding.
#include "service_password.h"

#include <cstdio>
#include <cstring>
#include <random>

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

bool EncodeServicePassword(const char* password, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return false;
  out[0] = '\0';
  if (password == nullptr || password[0] == '\0') return true;
  const size_t length = std::strlen(password);
  if (length > static_cast<size_t>(kMaxEncodedPassword) || outSize < static_cast<size_t>(kScrambledDigits) + 1)
    return false;

  unsigned char bytes[kScrambledBytes];
  std::random_device seed;
  std::mt19937 filler(seed());
  std::uniform_int_distribution<int> printable(32, 126);
  for (unsigned char& b : bytes) b = static_cast<unsigned char>(printable(filler));
  std::memcpy(bytes + kPasswordOffset, password, length + 1);
  for (int i = 0; i < kScrambledBytes - 1; ++i) bytes[i] = static_cast<unsigned char>(bytes[i] ^ bytes[i + 1]);
  for (int i = 0; i < kScrambledBytes; ++i) std::snprintf(out + 2 * i, 3, "%02x", bytes[i]);
  return true;
}
