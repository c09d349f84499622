// How one entry lies in the log file.
//
//   marker   4 bytes  "QVLS"
//   length   u32      bytes of the body
//   check    u32      length ^ 0xA5C3E1F7, so that a damaged length is noticed
//                     before it is trusted
//   crc      u32      CRC-32 of the body
//   body     length bytes:
//              time    u32  seconds since 1970 at writing
//              count   u16  number of fields
//              fields  count x (type i32, size u16, size bytes of text)
//
// All numbers are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "qv_logstat.h"

namespace qvls {

inline constexpr size_t kHeaderSize = 16;
inline constexpr uint32_t kLengthCheck = 0xA5C3E1F7u;
inline constexpr size_t kMaxTextSize = sizeof(QVLS_FIELD::text) - 1;
inline constexpr size_t kMaxBodySize = 6 + QVLS_MAX_FIELDS * (6 + kMaxTextSize);

uint32_t Crc32(const unsigned char* data, size_t size);

// The framed bytes of one entry.
std::string EncodeEntry(const QVLS_FIELD* fields, int count, uint32_t time);

enum class Parse { kEntry, kNeedMore, kDamaged };

// Looks at the bytes from `data` on: kEntry with the entry's fields and its
// framed size in *used; kNeedMore when the bytes end inside a well-formed
// header or body; kDamaged when no entry starts at `data`.
Parse ParseEntry(const unsigned char* data, size_t size, std::vector<QVLS_ENTRY_FIELD>* fields, size_t* used);

}  // namespace qvls
