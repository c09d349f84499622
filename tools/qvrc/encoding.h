// Script texts are UTF-8; the layer's ANSI code page is Windows-1252.
#pragma once

#include <string>
#include <string_view>

namespace qvrc {

// Appends the Windows-1252 bytes of UTF-8 `text` to *out. False, with the
// offending position in *bad_offset, for text that is not UTF-8 or holds a
// character that code page lacks.
bool Utf8ToCp1252(std::string_view text, std::string* out, size_t* bad_offset);

}  // namespace qvrc
