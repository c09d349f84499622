// The TAP block and its checksum, and the numeric dial string.
#include "pager_modem.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "pager_alert.h"

namespace {

TEST(TapBlock, IdDigitsMessageAndChecksum) {
  EXPECT_EQ(BuildTapBlock("123-456", "Host down"), std::string("\x02" "123456\rHost down\r\x03" "4<:\r"));
  EXPECT_EQ(TapChecksum("\x02" "123456\rHost down\r\x03", 19), "4<:");
  // No message: the service still gets a text.
  EXPECT_EQ(BuildTapBlock("7", nullptr),
            std::string("\x02" "7\rThis message intentionally left blank.\r\x03") +
                TapChecksum("\x02" "7\rThis message intentionally left blank.\r\x03", 43) + "\r");
}

TEST(TapBlock, LongTextIsCutTo220CharactersFromStx) {
  const std::string text(300, 'x');
  const std::string block = BuildTapBlock("42", text.c_str());
  ASSERT_EQ(block.size(), 220u + 6u);  // CR, ETX, three checksum characters, CR
  EXPECT_EQ(block.substr(0, 4), "\x02" "42\r");
  EXPECT_EQ(block.substr(4, 216), std::string(216, 'x'));
  EXPECT_EQ(block.substr(220, 2), "\r\x03");
  EXPECT_EQ(block.substr(222, 3), TapChecksum(block.data(), 222));
}

// Field 2 carries printable 7-bit text only: CR and LF go, other control
// bytes and DEL become blanks, 8-bit bytes "?", so no ETX ends the block
// early and the signed-byte sum equals TAP's 7-bit sum.
TEST(TapBlock, ControlAnd8BitTextAreMadePrintable) {
  const std::string block = BuildTapBlock("1", "a\r\nb\x03" "c\x7f" "d\xc3\xa9" "e\x1b");
  EXPECT_EQ(block.substr(0, 3), "\x02" "1\r");
  EXPECT_EQ(block.substr(3, block.size() - 3 - 6), "ab c d??e ");
  unsigned tapSum = 0;
  for (size_t i = 0; i < block.size() - 4; ++i) tapSum += static_cast<unsigned char>(block[i]) & 0x7F;
  const std::string tap = {static_cast<char>(0x30 | ((tapSum >> 8) & 15)), static_cast<char>(0x30 | ((tapSum >> 4) & 15)),
                           static_cast<char>(0x30 | (tapSum & 15))};
  EXPECT_EQ(block.substr(block.size() - 4, 3), tap);
  EXPECT_EQ(std::count(block.begin(), block.end(), '\x03'), 1);
}

TEST(NumericDial, DelaysBecomeCommasAndFieldsAreReducedInPlace) {
  CPagerAlert alert;
  alert.SetNumericMode();
  alert.SetConnectDelay(15);
  alert.SetMessage("0000");
  alert.SetNumber("555-1234");
  const std::string dial = BuildNumericDialString(alert);
  EXPECT_EQ(dial, "ATDT,5551234,,,,,,,,0000\r");
  EXPECT_EQ(dial.size(), 25u);
  EXPECT_STREQ(alert.GetNumber(), "5551234");
  // The wait is ConnectDelay and half the dial string: 15 + 12 (+ 5 s).
  EXPECT_EQ(alert.GetConnectDelay() + static_cast<int>(dial.size() / 2), 27);

  alert.SetPreDial("9 ");
  alert.SetPostDial("#");
  alert.SetPIN("12 34");
  alert.SetPINDelay(4);
  alert.SetMessage(nullptr);
  alert.SetConnectDelay(2);
  EXPECT_EQ(BuildNumericDialString(alert), "ATDT9,5551234,#,1234,,0000000\r");
  EXPECT_STREQ(alert.GetPIN(), "1234");
  EXPECT_STREQ(alert.GetPreDial(), "9");
}

}  // namespace
