// Top-level windows that other processes of the same user can find with
// FindWindowA. Windows lets any process find any top-level window; here a
// program names the classes whose windows it wants found, since each one
// costs a socket and a serving thread.
#pragma once

#include "qvplatform/types.h"

namespace qvp {

// Makes the first top-level window of the class that this process creates
// findable from other processes, and lets FindWindowA here look for such a
// window of another process. Both the owner and the finder call it, before
// creating or finding. Names compare without regard to case. FALSE for a name
// that cannot be shared: empty, an atom, longer than 255 characters, or
// holding '/' or '\'.
BOOL ShareWindowClass(LPCSTR class_name);

}  // namespace qvp
