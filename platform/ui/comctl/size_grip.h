// The size grip: the ridged corner a window's user drags to resize it, drawn
// by the status bar (SBARS_SIZEGRIP) and available to any control that shows one.
#pragma once

#include "qvplatform.h"

namespace qvp::ui::comctl {

// Draws the grip's diagonal ridges into the bottom-right corner of `box`
// (the box itself is left as it is).
void DrawSizeGrip(HDC hdc, const RECT& box);

}  // namespace qvp::ui::comctl
