// The message-definition language of FormatMessageA: inserts %1..%99 with an
// optional printf-like format (%1!d!), and the escapes %0 %n %r %t %% %space %. %!.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

#include "qvplatform/types.h"

namespace qvp {

// Where insert values come from: a va_list read in insert order, or an array of
// pointer-sized values (FORMAT_MESSAGE_ARGUMENT_ARRAY), or nothing.
struct MessageArguments {
  va_list* list = nullptr;
  const DWORD_PTR* array = nullptr;
};

// Expands `text` into *out. `flags` takes FORMAT_MESSAGE_IGNORE_INSERTS and
// FORMAT_MESSAGE_MAX_WIDTH_MASK. Returns 0 or the Windows error code
// (ERROR_INVALID_PARAMETER for a malformed insert or missing arguments).
// Integer inserts read 32 bits unless the format says ll, I64 or I (pointer
// size), as on Windows, where long is 32 bits.
DWORD ExpandMessage(std::string_view text, DWORD flags, const MessageArguments& args, std::string* out);

}  // namespace qvp
