// Icons: a monochrome AND mask and a colour image (or, for a monochrome
// icon, a mask twice the height holding the AND mask over the XOR image).
#pragma once

#include "qvplatform/gdi.h"

namespace qvp {

// An icon from the bytes of an icon image as icon resources and .ico files
// hold them: a BITMAPINFOHEADER whose height counts both halves, the colour
// table, the XOR image and then the 1-bit AND mask, all bottom-up. Every size
// is checked against `size`; a truncated or malformed image gives null
// (ERROR_INVALID_DATA). A cursor passes is_icon false and its hotspot.
HICON CreateIconFromDib(const void* data, size_t size, bool is_icon, POINT hotspot);

}  // namespace qvp
