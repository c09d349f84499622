// The service password's stored form: written the way the options page
// writes it, read back by the service start; damaged texts give no password
// and nothing past the 40-byte block is ever read.
#include "service_password.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

// The stored form of the bytes given (password and zero from byte 4 on,
// printable filler elsewhere).
std::string Scramble(unsigned char bytes[kScrambledBytes]) {
  for (int i = 0; i < kScrambledBytes - 1; ++i) bytes[i] = static_cast<unsigned char>(bytes[i] ^ bytes[i + 1]);
  std::string text;
  char digits[3];
  for (int i = 0; i < kScrambledBytes; ++i) {
    std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
    text += digits;
  }
  return text;
}

std::string Store(const std::string& password, unsigned seed) {
  unsigned char bytes[kScrambledBytes];
  for (int i = 0; i < kScrambledBytes; ++i) bytes[i] = static_cast<unsigned char>((seed * 7 + i * 13) % 95 + 32);
  std::memcpy(bytes + kPasswordOffset, password.c_str(), password.size() + 1);
  return Scramble(bytes);
}

std::string Decode(const std::string& stored, bool* ok = nullptr) {
  char out[kMaxDecodedPassword + 1];
  std::memset(out, 'x', sizeof out);
  const bool decoded = DecodeServicePassword(stored.c_str(), out, sizeof out);
  if (ok) *ok = decoded;
  return out;
}

TEST(ServicePassword, StoredPasswordsComeBackWhateverTheFiller) {
  for (const std::string password : {"a", "Secret 1!", "exactly-thirty-five-characters-long"}) {
    ASSERT_LE(password.size(), 35u);
    for (unsigned seed : {1u, 2u, 99u}) {
      bool ok = false;
      EXPECT_EQ(Decode(Store(password, seed), &ok), password);
      EXPECT_TRUE(ok);
    }
  }
  // Upper-case digits read the same.
  std::string upper = Store("Mixed", 5);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(Decode(upper), "Mixed");
}

TEST(ServicePassword, APasswordWithoutItsZeroEndsWithTheBlock) {
  unsigned char bytes[kScrambledBytes];
  for (int i = 0; i < kScrambledBytes; ++i) bytes[i] = static_cast<unsigned char>('A' + i % 26);
  const std::string stored = Scramble(bytes);
  bool ok = false;
  const std::string password = Decode(stored, &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(password.size(), static_cast<size_t>(kMaxDecodedPassword));
  EXPECT_EQ(password.substr(0, 3), "EFG");
  EXPECT_EQ(password.back(), 'A' + 39 % 26);
}

TEST(ServicePassword, DamagedTextIsNoPassword) {
  const std::string good = Store("pw", 3);
  std::string bad_digit = good;
  bad_digit[10] = 'g';
  for (const std::string& stored : {good.substr(1), good + "0", bad_digit, std::string("plain password"),
                                    std::string()}) {
    bool ok = true;
    EXPECT_EQ(Decode(stored, &ok), "") << stored;
    EXPECT_FALSE(ok) << stored;
  }
  char out[8];
  EXPECT_FALSE(DecodeServicePassword(nullptr, out, sizeof out));
  EXPECT_STREQ(out, "");
}

TEST(ServicePassword, AnOutputTooSmallIsRefusedNotOverrun) {
  char out[4];
  EXPECT_FALSE(DecodeServicePassword(Store("longer", 1).c_str(), out, sizeof out));
  EXPECT_STREQ(out, "");
  char fits[7];
  EXPECT_TRUE(DecodeServicePassword(Store("longer", 1).c_str(), fits, sizeof fits));
  EXPECT_STREQ(fits, "longer");
}

}  // namespace
