// UTF-8 <-> UTF-16 for account names (the system's databases hold UTF-8),
// through the kernel facility's code page calls.
#pragma once

#include <string>
#include <string_view>

namespace qvp::accounts {

// Malformed input becomes U+FFFD; nothing is dropped silently.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace qvp::accounts
