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

// The CRC-32 state after every byte of a buffer that grows at its end and
// drops bytes at its front, so that the checksum of any span up to
// kMaxBodySize bytes costs the same small work whatever its length. Searching
// damaged bytes for the next entry checks a claimed body at many places; this
// keeps that search linear in the file's size.
class CrcIndex {
 public:
  CrcIndex() : states_(1, 0xFFFFFFFFu) {}
  void Append(const unsigned char* data, size_t size);
  void DropFront(size_t count);
  // The CRC-32 of the buffer's bytes [from, to), to - from <= kMaxBodySize.
  uint32_t Span(size_t from, size_t to) const;

 private:
  std::vector<uint32_t> states_;  // states_[i]: the state before byte i
};

// The framed bytes of one entry.
std::string EncodeEntry(const QVLS_FIELD* fields, int count, uint32_t time);

enum class Parse { kEntry, kNeedMore, kDamaged };

// Looks at the bytes from `data` on: kEntry with the entry's fields and its
// framed size in *used; kNeedMore when the bytes end inside a well-formed
// header or body; kDamaged when no entry starts at `data`.
// With `crcs`, `data` is byte `base` of the buffer `crcs` describes, and the
// body's checksum comes from it. Either way the work done is bounded by the
// 64-field walk unless an entry is found.
Parse ParseEntry(const unsigned char* data, size_t size, std::vector<QVLS_ENTRY_FIELD>* fields, size_t* used,
                 const CrcIndex* crcs = nullptr, size_t base = 0);

}  // namespace qvls
