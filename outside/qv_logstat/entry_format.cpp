// Framing, checksums and decoding of log entries.
#include "entry_format.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace qvls {
namespace {

constexpr unsigned char kMarker[4] = {'Q', 'V', 'L', 'S'};

constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t value = n;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1u) != 0 ? 0xEDB88320u ^ (value >> 1) : value >> 1;
    table[n] = value;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

void Put32(std::string* out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<char>((value >> shift) & 0xFFu));
}

void Put16(std::string* out, uint16_t value) {
  out->push_back(static_cast<char>(value & 0xFFu));
  out->push_back(static_cast<char>(value >> 8));
}

uint32_t Get32(const unsigned char* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}

uint16_t Get16(const unsigned char* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

// Whether a body's inner sizes agree: at most 64 steps, nothing copied.
bool BodyIsWellFormed(const unsigned char* body, size_t size) {
  if (size < 6) return false;
  const size_t count = Get16(body + 4);
  if (count > QVLS_MAX_FIELDS) return false;
  size_t at = 6;
  for (size_t n = 0; n < count; ++n) {
    if (size - at < 6) return false;
    const size_t length = Get16(body + at + 4);
    at += 6;
    if (length > kMaxTextSize || size - at < length) return false;
    at += length;
  }
  return at == size;
}

// Decodes a well-formed body.
void DecodeBody(const unsigned char* body, std::vector<QVLS_ENTRY_FIELD>* fields) {
  const uint32_t time = Get32(body);
  size_t at = 6;
  fields->assign(Get16(body + 4), QVLS_ENTRY_FIELD{});
  for (QVLS_ENTRY_FIELD& field : *fields) {
    field.type = static_cast<LONG>(Get32(body + at));
    const size_t length = Get16(body + at + 4);
    at += 6;
    std::memcpy(field.text, body + at, length);
    field.text[length] = '\0';
    field.time = static_cast<LONG>(time);
    at += length;
  }
}

// Polynomials modulo the CRC-32 polynomial, bit-reflected as the CRC keeps
// them (x^0 is the top bit): the product a * b.
uint32_t MultiplyModP(uint32_t a, uint32_t b) {
  uint32_t product = 0;
  for (uint32_t m = 1u << 31; m != 0; m >>= 1) {
    if ((a & m) != 0) product ^= b;
    b = (b & 1u) != 0 ? (b >> 1) ^ 0xEDB88320u : b >> 1;
  }
  return product;
}

// x^(8n) for n = 0 .. kMaxBodySize: what feeding n zero bytes multiplies a state by.
const std::vector<uint32_t>& ZeroBytePowers() {
  static const std::vector<uint32_t> powers = [] {
    std::vector<uint32_t> p(kMaxBodySize + 1);
    p[0] = 1u << 31;
    for (size_t n = 1; n < p.size(); ++n) p[n] = MultiplyModP(1u << 23, p[n - 1]);
    return p;
  }();
  return powers;
}

}  // namespace

uint32_t Crc32(const unsigned char* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t n = 0; n < size; ++n) crc = kCrcTable[(crc ^ data[n]) & 0xFFu] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void CrcIndex::Append(const unsigned char* data, size_t size) {
  uint32_t crc = states_.back();
  for (size_t n = 0; n < size; ++n) {
    crc = kCrcTable[(crc ^ data[n]) & 0xFFu] ^ (crc >> 8);
    states_.push_back(crc);
  }
}

void CrcIndex::DropFront(size_t count) {
  states_.erase(states_.begin(), states_.begin() + static_cast<std::ptrdiff_t>(count));
}

uint32_t CrcIndex::Span(size_t from, size_t to) const {
  // The state after a span is the state before it shifted over the span's
  // length, plus what the span's bytes add from a zero state; so the span's
  // own checksum (which starts from all ones) follows from the two states.
  const uint32_t shift = ZeroBytePowers().at(to - from);
  return MultiplyModP(shift, states_.at(from) ^ 0xFFFFFFFFu) ^ states_.at(to) ^ 0xFFFFFFFFu;
}

std::string EncodeEntry(const QVLS_FIELD* fields, int count, uint32_t time) {
  std::string body;
  Put32(&body, time);
  Put16(&body, static_cast<uint16_t>(count));
  for (int n = 0; n < count; ++n) {
    const size_t length = strnlen(fields[n].text, kMaxTextSize);
    Put32(&body, static_cast<uint32_t>(fields[n].type));
    Put16(&body, static_cast<uint16_t>(length));
    body.append(fields[n].text, length);
  }
  std::string framed(reinterpret_cast<const char*>(kMarker), sizeof kMarker);
  const auto size = static_cast<uint32_t>(body.size());
  Put32(&framed, size);
  Put32(&framed, size ^ kLengthCheck);
  Put32(&framed, Crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
  framed += body;
  return framed;
}

Parse ParseEntry(const unsigned char* data, size_t size, std::vector<QVLS_ENTRY_FIELD>* fields, size_t* used,
                 const CrcIndex* crcs, size_t base) {
  *used = 0;
  const size_t marker = size < sizeof kMarker ? size : sizeof kMarker;
  if (std::memcmp(data, kMarker, marker) != 0) return Parse::kDamaged;
  if (size < 12) return Parse::kNeedMore;
  const uint32_t length = Get32(data + 4);
  if ((length ^ kLengthCheck) != Get32(data + 8) || length > kMaxBodySize) return Parse::kDamaged;
  if (size < kHeaderSize + length) return Parse::kNeedMore;
  const unsigned char* body = data + kHeaderSize;
  if (!BodyIsWellFormed(body, length)) return Parse::kDamaged;
  const uint32_t crc = crcs != nullptr ? crcs->Span(base + kHeaderSize, base + kHeaderSize + length) : Crc32(body, length);
  if (crc != Get32(data + 12)) return Parse::kDamaged;
  DecodeBody(body, fields);
  *used = kHeaderSize + length;
  return Parse::kEntry;
}

}  // namespace qvls
