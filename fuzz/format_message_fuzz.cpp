// FormatMessageA and wsprintfA on message and format texts from the input.
//
// The inserts are strings whose addresses also serve as numbers, so any
// conversion of any argument is safe to print. Properties: a va_list and an
// argument array of the same values give the same text (an insert read as a
// number and then used as a string would differ or crash); the text fits a
// buffer of exactly its size and not one byte less; wsprintfA writes at most
// 1024 bytes with its NUL.
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "qvplatform.h"
#include "qvplatform/kernel.h"

namespace {

// Valid as a char string ("w") and as a char16_t string (u"wide").
alignas(8) const char kArgText[] = "w\0i\0d\0e\0\0\0";
#define QV_ARG kArgText
#define QV_ARGS10 QV_ARG, QV_ARG, QV_ARG, QV_ARG, QV_ARG, QV_ARG, QV_ARG, QV_ARG, QV_ARG, QV_ARG
#define QV_ARGS100 QV_ARGS10, QV_ARGS10, QV_ARGS10, QV_ARGS10, QV_ARGS10, QV_ARGS10, QV_ARGS10, QV_ARGS10, \
    QV_ARGS10, QV_ARGS10
constexpr int kArgCount = 100;

DWORD FromList(DWORD flags, const char* text, LPSTR buffer, DWORD size, ...) {
  va_list ap;
  va_start(ap, size);
  const DWORD n = FormatMessageA(flags | FORMAT_MESSAGE_FROM_STRING, text, 0, 0, buffer, size, &ap);
  va_end(ap);
  return n;
}

int Print(char* out, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  const int n = wvsprintfA(out, format, ap);
  va_end(ap);
  return n;
}

void CheckFormatMessage(DWORD flags, const std::string& text) {
  // As allocated by the call itself, from a va_list.
  char* listed = nullptr;
  const DWORD n = FromList(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER, text.c_str(), reinterpret_cast<LPSTR>(&listed), 0,
                           QV_ARGS100);
  if (n == 0) {
    FUZZ_CHECK(listed == nullptr || GetLastError() != 0);
    if (listed != nullptr) LocalFree(listed);
    return;
  }
  FUZZ_CHECK(listed != nullptr && listed[n] == '\0');
  const std::string expected(listed, n);
  LocalFree(listed);

  // The same values as an argument array give the same text.
  std::vector<DWORD_PTR> array(kArgCount, reinterpret_cast<DWORD_PTR>(kArgText));
  std::vector<char> buffer(n + 1);
  const DWORD m = FormatMessageA(flags | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, text.c_str(), 0,
                                 0, buffer.data(), n + 1, reinterpret_cast<va_list*>(array.data()));
  FUZZ_CHECK(m == n);
  FUZZ_CHECK(std::memcmp(buffer.data(), expected.data(), n + 1) == 0);

  // A buffer one byte short is refused, and nothing is written past it.
  std::vector<char> short_buffer(n);
  SetLastError(0);
  FUZZ_CHECK(FromList(flags, text.c_str(), short_buffer.data(), n, QV_ARGS100) == 0);
  FUZZ_CHECK(GetLastError() == ERROR_INSUFFICIENT_BUFFER);

  // Plain text comes out as it went in.
  if ((flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) == 0 && text.find_first_of("%\r\n") == std::string::npos) {
    FUZZ_CHECK(expected == text);
  }
}

void CheckWsprintf(const std::string& format) {
  // Each conversion takes at most one argument.
  size_t conversions = 0;
  for (char c : format) conversions += c == '%' ? 1 : 0;
  if (conversions > kArgCount) return;
  auto out = std::make_unique<char[]>(1024);  // exactly what the call may use
  const int n = Print(out.get(), format.c_str(), QV_ARGS100);
  FUZZ_CHECK(n >= 0 && n <= 1023);
  FUZZ_CHECK(out[static_cast<size_t>(n)] == '\0');
  if (format.find('%') == std::string::npos) FUZZ_CHECK(std::string(out.get(), static_cast<size_t>(n)) == format.substr(0, 1023));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 4096) return 0;
  // The first byte picks the flags, the rest is the text.
  const uint8_t mode = data[0];
  const std::string text = qvfuzz::CString(qvfuzz::Bytes(data + 1, size - 1));
  DWORD flags = 0;
  if ((mode & 1) != 0) flags |= FORMAT_MESSAGE_IGNORE_INSERTS;
  if ((mode & 2) != 0) flags |= (mode >> 2) == 63 ? FORMAT_MESSAGE_MAX_WIDTH_MASK : (mode >> 2) + 1u;
  CheckFormatMessage(flags, text);
  CheckWsprintf(text);
  return 0;
}
