#include "comm/termios_map.h"

#include <gtest/gtest.h>

#include "comm/pty_pair.h"
#include "qvplatform.h"

namespace {

DCB LineDcb(DWORD baud, BYTE size, BYTE parity, BYTE stop) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  dcb.BaudRate = baud;
  dcb.ByteSize = size;
  dcb.Parity = parity;
  dcb.StopBits = stop;
  dcb.fParity = 1;
  dcb.XonChar = 17;
  dcb.XoffChar = 19;
  return dcb;
}

TEST(TermiosMap, LineFormatsBecomeTheirTermiosFlags) {
  struct Case {
    BYTE size, parity, stop;
    tcflag_t cflag;  // CSIZE, parity and stop bits expected
  } cases[] = {
      {8, NOPARITY, ONESTOPBIT, CS8},
      {7, EVENPARITY, TWOSTOPBITS, CS7 | PARENB | CSTOPB},
      {7, ODDPARITY, ONESTOPBIT, CS7 | PARENB | PARODD},
      {6, MARKPARITY, ONESTOPBIT, CS6 | PARENB | PARODD | CMSPAR},
      {5, SPACEPARITY, ONE5STOPBITS, CS5 | PARENB | CMSPAR | CSTOPB},
  };
  for (const Case& c : cases) {
    termios t{};
    cfmakeraw(&t);
    ASSERT_EQ(qvp::DcbToTermios(LineDcb(19200, c.size, c.parity, c.stop), &t), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), c.cflag) << int(c.size) << int(c.parity);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ((t.c_iflag & INPCK) != 0, c.parity != NOPARITY);
    DCB back = LineDcb(0, 0, 0, 0);
    back.StopBits = c.stop;
    qvp::TermiosToDcb(t, &back);
    EXPECT_EQ(back.ByteSize, c.size);
    EXPECT_EQ(back.Parity, c.parity);
    EXPECT_EQ(back.StopBits, c.stop);
    EXPECT_EQ(back.BaudRate, 19200u);
  }
}

TEST(TermiosMap, ImpossibleLinesAreRefused) {
  termios t{};
  EXPECT_EQ(qvp::DcbToTermios(LineDcb(19200, 8, NOPARITY, ONE5STOPBITS), &t), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(qvp::DcbToTermios(LineDcb(19200, 9, NOPARITY, ONESTOPBIT), &t), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(qvp::DcbToTermios(LineDcb(19200, 8, 5, ONESTOPBIT), &t), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(qvp::DcbToTermios(LineDcb(19200, 8, NOPARITY, 3), &t), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(qvp::DcbToTermios(LineDcb(12345, 8, NOPARITY, ONESTOPBIT), &t), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // The pager's stored defaults (16 bit/s, parity 1024) are no line either.
  EXPECT_EQ(qvp::DcbToTermios(LineDcb(16, 7, 2, 2), &t), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(TermiosMap, FlowControlAndItsCharacters) {
  DCB dcb = LineDcb(9600, 8, NOPARITY, ONESTOPBIT);
  dcb.fOutxCtsFlow = 1;
  dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
  dcb.fOutX = 1;
  dcb.fInX = 1;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  termios t{};
  cfmakeraw(&t);
  ASSERT_EQ(qvp::DcbToTermios(dcb, &t), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
  EXPECT_NE(t.c_iflag & IXON, 0u);
  EXPECT_NE(t.c_iflag & IXOFF, 0u);
  EXPECT_EQ(t.c_cc[VSTART], 0x11);
  EXPECT_EQ(t.c_cc[VSTOP], 0x13);
  EXPECT_NE(t.c_cflag & (CLOCAL | CREAD | HUPCL), 0u);

  dcb.fOutxCtsFlow = 0;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fOutX = 0;
  dcb.fInX = 0;
  ASSERT_EQ(qvp::DcbToTermios(dcb, &t), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
}

// A pseudo terminal takes the speed and stop bits but always carries eight
// bits without parity, and has no modem lines: DSR, CTS and carrier read as on
// while DTR and RTS keep what was set.
TEST(TermiosMap, APseudoTerminalForcesEightBitsWithoutParity) {
  qvtest::PtyPair pty(41);
  ASSERT_TRUE(pty.ok());
  HANDLE port = CreateFileA(pty.name().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  DCB dcb{};
  ASSERT_TRUE(GetCommState(port, &dcb));
  dcb.BaudRate = 2400;
  dcb.ByteSize = 7;
  dcb.Parity = EVENPARITY;
  dcb.StopBits = TWOSTOPBITS;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  ASSERT_TRUE(SetCommState(port, &dcb));
  DCB back{};
  ASSERT_TRUE(GetCommState(port, &back));
  EXPECT_EQ(back.BaudRate, 2400u);
  EXPECT_EQ(back.ByteSize, 8);
  EXPECT_EQ(back.Parity, NOPARITY);
  EXPECT_EQ(back.StopBits, TWOSTOPBITS);
  EXPECT_EQ(back.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
  EXPECT_EQ(back.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
  DWORD lines = 0;
  ASSERT_TRUE(GetCommModemStatus(port, &lines));
  EXPECT_EQ(lines, static_cast<DWORD>(MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON));
  dcb.StopBits = ONE5STOPBITS;  // with seven bits: refused, the line unchanged
  EXPECT_FALSE(SetCommState(port, &dcb));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  ASSERT_TRUE(GetCommState(port, &back));
  EXPECT_EQ(back.StopBits, TWOSTOPBITS);
  CloseHandle(port);
}

}  // namespace
