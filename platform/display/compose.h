// Composing a window as a screen shows it, from the surfaces its windows drew on.
#pragma once

#include "display/image.h"

namespace qvp::display {

// The window's frame surface, its client surface over it, then every visible
// child the same way, each clipped to its parent's client area. Overlapping
// siblings come out as Windows paints them: the top of the z-order first, a
// lower sibling over it unless that one clips its siblings (WS_CLIPSIBLINGS).
// What a window never painted shows what is under it; what nothing painted
// shows the 3-D face colour. False for a window that does not exist (or is too
// large to picture).
bool ComposeWindow(HWND hwnd, Image* out);

}  // namespace qvp::display
