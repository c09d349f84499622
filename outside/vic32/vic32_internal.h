// Shared helpers of the image library's decoders.
#pragma once

#include <cstddef>
#include <vector>

#include "vic32.h"

namespace vic32 {

// Files larger than this are not images the styles use.
inline constexpr size_t kMaxFileBytes = 256u << 20;

// The row y (0 at the top) of an image's bottom-up bitmap.
unsigned char* RowOf(const imgdes& image, unsigned y);
bool ReadWholeFile(const char* path, std::vector<unsigned char>* bytes);

}  // namespace vic32
