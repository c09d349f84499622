// The printers the print dialog offers, and the blocks and contexts it hands
// out for them.
#pragma once

#include <string>
#include <vector>

#include "qvplatform.h"

namespace qvp::ui::commdlg {

// The printers, the default first (qvp::SetPrinters).
std::vector<std::string> PrinterList();
bool KnownPrinter(const std::string& name);

// The settings a printer starts with: portrait letter paper, one copy.
DEVMODEA DefaultDevMode(const std::string& printer);
// The caller's settings in a DEVMODEA block, when the block is readable and
// names `printer`; otherwise the printer's defaults.
DEVMODEA DevModeFrom(HGLOBAL block, const std::string& printer);
// The device named by a DEVNAMES block, or empty when it is unreadable.
std::string DeviceOf(HGLOBAL devnames);
// The device named by a DEVMODEA block, or empty.
std::string DeviceOfDevMode(HGLOBAL devmode);

// New moveable blocks for the caller to free with GlobalFree; null when out of memory.
HGLOBAL NewDevMode(const DEVMODEA& mode);
HGLOBAL NewDevNames(const std::string& printer, bool is_default);

// A device context (or an information context) of the printer. While the GDI
// has no printer contexts, a memory context stands in: a drawing one holds a
// bitmap of the page's size, freed once the context has been deleted.
HDC NewPrinterDC(const std::string& printer, const DEVMODEA& mode, bool information_only);

}  // namespace qvp::ui::commdlg
