// FormatMessageA: message texts from a string or from the system's table of
// error messages, with inserts.
//
// The system's messages exist in English only: every language id gets them.
// Modules carry no message tables, so FORMAT_MESSAGE_FROM_HMODULE alone finds
// nothing; together with FORMAT_MESSAGE_FROM_SYSTEM the system's table answers.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "qvplatform/kernel.h"
#include "resources/message_format.h"
#include "resources/system_messages.h"
#include "qvplatform/resources.h"

namespace {

DWORD Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

DWORD Format(DWORD flags, LPCVOID source, DWORD id, LPSTR buffer, DWORD size, va_list* arguments) {
  std::string text;
  if ((flags & FORMAT_MESSAGE_FROM_STRING) != 0) {
    if (source == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    text = static_cast<const char*>(source);
  } else if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) != 0) {
    const char* message = qvp::SystemMessageText(id);
    if (message == nullptr) return Fail(ERROR_MR_MID_NOT_FOUND);
    text = std::string(message) + "\r\n";  // every system message ends in a line break
  } else if ((flags & FORMAT_MESSAGE_FROM_HMODULE) != 0) {
    return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND);
  } else {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);

  qvp::MessageArguments args;
  if ((flags & FORMAT_MESSAGE_ARGUMENT_ARRAY) != 0) {
    args.array = reinterpret_cast<const DWORD_PTR*>(arguments);
  } else {
    args.list = arguments;
  }
  std::string out;
  if (DWORD error = qvp::ExpandMessage(text, flags, args, &out); error != 0) return Fail(error);
  if (out.size() >= 0xFFFFFFFFu) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  const DWORD length = static_cast<DWORD>(out.size());

  if ((flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
    // `buffer` is really where the address of a LocalAlloc block goes; `size`
    // is the least number of bytes to allocate.
    const SIZE_T bytes = std::max<SIZE_T>(size, SIZE_T{length} + 1);
    auto* block = static_cast<char*>(LocalAlloc(LMEM_FIXED, bytes));
    if (block == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    std::memcpy(block, out.c_str(), SIZE_T{length} + 1);
    *reinterpret_cast<LPSTR*>(buffer) = block;
    return length;
  }
  if (SIZE_T{length} + 1 > size) {
    if (size > 0) buffer[0] = '\0';
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, out.c_str(), SIZE_T{length} + 1);
  return length;
}

}  // namespace

QV_API DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD /*dwLanguageId*/,
                                   LPSTR lpBuffer, DWORD nSize, va_list* Arguments) {
  try {
    return Format(dwFlags, lpSource, dwMessageId, lpBuffer, nSize, Arguments);
  } catch (const std::bad_alloc&) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}
