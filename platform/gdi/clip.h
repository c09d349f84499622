// Clip-region changes shared by SelectObject(region) and the clip calls.
#pragma once

#include "gdi/dc.h"

namespace qvp::gdi {

// Replaces the DC's clip region by `rgn` (device coordinates), or removes it
// when null. Returns the type of the resulting clip area.
int SelectClip(DcObj& dc, const Region* rgn);

}  // namespace qvp::gdi
