// Composing a window as a screen shows it, from the surfaces its windows drew on.
#pragma once

#include "display/image.h"

namespace qvp::display {

// The window's frame surface, its client surface over it, then every visible
// child the same way, bottom of the z-order first, each clipped to its parent's
// client area. Parts nothing was drawn on show the 3-D face colour. False for a
// window that does not exist (or is too large to picture).
bool ComposeWindow(HWND hwnd, Image* out);

}  // namespace qvp::display
