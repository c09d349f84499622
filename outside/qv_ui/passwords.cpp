// The stored form of passwords: two hexadecimal digits per character, each
// character mixed with a position-dependent key stream.
#include <cstddef>

#include "qv_ui.h"

namespace {

constexpr char kKey[] = "Quorvane/qv_ui password mix";
constexpr size_t kKeyLength = sizeof(kKey) - 1;
constexpr char kDigits[] = "0123456789ABCDEF";

unsigned char Mask(size_t position) {
  return static_cast<unsigned char>(static_cast<unsigned char>(kKey[position % kKeyLength]) +
                                    position * 31u);
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

QV_API BOOL QVUI_EncryptPassword(const char* plain, char* out, int outSize) {
  if (out == nullptr || outSize <= 0) return FALSE;
  const char* text = plain != nullptr ? plain : "";
  const size_t capacity = static_cast<size_t>(outSize - 1) / 2;  // whole characters that fit
  size_t i = 0;
  for (; text[i] != '\0' && i < capacity; ++i) {
    const unsigned char mixed = static_cast<unsigned char>(text[i]) ^ Mask(i);
    out[2 * i] = kDigits[mixed >> 4];
    out[2 * i + 1] = kDigits[mixed & 0x0F];
  }
  out[2 * i] = '\0';
  return text[i] == '\0' ? TRUE : FALSE;
}

QV_API BOOL QVUI_DecryptPassword(const char* stored, char* out, int outSize) {
  if (out == nullptr || outSize <= 0) return FALSE;
  out[0] = '\0';
  const char* text = stored != nullptr ? stored : "";
  size_t length = 0;
  while (text[length] != '\0') ++length;
  if (length % 2 != 0) return FALSE;
  // Check the whole text first, so that a refused text leaves nothing behind.
  for (size_t i = 0; i < length; i += 2) {
    const int high = DigitValue(text[i]);
    const int low = DigitValue(text[i + 1]);
    if (high < 0 || low < 0) return FALSE;
    if ((static_cast<unsigned char>(high << 4 | low) ^ Mask(i / 2)) == 0) return FALSE;
  }
  const size_t capacity = static_cast<size_t>(outSize - 1);
  size_t n = 0;
  for (; n < length / 2 && n < capacity; ++n) {
    const unsigned char mixed =
        static_cast<unsigned char>(DigitValue(text[2 * n]) << 4 | DigitValue(text[2 * n + 1]));
    out[n] = static_cast<char>(mixed ^ Mask(n));
  }
  out[n] = '\0';
  return n == length / 2 ? TRUE : FALSE;
}
