// The service password's stored form: written the way the options page
// writes it, read back by the service start; damaged texts give no password
// and nothing past the 40-byte block is ever read.
#include "service_password.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <random>
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

TEST(ServicePassword, EncodedPasswordsDecodeBackWithFreshFillerEachTime) {
  char first[kScrambledDigits + 1];
  char second[kScrambledDigits + 1];
  char back[kScrambledBytes + 1];
  for (const char* password : {"x", "s3cret pass", "12345678901234567890123456789012345"}) {
    ASSERT_TRUE(EncodeServicePassword(password, first, sizeof first));
    ASSERT_TRUE(EncodeServicePassword(password, second, sizeof second));
    EXPECT_EQ(std::strlen(first), static_cast<size_t>(kScrambledDigits));
    for (const char* c = first; *c; ++c) EXPECT_TRUE(std::isdigit(*c) || (*c >= 'a' && *c <= 'f')) << first;
    EXPECT_STRNE(first, second);
    ASSERT_TRUE(DecodeServicePassword(first, back, sizeof back));
    EXPECT_STREQ(back, password);
  }
  // Empty stays empty; past 35 characters nothing is written.
  ASSERT_TRUE(EncodeServicePassword("", first, sizeof first));
  EXPECT_STREQ(first, "");
  EXPECT_FALSE(EncodeServicePassword("123456789012345678901234567890123456", first, sizeof first));
  EXPECT_STREQ(first, "");
  EXPECT_FALSE(EncodeServicePassword("abc", first, 40));
}

TEST(ServicePassword, DecodingAnyTextStaysInsideTheBlock) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 100);
  char out[kScrambledBytes + 1];
  for (int round = 0; round < 5000; ++round) {
    std::string text(static_cast<size_t>(length(random)), '\0');
    for (char& c : text) {
      c = static_cast<char>(byte(random));
      if (c == '\0') c = 'a';
    }
    if (round % 2 == 0) {  // mostly well-formed hexadecimal text
      text.resize(kScrambledDigits);
      for (char& c : text) c = "0123456789abcdefABCDEF"[byte(random) % 22];
    }
    const bool ok = DecodeServicePassword(text.c_str(), out, sizeof out);
    EXPECT_LE(std::strlen(out), static_cast<size_t>(kMaxDecodedPassword));
    if (!ok) {
      EXPECT_STREQ(out, "");
    }
  }
}
