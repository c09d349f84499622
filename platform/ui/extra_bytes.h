// The extra bytes a window class registers for its windows and for itself,
// read and written a LONG_PTR at a time.
#pragma once

#include <cstring>
#include <vector>

#include "qvplatform.h"
#include "ui/last_error.h"

namespace qvp::ui {

// False, with ERROR_INVALID_INDEX, where a LONG_PTR at `index` would not fit.
inline bool ExtraFits(const std::vector<BYTE>& extra, int index) {
  if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= extra.size()) return true;
  SetError(ERROR_INVALID_INDEX);
  return false;
}

// The value at `index` (0 where it does not fit).
inline LONG_PTR ReadExtra(const std::vector<BYTE>& extra, int index) {
  if (!ExtraFits(extra, index)) return 0;
  LONG_PTR v = 0;
  std::memcpy(&v, extra.data() + index, sizeof(v));
  return v;
}

// Stores `value` at `index`; the value it replaced (0 where it does not fit).
inline LONG_PTR SwapExtra(std::vector<BYTE>& extra, int index, LONG_PTR value) {
  if (!ExtraFits(extra, index)) return 0;
  LONG_PTR old = 0;
  std::memcpy(&old, extra.data() + index, sizeof(old));
  std::memcpy(extra.data() + index, &value, sizeof(value));
  return old;
}

}  // namespace qvp::ui
