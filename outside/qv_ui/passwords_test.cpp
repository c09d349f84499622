#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "qv_ui.h"

namespace {

std::string Encrypt(const std::string& plain, int size = 165) {
  std::string out(static_cast<size_t>(size), '#');
  QVUI_EncryptPassword(plain.c_str(), out.data(), size);
  return out.c_str();
}

std::string Decrypt(const std::string& stored, int size = 165) {
  std::string out(static_cast<size_t>(size), '#');
  QVUI_DecryptPassword(stored.c_str(), out.data(), size);
  return out.c_str();
}

TEST(PasswordTest, StoredFormIsPrintableAndHidesThePassword) {
  const std::string plain = "aaaa Secret!\x80\xff";
  const std::string stored = Encrypt(plain);
  EXPECT_EQ(stored.size(), plain.size() * 2);
  for (char c : stored) EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(c))) << stored;
  EXPECT_EQ(stored.find("aaaa"), std::string::npos);
  // The same letter repeated does not repeat in the stored form.
  EXPECT_NE(stored.substr(0, 2), stored.substr(2, 2));
  EXPECT_EQ(Decrypt(stored), plain);
}

TEST(PasswordTest, EveryByteRoundTrips) {
  std::string plain;
  for (int c = 1; c < 256; ++c) plain += static_cast<char>(c);
  const std::string stored = Encrypt(plain, 1024);
  EXPECT_EQ(Decrypt(stored, 1024), plain);
}

TEST(PasswordTest, LongPasswordsKeepWholeLeadingCharacters) {
  const std::string plain(100, 'x');
  char out[165];
  EXPECT_FALSE(QVUI_EncryptPassword(plain.c_str(), out, sizeof out));
  EXPECT_EQ(std::string(out).size(), 164u);  // 82 characters, never half of one
  EXPECT_EQ(Decrypt(out), plain.substr(0, 82));

  char small[8];
  EXPECT_FALSE(QVUI_DecryptPassword(Encrypt("abcdefghij").c_str(), small, sizeof small));
  EXPECT_STREQ(small, "abcdefg");
}

TEST(PasswordTest, EmptyAndMissingInput) {
  char out[16] = "junk";
  EXPECT_TRUE(QVUI_EncryptPassword(nullptr, out, sizeof out));
  EXPECT_STREQ(out, "");
  EXPECT_TRUE(QVUI_DecryptPassword("", out, sizeof out));
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(QVUI_EncryptPassword("x", nullptr, 16));
  EXPECT_FALSE(QVUI_EncryptPassword("x", out, 0));
}

TEST(PasswordTest, TextThatIsNoStoredFormDecodesToNothing) {
  const std::string good = Encrypt("secret");
  char out[165];
  EXPECT_FALSE(QVUI_DecryptPassword("secret", out, sizeof out));  // plain text left in a file
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(QVUI_DecryptPassword(good.substr(1).c_str(), out, sizeof out));  // odd length
  EXPECT_STREQ(out, "");
  // A pair that would decode to a zero would end the password early: the mask of the
  // first position is 'Q' (0x51), so "Q" is stored as "00" and "51" decodes to a zero.
  char zero[3];
  QVUI_EncryptPassword("Q", zero, sizeof zero);
  EXPECT_STREQ(zero, "00");
  EXPECT_FALSE(QVUI_DecryptPassword("5141", out, sizeof out));
  EXPECT_STREQ(out, "");
  // Lower-case digits read like upper-case ones.
  std::string lower = good;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_TRUE(QVUI_DecryptPassword(lower.c_str(), out, sizeof out));
  EXPECT_STREQ(out, "secret");
}

}  // namespace
