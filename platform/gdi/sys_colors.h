// The system colours (GetSysColor) with the classic Windows defaults.
#pragma once

#include "qvplatform/gdi.h"

namespace qvp::gdi {

inline constexpr int kSysColorCount = 31;

// The colour for an index; 0 for an index out of range.
COLORREF SysColor(int index);

}  // namespace qvp::gdi
