// The print spooler: its destinations, and documents handed to it.
#pragma once

#include <string>
#include <vector>

namespace qvp::gdi {

// The name of the printer that writes "<document> N.pdf" files instead of
// handing the document to the spooler.
inline constexpr char kFilePrinter[] = "PDF File";

// The spooler's destinations, its default first; empty when no spooler answers.
std::vector<std::string> SpoolerDestinations();

// Hands a PDF document to the spooler's destination as one job of `copies`
// copies titled `title`. False when the spooler cannot be reached or refuses the
// job; nothing is then printed.
bool SubmitToSpooler(const std::string& destination, const std::string& title, int copies, const std::string& pdf);

}  // namespace qvp::gdi
