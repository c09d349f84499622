// Printer contexts known to the GDI: their page size, and the capabilities
// that differ from the screen's.
#pragma once

#include <string>

#include "qvplatform.h"

namespace qvp::gdi {

// Registers a printer context (or information context) with its page size in
// pixels at dpi, the printer its documents go to (kFilePrinter, or a spooler
// destination) and the copies each document asks for. Text on it is measured
// with the real fonts, as the document will show it.
void RegisterPrinterDC(HDC dc, SIZE page, int dpi, const std::string& printer, int copies);
// The printer's value of a GetDeviceCaps index; false when hdc is no printer's
// context or the index is the screen's.
bool PrinterDeviceCaps(HDC hdc, int index, int* value);

// The bytes of the last document this thread ended (for checking what reached
// the spooler); empty when that EndDoc wrote nothing or the document was aborted.
const std::string& LastDocumentBytes();

}  // namespace qvp::gdi
