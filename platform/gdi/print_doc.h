// Printer contexts known to the GDI: their page size, and the capabilities
// that differ from the screen's.
#pragma once

#include "qvplatform.h"

namespace qvp::gdi {

// Registers a printer context (or information context) with its page size in
// pixels at dpi.
void RegisterPrinterDC(HDC dc, SIZE page, int dpi);
// The printer's value of a GetDeviceCaps index; false when hdc is no printer's
// context or the index is the screen's.
bool PrinterDeviceCaps(HDC hdc, int index, int* value);

}  // namespace qvp::gdi
