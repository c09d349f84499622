// The device control block's line settings as a termios and back.
#include "comm/termios_map.h"

#include "qvplatform/errors.h"

namespace qvp {

namespace {

struct SpeedEntry {
  DWORD baud;
  speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

}  // namespace

bool SpeedFromBaud(DWORD baud, speed_t* speed) {
  for (const SpeedEntry& entry : kSpeeds) {
    if (entry.baud == baud) {
      *speed = entry.speed;
      return true;
    }
  }
  return false;
}

DWORD BaudFromSpeed(speed_t speed) {
  for (const SpeedEntry& entry : kSpeeds) {
    if (entry.speed == speed) return entry.baud;
  }
  return 0;
}

DWORD DcbToTermios(const DCB& dcb, termios* t) {
  speed_t speed = 0;
  if (!SpeedFromBaud(dcb.BaudRate, &speed)) return ERROR_INVALID_PARAMETER;
  tcflag_t size = 0;
  switch (dcb.ByteSize) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return ERROR_INVALID_PARAMETER;
  }
  tcflag_t parity = 0;
  switch (dcb.Parity) {
    case NOPARITY: break;
    case ODDPARITY: parity = PARENB | PARODD; break;
    case EVENPARITY: parity = PARENB; break;
    case MARKPARITY: parity = PARENB | PARODD | CMSPAR; break;
    case SPACEPARITY: parity = PARENB | CMSPAR; break;
    default: return ERROR_INVALID_PARAMETER;
  }
  tcflag_t stop = 0;
  switch (dcb.StopBits) {
    case ONESTOPBIT: break;
    case ONE5STOPBITS:
      // A line sends one and a half stop bits only with five data bits (the
      // two-stop setting gives them there).
      if (dcb.ByteSize != 5) return ERROR_INVALID_PARAMETER;
      stop = CSTOPB;
      break;
    case TWOSTOPBITS: stop = CSTOPB; break;
    default: return ERROR_INVALID_PARAMETER;
  }
  cfsetispeed(t, speed);
  cfsetospeed(t, speed);
  t->c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t->c_cflag |= size | parity | stop | CREAD | CLOCAL | HUPCL;
  if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) t->c_cflag |= CRTSCTS;
  t->c_iflag &= ~static_cast<tcflag_t>(INPCK | IXON | IXOFF | IXANY | ISTRIP);
  if (dcb.fParity && parity != 0) t->c_iflag |= INPCK;
  if (dcb.fOutX) t->c_iflag |= IXON;
  if (dcb.fInX) t->c_iflag |= IXOFF;
  t->c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
  t->c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
  return ERROR_SUCCESS;
}

void TermiosToDcb(const termios& t, DCB* dcb) {
  dcb->BaudRate = BaudFromSpeed(cfgetospeed(&t));
  switch (t.c_cflag & CSIZE) {
    case CS5: dcb->ByteSize = 5; break;
    case CS6: dcb->ByteSize = 6; break;
    case CS7: dcb->ByteSize = 7; break;
    default: dcb->ByteSize = 8; break;
  }
  if ((t.c_cflag & PARENB) == 0) {
    dcb->Parity = NOPARITY;
  } else if (t.c_cflag & CMSPAR) {
    dcb->Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
  } else {
    dcb->Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
  }
  if ((t.c_cflag & CSTOPB) == 0) {
    dcb->StopBits = ONESTOPBIT;
  } else if (dcb->ByteSize != 5) {
    dcb->StopBits = TWOSTOPBITS;
  } else if (dcb->StopBits != TWOSTOPBITS) {
    dcb->StopBits = ONE5STOPBITS;  // five bits with the two-stop setting: either
  }
  dcb->fParity = (t.c_iflag & INPCK) ? 1 : 0;
  if ((t.c_cflag & CRTSCTS) == 0) {
    dcb->fOutxCtsFlow = 0;
  } else if (dcb->fRtsControl != RTS_CONTROL_HANDSHAKE) {
    dcb->fOutxCtsFlow = 1;
  }
  dcb->fOutX = (t.c_iflag & IXON) ? 1 : 0;
  dcb->fInX = (t.c_iflag & IXOFF) ? 1 : 0;
  dcb->XonChar = static_cast<char>(t.c_cc[VSTART]);
  dcb->XoffChar = static_cast<char>(t.c_cc[VSTOP]);
  dcb->fBinary = 1;
}

}  // namespace qvp
