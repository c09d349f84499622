// Windows-1252, the ANSI code page of the system, against Unicode.
#pragma once

#include <cstdint>

namespace qvp {

// The UTF-16 unit of a code page byte. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
char16_t Cp1252ToUnicode(unsigned char byte);

// The code page byte of a code point, or -1 when the code page has none.
int UnicodeToCp1252(char32_t code_point);

}  // namespace qvp
