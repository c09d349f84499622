// The device control block's line settings as a termios and back.
#pragma once

#include <termios.h>

#include "qvplatform/comm.h"

namespace qvp {

// The termios speed of a baud rate; false when the line has no such speed.
bool SpeedFromBaud(DWORD baud, speed_t* speed);
// The baud rate of a termios speed (0 when unknown).
DWORD BaudFromSpeed(speed_t speed);

// Puts the DCB's speed, byte size, parity, stop bits, parity checking and flow
// control into `t` (which keeps its raw mode). ERROR_INVALID_PARAMETER for a
// value no line can take: a byte size outside 5-8, a parity above 4, a stop
// code above 2, one and a half stop bits with more than 5 data bits, an
// unknown speed.
DWORD DcbToTermios(const DCB& dcb, termios* t);
// Reads those settings back into `dcb`; its other fields stay.
void TermiosToDcb(const termios& t, DCB* dcb);

}  // namespace qvp
