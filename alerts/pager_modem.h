// The parts of the modem pages that are plain text: the TAP message block and
// its checksum, and the numeric page's dial string.
#pragma once

#include <cstddef>
#include <string>

class CPagerAlert;

// TAP's control characters.
inline constexpr char kTapStx = 2;
inline constexpr char kTapEtx = 3;
inline constexpr char kTapEot = 4;
inline constexpr char kTapAck = 6;
inline constexpr char kTapNak = 21;
inline constexpr char kTapRs = 30;
inline constexpr char kTapEsc = 27;

// The block from STX through field 2 is cut to this many characters.
inline constexpr size_t kTapBlockLimit = 220;

// The three checksum characters of `count` bytes (STX through ETX): their
// sum as signed bytes in 16 bits, bits 8-11, 4-7 and 0-3 each ORed with 0x30.
std::string TapChecksum(const char* bytes, size_t count);

// Only 0-9, "#", "*" and ",".
std::string DialDigits(const char* text);

// The TAP block: STX, the pager id's digits, CR, the message (CR and LF
// removed, other control characters and DEL as blanks, bytes above 127 as
// "?"), cut so that the part from STX is 220 characters at most, then CR, ETX,
// the checksum and CR. An absent message is "This message intentionally left
// blank.".
std::string BuildTapBlock(const char* pagerId, const char* message);

// The numeric page's dial string: DialString, PreDial, ",", Number, ",",
// PostDial, ConnectDelay / 2 commas, the PIN and PINDelay / 2 commas when a
// PIN is set, the message digits (or "0000000"), CR. PreDial, Number,
// PostDial, PIN and Message of `alert` are reduced to their dial digits.
std::string BuildNumericDialString(CPagerAlert& alert);
