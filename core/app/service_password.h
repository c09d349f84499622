// The stored form of the service account's password: 80 hexadecimal digits
// for 40 bytes, each of the first 39 XORed with the byte after it, the
// password itself from the fifth byte on, ended by a zero byte.
#pragma once

#include <cstddef>

inline constexpr int kScrambledBytes = 40;
inline constexpr int kScrambledDigits = 2 * kScrambledBytes;
// The password starts at this byte; it can fill the block to its end.
inline constexpr int kPasswordOffset = 4;
inline constexpr int kMaxDecodedPassword = kScrambledBytes - kPasswordOffset;

// Decodes stored into out (outSize bytes with the zero). Only the 40 bytes of
// the block are read: a password without its zero byte ends with the block.
// Anything but exactly 80 hexadecimal digits is no password: false, and out
// is emptied. An output too small for the password also gives false.
bool DecodeServicePassword(const char* stored, char* out, size_t outSize);

// The longest password the stored form holds with its zero byte.
inline constexpr int kMaxEncodedPassword = kMaxDecodedPassword - 1;
// Encodes password into out (at least kScrambledDigits + 1 bytes): random
// printable filler around the password and its zero byte, chained and written
// as 80 lower-case hexadecimal digits. An empty password is stored empty.
// False (out emptied) for a password longer than kMaxEncodedPassword.
bool EncodeServicePassword(const char* password, char* out, size_t outSize);
