// The layer's fixed font metric model (described in qvplatform/gdi_text.h).
#pragma once

#include "gdi/objects.h"

namespace qvp::gdi {

// Metrics of a font whose lfHeight has already been turned into device pixels.
FontMetrics ComputeFontMetrics(const LOGFONTA& lf, LONG device_height);
// Width in device pixels of a run of characters (no tab handling).
int RunWidth(const FontMetrics& m, const char* text, size_t count);

}  // namespace qvp::gdi
