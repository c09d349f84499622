// The English message texts of the Windows error numbers the system shows.
#pragma once

#include "qvplatform/types.h"

namespace qvp {

// The message definition of a Windows error number, without the line break
// that ends every system message; nullptr for an unknown number.
const char* SystemMessageText(DWORD code);

}  // namespace qvp
